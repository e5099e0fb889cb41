#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/Random.h"
#include "engine/core/Timer.h"
#include "engine/ui/UISprite.h"
#include "engine/well/GameWell.h"
#include "engine/well/WellBorder.h"
#include "engine/well/WellEffect.h"

namespace background {
class BGScene;
}
namespace part2d {
class Part2D;
}
namespace ui {
class UIWidget;
}

class BlockGenerator;
class KivBlock;
class KivEditor;
class KivGameHud;
class KivGoal;
class KivReshuffle;
class KivSpellBrush;
class KivWell;
class KivWellSFX;
struct LevelData;

// The floor under one cell, and what the cell recorded of its block.
struct KivBlockInfo {
  int32_t value = 0;    // 0 no tile, 1 turned, 2 to 4 needs value - 1 more clears
  int32_t kind = 22;    // no kind recorded
  int32_t colour = 33;  // no colour recorded
  ui::UISprite sprite;
};

// The wall round the tiled cells: a cell is inside when it has a tile; a border cell is
// one without a tile next to (or diagonally next to) a tiled one.
class KivWellGridQuery : public well::WellBorder {
 public:
  KivWellGridQuery(KivWell* board, const std::string& prefix);

  bool IsInside(int32_t x, int32_t y) override;
  bool IsWall(int32_t x, int32_t y) override;

 private:
  KivWell* board_;
};

// The board a level is played on: 15 x 12 cells of floor tiles with the game's blocks on
// them, the wall round the tiles, the chain the player draws with the mouse, its score
// and its clearing, the effects that blocks start (cuts, flower spreads, tile
// projectiles), gold, zen and time, the slide in and out, the sounds of a frame, and the
// end of the level. The level state creates it, loads it, forwards input to it and
// draws it.
class KivWell : public well::GameWell {
 public:
  static constexpr int32_t kGridWidth = 15;
  static constexpr int32_t kGridHeight = 12;
  static constexpr int32_t kMaxTileValue = 4;
  static constexpr int32_t kSpellCount = 6;
  static constexpr float kTrophyDelay = 2.5f;
  static constexpr float kTrophyDelayAfterWin = 0.5f;
  static constexpr float kMoveCheckDelay = 2.0f;
  static constexpr float kTimedEffectLife = 0.5f;
  static constexpr float kTimedEffectStep = 0.1f;
  static constexpr uint32_t kLeftButton = 0;
  static constexpr uint32_t kRightButton = 1;
  static constexpr int32_t kGoalSlots = 3;
  // Draws of ChooseColour that may come up with the cell's own colour.
  static constexpr int32_t kMaxColourRedraws = 32;
  // Passes of colour redraws a refill after a reshuffle makes at most.
  static constexpr int32_t kMaxRecolourPasses = 50;
  // The prompt run when no chain is left.
  static constexpr const char* kNoMovesScript =
      "GetGame():Pause(true);CreatePrompt('NO_MOVES_LEFT', 'GetGame():Reshuffle()')";

  // Developer keys (DirectInput codes).
  static constexpr uint32_t kKeyW = 17;
  static constexpr uint32_t kKeyT = 20;
  static constexpr uint32_t kKeyP = 25;
  static constexpr uint32_t kKeyF = 33;
  static constexpr uint32_t kKeyH = 35;
  static constexpr uint32_t kKeyL = 38;
  static constexpr uint32_t kKeyZ = 44;
  static constexpr uint32_t kKeyC = 46;
  static constexpr uint32_t kKeyF1 = 59;

  // Sound requests, played together at the periodic step, each once.
  enum SoundFlag : int32_t {
    kSoundSelectFirst = 0,  // 15 grades: "token_select_1" to "token_select_15"
    kSelectGrades = 15,
    kSoundJingle = 15,
    kSoundLock1,
    kSoundLock2,
    kSoundZen,
    kSoundSlicer,
    kSoundTileBlast,
    kSoundDouble,
    kSoundTriple,
    kSoundTimer,
    kSoundUnselect,
    kSoundTileTurned,
    kSoundFlowerBlast,
    kSoundZenFull,
    kSoundFlagCount,
  };
  static std::string SoundFlagName(int32_t flag);

