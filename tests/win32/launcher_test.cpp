// The launcher from its template: where it opens, what reaches the shell,
// its sorting, icons and query box, and the result list's drawing in a real
// device context. The rules it calls are unit-tested; these are its wires.
#include "tests/win32/fixtures.h"

#include <filesystem>

namespace {

using Strings = std::vector<std::string>;

RECT ScreenRect(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return r;
}

TEST_F(LauncherTest, OpensInTheWorkAreaCornerThenWhereItWasLeftWithItsControlsLaidOut) {
  Open();
  RECT work = {}, r = ScreenRect(hwnd);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(r.right == work.right && r.bottom == work.bottom);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetFocus(), query);
  EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

  SetWindowPos(hwnd, nullptr, 40, 50, 500, 300, SWP_NOZORDER);
  RECT client = {};
  GetClientRect(hwnd, &client);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const RECT box = ScreenRect(query), rows = ScreenRect(list);
  EXPECT_TRUE(box.bottom == client.bottom && box.right == client.right);  // the box along the bottom
  EXPECT_TRUE(rows.right == client.right && rows.bottom < box.top);       // the list above it

  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, 111);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, 222);
  Open();
  r = ScreenRect(hwnd);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
            (std::vector<LONG>{40, 50, 500, 300}));
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 111);
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 222);
}

// What a damaged database or a screen shrunk since the last closing leaves:
// the launcher still opens whole inside the work area, with room for rows
// and both columns showing.
TEST_F(LauncherTest, ASavedPlacementOffTheScreenOrOfNoSizeOpensWholeAndUsable) {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const CRect saved[] = {
      {100, work.bottom + 6, 600, work.bottom + 306},  // below the bottom
      {5000, 100, 5500, 400},                         // far outside
      {-900, -600, -400, -300},                       // negative
      {50, 50, 51, 51},                               // one pixel
      {600, 400, 100, 100},                           // inverted corners
      {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
  };
  for (const CRect& r : saved) {
    dlg.reset();  // its closing would save its own placement over this one
    doc.m_placement.m_bValid = true;
    doc.m_placement.m_rect = r;
    doc.m_placement.m_nTitleWidth = 0;
    doc.m_placement.m_nFolderWidth = 100000;
    Open();
    const RECT at = ScreenRect(hwnd), rows = ScreenRect(list), box = ScreenRect(query);
    EXPECT_TRUE(at.left >= work.left && at.top >= work.top && at.right <= work.right && at.bottom <= work.bottom)
        << r.left << "," << r.top << " -> " << at.left << "," << at.top << "," << at.right << "," << at.bottom;
    EXPECT_GE(rows.bottom - rows.top, 40) << r.left;
    EXPECT_GE(box.right - box.left, 100) << r.left;
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 192);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 256);
  }
}

// A launcher on a screen of a chosen resolution, counting its warnings.
class LauncherAtDpi : public CLauncherDlg {
 public:
  LauncherAtDpi(CVelnorDoc& doc, CFileFilter& filter, SIZE dpi) : CLauncherDlg(doc, filter), m_dpi(dpi) {}
  int warnings = 0;

 protected:
  SIZE ScreenDpi() const override { return m_dpi; }
  void ShowDpiWarning() override { ++warnings; }

 private:
  SIZE m_dpi;
};

// Once per database; one direction away from 96 dpi is enough.
TEST_F(LauncherTest, TheResolutionWarningShowsOnceAndOnlyAwayFrom96Dpi) {
  for (const auto& [dpi, warnings] :
       std::vector<std::pair<SIZE, int>>{{{96, 96}, 0}, {{96, 120}, 1}, {{120, 120}, 0}}) {
    LauncherAtDpi launcher(doc, filter, dpi);
    ASSERT_TRUE(launcher.Create(nullptr));
    EXPECT_EQ(launcher.warnings, warnings) << dpi.cx << "x" << dpi.cy;
  }
  EXPECT_TRUE(doc.m_bDpiWarningShown);
}

