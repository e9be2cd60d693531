// What a million files cost in memory, in bytes per record: the growth of
// the peak resident size while the records are made (by a full refresh of a
// real tree, and by loading a database file), then again once the
// launcher's filter has built its indexes for a query. Each figure is taken
// in a child process of its own, so the heap of one measure (and of the
// benchmark library) never hides the growth of another.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bench/bench_tree.h"
#include "bench/realistic_paths.h"
#include "database/refresh_controller.h"
#include "database/velnor_doc.h"
#include "launcher/file_filter.h"

namespace {

constexpr size_t kDatabaseRecords = 1000000;

// VmHWM (peak) or VmRSS (now) of this process, in bytes.
long StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.compare(0, prefix.size(), prefix) == 0) return std::atol(line.c_str() + prefix.size()) * 1024;
  }
  return 0;
}

// Makes the peak start again from the present size (Linux 4.0 and later).
bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

struct Growth {
  double records = 0;      // records
  double recordsOnly = 0;  // bytes per record, peak growth while making them
  double withFilter = 0;   // bytes per record, peak growth once the filter ran
};

// Runs `make` (which fills the document) and the filter in a fresh child.
bool MeasureInChild(const std::function<void(CVelnorDoc&)>& make, Growth& growth) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    close(fds[0]);
    Growth g;
    CVelnorDoc doc(Env::Default());
    const bool reset = ResetPeak();
    const long base = StatusBytes("VmRSS");
    make(doc);
    g.records = static_cast<double>(doc.FileCount());
    g.recordsOnly = static_cast<double>(StatusBytes("VmHWM") - base) / g.records;
    CFileFilter filter(doc);
    benchmark::DoNotOptimize(filter.Run("e", {doc.m_bSearchFullPath, doc.m_bMp3Support}).size());
    g.withFilter = static_cast<double>(StatusBytes("VmHWM") - base) / g.records;
    if (!reset) g.records = -1;
    const bool written = write(fds[1], &g, sizeof(g)) == static_cast<ssize_t>(sizeof(g));
    _exit(written ? 0 : 1);
  }
  close(fds[1]);
  const bool read = ::read(fds[0], &growth, sizeof(growth)) == static_cast<ssize_t>(sizeof(growth));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return read && WIFEXITED(status) && WEXITSTATUS(status) == 0 && growth.records > 0;
}

void Report(benchmark::State& state, const Growth& growth) {
  state.counters["records"] = growth.records;
  state.counters["B_per_record_records"] = growth.recordsOnly;
  state.counters["B_per_record_with_filter"] = growth.withFilter;
}

// The records as the program holds them after its start-up refresh of the
// tree: named, found, with their MP3 tags.
void BM_MemoryAfterRefresh(benchmark::State& state) {
  const std::string root = BenchTreeRoot();
  if (!EnsureBenchTree(root)) {
    state.SkipWithError("could not build the tree");
    return;
  }
  Growth growth;
  for (auto _ : state) {
    const bool ok = MeasureInChild(
        [&](CVelnorDoc& doc) {
          CVelnorDoc::FolderList folders;
          folders.push_back(std::make_unique<CFolder>("tree", std::filesystem::absolute(root).string(), true, 140));
          doc.ReplaceFolders(std::move(folders));
          CRefreshController(doc).Refresh(RefreshKind::kUserRequested);
        },
        growth);
    if (!ok) state.SkipWithError("the measuring child failed");
  }
  Report(state, growth);
}

// A database file of a million records loaded, as at start-up before the
// first scan names them; the file's own bytes count while they are held.
void BM_MemoryAfterLoad(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() / "velnor_bench_memory.dat").string();
  {
    // Written by a child too: the parent's heap stays as small as it was.
    const pid_t child = fork();
    if (child == 0) {
      CVelnorDoc doc(Env::Default());
      FillRealisticDatabase(doc, kDatabaseRecords);
      _exit(doc.SaveDatabaseTo(path) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("could not write the sample database");
      return;
    }
  }
  Growth growth;
  for (auto _ : state) {
    if (!MeasureInChild([&](CVelnorDoc& doc) { doc.LoadDatabaseFrom(path); }, growth)) {
      state.SkipWithError("the measuring child failed");
    }
  }
  std::remove(path.c_str());
  Report(state, growth);
}

}  // namespace

BENCHMARK(BM_MemoryAfterRefresh)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MemoryAfterLoad)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
