// The result list's drawing with a real device context: the highlight band,
// the focus rectangle and the compacted folder column.
#include "launcher_fixture.h"

namespace {

// A row drawn into a bitmap of the list's client size.
class RowPicture {
 public:
  RowPicture(HWND list, int width, int height) : m_width(width), m_height(height) {
    const HDC screen = GetDC(list);
    m_dc = CreateCompatibleDC(screen);
    m_bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(list, screen);
    m_old = SelectObject(m_dc, m_bitmap);
    SelectObject(m_dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    RECT all = {0, 0, width, height};
    FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  ~RowPicture() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
  }
  HDC Dc() const { return m_dc; }
  COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }

 private:
  int m_width, m_height;
  HDC m_dc;
  HBITMAP m_bitmap;
  HGDIOBJ m_old;
};

class ResultListTest : public LauncherFixture {
 protected:
  void Draw(const RowPicture& picture, int row) {
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_LISTVIEW;
    item.CtlID = IDC_RESULT_LIST;
    item.itemID = row;
    item.hwndItem = list;
    item.hDC = picture.Dc();
    item.itemAction = ODA_DRAWENTIRE;
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item.rcItem));
    SendMessageW(hwnd, WM_DRAWITEM, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&item));
  }
  RECT Label(int row) {
    RECT r = {LVIR_LABEL, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    return r;
  }
};

TEST_F(ResultListTest, ASelectedRowIsHighlightedFromItsLabelToTheClientEdge) {
  AddFile("one.txt");
  AddFile("two.txt");
  Open();
  // Narrow columns leave room to the right of the last one.
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, 80);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, 60);
  RECT client = {};
  GetClientRect(list, &client);
  ASSERT_GT(client.right, 200);
  RowPicture picture(list, client.right, client.bottom);
  Draw(picture, 0);  // selected
  Draw(picture, 1);
  const RECT label0 = Label(0);
  const RECT label1 = Label(1);
  const int y0 = (label0.top + label0.bottom) / 2;
  const int y1 = (label1.top + label1.bottom) / 2;
  EXPECT_EQ(picture.At(client.right - 2, y0), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(picture.At(label0.left + 1, label0.top + 1), GetSysColor(COLOR_HIGHLIGHT));
  // The icon's place is left out of the band.
  EXPECT_NE(picture.At(label0.left - 3, label0.top), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(picture.At(client.right - 2, y1), dlg->ResultList().m_crTextBack);
}

TEST_F(ResultListTest, TheFocusRectangleIsDrawnOnlyWhileTheListHasTheFocus) {
  AddFile("one.txt");
  Open();
  RECT client = {};
  GetClientRect(list, &client);
  RowPicture unfocused(list, client.right, client.bottom);
  SetFocus(query);
  Draw(unfocused, 0);
  RowPicture focused(list, client.right, client.bottom);
  SetFocus(list);
  ASSERT_EQ(GetFocus(), list);
  Draw(focused, 0);
  const RECT label = Label(0);
  int differing = 0;
  for (int x = label.left; x < client.right; ++x) differing += focused.At(x, label.top) != unfocused.At(x, label.top);
  EXPECT_GT(differing, 10);
  // Without focus, the band's top edge is plain highlight.
  for (int x = label.left; x < client.right - 1; x += 7) EXPECT_EQ(unfocused.At(x, label.top), GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(ResultListTest, FolderColumnIsCompactedToItsWidthAndRecompactedOnlyWhenItsResizeEnds) {
  const std::string deep = "C:\\Program Files\\Some Vendor\\Some Product\\Version 12\\Shared Components\\Bin";
  AddRecord(deep, "tool.exe");
  Open();
  const std::wstring wide = dlg->ResultList().FolderText(0);
  EXPECT_NE(wide, Utf8ToWide(deep));
  EXPECT_NE(wide.find(L"..."), std::wstring::npos);

  // Column 0's resize changes nothing.
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, 50);
  NMHEADERW end = {};
  HDITEMW width = {};
  width.mask = HDI_WIDTH;
  width.cxy = 50;
  end.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  end.hdr.code = HDN_ENDTRACKW;
  end.iItem = 0;
  end.pitem = &width;
  SendMessageW(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(dlg->ResultList().FolderText(0), wide);

  // Column 1 made wide enough: the whole path shows.
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, 900);
  EXPECT_EQ(dlg->ResultList().FolderText(0), wide);
  width.cxy = 900;
  end.iItem = 1;
  SendMessageW(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(dlg->ResultList().FolderText(0), Utf8ToWide(deep));
}

}  // namespace

namespace {

// Paints a black bar over the list's client area from x to the right edge
// on the row's line, as a stale picture that only a repaint removes.
void Smudge(HWND list, const RECT& row, int x) {
  const HDC dc = GetDC(list);
  RECT stale = {x, row.top, 10000, row.bottom};
  FillRect(dc, &stale, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(list, dc);
}

COLORREF ScreenPixel(HWND list, int x, int y) {
  const HDC dc = GetDC(list);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(list, dc);
  return colour;
}

TEST_F(ResultListTest, RepaintingPartOfTheFirstRowAlsoRepaintsTheBandBeyondTheLastColumn) {
  AddFile("one.txt");
  Open();
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, 80);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, 60);
  UpdateWindow(list);
  RECT client = {};
  GetClientRect(list, &client);
  const RECT label = Label(0);
  const int y = (label.top + label.bottom) / 2;
  Smudge(list, label, label.left);
  ASSERT_EQ(ScreenPixel(list, client.right - 3, y), RGB(0, 0, 0));
  // Only a few pixels inside the title are asked for.
  RECT part = {label.left, label.top, label.left + 10, label.bottom};
  InvalidateRect(list, &part, FALSE);
  UpdateWindow(list);
  EXPECT_EQ(ScreenPixel(list, client.right - 3, y), GetSysColor(COLOR_HIGHLIGHT));
}

}  // namespace
