// Keys typed behind the hot key, sent through the system's input as a
// keyboard sends them: kept while the launcher is made, then delivered in
// the order typed, ahead of what comes after.
#include "app/type_ahead_hold_win.h"

#include "tests/win32/fixtures.h"

namespace {

// Each key pressed and released, as typed; modifiers go down first and up
// last around the key they modify.
void Type(std::initializer_list<WORD> modifiers, std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD m : modifiers) add(m, false);
  for (WORD k : keys) {
    add(k, false);
    add(k, true);
  }
  for (WORD m : modifiers) add(m, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

TEST(TypeAheadHoldTest, KeysBehindTheHotKeyWaitForTheReleaseThenComeInOrderAheadOfLaterOnes) {
  CTypeAheadHold hold;
  // Not the program's hot key: no other test's frame may take these keys.
  ASSERT_TRUE(hold.Start(MOD_CONTROL | MOD_ALT, VK_F9));
  const HWND box =
      CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 30, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(box, nullptr);
  SetForegroundWindow(box);
  SetFocus(box);
  const auto text = [box] {
    wchar_t typed[64] = {};
    GetWindowTextW(box, typed, 64);
    return WideToUtf8(typed);
  };

  Type({}, {'X'});  // before the hot key: goes by
  ASSERT_TRUE(PumpUntil([&] { return text() == "x"; }, 3000));
  Type({VK_CONTROL, VK_MENU}, {VK_F9});
  Type({}, {'A', 'B'});
  EXPECT_FALSE(PumpUntil([&] { return text() != "x"; }, 300));
  hold.Release();
  Type({}, {'C'});
  EXPECT_TRUE(PumpUntil([&] { return text().size() >= 4; }, 3000));
  EXPECT_EQ(text(), "xabc");
  EXPECT_FALSE(GetAsyncKeyState(VK_CONTROL) & 0x8000);  // the modifiers' releases came too

  // Never released: the keys go out after the longest hold all the same.
  Type({VK_CONTROL, VK_MENU}, {VK_F9});
  Type({}, {'D'});
  EXPECT_TRUE(PumpUntil([&] { return text().size() >= 5; }, CTypeAheadHold::kMaxHoldMs + 3000));
  EXPECT_EQ(text(), "xabcd");
  DestroyWindow(box);
}

}  // namespace
