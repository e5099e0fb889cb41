#pragma once

// A console reporter that also keeps the time of two benchmarks, found by the start of their
// names, so that a benchmark program can print how they compare after the run.

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

class PairReporter : public benchmark::ConsoleReporter {
 public:
  enum class Clock { kReal, kCpu };

  PairReporter(std::string first, std::string second, Clock clock)
      : first_(std::move(first)), second_(std::move(second)), clock_(clock) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // With repetitions only the mean stands for the benchmark.
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean") continue;
      const double time = clock_ == Clock::kReal ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
      const double ns = time * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      const std::string name = run.benchmark_name();
      if (name.rfind(first_, 0) == 0) first_ns = ns;
      if (name.rfind(second_, 0) == 0) second_ns = ns;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  bool HasBoth() const { return first_ns > 0.0 && second_ns > 0.0; }

  double first_ns = 0.0;
  double second_ns = 0.0;

 private:
  std::string first_;
  std::string second_;
  Clock clock_;
};
