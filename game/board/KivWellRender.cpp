// Drawing the board: the scene behind and in front, the floor tiles, the wall, the
// blocks and their overlays, the chain's marks and the stars that run along it, and the
// tile projectiles.

#include <algorithm>
#include <cmath>

#include "engine/background/BGScene.h"
#include "engine/core/Random.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/SpriteBatch.h"
#include "engine/part2d/Part2D.h"
#include "game/board/KivBlock.h"
#include "game/board/KivEditor.h"
#include "game/board/KivWell.h"
#include "game/board/KivGameHud.h"
#include "game/board/KivGoal.h"
#include "game/board/KivReshuffle.h"
#include "game/board/KivSpell.h"
#include "game/board/KivWellSFX.h"
#include "game/shell/KivFashionStudio.h"

namespace {

constexpr float kRadiansToDegrees = 57.29578f;
constexpr float kStarInterval = 0.01f;
constexpr float kStarReach = 0.025f;
constexpr uint32_t kStarColours[5] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFFFF00FF};

enum Mark : size_t { kMarkStart = 8, kMarkHead = 9 };

float Angle(const math::Vec2& d) { return std::atan2(d.y, d.x) * kRadiansToDegrees; }

}  // namespace

void KivWell::Render() {
  if (scene_) scene_->Render();
  if (well::WellSFX* sfx = GetSFX()) sfx->RenderBelowBlocks();
  RenderTiles();
  if (wall_) wall_->Render();
  // The blocks, then the end popup over them.
  GameWell::Render();
  if (spellBrush_) spellBrush_->Update();
  RenderChainMarks();
  for (well::WellBlock* block : GetBlocks()) {
    static_cast<KivBlock*>(block)->RenderOverlay(block->GetScreenPos());
  }
  if (scene_) scene_->RenderForeground();
  if (generator_ && !GetOverlay()) generator_->Render();
  if (reshuffle_) reshuffle_->RenderAll();
  if (!(transitionRunning_ && entering_)) {
    RenderProjectiles();
    if (well::WellSFX* sfx = GetSFX()) sfx->Render();
    RenderStars();
  }
}

void KivWell::RenderUI(bool skipEffects) {
  FollowDisplay();
  const bool studio = KivFashionStudio::Instance().GetIsVisible();
  if (hud_ && !studio) hud_->Render();
  well::WellSFX* sfx = GetSFX();
  if (sfx && !GetOverlay() && !skipEffects && !studio && !TrophyScreenShowing()) {
    sfx->RenderOverlay();
  }
  if (editor_) {
    editor_->Render();
    editor_->RenderStatus();
    FontManager::Get().Printf(KivEditor::kFileNamePosition, "%s", wellFileName_.c_str());
  }
  if (failGoal_) failGoal_->Render();
  for (const auto& goal : goals_) {
    if (goal) goal->Render();
  }
}

void KivWell::RenderTiles() {
  // The tiles go through a batch, in cell order: tiles whose pictures share a texture
  // take one draw call between them.
  static SpriteBatch batch;
  const math::Vec2 view = GetViewOffset();
  for (int32_t y = 0; y < GetHeight(); ++y) {
    for (int32_t x = 0; x < GetWidth(); ++x) {
      KivBlockInfo* info = GetBlockInfo(x, y);
      if (!info || info->value <= 0 || !info->sprite.IsLoaded()) continue;
      info->sprite.position = CellToScreenNoView(x, y) - view;
      batch.Add(&info->sprite, info->sprite.position);
    }
  }
  batch.Render(math::Vec2(0.0f, 0.0f), false);
}

