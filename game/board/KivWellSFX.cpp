#include "game/board/KivWellSFX.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/app/Audio.h"
#include "engine/core/MemoryManager.h"
#include "engine/part2d/Part2D.h"
#include "platform/bass/Bass.h"
#include "game/board/KivWell.h"

namespace {

constexpr float kRadiansToDegrees = 57.29578f;
// Horizontal screen fractions count 4/3 as much as vertical ones on the 800 x 600 area.
constexpr float kAspect = 800.0f / 600.0f;
constexpr int32_t kSparkleCapacity = 24;
constexpr float kBoltSeconds = 0.5f;

struct RingFile {
  const char* image;
  int32_t capacity;
};
constexpr RingFile kRings[KivWellSFX::kRingCount] = {
    {"effects/Explosion_yellow.png", 10}, {"effects/explosion_red.png", 10},
    {"effects/explosion_green.png", 10},  {"effects/Explosion_blue.png", 140},
    {"effects/Explosion_white.png", 2},
};

}  // namespace

const char* KivWellSFX::SetFile(int32_t index) {
  if (index == 2) return "effects/tokenstart.p2d";
  if (index == 3) return "effects/zenpower.p2d";
  if (index >= 4 && index <= 6) return "effects/gold_coin.p2d";
  if (index >= 7 && index <= 11) return "effects/red_flower.p2d";
  if (index >= 12 && index <= 17) return "effects/green_butterfly.p2d";
  static const char* const kSpells[] = {
      "effects/spell_match.p2d",     "effects/spell_fireball.p2d",
      "effects/spell_tilegrab.p2d",  "effects/spell_flowerblast.p2d",
      "effects/spell_lightning.p2d", "effects/spell_tileblast.p2d",
      "effects/frozen_token.p2d",    "effects/locked_token.p2d",
      "effects/locked_token2.p2d",   "effects/slicer_explosion.p2d",
      "effects/slicer_flowers.p2d"};
  if (index >= 18 && index <= 28) return kSpells[index - 18];
  if (index == kTimer) return "effects/spell_timer.p2d";
  if (index == kZenLightning) return "effects/zen_lightning.p2d";
  return "";
}

KivWellSFX::KivWellSFX(void* context, KivWell* board) : WellSFX(context, board), board_(board) {}

KivWellSFX::~KivWellSFX() {
  // The looping charge must not outlive the board that started it.
  if (chargeChannel_ != 0) audio::GetAudio().StopSound(chargeChannel_);
}

void KivWellSFX::Init() {
  MEMORY_OWNER("KivWellSFX::Init");
  texts_ = static_cast<well::TextSFX*>(
      AddSet(new well::TextSFX(context_, this, "", "GameFont", 5.0f, 15, true, 0)));
  for (int32_t c = 0; c < kRingCount; ++c) {
    auto* rings = static_cast<well::ExplosionSFXSet*>(AddSet(new well::ExplosionSFXSet(context_, this)));
    rings->Load(kRings[c].image, kRings[c].capacity, math::Vec4(0, 0, 0, 0), math::Vec4(1, 1, 1, 1));
    rings_[static_cast<size_t>(c)] = rings;
  }
  for (int32_t i = 0; i < kSetCount; ++i) {
    const std::string file = SetFile(i);
    if (file.empty()) continue;
    well::Part2DSFXSet* set = nullptr;
    if (i > 1 && i < 29) {
      set = static_cast<well::Part2DSFXSet*>(AddSet(new well::Part2DSFXSet(context_, this)));
    } else if (i == kTimer) {
      timerSet_ = std::make_unique<well::Part2DSFXSet>(context_, this);
      set = timerSet_.get();
    } else {
      zenLightningSet_ = std::make_unique<well::Part2DSFXSet>(context_, this);
      set = zenLightningSet_.get();
    }
    set->Load(file);
    parts_[static_cast<size_t>(i)] = set;
  }
  // Each timer particle that dies gives a second back to the level's clock; each zen-power
  // particle that dies adds one to the zen the board collects.
  if (part2d::Part2D* system = parts_[kTimer]->GetSystem(); system && system->GroupC() > 0) {
    system->GetGroup(0)->SetCallback(0, &KivWellSFX::TimerParticleDied, this);
  }
  if (part2d::Part2D* system = parts_[kZenPower]->GetSystem(); system && system->GroupC() > 0) {
    system->GetGroup(0)->SetCallback(0, &KivWellSFX::ZenParticleDied, this);
  }
  // The sparkles are not in the set list: they belong to the layer over the board and
  // are drawn there only.
  for (auto& pool : sparkles_) {
    pool = std::make_unique<well::SimpleSFX>(context_, this, "overlay_sparkle", kSparkleCapacity,
                                             false, true);
  }
  for (int32_t i = 0; i < kZenLightningCount; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "zen_lightning_%d", i + 1);
    ZenLightning& zen = zen_[static_cast<size_t>(i)];
    zen.sprite.Init(name, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), true);
    zen.timer.duration = kZenLightningSeconds;
    zen.timer.remaining = -1.0f;
  }
  warningNumber_.Load("img/timer_number.lua");
  warningTimer_.duration = 1.0f;
  warningTimer_.remaining = -1.0f;
}

