// New blocks for the board: the kind and colour a cell gets, the refill of empty tiled
// cells, the hint that shakes a possible chain, the test that no chain is left, and the
// reshuffle that clears the flowers away.

#include <algorithm>
#include <array>

#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "game/board/KivBlock.h"
#include "game/board/KivGoal.h"
#include "game/board/KivReshuffle.h"
#include "game/board/KivSpell.h"
#include "game/board/KivWell.h"
#include "game/board/KivWellSFX.h"

namespace {

// Colours at or above this are no flower colour (special, empty, any).
constexpr int32_t kNoColour = 30;
constexpr int32_t kHintMinLength = 3;
constexpr int32_t kFewTilesLeft = 4;
constexpr float kHintShakeAmplitude = 0.00125f;
constexpr float kHintShakeFrequency = 7.5f;
constexpr float kHintShakeDuration = 1.0f;

// The eight neighbours in the order paths are grown and searched.
constexpr int32_t kDirections[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                       {0, 1},   {1, -1}, {1, 0},  {1, 1}};

bool Playable(const KivBlock* block) {
  return block && !block->IsDying() && block->state != kBlockEncased && block->kind < kKindHard;
}

}  // namespace

// --- Reshuffle animation ---

void KivReshuffle::Start(Flight& flight) {
  flight.velocity = math::Vec2(0.0f, 0.0f);
  flight.acceleration = math::Vec2(0.0f, 0.4f + 0.5f * flight.position.y);
}

void KivReshuffle::Update(Flight& flight, float dt) {
  WellMoveEnd::Update(flight, dt);
  const math::Vec2 size = flight.item->GetScreenSize();
  if (flight.position.x < -size.x || flight.position.y < -size.y || flight.position.x > 1.0f ||
      flight.position.y > 1.0f) {
    delete flight.item;
    flight.item = nullptr;
  }
}

bool KivReshuffle::IsFinished() const {
  return std::none_of(flights_.begin(), flights_.end(),
                      [](const Flight& flight) { return flight.item != nullptr; });
}

// --- Kind and colour ---

int32_t KivWell::ChooseKind(int32_t x, int32_t y) {
  if (!goalsActive_ || x < 0) return static_cast<int32_t>(kindWeights_.Pick());
  // During play every cell records no kind, which reads as a flower: special blocks come
  // from the level's file and the game's own rules.
  return kKindFlower;
}

