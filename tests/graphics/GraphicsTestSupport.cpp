#include "tests/graphics/GraphicsTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/graphics/ResMan.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {

void ResetProcessState() {
  if (GetGraphics()) res::ResMan::Get().ReleaseAll();
  Graphics::SHUTDOWN();
  res::ResMan::Get().ReleaseAll();
  screen::g_offsetX = 0;
  screen::g_offsetY = 0;
  screen::g_heightOverWidth = 0.75f;
  screen::g_widthOverHeight = 1.3333334f;
  screen::g_pixelSnapping = false;
  screen::g_wideScreen = false;
}

void PixelQuad(float left, float top, float right, float bottom, uint32_t color,
               ScreenVertex out[6]) {
  const float l = left - 0.5f, t = top - 0.5f, r = right - 0.5f, b = bottom - 0.5f;
  out[0] = {l, b, 0, 1, color, 0, 1};
  out[1] = {l, t, 0, 1, color, 0, 0};
  out[2] = {r, b, 0, 1, color, 1, 1};
  out[3] = {r, t, 0, 1, color, 1, 0};
  out[4] = {r, b, 0, 1, color, 1, 1};
  out[5] = {l, t, 0, 1, color, 0, 0};
}

// ---- Recording device ---------------------------------------------------------------------

void RecordingGraphicsTest::SetUp() {
  ResetProcessState();
  d3d8::SetDirect3DFactory([this](uint32_t) -> IDirect3D8* {
    direct3d_ = new d3d8::RecordingDirect3D;
    if (configure_) configure_(direct3d_);
    return direct3d_;
  });
  graphics_ = static_cast<Dx8Graphics*>(Dx8Graphics::Create());
}

void RecordingGraphicsTest::TearDown() {
  ResetProcessState();
  d3d8::SetDirect3DFactory({});
  graphics_ = nullptr;
  direct3d_ = nullptr;
}

bool RecordingGraphicsTest::StartDevice(uint32_t width, uint32_t height, bool fullscreen) {
  if (!graphics_->Init()) {
    ADD_FAILURE() << "Init failed";
    return false;
  }
  if (!graphics_->CreateDevice(width, height, fullscreen, false)) {
    ADD_FAILURE() << "CreateDevice failed";
    return false;
  }
  graphics_->SetFiltering(false);
  return true;
}

d3d8::RecordingDevice* RecordingGraphicsTest::Device() const {
  return static_cast<d3d8::RecordingDevice*>(graphics_->Device());
}

// ---- OpenGL -------------------------------------------------------------------------------

void GlGraphicsTest::SetUp() {
  ResetProcessState();
  d3d8::SetDirect3DFactory({});
  folder_ = testenv::MakeTempDir("gl");
  graphics_ = static_cast<Dx8Graphics*>(Dx8Graphics::Create());
}

void GlGraphicsTest::TearDown() {
  ResetProcessState();
  if (window_) DestroyTestWindow(window_);
  window_ = nullptr;
  graphics_ = nullptr;
}

bool GlGraphicsTest::Start(bool fullscreen, bool wide) {
  window_ = CreateTestWindow(800, 600);
  if (!window_) {
    ADD_FAILURE() << "no window";
    return false;
  }
  graphics_->window = window_;
  if (!graphics_->Init()) {
    ADD_FAILURE() << "Init failed: " << d3d8::LastErrorDetail();
    return false;
  }
  uint32_t width = 800, height = 600;
  screen::g_wideScreen = wide;
  if (fullscreen && wide) graphics_->DetectWidescreen(width, height);
  graphics_->storedOffsetX = static_cast<int32_t>(width - 800) / 2;
  graphics_->storedOffsetY = static_cast<int32_t>(height - 600) / 2;
  if (!graphics_->CreateDevice(width, height, fullscreen, false)) {
    ADD_FAILURE() << "CreateDevice failed: " << d3d8::LastErrorDetail();
    return false;
  }
  graphics_->SetFiltering(false);
  return true;
}

Bitmap GlGraphicsTest::EndFrameWithScreenshot(bool halfSize) {
  static int counter = 0;
  const std::string name = folder_ + "/shot" + std::to_string(++counter);
  graphics_->TakeScreenshot(name, halfSize);
  graphics_->EndFrame();
  graphics_->Present();
  Bitmap bitmap;
  EXPECT_TRUE(bitmap.Load(name + ".bmp")) << name;
  return bitmap;
}

}  // namespace gfxtest
