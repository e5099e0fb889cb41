#include "game/board/KivSummary.h"

#include <algorithm>
#include <cstdio>

#include "engine/app/Audio.h"
#include "engine/app/GameRMS.h"
#include "engine/app/HighscoreServer.h"
#include "engine/app/WebRequest.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/StringUtil.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivGameHud.h"
#include "game/board/KivScore.h"
#include "game/board/KivWell.h"
#include "game/board/LevelData.h"
#include "game/shell/KivHighscoreServer.h"
#include "game/shell/KivVars.h"

namespace {

std::unique_ptr<KivSummary>& Slot() {
  static std::unique_ptr<KivSummary> instance;
  return instance;
}

std::string Grouped(int64_t value) { return IntToGroupedString(static_cast<long long>(value), ',', 3); }

void SetText(const ui::WidgetHandle& widget, const std::string& text) {
  if (widget) widget->SetText(text);
}

}  // namespace

KivSummary& KivSummary::Instance() {
  std::unique_ptr<KivSummary>& slot = Slot();
  if (!slot) {
    MEMORY_OWNER("KivSummary::Instance");
    slot = std::make_unique<KivSummary>();
  }
  return *slot;
}

KivSummary* KivSummary::Existing() { return Slot().get(); }

void KivSummary::Shutdown() {
  if (KivSummary* summary = Existing()) summary->Cleanup();
  Slot().reset();
}

KivSummary* GetSummary() { return &KivSummary::Instance(); }

KivSummary::KivSummary() {
  countUp_.speed = kCountRate;
  countUp_.factor = kCountFactor;
  pause_.duration = pause_.remaining = kPause;
  initialDelay_.duration = initialDelay_.remaining = kInitialDelay;
}

KivSummary::~KivSummary() { StopSound(); }

GameRMS* KivSummary::Profiles() {
  KivVars& vars = KivVars::Instance();
  return vars.store ? vars.store : GetRMS();
}

void KivSummary::FindWidgets() {
  ui::UIWidget* panel = panel_.Get();
  auto find = [panel](const std::string& name) { return panel ? panel->GetWidgetByName(name) : nullptr; };
  for (int32_t i = 0; i < kValueCount; ++i) valueWidgets_[static_cast<size_t>(i)].Reset(find(kValueWidgets[i]));
  title_.Reset(find("summary_txt"));
  player_.Reset(find("summary_player"));
  for (int32_t row = 0; row < kRowCount; ++row) {
    const std::string number = std::to_string(row + 1);
    auto& widgets = rows_[static_cast<size_t>(row)];
    widgets[0].Reset(find("highscore_" + number));
    widgets[1].Reset(find("hometown_" + number));
    widgets[2].Reset(find("highscore_val_" + number));
  }
  button_.Reset(find("summary_btn"));
  onlineNote_.Reset(find(kOnlineNote));
}

void KivSummary::Start(bool victory) {
  if (!enabled_ || !board_ || starting_) return;
  starting_ = true;
  KivWell& board = *board_;
  const LevelData* level = board.GetLevel();
  // Level slots are Index - 1; a level without a valid Index has no record in the
  // profile and no place on the server.
  const int32_t slot = (level ? level->index : 0) - 1;
  const bool slotValid = slot >= 0 && slot < GameRMS::kLevelCount;
  GameRMS* profiles = Profiles();
  const bool profile = profiles && profiles->ProfileValid();

  victory_ = victory;
  forced_ = waiting_ = complete_ = false;
  step_ = kStepDelay;
  countUp_.factor = kCountFactor;
  initialDelay_.remaining = kInitialDelay;
  pause_.remaining = kPause;
  values_.fill(0);

  const KivGameHud* hud = board.GetHud();
  values_[kRawScore] = hud ? hud->score : board.GetScore();
  values_[kTimeLeft] = board.RemainingTimePercent();
  const int64_t bonus = int64_t{values_[kTimeLeft]} * KivScore::Instance().GetValue(KivScore::kTimeBonusPerPercent);
  values_[kTimeBonus] = static_cast<int32_t>(std::clamp<int64_t>(bonus, INT32_MIN, INT32_MAX));
  if (values_[kTimeBonus] > 0) board.AdjustCounter(values_[kTimeBonus]);
  values_[kFinalScore] = hud ? hud->score : board.GetScore();
  values_[kTokens] = board.GetClearedBlocks();
  values_[kCoins] = board.GetGold();
  values_[kBestScore] = values_[kFinalScore];
  if (profile && slotValid) {
    values_[kBestScore] = std::max(profiles->GetScore(slot), values_[kFinalScore]);
    profiles->SetScore(slot, values_[kBestScore]);
  }

  ResetCountUp(0);
  panel_.Renew();
  FindWidgets();
  ShowValues();
  entries_.fill(HighscoreEntry{});
  offline_ = false;
  ShowOnline();
  ShowHeading();
  ShowButton();

  if (profile) {
    if (victory && slotValid) profiles->SetOpen(slot, KivVars::Instance().GetFreeplay() ? 3 : 2);
    KivVars::Instance().UpdateTotalScore();
    // The store's own save: a temporary file renamed over the old one, so that a failed
    // write leaves the old profiles whole.
    if (!profiles->Save()) LOG_LINE(MSG_ERROR) << "Unable to save the profile after the level summary";
    if (slotValid) SubmitScore(victory, slot);
  }
  starting_ = false;
}

