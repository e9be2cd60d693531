#include "launcher/file_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "database/velnor_doc.h"
#include "resultlist/compare_files.h"

namespace {

class FilterFixture : public ::testing::Test {
 protected:
  CFileInfo* Add(const std::string& folder, const std::string& name, int uses = 0, VelnorTime last = 0,
                 bool found = true) {
    auto record = std::make_unique<CFileInfo>();
    record->SetKeyPath(folder + "\\" + name);
    record->SetNameLength(name.size());
    record->m_nUseCount = uses;
    record->m_timeLastUsed = last;
    record->m_bFound = found;
    CFileInfo* raw = record.get();
    m_doc.m_files.Insert(std::move(record));
    return raw;
  }
  void Tag(CFileInfo* record, const std::string& artist, int32_t year) {
    record->m_pTag = std::make_unique<Mp3TagInfo>();
    record->m_pTag->m_strArtist = artist;
    record->m_pTag->m_nYear = year;
    record->m_pTag->m_strGenre = "Rock";
    record->m_bHasTag = true;
    m_doc.m_files.MarkTextChanged();
  }
  std::vector<std::string> Find(const std::string& query, MatchOptions options = {false, true}) {
    std::vector<std::string> names;
    for (const CFileInfo* record : m_filter.Run(query, options)) names.emplace_back(record->m_strName);
    return names;
  }

