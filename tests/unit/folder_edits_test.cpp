#include "folders/folder_edits.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "database/default_folders.h"
#include "framework/path_prefix.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

using Strings = std::vector<std::string>;

TEST(FolderRules, SamePathsAndMenuStates) {
  const std::string music = JoinPath({"C:", "Music"});
  // The key agrees with the comparison, both ways.
  for (const auto& [other, same] : {std::pair{JoinPath({"C:", "MUSIC"}) + kPathSeparator, true},
                                    {JoinPath({"c:", "mUsic"}), true}, {music + "s", false},
                                    {music + kPathSeparator + kPathSeparator, false}, {JoinPath({"C:", "Müsic"}), false}}) {
    EXPECT_EQ(SameFolderPath(music, other), same) << other;
    EXPECT_EQ(FolderPathKey(music) == FolderPathKey(other), same) << other;
  }
  for (const auto& [row, explore, remove] : {std::tuple{-1, false, false}, {0, true, false}, {5, true, false},
                                             {6, true, true}}) {
    const FolderMenuStates states = FolderMenuStatesFor(row);
    EXPECT_TRUE(states.explore == explore && states.rename == explore && states.remove == remove) << row;
  }
}

// A default set without a common Start Menu, a filler and two folders of the user's.
class FolderEdits : public ::testing::Test {
 protected:
  FolderEdits() {
    m_env.specialFolders = {{kCsidlDesktopDirectory, "D:\\Desk"}, {kCsidlPersonal, "D:\\Docs"},
                            {kCsidlFavorites, "D:\\Fav"},         {kCsidlStartMenu, "D:\\Start"},
                            {kCsidlRecent, "D:\\Recent"}};
    AddDefaultFolders(m_doc);
    AddFolder(m_doc, JoinPath({"E:", "Filler"}));  // the sixth row, as a machine with every default has it
    AddFolder(m_doc, JoinPath({"E:", "Music"}));
    AddFolder(m_doc, JoinPath({"E:", "Books"}), false);
  }
  Strings Rows() const {
    Strings rows;
    for (const auto& f : m_doc.CopyFolders()) rows.push_back(f->m_strName + (f->m_bEnabled ? " on" : ""));
    return rows;
  }

  MemoryEnv m_env;
  CVelnorDoc m_doc{m_env};
  CFolderEdits m_edits{m_doc};
};

TEST_F(FolderEdits, OnlyRowsAfterTheSixthAreRemovedAndTheRowAboveIsSelectedThen) {
  int select = 99;
  for (int row : {-1, 0, 5, 8}) EXPECT_FALSE(m_edits.Remove(row, select)) << row;
  EXPECT_FALSE(m_edits.FoldersChanged());
  ASSERT_TRUE(m_edits.Remove(7, select));
  EXPECT_EQ(select, 6);
  EXPECT_EQ(Rows().back(), JoinPath({"E:", "Music"}) + " on");
  EXPECT_TRUE(m_edits.FoldersChanged());
}

TEST_F(FolderEdits, ARenameAloneNeedsNoRefreshButATogglePairDoes) {
  m_edits.Rename(6, "");  // an empty name is a name
  EXPECT_EQ(Rows()[6], " on");
  EXPECT_FALSE(m_edits.FoldersChanged());
  m_edits.Toggle(7);
  m_edits.Toggle(7);
  EXPECT_EQ(Rows()[7], JoinPath({"E:", "Books"}));
  EXPECT_TRUE(m_edits.FoldersChanged());
}

TEST_F(FolderEdits, AddRefusesAListedFolderAndAppendsANewOneEnabled) {
  EXPECT_FALSE(m_edits.Add(JoinPath({"e:", "MUSIC"}) + kPathSeparator));
  EXPECT_FALSE(m_edits.FoldersChanged());
  const std::string films = JoinPath({"E:", "Films"});
  ASSERT_TRUE(m_edits.Add(films));
  const CFolder added = *m_doc.CopyFolders().back();
  EXPECT_TRUE(added.m_strName == films && added.m_strPath == films && added.m_bEnabled);
  EXPECT_EQ(added.m_nIconId, kIconStartMenu);
  EXPECT_TRUE(m_edits.FoldersChanged());
}

TEST_F(FolderEdits, ResetKeepsOnlyTheDefaultsThatExistInTheirOrderAndStates) {
  m_edits.Toggle(0);
  m_edits.Reset();
  EXPECT_EQ(Rows(), (Strings{"Desktop Directory", "My Documents", "Favorites", "Start Menu on", "Recent Documents"}));
  EXPECT_TRUE(m_edits.FoldersChanged());
}

}  // namespace