void KivSummary::SubmitScore(bool victory, int32_t slot) {
  waiting_ = true;
  const int32_t score = victory && !KivVars::Instance().GetCheatMode() ? values_[kBestScore] : 0;
  web::ScoreRow rows[kRowCount];
  web::HighscoreServer& server = server_ ? *server_ : KivHighscoreServer::Instance();
  // Frames keep running until this returns: the level may be left meanwhile, and a
  // Cleanup then clears waiting, so that the late reply fills nothing.
  const bool answered = server.AddScore(slot, score, rows, kRowCount);
  // The frames run meanwhile may have rebuilt the panel.
  FollowPanel();
  if (!answered) {
    // The online half would stay blank: it says why. A reply given up by Cleanup says
    // nothing.
    if (waiting_ && enabled_) {
      offline_ = true;
      ShowOnline();
    }
    waiting_ = false;
    return;
  }
  if (!waiting_) return;
  waiting_ = false;
  if (!enabled_) return;
  for (int32_t i = 0; i < kRowCount; ++i) {
    HighscoreEntry& entry = entries_[static_cast<size_t>(i)];
    entry.name = rows[i].name;
    entry.hometown = rows[i].location;
    entry.score = rows[i].score;
  }
  ShowOnline();
}

void KivSummary::FollowPanel() {
  if (!panel_.Renew()) return;
  FindWidgets();
  ShowValues();
  ShowHeading();
  ShowOnline();
  ShowButton();
}

void KivSummary::ShowValues() {
  for (int32_t i = 0; i < kValueCount; ++i) {
    int32_t shown = 0;
    if (i < step_) {
      shown = values_[static_cast<size_t>(i)];
    } else if (i == step_) {
      shown = static_cast<int32_t>(countUp_.current);
    }
    ShowValue(i, shown);
  }
}

void KivSummary::ShowHeading() {
  const LevelData* level = board_ ? board_->GetLevel() : nullptr;
  if (title_ && level) {
    title_->SetWideText(JoinLocalizedStrings(level->country, "CITY_" + level->city, true));
  }
  GameRMS* profiles = Profiles();
  SetText(player_, profiles && profiles->ProfileValid() ? profiles->GetName() : "");
}

void KivSummary::ShowOnline() {
  for (int32_t i = 0; i < kRowCount; ++i) {
    const HighscoreEntry& entry = entries_[static_cast<size_t>(i)];
    auto& widgets = rows_[static_cast<size_t>(i)];
    const bool shown = entry.score > 0;
    SetText(widgets[0], shown ? entry.name : "");
    SetText(widgets[1], shown ? entry.hometown : "");
    SetText(widgets[2], shown ? Grouped(entry.score) : "");
  }
  SetText(onlineNote_, offline_ ? kOfflineText : "");
}

void KivSummary::ShowButton() {
  if (!button_) return;
  if (complete_) {
    button_->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
  } else {
    button_->color = kGreyedColour;
  }
  button_->SetIsActive(complete_);
}

void KivSummary::Cleanup() {
  if (!waiting_) return;
  waiting_ = false;
  // The request's worker is told to stop (its connection is closed); no thread is killed.
  web::WebRequest::Instance().KillThread();
}

void KivSummary::ResetCountUp(int32_t index) {
  countUp_.current = 0.0f;
  countUp_.speed = kCountRate;
  countUp_.target = static_cast<float>(values_[static_cast<size_t>(index)]);
}

void KivSummary::ShowValue(int32_t index, int32_t value) {
  const ui::WidgetHandle& widget = valueWidgets_[static_cast<size_t>(index)];
  if (!widget) return;
  if (index == kTimeLeft) {
    char text[32];
    std::snprintf(text, sizeof text, "%d%%", value);
    widget->SetText(text);
  } else {
    widget->SetText(Grouped(value));
  }
}

void KivSummary::StopSound() {
  if (soundChannel_ != 0) audio::GetAudio().StopSound(soundChannel_);
  soundChannel_ = 0;
}

void KivSummary::Tick(float dt) {
  if (!enabled_) return;
  FollowPanel();
  if (step_ == kStepDelay) {
    if (!forced_ && !initialDelay_.IsDone()) {
      initialDelay_.Tick(dt);
      return;
    }
    step_ = 0;
  }
  if (step_ >= kStepDone) {
    if (!complete_ && !waiting_) Finish();
    return;
  }
  if (!forced_ && !pause_.IsDone()) {
    pause_.Tick(dt);
    return;
  }
  if (forced_) {
    countUp_.current = countUp_.target;
  } else {
    countUp_.Update(dt);
  }
  ShowValue(step_, static_cast<int32_t>(countUp_.current));
  if (countUp_.current != countUp_.target) {
    if (soundChannel_ == 0 || !audio::IsChannelActive(soundChannel_)) {
      const int channel = audio::GetAudio().PlaySound(kSound);
      soundChannel_ = channel > 0 ? static_cast<uint32_t>(channel) : 0;
    }
    return;
  }
  ++step_;
  StopSound();
  if (step_ < kStepDone) {
    pause_.remaining = kPause;
    ResetCountUp(step_);
  } else {
    Finish();
  }
}

void KivSummary::Finish() {
  complete_ = true;
  ShowButton();
}
