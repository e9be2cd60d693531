// The folder settings dialog from its template: what the user's clicks,
// keys and menu do to the document's folders. The rules behind them are
// unit-tested; these are the wires.
#include "folders/folder_settings_dlg_win.h"
#include "tests/win32/fixtures.h"

namespace {

using Strings = std::vector<std::string>;

// The shell's folder browser and the message box answer what a test says.
class TestedFolderSettings : public CFolderSettingsDlg {
 public:
  using CFolderSettingsDlg::CFolderSettingsDlg;
  std::string browsed;
  int alreadyListed = 0;

 protected:
  std::string BrowseForFolder() override { return browsed; }
  void ShowAlreadyListed() override { ++alreadyListed; }
};

class FolderSettingsTest : public ::testing::Test {
 protected:
  // Six defaults, then the user's two.
  void SetUp() override {
    for (int i = 0; i < 8; ++i) AddFolder(doc, "C:\\F" + std::to_string(i), i % 2 == 0);
    ASSERT_TRUE(dlg.Create(nullptr));
    hwnd = dlg.GetSafeHwnd();
    list = GetDlgItem(hwnd, IDC_FOLDER_LIST);
  }
  Strings Names() const {
    Strings names;
    for (const auto& folder : doc.CopyFolders()) names.push_back(folder->m_strName);
    return names;
  }
  int Selected() { return dlg.GetFolderList()->GetSelectedRow(); }
  // -1: none.
  void Select(int row) {
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    dlg.GetFolderList()->SelectRow(row);
  }
  void Click(int row, bool onCheckBox) {
    RECT r = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM(onCheckBox ? r.left + 8 : r.left + 60, (r.top + r.bottom) / 2);
    // Queued, as the control waits for the release to tell a click from a drag.
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    PumpMessages();
  }
  bool Enabled(size_t row) const {
    CFolder folder;
    return doc.GetFolder(row, folder) && folder.m_bEnabled;
  }

  MemoryEnv env;
  CVelnorDoc doc{env};
  TestedFolderSettings dlg{doc};
  HWND hwnd = nullptr, list = nullptr;
};

TEST_F(FolderSettingsTest, OpensFromItsTemplateWithTheFirstRowSelectedAndTheListFocused) {
  RECT work = {}, r = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(hwnd, &r);
  EXPECT_TRUE(r.right == work.right && r.bottom == work.bottom);
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 255);
  EXPECT_STREQ(text, L"Plovant Velnor");
  // Each control where the template puts it: x, y, width, height in dialog units.
  const std::vector<std::pair<int, RECT>> controls = {
      {IDC_ADD_FOLDER, {255, 20, 50, 14}}, {IDC_FOLDER_LIST, {15, 40, 290, 52}},
      {IDC_RESET_FOLDERS, {210, 105, 51, 14}}, {IDOK, {265, 105, 50, 14}}};
  for (auto [id, units] : controls) {
    MapDialogRect(hwnd, &units);
    GetWindowRect(GetDlgItem(hwnd, id), &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::vector<LONG>{units.left, units.top, units.right, units.bottom})) << id;
  }
  for (const auto& [id, label] : std::vector<std::pair<int, const wchar_t*>>{
           {IDC_ADD_FOLDER, L"&Add..."}, {IDC_RESET_FOLDERS, L"&Reset"}, {IDOK, L"&Close"}}) {
    GetDlgItemTextW(hwnd, id, text, 255);
    EXPECT_STREQ(text, label);
  }
  EXPECT_TRUE(FindWindowExW(hwnd, nullptr, L"Button", L"Folder Settings"));
  EXPECT_TRUE(FindWindowExW(hwnd, nullptr, L"Static",
                            L"Select the folders the program should use, when searching for files. You can add "
                            L"your own, by clicking on the \"Add\" button."));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 8);
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(GetFocus(), list);
  EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
  EXPECT_TRUE(dlg.GetFolderList()->IsChecked(0));
  EXPECT_FALSE(dlg.GetFolderList()->IsChecked(1));
}

TEST_F(FolderSettingsTest, ACheckBoxClickTogglesAndSelectsWithoutEditingAndANameClickOnlySelects) {
  Click(1, true);
  EXPECT_TRUE(Enabled(1) && dlg.GetFolderList()->IsChecked(1));
  EXPECT_EQ(Selected(), 1);
  Click(1, true);  // on the selected row: a second click would start an edit
  EXPECT_FALSE(Enabled(1) || dlg.GetFolderList()->IsChecked(1));
  EXPECT_EQ(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0), 0);
  EXPECT_TRUE(dlg.FoldersChanged());

  Click(2, false);
  EXPECT_EQ(Selected(), 2);
  EXPECT_TRUE(Enabled(2));
}

