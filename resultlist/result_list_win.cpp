#include "resultlist/result_list_win.h"

#include <windowsx.h>

#include <algorithm>
#include <unordered_set>

#include "database/file_info.h"
#include "resultlist/file_drag_win.h"

void CResultList::SetRows(const std::vector<const CFileInfo*>& records, const std::vector<const CFileInfo*>& keep) {
  m_rows.clear();
  m_rows.reserve(records.size());
  for (const CFileInfo* record : records) m_rows.push_back(Row{record, 0});
  ForgetRowTexts();
  m_aSortKeys[kSortTitle].nDirection = +1;
  if (!GetSafeHwnd()) return;
  // The control keeps selection by index: what was selected means nothing
  // in the new rows.
  LVITEMW clear = {};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(GetSafeHwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  SendMessageW(GetSafeHwnd(), LVM_SETITEMCOUNT, m_rows.size(), 0);
  std::vector<size_t> selected;
  if (!keep.empty()) {
    const std::unordered_set<const CFileInfo*> wanted(keep.begin(), keep.end());
    for (size_t i = 0; i < m_rows.size(); ++i) {
      if (wanted.count(m_rows[i].record)) selected.push_back(i);
    }
  }
  if (selected.empty() && !m_rows.empty()) selected.push_back(0);
  for (size_t i = 0; i < selected.size(); ++i) {
    LVITEMW item = {};
    item.state = LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0);
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(GetSafeHwnd(), LVM_SETITEMSTATE, selected[i], reinterpret_cast<LPARAM>(&item));
  }
  if (!selected.empty()) SendMessageW(GetSafeHwnd(), LVM_ENSUREVISIBLE, selected[0], FALSE);
  InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

void CResultList::SetRowImage(size_t index, int image) {
  if (index >= m_rows.size()) return;
  m_rows[index].image = image;
  if (GetSafeHwnd()) SendMessageW(GetSafeHwnd(), LVM_REDRAWITEMS, index, index);
}

std::vector<const CFileInfo*> CResultList::GetSelectedRecords() const {
  std::vector<const CFileInfo*> records;
  if (!GetSafeHwnd()) return records;
  int row = -1;
  while ((row = static_cast<int>(SendMessageW(GetSafeHwnd(), LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0) {
    if (static_cast<size_t>(row) >= m_rows.size()) break;
    records.push_back(m_rows[row].record);
  }
  return records;
}

std::string_view CResultList::RowLabel(size_t row) const { return m_rows[row].record->Title(); }

std::string_view CResultList::RowFolder(size_t row) const { return m_rows[row].record->Folder(); }

void CResultList::OnColumnClick(int column) {
  if (column < 0 || column > 3) return;
  SortKey& key = m_aSortKeys[column];
  key.nDirection = -key.nDirection;
  // The control's selection is by index: carry it over to the rows' new places.
  const std::vector<const CFileInfo*> selected = GetSelectedRecords();
  const HWND list = GetSafeHwnd();
  const int focusedRow = list ? static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)) : -1;
  const CFileInfo* focused = focusedRow >= 0 && static_cast<size_t>(focusedRow) < m_rows.size() ? m_rows[focusedRow].record : nullptr;

  std::vector<const CFileInfo*> records(m_rows.size());
  std::transform(m_rows.begin(), m_rows.end(), records.begin(), [](const Row& row) { return row.record; });
  std::vector<uint32_t> order;
  SortFiles(records, key, order);
  std::vector<Row> sorted(m_rows.size());
  std::transform(order.begin(), order.end(), sorted.begin(), [&](uint32_t i) { return m_rows[i]; });
  m_rows.swap(sorted);
  ForgetRowTexts();
  if (!list) return;

  LVITEMW clear = {};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  if (!selected.empty() || focused) {
    for (size_t i = 0; i < m_rows.size(); ++i) {
      const bool isSelected = std::find(selected.begin(), selected.end(), m_rows[i].record) != selected.end();
      const bool isFocused = m_rows[i].record == focused;
      if (!isSelected && !isFocused) continue;
      LVITEMW item = {};
      item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      item.state = (isSelected ? LVIS_SELECTED : 0) | (isFocused ? LVIS_FOCUSED : 0);
      SendMessageW(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  InvalidateRect(list, nullptr, FALSE);
}

void CResultList::OnGetDispInfo(NMLVDISPINFOW& info) {
  LVITEMW& item = info.item;
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= m_rows.size()) return;
  const Row& row = m_rows[item.iItem];
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    const wchar_t* text = item.iSubItem == 0   ? LabelText(item.iItem).c_str()
                          : item.iSubItem == 1 ? FolderText(item.iItem).c_str()
                                               : L"";
    lstrcpynW(item.pszText, text, item.cchTextMax);
  }
  if (item.mask & LVIF_IMAGE) item.iImage = row.image > 0 ? row.image : 0;
}

LRESULT CResultList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  m_tip.OnListMessage(GetSafeHwnd(), message, wParam, lParam);
  if (message == WM_SYSCHAR && m_onAltKey && m_onAltKey(wParam)) return 0;
  const bool rowKey = message == WM_KEYDOWN && wParam >= VK_PRIOR && wParam <= VK_DOWN;
  const bool menuKey = message == WM_CONTEXTMENU && GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1;
  if ((rowKey || menuKey) && m_beforeKeyboardAction) m_beforeKeyboardAction();
  if (message == WM_CONTEXTMENU) {
    OnContextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return 0;
  }
  return COwnerDrawnList::WindowProc(message, wParam, lParam);
}

void CResultList::OnContextMenu(POINT at) {
  const HWND list = GetSafeHwnd();
  const int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) return;
  if (!(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED)) return;
  // The menu is for one file: the one the user pointed at last.
  LVITEMW item = {};
  item.stateMask = LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  item.state = LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  // From the keyboard (no point): at the row, not in the screen's corner.
  if (at.x == -1 && at.y == -1) {
    RECT label = {LVIR_LABEL, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&label));
    at = POINT{label.left, label.bottom};
    ClientToScreen(list, &at);
  }
  if (m_onContextMenu) m_onContextMenu(*m_rows[row].record, at);
}

bool CResultList::OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_NOTIFY:
      result = 0;
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    default:
      return COwnerDrawnList::OnReflectedMessage(message, wParam, lParam, result);
  }
}

bool CResultList::OnNotify(NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOW:
      OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW&>(header));
      return true;
    case NM_DBLCLK:
      if (!m_onOpen) return false;
      m_onOpen();
      return true;
    case LVN_BEGINDRAG:
      BeginFileDrag(GetSafeHwnd(), GetSelectedRecords());
      return true;
    case LVN_COLUMNCLICK:
      OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      return true;
    default:
      return false;
  }
}
