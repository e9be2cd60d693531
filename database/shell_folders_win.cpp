#include <windows.h>
#include <shlobj.h>

#include "database/default_folders.h"
#include "framework/wide_text_win.h"

namespace {

class Win32ShellFolders final : public ShellFolders {
 public:
  bool GetSpecialFolderPath(int csidl, std::string& path) override {
    wchar_t buffer[MAX_PATH];
    if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return false;
    path = WideToUtf8(buffer);
    return true;
  }
};

}  // namespace

ShellFolders& ShellFolders::Real() {
  static Win32ShellFolders shell;
  return shell;
}
