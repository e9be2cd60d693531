// What only a Windows disk can show: a database held open by another
// program, folder links, change notifications and paths past MAX_PATH; and
// what only a Windows system can: its code page.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <utility>
#include <vector>

#include "database/id3v1.h"
#include "framework/wide_text_win.h"
#include "framework/win_handles.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/real_env_fixture.h"

namespace {

bool IsLink(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Wine 8 neither makes folder links (the call succeeds and makes nothing)
// nor removes Unix ones (it follows them); the Unix tools do both, and Wine
// lists a Unix link to a folder as a folder link. Runs `tool` in `folder`;
// a Unix process cannot be waited for through its handle, so `done` tells
// when it has worked.
bool RunUnixTool(const std::string& folder, const std::string& tool, const std::string& arguments,
                 const std::function<bool()>& done) {
  if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return false;
  std::wstring command = Utf8ToWide(tool + " " + arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(Utf8ToWide("Z:\\bin\\" + tool).c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                      Utf8ToWide(folder).c_str(), &startup, &started))
    return false;
  KernelHandle process(started.hProcess), thread(started.hThread);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done() && std::chrono::steady_clock::now() < deadline) Sleep(10);
  return done();
}

// Folder links made for one test, removed before its folder is: a
// recursive removal would follow them.
class FolderLinks {
 public:
  ~FolderLinks() {
    for (const auto& [folder, name] : m_made) {
      const std::wstring link = Utf8ToWide(folder + "\\" + name);
      if (!RemoveDirectoryW(link.c_str())) {
        RunUnixTool(folder, "rm", name, [&] { return GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
      }
    }
  }

  // A link `name` in `folder` to `target`, a name there or ".." (the Unix
  // tools take both on a command line). Windows makes one in developer
  // mode or for an administrator.
  bool Make(const std::string& folder, const std::string& name, const std::string& target) {
    const std::wstring link = Utf8ToWide(folder + "\\" + name);
    const DWORD kAllowUnprivilegedCreate = 0x2;
    CreateSymbolicLinkW(link.c_str(), Utf8ToWide(target).c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY | kAllowUnprivilegedCreate);
    if (!IsLink(link) && !RunUnixTool(folder, "ln", "-s " + target + " " + name, [&] { return IsLink(link); })) {
      return false;
    }
    m_made.emplace_back(folder, name);
    return true;
  }

 private:
  std::vector<std::pair<std::string, std::string>> m_made;
};

// A tree past MAX_PATH: only the extended prefix reaches it, and the
// fixture's removal cannot, so it goes with this object (after a moment for
// what a launched program may still hold).
class LongTree {
 public:
  ~LongTree() {
    for (auto it = m_paths.rbegin(); it != m_paths.rend(); ++it) {
      for (int tries = 0; tries < 200 && Exists(*it) && !DeleteFileW(it->c_str()) && !RemoveDirectoryW(it->c_str());
           ++tries) {
        Sleep(50);
      }
    }
  }
  std::wstring Add(const std::string& path) { return m_paths.emplace_back(L"\\\\?\\" + Utf8ToWide(path)); }
  static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  std::vector<std::wstring> m_paths;
};

// The shell says "Path not found" for a path past MAX_PATH, but opens the
// file by its short (8.3) form, which Wine (like NTFS by default) keeps.
TEST_F(RealEnv, FilesPastThePathLimitAreListedAndOpenThroughTheirShortForms) {
  // run.bat's path is 263 units long, and it writes a marker beside itself;
  // f lies in a folder whose search pattern is past the limit too.
  const std::string top = Path(std::string(100, 'x'));
  const std::string folder = top + "\\" + std::string(263 - Utf16Length(top) - 9, 'p'), deep = folder + "\\ddd";
  const std::string bat = folder + "\\run.bat", farFile = deep + "\\f", script = "@echo ran> \"%~dpn0.txt\"\r\n";
  ASSERT_EQ(Utf16Length(bat), 263u);
  LongTree tree;
  for (const std::string& made : {top, folder, deep}) ASSERT_TRUE(CreateDirectoryW(tree.Add(made).c_str(), nullptr));
  for (const std::string& made : {bat, farFile}) {
    KernelHandle file(CreateFileW(tree.Add(made).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), script.data(), static_cast<DWORD>(script.size()), &written, nullptr));
  }
  const std::wstring ran = tree.Add(folder + "\\run.txt");
  Refresh();
  for (const std::string& path : {bat, farFile}) {
    const CFileInfo* record = m_doc.FindFile(path);
    ASSERT_TRUE(record && record->Found()) << path;
  }
  // A launch the shell refuses shows its message and waits for an answer:
  // ctest's timeout then ends this test.
  EXPECT_GT(Env::Default().ShellLaunch(bat, "", nullptr), kShellLaunchAccepted);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!LongTree::Exists(ran) && std::chrono::steady_clock::now() < deadline) Sleep(50);
  EXPECT_TRUE(LongTree::Exists(ran));
}

// Its own ctest entry runs it under a Russian system locale (the main run
// leaves it out): there taggers wrote Windows-1251.
TEST(RussianSystem, TagFieldsAreReadInWindows1251) {
  const char field[] = "\xCA\xE8\xED\xEE \xE8 \xEC\xF3\xE7\xFB\xEA\xE0";
  EXPECT_EQ(GetTagField(reinterpret_cast<const unsigned char*>(field), 0, sizeof(field) - 1), "Кино и музыка");
}

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

// Start-up removes what crashed saves left, but never the file of a save
// that another copy is writing at that moment.
TEST_F(RealEnv, OnlyLeftoversNobodyWritesAreRemoved) {
  const std::string db = Path("velnor.dat");
  const std::string left = AtomicWriteTemporary(db, 4711), busy = AtomicWriteTemporary(db, 4712);
  Touch(left);
  Touch(busy);
  KernelHandle writing(CreateFileW(Utf8ToWide(busy).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writing.Valid());
  m_doc.RemoveSaveLeftovers(db);
  EXPECT_EQ(Entries(), std::vector<std::string>{"velnor.dat.4712.tmp"});
}

TEST_F(RealEnv, FolderLinksBackIntoTheTreeAreNotEnteredAndOthersAre) {
  // As in an llvm install: two links in x\build lead back to x.
  const std::string x = Path("x"), elsewhere = Path("elsewhere");
  fs::create_directories(FromUtf8(x + "\\build"));
  fs::create_directories(FromUtf8(elsewhere));
  Touch(x + "\\f1.txt");
  Touch(elsewhere + "\\e.txt");
  FolderLinks links;
  if (!links.Make(x + "\\build", "Release", "..") || !links.Make(x + "\\build", "Debug", "..") ||
      !links.Make(m_root, "other", "elsewhere")) {
    GTEST_SKIP() << "no folder links can be made here (Windows without developer mode?)";
  }
  Refresh();
  std::vector<std::string> keys = Keys(m_doc);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{elsewhere + "\\e.txt", Path("other\\e.txt"), x + "\\f1.txt"}));
}

TEST_F(RealEnv, ChangeNotificationsWakeForAChangeATimeAndAStop) {
  std::unique_ptr<ChangeNotifier> notifier = Env::Default().CreateChangeNotifier();
  ASSERT_NE(notifier, nullptr);
  size_t none = 0;
  EXPECT_EQ(notifier->Wait(none, 20), ChangeNotifier::WaitResult::kTimeout);  // nothing watched yet
  EXPECT_FALSE(notifier->Add(Path("missing")));
  ASSERT_TRUE(notifier->Add(m_root));
  EXPECT_EQ(notifier->Wait(none, 20), ChangeNotifier::WaitResult::kTimeout);
  const auto wait = [&] {
    return std::async(std::launch::async, [&] {
      size_t index = 99;
      const ChangeNotifier::WaitResult result = notifier->Wait(index, 60000);
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
