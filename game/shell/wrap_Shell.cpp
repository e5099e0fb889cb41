// Lua binding of the game's objects, in the order of kRegistrations below. Scripts get the
// process-wide objects and the current screens; the classes have no constructors.

#include <luabind/luabind.hpp>

#include "engine/core/Log.h"
#include "engine/ui/UIWidget.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivFashionPopup.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivUITransition.h"
#include "engine/background/BGEditor.h"
#include "engine/background/BGScene.h"
#include "game/board/KivGameState.h"
#include "game/board/KivHelp.h"
#include "game/board/KivSummary.h"
#include "game/board/KivWell.h"
#include "game/shell/KivVars.h"
#include "game/shell/KivHighscoreState.h"
#include "game/shell/KivMenuScreen.h"
#include "game/shell/MenuScreens.h"
#include "game/shell/Music.h"
#include "game/shell/Shell.h"
#include "platform/luaplus/LuaState.h"

namespace {

void RegisterKivVars(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivVars>("KivVars")
      .def("GetCoins", &KivVars::GetCoins)
      .def("SetCoins", &KivVars::SetCoins)
      .def("AddCoins", &KivVars::AddCoins)
      .def("HasHeadPiece", &KivVars::HasHeadPiece)
      .def("AddHeadPiece", &KivVars::AddHeadPiece)
      .def("GetCurrentHead", &KivVars::GetCurrentHead)
      .def("SetCurrentHead", &KivVars::SetCurrentHead)
      .def("GetHeadPieceC", &KivVars::GetHeadPieceC)
      .def("HasUpperPiece", &KivVars::HasUpperPiece)
      .def("AddUpperPiece", &KivVars::AddUpperPiece)
      .def("GetCurrentUpper", &KivVars::GetCurrentUpper)
      .def("SetCurrentUpper", &KivVars::SetCurrentUpper)
      .def("GetUpperPieceC", &KivVars::GetUpperPieceC)
      .def("HasLowerPiece", &KivVars::HasLowerPiece)
      .def("AddLowerPiece", &KivVars::AddLowerPiece)
      .def("GetCurrentLower", &KivVars::GetCurrentLower)
      .def("SetCurrentLower", &KivVars::SetCurrentLower)
      .def("GetLowerPieceC", &KivVars::GetLowerPieceC)
      .def("GetItemCount", &KivVars::GetItemCount)
      .def("ResetHanaVars", &KivVars::ResetHanaVars)
      .def("ResetTrophies", &KivVars::ResetTrophies)
      .def("GetAllFashion", &KivVars::GetAllFashion)
      .def("GetCheatMode", &KivVars::GetCheatMode)
      .def("SetCheatMode", &KivVars::SetCheatMode)
      .def("GetConstant", &KivVars::GetConstant)
      .def("SetFreeplay", &KivVars::SetFreeplay)
      .def("GetFreeplay", &KivVars::GetFreeplay)
      .def("CheckWinFreeplay", &KivVars::CheckWinFreeplay)
      .def("AddTrophy", &KivVars::AddTrophy)
      .def("HasTrophy", &KivVars::HasTrophy)
      .def("IsTrophyDisplayed", &KivVars::IsTrophyDisplayed)
      .def("SetTrophyDisplayed", &KivVars::SetTrophyDisplayed)
      .def("GetCurrentStory", &KivVars::GetCurrentStory)
      .def("SetCurrentStory", &KivVars::SetCurrentStory)
      .def("SetFlashHelp", &KivVars::SetFlashHelp)
      .def("IsFlashHelpEnabled", &KivVars::IsFlashHelpEnabled)
      .def("SetHintEnabled", &KivVars::SetHintEnabled)
      .def("IsHintEnabled", &KivVars::IsHintEnabled)
      .def("ResetHints", &KivVars::ResetHints)
      .def("GetLevelOpenC", &KivVars::GetLevelOpenC)
      .def("GetLevelCompleteC", &KivVars::GetLevelCompleteC)
      .def("GetLevelZenCompleteC", &KivVars::GetLevelZenCompleteC)
      .def("GetUserID", &KivVars::GetUserID)
      .def("SetUserID", &KivVars::SetUserID)
  ];
  luabind::module(L)[
    luabind::def("GetVars", &GetVars)
  ];
}

