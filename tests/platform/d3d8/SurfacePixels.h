#pragma once

// Surfaces and texture levels read back as 0xAARRGGBB values, rows top first, whatever
// their format.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/PixelFormat.h"

namespace d3dtest {

// The whole surface; zeros with a test failure when it cannot be locked.
inline std::vector<uint32_t> ReadSurface(IDirect3DSurface8* surface) {
  D3DSURFACE_DESC desc{};
  surface->GetDesc(&desc);
  std::vector<uint32_t> pixels(static_cast<size_t>(desc.Width) * desc.Height);
  D3DLOCKED_RECT locked{};
  if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    ADD_FAILURE() << "LockRect failed";
    return pixels;
  }
  d3d8::DecodePixels(desc.Format, static_cast<const uint8_t*>(locked.pBits),
                     static_cast<uint32_t>(locked.Pitch), desc.Width, desc.Height, pixels.data());
  surface->UnlockRect();
  return pixels;
}

// Level 0 of the texture.
inline std::vector<uint32_t> ReadTexture(IDirect3DTexture8* texture) {
  IDirect3DSurface8* level = nullptr;
  if (FAILED(texture->GetSurfaceLevel(0, &level))) {
    ADD_FAILURE() << "GetSurfaceLevel failed";
    return {};
  }
  std::vector<uint32_t> pixels = ReadSurface(level);
  level->Release();
  return pixels;
}

}  // namespace d3dtest
