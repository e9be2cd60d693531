#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "database/velnor_doc.h"
#include "tests/unit/memory_tree.h"

namespace {

std::string Tag(const std::string& title, uint8_t genre) {
  std::string tag(128, '\0');
  tag.replace(0, 3, "TAG");
  tag.replace(3, title.size(), title);
  tag[127] = static_cast<char>(genre);
  return std::string(1000, 'a') + tag;
}

class RecordingWindow : public RefreshWindow {
 public:
  explicit RecordingWindow(std::vector<std::string>* log) : m_log(log) {}
  ~RecordingWindow() override { m_log->push_back("destroy after " + std::to_string(steps) + " steps"); }
  void SetRange(uint32_t count) override { m_log->push_back("range " + std::to_string(count)); }
  void Show(bool visible) override { m_log->push_back(visible ? "show" : "hide"); }
  void StepIt() override { ++steps; }
  void ShowAndActivate() override {}
  int steps = 0;

 private:
  std::vector<std::string>* m_log;
};

class TreeHost : public ScanHost {
 public:
  DirectoryLister& Lister() override { return tree; }
  std::unique_ptr<CMp3File> OpenMp3(const std::string& path) override {
    opened.push_back(path);
    const std::string* contents = tree.Contents(path);
    return contents ? std::make_unique<MemoryMp3File>(*contents) : nullptr;
  }
  void PumpMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  std::unique_ptr<RefreshWindow> CreateRefreshWindow(const std::string& caption) override {
    log.push_back("create " + caption);
    auto window = std::make_unique<RecordingWindow>(&log);
    lastWindow = window.get();
    return window;
  }

  MemoryTree tree;
  std::vector<std::string> opened;
  std::vector<std::string> log;
  RecordingWindow* lastWindow = nullptr;
  int pumps = 0;
  std::function<void()> onPump;
};

class FolderScan : public ::testing::Test {
 protected:
  void SetUp() override {
    m_doc.SetScanHost(&m_host);
    m_host.tree.AddFile(Docs("a.txt"));
    m_host.tree.AddFile(Docs("b.mp3"), Tag("Yesterday", 17));
    m_host.tree.AddFile(JoinPath({m_root, "Docs", "Sub", "c.lnk"}));
  }
  std::string Docs(const std::string& name) const { return JoinPath({m_root, "Docs", name}); }
  void AddFolder(const std::string& path, bool enabled = true) {
    m_doc.m_folders.push_back(std::make_unique<CFolder>(path, path, enabled, kIconStartMenu));
  }
  std::vector<std::string> FoundKeys() const {
    std::vector<std::string> keys;
    for (const auto& record : m_doc.m_files) {
      if (record->m_bFound) keys.push_back(record->m_strPath);
    }
    return keys;
  }

