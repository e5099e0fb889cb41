#include "platform/luaplus/LuaObject.h"

#include <climits>
#include <cmath>
#include <lua.hpp>

#include "platform/luaplus/LuaState.h"

namespace {

// Stack: table, key. Leaves table[key] (metamethods honoured).
int IndexValue(lua_State* L) {
  lua_gettable(L, 1);
  return 1;
}

// Replaces the container on the top of the stack by container[key], where the key is
// pushed by pushKey. Plain tables are read raw; anything with a metatable goes through a
// protected lua_gettable so that a failing __index handler cannot escape as a Lua error.
template <typename PushKey>
void IndexTop(lua_State* L, PushKey pushKey) {
  int type = lua_type(L, -1);
  if (type == LUA_TTABLE && !lua_getmetatable(L, -1)) {
    pushKey();
    lua_rawget(L, -2);
    lua_remove(L, -2);
    return;
  }
  if (type == LUA_TTABLE) lua_pop(L, 1);  // the metatable pushed by the test above
  if (type != LUA_TTABLE && type != LUA_TUSERDATA && type != LUA_TSTRING) {
    lua_pop(L, 1);
    lua_pushnil(L);
    return;
  }
  lua_pushcfunction(L, IndexValue);
  lua_insert(L, -2);
  pushKey();
  if (lua_pcall(L, 2, 1, 0) != LUA_OK) {
    lua_pop(L, 1);
    lua_pushnil(L);
  }
}

}  // namespace

LuaObject::LuaObject(LuaState* state, int stackIndex) {
  if (!state) return;
  lua_State* L = state->GetCState();
  lua_pushvalue(L, stackIndex);
  ref_ = luaL_ref(L, LUA_REGISTRYINDEX);
  Attach(state);
}

LuaObject::LuaObject(lua_State* L, int stackIndex) {
  LuaState* state = LuaState::CastState(L);
  if (!state) return;
  // The value may sit on a coroutine's stack; the registry is shared by all threads.
  lua_pushvalue(L, stackIndex);
  ref_ = luaL_ref(L, LUA_REGISTRYINDEX);
  Attach(state);
}

LuaObject::LuaObject(const LuaObject& other) {
  if (lua_State* L = other.PushValue()) {
    ref_ = luaL_ref(L, LUA_REGISTRYINDEX);
    Attach(other.state_);
  }
}

LuaObject::LuaObject(LuaObject&& other) noexcept { TakeOver(other); }

LuaObject& LuaObject::operator=(const LuaObject& other) {
  if (this == &other) return *this;
  LuaObject copy(other);
  *this = std::move(copy);
  return *this;
}

LuaObject& LuaObject::operator=(LuaObject&& other) noexcept {
  if (this == &other) return *this;
  Reset();
  TakeOver(other);
  return *this;
}

LuaObject::~LuaObject() { Reset(); }

void LuaObject::Reset() {
  if (!state_) return;
  luaL_unref(state_->GetCState(), LUA_REGISTRYINDEX, ref_);
  Detach();
}

void LuaObject::TakeOver(LuaObject& other) {
  if (!other.state_) return;
  LuaState* state = other.state_;
  const int ref = other.ref_;
  other.Detach();
  ref_ = ref;
  Attach(state);
}

void LuaObject::Attach(LuaState* state) {
  state_ = state;
  prev_ = nullptr;
  next_ = state->objects_;
  if (next_) next_->prev_ = this;
  state->objects_ = this;
}

void LuaObject::Detach() {
  if (!state_) return;
  if (prev_) {
    prev_->next_ = next_;
  } else {
    state_->objects_ = next_;
  }
  if (next_) next_->prev_ = prev_;
  prev_ = next_ = nullptr;
  state_ = nullptr;
  ref_ = LUA_NOREF;
}

lua_State* LuaObject::PushValue() const {
  if (!state_) return nullptr;
  lua_State* L = state_->GetCState();
  lua_rawgeti(L, LUA_REGISTRYINDEX, ref_);
  return L;
}

lua_State* LuaObject::PushTable() const {
  lua_State* L = PushValue();
  if (!L) return nullptr;
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    return nullptr;
  }
  return L;
}

void LuaObject::Push() const { PushValue(); }

int LuaObject::Type() const {
  lua_State* L = PushValue();
  if (!L) return LUA_TNIL;
  int type = lua_type(L, -1);
  lua_pop(L, 1);
  return type;
}

const char* LuaObject::TypeName() const {
  int type = Type();
  return state_ ? lua_typename(state_->GetCState(), type) : "nil";
}

bool LuaObject::IsNil() const { return Type() == LUA_TNIL; }
bool LuaObject::IsNumber() const { return Type() == LUA_TNUMBER; }
bool LuaObject::IsBoolean() const { return Type() == LUA_TBOOLEAN; }
bool LuaObject::IsString() const { return Type() == LUA_TSTRING; }
bool LuaObject::IsTable() const { return Type() == LUA_TTABLE; }
bool LuaObject::IsFunction() const { return Type() == LUA_TFUNCTION; }
bool LuaObject::IsUserData() const {
  int type = Type();
  return type == LUA_TUSERDATA || type == LUA_TLIGHTUSERDATA;
}

double LuaObject::GetNumber() const {
  lua_State* L = PushValue();
  if (!L) return 0.0;
  double value = lua_type(L, -1) == LUA_TNUMBER ? lua_tonumber(L, -1) : 0.0;
  lua_pop(L, 1);
  return value;
}

