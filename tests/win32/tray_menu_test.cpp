#include "tests/win32/app_fixture.h"

namespace {

struct MenuEntry {
  std::wstring text;  // empty for a separator
  UINT id;            // 0 for a separator or a popup
  bool popup;
};

std::vector<MenuEntry> Entries(HMENU menu) {
  std::vector<MenuEntry> entries;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 127;
    EXPECT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &info));
    const bool separator = (info.fType & MFT_SEPARATOR) != 0;
    entries.push_back(
        {separator ? L"" : text, info.hSubMenu || separator ? 0u : info.wID, info.hSubMenu != nullptr});
  }
  return entries;
}

bool operator==(const MenuEntry& a, const MenuEntry& b) {
  return a.text == b.text && a.id == b.id && a.popup == b.popup;
}

void PrintTo(const MenuEntry& e, std::ostream* os) {
  *os << "{\"" << std::string(e.text.begin(), e.text.end()) << "\", " << e.id
      << (e.popup ? ", popup}" : "}");
}

const MenuEntry kSeparator = {L"", 0, false};

// The numbers are written out: they are what other windows and the menu's
// update rules know the commands by, so a renumbered header must show here.
TEST(TrayMenuResourceTest, HasEveryCommandInOrder) {
  const MenuHandle menu = CMainFrame::LoadTrayMenu();
  ASSERT_TRUE(menu.Valid());
  const HMENU tray = GetSubMenu(menu.Get(), 0);
  ASSERT_NE(tray, nullptr);
  const std::vector<MenuEntry> expected = {
      {L"&About && Update...", 57664, false},
      {L"Send &Feedback", 32785, false},
      kSeparator,
      {L"&Execute Files", 32771, false},
      {L"&Refresh Database", 32776, false},
      kSeparator,
      {L"&Preferences", 0, true},
      {L"Starter &Help", 32787, false},
      kSeparator,
      {L"E&xit", 57665, false},
  };
  EXPECT_EQ(Entries(tray), expected);

  const std::vector<MenuEntry> preferences = {
      {L"&Folder Settings...", 32781, false},
      kSeparator,
      {L"&Autorun On Startup", 32782, false},
      {L"Enable &MP3 Support", 32784, false},
      {L"Search In Full &Path", 32786, false},
  };
  EXPECT_EQ(Entries(GetSubMenu(tray, 6)), preferences);
}

// What the open tray menu looked like, read from inside its modal loop.
struct OpenMenuProbe {
  int ticks = 0;
  bool seen = false;
  UINT defaultItem = 0;
  int itemCount = 0;
  WPARAM key = 0;  // typed into the open menu, 0 to close it instead
  HWND frame = nullptr;
};
OpenMenuProbe g_probe;

void CALLBACK ProbeOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  ++g_probe.ticks;
  const HWND menuWindow = FindWindowW(L"#32768", nullptr);
  if (menuWindow && IsWindowVisible(menuWindow) && !g_probe.seen) {
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    g_probe.seen = true;
    g_probe.defaultItem = GetMenuDefaultItem(menu, FALSE, 0);
    g_probe.itemCount = GetMenuItemCount(menu);
    if (g_probe.key) {
      // The menu's own loop reads keys from the thread's queue.
      PostMessageW(g_probe.frame, WM_CHAR, g_probe.key, 0);
      return;
    }
  }
  // Whatever happens, the menu does not stay open for ever.
  if (g_probe.seen && !g_probe.key) EndMenu();
  if (g_probe.ticks > 100) EndMenu();
}

class TrayMenuTest : public StartedAppTest {
 protected:
  // Right-clicks the tray icon (as the shell reports it) and runs `g_probe`
  // inside the menu that opens.
  void RightClickTrayIcon(WPARAM key) {
    g_probe = OpenMenuProbe();
    g_probe.key = key;
    g_probe.frame = frame;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &ProbeOpenMenu);
    SendMessageW(frame, WM_TRAYNOTIFY, 0, WM_RBUTTONDOWN);
    KillTimer(nullptr, timer);
    PumpMessages();
  }
};

TEST_F(TrayMenuTest, RightClickOpensTheMenuWithExecuteFilesAsDefault) {
  RightClickTrayIcon(0);
  ASSERT_TRUE(g_probe.seen);
  EXPECT_EQ(g_probe.defaultItem, 32771u);
  EXPECT_EQ(g_probe.itemCount, 10);
  // The menu is gone again and the program still runs.
  EXPECT_EQ(FindWindowW(L"#32768", nullptr) && IsWindowVisible(FindWindowW(L"#32768", nullptr)),
            false);
  EXPECT_TRUE(exitCodes.empty());
}

TEST_F(TrayMenuTest, TheExitMnemonicEndsTheProgram) {
  RightClickTrayIcon(L'x');
  ASSERT_TRUE(g_probe.seen);
  EXPECT_EQ(exitCodes, std::vector<UINT>{0});
  EXPECT_FALSE(TrayIconShown());
}

TEST_F(TrayMenuTest, SingleClicksAndOtherMouseMessagesDoNothing) {
  g_probe = OpenMenuProbe();
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &ProbeOpenMenu);
  for (const LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE}) {
    SendMessageW(frame, WM_TRAYNOTIFY, 0, mouse);
  }
  KillTimer(nullptr, timer);
  EXPECT_FALSE(g_probe.seen);
  EXPECT_TRUE(exitCodes.empty());
  EXPECT_TRUE(IsWindow(frame));
}

}  // namespace
