#include "engine/core/Timer.h"

#include <cmath>

#include "platform/win32/Time.h"

namespace {

constexpr float kMaxFrameTime = 0.1f;

float ClampFrameTime(float seconds) {
  if (!(seconds > 0.0f)) return 0.0f;
  return seconds > kMaxFrameTime ? kMaxFrameTime : seconds;
}

int64_t ReadCounter() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

}  // namespace

FrameTimer& FrameTimer::Instance() {
  static FrameTimer instance;
  return instance;
}

FrameTimer::FrameTimer() : lastCounter_(ReadCounter()) {}

void FrameTimer::Update() {
  frameCount_ += 1;

  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  int64_t counter = ReadCounter();
  float raw = 0.0f;
  if (frequency.QuadPart > 0) {
    raw = static_cast<float>(static_cast<double>(counter - lastCounter_) /
                             static_cast<double>(frequency.QuadPart));
  }
  lastCounter_ = counter;

  raw = ClampFrameTime(raw);
  delta_ = ClampFrameTime(0.9f * delta_ + 0.1f * raw);

  time_ += delta_;
  framesThisSecond_ += 1;
  secondAccumulator_ += delta_;
  if (secondAccumulator_ >= 1.0f) {
    fps_ = static_cast<float>(framesThisSecond_) / secondAccumulator_;
    framesThisSecond_ = 0;
    secondAccumulator_ -= 1.0f;
  }
}

double FrameTimer::Now() {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  if (frequency.QuadPart <= 0) return 0.0;
  return static_cast<double>(ReadCounter()) / static_cast<double>(frequency.QuadPart);
}

void CountdownTimer::Update(float dt) { remaining -= dt; }

void CountdownTimer::Tick(float dt) {
  Update(dt);
  if (remaining < -0.00001f) remaining = -0.00001f;
}

float CountdownTimer::Progress() const {
  if (duration == 0.0f) return 1.0f;
  float p = 1.0f - remaining / duration;
  if (!(p > 0.0f)) return 0.0f;
  return p > 1.0f ? 1.0f : p;
}

void ValueMover::Set(float newTarget, float newSpeed, bool jump) {
  target = newTarget;
  speed = std::fabs(newSpeed);
  if (jump) current = target;
}

bool ValueMover::Update(float dt) { return MoveBy(speed * dt); }

bool ValueMover::MoveBy(float step) {
  if (current < target) {
    current += step;
    if (current > target) {
      current = target;
      return false;
    }
    return true;
  }
  if (current > target) {
    current -= step;
    if (current < target) {
      current = target;
      return false;
    }
    return true;
  }
  return false;
}

bool ProportionalMover::Update(float dt) {
  float distance = std::fabs(current - target);
  // The step is factor x distance x dt, written without dividing by speed so that a
  // speed of 0 moves proportionally instead of producing an undefined value.
  if (distance > 0.0f && distance * factor > speed) return MoveBy(distance * factor * dt);
  return MoveBy(speed * dt);
}
