#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/Math.h"
#include "engine/part2d/Part2D.h"
#include "engine/ui/UISprite.h"
#include "game/board/KivSpellNames.h"

class KivBlock;
class KivWell;

// An armed spell: follows the pointer with its cursor image, its particle effect and a
// shadow over every cell it would affect, and acts on the board when it is cast.
class KivSpell {
 public:
  static constexpr float kEffectParticles = 10.0f;

  // Makes the spell for an armed name ("fireball", "fireball[2]"): an unknown name gives
  // the fireball, "time" gives null (the level state applies it), a power of 0 or less or
  // one that is not a number gives the spell's default power. The power never exceeds the
  // number of cells of the board: no spell can reach more.
  static std::unique_ptr<KivSpell> FromName(const std::string& name, KivWell* board);
  static int32_t DefaultPower(int32_t index);

  KivSpell(KivWell* board, int32_t index, int32_t power);
  virtual ~KivSpell();
  KivSpell(const KivSpell&) = delete;
  KivSpell& operator=(const KivSpell&) = delete;

  virtual void Begin();
  // Acts at the pointer; ends with Succeeded when something changed, else with Failed.
  virtual bool Cast(const math::Vec2& pointer) = 0;
  virtual bool CanCast() = 0;
  virtual void SetMousePos(const math::Vec2& pos);
  virtual void Succeeded();
  virtual void Failed();
  // Refills the target cells, then draws the shadows, the cursor and its effect.
  virtual void Render();
  virtual void Update(float dt);
  // The board is about to free blocks (a reshuffle): drop every pointer to them.
  virtual void ForgetBlocks() {}

  const std::string& GetName() const { return name_; }
  int32_t GetIndex() const { return index_; }
  int32_t GetPower() const { return power_; }
  int32_t GetCellX() const { return cellX_; }
  int32_t GetCellY() const { return cellY_; }
  const std::vector<std::pair<int32_t, int32_t>>& GetTargets() const { return targets_; }
  const ui::UISprite& GetCursorSprite() const { return cursor_; }
  const part2d::Part2D& GetCursorEffect() const { return cursorEffect_; }

 protected:
  virtual void FindTargets() = 0;
  // The spell's particle set at the centre of the cell, when the board has its effects.
  void ShowEffect(int32_t x, int32_t y) const;
  // The cells of the square of side power round the pointer cell that lie in the grid,
  // column by column.
  std::vector<std::pair<int32_t, int32_t>> SquareCells() const;
  static void RunReport(const std::string& name, bool ok);

  KivWell* board_;
  ui::UISprite cursor_;
  ui::UISprite shadow_;
  part2d::Part2D cursorEffect_;
  math::Vec2 pointer_{0.0f, 0.0f};
  int32_t cellX_ = -1;
  int32_t cellY_ = -1;
  std::string name_;
  int32_t index_;
  int32_t power_;
  std::vector<std::pair<int32_t, int32_t>> targets_;
  bool cursorSet_ = false;
};

// Links the longest chain it finds round the pointer and clears it like a drawn chain.
class KivMatchSpell : public KivSpell {
 public:
  KivMatchSpell(KivWell* board, int32_t power);

  bool Cast(const math::Vec2& pointer) override;
  bool CanCast() override;
  void SetMousePos(const math::Vec2& pos) override;
  void ForgetBlocks() override;

  const std::vector<KivBlock*>& GetChain() const { return chain_; }
  // How many searches the pointer has caused.
  int32_t GetSearches() const { return searches_; }

 protected:
  void FindTargets() override;

 private:
  void Search();
  void BuildChain(int32_t x, int32_t y);
  void Flood(std::vector<KivBlock*>& chain, int32_t x, int32_t y, int32_t px, int32_t py,
             const KivBlock* excluded);

  int32_t lastX_ = -1;
  int32_t lastY_ = -1;
  int32_t minX_ = 0;
  int32_t maxX_ = 0;
  int32_t minY_ = 0;
  int32_t maxY_ = 0;
  std::vector<KivBlock*> chain_;
  int32_t searches_ = 0;
};

// Hits every block of a square round the pointer once.
class KivFireballSpell : public KivSpell {
 public:
  KivFireballSpell(KivWell* board, int32_t power);

  bool Cast(const math::Vec2& pointer) override;
  bool CanCast() override;

 protected:
  void FindTargets() override;
};

// Takes one layer off every tile still to turn in a square round the pointer.
class KivTilegrabSpell : public KivSpell {
 public:
  KivTilegrabSpell(KivWell* board, int32_t power);

  bool Cast(const math::Vec2& pointer) override;
  bool CanCast() override;

 protected:
  void FindTargets() override;
};

// Turns the eight neighbours of the flower under the pointer into flowers of its colour,
// spreading on in their directions for power - 1 more cells.
class KivFlowerblastSpell : public KivSpell {
 public:
  KivFlowerblastSpell(KivWell* board, int32_t power);

  bool Cast(const math::Vec2& pointer) override;
  bool CanCast() override;

 protected:
  void FindTargets() override;
};

// Strikes the block under the pointer and up to power - 1 others at random, turning each
// into a flower of one colour.
class KivLightningSpell : public KivSpell {
 public:
  KivLightningSpell(KivWell* board, int32_t power);

  bool Cast(const math::Vec2& pointer) override;
  bool CanCast() override;

 protected:
  void FindTargets() override;

 private:
  // One hit on the block at the cell; whether it was struck.
  bool Strike(KivBlock* block, int32_t x, int32_t y);
};

// One armed spell, owned by the board from arming to its cast.
class KivSpellBrush {
 public:
  // The cast waits this long after arming: the click that armed the spell does not cast it.
  static constexpr float kArmDelay = 0.05f;

  KivSpellBrush(KivWell* board, const std::string& name);
  ~KivSpellBrush();
  KivSpellBrush(const KivSpellBrush&) = delete;
  KivSpellBrush& operator=(const KivSpellBrush&) = delete;

  void SetPos(const math::Vec2& pos) { position_ = pos; }
  // From the board's drawing: moves the spell to the pointer and draws it.
  void Update();
  // At a mouse-button release over the board.
  void TryCast();
  void ForgetBlocks() {
    if (spell_) spell_->ForgetBlocks();
  }

  bool IsFinished() const { return finished_; }
  const std::string& GetName() const { return name_; }
  KivSpell* GetSpell() const { return spell_.get(); }
  const math::Vec2& GetPos() const { return position_; }

 private:
  math::Vec2 position_{0.0f, 0.0f};
  KivWell* board_;
  std::string name_;
  bool finished_ = false;
  float armedAt_ = 0.0f;
  std::unique_ptr<KivSpell> spell_;
};
