#pragma once

#include <memory>

#include "engine/graphics/AviImage.h"
#include "platform/d3d8/D3D8.h"

// The Direct3D 8 form of the movie image: the frames go into a dynamic texture of the
// default pool, of the movie's size, requested as D3DFMT_R8G8B8.
class Dx8AviImage final : public AviImage {
 public:
  explicit Dx8AviImage(std::unique_ptr<MovieDecoder> decoder = nullptr);
  ~Dx8AviImage() override;

  bool BindTexture(uint32_t stage) override;

  // The frame texture, or null (before Load, after a failed one, between ReleaseTexture
  // and RestoreTexture).
  IDirect3DTexture8* Texture() const { return texture_; }

 protected:
  void UploadFrame() override;
  bool CreateTexture() override;
  bool DestroyTexture() override;

 private:
  IDirect3DTexture8* texture_ = nullptr;
};
