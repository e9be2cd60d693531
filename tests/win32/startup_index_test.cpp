// Start-up fills an empty folder list with the shell's default folders and
// indexes the enabled ones before the message loop runs, with its progress
// window kept out of sight.
#include <memory>

#include "database/default_folders.h"
#include "tests/win32/app_fixture.h"
#include "tests/win32/dialog_watch.h"
#include "tests/win32/temp_tree.h"

namespace {

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What this platform's shell answers; a fresh Wine prefix has all six.
TEST(RealShellFoldersTest, TheShellNamesAllSixDefaultFolders) {
  CVelnorDoc doc;
  AddDefaultFolders(doc, ShellFolders::Real());
  ASSERT_EQ(doc.m_folders.size(), 6u);
  const char* const names[] = {"Desktop Directory", "My Documents",      "Favorites",
                               "Start Menu",        "Common Start Menu", "Recent Documents"};
  for (size_t i = 0; i < 6; ++i) {
    const CFolder& folder = *doc.m_folders[i];
    EXPECT_EQ(folder.m_strName, names[i]);
    EXPECT_EQ(folder.m_bEnabled, i == 3 || i == 4) << folder.m_strName;
    EXPECT_TRUE(IsDirectory(folder.m_strPath)) << folder.m_strPath;
  }
  // Two different Start Menus: the user's and everybody's.
  EXPECT_NE(doc.m_folders[3]->m_strPath, doc.m_folders[4]->m_strPath);
}

class StartUpIndexTest : public StartedAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(watch.Installed());
    StartedAppTest::SetUp();
  }
  DialogWatch watch;
};

TEST_F(StartUpIndexTest, AFirstStartGetsTheDefaultFoldersAndFinishesItsRefresh) {
  ASSERT_EQ(app->m_pDoc->m_folders.size(), 6u);
  EXPECT_EQ(app->m_pDoc->m_folders[3]->m_strName, "Start Menu");
  EXPECT_FALSE(app->m_pDoc->m_bRefreshing);
  EXPECT_EQ(app->m_pDoc->m_pRefreshDlg, nullptr);
  EXPECT_EQ(watch.CountTitled(L"Initialize Database - Plovant Velnor"), 1);
  EXPECT_EQ(watch.CountTitled(L"Initialize Database - Plovant Velnor", true), 0);
}

class UserFolderStartTest : public StartUpIndexTest {
 protected:
  void Seed(CVelnorDoc& seed) override {
    tree.AddFile("a.txt");
    tree.AddFolder("Sub");
    tree.AddFile("Sub\\c.lnk");
    seed.m_folders.push_back(std::make_unique<CFolder>("Mine", tree.Root(), true, 140));
  }
  TempTree tree{"velnor-startup"};
};

TEST_F(UserFolderStartTest, AUserFolderAloneGetsNoDefaultsAndIsIndexedUnseen) {
  ASSERT_EQ(app->m_pDoc->m_folders.size(), 1u);
  const CFileInfo* a = app->m_pDoc->m_files.Lookup(tree.Path("a.txt"));
  const CFileInfo* c = app->m_pDoc->m_files.Lookup(tree.Path("Sub\\c.lnk"));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(a->m_bFound);
  EXPECT_TRUE(c->m_bFound);
  EXPECT_EQ(c->m_strTitle, "c");
  EXPECT_EQ(c->m_strFolder, tree.Path("Sub"));
  EXPECT_EQ(app->m_pDoc->m_files.size(), 2u);
  EXPECT_EQ(watch.CountTitled(L"Initialize Database - Plovant Velnor"), 1);
  EXPECT_EQ(watch.CountTitled(L"Initialize Database - Plovant Velnor", true), 0);
}

}  // namespace
