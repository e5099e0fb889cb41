#pragma once

#include <string>

#include "engine/core/Math.h"
#include "engine/part2d/Part2D.h"
#include "engine/ui/UISprite.h"
#include "engine/ui/WidgetHandle.h"

namespace ui {
class UIWidget;
}

// Opens and closes the game's popup panels with an effect. Opening: the panel comes to
// the front and shows with its frame widget hidden; the frame's image grows out of its
// centre and fades in over 0.2 s, then the frame widget shows with the sound "popup_open",
// a burst of sparkles along its edges and the opening's script. Closing: the panel goes to
// the back and hides at once, with sparkles and the sound "popup_close". The screens that
// host popups tick it and draw it (after their UI) every frame. Scripts reach it as the
// class "KivUITransition" through "GetUITransition".
//
// The panel and frame widget are held through handles: a script may drop the panel, or
// the manager reload it, while it opens. An opening whose panel went ends without effects.
class KivUITransition {
 public:
  static constexpr const char* kSparklesFile = "effects/popup_fx.p2d";
  static constexpr const char* kOpenSound = "popup_open";
  static constexpr const char* kCloseSound = "popup_close";
  // Progress per second: the opening takes 0.2 s.
  static constexpr float kOpeningSpeed = 5.0f;
  static constexpr float kProgressSlack = 1e-5f;
  // A burst's rectangle is inset by this on each side, and each of its four edges emits
  // this many times.
  static constexpr float kBurstInset = 0.05f;
  static constexpr int kBurstRounds = 10;

  // The process-wide object, built on first use (its sparkles are loaded then).
  static KivUITransition& Instance();
  // The object when it has been built, else null (the ordered shutdown builds none).
  static KivUITransition* Existing() { return s_live; }

  KivUITransition();
  virtual ~KivUITransition();
  KivUITransition(const KivUITransition&) = delete;
  KivUITransition& operator=(const KivUITransition&) = delete;

  void Tick(float dt);
  void Render();

  // Opens the panel with its frame widget; the script runs when the opening completes.
  // Nothing for a null panel or widget, for the panel already opening or a visible one;
  // another opening completes first.
  void StartPopup(ui::UIWidget* panel, ui::UIWidget* widget, const std::string& script);
  // Closes the panel; an opening of it is abandoned without its sound, sparkles or script.
  void StartPopdown(ui::UIWidget* panel, ui::UIWidget* widget);
  // Ends the opening: the frame widget shows; with effects, the opening sound, sparkles
  // and script.
  void Finish(bool withEffects);

  // --- The script class ---
  // Panel and widget found by name (the widget anywhere in the panel, case ignored).
  void PopupWidget(const std::string& panelName, const std::string& widgetName,
                   const std::string& script);
  void PopdownWidget(const std::string& panelName, const std::string& widgetName);
  void ForceComplete();
  // Ends an opening without effects and removes every sparkle in flight.
  void ClearTransition();
  // Hides the tip on show and forgets the tips waiting.
  void RemoveHints();

  // --- State (read by the hosts and tests) ---
  bool IsOpening() const { return static_cast<bool>(target_); }
  ui::UIWidget* Target() const { return target_.Get(); }
  float Progress() const { return progress_; }
  const ui::UISprite& Image() const { return image_; }
  part2d::Part2D& Sparkles() { return sparkles_; }

  // Forgets the opening and the sparkles' particles; the ordered shutdown calls it.
  void Shutdown();

 private:
  static inline KivUITransition* s_live = nullptr;

  void Burst(float x, float y, float w, float h);
  static void PlaySound(const char* name);

  ui::WidgetHandle target_;
  ui::WidgetHandle frame_;
  ui::UISprite image_;
  float rect_[4] = {};  // x, y, width, height
  float progress_ = 0.0f;
  std::string script_;
  part2d::Part2D sparkles_;
};

// The global function "GetUITransition" of the scripts.
KivUITransition* GetUITransition();
