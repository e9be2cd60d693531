// The About box from its template and the banner inside it: what clicks,
// keys and timers do, and what reaches the shell. Which entry a banner
// shows is unit-tested.
#include "app/about_dlg_win.h"
#include "banner/banner_rotator_win.h"
#include "tests/win32/fixtures.h"

namespace {

using Strings = std::vector<std::string>;

SIZE BitmapSize(HANDLE bitmap) {
  BITMAP info = {};
  return GetObjectW(bitmap, sizeof(info), &info) ? SIZE{info.bmWidth, info.bmHeight} : SIZE{};
}

// Wine answers GetGuiResources with 0. Its GDI handle table, laid out as
// Windows lays out its own and reached the same way, through the process
// environment block, holds only this process's objects there.
DWORD GdiObjectCount() {
  if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
  struct Entry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type, flags;
    UINT64 user;
  };
  using GetPeb = const BYTE*(WINAPI*)();
  const auto peb = reinterpret_cast<GetPeb>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb")));
  constexpr size_t kTableOffset = 0xF8;  // PEB.GdiSharedHandleTable on x64
  const Entry* table = peb ? *reinterpret_cast<const Entry* const*>(peb() + kTableOffset) : nullptr;
  DWORD count = 0;
  for (size_t i = 0; table && i < 0x10000; ++i) count += table[i].type != 0;
  return count;
}

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dlg.Create(nullptr));
    hwnd = dlg.GetSafeHwnd();
    banner = GetDlgItem(hwnd, IDC_BANNER);
  }
  HANDLE Shown() const { return reinterpret_cast<HANDLE>(SendMessageW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0)); }
  std::wstring Text(HWND window) const {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 255);
    return text;
  }

  MemoryEnv env;
  CAboutDlg dlg{env};
  HWND hwnd = nullptr, banner = nullptr;
};

TEST_F(AboutTest, OpensFromItsTemplateInTheCornerWithTheBannerAndTheBuildsVersion) {
  RECT work = {}, r = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(hwnd, &r);
  EXPECT_TRUE(r.right == work.right && r.bottom == work.bottom);
  EXPECT_EQ(Text(hwnd), L"About Plovant Velnor");
  EXPECT_TRUE(GetWindowLongW(hwnd, GWL_STYLE) & WS_SYSMENU);
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(font), &font);
  EXPECT_STREQ(font.lfFaceName, L"Arial");

  // In template order: x, y, width, height in dialog units, and the text.
  // The banner takes its picture's size, which its room fits at 96 dpi
  // with the real Arial; its text names the picture.
  const struct {
    int id;
    RECT units;
    std::wstring text;
  } controls[] = {{IDOK, {269, 48, 50, 14}, L"&Close"},
                  {IDC_BANNER, {7, 7, 0, 0}, L"\xFFFF\x9B"},
                  {IDC_VERSION, {7, 47, 203, 8},
                   L"Version Information: Pre-Release Build " + Utf8ToWide(ResourceVersion())},
                  {IDCANCEL, {215, 48, 50, 14}, L"&Update"}};
  HWND child = GetWindow(hwnd, GW_CHILD);
  for (auto [id, units, text] : controls) {
    ASSERT_EQ(GetDlgCtrlID(child), id);
    MapDialogRect(hwnd, &units);
    if (id == IDC_BANNER) units.right = 468, units.bottom = 60;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::vector<LONG>{units.left, units.top, units.right, units.bottom})) << id;
    EXPECT_EQ(Text(child), text);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_TRUE(GetWindowLongW(banner, GWL_STYLE) & SS_NOTIFY);
  EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, IDOK));
  const SIZE picture = BitmapSize(Shown());
  EXPECT_EQ(std::make_pair(picture.cx, picture.cy), std::make_pair(468L, 60L));

  // Over the banner the pointer is a hand.
  EXPECT_TRUE(SendMessageW(banner, WM_SETCURSOR, reinterpret_cast<WPARAM>(banner), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_POINTER));
  EXPECT_TRUE(hand && GetCursor() == hand);
}

// An hour of the banner's five-second turns holds no more GDI objects than
// the first turn; the last picture goes with the box.
TEST_F(AboutTest, AnHourOfTicksLeavesNoBitmapBehind) {
  const DWORD before = GdiObjectCount();
  for (int tick = 0; tick < 720; ++tick) SendMessageW(banner, WM_TIMER, CAboutDlg::kBannerTimerId, 0);
  EXPECT_GT(before, 0u);
  EXPECT_EQ(GdiObjectCount(), before);
  const HANDLE last = Shown();
  dlg.DestroyWindow();
  EXPECT_EQ(GetObjectType(last), 0u);
}

