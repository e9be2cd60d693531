#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "database/id3v1.h"

namespace {

class PosixMp3File final : public CMp3File {
 public:
  explicit PosixMp3File(int fd) : m_fd(fd) {}
  ~PosixMp3File() override { ::close(m_fd); }
  PosixMp3File(const PosixMp3File&) = delete;
  PosixMp3File& operator=(const PosixMp3File&) = delete;

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
  bool Seek(uint64_t position) override {
    return ::lseek(m_fd, static_cast<off_t>(position), SEEK_SET) >= 0;
  }
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

}  // namespace

std::unique_ptr<CMp3File> CMp3File::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixMp3File>(fd);
}
