// The change watcher's rescan of a folder of 10,000 files while the map
// holds 100,000 records: how long it takes, and the longest time it keeps
// the document's lock (the launcher waits that long at most). Beside it, in
// the same run, one `find` walk of the same folder.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "database/folder_scan.h"
#include "database/velnor_doc.h"

namespace {

constexpr int kFolderFiles = 10000;
constexpr int kOtherRecords = 90000;

std::string Folder() {
  return std::filesystem::absolute("build/bench-watched").string();
}

bool EnsureFolder() {
  const std::string root = Folder();
  if (std::filesystem::exists(root + "/.complete")) return true;
  std::filesystem::remove_all(root);
  for (int i = 0; i < kFolderFiles; ++i) {
    const std::string sub = root + "/sub" + std::to_string(i % 20);
    std::filesystem::create_directories(sub);
    std::ofstream(sub + "/file" + std::to_string(i) + ".txt") << "x";
  }
  std::ofstream(root + "/.complete") << "1";
  return true;
}

void BM_WatcherRescan(benchmark::State& state) {
  if (!EnsureFolder()) {
    state.SkipWithError("could not make the folder");
    return;
  }
  CVelnorDoc doc(Env::Default());
  CFileMap::Records others;
  for (int i = 0; i < kOtherRecords; ++i) {
    FileRecordValues values;
    values.found = true;
    auto record = std::make_unique<CFileInfo>(
        "/elsewhere/folder" + std::to_string(i % 500) + "/file" + std::to_string(i) + ".lnk", std::move(values));
    record->SetNameLength(record->Path().size() - record->Path().rfind('/') - 1);
    others.push_back(std::move(record));
  }
  doc.AddFiles(std::move(others));
  CFolderScan(doc).Rescan(Folder());  // the folder's records exist, as after a refresh
  uint64_t longest = 0;
  for (auto _ : state) {
    Mutex::TakeLongestHoldOnThisThread();
    CFolderScan(doc).Rescan(Folder());
    longest = std::max(longest, Mutex::TakeLongestHoldOnThisThread());
  }
  state.counters["records"] = static_cast<double>(doc.FileCount());
  state.counters["longest_hold_us"] = static_cast<double>(longest);
}

void BM_FindWalkOfTheFolder(benchmark::State& state) {
  if (!EnsureFolder()) {
    state.SkipWithError("could not make the folder");
    return;
  }
  const std::string command = "find '" + Folder() + "' > /dev/null 2>&1";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(std::system(command.c_str()));
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

}  // namespace

BENCHMARK(BM_FindWalkOfTheFolder)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_WatcherRescan)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK_MAIN();
