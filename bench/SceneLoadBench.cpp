// Loading a background scene file of 100,000 entries (waypoints with and without IDs,
// decals of five sorts, paths): reading the Lua table, numbering the waypoints and
// ordering every list. The scene test loads the same file and checks what it holds.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/BenchWarmUp.h"
#include "engine/background/BGScene.h"
#include "tests/background/LargeScene.h"

namespace {

// The file, written once into a folder of the program's own.
const std::string& ScenePath() {
  static const std::string path = [] {
    char pattern[] = "/tmp/pellavo-bench-XXXXXX";
    const std::string folder = mkdtemp(pattern) ? pattern : ".";
    const std::string file = folder + "/big_scene.lua";
    const std::string text = "BGScene = " + bgtest::LargeScene::Body() + "\n";
    FILE* out = std::fopen(file.c_str(), "wb");
    if (out) {
      std::fwrite(text.data(), 1, text.size(), out);
      std::fclose(out);
    }
    return file;
  }();
  return path;
}

void BM_LoadHundredThousandEntryScene(benchmark::State& state) {
  for (auto _ : state) {
    background::BGScene scene;
    if (!scene.Load(ScenePath())) state.SkipWithError("the scene file does not load");
    benchmark::DoNotOptimize(scene.waypoints.data());
  }
}
BENCHMARK(BM_LoadHundredThousandEntryScene)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUpSeconds);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(ScenePath()).parent_path(), ec);
  benchmark::Shutdown();
  return 0;
}
