#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>

#include "framework/file_system.h"
#include "framework/wide_text_win.h"
#include "framework/win_handles.h"

const char kPathSeparator = '\\';

namespace {

class Win32FileSystem final : public FileSystem {
 public:
  ReadResult ReadWholeFile(const std::string& path, std::string& out) override {
    KernelHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) {
      const DWORD err = GetLastError();
      return (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) ? ReadResult::kNotFound
                                                                         : ReadResult::kError;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return ReadResult::kError;
    out.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < out.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(out.size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file.Get(), &out[done], chunk, &got, nullptr) || got == 0) break;
      done += got;
    }
    out.resize(done);
    return ReadResult::kOk;
  }

  bool WriteFileAtomic(const std::string& path, std::string_view data) override {
    // A name of its own per process, so two copies exiting together never
    // write into each other's temporary file.
    const std::wstring target = Utf8ToWide(path);
    const std::wstring temp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    bool ok;
    {
      KernelHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file.Valid()) return false;
      ok = true;
      size_t done = 0;
      while (ok && done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD written = 0;
        ok = WriteFile(file.Get(), data.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
      }
      ok = ok && FlushFileBuffers(file.Get());
      ok = file.Reset() && ok;
    }
    ok = ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
  }

  bool MakeDirectory(const std::string& path) override {
    const std::wstring wide = Utf8ToWide(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    const DWORD attrs = GetFileAttributesW(wide.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
  }
};

}  // namespace

FileSystem& FileSystem::Real() {
  static Win32FileSystem fs;
  return fs;
}

std::string GetModuleFilePath() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  return WideToUtf8(std::wstring_view(buf, n));
}

std::string GetUserAppDataFolder() {
  wchar_t buf[MAX_PATH];
  if (!SHGetSpecialFolderPathW(nullptr, buf, CSIDL_APPDATA, FALSE)) return std::string();
  return WideToUtf8(buf);
}
