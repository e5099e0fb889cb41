// A frame of a help-style SWF movie on OpenGL (headless unless SDL_VIDEODRIVER says
// otherwise): the chain help movie with a dozen flower sprites (gradient shapes, a morph,
// a masked caption, static and edit text, frame actions) advanced and drawn over the
// whole 800 x 600 screen through the engine glue, beside a frame that only clears, in the
// same run. Prints both frame times and their ratio.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "bench/BenchFrame.h"
#include "bench/BenchPair.h"
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
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "pellavo_bench_help.swf";
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
  RunBenchFrames(state, stage.renderer.graphics, stage.ready, [&] {
    stage.movie->Advance(1.0f / 60.0f);
    stage.movie->Display(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
  });
}
BENCHMARK(BM_SwfHelpFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ClearOnlyFrame(benchmark::State& state) {
  Stage& stage = GetStage();
  RunBenchFrames(state, stage.renderer.graphics, stage.renderer.graphics != nullptr && stage.ready, [] {});
}
BENCHMARK(BM_ClearOnlyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  UseHeadlessDefaults();
  benchmark::Initialize(&argc, argv);
  PairReporter reporter("BM_SwfHelpFrame", "BM_ClearOnlyFrame", PairReporter::Clock::kReal);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (reporter.HasBoth()) {
    std::printf("SWF help frame %.2f ms, clear-only frame %.2f ms: %.2fx\n", reporter.first_ns / 1e6,
                reporter.second_ns / 1e6, reporter.first_ns / reporter.second_ns);
  }
  Stage& stage = GetStage();
  stage.movie.reset();
  stage.driver.reset();
  CloseBenchRenderer(stage.renderer);
  benchmark::Shutdown();
  return 0;
}
