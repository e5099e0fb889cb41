#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/graphics/Graphics.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "platform/d3d8/RecordingDirect3D.h"
#include "tests/graphics/TestWindow.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {

using testenv::Bitmap;
using testenv::ColorNear;

// Puts every process-wide value of the renderer back to its start: no renderer, offsets
// (0, 0), 4:3 ratios, no wide screen, no present transform, no resources.
void ResetProcessState();

// A Dx8Graphics on the recording Direct3D object (no window, nothing drawn): every call
// it makes of the device is recorded.
class RecordingGraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Init and CreateDevice; false with a test failure when either fails.
  bool StartDevice(uint32_t width = 800, uint32_t height = 600, bool fullscreen = false);
  d3d8::RecordingDevice* Device() const;

  // Runs on the Direct3D object before Init reads it.
  std::function<void(d3d8::RecordingDirect3D*)> configure_;
  Dx8Graphics* graphics_ = nullptr;
  d3d8::RecordingDirect3D* direct3d_ = nullptr;
};

// A Dx8Graphics on OpenGL (headless, Mesa's software renderer) with a real window.
class GlGraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Window, Init and CreateDevice of the given back buffer; full screen on a wide desktop
  // when wide is set (960 x 600 with the play area at 80). False with a test failure when
  // the device cannot be made.
  bool Start(bool fullscreen = false, bool wide = false);
  // Ends the frame with a screenshot and presents; the written file, read back.
  Bitmap EndFrameWithScreenshot(bool halfSize = false);

  Dx8Graphics* graphics_ = nullptr;
  HWND window_ = nullptr;
  std::string folder_;
};

// A quad over back-buffer pixels [left, right) x [top, bottom), as the quad builders
// place it, with whole-texture UVs.
void PixelQuad(float left, float top, float right, float bottom, uint32_t color,
               ScreenVertex out[6]);

}  // namespace gfxtest
