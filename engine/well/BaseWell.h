#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/Timer.h"

class LuaObject;
class LuaState;
class WriteLua;

namespace well {

class WellBlock;
class WellDecoration;
class WellEffect;
class WellSFX;

// What Load and Save read and write of a well file.
enum WellFileFlags : uint32_t {
  kWellBlocks = 1,       // the "Blocks" table
  kWellDecorations = 2,  // the "Decorations" table
  kWellExtra = 4,        // what LoadExtra and SaveExtra of a derived board add
  kWellInfo = 8,         // the "Info" table
  kWellAll = 15,
};

// The generic puzzle board ("well"): a grid of cells mapped onto the screen, blocks that
// wait to be placed after a delay, decorations drawn under or over the blocks, the
// background and effect names of the level, an effect manager and an overlay, and the
// well file that holds all of it. The board runs a periodic step every 0.05 s (gravity,
// delayed drops, the sweep of dead blocks). GameWell fills in the block list and cell
// array; the game derives its board from that.
//
// A well file is a Lua script that defines up to three tables:
//
//   Blocks = { { Type = "normal", Color = "red", X = 0, Y = 0, Width = 1, Height = 1 }, },
//   Decorations = { { Image = "leaf", X = 2, Y = 3, OffsetX = 0.0, OffsetY = 0.0,
//                     Layer = 3, Rotation = 0 }, },
//   Info = { Background = "random", Effect = "none" }
class BaseWell {
 public:
  // How often the periodic step runs, in seconds of frame time.
  static constexpr float kStepInterval = 0.05f;
  // Decorations of this layer and above are drawn over the blocks.
  static constexpr int32_t kUpperLayer = 3;
  // A well file's decorations beyond this many are skipped (with a warning).
  static constexpr size_t kMaxDecorations = 1024;
  // Entries of a well file's "Blocks" read at most (the rest skipped with a warning).
  // Every entry is read, not only as many as the grid has cells, since invalid entries
  // may come before valid ones; but a data file can list millions of entries within its
  // script limits (one table named again and again), and no board needs this many.
  static constexpr int kMaxBlockEntries = 4096;

  // The game time of the given frame clock dates the delayed drops.
  explicit BaseWell(void* context, FrameTimer& clock = FrameTimer::Instance());
  // Deletes the effect manager, the overlay, the decorations and the blocks still
  // waiting to be placed.
  virtual ~BaseWell();
  BaseWell(const BaseWell&) = delete;
  BaseWell& operator=(const BaseWell&) = delete;

