// Scans of a real folder tree through the platform's own directory search.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "database/velnor_doc.h"
#include "framework/directory_search.h"

namespace fs = std::filesystem;

namespace {

fs::path FromUtf8(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string ToUtf8(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

class RealTreeScan : public ::testing::Test {
 protected:
  void SetUp() override {
    m_root = fs::temp_directory_path() / ("velnor-scan-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_root);
    fs::create_directories(m_root);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
  }
  void Touch(const fs::path& path) { std::ofstream(path) << "x"; }
  void Refresh() {
    m_doc.m_folders.clear();
    m_doc.m_folders.push_back(std::make_unique<CFolder>("t", ToUtf8(m_root), true, kIconStartMenu));
    m_doc.RefreshDatabase(kRefreshCaption);
  }

  fs::path m_root;
  CVelnorDoc m_doc;
};

TEST_F(RealTreeScan, NamesBeyondAsciiAreKeptExactlyAndCanBeOpened) {
  const std::string names[] = {"caf\xC3\xA9.txt", "\xE6\x96\x87\xE6\x9B\xB8.txt", "\xF0\x9F\x8E\xB5 song.mp3",
                               "\xD0\x94\xD0\xBE\xD0\xBA.lnk"};
  for (const std::string& name : names) Touch(m_root / FromUtf8(name));
  Refresh();
  for (const std::string& name : names) {
    const std::string key = ToUtf8(m_root) + kPathSeparator + name;
    const CFileInfo* record = m_doc.m_files.Lookup(key);
    ASSERT_NE(record, nullptr) << key;
    EXPECT_TRUE(record->m_bFound);
    EXPECT_EQ(record->m_strName, name);
    EXPECT_NE(CMp3File::Open(key), nullptr) << "reopening by the listed name";
  }
}

TEST_F(RealTreeScan, FoldersPastThePathLimitAreNotSearched) {
  // Grow a chain of folders until the search pattern no longer fits.
  fs::path folder = m_root;
  fs::path lastSearchable;
  while (true) {
    folder /= fs::path(std::string(40, 'd'));
    const std::string withSeparator = ToUtf8(folder) + kPathSeparator;
    if (!FitsSearchPathLimit(withSeparator)) break;
    lastSearchable = folder;
  }
  // Windows cannot even create the deepest folder; the search limit is
  // what matters, so stop one short where creation fails.
  std::error_code error;
  fs::create_directories(folder, error);
  ASSERT_FALSE(lastSearchable.empty());
  fs::create_directories(lastSearchable);
  Touch(lastSearchable / "near.txt");
  if (!error) Touch(folder / "far.txt");
  Refresh();
  EXPECT_NE(m_doc.m_files.Lookup(ToUtf8(lastSearchable / "near.txt")), nullptr);
  for (const auto& record : m_doc.m_files) {
    EXPECT_EQ(record->m_strName, "near.txt");
  }
}

TEST_F(RealTreeScan, AFolderThatVanishesLeavesItsRecordsNotFound) {
  fs::create_directories(m_root / "sub");
  Touch(m_root / "sub" / "a.txt");
  Refresh();
  const std::string key = ToUtf8(m_root / "sub" / "a.txt");
  ASSERT_TRUE(m_doc.m_files.Lookup(key)->m_bFound);
  fs::remove_all(m_root / "sub");
  Refresh();
  EXPECT_FALSE(m_doc.m_files.Lookup(key)->m_bFound);
}

}  // namespace
