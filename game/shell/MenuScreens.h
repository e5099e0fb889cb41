#pragma once

#include <string>

#include "engine/core/Math.h"
#include "engine/ui/WidgetHandle.h"
#include "game/shell/KivMenuScreen.h"

// The simple screens of the menu family: the two maps, the story, the trophy room and the
// shop.

// A map of levels ("kiv_map"). Its buttons are laid out on entry by one short UI tick, so
// the first frame already shows them in place.
class KivMapState : public KivMenuScreen {
 public:
  using KivMenuScreen::KivMenuScreen;
  bool OnEnter() override;
  std::string GetTypeName() const override { return "kiv_map"; }
};

// The story between chapters ("kiv_story"), with the trophy screen ticked and drawn over it
// for the adventure's last trophy.
class KivStoryState : public KivMenuScreen {
 public:
  static constexpr const char* kCreditsCommand = "GoCredits()";
  static constexpr const char* kIdleCommand = "OnTrophyIdle()";
  static constexpr const char* kPopupCommand = "OnTrophyPopupClose()";

  using KivMenuScreen::KivMenuScreen;
  bool OnEnter() override;
  bool OnExit() override;
  bool Tick(float dt) override;
  std::string GetTypeName() const override { return "kiv_story"; }
  void RenderForeground() override;

  // The end of the story: the credits at once when the profile owns the adventure's
  // trophy; otherwise the trophy is added and its popup opens, and closing it runs the
  // credits. Nothing without such a trophy in the table.
  void WinGame();
};

// The trophy room ("kiv_trophy"): the trophy screen with "MainMenu()" as its close
// command. Should the room end up closed without a change of state, the state itself runs
// "MainMenu()", once per visit.
class KivTrophyState : public KivMenuScreen {
 public:
  static constexpr const char* kMainMenuCommand = "MainMenu()";

  using KivMenuScreen::KivMenuScreen;
  bool OnEnter() override;
  bool OnExit() override;
  bool Tick(float dt) override;
  std::string GetTypeName() const override { return "kiv_trophy"; }
  void RenderForeground() override;

  bool left = false;
};

// The shop ("kiv_shop"): the heroine stands in the panel's "hana_pos" and the fashion
// studio opens over it. Once the studio is closed (or when it has no panel), the shop
// sends the player to the map of the mode in play, once per visit.
class KivShopState : public KivMenuScreen {
 public:
  static constexpr const char* kHanaPlace = "hana_pos";
  static constexpr const char* kStoryMap = "MapAsia()";
  static constexpr const char* kFreePlayMap = "MapZen()";

  using KivMenuScreen::KivMenuScreen;
  bool OnEnter() override;
  bool OnExit() override;
  bool Tick(float dt) override;
  std::string GetTypeName() const override { return "kiv_shop"; }
  void RenderForeground() override;

  // The scale that makes the heroine, `size` at her present scale, cover the place: the
  // larger of the two ratios. The present scale when either extent is 0 (no division by
  // zero).
  static float CoverScale(float present, const math::Vec2& place, const math::Vec2& size);

  // The panel's "hana_pos", found at each entry; empty when the panel lacks it or once
  // the panel is deleted (reloaded).
  ui::WidgetHandle hanaPlace;
  bool mapRequested = false;
};

// The game flow's current state when its type name is the getter's, else null (also while
// a transition has not made the screen current yet).
KivMenuScreen* GetMenuState();
KivTrophyState* GetTrophyState();
KivStoryState* GetStoryState();
KivShopState* GetShopScreen();
