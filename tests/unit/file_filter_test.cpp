// The fast filter. What a query matches is the plain rule of query_match,
// checked here by comparing the two on random documents; the examples below
// cover what only the filter's own indexes could get wrong.
#include "launcher/file_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "framework/text_utf8.h"
#include "resultlist/compare_files.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

using Names = std::vector<std::string>;

class FilterFixture : public ::testing::Test {
 protected:
  const CFileInfo* Add(const std::string& folder, const std::string& name, int uses = 0, VelnorTime last = 0) {
    return AddRecord(m_doc, folder + "\\" + name, uses, last);
  }
  Names Find(const std::string& query, MatchOptions options = {false, true}) {
    Names names;
    for (const CFileInfo* record : m_filter.Run(query, options)) names.emplace_back(record->Name());
    return names;
  }

  MemoryEnv m_env;
  CVelnorDoc m_doc{m_env};
  CFileFilter m_filter{m_doc};
};

TEST_F(FilterFixture, TheLauncherOrderHoldsAndALaunchMovesTheFileAtOnce) {
  // Never used yet with a last use (a database loaded from JSON can say
  // so): the time plays no part, titles alone order them.
  Add("C:\\x", "Beta.txt", 0, 9000);
  Add("C:\\x", "yesterday.txt", 5, 1000);
  Add("C:\\x", "alpha.txt", 0, 100);
  const CFileInfo* today = Add("C:\\x", "today.txt", 5, 2000);
  Add("C:\\x", "twice.txt", 2, 5000);
  Add("C:\\1", "readme.txt");
  Add("C:\\2", "README.md");  // equal titles but for case keep the map's order
  EXPECT_EQ(Find(""), (Names{"today.txt", "yesterday.txt", "twice.txt", "alpha.txt", "Beta.txt", "readme.txt",
                             "README.md"}));
  EXPECT_EQ(Find("read"), (Names{"readme.txt", "README.md"}));

  const CFileInfo* beta = m_doc.FindFile("C:\\x\\Beta.txt");
  for (int i = 0; i < 5; ++i) m_filter.RecordLaunch(*beta, 3000);
  EXPECT_EQ(beta->UseCount(), 5);
  EXPECT_EQ(beta->LastUsed(), 3000);
  EXPECT_EQ(Find("t"), (Names{"Beta.txt", "today.txt", "yesterday.txt", "twice.txt", "alpha.txt", "readme.txt"}));
  EXPECT_EQ(today->UseCount(), 5);
}

// Folding may shorten a title a great deal (marks drop out): the order must
// not rest on a folded prefix shorter than the title's first 16 bytes.
TEST_F(FilterFixture, TitlesSortByTheirFoldedFormsHoweverManyMarksTheyHold) {
  std::string marks;
  for (int i = 0; i < 40; ++i) marks += "\xCC\x81";
  Add("C:\\x", "Fox.txt");
  Add("C:\\x", "a" + marks + "z.txt");
  Add("C:\\x", "\xC3\x89mile.txt");
  Add("C:\\x", "ab.txt");
  Add("C:\\x", "Eagle.txt");
  EXPECT_EQ(Find(""), (Names{"ab.txt", "a" + marks + "z.txt", "Eagle.txt", "\xC3\x89mile.txt", "Fox.txt"}));
}

TEST_F(FilterFixture, AReplacedRecordIsNeverListedByItsOldPointer) {
  Add("C:\\x", "alpha.txt");
  Add("C:\\x", "beta.txt");
  ASSERT_EQ(Find(""), (Names{"alpha.txt", "beta.txt"}));
  const CFileInfo* newBeta = Add("C:\\x", "beta.txt", 5, 10);  // same key: replaces the record
  const std::vector<const CFileInfo*> rows = m_filter.Run("", {false, true});
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
  const auto used = MakeRecord(std::string(a.Path()), 1);
  keys.m_aSortKeys[kSortUsage].nDirection = -1;
  EXPECT_LT(CompareFiles(*used, b, keys.m_aSortKeys[kSortUsage]), 0);
}

