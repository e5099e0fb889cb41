#pragma once

// What the drawing benchmarks share: their window (the graphics tests' hidden window), the
// bracket around each measured frame and the frame-rate counter.

#include <benchmark/benchmark.h>

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

// Reports the run's frames per second as the counter "fps".
inline void SetFrameRate(benchmark::State& state) {
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
}
