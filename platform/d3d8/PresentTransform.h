#pragma once

// Where the back buffer lands in the window when it is presented: scaled uniformly to the
// largest size that fits, centred, with black bars on the remaining sides. The drawing
// layer presents with these numbers and the engine maps the cursor with the same ones,
// both for the client size the window layer reports, so that they always agree.
// Header-only, so that any layer can use it.

#include <algorithm>
#include <cmath>

namespace d3d8 {

struct PresentTransform {
  int backBufferWidth = 0;
  int backBufferHeight = 0;
  int windowWidth = 0;
  int windowHeight = 0;
  // The back buffer's picture inside the window, in window coordinates (y down).
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  static PresentTransform Compute(int backBufferWidth, int backBufferHeight, int windowWidth,
                                  int windowHeight) {
    PresentTransform t;
    t.backBufferWidth = backBufferWidth;
    t.backBufferHeight = backBufferHeight;
    t.windowWidth = windowWidth;
    t.windowHeight = windowHeight;
    if (backBufferWidth <= 0 || backBufferHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) {
      return t;
    }
    const double scale = std::min(static_cast<double>(windowWidth) / backBufferWidth,
                                  static_cast<double>(windowHeight) / backBufferHeight);
    t.width = std::min(windowWidth, static_cast<int>(std::lround(backBufferWidth * scale)));
    t.height = std::min(windowHeight, static_cast<int>(std::lround(backBufferHeight * scale)));
    t.x = (windowWidth - t.width) / 2;
    t.y = (windowHeight - t.height) / 2;
    return t;
  }

  bool Empty() const { return width <= 0 || height <= 0; }

  // A window point to back-buffer pixels. False when the point lies on a bar (the result
  // is still computed, outside the back buffer's range).
  bool WindowToBackBuffer(float windowX, float windowY, float* bufferX, float* bufferY) const {
    if (Empty()) {
      *bufferX = *bufferY = 0;
      return false;
    }
    *bufferX = (windowX - x) * backBufferWidth / width;
    *bufferY = (windowY - y) * backBufferHeight / height;
    return *bufferX >= 0 && *bufferY >= 0 && *bufferX < backBufferWidth &&
           *bufferY < backBufferHeight;
  }

  void BackBufferToWindow(float bufferX, float bufferY, float* windowX, float* windowY) const {
    if (Empty()) {
      *windowX = *windowY = 0;
      return;
    }
    *windowX = x + bufferX * width / backBufferWidth;
    *windowY = y + bufferY * height / backBufferHeight;
  }
};

}  // namespace d3d8
