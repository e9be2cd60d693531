// Every counted use is on the disk before the launcher goes back to the
// user: the process may die at any point after it and the next load shows
// each completed use exactly once, whoever saved or crashed meanwhile.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "database/usage_log.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/faulty_env.h"
#include "tests/unit/memory_env.h"

namespace {

class UsageLog : public ::testing::Test {
 protected:
  UsageLog() {
    CVelnorDoc seed(m_env);
    AddRecord(seed, "a.txt", 5, 100);
    AddRecord(seed, "b.txt", 0, 0);
    m_env.AddFile(m_path, seed.SaveDatabaseBytes());
  }
  // A run of the program: it loads the database (and its log).
  std::unique_ptr<CVelnorDoc> Start() {
    auto doc = std::make_unique<CVelnorDoc>(m_faults);
    doc->LoadDatabaseFrom(m_path);
    return doc;
  }
  void Use(CVelnorDoc& doc, const std::string& key) {
    m_env.now += 10;
    const CFileInfo* record = doc.FindFile(key);
    ASSERT_NE(record, nullptr) << key;
    doc.RecordLaunch(*record, m_env.now);
  }
  // What the next run sees, and what `velnor-cli dump` sees.
  int Uses(const std::string& key) {
    const int uses = UsesIn(*Start(), key);
    CVelnorDoc tool(m_env);
    tool.LoadDatabaseBytes(*m_env.Contents(m_path));
    tool.ApplyUsageLog(m_path, *m_env.Contents(m_path));
    EXPECT_EQ(UsesIn(tool, key), uses) << key;
    return uses;
  }
  static int UsesIn(const CVelnorDoc& doc, const std::string& key) {
    const CFileInfo* record = doc.FindFile(key);
    return record ? record->UseCount() : -1;
  }
  std::string& LogBytes() { return *const_cast<std::string*>(m_env.Contents(UsageLogPath(m_path))); }

