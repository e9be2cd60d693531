// velnor-cli's `load` beside its `dump` of the same database, both run as
// the tool runs them (the file read, the conversion, the output or the
// atomic write): restoring a backup should cost about what making it did.
// Also the peak memory of the tool running each command, beside the JSON's
// size. A load that
// grows faster than the records (as it once did: each record's end scanned
// the whole list) fails the run: at 200,000 records it would take dozens of
// times as long as the dump.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/realistic_paths.h"
#include "cli/cli.h"
#include "cli/console.h"
#include "database/velnor_doc.h"
#include "framework/env.h"

namespace {

// Past this, load is taken as quadratic again: a linear one stays near 2.
constexpr double kLinearLimit = 10;
bool g_failed = false;

// Standard output kept in memory, as a pipe to another program would take it.
class CapturingConsole : public Console {
 public:
  bool Out(std::string_view text) override {
    out.append(text);
    return true;
  }
  void Err(std::string_view text) override { err.append(text); }
  bool ReadIn(std::string&) override { return false; }

  std::string out;
  std::string err;
};

int Run(const std::vector<std::string>& args, CapturingConsole& console) {
  return RunCli(args, CliContext{console, Env::Default()});
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// A database of `records` and its dump, made in a child so that the timed
// runs start from a heap as fresh as the tool's own.
struct Sample {
  std::string db, json, loaded;
  double jsonBytes = 0;
};

bool MakeSample(size_t records, Sample& sample) {
  const std::string tag = std::to_string(records);
  sample.db = TempPath("velnor_bench_cli_" + tag + ".dat");
  sample.json = TempPath("velnor_bench_cli_" + tag + ".json");
  sample.loaded = TempPath("velnor_bench_cli_" + tag + "_loaded.dat");
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    CVelnorDoc doc(Env::Default());
    FillRealisticDatabase(doc, records);
    if (!doc.SaveDatabaseTo(sample.db)) _exit(1);
    CapturingConsole console;
    if (Run({"dump", sample.db}, console) != 0) _exit(1);
    std::ofstream(sample.json, std::ios::binary) << console.out;
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  std::error_code error;
  sample.jsonBytes = static_cast<double>(std::filesystem::file_size(sample.json, error));
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && !error;
}

void RemoveSample(const Sample& sample) {
  for (const std::string* path : {&sample.db, &sample.json, &sample.loaded}) std::remove(path->c_str());
}

double SecondsOf(const std::function<bool()>& run, bool& ok) {
  const auto start = std::chrono::steady_clock::now();
  ok = run() && ok;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The timed figure is the load; the dump of the same database, run just
// before it in each iteration, is its anchor.
void BM_LoadBesideDump(benchmark::State& state) {
  const size_t records = static_cast<size_t>(state.range(0));
  Sample sample;
  if (!MakeSample(records, sample)) {
    state.SkipWithError("could not make the sample");
    return;
  }
  double dumped = 0, loaded = 0;
  bool ok = true;
  for (auto _ : state) {
    CapturingConsole dumpConsole, loadConsole;
    dumped += SecondsOf([&] { return Run({"dump", sample.db}, dumpConsole) == 0; }, ok);
    const double load = SecondsOf([&] { return Run({"load", sample.json, sample.loaded}, loadConsole) == 0; }, ok);
    loaded += load;
    state.SetIterationTime(load);
  }
  RemoveSample(sample);
  if (!ok) {
    state.SkipWithError("a command failed");
    g_failed = true;
    return;
  }
  const double runs = static_cast<double>(state.iterations());
  const double ratio = loaded / dumped;
  state.counters["records"] = static_cast<double>(records);
  state.counters["json_MB"] = sample.jsonBytes / 1e6;
  state.counters["dump_ms"] = dumped * 1e3 / runs;
  state.counters["load_ms"] = loaded * 1e3 / runs;
  state.counters["x_dump"] = ratio;
  if (ratio > kLinearLimit) {
    state.SkipWithError("load took more than 10 times as long as dump: no longer linear");
    g_failed = true;
  }
}

// The peak resident size of velnor-cli itself running `args` (standard
// output to /dev/null), in bytes: the whole process, as a user would see it.
bool PeakOfTool(const std::vector<std::string>& args, double& bytes) {
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (null < 0 || dup2(null, STDOUT_FILENO) < 0) _exit(127);
    std::vector<char*> argv;
    std::string tool = VELNOR_CLI_PATH;
    argv.push_back(tool.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(tool.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage = {};
  if (wait4(child, &status, 0, &usage) != child) return false;
  bytes = static_cast<double>(usage.ru_maxrss) * 1024;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_PeakMemoryBesideJsonSize(benchmark::State& state) {
  const size_t records = static_cast<size_t>(state.range(0));
  Sample sample;
  if (!MakeSample(records, sample)) {
    state.SkipWithError("could not make the sample");
    return;
  }
  double load = 0, dump = 0;
  bool ok = true;
  for (auto _ : state) {
    ok = PeakOfTool({"load", sample.json, sample.loaded}, load) && PeakOfTool({"dump", sample.db}, dump) && ok;
  }
  RemoveSample(sample);
  if (!ok) {
    state.SkipWithError("velnor-cli failed");
    g_failed = true;
    return;
  }
  state.counters["records"] = static_cast<double>(records);
  state.counters["json_MB"] = sample.jsonBytes / 1e6;
  state.counters["load_peak_MB"] = load / 1e6;
  state.counters["dump_peak_MB"] = dump / 1e6;
  state.counters["load_peak_x_json"] = load / sample.jsonBytes;
}

}  // namespace

BENCHMARK(BM_LoadBesideDump)->Arg(1000000)->Arg(200000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_PeakMemoryBesideJsonSize)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return g_failed ? 1 : 0;
}
