#include "database/folder_watcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "database/refresh_controller.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

using Strings = std::vector<std::string>;

std::string Folder(int i) { return JoinPath({"C:", "F" + std::to_string(i)}); }
std::string FileIn(int i, const std::string& name) { return JoinPath({Folder(i), name}); }

// A document over folders C:\F0 .. C:\Fn-1, each holding one file, refreshed,
// and a watcher started over it as the program starts it.
class FolderWatcher : public ::testing::Test {
 protected:
  void Start(int folders, const std::vector<int>& disabled = {}, const std::vector<int>& missing = {}) {
    const auto in = [](const std::vector<int>& list, int i) { return std::find(list.begin(), list.end(), i) != list.end(); };
    for (int i = 0; i < folders; ++i) {
      if (!in(missing, i)) m_env.AddFile(FileIn(i, "old.txt"));
      AddFolder(m_doc, Folder(i), !in(disabled, i));
    }
    m_refresh.Refresh(RefreshKind::kStartUp);
    m_refresh.RestartWatcher([this](const RescanReport& report) {
      std::lock_guard<std::mutex> hold(m_mutex);
      m_rescanned.push_back(static_cast<int>(report.folderIndex));
    });
  }
  // Fires the folders' notifications together and waits until the watcher
  // has handled everything; returns the folders it rescanned meanwhile.
  std::vector<int> Fire(const std::vector<int>& folders) {
    EXPECT_TRUE(m_env.notifications.WaitUntilIdle());
    Strings paths;
    for (int i : folders) paths.push_back(Folder(i));
    m_env.notifications.Fire(paths);
    EXPECT_TRUE(m_env.notifications.WaitUntilIdle());
    std::lock_guard<std::mutex> hold(m_mutex);
    return std::move(m_rescanned);
  }
  // Lets the watcher's wait run out, so that it looks at every folder's
  // path; returns the folders it rescanned.
  std::vector<int> Check() {
    EXPECT_TRUE(m_env.notifications.WaitUntilIdle());
    m_env.notifications.TimeOut();
    EXPECT_TRUE(m_env.notifications.WaitUntilIdle());
    std::lock_guard<std::mutex> hold(m_mutex);
    return std::move(m_rescanned);
  }
  bool Found(const std::string& path) {
    const CFileInfo* record = m_doc.FindFile(path);
    return record && record->Found();
  }

  MemoryEnv m_env;
  std::mutex m_mutex;
  std::vector<int> m_rescanned;
  CVelnorDoc m_doc{m_env};
  CRefreshController m_refresh{m_doc};  // destroyed first: it stops the watcher
};

// Two changes at once rescan the earlier folder first.
TEST_F(FolderWatcher, WatchesEnabledFoldersAmongTheFirst64AndLeavesOutOnlyWhatItCannotWatch) {
  m_env.notifications.refused = {Folder(5)};  // an absent drive
  Start(70, {1, 2});
  ASSERT_TRUE(m_env.notifications.WaitUntilIdle());
  Strings expected;
  for (int i = 0; i < 64; ++i) {
    if (i != 1 && i != 2 && i != 5) expected.push_back(Folder(i));
  }
  EXPECT_EQ(m_env.notifications.Watched(), expected);
  EXPECT_EQ(Fire({63, 3}), (std::vector<int>{3, 63}));
}

TEST_F(FolderWatcher, EndsAtOnceWithNothingToWatch) {
  AddFolder(m_doc, "");  // enabled, but relative: never scanned, so never watched
  AddFolder(m_doc, "F9");
  Start(2, {0, 1});
  m_refresh.StopWatcher();
  ASSERT_TRUE(m_env.notifications.Watched().empty());
  std::unique_ptr<ChangeNotifier> notifier = m_env.CreateChangeNotifier();
  FolderWatchProc(m_doc, *notifier, nullptr);  // returns: nothing to wait for
  EXPECT_TRUE(m_env.notifications.Watched().empty());
}

TEST_F(FolderWatcher, RescanFindsNewFilesBelowTheFolderAndLosesGoneOnesWithTheirUsage) {
  m_env.AddFile(JoinPath({"C:", "F1x", "sibling.txt"}));  // a sibling whose name starts the same
  AddFolder(m_doc, JoinPath({"C:", "F1x"}));  // at index 0, so C:\F1 is at 2
  Start(2);
  RecordLaunches(m_doc, FileIn(1, "old.txt"), 7);
  ASSERT_TRUE(m_env.notifications.WaitUntilIdle());  // it looked at the folders

  m_env.AddFile(JoinPath({Folder(1), "Sub", "new.txt"}));
  m_env.RemoveFile(FileIn(1, "old.txt"));
  EXPECT_EQ(Fire({1}), (std::vector<int>{2}));
  EXPECT_TRUE(Found(JoinPath({Folder(1), "Sub", "new.txt"})));
  EXPECT_FALSE(Found(FileIn(1, "old.txt")));
  EXPECT_EQ(m_doc.FindFile(FileIn(1, "old.txt"))->UseCount(), 7);
  EXPECT_TRUE(Found(JoinPath({"C:", "F1x", "sibling.txt"})));
  EXPECT_TRUE(Found(FileIn(0, "old.txt")));

  m_env.AddFile(FileIn(1, "old.txt"));  // back at the same path: found with its usage
  Fire({1});
  EXPECT_TRUE(Found(FileIn(1, "old.txt")));
  EXPECT_EQ(m_doc.FindFile(FileIn(1, "old.txt"))->UseCount(), 7);
}

