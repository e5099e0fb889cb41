#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/GlDevice.h"
#include "tests/platform/d3d8/SurfacePixels.h"
#include "tests/support/TestEnv.h"

namespace d3dtest {

// The renderer's vertex formats.
struct ScreenVertex {  // 28 bytes, FVF 0x144
  float x, y, z, rhw;
  uint32_t color;
  float u, v;
};
struct ScreenVertex2 {  // 36 bytes, FVF 0x244
  float x, y, z, rhw;
  uint32_t color;
  float u0, v0, u1, v1;
};
struct WorldVertex {  // 24 bytes, FVF 0x142
  float x, y, z;
  uint32_t color;
  float u, v;
};
constexpr uint32_t kScreenFvf = 0x144;
constexpr uint32_t kScreenFvf2 = 0x244;
constexpr uint32_t kWorldFvf = 0x142;

// Two clockwise triangles covering the pixels [left, right) x [top, bottom), placed as
// the renderer's quad builders place them (edges half a pixel before the pixel centres).
std::vector<ScreenVertex> Quad(float left, float top, float right, float bottom, uint32_t color,
                               float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1);

// A hidden OpenGL window of the given size wrapped as a window handle, and a GL device on
// it with a back buffer of the given size.
class GlDeviceFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Makes window and device (with a D24S8 depth-stencil when asked); false (with a test
  // failure) when it cannot.
  bool Open(int windowWidth, int windowHeight, uint32_t backWidth, uint32_t backHeight,
            bool depthStencil = false);
  d3d8::GlDevice* Gl() const { return static_cast<d3d8::GlDevice*>(device_); }
  // The back buffer as 0xAARRGGBB values, rows top first.
  std::vector<uint32_t> ReadBackBuffer();
  uint32_t Pixel(const std::vector<uint32_t>& pixels, int x, int y) const {
    return pixels[static_cast<size_t>(y) * backWidth_ + x];
  }
  // Sets the renderer's default 2-D states: alpha blending, alpha test GREATER 16,
  // stage 0 MODULATE(texture, diffuse), stage 1 off, point filtering.
  void Default2DStates();
  void DrawScreen(const std::vector<ScreenVertex>& vertices);
  // A texture of the format filled from A8R8G8B8 pixels (rows top first).
  IDirect3DTexture8* MakeTexture(uint32_t width, uint32_t height, D3DFORMAT format,
                                 const std::vector<uint32_t>& pixels);

  HWND__ window_;
  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  uint32_t backWidth_ = 0;
  uint32_t backHeight_ = 0;
};

using testenv::ColorNear;

}  // namespace d3dtest
