#pragma once

#include <string>

#include "engine/core/Timer.h"

namespace ui {
class UIWidget;
}

// A timed animation of a widget: it waits out a delay, runs for its run time (Apply every
// frame), puts the widget into its end state and runs its finish script (OnFinish). A
// widget runs the first mover of its queue each tick and deletes it once it is done; the
// kinds (moves, fades, image changes, ...) derive from this base.
class UIMover {
 public:
  // Both timers start full; a run time of 0 or less makes an instant mover, which
  // finishes as soon as its delay has run out.
  UIMover(ui::UIWidget* widget, float delay, float runTime, bool autoRemove);
  virtual ~UIMover() = default;
  UIMover(const UIMover&) = delete;
  UIMover& operator=(const UIMover&) = delete;

  // One frame: the delay first (the frame in which it runs out does nothing else), then
  // Apply with the progress before this frame's time is taken off, then OnFinish once the
  // run time is over (unless the finish is to be skipped). The timers are lowered by plain
  // subtraction: a timer is over when its remaining time is below 0, so a delay of 0
  // still costs one frame.
  virtual void Update(float dt);
  // The finish step: done when auto-remove is set, and the finish script runs unless the
  // finish is skipped. Kinds put the widget into their end state first, then call this.
  virtual void OnFinish();
  // The running phase's change of the widget; the base changes nothing.
  virtual void Apply(float dt) {}

  // The run timer's progress, clamp(1 - remaining / duration, 0, 1).
  float Progress() const { return runTimer.Progress(); }

  ui::UIWidget* widget = nullptr;  // not owned
  std::string finishScript;
  CountdownTimer runTimer;
  CountdownTimer delayTimer;
  bool autoRemove = true;
  bool skipFinish = false;
  bool instant = false;
  bool done = false;
};
