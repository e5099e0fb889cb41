#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/well/HelpManager.h"

class FrameTimer;
namespace ui {
class UIWidget;
}

// The game's tips: small framed popups that explain something the first time it happens
// in a profile, pointing at a part of the screen. A tip is shown once per profile (its
// shown flag is game variable 100 + id), never while the player has switched hints off
// (variable 13), except tip 23, which shows every time. Requests with a delay wait until
// no tip is open and the left button is up, then run down and show.
class KivHelp : public well::HelpManager {
 public:
  static constexpr int32_t kTipCount = 24;
  static constexpr int32_t kHintsOffVar = 13;
  static constexpr int32_t kShownVarBase = 100;
  static constexpr int32_t kAlwaysShownTip = 23;
  // "FASHION_CHANGE_HINT": offered at a level's start while the player owns clothes she has
  // not tried on; trying a piece on in the studio marks it shown.
  static constexpr int32_t kStudioTip = 21;

  struct Request {
    math::Vec2 a{0.0f, 0.0f};
    math::Vec2 b{0.0f, 0.0f};
    float delay = 0.0f;
    int32_t id = 0;
  };

  // The process-wide object, built on first use; Shutdown ends it (the ordered exit).
  static KivHelp& Instance();
  static KivHelp* Existing();
  static void Shutdown();

  KivHelp();
  ~KivHelp() override;

  // --- The manager's slots ---
  bool IsHintEnabled(int32_t id) override { return ShouldShowHint(id); }
  void OnHintShown(int32_t id) override { MarkShown(id); }
  void CreatePopup() override;
  std::string GetTipName(int32_t id) override { return TipName(id); }

  // Whether the tip may still be shown in the current profile.
  virtual bool ShouldShowHint(int32_t id) const;
  // Marks the tip shown in the current profile.
  virtual void MarkShown(int32_t id) { MarkShownInProfile(id); }
  // The same without a tip manager: the studio marks its tip once a piece is tried on.
  static void MarkShownInProfile(int32_t id);
  // The popup, then (while no tip is open and the left button is up) the delays.
  virtual void Tick(float dt);

  // The tip names: "TIP_FIRST_GOLD" for 0 ... "ZEN_NOT_POWERED_YET" for 23, else "".
  static std::string TipName(int32_t id);
  // The tip of a spell becoming available: 0 match, 1 fireball, 2 tilegrab, 3
  // flowerblast, 4 time, 5 lightning; "" for others.
  static std::string GetSpellTipName(int32_t spell);

  // A request over the rectangle (a, b): waits for the delay unless one of that tip waits
  // already (whose delay then stands).
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
  void Render();

  // A tip is open (or opening or closing).
  bool ShowsHint() const { return IsPopupActive(); }
  // The clock the popups stamp their opening with (FrameTimer's unless set).
  void SetClock(const FrameTimer* clock);

  const std::vector<Request>& GetRequests() const { return requests_; }
  // Tips waiting to be shown: the delayed requests and the queued hints.
  int32_t PendingCount() const { return static_cast<int32_t>(requests_.size() + queue_.size()); }
  // How many times every tip was removed (RemoveAll).
  int32_t RemoveAllCount() const { return removeAllCount_; }

 private:
  void RequestTip(int32_t id, const math::Vec2& a, const math::Vec2& b, float delay);

  std::vector<Request> requests_;
  int32_t removeAllCount_ = 0;
  const FrameTimer* clock_ = nullptr;
};

// The global function "GetHelp" of the scripts.
KivHelp* GetHelp();
