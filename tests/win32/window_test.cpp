#include "framework/window_win.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "framework/message_pump_win.h"
#include "framework/work_area_win.h"

namespace {

constexpr const wchar_t* kTestClass = L"PlovantVelnorTestWindow";
constexpr UINT kThrowMessage = WM_APP + 1;
constexpr UINT kCountMessage = WM_APP + 2;

class CRecordingWindow : public CWindow {
 public:
  bool Create() {
    return RegisterWindowClass(kTestClass) &&
           CreateEx(0, kTestClass, L"test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr);
  }

  bool failCreate = false;
  HWND hwndSeenAtCreate = nullptr;
  int counted = 0;
  int ncDestroys = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        hwndSeenAtCreate = GetSafeHwnd();
        return failCreate ? -1 : 0;
      case kThrowMessage:
        throw std::runtime_error("handler failed");
      case kCountMessage:
        ++counted;
        return 42;
      default:
        return Default(message, wParam, lParam);
    }
  }
  void OnNcDestroy() override { ++ncDestroys; }
};

TEST(WindowTest, ObjectIsLinkedFromCreationToNcDestroy) {
  CRecordingWindow w;
  ASSERT_TRUE(w.Create());
  const HWND hwnd = w.GetSafeHwnd();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(w.hwndSeenAtCreate, hwnd);
  EXPECT_EQ(SendMessageW(hwnd, kCountMessage, 0, 0), 42);
  EXPECT_EQ(w.counted, 1);

  DestroyWindow(hwnd);
  EXPECT_EQ(w.GetSafeHwnd(), nullptr);
  EXPECT_EQ(w.ncDestroys, 1);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowTest, FailedCreationHandlerLeavesNoWindow) {
  CRecordingWindow w;
  w.failCreate = true;
  EXPECT_FALSE(w.Create());
  EXPECT_EQ(w.GetSafeHwnd(), nullptr);
  EXPECT_EQ(w.ncDestroys, 1);
}

TEST(WindowTest, ExceptionStopsAtTheWindowProcedure) {
  CRecordingWindow w;
  ASSERT_TRUE(w.Create());
  // Would otherwise unwind through the system's frames and end the process.
  EXPECT_EQ(SendMessageW(w.GetSafeHwnd(), kThrowMessage, 0, 0), 0);
  EXPECT_EQ(SendMessageW(w.GetSafeHwnd(), kCountMessage, 0, 0), 42);
}

TEST(WindowTest, ObjectDestroyedFirstTakesItsWindowAlong) {
  HWND hwnd;
  {
    CRecordingWindow w;
    ASSERT_TRUE(w.Create());
    hwnd = w.GetSafeHwnd();
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(MessagePumpTest, DispatchesWhatIsQueuedAndKeepsQuitForTheMainLoop) {
  CRecordingWindow w;
  ASSERT_TRUE(w.Create());
  for (int i = 0; i < 3; ++i) PostMessageW(w.GetSafeHwnd(), kCountMessage, 0, 0);
  PumpMessages();
  EXPECT_EQ(w.counted, 3);

  PostQuitMessage(7);
  PostMessageW(w.GetSafeHwnd(), kCountMessage, 0, 0);
  PumpMessages();
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  PumpMessages();
  EXPECT_EQ(w.counted, 4);
}

TEST(MessagePumpTest, MainLoopEndsWithTheQuitCode) {
  CRecordingWindow w;
  ASSERT_TRUE(w.Create());
  PostMessageW(w.GetSafeHwnd(), kCountMessage, 0, 0);
  PostQuitMessage(3);
  EXPECT_EQ(RunMessageLoop(), 3);
  EXPECT_EQ(w.counted, 1);
}

TEST(WorkAreaCornerTest, MovesARealWindowIntoTheCornerKeepingItsSize) {
  CRecordingWindow w;
  ASSERT_TRUE(w.Create());
  ASSERT_TRUE(MoveWindow(w.GetSafeHwnd(), 5, 7, 300, 200, FALSE));
  RECT work;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));

  MoveToWorkAreaCorner(w.GetSafeHwnd());

  RECT r;
  ASSERT_TRUE(GetWindowRect(w.GetSafeHwnd(), &r));
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.bottom, work.bottom);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 200);
}

}  // namespace
