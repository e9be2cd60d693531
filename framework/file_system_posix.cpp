#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "framework/file_system.h"

const char kPathSeparator = '/';

namespace {

class PosixFileSystem final : public FileSystem {
 public:
  ReadResult ReadWholeFile(const std::string& path, std::string& out) override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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
      out.resize(done);  // a file that shrank while read is read as it is now
      result = ReadResult::kOk;
    }
    ::close(fd);
    return result;
  }

  bool WriteFileAtomic(const std::string& path, std::string_view data) override {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(&temp[0]);
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

  bool MakeDirectory(const std::string& path) override {
    if (::mkdir(path.c_str(), 0755) == 0) return true;
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
};

}  // namespace

FileSystem& FileSystem::Real() {
  static PosixFileSystem fs;
  return fs;
}

std::string GetModuleFilePath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string GetUserAppDataFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return xdg;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config";
  return std::string();
}
