#pragma once

#include <cstdint>

namespace swf {

// The high-resolution performance counter and its conversion to seconds.
uint64_t clock_ticks();
double ticks_to_seconds(uint64_t ticks);

// An interval timer of the movie root: not running while its start time is <= 0.
class Timer {
 public:
  Timer() = default;
  Timer(double interval, double start) : m_interval(interval), m_start(start) {}
  // True when the interval has passed since the start (which then moves to now).
  bool expired();
  double get_interval() const { return m_interval; }
  double get_start() const { return m_start; }
  void set_start(double start) { m_start = start; }

 private:
  double m_interval = 0.0;
  double m_start = 0.0;
};

}  // namespace swf
