#include "game/shell/KivHighscoreState.h"

#include <cstdio>

#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/core/Console.h"
#include "engine/core/StringUtil.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/shell/KivHighscoreServer.h"
#include "game/shell/KivVars.h"

KivHighscoreState::KivHighscoreState(camera::Camera* screenCamera, const std::string& panelFile,
                                     const std::string& enter, const std::string& exit,
                                     const std::string& backgroundFile)
    : KivMenuScreen(screenCamera, panelFile, enter, exit, backgroundFile) {}

bool KivHighscoreState::OnEnter() {
  KivMenuScreen::OnEnter();
  ++visit_;
  if (!connectingPanel_) {
    connectingPanel_.Reset(ui::GetUIMan().GetPanel(kConnectingPanel));
    if (connectingPanel_) connectingPanel_->SetIsVisible(false);
  }
  global_ = false;
  left_ = false;
  BuildLocalList();
  FillTable();
  return true;
}

bool KivHighscoreState::OnExit() {
  ui::UIManager* manager = ui::UIManager::Existing();
  if (connectingPanel_ && manager && manager->IsPanel(connectingPanel_.Get()) && connectingPanel_->GetIsVisible()) {
    ShowConnecting(false);
  }
  left_ = true;
  return KivMenuScreen::OnExit();
}

void KivHighscoreState::HighscoreTab(int32_t frame) {
  if (requestWaiting_) return;
  const int32_t shown = timeFrame_;
  timeFrame_ = frame;
  if (!global_) {
    BuildLocalList();
    FillTable();
  } else if (RunGlobalRequest() == Request::kFailed) {
    // The table still shows the list of the frame it had: its tab stays the lit one.
    timeFrame_ = shown;
    FillTable();
  }
}

void KivHighscoreState::SetLocalHS() {
  if (requestWaiting_) return;
  global_ = false;
  BuildLocalList();
  FillTable();
}

void KivHighscoreState::SetGlobalHS() {
  if (requestWaiting_) return;
  // A failed request leaves the list that was shown, and the tabs and the title that say
  // which (the clicked tab no longer lit under the pointer).
  if (RunGlobalRequest() == Request::kFailed) FillTable();
}

void KivHighscoreState::BuildLocalList() {
  for (Row& row : rows_) row = Row();
  KivVars& vars = KivVars::Instance();
  const GameRMS* rms = vars.store ? vars.store : GetRMS();
  if (!rms) return;
  int32_t count = rms->GetProfileC();
  if (count > kMaxProfiles) count = kMaxProfiles;
  if (count < 0) count = 0;

  int32_t scores[kMaxProfiles] = {};
  bool taken[kMaxProfiles] = {};
  for (int32_t i = 0; i < count; ++i) {
    scores[i] = vars.GetProfileScore(i, timeFrame_);
    // A profile without points is never listed.
    if (scores[i] == 0) taken[i] = true;
  }
  for (int r = 0; r < kRowCount; ++r) {
    int32_t best = -1;
    for (int32_t i = 0; i < count; ++i) {
      if (!taken[i] && (best < 0 || scores[i] > scores[best])) best = i;  // the first wins a tie
    }
    if (best < 0) break;
    taken[best] = true;
    const GameRMS::ProfileRecord& profile = rms->GetRecord().profiles[best];
    rows_[r].name = profile.name;
    rows_[r].hometown = profile.location;
    rows_[r].score = scores[best];
    rows_[r].position = r + 1;
  }
}

KivHighscoreState::Request KivHighscoreState::RunGlobalRequest() {
  ShowConnecting(true);
  const uint32_t visit = visit_;
  web::TotalScoreRow received[kRowCount];
  requestWaiting_ = true;
  const bool ok = KivHighscoreServer::Instance().GetTotalScore(received, kRowCount, timeFrame_);
  requestWaiting_ = false;
  // The player left while it ran (and may have come back since): nothing applies.
  if (left_ || visit != visit_) return Request::kDropped;
  ShowConnecting(false);
  if (!ok) {
    console::GetConsole().Do(kFailScript);
    return Request::kFailed;
  }
  for (int r = 0; r < kRowCount; ++r) {
    rows_[r].position = received[r].position;
    rows_[r].name = received[r].name;
    rows_[r].hometown = received[r].location;
    rows_[r].score = received[r].score;
  }
  global_ = true;
  FillTable();
  return Request::kShown;
}

