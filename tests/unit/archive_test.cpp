#include "framework/archive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "database/file_info.h"
#include "database/folder.h"
#include "tests/unit/byte_helpers.h"

namespace {

std::string Stored(void (*write)(CArchive&)) {
  std::string out;
  CArchive ar(&out);
  write(ar);
  return out;
}

// 0xFFFE is the one length whose short form would be the reserved marker
// FF FE FF, so it must take the long form.
TEST(ArchiveText, EveryPrefixFormIsWrittenAndReadBack) {
  const std::pair<size_t, const char*> cases[] = {
      {0, "00"},           {254, "FE"},
      {255, "FF FF 00"},   {0xFFFD, "FF FD FF"},
      {0xFFFE, "FF FF FF FE FF 00 00"},
      {0x12345, "FF FF FF 45 23 01 00"},
  };
  for (const auto& [length, prefix] : cases) {
    SCOPED_TRACE(length);
    const std::string text(length, 'q');
    std::string out;
    CArchive store(&out);
    store.WriteText(text);
    EXPECT_EQ(out.substr(0, out.size() - length), Hex(prefix));
    CArchive load{std::string_view(out)};
    std::string back;
    ASSERT_TRUE(load.ReadText(back));
    EXPECT_EQ(back, text);
    EXPECT_TRUE(load.AtEnd());
  }
}

// A bool is written as 1 or 0 (OptionsAndPlacementBytes) and read as Windows
// reads a BOOL.
TEST(ArchivePrimitives, CountsSwitchToThirtyTwoBitsAtFFFFAndAnyNonZeroBoolIsTrue) {
  EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(0xFFFE); }), Hex("FE FF"));
  EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(0xFFFF); }), Hex("FF FF FF FF 00 00"));
  EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(70000); }), Hex("FF FF 70 11 01 00"));
  const std::string bytes = Hex("FF FF 70 11 01 00") + Hex("02 00 00 00");
  CArchive load{std::string_view(bytes)};
  uint32_t count = 0;
  bool value = false;
  ASSERT_TRUE(load.ReadCount(count));
  load.Bool(value);
  EXPECT_EQ(count, 70000u);
  EXPECT_TRUE(value);
}

// What a reader must refuse, each after one good record (class 1, object 2)
// so that numbers can point at the wrong kind of entry: the failure is
// reported where the bad bytes begin, or where the data ran out, and nothing
// half-read is handed over.
TEST(ArchiveObjects, MalformedInputFailsAtItsPlaceAndHandsNothingOver) {
  const std::string record = Hex("FF FF 01 00 09 00") + "CFileInfo" + Hex("00000000 00000000");
  const CRuntimeClass* const fileInfo = RUNTIME_CLASS(CFileInfo);
  struct Case {
    std::string bytes;           // after the record
    const CRuntimeClass* asked;  // null: a text is read
    size_t at;                   // from the start of `bytes`
    const char* reason;
  } cases[] = {
      {Hex("FF FF FF F0 FF FF FF") + "abc", nullptr, 0, "text length exceeds the data"},
      {Hex("FF FE FF") + "abc", nullptr, 0, "unsupported text form"},
      {Hex("FF FF 01 00 07 00") + "CWidget" + Hex("00000000"), fileInfo, 0, "unknown class name"},
      {Hex("FF FF 02 00 09 00") + "CFileInfo" + Hex("00000000 00000000"), fileInfo, 0, "unsupported schema"},
      {Hex("FF FF 01 00 00 00"), fileInfo, 0, "malformed class name"},
      {Hex("02 80"), fileInfo, 0, "reference to an unknown class number"},  // 2 is an object
      {Hex("FF 7F 09 00 00 80"), fileInfo, 0, "reference to an unknown class number"},
      {Hex("01 00"), fileInfo, 0, "reference to an unknown object number"},  // 1 is a class
      {Hex("FF 7F 05 00 00 00"), fileInfo, 0, "reference to an unknown object number"},
      {Hex("FF FF 01 00 07 00") + "CFolder" + Hex("00 01 00 00 00 00 00 00 00 00 00"), fileInfo, 0,
       "object of an unexpected class"},
      {Hex("02 00"), RUNTIME_CLASS(CFolder), 0, "reference to an object of another class"},
      {Hex("01 80 05000000 0000"), fileInfo, 6, "unexpected end of data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    const std::string bytes = record + c.bytes;
    CArchive ar{std::string_view(bytes)};
    std::unique_ptr<CObject> good, created;  // the archive points at `good` by its number
    CObject* existing = nullptr;
    ASSERT_EQ(ar.ReadObject(fileInfo, good, existing), CArchive::ObjectResult::Created);
    if (c.asked == nullptr) {
      std::string text = "unchanged";
      EXPECT_FALSE(ar.ReadText(text));
      EXPECT_EQ(text, "unchanged");
    } else {
      EXPECT_EQ(ar.ReadObject(c.asked, created, existing), CArchive::ObjectResult::Failed);
      EXPECT_EQ(created, nullptr);
      EXPECT_EQ(existing, nullptr);
    }
    EXPECT_EQ(ar.FailOffset(), record.size() + c.at);
    EXPECT_EQ(ar.FailReason(), c.reason);
  }
}

}  // namespace
