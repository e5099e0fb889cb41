#pragma once

#include <array>
#include <cstdint>

#include "engine/core/Math.h"
#include "engine/ui/PanelHandle.h"
#include "engine/ui/UINumber.h"
#include "engine/ui/WidgetHandle.h"

namespace ui {
class UIWidget;
class UIProgress;
}  // namespace ui

// The in-level display over the board: the score counting up to the level score, the
// value of the chain being drawn, the gold, the zen bar and the six spell bars, on the
// widgets of the panel "in_game".
//
// The widgets are held through handles: the UI manager may rebuild the panel from its file
// (RefreshActive) or a script drop it and add it again. FollowPanel then finds them in the
// new panel and shows what the display shows; what others had put into the panel (which
// spell bars show, "Start again") is theirs to put back.
class KivGameHud {
 public:
  static constexpr const char* kPanel = "in_game";
  static constexpr const char* kIntroPanel = "intro_dlg";
  static constexpr const char* kDigits = "img/score_number.lua";
  static constexpr float kCountRate = 1000.0f;
  static constexpr int32_t kSpellBars = 6;

  KivGameHud() = default;
  virtual ~KivGameHud() = default;
  KivGameHud(const KivGameHud&) = delete;
  KivGameHud& operator=(const KivGameHud&) = delete;

  // Loads the digits and finds the widgets; the panel "in_game" is shown.
  virtual void Init();
  // The chain value, centred on "set_box", grown with the chain's length.
  virtual void Render();
  virtual void Update(float dt);
  virtual void Reset();
  // True when the panel "in_game" was rebuilt (or came) since the last look: its widgets
  // are found again, and the score, chain and coins texts and the zen bar shown at once.
  bool FollowPanel();
  // The level's introduction is up: the board waits.
  bool IntroShown();

  // The scale of the chain value for a chain of that length.
  static float ChainScale(int32_t length);
  // The zen bar's value for that much zen: 1 - zen / max, in [0, 1]; a bar of no size
  // reads as empty of zen.
  static float ZenBarValue(int32_t zen, int32_t maxZen);

  void SetScore(int32_t value) { score = value; }
  // The centre of "zen_power" and of spell bar i; (0, 0) without the widget.
  math::Vec2 ZenCentre() const;
  math::Vec2 SpellCentre(int32_t i) const;
  // "zen_power" and spell bar i (0 to 5), each only when it is a progress widget.
  ui::UIProgress* ZenBar() const;
  ui::UIProgress* SpellBar(int32_t i) const;

  int32_t score = 0;
  int32_t chainValue = 0;
  int32_t chainLength = 0;
  int32_t gold = 0;
  int32_t zenShown = 0;
  std::array<int32_t, 3> boardCounters{};
  float shownScore = 0.0f;

  ui::PanelHandle panel{kPanel};
  ui::WidgetHandle levelWidget;
  ui::WidgetHandle scoreBox;
  ui::WidgetHandle setBox;
  ui::WidgetHandle coinsBox;
  ui::WidgetHandle puzzleReset;
  // Progress widgets only (ZenBar, SpellBar).
  ui::WidgetHandle zenPower;
  std::array<ui::WidgetHandle, kSpellBars> spellBars;
  ui::PanelHandle introDialog{kIntroPanel};
  ui::UINumber digits;

 private:
  void FindWidgets();
  // The score as counted up so far, the chain's empty text, the coins and the zen bar.
  void ShowValues();
};
