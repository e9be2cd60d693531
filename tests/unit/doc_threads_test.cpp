// The document's lock under real load: a watcher's rescans of a tree that
// keeps changing, beside the launcher's filtering, launches and saves.
// Run under ThreadSanitizer by `make test`.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "database/folder_scan.h"
#include "launcher/file_filter.h"
#include "tests/unit/real_env_fixture.h"

namespace {

TEST_F(RealEnv, RescansOfAChangingTreeBesideFilteringLaunchingAndSavingLoseNothing) {
  const std::string sub = Path("sub");
  fs::create_directories(FromUtf8(sub));
  const auto file = [&](int k) { return sub + kPathSeparator + "f" + std::to_string(k) + ".txt"; };
  Touch(Path("keep.txt"));
  for (int k = 0; k < 100; ++k) Touch(Path("still" + std::to_string(k)));  // so that a rescan takes a while
  Refresh();
  const CFileInfo* keep = m_doc.FindFile(Path("keep.txt"));
  ASSERT_NE(keep, nullptr);

  // Each round adds a file and deletes the one three rounds older; no round
  // starts before the other thread has been through its loop once more.
  constexpr int kRounds = 60;
  std::atomic<bool> done{false};
  std::atomic<int> loops{0};
  std::thread watcher([&] {
    for (int k = 0; k < kRounds; ++k) {
      while (loops.load() <= k) std::this_thread::yield();
      Touch(file(k));
      if (k >= 3) fs::remove(FromUtf8(file(k - 3)));
      CFolderScan(m_doc).Rescan(m_root);
    }
    done = true;
  });
  CFileFilter filter(m_doc);
  int launches = 0;
  std::string saved;
  while (!done) {
    const std::vector<const CFileInfo*> rows = filter.Run("txt", MatchOptions{});
    ASSERT_EQ(std::set<const CFileInfo*>(rows.begin(), rows.end()).size(), rows.size()) << "a record listed twice";
    filter.RecordLaunch(*keep, ++launches);
    saved = m_doc.SaveDatabaseBytes();
    ++loops;
  }
  watcher.join();

  std::set<std::string> listed;
  for (const CFileInfo* record : filter.Run("txt", MatchOptions{})) listed.emplace(record->Path());
  EXPECT_EQ(listed, (std::set<std::string>{Path("keep.txt"), file(kRounds - 3), file(kRounds - 2), file(kRounds - 1)}));
  EXPECT_EQ(m_doc.FileCount(), size_t{kRounds + 101});  // one record per path ever seen
  EXPECT_EQ(keep->UseCount(), launches);
  CVelnorDoc reloaded(Env::Default());
  reloaded.LoadDatabaseBytes(saved);
  EXPECT_EQ(reloaded.FindFile(Path("keep.txt"))->UseCount(), launches);
}

}  // namespace
