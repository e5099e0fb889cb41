#include "engine/swf/base/log.h"

#include <cstdarg>
#include <cstdio>

#include "engine/swf/base/clock.h"
#include "engine/swf/base/limits.h"

namespace swf {

namespace {

log_callback s_log_callback = nullptr;
char s_buffer[500];
double s_window_start = -1.0;
int s_lines_in_window = 0;
int s_dropped = 0;

// True when the line may pass; reports the lines dropped in the last window first.
bool admit_line() {
  double now = ticks_to_seconds(clock_ticks());
  if (s_window_start < 0.0 || now - s_window_start >= 1.0 || now < s_window_start) {
    s_window_start = now;
    s_lines_in_window = 0;
    if (s_dropped > 0) {
      int dropped = s_dropped;
      s_dropped = 0;
      char note[96];
      std::snprintf(note, sizeof(note), "swf: %d log lines dropped\n", dropped);
      s_log_callback(true, note);
      ++s_lines_in_window;
    }
  }
  if (s_lines_in_window >= limits::kMaxLogLinesPerSecond) {
    ++s_dropped;
    return false;
  }
  ++s_lines_in_window;
  return true;
}

void log_line(bool error, const char* format, va_list args) {
  if (!s_log_callback || !admit_line()) return;
  std::vsnprintf(s_buffer, sizeof(s_buffer), format, args);
  s_log_callback(error, s_buffer);
}

}  // namespace

void register_log_callback(log_callback callback) { s_log_callback = callback; }
log_callback get_log_callback() { return s_log_callback; }

void log_msg(const char* format, ...) {
  va_list args;
  va_start(args, format);
  log_line(false, format, args);
  va_end(args);
}

void log_error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  log_line(true, format, args);
  va_end(args);
}

void reset_log_rate() {
  s_window_start = -1.0;
  s_lines_in_window = 0;
  s_dropped = 0;
}

}  // namespace swf
