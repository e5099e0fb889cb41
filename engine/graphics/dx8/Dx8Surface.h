#pragma once

#include "engine/graphics/Surface.h"
#include "platform/d3d8/D3D8.h"

// The Direct3D 8 surface: the file's bytes decoded into a texture (or a cube texture for
// a cube-map DDS) at the file's own size and format, with pixel read-back.
class Dx8Surface final : public Surface {
 public:
  // The constructor registered for the image extensions: a new, empty surface.
  static res::Resource* CreateImage();
  // A surface holding an existing A8R8G8B8 texture (whose reference it takes over). It is
  // ready to draw at once.
  static Dx8Surface* FromTexture(IDirect3DTexture8* texture, uint32_t width, uint32_t height);
  // Registers CreateImage for "jpg", "tga", "bmp", "dds" and "png", once per process.
  static void RegisterImageTypes();
  // The side of the square texture an image of this size gets on a device that takes
  // square textures only: 512, 256, 128, 64 or 32.
  static uint32_t SquareSide(uint32_t width, uint32_t height);

  Dx8Surface();
  ~Dx8Surface() override;

  void Unload() override;
  bool SetTexture(uint32_t stage) override;
  std::unique_ptr<SurfaceMask> GenerateMask() override;
  std::unique_ptr<uint32_t[]> GetPixels() override;
  std::unique_ptr<float[]> GetColors() override;
  void InitTexture() override;

  // Blends this surface (A8R8G8B8 only) into a locked A8R8G8B8 target of the given size
  // with its top-left corner at (x, y); pixels outside the target are skipped.
  void BlendInto(const D3DLOCKED_RECT& target, uint32_t targetWidth, uint32_t targetHeight,
                 int32_t x, int32_t y);

  IDirect3DBaseTexture8* Texture() const;
  D3DFORMAT Format() const { return format_; }

 private:
  void ReleaseTexture();
  // Level 0 of a 32-bit texture locked read-only; false (nothing locked) otherwise.
  bool LockLevel0(D3DLOCKED_RECT* locked, D3DSURFACE_DESC* desc, bool alphaOnly);

  IDirect3DTexture8* texture_ = nullptr;
  IDirect3DCubeTexture8* cubeTexture_ = nullptr;
  D3DFORMAT format_ = D3DFMT_UNKNOWN;
};
