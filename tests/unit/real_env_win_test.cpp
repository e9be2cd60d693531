// What only a Windows disk can show: a database held open by another
// program cannot be replaced, and stays exactly as it was.
#include <windows.h>

#include "framework/wide_text_win.h"
#include "tests/unit/real_env_fixture.h"

namespace {

TEST_F(RealEnv, ALockedDatabaseKeepsItsContents) {
  Env& env = Env::Default();
  const std::string path = Path("velnor.dat");
  ASSERT_TRUE(env.WriteFileAtomic(path, "old contents"));
  HANDLE held = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const bool written = env.WriteFileAtomic(path, "new contents");
  CloseHandle(held);
  EXPECT_FALSE(written);
  std::string read;
  env.ReadWholeFile(path, read);
  EXPECT_EQ(read, "old contents");
  EXPECT_EQ(Entries(), std::vector<std::string>{"velnor.dat"});
}

}  // namespace
