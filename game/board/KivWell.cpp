// The game's board: construction, loading a level and its well file, the floor tiles and
// their saved text, the wall, the per-frame tick, the slide in and out, and the end of
// the level.

#include "game/board/KivWell.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/app/Mouse.h"
#include "engine/app/Input.h"
#include "engine/background/BGScene.h"
#include "engine/core/Console.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"
#include "engine/part2d/Part2D.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivBlock.h"
#include "game/board/KivEditor.h"
#include "game/board/KivEndPopup.h"
#include "game/board/KivGameHud.h"
#include "game/board/KivGoal.h"
#include "game/board/KivReshuffle.h"
#include "game/board/LevelInfo.h"
#include "game/board/KivSpell.h"
#include "game/board/KivWellSFX.h"
#include "game/board/LevelData.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivVars.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"

namespace {

const math::Vec2 kOrigin(0.210625f, 0.05f);
const math::Vec2 kCellSize(0.05625f, 0.075f);
const math::Vec2 kExtent(0.84375f, 0.9f);

}  // namespace

// --- Wall ---

KivWellGridQuery::KivWellGridQuery(KivWell* board, const std::string& prefix)
    : WellBorder(board, prefix, 0), board_(board) {}

bool KivWellGridQuery::IsInside(int32_t x, int32_t y) { return board_->GetTileValue(x, y) > 0; }

bool KivWellGridQuery::IsWall(int32_t x, int32_t y) {
  if (IsInside(x, y)) return false;
  for (int32_t dy = -1; dy <= 1; ++dy) {
    for (int32_t dx = -1; dx <= 1; ++dx) {
      if ((dx || dy) && IsInside(x + dx, y + dy)) return true;
    }
  }
  return false;
}

// --- Construction ---

