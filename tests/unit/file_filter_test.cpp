// The fast filter. What a query matches is the plain rule of query_match,
// checked here by comparing the two on random documents; the examples below
// cover what only the filter's own indexes could get wrong.
#include "launcher/file_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "resultlist/compare_files.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

using Names = std::vector<std::string>;

class FilterFixture : public ::testing::Test {
 protected:
  CFileInfo* Add(const std::string& folder, const std::string& name, int uses = 0, VelnorTime last = 0) {
    return AddRecord(m_doc, folder + "\\" + name, uses, last);
  }
  Names Find(const std::string& query, MatchOptions options = {false, true}) {
    Names names;
    for (const CFileInfo* record : m_filter.Run(query, options)) names.emplace_back(record->Name());
    return names;
  }

  CVelnorDoc m_doc;
  CFileFilter m_filter{m_doc};
};

TEST_F(FilterFixture, TheLauncherOrderHoldsAndALaunchMovesTheFileAtOnce) {
  Add("C:\\x", "Beta.txt");
  Add("C:\\x", "yesterday.txt", 5, 1000);
  Add("C:\\x", "alpha.txt");
  CFileInfo* today = Add("C:\\x", "today.txt", 5, 2000);
  Add("C:\\x", "twice.txt", 2, 5000);
  Add("C:\\1", "readme.txt");
  Add("C:\\2", "README.md");  // equal titles but for case keep the map's order
  EXPECT_EQ(Find(""), (Names{"today.txt", "yesterday.txt", "twice.txt", "alpha.txt", "Beta.txt", "readme.txt",
                             "README.md"}));
  EXPECT_EQ(Find("read"), (Names{"readme.txt", "README.md"}));

  CFileInfo* beta = m_doc.FindFile("C:\\x\\Beta.txt");
  for (int i = 0; i < 5; ++i) m_filter.RecordLaunch(*beta, 3000);
  EXPECT_EQ(beta->m_nUseCount, 5);
  EXPECT_EQ(beta->m_timeLastUsed, 3000);
  EXPECT_EQ(Find("t"), (Names{"Beta.txt", "today.txt", "yesterday.txt", "twice.txt", "alpha.txt", "readme.txt"}));
  EXPECT_EQ(today->m_nUseCount, 5);
}

TEST_F(FilterFixture, AReplacedRecordIsNeverListedByItsOldPointer) {
  Add("C:\\x", "alpha.txt");
  Add("C:\\x", "beta.txt");
  ASSERT_EQ(Find(""), (Names{"alpha.txt", "beta.txt"}));
  CFileInfo* newBeta = Add("C:\\x", "beta.txt", 5, 10);  // same key: replaces the record
  const std::vector<CFileInfo*> rows = m_filter.Run("", {false, true});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], newBeta);
}

TEST(CompareFiles, HeaderClicksToggleButUsageIsNeverReversed) {
  CFileInfo a, b;
  a.SetKeyPath("C:\\z\\apple.txt");
  a.SetNameLength(9);
  b.SetKeyPath("C:\\a\\Zoo.txt");
  b.SetNameLength(7);
  SortKeys keys;
  EXPECT_LT(CompareFiles(a, b, keys.m_aSortKeys[kSortTitle]), 0);
  keys.m_aSortKeys[kSortTitle].nDirection = -1;  // the first click
  EXPECT_GT(CompareFiles(a, b, keys.m_aSortKeys[kSortTitle]), 0);
  EXPECT_GT(CompareFiles(a, b, keys.m_aSortKeys[kSortFolder]), 0);
  EXPECT_EQ(CompareFiles(a, b, keys.m_aSortKeys[kSortNone]), 0);
  a.m_nUseCount = 1;
  keys.m_aSortKeys[kSortUsage].nDirection = -1;
  EXPECT_LT(CompareFiles(a, b, keys.m_aSortKeys[kSortUsage]), 0);
}

// The rule spelled out plainly: per record, split and match, then two
// stable sorts with CompareFiles.
std::vector<CFileInfo*> Reference(const CVelnorDoc& doc, const std::string& query, const MatchOptions& options) {
  std::vector<std::string> terms;
  SplitQuery(TrimQuery(query), terms);
  std::vector<CFileInfo*> rows;
  doc.VisitFiles([&](const CFileMap& files) {
    for (const auto& record : files) {
      if (record->m_bFound && RecordMatches(*record, terms, options)) rows.push_back(record);
    }
  });
  SortKeys keys;
  for (const int key : {kSortTitle, kSortUsage}) {
    std::stable_sort(rows.begin(), rows.end(), [&](const CFileInfo* x, const CFileInfo* y) {
      return CompareFiles(*x, *y, keys.m_aSortKeys[key]) < 0;
    });
  }
  return rows;
}