  const std::string m_root = "C:";
  TreeHost m_host;
  CVelnorDoc m_doc;
};

TEST_F(FolderScan, CountsEveryEntryAndFindsEveryFile) {
  AddFolder(JoinPath({m_root, "Docs"}));
  uint32_t count = 0;
  m_doc.ScanFolder(JoinPath({m_root, "Docs"}), true, &count, nullptr);
  EXPECT_EQ(count, 8u);  // 2 dots, a.txt, b.mp3, Sub, Sub's 2 dots, c.lnk
  EXPECT_TRUE(m_doc.m_files.empty());

  m_doc.RefreshDatabase(kRefreshCaption);
  ASSERT_NE(m_host.lastWindow, nullptr);
  EXPECT_EQ(m_host.log, (std::vector<std::string>{"create " + std::string(kRefreshCaption), "range 8", "show",
                                                  "destroy after 8 steps"}));
  const std::string c = JoinPath({m_root, "Docs", "Sub", "c.lnk"});
  EXPECT_EQ(FoundKeys(), (std::vector<std::string>{Docs("a.txt"), Docs("b.mp3"), c}));
  const CFileInfo* lnk = m_doc.m_files.Lookup(c);
  EXPECT_EQ(lnk->m_strName, "c.lnk");
  EXPECT_EQ(lnk->m_strTitle, "c");
  EXPECT_EQ(lnk->m_strFolder, JoinPath({m_root, "Docs", "Sub"}));
  EXPECT_FALSE(m_doc.m_bRefreshing);
  EXPECT_EQ(m_doc.m_pRefreshDlg, nullptr);
}

TEST_F(FolderScan, StartUpRefreshStaysHiddenAndStepsOncePerEntry) {
  AddFolder(JoinPath({m_root, "Docs"}));
  int steps = -1;
  m_host.onPump = [&] {
    if (m_host.lastWindow) steps = m_host.lastWindow->steps;
  };
  m_doc.RefreshDatabase(kInitializeCaption);
  EXPECT_EQ(steps, 8);
  EXPECT_EQ(std::count(m_host.log.begin(), m_host.log.end(), "show"), 0);
}

TEST_F(FolderScan, TrailingSeparatorGivesTheSameKeys) {
  AddFolder(JoinPath({m_root, "Docs"}) + kPathSeparator);
  m_doc.RefreshDatabase(kRefreshCaption);
  EXPECT_EQ(FoundKeys().size(), 3u);
  EXPECT_NE(m_doc.m_files.Lookup(Docs("a.txt")), nullptr);
}

TEST_F(FolderScan, TagsAreReadOnlyFromMp3FilesAndOnlyWithSupportOn) {
  m_host.tree.AddFile(Docs("SONG.MP3"), Tag("Loud", 125));
  m_host.tree.AddFile(Docs("song.mp3.txt"), Tag("Not a song", 1));
  AddFolder(JoinPath({m_root, "Docs"}));
  m_doc.RefreshDatabase(kRefreshCaption);
  EXPECT_EQ(m_host.opened, (std::vector<std::string>{Docs("b.mp3"), Docs("SONG.MP3")}));
  const CFileInfo* song = m_doc.m_files.Lookup(Docs("SONG.MP3"));
  ASSERT_TRUE(song->IsTagged());
  EXPECT_EQ(song->m_pTag->m_strTitle, "Loud");
  EXPECT_EQ(song->m_pTag->m_strGenre, "Dance Hall");
  EXPECT_FALSE(m_doc.m_files.Lookup(Docs("song.mp3.txt"))->IsTagged());

  m_host.opened.clear();
  m_doc.m_bMp3Support = false;
  m_doc.RefreshDatabase(kRefreshCaption);
  EXPECT_TRUE(m_host.opened.empty());
}

TEST_F(FolderScan, ATagThatDisappearsIsDroppedOnTheNextScan) {
  AddFolder(JoinPath({m_root, "Docs"}));
  m_doc.RefreshDatabase(kRefreshCaption);
  ASSERT_TRUE(m_doc.m_files.Lookup(Docs("b.mp3"))->IsTagged());
  m_host.tree.RemoveFile(Docs("b.mp3"));
  m_host.tree.AddFile(Docs("b.mp3"), "no tag any more");
  m_doc.RefreshDatabase(kRefreshCaption);
  EXPECT_FALSE(m_doc.m_files.Lookup(Docs("b.mp3"))->IsTagged());
}

TEST_F(FolderScan, UsageSurvivesAndVanishedFilesAreKeptNotFound) {
  AddFolder(JoinPath({m_root, "Docs"}));
  m_doc.RefreshDatabase(kRefreshCaption);
  CFileInfo* a = m_doc.m_files.Lookup(Docs("a.txt"));
  a->m_nUseCount = 5;
  a->m_timeLastUsed = 1234;
  m_host.tree.RemoveFile(Docs("a.txt"));
  m_doc.RefreshDatabase(kRefreshCaption);
  EXPECT_FALSE(a->m_bFound);
  EXPECT_EQ(m_doc.m_files.Lookup(Docs("a.txt")), a);
  m_host.tree.AddFile(Docs("a.txt"));
  m_doc.RefreshDatabase(kRefreshCaption);
  EXPECT_TRUE(a->m_bFound);
  EXPECT_EQ(a->m_nUseCount, 5);
  EXPECT_EQ(a->m_timeLastUsed, 1234);
}

TEST_F(FolderScan, DisabledAndMissingFoldersContributeNothing) {
  AddFolder(JoinPath({m_root, "Docs"}));
  m_doc.RefreshDatabase(kRefreshCaption);
  m_doc.m_folders[0]->m_bEnabled = false;
  AddFolder(JoinPath({m_root, "Gone"}));
  m_doc.RefreshDatabase(kRefreshCaption);
  EXPECT_TRUE(FoundKeys().empty());
  EXPECT_EQ(m_doc.m_files.size(), 3u);
}

TEST_F(FolderScan, CancelDuringCountingLeavesOneEntryPerFolder) {
  m_host.tree.AddFile(JoinPath({m_root, "Music", "x.txt"}));
  AddFolder(JoinPath({m_root, "Docs"}));
  AddFolder(JoinPath({m_root, "Music"}));
  m_host.onPump = [&] { m_doc.m_bCancelRefresh = true; };
  m_doc.RefreshDatabase(kRefreshCaption);
  // Each folder's scan stops after its first entry (its "." entry): nothing found.
  EXPECT_TRUE(FoundKeys().empty());
  // Docs counts "." and "..", the cancel comes with the first pump; Music
  // counts its "." and stops. The update pass then takes one entry a folder.
  EXPECT_EQ(m_host.log[1], "range 3");
  EXPECT_EQ(m_host.log.back(), "destroy after 2 steps");
  EXPECT_FALSE(m_doc.m_bCancelRefresh);
  EXPECT_FALSE(m_doc.m_bRefreshing);
}

TEST_F(FolderScan, MarkNotFoundMatchesAnywhereInTheKey) {
  AddFolder(JoinPath({m_root, "Docs"}));
  m_doc.RefreshDatabase(kRefreshCaption);
  m_doc.MarkNotFound("Sub");
  EXPECT_EQ(FoundKeys(), (std::vector<std::string>{Docs("a.txt"), Docs("b.mp3")}));
}

}  // namespace

