// A damaged database never stops the program and never loses more than the
// damage itself: whatever was read completely is kept, the rest defaults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/velnor_doc.h"
#include "tests/unit/byte_helpers.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

struct Sample {
  std::string bytes;
  std::vector<std::string> keys;       // in file order
  std::vector<size_t> recordEnds;      // offset just past each record's body
  std::vector<size_t> folderEnds;
  size_t optionsStart = 0;
};

// A database with a few records and folders, non-default options and a
// valid placement, and where each piece of it ends: the same document
// saved as it grows, less what follows the piece (the layout itself is the
// database file test's).
Sample MakeSample() {
  MemoryEnv env;
  constexpr size_t kOptions = 5 * 4 + 28;  // five flags, then the placement
  CVelnorDoc doc(env);
  Sample s;
  const auto endLessTail = [&](size_t tail) { return doc.SaveDatabaseBytes().size() - tail; };
  for (int i = 0; i < 4; ++i) {
    s.keys.push_back("C:\\Docs\\file" + std::to_string(i) + ".txt");
    AddRecord(doc, s.keys.back(), i + 1, 1000 + i);
    s.recordEnds.push_back(endLessTail(2 + kOptions));  // the folder count follows
  }
  for (const bool enabled : {true, false}) {
    AddFolder(doc, enabled ? "C:\\Docs" : "C:\\Music", enabled);
    s.folderEnds.push_back(endLessTail(kOptions));
  }
  s.optionsStart = s.folderEnds.back();
  SetNonDefaultOptions(doc);
  s.bytes = doc.SaveDatabaseBytes();
  return s;
}

TEST(DamagedDatabase, TruncatedAnywhereKeepsEveryCompleteRecord) {
  MemoryEnv env;
  const Sample s = MakeSample();
  for (size_t cut = 0; cut < s.bytes.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    CVelnorDoc doc(env);
    const DatabaseLoadReport report = doc.LoadDatabaseBytes(std::string_view(s.bytes).substr(0, cut));
    EXPECT_TRUE(report.damaged);
    EXPECT_LE(report.failOffset, cut);

    size_t complete = 0;
    while (complete < s.recordEnds.size() && s.recordEnds[complete] <= cut) ++complete;
    ASSERT_EQ(doc.FileCount(), complete);
    for (size_t i = 0; i < complete; ++i) {
      const CFileInfo* record = doc.FindFile(s.keys[i]);
      ASSERT_NE(record, nullptr);
      EXPECT_EQ(record->UseCount(), static_cast<int>(i) + 1);
      EXPECT_EQ(record->LastUsed(), 1000 + static_cast<VelnorTime>(i));
    }
    size_t folders = 0;
    while (folders < 2 && s.folderEnds[folders] <= cut) ++folders;
    EXPECT_EQ(doc.CopyFolders().size(), folders);

    // Options read only when their four bytes were there; else defaults.
    const auto reached = [&](int index) { return s.optionsStart + 4 * (index + 1) <= cut; };
    EXPECT_EQ(doc.m_bAutorun, !reached(0));
    EXPECT_EQ(doc.m_bMp3Support, !reached(1));
    EXPECT_EQ(doc.m_bDpiWarningShown, reached(2));
    EXPECT_EQ(doc.m_bSearchFullPath, reached(3));
    EXPECT_EQ(doc.m_bFirstRun, !reached(4));
    EXPECT_FALSE(doc.m_placement.m_bValid);  // the flag is the placement's last field
    EXPECT_EQ(doc.m_placement.m_rect, CRect{});
  }
  CVelnorDoc whole(env);
  EXPECT_FALSE(whole.LoadDatabaseBytes(s.bytes).damaged);
  EXPECT_TRUE(whole.m_placement.m_bValid);
}