void RegisterKivMusic(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivMusic>("kiv_music")
      .def("SetTheme", &KivMusic::SetTheme)
      .def("SetSting", &KivMusic::SetSting)
      .def("ResumeCurrent", &KivMusic::ResumeCurrent)
  ];
  luabind::module(L)[
    luabind::def("GetMusic", &GetMusic)
  ];
}

void RegisterKivTrophyData(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivTrophyData>("KivTrophyData")
      .def("ProfileChanged", &KivTrophyData::ProfileChanged)
      .def("OnNewLevel", &KivTrophyData::OnNewLevel)
      .def("OnNewCity", &KivTrophyData::OnNewCity)
      .def("OnNewGame", &KivTrophyData::OnNewGame)
      .def("OnNewFashion", &KivTrophyData::OnNewFashion)
      .def("GetAllTrophyC", &KivTrophyData::GetAllTrophyC)
  ];
  luabind::module(L)[
    luabind::def("GetTrophyData", &GetTrophyData)
  ];
}

void RegisterKivUITransition(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivUITransition>("KivUITransition")
      .def("PopupWidget", &KivUITransition::PopupWidget)
      .def("PopdownWidget", &KivUITransition::PopdownWidget)
      .def("ForceComplete", &KivUITransition::ForceComplete)
      .def("ClearTransition", &KivUITransition::ClearTransition)
      .def("RemoveHints", &KivUITransition::RemoveHints)
  ];
  luabind::module(L)[
    luabind::def("GetUITransition", &GetUITransition)
  ];
}

void RegisterKivTrophyScreen(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivTrophyScreen>("KivTrophyScreen")
      .def("Enable", &KivTrophyScreen::Enable)
      .def("EnablePopup", &KivTrophyScreen::EnablePopup)
      .def("IsEnabled", &KivTrophyScreen::IsEnabled)
      .def("IsPopupEnabled", &KivTrophyScreen::IsPopupEnabled)
      .def("IsVisible", &KivTrophyScreen::IsVisible)
      .def("IsPopupVisible", &KivTrophyScreen::IsPopupVisible)
      .def("RefreshUI", &KivTrophyScreen::RefreshUI)
      .def("SetCloseCmd", &KivTrophyScreen::SetCloseCmd)
      .def("SetIdleCmd", &KivTrophyScreen::SetIdleCmd)
      .def("SetPopupCmd", &KivTrophyScreen::SetPopupCmd)
      .def("SetAllCmds", &KivTrophyScreen::SetAllCmds)
  ];
  luabind::module(L)[
    luabind::def("GetTrophyScreen", &GetTrophyScreen)
  ];
}

// The heroine as scripts see her: "KivHana" with the global GetHana (the catalogue's
// heroine).
void RegisterKivHana(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivHana>("KivHana")
      .def("SetPiece", &KivHana::SetPiece)
      .def("SetNext", &KivHana::SetNext)
      .def("IsVisible", &KivHana::IsVisible)
      .def("SetVisible", &KivHana::SetVisible)
      .def("GetSize", &KivHana::GetSize)
      .def("SetPos", &KivHana::SetPos)
      .def("SetScale", &KivHana::SetScale)
      .def("GetPos", &KivHana::GetPos)
      .def("Reset", &KivHana::Reset)
      .def("ReloadCurrent", &KivHana::ReloadCurrent)
      .def("IsAvailable", &KivHana::IsAvailable)
  ];
  luabind::module(L)[
    luabind::def("GetHana", &GetHana)
  ];
}

void RegisterKivFashionPopup(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivFashionPopup>("KivFashionPopup")
      .def("Enable", &KivFashionPopup::Enable)
      .def("SetItem", &KivFashionPopup::SetItem)
      .def("OnMouseOver", &KivFashionPopup::OnMouseOver)
      .def("OnMouseLeave", &KivFashionPopup::OnMouseLeave)
      .def("OnBuyItem", &KivFashionPopup::OnBuyItem)
      .def("SetTooltip", &KivFashionPopup::SetTooltip)
  ];
  luabind::module(L)[
    luabind::def("GetFashionPopup", &GetFashionPopup)
  ];
}