  explicit KivWell(void* context, FrameTimer& clock = FrameTimer::Instance());
  ~KivWell() override;

  // --- Framework slots ---
  void ClearWell() override;
  well::WellBlock* CreateBlock(const std::string& type, const std::string& color, int32_t x,
                               int32_t y, int32_t w, int32_t h) override;
  void Render() override;
  void Tick(float dt) override;
  well::WellBlock* GenerateBlock(int32_t x, int32_t y, float delay) override;
  bool LoadWell(const std::string& path, void* arg) override;
  void SaveHeader(WriteLua& writer) override;
  bool LoadHeader(LuaState* state) override;
  bool IsOverlayDone() const override;
  void WinGame() override;
  void LooseGame() override;
  bool IsBusy() const override;
  void AdjustCounter(int32_t points) override;
  void PeriodicStep() override;
  void SweepDeadBlocks() override;

  // --- The game's own slots ---
  // The display layer: the effects' UI layer and the well file name with the editor.
  void RenderUI(bool skipEffects);
  // Loads a level: its layout, weights and outfit bonuses, a fresh effect manager.
  void Load(const std::string& wellFile, const LevelData* level);
  using GameWell::Load;  // the framework's file reader stays reachable beside it
  bool LoadWell(const std::string& path) { return LoadWell(path, nullptr); }
  void MouseMoved(const math::Vec2& oldPosition, const math::Vec2& newPosition);
  void KeyPressed(uint32_t key);
  void MouseButtonPressed(uint32_t button, const math::Vec2& position);
  void MouseButtonReleased(uint32_t button, const math::Vec2& position);
  void MouseButtonDown(uint32_t button, const math::Vec2& position);
  void MouseWheel(int32_t delta, const math::Vec2& position);
  // Fills every tiled cell that holds no block.
  void FillTiledCells();
  // Creates the in-level display, or shows its panel again.
  void InitUI();
  // After the display's panel was rebuilt from its file (or dropped and added again), the
  // display and the goals find their widgets in it, and what the board shows there (only
  // the level's spells with their charge, "Start again" in puzzle levels) is put back.
  void FollowDisplay();
  // Hides the end popup's panel.
  void HidePopups();
  // "Start again" shows only in puzzle levels, where starting again is what it is for.
  void ShowPuzzleReset();
  // Each spell bar shows while its spell costs zen in this level, filled with its charge.
  void ShowSpellBars();
  bool HasBlocks();
  // The 15 x 12 grid and a fresh floor record for every cell.
  void SetupBlockInfo();

  // --- Chains ---
  bool CanJoin(const KivBlock* block, const std::vector<KivBlock*>& chain) const;
  // Starts a chain at the block under the position (an empty first entry over an
  // empty cell).
  void StartChain(const math::Vec2& position);
  void GrowChain(const math::Vec2& position);
  bool ResolveChain(const std::vector<KivBlock*>& chain, bool turnAll, bool takeLast);
  int32_t ChainScore(const std::vector<KivBlock*>& chain) const;
  void SelectSoundFlag(int32_t length);
  int32_t FindInChain(const KivBlock* block) const;
  void PlaceZenBlock(int32_t x, int32_t y, int32_t extra);

  // --- Gold, zen, tiles and time ---
  void AddGold(int32_t n);
  void AddZen(int32_t amount, int32_t spell);
  bool TurnTile(int32_t x, int32_t y, bool turnAll);
  void CountTiles();
  void RebuildTileList();
  // Takes the block at the cell out of play and puts a new one in its place at once.
  KivBlock* ReplaceBlock(int32_t x, int32_t y, const std::string& type,
                         const std::string& colour);
  void Cut(int32_t x, int32_t y, int32_t dx, int32_t dy);
  void SpreadFlower(int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t count,
                    const std::string& colour);
  void TileBlast(int32_t x, int32_t y, int32_t count);
  void AddTimeBonus(int32_t seconds, const math::Vec2& position);
  void AddZenParticles(int32_t n);
  // Gives time back: lowers a TIME fail goal's progress by seconds, not below 0 (each
  // time bonus particle that dies gives one second).
  void TakeLevelTime(float seconds);
  void StartEnterFade(const std::string& script);
  void StartLeaveFade(const std::string& script);
  void StartTimeWarning(const math::Vec2& position, const math::Vec2& size, int32_t value);
  // The fail goal's remaining count (its Count less its progress), 0 without one.
  int32_t RemainingFailValue() const;
  // 100 x the share of a TIME fail goal's time left, truncated; 0 without one.
  int32_t RemainingTimePercent() const;
  // The time spell: level x `time_token` seconds at the pointer; in free play, where the
  // clock never runs out, level x the time-spell points instead.
  void CastTimeSpell(int32_t level);
  // F1: closes the level editor, or opens it when the developer data allow it.
  void ToggleEditor();
  void ReloadWell();
  void StepEditorWell(const std::string& path);
  void RefreshWallAround(int32_t x, int32_t y);

