#include "tests/win32/app_fixture.h"

#include "app/velnor_view_win.h"

namespace {

using MainFrameTest = StartedAppTest;

TEST_F(MainFrameTest, IsAHiddenTopLevelWindowWithTheEmptyViewInside) {
  EXPECT_EQ(FindWindowW(CMainFrame::kClassName, L"Plovant Velnor"), frame);
  EXPECT_FALSE(IsWindowVisible(frame));
  EXPECT_EQ(GetParent(frame), nullptr);
  EXPECT_EQ(GetWindow(frame, GW_OWNER), nullptr);
  const HWND view = FindWindowExW(frame, nullptr, CVelnorView::kClassName, nullptr);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(GetParent(view), frame);
}

TEST_F(MainFrameTest, HoldsCtrlAltRWhileItLivesAndReleasesItAtExit) {
  EXPECT_FALSE(HotKeyFree());
  SendMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);
  ASSERT_EQ(exitCodes.size(), 1u);
  EXPECT_TRUE(HotKeyFree());
}

TEST_F(MainFrameTest, StartUpAddsTheTrayIcon) {
  EXPECT_TRUE(TrayIconShown());
}

TEST_F(MainFrameTest, PutsTheIconBackWhenTheTaskbarIsCreatedAgain) {
  ASSERT_TRUE(app->RemoveTrayIcon());
  ASSERT_FALSE(TrayIconShown());
  SendMessageW(frame, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(TrayIconShown());
}

TEST_F(MainFrameTest, StartUpTurnsOffTheFirstRunFlagOnlyInMemory) {
  // Stored at exit, not at start: a start that never exits normally shows
  // the help again next time.
  EXPECT_FALSE(app->m_pDoc->m_bFirstRun);
  EXPECT_EQ(fs.files[dbPath], seededBytes);
}

}  // namespace
