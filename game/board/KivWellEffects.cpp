// What blocks and spells do to the board: the block factory, gold, zen, tiles and time,
// cuts, flower spreads and tile projectiles, and the sound requests of a frame.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "engine/app/Audio.h"
#include "engine/core/Console.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "engine/part2d/Part2D.h"
#include "engine/ui/UIProgress.h"
#include "game/board/KivBlock.h"
#include "game/board/KivGameHud.h"
#include "game/board/KivGoal.h"
#include "game/board/KivScore.h"
#include "game/board/KivWell.h"
#include "game/board/KivSpell.h"
#include "game/board/KivWellSFX.h"

namespace {

// The tips of the display's counters and bars wait this long after what brought them.
constexpr float kDisplayTipDelay = 1.0f;

constexpr const char* kRandomBlock = "kiv_random_block";

// The "[...]" parameter of a type name: the name is cut at the first "[" (unless it
// begins with one) and the parameter is what lies between it and the last "]", when that
// comes at least two characters later.
void SplitParameter(std::string& name, std::string& parameter) {
  parameter.clear();
  const size_t open = name.find('[');
  if (open == std::string::npos || open < 1) return;
  const size_t close = name.rfind(']');
  if (close != std::string::npos && close >= open + 2) {
    parameter = name.substr(open + 1, close - open - 1);
  }
  name.resize(open);
}

}  // namespace

// --- The block factory ---

well::WellBlock* KivWell::CreateBlock(const std::string& type, const std::string& colour,
                                      int32_t x, int32_t y, int32_t w, int32_t h) {
  // While a level loads only the special blocks of its file are kept: its flowers come
  // from the generator.
  const bool allowed = goalsActive_ || (generator_ && generator_->IsPuzzle());
  if (tiles_.empty()) SetupBlockInfo();
  if (x >= 0 && !CanPlace(x, y, w, h)) return nullptr;

  int32_t colourIndex = FlowerColorIndex(colour);
  std::string name = type;
  std::string parameter;
  SplitParameter(name, parameter);
  int32_t kind = kKindFlower;
  bool random = false;
  if (!IsBusy() && strcasecmp(name.c_str(), kRandomBlock) == 0) {
    colourIndex = static_cast<int32_t>(colourWeights_.Pick());
    kind = static_cast<int32_t>(kindWeights_.Pick());
    name = KivBlock::TypeName(kind);
    random = true;
  } else {
    kind = KivBlock::TypeIndex(name);
  }
  if (!allowed && kind == kKindFlower) return nullptr;

  KivBlock* block = KivBlock::FromName(name, this);
  if (!block) return nullptr;
  block->SetColor(colourIndex);
  block->SetState(well::kBlockNormal);
  if (!parameter.empty() && kind == kKindGem) {
    // A gem's worth is bounded: each unit fires a coin effect when it is cleared.
    const long value = std::strtol(parameter.c_str(), nullptr, 10);
    static_cast<KivGemBlock*>(block)->SetValue(
        static_cast<int32_t>(std::clamp<long>(value, 1, KivGemBlock::kMaxValue)));
  }
  block->RefreshImage();
  block->MoveTo(x, y);
  block->SetSize(w, h);
  block->madeAtRandom = random;
  return block;
}

well::WellBlock* KivWell::GenerateBlock(int32_t x, int32_t y, float delay) {
  if (tiles_.empty()) SetupBlockInfo();
  if (!IsInGrid(x, y)) return nullptr;
  const int32_t kind = ChooseKind(x, y);
  const int32_t colour = kind < 3 ? ChooseColour(x, y) : static_cast<int32_t>(colourWeights_.Pick());
  well::WellBlock* block = CreateBlock(KivBlock::TypeName(kind), FlowerColorName(colour), x, y, 1, 1);
  if (!block) return nullptr;
  AddBlock(block, x, y, delay);
  MarkDirty();
  if (KivWellSFX* sfx = GetKivSFX()) sfx->SparkleAt(x, y, 0);
  static_cast<KivBlock*>(block)->ShowKindTip(x, y, 1.0f);
  return block;
}

void KivWell::FillTiledCells() {
  RebuildCells();
  for (int32_t y = 0; y < GetHeight(); ++y) {
    for (int32_t x = 0; x < GetWidth(); ++x) {
      if (GetTileValue(x, y) > 0 && !GetKivBlock(x, y)) GenerateBlock(x, y, -1.0f);
    }
  }
}

