// The chain the player draws: which blocks may join it, how it grows and shrinks under
// the pointer, its score, and its clearing.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/core/MemoryManager.h"
#include "game/board/KivBlock.h"
#include "game/board/KivGoal.h"
#include "game/board/KivScore.h"
#include "game/board/KivWell.h"
#include "game/board/KivWellSFX.h"
#include "game/shell/KivVars.h"

namespace {

// The highest score one chain can give.
constexpr int64_t kMaxChainScore = 100000000;

bool IsColoured(int32_t kind) { return kind < 3; }
bool IsFree(int32_t kind) { return kind >= kKindZen && kind <= kKindTime; }
bool Live(const KivBlock* block) { return block && !block->IsDying(); }

}  // namespace

bool KivWell::CanJoin(const KivBlock* block, const std::vector<KivBlock*>& chain) const {
  if (!block || block->state == kBlockEncased || block->kind > kKindHard) return false;
  bool mismatch = false;
  for (const KivBlock* member : chain) {
    if (!member) continue;
    if (member->state == kBlockEncased || member->kind > kKindHard) return false;
    if (IsFree(block->kind)) return true;
    if (block->kind == member->kind && IsColoured(block->kind) && block->color == member->color) {
      return true;
    }
    if (IsColoured(member->kind)) mismatch = true;
  }
  return !mismatch;
}

int32_t KivWell::FindInChain(const KivBlock* block) const {
  const auto it = std::find(chain_.begin(), chain_.end(), block);
  return it == chain_.end() ? -1 : static_cast<int32_t>(it - chain_.begin());
}

void KivWell::SelectSoundFlag(int32_t length) {
  RequestSound(kSoundSelectFirst + std::clamp((length - 2) / 3, 0, kSelectGrades - 1));
}

int32_t KivWell::ChainScore(const std::vector<KivBlock*>& chain) const {
  const auto n = static_cast<int64_t>(chain.size());
  if (n < 3) return 0;
  int64_t m = 1;
  for (const KivBlock* member : chain) {
    const float multiplier = member ? member->GetMultiplier() : 1.0f;
    if (multiplier > 1.0f) m += static_cast<int64_t>(std::floor(multiplier - 1.0f));
  }
  const int64_t x = n * m;
  const int64_t base = KivScore::Instance().GetValue(KivScore::kPointsPerBlock);
  // Worked in 64 bits: long chains with multipliers overflow 32 bits before the cap.
  int64_t score = base * x;
  if (x > 3) score = (x - 3) * (base * x) * 2;
  return static_cast<int32_t>(std::clamp<int64_t>(score, 0, kMaxChainScore));
}

void KivWell::StartChain(const math::Vec2& position) {
  buttonHeld_ = true;
  pressed_ = static_cast<KivBlock*>(GetBlockAt(position));
  chain_.clear();
  chain_.push_back(pressed_);
}

void KivWell::GrowChain(const math::Vec2& position) {
  RebuildCells();
  auto* block = static_cast<KivBlock*>(GetBlockAt(position));
  if (!block) {
    if (Live(hovered_) && FindInChain(hovered_) < 0) hovered_->Unselect();
    return;
  }
  int32_t bx = 0;
  int32_t by = 0;
  block->GetCell(bx, by);
  const math::Vec2 centre = CellToScreen(bx, by) + GetCellSize() * 0.5f;
  const math::Vec2 d = position - centre;
  // Only within half a cell of the centre: crossing a corner picks up nothing.
  if (std::sqrt(d.x * d.x + d.y * d.y) > GetCellSize().x * 0.5f) return;

  if (block != hovered_) {
    if (Live(hovered_)) hovered_->Unselect();
    hovered_ = block;
    if (Live(block)) block->Select();
  }

  buttonHeld_ = DeviceLeftHeld();
  if (!buttonHeld_) {
    // An armed match spell shows its own chain's preview.
    if (!spellBrush_) {
      previewScore_ = 0;
      previewLength_ = 0;
    }
    return;
  }
  if (chain_.empty() || pendingTrophy_ != 0) {
    previewScore_ = 0;
    previewLength_ = 0;
    return;
  }
  KivBlock* last = chain_.back();
  if (!last) return;
  int32_t lx = 0;
  int32_t ly = 0;
  last->GetCell(lx, ly);

  const int32_t index = FindInChain(block);
  if (index >= 0) {
    if (index != static_cast<int32_t>(chain_.size()) - 1) {
      for (size_t i = static_cast<size_t>(index); i < chain_.size(); ++i) {
        if (Live(chain_[i])) chain_[i]->Unselect();
      }
      SelectSoundFlag(static_cast<int32_t>(chain_.size()) - 1);
      chain_.resize(static_cast<size_t>(index) + 1);
    }
  } else if (CanJoin(block, chain_) && std::abs(lx - bx) <= 1 && std::abs(ly - by) <= 1) {
    chain_.push_back(block);
    SelectSoundFlag(static_cast<int32_t>(chain_.size()));
  }
  for (KivBlock* member : chain_) {
    if (Live(member)) member->Select();
  }
  previewLength_ = static_cast<int32_t>(chain_.size());
  previewScore_ = ChainScore(chain_);
}

