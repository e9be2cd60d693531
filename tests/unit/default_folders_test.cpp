#include "database/default_folders.h"

#include <gtest/gtest.h>

#include <map>

#include "database/velnor_doc.h"

namespace {

class FakeShell : public ShellFolders {
 public:
  bool GetSpecialFolderPath(int csidl, std::string& path) override {
    const auto it = paths.find(csidl);
    if (it == paths.end()) return false;
    path = it->second;
    return true;
  }
  std::map<int, std::string> paths = {{0x10, "D:\\Desk"}, {0x05, "D:\\Docs"}, {0x06, "D:\\Fav"},
                                      {0x0B, "D:\\Start"}, {0x16, "C:\\All\\Start"}, {0x08, "D:\\Recent"}};
};

TEST(DefaultFolders, SixFoldersWithOnlyTheStartMenusEnabled) {
  CVelnorDoc doc;
  FakeShell shell;
  AddDefaultFolders(doc, shell);
  ASSERT_EQ(doc.m_folders.size(), 6u);
  const char* names[] = {"Desktop Directory", "My Documents", "Favorites", "Start Menu", "Common Start Menu",
                         "Recent Documents"};
  const int icons[] = {142, 141, 143, 140, 140, 139};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(doc.m_folders[i]->m_strName, names[i]);
    EXPECT_EQ(doc.m_folders[i]->m_nIconId, icons[i]);
    EXPECT_EQ(doc.m_folders[i]->m_bEnabled, i == 3 || i == 4);
  }
  EXPECT_EQ(doc.m_folders[4]->m_strPath, "C:\\All\\Start");
}

TEST(DefaultFolders, AFolderTheShellCannotNameIsSkipped) {
  CVelnorDoc doc;
  FakeShell shell;
  shell.paths.erase(0x16);
  AddDefaultFolders(doc, shell);
  ASSERT_EQ(doc.m_folders.size(), 5u);
  EXPECT_EQ(doc.m_folders[4]->m_strName, "Recent Documents");
}

TEST(DefaultFolders, AnyExistingFolderKeepsTheListAsItIs) {
  CVelnorDoc doc;
  doc.m_folders.push_back(std::make_unique<CFolder>("Mine", "E:\\Mine", true, 140));
  FakeShell shell;
  AddDefaultFolders(doc, shell);
  ASSERT_EQ(doc.m_folders.size(), 1u);
  EXPECT_EQ(doc.m_folders[0]->m_strName, "Mine");
}

}  // namespace
