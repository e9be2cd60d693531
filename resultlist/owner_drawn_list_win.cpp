#include "resultlist/owner_drawn_list_win.h"

#include <shlwapi.h>

#include <algorithm>

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

bool COwnerDrawnList::Attach(HWND list) {
  if (!CControl::Attach(list)) return false;
  RECT client = {};
  GetClientRect(list, &client);
  m_nClientWidth = client.right;
  return true;
}

void COwnerDrawnList::CompactFolderColumn() {
  CompactFolderColumnTo(GetSafeHwnd() ? static_cast<int>(SendMessageW(GetSafeHwnd(), LVM_GETCOLUMNWIDTH, 1, 0)) : 0);
}

void COwnerDrawnList::CompactFolderColumnTo(int width) {
  m_nCompactWidth = width;
  OnCompactWidthChanged();
  if (GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

std::wstring COwnerDrawnList::CompactPath(std::string_view path) const {
  wchar_t buffer[MAX_PATH] = {};
  const std::wstring wide = Utf8ToWide(path);
  lstrcpynW(buffer, wide.c_str(), MAX_PATH);
  if (GetSafeHwnd()) {
    const HDC dc = GetDC(GetSafeHwnd());
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(GetSafeHwnd(), WM_GETFONT, 0, 0)));
    PathCompactPathW(dc, buffer, static_cast<UINT>(std::max(m_nCompactWidth - kCompactSlack, 0)));
    SelectObject(dc, old);
    ReleaseDC(GetSafeHwnd(), dc);
  }
  return buffer;
}

bool COwnerDrawnList::IsReportView() const {
  return (GetWindowLongPtrW(GetSafeHwnd(), GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
}

RECT COwnerDrawnList::HighlightBand(int row) const {
  RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
  RECT label = {LVIR_LABEL, 0, 0, 0};
  SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
  SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&label));
  bounds.left = label.left;
  return bounds;
}

void COwnerDrawnList::DrawItem(const DRAWITEMSTRUCT& item) {
  if (!GetSafeHwnd() || item.itemID == static_cast<UINT>(-1) || item.itemID >= RowCount()) return;
  const HDC dc = item.hDC;
  const int index = static_cast<int>(item.itemID);
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
    // Centred in a row that a large font made taller than the 16-pixel box.
    const int top = r.top + std::max<int>(0, (r.bottom - r.top - 16) / 2);
    ImageList_Draw(stateList, static_cast<int>(stateImage) - 1, dc, r.left, top, ILD_TRANSPARENT);
  }
  const HIMAGELIST smallList =
      reinterpret_cast<HIMAGELIST>(SendMessageW(GetSafeHwnd(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  if (smallList && r.left < r.right - 1) {
    RECT icon = {LVIR_ICON, 0, 0, 0};
    SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&icon));
    ImageList_DrawEx(smallList, RowImage(index), dc, icon.left, icon.top, 16, 16, m_crBack, blend,
                     iconStyle | (state & LVIS_OVERLAYMASK));
  }

  const TextWidthFn measure = MeasureWith(dc);
  RECT label = {LVIR_LABEL, 0, 0, 0};
  SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&label));
  label.right -= m_nStateImageOffset;
  const FittedText title = ShortenToFit(RowLabel(index), label.right - label.left, kLabelMargin, measure);
  DrawCellText(dc, title.text, RECT{label.left + kLabelInset, label.top, label.right - kLabelInset, label.bottom},
               DT_LEFT);

  int spanLeft = label.right;
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  for (int c = 1; SendMessageW(GetSafeHwnd(), LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column)); ++c) {
    const RECT span = {spanLeft, label.top, spanLeft + column.cx, label.bottom};
    spanLeft = span.right;
    const std::string text = WideToUtf8(ColumnText(index, c));
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

void COwnerDrawnList::WidenPaintArea() {
  if (!m_bHighlightToEdge || !m_bRowHighlight || !IsReportView() || RowCount() == 0) return;
  RECT first = {LVIR_BOUNDS, 0, 0, 0};
  if (!SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first))) return;
  if (first.right >= m_nClientWidth) return;
  RECT update = {};
  if (!GetUpdateRect(GetSafeHwnd(), &update, FALSE)) return;
  update.left = std::min<LONG>(update.left, first.right - 1);
  update.right = m_nClientWidth;
  InvalidateRect(GetSafeHwnd(), &update, FALSE);
}

void COwnerDrawnList::OnFocusChange(HWND other) {
  // Focus moving to or from the list's own label editor changes nothing.
  if (other && GetParent(other) == GetSafeHwnd()) return;
  if (m_bRowHighlight && IsReportView()) InvalidateSelectedRows();
}

void COwnerDrawnList::InvalidateSelectedRows() {
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

LRESULT COwnerDrawnList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
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
          // The width the drag ended at, which the control may not have
          // applied yet.
          const bool dragged = header->pitem && (header->pitem->mask & HDI_WIDTH);
          if (dragged) {
            CompactFolderColumnTo(header->pitem->cxy);
          } else {
            CompactFolderColumn();
          }
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

bool COwnerDrawnList::OnReflectedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message != WM_DRAWITEM) return false;
  DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  result = TRUE;
  return true;
}
