// Ctrl+Alt+R, a double-click on the tray icon and the tray menu during a
// refresh: the progress window comes forward instead of anything else.
#include "tests/win32/app_fixture.h"

#include "database/scan_host.h"

namespace {

class FakeProgressWindow : public RefreshWindow {
 public:
  void SetRange(uint32_t) override {}
  void Show(bool) override {}
  void StepIt() override {}
  void ShowAndActivate() override { ++activations; }
  int activations = 0;
};

class BringForwardTest : public StartedAppTest {
 protected:
  void SetUp() override {
    StartedAppTest::SetUp();
    app->m_pDoc->m_pRefreshDlg = &progress;
  }
  void TearDown() override {
    app->m_pDoc->m_pRefreshDlg = nullptr;
    StartedAppTest::TearDown();
  }

  // Opens the tray menu and closes it again from inside its own loop.
  void RightClickAndDismiss() {
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
      const HWND menu = FindWindowW(L"#32768", nullptr);
      if (menu && IsWindowVisible(menu)) EndMenu();
    });
    SendMessageW(frame, WM_TRAYNOTIFY, 0, WM_RBUTTONDOWN);
    KillTimer(nullptr, timer);
  }

  FakeProgressWindow progress;
};

TEST_F(BringForwardTest, DuringARefreshEveryWayInShowsTheProgressWindow) {
  app->m_pDoc->m_bRefreshing = true;
  SendMessageW(frame, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'R'));
  EXPECT_EQ(progress.activations, 1);
  SendMessageW(frame, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
  EXPECT_EQ(progress.activations, 2);
  RightClickAndDismiss();  // the menu opens too
  EXPECT_EQ(progress.activations, 3);
  app->m_pDoc->m_bRefreshing = false;
}

TEST_F(BringForwardTest, WithoutARefreshTheProgressWindowStaysAway) {
  // The hot key and the double-click open the launcher, which runs modally:
  // end each one as soon as it shows.
  const UINT_PTR closer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
    const HWND launcher = FindWindowW(L"#32770", L"Plovant Velnor");
    if (launcher && IsWindowVisible(launcher)) PostMessageW(launcher, WM_COMMAND, IDCANCEL, 0);
  });
  SendMessageW(frame, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'R'));
  SendMessageW(frame, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
  KillTimer(nullptr, closer);
  SendMessageW(frame, WM_TRAYNOTIFY, 0, WM_LBUTTONDOWN);
  RightClickAndDismiss();
  EXPECT_EQ(progress.activations, 0);
  EXPECT_TRUE(exitCodes.empty());
}

TEST_F(BringForwardTest, ARefreshWithNoWindowYetIsNoProblem) {
  app->m_pDoc->m_pRefreshDlg = nullptr;
  app->m_pDoc->m_bRefreshing = true;
  SendMessageW(frame, WM_HOTKEY, 0, 0);
  SendMessageW(frame, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
  app->m_pDoc->m_bRefreshing = false;
  EXPECT_TRUE(IsWindow(frame));
}

}  // namespace
