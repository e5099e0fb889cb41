#include "engine/ui/Sprite.h"

#include <cmath>
#include <utility>

#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"

namespace ui {

Sprite::~Sprite() { delete image; }

bool Sprite::EnsureImage() {
  if (!image) {
    if (Graphics* graphics = GetGraphics()) image = graphics->LoadImage(imageFile);
  }
  return image != nullptr;
}

float Sprite::Length() const { return static_cast<float>(frameCount) * frameDuration; }

bool Sprite::Advance(int32_t& loops, float& time, float dt, bool looping) const {
  // A strip without frame time stays on its first frame and never comes to an end.
  if (!(frameDuration > 0.0f)) return true;
  const float length = Length();
  if (looping) {
    time += dt;
    if (time >= length) {
      time = 0.0f;
      ++loops;
      return false;
    }
    return true;
  }
  // One step per call. Written as "add dt until the end is passed", a one-shot strip
  // would never end when dt is 0 (Init animates by 0) or when the strip has no length.
  if (time >= length && loops > 0) return true;
  time += dt;
  if (time >= length) {
    time = length;
    ++loops;
    return frameCount < 2;
  }
  return true;
}

math::Vec2 Sprite::GetFrameSize() const {
  if (!image || frameCount <= 0) return math::Vec2(0.0f, 0.0f);
  const float w = static_cast<float>(image->width);
  const float h = static_cast<float>(image->height);
  return math::Vec2((w - (clipX + borderU)) / (static_cast<float>(frameCount) * 800.0f),
                    (h - (clipY + borderV)) / 600.0f);
}

void Sprite::GetFrameUV(float time, math::Vec2& uv1, math::Vec2& uv2) const {
  // A strip without frame time (or a clock that is not a number) stays on its first frame.
  float frame = frameDuration > 0.0f ? std::trunc(time / frameDuration) : 0.0f;
  if (!std::isfinite(frame) || std::fabs(frame) > 1.0e6f) frame = 0.0f;
  GetFrameUVByIndex(static_cast<int32_t>(frame), uv1, uv2);
}

void Sprite::GetFrameUVByIndex(int32_t index, math::Vec2& uv1, math::Vec2& uv2) const {
  if (!image || frameCount <= 0 || image->width == 0 || image->height == 0) {
    uv1 = math::Vec2(0.0f, 0.0f);
    uv2 = math::Vec2(1.0f, 1.0f);
    return;
  }
  const int32_t i = ((index % frameCount) + frameCount) % frameCount;
  const float w = static_cast<float>(image->width);
  const float h = static_cast<float>(image->height);
  const float frameWidth = ((w - clipX) / w) / static_cast<float>(frameCount);
  float left = static_cast<float>(i) * frameWidth + borderU;
  float right = static_cast<float>(i + 1) * frameWidth - borderU;
  float top = borderV;
  float bottom = (h - clipY) / h - borderV;
  if (flipU) std::swap(left, right);
  if (flipV) std::swap(top, bottom);
  uv1 = math::Vec2(left, top);
  uv2 = math::Vec2(right, bottom);
}

}  // namespace ui
