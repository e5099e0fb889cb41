#pragma once

#include <string>

#include "engine/core/Math.h"
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

// Moves the widget from start to end (positions relative to its parent) over the run
// time, and leaves it exactly at end.
class UIMove : public UIMover {
 public:
  UIMove(ui::UIWidget* widget, float delay, float runTime, const math::Vec2& from,
         const math::Vec2& to);
  void Apply(float dt) override;
  void OnFinish() override;

  // Script functions: a pan from where the widget stands now (relative to its parent, the
  // position SetPosition takes) to the target; a move between the first two and the last
  // two components of fromTo. Nothing for a null widget.
  static void AddUIPan(ui::UIWidget* widget, float delay, float time, const math::Vec2& target,
                       const std::string& script);
  static void AddUIMove(ui::UIWidget* widget, float delay, float time, const math::Vec4& fromTo,
                        const std::string& script);

  math::Vec2 start;
  math::Vec2 end;
};

// Sways the widget about a centre (relative to its parent) on each axis: amplitude x
// sin(elapsed / period x 6.28318 + phase). It has no end of its own: it runs until the
// widget's ClearMovers ends it, with the widget back at its centre, or DeleteMovers
// deletes it. Movers queued behind it wait until then. An axis whose period is 0 stays at
// its centre.
class UISine : public UIMover {
 public:
  UISine(ui::UIWidget* widget, const math::Vec2& centre, const math::Vec2& amplitude,
         const math::Vec2& period, const math::Vec2& phase);
  void Update(float dt) override;
  void Apply(float dt) override;
  void OnFinish() override;

  // Script function: the centre is where the widget stands now; each wave is (amplitude,
  // period, time offset), the phase being offset / period x 6.28318.
  static void AddUISine(ui::UIWidget* widget, const math::Vec3& xWave, const math::Vec3& yWave);

  math::Vec2 centre;
  math::Vec2 amplitude;
  math::Vec2 period;
  math::Vec2 phase;
  float elapsed = 0.0f;
};

// Blends the widget's colour from one colour to another (channels in [0, 1]).
class UIXFade : public UIMover {
 public:
  UIXFade(ui::UIWidget* widget, float delay, float runTime, const math::Vec4& from,
          const math::Vec4& to);
  void Apply(float dt) override;
  void OnFinish() override;

  // Script function: red, green and blue stay the widget's present ones; alpha runs from
  // alphas.x to alphas.y.
  static void AddUIXFade(ui::UIWidget* widget, float delay, float time, const math::Vec2& alphas,
                         const std::string& script);

  math::Vec4 startColour;
  math::Vec4 endColour;
};

// Loads the widget's off image from a file once its delay has run out.
class UISetImage : public UIMover {
 public:
  UISetImage(ui::UIWidget* widget, float delay, const std::string& file);
  void OnFinish() override;

  static void AddSetImage(ui::UIWidget* widget, float time, const std::string& file,
                          const std::string& script);

  std::string imageFile;
};

// Runs a progress bar's value from one value to another.
class UIMoveProgress : public UIMover {
 public:
  UIMoveProgress(ui::UIWidget* widget, float runTime, float from, float to);
  void Apply(float dt) override;
  void OnFinish() override;

  // Script function: only for a progress bar; any other widget gets nothing.
  static void AddMoveProg(ui::UIWidget* widget, float time, float from, float to,
                          const std::string& script);

  float from = 0.0f;
  float to = 0.0f;
};
