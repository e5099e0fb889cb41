// The goals of a level and the block generators.

#include "game/board/KivGoal.h"

#include <strings.h>

#include <algorithm>
#include <cmath>

#include "engine/core/Math.h"
#include "engine/core/MemoryManager.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"
#include "engine/well/WellBlock.h"
#include "game/board/KivHelp.h"
#include "game/board/KivWell.h"
#include "game/board/LevelInfo.h"

namespace {

constexpr const char* kKindNames[KivGoal::kKindCount] = {
    "TIME", "BIGSET", "CLEAR_BLOCK", "CLEAR_SET", "MOVES", "CLEAR_ALL", "CLEAR_TILE"};

// Whole seconds left, truncated towards zero; a count or progress from a file far beyond
// the integer range gives its end instead of an undefined conversion.
int32_t WholeSecondsLeft(int32_t count, float progress) {
  return math::ToClampedInt(static_cast<double>(count) - static_cast<double>(progress), 0);
}

}  // namespace

const char* KivGoal::KindName(int32_t kind) {
  return kind >= 0 && kind < kKindCount ? kKindNames[kind] : kKindNames[kTime];
}

int32_t KivGoal::KindOf(const std::string& name) {
  for (int32_t k = 0; k < kKindCount; ++k) {
    if (strcasecmp(name.c_str(), kKindNames[k]) == 0) return k;
  }
  return kTime;
}

KivGoal* KivGoal::FromName(const GoalData* data, KivWell* board) {
  if (!data) return nullptr;
  MEMORY_OWNER("KivGoal::FromName");
  const int32_t kind = KindOf(data->kindName);
  switch (kind) {
    case kBigSet:
      return new KivBigSetGoal(kind, data, board);
    case kClearBlock:
      return new KivClearBlockGoal(kind, data, board);
    case kClearSet:
    case kMoves:
      return new KivClearSetGoal(kind, data, board);
    case kClearAll:
      return new KivClearAllGoal(kind, data, board);
    case kClearTile:
      return new KivClearTileGoal(kind, data, board);
    default:
      return new KivTimeGoal(data, board);
  }
}

