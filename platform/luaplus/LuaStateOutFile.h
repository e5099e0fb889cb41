#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class LuaObject;

// Appends text as the inside of a Lua string literal that reads back as the same bytes:
// quotes, backslashes and every control character are escaped (control characters as
// three-digit \ddd, which never merges with a following digit). With backslashAsSlash a
// backslash is written as "/" instead, for paths kept with forward slashes.
void AppendLuaEscaped(std::string_view text, std::string& out, bool backslashAsSlash = false);

// An output file for Lua text, in the shape of LuaPlus's LuaStateOutFile; values are
// written into it with LuaState::DumpObject.
//
// The text that Serialize makes recreates a value when run: numbers keep every bit (the
// shortest of %.15g, %.16g and %.17g that reads back the same; 1/0, -1/0 and 0/0 for the
// infinities and NaN), strings are quoted with escapes for quotes, backslashes and every
// control character, and table keys are written in a stable order (array elements first,
// then number keys ascending, then string keys in byte order, then boolean keys), so that
// saving the same table twice gives the same file. Values that text cannot recreate
// (functions, userdata, threads, a table inside itself) are left out with their keys.
class LuaStateOutFile {
 public:
  LuaStateOutFile() = default;
  ~LuaStateOutFile();
  LuaStateOutFile(const LuaStateOutFile&) = delete;
  LuaStateOutFile& operator=(const LuaStateOutFile&) = delete;

  // Creates or truncates the file for writing; false when it cannot be opened or another
  // file is open.
  bool Open(const char* fileName);
  bool IsOpen() const { return file_ != nullptr; }
  // Appends text; false when nothing is open or the write failed.
  bool Print(const std::string& text);
  // Closes the file; true when it was open and every write and the close succeeded.
  bool Close();

  // "name = <value>\n" as Lua text (with three spaces of indentation per table level).
  static std::string Serialize(const char* name, const LuaObject& value);

 private:
  FILE* file_ = nullptr;
  bool failed_ = false;
};
