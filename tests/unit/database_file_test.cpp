#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "database/velnor_doc.h"
#include "tests/unit/byte_helpers.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

const std::string kFileInfoClass = Hex("FF FF 01 00 09 00") + "CFileInfo";
const std::string kFolderClass = Hex("FF FF 01 00 07 00") + "CFolder";
const std::string kDefaultOptions = Hex("01000000 01000000 00000000 00000000 01000000") + std::string(28, '\0');

// Named apart from its path, so that a swap of the two shows.
void AddNamedFolder(CVelnorDoc& doc, const std::string& name) {
  AddFolder(doc, std::make_unique<CFolder>(name, "C:\\" + name, true, kIconStartMenu));
}

std::string FolderBody(const std::string& name) {
  return ShortText(name) + ShortText("C:\\" + name) + Hex("01000000 8C000000");
}

std::string RoundTrip(const std::string& bytes) {
  MemoryEnv env;
  CVelnorDoc doc(env);
  const DatabaseLoadReport report = doc.LoadDatabaseBytes(bytes);
  EXPECT_FALSE(report.damaged) << report.failReason << " at " << report.failOffset;
  return doc.SaveDatabaseBytes();
}

TEST(DatabaseFile, EachClassIsNamedOnceThenReferredToByNumber) {
  MemoryEnv env;
  CVelnorDoc doc(env);
  AddRecord(doc, "C:\\a", 3, 1009843200);
  AddRecord(doc, "C:\\b");
  AddNamedFolder(doc, "One");
  AddNamedFolder(doc, "Two");
  // CFileInfo is 1, the records 2 and 3, CFolder 4, the folders 5 and 6.
  const std::string expected = Hex("02 00") + ShortText("C:\\a") + kFileInfoClass + Hex("03000000 00FC303C") +
                               ShortText("C:\\b") + Hex("01 80") + std::string(8, '\0') + Hex("02 00") +
                               kFolderClass + FolderBody("One") + Hex("04 80") + FolderBody("Two") +
                               kDefaultOptions;
  EXPECT_EQ(doc.SaveDatabaseBytes(), expected);
  EXPECT_EQ(RoundTrip(expected), expected);
}

// Both long forms at their first use: the folder class is number records + 2,
// 0x7FFF being the first too big for a short reference; a count of 0xFFFF
// or more takes the escape and 32 bits.
TEST(DatabaseFile, LargeNumbersTakeTheLongForms) {
  MemoryEnv env;
  const struct {
    int records;
    const char* count;
    const char* folderClass;
  } cases[] = {{32765, "FD 7F", "FF 7F FF 7F 00 80"}, {65535, "FF FF FF FF 00 00", "FF 7F 01 00 01 80"}};
  for (const auto& c : cases) {
    CVelnorDoc doc(env);
    CFileMap::Records records;
    for (int i = 0; i < c.records; ++i) records.push_back(MakeRecord("C:\\f" + std::to_string(i), i % 7));
    doc.AddFiles(std::move(records));
    AddNamedFolder(doc, "One");
    AddNamedFolder(doc, "Two");
    const std::string bytes = doc.SaveDatabaseBytes();
    const std::string tail =
        kFolderClass + FolderBody("One") + Hex(c.folderClass) + FolderBody("Two") + kDefaultOptions;
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(0, Hex(c.count).size()), Hex(c.count));
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
    EXPECT_EQ(RoundTrip(bytes), bytes);
  }
}

// The placement's valid flag comes last, so a cut placement never counts as valid.
TEST(DatabaseFile, OptionsAndPlacementBytes) {
  MemoryEnv env;
  CVelnorDoc doc(env);
  SetNonDefaultOptions(doc, {1, 2, 3, 4});
  const std::string expected = Hex("0000 0000") + Hex("00000000 00000000 01000000 01000000 00000000") +
                               Hex("01000000 02000000 03000000 04000000 C0000000 00010000 01000000");
  EXPECT_EQ(doc.SaveDatabaseBytes(), expected);
  EXPECT_EQ(RoundTrip(expected), expected);
}

