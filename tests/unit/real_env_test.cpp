// The platform's real services on a real disk: listing and reopening names
// beyond ASCII, the search path limit, and the save that replaces a file
// whole or not at all.
#include <gtest/gtest.h>

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
    EXPECT_TRUE(record->m_bFound);
    EXPECT_EQ(record->m_strName, name);
    EXPECT_NE(Env::Default().OpenFile(Path(name)), nullptr) << "reopening by the listed name";
  }
}

TEST_F(RealEnv, FoldersPastThePathLimitAreNotSearchedAndVanishedOnesLoseTheirFiles) {
  // Grow a chain of folders until the search pattern no longer fits.
  std::string folder = m_root;
  std::string lastSearchable;
  while (FitsSearchPathLimit(folder + kPathSeparator)) {
    lastSearchable = folder;
    folder += kPathSeparator + std::string(40, 'd');
  }
  // Windows cannot even create the deepest folder; the search limit is
  // what matters, so stop one short where creation fails.
  std::error_code error;
  fs::create_directories(FromUtf8(folder), error);
  fs::create_directories(FromUtf8(lastSearchable));
  Touch(lastSearchable + kPathSeparator + "near.txt");
  if (!error) Touch(folder + kPathSeparator + "far.txt");
  Refresh();
  EXPECT_EQ(Keys(m_doc), std::vector<std::string>{lastSearchable + kPathSeparator + "near.txt"});

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