int32_t KivWell::ChooseColour(int32_t x, int32_t y) {
  if (!goalsActive_ || x < 0) return static_cast<int32_t>(colourWeights_.Pick());
  const KivBlockInfo* info = GetBlockInfo(x, y);
  const int32_t own = info && info->colour < kNoColour ? info->colour : -1;

  std::array<float, kFlowerColors> score{};
  std::array<bool, kFlowerColors> scored{};
  int32_t distinct = 0;
  static constexpr int32_t kDiagonals[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
  for (const auto& d : kDiagonals) {
    const int32_t nx = x + d[0];
    const int32_t ny = y + d[1];
    const KivBlock* neighbour = GetKivBlock(nx, ny);
    if (!neighbour) continue;
    const int32_t c = neighbour->color;
    if (c < 0 || c >= kFlowerColors || c == own) continue;
    const float w = colourWeights_.GetWeight(static_cast<uint32_t>(c));
    if (w <= 0.0f) continue;
    auto& s = score[static_cast<size_t>(c)];
    if (!scored[static_cast<size_t>(c)]) {
      scored[static_cast<size_t>(c)] = true;
      ++distinct;
    }
    if (GetTileValue(nx, ny) < 2) {
      s = std::max(s, w);
    } else {
      s = s <= 0.0f ? 2.0f * w : s + w;
    }
  }
  if (distinct < 2) {
    auto colour = static_cast<int32_t>(colourWeights_.Pick());
    // Draw again while the cell's own colour comes up, a bounded number of times: when
    // that colour alone has weight no other draw can ever differ.
    for (int32_t tries = 0; colour == own && tries < kMaxColourRedraws; ++tries) {
      colour = static_cast<int32_t>(colourWeights_.Pick());
    }
    return colour;
  }
  num::ProbSet set;
  set.Init(kFlowerColors);
  for (int32_t c = 0; c < kFlowerColors; ++c) set.SetWeight(static_cast<uint32_t>(c), score[static_cast<size_t>(c)]);
  return static_cast<int32_t>(set.Pick());
}

// --- Refill ---

void KivWell::Refill() {
  if (tiles_.empty()) SetupBlockInfo();
  RebuildCells();
  for (const auto& [x, y] : tileList_) {
    if (IsCellQueued(x, y)) continue;
    if (GetKivBlock(x, y)) continue;
    const int32_t belowY = y + 1 < GetHeight() ? y + 1 : y;
    const KivBlock* below = GetKivBlock(x, belowY);
    if (below && below->moving) continue;
    GenerateBlock(x, y, -1.0f);
  }
  if (reshuffled_) {
    refillPasses_ = 0;
    RebuildCells();
    while (refillPasses_ < kMaxRecolourPasses && NoMovesLeft()) {
      ++refillPasses_;
      if (tiles_.empty()) SetupBlockInfo();
      RecolourFlowers();
    }
    reshuffled_ = false;
  }
}

void KivWell::RecolourFlowers() {
  std::vector<well::WellBlock*> blocks;
  GetAllBlocks(blocks);
  for (well::WellBlock* b : blocks) {
    auto* block = static_cast<KivBlock*>(b);
    const bool recolour = block->kind == kKindFlower ||
                          (!reshuffled_ && (block->kind == kKindFrozen || block->kind == kKindLocked));
    if (!recolour) continue;
    block->SetColor(static_cast<int32_t>(colourWeights_.Pick()));
    block->RefreshImage();
    if (KivWellSFX* sfx = GetKivSFX()) sfx->SparkleAt(block->targetX, block->targetY, 0);
  }
}

// --- Hints and the no-move test ---

bool KivWell::HintStep(float dt) {
  if (DeviceLeftHeld()) {
    hintTimer_.remaining = hintTimer_.duration;
    return true;
  }
  if (hintTimer_.remaining >= 0.0f) {
    hintTimer_.Update(dt);
  } else if (!FindHint(false)) {
    return false;
  }
  if (moveCheckDue_) {
    if (moveCheckTimer_.remaining >= 0.0f) {
      moveCheckTimer_.Update(dt);
    } else if (!FindHint(true)) {
      return false;
    }
  }
  return true;
}

bool KivWell::ExtendHint(HintPath& path, int32_t x, int32_t y) {
  KivBlock* block = GetKivBlock(x, y);
  if (!block || std::find(path.blocks.begin(), path.blocks.end(), block) != path.blocks.end() ||
      !CanJoin(block, path.blocks)) {
    return false;
  }
  path.blocks.push_back(block);
  if (!path.coversTile && GetTileValue(x, y) > 1) path.coversTile = true;
  for (const auto& d : kDirections) {
    if (ExtendHint(path, x + d[0], y + d[1])) break;
  }
  return true;
}

void KivWell::CollectHints(std::vector<HintPath>& out) {
  out.clear();
  RebuildCells();
  for (int32_t x = 0; x < GetWidth(); ++x) {
    for (int32_t y = 0; y < GetHeight(); ++y) {
      KivBlock* start = GetKivBlock(x, y);
      if (!Playable(start)) continue;
      for (const auto& d : kDirections) {
        HintPath path;
        path.blocks.push_back(start);
        path.coversTile = GetTileValue(x, y) > 1;
        ExtendHint(path, x + d[0], y + d[1]);
        if (path.blocks.size() > 2) out.push_back(std::move(path));
      }
    }
  }
}

bool KivWell::FindHint(bool checkOnly) {
  moveCheckDue_ = false;
  if (!checkOnly) hintTimer_.remaining = hintTimer_.duration;
  std::vector<HintPath> paths;
  CollectHints(paths);
  if (paths.empty()) return false;
  if (checkOnly) return true;

  bool tileMode = false;
  if (unturnedTiles_ < kFewTilesLeft &&
      std::any_of(paths.begin(), paths.end(), [](const HintPath& p) { return p.coversTile; })) {
    tileMode = true;
    paths.erase(std::remove_if(paths.begin(), paths.end(), [](const HintPath& p) { return !p.coversTile; }),
                paths.end());
  }
  const HintPath& pick = paths[static_cast<size_t>(num::CRand()) % paths.size()];
  auto n = static_cast<int32_t>(pick.blocks.size());
  if (!tileMode && n > kHintMinLength) n = kHintMinLength + num::CRand() % (n - kHintMinLength + 1);
  lastHint_.assign(pick.blocks.begin(), pick.blocks.begin() + n);
  for (KivBlock* block : lastHint_) block->StartShake(kHintShakeAmplitude, kHintShakeFrequency, kHintShakeDuration);
  RequestSound(kSoundJingle);
  return true;
}

bool KivWell::SearchMove(std::vector<KivBlock*>& found, int32_t depth) {
  if (static_cast<int32_t>(found.size()) >= depth) return true;
  int32_t x = 0;
  int32_t y = 0;
  found.back()->GetCell(x, y);
  for (const auto& d : kDirections) {
    KivBlock* next = GetKivBlock(x + d[0], y + d[1]);
    if (!next || std::find(found.begin(), found.end(), next) != found.end() || !CanJoin(next, found)) {
      continue;
    }
    found.push_back(next);
    if (SearchMove(found, depth)) return true;
    found.pop_back();
  }
  return false;
}

bool KivWell::NoMovesLeft() {
  RebuildCells();
  std::vector<KivBlock*> found;
  for (int32_t x = 0; x < GetWidth(); ++x) {
    for (int32_t y = 0; y < GetHeight(); ++y) {
      KivBlock* start = GetKivBlock(x, y);
      if (!start || start->state == kBlockEncased || start->kind >= kKindHard) continue;
      found.assign(1, start);
      if (SearchMove(found, kHintMinLength)) return false;
    }
  }
  return true;
}

// --- Reshuffle ---

void KivWell::Reshuffle() {
  // Forget the pointer's blocks and the chain first: the flowers taken below are freed by
  // the animation, and the next chain step must not touch them.
  UnselectChain();
  hovered_ = nullptr;
  pressed_ = nullptr;
  chain_.clear();
  previewScore_ = 0;
  previewLength_ = 0;
  lastHint_.clear();
  if (spellBrush_) spellBrush_->ForgetBlocks();

  MEMORY_OWNER("KivWell::Reshuffle");
  reshuffle_ = std::make_unique<KivReshuffle>();
  std::vector<well::WellBlock*> blocks;
  GetAllBlocks(blocks);
  for (well::WellBlock* b : blocks) {
    auto* block = static_cast<KivBlock*>(b);
    if (block->kind != kKindFlower) continue;
    reshuffle_->Add(block);
    DropBlock(block, false);
  }
  MarkDirty();
  RebuildCells();
  reshuffled_ = true;
}