// A key listed again is one file recorded twice (by hand, by another tool, by
// damage): one record keeps every use, and the original bytes are kept aside.
// A key naming its own record again, or the document's record from before the
// load, adds nothing.
TEST(DatabaseFile, ARepeatedKeyMergesItsRecords) {
  const std::string first = ShortText("C:\\a") + kFileInfoClass;
  const std::string again = ShortText("C:\\a") + Hex("01 80");
  const std::string twice = Hex("02 00") + first + Hex("01000000 07000000") + again + Hex("09000000 03000000");
  const struct {
    const char* what;
    std::string records;
    int heldBefore;  // uses of a record the document held before, -1: none
    int32_t uses;
    VelnorTime lastUsed;
    size_t repeated;
  } cases[] = {
      {"twice", twice, -1, 10, 7, 1},
      {"held before", twice, 100, 10, 7, 1},
      {"thrice, saturating", Hex("03 00") + first + Hex("FEFFFF7F 03000000") + again + Hex("01000000 09000000") +
                                 again + Hex("05000000 00000000"), -1, INT32_MAX, 9, 1},
      {"its own record", Hex("02 00") + first + Hex("04000000 10000000") + ShortText("C:\\a") + Hex("02 00"), -1, 4,
       16, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryEnv env;
    env.AddFile("C:\\db", c.records + Hex("00 00") + kDefaultOptions);
    CVelnorDoc doc(env);
    if (c.heldBefore >= 0) AddRecord(doc, "C:\\a", c.heldBefore);
    const DatabaseLoadReport report = doc.LoadDatabaseFrom("C:\\db");
    EXPECT_FALSE(report.damaged);
    EXPECT_EQ(report.repeatedKeys, c.repeated);
    ASSERT_EQ(doc.FileCount(), 1u);
    EXPECT_EQ(doc.FindFile("C:\\a")->UseCount(), c.uses);
    EXPECT_EQ(doc.FindFile("C:\\a")->LastUsed(), c.lastUsed);
    EXPECT_EQ(env.Contents("C:\\db.damaged") != nullptr, c.repeated > 0);
  }
}

// Forms older files hold: "C:\b" has no record; a repeated key merges;
// "C:\c" refers back to the first record of "C:\a" (object 2) and gets its
// own copy of that record's usage.
TEST(DatabaseFile, NullRepeatedAndSharedRecordsAreAccepted) {
  MemoryEnv env;
  const std::string bytes = Hex("04 00") + ShortText("C:\\a") + kFileInfoClass + Hex("04000000 10000000") +
                            ShortText("C:\\b") + Hex("00 00") + ShortText("C:\\a") + Hex("01 80") +
                            Hex("09000000 00000000") + ShortText("C:\\c") + Hex("02 00") + Hex("00 00") +
                            kDefaultOptions;
  CVelnorDoc doc(env);
  EXPECT_FALSE(doc.LoadDatabaseBytes(bytes).damaged);
  EXPECT_EQ(Keys(doc), (std::vector<std::string>{"C:\\a", "C:\\c"}));
  EXPECT_EQ(doc.FindFile("C:\\a")->UseCount(), 13);
  const CFileInfo* c = doc.FindFile("C:\\c");
  EXPECT_EQ(c->UseCount(), 4);
  EXPECT_EQ(c->LastUsed(), 16);
}

TEST(DatabaseText, OlderAnsiTextsAreConvertedAndStoredAsUtf8) {
  MemoryEnv env;
  // "café" as one Windows-1252 byte E9, as an older build stored it.
  const std::string bytes = Hex("01 00") + ShortText("C:\\caf\xE9") + kFileInfoClass + std::string(8, '\0') +
                            Hex("00 00") + kDefaultOptions;
  CVelnorDoc doc(env);
  EXPECT_FALSE(doc.LoadDatabaseBytes(bytes).damaged);
  ASSERT_NE(doc.FindFile("C:\\caf\xC3\xA9"), nullptr);
  const std::string saved = doc.SaveDatabaseBytes();
  EXPECT_EQ(saved.substr(2, 9), ShortText("C:\\caf\xC3\xA9"));
}

TEST(FileRecord, NameTitleAndFolderAreViewsIntoThePath) {
  CFileInfo info;
  info.SetKeyPath("C:\\Docs\\archive.tar.gz");
  info.SetNameLength(14);
  EXPECT_EQ(info.Name(), "archive.tar.gz");
  EXPECT_EQ(info.Title(), "archive.tar");
  EXPECT_EQ(info.Folder(), "C:\\Docs");
  EXPECT_EQ(TitleFromName(".profile"), "");
  EXPECT_EQ(TitleFromName("README"), "README");
}

}  // namespace
