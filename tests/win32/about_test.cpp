// The About box and its banner: what clicks, keys and timers do, and what
// reaches the shell. Which entry a banner shows is unit-tested.
#include "app/about_dlg_win.h"
#include "banner/banner_rotator_win.h"
#include "resources/velnor_version.h"
#include "tests/win32/fixtures.h"

namespace {

// Wine answers GetGuiResources with 0. Its GDI handle table, laid out like
// Windows' and found the same way (PEB.GdiSharedHandleTable on x64), holds
// only this process's objects.
DWORD GdiObjectCount() {
  if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
  struct Entry { UINT64 object; ULONG owner; USHORT unique; UCHAR type, flags; UINT64 user; };
  const auto peb = reinterpret_cast<const BYTE*(WINAPI*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb")));
  const Entry* table = peb ? *reinterpret_cast<const Entry* const*>(peb() + 0xF8) : nullptr;
  DWORD count = 0;
  for (size_t i = 0; table && i < 0x10000; ++i) count += table[i].type != 0;
  return count;
}

// The box as it opens from its template; then an hour of its banner's
// five-second turns, each a new picture on the banner's own timer, which
// holds no more GDI objects than the first turn.
TEST(AboutTest, OpensFromItsTemplateAndAnHourOfItsBannerLeavesNoBitmapBehind) {
  MemoryEnv env;
  CAboutDlg dlg(env);
  ASSERT_TRUE(dlg.Create(nullptr));
  const HWND hwnd = dlg.GetSafeHwnd(), banner = GetDlgItem(hwnd, IDC_BANNER);
  const auto text = [](HWND window) {
    wchar_t buffer[256] = {};
    return std::wstring(buffer, GetWindowTextW(window, buffer, 255));
  };
  RECT work = {}, r = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(hwnd, &r);
  EXPECT_TRUE(r.right == work.right && r.bottom == work.bottom);
  EXPECT_EQ(text(hwnd), L"About Plovant Velnor");
  // In template order: x, y, width, height in dialog units. The banner
  // takes its picture's size, which its room fits with Arial at 96 dpi.
  const std::vector<std::pair<int, RECT>> controls = {
      {IDOK, {269, 48, 50, 14}}, {IDC_BANNER, {7, 7, 0, 0}}, {IDC_VERSION, {7, 47, 203, 8}},
      {IDCANCEL, {215, 48, 50, 14}}};
  HWND child = GetWindow(hwnd, GW_CHILD);
  for (auto [id, units] : controls) {
    ASSERT_EQ(GetDlgCtrlID(child), id);
    MapDialogRect(hwnd, &units);
    if (id == IDC_BANNER) units.right = 468, units.bottom = 60;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::vector<LONG>{units.left, units.top, units.right, units.bottom})) << id;
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(text(GetDlgItem(hwnd, IDOK)) + L"|" + text(GetDlgItem(hwnd, IDCANCEL)), L"&Close|&Update");
  EXPECT_EQ(text(GetDlgItem(hwnd, IDC_VERSION)), L"Version Information: Pre-Release Build " VELNOR_VERSION_TEXT);
  EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, IDOK));
  EXPECT_TRUE(GetWindowLongW(banner, GWL_STYLE) & SS_NOTIFY);
  EXPECT_TRUE(SendMessageW(banner, WM_SETCURSOR, reinterpret_cast<WPARAM>(banner), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_POINTER));
  EXPECT_TRUE(hand && GetCursor() == hand);

  const auto shown = [&] { return reinterpret_cast<HANDLE>(SendMessageW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0)); };
  const DWORD before = GdiObjectCount();
  int turns = 0;
  for (int tick = 0; tick < 720; ++tick) {
    const HANDLE old = shown();
    SendMessageW(banner, WM_TIMER, CAboutDlg::kBannerTimerId, 0);
    turns += shown() != old;
  }
  EXPECT_EQ(turns, 720);
  EXPECT_TRUE(KillTimer(banner, CAboutDlg::kBannerTimerId));  // each turn sets it again
  EXPECT_GT(before, 0u);
  EXPECT_EQ(GdiObjectCount(), before);
  const HANDLE last = shown();
  dlg.DestroyWindow();
  EXPECT_EQ(GetObjectType(last), 0u);  // the last picture goes with the box
}

// From the tray. The command again brings the open box forward. The
// banner, whatever position a longer table left, "Update", Escape and the
// close box open the home page and leave the box open; only "Close" ends it.
// A refresh pumps messages inside the box's loop: its keys must work there.
class AboutFromTheTray : public ::testing::Test, public StartedApp {};

TEST_F(AboutFromTheTray, OneBoxAtATimeWhoseKeysWorkInANestedPumpAndOnlyCloseEndsIt) {
  int boxes = 0;
  bool tabbed = false;
  InsideModalLoop inside(L"#32770", L"About Plovant Velnor", [&](HWND box) {
    Command(ID_APP_ABOUT);
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", L"About Plovant Velnor"));) ++boxes;
    CBannerRotator::s_nCurrent = 3;
    SendMessageW(GetDlgItem(box, IDC_BANNER), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
    SendMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);  // which posts the cancel command
    const auto key = [](WPARAM vk) {
      PostMessageW(GetFocus(), WM_KEYDOWN, vk, 0);
      PumpMessages();
    };
    SetFocus(GetDlgItem(box, IDOK));
    key(VK_TAB);
    tabbed = GetFocus() == GetDlgItem(box, IDCANCEL);
    key(VK_ESCAPE);
    SetFocus(GetDlgItem(box, IDOK));
    key(VK_RETURN);
  });
  Command(ID_APP_ABOUT);
  EXPECT_TRUE(inside.ran && !inside.forced);
  EXPECT_EQ(boxes, 1);
  EXPECT_TRUE(tabbed);
  EXPECT_EQ(env.launches, std::vector<std::string>(4, kHomePageLink));
  EXPECT_FALSE(app.GetMainFrame()->IsAboutBoxOpen());
}

}  // namespace
