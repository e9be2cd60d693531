// The launcher's filter over a million present files with real names: every
// file under /usr, replicated under several roots, some of them used. Also
// times ripgrep over a file of the same names for a point of comparison.
#include <benchmark/benchmark.h>

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
  CVelnorDoc doc;
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
      auto record = std::make_unique<CFileInfo>();
      record->SetKeyPath(path);
      record->SetNameLength(path.size() - path.rfind('/') - 1);
      record->m_bFound = true;
      if (rng() % 50 == 0) {
        record->m_nUseCount = 1 + static_cast<int>(rng() % 40);
        record->m_timeLastUsed = 1700000000 + static_cast<VelnorTime>(rng() % 10000000);
      }
      if (rng() % 50 == 0) {
        record->m_pTag = std::make_unique<Mp3TagInfo>();
        record->m_pTag->m_strArtist = "Artist " + std::to_string(rng() % 5000);
        record->m_pTag->m_strTitle = "Song " + std::to_string(rng() % 50000);
        record->m_pTag->m_nYear = 1960 + static_cast<int32_t>(rng() % 60);
        record->m_pTag->m_strGenre = "Rock";
        record->m_bHasTag = true;
      }
      names << record->m_strName << '\n';
      records.push_back(std::move(record));
    }
    c->doc.AddFiles(std::move(records));
    // Build the indexes outside the timed loops, as a refresh would.
    c->filter.Run("", {false, false});
    return c;
  }();
  return *corpus;
}

void Filter(benchmark::State& state, const char* query, MatchOptions options) {
  Corpus& c = TheCorpus();
  c.filter.Run(query, options);  // first use of a mode builds its text once
  size_t rows = 0;
  for (auto _ : state) {
    rows = c.filter.Run(query, options).size();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["records"] = static_cast<double>(c.doc.FileCount());
  state.counters["rows"] = static_cast<double>(rows);
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
BENCHMARK(BM_BuildIndexes)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