  // --- Spells ---
  // Deletes the armed brush and, for a name that is not empty, arms a new one.
  void SpellBrush(const std::string& name);
  KivSpellBrush* GetSpellBrush() const { return spellBrush_.get(); }
  // The idle-hint countdown starts again from its full duration.
  void RestartHintTimer() { hintTimer_.remaining = hintTimer_.duration; }
  void SetChainPreview(int32_t score, int32_t length) {
    previewScore_ = score;
    previewLength_ = length;
  }
  FrameTimer& GetClock() const { return frameClock_; }

  // --- Help and the display ---
  // Offers a help tip over a screen rectangle, at once or after the delay.
  void OfferTip(int32_t tip, const math::Vec2& min, const math::Vec2& max, float delay);
  // Offers a help tip over a widget of the display; nothing without the widget.
  void OfferWidgetTip(int32_t tip, ui::UIWidget* widget, float delay);
  // A flower burst: the display counts the flowers that went up.
  void CountFlowerBurst() { ++flowerBursts_; }
  int32_t GetFlowerBursts() const { return flowerBursts_; }
  // Where the display's zen meter and spell meters stand (particle and lightning ends).
  math::Vec2 zenBarPosition{0.08f, 0.55f};
  std::array<math::Vec2, kSpellCount> spellBarPositions{};

  // --- Generation, hints and reshuffle ---
  int32_t ChooseKind(int32_t x, int32_t y);
  int32_t ChooseColour(int32_t x, int32_t y);
  // Fills the empty tiled cells; after a reshuffle redraws flower colours until a move
  // exists, at most kMaxRecolourPasses times.
  void Refill();
  void RecolourFlowers();
  // The hint and move-check timers; false when a search found no move.
  bool HintStep(float dt);
  bool FindHint(bool checkOnly);
  bool NoMovesLeft();
  // Takes every flower off the board into a falling animation; the generator refills.
  void Reshuffle();
  bool IsReshuffling() const { return reshuffle_ != nullptr; }
  bool WasReshuffled() const { return reshuffled_; }
  int32_t GetRefillPasses() const { return refillPasses_; }
  const std::vector<KivBlock*>& GetLastHint() const { return lastHint_; }

  // --- Goals, generator and display ---
  KivGoal* GetGoal(int32_t slot) const;
  KivGoal* GetFailGoal() const { return failGoal_.get(); }
  BlockGenerator* GetGenerator() const { return generator_.get(); }
  KivGameHud* GetHud() const { return hud_.get(); }
  const LevelData* GetLevel() const { return level_; }
  // The chain's report to the goals: its length and its flowers' colour.
  void ReportChain(int32_t blocks, int32_t colour);

  // --- Sounds ---
  void RequestSound(int32_t flag);
  // Plays a bank sound now; the channel, 0 when none.
  static uint32_t PlaySoundNow(const std::string& name);

  // --- Reading the board ---
  KivBlockInfo* GetBlockInfo(int32_t x, int32_t y);
  int32_t GetTileValue(int32_t x, int32_t y) const;
  void SetTileValue(int32_t x, int32_t y, int32_t value);
  KivBlock* GetKivBlock(int32_t x, int32_t y);
  KivWellSFX* GetKivSFX() const;
  bool HasEditor() const { return editor_ != nullptr; }
  KivEditor* GetEditor() const { return editor_.get(); }
  // Where the last pointer move that reached the board went.
  const math::Vec2& GetPointer() const { return pointer_; }
  bool IsFreeplay() const;
  int32_t Constant(const char* name) const;