void RegisterKivFashionStudio(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivFashionStudio>("KivFashionStudio")
      .def("Enable", &KivFashionStudio::Enable)
      .def("GetIsVisible", &KivFashionStudio::GetIsVisible)
      .def("SetIsVisible", &KivFashionStudio::SetIsVisible)
      .def("ChangePart", &KivFashionStudio::ChangePart)
      .def("RefreshParts", &KivFashionStudio::RefreshParts)
      .def("SetTooltip", &KivFashionStudio::SetTooltip)
  ];
  luabind::module(L)[
    luabind::def("GetStudio", &GetStudio)
  ];
}

// The game's board as scripts see it through the level state: no constructor, the level
// state makes and owns it.
void RegisterKivWell(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivWell>("KivWell")
      .def("WinGame", &KivWell::WinGame)
      .def("LooseGame", &KivWell::LooseGame)
      .def("HasWon", &KivWell::HasWon)
      .def("AddGold", &KivWell::AddGold)
      .def("GetGold", &KivWell::GetGold)
      .def("AddZen", &KivWell::AddZen)
      .def("GetSpellCharge", &KivWell::GetSpellCharge)
      .def("SetSpellCost", &KivWell::SetSpellCost)
      .def("GetScore", &KivWell::GetScore)
      .def("AdjustCounter", &KivWell::AdjustCounter)
      .def("StartEnterFade", &KivWell::StartEnterFade)
      .def("StartLeaveFade", &KivWell::StartLeaveFade)
      .def("HidePopups", &KivWell::HidePopups)
  ];
}

// The level state as scripts see it: "GameState" with the globals GetGame, GetWell, GetBG
// and GetBGEditor (nil when nothing fits). The scene classes come first.
void RegisterKivGameState(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivGameState>("GameState")
      .def("LoadLevel", &KivGameState::LoadLevel)
      .def("SaveWell", &KivGameState::SaveWell)
      .def("LoadWell", &KivGameState::LoadWell)
      .def("ShutdownLevel", &KivGameState::ShutdownLevel)
      .def("Pause", &KivGameState::Pause)
      .def("ShowHelp", &KivGameState::ShowHelp)
      .def("IsPaused", &KivGameState::IsPaused)
      .def("TriggerSpell", &KivGameState::TriggerSpell)
      .def("AddZen", &KivGameState::AddZen)
      .def("GetZen", &KivGameState::GetZen)
      .def("SetSpellCost", &KivGameState::SetSpellCost)
      .def("AddTrophy", &KivGameState::AddTrophy)
      .def("SetTooltip", &KivGameState::SetTooltip)
      .def("StartLevelOpening", &KivGameState::StartLevelOpening)
      .def("StartLevelClosing", &KivGameState::StartLevelClosing)
      .def("StartLevelReplaying", &KivGameState::StartLevelReplaying)
      .def("StartLevelReturnToMap", &KivGameState::StartLevelReturnToMap)
      .def("FinishLevelOpening", &KivGameState::FinishLevelOpening)
      .def("StartLevelSummary", &KivGameState::StartLevelSummary)
      .def("SetZenBreak", &KivGameState::SetZenBreak)
      .def("Reshuffle", &KivGameState::Reshuffle)
  ];
  luabind::module(L)[
    luabind::def("GetGame", &GetGame),
    luabind::def("GetWell", &GetWell),
    luabind::def("GetBG", &GetBG),
    luabind::def("GetBGEditor", &GetBGEditor)
  ];
}

