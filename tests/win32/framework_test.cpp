// The window, dialog and control bases, the message pump, the handle
// owners, the progress window and the resources (this test program links
// the same ones as velnor.exe), on real windows and real handles.
#include <stdexcept>
#include <utility>

#include "app/program_env_win.h"
#include "database/refresh_dlg_win.h"
#include "framework/control_win.h"
#include "resources/velnor_version.h"
#include "tests/win32/fixtures.h"

namespace {

constexpr UINT kThrowMessage = WM_APP + 1;
constexpr UINT kCountMessage = WM_APP + 2;

struct Counts {
  int counted = 0, ncDestroys = 0;
  bool throwing = false;  // every message's handler throws
  LRESULT Count() {
    ++counted;
    return 42;
  }
};

// `fail`: its creation handler refuses.
class CRecordingWindow : public CWindow, public Counts {
 public:
  explicit CRecordingWindow(bool fail = false) : m_fail(fail) {}
  bool Create() {
    return RegisterWindowClass(L"PlovantVelnorTest") &&
           CreateEx(0, L"PlovantVelnorTest", L"test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr);
  }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) return m_fail ? -1 : 0;
    if (throwing || message == kThrowMessage) throw std::runtime_error("handler failed");
    if (message == kCountMessage) return Count();
    return Default(message, wParam, lParam);
  }
  void OnNcDestroy() override { ++ncDestroys; }

 private:
  bool m_fail;
};

// Any template of the program will do; `fail`: one it does not have.
class CRecordingDialog : public CDialog, public Counts {
 public:
  explicit CRecordingDialog(bool fail = false) : CDialog(fail ? 4321 : IDD_REFRESH) {}
  bool Create() { return CDialog::Create(nullptr); }

 protected:
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (throwing || message == kThrowMessage) throw std::runtime_error("handler failed");
    if (message == kCountMessage) SetMsgResult(Count());
    return message == kCountMessage;
  }
  void OnNcDestroy() override { ++ncDestroys; }
};

template <typename T>
class WindowBaseTest : public ::testing::Test {};
using Bases = ::testing::Types<CRecordingWindow, CRecordingDialog>;
TYPED_TEST_SUITE(WindowBaseTest, Bases);

// An exception would otherwise unwind through the system's frames and end
// the process.
TYPED_TEST(WindowBaseTest, TheObjectAnswersFromCreationToNcDestroyAndNoExceptionEscapes) {
  TypeParam w;
  ASSERT_TRUE(w.Create());
  const HWND hwnd = w.GetSafeHwnd();
  EXPECT_EQ(SendMessageW(hwnd, kThrowMessage, 0, 0), 0);
  // A handler that throws leaves the answer to the default processing.
  SetWindowTextW(hwnd, L"default");
  w.throwing = true;
  EXPECT_EQ(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0), 7);
  w.throwing = false;
  EXPECT_EQ(SendMessageW(hwnd, kCountMessage, 0, 0), 42);
  EXPECT_EQ(w.counted, 1);
  EXPECT_FALSE(w.Create());  // one window per object
  DestroyWindow(hwnd);
  EXPECT_EQ(w.GetSafeHwnd(), nullptr);
  EXPECT_EQ(w.ncDestroys, 1);

  auto first = std::make_unique<TypeParam>();
  ASSERT_TRUE(first->Create());
  const HWND orphan = first->GetSafeHwnd();
  first.reset();
  EXPECT_FALSE(IsWindow(orphan));  // the object that goes first takes its window along

  TypeParam failing(true);
  EXPECT_FALSE(failing.Create());
  EXPECT_EQ(failing.GetSafeHwnd(), nullptr);
}

// Takes over the template's progress bar and answers one notification code.
class CRecordingControl : public CControl {
 public:
  bool OnReflectedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) override {
    result = 7;
    return message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == 77;
  }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kThrowMessage || message == PBM_GETRANGE) throw std::runtime_error("handler failed");
    return CControl::WindowProc(message, wParam, lParam);
  }
};

TEST(ControlTest, AnswersTheDialogsNotificationsAboutItUntilEitherSideGoes) {
  CRecordingDialog dlg;
  ASSERT_TRUE(dlg.Create());
  const HWND bar = GetDlgItem(dlg.GetSafeHwnd(), IDC_REFRESH_PROGRESS);
  const auto notify = [&](UINT code) {
    NMHDR header = {bar, IDC_REFRESH_PROGRESS, code};
    return SendMessageW(dlg.GetSafeHwnd(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  };
  {
    CRecordingControl first;
    ASSERT_TRUE(first.Attach(bar));
    EXPECT_FALSE(CRecordingControl().Attach(bar));  // one object per control
    EXPECT_EQ(SendMessageW(bar, kThrowMessage, 0, 0), 0);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);  // the bar's own answer
    EXPECT_EQ(notify(77), 7);
    EXPECT_EQ(notify(78), 0);
  }
  EXPECT_EQ(notify(77), 0);  // the object that went let the bar go
  CRecordingControl control;
  ASSERT_TRUE(control.Attach(bar));
  dlg.DestroyWindow();
  EXPECT_EQ(control.GetSafeHwnd(), nullptr);
}

// A refresh pumps inside the main loop: a quit met there must reach it.
TEST(MessagePumpTest, DispatchesWhatIsQueuedAndLeavesQuitForTheMainLoop) {
  CRecordingWindow w;
  ASSERT_TRUE(w.Create());
  for (int i = 0; i < 3; ++i) PostMessageW(w.GetSafeHwnd(), kCountMessage, 0, 0);
  PumpMessages();
  EXPECT_EQ(w.counted, 3);
  PostQuitMessage(7);
  PostMessageW(w.GetSafeHwnd(), kCountMessage, 0, 0);
  PumpMessages();
  MSG quit;
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 7u);
  EXPECT_EQ(w.counted, 4);
}