TEST(SortFiles, HeaderSortsFoldTitlesAndFoldersAndKeepEqualRowsInPlace) {
  std::vector<std::unique_ptr<CFileInfo>> owned;
  std::vector<const CFileInfo*> records;
  for (const char* path : {"C:\\b\\Fox.txt", "C:\\\xC3\x89\\\xC3\x89mile.txt", "C:\\a\\eagle.txt", "C:\\f\\Eagle.txt"}) {
    owned.push_back(MakeRecord(path));
    records.push_back(owned.back().get());
  }
  std::vector<uint32_t> order;
  SortFiles(records, {kSortTitle, +1}, order);
  EXPECT_EQ(order, (std::vector<uint32_t>{2, 3, 1, 0}));
  SortFiles(records, {kSortTitle, -1}, order);
  EXPECT_EQ(order, (std::vector<uint32_t>{0, 1, 2, 3}));
  SortFiles(records, {kSortFolder, +1}, order);  // C:\a, C:\b, C:\É among the e's, C:\f
  EXPECT_EQ(order, (std::vector<uint32_t>{2, 0, 1, 3}));
}

// The folding as the user guide states it, written out here for the
// letters the random texts use, from what the letters are rather than from
// the program's table: case; a letter's marks dropped, composed or
// decomposed; ß ss, æ ae, ø o, ł l; final sigma σ; width; but й (и with a
// breve, as every Cyrillic letter with one) and ガ (カ with the voicing
// mark) kept, composed or not.
std::string ReferenceFold(std::string_view text) {
  static const std::map<char32_t, std::u32string> kFolds = {
      {U'\u00C9', U"e"},      {U'\u00E9', U"e"},      {U'\u00DC', U"u"},      {U'\u00FC', U"u"},
      {U'\u00DF', U"ss"},     {U'\u00C6', U"ae"},     {U'\u00F8', U"o"},      {U'\u0141', U"l"},
      {U'\u0301', U""},       {U'\u0308', U""},       {U'\u0306', U""},       {U'\u0414', U"\u0434"},
      {U'\u0451', U"\u0435"}, {U'\u0419', U"\u0439"}, {U'\u0386', U"\u03B1"}, {U'\u03A3', U"\u03C3"},
      {U'\u03C2', U"\u03C3"}, {U'\uFF32', U"r"},      {U'\uFF45', U"e"},      {U'\uFF12', U"2"},
      {U'\u3000', U" "},      {U'\uFF76', U"\u30AB"}, {U'\uFF9E', U"\u3099"},
  };
  // The marks that join the letter before them into a letter of its own.
  static const std::map<std::pair<char32_t, char32_t>, char32_t> kJoins = {
      {{U'\u0438', U'\u0306'}, U'\u0439'},  {{U'\u0435', U'\u0306'}, U'\u04D7'},
      {{U'\u0436', U'\u0306'}, U'\u04C2'},
      {{U'\u30AB', U'\u3099'}, U'\u30AC'},
      {{U'\u30AB', U'\uFF9E'}, U'\u30AC'},
  };
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    if (const auto join = kJoins.find({out.empty() ? 0 : out.back(), cp}); join != kJoins.end()) {
      out.back() = join->second;
    } else if (const auto fold = kFolds.find(cp); fold != kFolds.end()) {
      out += fold->second;
    } else {
      out += cp >= 'A' && cp <= 'Z' ? cp + 32 : cp;
    }
  }
  std::string utf8;
  for (const char32_t cp : out) AppendUtf8(utf8, cp);
  return utf8;
}

bool ReferenceContains(std::string_view text, const std::string& term) {
  return ReferenceFold(text).find(term) != std::string::npos;
}

