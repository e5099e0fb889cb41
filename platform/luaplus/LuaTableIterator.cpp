#include "platform/luaplus/LuaTableIterator.h"

#include <lua.hpp>

#include "platform/luaplus/LuaState.h"

namespace {
// Stack: table, key. Leaves key, value (or nothing) as next(table, key) gives them.
int NextPair(lua_State* L) {
  lua_settop(L, 2);
  if (lua_next(L, 1)) return 2;
  return 0;
}
}  // namespace

LuaTableIterator::LuaTableIterator(const LuaObject& table) : table_(table) {
  if (table_.IsTable()) Advance();
}

void LuaTableIterator::Next() {
  if (valid_) Advance();
}

void LuaTableIterator::Advance() {
  valid_ = false;
  LuaState* state = table_.GetState();
  if (!state) return;
  lua_State* L = state->GetCState();
  int top = lua_gettop(L);
  // lua_next raises an error for a key that is no longer in the table; run it protected.
  lua_pushcfunction(L, NextPair);
  table_.Push();
  if (key_.IsEmpty()) {
    lua_pushnil(L);
  } else {
    key_.Push();
  }
  if (lua_pcall(L, 2, LUA_MULTRET, 0) == LUA_OK && lua_gettop(L) == top + 2) {
    key_ = LuaObject(state, -2);
    value_ = LuaObject(state, -1);
    valid_ = true;
  } else {
    key_.Reset();
    value_.Reset();
  }
  lua_settop(L, top);
}