KivBlock* KivWell::ReplaceBlock(int32_t x, int32_t y, const std::string& type,
                                const std::string& colour) {
  if (KivBlock* old = GetKivBlock(x, y)) {
    chain_.erase(std::remove(chain_.begin(), chain_.end(), old), chain_.end());
    if (hovered_ == old) hovered_ = nullptr;
    if (pressed_ == old) pressed_ = nullptr;
    // Retired like a swept block rather than deleted: whoever still holds it (an armed
    // spell's chain, an effect) must never read freed memory.
    DropBlock(old, false);
    old->SetDead();
    removed_.push_back(old);
    MarkDirty();
    RebuildCells();
  }
  auto* block = static_cast<KivBlock*>(CreateBlock(type, colour, x, y, 1, 1));
  if (block) AddBlock(block, x, y, 0.0f);
  return block;
}

// --- Gold, zen, tiles and time ---

void KivWell::AddGold(int32_t n) {
  gold_ = static_cast<int32_t>(std::clamp<int64_t>(int64_t{gold_} + n, 0, INT32_MAX));
  if (hud_) hud_->gold = gold_;
  // The first gold points at the display's coin counter, a moment after the coins land.
  constexpr int32_t kGoldTip = 0;
  if (gold_ != 0 && hud_) OfferWidgetTip(kGoldTip, hud_->coinsBox.Get(), kDisplayTipDelay);
}

bool KivWell::TurnTile(int32_t x, int32_t y, bool turnAll) {
  KivBlockInfo* info = GetBlockInfo(x, y);
  if (!info || info->value <= 1) return false;
  const int32_t steps = turnAll ? info->value - 1 : 1;
  info->value = turnAll ? 1 : info->value - 1;
  RefreshTileImage(x, y);
  AddGold(steps);
  if (KivWellSFX* sfx = GetKivSFX()) sfx->CoinsAt(x, y, steps);
  RequestSound(kSoundTileTurned);
  return true;
}

void KivWell::AddZen(int32_t amount, int32_t spell) {
  constexpr int32_t kZenTip = 3;
  constexpr int32_t kFullTip = 4;
  bool anyWasNotFull = false;
  bool anyReached = false;
  bool tipOffered = false;
  for (int32_t i = 0; i < kSpellCount; ++i) {
    const auto s = static_cast<size_t>(i);
    if (spellCost_[s] <= 0 || (spell != -1 && spell != i)) continue;
    anyReached = true;
    const bool wasFull = spellCharge_[s] >= spellCost_[s];
    spellCharge_[s] = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{spellCharge_[s]} + amount, 0, spellCost_[s]));
    if (wasFull) continue;
    anyWasNotFull = true;
    // The zen tips point at the spell's bar in the display.
    ui::UIWidget* bar = hud_ ? hud_->SpellBar(i) : nullptr;
    if (!tipOffered && bar && AllowsTip(kZenTip)) {
      OfferWidgetTip(kZenTip, bar, kDisplayTipDelay);
      tipOffered = true;
    }
    if (spellCharge_[s] >= spellCost_[s]) {
      if (!IsFreeplay()) SetPendingTrophy(FeedZenFullTrophy());
      if (!tipOffered && bar && AllowsTip(kFullTip)) {
        OfferWidgetTip(kFullTip, bar, kDisplayTipDelay);
        tipOffered = true;
      }
      RequestSound(kSoundZenFull);
    }
  }
  if (anyReached) {
    const int32_t maxZen = std::max(Constant("max_zen"), 0);
    zen_ = static_cast<int32_t>(std::clamp<int64_t>(int64_t{zen_} + amount, 0, maxZen));
    if (hud_) hud_->zenShown = zen_;
  }
  if (anyWasNotFull) console::GetConsole().Do("UpdateSpellUI()");
}

void KivWell::AddZenParticles(int32_t n) {
  KivWellSFX* sfx = GetKivSFX();
  if (sfx) {
    sfx->EmitAt(KivWellSFX::kZenLightning, 1, zenBarPosition);
    for (int32_t i = 0; i < kSpellCount; ++i) {
      const auto s = static_cast<size_t>(i);
      if (spellCost_[s] > 0 && spellCharge_[s] < spellCost_[s]) {
        sfx->StartZenLightning(i, zenBarPosition, spellBarPositions[s]);
      }
    }
  }
  // A missing constants file reads 0: then nothing converts (and nothing divides by 0).
  const int32_t perZen = Constant("particles_per_zen");
  if (perZen <= 0) return;
  zenParticles_ += n;
  if (zenParticles_ >= perZen) {
    AddZen(zenParticles_ / perZen, -1);
    zenParticles_ %= perZen;
  }
}

void KivWell::AddTimeBonus(int32_t seconds, const math::Vec2& position) {
  if (IsFreeplay()) {
    AdjustCounter(KivScore::Instance().GetValue(KivScore::kTimeSpellPerLevel));
    return;
  }
  if (KivWellSFX* sfx = GetKivSFX()) {
    sfx->EmitAt(KivWellSFX::kTimer, std::clamp(seconds, 0, 3600), position);
  }
}

