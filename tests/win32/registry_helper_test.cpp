// The registry helper against a scratch key of the current user.
#include "app/registry_helper_win.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/win32/app_fixture.h"

namespace {

constexpr char kValue[] = "Plovant Velnor";

class RegistryHelperTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteScratchRunKey(); }
  void TearDown() override { DeleteScratchRunKey(); }

  // The value as the registry holds it; false when it is absent.
  static bool Read(std::wstring& data, DWORD& type) {
    wchar_t buffer[512] = {};
    DWORD bytes = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Plovant Velnor Tests\\Run", L"Plovant Velnor",
                     RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &bytes) != ERROR_SUCCESS) {
      return false;
    }
    data = buffer;
    return true;
  }

  CRegistryHelper registry;
};

TEST_F(RegistryHelperTest, SetsAStringValueCreatingTheKey) {
  ASSERT_TRUE(registry.SetValue("HKEY_CURRENT_USER", kScratchRunKey, kValue,
                                "\"C:\\Program Files\\Plovant\\velnor.exe\""));
  std::wstring data;
  DWORD type = 0;
  ASSERT_TRUE(Read(data, type));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, L"\"C:\\Program Files\\Plovant\\velnor.exe\"");

  // Set again: replaced, not added to.
  ASSERT_TRUE(registry.SetValue("HKEY_CURRENT_USER", kScratchRunKey, kValue, "C:\\Grüße\\velnor.exe"));
  ASSERT_TRUE(Read(data, type));
  EXPECT_EQ(data, L"C:\\Gr\u00fc\u00dfe\\velnor.exe");
}

TEST_F(RegistryHelperTest, TheRootNameIgnoresLetterCase) {
  EXPECT_TRUE(registry.SetValue("hkey_current_user", kScratchRunKey, kValue, "x"));
  EXPECT_TRUE(registry.SetValue("Hkey_Current_User", kScratchRunKey, kValue, "y"));
  std::wstring data;
  DWORD type = 0;
  ASSERT_TRUE(Read(data, type));
  EXPECT_EQ(data, L"y");
}

TEST_F(RegistryHelperTest, EmptyDataDeletesAndAMissingValueIsAFailure) {
  ASSERT_TRUE(registry.SetValue("HKEY_CURRENT_USER", kScratchRunKey, kValue, "x"));
  EXPECT_TRUE(registry.SetValue("HKEY_CURRENT_USER", kScratchRunKey, kValue, ""));
  std::wstring data;
  DWORD type = 0;
  EXPECT_FALSE(Read(data, type));
  // Already gone: nothing to delete.
  EXPECT_FALSE(registry.SetValue("HKEY_CURRENT_USER", kScratchRunKey, kValue, ""));
}

TEST_F(RegistryHelperTest, AnUnknownRootWritesNothing) {
  for (const char* root : {"HKEY_CLASSES_ROOT", "HKCU", "", "HKEY_CURRENT_USERS", "HKEY_CURRENT_USE"}) {
    EXPECT_FALSE(registry.SetValue(root, kScratchRunKey, kValue, "x")) << root;
  }
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Plovant Velnor Tests", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  if (key) RegCloseKey(key);
}

}  // namespace
