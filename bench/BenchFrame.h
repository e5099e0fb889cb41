#pragma once

// What the drawing benchmarks share: their window (the graphics tests' hidden window) and
// the bracket around each measured frame.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include "engine/graphics/Graphics.h"
#include "tests/graphics/TestWindow.h"

// A cleared frame with the default 2-D states, as a game state's frame starts.
inline void BeginBenchFrame(Graphics* graphics) {
  graphics->BeginFrame();
  graphics->Clear(0xFF203040, 0, 0, true, false, false);
  graphics->ResetRenderStates();
}

inline void EndBenchFrame(Graphics* graphics) {
  graphics->EndFrame();
  graphics->Present();
}

// The frames a second of a benchmark whose iterations are frames.
inline void SetFrameRate(benchmark::State& state) {
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
}

// Runs the benchmarks of the program, headless by default on Mesa's software renderer as
// the tests run.
inline void RunBenchmarksHeadless(int& argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
}
