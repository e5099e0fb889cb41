#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"
#include "engine/ui/UISprite.h"

namespace well {

class BaseWell;

// One decoration of a board: an image at a cell plus an offset, drawn at the image's
// own size and turned by quarter turns. The board keeps them sorted by layer; layers
// below 3 are drawn under the blocks, the others over them.
class WellDecoration {
 public:
  explicit WellDecoration(BaseWell* owner) : well(owner) {}
  virtual ~WellDecoration() = default;
  WellDecoration(const WellDecoration&) = delete;
  WellDecoration& operator=(const WellDecoration&) = delete;

  // Loads the image (or strip) and takes its size.
  virtual void SetImage(const std::string& name);
  // Draws at the cell's screen position plus the offset.
  virtual void Draw();
  virtual void DrawAt(const math::Vec2& pos);
  // Animates the sprite; OnAnimationEnd when a strip ends a pass.
  virtual void Tick(float dt);
  virtual void OnAnimationEnd() {}

  void SetPosition(int32_t cellX, int32_t cellY, const math::Vec2& cellOffset);
  // True when the point lies in the decoration's box, whose sides swap when it is turned
  // a quarter or three quarters.
  bool HitTest(const math::Vec2& point) const;
  // Draw, cut to [min, max] when it does not lie wholly inside.
  void DrawClipped(const math::Vec2& clipMin, const math::Vec2& clipMax);
  // The cell's screen position plus the offset.
  math::Vec2 GetScreenPos() const;

  BaseWell* well;
  int32_t x = 0;
  int32_t y = 0;
  math::Vec2 size{0.0f, 0.0f};  // the image's own size on the screen
  math::Vec2 offset{0.0f, 0.0f};
  uint32_t color = 0xFFFFFFFF;
  ui::UISprite sprite;
  std::string imageName;
  int32_t layer = 3;
  int32_t rotation = 0;  // quarter turns

 private:
  // Places the sprite at pos with the decoration's size, colour and quarter turns.
  void PlaceSprite(const math::Vec2& pos);
};

}  // namespace well