// A refresh started from the tray pumps messages inside the box's own loop:
// Tab, Escape and Enter must still reach the box there.
TEST_F(AboutTest, TheBoxKeysWorkInsideANestedPump) {
  const auto key = [](WPARAM vk) {
    PostMessageW(GetFocus(), WM_KEYDOWN, vk, 0);
    PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
    PumpMessages();
  };
  ShowWindow(hwnd, SW_SHOW);
  key(VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, IDCANCEL));
  key(VK_ESCAPE);
  EXPECT_EQ(env.launches, Strings{kHomePageLink});
  EXPECT_TRUE(IsWindowVisible(hwnd));
  SetFocus(GetDlgItem(hwnd, IDOK));
  key(VK_RETURN);
  EXPECT_FALSE(IsWindowVisible(hwnd));  // ended: a modeless box only hides
  EXPECT_EQ(env.launches.size(), 1u);
}

// The tray menu's command while the box is open brings that box forward;
// the banner, "Update", Escape and the close box all open the home page and
// leave the box open; only "Close" ends it.
class AboutFromTheTray : public ::testing::Test, public StartedApp {};

TEST_F(AboutFromTheTray, OneBoxAtATimeAndOnlyCloseEndsIt) {
  int boxes = 0;
  bool recorded = false;
  InsideModalLoop inside(L"#32770", L"About Plovant Velnor", [&](HWND box) {
    recorded = CAboutDlg::s_pAboutDlg && CAboutDlg::s_pAboutDlg->GetSafeHwnd() == box;
    Command(ID_APP_ABOUT);
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", L"About Plovant Velnor"));) ++boxes;
    SendMessageW(GetDlgItem(box, IDC_BANNER), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(GetDlgItem(box, IDC_BANNER), WM_LBUTTONUP, 0, 0);
    SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box posts its cancel
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  Command(ID_APP_ABOUT);
  ASSERT_TRUE(inside.ran);
  EXPECT_FALSE(inside.forced);
  EXPECT_TRUE(recorded);
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(env.launches, Strings(4, kHomePageLink));
  EXPECT_EQ(CAboutDlg::s_pAboutDlg, nullptr);
}

// Two pictures in turn at the timer's pace; a click opens the link of the
// one showing. A banner with a shorter table that meets the shared position
// opens its own entry; one with no entries shows and opens nothing.
TEST(BannerTest, TheTimerTurnsThePicturesAndAClickOpensTheOneShowing) {
  MemoryEnv env;
  const auto picture = [] {
    return CreateWindowW(L"Static", L"", WS_POPUP | SS_BITMAP | SS_NOTIFY, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  };
  const auto width = [](HWND control) {
    return BitmapSize(reinterpret_cast<HANDLE>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0))).cx;
  };
  const auto click = [](const CBannerRotator& rotator) {
    SendMessageW(rotator.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  };
  CBannerRotator two(env, {{IDB_BANNER, "first", 30}, {IDB_FOLDER_CHECKS, "second", 30}}, 7);
  CBannerRotator one(env, {{IDB_BANNER, "only", 30}}, 7);
  CBannerRotator none(env, {}, 7);
  ASSERT_TRUE(two.Attach(picture()) && one.Attach(picture()) && none.Attach(picture()));

  CBannerRotator::s_nCurrent = -1;
  two.ShowNext();
  EXPECT_EQ(width(two.GetSafeHwnd()), 468);
  EXPECT_TRUE(PumpUntil([&] { return width(two.GetSafeHwnd()) == 32; }, 2000));
  click(two);
  EXPECT_TRUE(PumpUntil([&] { return width(two.GetSafeHwnd()) == 468; }, 2000));
  click(two);
  EXPECT_EQ(env.launches, (Strings{"second", "first"}));

  CBannerRotator::s_nCurrent = 1;
  click(one);
  none.ShowNext();
  click(none);
  EXPECT_EQ(CBannerRotator::s_nCurrent, 1);
  EXPECT_EQ(width(none.GetSafeHwnd()), 0);
  EXPECT_EQ(env.launches, (Strings{"second", "first", "only"}));
  for (const CBannerRotator* rotator : {&two, &one, &none}) DestroyWindow(rotator->GetSafeHwnd());
}

}  // namespace
