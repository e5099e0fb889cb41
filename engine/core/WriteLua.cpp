#include "engine/core/WriteLua.h"

#include <cmath>
#include <cstdarg>

#include "engine/core/Log.h"
#include "platform/luaplus/LuaStateOutFile.h"

namespace {

// Formats into a string of whatever length the text needs: a long string value must
// never be cut, or the file would lose its closing quote and stop parsing.
std::string FormatV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int length = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0) return std::string();
  if (static_cast<size_t>(length) < sizeof small) return std::string(small, static_cast<size_t>(length));
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<size_t>(length));
  return text;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return text;
}

}  // namespace

WriteLua::~WriteLua() {
  if (stream_) std::fclose(stream_);
}

bool WriteLua::Open(const std::string& fileName) {
  if (stream_) {
    LOG_LINE(MSG_WARNING) << "WriteLua file already open: unable to open at " << fileName;
    return false;
  }
  stream_ = std::fopen(fileName.c_str(), "w");
  if (!stream_) {
    LOG_LINE(MSG_WARNING) << "Unable to open WriteLua file at " << fileName;
    return false;
  }
  return true;
}

bool WriteLua::Close() {
  if (!stream_) return false;
  bool ok = std::fflush(stream_) == 0 && !std::ferror(stream_);
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  level_ = 0;
  return ok;
}

std::string WriteLua::Indent() const { return std::string(static_cast<size_t>(level_) * 3, ' '); }

void WriteLua::Write(const std::string& text) {
  if (stream_) std::fwrite(text.data(), 1, text.size(), stream_);
}

void WriteLua::BeginTable(const std::string& name) {
  if (!stream_) return;
  if (!name.empty()) Write(Indent() + name + " = \n");
  Write(Indent() + "{ \n");
  ++level_;
}

void WriteLua::EndTable(bool comma) {
  if (!stream_) return;
  if (level_ > 0) --level_;
  Write(Indent() + (comma ? "}, \n" : "}\n"));
}

void WriteLua::WriteString(const std::string& name, const std::string& value) {
  if (!stream_) return;
  Write(Indent() + name + " = \"" + Escape(value) + "\",\n");
}

void WriteLua::WriteWString(const std::string& name, const WString& value) {
  WriteString(name, ToNarrow(value));
}

void WriteLua::WriteInt(const std::string& name, int value) {
  if (!stream_) return;
  Write(Indent() + name + Format(" = %i,\n", value));
}

std::string WriteLua::Number(float value) {
  // "%f" would write "nan" or "inf", which Lua reads as names: the file would no longer
  // load. The expressions read back as the same values.
  if (std::isnan(value)) return "0/0";
  if (std::isinf(value)) return value > 0 ? "1/0" : "-1/0";
  return Format("%f", static_cast<double>(value));
}

void WriteLua::WriteFloat(const std::string& name, float value) {
  if (!stream_) return;
  Write(Indent() + name + " = " + Number(value) + ",\n");
}

void WriteLua::WriteVector2(const std::string& name, const math::Vec2& value) {
  if (!stream_) return;
  Write(Indent() + name + " = { " + Number(value.x) + ", " + Number(value.y) + " },\n");
}

void WriteLua::WriteVector4(const std::string& name, const math::Vec4& value) {
  if (!stream_) return;
  Write(Indent() + name + " = { " + Number(value.x) + ", " + Number(value.y) + ", " +
        Number(value.z) + ", " + Number(value.w) + " },\n");
}

void WriteLua::Printf(const char* format, ...) {
  if (!stream_) return;
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  Write(text);
}

void WriteLua::PrintLine(const char* format, ...) {
  if (!stream_) return;
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  Write(Indent() + text + "\n");
}

std::string WriteLua::Escape(const std::string& text) {
  // Windows paths are kept with forward slashes; control characters are escaped too: raw,
  // a newline would end the string in the middle of the line and the file would no
  // longer load.
  std::string out;
  out.reserve(text.size() + 8);
  AppendLuaEscaped(text, out, /*backslashAsSlash=*/true);
  return out;
}
