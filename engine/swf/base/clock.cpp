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
