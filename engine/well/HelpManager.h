#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/Timer.h"
#include "engine/well/HelpPopup.h"

namespace well {

// The in-level help: a queue of hints shown one at a time in a popup that the derived
// manager makes. A hint that is not enabled when its turn comes is dropped.
class HelpManager {
 public:
  struct Hint {
    int32_t id = 0;
    math::Vec2 pointA{0.0f, 0.0f};
    math::Vec2 pointB{0.0f, 0.0f};
  };

  HelpManager() = default;
  virtual ~HelpManager();
  HelpManager(const HelpManager&) = delete;
  HelpManager& operator=(const HelpManager&) = delete;

  // Opens the first waiting hint while the popup is hidden.
  virtual void ShowNext();
  // Once the popup has been up for its minimum time: closes it (with its animation when
  // nothing waits, else at once) and shows the next hint.
  virtual void CloseHint();
  virtual bool IsHintEnabled(int32_t id) = 0;
  virtual void OnHintShown(int32_t id) = 0;
  virtual void CreatePopup() = 0;
  // The text key of a hint: "HINT_01" for id 0, "HINT_10" for id 9.
  virtual std::string GetTipName(int32_t id);

  // Queues the hint over the rectangle (a, b) and shows it when the popup is free.
  void ShowHint(int32_t id, const math::Vec2& pointA, const math::Vec2& pointB);
  bool IsPopupActive() const { return popup_ && popup_->state != HintPopup::kHidden; }
  void HidePopup() {
    if (popup_) popup_->Hide();
  }
  bool IsQueueEmpty() const { return queue_.empty(); }
  void TickPopup(float dt) {
    if (popup_) popup_->Tick(dt);
  }
  void RenderPopup(const math::Vec2& offset) {
    if (popup_) popup_->Render(offset);
  }

  HintPopup* GetPopup() const { return popup_.get(); }
  const std::vector<Hint>& GetQueue() const { return queue_; }

 protected:
  void SetPopup(HintPopup* popup) { popup_.reset(popup); }
  std::vector<Hint>& Queue() { return queue_; }

  std::unique_ptr<HintPopup> popup_;
  CountdownTimer timer_;
  std::vector<Hint> queue_;
  // Placement of the popup's box: right and bottom, then left and top.
  math::Vec2 placementEnd_{10.9f, 10.99f};
  math::Vec2 placementStart_{0.01f, 0.05f};
};

}  // namespace well
