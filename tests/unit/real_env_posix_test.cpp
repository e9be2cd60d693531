// What only a POSIX disk can show: a disk that fills up during a save, and
// symbolic links, which are listed like files and never entered, as find
// does (Linux trees hold links such as /usr/bin/X11 -> .).
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#include "tests/unit/doc_builder.h"
#include "tests/unit/real_env_fixture.h"

namespace {

TEST_F(RealEnv, ADiskThatFillsUpKeepsThePreviousFile) {
  Env& env = Env::Default();
  const std::string path = Path("velnor.dat");
  const std::string old(1000, 'o');
  ASSERT_TRUE(env.WriteFileAtomic(path, old));

  // A file size limit makes write() fail part-way, as a full disk would.
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = env.WriteFileAtomic(path, std::string(100000, 'n'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(written);
  std::string read;
  env.ReadWholeFile(path, read);
  EXPECT_EQ(read, old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"velnor.dat"});
}

TEST_F(RealEnv, SymbolicLinksAreListedButNeverEntered) {
  // As in an llvm install: two links in x/build lead back to x.
  fs::create_directories(FromUtf8(Path("x/build")));
  Touch(Path("x/f1.txt"));
  ASSERT_EQ(::symlink("..", Path("x/build/Release").c_str()), 0);
  ASSERT_EQ(::symlink(Path("x").c_str(), Path("x/build/Debug").c_str()), 0);
  Refresh();
  std::vector<std::string> keys = Keys(m_doc);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{Path("x/build/Debug"), Path("x/build/Release"), Path("x/f1.txt")}));

  // Where a link leads is still known: the folder it names, not another.
  Env& env = Env::Default();
  FolderIdentity link, x, build;
  ASSERT_TRUE(env.GetFolderIdentity(Path("x/build/Release/"), link) && env.GetFolderIdentity(Path("x/"), x) &&
              env.GetFolderIdentity(Path("x/build/"), build));
  EXPECT_TRUE(link == x && !(link == build));
  EXPECT_FALSE(env.GetFolderIdentity(Path("absent/"), link));
}

}  // namespace
