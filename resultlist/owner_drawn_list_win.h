// What the launcher's result list and the folder settings' folder list have
// in common: report rows drawn by the program. The selection band runs to
// the client edge, texts that do not fit end in "...", and column 1 holds a
// path compacted to the column's width. A derived list says what each row
// shows; the drawing, the repainting around focus and size changes, and the
// colours are here, once.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

#include "framework/control_win.h"

class COwnerDrawnList : public CControl {
 public:
  bool Attach(HWND list);

  // Column 1's texts are compacted again to the column's current width.
  void CompactFolderColumn();

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
  // What row `row` shows: its label (column 0), the text of a later column
  // as drawn (column 1 compacted), and its image in the small image list.
  virtual size_t RowCount() const = 0;
  virtual std::string RowLabel(size_t row) const = 0;
  virtual std::wstring ColumnText(size_t row, int column) = 0;
  virtual int RowImage(size_t row) const = 0;

  // Column 1 changed width: texts compacted before are stale.
  virtual void OnCompactWidthChanged() = 0;
  // `path` shortened with "..." in its middle to fit column 1.
  std::wstring CompactPath(std::string_view path) const;

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CompactFolderColumnTo(int width);
  void DrawItem(const DRAWITEMSTRUCT& item);
  void WidenPaintArea();
  void OnFocusChange(HWND other);
  void InvalidateSelectedRows();
  RECT HighlightBand(int row) const;
  bool IsReportView() const;

  int m_nCompactWidth = 0;
};