  virtual void ClearWell() = 0;
  // Called by Tick on the tick the board stops changing, before the sweep.
  virtual void OnSettled() = 0;
  virtual void GetBlocksOfColor(int32_t color, std::vector<WellBlock*>& out) = 0;
  virtual WellBlock* GetBlockByIndex(int32_t index) = 0;
  // The block on the cell under a screen point.
  virtual WellBlock* GetBlockAt(const math::Vec2& point);
  virtual WellBlock* GetBlock(int32_t x, int32_t y) = 0;
  virtual void DropBlock(WellBlock* block, bool destroy) = 0;
  virtual void PlaceBlock(WellBlock* block, int32_t x, int32_t y) = 0;
  // A new block of the named kind and colour, or null when the board cannot make it.
  virtual WellBlock* CreateBlock(const std::string& type, const std::string& color, int32_t x,
                                 int32_t y, int32_t w, int32_t h) = 0;
  // Writes the parts the flags name to the file; false (keeping the old file) when the
  // file cannot be written.
  virtual bool Save(const std::string& path, uint32_t flags);
  virtual bool SaveWell(const std::string& path) { return Save(path, kWellAll); }
  virtual void SpareHook() {}
  // Draws the overlay.
  virtual void Render();
  // Moves the blocks, runs at most one periodic step, settles, and ticks the overlay
  // and the effect manager.
  virtual void Tick(float dt);
  virtual WellBlock* GenerateBlock(int32_t x, int32_t y, float delay) { return nullptr; }
  // Runs the well file and adds what the flags name to the board (nothing is cleared
  // first). False, with an error line, when the file cannot be read or run.
  virtual bool Load(const std::string& path, void* arg, uint32_t flags);
  virtual bool LoadWell(const std::string& path, void* arg) { return Load(path, arg, kWellAll); }
  virtual void SaveExtra(WriteLua& writer) {}
  virtual void LoadExtra(LuaState* state) {}
  virtual void SaveHeader(WriteLua& writer) {}
  // False skips the rest of the file.
  virtual bool LoadHeader(LuaState* state) { return true; }
  virtual int32_t GetBlockCount() const { return 0; }
  virtual void BlockMoved(WellBlock* block, int32_t oldX, int32_t oldY, int32_t newX,
                          int32_t newY) {
    MarkDirty();
  }
  virtual void MarkDirty() {}
  virtual bool IsOverlayDone() const;
  virtual bool HasWon() const { return won_; }
  virtual void WinGame() { won_ = true; }
  virtual void LooseGame() { won_ = false; }
  virtual bool AlwaysTrueHook() { return true; }
  virtual WellSFX* GetSFX() const { return sfx_.get(); }
  virtual bool AlwaysFalseHook() { return false; }
  // True keeps Load from reading decorations and info.
  virtual bool SkipsScenery() const { return false; }
  virtual bool IsBusy() const { return false; }
  virtual void AdjustCounter(int32_t delta) {}
  virtual const std::string& GetName() const { return name_; }
  virtual void SetName(const std::string& text) { name_ = text; }
  virtual const std::string& GetSecondName() const { return secondName_; }
  virtual void SetSecondName(const std::string& text) { secondName_ = text; }
  // A decoration with the image at the cell plus offset; its size is the image's own,
  // width and height are not used. A negative layer counts as 0.
  virtual void AddDecoration(const std::string& image, int32_t x, int32_t y, int32_t width,
                             int32_t height, const math::Vec2& offset, int32_t layer,
                             int32_t rotation);
  // Rebuild, gravity, delayed drops, sweep.
  virtual void PeriodicStep();
  // Places the delayed blocks whose time has come, earliest first.
  virtual void ProcessPendingBlocks();
  virtual void SweepDeadBlocks() = 0;
  virtual void LoadBlocks(LuaState* state, float delay);
  virtual void SaveBlocks(WriteLua& writer);
  virtual void LoadDecorations(LuaState* state);
  virtual void SaveDecorations(WriteLua& writer);
  virtual void LoadInfo(LuaState* state);
  virtual void SaveInfo(WriteLua& writer);
  virtual void RebuildCells() {}
  // Sets the grid: its size in cells, the screen position of cell (0, 0), the screen
  // size of the board area and the size of one cell.
  virtual void Create(int32_t gridWidth, int32_t gridHeight, const math::Vec2& origin,
                      const math::Vec2& extent, const math::Vec2& cellSize);
  virtual void UpdateBlocks(float dt) = 0;
  virtual void ApplyGravity() = 0;

  // --- Cell geometry ---
  // The top-left corner of a cell on the screen (with and without the view offset), and
  // the screen size of a number of cells.
  math::Vec2 CellToScreen(int32_t x, int32_t y) const;
  math::Vec2 CellToScreenNoView(int32_t x, int32_t y) const;
  math::Vec2 CellToOffset(int32_t x, int32_t y) const;
  // The cell under a screen point, each coordinate truncated toward zero.
  void ScreenToCell(const math::Vec2& point, int32_t& x, int32_t& y) const;
  // The index of a cell in the cell array; 0 for a cell outside the grid.
  int32_t CellIndex(int32_t x, int32_t y) const;
  bool IsInGrid(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }
  // True when the rectangle lies inside the grid and none of its cells holds a block.
  bool CanPlace(int32_t x, int32_t y, int32_t w, int32_t h);

