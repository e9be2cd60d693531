#include "resultlist/result_list_win.h"

#include <shlwapi.h>

#include <algorithm>

#include "database/file_info.h"
#include "framework/wide_text_win.h"
#include "resultlist/shorten_to_fit.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x524C;
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

CResultList::~CResultList() { Detach(); }

bool CResultList::Attach(HWND list) {
  Detach();
  if (!list || !SetWindowSubclass(list, &CResultList::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  m_hWnd = list;
  RECT client = {};
  GetClientRect(list, &client);
  m_nClientWidth = client.right;
  return true;
}

void CResultList::Detach() {
  if (!m_hWnd) return;
  RemoveWindowSubclass(m_hWnd, &CResultList::SubclassProc, kSubclassId);
  m_hWnd = nullptr;
}

void CResultList::SetRows(const std::vector<CFileInfo*>& records) {
  m_rows.clear();
  m_rows.reserve(records.size());
  for (CFileInfo* record : records) m_rows.push_back(Row{record, 0});
  m_aSortKeys[kSortTitle].nDirection = +1;
  if (!m_hWnd) return;
  // The control keeps selection by index: what was selected means nothing
  // in the new rows.
  LVITEMW clear = {};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  SendMessageW(m_hWnd, LVM_SETITEMCOUNT, m_rows.size(), 0);
  if (!m_rows.empty()) {
    LVITEMW first = {};
    first.state = first.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_hWnd, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageW(m_hWnd, LVM_ENSUREVISIBLE, 0, FALSE);
  }
  InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CResultList::SetRowImage(size_t index, int image) {
  if (index >= m_rows.size()) return;
  m_rows[index].image = image;
  if (m_hWnd) SendMessageW(m_hWnd, LVM_REDRAWITEMS, index, index);
}

std::vector<CFileInfo*> CResultList::GetSelectedRecords() const {
  std::vector<CFileInfo*> records;
  if (!m_hWnd) return records;
  int row = -1;
  while ((row = static_cast<int>(SendMessageW(m_hWnd, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0) {
    if (static_cast<size_t>(row) >= m_rows.size()) break;
    records.push_back(m_rows[row].record);
  }
  return records;
}

void CResultList::CompactFolderColumn() {
  m_compacted.clear();
  m_nCompactWidth = m_hWnd ? static_cast<int>(SendMessageW(m_hWnd, LVM_GETCOLUMNWIDTH, 1, 0)) : 0;
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

std::wstring CResultList::FolderText(size_t index) {
  if (index >= m_rows.size()) return {};
  const CFileInfo* record = m_rows[index].record;
  auto found = m_compacted.find(record);
  if (found != m_compacted.end()) return found->second;

  wchar_t buffer[MAX_PATH] = {};
  const std::wstring folder = Utf8ToWide(record->m_strFolder);
  lstrcpynW(buffer, folder.c_str(), MAX_PATH);
  if (m_hWnd) {
    const HDC dc = GetDC(m_hWnd);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    PathCompactPathW(dc, buffer, static_cast<UINT>(std::max(m_nCompactWidth - kCompactSlack, 0)));
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
  }
  return m_compacted.emplace(record, buffer).first->second;
}

void CResultList::OnColumnClick(int column) {
  if (column < 0 || column > 3) return;
  SortKey& key = m_aSortKeys[column];
  key.nDirection = -key.nDirection;
  // The control's selection is by index: carry it over to the rows' new places.
  const std::vector<CFileInfo*> selected = GetSelectedRecords();
  const int focusedRow = m_hWnd ? static_cast<int>(SendMessageW(m_hWnd, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)) : -1;
  const CFileInfo* focused = focusedRow >= 0 && static_cast<size_t>(focusedRow) < m_rows.size() ? m_rows[focusedRow].record : nullptr;

  std::stable_sort(m_rows.begin(), m_rows.end(),
                   [&key](const Row& a, const Row& b) { return CompareFiles(*a.record, *b.record, key) < 0; });
  if (!m_hWnd) return;

  LVITEMW clear = {};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  if (!selected.empty() || focused) {
    for (size_t i = 0; i < m_rows.size(); ++i) {
      const bool isSelected = std::find(selected.begin(), selected.end(), m_rows[i].record) != selected.end();
      const bool isFocused = m_rows[i].record == focused;
      if (!isSelected && !isFocused) continue;
      LVITEMW item = {};
      item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      item.state = (isSelected ? LVIS_SELECTED : 0) | (isFocused ? LVIS_FOCUSED : 0);
      SendMessageW(m_hWnd, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  InvalidateRect(m_hWnd, nullptr, FALSE);
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
  return (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
}

RECT CResultList::HighlightBand(int row) const {
  RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
  RECT label = {LVIR_LABEL, 0, 0, 0};
  SendMessageW(m_hWnd, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
  SendMessageW(m_hWnd, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&label));
  bounds.left = label.left;
  return bounds;
}

void CResultList::DrawItem(const DRAWITEMSTRUCT& item) {
  if (!m_hWnd || item.itemID == static_cast<UINT>(-1) || item.itemID >= m_rows.size()) return;
  const HDC dc = item.hDC;
  const int index = static_cast<int>(item.itemID);
  const Row& row = m_rows[index];
  const bool focused = GetFocus() == m_hWnd;
  const LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  const UINT state = static_cast<UINT>(SendMessageW(m_hWnd, LVM_GETITEMSTATE, index, static_cast<LPARAM>(-1)));

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
  const HIMAGELIST stateList = reinterpret_cast<HIMAGELIST>(SendMessageW(m_hWnd, LVM_GETIMAGELIST, LVSIL_STATE, 0));
  if (stateImage != 0 && stateList) {
    ImageList_Draw(stateList, static_cast<int>(stateImage) - 1, dc, r.left, r.top, ILD_TRANSPARENT);
  }
  const HIMAGELIST smallList = reinterpret_cast<HIMAGELIST>(SendMessageW(m_hWnd, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  if (smallList && r.left < r.right - 1) {
    RECT icon = {LVIR_ICON, 0, 0, 0};
    SendMessageW(m_hWnd, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&icon));
    ImageList_DrawEx(smallList, row.image > 0 ? row.image : 0, dc, icon.left, icon.top, 16, 16, m_crBack, blend,
                     iconStyle | (state & LVIS_OVERLAYMASK));
  }

  const TextWidthFn measure = MeasureWith(dc);
  RECT label = {LVIR_LABEL, 0, 0, 0};
  SendMessageW(m_hWnd, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&label));
  label.right -= m_nStateImageOffset;
  const FittedText title = ShortenToFit(row.record->m_strTitle, label.right - label.left, kLabelMargin, measure);
  DrawCellText(dc, title.text, RECT{label.left + kLabelInset, label.top, label.right - kLabelInset, label.bottom},
               DT_LEFT);

  int spanLeft = label.right;
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  for (int c = 1; SendMessageW(m_hWnd, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column)); ++c) {
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
  if (!SendMessageW(m_hWnd, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first))) return;
  if (first.right >= m_nClientWidth) return;
  RECT update = {};
  if (!GetUpdateRect(m_hWnd, &update, FALSE)) return;
  update.left = std::min<LONG>(update.left, first.right - 1);
  update.right = m_nClientWidth;
  InvalidateRect(m_hWnd, &update, FALSE);
}

void CResultList::OnFocusChange(HWND other) {
  // Focus moving to or from the list's own label editor changes nothing.
  if (other && GetParent(other) == m_hWnd) return;
  if (m_bRowHighlight && IsReportView()) InvalidateSelectedRows();
}

void CResultList::InvalidateSelectedRows() {
  const int focusedRow = static_cast<int>(SendMessageW(m_hWnd, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
  if (focusedRow >= 0) {
    const RECT band = HighlightBand(focusedRow);
    InvalidateRect(m_hWnd, &band, FALSE);
  }
  if (!(GetWindowLongPtrW(m_hWnd, GWL_STYLE) & LVS_SHOWSELALWAYS)) {
    int row = -1;
    while ((row = static_cast<int>(SendMessageW(m_hWnd, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0) {
      const RECT band = HighlightBand(row);
      InvalidateRect(m_hWnd, &band, FALSE);
    }
  }
  UpdateWindow(m_hWnd);
}

LRESULT CResultList::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CResultList::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR self) {
  CResultList* list = reinterpret_cast<CResultList*>(self);
  if (message == WM_NCDESTROY) {
    list->Detach();
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  try {
    return list->OnMessage(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT CResultList::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
