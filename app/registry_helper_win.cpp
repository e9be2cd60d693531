#include "app/registry_helper_win.h"

#include <windows.h>

#include "framework/wide_text_win.h"
#include "framework/win_handles.h"

namespace {

bool SameIgnoringAsciiCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

HKEY RootKey(const std::string& name) {
  if (SameIgnoringAsciiCase(name, "HKEY_LOCAL_MACHINE")) return HKEY_LOCAL_MACHINE;
  if (SameIgnoringAsciiCase(name, "HKEY_CURRENT_USER")) return HKEY_CURRENT_USER;
  return nullptr;
}

}  // namespace

bool CRegistryHelper::SetValue(const std::string& root, const std::string& subkey,
                               const std::string& valueName, const std::string& data) {
  const HKEY rootKey = RootKey(root);
  if (!rootKey) return false;
  HKEY opened = nullptr;
  if (RegCreateKeyExW(rootKey, Utf8ToWide(subkey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &opened, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const RegistryKeyHandle key(opened);
  const std::wstring name = Utf8ToWide(valueName);
  if (data.empty()) return RegDeleteValueW(key.Get(), name.c_str()) == ERROR_SUCCESS;
  const std::wstring wide = Utf8ToWide(data);
  const DWORD bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                        bytes) == ERROR_SUCCESS;
}
