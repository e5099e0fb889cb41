// The hostile movies of the SWF tests' cost table (tests/swf/support/HostileMovies), each
// loaded and played frame by frame as the tests play it (advanced at 12 frames a second,
// drawn by the Direct3D handler on the recording device), here timed: the worst frame's
// wall time and the playing thread's processor time in it, the load's wall time, and the
// peak resident memory while the row plays. The tests assert what the player counts; this
// program shows what that costs on the machine it runs on. A row is one play from its load,
// run five times (the first, with cold caches, weighs little on the median); the program
// ends with one line a row of the medians.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/swf/base/limits.h"
#include "tests/swf/support/HostileMovies.h"

namespace {

// Sets the process's peak resident memory back to what it holds now (Linux).
void ResetPeakResident() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

// The process's peak resident memory in MB since the last reset.
double PeakResidentMB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0.0;
}

// What ended the frames' actions early, over all the frames played: the budget, the
// script clock, the memory bound, or nothing ("-").
std::string EndsOf(const std::vector<swftest::HostileStep>& steps) {
  bool budget = false, clock = false, memory = false;
  for (const swftest::HostileStep& step : steps) {
    budget = budget || step.counts.budget_spent;
    clock = clock || step.counts.clock_stopped;
    memory = memory || step.counts.memory_full;
  }
  std::string ends;
  for (const auto& [ended, name] : {std::pair{budget, "budget"}, {clock, "clock"}, {memory, "memory"}}) {
    if (ended) ends += ends.empty() ? name : std::string(", ") + name;
  }
  return ends.empty() ? "-" : ends;
}

struct Medians {
  double worst_wall_ms = 0.0;
  double worst_cpu_ms = 0.0;
  double worst_advance_ms = 0.0;
  double load_ms = 0.0;
  double peak_mb = 0.0;
  double units = 0.0;
};
std::map<std::string, Medians>& MediansByRow() {
  static auto* medians = new std::map<std::string, Medians>;
  return *medians;
}
std::map<std::string, std::string>& EndByRow() {
  static auto* ends = new std::map<std::string, std::string>;
  return *ends;
}

void PlayRow(benchmark::State& state, const swftest::HostileMovie* row) {
  for (auto _ : state) {
    ResetPeakResident();
    double worst_wall = 0.0;
    double worst_cpu = 0.0;
    double worst_advance = 0.0;
    double load = 0.0;
    double units = 0.0;
    {
      swftest::HostilePlayer player;
      player.Play(*row);
      const std::vector<swftest::HostileStep>& steps = player.steps();
      load = steps.front().wall_ms;
      for (size_t i = 1; i < steps.size(); ++i) {
        worst_wall = std::max(worst_wall, steps[i].wall_ms);
        worst_cpu = std::max(worst_cpu, steps[i].cpu_ms);
        worst_advance = std::max(worst_advance, steps[i].advance_ms);
      }
      units = player.HeaviestFrame().counts.units;
      EndByRow()[row->name] = EndsOf(player.steps());
    }
    state.SetIterationTime(worst_wall / 1000.0);
    state.counters["cpu_ms"] = worst_cpu;
    state.counters["advance_ms"] = worst_advance;
    state.counters["load_ms"] = load;
    state.counters["peak_MB"] = PeakResidentMB();
    state.counters["units"] = units;
  }
}

// The console output, and the medians of each row kept for the table at the end.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
      std::string name = run.run_name.function_name;
      name = name.substr(name.find('/') + 1);
      Medians& m = MediansByRow()[name];
      m.worst_wall_ms = run.GetAdjustedRealTime();
      auto counter = [&run](const char* key) {
        auto it = run.counters.find(key);
        return it == run.counters.end() ? 0.0 : static_cast<double>(it->second);
      };
      m.worst_cpu_ms = counter("cpu_ms");
      m.worst_advance_ms = counter("advance_ms");
      m.load_ms = counter("load_ms");
      m.peak_mb = counter("peak_MB");
      m.units = counter("units");
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  for (const swftest::HostileMovie& row : swftest::HostileMovies()) {
    benchmark::RegisterBenchmark((std::string("BM_Hostile/") + row.name).c_str(), PlayRow, &row)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
  }
  benchmark::Initialize(&argc, argv);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nMedians (budget %d units a frame, clock stop %d ms, scripts' memory bound %zu MB):\n",
              swf::limits::kMaxActionsPerFrame, swf::limits::kMaxActionMillisecondsPerFrame,
              swf::limits::kMaxScriptBytesPerMovie >> 20);
  std::printf("| row | worst frame, wall ms | its CPU ms | worst advance ms | load ms | peak RSS MB | units | ended by |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  for (const swftest::HostileMovie& row : swftest::HostileMovies()) {
    auto it = MediansByRow().find(row.name);
    if (it == MediansByRow().end()) continue;
    const Medians& m = it->second;
    std::printf("| %s | %.1f | %.1f | %.1f | %.1f | %.0f | %.0f | %s |\n", row.name, m.worst_wall_ms, m.worst_cpu_ms,
                m.worst_advance_ms, m.load_ms, m.peak_mb, m.units, EndByRow()[row.name].c_str());
  }
  benchmark::Shutdown();
  return 0;
}
