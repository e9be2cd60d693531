// What only a Windows disk can show: a database held open by another
// program cannot be replaced, and stays exactly as it was; a change below a
// watched folder wakes its watcher, and a stop wakes it too.
#include <windows.h>

#include <future>

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

TEST_F(RealEnv, ChangeNotificationsWakeForAChangeAndForAStop) {
  std::unique_ptr<ChangeNotifier> notifier = Env::Default().CreateChangeNotifier();
  ASSERT_NE(notifier, nullptr);
  EXPECT_FALSE(notifier->Add(Path("missing")));
  ASSERT_TRUE(notifier->Add(m_root));
  const auto wait = [&] {
    return std::async(std::launch::async, [&] {
      size_t index = 99;
      const ChangeNotifier::WaitResult result = notifier->Wait(index);
      return std::make_pair(result, index);
    });
  };
  auto changed = wait();
  Touch(Path("new.txt"));
  ASSERT_EQ(changed.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(changed.get(), std::make_pair(ChangeNotifier::WaitResult::kChanged, size_t{0}));
  ASSERT_TRUE(notifier->Rearm(0));

  auto stopped = wait();
  Sleep(50);  // let it reach the wait: a stop must wake a wait in progress
  notifier->Stop();
  ASSERT_EQ(stopped.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(stopped.get().first, ChangeNotifier::WaitResult::kStopped);
}

}  // namespace
