#include "bench/BenchRatios.h"

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

constexpr const char* kRepetitionsFlag = "--benchmark_repetitions";
constexpr int kDefaultRepetitions = 5;
// Set for the second run of the program: where it writes its medians.
constexpr const char* kResultsVariable = "PELLAVO_BENCH_RESULTS";
constexpr const char* kThreadsVariable = "LP_NUM_THREADS";

// The median of one benchmark: times per iteration in nanoseconds, and its counters.
struct Median {
  double realNs = 0.0;
  double cpuNs = 0.0;
  std::map<std::string, double> counters;
};
using Medians = std::map<std::string, Median>;

// The console's report, keeping the median of every benchmark (or its only run, without
// repetitions).
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal.
  MedianReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (!median && !single) continue;
      const double toNs = 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      Median& entry = medians[run.run_name.str()];
      entry.realNs = run.GetAdjustedRealTime() * toNs;
      entry.cpuNs = run.GetAdjustedCPUTime() * toNs;
      for (const auto& [name, counter] : run.counters) entry.counters[name] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  Medians medians;
};

// The benchmark of that name, its arguments included ("BM_Frame/2000" finds
// "BM_Frame/2000/real_time"); null when it did not run.
const Median* Find(const Medians& medians, const std::string& name) {
  for (const auto& [full, median] : medians) {
    if (full == name || full.rfind(name + "/", 0) == 0) return &median;
  }
  return nullptr;
}

bool WriteMedians(const std::string& path, const Medians& medians) {
  std::ofstream out(path);
  for (const auto& [name, median] : medians) {
    out << name << ' ' << median.realNs << ' ' << median.cpuNs;
    for (const auto& [counter, value] : median.counters) out << ' ' << counter << ' ' << value;
    out << '\n';
  }
  return static_cast<bool>(out);
}

Medians ReadMedians(const std::string& path) {
  Medians medians;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name;
    Median median;
    if (!(fields >> name >> median.realNs >> median.cpuNs)) continue;
    std::string counter;
    double value = 0.0;
    while (fields >> counter >> value) median.counters[counter] = value;
    medians[name] = median;
  }
  return medians;
}

// Runs this program again with the rasteriser on the main thread; its medians, or none
// when it could not run.
Medians RunOnMainThreadRasteriser(char** argv) {
  const std::filesystem::path results =
      std::filesystem::temp_directory_path() / ("pellavo_bench_" + std::to_string(getpid()) + ".txt");
  std::fflush(stdout);
  std::printf("\n--- The same benchmarks with %s=0 (the rasteriser on the main thread) ---\n", kThreadsVariable);
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    setenv(kThreadsVariable, "0", 1);
    setenv(kResultsVariable, results.c_str(), 1);
    execv("/proc/self/exe", argv);
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::error_code ignored;
    std::filesystem::remove(results, ignored);
    return {};
  }
  Medians medians = ReadMedians(results.string());
  std::error_code ignored;
  std::filesystem::remove(results, ignored);
  return medians;
}

double Counter(const Median& median, const char* name) {
  const auto found = median.counters.find(name);
  return found == median.counters.end() ? -1.0 : found->second;
}

void PrintRatios(const std::vector<FrameRatio>& ratios, const Medians& wall, const Medians* single,
                 const char* threads) {
  std::printf("\nMedians:\n");
  for (const FrameRatio& ratio : ratios) {
    const Median* frame = Find(wall, ratio.frame);
    const Median* yardstick = Find(wall, ratio.yardstick);
    if (!frame || !yardstick || yardstick->realNs <= 0.0) continue;
    std::printf("%s: %.2f ms against %.2f ms, %.2fx", ratio.label.c_str(), frame->realNs / 1e6,
                yardstick->realNs / 1e6, frame->realNs / yardstick->realNs);
    if (threads) std::printf(" (%s=%s)", kThreadsVariable, threads);
    const Median* singleFrame = single ? Find(*single, ratio.frame) : nullptr;
    const Median* singleYardstick = single ? Find(*single, ratio.yardstick) : nullptr;
    if (singleFrame && singleYardstick && singleYardstick->realNs > 0.0) {
      std::printf("; %s=0: %.2f ms against %.2f ms, %.2fx", kThreadsVariable, singleFrame->realNs / 1e6,
                  singleYardstick->realNs / 1e6, singleFrame->realNs / singleYardstick->realNs);
    }
    std::printf("; main-thread CPU %.2f ms a frame", frame->cpuNs / 1e6);
    const double calls = Counter(*frame, "draws");
    const double runs = Counter(*frame, "runs");
    if (calls >= 0.0) std::printf("; %.0f draw calls", calls);
    if (runs >= 0.0) std::printf(" in %.0f runs of one texture and state", runs);
    std::printf("\n");
  }
}

}  // namespace

int RunRatioBenchmarks(int argc, char** argv, const std::vector<FrameRatio>& ratios) {
  // The original command line, for the second run.
  std::vector<char*> original(argv, argv + argc);
  original.push_back(nullptr);

  std::vector<std::string> arguments(argv, argv + argc);
  bool repetitionsGiven = false;
  for (const std::string& argument : arguments) {
    if (argument.rfind(kRepetitionsFlag, 0) == 0) repetitionsGiven = true;
  }
  if (!repetitionsGiven) {
    arguments.push_back(std::string(kRepetitionsFlag) + "=" + std::to_string(kDefaultRepetitions));
    arguments.push_back("--benchmark_display_aggregates_only=true");
  }
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  int count = static_cast<int>(pointers.size());
  pointers.push_back(nullptr);
  benchmark::Initialize(&count, pointers.data());

  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  if (const char* results = std::getenv(kResultsVariable)) {
    return WriteMedians(results, reporter.medians) ? 0 : 1;
  }
  const char* threads = std::getenv(kThreadsVariable);
  if (threads) {
    PrintRatios(ratios, reporter.medians, nullptr, threads);
    return 0;
  }
  const Medians single = RunOnMainThreadRasteriser(original.data());
  PrintRatios(ratios, reporter.medians, single.empty() ? nullptr : &single, nullptr);
  return 0;
}
