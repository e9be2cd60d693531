// The tray menu's states after the update pass, and its commands run on a
// started program over a real folder.
#include <memory>

#include "app/registry_helper_win.h"
#include "tests/win32/app_fixture.h"
#include "tests/win32/dialog_watch.h"
#include "tests/win32/temp_tree.h"

namespace {

constexpr wchar_t kRefreshCaptionW[] = L"Refresh Database - Plovant Velnor";
constexpr wchar_t kInitializeCaptionW[] = L"Initialize Database - Plovant Velnor";

struct ItemLook {
  bool enabled = false;
  bool checked = false;
  std::wstring text;
};

ItemLook Look(HMENU menu, UINT id) {
  ItemLook look;
  const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
  EXPECT_NE(state, static_cast<UINT>(-1)) << id;
  look.enabled = !(state & (MF_GRAYED | MF_DISABLED));
  look.checked = (state & MF_CHECKED) != 0;
  wchar_t text[128] = {};
  GetMenuStringW(menu, id, text, 127, MF_BYCOMMAND);
  look.text = text;
  return look;
}

class TrayCommandsTest : public StartedAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(watch.Installed());
    StartedAppTest::SetUp();
    doc = app->m_pDoc;
  }
  void Seed(CVelnorDoc& seed) override {
    for (int i = 0; i < FileCount(); ++i) tree.AddFile("f" + std::to_string(i) + ".txt");
    seed.m_folders.push_back(std::make_unique<CFolder>("Mine", tree.Root(), true, 140));
  }
  static int FileCount() { return 5; }

  int FoundCount() const {
    int found = 0;
    for (const auto& record : doc->m_files) found += record->m_bFound ? 1 : 0;
    return found;
  }
  void Command(UINT id) { SendMessageW(frame, WM_COMMAND, id, 0); }

  // The tray menu as the update pass leaves it when `which` opens (0: the
  // tray popup, 6: its Preferences popup).
  HMENU OpenedTrayMenu(int which) {
    menu = CMainFrame::LoadTrayMenu();
    const HMENU tray = GetSubMenu(menu.Get(), 0);
    const HMENU popup = which == 0 ? tray : GetSubMenu(tray, which);
    SendMessageW(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), which);
    return popup;
  }

  TempTree tree{"velnor-tray"};
  DialogWatch watch;
  CVelnorDoc* doc = nullptr;
  MenuHandle menu;
};

TEST_F(TrayCommandsTest, ChecksFollowTheOptionsNotTheResource) {
  doc->m_bAutorun = false;
  doc->m_bMp3Support = true;
  doc->m_bSearchFullPath = true;
  const HMENU tray = OpenedTrayMenu(0);
  EXPECT_FALSE(Look(tray, ID_AUTORUN).checked);
  EXPECT_TRUE(Look(tray, ID_MP3_SUPPORT).checked);
  EXPECT_TRUE(Look(tray, ID_SEARCH_FULL_PATH).checked);

  // Marks left in the menu are overwritten when the Preferences popup opens.
  doc->m_bAutorun = true;
  doc->m_bMp3Support = false;
  const HMENU preferences = GetSubMenu(tray, 6);
  SendMessageW(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(preferences), 6);
  EXPECT_TRUE(Look(preferences, ID_AUTORUN).checked);
  EXPECT_FALSE(Look(preferences, ID_MP3_SUPPORT).checked);
  for (UINT id : {ID_FOLDER_SETTINGS, ID_AUTORUN, ID_MP3_SUPPORT, ID_SEARCH_FULL_PATH}) {
    EXPECT_TRUE(Look(preferences, id).enabled) << id;
  }
  EXPECT_EQ(Look(tray, ID_REFRESH_DATABASE).text, L"&Refresh Database");
}

