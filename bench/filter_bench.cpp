// The launcher's filter over a million present files with real names: every
// file under /usr, replicated under several roots, some of them used. Also
// times ripgrep over a file of the same names for a point of comparison.
#include <benchmark/benchmark.h>

#include <emmintrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "database/velnor_doc.h"
#include "launcher/file_filter.h"

namespace {

constexpr size_t kRecords = 1000000;
constexpr const char* kTwoWords = "py test";

struct Corpus {
  CVelnorDoc doc{Env::Default()};
  CFileFilter filter{doc};
  std::string namesFile;
};

Corpus& TheCorpus() {
  static Corpus* corpus = [] {
    auto* c = new Corpus;
    std::vector<std::string> relative;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(
             "/usr", std::filesystem::directory_options::skip_permission_denied, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
      if (error) break;
      if (!it->is_directory(error)) relative.push_back(it->path().string().substr(5));
    }
    std::mt19937 rng(7);
    const char* roots[] = {"/home/ana/projects", "/srv/mirror", "/opt/toolchains/x86", "/home/ana/backup/2025",
                           "/media/disk/usr",    "/var/cache/images", "/home/ana/.local",  "/mnt/archive/old"};
    c->namesFile = (std::filesystem::temp_directory_path() / "velnor-bench-names.txt").string();
    std::ofstream names(c->namesFile);
    CFileMap::Records records;
    for (size_t i = 0; i < kRecords && !relative.empty(); ++i) {
      const std::string path = std::string(roots[(i / relative.size()) % 8]) + "/" + relative[i % relative.size()];
      FileRecordValues values;
      values.found = true;
      if (rng() % 50 == 0) {
        values.useCount = 1 + static_cast<int>(rng() % 40);
        values.lastUsed = 1700000000 + static_cast<VelnorTime>(rng() % 10000000);
      }
      if (rng() % 50 == 0) {
        values.tag = std::make_unique<Mp3TagInfo>();
        values.tag->m_strArtist = "Artist " + std::to_string(rng() % 5000);
        values.tag->m_strTitle = "Song " + std::to_string(rng() % 50000);
        values.tag->m_nYear = 1960 + static_cast<int32_t>(rng() % 60);
        values.tag->m_strGenre = "Rock";
      }
      auto record = std::make_unique<CFileInfo>(path, std::move(values));
      record->SetNameLength(path.size() - path.rfind('/') - 1);
      names << record->Name() << '\n';
      records.push_back(std::move(record));
    }
    c->doc.AddFiles(std::move(records));
    // Build the indexes outside the timed loops, as a refresh would.
    c->filter.Run("", {false, false});
    return c;
  }();
  return *corpus;
}

// The floor of any filter: one SSE2 pass over the bytes a query scans,
// comparing 16 at a time with the term's first byte (memchr's own work).
size_t Sse2Pass(const std::vector<std::string_view>& texts, char byte) {
  size_t hits = 0;
  const __m128i wanted = _mm_set1_epi8(byte);
  for (const std::string_view text : texts) {
    size_t i = 0;
    for (; i + 16 <= text.size(); i += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
      hits += static_cast<size_t>(__builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)))));
    }
    for (; i < text.size(); ++i) hits += text[i] == byte;
  }
  return hits;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Filter(benchmark::State& state, const char* query, MatchOptions options) {
  Corpus& c = TheCorpus();
  c.filter.Run(query, options);  // first use of a mode builds its text once
  size_t rows = 0;
  double spent = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    rows = c.filter.Run(query, options).size();
    spent += Seconds(start);
    benchmark::DoNotOptimize(rows);
  }
  state.counters["records"] = static_cast<double>(c.doc.FileCount());
  state.counters["rows"] = static_cast<double>(rows);
  if (*query == '\0') return;  // nothing is scanned: no anchor
  // The anchor, in the same run: the best of a few passes over the same texts.
  const std::vector<std::string_view> texts = c.filter.SearchedTexts();
  double pass = 1e9;
  size_t scanned = 0;
  for (const std::string_view text : texts) scanned += text.size();
  for (int i = 0; i < 20; ++i) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(Sse2Pass(texts, query[0]));
    pass = std::min(pass, Seconds(start));
  }
  const double perRun = spent / static_cast<double>(state.iterations());
  state.counters["scanned_MB"] = static_cast<double>(scanned) / 1e6;
  state.counters["sse2_pass_ms"] = pass * 1e3;
  state.counters["x_sse2_pass"] = perRun / pass;
}

