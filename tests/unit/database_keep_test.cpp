// The user's usage data survives what the disk and other programs do: a
// database held or refused at start-up, a second copy saving meanwhile, and
// saves cut short by a crash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/doc_builder.h"
#include "tests/unit/faulty_env.h"
#include "tests/unit/memory_env.h"

namespace {

class KeepDatabase : public ::testing::Test {
 protected:
  KeepDatabase() {
    CVelnorDoc seed(m_env);
    AddRecord(seed, "a.txt", 1, 100);
    AddRecord(seed, "b.txt", 0, 0);
    m_original = seed.SaveDatabaseBytes();
    m_env.AddFile(m_path, m_original);
  }
  // A record's use count in the file at `path` now.
  int UsesOnDisk(const std::string& key, const std::string& path = "") {
    CVelnorDoc disk(m_env);
    disk.LoadDatabaseBytes(*m_env.Contents(path.empty() ? m_path : path));
    return disk.FindFile(key) ? disk.FindFile(key)->UseCount() : -1;
  }

  MemoryEnv m_env;
  FaultyEnv m_faults{m_env};
  const std::string m_path = JoinPath({"C:", "Data", "velnor.dat"});
  std::string m_original;
};

TEST_F(KeepDatabase, AFileThatCannotBeReadIsWaitedForThenKeptAndNeverReplaced) {
  enum Fault { kHeldBriefly, kHeld, kDenied, kFailsMidway };
  struct Case {
    Fault fault;
    bool loaded;
    std::vector<uint32_t> pauses;
    std::string keptAt;  // where the original bytes are after the save
  };
  const std::string aside = m_path + ".unreadable-20231114-221320";  // the clock's 1700000000
  for (const Case& c : {Case{kHeldBriefly, true, {100, 200}, ""},
                        Case{kHeld, false, {100, 200, 400, 800, 1600}, m_path},
                        Case{kDenied, false, {}, aside}, Case{kFailsMidway, false, {}, aside}}) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    m_env.AddFile(m_path, m_original);
    m_env.RemoveFile(aside);
    m_env.RemoveFile(m_path + ".new");
    m_env.paused.clear();
    m_faults.lockedPath = c.fault <= kHeld ? m_path : "";
    m_faults.lockedForReads = c.fault == kHeldBriefly ? 2 : -1;
    m_faults.deniedPath = c.fault == kDenied ? m_path : "";
    m_faults.readLimit = c.fault == kFailsMidway ? 10 : SIZE_MAX;
    CVelnorDoc doc(m_faults);
    const DatabaseLoadReport report = doc.LoadDatabaseFrom(m_path);
    EXPECT_EQ(report.unreadable, !c.loaded);
    EXPECT_EQ(report.busy, c.fault == kHeld);
    EXPECT_FALSE(report.damaged);
    EXPECT_EQ(m_env.paused, c.pauses);
    EXPECT_EQ(doc.FileCount(), c.loaded ? 2u : 0u);
    EXPECT_EQ(doc.m_bFirstRun, c.loaded);  // no guide for someone whose database was unreadable
    EXPECT_EQ(m_env.Contents(m_path + ".damaged"), nullptr);

    AddRecord(doc, "new.txt", 3, 200);
    ASSERT_TRUE(doc.SaveDatabaseTo(m_path));
    m_faults.lockedPath.clear();
    if (c.loaded) continue;
    EXPECT_EQ(*m_env.Contents(c.keptAt), m_original);
    const std::string& written = c.keptAt == m_path ? m_path + ".new" : m_path;
    EXPECT_EQ(UsesOnDisk("new.txt", written), 3);
    EXPECT_EQ(doc.SetAsidePath(), c.keptAt == aside ? aside : "");
  }
}

TEST_F(KeepDatabase, TwoCopiesSavingInTurnKeepEachOthersLaunches) {
  CVelnorDoc first(m_env), second(m_faults);
  first.LoadDatabaseFrom(m_path);
  second.LoadDatabaseFrom(m_path);
  first.RecordLaunch(*first.FindFile("a.txt"), 500);
  first.m_bSearchFullPath = true;
  ASSERT_TRUE(first.SaveDatabaseTo(m_path));
  EXPECT_EQ(UsesOnDisk("a.txt"), 2);
  const std::string firstSaved = *m_env.Contents(m_path);

  second.RecordLaunch(*second.FindFile("a.txt"), 300);
  second.RecordLaunch(*second.FindFile("b.txt"), 400);
  AddRecord(second, "found.txt");
  // Held by another program through every read of the save, let go just
  // before it would write: the other copy's changes were never read.
  m_faults.lockedPath = m_path;
  m_faults.lockedForReads = 6;
  EXPECT_FALSE(second.SaveDatabaseTo(m_path));
  EXPECT_TRUE(m_faults.lockedPath.empty());  // so the file could have been written
  EXPECT_TRUE(*m_env.Contents(m_path) == firstSaved) << "the first copy's save was overwritten";
  ASSERT_TRUE(second.SaveDatabaseTo(m_path));  // the last writer's options win
  CVelnorDoc saved(m_env);
  saved.LoadDatabaseFrom(m_path);
  EXPECT_EQ(saved.FindFile("a.txt")->UseCount(), 3);
  EXPECT_EQ(saved.FindFile("a.txt")->LastUsed(), 500);  // the later time
  EXPECT_EQ(UsesOnDisk("b.txt"), 1);
  EXPECT_EQ(UsesOnDisk("found.txt"), 0);
  EXPECT_FALSE(saved.m_bSearchFullPath);

  // Saving again adds nothing twice; the first copy learns the other's records.
  ASSERT_TRUE(first.SaveDatabaseTo(m_path));
  ASSERT_TRUE(second.SaveDatabaseTo(m_path));
  EXPECT_EQ(UsesOnDisk("a.txt"), 3);
  EXPECT_EQ(UsesOnDisk("b.txt"), 1);
  EXPECT_NE(first.FindFile("found.txt"), nullptr);
}

TEST_F(KeepDatabase, StartUpRemovesOnlyTheLeftoversOfSavesCutShort) {
  m_env.specialFolders[kCsidlAppData] = JoinPath({"C:", "AppData"});
  CVelnorDoc doc(m_env);
  const std::string folder = JoinPath({"C:", "AppData", "Plovant"}) + kPathSeparator;
  const std::vector<std::string> kept = {"velnor.dat.tmp", "velnor.dat..tmp", "velnor.dat.12a.tmp", "other.dat.5.tmp",
                                         "velnor.dat.damaged", "velnor.dat.1.tmp.txt"};
  const std::vector<std::string> removed = {"velnor.dat.4711.tmp", "velnor.dat.9.tmp"};
  for (const auto* names : {&kept, &removed}) {
    for (const std::string& name : *names) m_env.AddFile(folder + name);
  }
  doc.OnNewDocument();
  for (const std::string& name : kept) EXPECT_NE(m_env.Contents(folder + name), nullptr) << name;
  for (const std::string& name : removed) EXPECT_EQ(m_env.Contents(folder + name), nullptr) << name;
}

}  // namespace