void KivWellSFX::TimerParticleDied(part2d::Particle*, void* user) {
  KivWellSFX* self = static_cast<KivWellSFX*>(user);
  if (!self->board_->GetOverlay()) self->board_->TakeLevelTime(1.0f);
}

void KivWellSFX::ZenParticleDied(part2d::Particle*, void* user) {
  static_cast<KivWellSFX*>(user)->board_->AddZenParticles(1);
}

well::Part2DSFXSet* KivWellSFX::GetSet(int32_t index) const {
  if (index < 0 || index >= kSetCount) return nullptr;
  return parts_[static_cast<size_t>(index)];
}

well::SimpleSFX* KivWellSFX::GetSparkles(int32_t pool) const {
  if (pool < 0 || pool >= static_cast<int32_t>(sparkles_.size())) return nullptr;
  return sparkles_[static_cast<size_t>(pool)].get();
}

well::ExplosionSFXSet* KivWellSFX::GetRings(int32_t colour) const {
  if (colour < 0 || colour >= kRingCount) return nullptr;
  return rings_[static_cast<size_t>(colour)];
}

void KivWellSFX::AdjustCounter(int32_t delta) { board_->AdjustCounter(delta); }

void KivWellSFX::EmitAt(int32_t set, int32_t count, const math::Vec2& position) {
  if (well::Part2DSFXSet* particles = GetSet(set)) particles->Emit(count, position);
}

void KivWellSFX::SparkleAt(int32_t x, int32_t y, int32_t pool) {
  well::SimpleSFX* sparkles = GetSparkles(pool);
  if (!sparkles) return;
  const math::Vec2 size = sparkles->GetFrameSize();
  const math::Vec2 centre = board_->CellToScreen(x, y) + board_->GetCellSize() * 0.5f;
  sparkles->Spawn(centre - size * 0.5f, size, 0xFFFFFFFF);
}

void KivWellSFX::CoinsAt(int32_t x, int32_t y, int32_t variant) {
  const int32_t v = ((variant % 3) + 3) % 3;
  EmitAt(kGoldCoin + v, 1, board_->CellToScreen(x, y) + board_->GetCellSize() * 0.5f);
}

void KivWellSFX::ButterfliesAt(int32_t x, int32_t y, int32_t variant) {
  const int32_t v = ((variant % 5) + 5) % 5;
  EmitAt(kButterfly + v, 2, board_->CellToScreen(x, y) + board_->GetCellSize() * 0.5f);
}

void KivWellSFX::FrozenAt(int32_t x, int32_t y) {
  EmitAt(kFrozen, 15, board_->CellToScreen(x, y) + board_->GetCellSize() * 0.5f);
}

void KivWellSFX::LockedAt(int32_t x, int32_t y) {
  const math::Vec2 centre = board_->CellToScreen(x, y) + board_->GetCellSize() * 0.5f;
  EmitAt(kLocked, 15, centre);
  EmitAt(kLocked2, 1, centre);
}

void KivWellSFX::StartZenLightning(int32_t index, const math::Vec2& from, const math::Vec2& to) {
  if (index < 0 || index >= kZenLightningCount) return;
  ZenLightning& zen = zen_[static_cast<size_t>(index)];
  if (zen.active) {
    zen.timer.remaining = zen.timer.duration;
    return;
  }
  const math::Vec2 image = zen.sprite.GetImageSize();
  if (image.y <= 0.0f) return;
  const math::Vec2 d = to - from;
  const float distance = std::sqrt(d.x * kAspect * d.x * kAspect + d.y * d.y);
  zen.from = from;
  zen.to = to;
  zen.centre = (from + to) * 0.5f;
  zen.size = image * (distance / image.y);
  zen.angle = std::atan2(d.x, d.y) * kRadiansToDegrees + 180.0f;
  zen.timer.remaining = zen.timer.duration;
  zen.active = true;
}

