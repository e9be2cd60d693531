#include "resultlist/owner_drawn_list_win.h"

#include <shlwapi.h>

#include <algorithm>
#include <iterator>

#include "framework/wide_text_win.h"
#include "framework/win_handles.h"
#include "resultlist/shorten_to_fit.h"

namespace {

constexpr int kLabelMargin = 4;
constexpr int kColumnMargin = 12;
constexpr int kLabelInset = 2;
constexpr int kColumnInset = 6;
constexpr int kCompactSlack = 16;
constexpr UINT kTextFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP;
constexpr wchar_t kEllipsis[] = L"...";
// How many rows' texts are kept before those off screen are let go: a
// scroll through a million rows keeps a page or so, not a million.
constexpr size_t kKeptRows = 256;

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
  ForgetRowTexts();
  if (GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

const std::wstring& COwnerDrawnList::LabelText(size_t row) { return TextsOf(row).label; }

const std::wstring& COwnerDrawnList::FolderText(size_t row) { return TextsOf(row).folder; }

const COwnerDrawnList::RowTexts& COwnerDrawnList::TextsOf(size_t row) {
  static const RowTexts kNone;
  if (row >= RowCount()) return kNone;
  const auto found = m_rowTexts.find(row);
  if (found != m_rowTexts.end()) return found->second;
  if (m_rowTexts.size() >= kKeptRows) ForgetHiddenRows();
  return m_rowTexts.emplace(row, RowTexts{Utf8ToWide(RowLabel(row)), CompactPath(RowFolder(row))}).first->second;
}

void COwnerDrawnList::ForgetHiddenRows() {
  if (!GetSafeHwnd()) return ForgetRowTexts();
  const auto top = static_cast<size_t>(SendMessageW(GetSafeHwnd(), LVM_GETTOPINDEX, 0, 0));
  // With the partly visible row below the last whole one.
  const size_t end = top + static_cast<size_t>(SendMessageW(GetSafeHwnd(), LVM_GETCOUNTPERPAGE, 0, 0)) + 1;
  for (auto it = m_rowTexts.begin(); it != m_rowTexts.end();) {
    it = it->first < top || it->first >= end ? m_rowTexts.erase(it) : std::next(it);
  }
}

std::wstring COwnerDrawnList::CompactPath(std::string_view path) const {
  const std::wstring wide = Utf8ToWide(path);
  if (m_nCompactWidth < 0 || !GetSafeHwnd()) return wide;
  wchar_t buffer[MAX_PATH] = {};
  lstrcpynW(buffer, wide.c_str(), MAX_PATH);
  const WindowDC dc(GetSafeHwnd());
  const SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(GetSafeHwnd(), WM_GETFONT, 0, 0)));
  PathCompactPathW(dc.Get(), buffer, static_cast<UINT>(std::max(m_nCompactWidth - kCompactSlack, 0)));
  return buffer;
}

