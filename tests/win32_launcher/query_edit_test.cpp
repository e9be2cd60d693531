// The query box: navigation keys move the list while the caret stays, other
// keys stay in the box, and the list is filtered once, after a pause.
#include "launcher_fixture.h"

namespace {

DWORD Caret(HWND edit) {
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return end;
}

class QueryEditTest : public LauncherFixture {
 protected:
  void SetUp() override {
    for (int i = 0; i < 40; ++i) AddFile("file" + std::to_string(100 + i) + ".txt");
    Open();
    SetWindowTextW(query, L"file");
    SendMessageW(query, EM_SETSEL, 2, 2);
  }
  void Key(WPARAM vk) { SendMessageW(query, WM_KEYDOWN, vk, 1); }
};

TEST_F(QueryEditTest, UpDownHomeEndAndPagesMoveTheListWhileTheCaretStays) {
  ASSERT_EQ(FocusedRow(), 0);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(FocusedRow(), 2);
  EXPECT_EQ(SelectedRow(), 2);
  Key(VK_UP);
  EXPECT_EQ(FocusedRow(), 1);
  Key(VK_END);
  EXPECT_EQ(FocusedRow(), 39);
  Key(VK_HOME);
  EXPECT_EQ(FocusedRow(), 0);
  Key(VK_NEXT);
  EXPECT_GT(FocusedRow(), 1);
  Key(VK_PRIOR);
  EXPECT_EQ(FocusedRow(), 0);
  EXPECT_EQ(Caret(query), 2u);
}

TEST_F(QueryEditTest, LeftAndRightMoveTheCaretAndLeaveTheList) {
  Key(VK_DOWN);
  Key(VK_RIGHT);
  EXPECT_EQ(Caret(query), 3u);
  Key(VK_LEFT);
  Key(VK_LEFT);
  EXPECT_EQ(Caret(query), 1u);
  EXPECT_EQ(FocusedRow(), 1);
}

TEST_F(QueryEditTest, TypingFiltersOnceFourHundredMillisecondsAfterTheLastChange) {
  const int before = dlg->FilterRuns();
  // Changes 100 ms apart: the wait starts again each time.
  for (const wchar_t* text : {L"f", L"fi", L"fil", L"file1", L"file13"}) {
    SetWindowTextW(query, text);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(dlg->FilterRuns(), before);
  }
  EXPECT_TRUE(PumpUntil([&] { return dlg->FilterRuns() > before; }, 3000));
  EXPECT_EQ(dlg->FilterRuns(), before + 1);
  EXPECT_EQ(dlg->ResultList().GetRowCount(), 10u);
  // The timer does not come back by itself.
  PumpUntil([] { return false; }, 700);
  EXPECT_EQ(dlg->FilterRuns(), before + 1);

  // Clearing the box lists every file again.
  SetWindowTextW(query, L"");
  EXPECT_TRUE(PumpUntil([&] { return dlg->FilterRuns() > before + 1; }, 3000));
  EXPECT_EQ(dlg->ResultList().GetRowCount(), 40u);
}

}  // namespace
