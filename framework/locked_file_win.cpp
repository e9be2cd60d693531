// No sharing at all: while one process has the file, another's CreateFileW
// fails with a sharing violation and tries again.
#include <windows.h>

#include <algorithm>

#include "framework/locked_file.h"
#include "framework/wide_text_win.h"
#include "framework/win_handles.h"

namespace {

class Win32LockedFile final : public CLockedFile {
 public:
  explicit Win32LockedFile(KernelHandle file) : m_file(std::move(file)) {}

  bool ReadAll(std::string& out) override {
    out.clear();
    if (!MoveTo(0, FILE_BEGIN)) return false;
    char piece[1 << 16];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(m_file.Get(), piece, sizeof(piece), &got, nullptr)) return false;
      if (got == 0) return true;
      out.append(piece, got);
    }
  }
  bool Append(std::string_view data) override {
    return MoveTo(0, FILE_END) && WriteAll(data) && FlushFileBuffers(m_file.Get());
  }
  bool Replace(std::string_view data) override {
    return MoveTo(0, FILE_BEGIN) && WriteAll(data) && SetEndOfFile(m_file.Get()) && FlushFileBuffers(m_file.Get());
  }

 private:
  bool MoveTo(LONGLONG offset, DWORD from) {
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return SetFilePointerEx(m_file.Get(), to, nullptr, from) != FALSE;
  }
  bool WriteAll(std::string_view data) {
    for (size_t done = 0; done < data.size();) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(m_file.Get(), data.data() + done, chunk, &written, nullptr) || written == 0) return false;
      done += written;
    }
    return true;
  }

  KernelHandle m_file;
};

}  // namespace

Env::LockResult OpenPlatformLockedFile(const std::string& path, std::unique_ptr<CLockedFile>& file) {
  KernelHandle handle(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.Valid()) {
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? Env::LockResult::kBusy
                                                                              : Env::LockResult::kError;
  }
  file = std::make_unique<Win32LockedFile>(std::move(handle));
  return Env::LockResult::kOk;
}