TEST_F(TrayCommandsTest, DuringARefreshOnlyCancelAndTheAlwaysItemsAreOffered) {
  doc->m_bRefreshing = true;
  const HMENU tray = OpenedTrayMenu(0);
  EXPECT_EQ(Look(tray, ID_REFRESH_DATABASE).text, L"&Cancel Refresh");
  EXPECT_TRUE(Look(tray, ID_REFRESH_DATABASE).enabled);
  EXPECT_FALSE(Look(tray, ID_EXECUTE_FILES).enabled);
  for (UINT id : {ID_FOLDER_SETTINGS, ID_AUTORUN, ID_MP3_SUPPORT, ID_SEARCH_FULL_PATH}) {
    EXPECT_FALSE(Look(tray, id).enabled) << id;
  }
  for (UINT id : {ID_APP_ABOUT, ID_SEND_FEEDBACK, ID_STARTER_HELP, ID_APP_EXIT}) {
    EXPECT_TRUE(Look(tray, id).enabled) << id;
  }
  // The item keeps its place and its default neighbour.
  EXPECT_EQ(GetMenuItemID(tray, 4), static_cast<UINT>(ID_REFRESH_DATABASE));

  doc->m_bRefreshing = false;
  SendMessageW(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(tray), 0);
  EXPECT_EQ(Look(tray, ID_REFRESH_DATABASE).text, L"&Refresh Database");
  EXPECT_TRUE(Look(tray, ID_EXECUTE_FILES).enabled);
}

// What the real tray menu showed, read from inside its own modal loop.
struct RealMenuLook {
  bool seen = false;
  UINT defaultItem = 0;
  ItemLook execute, refresh, mp3;
};
RealMenuLook g_look;

TEST_F(TrayCommandsTest, TheRealMenuOpenedByARightClickShowsTheUpdatedStates) {
  doc->m_bRefreshing = true;  // as inside a refresh's message pump
  doc->m_bMp3Support = false;
  g_look = RealMenuLook();
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
    const HWND window = FindWindowW(L"#32768", nullptr);
    if (!window || !IsWindowVisible(window) || g_look.seen) return;
    const HMENU open = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    g_look.seen = true;
    // Still the default (in bold) while it is disabled.
    g_look.defaultItem = GetMenuDefaultItem(open, FALSE, GMDI_USEDISABLED);
    g_look.execute = Look(open, ID_EXECUTE_FILES);
    g_look.refresh = Look(open, ID_REFRESH_DATABASE);
    g_look.mp3 = Look(open, ID_MP3_SUPPORT);
    EndMenu();
  });
  SendMessageW(frame, WM_TRAYNOTIFY, 0, WM_RBUTTONDOWN);
  KillTimer(nullptr, timer);
  doc->m_bRefreshing = false;

  ASSERT_TRUE(g_look.seen);
  EXPECT_EQ(g_look.defaultItem, static_cast<UINT>(ID_EXECUTE_FILES));
  EXPECT_FALSE(g_look.execute.enabled);
  EXPECT_EQ(g_look.refresh.text, L"&Cancel Refresh");
  EXPECT_TRUE(g_look.refresh.enabled);
  EXPECT_FALSE(g_look.mp3.enabled);
  EXPECT_FALSE(g_look.mp3.checked);
}

TEST_F(TrayCommandsTest, RefreshDatabaseRunsWithItsProgressWindowShown) {
  ASSERT_EQ(FoundCount(), 5);
  tree.AddFile("new.txt");
  Command(ID_REFRESH_DATABASE);
  EXPECT_EQ(watch.CountTitled(kRefreshCaptionW, true), 1);
  EXPECT_EQ(FoundCount(), 6);
  EXPECT_FALSE(doc->m_bRefreshing);
  EXPECT_EQ(doc->m_pRefreshDlg, nullptr);
  EXPECT_EQ(FindWindowW(L"#32770", kRefreshCaptionW), nullptr);
}

TEST_F(TrayCommandsTest, TheHotKeyDuringTheStartUpRefreshShowsItsHiddenWindow) {
  PostMessageW(frame, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'R'));
  doc->RefreshDatabase(kInitializeCaption);
  // Once by the start itself (hidden), once here, shown by the hot key.
  EXPECT_EQ(watch.CountTitled(kInitializeCaptionW), 2);
  EXPECT_EQ(watch.CountTitled(kInitializeCaptionW, true), 1);
}

TEST_F(TrayCommandsTest, Mp3SupportTogglesAndRefreshes) {
  ASSERT_TRUE(doc->m_bMp3Support);
  Command(ID_MP3_SUPPORT);
  EXPECT_FALSE(doc->m_bMp3Support);
  EXPECT_EQ(watch.CountTitled(kRefreshCaptionW, true), 1);
  Command(ID_MP3_SUPPORT);
  EXPECT_TRUE(doc->m_bMp3Support);
  EXPECT_EQ(watch.CountTitled(kRefreshCaptionW, true), 2);
}