void KivWell::CastTimeSpell(int32_t level) {
  if (IsFreeplay()) {
    const int64_t points =
        int64_t{level} * KivScore::Instance().GetValue(KivScore::kTimeSpellPerLevel);
    AdjustCounter(static_cast<int32_t>(std::clamp<int64_t>(points, 0, INT32_MAX)));
    return;
  }
  const int64_t seconds = int64_t{level} * Constant("time_token");
  AddTimeBonus(static_cast<int32_t>(std::clamp<int64_t>(seconds, 0, INT32_MAX)), pointer_);
}

void KivWell::SpellBrush(const std::string& name) {
  spellBrush_.reset();
  if (name.empty()) return;
  MEMORY_OWNER("KivWell::SpellBrush");
  spellBrush_ = std::make_unique<KivSpellBrush>(this, name);
}

void KivWell::TakeLevelTime(float seconds) {
  // The level's clock is its TIME fail goal: what the goal counts up is the time used.
  if (!failGoal_ || failGoal_->kind != KivGoal::kTime) return;
  failGoal_->progress = std::max(0.0f, failGoal_->progress - seconds);
}

void KivWell::StartTimeWarning(const math::Vec2& position, const math::Vec2& size,
                               int32_t value) {
  if (KivWellSFX* sfx = GetKivSFX()) sfx->StartWarning(position, size, value);
  PlaySoundNow("time_warning");
}

// --- Cuts, flower spreads and tile projectiles ---

math::Vec2 KivWell::CellCentre(int32_t x, int32_t y) const {
  return CellToScreen(x, y) + GetCellSize() * 0.5f;
}

void KivWell::Cut(int32_t x, int32_t y, int32_t dx, int32_t dy) {
  if (!IsInGrid(x, y)) return;
  KivBlock* block = GetKivBlock(x, y);
  if (!block) return;
  // A hard block takes the hit and stops the cut (a hit may change its kind).
  const bool hard = block->kind >= kKindHard;
  block->Kill();
  if (hard) return;
  MarkDirty();
  const int32_t tile = GetTileValue(x, y);
  if (tile >= 2 && tile <= kMaxTileValue) {
    TurnTile(x, y, false);
    return;
  }
  CutStep step{x, y, dx, dy, {}, {}};
  step.life.duration = step.life.remaining = kTimedEffectLife;
  step.delay.duration = step.delay.remaining = kTimedEffectStep;
  cuts_.push_back(step);
  if (KivWellSFX* sfx = GetKivSFX()) sfx->EmitAt(KivWellSFX::kSlicer, 10, CellCentre(x, y));
}

void KivWell::SpreadFlower(int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t count,
                           const std::string& colour) {
  if (!IsInGrid(x, y)) return;
  KivBlock* block = GetKivBlock(x, y);
  if (!block || block->kind >= kKindHard) return;
  ReplaceBlock(x, y, "flower", colour);
  MarkDirty();
  KivWellSFX* sfx = GetKivSFX();
  if (sfx) sfx->SparkleAt(x, y, 0);
  if (count <= 0) return;
  FlowerSpread spread{count - 1, x, y, dx, dy, colour, {}, {}};
  spread.life.duration = spread.life.remaining = kTimedEffectLife;
  spread.delay.duration = spread.delay.remaining = kTimedEffectStep;
  spreads_.push_back(spread);
  if (sfx) sfx->EmitAt(KivWellSFX::kFlowerBlast, 10, CellCentre(x, y));
}

void KivWell::TileBlast(int32_t x, int32_t y, int32_t count) {
  std::vector<std::pair<int32_t, int32_t>> targets;
  for (int32_t ty = 0; ty < GetHeight(); ++ty) {
    for (int32_t tx = 0; tx < GetWidth(); ++tx) {
      const int32_t value = GetTileValue(tx, ty);
      if ((tx != x || ty != y) && (value == 2 || value == 3)) targets.emplace_back(tx, ty);
    }
  }
  num::Random& random = num::Random::Instance();
  const math::Vec2 start = CellCentre(x, y);
  for (int32_t i = 0; i < count && !targets.empty(); ++i) {
    const auto pick = std::min(static_cast<size_t>(random.RangeF(0.0f, static_cast<float>(targets.size()))),
                               targets.size() - 1);
    const auto [tx, ty] = targets[pick];
    targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(pick));
    Projectile shot;
    shot.start = start;
    const math::Vec2 d = CellCentre(tx, ty) - start;
    shot.distance = std::sqrt(d.x * d.x + d.y * d.y);
    shot.direction = shot.distance > 0.0f ? d / shot.distance : math::Vec2(0.0f, 0.0f);
    shot.flightTime = random.RangeF(1.0f, 1.5f);
    shot.angle = random.RangeF(0.0f, 360.0f);
    shot.targetX = tx;
    shot.targetY = ty;
    projectiles_.push_back(shot);
  }
}

