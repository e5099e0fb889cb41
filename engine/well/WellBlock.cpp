#include "engine/well/WellBlock.h"

#include <cmath>
#include <strings.h>

#include "engine/graphics/SpriteBatch.h"
#include "engine/well/BaseWell.h"

namespace well {

namespace {

// Index 30 has no name of its own: GetColorName gives "none" for it, as for every index
// outside the table.
const char* const kColorNames[kColorCount] = {
    "blue",     "green",     "red",       "yellow",    "purple",    "black",    "turqoise",
    "orange",   "pink",      "violet",    "cyan",      "white",     "aqua",     "beige",
    "coral",    "indigo",    "ivory",     "lime",      "generic1",  "generic2", "generic3",
    "generic4", "generic5",  "generic6",  "generic7",  "generic8",  "generic9", "generic10",
    "generic11", "generic12", "none",     "empty",     "filled",    "none",     "any",
};

}  // namespace

const char* GetColorName(int index) {
  if (index < 0 || index >= kColorCount) return "none";
  return kColorNames[index];
}

int FindColor(const std::string& name) {
  for (int i = 0; i < kColorCount; ++i) {
    if (strcasecmp(name.c_str(), kColorNames[i]) == 0) return i;
  }
  return kColorRed;
}

// --- Drawing ---

void WellBlock::Render(const math::Vec2& pos) {
  if (HasImage()) DrawSprites(pos, nullptr);
}

void WellBlock::RenderToBatch(SpriteBatch& batch) {
  if (HasImage()) DrawSprites(GetScreenPos(), &batch);
}

void WellBlock::DrawSprites(const math::Vec2& pos, SpriteBatch* batch) {
  sprite.SetTransform(pos, screenSize, 0.0f, 1.0f, tint);
  DrawSprite(sprite, batch);
}

void WellBlock::DrawSprite(ui::UISprite& placed, SpriteBatch* batch) {
  if (!batch) {
    placed.Render();
    return;
  }
  // The batch draws with the blend it finds; an additive sprite sets its own.
  if (placed.additive) {
    batch->Render(math::Vec2(0.0f, 0.0f), false);
    placed.Render();
    return;
  }
  batch->AddRotated(&placed, 0.0f);
}

namespace {
bool Inside(const math::Vec2& pos, const math::Vec2& size, const math::Vec2& clipMin,
            const math::Vec2& clipMax) {
  return pos.x >= clipMin.x && pos.y >= clipMin.y && pos.x + size.x < clipMax.x &&
         pos.y + size.y < clipMax.y;
}
}  // namespace

void WellBlock::RenderClipped(const math::Vec2& pos, const math::Vec2& clipMin,
                              const math::Vec2& clipMax) {
  if (!HasImage()) return;
  if (Inside(pos, screenSize, clipMin, clipMax)) {
    Render(pos);
    return;
  }
  sprite.SetTransform(pos, screenSize, 0.0f, 1.0f, tint);
  sprite.RenderClipped(clipMin, clipMax);
}

void WellBlock::RenderToBatchClipped(SpriteBatch& batch, bool flag, const math::Vec2& clipMin,
                                     const math::Vec2& clipMax) {
  if (!HasImage()) return;
  const math::Vec2 pos = GetScreenPos();
  if (Inside(pos, screenSize, clipMin, clipMax)) {
    RenderToBatch(batch);
    return;
  }
  sprite.SetTransform(pos, screenSize, 0.0f, 1.0f, tint);
  batch.AddClipped(&sprite, clipMin, clipMax);
}

void WellBlock::Draw() {
  if (HasImage()) Render(GetScreenPos());
}

math::Vec2 WellBlock::GetScreenPos() const {
  return well->CellToScreen(currentX, currentY) + moveOffset + drawOffset;
}

// --- Movement ---

bool WellBlock::Tick(float dt) {
  if (!sprite.Animate(dt)) OnAnimationEnd();

  if (moving) {
    const math::Vec2 target = well->CellToScreen(targetX, targetY);
    const math::Vec2 here = well->CellToScreen(currentX, currentY) + moveOffset;
    const math::Vec2 d = target - here;
    const float step = dt * well->GetMoveSpeed();
    bool arrivedX = true;
    bool arrivedY = true;
    if (std::fabs(d.x) >= step) {
      arrivedX = false;
      if (d.x > 0.0f) moveOffset.x += step;
      if (d.x < 0.0f) moveOffset.x -= step;
    }
    if (std::fabs(d.y) >= step) {
      arrivedY = false;
      if (d.y > 0.0f) moveOffset.y += step;
      if (d.y < 0.0f) moveOffset.y -= step;
    }
    if (arrivedX && arrivedY) {
      MoveTo(targetX, targetY);
      OnMoveEnd();
    }
  }

  if (timer.duration > 0.0f) {
    timer.Update(dt);
    if (timer.remaining < 0.0f) {
      OnTimer();
      timer.remaining = timer.duration;
    }
  }
  return moving;
}

void WellBlock::SetSize(int32_t w, int32_t h) {
  width = w;
  height = h;
  screenSize = well->CellToOffset(w, h);
}

void WellBlock::MoveTo(int32_t x, int32_t y) {
  const int32_t oldX = currentX;
  const int32_t oldY = currentY;
  currentX = targetX = x;
  currentY = targetY = y;
  if (oldX >= 0) well->BlockMoved(this, oldX, oldY, x, y);
  moveOffset = math::Vec2(0.0f, 0.0f);
  moving = false;
}

WellBlock* WellBlock::StartMove(int32_t x, int32_t y) {
  WellBlock* other = well->GetBlock(x, y);
  if (other && other != this) return other;
  targetX = x;
  targetY = y;
  moving = targetX != currentX || targetY != currentY;
  return nullptr;
}

void WellBlock::TryFall() {
  if (moving || currentX < 0 || currentY < 0) return;
  if (currentX + width > well->GetWidth() || currentY + height >= well->GetHeight()) return;
  const int32_t below = currentY + height;
  for (int32_t x = currentX; x < currentX + width; ++x) {
    if (well->GetBlock(x, below)) return;
  }
  StartMove(currentX, currentY + 1);
}

WellBlock* WellBlock::BlockBelow() const {
  WellBlock* below = well->GetBlock(currentX, currentY + height);
  return below == this ? nullptr : below;
}

void WellBlock::OnLandedOn() {
  if (WellBlock* below = BlockBelow()) below->OnLandedOn();
}

void WellBlock::OnMoveEnd() {
  TryFall();
  if (WellBlock* below = BlockBelow()) below->OnLandedOn();
}

bool WellBlock::MatchesColor(int32_t other) const {
  return other == kColorAny || color == kColorAny || color == other;
}

void WellBlock::Kill() {
  if (IsDying()) return;
  OnKill();
  state = kBlockDying;
}

}  // namespace well
