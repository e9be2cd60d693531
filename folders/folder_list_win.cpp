#include "folders/folder_list_win.h"

#include <windowsx.h>

#include "framework/wide_text_win.h"

void CFolderList::DeleteAllRows() {
  m_rows.clear();
  ForgetRowTexts();
  if (GetSafeHwnd()) SendMessageW(GetSafeHwnd(), LVM_DELETEALLITEMS, 0, 0);
}

void CFolderList::AppendRow(const CFolder& folder, int image) {
  m_rows.push_back(Row{folder, image});
  if (!GetSafeHwnd()) return;
  const std::wstring name = Utf8ToWide(folder.m_strName);
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE | LVIF_PARAM;
  item.iItem = static_cast<int>(m_rows.size() - 1);
  item.pszText = const_cast<wchar_t*>(name.c_str());
  item.iImage = image;
  item.state = INDEXTOSTATEIMAGEMASK(folder.m_bEnabled ? kChecked : kUnchecked);
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.lParam = item.iItem;
  const int row = static_cast<int>(SendMessageW(GetSafeHwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  // The full path stays the cell's own text; only the drawing compacts it.
  const std::wstring path = Utf8ToWide(folder.m_strPath);
  LVITEMW cell = {};
  cell.iSubItem = 1;
  cell.pszText = const_cast<wchar_t*>(path.c_str());
  SendMessageW(GetSafeHwnd(), LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
}

int CFolderList::GetSelectedRow() const {
  if (!GetSafeHwnd()) return -1;
  return static_cast<int>(SendMessageW(GetSafeHwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CFolderList::SelectRow(int row) {
  if (!GetSafeHwnd() || row < 0) return;
  LVITEMW item = {};
  item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(GetSafeHwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  SendMessageW(GetSafeHwnd(), LVM_ENSUREVISIBLE, row, FALSE);
}

void CFolderList::SetChecked(size_t row, bool checked) {
  if (row >= m_rows.size()) return;
  m_rows[row].folder.m_bEnabled = checked;
  if (!GetSafeHwnd()) return;
  LVITEMW item = {};
  item.state = INDEXTOSTATEIMAGEMASK(checked ? kChecked : kUnchecked);
  item.stateMask = LVIS_STATEIMAGEMASK;
  SendMessageW(GetSafeHwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

bool CFolderList::IsChecked(size_t row) const {
  if (!GetSafeHwnd()) return row < m_rows.size() && m_rows[row].folder.m_bEnabled;
  const auto state = static_cast<UINT>(SendMessageW(GetSafeHwnd(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  return (state >> 12) == kChecked;
}

void CFolderList::EditRowLabel(int row) {
  if (!GetSafeHwnd() || row < 0) return;
  SendMessageW(GetSafeHwnd(), LVM_ENSUREVISIBLE, row, FALSE);
  // The label editor takes its text from the control, and only a focused
  // list lets it open.
  SetFocus(GetSafeHwnd());
  SendMessageW(GetSafeHwnd(), LVM_EDITLABELW, row, 0);
}

bool CFolderList::IsOnCheckBox(POINT point, int row, UINT flags) const {
  // An owner-drawn report row answers every point of it as icon, label and
  // state icon at once; then only the position tells the box from the rest.
  if (flags == LVHT_ONITEM && (GetWindowLongPtrW(GetSafeHwnd(), GWL_STYLE) & LVS_OWNERDRAWFIXED)) {
    RECT icon = {LVIR_ICON, 0, 0, 0};
    SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&icon));
    return point.x < icon.left;
  }
  return (flags & LVHT_ONITEMSTATEICON) != 0;
}

void CFolderList::ToggleFocusedRow() {
  int row = static_cast<int>(SendMessageW(GetSafeHwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (row < 0) row = GetSelectedRow();
  if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) return;
  if (m_onToggle) m_onToggle(row);
}

bool CFolderList::OnLeftButtonDown(POINT point) {
  LVHITTESTINFO hit = {};
  hit.pt = point;
  const int row = static_cast<int>(SendMessageW(GetSafeHwnd(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (row < 0 || static_cast<size_t>(row) >= m_rows.size() || !IsOnCheckBox(point, row, hit.flags)) return false;
  // The press goes no further: the control would start a label edit on an
  // already selected row and take the focus.
  LVITEMW item = {};
  item.state = item.stateMask = LVIS_SELECTED;
  SendMessageW(GetSafeHwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  if (m_onToggle) m_onToggle(row);
  return true;
}

LRESULT CFolderList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      if (OnLeftButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) return 0;
      break;
    case WM_LBUTTONDBLCLK:
      if (m_onExplore) m_onExplore();
      break;
    case WM_KEYDOWN:
      if (wParam == VK_DELETE) {
        if (m_onRemove) m_onRemove();
        return 0;
      }
      // Renaming with F2, as everywhere else in Windows.
      if (wParam == VK_F2) {
        EditRowLabel(GetSelectedRow());
        return 0;
      }
      // Space toggles the focused row's check box, as in every list with
      // check boxes; a held key toggles once, not back and forth.
      if (wParam == VK_SPACE) {
        const bool repeated = (lParam & (1L << 30)) != 0;
        if (!repeated) ToggleFocusedRow();
        return 0;
      }
      break;
    case WM_CHAR:
      // Else the control takes the space as the start of a search by name
      // and moves the selection to a row whose name begins with one.
      if (wParam == L' ') return 0;
      break;
    default:
      break;
  }
  return COwnerDrawnList::WindowProc(message, wParam, lParam);
}

LRESULT CFolderList::CLabelEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) m_bEscaped = true;
  return CControl::WindowProc(message, wParam, lParam);
}

std::optional<std::wstring> CFolderList::EditedText(const NMLVDISPINFOW& info) {
  if (info.item.pszText) return std::wstring(info.item.pszText);
  const HWND edit = m_labelEdit.GetSafeHwnd();
  if (m_labelEdit.m_bEscaped || !edit || GetWindowTextLengthW(edit) != 0) return std::nullopt;
  return std::wstring();
}

bool CFolderList::OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const UINT code = message == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(lParam)->code : 0;
  if (code == LVN_BEGINLABELEDITW) {
    m_labelEdit.m_bEscaped = false;
    m_labelEdit.Attach(reinterpret_cast<HWND>(SendMessageW(GetSafeHwnd(), LVM_GETEDITCONTROL, 0, 0)));
    result = FALSE;  // the edit may start
    return true;
  }
  if (code == LVN_ENDLABELEDITW) {
    const std::optional<std::wstring> text = EditedText(*reinterpret_cast<const NMLVDISPINFOW*>(lParam));
    m_labelEdit.Detach();
    const int row = reinterpret_cast<const NMLVDISPINFOW*>(lParam)->item.iItem;
    // Nothing: cancelled (Escape) or unchanged, and the name stays.
    if (text && m_onRename) m_onRename(row, WideToUtf8(*text));
    // The new name reaches the row through the dialog's refill, not the
    // control's own copy.
    result = FALSE;
    return true;
  }
  return COwnerDrawnList::OnReflectedMessage(message, wParam, lParam, result);
}
