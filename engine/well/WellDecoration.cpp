#include "engine/well/WellDecoration.h"

#include <utility>

#include "engine/well/BaseWell.h"

namespace well {

void WellDecoration::SetImage(const std::string& name) {
  imageName = name;
  sprite.Init(name, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  size = sprite.GetImageSize();
}

void WellDecoration::SetPosition(int32_t cellX, int32_t cellY, const math::Vec2& cellOffset) {
  x = cellX;
  y = cellY;
  offset = cellOffset;
}

math::Vec2 WellDecoration::GetScreenPos() const { return well->CellToScreen(x, y) + offset; }

void WellDecoration::Draw() { DrawAt(GetScreenPos()); }

void WellDecoration::PlaceSprite(const math::Vec2& pos) {
  sprite.SetTransform(pos, size, 0.0f, 1.0f, color);
  // The rotation counts quarter turns, which the sprite's quad builder applies; a turned
  // sprite is drawn uncut by the clipped draw too, so it looks the same near an edge.
  sprite.orientation = ((rotation % 4) + 4) % 4;
}

void WellDecoration::DrawAt(const math::Vec2& pos) {
  PlaceSprite(pos);
  sprite.Render();
}

void WellDecoration::DrawClipped(const math::Vec2& clipMin, const math::Vec2& clipMax) {
  const math::Vec2 pos = GetScreenPos();
  if (pos.x >= clipMin.x && pos.y >= clipMin.y && pos.x + size.x < clipMax.x &&
      pos.y + size.y < clipMax.y) {
    DrawAt(pos);
    return;
  }
  PlaceSprite(pos);
  sprite.RenderClipped(clipMin, clipMax);
}

void WellDecoration::Tick(float dt) {
  if (!sprite.Animate(dt)) OnAnimationEnd();
}

bool WellDecoration::HitTest(const math::Vec2& point) const {
  const math::Vec2 pos = GetScreenPos();
  float w = size.x;
  float h = size.y;
  if (rotation == 1 || rotation == 3) std::swap(w, h);
  return pos.x <= point.x && point.x <= pos.x + w && pos.y <= point.y && point.y <= pos.y + h;
}

}  // namespace well
