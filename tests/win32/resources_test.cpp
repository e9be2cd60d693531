// The resources every program of ours carries (this test program links the
// same ones as velnor.exe): manifest, version, icons, title.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "resources/velnor_version.h"

namespace {

TEST(ManifestTest, MakesUtf8TheActiveCodePage) {
  // Narrow C runtime calls then take UTF-8 and cannot lose a file name.
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
}

TEST(ManifestTest, SelectsCommonControlsVersion6) {
  // The common-controls 6 assembly redirects comctl32.dll to its own copy.
  ACTCTX_SECTION_KEYED_DATA data = {};
  data.cbSize = sizeof(data);
  ASSERT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                       L"comctl32.dll", &data));
  const HMODULE comctl = LoadLibraryW(L"comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(comctl, path, MAX_PATH);
  std::wstring lower(path);
  for (wchar_t& c : lower) c = towlower(c);
  EXPECT_NE(lower.find(L"6.0."), std::wstring::npos) << "loaded " << std::string(lower.begin(), lower.end());
}

// Read back from the process's activation context, where the system looks.
std::wstring ManifestSetting(const wchar_t* space, const wchar_t* name) {
  wchar_t value[64] = {};
  SIZE_T written = 0;
  if (!QueryActCtxSettingsW(0, nullptr, space, name, value, 64, &written)) return L"<absent>";
  return value;
}

TEST(ManifestTest, DeclaresSystemDpiAwareness) {
  EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"),
            L"true");
  EXPECT_EQ(
      ManifestSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
      L"system");
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  wchar_t* value = nullptr;
  UINT length = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) {
    return L"<absent>";
  }
  return std::wstring(value, length && value[length - 1] == 0 ? length - 1 : length);
}

TEST(VersionResourceTest, NamesTheProductAndTheBuildsVersion) {
  wchar_t self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(self, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(self, 0, size, block.data()));

  EXPECT_EQ(VersionString(block, L"ProductName"), L"Plovant Velnor");
  EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"velnor.exe");
  const std::string text = VELNOR_VERSION_TEXT;
  EXPECT_EQ(VersionString(block, L"ProductVersion"), std::wstring(text.begin(), text.end()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), static_cast<WORD>(VELNOR_VERSION_MAJOR));
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), static_cast<WORD>(VELNOR_VERSION_MINOR));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), static_cast<WORD>(VELNOR_VERSION_PATCH));
}

TEST(ProgramResourcesTest, TitleAndIconsLoad) {
  wchar_t title[64] = {};
  ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), IDS_APP_TITLE, title, 64), 0);
  EXPECT_STREQ(title, L"Plovant Velnor");

  for (const int id : {IDR_MAINFRAME, IDI_TRAY}) {
    for (const int size : {16, 32}) {
      const HICON icon = static_cast<HICON>(LoadImageW(
          GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
      ASSERT_NE(icon, nullptr) << "icon " << id << " at " << size;
      ICONINFO info = {};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP bm = {};
      GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
      EXPECT_EQ(bm.bmWidth, size) << "icon " << id;
      if (info.hbmColor) DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
}

}  // namespace
