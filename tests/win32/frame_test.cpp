// The tray frame of a started program: its icon, menu and hot key, the
// launcher it runs, and the one way the program ends.
#include <functional>
#include <map>
#include <optional>

#include "database/refresh_dlg_win.h"
#include "folders/folder_settings_dlg_win.h"
#include "tests/win32/fixtures.h"

namespace {

class FrameTest : public ::testing::Test, public StartedApp {
 protected:
  CRefreshController& Refresh() { return *app.GetMainFrame()->GetRefreshController(); }
};

TEST_F(FrameTest, PutsTheIconBackWhenTheTaskbarIsCreatedAgain) {
  ASSERT_TRUE(app.RemoveTrayIcon());
  ASSERT_FALSE(TrayIconShown());
  SendMessageW(frame, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(TrayIconShown());
}

// The start-up refresh keeps its window hidden until someone asks for it;
// a single click or a move over the icon asks nothing.
TEST_F(FrameTest, DuringARefreshEveryWayInShowsTheProgressWindow) {
  const CRefreshController::Session running = Refresh().Begin(RefreshKind::kStartUp);
  const auto* dlg = dynamic_cast<const CRefreshDlg*>(running.Window());
  ASSERT_NE(dlg, nullptr);
  const auto shownBy = [&](const std::function<void()>& way) {
    ShowWindow(dlg->GetSafeHwnd(), SW_HIDE);
    way();
    return IsWindowVisible(dlg->GetSafeHwnd()) != FALSE;
  };
  EXPECT_TRUE(shownBy([&] { HotKey(); }));
  EXPECT_TRUE(shownBy([&] { Tray(WM_LBUTTONDBLCLK); }));
  InsideModalLoop menu(L"#32768", nullptr, [](HWND) { EndMenu(); });
  EXPECT_FALSE(shownBy([&] {
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE}) Tray(mouse);
  }));
  EXPECT_FALSE(menu.ran);
  EXPECT_TRUE(shownBy([&] { Tray(WM_RBUTTONDOWN); }));  // and the menu opens
  EXPECT_TRUE(menu.ran);
}

// Read from inside the menu's own loop: the states worked out for this
// moment reach the nested Preferences popup too, and the resource's marks
// play no part.
TEST_F(FrameTest, TheRealTrayMenuShowsTheComputedStates) {
  std::optional<CRefreshController::Session> running;
  running.emplace(Refresh(), RefreshKind::kUserRequested);  // as inside a refresh's message pump
  doc->m_bMp3Support = false;
  doc->m_bSearchFullPath = true;
  UINT defaultItem = 0;
  std::map<UINT, UINT> state;
  wchar_t refreshText[64] = {};
  InsideModalLoop inside(L"#32768", nullptr, [&](HWND window) {
    const HMENU open = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    defaultItem = GetMenuDefaultItem(open, FALSE, GMDI_USEDISABLED);
    for (UINT id : {ID_EXECUTE_FILES, ID_REFRESH_DATABASE, ID_MP3_SUPPORT, ID_SEARCH_FULL_PATH}) {
      state[id] = GetMenuState(open, id, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED);
    }
    GetMenuStringW(open, ID_REFRESH_DATABASE, refreshText, 63, MF_BYCOMMAND);
    EndMenu();
  });
  Tray(WM_RBUTTONDOWN);
  running.reset();
  ASSERT_TRUE(inside.ran);
  EXPECT_EQ(defaultItem, static_cast<UINT>(ID_EXECUTE_FILES));  // still bold while disabled
  EXPECT_STREQ(refreshText, L"&Cancel Refresh");
  EXPECT_EQ(state, (std::map<UINT, UINT>{{ID_EXECUTE_FILES, MF_GRAYED},
                                         {ID_REFRESH_DATABASE, 0},
                                         {ID_MP3_SUPPORT, MF_GRAYED},
                                         {ID_SEARCH_FULL_PATH, MF_GRAYED | MF_CHECKED}}));
}

// Tags are read only by a scan, so only MP3 support refreshes; the Run
// value follows the autorun flag at exit. During a refresh the menu greys
// the options, and the same commands arriving some other way do nothing.
TEST_F(FrameTest, OptionCommandsToggleTheirFlagsAndOnlyMp3SupportRefreshes) {
  const std::string added = JoinPath({"C:", "Mine", "new.txt"});
  env.AddFile(added);
  Command(ID_SEARCH_FULL_PATH);
  Command(ID_AUTORUN);
  EXPECT_TRUE(doc->m_bSearchFullPath);
  EXPECT_FALSE(doc->m_bAutorun);
  EXPECT_EQ(doc->FindFile(added), nullptr);
  EXPECT_EQ(RunValue(), "<absent>");
  Command(ID_MP3_SUPPORT);
  EXPECT_FALSE(doc->m_bMp3Support);
  EXPECT_NE(doc->FindFile(added), nullptr);

  const CRefreshController::Session running = Refresh().Begin(RefreshKind::kUserRequested);
  for (UINT id : {ID_SEARCH_FULL_PATH, ID_AUTORUN, ID_MP3_SUPPORT}) Command(id);
  EXPECT_TRUE(doc->m_bSearchFullPath);
  EXPECT_FALSE(doc->m_bAutorun);
  EXPECT_FALSE(doc->m_bMp3Support);
  EXPECT_FALSE(Refresh().CancelPending());
}

