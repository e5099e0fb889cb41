#pragma once

#include <cstdint>

#include "engine/graphics/Image.h"

// A movie played into a texture of its own. Only what the renderer calls of it is
// declared here: the renderer keeps the movies it made in its movie list, drops and
// rebuilds their textures around a device reset and deletes them in DestroyMovie. The
// movie itself (decoding, frame timing, its Direct3D form) comes with the movie images.
class AviImage : public Image {
 public:
  // The four-character kind code of movie images, 'avi'.
  static constexpr uint32_t kType = 0x617669;

  virtual bool BindTexture(uint32_t stage) = 0;
  virtual uint32_t GetType() const { return kType; }
  virtual void ReleaseTexture() = 0;
  virtual void RestoreTexture() = 0;
};
