// The platform in memory, for tests: a folder tree with file contents
// (folders list "." and ".." first, as Windows does for every folder that is
// not a drive root) and links to folders, special folders, a shell that
// records what it is given, a clock and a time zone the test sets, a message
// pump that counts, and progress windows that log what the refresh does with
// them.
//
// What Env lets other threads call is safe here while the tree stands still:
// the test changes it only while no other thread lists it (watcher tests
// wait until the watcher is idle; a hook runs under a lock).
#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/env.h"
#include "tests/unit/fake_notifier.h"

// Natively only a path from "/" is absolute: there a drive is the first
// folder below the root ("/C:/Docs"), and the same tests run on both.
inline std::string JoinPath(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& part : parts) {
    if (!out.empty()) {
      out += kPathSeparator;
    } else if (kPathSeparator == '/' && part.compare(0, 1, "/") != 0) {
      out += '/';
    }
    out += part;
  }
  return out;
}

class MemoryEnv : public Env {
 public:
  MemoryEnv() {
    notifications.exists = [this](const std::string& folder) { return m_children.count(folder) != 0; };
  }
  // Adds a file (and every folder above it) by its full path.
  void AddFile(const std::string& path, std::string contents = "") {
    const size_t cut = path.rfind(kPathSeparator);
    AddFolder(path.substr(0, cut));
    if (!m_contents.count(path)) m_children[path.substr(0, cut)].push_back({path.substr(cut + 1), false});
    m_contents[path] = std::move(contents);
  }
  void AddFolder(const std::string& path) {
    if (m_children.count(path)) return;
    m_children[path];
    m_serials[path] = ++m_lastSerial;  // a folder made again is another folder
    const size_t cut = path.rfind(kPathSeparator);
    if (cut != std::string::npos && cut > 0) {
      AddFolder(path.substr(0, cut));
      m_children[path.substr(0, cut)].push_back({path.substr(cut + 1), true});
    }
  }
  // Deletes a folder and everything in it; a rename is this and AddFile.
  void RemoveFolder(const std::string& path) {
    const auto below = [&](const std::string& p) {
      return p == path || p.compare(0, path.size() + 1, path + kPathSeparator) == 0;
    };
    std::erase_if(m_children, [&](const auto& e) { return below(e.first); });
    std::erase_if(m_serials, [&](const auto& e) { return below(e.first); });
    std::erase_if(m_contents, [&](const auto& e) { return below(e.first); });
    const size_t cut = path.rfind(kPathSeparator);
    std::erase_if(m_children[path.substr(0, cut)],
                  [&](const DirectoryEntry& e) { return e.name == path.substr(cut + 1); });
  }
  // A link at `path` to the folder `target`, as a junction is: listed as a
  // folder, it lists what the target holds and has the target's identity.
  void AddFolderLink(const std::string& path, const std::string& target) {
    AddFolder(target);
    const size_t cut = path.rfind(kPathSeparator);
    AddFolder(path.substr(0, cut));
    m_children[path.substr(0, cut)].push_back({path.substr(cut + 1), true, true});
    m_links[path] = target;
  }

  const std::string* Contents(const std::string& path) const {
    const auto it = m_contents.find(path);
    return it == m_contents.end() ? nullptr : &it->second;
  }

