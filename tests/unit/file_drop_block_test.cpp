#include "resultlist/file_drop_block.h"

#include <gtest/gtest.h>

#include "tests/unit/byte_helpers.h"

namespace {

TEST(FileDropBlock, HeaderThenEachPathInUtf16ThenOneMoreZero) {
  const std::string block = BuildFileDropBlock(
      {"C:\\a", "D:\\\xD0\x9C\xD0\xB8\xD1\x80", "E:\\\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x8E\xB5"});
  EXPECT_EQ(block, Hex("14000000 00000000 00000000 00000000 01000000"  // pFiles 20, pt (0,0), fNC 0, fWide 1
                       "4300 3A00 5C00 6100 0000"                       // C:\a at 20
                       "4400 3A00 5C00 1C04 3804 4004 0000"             // D:\Мир at 30
                       "4500 3A00 5C00 E565 2C67 3CD8 B5DF 0000"        // E:\日本 and a pair, at 44
                       "0000"));                                        // the list's end, at 60
  EXPECT_EQ(block.size(), 20u + (4 + 1) * 2 + (6 + 1) * 2 + (7 + 1) * 2 + 2);

  // An empty name would end the list early for the target.
  EXPECT_EQ(BuildFileDropBlock({"C:\\a", "", "D:\\b"}), BuildFileDropBlock({"C:\\a", "D:\\b"}));
}

}  // namespace
