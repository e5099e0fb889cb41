#include "platform/luaplus/LuaStateOutFile.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <lua.hpp>
#include <vector>

#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"

void AppendLuaEscaped(std::string_view text, std::string& out, bool backslashAsSlash) {
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += backslashAsSlash ? "/" : "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\%03u", c);  // three digits: never merges
          out += escaped;
        } else {
          out += ch;
        }
    }
  }
}

namespace {

constexpr int kMaxDepth = 200;

bool IsReservedWord(const std::string& word) {
  static const char* const kWords[] = {
      "and", "break", "do", "else", "elseif", "end", "false", "for", "function", "goto", "if",
      "in", "local", "nil", "not", "or", "repeat", "return", "then", "true", "until", "while"};
  for (const char* reserved : kWords) {
    if (word == reserved) return true;
  }
  return false;
}

bool IsIdentifier(const std::string& text) {
  if (text.empty()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    bool digit = c >= '0' && c <= '9';
    if (!letter && !(digit && i > 0)) return false;
  }
  return !IsReservedWord(text);
}

void AppendNumber(double value, std::string& out) {
  if (std::isnan(value)) {
    out += "0/0";
    return;
  }
  if (std::isinf(value)) {
    out += value > 0 ? "1/0" : "-1/0";
    return;
  }
  char text[64];
  for (int precision : {15, 16, 17}) {
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  out += text;
}

void AppendQuoted(const char* text, size_t length, std::string& out) {
  out += '"';
  AppendLuaEscaped(std::string_view(text, length), out);
  out += '"';
}

struct Key {
  int type = LUA_TNIL;  // LUA_TNUMBER, LUA_TSTRING or LUA_TBOOLEAN
  double number = 0;
  std::string text;
  bool flag = false;
};

bool KeyLess(const Key& a, const Key& b) {
  auto rank = [](int type) { return type == LUA_TNUMBER ? 0 : type == LUA_TSTRING ? 1 : 2; };
  if (a.type != b.type) return rank(a.type) < rank(b.type);
  if (a.type == LUA_TNUMBER) return a.number < b.number;
  if (a.type == LUA_TSTRING) return a.text < b.text;
  return !a.flag && b.flag;
}

void PushKey(lua_State* L, const Key& key) {
  if (key.type == LUA_TNUMBER) {
    lua_pushnumber(L, key.number);
  } else if (key.type == LUA_TSTRING) {
    lua_pushlstring(L, key.text.data(), key.text.size());
  } else {
    lua_pushboolean(L, key.flag);
  }
}

bool IsWritable(int type) {
  return type == LUA_TNIL || type == LUA_TBOOLEAN || type == LUA_TNUMBER ||
         type == LUA_TSTRING || type == LUA_TTABLE;
}

class Writer {
 public:
  explicit Writer(lua_State* L) : L_(L) {}

  // Appends the value on the top of the stack (left there). False when it cannot be
  // written (the caller then leaves its key out).
  bool Value(int depth, std::string& out) {
    int type = lua_type(L_, -1);
    switch (type) {
      case LUA_TNIL: out += "nil"; return true;
      case LUA_TBOOLEAN: out += lua_toboolean(L_, -1) ? "true" : "false"; return true;
      case LUA_TNUMBER: AppendNumber(lua_tonumber(L_, -1), out); return true;
      case LUA_TSTRING: {
        size_t length = 0;
        const char* text = lua_tolstring(L_, -1, &length);
        AppendQuoted(text, length, out);
        return true;
      }
      case LUA_TTABLE: return Table(depth, out);
      default: return false;
    }
  }

 private:
  bool Table(int depth, std::string& out) {
    const void* self = lua_topointer(L_, -1);
    if (depth >= kMaxDepth || !lua_checkstack(L_, 8) ||
        std::find(path_.begin(), path_.end(), self) != path_.end()) {
      return false;
    }
    path_.push_back(self);

    // The array part: 1..n while the elements are present.
    size_t count = 0;
    bool scalarsOnly = true;
    while (true) {
      lua_rawgeti(L_, -1, static_cast<int>(count + 1));
      int type = lua_type(L_, -1);
      lua_pop(L_, 1);
      if (type == LUA_TNIL || !IsWritable(type) || count >= 0x7FFFFFFF) break;
      if (type == LUA_TTABLE) scalarsOnly = false;
      ++count;
    }

    std::vector<Key> keys;
    lua_pushnil(L_);
    while (lua_next(L_, -2)) {
      int keyType = lua_type(L_, -2);
      int valueType = lua_type(L_, -1);
      lua_pop(L_, 1);
      if (!IsWritable(valueType)) continue;
      Key key;
      key.type = keyType;
      if (keyType == LUA_TNUMBER) {
        key.number = lua_tonumber(L_, -1);
        double whole = std::floor(key.number);
        if (whole == key.number && whole >= 1 && whole <= static_cast<double>(count)) continue;
      } else if (keyType == LUA_TSTRING) {
        size_t length = 0;
        const char* text = lua_tolstring(L_, -1, &length);  // a string key: no conversion
        key.text.assign(text, length);
      } else if (keyType == LUA_TBOOLEAN) {
        key.flag = lua_toboolean(L_, -1) != 0;
      } else {
        continue;  // table, function or userdata keys cannot be written as text
      }
      keys.push_back(std::move(key));
    }
    std::sort(keys.begin(), keys.end(), KeyLess);

    if (keys.empty() && scalarsOnly) {
      // A short list of plain values (a vector, a colour) stays on one line.
      if (count == 0) {
        out += "{}";
      } else {
        out += "{ ";
        for (size_t i = 1; i <= count; ++i) {
          lua_rawgeti(L_, -1, static_cast<int>(i));
          Value(depth + 1, out);
          lua_pop(L_, 1);
          out += i < count ? ", " : " ";
        }
        out += "}";
      }
      path_.pop_back();
      return true;
    }

    std::string inner(static_cast<size_t>(depth + 1) * 3, ' ');
    out += "{\n";
    for (size_t i = 1; i <= count; ++i) {
      lua_rawgeti(L_, -1, static_cast<int>(i));
      std::string item;
      // A table inside itself cannot be written; nil keeps the positions of the others.
      if (!Value(depth + 1, item)) item = "nil";
      lua_pop(L_, 1);
      out += inner + item + ",\n";
    }
    for (const Key& key : keys) {
      PushKey(L_, key);
      lua_rawget(L_, -2);
      std::string item;
      bool written = Value(depth + 1, item);
      lua_pop(L_, 1);
      if (!written) continue;
      out += inner;
      if (key.type == LUA_TSTRING && IsIdentifier(key.text)) {
        out += key.text;
      } else {
        out += '[';
        if (key.type == LUA_TNUMBER) {
          AppendNumber(key.number, out);
        } else if (key.type == LUA_TSTRING) {
          AppendQuoted(key.text.data(), key.text.size(), out);
        } else {
          out += key.flag ? "true" : "false";
        }
        out += ']';
      }
      out += " = " + item + ",\n";
    }
    out += std::string(static_cast<size_t>(depth) * 3, ' ') + "}";
    path_.pop_back();
    return true;
  }

  lua_State* L_;
  std::vector<const void*> path_;  // tables being written, to leave out cycles
};

}  // namespace

LuaStateOutFile::~LuaStateOutFile() { Close(); }

bool LuaStateOutFile::Open(const char* fileName) {
  if (file_ || !fileName) return false;
  file_ = std::fopen(fileName, "w");
  failed_ = false;
  return file_ != nullptr;
}

bool LuaStateOutFile::Print(const std::string& text) {
  if (!file_) return false;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) failed_ = true;
  return !failed_;
}

bool LuaStateOutFile::Close() {
  if (!file_) return false;
  // On the disk before it is closed: a caller that renames the file into place next must
  // not end up with an empty file after a power cut.
  if (std::fflush(file_) != 0 || std::ferror(file_) || fsync(fileno(file_)) != 0) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

std::string LuaStateOutFile::Serialize(const char* name, const LuaObject& value) {
  std::string out = name ? name : "_";
  out += " = ";
  LuaState* state = value.GetState();
  if (!state) {
    out += "nil\n";
    return out;
  }
  lua_State* L = state->GetCState();
  value.Push();
  Writer writer(L);
  std::string text;
  if (!writer.Value(0, text)) text = "nil";
  lua_pop(L, 1);
  out += text + "\n";
  return out;
}
