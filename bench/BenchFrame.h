#pragma once

// What the drawing benchmarks share: their window (the graphics tests' hidden window) and
// the bracket around each measured frame.

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
