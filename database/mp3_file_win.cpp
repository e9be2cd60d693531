#include <windows.h>

#include "database/id3v1.h"
#include "framework/wide_text_win.h"

namespace {

class Win32Mp3File final : public CMp3File {
 public:
  explicit Win32Mp3File(HANDLE file) : m_file(file) {}
  ~Win32Mp3File() override { CloseHandle(m_file); }
  Win32Mp3File(const Win32Mp3File&) = delete;
  Win32Mp3File& operator=(const Win32Mp3File&) = delete;

  bool GetLength(uint64_t& length) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_file, &size)) return false;
    length = static_cast<uint64_t>(size.QuadPart);
    return true;
  }
  bool GetPosition(uint64_t& position) override {
    LARGE_INTEGER zero{}, at{};
    if (!SetFilePointerEx(m_file, zero, &at, FILE_CURRENT)) return false;
    position = static_cast<uint64_t>(at.QuadPart);
    return true;
  }
  bool Seek(uint64_t position) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(m_file, to, nullptr, FILE_BEGIN) != FALSE;
  }
  size_t Read(void* buffer, size_t count) override {
    DWORD got = 0;
    if (!ReadFile(m_file, buffer, static_cast<DWORD>(count), &got, nullptr)) return 0;
    return got;
  }

 private:
  HANDLE m_file;
};

}  // namespace

std::unique_ptr<CMp3File> CMp3File::Open(const std::string& path) {
  // Shared fully: a player may have the file open, and the scan only peeks.
  const HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32Mp3File>(file);
}
