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

TEST_F(MainFrameTest, PutsTheIconBackWhenTheTaskbarIsCreatedAgain) {
  ASSERT_TRUE(app->RemoveTrayIcon());
  ASSERT_FALSE(TrayIconShown());
  SendMessageW(frame, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(TrayIconShown());
}

}  // namespace