KivGoal::KivGoal(int32_t goalKind, const GoalData* goalData, KivWell* owner)
    : kind(goalKind), data(goalData), board(owner) {
  if (data && !data->colourName.empty()) colour = well::FindColor(data->colourName);
  if (data && !data->icon.empty()) {
    icon.Init(data->icon, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
    icon.SetTransform(math::Vec2(0.0f, 0.0f), icon.GetImageSize(), 0.0f, 1.0f, 0xFFFFFFFF);
  }
}

int32_t KivGoal::GetCount() const { return data ? data->count : 0; }

void KivGoal::PlaceIcon(const math::Vec2& position) {
  icon.SetTransform(position, icon.GetImageSize(), 0.0f, 1.0f, 0xFFFFFFFF);
}

void KivGoal::Render() {
  if (icon.IsLoaded()) icon.Render();
}

// --- TIME ---

KivTimeGoal::KivTimeGoal(const GoalData* goalData, KivWell* owner)
    : KivGoal(kTime, goalData, owner) {
  if (display_.Renew()) FindBars();
}

ui::UIProgress* KivTimeGoal::Bar() const {
  // The handles hold only what GetProgressByName found, or the bar's own clone.
  return static_cast<ui::UIProgress*>(bar_.Get());
}

ui::UIProgress* KivTimeGoal::Overlay() const { return static_cast<ui::UIProgress*>(overlay_.Get()); }

void KivTimeGoal::FindBars() {
  ui::UIProgress* bar = display_->GetProgressByName("timer_bar");
  bar_.Reset(bar);
  overlay_.Reset();
  if (!bar) return;
  bar->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
  ui::UIProgress* overlay = display_->GetProgressByName("timer_bar_overlay");
  if (!overlay && bar->parent) {
    MEMORY_OWNER("KivTimeGoal::FindBars");
    auto* clone = dynamic_cast<ui::UIProgress*>(bar->GetClone());
    if (clone) {
      clone->SetName("timer_bar_overlay");
      clone->SetFullImage(bar->images[ui::UIProgress::kFullImage].fileName + "_overlay");
      if (bar->parent->InsertChild(clone, true, "")) {
        overlay = clone;
      } else {
        delete clone;
      }
    }
  }
  overlay_.Reset(overlay);
  bar->SetProgress(0.0f);
  if (overlay) {
    overlay->SetProgress(0.0f);
    overlay->SetColor(1.0f, 1.0f, 1.0f, 0.0f);
  }
}

void KivTimeGoal::FollowDisplay() {
  if (!display_.Renew()) return;
  FindBars();
  ShowUsedShare();
}

float KivTimeGoal::UsedShare() const {
  // A goal with no time at all has used it all, rather than dividing by zero.
  if (GetCount() <= 0) return 1.0f;
  return std::clamp(progress / static_cast<float>(GetCount()), 0.0f, 1.0f);
}

int32_t KivTimeGoal::RemainingPercent() const {
  return static_cast<int32_t>(100.0f * (1.0f - UsedShare()));
}

bool KivTimeGoal::IsMet() const { return progress > static_cast<float>(GetCount()); }

void KivTimeGoal::AddProgress(float value) {
  FollowDisplay();
  const float old = progress;
  const float half = static_cast<float>(GetCount()) * 0.5f;
  progress += value;
  ui::UIProgress* bar = Bar();
  if (bar && old < half && half < progress) {
    KivHelp::Instance().TriggerHelpWidget(kHalfTimeTip, bar, -1.0f);
  }
  const int32_t secondsBefore = WholeSecondsLeft(GetCount(), old);
  const int32_t secondsAfter = WholeSecondsLeft(GetCount(), progress);
  if (secondsBefore == secondsAfter) return;
  if (secondsAfter >= 10 && (secondsAfter > 30 || secondsAfter % 10 != 0)) return;
  math::Vec2 from(0.0f, 0.0f);
  math::Vec2 to(0.0f, 0.0f);
  if (bar && board) {
    const math::Vec2 origin = board->GetOrigin();
    from = math::Vec2((origin.x + 1.0f) * 0.5f, (origin.y + 1.0f) * 0.5f);
    const math::Vec2 at = bar->position;
    to = math::Vec2(at.x + bar->size.x * 0.5f, at.y + bar->size.y * UsedShare());
  }
  if (board) board->StartTimeWarning(from, to, secondsAfter);
}

void KivTimeGoal::ShowUsedShare() {
  ui::UIProgress* bar = Bar();
  if (!bar) return;
  const float f = UsedShare();
  bar->SetProgress(f);
  bar->SetColor(1.0f, 1.0f, 1.0f, 1.0f - f);
  if (ui::UIProgress* overlay = Overlay()) {
    overlay->SetProgress(f);
    overlay->SetColor(1.0f, 1.0f, 1.0f, f);
  }
}

void KivTimeGoal::Render() {
  FollowDisplay();
  ShowUsedShare();
  KivGoal::Render();
}

// --- Chain counters ---

void KivBigSetGoal::OnChain(int32_t blocks, int32_t chainColour) {
  if (MatchesColour(chainColour) && blocks > (data ? data->quality : 0)) ++counter;
}

void KivClearBlockGoal::OnChain(int32_t blocks, int32_t chainColour) {
  if (MatchesColour(chainColour)) counter += blocks;
}

void KivClearSetGoal::OnChain(int32_t blocks, int32_t chainColour) {
  if (MatchesColour(chainColour)) ++counter;
}

bool KivClearAllGoal::IsMet() const { return board && board->GetBlockCount() == 0; }

bool KivClearTileGoal::IsMet() const { return board && board->GetUnturnedTiles() == 0; }

// --- Generators ---

BlockGenerator::BlockGenerator(KivWell* board, float interval) : board_(board) {
  timer.duration = interval;
  timer.remaining = interval;
}

void BlockGenerator::Tick(float dt) {
  timer.Update(dt);
  if (timer.remaining < 0.0f) {
    timer.remaining = timer.duration;
    Generate();
  }
}

void AutoBlockGenerator::Generate() {
  if (board_) board_->Refill();
}
