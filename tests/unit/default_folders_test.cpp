#include "database/default_folders.h"

#include <gtest/gtest.h>

#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

TEST(DefaultFolders, FillOnlyAnEmptyListWithWhatTheShellCanName) {
  MemoryEnv env;
  env.specialFolders = {{kCsidlDesktopDirectory, "D:\\Desk"}, {kCsidlPersonal, "D:\\Docs"},
                        {kCsidlFavorites, "D:\\Fav"},         {kCsidlStartMenu, "D:\\Start"},
                        {kCsidlRecent, "D:\\Recent"}};  // no common Start Menu here
  CVelnorDoc doc(env);
  AddDefaultFolders(doc);
  std::vector<std::string> got;
  for (const auto& folder : doc.CopyFolders()) {
    got.push_back(folder->m_strName + "=" + folder->m_strPath + (folder->m_bEnabled ? " on" : ""));
  }
  EXPECT_EQ(got, (std::vector<std::string>{"Desktop Directory=D:\\Desk", "My Documents=D:\\Docs",
                                           "Favorites=D:\\Fav", "Start Menu=D:\\Start on",
                                           "Recent Documents=D:\\Recent"}));

  CVelnorDoc mine(env);
  AddFolder(mine, "E:\\Mine");
  AddDefaultFolders(mine);
  ASSERT_EQ(mine.CopyFolders().size(), 1u);
}

}  // namespace
