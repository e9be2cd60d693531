#include "tests/win32/app_fixture.h"

namespace {

using CloseSequenceTest = StartedAppTest;

TEST_F(CloseSequenceTest, ExitSavesThisSessionRemovesTheIconAndEndsTheProcess) {
  ASSERT_TRUE(TrayIconShown());
  app->m_pDoc->m_bSearchFullPath = true;  // a change made while running

  SendMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);

  EXPECT_EQ(exitCodes, std::vector<UINT>{0});
  const auto saved = SavedDocument();
  EXPECT_TRUE(saved->m_bSearchFullPath);
  EXPECT_FALSE(saved->m_bFirstRun);
  EXPECT_FALSE(TrayIconShown());
  EXPECT_TRUE(HotKeyFree());
  EXPECT_TRUE(askedPaths.empty());
}

TEST_F(CloseSequenceTest, ClosingTheFrameTakesTheSameWayOut) {
  app->m_pDoc->m_bMp3Support = false;
  SendMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(exitCodes, std::vector<UINT>{0});
  EXPECT_FALSE(SavedDocument()->m_bMp3Support);
}

TEST_F(CloseSequenceTest, SessionEndSavesOnlyWhenTheSessionReallyEnds) {
  app->m_pDoc->m_bAutorun = false;
  EXPECT_EQ(SendMessageW(frame, WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageW(frame, WM_ENDSESSION, FALSE, 0);  // cancelled by another program
  EXPECT_TRUE(exitCodes.empty());
  EXPECT_EQ(fs.files[dbPath], seededBytes);
  EXPECT_TRUE(TrayIconShown());

  SendMessageW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(exitCodes, std::vector<UINT>{0});
  EXPECT_FALSE(SavedDocument()->m_bAutorun);
  EXPECT_FALSE(TrayIconShown());
  EXPECT_TRUE(HotKeyFree());
}

TEST_F(CloseSequenceTest, FailedSaveLetsTheUserKeepRunningWithNothingLost) {
  fs.failWrites = true;
  answers = {SaveFailureChoice::kKeepRunning};
  app->m_pDoc->m_bSearchFullPath = true;

  SendMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);

  EXPECT_EQ(askedPaths, std::vector<std::string>{dbPath});
  EXPECT_TRUE(exitCodes.empty());
  EXPECT_TRUE(IsWindow(frame));
  EXPECT_TRUE(TrayIconShown());
  EXPECT_FALSE(HotKeyFree());
  EXPECT_EQ(fs.files[dbPath], seededBytes);

  // Once the disk takes writes again, the next Exit saves and ends.
  fs.failWrites = false;
  SendMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);
  EXPECT_EQ(exitCodes, std::vector<UINT>{0});
  EXPECT_TRUE(SavedDocument()->m_bSearchFullPath);
}

TEST_F(CloseSequenceTest, FailedSaveCanBeRetried) {
  fs.failWrites = true;
  answers = {SaveFailureChoice::kRetry};
  onAsk = [this] { fs.failWrites = false; };
  app->m_pDoc->m_bSearchFullPath = true;

  SendMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);

  EXPECT_EQ(askedPaths.size(), 1u);
  EXPECT_EQ(exitCodes, std::vector<UINT>{0});
  EXPECT_TRUE(SavedDocument()->m_bSearchFullPath);
}

TEST_F(CloseSequenceTest, ExitWithoutSavingKeepsTheLastFile) {
  fs.failWrites = true;
  answers = {SaveFailureChoice::kRetry, SaveFailureChoice::kExitWithoutSaving};

  SendMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);

  EXPECT_EQ(askedPaths.size(), 2u);
  EXPECT_EQ(exitCodes, std::vector<UINT>{0});
  EXPECT_EQ(fs.files[dbPath], seededBytes);
  EXPECT_FALSE(TrayIconShown());
}

TEST_F(CloseSequenceTest, SessionEndNeverWaitsForAnAnswer) {
  fs.failWrites = true;
  SendMessageW(frame, WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(askedPaths.empty());
  EXPECT_EQ(exitCodes, std::vector<UINT>{0});
}

TEST_F(CloseSequenceTest, ASecondExitWhileTheFirstIsAskingIsIgnored) {
  fs.failWrites = true;
  answers = {SaveFailureChoice::kExitWithoutSaving};
  // The question runs a message loop, so the tray menu is live under it.
  onAsk = [this] { SendMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0); };

  SendMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);

  EXPECT_EQ(askedPaths.size(), 1u);
  EXPECT_EQ(exitCodes, std::vector<UINT>{0});
}

}  // namespace

namespace {

TEST(FirstRunTest, WithoutTheGuideBesideItStartsQuietlyAndStoresTheFirstRunOnlyAtExit) {
  // No help.htm beside this test program: the guide cannot open, and that
  // must neither stop nor hold up start-up.
  MemoryFileSystem fs;
  std::vector<UINT> exitCodes;
  CVelnorApp app(fs);
  app.m_strAutorunSubkey = kScratchRunKey;
  app.m_exitProcess = [&](UINT code) { exitCodes.push_back(code); };
  ASSERT_TRUE(app.InitInstance());
  const HWND frame = app.GetMainFrame()->GetSafeHwnd();
  EXPECT_FALSE(app.m_pDoc->m_bFirstRun);
  EXPECT_TRUE(fs.files.empty());  // nothing is written at start

  SendMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);

  ASSERT_EQ(exitCodes, std::vector<UINT>{0});
  ASSERT_EQ(fs.files.size(), 1u);
  CVelnorDoc saved(fs);
  EXPECT_FALSE(saved.LoadDatabaseBytes(fs.files.begin()->second).damaged);
  EXPECT_FALSE(saved.m_bFirstRun);
  DeleteScratchRunKey();
}

}  // namespace
