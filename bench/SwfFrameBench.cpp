// A frame of a help-style SWF movie on OpenGL (headless unless SDL_VIDEODRIVER says
// otherwise): the chain help movie with a dozen flower sprites (gradient shapes, a morph,
// a masked caption, static and edit text, frame actions) advanced and drawn over the
// whole 800 x 600 screen through the engine glue, beside a frame that only clears, in the
// same run. Prints the medians of five repetitions, the ratios with and without the
// rasteriser's threads and the draw calls.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "bench/BenchFrame.h"
#include "bench/BenchRatios.h"
#include "bench/DrawCounter.h"
#include "engine/swf/FlashDriver.h"
#include "engine/swf/FlashMovie.h"
#include "tools/helpmovies/HelpMovies.h"

namespace {

struct Stage {
  BenchRenderer renderer;
  std::unique_ptr<flash::FlashDriver> driver;
  std::unique_ptr<flash::FlashMovie> movie;
  bool ready = false;
};

Stage& GetStage() {
  static Stage stage = [] {
    Stage s;
    if (!OpenBenchRenderer(s.renderer)) return s;
    std::string error;
    const swfw::Bytes bytes = helpmovies::MakeBenchMovie(PELLAVO_BENCH_FONT, error);
    if (bytes.empty()) return s;
    // Into the working folder: the program's temporary folder.
    const std::filesystem::path file = "pellavo_bench_help.swf";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    s.driver = std::make_unique<flash::FlashDriver>();
    s.movie = std::make_unique<flash::FlashMovie>();
    s.ready = s.movie->Load(file.string());
    return s;
  }();
  return stage;
}

void BM_SwfHelpFrame(benchmark::State& state) {
  Stage& stage = GetStage();
  const auto draw = [&stage] {
    stage.movie->Advance(1.0f / 60.0f);
    stage.movie->Display(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
  };
  RunBenchFrames(state, stage.renderer.graphics, stage.ready, draw);
  if (stage.ready) benchdraws::CountFrameDraws(state, stage.renderer.graphics, draw);
}
BENCHMARK(BM_SwfHelpFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

void BM_ClearOnlyFrame(benchmark::State& state) {
  Stage& stage = GetStage();
  RunBenchFrames(state, stage.renderer.graphics, stage.ready, [] {});
}
BENCHMARK(BM_ClearOnlyFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

}  // namespace

int main(int argc, char** argv) {
  UseHeadlessDefaults();
  BenchFolder folder("bench_swf_frame");
  if (!folder.ok()) return 1;
  const int status = RunRatioBenchmarks(
      argc, argv, {{"SWF help frame / clear-only frame", "BM_SwfHelpFrame", "BM_ClearOnlyFrame"}});
  Stage& stage = GetStage();
  stage.movie.reset();
  stage.driver.reset();
  CloseBenchRenderer(stage.renderer);
  benchmark::Shutdown();
  return status;
}
