#include "framework/archive.h"

#include <gtest/gtest.h>

#include <string>

#include "database/file_info.h"
#include "database/folder.h"
#include "database/window_placement.h"
#include "tests/unit/byte_helpers.h"

namespace {

std::string Stored(void (*write)(CArchive&)) {
  std::string out;
  CArchive ar(&out);
  write(ar);
  return out;
}

std::string TextBytes(size_t length) {
  std::string out;
  CArchive ar(&out);
  ar.WriteText(std::string(length, 'x'));
  return out.substr(0, out.size() - length);  // the prefix alone
}

TEST(ArchiveText, LengthPrefixesAtEachBoundary) {
  EXPECT_EQ(TextBytes(0), Hex("00"));
  EXPECT_EQ(TextBytes(254), Hex("FE"));
  EXPECT_EQ(TextBytes(255), Hex("FF FF 00"));
  EXPECT_EQ(TextBytes(0xFFFD), Hex("FF FD FF"));
  EXPECT_EQ(TextBytes(0xFFFE), Hex("FF FF FF FE FF 00 00"));
  EXPECT_EQ(TextBytes(0x12345), Hex("FF FF FF 45 23 01 00"));
}

TEST(ArchiveText, EveryPrefixFormReadsBack) {
  for (size_t length : {size_t{0}, size_t{1}, size_t{254}, size_t{255}, size_t{0xFFFD}, size_t{0xFFFE},
                        size_t{0x10000}}) {
    const std::string text(length, 'q');
    std::string out;
    CArchive store(&out);
    store.WriteText(text);
    CArchive load{std::string_view(out)};
    std::string back;
    ASSERT_TRUE(load.ReadText(back)) << length;
    EXPECT_EQ(back, text);
    EXPECT_TRUE(load.AtEnd());
  }
}

TEST(ArchiveText, LengthBeyondTheDataFailsWithoutReading) {
  // Claims four billion bytes; only three follow.
  const std::string bytes = Hex("FF FF FF F0 FF FF FF") + "abc";
  CArchive ar{std::string_view(bytes)};
  std::string text = "unchanged";
  EXPECT_FALSE(ar.ReadText(text));
  EXPECT_TRUE(ar.Failed());
  EXPECT_EQ(ar.FailOffset(), 0u);
  ar.Text(text);
  EXPECT_EQ(text, "unchanged");
}

TEST(ArchivePrimitives, BoolIsFourBytesAndAnyNonZeroIsTrue) {
  const std::string two = Hex("02 00 00 00");
  CArchive load{std::string_view(two)};
  bool value = false;
  load.Bool(value);
  EXPECT_TRUE(value);
  std::string out;
  CArchive store(&out);
  store.Bool(value);
  EXPECT_EQ(out, Hex("01 00 00 00"));
}

TEST(ArchivePrimitives, CountsSwitchToThirtyTwoBitsAtFFFF) {
  EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(0xFFFE); }), Hex("FE FF"));
  EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(0xFFFF); }), Hex("FF FF FF FF 00 00"));
  EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(70000); }), Hex("FF FF 70 11 01 00"));
  const std::string big = Hex("FF FF 70 11 01 00");
  CArchive load{std::string_view(big)};
  uint32_t count = 0;
  ASSERT_TRUE(load.ReadCount(count));
  EXPECT_EQ(count, 70000u);
}

TEST(ArchivePrimitives, TimesReadBackUnsignedPast2038) {
  const std::string bytes = Hex("00 00 00 90");  // 2046
  CArchive load{std::string_view(bytes)};
  VelnorTime t = 0;
  load.Time(t);
  EXPECT_EQ(t, 0x90000000LL);
}

TEST(RecordBodies, FileInfoStoresUseCountThenLastUse) {
  CFileInfo info;
  info.m_nUseCount = 3;
  info.m_timeLastUsed = 1009843200;  // 2002-01-01 00:00:00 UTC
  std::string out;
  CArchive ar(&out);
  info.Serialize(ar);
  EXPECT_EQ(out, Hex("03 00 00 00 00 FC 30 3C"));
}

TEST(RecordBodies, FolderStoresNamePathEnabledIcon) {
  CFolder folder("Start Menu", "C:\\Start", true, kIconStartMenu);
  std::string out;
  CArchive ar(&out);
  folder.Serialize(ar);
  EXPECT_EQ(out, ShortText("Start Menu") + ShortText("C:\\Start") + Hex("01 00 00 00 8C 00 00 00"));
}

TEST(RecordBodies, PlacementIs28BytesWithValidLast) {
  CWindowPlacement placement;
  placement.m_bValid = true;
  placement.m_rect = {1, 2, 3, 4};
  placement.m_nTitleWidth = 192;
  placement.m_nFolderWidth = 256;
  std::string out;
  CArchive ar(&out);
  placement.Serialize(ar);
  EXPECT_EQ(out, Hex("01000000 02000000 03000000 04000000 C0000000 00010000 01000000"));
}

