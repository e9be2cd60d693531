// A fresh folder on the real disk for each test, and a document over the
// real platform that indexes it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "database/refresh_controller.h"
#include "database/velnor_doc.h"

namespace fs = std::filesystem;

inline fs::path FromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

inline std::string ToUtf8(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

class RealEnv : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // A name beyond ASCII: every path below it must survive the platform's calls.
    m_root = ToUtf8(fs::temp_directory_path() / FromUtf8(std::string("velnor-\xC3\xA9-") + test->name()));
    fs::remove_all(FromUtf8(m_root));
    fs::create_directories(FromUtf8(m_root));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(FromUtf8(m_root), ignored);
  }
  std::string Path(const std::string& name) const { return m_root + kPathSeparator + name; }
  static void Touch(const std::string& path) { std::ofstream(FromUtf8(path)) << "x"; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(FromUtf8(m_root))) names.push_back(ToUtf8(entry.path().filename()));
    return names;
  }
  void Refresh() {
    CVelnorDoc::FolderList folders;
    folders.push_back(std::make_unique<CFolder>("t", m_root, true, kIconStartMenu));
    m_doc.ReplaceFolders(std::move(folders));
    CRefreshController(m_doc).Refresh(RefreshKind::kUserRequested);
  }

  std::string m_root;
  CVelnorDoc m_doc{Env::Default()};
};
