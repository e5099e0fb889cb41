#include "game/shell/MenuScreens.h"

#include <algorithm>

#include "engine/app/GameFlowManager.h"
#include "engine/core/Console.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivVars.h"

namespace {

// A tick this short lays the panels out without moving anything that runs on time.
constexpr float kLayoutTick = 0.000001f;

void LayOutPanels() {
  if (ui::UIManager* manager = ui::UIManager::Existing()) manager->Tick(kLayoutTick);
}

void RunScript(const std::string& script) { console::GetConsole().Do(script); }

template <typename State>
State* CurrentOfType(const char* typeName) {
  GameState* current = gameflow::GameFlowManager::Instance().current;
  if (!current || current->GetTypeName() != typeName) return nullptr;
  return dynamic_cast<State*>(current);
}

}  // namespace

// --- Maps ---

bool KivMapState::OnEnter() {
  KivMenuScreen::OnEnter();
  LayOutPanels();
  return true;
}

// --- Story ---

bool KivStoryState::OnEnter() {
  KivMenuScreen::OnEnter();
  LayOutPanels();
  return true;
}

bool KivStoryState::OnExit() {
  KivTrophyScreen::Instance().Enable(false);
  return KivMenuScreen::OnExit();
}

bool KivStoryState::Tick(float dt) {
  KivTrophyScreen::Instance().Tick(dt);
  return KivMenuScreen::Tick(dt);
}

void KivStoryState::RenderForeground() {
  KivMenuScreen::RenderForeground();
  KivTrophyScreen::Instance().Render();
}

void KivStoryState::WinGame() {
  const KivTrophyData::Record* trophy = KivTrophyData::Instance().FindByCondition(KivTrophyData::kSpecialWinAdventure);
  if (!trophy) return;
  KivVars& vars = KivVars::Instance();
  if (vars.HasTrophy(trophy->index)) {
    RunScript(kCreditsCommand);
    return;
  }
  vars.AddTrophy(trophy->index);
  KivTrophyScreen& screen = KivTrophyScreen::Instance();
  screen.SetAllCmds(kCreditsCommand, kIdleCommand, kPopupCommand);
  screen.EnablePopup(true, trophy->index);
}

// --- Trophy room ---

bool KivTrophyState::OnEnter() {
  KivMenuScreen::OnEnter();
  left = false;
  KivTrophyScreen& screen = KivTrophyScreen::Instance();
  screen.SetAllCmds(kMainMenuCommand, "", "");
  screen.Enable(true);
  screen.RefreshUI();
  LayOutPanels();
  return true;
}

bool KivTrophyState::Tick(float dt) {
  KivTrophyScreen& screen = KivTrophyScreen::Instance();
  if (screen.IsEnabled()) {
    screen.Tick(dt);
  } else if (!left) {
    RunScript(kMainMenuCommand);
    left = true;
  }
  return KivMenuScreen::Tick(dt);
}

bool KivTrophyState::OnExit() {
  KivTrophyScreen::Instance().Enable(false);
  left = true;
  return KivMenuScreen::OnExit();
}

void KivTrophyState::RenderForeground() {
  KivMenuScreen::RenderForeground();
  KivTrophyScreen::Instance().Render();
}

// --- Shop ---

float KivShopState::CoverScale(float present, const math::Vec2& place, const math::Vec2& size) {
  // A heroine without extent in either direction keeps her scale: the ratio would divide
  // by zero.
  if (size.x <= 0.0f || size.y <= 0.0f) return present;
  return std::max(place.x / size.x, place.y / size.y);
}

bool KivShopState::OnEnter() {
  KivMenuScreen::OnEnter();
  ui::UIWidget* panel = GetPanel(0);
  hanaPlace.Reset(panel ? panel->GetWidgetByName(kHanaPlace) : nullptr);
  KivHana* hana = KivDresses::Instance().GetHana();
  if (hanaPlace && hana) {
    hana->SetPos(hanaPlace->GetPosition());
    hana->SetScale(CoverScale(hana->GetScale(), hanaPlace->GetSize(), hana->GetSize()));
  }
  mapRequested = false;
  KivFashionStudio& studio = KivFashionStudio::Instance();
  studio.SetIsVisible(true);
  studio.RefreshParts();
  return true;
}

bool KivShopState::Tick(float dt) {
  KivFashionStudio& studio = KivFashionStudio::Instance();
  if (studio.GetIsVisible()) {
    if (studio.TakePartsChanged()) {
      if (KivHana* hana = KivDresses::Instance().GetHana()) hana->ReloadCurrent();
    }
  } else if (!mapRequested) {
    RunScript(KivVars::Instance().GetFreeplay() ? kFreePlayMap : kStoryMap);
    mapRequested = true;
  }
  return KivMenuScreen::Tick(dt);
}

bool KivShopState::OnExit() {
  KivFashionStudio::Instance().SetIsVisible(false);
  return KivMenuScreen::OnExit();
}

void KivShopState::RenderForeground() {
  KivMenuScreen::RenderForeground();
  KivFashionStudio::Instance();
}

// --- Getters ---

KivMenuScreen* GetMenuState() { return CurrentOfType<KivMenuScreen>("kiv_menu"); }
KivTrophyState* GetTrophyState() { return CurrentOfType<KivTrophyState>("kiv_trophy"); }
KivStoryState* GetStoryState() { return CurrentOfType<KivStoryState>("kiv_story"); }
KivShopState* GetShopScreen() { return CurrentOfType<KivShopState>("kiv_shop"); }
