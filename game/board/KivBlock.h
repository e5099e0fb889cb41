#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/Timer.h"
#include "engine/ui/UISprite.h"
#include "engine/well/WellBlock.h"

class KivWell;

// Kind numbers of the game's blocks. The order is fixed: the board's rules compare the
// numbers (0 to 2 coloured, 4 to 13 free, 14 and above hard). Double and triple flowers
// carry kFlower like every flower; their numbers only name them in files.
enum KivBlockType : int32_t {
  kKindFlower = 0,
  kKindDouble = 1,
  kKindTriple = 2,
  kKindZen = 4,
  kKindGem = 5,
  kKindHCut = 6,
  kKindVCut = 7,
  kKindSlashCut = 8,
  kKindBackslashCut = 9,
  kKindXCut = 10,
  kKindPlusCut = 11,
  kKindStarCut = 12,
  kKindTime = 13,
  kKindHard = 14,  // the first hard number; no block carries it
  kKindFrozen = 15,
  kKindLocked = 16,
  kKindStone = 17,
  kKindTileBlast = 18,
  kKindWall = 19,
  kKindCount = 21,  // kinds that have a weight and a name lookup
  kKindNone = 22,   // a plain block, and a cell with no recorded kind
};

// The colour every special kind holds: it never matches a flower's colour.
constexpr int32_t kSpecialColor = 33;
// Encased: frozen and locked flowers until thawed; neither selectable nor chainable.
constexpr int32_t kBlockEncased = 3;
// Flowers use colour indices 0 to 23.
constexpr int32_t kFlowerColors = 24;

// "flower_%i" of index + 1, and back (0 for a name that is none of them).
std::string FlowerColorName(int32_t index);
int32_t FlowerColorIndex(const std::string& name);

// A block of the game's board. It keeps its kind, whether the board drew it at random,
// and a shake (the hint's wobble). The plain class stands for kinds that have no class of
// their own: it shows no image and only dies when cleared.
class KivBlock : public well::WellBlock {
 public:
  KivBlock(KivWell* board, int32_t kind);

  // The type name of a kind; "unknown" outside 0 to 19 and for 3 and 14.
  static std::string TypeName(int32_t kind);
  // The first kind of 0 to 20 whose name equals the name without regard to case; 0 when
  // none does.
  static int32_t TypeIndex(const std::string& name);
  // A new block of the bare type name (no "[...]" parameter), or null for "wallblock".
  static KivBlock* FromName(const std::string& name, KivWell* board);

  // Loads the image for the block's state; the plain block has none.
  virtual void RefreshImage() {}
  std::string GetTypeName() const override;
  // The shake, then the framework's tick.
  bool Tick(float dt) override;
  void OnKill() override;
  // The special kinds keep their own colour whatever they are given.
  void SetColor(int32_t newColor) override { color = fixedColour ? kSpecialColor : newColor; }
  // Game blocks never fall on their own, and landing on them does nothing.
  void OnLandedOn() override {}
  void TryFall() override {}
  // Taken out of play: the kind's reaction for most kinds, dead at once for the others.
  virtual void Remove() { OnKill(); }
  // Points multiplier of the chain score: 1 but for the double and triple flowers.
  virtual float GetMultiplier() const { return 1.0f; }
  // Drawn over every block after all blocks: the value of a gem or zen block.
  virtual void RenderOverlay(const math::Vec2& pos) {}

  // A wobble of the draw offset; nothing for an encased or hard block.
  void StartShake(float amplitude, float frequency, float duration);
  // Offers the kind's tip over the block's cells at (x, y), at once or after the delay.
  void ShowKindTip(int32_t x, int32_t y, float delay);
  // The help system's tip number of a kind; -1 for kinds without one.
  static int32_t KindTip(int32_t kind);

  KivWell* Board() const;
  // The centre of the block's cell on the screen.
  math::Vec2 CellCentre() const;

  int32_t kind;
  bool madeAtRandom = false;
  math::Vec2 shakeFrequency{0.0f, 0.0f};
  math::Vec2 shakePhase{0.0f, 0.0f};
  CountdownTimer shakeTimer;
  float shakeAmplitude = 0.0f;
  bool shaking = false;
  bool fixedColour = false;

 protected:
  // The sprite shows the named image over the whole texture.
  void ShowImage(const std::string& name);
};