  void SetMoveSpeed(float speed) { moveSpeed_ = speed; }
  float GetMoveSpeed() const { return moveSpeed_; }
  // Places the block at once when delay is 0 or less, else queues it to land delay
  // seconds of game time from now. Returns the block.
  WellBlock* AddBlock(WellBlock* block, int32_t x, int32_t y, float delay);
  // Every block with a cell in the rectangle (bounds included), once each, column by
  // column: at its own top-left cell, or at the rectangle's first column or row when
  // that cell lies outside.
  void GetBlocksInRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                       std::vector<WellBlock*>& out);
  void GetAllBlocks(std::vector<WellBlock*>& out) { GetBlocksInRect(0, 0, width_, height_, out); }

  // Draws the decorations under the blocks (lower) or over them, whole, or cut to the
  // board's right (clipX) or bottom (clipY) edge.
  void RenderDecorations(bool clipX, bool clipY, bool lower);
  // Takes the topmost decoration under the point out of the list and hands it over.
  WellDecoration* FindDecorationAt(const math::Vec2& point);
  bool DeleteDecoration(const math::Vec2& point);
  void ClearDecorations();
  const std::vector<WellDecoration*>& GetDecorations() const { return decorations_; }

  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  const math::Vec2& GetCellSize() const { return cellSize_; }
  const math::Vec2& GetOrigin() const { return origin_; }
  const math::Vec2& GetExtent() const { return extent_; }
  const math::Vec2& GetViewOffset() const { return viewOffset_; }
  void SetViewOffset(const math::Vec2& offset) { viewOffset_ = offset; }
  bool IsChanging() const { return changing_; }
  void SetChanging() { changing_ = true; }
  bool HasGravity() const { return gravity_; }
  void SetGravity(bool on) { gravity_ = on; }
  float GetElapsed() const { return elapsed_; }
  const std::string& GetFilePath() const { return filePath_; }
  const std::string& GetBackground() const { return background_; }
  const std::string& GetEffect() const { return effect_; }
  void* GetContext() const { return context_; }
  int32_t GetPendingCount() const { return static_cast<int32_t>(pending_.size()); }
  // Whether a queued block waits for the cell.
  bool IsCellQueued(int32_t x, int32_t y) const {
    for (const PendingDrop& drop : pending_) {
      if (drop.x == x && drop.y == y) return true;
    }
    return false;
  }
  const std::vector<WellBlock*>& GetRemovedBlocks() const { return removed_; }

  // The board owns both and deletes what they replace.
  void SetSFX(WellSFX* sfx);
  WellEffect* GetOverlay() const { return overlay_.get(); }
  void SetOverlay(WellEffect* overlay);

 protected:
  // Stores the grid values of Create.
  void SetGrid(int32_t gridWidth, int32_t gridHeight, const math::Vec2& origin,
               const math::Vec2& extent, const math::Vec2& cellSize);
  float GameTime() const { return clock_.GetTime(); }

  // Blocks taken out of play by the sweep; deleted with the board.
  std::vector<WellBlock*> removed_;

 private:
  // A decoration's offset field; a value that is not finite reads as 0, with a warning.
  float ReadOffset(const LuaObject& entry, const char* key, int index) const;

  struct PendingDrop {
    WellBlock* block;
    float due;  // game time
    int32_t x;
    int32_t y;
  };

  std::string name_;
  std::string secondName_;
  void* context_;
  FrameTimer& clock_;
  std::unique_ptr<WellSFX> sfx_;
  std::vector<PendingDrop> pending_;
  bool pendingSortNeeded_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  math::Vec2 cellSize_{0.02f, 0.02f};
  math::Vec2 origin_{0.0f, 0.0f};
  math::Vec2 extent_{0.0f, 0.0f};
  float moveSpeed_ = 1.0f;
  math::Vec2 viewOffset_{0.0f, 0.0f};
  bool changing_ = false;
  bool gravity_ = true;
  bool won_ = false;
  std::unique_ptr<WellEffect> overlay_;
  CountdownTimer stepTimer_;
  std::string background_;
  std::string effect_;
  std::vector<WellDecoration*> decorations_;  // owned; sorted by layer, highest first
  std::string filePath_;
  float elapsed_ = 0.0f;
};

}  // namespace well