  const std::vector<KivBlock*>& GetChain() const { return chain_; }
  KivBlock* GetHovered() const { return hovered_; }
  int32_t GetPreviewScore() const { return previewScore_; }
  int32_t GetPreviewLength() const { return previewLength_; }
  int32_t GetScore() const { return score_; }
  int32_t GetGold() const { return gold_; }
  int32_t GetSpellCharge(int32_t i) const { return spellCharge_[static_cast<size_t>(i)]; }
  int32_t GetSpellCost(int32_t i) const { return spellCost_[static_cast<size_t>(i)]; }
  void SetSpellCost(int32_t i, int32_t cost);
  int32_t GetUnturnedTiles() const { return unturnedTiles_; }
  int32_t GetTileStepsLeft() const { return tileStepsLeft_; }
  int32_t GetClearedBlocks() const { return clearedBlocks_; }
  int32_t GetClearedCells(int32_t colour) const;
  float GetLevelTime() const { return levelTime_; }
  void SetLevelTime(float seconds) { levelTime_ = seconds; }
  // The zen the level holds, which the display's zen meter shows: what reached the
  // level's spells less what they spent, within [0, max_zen].
  int32_t GetZen() const { return zen_; }
  bool IsSoundRequested(int32_t flag) const { return sounds_[static_cast<size_t>(flag)] != 0; }
  int32_t GetPendingTrophy() const { return pendingTrophy_; }
  const CountdownTimer& GetTrophyDelay() const { return trophyDelay_; }
  void SetPendingTrophy(int32_t trophy);
  bool IsMoveCheckDue() const { return moveCheckDue_; }
  bool IsTransitionRunning() const { return transitionRunning_; }
  bool AreGoalsActive() const { return goalsActive_; }
  void SetGoalsActive(bool on) { goalsActive_ = on; }
  bool AreZenBlocksEnabled() const { return zenBlocksEnabled_; }
  const std::string& GetWellFileName() const { return wellFileName_; }
  const std::vector<std::pair<int32_t, int32_t>>& GetTileList() const { return tileList_; }
  KivWellGridQuery* GetWall() const { return wall_.get(); }
  background::BGScene* GetScene() const { return scene_.get(); }
  num::ProbSet& GetColourWeights() { return colourWeights_; }
  num::ProbSet& GetKindWeights() { return kindWeights_; }
  size_t GetCutCount() const { return cuts_.size(); }
  size_t GetSpreadCount() const { return spreads_.size(); }
  size_t GetProjectileCount() const { return projectiles_.size(); }
  size_t GetStarCount() const { return stars_.size(); }
  int32_t GetZenParticleCount() const { return zenParticles_; }

  // The pointer position of the mouse device, and whether its left button is held.
  static math::Vec2 DevicePointer();
  static bool DeviceLeftHeld();

 private:
  struct CutStep {
    int32_t x, y, dx, dy;
    CountdownTimer life;
    CountdownTimer delay;
    bool stepped = false;
  };
  struct FlowerSpread {
    int32_t count, x, y, dx, dy;
    std::string colour;
    CountdownTimer life;
    CountdownTimer delay;
    bool stepped = false;
  };
  struct Projectile {
    math::Vec2 start;
    math::Vec2 direction;
    float distance = 0.0f;
    float flightTime = 1.0f;
    float time = 0.0f;
    float angle = 0.0f;
    int32_t targetX = 0;
    int32_t targetY = 0;
  };
  struct Star {
    math::Vec2 position;
    math::Vec2 target;
    float speed = 0.0f;
    float rotation = 0.0f;
    uint32_t colour = 0xFFFFFFFF;
    size_t next = 1;  // chain index it flies to
  };

  struct HintPath {
    std::vector<KivBlock*> blocks;
    bool coversTile = false;
  };
  bool ExtendHint(HintPath& path, int32_t x, int32_t y);
  void CollectHints(std::vector<HintPath>& out);
  bool SearchMove(std::vector<KivBlock*>& found, int32_t depth);
  void LoadGoals();
  void TickGoals(float dt);

