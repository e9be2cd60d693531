#include "resultlist/result_list_win.h"

#include <shlwapi.h>

#include <algorithm>
#include <unordered_set>

#include "database/file_info.h"
#include "framework/wide_text_win.h"
#include "resultlist/shorten_to_fit.h"

namespace {

constexpr int kLabelMargin = 4;
constexpr int kColumnMargin = 12;
constexpr int kLabelInset = 2;
constexpr int kColumnInset = 6;
constexpr int kCompactSlack = 16;
constexpr UINT kTextFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP;

TextWidthFn MeasureWith(HDC dc) {
  return [dc](std::string_view text) {
    const std::wstring wide = Utf8ToWide(text);
    SIZE size = {};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return static_cast<int>(size.cx);
  };
}

void DrawCellText(HDC dc, const std::string& text, RECT area, UINT align) {
  const std::wstring wide = Utf8ToWide(text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, kTextFlags | align);
}

}  // namespace

bool CResultList::Attach(HWND list) {
  if (!CControl::Attach(list)) return false;
  RECT client = {};
  GetClientRect(list, &client);
  m_nClientWidth = client.right;
  return true;
}

void CResultList::SetRows(const std::vector<CFileInfo*>& records, const std::vector<CFileInfo*>& keep) {
  m_rows.clear();
  m_rows.reserve(records.size());
  for (CFileInfo* record : records) m_rows.push_back(Row{record, 0});
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

std::vector<CFileInfo*> CResultList::GetSelectedRecords() const {
  std::vector<CFileInfo*> records;
  if (!GetSafeHwnd()) return records;
  int row = -1;
  while ((row = static_cast<int>(SendMessageW(GetSafeHwnd(), LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0) {
    if (static_cast<size_t>(row) >= m_rows.size()) break;
    records.push_back(m_rows[row].record);
  }
  return records;
}

void CResultList::CompactFolderColumn() {
  m_compacted.clear();
  m_nCompactWidth = GetSafeHwnd() ? static_cast<int>(SendMessageW(GetSafeHwnd(), LVM_GETCOLUMNWIDTH, 1, 0)) : 0;
  if (GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

std::wstring CResultList::FolderText(size_t index) {
  if (index >= m_rows.size()) return {};
  const CFileInfo* record = m_rows[index].record;
  auto found = m_compacted.find(record);
  if (found != m_compacted.end()) return found->second;

  wchar_t buffer[MAX_PATH] = {};
  const std::wstring folder = Utf8ToWide(record->m_strFolder);
  lstrcpynW(buffer, folder.c_str(), MAX_PATH);
  if (GetSafeHwnd()) {
    const HDC dc = GetDC(GetSafeHwnd());
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(GetSafeHwnd(), WM_GETFONT, 0, 0)));
    PathCompactPathW(dc, buffer, static_cast<UINT>(std::max(m_nCompactWidth - kCompactSlack, 0)));
    SelectObject(dc, old);
    ReleaseDC(GetSafeHwnd(), dc);
  }
  return m_compacted.emplace(record, buffer).first->second;
}

void CResultList::OnColumnClick(int column) {
  if (column < 0 || column > 3) return;
  SortKey& key = m_aSortKeys[column];
  key.nDirection = -key.nDirection;
  // The control's selection is by index: carry it over to the rows' new places.
  const std::vector<CFileInfo*> selected = GetSelectedRecords();
  const HWND list = GetSafeHwnd();
  const int focusedRow = list ? static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)) : -1;
  const CFileInfo* focused = focusedRow >= 0 && static_cast<size_t>(focusedRow) < m_rows.size() ? m_rows[focusedRow].record : nullptr;

  std::stable_sort(m_rows.begin(), m_rows.end(),
                   [&key](const Row& a, const Row& b) { return CompareFiles(*a.record, *b.record, key) < 0; });
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
    const std::wstring text =
        item.iSubItem == 0 ? Utf8ToWide(row.record->m_strTitle) : item.iSubItem == 1 ? FolderText(item.iItem) : std::wstring();
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
  }
  if (item.mask & LVIF_IMAGE) item.iImage = row.image > 0 ? row.image : 0;
}

bool CResultList::IsReportView() const {
  return (GetWindowLongPtrW(GetSafeHwnd(), GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
}

RECT CResultList::HighlightBand(int row) const {
  RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
  RECT label = {LVIR_LABEL, 0, 0, 0};
  SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
  SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&label));
  bounds.left = label.left;
  return bounds;
}

void CResultList::DrawItem(const DRAWITEMSTRUCT& item) {
  if (!GetSafeHwnd() || item.itemID == static_cast<UINT>(-1) || item.itemID >= m_rows.size()) return;
  const HDC dc = item.hDC;
  const int index = static_cast<int>(item.itemID);
  const Row& row = m_rows[index];
  const bool focused = GetFocus() == GetSafeHwnd();
  const LONG_PTR style = GetWindowLongPtrW(GetSafeHwnd(), GWL_STYLE);
  const UINT state = static_cast<UINT>(SendMessageW(GetSafeHwnd(), LVM_GETITEMSTATE, index, static_cast<LPARAM>(-1)));

  const bool selected = ((focused || (style & LVS_SHOWSELALWAYS)) && (state & LVIS_SELECTED)) ||
                        (state & LVIS_DROPHILITED);

  RECT band = HighlightBand(index);
  if (m_bHighlightToEdge && band.right < m_nClientWidth) band.right = m_nClientWidth;

  COLORREF oldText = 0, oldBack = 0;
  if (selected) {
    oldText = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    oldBack = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
  } else {
    const HBRUSH back = CreateSolidBrush(m_crTextBack);
    FillRect(dc, &band, back);
    DeleteObject(back);
    oldText = SetTextColor(dc, m_crText);
    oldBack = SetBkColor(dc, m_crTextBack);
  }

  COLORREF blend = m_crBack;
  UINT iconStyle = ILD_TRANSPARENT;
  if (state & LVIS_CUT) {
    iconStyle = ILD_TRANSPARENT | ILD_BLEND50;
  } else if (selected) {
    blend = GetSysColor(COLOR_HIGHLIGHT);
    iconStyle = ILD_TRANSPARENT | ILD_BLEND50;
  }

  const RECT& r = item.rcItem;
  const UINT stateImage = (state & LVIS_STATEIMAGEMASK) >> 12;
  const HIMAGELIST stateList =
      reinterpret_cast<HIMAGELIST>(SendMessageW(GetSafeHwnd(), LVM_GETIMAGELIST, LVSIL_STATE, 0));
  if (stateImage != 0 && stateList) {
    ImageList_Draw(stateList, static_cast<int>(stateImage) - 1, dc, r.left, r.top, ILD_TRANSPARENT);
  }
  const HIMAGELIST smallList =
      reinterpret_cast<HIMAGELIST>(SendMessageW(GetSafeHwnd(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  if (smallList && r.left < r.right - 1) {
    RECT icon = {LVIR_ICON, 0, 0, 0};
    SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&icon));
    ImageList_DrawEx(smallList, row.image > 0 ? row.image : 0, dc, icon.left, icon.top, 16, 16, m_crBack, blend,
                     iconStyle | (state & LVIS_OVERLAYMASK));
  }

  const TextWidthFn measure = MeasureWith(dc);
  RECT label = {LVIR_LABEL, 0, 0, 0};
  SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&label));
  label.right -= m_nStateImageOffset;
  const FittedText title = ShortenToFit(row.record->m_strTitle, label.right - label.left, kLabelMargin, measure);
  DrawCellText(dc, title.text, RECT{label.left + kLabelInset, label.top, label.right - kLabelInset, label.bottom},
               DT_LEFT);

  int spanLeft = label.right;
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  for (int c = 1; SendMessageW(GetSafeHwnd(), LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column)); ++c) {
    const RECT span = {spanLeft, label.top, spanLeft + column.cx, label.bottom};
    spanLeft = span.right;
    const std::string text = c == 1 ? WideToUtf8(FolderText(index)) : std::string();
    if (text.empty()) continue;
    const FittedText fitted = ShortenToFit(text, span.right - span.left, kColumnMargin, measure);
    UINT align = DT_LEFT;
    if (!fitted.shortened) {
      const int fmt = column.fmt & LVCFMT_JUSTIFYMASK;
      align = fmt == LVCFMT_RIGHT ? DT_RIGHT : fmt == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
    }
    DrawCellText(dc, fitted.text, RECT{span.left + kColumnInset, span.top, span.right - kColumnInset, span.bottom},
                 align);
  }

  if ((state & LVIS_FOCUSED) && focused) DrawFocusRect(dc, &band);

  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

