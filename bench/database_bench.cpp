// Load and save of a database of a million records, whole and in parts: the
// file read, the parse, the serialisation and the atomic write. The file is
// in the page cache when read (as after any recent start), and the write
// ends with a real flush to the disk. Beside them, what one counted use
// costs: its record appended to the usage log and flushed to the disk.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/realistic_paths.h"
#include "database/usage_log.h"
#include "database/velnor_doc.h"
#include "framework/env.h"

namespace {

constexpr size_t kRecords = 1000000;

// Built once: the database's bytes and its file. The document that made
// them is gone before anything is timed: its many small temporaries would
// otherwise leave the heap fragmented, and a load into a fragmented heap is
// far slower than the real one into a program that has just started.
class Sample {
 public:
  static Sample& Get() {
    static Sample sample;
    return sample;
  }

  // The document the save benchmarks write: loaded from the sample, as the
  // program's own document is at start-up, and made only when first used.
  CVelnorDoc& SavedDoc() {
    if (!m_savedDoc) {
      m_savedDoc = std::make_unique<CVelnorDoc>(Env::Default());
      m_savedDoc->LoadDatabaseBytes(bytes);
    }
    return *m_savedDoc;
  }

  std::string bytes;
  std::string loadPath;
  std::string savePath;
  std::string usePath;
  size_t records = 0;
  double averagePathBytes = 0;

 private:
  Sample() {
    {
      CVelnorDoc doc(Env::Default());
      FillRealisticDatabase(doc, kRecords);
      size_t total = 0;
      doc.VisitFiles([&](const CFileMap& files) {
        for (const auto& record : files) total += record->Path().size();
      });
      records = doc.FileCount();
      averagePathBytes = static_cast<double>(total) / static_cast<double>(records);
      bytes = doc.SaveDatabaseBytes();
    }
    // VELNOR_BENCH_DIR puts the files on another disk.
    const char* dir = std::getenv("VELNOR_BENCH_DIR");
    const std::filesystem::path base =
        dir != nullptr && *dir ? std::filesystem::path(dir) : std::filesystem::temp_directory_path();
    loadPath = (base / "velnor_bench_load.dat").string();
    savePath = (base / "velnor_bench_save.dat").string();
    usePath = (base / "velnor_bench_use.dat").string();
    if (!Env::Default().WriteFileAtomic(loadPath, bytes)) {
      std::fprintf(stderr, "cannot write %s\n", loadPath.c_str());
      std::exit(1);
    }
  }
  ~Sample() {
    std::remove(loadPath.c_str());
    std::remove(savePath.c_str());
    std::remove(usePath.c_str());
    std::remove(UsageLogPath(usePath).c_str());
  }

  std::unique_ptr<CVelnorDoc> m_savedDoc;
};

void Describe(benchmark::State& state) {
  const Sample& sample = Sample::Get();
  state.counters["records"] = static_cast<double>(sample.records);
  state.counters["avg_path_bytes"] = sample.averagePathBytes;
  state.counters["file_MB"] = static_cast<double>(sample.bytes.size()) / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(sample.bytes.size()));
}

// Freeing a million records is not part of a load (the program never frees
// them before it ends), so it happens outside the timed part.
template <typename Load>
void TimeLoads(benchmark::State& state, Load load) {
  for (auto _ : state) {
    auto doc = std::make_unique<CVelnorDoc>(Env::Default());
    const DatabaseLoadReport report = load(*doc);
    if (report.damaged || doc->FileCount() != kRecords) {
      state.SkipWithError("the sample did not load whole");
      break;
    }
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  Describe(state);
}

void BM_LoadDatabaseFrom(benchmark::State& state) {
  const Sample& sample = Sample::Get();
  TimeLoads(state, [&](CVelnorDoc& doc) { return doc.LoadDatabaseFrom(sample.loadPath); });
}

void BM_LoadDatabaseBytes(benchmark::State& state) {
  const Sample& sample = Sample::Get();
  TimeLoads(state, [&](CVelnorDoc& doc) { return doc.LoadDatabaseBytes(sample.bytes); });
}

void BM_ReadWholeFile(benchmark::State& state) {
  const Sample& sample = Sample::Get();
  for (auto _ : state) {
    std::string bytes;
    if (Env::Default().ReadWholeFile(sample.loadPath, bytes) != Env::ReadResult::kOk) {
      state.SkipWithError("cannot read the sample");
      break;
    }
    benchmark::DoNotOptimize(bytes.data());
  }
  Describe(state);
}

void BM_SaveDatabaseTo(benchmark::State& state) {
  Sample& sample = Sample::Get();
  for (auto _ : state) {
    if (!sample.SavedDoc().SaveDatabaseTo(sample.savePath)) {
      state.SkipWithError("cannot write the database");
      break;
    }
  }
  Describe(state);
}

void BM_SaveDatabaseBytes(benchmark::State& state) {
  Sample& sample = Sample::Get();
  for (auto _ : state) {
    std::string bytes = sample.SavedDoc().SaveDatabaseBytes();
    benchmark::DoNotOptimize(bytes.data());
  }
  Describe(state);
}

void BM_WriteFileAtomic(benchmark::State& state) {
  const Sample& sample = Sample::Get();
  for (auto _ : state) {
    if (!Env::Default().WriteFileAtomic(sample.savePath, sample.bytes)) {
      state.SkipWithError("cannot write the database");
      break;
    }
  }
  Describe(state);
}

// One counted use as the launcher counts it, each timed on its own so that
// the median and the 99th percentile can be told. When the log has grown to
// where the program would fold it into the file (after the launcher
// closed), that save happens outside the timing.
void BM_CountedUse(benchmark::State& state) {
  Sample& sample = Sample::Get();
  if (!Env::Default().WriteFileAtomic(sample.usePath, sample.bytes)) {
    state.SkipWithError("cannot write the database");
    return;
  }
  CVelnorDoc doc(Env::Default());
  doc.LoadDatabaseFrom(sample.usePath);
  std::vector<std::string> paths;
  doc.VisitFiles([&](const CFileMap& files) {
    for (const auto& record : files) {
      if (paths.size() == 1000) break;
      paths.emplace_back(record->Path());
    }
  });
  std::vector<const CFileInfo*> records;
  for (const std::string& path : paths) records.push_back(doc.FindFile(path));
  std::vector<double> took;
  size_t next = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    doc.RecordLaunch(*records[next++ % records.size()], 1700000000);
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count() / 1000);
    took.push_back(elapsed.count());
    if (doc.UsageLogWantsCompaction()) {
      state.PauseTiming();
      doc.SaveDatabaseTo(sample.usePath);
      state.ResumeTiming();
    }
  }
  std::sort(took.begin(), took.end());
  if (!took.empty()) {
    state.counters["median_ms"] = took[took.size() / 2];
    state.counters["p99_ms"] = took[std::min(took.size() - 1, took.size() * 99 / 100)];
  }
  state.counters["records"] = static_cast<double>(sample.records);
}

}  // namespace

// One counted use, beside the full save below.
BENCHMARK(BM_CountedUse)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3000);
// Load: the whole of it, then its two parts.
BENCHMARK(BM_LoadDatabaseFrom)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_ReadWholeFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);
BENCHMARK(BM_LoadDatabaseBytes)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
// Save: the whole of it, then its two parts.
BENCHMARK(BM_SaveDatabaseTo)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_SaveDatabaseBytes)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_WriteFileAtomic)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

BENCHMARK_MAIN();
