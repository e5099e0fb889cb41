#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"

class Image;

namespace ui {

// One animated strip of the sprite set: frameCount frames laid side by side in one image,
// each shown for frameDuration seconds. Widgets that name a strip instead of an image file
// borrow its image and play its frames (see UISprite).
class Sprite {
 public:
  Sprite() = default;
  // Deletes the strip's image.
  ~Sprite();
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // Loads the image when the strip has none yet; true when it has one afterwards.
  bool EnsureImage();

  // Seconds from the first frame to the end of the last: frameCount x frameDuration.
  float Length() const;
  // Moves an animation clock of this strip on by dt. Looping: at the strip's end the
  // clock goes back to 0 (not to the remainder), loops counts one and the result is false;
  // else true. One-shot: the clock stops at the end, loops counts one, and the result of
  // that step is true only for a strip of fewer than 2 frames (false marks the end of a
  // multi-frame strip); once at the end the clock stays and the result is true.
  bool Advance(int32_t& loops, float& time, float dt, bool looping) const;

  // The screen size (play-area fractions) of one frame.
  math::Vec2 GetFrameSize() const;
  // The texture rectangle of the frame shown at the clock time.
  void GetFrameUV(float time, math::Vec2& uv1, math::Vec2& uv2) const;
  // The texture rectangle of a frame; indices wrap around the frame count.
  void GetFrameUVByIndex(int32_t index, math::Vec2& uv1, math::Vec2& uv2) const;

  std::string name;
  std::string imageFile;
  Image* image = nullptr;  // owned
  int32_t frameCount = 1;
  float frameDuration = 0.1f;  // seconds per frame
  float borderU = 0.0f;        // inset of each frame, in texture units
  float borderV = 0.0f;
  float clipX = 0.0f;  // pixels cut off the right of the whole strip
  float clipY = 0.0f;  // pixels cut off the bottom
  std::string sourceFile;
  bool flipU = false;
  bool flipV = false;
};

}  // namespace ui
