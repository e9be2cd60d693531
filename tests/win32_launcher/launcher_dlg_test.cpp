// The launcher dialog from its template: where it opens, what it remembers,
// how its controls are laid out, what Enter and the native mode open, and
// the icons it fetches.
#include "launcher_fixture.h"

namespace {

RECT WorkArea() {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

RECT WindowRect(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return r;
}

RECT ChildRect(HWND parent, HWND child) {
  RECT r = WindowRect(child);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring ColumnHeader(HWND list, int column) {
  wchar_t text[64] = {};
  LVCOLUMNW c = {};
  c.mask = LVCF_TEXT;
  c.pszText = text;
  c.cchTextMax = 63;
  SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
  return text;
}

int ColumnWidth(HWND list, int column) { return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0)); }

using TitleList = std::vector<std::string>;

TEST_F(LauncherFixture, FirstOpeningSitsInTheWorkAreaCornerWithTheDefaultColumns) {
  Open();
  const RECT r = WindowRect(hwnd);
  const RECT work = WorkArea();
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.bottom, work.bottom);
  EXPECT_TRUE(doc.m_placement.m_bValid);
  EXPECT_EQ(ColumnHeader(list, 0), L"Title");
  EXPECT_EQ(ColumnHeader(list, 1), L"Folder");
  EXPECT_EQ(ColumnWidth(list, 0), 192);
  EXPECT_EQ(ColumnWidth(list, 1), 256);
  EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetFocus(), query);
  // At 96 dpi the resolution warning never shows and the flag stays clear.
  EXPECT_FALSE(doc.m_bDpiWarningShown);
}

// A launcher on a screen of a chosen resolution, counting its warnings.
class LauncherAtDpi : public CLauncherDlg {
 public:
  LauncherAtDpi(CVelnorDoc& doc, CFileFilter& filter, ShellOpener* shell, SIZE dpi)
      : CLauncherDlg(doc, filter, shell), m_dpi(dpi) {}
  int warnings = 0;

 protected:
  SIZE ScreenDpi() const override { return m_dpi; }
  void ShowDpiWarning() override { ++warnings; }

 private:
  SIZE m_dpi;
};

TEST_F(LauncherFixture, TheResolutionWarningShowsOncePerDatabaseAndOnlyAwayFrom96Dpi) {
  struct Opening {
    SIZE dpi;
    int warnings;
    bool flag;
  };
  // Only the first opening away from 96 dpi warns; the flag then stays.
  for (const Opening& o : {Opening{{96, 96}, 0, false}, Opening{{120, 120}, 1, true},
                           Opening{{96, 120}, 0, true}, Opening{{120, 120}, 0, true}}) {
    LauncherAtDpi launcher(doc, filter, &shell, o.dpi);
    ASSERT_TRUE(launcher.Create(nullptr));
    EXPECT_EQ(launcher.warnings, o.warnings);
    EXPECT_EQ(doc.m_bDpiWarningShown, o.flag);
    launcher.DestroyWindow();
  }
  // One direction away from 96 dpi is enough.
  CVelnorDoc other;
  CFileFilter otherFilter(other);
  LauncherAtDpi tall(other, otherFilter, &shell, SIZE{96, 120});
  ASSERT_TRUE(tall.Create(nullptr));
  EXPECT_EQ(tall.warnings, 1);
  tall.DestroyWindow();
  // It is kept in the database file.
  CVelnorDoc restarted;
  restarted.LoadDatabaseBytes(doc.SaveDatabaseBytes());
  EXPECT_TRUE(restarted.m_bDpiWarningShown);
}

TEST_F(LauncherFixture, LaterOpeningsReuseTheLastPositionSizeAndWidthsAlsoAfterARestart) {
  Open();
  SetWindowPos(hwnd, nullptr, 40, 50, 500, 300, SWP_NOZORDER);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, 111);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, 222);
  Close();
  EXPECT_EQ(doc.m_placement.m_nTitleWidth, 111);
  EXPECT_EQ(doc.m_placement.m_nFolderWidth, 222);

  Open();
  RECT r = WindowRect(hwnd);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 300);
  EXPECT_EQ(ColumnWidth(list, 0), 111);
  EXPECT_EQ(ColumnWidth(list, 1), 222);
  Close();

  // A restart: the placement goes through the database file.
  CVelnorDoc restarted;
  restarted.LoadDatabaseBytes(doc.SaveDatabaseBytes());
  CFileFilter restartedFilter(restarted);
  CLauncherDlg again(restarted, restartedFilter, &shell);
  ASSERT_TRUE(again.Create(nullptr));
  r = WindowRect(again.GetSafeHwnd());
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(ColumnWidth(GetDlgItem(again.GetSafeHwnd(), IDC_RESULT_LIST), 1), 222);
  again.DestroyWindow();
}