// The order is the filter's; the list keeps the chosen row with its record
// and starts each refill with titles ascending again.
TEST_F(LauncherTest, OpensFilledInLauncherOrderAndHeaderClicksSortZToAFirst) {
  Add("b.txt");
  Add("a.txt");
  Add("c.txt", 5);
  Open();
  EXPECT_EQ(Titles(), (Strings{"c", "a", "b"}));
  EXPECT_TRUE(Row(LVNI_SELECTED) == 0 && Row(LVNI_FOCUSED) == 0);
  const auto clickTitle = [&] { Notify(list, LVN_COLUMNCLICK, NMLISTVIEW{}); };
  clickTitle();
  EXPECT_EQ(Titles(), (Strings{"c", "b", "a"}));
  Select({2});
  clickTitle();
  EXPECT_EQ(Titles(), (Strings{"a", "b", "c"}));
  EXPECT_EQ(Row(LVNI_SELECTED), 0);
  dlg->FilterList();
  clickTitle();
  EXPECT_EQ(Titles(), (Strings{"c", "b", "a"}));
}

// Which rows or text a launch opens is RunSelection's rule; here the keys
// and the double click reach it, and a launch ends the launcher.
TEST_F(LauncherTest, EnterDoubleClickAndAltNReachTheShell) {
  const std::string a(Add("a.txt")->Path());
  Add("b.txt");
  const std::string c(Add("c.txt")->Path());
  const auto press = [&](UINT message, WPARAM key, LPARAM lParam) {
    SetFocus(query);
    MSG msg = {query, message, key, lParam, 0, {0, 0}};
    EXPECT_TRUE(IsDialogMessageW(hwnd, &msg));
    PumpMessages();
  };
  Open();
  Select({0, 2});
  press(WM_KEYDOWN, VK_RETURN, 0x001C0001);
  EXPECT_EQ(env.launches, (Strings{a, c}));
  EXPECT_EQ(dlg->EndResult(), IDOK);
  Open();
  Notify(list, NM_DBLCLK, NMITEMACTIVATE{});
  Open();
  SetWindowTextW(query, L"a");  // a row is listed, and still the typed text goes
  dlg->FilterList();
  press(WM_SYSCHAR, 'n', 0x20310001);
  EXPECT_EQ(env.launches, (Strings{a, c, a, "a"}));
}

// Keys typed faster than the typing delay, as a user who knows the name
// types it: the typing timer is the real one, still waiting when Enter or
// Down comes, and each acts on the rows of the text as typed. The most used
// file, on top before the typing, is neither launched nor counted.
TEST_F(LauncherTest, EnterAndDownRightAfterTypingActOnTheRowsOfWhatWasTyped) {
  const CFileInfo* top = Add("zzalpha.txt", 9);
  const CFileInfo* bravo = Add("zzbravo.txt");
  const CFileInfo* bravo2 = Add("zzbravo2.txt");
  const auto type = [&](const wchar_t* text) {
    SetFocus(query);
    for (const wchar_t* c = text; *c; ++c) SendMessageW(query, WM_CHAR, *c, 1);
  };
  const auto key = [&](HWND to, WPARAM vk) {
    MSG msg = {to, WM_KEYDOWN, vk, 1, 0, {0, 0}};
    if (!IsDialogMessageW(hwnd, &msg)) SendMessageW(to, WM_KEYDOWN, vk, 1);
  };
  Open();
  const int runs = dlg->FilterRuns();
  type(L"zzbravo");
  key(query, VK_RETURN);
  EXPECT_EQ(env.launches, (Strings{std::string(bravo->Path())}));
  EXPECT_EQ(dlg->EndResult(), IDOK);
  EXPECT_EQ(dlg->FilterRuns(), runs + 1);
  Sleep(CQueryEdit::kTypingDelayMs + 100);
  PumpMessages();
  EXPECT_EQ(dlg->FilterRuns(), runs + 1);  // the waiting timer went with the run

  Open();
  type(L"zzbravo");
  key(query, VK_DOWN);  // from the box
  key(query, VK_RETURN);
  Open();
  type(L"zzbravo");
  SetFocus(list);
  key(list, VK_DOWN);  // in the list, after a Tab or a click into it
  key(list, VK_RETURN);
  const std::string second(bravo2->Path());
  EXPECT_EQ(env.launches, (Strings{std::string(bravo->Path()), second, second}));
  EXPECT_EQ(bravo->UseCount(), 1);
  EXPECT_EQ(bravo2->UseCount(), 2);
  EXPECT_EQ(top->UseCount(), 9);
}

