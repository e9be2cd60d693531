// A folder link that leads back into its own tree is followed, as Windows
// follows a junction, until the path limit ends it.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "database/velnor_doc.h"
#include "framework/directory_search.h"

namespace {

TEST(FolderLinks, ALoopEndsAtThePathLimit) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "velnor-loop-test";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root);
  std::ofstream(root / "a.txt") << "x";
  ASSERT_EQ(::symlink(root.c_str(), (root / "loop").c_str()), 0);

  CVelnorDoc doc;
  doc.m_folders.push_back(std::make_unique<CFolder>("t", root.string(), true, kIconStartMenu));
  doc.RefreshDatabase(kRefreshCaption);

  // a.txt once per level: root/a.txt, root/loop/a.txt, root/loop/loop/a.txt...
  size_t deepest = 0;
  for (const auto& record : doc.m_files) {
    EXPECT_EQ(record->m_strName, "a.txt");
    deepest = std::max(deepest, record->m_strPath.size());
  }
  EXPECT_GT(doc.m_files.size(), 10u);
  EXPECT_LT(deepest, kMaxPathUnits);
  std::filesystem::remove_all(root);
}

}  // namespace