// The tip manager: "KivHelp" with the global GetHelp.
void RegisterKivHelp(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivHelp>("KivHelp")
      .def("TriggerHelpWidget", &KivHelp::TriggerHelpWidget)
      .def("TriggerHelpWidgetArea", &KivHelp::TriggerHelpWidgetArea)
      .def("ShouldShowHint", &KivHelp::ShouldShowHint)
      .def("MapStringToTip", &KivHelp::MapStringToTip)
      .def("RemoveCurrent", &KivHelp::RemoveCurrent)
      .def("RemoveAll", &KivHelp::RemoveAll)
  ];
  luabind::module(L)[
    luabind::def("GetHelp", &GetHelp)
  ];
}

// The end-of-level summary: "KivSummary" with the global GetSummary.
void RegisterKivSummary(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivSummary>("KivSummary")
      .def("Enable", &KivSummary::Enable)
      .def("Start", &KivSummary::Start)
      .def("IsComplete", &KivSummary::IsComplete)
      .def("ForceComplete", &KivSummary::ForceComplete)
      .def("Cleanup", &KivSummary::Cleanup)
  ];
  luabind::module(L)[
    luabind::def("GetSummary", &GetSummary)
  ];
}

// The highscore screen as its panel's scripts see it: "KivHighscoreState" with the global
// "GetHighscore" (nil unless the screen is current).
void RegisterKivHighscoreState(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivHighscoreState>("KivHighscoreState")
      .def("HighscoreTab", &KivHighscoreState::HighscoreTab)
      .def("SetLocalHS", &KivHighscoreState::SetLocalHS)
      .def("SetGlobalHS", &KivHighscoreState::SetGlobalHS)
  ];
  luabind::module(L)[
    luabind::def("GetHighscore", &GetHighscore)
  ];
}

// The menu family's getters, and the story screen's class with its getter.
void RegisterMenuGetters(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivMenuScreen>("KivMenuScreen"),
    luabind::class_<KivShopState, KivMenuScreen>("KivShopState"),
    luabind::def("GetMenuState", &GetMenuState),
    luabind::def("GetShopScreen", &GetShopScreen)
  ];
}

void RegisterTrophyStateGetter(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivTrophyState, KivMenuScreen>("KivTrophyState"),
    luabind::def("GetTrophyState", &GetTrophyState)
  ];
}

void RegisterKivStoryState(lua_State* L) {
  luabind::module(L)[
    luabind::class_<KivStoryState, KivMenuScreen>("KivStoryState")
      .def("WinGame", &KivStoryState::WinGame),
    luabind::def("GetStoryState", &GetStoryState)
  ];
}

struct Registration {
  const char* name;
  void (*registration)(lua_State*);
};

// The order in which the game's script interface is registered.
const Registration kRegistrations[] = {
    {"GameState", &RegisterKivGameState},
    {"KivHana", &RegisterKivHana},
    {"GetMenuState", &RegisterMenuGetters},
    {"KivVars", &RegisterKivVars},
    {"KivFashionPopup", &RegisterKivFashionPopup},
    {"KivFashionStudio", &RegisterKivFashionStudio},
    {"KivSummary", &RegisterKivSummary},
    {"KivHighscoreState", &RegisterKivHighscoreState},
    {"KivTrophyScreen", &RegisterKivTrophyScreen},
    {"GetTrophyState", &RegisterTrophyStateGetter},
    {"KivTrophyData", &RegisterKivTrophyData},
    {"KivStoryState", &RegisterKivStoryState},
    {"KivUITransition", &RegisterKivUITransition},
    {"KivHelp", &RegisterKivHelp},
    {"kiv_music", &RegisterKivMusic},
};

}  // namespace

bool RegisterShellScripts(LuaState* state, const std::function<void(const std::string&)>& registered) {
  if (!state) return false;
  // The level state's scripts reach the board and the scene through it.
  try {
    RegisterKivWell(state->GetCState());
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register the game's script classes: " << e.what();
    return false;
  }
  if (!background::RegisterBGClasses(state)) return false;
  for (const Registration& entry : kRegistrations) {
    try {
      entry.registration(state->GetCState());
    } catch (const std::exception& e) {
      LOG_LINE(MSG_ERROR) << "Unable to register the game's script classes: " << e.what();
      return false;
    }
    if (registered) registered(entry.name);
  }
  return true;
}