bool KivWell::ResolveChain(const std::vector<KivBlock*>& chainIn, bool turnAll, bool takeLast) {
  // The members are read from a copy: the caller's chain may be the board's own, which
  // the blocks' reactions must not change under the loops.
  const std::vector<KivBlock*> chain = chainIn;
  const auto n = static_cast<int32_t>(chain.size());
  if (n < 3 || std::find(chain.begin(), chain.end(), nullptr) != chain.end()) return false;

  const int32_t score = ChainScore(chain);
  previewScore_ = score;
  previewLength_ = n;
  AdjustCounter(score);
  // The goals hear of every chain: its length and the colour of its flowers (any colour
  // when it held none).
  int32_t chainColour = KivGoal::kAnyColour;
  for (const KivBlock* member : chain) {
    if (IsColoured(member->kind)) {
      chainColour = member->color;
      break;
    }
  }
  ReportChain(n, chainColour);

  int32_t flowers = 0;
  for (KivBlock* member : chain) {
    if (member->kind == kKindFlower) ++flowers;
    if (member->color >= 0 && member->color < static_cast<int32_t>(clearedCells_.size())) {
      clearedCells_[static_cast<size_t>(member->color)] += member->width * member->height;
    }
    ++clearedBlocks_;
    int32_t x = 0;
    int32_t y = 0;
    member->GetCell(x, y);
    static const int32_t kSides[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& side : kSides) {
      KivBlock* neighbour = GetKivBlock(x + side[0], y + side[1]);
      if (neighbour && neighbour->kind >= kKindHard) neighbour->Kill();
    }
    TurnTile(x, y, turnAll);
  }
  for (KivBlock* member : chain) member->Kill();

  char sound[32];
  std::snprintf(sound, sizeof sound, "token_clear_%d", std::min(5, (n - 1) / 5 + 1));
  PlaySoundNow(sound);
  MarkDirty();

  if (zenBlocksEnabled_ && n > 4) {
    int32_t x = 0;
    int32_t y = 0;
    (takeLast ? chain.back() : chain.front())->GetCell(x, y);
    PlaceZenBlock(x, y, n - 5);
    if (KivWellSFX* sfx = GetKivSFX()) sfx->SparkleAt(x, y, 1);
  }
  CountTiles();
  if (!IsFreeplay()) SetPendingTrophy(FeedMoveTrophies(n, flowers));
  moveCheckDue_ = true;
  moveCheckTimer_.remaining = moveCheckTimer_.duration;
  return true;
}

void KivWell::PlaceZenBlock(int32_t x, int32_t y, int32_t extra) {
  // The cleared block still holds the cell until the sweep: let it go first.
  MarkDirty();
  RebuildCells();
  auto* block = static_cast<KivBlock*>(CreateBlock("zenblock", "any", x, y, 1, 1));
  if (!block) return;
  auto* zen = static_cast<KivZenBlock*>(block);
  // The default is stated here rather than left to the block, so a five-chain's zen block
  // always stands for the tuning constant.
  zen->value = Constant("zen_per_token") + std::max(extra, 0);
  AddBlock(block, x, y, 0.0f);
  MarkDirty();
  if (KivWellSFX* sfx = GetKivSFX()) sfx->SparkleAt(x, y, 0);
  block->ShowKindTip(x, y, 1.0f);
}