// For the visible rows and the one partly visible below them, once each; a
// file the shell cannot describe keeps the placeholder.
TEST_F(LauncherTest, VisibleRowsGetTheShellsIconOnce) {
  const CFileInfo* real = AddRecord(doc, Env::Default().ModuleFilePath(), 1);
  for (int i = 0; i < 60; ++i) Add("gone" + std::to_string(100 + i) + ".txt");
  Open();
  const auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  const int perPage = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_TRUE(perPage > 0 && perPage < 50);
  dlg->FetchVisibleIcons();
  dlg->FetchVisibleIcons();
  EXPECT_EQ(ImageList_GetImageCount(images), 2);  // the placeholder and one icon
  const CResultList& rows = dlg->ResultList();
  ASSERT_EQ(rows.GetRow(0).record, real);
  EXPECT_EQ(rows.GetRow(0).image, 1);
  EXPECT_FALSE(real->Type().empty());
  EXPECT_EQ(rows.GetRow(perPage).image, CResultList::kNoShellIcon);
  EXPECT_EQ(rows.GetRow(perPage + 1).image, 0);
}

// Rows that the shell gives the same icon share one image: scrolling
// through 10,000 files of five types leaves the placeholder and at most
// five icons in the list, however many rows were described.
TEST_F(LauncherTest, ScrollingThroughManyFilesKeepsOneImagePerDistinctIcon) {
  struct Folder {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "velnor-many-icons";
    ~Folder() { std::filesystem::remove_all(path); }
  } folder;
  const char* const types[] = {".txt", ".bat", ".ini", ".dll", ".png"};
  CFileMap::Records records;
  for (int i = 0; i < 10000; ++i) {
    // A hundred to a folder: Wine looks a new name up by reading its folder.
    const std::filesystem::path sub = folder.path / std::to_string(i / 100);
    if (i % 100 == 0) std::filesystem::create_directories(sub);
    const std::filesystem::path file = sub / ("file" + std::to_string(i) + types[i % 5]);
    ASSERT_TRUE(KernelHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));
    records.push_back(MakeRecord(WideToUtf8(file.wstring())));
  }
  doc.AddFiles(std::move(records));
  Open();
  // A page at a time, each described as the icon timer would; drawing the
  // pages would only slow the test.
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (int top = -1; top != static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));) {
    top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    SendMessageW(hwnd, WM_TIMER, CLauncherDlg::kIconTimer, 0);
    SendMessageW(list, WM_VSCROLL, SB_PAGEDOWN, 0);
  }
  const CResultList& rows = dlg->ResultList();
  ASSERT_EQ(rows.GetRowCount(), 10000u);
  int described = 0;
  for (size_t i = 0; i < rows.GetRowCount(); ++i) described += rows.GetRow(i).image > 0;
  EXPECT_EQ(described, 10000);
  const int images =
      ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0)));
  RecordProperty("images", images);
  EXPECT_GE(images, 2);
  EXPECT_LE(images, 1 + 5);
}

// How a path is compacted is ShortenToFit's rule; here the column follows
// its width once the user's resize ends.
TEST_F(LauncherTest, TheFolderColumnIsCompactedToItsWidthWhenItsResizeEnds) {
  const std::string deep = "C:\\Program Files\\Some Vendor\\Some Product\\Version 12\\Shared Components\\Bin";
  AddRecord(doc, deep + "\\tool.exe");
  Open();
  EXPECT_NE(dlg->ResultList().FolderText(0).find(L"..."), std::wstring::npos);
  NMHEADERW end = {};
  end.iItem = 1;
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, 900);
  Notify(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), HDN_ENDTRACKW, end);
  EXPECT_EQ(dlg->ResultList().FolderText(0), Utf8ToWide(deep));
}

