#pragma once

#include <string>
#include <vector>

#include "engine/core/Log.h"

// Collects the log lines written while it lives (through the log's callback).
class LogCapture {
 public:
  LogCapture() : previous_(Log::Instance().callback) {
    active_ = this;
    Log::Instance().callback = Receive;
  }
  ~LogCapture() {
    Log::Instance().callback = previous_;
    active_ = nullptr;
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Number of lines that contain the text.
  size_t Count(const std::string& text) const {
    size_t count = 0;
    for (const std::string& line : lines) count += line.find(text) != std::string::npos;
    return count;
  }
  bool Contains(const std::string& text) const { return Count(text) > 0; }
  // The first line containing the text ("" when none).
  std::string Find(const std::string& text) const {
    for (const std::string& line : lines) {
      if (line.find(text) != std::string::npos) return line;
    }
    return "";
  }
  std::string All() const {
    std::string all;
    for (const std::string& line : lines) all += line;
    return all;
  }
  void Clear() { lines.clear(); }

  std::vector<std::string> lines;

 private:
  static void Receive(const char* text) {
    if (active_) active_->lines.push_back(text);
  }
  static inline LogCapture* active_ = nullptr;
  Log::Callback previous_;
};