TEST_F(FolderWatcher, AChangeWhileTheFolderIsReadBringsAnotherRescan) {
  Start(1);
  bool first = true;
  m_env.onOpenDirectory = [&](const std::string&) {
    if (!first) return;
    first = false;
    m_env.AddFile(FileIn(0, "late.txt"));
    m_env.notifications.Fire({Folder(0)});
  };
  EXPECT_EQ(Fire({0}), (std::vector<int>{0, 0}));
  EXPECT_TRUE(Found(FileIn(0, "late.txt")));
}

TEST_F(FolderWatcher, SkipsFoldersDisabledOrRemovedSinceItStartedAndKeepsWatching) {
  Start(3);
  ASSERT_TRUE(m_env.notifications.WaitUntilIdle());
  CVelnorDoc::FolderList folders = m_doc.CopyFolders();
  folders[0]->m_bEnabled = false;
  folders.pop_back();  // folder 2 removed from the list
  m_doc.ReplaceFolders(std::move(folders));
  m_env.AddFile(FileIn(0, "new.txt"));
  EXPECT_EQ(Fire({0, 2}), (std::vector<int>{}));
  EXPECT_FALSE(Found(FileIn(0, "new.txt")));
  EXPECT_EQ(Fire({1}), (std::vector<int>{1}));
}

// Taken up again, a notification that breaks at once would bring a rescan
// every few seconds: the folder waits for the next refresh.
TEST_F(FolderWatcher, ABrokenNotificationIsDroppedAndTheOthersStayWatched) {
  m_env.notifications.brokenRearm = {Folder(0)};
  Start(3);
  EXPECT_EQ(Fire({0}), (std::vector<int>{0}));
  m_env.notifications.Break(Folder(1));
  ASSERT_TRUE(m_env.notifications.WaitUntilIdle());
  EXPECT_EQ(m_env.notifications.Watched(), (Strings{Folder(2)}));
  EXPECT_EQ(Fire({2}), (std::vector<int>{2}));
  EXPECT_EQ(Check(), (std::vector<int>{}));
  EXPECT_EQ(m_env.notifications.Watched(), (Strings{Folder(2)}));
}

// Each look asks for the identity of each folder and nothing more.
TEST_F(FolderWatcher, ALookAtFoldersThatDidNotChangeReadsNoFolder) {
  Start(3);
  ASSERT_TRUE(m_env.notifications.WaitUntilIdle());
  int listed = 0;
  m_env.onOpenDirectory = [&](const std::string&) { ++listed; };
  const int lookups = m_env.identityLookups;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Check(), (std::vector<int>{}));
  EXPECT_EQ(listed, 0);
  EXPECT_EQ(m_env.identityLookups - lookups, 5 * 3);
  EXPECT_EQ(m_env.notifications.Watched(), (Strings{Folder(0), Folder(1), Folder(2)}));
}

// Folder 0 is deleted and made again between two looks, unseen by its
// notification (Windows'); folder 1's deletion is signalled and breaks it
// (Wine's); folder 2 was missing when the watcher started.
TEST_F(FolderWatcher, AFolderMadeAgainIsWatchedAgainAndItsFilesFound) {
  Start(3, {}, {2});
  ASSERT_TRUE(m_env.notifications.WaitUntilIdle());
  EXPECT_EQ(m_env.notifications.Watched(), (Strings{Folder(0), Folder(1)}));

  m_env.RemoveFolder(Folder(0));
  m_env.AddFile(FileIn(0, "new.txt"));
  m_env.RemoveFolder(Folder(1));
  EXPECT_EQ(Fire({1}), (std::vector<int>{1}));
  EXPECT_FALSE(Found(FileIn(1, "old.txt")));
  EXPECT_EQ(m_env.notifications.Watched(), (Strings{Folder(0)}));
  m_env.AddFile(FileIn(1, "new.txt"));
  m_env.AddFile(FileIn(2, "new.txt"));
  EXPECT_EQ(Check(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(m_env.notifications.Watched(), (Strings{Folder(0), Folder(1), Folder(2)}));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Found(FileIn(i, "new.txt"))) << i;
  EXPECT_FALSE(Found(FileIn(0, "old.txt")));

  // Watched for real: a file added later is found at its change.
  m_env.AddFile(FileIn(1, "later.txt"));
  EXPECT_EQ(Fire({1}), (std::vector<int>{1}));
  EXPECT_TRUE(Found(FileIn(1, "later.txt")));
}

// Renamed away, the folder reports nothing (Windows' notification follows
// it): the look finds it gone, once, and takes it back when it returns.
TEST_F(FolderWatcher, AFolderRenamedAwayLosesItsFilesUntilItComesBack) {
  Start(2);
  RecordLaunches(m_doc, FileIn(1, "old.txt"), 3);
  ASSERT_TRUE(m_env.notifications.WaitUntilIdle());
  m_env.RemoveFolder(Folder(1));
  m_env.AddFile(JoinPath({"C:", "Elsewhere", "old.txt"}));
  EXPECT_EQ(Check(), (std::vector<int>{1}));
  EXPECT_FALSE(Found(FileIn(1, "old.txt")));
  EXPECT_TRUE(Found(FileIn(0, "old.txt")));
  EXPECT_EQ(m_env.notifications.Watched(), (Strings{Folder(0)}));
  EXPECT_EQ(Check(), (std::vector<int>{}));

  m_env.AddFile(FileIn(1, "old.txt"));
  EXPECT_EQ(Check(), (std::vector<int>{1}));
  EXPECT_TRUE(Found(FileIn(1, "old.txt")));
  EXPECT_EQ(m_doc.FindFile(FileIn(1, "old.txt"))->UseCount(), 3);
}

}  // namespace
