#pragma once

#include <cstdint>

namespace swf {

// The high-resolution performance counter and its conversion to seconds.
uint64_t clock_ticks();
double ticks_to_seconds(uint64_t ticks);

// The clock a frame's scripts are timed by, in seconds from any origin: the performance
// counter unless a hook replaces it (stored as given; null brings the counter back). Tests
// install their own, so that a busy machine never ends a frame's scripts early and a test
// can end them on purpose.
using script_clock_callback = double (*)();
void register_script_clock_callback(script_clock_callback clock);
script_clock_callback get_script_clock_callback();
double get_script_clock_seconds();

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