namespace {

// A folder link that leads back to its own folder, as a Windows junction can:
// every path through it lists the same folder again.
class LoopingTree : public DirectoryLister {
 public:
  explicit LoopingTree(MemoryTree& tree) : m_tree(tree) {}
  std::unique_ptr<DirectorySearch> Open(const std::string& folder) override {
    if (!FitsSearchPathLimit(folder)) return nullptr;
    std::string real = folder;
    const std::string link = std::string(1, kPathSeparator) + "loop" + kPathSeparator;
    for (size_t at = real.find(link); at != std::string::npos; at = real.find(link)) real.erase(at, link.size() - 1);
    return m_tree.Open(real);
  }

 private:
  MemoryTree& m_tree;
};

class LoopHost : public TreeHost {
 public:
  DirectoryLister& Lister() override { return looping; }
  LoopingTree looping{tree};
};

TEST(FolderLinks, ALoopIsFollowedUntilThePathLimitStopsIt) {
  LoopHost host;
  host.tree.AddFile(JoinPath({"C:", "T", "a.txt"}));
  host.tree.AddFolder(JoinPath({"C:", "T", "loop"}));
  CVelnorDoc doc;
  doc.SetScanHost(&host);
  doc.m_folders.push_back(std::make_unique<CFolder>("T", JoinPath({"C:", "T"}), true, kIconStartMenu));
  doc.RefreshDatabase(kRefreshCaption);
  // C:\T\a.txt, C:\T\loop\a.txt, C:\T\loop\loop\a.txt ... while the search fits.
  for (const auto& record : doc.m_files) {
    EXPECT_EQ(record->m_strName, "a.txt");
    EXPECT_TRUE(FitsSearchPathLimit(std::string(record->m_strFolder) + kPathSeparator));
  }
  // "C:\T\" is 5 units, each level adds "loop\" (5), the search adds "*.*".
  EXPECT_EQ(doc.m_files.size(), (kMaxPathUnits - 1 - 3 - 5) / 5 + 1);
}

}  // namespace
