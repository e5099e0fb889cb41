#pragma once

#include <string>

#include "engine/core/Math.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"

// The toolkit every reader of Lua data files uses: create a throw-away state, run a file
// through the file system, fetch a global table, read its fields with a type check and a
// default, destroy the state:
//
//   LuaState* state = script::CreateLuaState();
//   if (script::LoadScript(state, "scripts/swear.lua")) {
//     LuaObject table = script::GetGlobal(state, "Swear");
//     int count = script::GetInt(table, "Count", 0);
//   }
//   LuaState::Destroy(state);
//
// Readers never fail: an absent field, nil, or a value of another type gives the default.
// An empty LuaObject (no state) counts as absent.
namespace script {

// The field of a table; an empty object when the table is empty, nil or not a table.
LuaObject GetField(const LuaObject& table, const std::string& key);
LuaObject GetGlobal(LuaState* state, const std::string& name);

// Number fields only: a string such as "12" gives the default.
int GetInt(const LuaObject& table, const std::string& key, int defaultValue);
// A boolean field gives its value; a number field is true when its integer value is not 0.
bool GetBool(const LuaObject& table, const std::string& key, bool defaultValue);
float GetFloat(const LuaObject& table, const std::string& key, float defaultValue);
float ToFloat(const LuaObject& object, float defaultValue);
std::string GetString(const LuaObject& table, const std::string& key, const std::string& defaultValue);
std::string ToString(const LuaObject& object, const std::string& defaultValue);

// A table of exactly 2, 3 or 4 elements; otherwise the whole default. An element that is
// not a number takes the default's component.
math::Vec2 GetVec2(const LuaObject& table, const std::string& key, const math::Vec2& defaultValue);
math::Vec2 ToVec2(const LuaObject& object, const math::Vec2& defaultValue);
math::Vec3 GetVec3(const LuaObject& table, const std::string& key, const math::Vec3& defaultValue);
math::Vec3 ToVec3(const LuaObject& object, const math::Vec3& defaultValue);
math::Vec4 GetVec4(const LuaObject& table, const std::string& key, const math::Vec4& defaultValue);
math::Vec4 ToVec4(const LuaObject& object, const math::Vec4& defaultValue);

// The number field key of the global table tableName.
float GetGlobalFloat(LuaState* state, const std::string& tableName, const std::string& key,
                     float defaultValue);

// Data files are Lua programs from outside: a throw-away state that reads one stops with a
// script error once its code has run this many instructions or holds this much memory.
// Both lie far above what any real data file needs.
constexpr unsigned long long kDataStateInstructionLimit = 20'000'000;
constexpr size_t kDataStateMemoryLimit = 64u << 20;

enum class StateUse {
  Data,      // a throw-away state that reads data files, under the limits above
  Resident,  // the console's and the configuration's states, which live as long as the game
};

// A new state with the standard libraries and luabind opened, and the global functions
// "LOG", "_ALERT" and "print" (each writes its arguments, separated by tabs, as one
// MSG_SCRIPT log line) and "dofile" (runs a file read through the file system). Because
// "_ALERT" is the log printer, every error of a chunk run in the state reaches the log.
// The caller destroys the state with LuaState::Destroy.
LuaState* CreateLuaState(StateUse use = StateUse::Data);

// Reads the file through vfs::VFS::LoadFile and runs it; false (with a log line) when the
// name is empty, the file is missing, or Lua reports an error.
bool LoadScript(LuaState* state, const std::string& fileName);

// Creates an empty global table of that name when the global is nil.
void EnsureGlobalTable(LuaState* state, const std::string& name);

}  // namespace script
