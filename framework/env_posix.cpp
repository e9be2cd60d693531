// The real services outside Windows: enough for the command-line tool, the
// tests and the benchmarks. There is no shell, no message queue and no
// progress window here.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "framework/env.h"
#include "framework/locked_file.h"

const char kPathSeparator = '/';

namespace {

class PosixSearch final : public DirectorySearch {
 public:
  PosixSearch(DIR* dir, std::string folder) : m_dir(dir), m_folder(std::move(folder)) {}
  ~PosixSearch() override { ::closedir(m_dir); }
  PosixSearch(const PosixSearch&) = delete;
  PosixSearch& operator=(const PosixSearch&) = delete;

  bool Next(DirectoryEntry& entry) override {
    const dirent* e = ::readdir(m_dir);
    if (e == nullptr) return false;
    entry.name = e->d_name;
    entry.isLink = false;  // a link is never listed as a folder here (below)
    if (e->d_type == DT_DIR) {
      entry.isDirectory = true;
    } else if (e->d_type == DT_UNKNOWN) {
      struct stat st;
      entry.isDirectory = ::lstat((m_folder + entry.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    } else {
      // Symbolic links are listed, never entered, as find does: Linux trees
      // hold links such as /usr/bin/X11 -> . whose every level would be
      // indexed again up to the path limit.
      entry.isDirectory = false;
    }
    return true;
  }

 private:
  DIR* m_dir;
  std::string m_folder;
};

class PosixFile final : public CFile {
 public:
  explicit PosixFile(int fd) : m_fd(fd) {}
  ~PosixFile() override { ::close(m_fd); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  bool GetLength(uint64_t& length) override {
    struct stat st;
    if (::fstat(m_fd, &st) != 0) return false;
    length = static_cast<uint64_t>(st.st_size);
    return true;
  }
  bool GetPosition(uint64_t& position) override {
    const off_t at = ::lseek(m_fd, 0, SEEK_CUR);
    if (at < 0) return false;
    position = static_cast<uint64_t>(at);
    return true;
  }
  bool Seek(uint64_t position) override { return ::lseek(m_fd, static_cast<off_t>(position), SEEK_SET) >= 0; }
  size_t Read(void* buffer, size_t count) override {
    size_t done = 0;
    while (done < count) {
      const ssize_t n = ::read(m_fd, static_cast<char*>(buffer) + done, count - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    return done;
  }

 private:
  int m_fd;
};

// A descriptor for reading `path`, or -1 when it cannot be opened or is not
// a regular file. A FIFO named like a song would block a plain open until
// some writer came, and a device may never end a read; O_NONBLOCK returns at
// once for both (and changes nothing for a regular file), and the type is
// checked before anything is read.
int OpenRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

class PosixEnv final : public Env {
 public:
  std::unique_ptr<DirectorySearch> OpenDirectory(const std::string& folder) override {
    if (!FitsSearchPathLimit(folder)) return nullptr;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return nullptr;
    return std::make_unique<PosixSearch>(dir, folder);
  }

  bool GetFolderIdentity(const std::string& folder, FolderIdentity& id) override {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) return false;
    id.volume = static_cast<uint64_t>(st.st_dev);
    id.file = static_cast<uint64_t>(st.st_ino);
    return true;
  }

  std::unique_ptr<CFile> OpenFile(const std::string& path) override {
    const int fd = OpenRegularFile(path);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFile>(fd);
  }

  // No short names here: what does not fit stays out, as on a Windows volume
  // without them, so the tool lists what the program could open.
  bool CanOpenPath(const std::string& path) override { return FitsPathLimit(path); }

  ReadResult ReadWholeFile(const std::string& path, std::string& out) override {
    // Never blocks: a FIFO is opened and then refused below, as every file
    // that is not a regular one is.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? ReadResult::kNotFound : ReadResult::kError;
    struct stat st;
    ReadResult result = ReadResult::kError;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
      out.resize(static_cast<size_t>(st.st_size));
      size_t done = 0;
      while (done < out.size()) {
        const ssize_t n = ::read(fd, &out[done], out.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      // A read that failed, or a file cut short while it was read, is not
      // the file.
      if (done == out.size()) result = ReadResult::kOk;
    }
    ::close(fd);
    return result;
  }

  bool WriteFileAtomic(const std::string& path, std::string_view data) override {
    const std::string temp = AtomicWriteTemporary(path, static_cast<uint32_t>(::getpid()));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < data.size()) {
      const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ok = false; else done += static_cast<size_t>(n);
    }
    ok = ok && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
  }

  std::string ModuleFilePath() override {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
  }
  LockResult OpenLockedFile(const std::string& path, std::unique_ptr<CLockedFile>& file) override {
    return OpenPlatformLockedFile(path, file);
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    // A second name first: unlike rename(), link() never replaces a file.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    if (::unlink(from.c_str()) == 0) return true;
    ::unlink(to.c_str());
    return false;
  }
  bool RemoveFile(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

  bool MakeDirectory(const std::string& path) override {
    if (::mkdir(path.c_str(), 0755) == 0) return true;
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool GetSpecialFolderPath(int csidl, std::string& path) override {
    // Only the application-data folder has a counterpart here; the tool
    // indexes just the folders it is given.
    if (csidl != kCsidlAppData) return false;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
      path = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
      path = std::string(home) + "/.config";
    } else {
      return false;
    }
    return true;
  }

  intptr_t ShellLaunch(const std::string&, const std::string&, void*) override {
    return 0;  // no shell to hand anything to: refused
  }
  intptr_t ShellLaunchQuietly(const std::string&) override { return 0; }

  int64_t Now() override { return static_cast<int64_t>(std::time(nullptr)); }
  CalendarTime ToLocalTime(VelnorTime time) override {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local = {};
    if (!::localtime_r(&t, &local)) return UtcCalendar(time);
    CalendarTime out;
    out.year = local.tm_year + 1900;
    out.month = local.tm_mon + 1;
    out.day = local.tm_mday;
    out.hour = local.tm_hour;
    out.minute = local.tm_min;
    out.second = local.tm_sec;
    return out;
  }
  void Pause(uint32_t milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
  uint64_t TickCount() override {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  }
  void PumpMessages() override {}
  std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string&) override { return nullptr; }
  // The tools that run here index on demand and never stay resident.
  std::unique_ptr<ChangeNotifier> CreateChangeNotifier() override { return nullptr; }
};

}  // namespace

Env& Env::Default() {
  static PosixEnv env;
  return env;
}