void KivHighscoreState::ShowConnecting(bool shown) {
  ui::UIManager* manager = ui::UIManager::Existing();
  if (!connectingPanel_ || !manager || !manager->IsPanel(connectingPanel_.Get())) return;
  connectingPanel_->SetIsVisible(shown);
  if (shown) {
    manager->PushPanelToFront(connectingPanel_.Get());
  } else {
    manager->PushPanelToBack(connectingPanel_.Get());
  }
}

void KivHighscoreState::FillTable() {
  ui::UIWidget* panel = TablePanel();
  if (!panel) return;
  char name[32];
  for (int n = 1; n <= kRowCount; ++n) {
    const Row& row = rows_[n - 1];
    const bool empty = row.position < 1;
    std::snprintf(name, sizeof name, "position_%d", n);
    if (ui::UIWidget* widget = panel->GetWidgetByName(name)) {
      widget->SetText(std::to_string(empty ? n : row.position) + ".");
    }
    std::snprintf(name, sizeof name, "name_%d", n);
    if (ui::UIWidget* widget = panel->GetWidgetByName(name)) widget->SetText(empty ? "EMPTY_HS_NAME_SLOT" : row.name);
    std::snprintf(name, sizeof name, "hometown_%d", n);
    if (ui::UIWidget* widget = panel->GetWidgetByName(name)) widget->SetText(empty ? "" : row.hometown);
    std::snprintf(name, sizeof name, "score_%d", n);
    if (ui::UIWidget* widget = panel->GetWidgetByName(name)) widget->SetText(IntToGroupedString(row.score, ',', 3));
  }
  SetTab("tab_today", timeFrame_ == 2, "top_tag_highlight", "top_tag_dim");
  SetTab("tab_week", timeFrame_ == 1, "top_tag_highlight", "top_tag_dim");
  SetTab("tab_forever", timeFrame_ == 0, "top_tag_highlight", "top_tag_dim");
  SetTab("tab_local", !global_, "bottom_tag_highlight", "bottom_tag_dim");
  SetTab("tab_global", global_, "bottom_tag_highlight", "bottom_tag_dim");
  if (ui::UIWidget* title = panel->GetWidgetByName("highscore_title")) {
    title->SetText(global_ ? "HIGHSCORE_GLOBAL" : "HIGHSCORE_LOCAL");
  }
}

void KivHighscoreState::SetTab(const char* tabName, bool current, const char* highlight, const char* dim) {
  ui::UIWidget* tab = TablePanel() ? TablePanel()->GetWidgetByName(tabName) : nullptr;
  if (!tab) return;
  // Every tab shows its resting picture until the pointer next moves onto it: a tab left
  // lit by the click that just failed would look chosen beside the one that is.
  tab->state = ui::UIWidget::IS_Off;
  if (current) {
    // The tab in use takes no clicks.
    tab->SetIsActive(false);
    tab->SetOffImage(highlight);
    return;
  }
  tab->SetIsActive(true);
  ui::UIManager* manager = ui::UIManager::Existing();
  if (!tab->GetParent() && manager && manager->IsPanel(tab)) manager->PushPanelToFront(tab);
  tab->SetOffImage(dim);
  tab->SetOverImage(highlight);
  tab->SetClickImage(highlight);
}

KivHighscoreState* GetHighscore() {
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  if (!flow.current || flow.current->GetTypeName() != "kiv_highscore") return nullptr;
  return dynamic_cast<KivHighscoreState*>(flow.current);
}
