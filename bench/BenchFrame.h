#pragma once

// What the drawing benchmarks share: their window (the graphics tests' hidden window), the
// bracket around each measured frame and the frame-rate counter.

#include <benchmark/benchmark.h>

#include <string>

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

// The 18-byte header of an uncompressed 32-bit TGA stored top row first; the caller
// appends width x height pixels as blue, green, red, alpha bytes.
inline std::string Tga32Header(int width, int height) {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = static_cast<char>(width);
  bytes[13] = static_cast<char>(width >> 8);
  bytes[14] = static_cast<char>(height);
  bytes[15] = static_cast<char>(height >> 8);
  bytes[16] = 32;
  bytes[17] = 0x28;
  return bytes;
}
