// The real save path on Windows: a database that cannot be replaced (held
// open by another program) stays exactly as it was, with no temporary file
// left beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/file_system.h"
#include "framework/wide_text_win.h"

namespace {

class AtomicWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    m_dir = WideToUtf8(temp) + "velnor-atomic-" + std::to_string(GetCurrentProcessId()) + "-\xC3\xA9";
    ASSERT_TRUE(FileSystem::Real().MakeDirectory(m_dir));
    m_path = m_dir + "\\velnor.dat";
  }
  void TearDown() override {
    for (const std::string& name : Entries()) DeleteFileW(Utf8ToWide(m_dir + "\\" + name).c_str());
    RemoveDirectoryW(Utf8ToWide(m_dir).c_str());
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Utf8ToWide(m_dir + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string name = WideToUtf8(data.cFileName);
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
  }
  std::string Contents() const {
    std::string out;
    FileSystem::Real().ReadWholeFile(m_path, out);
    return out;
  }

  std::string m_dir;
  std::string m_path;
};

TEST_F(AtomicWrite, ReplacesTheFileAndLeavesNothingElse) {
  FileSystem& fs = FileSystem::Real();
  ASSERT_TRUE(fs.WriteFileAtomic(m_path, "first"));
  ASSERT_TRUE(fs.WriteFileAtomic(m_path, "second, longer"));
  EXPECT_EQ(Contents(), "second, longer");
  EXPECT_EQ(Entries(), std::vector<std::string>{"velnor.dat"});
  std::string read;
  EXPECT_EQ(fs.ReadWholeFile(m_dir + "\\absent", read), FileSystem::ReadResult::kNotFound);
}

TEST_F(AtomicWrite, ALockedDatabaseKeepsItsContents) {
  FileSystem& fs = FileSystem::Real();
  ASSERT_TRUE(fs.WriteFileAtomic(m_path, "old contents"));
  HANDLE held = CreateFileW(Utf8ToWide(m_path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const bool written = fs.WriteFileAtomic(m_path, "new contents");
  CloseHandle(held);
  EXPECT_FALSE(written);
  EXPECT_EQ(Contents(), "old contents");
  EXPECT_EQ(Entries(), std::vector<std::string>{"velnor.dat"});
}

}  // namespace
