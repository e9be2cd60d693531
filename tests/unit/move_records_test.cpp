// A moved folder's records and folder entries follow it, matched as Windows
// matches paths, and a record already at the new place merges.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/velnor_doc.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

const std::string kOld = JoinPath({"C:", "Docs"});
const std::string kNew = JoinPath({"D:", "Moved"});

TEST(MoveRecords, RecordsAtOrUnderTheFolderMoveAndMergeInPlace) {
  MemoryEnv env;
  CVelnorDoc doc(env);
  AddRecord(doc, JoinPath({"C:", "Docs", "a.txt"}), 3, 40);
  AddRecord(doc, JoinPath({"C:", "Docs2", "b.txt"}), 1, 1);        // a sibling, not below
  AddRecord(doc, JoinPath({"C:", "docs", "Sub", "c.txt"}), 2, 2);  // other case, same folder
  AddRecord(doc, kOld, 4, 4);                                      // the folder's own path
  AddRecord(doc, JoinPath({"D:", "Moved", "a.txt"}), 2, 50);       // scanned at the new place

  const MoveReport report = doc.MoveRecords(kOld, kNew);
  EXPECT_EQ(report.records, 3u);
  const struct {
    std::string key;
    int uses;
    VelnorTime lastUsed;
  } expected[] = {
      {JoinPath({"D:", "Moved", "a.txt"}), 5, 50},
      {JoinPath({"C:", "Docs2", "b.txt"}), 1, 1},
      {JoinPath({"D:", "Moved", "Sub", "c.txt"}), 2, 2},
      {kNew, 4, 4},
  };
  std::vector<std::string> keys;
  for (const auto& e : expected) {
    keys.push_back(e.key);
    const CFileInfo* record = doc.FindFile(e.key);
    ASSERT_NE(record, nullptr) << e.key;
    EXPECT_EQ(record->UseCount(), e.uses) << e.key;
    EXPECT_EQ(record->LastUsed(), e.lastUsed) << e.key;
  }
  EXPECT_EQ(Keys(doc), keys);
}

TEST(MoveRecords, FolderEntriesMoveAndOneAlreadyListedThereStays) {
  MemoryEnv env;
  CVelnorDoc doc(env);
  AddFolder(doc, kOld);
  AddFolder(doc, std::make_unique<CFolder>("Music", JoinPath({"C:", "DOCS", "Music"}), true, kIconMyDocuments));
  AddFolder(doc, JoinPath({"C:", "Docs2"}));
  AddFolder(doc, std::make_unique<CFolder>("Mine", JoinPath({"D:", "Moved", "music"}), false, kIconStartMenu));

  EXPECT_EQ(doc.MoveRecords(kOld + kPathSeparator, kNew).folders, 2u);
  const CVelnorDoc::FolderList folders = doc.CopyFolders();
  std::vector<std::string> listed;
  for (const auto& folder : folders) listed.push_back(folder->m_strName + "=" + folder->m_strPath);
  const std::string sibling = JoinPath({"C:", "Docs2"});
  EXPECT_EQ(listed, (std::vector<std::string>{kNew + "=" + kNew, sibling + "=" + sibling,
                                              "Mine=" + JoinPath({"D:", "Moved", "music"})}));
}

}  // namespace
