#pragma once

namespace swf {

// The player's log hooks. Without a callback the lines go nowhere. At most
// limits::kMaxLogLinesPerSecond lines pass per second; the rest are counted and reported
// in one line when the next second begins, so no movie can flood the game's log.
using log_callback = void (*)(bool error, const char* text);
void register_log_callback(log_callback callback);
log_callback get_log_callback();

void log_msg(const char* format, ...) __attribute__((format(printf, 1, 2)));
void log_error(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Starts a fresh one-second window with nothing dropped (tests use it).
void reset_log_rate();

}  // namespace swf