TEST_F(TrayCommandsTest, SearchFullPathAndAutorunOnlyToggleTheirFlags) {
  const bool fullPath = doc->m_bSearchFullPath;
  const bool autorun = doc->m_bAutorun;
  Command(ID_SEARCH_FULL_PATH);
  Command(ID_AUTORUN);
  EXPECT_EQ(doc->m_bSearchFullPath, !fullPath);
  EXPECT_EQ(doc->m_bAutorun, !autorun);
  EXPECT_EQ(watch.CountTitled(kRefreshCaptionW), 0);
  // The registry follows only at exit.
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Plovant Velnor Tests\\Run", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  if (key) RegCloseKey(key);
}

TEST_F(TrayCommandsTest, CommandsTheMenuDisablesAreIgnoredDuringARefresh) {
  doc->m_bRefreshing = true;
  const bool mp3 = doc->m_bMp3Support, autorun = doc->m_bAutorun, fullPath = doc->m_bSearchFullPath;
  Command(ID_MP3_SUPPORT);
  Command(ID_AUTORUN);
  Command(ID_SEARCH_FULL_PATH);
  EXPECT_EQ(doc->m_bMp3Support, mp3);
  EXPECT_EQ(doc->m_bAutorun, autorun);
  EXPECT_EQ(doc->m_bSearchFullPath, fullPath);
  EXPECT_FALSE(doc->m_bCancelRefresh);  // the running refresh goes on
  doc->m_bRefreshing = false;
}

std::wstring ScratchRunValue() {
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof(buffer);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Plovant Velnor Tests\\Run", L"Plovant Velnor", RRF_RT_REG_SZ,
                   nullptr, buffer, &bytes) != ERROR_SUCCESS) {
    return L"<absent>";
  }
  return buffer;
}

TEST_F(TrayCommandsTest, ExitWithAutorunWritesTheQuotedProgramPath) {
  ASSERT_TRUE(doc->m_bAutorun);
  Command(ID_APP_EXIT);
  ASSERT_EQ(exitCodes, std::vector<UINT>{0});
  EXPECT_EQ(ScratchRunValue(), L"\"" + Utf8ToWide(GetModuleFilePath()) + L"\"");
  EXPECT_TRUE(SavedDocument()->m_bAutorun);
}

TEST_F(TrayCommandsTest, AutorunTurnedOffIsDeletedAtExit) {
  CRegistryHelper().SetValue("HKEY_CURRENT_USER", kScratchRunKey, "Plovant Velnor", "\"C:\\old\\velnor.exe\"");
  Command(ID_AUTORUN);
  ASSERT_FALSE(doc->m_bAutorun);
  EXPECT_EQ(ScratchRunValue(), L"\"C:\\old\\velnor.exe\"");  // not before the exit
  Command(ID_APP_EXIT);
  ASSERT_EQ(exitCodes, std::vector<UINT>{0});
  EXPECT_EQ(ScratchRunValue(), L"<absent>");
  EXPECT_FALSE(SavedDocument()->m_bAutorun);
}

TEST_F(TrayCommandsTest, AFailedSaveThatKeepsTheProgramRunningLeavesTheRegistryAlone) {
  fs.failWrites = true;
  answers = {SaveFailureChoice::kKeepRunning};
  Command(ID_APP_EXIT);
  EXPECT_TRUE(exitCodes.empty());
  EXPECT_EQ(ScratchRunValue(), L"<absent>");
}

using CancelRefreshTest = TrayCommandsTest;

TEST_F(CancelRefreshTest, CancelRefreshStopsTheRunningRefresh) {
  ASSERT_EQ(FoundCount(), 5);
  // Chosen from the menu while the refresh runs: the same command again,
  // which the refresh's message pump delivers at its first entry.
  PostMessageW(frame, WM_COMMAND, ID_REFRESH_DATABASE, 0);
  Command(ID_REFRESH_DATABASE);
  EXPECT_FALSE(doc->m_bRefreshing);
  EXPECT_FALSE(doc->m_bCancelRefresh);
  // Stopped while counting: the update pass then takes only the folder's
  // first entry (its "." entry), so no file is found again.
  EXPECT_EQ(FoundCount(), 0);
  EXPECT_EQ(FindWindowW(L"#32770", kRefreshCaptionW), nullptr);

  // The next refresh is not cancelled by the last one's request.
  Command(ID_REFRESH_DATABASE);
  EXPECT_EQ(FoundCount(), 5);
}

}  // namespace
