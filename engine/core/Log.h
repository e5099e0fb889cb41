#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

// Levels of a log line. The value picks the tag and the output mask.
enum LogLevel : int {
  MSG_FATAL = 0,
  MSG_ERROR = 1,
  MSG_WARNING = 2,
  MSG_INIT = 3,
  MSG_LOAD = 4,
  MSG_COMMENT = 5,
  MSG_SCRIPT = 6,
};

// The process-wide text channel. Each line carries a level and goes, per the level's
// mask, to kv.log, to a callback (the console's line receiver) and to the debugger output.
//
// A line is BeginLine, one or more Appends, EndLine. Code normally writes lines through
// LOG_LINE below, which does that in one statement and holds the log's lock for the line,
// so that a line from another thread never interleaves.
class Log {
 public:
  enum Output : uint32_t { kFile = 0x02, kCallback = 0x04, kDebugger = 0x08 };
  static constexpr int kNoLine = 8;
  static constexpr uint32_t kBufferSize = 4096;

  using Callback = void (*)(const char* text);

  static Log& Instance();

  void Open(const char* path);
  void BeginLine(int level, const char* sourceFile, int sourceLine);
  void Append(const char* text);
  Log& AppendString(std::string_view text);
  Log& AppendInt(int value);
  void EndLine();
  void Flush();

  // Flushes, prints the closing banner and closes the file. Lines after this reach no
  // file. Runs as the log's exit routine; an ordered shutdown may call it earlier.
  void Close();

  bool IsOpen() const { return file_ != nullptr; }
  static const char* LevelTag(int level);

  // Fields that their one user sets directly.
  bool showPrefix = true;
  bool flushEachLine = true;
  Callback callback = nullptr;

  // The lock that LOG_LINE holds for a whole line.
  std::recursive_mutex& LineMutex() { return mutex_; }

 private:
  Log();
  uint32_t MaskOf(int level) const;
  void AppendBytes(const char* text, size_t length);
  void WriteToOutputs();

  FILE* file_ = nullptr;
  uint32_t masks_[7] = {14, 14, 14, 14, 14, 14, 14};
  int level_ = kNoLine;
  char* buffer_ = nullptr;
  uint32_t size_ = kBufferSize;
  uint32_t used_ = 0;
  bool closed_ = false;
  std::recursive_mutex mutex_;
};

// One log line built with <<, sent when the statement ends.
class LogLineWriter {
 public:
  LogLineWriter(int level, const char* sourceFile, int sourceLine);
  ~LogLineWriter();
  LogLineWriter(const LogLineWriter&) = delete;
  LogLineWriter& operator=(const LogLineWriter&) = delete;

  LogLineWriter& operator<<(const char* text);
  LogLineWriter& operator<<(const std::string& text);
  LogLineWriter& operator<<(std::string_view text);
  LogLineWriter& operator<<(int value);
  LogLineWriter& operator<<(unsigned value);
  LogLineWriter& operator<<(long value);
  LogLineWriter& operator<<(unsigned long value);
  LogLineWriter& operator<<(long long value);
  LogLineWriter& operator<<(unsigned long long value);
  LogLineWriter& operator<<(double value);  // "%f"
  LogLineWriter& operator<<(char c);

 private:
  std::unique_lock<std::recursive_mutex> lock_;
};

#define LOG_LINE(level) ::LogLineWriter((level), __FILE__, __LINE__)
