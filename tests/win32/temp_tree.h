// A real folder tree under the temporary folder, removed again at the end.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/wide_text_win.h"

class TempTree {
 public:
  explicit TempTree(const std::string& name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    m_root = WideToUtf8(temp) + name + "-" + std::to_string(GetCurrentProcessId());
    Remove();
    EXPECT_TRUE(CreateDirectoryW(Utf8ToWide(m_root).c_str(), nullptr));
  }
  ~TempTree() { Remove(); }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& Root() const { return m_root; }
  std::string Path(const std::string& relative) const { return m_root + "\\" + relative; }

  void AddFolder(const std::string& relative) const {
    EXPECT_TRUE(CreateDirectoryW(Utf8ToWide(Path(relative)).c_str(), nullptr));
  }
  void AddFile(const std::string& relative) const {
    const HANDLE h = CreateFileW(Utf8ToWide(Path(relative)).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }

 private:
  void Remove() const {
    // The shell's delete wants a double-NUL-terminated list.
    std::wstring from = Utf8ToWide(m_root);
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    if (GetFileAttributesW(Utf8ToWide(m_root).c_str()) != INVALID_FILE_ATTRIBUTES) SHFileOperationW(&op);
  }

  std::string m_root;
};
