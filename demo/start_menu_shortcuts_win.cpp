// start_menu_shortcuts NAME TARGET [NAME TARGET ...]: writes real shell
// links into the user's Start Menu (its Programs folder), the way an
// installer would, so a new Wine prefix has programs to find. NAME is the
// link's place under Programs without ".lnk" ("Accessories\Notepad"); TARGET
// the program's full path. Exit status: 0 all written, 1 one failed, 2 usage.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "framework/win_handles.h"

namespace {

class ComApartment {
 public:
  ComApartment() : m_ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (m_ok) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool ok() const { return m_ok; }

 private:
  bool m_ok;
};

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool WriteLink(const std::wstring& link, const std::wstring& target) {
  ComPtr<IShellLinkW> shellLink;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(shellLink.Put())))) {
    return false;
  }
  // Started from the program's own folder, as Windows' own shortcuts are;
  // Wine's links otherwise default to a hidden window.
  if (FAILED(shellLink->SetPath(target.c_str())) ||
      FAILED(shellLink->SetWorkingDirectory(FolderOf(target).c_str())) ||
      FAILED(shellLink->SetShowCmd(SW_SHOWNORMAL))) {
    return false;
  }
  ComPtr<IPersistFile> file;
  if (FAILED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put())))) return false;
  const int made = SHCreateDirectoryExW(nullptr, FolderOf(link).c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS) return false;
  return SUCCEEDED(file->Save(link.c_str(), TRUE));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || argc % 2 == 0) {
    std::fprintf(stderr, "usage: start_menu_shortcuts NAME TARGET [NAME TARGET ...]\n");
    return 2;
  }
  ComApartment com;
  wchar_t programs[MAX_PATH] = {};
  if (!com.ok() || FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs))) {
    std::fprintf(stderr, "no Start Menu to write to\n");
    return 1;
  }
  int status = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring link = std::wstring(programs) + L"\\" + argv[i] + L".lnk";
    if (!WriteLink(link, argv[i + 1])) {
      std::fwprintf(stderr, L"could not write %ls\n", link.c_str());
      status = 1;
    }
  }
  return status;
}
