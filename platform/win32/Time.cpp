#include "platform/win32/Time.h"

#include <cerrno>
#include <ctime>

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

std::atomic<win32::FakeClock*> g_fakeClock{nullptr};
std::atomic<win32::FakeSleeper*> g_fakeSleeper{nullptr};

int64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

}  // namespace

bool QueryPerformanceCounter(LARGE_INTEGER* counter) {
  if (!counter) return false;
  win32::FakeClock* fake = g_fakeClock.load();
  counter->QuadPart = fake ? fake->Ticks() : MonotonicNanoseconds();
  return true;
}

bool QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return false;
  win32::FakeClock* fake = g_fakeClock.load();
  frequency->QuadPart = fake ? fake->Frequency() : kNanosecondsPerSecond;
  return true;
}

uint32_t timeGetTime() {
  win32::FakeClock* fake = g_fakeClock.load();
  if (fake) {
    int64_t ticks = fake->Ticks();
    int64_t frequency = fake->Frequency();
    // Whole seconds and the remainder apart, so that large tick counts do not overflow.
    int64_t ms = ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
    return static_cast<uint32_t>(ms);
  }
  return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000);
}

void Sleep(uint32_t milliseconds) {
  if (win32::FakeSleeper* fake = g_fakeSleeper.load()) {
    fake->Record(milliseconds);
    return;
  }
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal cuts nanosleep short; the rest is slept after it.
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

namespace win32 {

FakeClock::FakeClock(int64_t frequency, int64_t ticks)
    : frequency_(frequency > 0 ? frequency : 1), ticks_(ticks), previous_(g_fakeClock.exchange(this)) {}

FakeClock::~FakeClock() { g_fakeClock.store(previous_); }

void FakeClock::AdvanceSeconds(double seconds) {
  Advance(static_cast<int64_t>(seconds * static_cast<double>(frequency_) + 0.5));
}

void FakeClock::AdvanceMilliseconds(uint32_t milliseconds) {
  Advance(static_cast<int64_t>(milliseconds) * frequency_ / 1000);
}

FakeSleeper::FakeSleeper(FakeClock* advanceClock)
    : clock_(advanceClock), previous_(g_fakeSleeper.exchange(this)) {}

FakeSleeper::~FakeSleeper() { g_fakeSleeper.store(previous_); }

std::vector<uint32_t> FakeSleeper::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

void FakeSleeper::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
}

void FakeSleeper::Record(uint32_t milliseconds) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(milliseconds);
  }
  if (clock_) clock_->AdvanceMilliseconds(milliseconds);
}

}  // namespace win32
