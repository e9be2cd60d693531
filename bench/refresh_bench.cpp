// A full refresh (counting pass and update pass) of a real tree of about a
// million entries: /usr, hard-linked several times under build/, made once.
// Beside it, one `find` walk of the same tree in the same run, and the
// resident memory each record costs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_tree.h"
#include "database/refresh_controller.h"
#include "database/velnor_doc.h"

namespace {

long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

void BM_FullRefresh(benchmark::State& state) {
  const std::string root = BenchTreeRoot();
  if (!EnsureBenchTree(root)) {
    state.SkipWithError("could not build the tree");
    return;
  }
  CVelnorDoc doc(Env::Default());
  CVelnorDoc::FolderList folders;
  folders.push_back(std::make_unique<CFolder>("tree", std::filesystem::absolute(root).string(), true, 140));
  doc.ReplaceFolders(std::move(folders));
  CRefreshController refresh(doc);
  const long before = ResidentBytes();
  refresh.Refresh(RefreshKind::kUserRequested);  // first refresh makes the records
  const long after = ResidentBytes();
  for (auto _ : state) refresh.Refresh(RefreshKind::kUserRequested);
  size_t found = 0;
  doc.VisitFiles([&](const CFileMap& files) {
    for (const auto& record : files) found += record->Found() ? 1 : 0;
  });
  const double records = static_cast<double>(doc.FileCount());
  state.counters["records"] = records;
  state.counters["found"] = static_cast<double>(found);
  state.counters["bytes_per_record"] = static_cast<double>(after - before) / records;
}

void BM_FindWalk(benchmark::State& state) {
  const std::string root = BenchTreeRoot();
  if (!EnsureBenchTree(root)) {
    state.SkipWithError("could not build the tree");
    return;
  }
  const std::string command = "find '" + root + "' > /dev/null 2>&1";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(std::system(command.c_str()));
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

}  // namespace

// The walk first, so both run on a warm cache.
BENCHMARK(BM_FindWalk)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_FullRefresh)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