// Rows keep their drawn texts while on screen: a sort, a refill or a new
// font must not leave a row showing another's texts or the old font's.
TEST_F(LauncherTest, DrawnTextsFollowTheRowsThroughSortsRefillsAndFonts) {
  AddRecord(doc, "C:\\Alpha Folder\\a.txt");
  AddRecord(doc, "C:\\Beta Folder\\b.txt");
  Open();
  CResultList& rows = dlg->ResultList();
  EXPECT_EQ(rows.LabelText(0) + rows.FolderText(0), L"aC:\\Alpha Folder");
  Notify(list, LVN_COLUMNCLICK, NMLISTVIEW{});
  EXPECT_EQ(rows.LabelText(0) + rows.FolderText(0), L"bC:\\Beta Folder");
  SetWindowTextW(query, L"a");
  dlg->FilterList();
  EXPECT_EQ(rows.LabelText(0) + rows.FolderText(0), L"aC:\\Alpha Folder");
  const GdiObjectHandle large(CreateFontW(60, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(large.Get()), FALSE);
  EXPECT_NE(rows.FolderText(0).find(L"..."), std::wstring::npos);
  SendMessageW(list, WM_SETFONT, SendMessageW(hwnd, WM_GETFONT, 0, 0), FALSE);  // before the font goes
}

// What the tip says is FileTipSummary's rule; here it follows the pointer.
// The tip shows when the real cursor has rested on the list for a second.
class FileTipTest : public LauncherTest {
 protected:
  void SetUp() override {
    Add("one.txt");
    Add("two.txt");
    Open();
  }
  // Away from where the next tests' windows open.
  void TearDown() override { SetCursorPos(0, 0); }
  // Moves the cursor into row `row`'s cell in `column` (below the rows for
  // -1) and tells the list, as the mouse would.
  void Point(int row, int column, int nudge = 0) {
    RECT cell = {column == 0 ? LVIR_LABEL : LVIR_BOUNDS, column, 0, 0};
    SendMessageW(list, LVM_GETSUBITEMRECT, row < 0 ? 1 : row, reinterpret_cast<LPARAM>(&cell));
    POINT at = {cell.left + 10 + nudge, (cell.top + cell.bottom) / 2 + (row < 0 ? 3 * (cell.bottom - cell.top) : 0)};
    POINT screen = at;
    ClientToScreen(list, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
  }
  // Two movements in the cell: a tip shows only after a movement it was
  // told of, and the first one over the list creates it.
  void Rest(int row, int column) {
    Point(row, column);
    Point(row, column, 1);
  }
  HWND Tip() const { return dlg->ResultList().Tip().GetSafeHwnd(); }
  bool Shown() const { return IsWindowVisible(Tip()) != FALSE; }
  std::string Text() const {
    wchar_t text[INFOTIPSIZE] = {};
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = list;
    tool.lpszText = text;
    SendMessageW(Tip(), TTM_GETTEXTW, INFOTIPSIZE, reinterpret_cast<LPARAM>(&tool));
    return WideToUtf8(text);
  }
};

TEST_F(FileTipTest, ShowsAfterASecondAndHidesWhenTheRowOrColumnChangesOrNoRowIsUnder) {
  EXPECT_EQ(Tip(), nullptr);
  const ULONGLONG start = GetTickCount64();
  Rest(0, 0);
  ASSERT_NE(Tip(), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Shown(); }, 3000));
  EXPECT_GE(GetTickCount64() - start, 900u);
  EXPECT_EQ(Text(), "Name: one.txt\nType: \n\nFrequency of use: 0 time(s)");

  Point(1, 0);
  EXPECT_FALSE(Shown());
  Rest(1, 1);
  ASSERT_TRUE(PumpUntil([&] { return Shown(); }, 3000));
  EXPECT_EQ(Text(), JoinPath({"C:", "Files"}));
  Point(1, 0);
  EXPECT_FALSE(Shown());
  EXPECT_NE(Text().find("two.txt"), std::string::npos);

  Rest(1, 0);
  ASSERT_TRUE(PumpUntil([&] { return Shown(); }, 3000));
  Rest(-1, 0);  // below the last row: deactivated, so it stays hidden
  EXPECT_FALSE(Shown());
  EXPECT_FALSE(PumpUntil([&] { return Shown(); }, 1500));
}

class QueryEditTest : public LauncherTest {
 protected:
  void SetUp() override {
    for (int i = 0; i < 40; ++i) Add("file" + std::to_string(100 + i) + ".txt");
    Open();
    SetWindowTextW(query, L"file");
    SendMessageW(query, EM_SETSEL, 2, 2);
  }
};

