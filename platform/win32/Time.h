#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// Kernel and WinMM time services: the high-resolution performance counter, sleeping and
// the millisecond clock. The counter runs on the monotonic clock in nanoseconds as a
// 64-bit value, so it never wraps while the game runs.

union LARGE_INTEGER {
  struct {
    uint32_t LowPart;
    int32_t HighPart;
  } u;
  int64_t QuadPart;
};

bool QueryPerformanceCounter(LARGE_INTEGER* counter);
bool QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// Milliseconds of the monotonic clock, wrapping at 2^32 like the WinMM clock.
uint32_t timeGetTime();
// Suspends the calling thread for at least the given number of milliseconds.
void Sleep(uint32_t milliseconds);

namespace win32 {

// A clock that tests set and advance by hand. While one exists, QueryPerformanceCounter,
// QueryPerformanceFrequency and timeGetTime read it instead of the system clock (on every
// thread). The newest one wins; destroying it restores the one before.
class FakeClock {
 public:
  explicit FakeClock(int64_t frequency = 1000000, int64_t ticks = 0);
  ~FakeClock();
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  void Set(int64_t ticks) { ticks_.store(ticks); }
  void Advance(int64_t ticks) { ticks_.fetch_add(ticks); }
  void AdvanceSeconds(double seconds);
  void AdvanceMilliseconds(uint32_t milliseconds);

  int64_t Ticks() const { return ticks_.load(); }
  int64_t Frequency() const { return frequency_; }

 private:
  const int64_t frequency_;
  std::atomic<int64_t> ticks_;
  FakeClock* previous_;
};

// Records Sleep calls instead of sleeping, optionally advancing a fake clock by the time
// slept. Installed and restored like FakeClock.
class FakeSleeper {
 public:
  explicit FakeSleeper(FakeClock* advanceClock = nullptr);
  ~FakeSleeper();
  FakeSleeper(const FakeSleeper&) = delete;
  FakeSleeper& operator=(const FakeSleeper&) = delete;

  // The milliseconds of every Sleep call so far, in call order.
  std::vector<uint32_t> Calls() const;
  void Clear();

  void Record(uint32_t milliseconds);

 private:
  FakeClock* const clock_;
  mutable std::mutex mutex_;
  std::vector<uint32_t> calls_;
  FakeSleeper* previous_;
};

}  // namespace win32
