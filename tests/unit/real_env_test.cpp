// The platform's real services on a real disk: listing and reopening names
// beyond ASCII, the search path limit, and the save that replaces a file
// whole or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/unit/doc_builder.h"
#include "tests/unit/real_env_fixture.h"

namespace {

TEST_F(RealEnv, NamesBeyondAsciiAreKeptExactlyAndCanBeOpened) {
  const std::string names[] = {"caf\xC3\xA9.txt", "\xE6\x96\x87\xE6\x9B\xB8.txt", "\xF0\x9F\x8E\xB5 song.mp3",
                               "\xD0\x94\xD0\xBE\xD0\xBA.lnk"};
  for (const std::string& name : names) Touch(Path(name));
  Refresh();
  for (const std::string& name : names) {
    const CFileInfo* record = m_doc.FindFile(Path(name));
    ASSERT_NE(record, nullptr) << name;
    EXPECT_TRUE(record->Found());
    EXPECT_EQ(record->Name(), name);
    EXPECT_NE(Env::Default().OpenFile(Path(name)), nullptr) << "reopening by the listed name";
  }
}

// Natively there are no short names: a folder past the limit stays out, as
// on a Windows volume without them. Windows searches it through its short
// form where the volume keeps one.
TEST_F(RealEnv, FoldersPastThePathLimitNeedAShortFormAndVanishedOnesLoseTheirFiles) {
  // Grow a chain of folders until the search pattern no longer fits.
  std::string folder = m_root;
  std::string lastSearchable;
  while (FitsSearchPathLimit(folder + kPathSeparator)) {
    lastSearchable = folder;
    folder += kPathSeparator + std::string(40, 'd');
  }
  // Windows may not even create the deepest folder; then stop one short.
  std::error_code error;
  fs::create_directories(FromUtf8(folder), error);
  fs::create_directories(FromUtf8(lastSearchable));
  // A one-letter name fits the path limit wherever its folder can be searched.
  const std::string nearFile = lastSearchable + kPathSeparator + "n", farFile = folder + kPathSeparator + "f";
  Touch(nearFile);
  if (!error) Touch(farFile);
  Refresh();
  std::vector<std::string> expected{nearFile};
  if (!error && Env::Default().CanOpenPath(farFile)) expected.push_back(farFile);
  std::vector<std::string> keys = Keys(m_doc);
  std::sort(keys.begin(), keys.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(keys, expected);

  fs::remove_all(FromUtf8(m_root + kPathSeparator + std::string(40, 'd')));
  Refresh();
  EXPECT_TRUE(Keys(m_doc, true).empty());
}

TEST_F(RealEnv, ASaveReplacesTheFileWholeAndLeavesNothingElse) {
  Env& env = Env::Default();
  const std::string path = Path("velnor.dat");
  ASSERT_TRUE(env.WriteFileAtomic(path, "first"));
  ASSERT_TRUE(env.WriteFileAtomic(path, "second, longer"));
  std::string read;
  EXPECT_EQ(env.ReadWholeFile(path, read), Env::ReadResult::kOk);
  EXPECT_EQ(read, "second, longer");
  EXPECT_EQ(Entries(), std::vector<std::string>{"velnor.dat"});
  EXPECT_EQ(env.ReadWholeFile(Path("absent"), read), Env::ReadResult::kNotFound);

  EXPECT_FALSE(env.WriteFileAtomic(Path("missing") + kPathSeparator + "velnor.dat", "x"));
  EXPECT_TRUE(env.MakeDirectory(Path("made")));
  EXPECT_TRUE(env.MakeDirectory(Path("made")));  // already there is fine
}

}  // namespace
