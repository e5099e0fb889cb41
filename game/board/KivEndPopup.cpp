#include "game/board/KivEndPopup.h"

#include <cmath>
#include <vector>

#include "engine/core/Console.h"
#include "engine/ui/UIWidget.h"
#include "engine/well/WellBlock.h"
#include "game/board/KivBlock.h"
#include "game/board/KivWell.h"
#include "game/board/LevelData.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivVars.h"
#include "game/shell/Music.h"

namespace {

constexpr float kFrameSeconds = 1.0f / 60.0f;
constexpr float kNearCentre = 0.01f;

}  // namespace

// --- Flying blocks ---

void FlyingBlocks::Start(Flight& flight) {
  flight.velocity = math::Vec2(0.0f, 0.0f);
  const math::Vec2 at = flight.position;
  if (!outwards_) {
    flight.acceleration = math::Vec2(0.0f, at.y * 0.5f + 0.4f);
    return;
  }
  math::Vec2 away = at - math::Vec2(0.5f, 0.5f);
  if (away.Magnitude() < kNearCentre) away = math::Vec2(at.x - 0.5f, 0.0f);
  away.Normalize();
  flight.acceleration = away;
}

void FlyingBlocks::Update(Flight& flight, float dt) {
  WellMoveEnd::Update(flight, dt);
  const math::Vec2 size = flight.item->GetScreenSize();
  const math::Vec2& at = flight.position;
  if (at.x < -size.x || at.x > 1.0f || at.y < -size.y || at.y > 1.0f) {
    delete flight.item;
    flight.item = nullptr;
  }
}

int32_t FlyingBlocks::CountFlying() const {
  int32_t count = 0;
  for (const Flight& flight : flights_) count += flight.item ? 1 : 0;
  return count;
}

// --- End popup ---

KivEndPopup::KivEndPopup(KivWell* board, const std::string& panelFile, bool victory)
    : WellEffect(board ? board->GetContext() : nullptr, panelFile), board_(board), flying_(victory) {
  SetStageInterval(kFrameSeconds);
  wait_.duration = wait_.remaining = kWaitSeconds;
  if (!board_) return;
  board_->RebuildCells();
  std::vector<well::WellBlock*> taken;
  for (int32_t x = 0; x < board_->GetWidth(); ++x) {
    for (int32_t y = 0; y < board_->GetHeight(); ++y) {
      KivBlock* block = board_->GetKivBlock(x, y);
      if (!block || block->kind == kKindWall) continue;
      // A block wider than a cell is met again in its other cells.
      if (std::find(taken.begin(), taken.end(), block) != taken.end()) continue;
      taken.push_back(block);
      board_->DropBlock(block, false);
      flying_.Add(block);
    }
  }
  board_->RebuildCells();
}

KivEndPopup::~KivEndPopup() { *alive_ = false; }

bool KivEndPopup::RunScript(const std::string& script) {
  const std::shared_ptr<bool> alive = alive_;
  runningScript_ = true;
  console::GetConsole().Do(script);
  if (!*alive) return false;
  runningScript_ = false;
  return true;
}

void KivEndPopup::Render() { flying_.RenderAll(); }

int32_t KivEndPopup::WonSlot() const {
  if (!IsVictory() || !board_ || !board_->GetLevel()) return -1;
  return board_->GetLevel()->index - 1;
}

void KivEndPopup::Tick(float dt) {
  if (runningScript_) {
    flying_.TickAll(dt);
    return;
  }
  if (step_ == 0 && wait_.IsDone()) EnterStep(1);
  flying_.TickAll(dt);

  WellEffect::Tick(dt);
  switch (step_) {
    case 0:
      wait_.Tick(dt);
      break;
    case 1:
      if (!board_ || !board_->IsTransitionRunning()) EnterStep(2);
      break;
    case 2: {
      KivVars& vars = KivVars::Instance();
      if (!stepStarted_) {
        int32_t trophy = 0;
        if (!vars.GetFreeplay()) {
          // Time-left trophies are for won levels only.
          if (IsVictory() && board_) trophy = KivTrophyData::Instance().CheckTimeRemaining(board_->RemainingTimePercent());
        } else if (vars.CheckWinFreeplayWith(WonSlot())) {
          // The level just won counts as won in free play: its summary marks its slot
          // only in the next step, and winning the last level must earn the trophy.
          const KivTrophyData::Record* record =
              KivTrophyData::Instance().FindByCondition(KivTrophyData::kSpecialWinZen);
          if (record && !vars.HasTrophy(record->index)) trophy = record->index;
        }
        if (trophy != 0) {
          vars.AddTrophy(trophy);
          KivTrophyScreen& room = KivTrophyScreen::Instance();
          room.SetAllCmds("", "OnTrophyIdle()", "OnTrophyPopupClose()");
          room.EnablePopup(true, trophy);
        }
        stepStarted_ = true;
        break;
      }
      KivTrophyScreen* room = KivTrophyScreen::Existing();
      const bool roomBusy =
          room && (room->IsPopupVisible() || room->IsEnabled() || room->IsPopupEnabled());
      if (!KivFashionStudio::Instance().GetIsVisible() && !roomBusy && !summaryRequested_) {
        summaryRequested_ = true;
        RunScript(kSummaryRequest);
      }
      break;
    }
    case 3:
      WatchPanel(std::string("ShowSummary(") + (IsVictory() ? "true" : "false") + ")", "summary", summaryPanel_,
                 IsVictory() && !KivVars::Instance().GetFreeplay() ? 4 : kStepDone);
      break;
    case 4:
      WatchPanel("CheckShowPopup(true)", "buy_popup", buyPanel_, 5);
      break;
    case 5:
      WatchPanel("", "fashion_studio", studioPanel_, kStepDone);
      break;
    default:
      break;
  }
}

void KivEndPopup::WatchPanel(const std::string& script, const char* panelName, ui::PanelHandle& panel,
                             int32_t next) {
  if (!stepStarted_) {
    stepStarted_ = true;
    const int32_t step = step_;
    if (!script.empty() && (!RunScript(script) || step_ != step)) return;
    panel = ui::PanelHandle(panelName);
    panel.Renew();
    if (!panel) EnterStep(kStepDone);
    return;
  }
  // A panel rebuilt from its file is the same panel to the player; one dropped for good
  // counts as closed.
  panel.Renew();
  if (!panel || !panel->GetIsVisible()) EnterStep(next);
}

void KivEndPopup::StartSummary() {
  if (step_ < 3) EnterStep(3);
}

void KivEndPopup::EnterStep(int32_t step) {
  step_ = step;
  stepStarted_ = false;
  summaryRequested_ = false;
  switch (step) {
    case 1:
      if (board_) board_->StartLeaveFade("");
      break;
    case 3: {
      KivMusic& music = KivMusic::Instance();
      if (IsVictory()) {
        music.SetSting("victory");
        music.SetTheme("celebration", false);
      } else {
        music.SetSting("loss");
      }
      break;
    }
    case kStepDone:
      MarkDone();
      break;
    default:
      break;
  }
}