void KivWellSFX::AddLightning(const math::Vec2& from, const math::Vec2& to) {
  MEMORY_OWNER("KivWellSFX::AddLightning");
  auto bolt = std::make_unique<Bolt>();
  bolt->sprite.Init("lightning_sfx", math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), true);
  const math::Vec2 d = to - from;
  const float pixels = std::sqrt(d.x * 800.0f * d.x * 800.0f + d.y * 600.0f * d.y * 600.0f);
  const math::Vec2 image = bolt->sprite.GetImageSize();
  const math::Vec2 size(image.x, pixels / 600.0f);
  bolt->sprite.SetTransform((from + to) * 0.5f - size * 0.5f, size,
                            std::atan2(d.x, d.y) * kRadiansToDegrees + 180.0f, 1.0f, 0xFFFFFFFF);
  bolt->sprite.time = 0.0f;
  bolts_.push_back(std::move(bolt));
}

void KivWellSFX::StartWarning(const math::Vec2& position, const math::Vec2& size, int32_t value) {
  warningStart_ = position;
  warningEnd_ = position + size;
  warningValue_ = value;
  warningTimer_.remaining = warningTimer_.duration;
}

bool KivWellSFX::StepFrames(ui::UISprite& sprite, float dt, bool loop) {
  // A strip steps its own frames; a still picture simply lasts as long as its owner says.
  if (!sprite.strip) return true;
  return sprite.Animate(dt) || loop;
}

void KivWellSFX::Tick(float dt) {
  WellSFX::Tick(dt);
  if (timerSet_) timerSet_->Tick(dt);
  if (zenLightningSet_) zenLightningSet_->Tick(dt);
  for (const auto& pool : sparkles_) {
    if (pool) pool->Tick(dt);
  }

  for (size_t i = bolts_.size(); i-- > 0;) {
    Bolt& bolt = *bolts_[i];
    if (bolt.finished) {
      bolts_.erase(bolts_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    bolt.sprite.time += dt;
    const bool running = StepFrames(bolt.sprite, dt, !bolt.oneShot);
    if (!running || (!bolt.sprite.strip && bolt.sprite.time > kBoltSeconds)) bolt.finished = true;
  }

  bool anyActive = false;
  for (ZenLightning& zen : zen_) {
    if (!zen.active) continue;
    if (zen.timer.remaining < 0.0f) {
      zen.active = false;
      continue;
    }
    zen.timer.Update(dt);
    StepFrames(zen.sprite, dt, true);
    anyActive = true;
  }
  if (anyActive) {
    if (chargeChannel_ == 0 || BASS_ChannelIsActive(chargeChannel_) == BASS_ACTIVE_STOPPED) {
      chargeChannel_ = KivWell::PlaySoundNow(kChargeSound);
    }
  } else if (chargeChannel_ != 0) {
    // The charge loops: dropping its channel without stopping it would leave it playing
    // for as long as the game runs.
    audio::GetAudio().StopSound(chargeChannel_);
    chargeChannel_ = 0;
  }

  if (warningTimer_.remaining >= 0.0f) warningTimer_.Update(dt);
}

void KivWellSFX::Render() {
  WellSFX::Render();
  for (const auto& bolt : bolts_) bolt->sprite.RenderRotated();
}

void KivWellSFX::RenderOverlay() {
  for (const auto& pool : sparkles_) {
    if (pool) pool->Render();
  }
  for (ZenLightning& zen : zen_) {
    if (!zen.active) continue;
    const float t = zen.timer.Progress();
    const float alpha = t < 0.5f ? 1.0f : std::clamp(2.0f - 2.0f * t, 0.0f, 1.0f);
    const auto a = static_cast<uint32_t>(alpha * 255.0f);
    zen.sprite.SetTransform(zen.centre - zen.size * 0.5f, zen.size, zen.angle, 1.0f,
                            a << 24 | 0x00FFFFFF);
    zen.sprite.RenderRotated();
  }
  if (timerSet_) timerSet_->Render();
  if (zenLightningSet_) zenLightningSet_->Render();
  if (warningTimer_.remaining >= 0.0f) {
    const float t = warningTimer_.Progress();
    const float u = 1.0f - t;
    const math::Vec2 at(warningStart_.x + (warningEnd_.x - warningStart_.x) * t,
                        warningStart_.y + (warningEnd_.y - warningStart_.y) * (1.0f - u * u));
    warningNumber_.Render(warningValue_, at, 1.0f, false);
  }
}