int LuaObject::GetInteger() const {
  double value = GetNumber();
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

bool LuaObject::GetBoolean() const {
  lua_State* L = PushValue();
  if (!L) return false;
  bool value = lua_toboolean(L, -1) != 0;
  lua_pop(L, 1);
  return value;
}

const char* LuaObject::GetString() const {
  lua_State* L = PushValue();
  if (!L) return "";
  // Only real strings: converting a number in place would leave a pointer to a string
  // that nothing keeps alive once popped.
  const char* text = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
  lua_pop(L, 1);
  return text;  // anchored by this object's registry reference
}

size_t LuaObject::GetStrLen() const {
  lua_State* L = PushValue();
  if (!L) return 0;
  size_t length = 0;
  if (lua_type(L, -1) == LUA_TSTRING) lua_tolstring(L, -1, &length);
  lua_pop(L, 1);
  return length;
}

int LuaObject::GetTableCount() const {
  lua_State* L = PushTable();
  if (!L) return 0;
  size_t count = lua_rawlen(L, -1);
  lua_pop(L, 1);
  return count > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

LuaObject LuaObject::GetByName(const char* name) const {
  lua_State* L = PushValue();
  if (!L) return LuaObject();
  IndexTop(L, [&] { lua_pushstring(L, name ? name : ""); });
  LuaObject result(state_, -1);
  lua_pop(L, 1);
  return result;
}

LuaObject LuaObject::GetByIndex(int index) const {
  lua_State* L = PushValue();
  if (!L) return LuaObject();
  IndexTop(L, [&] { lua_pushinteger(L, index); });
  LuaObject result(state_, -1);
  lua_pop(L, 1);
  return result;
}

LuaObject LuaObject::GetByObject(const LuaObject& key) const {
  if (key.state_ != state_) return LuaObject();
  lua_State* L = PushValue();
  if (!L) return LuaObject();
  IndexTop(L, [&] { key.PushValue(); });
  LuaObject result(state_, -1);
  lua_pop(L, 1);
  return result;
}

namespace {
// Stack: ..., table, key, value -> ..., (raw set done, table popped). A nil or NaN key
// would raise an error outside any protected call, so such sets are dropped.
void RawSetAndPop(lua_State* L) {
  bool badKey = lua_isnil(L, -2) || (lua_type(L, -2) == LUA_TNUMBER && std::isnan(lua_tonumber(L, -2)));
  if (badKey) {
    lua_pop(L, 3);
    return;
  }
  lua_rawset(L, -3);
  lua_pop(L, 1);
}
}  // namespace

LuaObject& LuaObject::SetNil(const char* name) {
  if (lua_State* L = PushTable()) {
    lua_pushstring(L, name);
    lua_pushnil(L);
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetNumber(const char* name, double value) {
  if (lua_State* L = PushTable()) {
    lua_pushstring(L, name);
    lua_pushnumber(L, value);
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetBoolean(const char* name, bool value) {
  if (lua_State* L = PushTable()) {
    lua_pushstring(L, name);
    lua_pushboolean(L, value);
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetString(const char* name, const char* value) {
  if (lua_State* L = PushTable()) {
    lua_pushstring(L, name);
    lua_pushstring(L, value ? value : "");
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetString(const char* name, const std::string& value) {
  if (lua_State* L = PushTable()) {
    lua_pushstring(L, name);
    lua_pushlstring(L, value.data(), value.size());
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetObject(const char* name, const LuaObject& value) {
  if (value.state_ && value.state_ != state_) return *this;
  if (lua_State* L = PushTable()) {
    lua_pushstring(L, name);
    if (!value.PushValue()) lua_pushnil(L);
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetNil(int index) {
  if (lua_State* L = PushTable()) {
    lua_pushinteger(L, index);
    lua_pushnil(L);
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetNumber(int index, double value) {
  if (lua_State* L = PushTable()) {
    lua_pushinteger(L, index);
    lua_pushnumber(L, value);
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetBoolean(int index, bool value) {
  if (lua_State* L = PushTable()) {
    lua_pushinteger(L, index);
    lua_pushboolean(L, value);
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetString(int index, const std::string& value) {
  if (lua_State* L = PushTable()) {
    lua_pushinteger(L, index);
    lua_pushlstring(L, value.data(), value.size());
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetObject(int index, const LuaObject& value) {
  if (value.state_ && value.state_ != state_) return *this;
  if (lua_State* L = PushTable()) {
    lua_pushinteger(L, index);
    if (!value.PushValue()) lua_pushnil(L);
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject& LuaObject::SetObject(const LuaObject& key, const LuaObject& value) {
  if (key.state_ != state_ || (value.state_ && value.state_ != state_)) return *this;
  if (lua_State* L = PushTable()) {
    key.PushValue();
    if (!value.PushValue()) lua_pushnil(L);
    RawSetAndPop(L);
  }
  return *this;
}

LuaObject LuaObject::CreateTable(const char* name, int arraySize, int hashSize) {
  lua_State* L = PushTable();
  if (!L) return LuaObject();
  lua_pushstring(L, name);
  lua_createtable(L, arraySize, hashSize);
  LuaObject table(state_, -1);
  RawSetAndPop(L);
  return table;
}

LuaObject LuaObject::CreateTable(int index, int arraySize, int hashSize) {
  lua_State* L = PushTable();
  if (!L) return LuaObject();
  lua_pushinteger(L, index);
  lua_createtable(L, arraySize, hashSize);
  LuaObject table(state_, -1);
  RawSetAndPop(L);
  return table;
}

LuaObject& LuaObject::Register(const char* name, lua_CFunction function) {
  if (lua_State* L = PushTable()) {
    lua_pushstring(L, name);
    lua_pushcfunction(L, function);
    RawSetAndPop(L);
  }
  return *this;
}
