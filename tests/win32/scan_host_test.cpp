// The program's refresh host: the message queue drained at a bounded pace,
// and a real progress window.
#include "app/scan_host_win.h"

#include <gtest/gtest.h>

#include "database/refresh_dlg_win.h"

namespace {

constexpr UINT kMark = WM_APP + 7;

bool MarkWaiting() {
  MSG msg;
  return PeekMessageW(&msg, nullptr, kMark, kMark, PM_NOREMOVE) != FALSE;
}

void PostMark() { PostThreadMessageW(GetCurrentThreadId(), kMark, 0, 0); }

void DropMarks() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, kMark, kMark, PM_REMOVE)) {
  }
}

TEST(ScanHostTest, DrainsTheQueueAtMostEveryFifteenMilliseconds) {
  uint64_t now = 5000;
  CWin32ScanHost host([&] { return now; });

  PostMark();
  host.PumpMessages();  // the first call always drains
  EXPECT_FALSE(MarkWaiting());

  PostMark();
  now += 14;
  host.PumpMessages();
  EXPECT_TRUE(MarkWaiting());  // too soon: left waiting
  now += 1;
  host.PumpMessages();
  EXPECT_FALSE(MarkWaiting());

  // A pause longer than the interval (a menu open inside a dispatched
  // message) lets the very next call drain again.
  PostMark();
  now += 1000;
  host.PumpMessages();
  EXPECT_FALSE(MarkWaiting());
  DropMarks();
}

TEST(ScanHostTest, EachRefreshDrainsTheQueueAtItsFirstEntry) {
  uint64_t now = 5000;
  CWin32ScanHost host([&] { return now; });
  host.PumpMessages();
  PostMark();
  now += 1;
  host.PumpMessages();
  EXPECT_TRUE(MarkWaiting());
  ASSERT_NE(host.CreateRefreshWindow("Refresh Database - Plovant Velnor"), nullptr);
  host.PumpMessages();
  EXPECT_FALSE(MarkWaiting());
  DropMarks();
}

TEST(ScanHostTest, TheRealClockStillDrainsTheQueue) {
  CWin32ScanHost host;
  PostMark();
  host.PumpMessages();
  EXPECT_FALSE(MarkWaiting());
  DropMarks();
}

TEST(ScanHostTest, MakesAHiddenProgressWindowWithTheRefreshsCaption) {
  CWin32ScanHost host;
  std::unique_ptr<RefreshWindow> window = host.CreateRefreshWindow("Refresh Database - Plovant Velnor");
  ASSERT_NE(window, nullptr);
  auto* dlg = dynamic_cast<CRefreshDlg*>(window.get());
  ASSERT_NE(dlg, nullptr);
  EXPECT_FALSE(IsWindowVisible(dlg->GetSafeHwnd()));
  wchar_t caption[128] = {};
  GetWindowTextW(dlg->GetSafeHwnd(), caption, 127);
  EXPECT_STREQ(caption, L"Refresh Database - Plovant Velnor");
}

}  // namespace