  CVelnorDoc m_doc;
  CFileFilter m_filter{m_doc};
};

using Names = std::vector<std::string>;

TEST_F(FilterFixture, EmptyQueriesListEveryPresentFile) {
  Add("C:\\A", "one.txt");
  Add("C:\\A", "gone.txt", 9, 100, false);
  Add("C:\\A", "two.txt");
  EXPECT_EQ(Find(""), (Names{"one.txt", "two.txt"}));
  EXPECT_EQ(Find("   "), (Names{"one.txt", "two.txt"}));
  EXPECT_EQ(Find("gone"), Names{});
}

TEST_F(FilterFixture, EmptyMapGivesNoRows) { EXPECT_TRUE(Find("").empty()); }

TEST_F(FilterFixture, TermsAreAndedAndDoubleSpacesChangeNothing) {
  Add("C:\\Apps", "Notepad.lnk");
  Add("C:\\Apps", "Note taker.lnk");
  Add("C:\\Apps", "Paint.lnk");
  EXPECT_EQ(Find("NOTE"), (Names{"Note taker.lnk", "Notepad.lnk"}));
  EXPECT_EQ(Find("note pad"), Names{"Notepad.lnk"});
  EXPECT_EQ(Find("note  pad"), Names{"Notepad.lnk"});
  EXPECT_EQ(Find("note\ttaker"), Names{});  // a tab is part of the term
}

TEST_F(FilterFixture, FolderWordsMatchOnlyInFullPathMode) {
  Add("C:\\Tools", "run.lnk");
  Add("C:\\Games", "chess.exe");
  EXPECT_EQ(Find("lnk"), Names{"run.lnk"});
  EXPECT_EQ(Find("tools"), Names{});
  EXPECT_EQ(Find("tools", {true, false}), Names{"run.lnk"});
}

TEST_F(FilterFixture, TagFieldsMatchOnlyWithMp3Support) {
  Tag(Add("C:\\Music", "track01.mp3"), "The Beatles", 1969);
  Tag(Add("C:\\Music", "track02.mp3"), "Nobody", 0);
  EXPECT_EQ(Find("beatles 1969"), Names{"track01.mp3"});
  EXPECT_EQ(Find("69"), Names{"track01.mp3"});
  EXPECT_EQ(Find("0 nobody"), Names{"track02.mp3"});
  EXPECT_EQ(Find("beatles", {false, false}), Names{});
  EXPECT_EQ(Find("beatlesrock"), Names{}) << "no match across two fields";
}

TEST_F(FilterFixture, MostUsedFirstThenLatestThenTitle) {
  Add("C:\\x", "Beta.txt");
  Add("C:\\x", "yesterday.txt", 5, 1000);
  Add("C:\\x", "alpha.txt");
  Add("C:\\x", "today.txt", 5, 2000);
  Add("C:\\x", "twice.txt", 2, 5000);
  EXPECT_EQ(Find(""), (Names{"today.txt", "yesterday.txt", "twice.txt", "alpha.txt", "Beta.txt"}));
}

TEST_F(FilterFixture, TitlesEqualButForCaseKeepTheirMapOrder) {
  Add("C:\\1", "readme.txt");
  Add("C:\\2", "README.md");
  Add("C:\\3", "ReadMe.doc");
  EXPECT_EQ(Find("read"), (Names{"readme.txt", "README.md", "ReadMe.doc"}));
}

TEST_F(FilterFixture, ALaunchMovesTheFileUpAtOnce) {
  Add("C:\\x", "alpha.txt");
  CFileInfo* beta = Add("C:\\x", "beta.txt");
  EXPECT_EQ(Find(""), (Names{"alpha.txt", "beta.txt"}));
  beta->m_nUseCount = 1;
  beta->m_timeLastUsed = 10;
  m_filter.UsageChanged(*beta);
  EXPECT_EQ(Find(""), (Names{"beta.txt", "alpha.txt"}));
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

// The fast filter against the rule spelled out plainly: per record, split,
// match, then two stable sorts with CompareFiles.
std::vector<CFileInfo*> Reference(const CVelnorDoc& doc, const std::string& query, const MatchOptions& options) {
  std::vector<std::string> terms;
  SplitQuery(TrimQuery(query), terms);
  std::vector<CFileInfo*> rows;
  for (const auto& record : doc.m_files) {
    if (record->m_bFound && RecordMatches(*record, terms, options)) rows.push_back(record.get());
  }
  SortKeys keys;
  for (const int key : {kSortTitle, kSortUsage}) {
    std::stable_sort(rows.begin(), rows.end(), [&](const CFileInfo* x, const CFileInfo* y) {
      return CompareFiles(*x, *y, keys.m_aSortKeys[key]) < 0;
    });
  }
  return rows;
}

TEST(FileFilterRandomised, AgreesWithThePlainRule) {
  std::mt19937 rng(20261206);
  const std::vector<std::string> pieces = {"a", "B", "note", "Pad", "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89",
                                           "\xD0\x94\xD0\xBE\xD0\xBC", "\xD0\xB4", "_", " ", ".", "x1", "99", "lnk",
                                           "Mix", "\xF0\x9F\x8E\xB5"};
  const auto randomText = [&](int maxPieces) {
    std::string s;
    const int n = 1 + static_cast<int>(rng() % maxPieces);
    for (int i = 0; i < n; ++i) s += pieces[rng() % pieces.size()];
    return s;
  };
  for (int round = 0; round < 40; ++round) {
    CVelnorDoc doc;
    CFileFilter filter(doc);
    const int count = 50 + static_cast<int>(rng() % 300);
    for (int i = 0; i < count; ++i) {
      auto record = std::make_unique<CFileInfo>();
      const std::string name = randomText(4) + (rng() % 3 ? ".lnk" : ".mp3");
      record->SetKeyPath("C:\\" + randomText(3) + "\\" + std::to_string(i) + "\\" + name);
      record->SetNameLength(name.size());
      record->m_bFound = rng() % 8 != 0;
      if (rng() % 3 == 0) record->m_nUseCount = static_cast<int>(rng() % 4);
      record->m_timeLastUsed = static_cast<VelnorTime>(rng() % 3);
      if (rng() % 4 == 0) {
        record->m_pTag = std::make_unique<Mp3TagInfo>();
        record->m_pTag->m_strArtist = randomText(2);
        record->m_pTag->m_strTitle = randomText(2);
        record->m_pTag->m_nYear = static_cast<int32_t>(rng() % 2100);
        record->m_pTag->m_strGenre = "Rock";
        record->m_bHasTag = rng() % 5 != 0;
      }
      doc.m_files.Insert(std::move(record));
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
      if (q % 11 == 5) {  // files that appear while the launcher is open
        for (int k = 0; k < 3; ++k) {
          auto record = std::make_unique<CFileInfo>();
          const std::string name = randomText(3) + ".txt";
          record->SetKeyPath("C:\\new\\" + std::to_string(round) + "-" + std::to_string(q) + "-" +
                             std::to_string(k) + "\\" + name);
          record->SetNameLength(name.size());
          record->m_bFound = true;
          record->m_nUseCount = static_cast<int>(rng() % 2);
          doc.m_files.Insert(std::move(record));
        }
      }
      if (q % 13 == 6) {  // a rescan that loses and finds files
        for (int k = 0; k < 10; ++k) {
          CFileInfo* record = doc.m_files.at(rng() % doc.m_files.size());
          record->m_bFound = !record->m_bFound;
        }
        doc.m_files.MarkFoundChanged();
      }
      if (q % 7 == 0) {  // a launch between two keystrokes
        CFileInfo* record = doc.m_files.at(rng() % doc.m_files.size());
        record->m_nUseCount += 1;
        record->m_timeLastUsed = static_cast<VelnorTime>(rng() % 3);
        filter.UsageChanged(*record);
      }
    }
  }
}

}  // namespace

namespace {

TEST_F(FilterFixture, AReplacedRecordIsNeverListedByItsOldPointer) {
  Add("C:\\x", "alpha.txt");
  Add("C:\\x", "beta.txt");
  ASSERT_EQ(Find(""), (Names{"alpha.txt", "beta.txt"}));
  CFileInfo* newBeta = Add("C:\\x", "beta.txt", 5, 10);  // same key: replaces the record
  const std::vector<CFileInfo*> rows = m_filter.Run("", {false, true});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], newBeta);
}

}  // namespace
