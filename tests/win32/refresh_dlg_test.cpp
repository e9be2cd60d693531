// The refresh's progress window as the dialog manager builds it from its
// template, and its progress bar driven through the refresh's interface.
#include "database/refresh_dlg_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"

namespace {

std::wstring WindowText(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 255);
  return text;
}

// Dialog units to pixels worked out from the template's font, the way the
// dialog manager does it: a quarter of the average letter width across and
// an eighth of the font's height down.
SIZE DialogUnitsToPixels(const wchar_t* face, int pointSize, int x, int y) {
  const HDC dc = GetDC(nullptr);
  LOGFONTW lf = {};
  lf.lfHeight = -MulDiv(pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy(lf.lfFaceName, face);
  const HFONT font = CreateFontIndirectW(&lf);
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm = {};
  GetTextMetricsW(dc, &tm);
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE letters = {};
  GetTextExtentPoint32W(dc, kLetters, 52, &letters);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  const int baseX = (letters.cx / 26 + 1) / 2;
  const int baseY = tm.tmHeight;
  return SIZE{MulDiv(x, baseX, 4), MulDiv(y, baseY, 8)};
}

class RefreshDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dlg.Create("Refresh Database - Plovant Velnor"));
    hwnd = dlg.GetSafeHwnd();
    bar = dlg.GetProgressBar();
    ASSERT_NE(bar, nullptr);
  }

  int Position() const { return static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)); }
  PBRANGE Range() const {
    PBRANGE range = {};
    SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    return range;
  }

  CRefreshDlg dlg;
  HWND hwnd = nullptr;
  HWND bar = nullptr;
};

TEST_F(RefreshDlgTest, IsAHiddenOwnerlessCaptionWindowWithoutCloseBox) {
  EXPECT_EQ(WindowText(hwnd), L"Refresh Database - Plovant Velnor");
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(style & WS_SYSMENU, 0);
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
}

TEST_F(RefreshDlgTest, IsOneSmoothBarFillingA160By11UnitClientArea) {
  const SIZE expected = DialogUnitsToPixels(L"Arial", 8, 160, 11);
  // A dialog unit is several pixels across and more than one down.
  EXPECT_GT(expected.cx, 160);
  EXPECT_GT(expected.cy, 11);
  RECT client = {};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, expected.cx);
  EXPECT_EQ(client.bottom, expected.cy);
  RECT units = {0, 0, 160, 11};
  MapDialogRect(hwnd, &units);
  EXPECT_EQ(units.right, expected.cx);
  EXPECT_EQ(units.bottom, expected.cy);

  EXPECT_EQ(GetDlgCtrlID(bar), 1003);
  wchar_t cls[64] = {};
  GetClassNameW(bar, cls, 63);
  EXPECT_STREQ(cls, PROGRESS_CLASSW);
  EXPECT_TRUE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_SMOOTH);
  RECT barRect = {};
  GetWindowRect(bar, &barRect);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&barRect), 2);
  EXPECT_EQ(barRect.left, 0);
  EXPECT_EQ(barRect.top, 0);
  EXPECT_EQ(barRect.right, client.right);
  EXPECT_EQ(barRect.bottom, client.bottom);
  // Nothing else lives in the window.
  EXPECT_EQ(GetWindow(bar, GW_HWNDNEXT), nullptr);
}

TEST_F(RefreshDlgTest, OpensInTheCornerOfTheWorkArea) {
  RECT work = {};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  RECT r = {};
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.bottom, work.bottom);
}

TEST_F(RefreshDlgTest, BarCountsOneStepPerEntry) {
  dlg.SetRange(7);
  EXPECT_EQ(Range().iLow, 0);
  EXPECT_EQ(Range().iHigh, 7);
  EXPECT_EQ(Position(), 0);
  for (int i = 1; i <= 7; ++i) {
    dlg.StepIt();
    EXPECT_EQ(Position(), i);
  }
  // A tree that grew between the passes leaves the bar full; it does not
  // wrap round to empty.
  dlg.StepIt();
  EXPECT_EQ(Position(), 7);

  // A second range (a new pass) starts again from nothing.
  dlg.SetRange(3);
  EXPECT_EQ(Position(), 0);
}

TEST_F(RefreshDlgTest, ALargeTreeMovesTheBarInVisibleStridesAndEndsFull) {
  // Beyond 16 bits; a thousandth of the range per visible move.
  dlg.SetRange(200000);
  EXPECT_EQ(Range().iHigh, 200000);
  for (int i = 0; i < 70199; ++i) dlg.StepIt();
  EXPECT_EQ(Position(), 70000);
  dlg.StepIt();
  EXPECT_EQ(Position(), 70200);
  for (int i = 70200; i < 200000; ++i) dlg.StepIt();
  EXPECT_EQ(Position(), 200000);
}

TEST_F(RefreshDlgTest, ShowHideAndShowInFront) {
  dlg.Show(true);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  dlg.Show(false);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  dlg.ShowAndActivate();
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetForegroundWindow(), hwnd);
}

TEST_F(RefreshDlgTest, NeitherEscapeNorCloseEndsIt) {
  dlg.Show(true);
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(dlg.GetSafeHwnd(), hwnd);
}

TEST(RefreshDlgLifetimeTest, TheWindowGoesWithTheObject) {
  HWND hwnd;
  {
    CRefreshDlg dlg;
    ASSERT_TRUE(dlg.Create("Initialize Database - Plovant Velnor"));
    hwnd = dlg.GetSafeHwnd();
    EXPECT_EQ(WindowText(hwnd), L"Initialize Database - Plovant Velnor");
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
