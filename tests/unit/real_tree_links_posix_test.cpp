// Natively, a symbolic link is listed like a file and never entered, as find
// does; Linux trees hold links such as /usr/bin/X11 -> . that would index
// the same folder again at every level.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "database/velnor_doc.h"

namespace {

TEST(SymbolicLinks, AreListedButNeverEntered) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "velnor-link-test";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "sub");
  std::ofstream(root / "sub" / "a.txt") << "x";
  ASSERT_EQ(::symlink(root.c_str(), (root / "sub" / "loop").c_str()), 0);

  CVelnorDoc doc;
  doc.m_folders.push_back(std::make_unique<CFolder>("t", root.string(), true, kIconStartMenu));
  doc.RefreshDatabase(kRefreshCaption);
  EXPECT_EQ(doc.m_files.size(), 2u);
  EXPECT_NE(doc.m_files.Lookup((root / "sub" / "loop").string()), nullptr);
  std::filesystem::remove_all(root);
}

}  // namespace