  MemoryEnv m_env;
  FaultyEnv m_faults{m_env};
  const std::string m_path = JoinPath({"C:", "Data", "velnor.dat"});
};

TEST_F(UsageLog, EveryCompletedUseSurvivesEachCrashPointExactlyOnce) {
  // Killed after the uses: nothing was saved.
  {
    auto doc = Start();
    Use(*doc, "a.txt");
    Use(*doc, "b.txt");
    Use(*doc, "a.txt");
  }
  EXPECT_EQ(Uses("a.txt"), 7);
  EXPECT_EQ(Uses("b.txt"), 1);
  EXPECT_EQ(Start()->FindFile("a.txt")->LastUsed(), m_env.now - 0);

  // A record cut short by a failing disk, and the process killed later: the
  // uses written after the cut, in the same run and the next, are read.
  {
    auto doc = Start();
    m_faults.appendCut = 9;
    Use(*doc, "b.txt");
    Use(*doc, "b.txt");
  }
  {
    auto doc = Start();
    m_faults.appendCut = 20;
    Use(*doc, "b.txt");
  }
  {
    auto doc = Start();
    Use(*doc, "b.txt");
  }
  EXPECT_EQ(Uses("b.txt"), 3);

  // Killed after the new file was written but before the log started anew.
  {
    auto doc = Start();
    Use(*doc, "a.txt");
    const std::string logBefore = LogBytes();
    ASSERT_TRUE(doc->SaveDatabaseTo(m_path));
    LogBytes() = logBefore;
  }
  EXPECT_EQ(Uses("a.txt"), 8);

  // Killed after the log started anew, then after more uses.
  {
    auto doc = Start();
    Use(*doc, "a.txt");
    ASSERT_TRUE(doc->SaveDatabaseTo(m_path));
    EXPECT_EQ(LogBytes().size(), UsageLogContents::kHeaderBytes);
    Use(*doc, "b.txt");
  }
  EXPECT_EQ(Uses("a.txt"), 9);
  EXPECT_EQ(Uses("b.txt"), 4);
}

TEST_F(UsageLog, DamageKeepsTheRecordsBeforeItAndALogOfAnotherFileIsIgnored) {
  {
    auto doc = Start();
    Use(*doc, "a.txt");
    Use(*doc, "b.txt");
    Use(*doc, "b.txt");
  }
  std::string& log = LogBytes();
  const UsageLogContents whole = DecodeUsageLog(log);
  ASSERT_EQ(whole.uses.size(), 3u);
  log[whole.ends[0] + 22] ^= 0x20;  // inside the second record's path
  EXPECT_EQ(Uses("a.txt"), 6);
  EXPECT_EQ(Uses("b.txt"), 0);

  // The same records beside a file they do not extend.
  {
    auto doc = Start();
    Use(*doc, "b.txt");
  }
  const std::string records = LogBytes().substr(UsageLogContents::kHeaderBytes);
  CVelnorDoc other(m_env);
  AddRecord(other, "b.txt", 40, 0);
  m_env.AddFile(m_path, other.SaveDatabaseBytes());
  LogBytes() = LogBytes().substr(0, UsageLogContents::kHeaderBytes) + records;
  EXPECT_EQ(Uses("b.txt"), 40);
}

TEST_F(UsageLog, TwoCopiesKeepEachOthersUsesWhoeverSavesOrDies) {
  auto first = Start();
  auto second = Start();
  Use(*first, "a.txt");
  Use(*second, "b.txt");
  // The second saves over a file it still holds: the first's logged use
  // goes into the file with it, and the first then dies.
  ASSERT_TRUE(second->SaveDatabaseTo(m_path));
  EXPECT_EQ(UsesIn(*second, "a.txt"), 6);
  first.reset();
  EXPECT_EQ(Uses("a.txt"), 6);
  EXPECT_EQ(Uses("b.txt"), 1);

  // The survivor uses more and saves over the file the other wrote; a new
  // copy meanwhile logs a use and saves last.
  auto third = Start();
  Use(*second, "a.txt");
  Use(*third, "b.txt");
  ASSERT_TRUE(third->SaveDatabaseTo(m_path));
  Use(*second, "b.txt");
  ASSERT_TRUE(second->SaveDatabaseTo(m_path));
  EXPECT_EQ(Uses("a.txt"), 7);
  EXPECT_EQ(Uses("b.txt"), 3);

  // One copy's save dies before its log starts anew; the other then saves
  // over the file it wrote, whose log is no longer the one beside it.
  auto fourth = Start();
  Use(*second, "b.txt");
  const std::string logBefore = LogBytes();
  ASSERT_TRUE(second->SaveDatabaseTo(m_path));
  LogBytes() = logBefore;
  second.reset();
  ASSERT_TRUE(fourth->SaveDatabaseTo(m_path));
  EXPECT_EQ(Uses("b.txt"), 4);
}

TEST_F(UsageLog, AToolsRewriteStartsTheLogAnewAndALargeLogAsksToBeFolded) {
  auto doc = Start();
  Use(*doc, "a.txt");
  // A restore: the file written is the whole truth, whatever was logged.
  CVelnorDoc restore(m_env);
  AddRecord(restore, "a.txt", 2, 0);
  ASSERT_TRUE(restore.ReplaceDatabaseFile(m_path));
  EXPECT_EQ(Uses("a.txt"), 2);
  // The running copy's later use extends the restored file.
  Use(*doc, "a.txt");
  EXPECT_EQ(Uses("a.txt"), 3);

  EXPECT_FALSE(doc->UsageLogWantsCompaction());
  // Bounded: uses that never reach the log must fail here, not hang.
  for (int i = 0; i < 100000 && !doc->UsageLogWantsCompaction(); ++i) Use(*doc, "b.txt");
  ASSERT_TRUE(doc->UsageLogWantsCompaction());
  EXPECT_LT(LogBytes().size(), 300u * 1024);
  const int uses = UsesIn(*doc, "b.txt");
  ASSERT_TRUE(doc->SaveDatabaseTo(m_path));
  EXPECT_FALSE(doc->UsageLogWantsCompaction());
  EXPECT_EQ(Uses("b.txt"), uses);
}

TEST_F(UsageLog, AUseTheLogCannotTakeWaitsInMemoryForTheSave) {
  auto doc = Start();
  m_faults.lockedPath = UsageLogPath(m_path);  // another program holds it for good
  Use(*doc, "a.txt");
  EXPECT_FALSE(m_env.paused.empty());
  ASSERT_TRUE(doc->SaveDatabaseTo(m_path));
  m_faults.lockedPath.clear();
  EXPECT_EQ(Uses("a.txt"), 6);
}

}  // namespace
