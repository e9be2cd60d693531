// The shell's context menu in the launcher, with the real shell's menu for
// real files: which row it is for, what counts as a use, and what it shows.
// The user's choice is made by the test, in place of the popup's loop.
#include <thread>

#include "tests/unit/real_env_fixture.h"
#include "tests/win32/fixtures.h"

namespace {

class ShellMenuTest : public RealEnv {
 protected:
  void SetUp() override {
    RealEnv::SetUp();
    // Run, it leaves a marker beside itself.
    bat = Path("run.bat");
    std::ofstream(FromUtf8(bat)) << "@echo off\r\necho ran> \"%~dp0marker.txt\"\r\n";
    for (const char* name : {"a.txt", "b.txt"}) Touch(Path(name));
    records = {AddRecord(m_doc, Path("a.txt")), AddRecord(m_doc, bat), AddRecord(m_doc, Path("b.txt"))};
    dlg = std::make_unique<CLauncherDlg>(m_doc, filter);
    ASSERT_TRUE(dlg->Create(nullptr));
    list = GetDlgItem(dlg->GetSafeHwnd(), IDC_RESULT_LIST);
  }
  void TearDown() override {
    dlg.reset();
    RealEnv::TearDown();
  }
  // Right click on the row the rows were sorted to, choosing the entry that
  // reads `entry` (nothing: the menu dismissed).
  void ChooseOn(const CFileInfo* record, const std::wstring& entry) {
    int row = 0;
    while (dlg->ResultList().GetRow(row).record != record) ++row;
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    dlg->m_pickShellCommand = [&](HMENU menu, HWND, POINT) {
      ++shown;
      UINT chosen = 0;
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, i, text, 127, MF_BYPOSITION);
        std::wstring plain;
        for (const wchar_t* c = text; *c; ++c) if (*c != L'&') plain += *c;
        if (!entry.empty() && plain == entry) chosen = GetMenuItemID(menu, i);
      }
      return chosen;
    };
    SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(20, 20));
  }

  CFileFilter filter{m_doc};
  std::unique_ptr<CLauncherDlg> dlg;
  HWND list = nullptr;
  std::string bat;
  std::vector<const CFileInfo*> records;
  int shown = 0;
};

TEST_F(ShellMenuTest, OpenFromTheMenuRunsTheFileAndCountsOneUse) {
  ChooseOn(records[1], L"Open");
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(records[1]->UseCount(), 1);
  EXPECT_NE(records[1]->LastUsed(), 0);
  EXPECT_TRUE(PumpUntil([&] { return fs::exists(FromUtf8(Path("marker.txt"))); }, 10000));
  EXPECT_TRUE(IsWindowVisible(dlg->GetSafeHwnd()));  // the launcher stays
}

TEST_F(ShellMenuTest, AnotherEntryOrNoneCountsNothingAndTheMenuIsForTheFocusedRowAlone) {
  for (int row : {0, 1, 2}) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
  ChooseOn(records[0], L"Copy");
  ChooseOn(records[2], L"");
  EXPECT_EQ(shown, 2);
  for (const CFileInfo* record : records) EXPECT_EQ(record->UseCount(), 0);
  EXPECT_FALSE(fs::exists(FromUtf8(Path("marker.txt"))));

  for (int row : {0, 1, 2}) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(list, 1, LVIS_FOCUSED, LVIS_FOCUSED);
  dlg->m_pickShellCommand = [&](HMENU, HWND, POINT) { return ++shown, 0u; };
  SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(20, 20));
  EXPECT_EQ(dlg->ResultList().GetSelectedRecords().size(), 1u);
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 1);
  // Without a focused row that is selected, no menu.
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(20, 20));
  EXPECT_EQ(shown, 3);

  // Cut to the shell's limit, a longer path would be this other file's.
  const std::string longest = Path(std::string(MAX_PATH - 1 - Utf8ToWide(Path("")).size(), 'x'));
  Touch(longest);
  ASSERT_TRUE(fs::exists(FromUtf8(longest)));
  EXPECT_FALSE(ShowShellMenu(m_doc.GetEnv(), list, longest + "yz", {20, 20}, dlg->m_pickShellCommand));
  EXPECT_EQ(shown, 3);
}

// Wine's menus for files have no submenus; programs add them on Windows.
TEST(ShellMenu, EntriesThatOpenSubmenusAreGrayedTheOthersNot) {
  const MenuHandle menu(CreatePopupMenu());
  AppendMenuW(menu.Get(), MF_STRING, 1, L"Open");
  AppendMenuW(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), L"Send to");
  GraySubmenus(menu.Get());
  EXPECT_FALSE(GetMenuState(menu.Get(), 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu.Get(), 1, MF_BYPOSITION) & MF_GRAYED);
}

}  // namespace