  void RefreshTileImage(int32_t x, int32_t y);
  void ApplyOutfitStats();
  // Returns true while the board is busy with its transition or intro.
  bool TransitionStep(float dt);
  // The display's panel "intro_dlg" is up.
  bool IntroShown() const;
  // Where the display's zen and spell bars stand, for the effects that fly to them.
  void TakeDisplayPlaces();
  void RunLevelIntroTips();
  void TickTimedEffects(float dt);
  void TickTrophy(float dt);
  void TickStars(float dt);
  void RenderTiles();
  void RenderChainMarks();
  void RenderProjectiles();
  void RenderStars();
  void ForgetChain();
  void UnselectChain();
  void EndGame(bool victory);
  // Feeds the trophy counters after a resolved move; the trophy won, or 0.
  int32_t FeedMoveTrophies(int32_t blocks, int32_t flowers);
  int32_t FeedZenFullTrophy();
  void ShowTrophyPopup(int32_t trophy);
  void RemoveAllTips();
  int32_t CheckLevelsOpenTrophy();
  bool TrophyScreenShowing() const;
  bool AllowsTip(int32_t tip) const;
  math::Vec2 CellCentre(int32_t x, int32_t y) const;

  FrameTimer& frameClock_;
  std::unique_ptr<KivSpellBrush> spellBrush_;
  std::unique_ptr<KivEditor> editor_;
  std::string wellFileName_;
  const LevelData* level_ = nullptr;
  std::array<std::unique_ptr<KivGoal>, kGoalSlots> goals_;
  std::unique_ptr<KivGoal> failGoal_;
  std::unique_ptr<BlockGenerator> generator_;
  std::unique_ptr<KivGameHud> hud_;
  std::unique_ptr<KivReshuffle> reshuffle_;
  bool reshuffled_ = false;
  int32_t refillPasses_ = 0;
  std::vector<KivBlock*> lastHint_;
  bool goalsActive_ = false;
  std::unique_ptr<KivWellGridQuery> wall_;
  std::unique_ptr<background::BGScene> scene_;
  std::unique_ptr<part2d::Part2D> trail_;
  std::vector<KivBlockInfo> tiles_;
  std::vector<std::pair<int32_t, int32_t>> tileList_;

  std::vector<KivBlock*> chain_;
  KivBlock* hovered_ = nullptr;
  KivBlock* pressed_ = nullptr;
  bool buttonHeld_ = false;
  int32_t previewScore_ = 0;
  int32_t previewLength_ = 0;
  math::Vec2 pointer_{0.0f, 0.0f};

  num::ProbSet colourWeights_;
  num::ProbSet kindWeights_;
  std::vector<std::pair<std::string, float>> outfitStats_;
  std::array<int32_t, 35> clearedCells_{};
  int32_t clearedBlocks_ = 0;
  int32_t unturnedTiles_ = 0;
  int32_t tileStepsLeft_ = 0;
  float levelTime_ = 0.0f;
  int32_t zen_ = 0;
  int32_t score_ = 0;
  int32_t gold_ = 0;
  std::array<int32_t, kSpellCount> spellCharge_{};
  std::array<int32_t, kSpellCount> spellCost_{};
  bool zenBlocksEnabled_ = false;
  int32_t zenParticles_ = 0;
  int32_t flowerBursts_ = 0;
  std::array<uint8_t, kSoundFlagCount> sounds_{};
  int32_t pendingTrophy_ = 0;
  CountdownTimer trophyDelay_;
  CountdownTimer hintTimer_;
  bool moveCheckDue_ = false;
  CountdownTimer moveCheckTimer_;
  float transitionTime_ = 0.0f;
  bool entering_ = false;
  bool transitionRunning_ = false;
  std::string transitionScript_;

  std::vector<CutStep> cuts_;
  std::vector<FlowerSpread> spreads_;
  std::vector<Projectile> projectiles_;
  ui::UISprite shrapnel_;
  std::vector<Star> stars_;
  ui::UISprite star_;
  float starClock_ = 0.0f;
  std::array<ui::UISprite, 10> marks_;
};
