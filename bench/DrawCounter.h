#pragma once

// Counts the OpenGL draw calls of a stretch of drawing (a frame), for the benchmarks that
// report how many draws their frame makes.
//
// The program that links DrawCounter.cpp defines the OpenGL draw entry points itself
// (glDrawArrays, glDrawElements and their ranged, instanced, base-vertex and multi forms),
// counts each call and hands it on to the library's own. This counts what the driver is
// really asked to draw, whatever the device does above it, as long as the device calls
// those entry points directly (as the OpenGL back end does).
//
// Beside the calls it counts runs: a draw of triangles joins the run of the draw before it
// when that one drew triangles too and nothing the device holds has changed in between
// (the bound textures, every render state and texture stage state, the vertex format and
// the target), read through the Direct3D device's own getters at each draw. A device that
// merges consecutive draws of one texture and state into one draws one call per run.

#include <cstdint>

#include "bench/BenchFrame.h"

namespace benchdraws {

struct Draws {
  uint32_t calls = 0;  // OpenGL draw calls
  uint32_t runs = 0;   // runs of triangle draws of one texture and state (see above)
};

// Counting starts from zero; it costs a few hundred device queries a draw, so a benchmark
// counts one frame beside its timed ones, not during them.
void StartCounting();
// What was counted since StartCounting; counting stops.
Draws StopCounting();

// Draws one more whole frame (cleared, draw(), ended and presented) while counting, and
// gives the benchmark the counters "draws" and "runs".
template <typename Draw>
void CountFrameDraws(benchmark::State& state, Graphics* graphics, Draw draw) {
  StartCounting();
  BeginBenchFrame(graphics);
  draw();
  EndBenchFrame(graphics);
  const Draws counted = StopCounting();
  state.counters["draws"] = counted.calls;
  state.counters["runs"] = counted.runs;
}

}  // namespace benchdraws
