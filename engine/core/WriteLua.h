#pragma once

#include <cstdio>
#include <string>

#include "engine/core/Math.h"
#include "engine/core/StringUtil.h"

// The writer of every Lua data file the engine produces (editor layouts, particles,
// scenes, boards). A file is a sequence of top-level tables; each field is one line:
//
//   Panel = 
//   { 
//      Width = 800,
//      Name = "menu",
//      Pos = { 0.100000, 0.200000 },
//   }
//
// Three spaces of indentation per level, integers "%i", floats "%f", vectors and colours
// as brace lists of "%f" numbers. Strings are escaped so that the file reads back to the
// same text, except that a backslash is written as "/" (paths are kept with forward
// slashes, which every loader accepts).
class WriteLua {
 public:
  WriteLua() = default;
  ~WriteLua();  // closes the stream
  WriteLua(const WriteLua&) = delete;
  WriteLua& operator=(const WriteLua&) = delete;

  // Opens the file for text writing; false (and a warning) when a file is already open or
  // the file cannot be created.
  bool Open(const std::string& fileName);
  bool IsOpen() const { return stream_ != nullptr; }
  // Flushes and closes the file; false when it was not open or any write failed (a full
  // disk), so that a writer going through a temporary file keeps the old one.
  bool Close();

  // With a name: "<name> = " on a line; then "{ " on a line; one level deeper.
  void BeginTable(const std::string& name);
  // One level up (never below 0), then "}, " (comma) or "}".
  void EndTable(bool comma);
  void WriteString(const std::string& name, const std::string& value);
  void WriteWString(const std::string& name, const WString& value);
  void WriteInt(const std::string& name, int value);
  void WriteFloat(const std::string& name, float value);
  void WriteVector2(const std::string& name, const math::Vec2& value);
  void WriteVector4(const std::string& name, const math::Vec4& value);
  // The formatted text, nothing added.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The indentation, the formatted text and a newline.
  void PrintLine(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // The text of a float as the writers put it: "%f", and for values that "%f" would write
  // as names Lua does not know, "0/0" (NaN), "1/0" and "-1/0" (infinities).
  static std::string Number(float value);
  // The text of a string value between its quotes.
  static std::string Escape(const std::string& text);

  int Level() const { return level_; }

 private:
  std::string Indent() const;
  void Write(const std::string& text);

  FILE* stream_ = nullptr;
  int level_ = 0;
};