void KivWell::TickTimedEffects(float dt) {
  // Each list is advanced over the records that were there when the step began: a step
  // adds the next record, which waits its own delay.
  const size_t cutCount = cuts_.size();
  for (size_t i = 0; i < cutCount; ++i) {
    cuts_[i].life.Update(dt);
    cuts_[i].delay.Update(dt);
    if (!cuts_[i].stepped && cuts_[i].delay.remaining < 0.0f) {
      cuts_[i].stepped = true;
      const CutStep step = cuts_[i];
      Cut(step.x + step.dx, step.y + step.dy, step.dx, step.dy);
      RequestSound(kSoundSlicer);
    }
  }
  cuts_.erase(std::remove_if(cuts_.begin(), cuts_.end(),
                             [](const CutStep& s) { return s.life.remaining < 0.0f; }),
              cuts_.end());

  const size_t spreadCount = spreads_.size();
  for (size_t i = 0; i < spreadCount; ++i) {
    spreads_[i].life.Update(dt);
    spreads_[i].delay.Update(dt);
    if (!spreads_[i].stepped && spreads_[i].delay.remaining < 0.0f) {
      spreads_[i].stepped = true;
      const FlowerSpread s = spreads_[i];
      SpreadFlower(s.x + s.dx, s.y + s.dy, s.dx, s.dy, s.count, s.colour);
      RequestSound(kSoundFlowerBlast);
    }
  }
  spreads_.erase(std::remove_if(spreads_.begin(), spreads_.end(),
                                [](const FlowerSpread& s) { return s.life.remaining < 0.0f; }),
                 spreads_.end());

  for (size_t i = projectiles_.size(); i-- > 0;) {
    Projectile& shot = projectiles_[i];
    shot.time += dt;
    const float t = std::min(shot.time / shot.flightTime, 1.0f);
    const math::Vec2 at = shot.start + shot.direction * (shot.distance * t);
    if (trail_) trail_->EmitAt(at);
    if (shot.time < shot.flightTime) continue;
    if (KivBlockInfo* info = GetBlockInfo(shot.targetX, shot.targetY)) {
      if (info->value == 2 || info->value == 3) SetTileValue(shot.targetX, shot.targetY, info->value + 1);
    }
    if (KivWellSFX* sfx = GetKivSFX()) sfx->EmitAt(KivWellSFX::kTileBlast, 10, at);
    RequestSound(kSoundTileBlast);
    projectiles_.erase(projectiles_.begin() + static_cast<std::ptrdiff_t>(i));
  }
  if (trail_) trail_->Tick(dt);
}

// --- Sounds ---

std::string KivWell::SoundFlagName(int32_t flag) {
  static const char* const kNames[] = {
      "token_jingle", "token_lock_1", "token_lock_2",   "token_zen",  "token_slicer",
      "token_tileblast", "token_double", "token_triple", "token_timer", "token_unselect",
      "tile_turned", "zenpower_flowerblast", "zen_full"};
  if (flag >= kSoundSelectFirst && flag < kSelectGrades) {
    return "token_select_" + std::to_string(flag + 1);
  }
  if (flag >= kSoundJingle && flag < kSoundFlagCount) return kNames[flag - kSoundJingle];
  return "";
}

void KivWell::RequestSound(int32_t flag) {
  if (flag >= 0 && flag < kSoundFlagCount) sounds_[static_cast<size_t>(flag)] = 1;
}

uint32_t KivWell::PlaySoundNow(const std::string& name) {
  // An unknown name reports -1: no channel.
  const int channel = audio::GetAudio().PlaySound(name);
  return channel > 0 ? static_cast<uint32_t>(channel) : 0;
}

void KivWell::PeriodicStep() {
  GameWell::PeriodicStep();
  for (int32_t flag = 0; flag < kSoundFlagCount; ++flag) {
    if (!sounds_[static_cast<size_t>(flag)]) continue;
    sounds_[static_cast<size_t>(flag)] = 0;
    PlaySoundNow(SoundFlagName(flag));
  }
}

void KivWell::SweepDeadBlocks() {
  bool drop = hovered_ && hovered_->IsDying();
  for (const KivBlock* member : chain_) drop = drop || (member && member->IsDying());
  if (drop) {
    hovered_ = nullptr;
    chain_.clear();
  }
  if (pressed_ && pressed_->IsDying()) pressed_ = nullptr;
  GameWell::SweepDeadBlocks();
}
