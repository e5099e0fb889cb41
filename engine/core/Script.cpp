#include "engine/core/Script.h"

#include <luabind/open.hpp>

#include <cstring>
#include <lua.hpp>

#include "engine/core/Log.h"
#include "engine/core/VFS.h"

namespace script {

namespace {

// Lua raises errors with longjmp: a C function below must not have C++ objects alive
// when it calls lua_error or lua_call, so all C++ work happens in helpers that return
// before that.

void LogScriptText(const char* text, size_t length) {
  try {
    LOG_LINE(MSG_SCRIPT) << std::string_view(text, length);
  } catch (...) {
    // Out of memory while logging: the line is lost, the script goes on.
  }
}

// "LOG", "_ALERT" and "print": every argument through the global "tostring", joined with
// tabs, written as one MSG_SCRIPT line. The line is built on the Lua stack.
int LuaPrint(lua_State* L) {
  int count = lua_gettop(L);
  lua_getglobal(L, "tostring");
  lua_pushliteral(L, "");
  for (int i = 1; i <= count; ++i) {
    lua_pushvalue(L, count + 1);
    lua_pushvalue(L, i);
    lua_call(L, 1, 1);
    if (lua_type(L, -1) != LUA_TSTRING) {
      return luaL_error(L, "`tostring' must return a string to `print'");
    }
    if (i > 1) {
      lua_pushliteral(L, "\t");
      lua_insert(L, -2);
      lua_concat(L, 3);
    } else {
      lua_concat(L, 2);
    }
  }
  size_t length = 0;
  const char* line = lua_tolstring(L, -1, &length);
  LogScriptText(line, length);
  return 0;
}

enum LoadResult { kLoaded, kNotFound, kCompileError };

// Reads a file through the file system and compiles it. Leaves the chunk, or the error
// value, on the stack.
LoadResult LoadChunk(lua_State* L, const char* name) {
  std::string fileName = name;
  vfs::File file;
  if (!vfs::VFS::Instance().LoadFile(fileName, file)) {
    std::string message = "Unable to load script file " + fileName;
    LogScriptText(message.data(), message.size());
    lua_pushlstring(L, message.data(), message.size());
    return kNotFound;
  }
  std::string chunkName = "@" + fileName;
  if (luaL_loadbuffer(L, file.Chars(), file.size, chunkName.c_str()) != LUA_OK) {
    std::string message = "Error executing block from " + fileName;
    LogScriptText(message.data(), message.size());
    return kCompileError;  // the compiler's message is the error value
  }
  return kLoaded;
}

// "dofile": runs a file read through the file system and returns its results.
int LuaDoFile(lua_State* L) {
  const char* name = luaL_optlstring(L, 1, nullptr, nullptr);
  int base = lua_gettop(L);
  if (!name) {
    static const char kMessage[] = "Unable to load file!";
    LogScriptText(kMessage, sizeof kMessage - 1);
    lua_pushliteral(L, "Unable to load file!");
    return lua_error(L);
  }
  LoadResult result = kNotFound;
  try {
    result = LoadChunk(L, name);
  } catch (...) {
    lua_settop(L, base);
    lua_pushliteral(L, "dofile: out of memory");
  }
  if (result != kLoaded) return lua_error(L);
  lua_call(L, 0, LUA_MULTRET);
  return lua_gettop(L) - base;
}

}  // namespace

LuaObject GetField(const LuaObject& table, const std::string& key) {
  if (!table.IsTable()) return LuaObject();
  return table[key];
}

LuaObject GetGlobal(LuaState* state, const std::string& name) {
  return state ? state->GetGlobal(name) : LuaObject();
}

int GetInt(const LuaObject& table, const std::string& key, int defaultValue) {
  LuaObject field = GetField(table, key);
  return field.IsNumber() ? field.GetInteger() : defaultValue;
}

bool GetBool(const LuaObject& table, const std::string& key, bool defaultValue) {
  LuaObject field = GetField(table, key);
  // Settings files write flags as Lua booleans too ("ForceLang = true"); they count.
  if (field.IsBoolean()) return field.GetBoolean();
  return field.IsNumber() ? field.GetInteger() != 0 : defaultValue;
}

float GetFloat(const LuaObject& table, const std::string& key, float defaultValue) {
  return ToFloat(GetField(table, key), defaultValue);
}

float ToFloat(const LuaObject& object, float defaultValue) {
  return object.IsNumber() ? object.GetFloat() : defaultValue;
}

std::string GetString(const LuaObject& table, const std::string& key, const std::string& defaultValue) {
  return ToString(GetField(table, key), defaultValue);
}

std::string ToString(const LuaObject& object, const std::string& defaultValue) {
  return object.IsString() ? object.ToStdString() : defaultValue;
}

math::Vec2 GetVec2(const LuaObject& table, const std::string& key, const math::Vec2& defaultValue) {
  return ToVec2(GetField(table, key), defaultValue);
}

math::Vec2 ToVec2(const LuaObject& object, const math::Vec2& defaultValue) {
  if (!object.IsTable() || object.GetTableCount() != 2) return defaultValue;
  return {ToFloat(object[1], defaultValue.x), ToFloat(object[2], defaultValue.y)};
}

math::Vec3 GetVec3(const LuaObject& table, const std::string& key, const math::Vec3& defaultValue) {
  return ToVec3(GetField(table, key), defaultValue);
}

math::Vec3 ToVec3(const LuaObject& object, const math::Vec3& defaultValue) {
  if (!object.IsTable() || object.GetTableCount() != 3) return defaultValue;
  return {ToFloat(object[1], defaultValue.x), ToFloat(object[2], defaultValue.y),
          ToFloat(object[3], defaultValue.z)};
}

math::Vec4 GetVec4(const LuaObject& table, const std::string& key, const math::Vec4& defaultValue) {
  return ToVec4(GetField(table, key), defaultValue);
}

math::Vec4 ToVec4(const LuaObject& object, const math::Vec4& defaultValue) {
  if (!object.IsTable() || object.GetTableCount() != 4) return defaultValue;
  return {ToFloat(object[1], defaultValue.x), ToFloat(object[2], defaultValue.y),
          ToFloat(object[3], defaultValue.z), ToFloat(object[4], defaultValue.w)};
}

float GetGlobalFloat(LuaState* state, const std::string& tableName, const std::string& key,
                     float defaultValue) {
  return GetFloat(GetGlobal(state, tableName), key, defaultValue);
}

LuaState* CreateLuaState(StateUse use) {
  // Errors that cannot go through a state's "_ALERT" (a script replaced or broke it) are
  // logged all the same.
  LuaState::SetFallbackErrorSink([](const char* message) {
    LogScriptText(message, std::strlen(message));
  });
  LuaState* state = use == StateUse::Data
                        ? LuaState::CreateBounded(kDataStateMemoryLimit, kDataStateInstructionLimit)
                        : LuaState::Create(true, false);
  if (!state) return nullptr;
  try {
    luabind::open(state->GetCState());
  } catch (...) {
    LOG_LINE(MSG_ERROR) << "Unable to open luabind on a Lua state";
  }
  LuaObject globals = state->GetGlobals();
  globals.Register("LOG", LuaPrint);
  globals.Register("_ALERT", LuaPrint);
  globals.Register("print", LuaPrint);
  globals.Register("dofile", LuaDoFile);
  return state;
}

bool LoadScript(LuaState* state, const std::string& fileName) {
  if (fileName.empty() || !state) {
    LOG_LINE(MSG_ERROR) << "Failed to load script file " << fileName << ". Program may become unstable.";
    return false;
  }
  vfs::File file;
  if (!vfs::VFS::Instance().LoadFile(fileName, file)) {
    LOG_LINE(MSG_SCRIPT) << "Unable to load script file " << fileName;
    return false;
  }
  // The chunk is named after the file so that Lua's error messages say where they are.
  std::string chunkName = "@" + fileName;
  if (state->DoBuffer(file.Chars(), file.size, chunkName.c_str()) != 0) {
    LOG_LINE(MSG_SCRIPT) << "Unable to parse script file " << fileName;
    return false;
  }
  LOG_LINE(MSG_INIT) << "LUA Script " << fileName << " Loaded from " << file.name;
  return true;
}

void EnsureGlobalTable(LuaState* state, const std::string& name) {
  if (!state) return;
  LuaObject globals = state->GetGlobals();
  LuaObject current = globals[name];
  if (current.IsNil()) globals.CreateTable(name.c_str());
}

}  // namespace script
