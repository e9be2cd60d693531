// The launcher run from the tray frame: Ctrl+Alt+R opens one, a second press
// only brings it forward, a refresh ends it, and the full-path option
// refilters it while it is open.
#include <gtest/gtest.h>

#include <functional>

#include "launcher/launcher_dlg_win.h"
#include "tests/win32/app_fixture.h"
#include "tests/win32/temp_tree.h"

namespace {

constexpr wchar_t kLauncherCaption[] = L"Plovant Velnor";

int CountVisibleLaunchers() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM counter) {
        wchar_t cls[16] = {}, caption[64] = {};
        GetClassNameW(hwnd, cls, 15);
        GetWindowTextW(hwnd, caption, 63);
        if (wcscmp(cls, L"#32770") == 0 && wcscmp(caption, kLauncherCaption) == 0 && IsWindowVisible(hwnd)) {
          ++*reinterpret_cast<int*>(counter);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

HWND VisibleLauncher() {
  const HWND dlg = FindWindowW(L"#32770", kLauncherCaption);
  return dlg && IsWindowVisible(dlg) ? dlg : nullptr;
}

// Runs an action once inside the launcher's modal loop, as soon as the
// launcher shows. A launcher the action leaves open is cancelled two
// seconds later, so that a failing test ends instead of hanging.
class InsideLauncher {
 public:
  explicit InsideLauncher(std::function<void(HWND)> action) {
    s_action = std::move(action);
    s_ticks = 0;
    s_forced = false;
    m_timer = SetTimer(nullptr, 0, 20, &InsideLauncher::Tick);
  }
  ~InsideLauncher() {
    KillTimer(nullptr, m_timer);
    s_action = nullptr;
  }
  static bool Forced() { return s_forced; }
  static bool Ran() { return !s_action; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    const HWND dlg = VisibleLauncher();
    if (!dlg) return;
    if (s_action) {
      auto action = std::move(s_action);
      s_action = nullptr;
      action(dlg);
    } else if (++s_ticks > 100) {
      s_forced = true;
      PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    }
  }
  static inline std::function<void(HWND)> s_action;
  static inline int s_ticks = 0;
  static inline bool s_forced = false;
  UINT_PTR m_timer = 0;
};

class LauncherWiringTest : public StartedAppTest {
 protected:
  void Seed(CVelnorDoc& seed) override {
    tree.AddFile("alpha.txt");
    tree.AddFile("beta.txt");
    seed.m_folders.push_back(std::make_unique<CFolder>("Mine", tree.Root(), true, 140));
  }
  CMainFrame& Frame() { return *app->GetMainFrame(); }
  size_t Rows() { return Frame().m_pLauncherDlg ? Frame().m_pLauncherDlg->ResultList().GetRowCount() : 0; }
  void HotKey() { SendMessageW(frame, WM_HOTKEY, kHotKeyId, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'R')); }

  TempTree tree{"velnor-wiring"};
};

TEST_F(LauncherWiringTest, HotKeyOpensOneFilledLauncherAndASecondPressOnlyBringsItForward) {
  size_t rows = 0;
  bool shownFlag = false;
  int launchers = 0;
  InsideLauncher inside([&](HWND dlg) {
    rows = Rows();
    shownFlag = Frame().m_bLauncherShown;
    HotKey();
    launchers = CountVisibleLaunchers();
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
  });
  HotKey();
  EXPECT_TRUE(InsideLauncher::Ran());
  EXPECT_FALSE(InsideLauncher::Forced());
  EXPECT_EQ(rows, 2u);
  EXPECT_TRUE(shownFlag);
  EXPECT_EQ(launchers, 1);
  EXPECT_EQ(CountVisibleLaunchers(), 0);
  EXPECT_EQ(Frame().m_pLauncherDlg, nullptr);
  EXPECT_FALSE(Frame().m_bLauncherShown);
  // Its closing kept where it stood for the next opening.
  EXPECT_TRUE(app->m_pDoc->m_placement.m_bValid);
}

TEST_F(LauncherWiringTest, RefreshingTheDatabaseEndsTheLauncher) {
  InsideLauncher inside([&](HWND) { SendMessageW(frame, WM_COMMAND, ID_REFRESH_DATABASE, 0); });
  HotKey();
  EXPECT_TRUE(InsideLauncher::Ran());
  EXPECT_FALSE(InsideLauncher::Forced());
  EXPECT_FALSE(Frame().m_bLauncherShown);
}

TEST_F(LauncherWiringTest, TogglingFullPathSearchRefiltersTheOpenLauncher) {
  size_t before = 99, after = 99;
  InsideLauncher inside([&](HWND dlg) {
    SetDlgItemTextW(dlg, IDC_QUERY, L"velnor-wiring");
    Frame().m_pLauncherDlg->FilterList();
    before = Rows();
    SendMessageW(frame, WM_COMMAND, ID_SEARCH_FULL_PATH, 0);
    after = Rows();
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
  });
  HotKey();
  EXPECT_FALSE(InsideLauncher::Forced());
  EXPECT_EQ(before, 0u);
  EXPECT_EQ(after, 2u);
  EXPECT_TRUE(app->m_pDoc->m_bSearchFullPath);
}

}  // namespace
