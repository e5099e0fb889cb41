#include "game/board/KivBlock.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "game/board/KivWell.h"
#include "game/board/KivWellSFX.h"

namespace {

const char* const kTypeNames[20] = {
    "flower", "double",   "triple",       "unknown", "zenblock", "gem",      "hcut",
    "vcut",   "slashcut", "backslashcut", "xcut",    "pluscut",  "starcut",  "timeblock",
    "unknown", "frozenflower", "lockedflower", "stone", "tileblast", "wallblock",
};

// Help tips offered when a kind first shows on a board.
constexpr int32_t kTipFirstZen = 1;
constexpr int32_t kTipSlicer = 5;
constexpr int32_t kTipLeaf = 6;
constexpr int32_t kTipDoubleLeaf = 7;
constexpr int32_t kTipDouble = 8;
constexpr int32_t kTipTriple = 9;
constexpr int32_t kTipTileBlast = 10;
constexpr int32_t kTipTimeAdder = 11;

// A random integer from 0 to 32767 over 32767, as the C library's generator gives it.
float CRandUnit() {
  return static_cast<float>(num::CRand()) / static_cast<float>(num::kCRandMax);
}

std::string Numbered(const char* format, int32_t value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::string FlowerColorName(int32_t index) { return Numbered("flower_%i", index + 1); }

int32_t FlowerColorIndex(const std::string& name) {
  for (int32_t i = 0; i < kFlowerColors; ++i) {
    if (strcasecmp(name.c_str(), FlowerColorName(i).c_str()) == 0) return i;
  }
  return 0;
}

// --- KivBlock ---

KivBlock::KivBlock(KivWell* board, int32_t blockKind) : kind(blockKind) {
  well = board;
  SetSize(1, 1);
}

KivWell* KivBlock::Board() const { return static_cast<KivWell*>(well); }

std::string KivBlock::TypeName(int32_t kind) {
  if (kind < 0 || kind >= 20) return "unknown";
  return kTypeNames[kind];
}

int32_t KivBlock::TypeIndex(const std::string& name) {
  for (int32_t kind = 0; kind < kKindCount; ++kind) {
    if (strcasecmp(name.c_str(), TypeName(kind).c_str()) == 0) return kind;
  }
  return kKindFlower;
}

KivBlock* KivBlock::FromName(const std::string& name, KivWell* board) {
  MEMORY_OWNER("KivBlock::FromName");
  const int32_t kind = TypeIndex(name);
  switch (kind) {
    case kKindFlower:
      return new KivFlowerBlock(board);
    case kKindDouble:
      return new KivMultiplierBlock(board, 2.0f);
    case kKindTriple:
      return new KivMultiplierBlock(board, 3.0f);
    case kKindZen:
      return new KivZenBlock(board);
    case kKindGem:
      return new KivGemBlock(board);
    case kKindTime:
      return new KivTimeBlock(board);
    case kKindFrozen:
      return new KivFrozenFlowerBlock(board);
    case kKindLocked:
      return new KivLockedFlowerBlock(board);
    case kKindStone:
      return new KivStoneBlock(board);
    case kKindTileBlast:
      return new KivTileBlastBlock(board);
    case kKindWall:
      return nullptr;
    default:
      break;
  }
  if (kind >= kKindHCut && kind <= kKindStarCut) return new KivCutBlock(board, kind);
  // 3, 14 and 20: a plain block, which carries the number of no kind.
  return new KivBlock(board, kKindNone);
}

std::string KivBlock::GetTypeName() const {
  if (madeAtRandom) return "unknown";
  return TypeName(kind);
}

void KivBlock::ShowImage(const std::string& name) {
  sprite.Init(name, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
}

math::Vec2 KivBlock::CellCentre() const {
  return well->CellToScreen(targetX, targetY) + well->GetCellSize() * 0.5f;
}

void KivBlock::StartShake(float amplitude, float frequency, float duration) {
  if (state == kBlockEncased || kind > kKindHard) return;
  shakeFrequency.x = (CRandUnit() + 0.5f) * frequency;
  shakePhase.x = 0.0f;
  shakeFrequency.y = (CRandUnit() + 0.5f) * frequency;
  shakePhase.y = CRandUnit();
  shakeAmplitude = amplitude;
  shakeTimer.duration = duration;
  shakeTimer.remaining = duration;
  shaking = true;
}

bool KivBlock::Tick(float dt) {
  if (shaking && !IsDying()) {
    if (shakeTimer.remaining < 0.0f || moving) {
      shaking = false;
      drawOffset = math::Vec2(0.0f, 0.0f);
    } else {
      shakeTimer.Update(dt);
      shakePhase.x += dt * shakeFrequency.x;
      shakePhase.y += dt * shakeFrequency.y;
      drawOffset = math::Vec2(std::sin(shakePhase.x * 3.14159f) * shakeAmplitude,
                              std::sin(shakePhase.y * 3.14159f) * shakeAmplitude);
    }
  }
  return WellBlock::Tick(dt);
}

void KivBlock::OnKill() {
  if (IsDying()) return;
  state = well::kBlockDying;
}

int32_t KivBlock::KindTip(int32_t kind) {
  switch (kind) {
    case kKindDouble:
      return kTipDouble;
    case kKindTriple:
      return kTipTriple;
    case kKindZen:
      return kTipFirstZen;
    case kKindTime:
      return kTipTimeAdder;
    case kKindFrozen:
      return kTipLeaf;
    case kKindLocked:
      return kTipDoubleLeaf;
    case kKindTileBlast:
      return kTipTileBlast;
    default:
      break;
  }
  if (kind >= kKindHCut && kind <= kKindStarCut) return kTipSlicer;
  return -1;
}

void KivBlock::ShowKindTip(int32_t x, int32_t y, float delay) {
  const int32_t tip = KindTip(kind);
  if (tip < 0) return;
  const math::Vec2 topLeft = well->CellToScreen(x, y);
  Board()->OfferTip(tip, topLeft, topLeft + well->CellToOffset(width, height), delay);
}

// --- Flowers ---

KivFlowerBlock::KivFlowerBlock(KivWell* board, int32_t flowerKind) : KivBlock(board, flowerKind) {
  popIn.duration = kPopInSeconds;
  popIn.remaining = kPopInSeconds;
  ice.Init("tile_frozen", math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
}

void KivFlowerBlock::RefreshImage() {
  // Encased flowers keep their plain picture; the ice is drawn over it.
  const bool selected = state == well::kBlockSelected && kind < kKindHard;
  ShowImage(Numbered(selected ? "flower_over_%03i" : "flowers_tiles_%03i", color + 1));
}

std::string KivFlowerBlock::GetTypeName() const {
  if (madeAtRandom) return "unknown";
  if (state == kBlockEncased) return TypeName(kKindFrozen);
  return TypeName(kind);
}

void KivFlowerBlock::DrawOver(ui::UISprite& over, const math::Vec2& pos, SpriteBatch* batch) {
  if (!over.IsLoaded()) return;
  over.SetTransform(pos, screenSize, 0.0f, 1.0f, tint);
  DrawSprite(over, batch);
}

void KivFlowerBlock::DrawSprites(const math::Vec2& pos, SpriteBatch* batch) {
  if (Board()->HasEditor() && state == kBlockEncased) {
    DrawOver(ice, pos, batch);
    return;
  }
  if (popIn.remaining >= 0.0f) {
    const float t = std::clamp(1.0f - popIn.remaining / kPopInSeconds, 0.0f, 1.0f);
    const math::Vec2 size = screenSize * (t * kPopInOvershoot);
    if (HasImage()) {
      sprite.SetTransform(pos + (screenSize - size) * 0.5f, size, 0.0f, 1.0f, tint);
      DrawSprite(sprite, batch);
    }
    return;
  }
  WellBlock::DrawSprites(pos, batch);
  if (state == kBlockEncased) DrawOver(ice, pos, batch);
}

bool KivFlowerBlock::Tick(float dt) {
  if (popIn.remaining >= 0.0f) popIn.Update(dt);
  return KivBlock::Tick(dt);
}

void KivFlowerBlock::OnKill() {
  if (IsDying()) return;
  KivWell* board = Board();
  if (KivWellSFX* sfx = board->GetKivSFX()) {
    board->CountFlowerBurst();
    sfx->ButterfliesAt(targetX, targetY, color);
  }
  state = well::kBlockDying;
}

void KivFlowerBlock::Select() {
  if (state == kBlockEncased) return;
  state = well::kBlockSelected;
  RefreshImage();
}

void KivFlowerBlock::Unselect() {
  if (state == kBlockEncased) return;
  state = well::kBlockNormal;
  RefreshImage();
}

// --- Frozen and locked flowers ---

KivFrozenFlowerBlock::KivFrozenFlowerBlock(KivWell* board, int32_t frozenKind)
    : KivFlowerBlock(board, frozenKind) {
  state = kBlockEncased;
}

bool KivFrozenFlowerBlock::Tick(float dt) {
  hitsThisTick = 0;
  return KivFlowerBlock::Tick(dt);
}

void KivFrozenFlowerBlock::SetState(int32_t newState) {
  if (hitsThisTick > 0 || kind == kKindFrozen || kind == kKindLocked) return;
  state = newState;
}

void KivFrozenFlowerBlock::Kill() {
  if (IsDying() || hitsThisTick > 0) return;
  if (kind != kKindFrozen) {
    WellBlock::Kill();
    return;
  }
  // The thaw sets the state itself: SetState keeps an encased kind's state.
  kind = kKindFlower;
  state = well::kBlockNormal;
  ++hitsThisTick;
  if (KivWellSFX* sfx = Board()->GetKivSFX()) sfx->FrozenAt(targetX, targetY);
  RefreshImage();
  Board()->RequestSound(KivWell::kSoundLock1);
}

KivLockedFlowerBlock::KivLockedFlowerBlock(KivWell* board)
    : KivFrozenFlowerBlock(board, kKindLocked) {
  lock.Init("tile_locked", math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
}

std::string KivLockedFlowerBlock::GetTypeName() const {
  // Mend: the flower's name for an encased block is "frozenflower", so an editor save
  // would turn every locked flower into a frozen one for good.
  if (!madeAtRandom && kind == kKindLocked) return TypeName(kKindLocked);
  return KivFrozenFlowerBlock::GetTypeName();
}

void KivLockedFlowerBlock::DrawSprites(const math::Vec2& pos, SpriteBatch* batch) {
  KivFrozenFlowerBlock::DrawSprites(pos, batch);
  if (kind == kKindLocked) DrawOver(lock, pos, batch);
}

bool KivLockedFlowerBlock::Tick(float dt) {
  if (kind == kKindLocked) lock.Animate(dt);
  return KivFrozenFlowerBlock::Tick(dt);
}

void KivLockedFlowerBlock::Kill() {
  if (IsDying() || hitsThisTick > 0) return;
  if (kind != kKindLocked) {
    KivFrozenFlowerBlock::Kill();
    return;
  }
  kind = kKindFrozen;
  ice.Init("tile_frozen", math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  ++hitsThisTick;
  if (KivWellSFX* sfx = Board()->GetKivSFX()) sfx->LockedAt(targetX, targetY);
  RefreshImage();
  Board()->RequestSound(KivWell::kSoundLock2);
}

// --- Double and triple flowers ---

KivMultiplierBlock::KivMultiplierBlock(KivWell* board, float multiplierValue)
    : KivFlowerBlock(board, kKindFlower), multiplier(multiplierValue) {}

void KivMultiplierBlock::RefreshImage() {
  const int32_t grade = static_cast<int32_t>(multiplier - 1.0f);
  const bool selected = state == well::kBlockSelected;
  overlay.Init(Numbered(selected ? "multiply_over_%03i" : "multiply_tiles_%03i", grade),
               math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  KivFlowerBlock::RefreshImage();
}

std::string KivMultiplierBlock::GetTypeName() const {
  if (madeAtRandom) return "unknown";
  return TypeName(multiplier > 2.5f ? kKindTriple : kKindDouble);
}

void KivMultiplierBlock::DrawSprites(const math::Vec2& pos, SpriteBatch* batch) {
  KivFlowerBlock::DrawSprites(pos, batch);
  if (popIn.remaining >= 0.0f || !overlay.IsLoaded()) return;
  overlay.SetTransform(pos, screenSize, 0.0f, 1.0f, 0xFFFFFFFF);
  DrawSprite(overlay, batch);
}

void KivMultiplierBlock::OnKill() {
  if (IsDying()) return;
  KivFlowerBlock::OnKill();
  Board()->RequestSound(multiplier > 2.5f ? KivWell::kSoundTriple : KivWell::kSoundDouble);
}

// --- Value overlays ---

namespace {

ui::UINumber* NumberStyle(int32_t slot, const char* file) {
  if (!ui::g_sharedNumbers[slot]) {
    MEMORY_OWNER("KivBlock::NumberStyle");
    ui::g_sharedNumbers[slot] = new ui::UINumber;
    ui::g_sharedNumbers[slot]->Load(file);
  }
  return ui::g_sharedNumbers[slot];
}

constexpr int32_t kGemNumbers = 0;
constexpr int32_t kZenNumbers = 1;
// The most zen particles one block sends, whatever the tuning constants say.
constexpr int64_t kMaxZenParticles = 10000;

void RenderValue(const well::WellBlock& block, ui::UINumber* style, int32_t value) {
  if (!block.HasImage() || !style) return;
  const math::Vec2 extent = style->GetExtent(value, 1.0f, false);
  const math::Vec2 size = block.GetScreenSize();
  const math::Vec2 at = block.sprite.position + (size - extent) * 0.5f;
  const float scale = extent.x > size.x && extent.x > 0.0f ? size.x / extent.x : 1.0f;
  style->Render(value, at, scale, false);
}

}  // namespace

// --- Gem ---

KivGemBlock::KivGemBlock(KivWell* board) : KivBlock(board, kKindGem) {
  fixedColour = true;
  color = kSpecialColor;
  NumberStyle(kGemNumbers, "img/coin_number.lua");
}

void KivGemBlock::SetValue(int32_t newValue) { value = std::clamp(newValue, 1, kMaxValue); }

void KivGemBlock::RefreshImage() {
  ShowImage(state == well::kBlockSelected ? "gold_over_001" : "gold_tiles_001");
}

std::string KivGemBlock::GetTypeName() const {
  if (madeAtRandom) return "unknown";
  return Numbered("gem[%d]", value);
}

void KivGemBlock::OnKill() {
  if (IsDying()) return;
  state = well::kBlockDying;
  KivWell* board = Board();
  board->AddGold(value);
  if (KivWellSFX* sfx = board->GetKivSFX()) {
    for (int32_t i = 0; i < value; ++i) sfx->CoinsAt(targetX, targetY, 1);
  }
}

void KivGemBlock::Select() {
  state = well::kBlockSelected;
  RefreshImage();
}

void KivGemBlock::Unselect() {
  state = well::kBlockNormal;
  RefreshImage();
}

void KivGemBlock::RenderOverlay(const math::Vec2& pos) {
  RenderValue(*this, NumberStyle(kGemNumbers, "img/coin_number.lua"), value);
}

// --- Zen block ---

KivZenBlock::KivZenBlock(KivWell* board)
    : KivBlock(board, kKindZen), value(board->Constant("zen_per_token")) {
  fixedColour = true;
  color = kSpecialColor;
  NumberStyle(kZenNumbers, "img/zen_number.lua");
}

void KivZenBlock::RefreshImage() {
  ShowImage(state == well::kBlockSelected ? "zen_over_001" : "zen_off_001");
}

void KivZenBlock::OnKill() {
  if (IsDying()) return;
  state = well::kBlockDying;
  KivWell* board = Board();
  if (KivWellSFX* sfx = board->GetKivSFX()) {
    const int32_t perZen = board->Constant("particles_per_zen");
    const int64_t count = std::clamp<int64_t>(int64_t{value} * perZen, 0, kMaxZenParticles);
    sfx->EmitAt(KivWellSFX::kZenPower, static_cast<int32_t>(count),
                GetScreenPos() + screenSize * 0.5f);
  }
  board->RequestSound(KivWell::kSoundZen);
}

void KivZenBlock::Select() {
  state = well::kBlockSelected;
  RefreshImage();
}

void KivZenBlock::Unselect() {
  state = well::kBlockNormal;
  RefreshImage();
}

void KivZenBlock::RenderOverlay(const math::Vec2& pos) {
  RenderValue(*this, NumberStyle(kZenNumbers, "img/zen_number.lua"), value);
}

// --- Cut blocks ---

KivCutBlock::KivCutBlock(KivWell* board, int32_t cutKind) : KivBlock(board, cutKind) {
  fixedColour = true;
  color = kSpecialColor;
}

std::string KivCutBlock::GetImageName() const {
  static const char* const kImages[] = {"cuth", "cutv", "cutslash", "cutbackslash",
                                        "cutx", "cutplus", "cutstar"};
  if (kind < kKindHCut || kind > kKindStarCut) return "";
  return kImages[kind - kKindHCut];
}

void KivCutBlock::RefreshImage() {
  const std::string image = GetImageName();
  ShowImage(state == well::kBlockSelected ? image + "_over" : image);
}

std::vector<math::Vec2> KivCutBlock::Directions(int32_t cutKind) {
  using V = math::Vec2;
  switch (cutKind) {
    case kKindHCut:
      return {V(-1, 0), V(1, 0)};
    case kKindVCut:
      return {V(0, -1), V(0, 1)};
    case kKindSlashCut:
      return {V(-1, -1), V(1, 1)};
    case kKindBackslashCut:
      return {V(1, -1), V(-1, 1)};
    case kKindXCut:
      return {V(1, -1), V(-1, 1), V(-1, -1), V(1, 1)};
    case kKindPlusCut:
      return {V(-1, 0), V(1, 0), V(0, -1), V(0, 1)};
    case kKindStarCut:
      return {V(-1, -1), V(1, 1), V(1, -1), V(-1, 1), V(-1, 0), V(1, 0), V(0, -1), V(0, 1)};
    default:
      return {};
  }
}

void KivCutBlock::OnKill() {
  if (IsDying()) return;
  KivWell* board = Board();
  board->RequestSound(KivWell::kSoundSlicer);
  state = well::kBlockDying;
  for (const math::Vec2& d : Directions(kind)) {
    const auto dx = static_cast<int32_t>(d.x);
    const auto dy = static_cast<int32_t>(d.y);
    board->Cut(targetX + dx, targetY + dy, dx, dy);
  }
}

// --- Time block ---

KivTimeBlock::KivTimeBlock(KivWell* board) : KivBlock(board, kKindTime) { fixedColour = true;
  color = kSpecialColor; }

void KivTimeBlock::RefreshImage() {
  ShowImage(state == well::kBlockSelected ? "timeblock_over" : "timeblock_tiles");
}

void KivTimeBlock::OnKill() {
  if (IsDying()) return;
  state = well::kBlockDying;
  KivWell* board = Board();
  if (board->GetKivSFX()) board->AddTimeBonus(board->Constant("time_token"), CellCentre());
  board->RequestSound(KivWell::kSoundTimer);
}

void KivTimeBlock::Select() {
  state = well::kBlockSelected;
  RefreshImage();
}

void KivTimeBlock::Unselect() {
  state = well::kBlockNormal;
  RefreshImage();
}

// --- Stone ---

KivStoneBlock::KivStoneBlock(KivWell* board) : KivBlock(board, kKindStone) { fixedColour = true;
  color = kSpecialColor; }

void KivStoneBlock::RefreshImage() { ShowImage("stone_block"); }

void KivStoneBlock::Select() {
  state = well::kBlockSelected;
  RefreshImage();
}

void KivStoneBlock::Unselect() {
  state = well::kBlockNormal;
  RefreshImage();
}

// --- Tile blast ---

KivTileBlastBlock::KivTileBlastBlock(KivWell* board) : KivBlock(board, kKindTileBlast) {
  fixedColour = true;
  color = kSpecialColor;
}

void KivTileBlastBlock::RefreshImage() {
  ShowImage(state == well::kBlockSelected ? "tileblast_over" : "tileblast_tiles");
}

void KivTileBlastBlock::OnKill() {
  if (IsDying()) return;
  KivWell* board = Board();
  board->TileBlast(targetX, targetY, board->Constant("tileblast_count"));
  if (KivWellSFX* sfx = board->GetKivSFX()) sfx->EmitAt(KivWellSFX::kTileBlast, 10, CellCentre());
  board->RequestSound(KivWell::kSoundTileBlast);
  state = well::kBlockDying;
}

void KivTileBlastBlock::Select() {
  state = well::kBlockSelected;
  RefreshImage();
}

void KivTileBlastBlock::Unselect() {
  state = well::kBlockNormal;
  RefreshImage();
}
