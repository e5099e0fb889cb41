#include "engine/swf/base/clock.h"

#include "engine/swf/base/log.h"
#include "platform/win32/Time.h"

namespace swf {

uint64_t clock_ticks() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<uint64_t>(counter.QuadPart);
}

double ticks_to_seconds(uint64_t ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart > 0 ? static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart)
                                : 0.0;
}

namespace {
script_clock_callback g_script_clock = nullptr;
}  // namespace

void register_script_clock_callback(script_clock_callback clock) { g_script_clock = clock; }
script_clock_callback get_script_clock_callback() { return g_script_clock; }

double get_script_clock_seconds() { return g_script_clock ? g_script_clock() : ticks_to_seconds(clock_ticks()); }

bool Timer::expired() {
  if (m_start <= 0.0) return false;
  double now = ticks_to_seconds(clock_ticks());
  if (now > m_start + m_interval) {
    m_start = now;
    return true;
  }
  if (now < m_start) {
    log_msg("Timer::expired - now (%lf) is before start (%lf)!\n     Expiring right now.\n", now, m_start);
    m_start = now;
    return true;
  }
  return false;
}

}  // namespace swf