void COwnerDrawnList::DrawFitted(HDC dc, const std::wstring& text, int width, int margin, RECT area,
                                 UINT wholeAlign) {
  const int length = static_cast<int>(text.size());
  if (length == 0) return;
  m_extents.resize(text.size());
  SIZE whole = {};
  GetTextExtentExPointW(dc, text.c_str(), length, 0, nullptr, m_extents.data(), &whole);
  MeasuredText measured;
  measured.length = text.size();
  measured.prefixWidth = [this](size_t count) { return m_extents[count - 1]; };
  measured.startsCharacter = [&text](size_t index) { return !IS_LOW_SURROGATE(text[index]); };
  if (m_nEllipsisWidth < 0) {
    SIZE ellipsis = {};
    GetTextExtentPoint32W(dc, kEllipsis, 3, &ellipsis);
    m_nEllipsisWidth = ellipsis.cx;
  }
  const FittedText fit = ShortenToFit(measured, width, margin, m_nEllipsisWidth);
  if (!fit.shortened) {
    DrawTextW(dc, text.c_str(), length, &area, kTextFlags | wholeAlign);
    return;
  }
  const std::wstring cut = text.substr(0, fit.keep) + kEllipsis;
  DrawTextW(dc, cut.c_str(), static_cast<int>(cut.size()), &area, kTextFlags | DT_LEFT);
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

UINT COwnerDrawnList::RowState(int row) const {
  // Asked through an item cleared here rather than by LVM_GETITEMSTATE:
  // Wine answers that, for a row of an owner-data list, with whatever its
  // stack held in the bits the control does not keep, and a row nobody
  // selected was drawn "drop highlighted" or cut.
  LVITEMW item = {};
  item.iItem = row;
  item.mask = LVIF_STATE;
  item.stateMask = static_cast<UINT>(-1);
  SendMessageW(GetSafeHwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.state;
}

void COwnerDrawnList::DrawItem(const DRAWITEMSTRUCT& item) {
  if (!GetSafeHwnd() || item.itemID == static_cast<UINT>(-1) || item.itemID >= RowCount()) return;
  const HDC dc = item.hDC;
  const int index = static_cast<int>(item.itemID);
  const bool focused = GetFocus() == GetSafeHwnd();
  const LONG_PTR style = GetWindowLongPtrW(GetSafeHwnd(), GWL_STYLE);
  const UINT state = RowState(index);

  const bool selected = ((focused || (style & LVS_SHOWSELALWAYS)) && (state & LVIS_SELECTED)) ||
                        (state & LVIS_DROPHILITED);

  RECT band = HighlightBand(index);
  if (m_bHighlightToEdge && band.right < m_nClientWidth) band.right = m_nClientWidth;

  const TextColors colors(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : m_crText,
                          selected ? GetSysColor(COLOR_HIGHLIGHT) : m_crTextBack);
  DrawBand(dc, band, selected);
  DrawImages(dc, item.rcItem, index, state, selected);
  DrawCells(dc, index);
  if ((state & LVIS_FOCUSED) && focused) DrawFocusRect(dc, &band);
}

void COwnerDrawnList::DrawBand(HDC dc, const RECT& band, bool selected) const {
  if (selected) {
    FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
    return;
  }
  const GdiObjectHandle back(CreateSolidBrush(m_crTextBack));
  FillRect(dc, &band, static_cast<HBRUSH>(back.Get()));
}

void COwnerDrawnList::DrawImages(HDC dc, const RECT& r, int index, UINT state, bool selected) const {
  COLORREF blend = m_crBack;
  UINT iconStyle = ILD_TRANSPARENT;
  if (state & LVIS_CUT) {
    iconStyle = ILD_TRANSPARENT | ILD_BLEND50;
  } else if (selected) {
    blend = GetSysColor(COLOR_HIGHLIGHT);
    iconStyle = ILD_TRANSPARENT | ILD_BLEND50;
  }

  // The state image's number sits in bits 12-15 of the state (as
  // INDEXTOSTATEIMAGEMASK puts it there); 0 is none, 1 the list's first.
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
    // The small image list's icons are 16 x 16 pixels.
    ImageList_DrawEx(smallList, RowImage(index), dc, icon.left, icon.top, 16, 16, m_crBack, blend,
                     iconStyle | (state & LVIS_OVERLAYMASK));
  }
}

void COwnerDrawnList::DrawCells(HDC dc, int index) {
  RECT label = {LVIR_LABEL, 0, 0, 0};
  SendMessageW(GetSafeHwnd(), LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&label));
  label.right -= m_nStateImageOffset;
  const RowTexts& texts = TextsOf(index);
  DrawFitted(dc, texts.label, label.right - label.left, kLabelMargin,
             RECT{label.left + kLabelInset, label.top, label.right - kLabelInset, label.bottom}, DT_LEFT);

  // Of the columns after the label, only column 1 has a text: the path.
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  if (SendMessageW(GetSafeHwnd(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column))) {
    const RECT span = {label.right, label.top, label.right + column.cx, label.bottom};
    const int fmt = column.fmt & LVCFMT_JUSTIFYMASK;
    DrawFitted(dc, texts.folder, span.right - span.left, kColumnMargin,
               RECT{span.left + kColumnInset, span.top, span.right - kColumnInset, span.bottom},
               fmt == LVCFMT_RIGHT ? DT_RIGHT : fmt == LVCFMT_CENTER ? DT_CENTER : DT_LEFT);
  }
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
    case WM_SETFONT:
      // Compacted paths and the width of "..." were measured in the old font.
      ForgetRowTexts();
      m_nEllipsisWidth = -1;
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
