#include "engine/core/Log.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

const char* const kTags[7] = {"MSG_FATAL", "MSG_ERROR", "MSG_WARNING", "MSG_INIT",
                              "MSG_LOAD",  "MSG_COMMENT", "MSG_SCRIPT"};

// Debugger output: there is no attached debugger console on Linux; the text goes to
// standard error when PELLAVO_DEBUG_OUTPUT is set.
void OutputDebugText(const char* text) {
  static const bool enabled = std::getenv("PELLAVO_DEBUG_OUTPUT") != nullptr;
  if (enabled) std::fputs(text, stderr);
}

void CloseLogAtExit() { Log::Instance().Close(); }

}  // namespace

Log& Log::Instance() {
  // The object itself is never destroyed, only closed by its exit routine: exit routines
  // of objects first used before the log run after that one and may still log, and their
  // lines must find a closed log, not a destroyed one.
  static Log* instance = [] {
    alignas(Log) static unsigned char storage[sizeof(Log)];
    Log* log = new (storage) Log();
    std::atexit(CloseLogAtExit);
    return log;
  }();
  return *instance;
}

Log::Log() {
  buffer_ = new char[kBufferSize];
  std::memset(buffer_, 0, kBufferSize);
}

const char* Log::LevelTag(int level) {
  return (level >= 0 && level < 7) ? kTags[level] : "MSG_UNKNOWN";
}

uint32_t Log::MaskOf(int level) const {
  // Levels outside 0..6 (and text flushed between lines) go to every output as well.
  return (level >= 0 && level < 7) ? masks_[level] : 14u;
}

void Log::Open(const char* path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (file_) {
    BeginLine(MSG_WARNING, __FILE__, __LINE__);
    Append("Log already open.. why are you trying to open again?");
    EndLine();
    return;
  }
  file_ = std::fopen(path, "w");
  closed_ = false;
  std::fputs("--------------------------- SESSION STARTING -------------------------\n", stdout);
  std::printf(" Date : %s, Time : %s\n", __DATE__, __TIME__);
  std::fflush(stdout);
}

void Log::BeginLine(int level, const char* sourceFile, int sourceLine) {
  level_ = level;
  if (showPrefix && level != MSG_SCRIPT) {
    char prefix[512];
    std::snprintf(prefix, sizeof prefix, "%s(%i)> ", sourceFile ? sourceFile : "??", sourceLine);
    Append(prefix);
  }
}

void Log::Append(const char* text) {
  if (text) AppendBytes(text, std::strlen(text));
}

Log& Log::AppendString(std::string_view text) {
  AppendBytes(text.data(), text.size());
  return *this;
}

Log& Log::AppendInt(int value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%i", value);
  Append(digits);
  return *this;
}

void Log::AppendBytes(const char* text, size_t length) {
  // A text that does not fit the free part of the buffer goes out in pieces: the buffer
  // is flushed whenever it is full, so a long text is split, never written past the end.
  while (true) {
    uint32_t content = used_ > 0 ? used_ - 1 : 0;  // bytes before the terminating zero
    if (content + length + 1 < size_) {
      std::memcpy(buffer_ + content, text, length);
      buffer_[content + length] = '\0';
      used_ = static_cast<uint32_t>(content + length + 1);
      return;
    }
    if (content > 0) {
      Flush();
      continue;
    }
    size_t piece = size_ - 2;
    std::memcpy(buffer_, text, piece);
    buffer_[piece] = '\0';
    used_ = static_cast<uint32_t>(piece + 1);
    Flush();
    text += piece;
    length -= piece;
  }
}

void Log::EndLine() {
  if (showPrefix) {
    std::string end = "  [";
    end += LevelTag(level_);
    end += "]\n";
    AppendString(end);
  } else {
    Append(" \n");
  }
  if (flushEachLine) Flush();
  level_ = kNoLine;
}

void Log::Flush() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!buffer_) return;
  if (used_ > 0) WriteToOutputs();
  std::memset(buffer_, 0, size_);
  used_ = 0;
}

void Log::WriteToOutputs() {
  uint32_t mask = MaskOf(level_);
  if ((mask & kFile) && file_ && !closed_) {
    std::fputs(buffer_, file_);
    if (flushEachLine) std::fflush(file_);
  }
  if ((mask & kCallback) && callback) callback(buffer_);
  if (mask & kDebugger) OutputDebugText(buffer_);
}

void Log::Close() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!file_) return;
  Flush();
  std::fputs("--------------------------- SESSION OVER -------------------------", stdout);
  std::fflush(stdout);
  std::fclose(file_);
  file_ = nullptr;
  closed_ = true;
}

LogLineWriter::LogLineWriter(int level, const char* sourceFile, int sourceLine)
    : lock_(Log::Instance().LineMutex()) {
  Log::Instance().BeginLine(level, sourceFile, sourceLine);
}

LogLineWriter::~LogLineWriter() { Log::Instance().EndLine(); }

LogLineWriter& LogLineWriter::operator<<(const char* text) {
  Log::Instance().Append(text ? text : "(null)");
  return *this;
}
LogLineWriter& LogLineWriter::operator<<(const std::string& text) {
  Log::Instance().AppendString(text);
  return *this;
}
LogLineWriter& LogLineWriter::operator<<(std::string_view text) {
  Log::Instance().AppendString(text);
  return *this;
}
LogLineWriter& LogLineWriter::operator<<(int value) {
  Log::Instance().AppendInt(value);
  return *this;
}
namespace {
template <typename... Args>
void AppendFormatted(const char* format, Args... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  Log::Instance().Append(text);
}
}  // namespace
LogLineWriter& LogLineWriter::operator<<(unsigned value) { AppendFormatted("%u", value); return *this; }
LogLineWriter& LogLineWriter::operator<<(long value) { AppendFormatted("%ld", value); return *this; }
LogLineWriter& LogLineWriter::operator<<(unsigned long value) { AppendFormatted("%lu", value); return *this; }
LogLineWriter& LogLineWriter::operator<<(long long value) { AppendFormatted("%lld", value); return *this; }
LogLineWriter& LogLineWriter::operator<<(unsigned long long value) { AppendFormatted("%llu", value); return *this; }
LogLineWriter& LogLineWriter::operator<<(double value) { AppendFormatted("%f", value); return *this; }
LogLineWriter& LogLineWriter::operator<<(char c) {
  char text[2] = {c, '\0'};
  Log::Instance().Append(text);
  return *this;
}
