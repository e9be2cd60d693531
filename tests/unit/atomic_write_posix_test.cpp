// The real save path: a write that fails half-way must leave the previous
// database exactly as it was, and no temporary file behind.
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/file_system.h"

namespace {

class AtomicWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velnor-atomic-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_dir = pattern;
    m_path = m_dir + "/velnor.dat";
  }
  void TearDown() override {
    for (const std::string& name : Entries()) ::unlink((m_dir + "/" + name).c_str());
    ::rmdir(m_dir.c_str());
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(m_dir.c_str())) {
      while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      ::closedir(d);
    }
    return names;
  }
  std::string Contents() const {
    std::ifstream in(m_path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
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
  EXPECT_EQ(fs.ReadWholeFile(m_path, read), FileSystem::ReadResult::kOk);
  EXPECT_EQ(read, "second, longer");
  EXPECT_EQ(fs.ReadWholeFile(m_dir + "/absent", read), FileSystem::ReadResult::kNotFound);
}

TEST_F(AtomicWrite, ADiskThatFillsUpKeepsThePreviousFile) {
  FileSystem& fs = FileSystem::Real();
  const std::string old(1000, 'o');
  ASSERT_TRUE(fs.WriteFileAtomic(m_path, old));

  // A file size limit makes write() fail part-way, as a full disk would.
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = fs.WriteFileAtomic(m_path, std::string(100000, 'n'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(Contents(), old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"velnor.dat"});
}

TEST_F(AtomicWrite, AnUnwritableFolderFailsCleanly) {
  EXPECT_FALSE(FileSystem::Real().WriteFileAtomic(m_dir + "/missing/velnor.dat", "x"));
  EXPECT_TRUE(FileSystem::Real().MakeDirectory(m_dir + "/made"));
  EXPECT_TRUE(FileSystem::Real().MakeDirectory(m_dir + "/made"));  // already there is fine
  ::rmdir((m_dir + "/made").c_str());
}

}  // namespace