TEST(DamagedDatabase, CorruptionStopsAtTheDamageAndKeepsWhatCameBefore) {
  MemoryEnv env;
  const Sample s = MakeSample();
  struct Case {
    const char* what;
    size_t at, length;        // the bytes of the sample replaced
    std::string replacement;
    size_t recordsKept;
    std::string reason;
  };
  const size_t secondTag = s.recordEnds[0] + 1 + s.keys[1].size();
  const Case cases[] = {
      {"unknown class name", 2 + 1 + s.keys[0].size() + 6, 9, "CFileInfX", 0, "unknown class name"},
      {"class number never given", secondTag, 2, Hex("07 80"), 1, "reference to an unknown class number"},
      {"huge key length", s.recordEnds[1], 7, Hex("FF FF FF FF FF FF 7F"), 2, "text length exceeds the data"},
      {"two billion records claimed", 0, 2, Hex("FF FF FF FF FF 7F"), 4,
       "reference to an unknown object number"},  // the folders read as a fifth record
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = s.bytes;
    bytes.replace(c.at, c.length, c.replacement);
    CVelnorDoc doc(env);
    const DatabaseLoadReport report = doc.LoadDatabaseBytes(bytes);
    EXPECT_TRUE(report.damaged);
    EXPECT_EQ(report.failReason, c.reason);
    EXPECT_EQ(doc.FileCount(), c.recordsKept);
    EXPECT_TRUE(doc.CopyFolders().empty());
    EXPECT_TRUE(doc.m_bAutorun);  // options never reached keep their defaults
    EXPECT_TRUE(doc.m_bFirstRun);
  }
}

TEST(DamagedDatabase, TrailingBytesAreReportedButEverythingIsKept) {
  MemoryEnv env;
  const Sample s = MakeSample();
  CVelnorDoc doc(env);
  const DatabaseLoadReport report = doc.LoadDatabaseBytes(s.bytes + "junk");
  EXPECT_TRUE(report.damaged);
  EXPECT_EQ(report.failOffset, s.bytes.size());
  EXPECT_EQ(doc.FileCount(), 4u);
  EXPECT_TRUE(doc.m_placement.m_bValid);
}

// Only a damaged file is kept aside, renamed (a huge one is never copied),
// and what could be read takes its place at once: neither an intact file
// nor a missing one is touched.
TEST(DamagedDatabase, TheDamagedFileIsKeptBesideTheDatabase) {
  const Sample s = MakeSample();
  MemoryEnv env;
  const std::string cut = s.bytes.substr(0, s.bytes.size() - 3);
  env.AddFile("C:\\db", cut);
  CVelnorDoc doc(env);
  const DatabaseLoadReport report = doc.LoadDatabaseFrom("C:\\db");
  EXPECT_TRUE(report.damaged);
  EXPECT_EQ(report.backupPath, "C:\\db.damaged");
  EXPECT_EQ(*env.Contents("C:\\db.damaged"), cut);
  CVelnorDoc next(env);
  EXPECT_FALSE(next.LoadDatabaseFrom("C:\\db").damaged);
  EXPECT_EQ(next.FileCount(), doc.FileCount());

  // A huge file of zeros: only its first part is read, and it is renamed.
  MemoryEnv huge;
  const std::string zeros(5u << 20, '\0');
  huge.AddFile("C:\\db", zeros);
  CVelnorDoc zero(huge);
  const DatabaseLoadReport read = zero.LoadDatabaseFrom("C:\\db");
  EXPECT_TRUE(read.damaged && read.cut);
  EXPECT_EQ(*huge.Contents("C:\\db.damaged"), zeros);
  EXPECT_LT(huge.Contents("C:\\db")->size(), 1000u);

  MemoryEnv intact;
  intact.AddFile("C:\\db", s.bytes);
  CVelnorDoc good(intact);
  EXPECT_FALSE(good.LoadDatabaseFrom("C:\\db").damaged);
  EXPECT_EQ(intact.Contents("C:\\db.damaged"), nullptr);

  MemoryEnv none;
  CVelnorDoc fresh(none);
  const DatabaseLoadReport missing = fresh.LoadDatabaseFrom("C:\\db");
  EXPECT_FALSE(missing.opened || missing.damaged);
  EXPECT_EQ(none.Contents("C:\\db.damaged"), nullptr);
  EXPECT_TRUE(fresh.m_bFirstRun);
}

}  // namespace