void KivWell::RenderChainMarks() {
  if (chain_.size() < 2) return;
  for (size_t i = 0; i < chain_.size(); ++i) {
    const KivBlock* block = chain_[i];
    if (!block) continue;
    size_t mark = kMarkStart;
    float rotation = 0.0f;
    if (i + 1 == chain_.size()) {
      mark = kMarkHead;
      const math::Vec2 step = block->GetScreenPos() - chain_[i - 1]->GetScreenPos();
      rotation = std::atan2(step.x, step.y) * kRadiansToDegrees + 180.0f;
    } else if (i > 0) {
      const math::Vec2 in = block->GetScreenPos() - chain_[i - 1]->GetScreenPos();
      const math::Vec2 out = chain_[i + 1]->GetScreenPos() - block->GetScreenPos();
      float turn = std::fmod(Angle(out) - Angle(in), 360.0f);
      if (turn < 0.0f) turn += 360.0f;
      int32_t index = static_cast<int32_t>(turn / 45.0f);
      if (std::fmod(turn, 45.0f) > 22.5f) ++index;
      mark = static_cast<size_t>(std::clamp(index, 0, 7));
    }
    ui::UISprite& sprite = marks_[mark];
    if (!sprite.IsLoaded()) continue;
    const math::Vec2 size = sprite.GetImageSize();
    const math::Vec2 centre = block->GetScreenPos() + block->GetScreenSize() * 0.5f;
    sprite.SetTransform(centre - size * 0.5f, size, rotation, 1.0f, 0xFFFFFFFF);
    sprite.RenderRotated();
  }
}

void KivWell::RenderProjectiles() {
  if (shrapnel_.IsLoaded()) {
    const math::Vec2 size = shrapnel_.GetImageSize();
    for (const Projectile& shot : projectiles_) {
      const float t = std::min(shot.time / shot.flightTime, 1.0f);
      const math::Vec2 at = shot.start + shot.direction * (shot.distance * t);
      const float scale = 1.0f - std::fabs(shot.flightTime / 2.0f - shot.time) / shot.flightTime;
      const math::Vec2 drawn = size * scale;
      shrapnel_.SetTransform(at - drawn * 0.5f, drawn, shot.angle, 1.0f, 0xFFFFFFFF);
      shrapnel_.RenderRotated();
    }
  }
  if (trail_) trail_->Render(GetViewOffset());
}

// --- Stars along the chain ---

void KivWell::TickStars(float dt) {
  std::vector<KivBlock*> live;
  for (KivBlock* member : chain_) {
    if (member) live.push_back(member);
  }
  if (live.size() < 2) {
    stars_.clear();
    return;
  }
  num::Random& random = num::Random::Instance();
  auto pointIn = [&](const KivBlock* block) {
    const math::Vec2 at = block->GetScreenPos();
    return random.RangeVec(at, at + block->GetScreenSize());
  };
  starClock_ += dt;
  while (starClock_ >= kStarInterval) {
    starClock_ -= kStarInterval;
    if (stars_.size() >= 10 * live.size()) continue;
    Star star;
    star.position = pointIn(live[0]);
    star.target = pointIn(live[1]);
    star.speed = random.RangeF(0.25f, 0.5f);
    star.rotation = random.RangeF(480.0f, 560.0f);
    star.colour = kStarColours[std::min<size_t>(static_cast<size_t>(random.RangeF(0.0f, 5.0f)), 4)];
    star.next = 1;
    stars_.push_back(star);
  }
  for (size_t i = stars_.size(); i-- > 0;) {
    Star& star = stars_[i];
    math::Vec2 heading = star.target - star.position;
    const float distance = std::sqrt(heading.x * heading.x + heading.y * heading.y);
    if (distance > 0.0f) heading = heading / distance;
    star.rotation += 200.0f * dt;
    star.position = star.position + heading * (star.speed * dt);
    if (distance >= kStarReach) continue;
    if (star.next + 1 >= live.size()) {
      stars_.erase(stars_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    ++star.next;
    star.target = pointIn(live[star.next]);
  }
}

void KivWell::RenderStars() {
  if (!star_.IsLoaded()) return;
  const math::Vec2 size = star_.GetImageSize();
  for (const Star& star : stars_) {
    star_.SetTransform(star.position - size * 0.5f, size, star.rotation, 1.0f, star.colour);
    star_.RenderRotated();
  }
}