TEST_F(LauncherFixture, QueryBoxKeepsItsHeightAlongTheBottomAndTheListTakesTheRest) {
  Open();
  const int boxHeight = ChildRect(hwnd, query).bottom - ChildRect(hwnd, query).top;
  ASSERT_GT(boxHeight, 10);
  for (const SIZE size : {SIZE{400, 200}, SIZE{700, 500}, SIZE{250, 150}}) {
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
    RECT client = {};
    GetClientRect(hwnd, &client);
    const RECT box = ChildRect(hwnd, query);
    const RECT rows = ChildRect(hwnd, list);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, client.right);
    EXPECT_EQ(box.bottom, client.bottom);
    EXPECT_EQ(box.bottom - box.top, boxHeight);
    EXPECT_EQ(rows.left, 0);
    EXPECT_EQ(rows.top, 2);
    EXPECT_EQ(rows.right, client.right);
    EXPECT_EQ(rows.bottom, client.bottom - boxHeight - 2);
  }
}

TEST_F(LauncherFixture, OpensFilledInLauncherOrderWithTheFirstRowChosen) {
  AddFile("beta.txt");
  AddFile("Alpha.txt");
  AddFile("used.txt", 3, 100);
  AddFile("recent.txt", 3, 200);
  Open();
  EXPECT_EQ(Titles(), (TitleList{"recent", "used", "Alpha", "beta"}));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(SelectedRow(), 0);
  EXPECT_EQ(FocusedRow(), 0);
  Query("ALP");
  EXPECT_EQ(Titles(), TitleList{"Alpha"});
}

TEST_F(LauncherFixture, EnterOpensTheSelectedRowsCountsAcceptedOnesAndEndsOnSuccess) {
  CFileInfo* a = AddFile("a.txt");
  CFileInfo* b = AddFile("b.txt");
  CFileInfo* c = AddFile("c.txt");
  Open();
  Select({0, 2});
  Command(IDOK);
  EXPECT_EQ(shell.opened, (std::vector<std::string>{a->m_strPath, c->m_strPath}));
  EXPECT_EQ(a->m_nUseCount, 1);
  EXPECT_EQ(b->m_nUseCount, 0);
  EXPECT_EQ(c->m_nUseCount, 1);
  EXPECT_GT(c->m_timeLastUsed, 1600000000);
  EXPECT_EQ(dlg->EndResult(), IDOK);
  // The next opening lists the used files first.
  Close();
  Open();
  EXPECT_EQ(Titles(), (TitleList{"a", "c", "b"}));
}