// Random documents reaching every searchable field (name, path, each tag
// field) and both options, changed between queries the ways the program
// changes them: launches, rescans that lose and find files or change tags,
// and files that appear while the launcher is open.
TEST(FileFilterRandomised, AgreesWithThePlainRule) {
  std::mt19937 rng(20261206);
  const std::vector<std::string> pieces = {"a", "B", "note", "Pad", "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89",
                                           "\xD0\x94\xD0\xBE\xD0\xBC", "\xD0\xB4", "_", " ", ".", "x1", "99", "lnk",
                                           "Mix", "\xF0\x9F\x8E\xB5", "\t", "19", "Rock", "Jazz",
                                           std::string(1, kPathSeparator), "1", "2"};
  const auto randomText = [&](int maxPieces) {
    std::string s;
    const int n = 1 + static_cast<int>(rng() % maxPieces);
    for (int i = 0; i < n; ++i) s += pieces[rng() % pieces.size()];
    return s;
  };
  const auto randomTag = [&] {
    auto tag = std::make_unique<Mp3TagInfo>();
    tag->m_strTitle = randomText(2);
    tag->m_strArtist = randomText(2);
    tag->m_strAlbum = randomText(2);
    tag->m_strComment = randomText(3);
    tag->m_nYear = static_cast<int32_t>(rng() % 2100);
    tag->m_strGenre = randomText(1);
    return tag;
  };
  const auto randomPath = [&](const std::string& folder) {
    return folder + kPathSeparator + randomText(4) + (rng() % 3 ? ".lnk" : ".mp3");
  };
  for (int round = 0; round < 40; ++round) {
    CVelnorDoc doc;
    CFileFilter filter(doc);
    const int count = 50 + static_cast<int>(rng() % 300);
    std::vector<CFileInfo*> records;
    for (int i = 0; i < count; ++i) {
      auto record = MakeRecord(randomPath(JoinPath({"C:", randomText(3), std::to_string(i)})), 0,
                               static_cast<VelnorTime>(rng() % 3), rng() % 8 != 0);
      if (rng() % 3 == 0) record->m_nUseCount = static_cast<int>(rng() % 4);
      // As loaded: not named until a rescan meets it (only found records are listed).
      if (rng() % 6 == 0) record->SetNameLength(0);
      if (rng() % 3 == 0) {
        record->m_pTag = randomTag();
        record->m_bHasTag = rng() % 5 != 0;
      }
      records.push_back(AddRecord(doc, std::move(record)));
    }
    for (int q = 0; q < 30; ++q) {
      std::string query;
      const int terms = static_cast<int>(rng() % 4);
      for (int t = 0; t < terms; ++t) query += (t ? (rng() % 4 ? " " : "  ") : "") + randomText(2);
      if (rng() % 5 == 0) query = " " + query + "\t";
      const MatchOptions options{rng() % 2 == 0, rng() % 2 == 0};
      ASSERT_EQ(filter.Run(query, options), Reference(doc, query, options))
          << "round " << round << " query '" << query << "' path " << options.searchFullPath << " mp3 "
          << options.mp3Support;
      if (q % 4 == 0) {  // a launch between two keystrokes
        filter.RecordLaunch(*records[rng() % records.size()], static_cast<VelnorTime>(rng() % 3));
        continue;
      }
      if (q % 4 == 3) continue;  // the same document asked again
      std::vector<ScannedFile> batch(1);
      ScannedFile& file = batch[0];
      if (q % 4 == 1) {  // a rescan that loses one file and finds or retags another
        doc.MarkNotFound(records[rng() % records.size()]->Folder());
        file.path = std::string(records[rng() % records.size()]->Path());
        file.tagOpened = rng() % 2 == 0;
        if (file.tagOpened && rng() % 2) file.tag = randomTag();
      } else {  // a file that appears while the launcher is open
        file.path = randomPath(JoinPath({"C:", "new", std::to_string(round) + "-" + std::to_string(q)}));
      }
      file.nameLength = file.path.size() - file.path.rfind(kPathSeparator) - 1;
      doc.ApplyScannedFiles(batch);
    }
  }
}

}  // namespace
