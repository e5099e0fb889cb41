#pragma once

#include "engine/graphics/DynamicImage.h"
#include "platform/d3d8/D3D8.h"

// The Direct3D 8 form of the dynamic image: a dynamic texture of the default pool.
class Dx8DynamicImage final : public DynamicImage {
 public:
  Dx8DynamicImage(uint16_t width, uint16_t height, uint16_t bitsPerPixel);
  ~Dx8DynamicImage() override;

  bool BindTexture(uint32_t stage) override;
  bool SetPixels(const void* buffer) override;
  bool CreateTexture() override;

  // The texture format of a pixel depth: 16 R5G6B5, 24 R8G8B8, else A8R8G8B8.
  static D3DFORMAT FormatOf(uint32_t bitsPerPixel);

  // The texture, or null when it could not be made.
  IDirect3DTexture8* Texture() const { return texture_; }

 private:
  void ReleaseTexture();

  IDirect3DTexture8* texture_ = nullptr;
};
