// The tracking memory manager against the plain C heap on one mixed pattern: blocks of
// 8 B to 4 KiB (log-uniform), allocated and released in random order with about half of
// 4096 slots live, the same fixed sequence for every contender. Also measured: the C heap
// plus the manager's zero fill, and plus its release wipe, to show what those two cost.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "bench/BenchWarmUp.h"

namespace {

constexpr uint32_t kSlots = 4096;
constexpr uint32_t kSteps = 200000;

struct Step {
  uint32_t slot;
  uint32_t size;  // 0: release the slot's block
};

struct Pattern {
  std::vector<Step> steps;
  uint64_t pairs = 0;  // allocations, each released once
};

const Pattern& MixedPattern() {
  static const Pattern pattern = [] {
    Pattern p;
    uint64_t x = 0x9E3779B97F4A7C15ull;  // fixed seed
    auto next = [&x] {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      return x;
    };
    std::vector<bool> live(kSlots, false);
    for (uint32_t i = 0; i < kSteps; ++i) {
      uint32_t slot = static_cast<uint32_t>(next() % kSlots);
      if (live[slot]) {
        p.steps.push_back({slot, 0});
      } else {
        double unit = static_cast<double>(next() >> 11) / 9007199254740992.0;
        uint32_t size = static_cast<uint32_t>(8.0 * std::pow(512.0, unit));  // 8 .. 4096
        p.steps.push_back({slot, size});
        ++p.pairs;
      }
      live[slot] = !live[slot];
    }
    for (uint32_t slot = 0; slot < kSlots; ++slot) {
      if (live[slot]) p.steps.push_back({slot, 0});
    }
    return p;
  }();
  return pattern;
}

struct CHeap {
  static void* Allocate(uint32_t size) { return std::malloc(size); }
  static void Release(void* block, uint32_t) { std::free(block); }
};

struct CHeapZeroFill {
  static void* Allocate(uint32_t size) {
    void* block = std::malloc(size);
    std::memset(block, 0, size);
    return block;
  }
  static void Release(void* block, uint32_t) { std::free(block); }
};

struct CHeapZeroFillAndWipe {
  static void* Allocate(uint32_t size) { return CHeapZeroFill::Allocate(size); }
  static void Release(void* block, uint32_t size) {
    std::wmemset(static_cast<wchar_t*>(block), static_cast<wchar_t>(0xDEADBEEFu), size / 4);
    benchmark::DoNotOptimize(block);
    std::free(block);
  }
};

struct GlobalNew {  // the tracking manager when the build has it
  static void* Allocate(uint32_t size) { return ::operator new(size); }
  static void Release(void* block, uint32_t) { ::operator delete(block); }
};

template <typename Heap>
void BM_MixedPattern(benchmark::State& state) {
  const Pattern& pattern = MixedPattern();
  std::vector<void*> blocks(kSlots, nullptr);
  std::vector<uint32_t> sizes(kSlots, 0);
  for (auto _ : state) {
    for (const Step& step : pattern.steps) {
      if (step.size) {
        blocks[step.slot] = Heap::Allocate(step.size);
        sizes[step.slot] = step.size;
        benchmark::DoNotOptimize(blocks[step.slot]);
      } else {
        Heap::Release(blocks[step.slot], sizes[step.slot]);
      }
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * pattern.pairs));
}

BENCHMARK_TEMPLATE(BM_MixedPattern, CHeap)
    ->Name("CHeap")
    ->Unit(benchmark::kMillisecond)
    ->MinWarmUpTime(kWarmUpSeconds);
BENCHMARK_TEMPLATE(BM_MixedPattern, CHeapZeroFill)
    ->Name("CHeapZeroFill")
    ->Unit(benchmark::kMillisecond)
    ->MinWarmUpTime(kWarmUpSeconds);
BENCHMARK_TEMPLATE(BM_MixedPattern, CHeapZeroFillAndWipe)
    ->Name("CHeapZeroFillAndWipe")
    ->Unit(benchmark::kMillisecond)
    ->MinWarmUpTime(kWarmUpSeconds);
#if defined(PELLAVO_TRACKING_MEMORY) && PELLAVO_TRACKING_MEMORY
BENCHMARK_TEMPLATE(BM_MixedPattern, GlobalNew)
    ->Name("TrackingManager")
    ->Unit(benchmark::kMillisecond)
    ->MinWarmUpTime(kWarmUpSeconds);
#else
BENCHMARK_TEMPLATE(BM_MixedPattern, GlobalNew)
    ->Name("GlobalNewUntracked")
    ->Unit(benchmark::kMillisecond)
    ->MinWarmUpTime(kWarmUpSeconds);
#endif

// Keeps each run's time so that main can print the ratios at the end.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred) times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const auto& t = reporter.times;
  auto time = [&t](const char* name) {
    auto it = t.find(name);
    return it == t.end() ? 0.0 : it->second;
  };
  const double cHeap = time("CHeap");
  const double pairs = static_cast<double>(MixedPattern().pairs);
  if (cHeap <= 0.0) return 0;
  // Times are in milliseconds per pass over the pattern.
  std::printf("\nPer allocation and release pair (%.0f pairs per pass):\n", pairs);
  for (const char* name : {"CHeap", "CHeapZeroFill", "CHeapZeroFillAndWipe", "TrackingManager"}) {
    double ms = time(name);
    if (ms > 0.0) {
      std::printf("  %-22s %7.1f ns  %5.2fx the C heap\n", name, ms * 1e6 / pairs, ms / cHeap);
    }
  }
  return 0;
}
