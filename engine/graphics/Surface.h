#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/graphics/Resource.h"

// The alpha of every pixel of a surface, rows top to bottom.
struct SurfaceMask {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> alpha;  // width x height bytes
};

// A resource that holds one decoded image as a texture.
class Surface : public res::Resource {
 public:
  // Builds the texture from the file bytes (reading the file again after Unload), then
  // frees the bytes.
  void InitializeResource() override;
  // Marks the surface released.
  void Unload() override;

  // Binds the texture to a stage when it is ready. Always true.
  virtual bool SetTexture(uint32_t stage) = 0;
  // Alpha of each pixel; null for surfaces without 8-bit alpha.
  virtual std::unique_ptr<SurfaceMask> GenerateMask() = 0;
  // width x height pixels 0xAARRGGBB, rows top first; null for other than 32-bit formats.
  virtual std::unique_ptr<uint32_t[]> GetPixels() = 0;
  // width x height x 4 floats per pixel: blue, green, red, alpha, each 0..255; null for
  // other than 32-bit formats.
  virtual std::unique_ptr<float[]> GetColors() = 0;
  virtual void InitTexture() = 0;

  uint32_t width = 256;
  uint32_t height = 256;
  bool cube = false;
};