void CResultList::WidenPaintArea() {
  if (!m_bHighlightToEdge || !m_bRowHighlight || !IsReportView() || m_rows.empty()) return;
  RECT first = {LVIR_BOUNDS, 0, 0, 0};
  if (!SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first))) return;
  if (first.right >= m_nClientWidth) return;
  RECT update = {};
  if (!GetUpdateRect(GetSafeHwnd(), &update, FALSE)) return;
  update.left = std::min<LONG>(update.left, first.right - 1);
  update.right = m_nClientWidth;
  InvalidateRect(GetSafeHwnd(), &update, FALSE);
}

void CResultList::OnFocusChange(HWND other) {
  // Focus moving to or from the list's own label editor changes nothing.
  if (other && GetParent(other) == GetSafeHwnd()) return;
  if (m_bRowHighlight && IsReportView()) InvalidateSelectedRows();
}

void CResultList::InvalidateSelectedRows() {
  const int focusedRow = static_cast<int>(SendMessageW(GetSafeHwnd(), LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
  if (focusedRow >= 0) {
    const RECT band = HighlightBand(focusedRow);
    InvalidateRect(GetSafeHwnd(), &band, FALSE);
  }
  if (!(GetWindowLongPtrW(GetSafeHwnd(), GWL_STYLE) & LVS_SHOWSELALWAYS)) {
    int row = -1;
    while ((row = static_cast<int>(SendMessageW(GetSafeHwnd(), LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0) {
      const RECT band = HighlightBand(row);
      InvalidateRect(GetSafeHwnd(), &band, FALSE);
    }
  }
  UpdateWindow(GetSafeHwnd());
}

LRESULT CResultList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      m_nClientWidth = LOWORD(lParam);
      break;
    case WM_PAINT:
      WidenPaintArea();
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT result = Default(message, wParam, lParam);
      OnFocusChange(reinterpret_cast<HWND>(wParam));
      return result;
    }
    case WM_SYSCHAR:
      if (m_onAltKey && m_onAltKey(wParam)) return 0;
      break;
    case LVM_SETTEXTCOLOR:
      m_crText = static_cast<COLORREF>(lParam);
      break;
    case LVM_SETTEXTBKCOLOR:
      m_crTextBack = static_cast<COLORREF>(lParam);
      break;
    case LVM_SETBKCOLOR:
      m_crBack = static_cast<COLORREF>(lParam);
      break;
    case WM_NOTIFY: {
      // The header tells its parent, this list, when a divider drag ends.
      const auto* header = reinterpret_cast<const NMHEADERW*>(lParam);
      if (header->hdr.code == HDN_ENDTRACKW || header->hdr.code == HDN_ENDTRACKA) {
        const LRESULT result = Default(message, wParam, lParam);
        if (header->iItem == 1) {
          CompactFolderColumn();
          // The width the drag ended at, which the control may not have
          // applied yet.
          if (header->pitem && (header->pitem->mask & HDI_WIDTH)) m_nCompactWidth = header->pitem->cxy;
        }
        return result;
      }
      break;
    }
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

bool CResultList::OnReflectedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_NOTIFY:
      result = 0;
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      result = TRUE;
      return true;
    default:
      return false;
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
    case LVN_COLUMNCLICK:
      OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      return true;
    default:
      return false;
  }
}