// As the keyboard sends it: down (then held: repeats), the character, up.
TEST_F(FolderSettingsTest, SpaceTogglesTheFocusedRowOncePerPress) {
  const auto press = [&](bool held) {
    PostMessageW(list, WM_KEYDOWN, VK_SPACE, held ? (1 << 30) | 1 : 1);
    PostMessageW(list, WM_CHAR, L' ', 1);
    PostMessageW(list, WM_KEYUP, VK_SPACE, 0xC0000001);
    PumpMessages();
  };
  Select(3);
  press(false);
  EXPECT_TRUE(Enabled(3) && dlg.GetFolderList()->IsChecked(3));
  EXPECT_TRUE(dlg.FoldersChanged());
  press(true);
  EXPECT_TRUE(Enabled(3));
  press(false);
  EXPECT_FALSE(Enabled(3) || dlg.GetFolderList()->IsChecked(3));
  EXPECT_EQ(Selected(), 3);
  EXPECT_TRUE(Enabled(2) && Enabled(4));
}

TEST_F(FolderSettingsTest, DeleteRemovesOnlyTheUsersFoldersAndSelectsTheRowAbove) {
  for (int row : {-1, 0, 5}) {
    Select(row);
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
  }
  EXPECT_EQ(Names().size(), 8u);
  EXPECT_FALSE(dlg.FoldersChanged());
  Select(7);
  SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(Names().size(), 7u);
  EXPECT_EQ(Selected(), 6);
  EXPECT_TRUE(dlg.FoldersChanged());
}

TEST_F(FolderSettingsTest, ALabelEditRenamesButEscapeKeepsTheNameAndNoRefreshIsDue) {
  const auto edit = [&](int row, const wchar_t* text, WPARAM key) {
    Select(row);
    if (row == 6) {
      SendMessageW(list, WM_KEYDOWN, VK_F2, 0);
    } else {
      SendMessageW(hwnd, WM_COMMAND, ID_RENAME_FOLDER, 0);
    }
    const HWND box = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
    ASSERT_TRUE(box);
    SetWindowTextW(box, text);
    SendMessageW(box, WM_KEYDOWN, key, 0);
    SendMessageW(box, WM_CHAR, key, 0);
  };
  edit(6, L"Music", VK_RETURN);
  edit(7, L"Ignored", VK_ESCAPE);
  edit(2, L"", VK_RETURN);
  EXPECT_EQ(Names(), (Strings{"C:\\F0", "C:\\F1", "", "C:\\F3", "C:\\F4", "C:\\F5", "Music", "C:\\F7"}));
  EXPECT_FALSE(dlg.FoldersChanged());
  EXPECT_TRUE(IsWindow(hwnd));  // Escape ended the edit, not the dialog
}

TEST_F(FolderSettingsTest, AddAppendsAnEnabledFolderInLabelEditingAndRefusesOneListedAlready) {
  dlg.browsed = "C:\\f3\\";
  SendMessageW(hwnd, WM_COMMAND, IDC_ADD_FOLDER, 0);
  EXPECT_EQ(dlg.alreadyListed, 1);
  EXPECT_EQ(Names().size(), 8u);
  dlg.browsed.clear();  // cancelled
  SendMessageW(hwnd, WM_COMMAND, IDC_ADD_FOLDER, 0);
  EXPECT_FALSE(dlg.FoldersChanged());

  dlg.browsed = "D:\\Music";
  SendMessageW(hwnd, WM_COMMAND, IDC_ADD_FOLDER, 0);
  EXPECT_EQ(Names().back(), "D:\\Music");
  EXPECT_TRUE(Enabled(8) && dlg.GetFolderList()->IsChecked(8));
  EXPECT_NE(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0), 0);
  EXPECT_TRUE(dlg.FoldersChanged());
}

TEST_F(FolderSettingsTest, TheContextMenuOffersWhatTheSelectionAllowsAndExploreGoesToTheShell) {
  const auto enabled = [&] {
    const MenuHandle menu = dlg.LoadContextMenu();
    const HMENU popup = GetSubMenu(menu.Get(), 0);
    std::vector<bool> on;
    for (UINT id : std::vector<UINT>{ID_EXPLORE_FOLDER, ID_RENAME_FOLDER, ID_REMOVE_FOLDER, IDC_ADD_FOLDER})
      on.push_back(!(GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED));
    EXPECT_EQ(GetMenuDefaultItem(popup, FALSE, GMDI_USEDISABLED), ID_EXPLORE_FOLDER);
    return on;
  };
  EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false, true}));  // row 0
  Select(6);
  EXPECT_EQ(enabled(), (std::vector<bool>{true, true, true, true}));
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
  Select(-1);
  EXPECT_EQ(enabled(), (std::vector<bool>{false, false, false, true}));
  SendMessageW(hwnd, WM_COMMAND, ID_EXPLORE_FOLDER, 0);  // nothing selected: nothing explored
  EXPECT_EQ(env.launches, (Strings{"explore C:\\F6"}));
}

TEST_F(FolderSettingsTest, ResetLeavesOnlyTheDefaultFolders) {
  SendMessageW(hwnd, WM_COMMAND, IDC_RESET_FOLDERS, 0);
  EXPECT_TRUE(dlg.FoldersChanged());
  EXPECT_EQ(static_cast<size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)), Names().size());
  for (const std::string& name : Names()) EXPECT_EQ(name.find("C:\\F"), std::string::npos);
}

}  // namespace
