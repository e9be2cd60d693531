// An advisory lock (flock) keeps other processes out: enough between copies
// of this program and its tool, which all take it.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "framework/locked_file.h"

namespace {

bool WriteAllAt(int fd, std::string_view data, off_t at) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, at + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

class PosixLockedFile final : public CLockedFile {
 public:
  explicit PosixLockedFile(int fd) : m_fd(fd) {}
  ~PosixLockedFile() override { ::close(m_fd); }  // closing lets the lock go
  PosixLockedFile(const PosixLockedFile&) = delete;
  PosixLockedFile& operator=(const PosixLockedFile&) = delete;

  bool ReadAll(std::string& out) override {
    out.clear();
    char piece[1 << 16];
    for (off_t at = 0;;) {
      const ssize_t n = ::pread(m_fd, piece, sizeof(piece), at);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) return true;
      out.append(piece, static_cast<size_t>(n));
      at += n;
    }
  }
  bool Append(std::string_view data) override {
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    return end >= 0 && WriteAllAt(m_fd, data, end) && ::fdatasync(m_fd) == 0;
  }
  bool Replace(std::string_view data) override {
    return WriteAllAt(m_fd, data, 0) && ::ftruncate(m_fd, static_cast<off_t>(data.size())) == 0 &&
           ::fdatasync(m_fd) == 0;
  }

 private:
  int m_fd;
};

}  // namespace

Env::LockResult OpenPlatformLockedFile(const std::string& path, std::unique_ptr<CLockedFile>& file) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return Env::LockResult::kError;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? Env::LockResult::kBusy : Env::LockResult::kError;
  }
  file = std::make_unique<PosixLockedFile>(fd);
  return Env::LockResult::kOk;
}