struct CountingTraits {
  using Type = int;
  static inline std::vector<int> closes;
  static Type Empty() { return 0; }
  static bool IsValid(Type h) { return h > 0; }
  static bool Close(Type h) { return ++closes[h] > 0; }
};

TEST(HandleOwnerTest, MovesReleaseAndResetCloseEachHandleExactlyOnce) {
  using Handle = UniqueHandle<CountingTraits>;
  std::vector<int>& closes = CountingTraits::closes;
  closes.assign(6, 0);
  {
    Handle a(1), c(2), d(3);
    Handle b(std::move(a));
    EXPECT_FALSE(a.Valid());
    c = std::move(b);  // 2 is closed now, 1 moves on
    c = std::move(c);
    EXPECT_EQ(c.Get(), 1);
    EXPECT_EQ(d.Release(), 3);
    EXPECT_TRUE(d.Reset(4));
    EXPECT_TRUE(d.Reset(5));
    EXPECT_EQ(closes, (std::vector<int>{0, 0, 1, 0, 1, 0}));
  }
  EXPECT_EQ(closes, (std::vector<int>{0, 1, 1, 0, 1, 1}));
  EXPECT_TRUE(Handle().Reset());  // nothing held, nothing closed
  // A failed CreateFile must not be "closed": that would hit the process's
  // own pseudo handle.
  EXPECT_FALSE(
      KernelHandle(CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)).Valid());
}

// A DC lent for a while goes back as it came: the object a selection
// replaced, the colours it had.
TEST(DcGuardTest, WhatASelectionAndColoursChangedComesBackAtTheScopesEnd) {
  const WindowDC screen(nullptr);
  ASSERT_TRUE(screen);
  const HDC dc = screen.Get();
  const HGDIOBJ font = GetStockObject(ANSI_FIXED_FONT), before = GetCurrentObject(dc, OBJ_FONT);
  const COLORREF text = GetTextColor(dc), back = GetBkColor(dc);
  ASSERT_NE(before, font);
  {
    const SelectedObject selected(dc, font);
    const TextColors colors(dc, RGB(1, 2, 3), RGB(4, 5, 6));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(dc), RGB(4, 5, 6));
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), before);
  EXPECT_EQ(GetTextColor(dc), text);
  EXPECT_EQ(GetBkColor(dc), back);
}

// Narrow C runtime calls then take UTF-8 and cannot lose a file name; the
// common-controls 6 assembly redirects comctl32.dll to its own copy.
TEST(ManifestTest, MakesUtf8TheActiveCodePageAndSelectsCommonControls6) {
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(LoadLibraryW(L"comctl32.dll"), path, MAX_PATH);
  EXPECT_NE(std::wstring(CharLowerW(path)).find(L"6.0."), std::wstring::npos) << WideToUtf8(path);
}

TEST(ResourcesTest, CarryTheBuildsVersionAndBothIcons) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::vector<BYTE> block(GetFileVersionInfoSizeW(self, nullptr));
  ASSERT_TRUE(!block.empty() && GetFileVersionInfoW(self, 0, static_cast<DWORD>(block.size()), block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  // The text the About box shows: the same four numbers.
  EXPECT_EQ(std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS)),
            VELNOR_VERSION_TEXT);

  for (const int id : {IDR_MAINFRAME, IDI_TRAY}) {
    for (const int size : {16, 32}) {
      const HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
      EXPECT_TRUE(IconHandle(static_cast<HICON>(icon)).Valid()) << id << " at " << size;
    }
  }
}

// The refresh's progress window as the program's platform makes it. Only
// the refresh ends it, neither Escape nor a close request. A tree that grew
// between the counting and the update leaves the bar full rather than
// wrapping round; beyond 16 bits the bar moves in thousandths.
TEST(ProgressWindowTest, ACornerWindowThatOnlyItsRefreshEndsAndABarThatStepsOncePerEntry) {
  CProgramEnv env(Env::Default());
  const std::unique_ptr<ProgressWindow> window = env.CreateProgressWindow("Refresh Database - Plovant Velnor");
  CRefreshDlg* const dlg = dynamic_cast<CRefreshDlg*>(window.get());
  ASSERT_NE(dlg, nullptr);
  const HWND hwnd = dlg->GetSafeHwnd(), bar = dlg->GetProgressBar();
  RECT work = {}, r = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(hwnd, &r);
  EXPECT_TRUE(r.right == work.right && r.bottom == work.bottom);
  dlg->Show(true);
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindowVisible(hwnd));

  const auto position = [&] { return SendMessageW(bar, PBM_GETPOS, 0, 0); };
  dlg->SetRange(7);
  dlg->StepIt();
  EXPECT_EQ(position(), 1);
  for (int i = 0; i < 7; ++i) dlg->StepIt();
  EXPECT_EQ(position(), 7);
  dlg->SetRange(200000);
  EXPECT_EQ(position(), 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 200000);
  for (int i = 0; i < 199; ++i) dlg->StepIt();
  ASSERT_EQ(position(), 0);  // stepping the bar for every entry would take minutes
  dlg->StepIt();
  EXPECT_EQ(position(), 200);
  for (int i = 200; i < 200000; ++i) dlg->StepIt();
  EXPECT_EQ(position(), 200000);
}

}  // namespace
