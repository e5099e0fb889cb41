#include "engine/core/Timer.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/win32/Time.h"

namespace {

constexpr int64_t kFrequency = 1000000;  // ticks per second of the fake clock

TEST(FrameTimerTest, SmoothsAndClampsFrameTimes) {
  win32::FakeClock clock(kFrequency, 5000);
  FrameTimer timer;

  // From zero the frame time only settles over several frames.
  clock.Advance(20000);  // 0.02 s
  timer.Update();
  EXPECT_FLOAT_EQ(timer.GetDelta(), 0.002f);
  for (int i = 0; i < 300; ++i) {
    clock.Advance(20000);
    timer.Update();
  }
  EXPECT_NEAR(timer.GetDelta(), 0.02f, 1e-6f);

  // A 5-second stall counts as 0.1 s, weighted 0.1.
  float before = timer.GetDelta();
  float timeBefore = timer.GetTime();
  clock.AdvanceSeconds(5.0);
  timer.Update();
  EXPECT_FLOAT_EQ(timer.GetDelta(), 0.9f * before + 0.01f);
  EXPECT_FLOAT_EQ(timer.GetTime(), timeBefore + timer.GetDelta());

  // A clock that did not move (or went back) gives a raw time of 0.
  before = timer.GetDelta();
  timer.Update();
  EXPECT_FLOAT_EQ(timer.GetDelta(), 0.9f * before);
  EXPECT_EQ(timer.GetFrameCount(), 303u);
}

TEST(FrameTimerTest, CounterCrossingThirtyTwoBitsKeepsTheRightDelta) {
  win32::FakeClock clock(kFrequency, (int64_t{1} << 32) - 10000);
  FrameTimer timer;
  clock.Advance(30000);  // 0.03 s across the 2^32 boundary
  timer.Update();
  EXPECT_FLOAT_EQ(timer.GetDelta(), 0.003f);
}

TEST(FrameTimerTest, FramesPerSecondIsRenewedEachSecond) {
  win32::FakeClock clock(kFrequency);
  FrameTimer timer;
  // Settle at 50 frames per second, then count a fresh second.
  for (int i = 0; i < 300; ++i) {
    clock.Advance(20000);
    timer.Update();
  }
  EXPECT_GT(timer.GetFPS(), 0.0f);
  float time = timer.GetTime();
  EXPECT_NEAR(time, 6.0f - 0.02f * 9.0f, 0.05f);  // the first frames counted less

  for (int i = 0; i < 60; ++i) {
    clock.Advance(20000);
    timer.Update();
  }
  // frames counted over a second that may hold part of a frame from before
  EXPECT_NEAR(timer.GetFPS(), 50.0f, 1.0f);
  EXPECT_NEAR(timer.GetTime(), time + 1.2f, 1e-3f);
}

TEST(FrameTimerTest, FpsStaysZeroUntilTheFirstSecondIsCounted) {
  win32::FakeClock clock(kFrequency);
  FrameTimer timer;
  for (int i = 0; i < 10; ++i) {
    clock.Advance(50000);
    timer.Update();
  }
  EXPECT_EQ(timer.GetFPS(), 0.0f);
}

TEST(FrameTimerTest, NowUsesTheWhole64BitCounter) {
  // Ten minutes at 10 MHz is past 2^32 ticks.
  win32::FakeClock clock(10000000, int64_t{6000000000});
  EXPECT_DOUBLE_EQ(FrameTimer::Now(), 600.0);
  clock.AdvanceSeconds(0.8);
  EXPECT_NEAR(FrameTimer::Now(), 600.8, 1e-9);
}

TEST(TimeTest, FakeClockDrivesTheMillisecondClockAndSleeperRecords) {
  win32::FakeClock clock(kFrequency, int64_t{5000} * kFrequency + 2500);
  EXPECT_EQ(timeGetTime(), 5000002u);
  {
    win32::FakeSleeper sleeper(&clock);
    Sleep(1);
    Sleep(100);
    EXPECT_EQ(sleeper.Calls(), (std::vector<uint32_t>{1, 100}));
    EXPECT_EQ(timeGetTime(), 5000103u);
  }
  {
    // Nested clocks: the newest one wins until it goes.
    win32::FakeClock inner(1000, 7);
    LARGE_INTEGER value{};
    QueryPerformanceCounter(&value);
    EXPECT_EQ(value.QuadPart, 7);
    QueryPerformanceFrequency(&value);
    EXPECT_EQ(value.QuadPart, 1000);
  }
  LARGE_INTEGER value{};
  QueryPerformanceFrequency(&value);
  EXPECT_EQ(value.QuadPart, kFrequency);
}

TEST(TimeTest, RealClockIsMonotonicAndSleepWaits) {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER start{};
  LARGE_INTEGER end{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, 1000000000);
  ASSERT_TRUE(QueryPerformanceCounter(&start));
  Sleep(3);
  ASSERT_TRUE(QueryPerformanceCounter(&end));
  EXPECT_GE(end.QuadPart - start.QuadPart, 3000000);
}

TEST(CountdownTimerTest, TickProgressAndDone) {
  struct Case {
    float duration;
    float remaining;
    float dt;
    float remainingAfter;
    bool done;
    float progress;
  };
  const Case cases[] = {
      {2.0f, 2.0f, 0.0f, 2.0f, false, 0.0f},      // not started
      {2.0f, 2.0f, 0.5f, 1.5f, false, 0.25f},
      {2.0f, 0.5f, 0.5f, 0.0f, false, 1.0f},      // exactly 0 is not done
      {2.0f, 0.5f, 3.0f, -0.00001f, true, 1.0f},  // overshoot stops just below zero
      {1.0f, 3.0f, 0.0f, 3.0f, false, 0.0f},      // more left than the duration
      {0.0f, 0.0f, 0.0f, 0.0f, false, 1.0f},      // no duration: finished, not NaN
      {0.0f, 0.0f, 0.1f, -0.00001f, true, 1.0f},
  };
  for (const Case& c : cases) {
    CountdownTimer timer;
    timer.duration = c.duration;
    timer.remaining = c.remaining;
    timer.Tick(c.dt);
    EXPECT_FLOAT_EQ(timer.remaining, c.remainingAfter) << c.duration << " " << c.remaining;
    EXPECT_EQ(timer.IsDone(), c.done) << c.duration << " " << c.remaining;
    EXPECT_FLOAT_EQ(timer.Progress(), c.progress) << c.duration << " " << c.remaining;
  }
}

TEST(CountdownTimerTest, TickGoesThroughTheOverriddenUpdate) {
  struct DoubleSpeed : CountdownTimer {
    void Update(float dt) override { remaining -= 2.0f * dt; }
  };
  DoubleSpeed timer;
  timer.duration = timer.remaining = 1.0f;
  timer.Tick(0.25f);
  EXPECT_FLOAT_EQ(timer.remaining, 0.5f);
  timer.Tick(10.0f);
  EXPECT_FLOAT_EQ(timer.remaining, -0.00001f);
}

TEST(ValueMoverTest, LinearMoverLandsThenStops) {
  ValueMover mover;
  mover.Set(1.0f, -2.0f, false);  // a negative speed counts as its size
  EXPECT_EQ(mover.speed, 2.0f);
  EXPECT_TRUE(mover.Update(0.25f));
  EXPECT_FLOAT_EQ(mover.current, 0.5f);
  EXPECT_TRUE(mover.Update(0.25f));  // lands exactly
  EXPECT_EQ(mover.current, 1.0f);
  EXPECT_FALSE(mover.Update(0.25f));
  EXPECT_EQ(mover.current, 1.0f);

  mover.Set(0.0f, 4.0f, false);  // downwards, overshooting
  EXPECT_TRUE(mover.Update(0.1f));
  EXPECT_FALSE(mover.Update(1.0f));
  EXPECT_EQ(mover.current, 0.0f);

  mover.Set(5.0f, 1.0f, true);
  EXPECT_EQ(mover.current, 5.0f);
  EXPECT_FALSE(mover.Update(1.0f));
}

TEST(ValueMoverTest, ProportionalMoverSlowsNearTheTargetButNotBelowSpeed) {
  ProportionalMover mover;
  EXPECT_EQ(mover.speed, 1.0f);
  EXPECT_EQ(mover.factor, 1.0f);
  mover.Set(0.0f, 1000.0f, true);
  mover.Set(100.0f, 10.0f, false);
  mover.factor = 2.0f;

  EXPECT_TRUE(mover.Update(0.1f));  // far: factor x distance x dt = 20
  EXPECT_FLOAT_EQ(mover.current, 20.0f);
  EXPECT_TRUE(mover.Update(0.1f));  // 16
  EXPECT_FLOAT_EQ(mover.current, 36.0f);

  mover.current = 98.0f;  // near: distance x factor = 4 < speed, so speed x dt = 1
  EXPECT_TRUE(mover.Update(0.1f));
  EXPECT_FLOAT_EQ(mover.current, 99.0f);

  // Speed 0 still moves proportionally (no division by the speed).
  ProportionalMover still;
  still.Set(10.0f, 0.0f, false);
  EXPECT_TRUE(still.Update(0.5f));
  EXPECT_FLOAT_EQ(still.current, 5.0f);
}

}  // namespace
