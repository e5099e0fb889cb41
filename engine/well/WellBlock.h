#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"
#include "engine/core/Timer.h"
#include "engine/ui/UISprite.h"

class SpriteBatch;

namespace well {

class BaseWell;

// The colour table of the boards: 35 indexes with a name each.
constexpr int kColorCount = 35;
constexpr int kColorRed = 2;     // what an unknown colour name stands for
constexpr int kColorNone = 30;
constexpr int kColorEmpty = 31;  // the colour of an empty cell
constexpr int kColorAny = 34;    // matches every colour

// The name of a colour index; "none" for 30 and for every index outside the table.
const char* GetColorName(int index);
// The first index whose name equals the name without regard to case; 2 ("red") for a
// name that is not in the table.
int FindColor(const std::string& name);

// Block states.
enum BlockState : int32_t {
  kBlockNormal = 0,
  kBlockDying = 4,    // killed, still drawn until the sweep takes it out
  kBlockDead = 5,     // lost its cell to an earlier block, or taken out of play
  kBlockSelected = 6,
};

// One block on a board: it stands on a cell (its target cell, where the board counts
// it), is drawn from its current cell plus a move offset while it slides towards the
// target at the board's move speed, can fall one row at a time, animates its sprite,
// runs a repeating timer and dies. Block kinds derive from it and fill the fields.
class WellBlock {
 public:
  WellBlock() = default;
  virtual ~WellBlock() = default;
  WellBlock(const WellBlock&) = delete;
  WellBlock& operator=(const WellBlock&) = delete;

  // The kind's name, as the well file writes it.
  virtual std::string GetTypeName() const = 0;

  // Draws the block's sprites at pos (DrawSprites), when it has an image.
  virtual void Render(const math::Vec2& pos);
  // Adds the block's sprites at its screen position to a batch (DrawSprites), when it has
  // an image. The batch draws them in the order they were added, one draw call per run
  // of sprites that share a texture.
  virtual void RenderToBatch(SpriteBatch& batch);
  // Render(pos) when the block lies wholly inside [min, max], else the sprite cut to it.
  virtual void RenderClipped(const math::Vec2& pos, const math::Vec2& clipMin,
                             const math::Vec2& clipMax);
  // RenderToBatch, with a block not wholly inside [min, max] added cut to it.
  virtual void RenderToBatchClipped(SpriteBatch& batch, bool flag, const math::Vec2& clipMin,
                                    const math::Vec2& clipMax);
  // Animates, slides towards the target cell and runs the timer; true while moving.
  virtual bool Tick(float dt);
  // The size in cells and, from the board's cell size, on the screen.
  virtual void SetSize(int32_t w, int32_t h);
  virtual void OnPlaced() {}
  virtual void OnKill() {}
  // Passes the call on to the block directly below.
  virtual void OnLandedOn();
  // TryFall, then OnLandedOn of the block directly below.
  virtual void OnMoveEnd();
  virtual void OnTimer() {}
  virtual void OnAnimationEnd() {}
  virtual void Select() { state = kBlockSelected; }
  virtual void Unselect() { state = kBlockNormal; }
  virtual void SetColor(int32_t newColor) { color = newColor; }
  // True when either colour is "any" or both are the same.
  virtual bool MatchesColor(int32_t other) const;
  virtual void SetState(int32_t newState) { state = newState; }
  // Starts a move one row down when the whole row below the block is free.
  virtual void TryFall();
  // Unless already dying or dead: OnKill, then dying.
  virtual void Kill();

  void GetSize(int32_t& w, int32_t& h) const {
    w = width;
    h = height;
  }
  // The target cell: where the board counts the block.
  void GetCell(int32_t& x, int32_t& y) const {
    x = targetX;
    y = targetY;
  }
  const math::Vec2& GetScreenSize() const { return screenSize; }
  // The current cell on the screen plus the move and draw offsets.
  math::Vec2 GetScreenPos() const;
  // Puts the block on the cell at once (current and target), telling the board when it
  // stood on the board before.
  void MoveTo(int32_t x, int32_t y);
  // Starts a slide to the cell. When another block holds that cell nothing changes and
  // that block is returned; otherwise null.
  WellBlock* StartMove(int32_t x, int32_t y);
  void SetDead() { state = kBlockDead; }
  bool IsDying() const { return state == kBlockDying || state == kBlockDead; }
  bool HasImage() const { return sprite.IsLoaded(); }
  // Render at the screen position, when the block has an image.
  void Draw();

  // The block's sprites at pos, each placed and then drawn at once, or added to the batch
  // when there is one: Render and RenderToBatch both draw through it, so a kind with more
  // sprites than its own (overlays) overrides this alone. The base places the sprite at
  // pos with the screen size and tint (no rotation).
  virtual void DrawSprites(const math::Vec2& pos, SpriteBatch* batch);

  BaseWell* well = nullptr;
  int32_t color = 0;
  int32_t state = kBlockNormal;
  int32_t width = 1;
  int32_t height = 1;
  math::Vec2 screenSize{0.0f, 0.0f};
  bool moving = false;
  uint32_t tint = 0xFFFFFFFF;
  int32_t currentX = -1;  // below 0: not yet on the board
  int32_t currentY = -1;
  int32_t targetX = -1;
  int32_t targetY = -1;
  math::Vec2 moveOffset{0.0f, 0.0f};
  math::Vec2 drawOffset{0.0f, 0.0f};
  ui::UISprite sprite;
  CountdownTimer timer;  // OnTimer runs each time it runs out, while its duration is above 0

 protected:
  // Draws the placed sprite at once, or adds it to the batch when there is one (an
  // additive sprite first draws what the batch holds, then itself, to keep the order).
  static void DrawSprite(ui::UISprite& placed, SpriteBatch* batch);

 private:
  // The block whose cell lies right below this one's current cell, unless it is this one.
  WellBlock* BlockBelow() const;
};

}  // namespace well
