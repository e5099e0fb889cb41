#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Timer.h"
#include "engine/ui/PanelHandle.h"
#include "engine/ui/UISprite.h"
#include "engine/ui/WidgetHandle.h"
#include "game/board/KivGameHud.h"

class KivWell;
struct GoalData;

namespace ui {
class UIProgress;
}

// A goal of a level: what the board ticks every frame and tests to win (or, as the
// level's failure goal, to lose). Made from a row of the goal table by FromName.
class KivGoal {
 public:
  enum Kind : int32_t {
    kTime = 0,
    kBigSet,
    kClearBlock,
    kClearSet,
    kMoves,
    kClearAll,
    kClearTile,
    kKindCount,
  };
  // The colour of a goal that counts chains of any colour.
  static constexpr int32_t kAnyColour = 34;

  // The kind named by the data's Type (case ignored; TIME when it names none), or null
  // without data.
  static KivGoal* FromName(const GoalData* data, KivWell* board);
  static const char* KindName(int32_t kind);
  // The kind of a name, TIME for any other.
  static int32_t KindOf(const std::string& name);

  KivGoal(int32_t kind, const GoalData* data, KivWell* board);
  virtual ~KivGoal() = default;
  KivGoal(const KivGoal&) = delete;
  KivGoal& operator=(const KivGoal&) = delete;

  // Draws the goal's icon.
  virtual void Render();
  // The display's panel may have been rebuilt: a goal that drives widgets of it finds them
  // again and shows its state there.
  virtual void FollowDisplay() {}
  virtual void AddProgress(float value) { progress += value; }
  // A resolved chain of that many blocks and that flower colour (kAnyColour when the
  // chain held no flower).
  virtual void OnChain(int32_t blocks, int32_t chainColour) {}
  virtual bool IsMet() const = 0;

  int32_t GetCount() const;
  // The icon's top-left corner.
  void PlaceIcon(const math::Vec2& position);

  const int32_t kind;
  const GoalData* const data;
  KivWell* const board;
  float progress = 0.0f;
  int32_t colour = kAnyColour;
  int32_t counter = 0;
  ui::UISprite icon;

 protected:
  bool MatchesColour(int32_t chainColour) const {
    return colour == kAnyColour || colour == chainColour;
  }
};

// TIME: met once progress (seconds) passes Count; drives the timer bar of the display
// ("timer_bar" in the panel "in_game", and "timer_bar_overlay" over it, made from the bar
// when the panel has none), held through handles and found again when the panel is rebuilt.
class KivTimeGoal : public KivGoal {
 public:
  static constexpr int32_t kHalfTimeTip = 12;
  static constexpr const char* kPanel = KivGameHud::kPanel;

  KivTimeGoal(const GoalData* data, KivWell* board);
  void Render() override;
  void FollowDisplay() override;
  void AddProgress(float value) override;
  bool IsMet() const override;
  // The share of the time used, in [0, 1]; a Count of 0 or less reads as all used.
  float UsedShare() const;
  // 100 x the share of the time left, truncated.
  int32_t RemainingPercent() const;

  // The timer bar and its overlay; null without them.
  ui::UIProgress* Bar() const;
  ui::UIProgress* Overlay() const;

 private:
  void FindBars();
  // The bar empties and the overlay fills in as the time runs out.
  void ShowUsedShare();

  ui::PanelHandle display_{kPanel};
  ui::WidgetHandle bar_;
  ui::WidgetHandle overlay_;
};

// BIGSET: chains longer than Quality.
class KivBigSetGoal : public KivGoal {
 public:
  using KivGoal::KivGoal;
  void OnChain(int32_t blocks, int32_t chainColour) override;
  bool IsMet() const override { return GetCount() <= counter; }
};

// CLEAR_BLOCK: blocks cleared in chains.
class KivClearBlockGoal : public KivGoal {
 public:
  using KivGoal::KivGoal;
  void OnChain(int32_t blocks, int32_t chainColour) override;
  bool IsMet() const override { return GetCount() <= counter; }
};

// CLEAR_SET and MOVES: chains.
class KivClearSetGoal : public KivGoal {
 public:
  using KivGoal::KivGoal;
  void OnChain(int32_t blocks, int32_t chainColour) override;
  bool IsMet() const override { return GetCount() <= counter; }
};

// CLEAR_ALL: no block left on the board.
class KivClearAllGoal : public KivGoal {
 public:
  using KivGoal::KivGoal;
  bool IsMet() const override;
};

// CLEAR_TILE: no tile left to turn.
class KivClearTileGoal : public KivGoal {
 public:
  using KivGoal::KivGoal;
  bool IsMet() const override;
};

// Decides when the board deals new blocks: every interval seconds it generates.
class BlockGenerator {
 public:
  BlockGenerator(KivWell* board, float interval);
  virtual ~BlockGenerator() = default;
  BlockGenerator(const BlockGenerator&) = delete;
  BlockGenerator& operator=(const BlockGenerator&) = delete;

  virtual void Render() {}
  // Counts the timer down; when it has run out, restarts it and generates.
  virtual void Tick(float dt);
  virtual void Generate() = 0;
  virtual bool IsPuzzle() const = 0;

  CountdownTimer timer;

 protected:
  KivWell* board_;
};

// Refills the board's empty tiled cells.
class AutoBlockGenerator : public BlockGenerator {
 public:
  using BlockGenerator::BlockGenerator;
  void Generate() override;
  bool IsPuzzle() const override { return false; }
};

// Deals nothing: the level's blocks are those of its file.
class PuzzleBlockGenerator : public BlockGenerator {
 public:
  using BlockGenerator::BlockGenerator;
  void Generate() override {}
  bool IsPuzzle() const override { return true; }
};
