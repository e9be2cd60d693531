// What the launcher's result list and the folder settings' folder list have
// in common: report rows drawn by the program. The selection band runs to
// the client edge, texts that do not fit end in "...", and column 1 holds a
// path compacted to the column's width. A derived list says what each row
// shows; the drawing, the repainting around focus and size changes, and the
// colours are here, once. Drawing stays in UTF-16: the rows on screen keep
// their texts converted and compacted, and a cell is measured once.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/control_win.h"

class COwnerDrawnList : public CControl {
 public:
  bool Attach(HWND list);

  // Column 1's texts are compacted again to the column's current width.
  void CompactFolderColumn();

  // A row's label and its column 1 path as drawn (compacted once the column
  // was), kept while the row is on screen; empty past the last row.
  const std::wstring& LabelText(size_t row);
  const std::wstring& FolderText(size_t row);

  bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  // Whether a selected row is drawn highlighted up to the client edge.
  bool m_bRowHighlight = TRUE;
  bool m_bHighlightToEdge = TRUE;
  COLORREF m_crText = GetSysColor(COLOR_WINDOWTEXT);
  COLORREF m_crTextBack = GetSysColor(COLOR_WINDOW);
  COLORREF m_crBack = GetSysColor(COLOR_WINDOW);
  int m_nClientWidth = 0;
  int m_nStateImageOffset = 0;

 protected:
  // What row `row` shows: its label (column 0), the path column 1 shows
  // compacted, and its image in the small image list.
  virtual size_t RowCount() const = 0;
  virtual std::string_view RowLabel(size_t row) const = 0;
  virtual std::string_view RowFolder(size_t row) const = 0;
  virtual int RowImage(size_t row) const = 0;

  // The rows changed (set, sorted, added): texts kept for them are stale.
  void ForgetRowTexts() { m_rowTexts.clear(); }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct RowTexts {
    std::wstring label;
    std::wstring folder;
  };
  const RowTexts& TextsOf(size_t row);
  void ForgetHiddenRows();
  std::wstring CompactPath(std::string_view path) const;
  void CompactFolderColumnTo(int width);
  // All of a row's state bits, the ones the control does not keep clear.
  UINT RowState(int row) const;
  void DrawItem(const DRAWITEMSTRUCT& item);
  // The parts of one row, drawn in this order: the band behind it, its
  // state image and icon in `r` (the item's rectangle), its label and path.
  void DrawBand(HDC dc, const RECT& band, bool selected) const;
  void DrawImages(HDC dc, const RECT& r, int index, UINT state, bool selected) const;
  void DrawCells(HDC dc, int index);
  // `text` in `area`, cut with "..." to fit `width` with `margin` to spare;
  // aligned by `wholeAlign` when it fits whole, to the left when cut.
  void DrawFitted(HDC dc, const std::wstring& text, int width, int margin, RECT area, UINT wholeAlign);
  void WidenPaintArea();
  void OnFocusChange(HWND other);
  void InvalidateSelectedRows();
  RECT HighlightBand(int row) const;
  bool IsReportView() const;

  // -1 until the first compacting: column 1 shows whole paths until then.
  int m_nCompactWidth = -1;
  int m_nEllipsisWidth = -1;  // in the list's font, measured when first needed
  std::unordered_map<size_t, RowTexts> m_rowTexts;
  std::vector<int> m_extents;  // one cell's prefix widths, reused
};