// The rule spelled out plainly: per record, split and match, then two
// stable sorts, by folded title and by use.
std::vector<const CFileInfo*> Reference(const CVelnorDoc& doc, const std::string& query, const MatchOptions& options) {
  std::vector<std::string> terms;
  SplitQuery(TrimQuery(ReferenceFold(query)), terms);
  const auto matches = [&](const CFileInfo& record) {
    const bool tagged = options.mp3Support && record.IsTagged();
    for (const std::string& term : terms) {
      bool found = ReferenceContains(options.searchFullPath ? std::string_view(record.Path()) : record.Name(), term);
      if (!found && tagged) {
        const Mp3TagInfo& tag = *record.Tag();
        found = ReferenceContains(tag.m_strTitle, term) || ReferenceContains(tag.m_strArtist, term) ||
                ReferenceContains(tag.m_strAlbum, term) || ReferenceContains(tag.m_strComment, term) ||
                std::to_string(tag.m_nYear).find(term) != std::string::npos || ReferenceContains(tag.m_strGenre, term);
      }
      if (!found) return false;
    }
    return true;
  };
  std::vector<const CFileInfo*> rows;
  doc.VisitFiles([&](const CFileMap& files) {
    for (const auto& record : files) {
      if (record->Found() && matches(*record)) rows.push_back(record);
    }
  });
  std::stable_sort(rows.begin(), rows.end(), [](const CFileInfo* x, const CFileInfo* y) {
    return ReferenceFold(x->Title()) < ReferenceFold(y->Title());
  });
  std::stable_sort(rows.begin(), rows.end(), [](const CFileInfo* x, const CFileInfo* y) {
    if (x->UseCount() != y->UseCount()) return x->UseCount() > y->UseCount();
    return x->UseCount() != 0 && x->LastUsed() > y->LastUsed();
  });
  return rows;
}

// Random documents reaching every searchable field (name, path, each tag
// field) and both options, with accented, decomposed and full-width text,
// changed between queries the ways the program
// changes them: launches, rescans that lose and find files or change tags,
// and files that appear while the launcher is open.
TEST(FileFilterRandomised, AgreesWithThePlainRule) {
  MemoryEnv env;
  std::mt19937 rng(20261206);
  // Some pieces are only marks, so a decomposed letter may also be split
  // across two pieces, as a name is across a typed query.
  const std::vector<std::string> pieces = {
      "a", "B", "note", "Pad", "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", "Cafe\xCC\x81", "e", "\xCC\x81",
      "\xD0\x94\xD0\xBE\xD0\xBC", "\xD0\xB4", "\xD1\x91\xD0\xB6", "\xD0\xB8", "\xD0\x99", "\xCC\x86",
      "Stra\xC3\x9F" "e", "ss", "\xC3\x86r\xC3\xB8", "\xC5\x81" "ae", "Zu\xCC\x88rich", "\xC3\x9C",
      "\xCE\x86\xCE\xA3", "\xCF\x83\xCF\x82", "\xEF\xBC\xB2\xEF\xBD\x85", "\xEF\xBC\x92", "\xE3\x80\x80",
      "\xEF\xBD\xB6", "\xEF\xBE\x9E", "\xE3\x82\xAB", "\xE3\x82\x99", "\xE3\x82\xAC", "_", " ", ".", "x1",
      "99", "lnk", "Mix", "\xF0\x9F\x8E\xB5", "\t", "19", "Rock", "Jazz", std::string(1, kPathSeparator), "1", "2"};
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
    CVelnorDoc doc(env);
    CFileFilter filter(doc);
    const int count = 50 + static_cast<int>(rng() % 300);
    std::vector<const CFileInfo*> records;
    for (int i = 0; i < count; ++i) {
      const std::string path = randomPath(JoinPath({"C:", randomText(3), std::to_string(i)}));
      FileRecordValues values;
      values.lastUsed = static_cast<VelnorTime>(rng() % 3);
      values.found = rng() % 8 != 0;
      if (rng() % 3 == 0) values.useCount = static_cast<int>(rng() % 4);
      const bool named = rng() % 6 != 0;
      if (rng() % 3 == 0) values.tag = randomTag();
      auto record = MakeRecord(path, std::move(values));
      // As loaded: not named until a rescan meets it (only found records are listed).
      if (!named) record->SetNameLength(0);
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
