#pragma once

#include "engine/graphics/Graphics.h"
#include "platform/d3d8/D3DX8.h"

// A render-to-texture target of the Direct3D 8 renderer. It registers itself with the
// renderer, which releases and recreates it around a device reset; a target whose objects
// are missing recreates them the next time rendering into it begins.
class Dx8ImageCache final : public ImageCache {
 public:
  Dx8ImageCache();
  ~Dx8ImageCache() override;

  // Makes the texture and its render-to-surface object; false (one log line) on failure.
  // The size becomes the one Direct3D accepts.
  bool Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel) override;
  // Clears the device's current render target (call between BeginRender and EndRender).
  void Clear(uint32_t color) override;
  // Draws go into the target from here: the play area sits at (0, 0) and the default 2-D
  // states are set. False while the device is lost or the target cannot be made.
  bool BeginRender() override;
  void EndRender() override;
  void Release() override;
  void Recreate() override;
  // Binds the target as a texture.
  void SetTexture(uint32_t stage) override;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  IDirect3DTexture8* Texture() const { return texture_; }

  // The target format of a pixel depth: 24 R8G8B8, 16 R5G6B5, 8 A8, else A8R8G8B8.
  static D3DFORMAT FormatOf(uint32_t bitsPerPixel);

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint32_t bitsPerPixel_ = 32;
  ID3DXRenderToSurface* renderToSurface_ = nullptr;
  IDirect3DTexture8* texture_ = nullptr;
  IDirect3DSurface8* surface_ = nullptr;
  // The frame's viewport, put back after drawing into the target: the render-to-surface
  // object restores the 800 x 600 one set before it began, which would cut the right part
  // of a wider back buffer (and its black bar) for the rest of the frame.
  D3DVIEWPORT8 savedViewport_{};
  int32_t savedOffsetX_ = 0;
  int32_t savedOffsetY_ = 0;
  bool rendering_ = false;
};