TEST_F(LauncherFixture, ARefusedLaunchCountsNothingAndTheLauncherStays) {
  CFileInfo* gone = AddFile("gone.txt", 0, 0, false);
  shell.refused = {gone->m_strPath};
  Open();
  Command(IDOK);
  EXPECT_EQ(shell.opened, std::vector<std::string>{gone->m_strPath});
  EXPECT_EQ(gone->m_nUseCount, 0);
  EXPECT_EQ(dlg->EndResult(), 0);
  // A double click on a row opens it like Enter.
  NMITEMACTIVATE click = {};
  click.hdr.hwndFrom = list;
  click.hdr.idFrom = IDC_RESULT_LIST;
  click.hdr.code = NM_DBLCLK;
  click.iItem = 0;
  SendMessageW(hwnd, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(shell.opened.size(), 2u);
}

TEST_F(LauncherFixture, ExitWithAnEmptyListEndsAndTypedTextGoesToTheShell) {
  AddFile("notes.txt");
  Open();
  Query("  ExIt ");
  ASSERT_EQ(dlg->ResultList().GetRowCount(), 0u);
  Command(IDOK);
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_EQ(dlg->EndResult(), IDOK);
  Close();

  Open();
  Query("cmd /c echo");
  Command(IDOK);
  EXPECT_EQ(shell.opened, std::vector<std::string>{"cmd /c echo"});
}

TEST_F(LauncherFixture, NativeModeOpensTheTypedTextEvenWithRowsListed) {
  AddFile("notes.txt");
  Open();
  Query("notes");
  ASSERT_EQ(dlg->ResultList().GetRowCount(), 1u);
  Command(IDC_NATIVE_MODE);
  EXPECT_EQ(shell.opened, std::vector<std::string>{"notes"});
  EXPECT_EQ(dlg->EndResult(), IDOK);
}

TEST_F(LauncherFixture, EnterAndAltNReachTheHiddenButtonsThroughTheDialogKeys) {
  CFileInfo* notes = AddFile("notes.txt");
  Open();
  SetFocus(query);
  MSG enter = {};
  enter.hwnd = query;
  enter.message = WM_KEYDOWN;
  enter.wParam = VK_RETURN;
  enter.lParam = 0x001C0001;
  EXPECT_TRUE(IsDialogMessageW(hwnd, &enter));
  PumpUntil([&] { return !shell.opened.empty(); }, 1000);
  EXPECT_EQ(shell.opened, std::vector<std::string>{notes->m_strPath});

  Close();
  shell.opened.clear();
  Open();
  SetWindowTextW(query, L"typed");
  SetFocus(query);
  MSG altN = {};
  altN.hwnd = query;
  altN.message = WM_SYSCHAR;
  altN.wParam = 'n';
  altN.lParam = 0x20310001;
  EXPECT_TRUE(IsDialogMessageW(hwnd, &altN));
  PumpUntil([&] { return !shell.opened.empty(); }, 1000);
  EXPECT_EQ(shell.opened, std::vector<std::string>{"typed"});
}

TEST_F(LauncherFixture, HeaderClicksSortZToAFirstThenAToZ) {
  AddFile("b.txt");
  AddFile("a.txt");
  AddFile("c.txt", 5, 10);
  Open();
  EXPECT_EQ(Titles(), (TitleList{"c", "a", "b"}));
  NMLISTVIEW click = {};
  click.hdr.hwndFrom = list;
  click.hdr.idFrom = IDC_RESULT_LIST;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = 0;
  SendMessageW(hwnd, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(Titles(), (TitleList{"c", "b", "a"}));
  // The selected row moves with its record.
  EXPECT_EQ(SelectedRow(), 0);
  Select({2});
  SendMessageW(hwnd, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(Titles(), (TitleList{"a", "b", "c"}));
  EXPECT_EQ(SelectedRow(), 0);
  // A refill starts with the title order ascending again.
  dlg->FilterList();
  SendMessageW(hwnd, WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(Titles(), (TitleList{"c", "b", "a"}));
}

TEST_F(LauncherFixture, VisibleRowsGetTheShellIconOnceAndAFileTheShellCannotDescribeIsLeftAlone) {
  CFileInfo* notes = AddFile("notes.txt");
  CFileInfo* gone = AddFile("gone.txt", 0, 0, false);
  Open();
  const HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), 1);  // the placeholder
  dlg->FetchVisibleIcons();
  EXPECT_EQ(ImageList_GetImageCount(images), 2);
  const CResultList& rows = dlg->ResultList();
  for (size_t i = 0; i < rows.GetRowCount(); ++i) {
    if (rows.GetRow(i).record == notes) {
      EXPECT_EQ(rows.GetRow(i).image, 1);
    }
    if (rows.GetRow(i).record == gone) {
      EXPECT_EQ(rows.GetRow(i).image, CResultList::kNoShellIcon);
    }
  }
  EXPECT_FALSE(notes->m_strType.empty());
  EXPECT_TRUE(gone->m_strType.empty());
  // Nothing new is fetched on the next tick.
  dlg->FetchVisibleIcons();
  EXPECT_EQ(ImageList_GetImageCount(images), 2);
}

TEST_F(LauncherFixture, OnlyTheVisibleRowsAndOneMoreAreFetched) {
  for (int i = 0; i < 60; ++i) AddFile("file" + std::to_string(100 + i) + ".txt");
  Open();
  const int perPage = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(perPage, 0);
  ASSERT_LT(perPage, 50);
  dlg->FetchVisibleIcons();
  const HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  EXPECT_EQ(ImageList_GetImageCount(images), 1 + perPage + 1);
  EXPECT_NE(dlg->ResultList().GetRow(perPage).image, 0);
  EXPECT_EQ(dlg->ResultList().GetRow(perPage + 1).image, 0);
}

}  // namespace