  std::unique_ptr<DirectorySearch> OpenDirectory(const std::string& folder) override {
    if (onOpenDirectory) {
      std::lock_guard<std::mutex> hold(m_hookLock);  // a refresh counts on a second thread
      onOpenDirectory(folder);
    }
    if (!FitsSearchPathLimit(folder)) return nullptr;
    const auto it = m_children.find(Resolve(folder));
    if (it == m_children.end()) return nullptr;
    std::vector<DirectoryEntry> entries = {{".", true}, {"..", true}};
    entries.insert(entries.end(), it->second.begin(), it->second.end());
    return std::make_unique<Search>(std::move(entries));
  }
  bool GetFolderIdentity(const std::string& folder, FolderIdentity& id) override {
    ++identityLookups;
    const std::string real = Resolve(folder);
    if (!m_children.count(real)) return false;
    id.file = m_serials.at(real);
    return true;
  }
  std::unique_ptr<CFile> OpenFile(const std::string& path) override {
    {
      std::lock_guard<std::mutex> hold(m_hookLock);  // a rescan beside a refresh's scan
      opened.push_back(path);
    }
    const std::string* contents = Contents(path);
    return contents ? std::make_unique<MemoryFile>(*contents) : nullptr;
  }
  bool CanOpenPath(const std::string& path) override { return FitsPathLimit(path) || shortNamed.count(path) != 0; }
  ReadResult ReadWholeFile(const std::string& path, std::string& out) override {
    const std::string* contents = Contents(path);
    if (!contents) return ReadResult::kNotFound;
    out = *contents;
    return ReadResult::kOk;
  }
  bool WriteFileAtomic(const std::string& path, std::string_view data) override {
    AddFile(path, std::string(data));
    return true;
  }
  LockResult OpenLockedFile(const std::string& path, std::unique_ptr<CLockedFile>& file) override {
    if (m_held.count(path)) return LockResult::kBusy;
    if (!Contents(path)) AddFile(path);
    file = std::make_unique<LockedFile>(*this, path);
    return LockResult::kOk;
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    if (!Contents(from) || Contents(to)) return false;
    AddFile(to, *Contents(from));
    RemoveFile(from);
    return true;
  }
  bool RemoveFile(const std::string& path) override {
    if (!Contents(path)) return false;
    const size_t cut = path.rfind(kPathSeparator);
    auto& list = m_children[path.substr(0, cut)];
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const DirectoryEntry& e) { return e.name == path.substr(cut + 1); }),
               list.end());
    m_contents.erase(path);
    return true;
  }
  bool MakeDirectory(const std::string& path) override {
    AddFolder(path);
    return true;
  }
  bool GetSpecialFolderPath(int csidl, std::string& path) override {
    const auto it = specialFolders.find(csidl);
    if (it == specialFolders.end()) return false;
    path = it->second;
    return true;
  }
  intptr_t ShellLaunch(const std::string& target, const std::string& verb, void*) override {
    launches.push_back(verb.empty() ? target : verb + " " + target);
    return shellAccepts(target) ? 42 : 2;
  }
  intptr_t ShellLaunchQuietly(const std::string& target) override { return ShellLaunch(target, "", nullptr); }
  int64_t Now() override { return now; }
  CalendarTime ToLocalTime(VelnorTime time) override { return UtcCalendar(time, utcOffset); }
  uint64_t TickCount() override { return ticks += tickStep; }
  void Pause(uint32_t milliseconds) override { paused.push_back(milliseconds); }
  void PumpMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) override {
    log.push_back("create " + caption);
    return std::make_unique<LoggingWindow>(log);
  }

  std::unique_ptr<ChangeNotifier> CreateChangeNotifier() override { return notifications.Create(); }
  std::string ModuleFilePath() override { return modulePath; }

  std::map<int, std::string> specialFolders;
  std::string modulePath;             // the program's path; empty: the platform cannot say
  FakeNotifications notifications;
  std::vector<std::string> opened;    // files opened for reading, in order
  std::set<std::string> shortNamed;   // paths past MAX_PATH whose short form fits
  std::vector<std::string> launches;  // what the shell was given, "verb target" or the target
  std::function<bool(const std::string&)> shellAccepts = [](const std::string&) { return true; };
  int64_t now = 1700000000;
  int64_t utcOffset = 0;              // the time zone, in seconds east of UTC
  std::atomic<uint64_t> ticks{0};     // the watcher's thread looks too
  std::atomic<uint64_t> tickStep{0};  // how far the clock moves at every look
  int pumps = 0;
  std::vector<uint32_t> paused;       // every pause asked for, in order
  std::atomic<int> identityLookups{0};  // folder identities asked for
  std::function<void()> onPump;
  std::function<void(const std::string&)> onOpenDirectory;  // before the folder is listed
  std::vector<std::string> log;       // what refreshes did with their windows

  // An open file over bytes in memory.
  class MemoryFile : public CFile {
   public:
    explicit MemoryFile(std::string bytes) : m_bytes(std::move(bytes)) {}
    bool GetLength(uint64_t& length) override {
      length = m_bytes.size();
      return true;
    }
    bool GetPosition(uint64_t& position) override {
      position = m_position;
      return true;
    }
    bool Seek(uint64_t position) override {
      m_position = position;
      return true;
    }
    size_t Read(void* buffer, size_t count) override {
      if (m_position >= m_bytes.size()) return 0;
      const size_t n = std::min<size_t>(count, m_bytes.size() - static_cast<size_t>(m_position));
      std::copy_n(m_bytes.data() + m_position, n, static_cast<char*>(buffer));
      m_position += n;
      return n;
    }

   private:
    std::string m_bytes;
    uint64_t m_position = 0;
  };

 private:
  // Held in this env's map of contents until closed; a second opening
  // meanwhile is busy, as another process's would be.
  class LockedFile : public CLockedFile {
   public:
    LockedFile(MemoryEnv& env, std::string path) : m_env(env), m_path(std::move(path)) { m_env.m_held.insert(m_path); }
    ~LockedFile() override { m_env.m_held.erase(m_path); }
    bool ReadAll(std::string& out) override {
      out = m_env.m_contents[m_path];
      return true;
    }
    bool Append(std::string_view data) override {
      m_env.m_contents[m_path].append(data);
      return true;
    }
    bool Replace(std::string_view data) override {
      m_env.m_contents[m_path] = std::string(data);
      return true;
    }

   private:
    MemoryEnv& m_env;
    std::string m_path;
  };

  // The folder a path ending with the separator leads to, each link on the
  // way replaced by its target.
  std::string Resolve(const std::string& folder) const {
    std::string real;
    for (size_t start = 0; start < folder.size();) {
      const size_t end = std::min(folder.find(kPathSeparator, start), folder.size());
      if (start > 0) real += kPathSeparator;
      real.append(folder, start, end - start);
      const auto link = m_links.find(real);
      if (link != m_links.end()) real = link->second;
      start = end + 1;
    }
    return real;
  }

  class Search : public DirectorySearch {
   public:
    explicit Search(std::vector<DirectoryEntry> entries) : m_entries(std::move(entries)) {}
    bool Next(DirectoryEntry& entry) override {
      if (m_next == m_entries.size()) return false;
      entry = m_entries[m_next++];
      return true;
    }

   private:
    std::vector<DirectoryEntry> m_entries;
    size_t m_next = 0;
  };

  class LoggingWindow : public ProgressWindow {
   public:
    explicit LoggingWindow(std::vector<std::string>& log) : m_log(log) {}
    ~LoggingWindow() override { m_log.push_back("destroy after " + std::to_string(m_steps) + " steps"); }
    void SetRange(uint32_t count) override { m_log.push_back("range " + std::to_string(count)); }
    void Show(bool visible) override { m_log.push_back(visible ? "show" : "hide"); }
    void StepIt() override { ++m_steps; }
    void StepBy(uint32_t steps) override { m_steps += static_cast<int>(steps); }
    void ShowAndActivate() override { m_log.push_back("activate"); }

   private:
    std::vector<std::string>& m_log;
    int m_steps = 0;
  };

  std::mutex m_hookLock;
  std::map<std::string, std::vector<DirectoryEntry>> m_children;
  std::map<std::string, std::string> m_contents;
  std::map<std::string, uint64_t> m_serials;  // each folder's identity
  uint64_t m_lastSerial = 0;
  std::map<std::string, std::string> m_links;  // link path -> target folder
  std::set<std::string> m_held;                // locked files open now
};
