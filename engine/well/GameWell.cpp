#include "engine/well/GameWell.h"

#include <algorithm>
#include <unordered_set>

#include "engine/graphics/SpriteBatch.h"
#include "engine/well/WellBlock.h"
#include "engine/well/WellSFX.h"

namespace well {

namespace {

// The blocks of a board go into one batch, filled and drawn within the board's Render, so
// that blocks whose pictures share a texture take one draw call between them.
SpriteBatch& BlockBatch() {
  static SpriteBatch batch;
  return batch;
}

}  // namespace

GameWell::GameWell(void* context, FrameTimer& clock) : BaseWell(context, clock) {}

GameWell::~GameWell() {
  DeleteAllBlocks();
  // A block may have been swept more than once; each is deleted once.
  std::unordered_set<WellBlock*> deleted;
  for (WellBlock* block : removed_) {
    if (deleted.insert(block).second) delete block;
  }
  removed_.clear();
}

void GameWell::GetBlocksOfColor(int32_t color, std::vector<WellBlock*>& out) {
  for (WellBlock* block : blocks_) {
    if (block->color == color) out.push_back(block);
  }
}

WellBlock* GameWell::GetBlockByIndex(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= blocks_.size()) return nullptr;
  return blocks_[static_cast<size_t>(index)];
}

WellBlock* GameWell::GetBlock(int32_t x, int32_t y) {
  if (!IsInGrid(x, y) || !hasCells_) return nullptr;
  return cells_[static_cast<size_t>(CellIndex(x, y))].block;
}

void GameWell::Create(int32_t gridWidth, int32_t gridHeight, const math::Vec2& origin,
                      const math::Vec2& extent, const math::Vec2& cellSize) {
  SetGrid(gridWidth, gridHeight, origin, extent, cellSize);
  cells_.assign(static_cast<size_t>(GetWidth()) * static_cast<size_t>(GetHeight()), Cell());
  hasCells_ = true;
  MarkDirty();
}

void GameWell::PlaceBlock(WellBlock* block, int32_t x, int32_t y) {
  RebuildCells();
  block->MoveTo(x, y);
  blocks_.push_back(block);
  block->OnPlaced();
  MarkDirty();
}

void GameWell::ForgetCells(const WellBlock* block) {
  for (Cell& cell : cells_) {
    if (cell.block == block) cell = Cell();
  }
}

void GameWell::DropBlock(WellBlock* block, bool destroy) {
  auto it = std::find(blocks_.begin(), blocks_.end(), block);
  if (it == blocks_.end()) return;
  blocks_.erase(it);
  if (destroy) {
    // The cell array must never hand out a deleted block, not even before the rebuild.
    ForgetCells(block);
    delete block;
  }
  MarkDirty();
}

void GameWell::RebuildCells() {
  if (!dirty_) return;
  std::fill(cells_.begin(), cells_.end(), Cell());
  if (hasCells_) {
    for (WellBlock* block : blocks_) {
      if (block->IsDying()) continue;
      int32_t x = 0;
      int32_t y = 0;
      int32_t w = 0;
      int32_t h = 0;
      block->GetCell(x, y);
      block->GetSize(w, h);
      for (int32_t cx = x; cx < x + w; ++cx) {
        for (int32_t cy = y; cy < y + h; ++cy) {
          // A cell outside the grid is no cell: counting it as the top-left one would kill
          // the block that really stands there.
          if (!IsInGrid(cx, cy)) continue;
          Cell& cell = cells_[static_cast<size_t>(CellIndex(cx, cy))];
          if (!cell.block) {
            cell.block = block;
            cell.color = block->color;
          } else if (cell.block != block) {
            block->SetDead();
          }
        }
      }
    }
  }
  dirty_ = false;
}

void GameWell::SweepDeadBlocks() {
  std::vector<WellBlock*> swept;
  for (WellBlock* block : blocks_) {
    if (swept.size() >= kMaxSweep) break;
    if (block->IsDying()) swept.push_back(block);
  }
  for (WellBlock* block : swept) {
    if (block->state != kBlockDead) block->OnKill();
    blocks_.erase(std::remove(blocks_.begin(), blocks_.end(), block), blocks_.end());
    removed_.push_back(block);
    MarkDirty();
  }
}

void GameWell::Render() {
  if (!hasCells_) return;
  RenderDecorations(false, true, true);
  if (WellSFX* sfx = GetSFX()) sfx->RenderBelowBlocks();
  SpriteBatch& batch = BlockBatch();
  for (WellBlock* block : blocks_) {
    if (block->HasImage()) block->RenderToBatch(batch);
  }
  batch.Render(math::Vec2(0.0f, 0.0f), false);
  RenderDecorations(false, true, false);
  BaseWell::Render();
}

void GameWell::UpdateBlocks(float dt) {
  for (size_t i = 0; i < blocks_.size(); ++i) {
    if (blocks_[i]->Tick(dt)) {
      MarkDirty();
      SetChanging();
    }
  }
}

void GameWell::ApplyGravity() {
  for (size_t i = 0; i < blocks_.size(); ++i) blocks_[i]->TryFall();
}

void GameWell::DeleteAllBlocks() {
  for (WellBlock* block : blocks_) delete block;
  blocks_.clear();
  std::fill(cells_.begin(), cells_.end(), Cell());
  MarkDirty();
}

bool GameWell::ClearWell(uint32_t flags) {
  if (flags & kClearDecorations) ClearDecorations();
  if (flags & kClearBlocks) DeleteAllBlocks();
  MarkDirty();
  RebuildCells();
  return true;
}

void GameWell::StoreRestore() {
  restore_.clear();
  for (const WellBlock* block : blocks_) {
    RestoreRecord record{};
    block->GetCell(record.x, record.y);
    block->GetSize(record.width, record.height);
    record.type = block->GetTypeName();
    record.color = block->color;
    restore_.push_back(std::move(record));
  }
}

void GameWell::TriggerRestore() {
  DeleteAllBlocks();
  for (const RestoreRecord& record : restore_) {
    WellBlock* block = CreateBlock(record.type, GetColorName(record.color), record.x, record.y,
                                   record.width, record.height);
    if (block) AddBlock(block, record.x, record.y, 0.0f);
  }
}

}  // namespace well
