#pragma once

// What the drawing benchmarks share: their window (made in GraphicsBenchWindow.cpp, apart
// from the Direct3D declarations) and the bracket around each measured frame.

#include "engine/graphics/Graphics.h"

HWND CreateBenchWindow(int width, int height);
void DestroyBenchWindow(HWND window);

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
