#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/well/BaseWell.h"

namespace well {

// What ClearWell takes away.
enum ClearFlags : uint32_t {
  kClearBlocks = 1,
  kClearDecorations = 2,
  kClearAll = 3,
};

// The playable board: it owns its blocks in the order they were placed and keeps a cell
// array that maps every cell to the block on it. The array is rebuilt only when marked
// dirty; a block that claims a cell an earlier block holds dies at the rebuild. Dying and
// dead blocks are swept out of play into the removed list, which lives as long as the
// board. The game's board derives from it and makes the blocks (CreateBlock).
class GameWell : public BaseWell {
 public:
  // The most blocks one sweep takes out; the rest wait for the next one.
  static constexpr size_t kMaxSweep = 2500;

  struct Cell {
    WellBlock* block = nullptr;  // not owned
    int32_t color = 31;          // the block's colour, 31 ("empty") without one
  };

  // One block as StoreRestore found it.
  struct RestoreRecord {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    std::string type;
    int32_t color;
  };

  explicit GameWell(void* context, FrameTimer& clock = FrameTimer::Instance());
  // Deletes the listed blocks and the removed ones.
  ~GameWell() override;

  void ClearWell() override { ClearWell(kClearAll); }
  void OnSettled() override {}
  // Every listed block of exactly that colour ("any" is no wildcard here).
  void GetBlocksOfColor(int32_t color, std::vector<WellBlock*>& out) override;
  WellBlock* GetBlockByIndex(int32_t index) override;
  // The block on the cell as of the last rebuild; null outside the grid.
  WellBlock* GetBlock(int32_t x, int32_t y) override;
  // Takes the block out of the list (deleting it when destroy is set); a block that is
  // not listed is left alone.
  void DropBlock(WellBlock* block, bool destroy) override;
  // Puts the block on the cell and appends it to the list.
  void PlaceBlock(WellBlock* block, int32_t x, int32_t y) override;
  WellBlock* CreateBlock(const std::string& type, const std::string& color, int32_t x,
                         int32_t y, int32_t w, int32_t h) override {
    return nullptr;
  }
  // Lower decorations, the effect manager's layer under the blocks, the blocks, upper
  // decorations, the overlay. Nothing before Create.
  void Render() override;
  int32_t GetBlockCount() const override { return static_cast<int32_t>(blocks_.size()); }
  void MarkDirty() override { dirty_ = true; }
  // Takes dying and dead blocks out of play into the removed list.
  void SweepDeadBlocks() override;
  void RebuildCells() override;
  // Sets the grid and makes a new, empty cell array; listed blocks stay listed.
  void Create(int32_t gridWidth, int32_t gridHeight, const math::Vec2& origin,
              const math::Vec2& extent, const math::Vec2& cellSize) override;
  // Ticks every block; a block still moving marks the board dirty and changing.
  void UpdateBlocks(float dt) override;
  void ApplyGravity() override;
  virtual bool ClearWell(uint32_t flags);
  // Remembers every listed block (cell, size, kind and colour).
  virtual void StoreRestore();
  // Replaces the blocks by new ones made from the remembered records.
  virtual void TriggerRestore();

  const std::vector<WellBlock*>& GetBlocks() const { return blocks_; }
  const std::vector<RestoreRecord>& GetRestoreRecords() const { return restore_; }
  bool IsDirty() const { return dirty_; }

 protected:
  // Deletes every listed block and forgets them in the cell array at once.
  void DeleteAllBlocks();
  // Empties the cell records that point at the block.
  void ForgetCells(const WellBlock* block);

 private:
  std::vector<WellBlock*> blocks_;  // owned
  std::vector<Cell> cells_;
  bool hasCells_ = false;
  bool dirty_ = true;
  std::vector<RestoreRecord> restore_;
};

}  // namespace well
