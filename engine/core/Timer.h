#pragma once

#include <cstdint>

// The process-wide frame clock on the performance counter. The main loop calls Update
// once per step; every tick reads the smoothed frame time.
//
// The raw frame time is clamped to [0, 0.1] s and smoothed as 0.9 x previous + 0.1 x raw,
// so a frame that took longer than 0.1 s counts as 0.1 s (game time runs slower than the
// wall clock after a stall) and the frame time settles over several frames after start.
class FrameTimer {
 public:
  static FrameTimer& Instance();

  // Starts at zero and reads the counter. Instance() builds the process-wide one; tests
  // build their own on a fake clock.
  FrameTimer();

  void Update();

  float GetDelta() const { return delta_; }
  float GetTime() const { return time_; }
  float GetFPS() const { return fps_; }
  uint32_t GetFrameCount() const { return frameCount_; }
  // Frames counted in the current one-second window: 0 right after the window rolled
  // over, so a reader that acts on 0 acts once a second.
  uint32_t GetFramesThisSecond() const { return framesThisSecond_; }

  // Seconds of the performance counter. The whole 64-bit counter is used: the time never
  // wraps while the game runs (a 32-bit counter at 10 MHz would wrap every seven minutes,
  // and a guard of "at least 0.8 s since the last time" would then refuse for minutes).
  static double Now();

 private:
  float delta_ = 0.0f;
  float secondAccumulator_ = 0.0f;
  uint32_t framesThisSecond_ = 0;
  uint32_t frameCount_ = 0;
  float time_ = 0.0f;
  float fps_ = 0.0f;
  int64_t lastCounter_ = 0;
};

// Shared base of everything that runs for a fixed number of seconds. Owners set duration
// and remaining themselves (restarting is writing both again) and call Tick every frame.
class CountdownTimer {
 public:
  virtual ~CountdownTimer() = default;
  virtual void Update(float dt);
  // Update, then keeps remaining from going below -0.00001, so a finished timer stays
  // just below zero.
  virtual void Tick(float dt);

  // Remaining below zero; a timer at exactly 0 is not done.
  bool IsDone() const { return remaining < 0.0f; }
  // 1 - remaining / duration, clamped to [0, 1]. A timer of no duration reports 1
  // rather than dividing by zero.
  float Progress() const;

  float duration = 0.0f;   // seconds
  float remaining = 0.0f;  // seconds
};

// Moves one value towards a target at a given speed (units per second).
class ValueMover {
 public:
  virtual ~ValueMover() = default;
  // A negative speed is stored as its absolute value; with jump the value is at the
  // target at once.
  virtual void Set(float newTarget, float newSpeed, bool jump);
  // True while still moving: also on the update that lands on the target, false on the
  // next one (and whenever the value already equals the target).
  virtual bool Update(float dt);

  float speed = 0.0f;
  float current = 0.0f;
  float target = 0.0f;

 protected:
  // Moves current by step towards target without passing it.
  bool MoveBy(float step);
};

// A mover that slows down as it nears the target: each step is factor x distance x dt,
// but never less than speed x dt.
class ProportionalMover : public ValueMover {
 public:
  ProportionalMover() { speed = 1.0f; }
  bool Update(float dt) override;

  float factor = 1.0f;  // per second
};
