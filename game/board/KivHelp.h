#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"

namespace ui {
class UIWidget;
}

// The game's tips: small framed popups that explain something the first time it happens,
// pointing at a part of the screen. This is the interface the board, the level state and
// the popup transitions call; for now it shows no tip (every tip is declined) and keeps no
// queue, so that removing every tip always leaves nothing waiting.
class KivHelp {
 public:
  // The process-wide object, built on first use.
  static KivHelp& Instance();

  KivHelp() = default;
  virtual ~KivHelp() = default;
  KivHelp(const KivHelp&) = delete;
  KivHelp& operator=(const KivHelp&) = delete;

  // Whether the tip may still be shown in the current profile.
  virtual bool ShouldShowHint(int32_t id) const;
  // A tip over the rectangle (a, b): at once when delay <= 0, else after the delay.
  void ShowHint(int32_t id, const math::Vec2& a, const math::Vec2& b);
  void QueueRequest(int32_t id, const math::Vec2& a, const math::Vec2& b, float delay);
  void TriggerHelpWidget(int32_t id, ui::UIWidget* widget, float delay);
  void TriggerHelpWidgetArea(int32_t id, ui::UIWidget* first, ui::UIWidget* second, float delay);
  // The tip id of a name (case ignored), -1 for none.
  int32_t MapStringToTip(const std::string& name) const;
  // Closes the tip on show.
  void RemoveCurrent();
  // Closes the tip on show and forgets every tip waiting.
  void RemoveAll();
  // Empties the waiting lists and hides the tip on show (a new level).
  void Reset();

  void Tick(float dt);
  void Render();

  // Tips waiting to be shown.
  int32_t PendingCount() const { return pending_; }
  // How many times every tip was removed (RemoveAll).
  int32_t RemoveAllCount() const { return removeAllCount_; }

 private:
  int32_t pending_ = 0;
  int32_t removeAllCount_ = 0;
};

// The global function "GetHelp" of the scripts.
KivHelp* GetHelp();