// A coloured flower: grows in over 0.3 s when made and keeps an ice sprite for the
// encased kinds that derive from it.
class KivFlowerBlock : public KivBlock {
 public:
  static constexpr float kPopInSeconds = 0.3f;
  static constexpr float kPopInOvershoot = 1.1f;

  explicit KivFlowerBlock(KivWell* board, int32_t kind = kKindFlower);

  void RefreshImage() override;
  std::string GetTypeName() const override;
  void DrawSprites(const math::Vec2& pos, SpriteBatch* batch) override;
  bool Tick(float dt) override;
  void OnKill() override;
  void Remove() override { SetDead(); }
  void Select() override;
  void Unselect() override;

  CountdownTimer popIn;
  ui::UISprite ice;

 protected:
  // Draws a sprite over the block's area with its tint (into the batch when there is one).
  void DrawOver(ui::UISprite& over, const math::Vec2& pos, SpriteBatch* batch);
};

// A frozen flower (kind 15): the first hit thaws it into a flower of its colour. It loses
// at most one layer a frame, however many hits reach it.
class KivFrozenFlowerBlock : public KivFlowerBlock {
 public:
  explicit KivFrozenFlowerBlock(KivWell* board, int32_t kind = kKindFrozen);

  bool Tick(float dt) override;
  void Kill() override;
  void SetState(int32_t newState) override;

  int32_t hitsThisTick = 0;
};

// A locked flower (kind 16): the first hit takes the lock and leaves a frozen flower.
class KivLockedFlowerBlock : public KivFrozenFlowerBlock {
 public:
  explicit KivLockedFlowerBlock(KivWell* board);

  // "lockedflower" while the lock holds; afterwards a frozen flower's name.
  std::string GetTypeName() const override;
  void DrawSprites(const math::Vec2& pos, SpriteBatch* batch) override;
  bool Tick(float dt) override;
  void Kill() override;

  ui::UISprite lock;
};

// The double (2.0) and triple (3.0) flowers: a flower with a multiplier overlay.
class KivMultiplierBlock : public KivFlowerBlock {
 public:
  KivMultiplierBlock(KivWell* board, float multiplierValue);

  void RefreshImage() override;
  std::string GetTypeName() const override;
  void DrawSprites(const math::Vec2& pos, SpriteBatch* batch) override;
  void OnKill() override;
  float GetMultiplier() const override { return multiplier; }

  ui::UISprite overlay;
  float multiplier;
};

// Pays its value in gold when cleared and shows it.
class KivGemBlock : public KivBlock {
 public:
  // A gem's value lies in 1..kMaxValue: each unit fires a coin effect when it is cleared.
  static constexpr int32_t kMaxValue = 999;

  explicit KivGemBlock(KivWell* board);

  void RefreshImage() override;
  std::string GetTypeName() const override;
  void OnKill() override;
  void Select() override;
  void Unselect() override;
  void RenderOverlay(const math::Vec2& pos) override;

  void SetValue(int32_t newValue);

  int32_t value = 1;
};

// Charges the spells when cleared: its zen particles become zen as they arrive.
class KivZenBlock : public KivBlock {
 public:
  explicit KivZenBlock(KivWell* board);

  void RefreshImage() override;
  void OnKill() override;
  void Select() override;
  void Unselect() override;
  void RenderOverlay(const math::Vec2& pos) override;

  int32_t value;
};

// Cuts a line (or several) across the board from its cell when cleared.
class KivCutBlock : public KivBlock {
 public:
  KivCutBlock(KivWell* board, int32_t cutKind);

  void RefreshImage() override;
  void OnKill() override;
  std::string GetImageName() const;
  // The directions of a cut kind, in the order they are cut.
  static std::vector<math::Vec2> Directions(int32_t cutKind);
};

// Adds time (or points in free play) when cleared.
class KivTimeBlock : public KivBlock {
 public:
  explicit KivTimeBlock(KivWell* board);

  void RefreshImage() override;
  void OnKill() override;
  void Select() override;
  void Unselect() override;
};

// Cleared by one hit, without any effect.
class KivStoneBlock : public KivBlock {
 public:
  explicit KivStoneBlock(KivWell* board);

  void RefreshImage() override;
  void Remove() override { SetDead(); }
  void Select() override;
  void Unselect() override;
};

// Sends tile projectiles over the board when hit.
class KivTileBlastBlock : public KivBlock {
 public:
  explicit KivTileBlastBlock(KivWell* board);

  void RefreshImage() override;
  void OnKill() override;
  void Remove() override { SetDead(); }
  void Select() override;
  void Unselect() override;
};