// Tagged objects: what a reader must accept beyond what the writer makes.
class ArchiveObjects : public ::testing::Test {
 protected:
  CArchive::ObjectResult Read(const std::string& bytes, const CRuntimeClass* cls) {
    m_bytes = bytes;
    m_archive = std::make_unique<CArchive>(std::string_view(m_bytes));
    return m_archive->ReadObject(cls, m_created, m_existing);
  }
  CArchive::ObjectResult ReadNext(const CRuntimeClass* cls) {
    return m_archive->ReadObject(cls, m_created, m_existing);
  }

  std::string m_bytes;
  std::unique_ptr<CArchive> m_archive;
  std::unique_ptr<CObject> m_created;
  CObject* m_existing = nullptr;
};

const std::string kNewFileInfo = Hex("FF FF 01 00 09 00") + "CFileInfo";

TEST_F(ArchiveObjects, NewClassThenReferencesByNumber) {
  const std::string bytes = kNewFileInfo + Hex("05000000 00000000") +  // class 1, object 2
                            Hex("01 80") + Hex("06000000 00000000") +  // class 1 again, object 3
                            Hex("02 00") +                             // object 2 itself
                            Hex("FF 7F 03 00 00 00");                  // object 3, long form
  ASSERT_EQ(Read(bytes, RUNTIME_CLASS(CFileInfo)), CArchive::ObjectResult::Created);
  auto first = std::move(m_created);
  EXPECT_EQ(static_cast<CFileInfo*>(first.get())->m_nUseCount, 5);
  ASSERT_EQ(ReadNext(RUNTIME_CLASS(CFileInfo)), CArchive::ObjectResult::Created);
  auto second = std::move(m_created);
  EXPECT_EQ(static_cast<CFileInfo*>(second.get())->m_nUseCount, 6);
  ASSERT_EQ(ReadNext(RUNTIME_CLASS(CFileInfo)), CArchive::ObjectResult::Existing);
  EXPECT_EQ(m_existing, first.get());
  ASSERT_EQ(ReadNext(RUNTIME_CLASS(CFileInfo)), CArchive::ObjectResult::Existing);
  EXPECT_EQ(m_existing, second.get());
  EXPECT_TRUE(m_archive->AtEnd());
}

TEST_F(ArchiveObjects, ZeroTagIsNoObject) {
  EXPECT_EQ(Read(Hex("00 00"), RUNTIME_CLASS(CFolder)), CArchive::ObjectResult::Null);
  EXPECT_FALSE(m_archive->Failed());
}

TEST_F(ArchiveObjects, MalformedTagsFailAtTheTag) {
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"unknown class", Hex("FF FF 01 00 07 00") + "CWidget" + Hex("00000000")},
      {"schema 2", Hex("FF FF 02 00 09 00") + "CFileInfo" + Hex("00000000 00000000")},
      {"empty class name", Hex("FF FF 01 00 00 00")},
      {"class reference before any class", Hex("01 80")},
      {"object reference before any object", Hex("05 00")},
      {"big class reference to nothing", Hex("FF 7F 09 00 00 80")},
      {"class of another section", Hex("FF FF 01 00 07 00") + "CFolder" + Hex("00 01 00 00 00 00 00 00 00 00 00")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.bytes, RUNTIME_CLASS(CFileInfo)), CArchive::ObjectResult::Failed)
        << c.what;
  }
  // The failure is reported where the tag began (after the 4 leading bytes
  // are consumed, so read them first).
  m_bytes = Hex("00000000") + cases[0].bytes;
  CArchive ar{std::string_view(m_bytes)};
  uint32_t skip;
  ar.ReadUInt32(skip);
  EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(CFileInfo), m_created, m_existing), CArchive::ObjectResult::Failed);
  EXPECT_EQ(ar.FailOffset(), 4u);
  EXPECT_EQ(ar.FailReason(), "unknown class name");
}

TEST_F(ArchiveObjects, ReferenceToAnObjectOfAnotherClassFails) {
  const std::string bytes = kNewFileInfo + Hex("00000000 00000000") + Hex("02 00");
  ASSERT_EQ(Read(bytes, RUNTIME_CLASS(CFileInfo)), CArchive::ObjectResult::Created);
  const auto kept = std::move(m_created);  // the archive refers to it by number
  EXPECT_EQ(ReadNext(RUNTIME_CLASS(CFolder)), CArchive::ObjectResult::Failed);
}

TEST_F(ArchiveObjects, TruncatedBodyHandsNothingOver) {
  EXPECT_EQ(Read(kNewFileInfo + Hex("05000000 0000"), RUNTIME_CLASS(CFileInfo)),
            CArchive::ObjectResult::Failed);
  EXPECT_EQ(m_created, nullptr);
}

}  // namespace