KivWell::KivWell(void* context, FrameTimer& clock)
    : GameWell(context, clock), frameClock_(clock) {
  MEMORY_OWNER("KivWell::KivWell");
  colourWeights_.Init(kFlowerColors);
  for (int32_t i = 0; i < kFlowerColors; ++i) colourWeights_.SetWeight(static_cast<uint32_t>(i), 1.0f);
  kindWeights_.Init(kKindCount);
  kindWeights_.SetWeight(kKindFlower, 1.0f);
  trophyDelay_.duration = kTrophyDelay;
  trophyDelay_.remaining = -1.0f;
  hintTimer_.duration = static_cast<float>(Constant("hint_interval"));
  hintTimer_.remaining = hintTimer_.duration;
  moveCheckTimer_.duration = kMoveCheckDelay;
  moveCheckTimer_.remaining = kMoveCheckDelay;
  scene_ = std::make_unique<background::BGScene>();
  trail_ = std::make_unique<part2d::Part2D>();
  trail_->Load("effects/tileblast_trail.p2d");
  shrapnel_.Init("tileblast_shrapnel", math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  star_.Init("starparts", math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), true);
  static const char* const kMarks[10] = {"arrow_0",   "arrow_45",  "arrow_90",    "arrow_135",
                                         "arrow_180", "arrow_225", "arrow_270",   "arrow_315",
                                         "arrow_start", "arrowhead"};
  for (size_t i = 0; i < marks_.size(); ++i) {
    marks_[i].Init(kMarks[i], math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  }
}

KivWell::~KivWell() {
  editor_.reset();
  spellBrush_.reset();
  reshuffle_.reset();
  lastHint_.clear();
  chain_.clear();
  hovered_ = nullptr;
  pressed_ = nullptr;
  // The effects call back into the board while they are torn down.
  SetOverlay(nullptr);
  SetSFX(nullptr);
}

int32_t KivWell::Constant(const char* name) const { return KivVars::Instance().GetConstant(name); }

bool KivWell::IsFreeplay() const { return KivVars::Instance().GetFreeplay(); }

KivWellSFX* KivWell::GetKivSFX() const { return static_cast<KivWellSFX*>(GetSFX()); }

void KivWell::ClearWell() {
  // An armed match spell holds blocks that the clearing deletes.
  spellBrush_.reset();
  reshuffle_.reset();
  lastHint_.clear();
  hovered_ = nullptr;
  pressed_ = nullptr;
  chain_.clear();
  moveCheckDue_ = false;
  GameWell::ClearWell(well::kClearAll);
}

void KivWell::SetupBlockInfo() {
  Create(kGridWidth, kGridHeight, kOrigin, kExtent, kCellSize);
  MEMORY_OWNER("KivWell::SetupBlockInfo");
  tiles_.clear();
  tiles_.resize(static_cast<size_t>(kGridWidth * kGridHeight));
  for (int32_t y = 0; y < kGridHeight; ++y) {
    for (int32_t x = 0; x < kGridWidth; ++x) {
      KivBlockInfo& info = tiles_[static_cast<size_t>(y * kGridWidth + x)];
      info.value = 0;
      info.kind = kKindNone;
      info.colour = kSpecialColor;
      RefreshTileImage(x, y);
    }
  }
}

KivBlockInfo* KivWell::GetBlockInfo(int32_t x, int32_t y) {
  if (!IsInGrid(x, y) || tiles_.size() != static_cast<size_t>(GetWidth() * GetHeight())) {
    return nullptr;
  }
  return &tiles_[static_cast<size_t>(y * GetWidth() + x)];
}

int32_t KivWell::GetTileValue(int32_t x, int32_t y) const {
  if (!IsInGrid(x, y) || tiles_.size() != static_cast<size_t>(GetWidth() * GetHeight())) return 0;
  return tiles_[static_cast<size_t>(y * GetWidth() + x)].value;
}

void KivWell::SetTileValue(int32_t x, int32_t y, int32_t value) {
  if (KivBlockInfo* info = GetBlockInfo(x, y)) {
    info->value = std::clamp(value, 0, kMaxTileValue);
    RefreshTileImage(x, y);
  }
}

void KivWell::RefreshTileImage(int32_t x, int32_t y) {
  KivBlockInfo* info = GetBlockInfo(x, y);
  if (!info) return;
  const math::Vec2 at = CellToScreenNoView(x, y);
  char name[32];
  if (info->value <= 0) {
    info->sprite.Invalidate();
  } else if (info->value == 1) {
    // Turned tiles show one eighth of a picture that repeats every eight cells: an eighth
    // of the picture's own texture rectangle. A picture of a sprite sheet takes its
    // rectangle in the sheet's image from its strip as it loads, in place of the one
    // given to Init; eighths of the whole texture would show a neighbour's part of it.
    info->sprite.Init("bg_tile_001", math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
    const math::Vec2 eighth = (info->sprite.uv2 - info->sprite.uv1) * 0.125f;
    info->sprite.uv1 += math::Vec2(eighth.x * static_cast<float>(x % 8), eighth.y * static_cast<float>(y % 8));
    info->sprite.uv2 = info->sprite.uv1 + eighth;
  } else {
    std::snprintf(name, sizeof name, "bg_tile_%03d", std::min(info->value, kMaxTileValue));
    info->sprite.Init(name, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  }
  info->sprite.SetTransform(at, GetCellSize(), 0.0f, 1.0f, 0xFFFFFFFF);
}

KivBlock* KivWell::GetKivBlock(int32_t x, int32_t y) {
  RebuildCells();
  return static_cast<KivBlock*>(GetBlock(x, y));
}

int32_t KivWell::GetClearedCells(int32_t colour) const {
  if (colour < 0 || colour >= static_cast<int32_t>(clearedCells_.size())) return 0;
  return clearedCells_[static_cast<size_t>(colour)];
}

void KivWell::SetSpellCost(int32_t i, int32_t cost) {
  if (i < 0 || i >= kSpellCount) return;
  spellCost_[static_cast<size_t>(i)] = std::max(cost, 0);
  spellCharge_[static_cast<size_t>(i)] = std::min(spellCharge_[static_cast<size_t>(i)], spellCost_[static_cast<size_t>(i)]);
  zenBlocksEnabled_ = std::any_of(spellCost_.begin(), spellCost_.end(), [](int32_t c) { return c > 0; });
}

bool KivWell::HasBlocks() {
  RebuildCells();
  for (int32_t x = 0; x < GetWidth(); ++x) {
    for (int32_t y = 0; y < GetHeight(); ++y) {
      if (GetBlock(x, y)) return true;
    }
  }
  return false;
}

// --- Loading ---

void KivWell::Load(const std::string& wellFile, const LevelData* level) {
  wellFileName_ = wellFile;
  level_ = level;
  ClearWell();
  SetupBlockInfo();
  failGoal_.reset();
  for (auto& goal : goals_) goal.reset();

  MEMORY_OWNER("KivWell::Load");
  SetSFX(nullptr);
  auto* sfx = new KivWellSFX(GetContext(), this);
  SetSFX(sfx);
  sfx->Init();
  if (wellFile == "preview") return;

  LoadGoals();
  if (level) {
    for (int32_t i = 0; i < LevelData::kColourWeights; ++i) {
      colourWeights_.SetWeight(static_cast<uint32_t>(i), static_cast<float>(level->colourWeights[static_cast<size_t>(i)]));
    }
    for (int32_t i = 0; i < LevelData::kKindWeights; ++i) {
      kindWeights_.SetWeight(static_cast<uint32_t>(i), static_cast<float>(level->kindWeights[static_cast<size_t>(i)]));
    }
  }
  scene_ = std::make_unique<background::BGScene>();
  ApplyOutfitStats();

  goalsActive_ = false;
  LoadWell(wellFile);
  goalsActive_ = true;
  RebuildTileList();
  CountTiles();
  ShowPuzzleReset();
}

void KivWell::ApplyOutfitStats() {
  outfitStats_.clear();
  KivDresses::Instance().CollectStats(KivDresses::Instance().GetHana(), outfitStats_);
  for (const auto& [name, value] : outfitStats_) {
    for (int32_t c = 0; c < kFlowerColors; ++c) {
      if (strcasecmp(name.c_str(), well::GetColorName(c)) == 0) {
        colourWeights_.SetWeight(static_cast<uint32_t>(c), colourWeights_.GetWeight(static_cast<uint32_t>(c)) + value * 0.01f);
      }
    }
    for (int32_t k = 0; k < kKindCount; ++k) {
      if (strcasecmp(name.c_str(), KivBlock::TypeName(k).c_str()) == 0) {
        kindWeights_.SetWeight(static_cast<uint32_t>(k), kindWeights_.GetWeight(static_cast<uint32_t>(k)) + value * 0.01f);
        break;
      }
    }
  }
}

bool KivWell::LoadWell(const std::string& path, void* arg) {
  wellFileName_ = path;
  wall_.reset();
  if (!GameWell::Load(path, arg, well::kWellAll)) return false;
  MEMORY_OWNER("KivWell::LoadWell");
  wall_ = std::make_unique<KivWellGridQuery>(this, level_ ? level_->border : std::string("wall"));
  wall_->UpdateAll();
  if (hud_) hud_->Reset();
  return true;
}

void KivWell::LoadGoals() {
  generator_.reset();
  if (!level_) return;
  LevelInfo& info = LevelInfo::Instance();
  for (size_t i = 0; i < goals_.size(); ++i) {
    goals_[i].reset(KivGoal::FromName(info.FindGoal(level_->goals[i]), this));
  }
  failGoal_.reset(KivGoal::FromName(info.FindGoal(level_->failure), this));
  generator_.reset(LevelInfo::GetGenMode(level_->genMode, this, level_->genSpeed));
  int32_t placed = 0;
  for (const auto& goal : goals_) {
    if (goal) goal->PlaceIcon(math::Vec2(0.0f, 0.01f + 0.05f * static_cast<float>(placed++)));
  }
  if (failGoal_) failGoal_->PlaceIcon(math::Vec2(0.0f, 0.01f + 0.05f * static_cast<float>(placed)));
}

KivGoal* KivWell::GetGoal(int32_t slot) const {
  return slot >= 0 && slot < kGoalSlots ? goals_[static_cast<size_t>(slot)].get() : nullptr;
}

void KivWell::ReportChain(int32_t blocks, int32_t colour) {
  for (const auto& goal : goals_) {
    if (goal) goal->OnChain(blocks, colour);
  }
  if (failGoal_) failGoal_->OnChain(blocks, colour);
}

int32_t KivWell::RemainingFailValue() const {
  if (!failGoal_) return 0;
  return math::ToClampedInt(
      static_cast<double>(failGoal_->GetCount()) - std::trunc(static_cast<double>(failGoal_->progress)), 0);
}

int32_t KivWell::RemainingTimePercent() const {
  if (!failGoal_ || failGoal_->kind != KivGoal::kTime) return 0;
  return static_cast<const KivTimeGoal*>(failGoal_.get())->RemainingPercent();
}

void KivWell::InitUI() {
  if (hud_) {
    FollowDisplay();
    if (hud_->panel) hud_->panel->SetIsVisible(true);
    return;
  }
  MEMORY_OWNER("KivWell::InitUI");
  hud_ = std::make_unique<KivGameHud>();
  hud_->Init();
  hud_->score = score_;
  hud_->gold = gold_;
  hud_->zenShown = zen_;
  ShowPuzzleReset();
  TakeDisplayPlaces();
}

void KivWell::TakeDisplayPlaces() {
  if (!hud_) return;
  if (hud_->ZenBar()) zenBarPosition = hud_->ZenCentre();
  for (int32_t i = 0; i < kSpellCount; ++i) {
    if (hud_->SpellBar(i)) spellBarPositions[static_cast<size_t>(i)] = hud_->SpellCentre(i);
  }
}

void KivWell::FollowDisplay() {
  if (hud_ && hud_->FollowPanel()) {
    // The rebuilt panel shows what its file says: every spell bar empty, "Start again".
    ShowPuzzleReset();
    ShowSpellBars();
    TakeDisplayPlaces();
  }
  for (const auto& goal : goals_) {
    if (goal) goal->FollowDisplay();
  }
  if (failGoal_) failGoal_->FollowDisplay();
}

void KivWell::ShowPuzzleReset() {
  if (!hud_ || !hud_->puzzleReset) return;
  hud_->puzzleReset->SetIsVisible(generator_ && generator_->IsPuzzle());
}

void KivWell::ShowSpellBars() {
  if (!hud_) return;
  for (int32_t i = 0; i < kSpellCount; ++i) {
    ui::UIProgress* bar = hud_->SpellBar(i);
    if (!bar) continue;
    const auto s = static_cast<size_t>(i);
    bar->SetIsVisible(spellCost_[s] > 0);
    if (spellCost_[s] > 0) {
      bar->SetProgress(std::min(1.0f, static_cast<float>(spellCharge_[s]) / static_cast<float>(spellCost_[s])));
    }
  }
}

void KivWell::ReloadWell() {
  ClearWell();
  LoadWell(wellFileName_);
}

void KivWell::StepEditorWell(const std::string& path) {
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fclose(file);
    ClearWell();
    LoadWell(path);
  }
}

void KivWell::RefreshWallAround(int32_t x, int32_t y) {
  if (!wall_) return;
  for (int32_t dy = -1; dy <= 1; ++dy) {
    for (int32_t dx = -1; dx <= 1; ++dx) wall_->UpdateCell(x + dx, y + dy);
  }
}

void KivWell::RebuildTileList() {
  if (IsBusy()) return;
  if (tiles_.empty()) SetupBlockInfo();
  tileList_.clear();
  for (int32_t x = 0; x < GetWidth(); ++x) {
    for (int32_t y = 0; y < GetHeight(); ++y) {
      if (GetTileValue(x, y) > 0) tileList_.emplace_back(x, y);
    }
  }
  // Flowers take their colours from the level's weights, whatever the file says.
  RecolourFlowers();
}

void KivWell::CountTiles() {
  unturnedTiles_ = 0;
  tileStepsLeft_ = 0;
  math::Vec2 low(1e9f, 1e9f);
  math::Vec2 high(-1e9f, -1e9f);
  for (int32_t y = 0; y < GetHeight(); ++y) {
    for (int32_t x = 0; x < GetWidth(); ++x) {
      const int32_t value = GetTileValue(x, y);
      if (value <= 1) continue;
      ++unturnedTiles_;
      tileStepsLeft_ += value - 1;
      const math::Vec2 at = CellToScreen(x, y);
      low = math::Vec2(std::min(low.x, at.x), std::min(low.y, at.y));
      high = math::Vec2(std::max(high.x, at.x), std::max(high.y, at.y));
    }
  }
  constexpr int32_t kFewTilesTip = 2;
  constexpr float kFewTilesTipDelay = 1.0f;
  if (unturnedTiles_ > 0 && tileStepsLeft_ <= 5 && AllowsTip(kFewTilesTip)) {
    OfferTip(kFewTilesTip, low, high + GetCellSize(), kFewTilesTipDelay);
  }
}

// --- Saved-well text ---

void KivWell::SaveHeader(WriteLua& writer) {
  writer.BeginTable("GameMode");
  writer.EndTable(false);
  if (tiles_.empty()) return;
  writer.BeginTable("Tiles");
  for (int32_t y = 0; y < GetHeight(); ++y) {
    for (int32_t x = 0; x < GetWidth(); ++x) writer.Printf("%i, ", GetTileValue(x, y));
    writer.Printf("\n");
  }
  writer.EndTable(false);
}

bool KivWell::LoadHeader(LuaState* state) {
  script::GetGlobal(state, "GameMode");
  const LuaObject tiles = script::GetGlobal(state, "Tiles");
  if (!tiles.IsTable()) return true;
  const math::Vec2 cell = GetCellSize();
  for (int32_t y = 0; y < GetHeight(); ++y) {
    for (int32_t x = 0; x < GetWidth(); ++x) {
      KivBlockInfo* info = GetBlockInfo(x, y);
      const LuaObject element = tiles.GetByIndex(y * GetWidth() + x + 1);
      if (!info || !element.IsNumber()) continue;
      const double number = element.GetNumber();
      if (number != std::floor(number)) continue;
      const math::Vec2 at = CellToScreen(x, y);
      const bool onScreen = at.x > -cell.x && at.x < 1.0f && at.y > -cell.y && at.y < 1.0f;
      // Values beyond the tile images would show nothing and break the tile counts.
      info->value = onScreen ? std::clamp(element.GetInteger(), 0, kMaxTileValue) : 0;
      RefreshTileImage(x, y);
    }
  }
  return true;
}

// --- State ---

bool KivWell::IsOverlayDone() const { return GetOverlay() && GetOverlay()->IsDone(); }

bool KivWell::IsBusy() const { return HasEditor() || (scene_ && scene_->editor); }

void KivWell::AdjustCounter(int32_t points) {
  const int64_t total = int64_t{score_} + points;
  score_ = static_cast<int32_t>(std::clamp<int64_t>(total, 0, INT32_MAX));
  if (hud_) hud_->score = score_;
}

void KivWell::HidePopups() {
  if (well::WellEffect* popup = GetOverlay()) {
    if (ui::UIWidget* panel = popup->GetPanel()) panel->SetIsVisible(false);
  }
}

void KivWell::SetPendingTrophy(int32_t trophy) {
  if (trophy == 0) return;
  pendingTrophy_ = trophy;
  trophyDelay_.remaining = trophyDelay_.duration;
}

void KivWell::WinGame() { EndGame(true); }

void KivWell::LooseGame() { EndGame(false); }

void KivWell::EndGame(bool victory) {
  if (GetOverlay()) return;
  RemoveAllTips();
  spellBrush_.reset();
  ForgetChain();
  if (victory) {
    GameWell::WinGame();
  } else {
    GameWell::LooseGame();
  }
  MEMORY_OWNER("KivWell::EndGame");
  if (victory) {
    SetOverlay(new KivVictoryPopup(this));
  } else {
    SetOverlay(new KivDefeatPopup(this));
  }
  ClearDecorations();
  if (victory && !IsFreeplay()) KivVars::Instance().AddCoins(gold_);
  if (pendingTrophy_ != 0 && trophyDelay_.remaining > kTrophyDelayAfterWin) {
    trophyDelay_.remaining = kTrophyDelayAfterWin;
  }
}

// --- Transitions ---

void KivWell::StartEnterFade(const std::string& script) {
  transitionScript_ = script;
  transitionRunning_ = true;
  entering_ = true;
  transitionTime_ = 0.0f;
  SetViewOffset(math::Vec2(GetViewOffset().x, 1.0f));
  PlaySoundNow("well_enter");
}

void KivWell::StartLeaveFade(const std::string& script) {
  transitionScript_ = script;
  transitionRunning_ = true;
  entering_ = false;
  transitionTime_ = 0.0f;
  PlaySoundNow("well_leave");
}

bool KivWell::IntroShown() const { return hud_ && hud_->IntroShown(); }

bool KivWell::TransitionStep(float dt) {
  // The level's introduction is read before anything moves.
  if (IntroShown()) return true;
  if (!transitionRunning_) return false;
  transitionTime_ += 2.0f * dt;
  const float x = GetViewOffset().x;
  if (transitionTime_ < 1.0f) {
    SetViewOffset(math::Vec2(x, entering_ ? 1.0f - transitionTime_ : transitionTime_));
    if (GetSFX()) GetSFX()->SetViewOffset(GetViewOffset());
    return true;
  }
  SetViewOffset(math::Vec2(x, entering_ ? 0.0f : 1.0f));
  if (GetSFX()) GetSFX()->SetViewOffset(GetViewOffset());
  transitionRunning_ = false;
  if (entering_) {
    if (!IsFreeplay()) SetPendingTrophy(CheckLevelsOpenTrophy());
    RunLevelIntroTips();
  }
  if (!transitionScript_.empty()) console::GetConsole().Do(transitionScript_);
  return true;
}

// --- Tick ---

void KivWell::Tick(float dt) {
  FollowDisplay();
  if (scene_) scene_->Update(dt);
  if (spellBrush_) {
    spellBrush_->SetPos(pointer_);
    if (spellBrush_->IsFinished()) spellBrush_.reset();
  }
  if (HasEditor()) return;

  const bool busy = TransitionStep(dt);
  if (!busy && !GetOverlay() && !reshuffle_) {
    GrowChain(DevicePointer());
    if (!HintStep(dt) && NoMovesLeft()) {
      console::GetConsole().Do(kNoMovesScript);
      return;
    }
    levelTime_ += dt;
  }
  if (hud_) hud_->Update(dt);
  GameWell::Tick(dt);
  if (GetOverlay()) {
    generator_.reset();
  } else if (reshuffle_) {
    if (reshuffle_->IsFinished()) {
      reshuffle_.reset();
    } else {
      reshuffle_->TickAll(dt);
    }
  } else if (!busy) {
    if (generator_) generator_->Tick(dt);
    TickGoals(dt);
    TickTimedEffects(dt);
  }
  if (hud_) {
    hud_->chainValue = std::max(previewScore_, 0);
    hud_->chainLength = std::max(previewLength_, 0);
  }
  if (!busy && !reshuffle_) {
    TickStars(dt);
    TickTrophy(dt);
  }
}

void KivWell::TickGoals(float dt) {
  if (!goalsActive_ || GetOverlay()) return;
  if (failGoal_) {
    failGoal_->AddProgress(dt);
    // In free play the clock never runs out: a TIME goal's progress is its clock.
    if (IsFreeplay() && failGoal_->kind == KivGoal::kTime) failGoal_->progress = 0.0f;
    if (failGoal_->IsMet()) {
      LooseGame();
      return;
    }
  }
  int32_t present = 0;
  int32_t met = 0;
  for (const auto& goal : goals_) {
    if (!goal) continue;
    ++present;
    goal->AddProgress(dt);
    if (goal->IsMet()) ++met;
  }
  if (present > 0 && met == present) WinGame();
}

void KivWell::TickTrophy(float dt) {
  if (pendingTrophy_ == 0) return;
  if (trophyDelay_.remaining >= 0.0f) {
    trophyDelay_.Update(dt);
    return;
  }
  const int32_t trophy = pendingTrophy_;
  pendingTrophy_ = 0;
  if (KivVars::Instance().AddTrophy(trophy)) ShowTrophyPopup(trophy);
}

math::Vec2 KivWell::DevicePointer() {
  const input::Mouse* mouse = input::GetDevices().mouse;
  return mouse ? mouse->position : math::Vec2(-1.0f, -1.0f);
}

bool KivWell::DeviceLeftHeld() {
  const input::Mouse* mouse = input::GetDevices().mouse;
  return mouse && mouse->buttons[0].down;
}