// A second launcher would hold the hot key's call in a loop of its own
// until the probe's bound cancelled it.
TEST_F(FrameTest, OneLauncherOpensFollowsTheFullPathOptionAndEndsForARefresh) {
  CMainFrame& main = *app.GetMainFrame();
  const auto rows = [&] { return main.m_pLauncherDlg->ResultList().GetRowCount(); };
  size_t opened = 0, beforeToggle = 0, afterToggle = 0;
  InsideModalLoop inside(L"#32770", L"Plovant Velnor", [&](HWND launcher) {
    opened = rows();
    HotKey();
    SetDlgItemTextW(launcher, IDC_QUERY, L"Mine");
    main.m_pLauncherDlg->FilterList();
    beforeToggle = rows();
    Command(ID_SEARCH_FULL_PATH);
    afterToggle = rows();
    Command(ID_REFRESH_DATABASE);
  });
  Tray(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(inside.ran);
  EXPECT_FALSE(inside.forced);
  EXPECT_EQ(opened, 2u);
  EXPECT_EQ(beforeToggle, 0u);
  EXPECT_EQ(afterToggle, 2u);
  EXPECT_EQ(main.m_pLauncherDlg, nullptr);
  EXPECT_FALSE(main.m_bLauncherShown);
  EXPECT_TRUE(doc->m_placement.m_bValid);  // where it stood, for the next opening
}

// What the user sets is on the disk at once, not at exit: a crash or a kill
// later loses none of it.
TEST_F(FrameTest, OptionsAndTheLauncherPlacementAreSavedAsTheyChange) {
  Command(ID_SEARCH_FULL_PATH);
  Command(ID_AUTORUN);
  PumpUntil([&] { return Saved()->m_bSearchFullPath; }, 2000);
  EXPECT_TRUE(Saved()->m_bSearchFullPath);
  EXPECT_FALSE(Saved()->m_bAutorun);

  InsideModalLoop inside(L"#32770", L"Plovant Velnor", [&](HWND launcher) {
    SetWindowPos(launcher, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PostMessageW(launcher, WM_COMMAND, IDCANCEL, 0);
  });
  Tray(WM_LBUTTONDBLCLK);
  ASSERT_TRUE(inside.ran);
  PumpUntil([&] { return Saved()->m_placement == doc->m_placement; }, 2000);
  EXPECT_TRUE(Saved()->m_placement.m_bValid);
  EXPECT_EQ(Saved()->m_placement.m_rect.left, doc->m_placement.m_rect.left);
}

// A second copy, started while the first held Ctrl+Alt+R, takes the key once
// the first lets it go (exits): the user is never left without it.
TEST(HotKeyTest, ACopyStartedWhileTheKeyWasTakenTakesItOnceFree) {
  ASSERT_TRUE(RegisterHotKey(nullptr, 0x7001, MOD_CONTROL | MOD_ALT, 'R'));
  StartedApp second;
  PumpUntil([] { return false; }, 2500);  // the retry finds it taken still
  ASSERT_TRUE(UnregisterHotKey(nullptr, 0x7001));
  EXPECT_TRUE(PumpUntil([] { return !StartedApp::HotKeyFree(); }, 5000));
}

// A later start opens no guide by itself (a first start's: CloseSequenceTest).
TEST_F(FrameTest, TheGuideBesideTheProgramAndTheMailLinkGoToTheShell) {
  EXPECT_TRUE(env.launches.empty());
  Command(ID_STARTER_HELP);
  Command(ID_SEND_FEEDBACK);
  std::string guide = env.modulePath;
  guide.replace(guide.rfind('\\') + 1, std::string::npos, "help.htm");
  EXPECT_EQ(env.launches,
            (std::vector<std::string>{guide, "mailto:feedback@plovant.example?subject=Feedback on Plovant Velnor"}));
}

// The watcher's thread rescans and posts; the frame refills the open
// launcher, whose chosen row stays chosen although rows moved above it.
TEST_F(FrameTest, AWatchedChangeRefillsTheOpenLauncherKeepingTheSelection) {
  CMainFrame& main = *app.GetMainFrame();
  CResultList* list = nullptr;
  std::vector<const CFileInfo*> selected;
  InsideModalLoop inside(L"#32770", L"Plovant Velnor", [&](HWND) {
    list = &main.m_pLauncherDlg->ResultList();
    ListView_SetItemState(list->GetSafeHwnd(), 1, LVIS_SELECTED, LVIS_SELECTED);  // alpha and beta
    ASSERT_TRUE(env.notifications.WaitUntilIdle());  // the watcher has its folder
    env.AddFile(JoinPath({"C:", "Mine", "aardvark.txt"}));
    env.notifications.Fire({JoinPath({"C:", "Mine"})});
    PumpUntil([&] { return list->GetRowCount() == 3; }, 5000);
    selected = list->GetSelectedRecords();
    main.m_pLauncherDlg->EndLauncher(IDCANCEL);
  });
  Tray(WM_LBUTTONDBLCLK);
  ASSERT_TRUE(inside.ran);
  ASSERT_EQ(selected.size(), 2u);
  EXPECT_EQ(selected[0]->Title(), "alpha");
  EXPECT_EQ(selected[1]->Title(), "beta");
}

// Closing the folder settings refreshes only after a change that needs it
// (a rename does not), and the watcher then starts over the new folders.
// Opened over the launcher, they end it first.
TEST_F(FrameTest, FolderSettingsEndTheLauncherAndOnlyAChangeRefreshesAndRewatches) {
  CMainFrame& main = *app.GetMainFrame();
  const std::string late = JoinPath({"C:", "Mine", "late.txt"});
  env.AddFile(late);
  const auto closeAfter = [&](std::function<void(CFolderList&)> change) {
    return [&main, change](HWND dialog) {
      change(*main.m_pFolderSettingsDlg->GetFolderList());
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };
  };
  ASSERT_TRUE(env.notifications.WaitUntilIdle());
  const int watchers = env.notifications.created;
  {
    InsideModalLoop inside(L"#32770", L"Plovant Velnor", closeAfter([](CFolderList& list) { list.m_onRename(0, "Renamed"); }));
    Command(ID_FOLDER_SETTINGS);
    ASSERT_TRUE(inside.ran && !inside.forced);
  }
  EXPECT_EQ(doc->FindFile(late), nullptr);
  EXPECT_EQ(env.notifications.created, watchers);

  bool launcherHidden = false;
  InsideModalLoop launcher(L"#32770", L"Plovant Velnor", [&](HWND launcherWindow) {
    InsideModalLoop settings(L"#32770", L"Plovant Velnor", closeAfter([&](CFolderList& list) {
      launcherHidden = !IsWindowVisible(launcherWindow);
      list.m_onToggle(0);
      list.m_onToggle(0);
    }));
    Command(ID_FOLDER_SETTINGS);
  });
  Tray(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(launcherHidden);
  EXPECT_EQ(main.m_pLauncherDlg, nullptr);
  EXPECT_EQ(main.m_pFolderSettingsDlg, nullptr);
  ASSERT_NE(doc->FindFile(late), nullptr);
  EXPECT_TRUE(doc->FindFile(late)->Found());
  EXPECT_EQ(env.notifications.created, watchers + 1);
  EXPECT_TRUE(env.notifications.WaitUntilIdle());
  EXPECT_EQ(env.notifications.Watched(), (std::vector<std::string>{JoinPath({"C:", "Mine"})}));
  CFolder folder;
  EXPECT_TRUE(doc->GetFolder(0, folder) && folder.m_bEnabled && folder.m_strName == "Renamed");
}

// A refresh watches again a folder whose notification broke, which the
// watcher itself leaves alone while the folder stays the same.
TEST_F(FrameTest, ARefreshWatchesADroppedFolderAgain) {
  ASSERT_TRUE(env.notifications.WaitUntilIdle());
  env.notifications.Break(JoinPath({"C:", "Mine"}));
  ASSERT_TRUE(env.notifications.WaitUntilIdle());
  ASSERT_TRUE(env.notifications.Watched().empty());
  Command(ID_REFRESH_DATABASE);
  EXPECT_TRUE(env.notifications.WaitUntilIdle());
  EXPECT_EQ(env.notifications.Watched(), (std::vector<std::string>{JoinPath({"C:", "Mine"})}));
}

// No database yet, and no guide beside this program: nothing may stop or
// hold up the start, and nothing is written before the exit. With autorun
// off, the exit deletes the Run value an earlier one wrote.
TEST(CloseSequenceTest, AFirstStartWritesNothingUntilClosingSavesEverything) {
  StartedApp first(true);
  EXPECT_FALSE(IsWindowVisible(first.frame));
  EXPECT_TRUE(first.env.launches.empty());  // not before the program runs
  PumpUntil([&] { return !first.env.launches.empty(); }, 2000);
  EXPECT_EQ(first.env.launches.size(), 1u);  // the guide, as Starter Help opens it
  EXPECT_FALSE(first.doc->m_bFirstRun);
  EXPECT_EQ(first.env.Contents(first.dbPath), nullptr);
  first.doc->m_bSearchFullPath = true;
  first.doc->m_bAutorun = false;
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Plovant Velnor Tests\\Run", L"Plovant Velnor", REG_SZ, L"x", 4);
  ASSERT_EQ(RunValue(), "x");

  SendMessageW(first.frame, WM_CLOSE, 0, 0);

  EXPECT_EQ(first.exitCodes, std::vector<UINT>{0});
  EXPECT_EQ(RunValue(), "<absent>");
  const auto saved = first.Saved();
  EXPECT_TRUE(saved->m_bSearchFullPath);
  EXPECT_FALSE(saved->m_bFirstRun);
}

// The end of the session saves and will not wait for an answer; after a
// failed save at the user's exit the answers decide.
TEST(CloseSequenceTest, SessionEndSavesWithoutAskingAndAFailedSaveAtExitFollowsTheAnswers) {
  using C = SaveFailureChoice;
  const struct {
    const char* name;
    bool sessionEnd, diskFails;
    std::vector<C> answers;
    bool diskBackWhenAsked, exitAgainWhenAsked;
    size_t asked;
    bool exits, saved;
  } cases[] = {
      {"session end", true, false, {}, false, false, 0, true, true},
      {"session end, disk full", true, true, {}, false, false, 0, true, false},
      {"keep running", false, true, {C::kKeepRunning}, false, false, 1, false, false},
      {"retry", false, true, {C::kRetry}, true, false, 1, true, true},
      {"retry, exit without saving", false, true, {C::kRetry, C::kExitWithoutSaving}, false, false, 2, true, false},
      {"a second exit while asking", false, true, {C::kExitWithoutSaving}, false, true, 1, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartedApp s;
    if (c.diskFails) s.faults.lockedPath = s.dbPath;
    s.answer = [&] {
      if (c.diskBackWhenAsked) s.faults.lockedPath.clear();
      if (c.exitAgainWhenAsked) s.Command(ID_APP_EXIT);  // the tray stays live under the question
      return c.answers.at(s.askedPaths.size() - 1);
    };
    s.doc->m_bSearchFullPath = true;
    if (c.sessionEnd) {
      EXPECT_EQ(SendMessageW(s.frame, WM_QUERYENDSESSION, 0, 0), TRUE);
      SendMessageW(s.frame, WM_ENDSESSION, FALSE, 0);  // another program said no
      EXPECT_FALSE(s.Saved()->m_bSearchFullPath);
      SendMessageW(s.frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    } else {
      s.Command(ID_APP_EXIT);
    }
    EXPECT_EQ(s.askedPaths, std::vector<std::string>(c.asked, s.dbPath));
    EXPECT_EQ(s.exitCodes.size(), c.exits ? 1u : 0u);
    EXPECT_EQ(s.Saved()->m_bSearchFullPath, c.saved);
    EXPECT_EQ(s.TrayIconShown(), !c.exits);
    EXPECT_EQ(StartedApp::HotKeyFree(), c.exits);
    // Written at every exit, so that the value follows the program.
    EXPECT_EQ(RunValue(), c.exits ? "\"" + s.env.modulePath + "\"" : "<absent>");
    if (c.exits) continue;
    // Nothing of the exit happened, and the next one can still succeed.
    s.faults.lockedPath.clear();
    s.Command(ID_APP_EXIT);
    EXPECT_EQ(s.exitCodes, std::vector<UINT>{0});
    EXPECT_TRUE(s.Saved()->m_bSearchFullPath);
  }
}

// Another copy holding the hot key stops nothing: this one starts, works
// through its own icon, and never takes the key over.
TEST(SecondCopyTest, StartsWithoutTheHotKeyAndWorksThroughItsIcon) {
  auto first = std::make_unique<StartedApp>();
  StartedApp second;
  EXPECT_TRUE(second.TrayIconShown());
  InsideModalLoop launcher(L"#32770", L"Plovant Velnor", [](HWND w) { PostMessageW(w, WM_COMMAND, IDCANCEL, 0); });
  second.Tray(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(launcher.ran);
  EXPECT_FALSE(launcher.forced);
  first->Command(ID_APP_EXIT);
  ASSERT_EQ(first->exitCodes, std::vector<UINT>{0});
  EXPECT_TRUE(StartedApp::HotKeyFree());
}

}  // namespace