void BM_TwoWordsNameMode(benchmark::State& state) { Filter(state, kTwoWords, {false, false}); }
void BM_EmptyQuery(benchmark::State& state) { Filter(state, "", {false, false}); }
void BM_TwoWordsFullPath(benchmark::State& state) { Filter(state, kTwoWords, {true, false}); }
void BM_TwoWordsMp3Mode(benchmark::State& state) { Filter(state, kTwoWords, {false, true}); }
void BM_OneLetterNameMode(benchmark::State& state) { Filter(state, "e", {false, false}); }

// The same two-word search done by ripgrep over a file of the same names.
void BM_RipgrepTwoWords(benchmark::State& state) {
  Corpus& c = TheCorpus();
  if (std::system("command -v rg >/dev/null 2>&1") != 0) {
    state.SkipWithError("rg is not installed");
    return;
  }
  const std::string command = "rg -F -i py '" + c.namesFile + "' | rg -F -i test > /dev/null";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(command.c_str());
    benchmark::DoNotOptimize(rc);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

// The launcher's first opening after a refresh that named every record
// (the first refresh after a load), and its first letter: the time is
// theirs. The refresh brings the indexes up to date as it ends
// (prepare_ms), so the opening finds them built.
void BM_FirstOpeningAfterNamingRefresh(benchmark::State& state) {
  Corpus& c = TheCorpus();
  std::vector<std::pair<std::string, size_t>> named;  // path, name length
  c.doc.VisitFiles([&](const CFileMap& files) {
    for (const CFileInfo* record : files) named.emplace_back(record->Path(), record->Name().size());
  });
  double prepared = 0, opening = 0, letter = 0;
  for (auto _ : state) {
    auto owned = std::make_unique<CVelnorDoc>(Env::Default());
    CVelnorDoc& doc = *owned;
    {
      CFileMap::Records records;
      for (const auto& file : named) {
        auto record = std::make_unique<CFileInfo>();
        record->SetKeyPath(file.first);  // as loaded: not named yet
        records.push_back(std::move(record));
      }
      doc.AddFiles(std::move(records));
    }
    auto filterOwned = std::make_unique<CFileFilter>(doc);
    CFileFilter& filter = *filterOwned;
    filter.Run("", {false, false});  // a launcher opened before the refresh
    std::vector<ScannedFile> scan(named.size());
    for (size_t i = 0; i < named.size(); ++i) {
      scan[i].path = named[i].first;
      scan[i].nameLength = named[i].second;
    }
    doc.ApplyScannedFiles(scan);
    const auto start = std::chrono::steady_clock::now();
    filter.Prepare({false, false});
    prepared += Seconds(start);
    const auto opened = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(filter.Run("", {false, false}).size());
    opening += Seconds(opened);
    const auto typed = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(filter.Run("e", {false, false}).size());
    letter += Seconds(typed);
    state.SetIterationTime(Seconds(opened));
    filterOwned.reset();
    owned.reset();
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["prepare_ms"] = prepared * 1e3 / runs;
  state.counters["opening_ms"] = opening * 1e3 / runs;
  state.counters["first_letter_ms"] = letter * 1e3 / runs;
}

void BM_BuildIndexes(benchmark::State& state) {
  Corpus& c = TheCorpus();
  for (auto _ : state) {
    CFileFilter fresh(c.doc);  // a filter that has built nothing yet
    benchmark::DoNotOptimize(fresh.Run("", {false, false}).size());
  }
}

}  // namespace

BENCHMARK(BM_TwoWordsNameMode)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_EmptyQuery)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_TwoWordsFullPath)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_TwoWordsMp3Mode)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_OneLetterNameMode)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RipgrepTwoWords)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_FirstOpeningAfterNamingRefresh)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_BuildIndexes)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