TEST_F(QueryEditTest, NavigationKeysMoveTheListAndTheOthersTheCaret) {
  const struct {
    WPARAM key;
    int row;  // -1: anywhere past the first two
    DWORD caret;
  } steps[] = {{VK_DOWN, 1, 2},  {VK_DOWN, 2, 2},  {VK_UP, 1, 2},    {VK_END, 39, 2}, {VK_HOME, 0, 2},
               {VK_NEXT, -1, 2}, {VK_PRIOR, 0, 2}, {VK_RIGHT, 0, 3}, {VK_LEFT, 0, 2}};
  for (const auto& step : steps) {
    SendMessageW(query, WM_KEYDOWN, step.key, 1);
    DWORD caret = 0;
    SendMessageW(query, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    EXPECT_TRUE(step.row < 0 ? Row(LVNI_FOCUSED) > 1 : Row(LVNI_FOCUSED) == step.row) << step.key;
    EXPECT_EQ(caret, step.caret) << step.key;
  }
}

// Changes 100 ms apart: the wait starts again with each. A timer's message
// comes with the first look at the queue once it is due.
TEST_F(QueryEditTest, TypingFiltersOnce400MillisecondsAfterTheLastChange) {
  const int before = dlg->FilterRuns();
  for (const wchar_t* text : {L"f", L"fi", L"fil", L"file1", L"file13"}) {
    const ULONGLONG changed = GetTickCount64();
    SetWindowTextW(query, text);
    Sleep(100);
    // A machine too busy to come back within the pause proves nothing about it.
    if (GetTickCount64() - changed >= 300) continue;
    PumpMessages();
    EXPECT_EQ(dlg->FilterRuns(), before);
  }
  EXPECT_TRUE(PumpUntil([&] { return dlg->FilterRuns() > before; }, 3000));
  EXPECT_EQ(dlg->FilterRuns(), before + 1);
  EXPECT_EQ(dlg->ResultList().GetRowCount(), 10u);
  Sleep(500);
  PumpMessages();
  EXPECT_EQ(dlg->FilterRuns(), before + 1);  // the timer does not come back
}

class ResultListTest : public LauncherTest {
 protected:
  void SetUp() override {
    Add("one.txt");
    Add("two.txt");
    Open();
    // Narrow columns leave room to the right of the last one.
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, 80);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, 60);
    GetClientRect(list, &client);
    ASSERT_GT(client.right, 200);
  }
  RECT Label(int row) const {
    RECT r = {LVIR_LABEL, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  // One line of the list as the screen shows it, across the whole client.
  std::vector<COLORREF> Line(int y) const {
    UpdateWindow(list);
    const WindowDC dc(list);
    std::vector<COLORREF> line;
    for (int x = 0; x < client.right; ++x) line.push_back(GetPixel(dc.Get(), x, y));
    return line;
  }
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  RECT client = {};
};

// The focus rectangle is drawn only while the list has the focus.
TEST_F(ResultListTest, ASelectedRowIsHighlightedFromItsLabelToTheClientEdge) {
  const RECT label = Label(0);
  SetFocus(query);
  const std::vector<COLORREF> unfocused = Line(label.top), other = Line(Label(1).top + 1);
  const std::vector<COLORREF> selected = Line(label.top + 1);
  EXPECT_EQ(selected[label.left + 1], highlight);
  EXPECT_EQ(selected[client.right - 2], highlight);
  EXPECT_NE(selected[label.left - 3], highlight);  // the icon's place is left out
  EXPECT_EQ(other[client.right - 2], dlg->ResultList().m_crTextBack);

  SetFocus(list);
  ASSERT_EQ(GetFocus(), list);
  const std::vector<COLORREF> focused = Line(label.top);
  int differing = 0;
  for (int x = label.left; x < client.right - 1; ++x) {
    differing += focused[x] != unfocused[x];
    EXPECT_EQ(unfocused[x], highlight) << x;
  }
  EXPECT_GT(differing, 10);
}

// A stale black bar across the row's line from the title to the right
// edge, which only a repaint of the band beyond the last column removes.
TEST_F(ResultListTest, RepaintingPartOfTheFirstRowAlsoRepaintsTheBandBeyondTheLastColumn) {
  const RECT label = Label(0), stale = {label.left, label.top, 10000, label.bottom};
  const RECT part = {label.left, label.top, label.left + 10, label.bottom};
  const int y = (label.top + label.bottom) / 2;
  ASSERT_EQ(Line(y)[client.right - 3], highlight);
  FillRect(WindowDC(list).Get(), &stale, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ASSERT_EQ(Line(y)[client.right - 3], RGB(0, 0, 0));
  InvalidateRect(list, &part, FALSE);
  EXPECT_EQ(Line(y)[client.right - 3], highlight);
}

}  // namespace
