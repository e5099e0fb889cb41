#pragma once

#include <cstddef>
#include <string>

struct lua_State;
using lua_CFunction = int (*)(lua_State*);

class LuaState;

// A reference to one Lua value, in the shape of LuaPlus's LuaObject. The value is held in
// the state's registry, so it stays alive while the object exists. An object made by the
// default constructor, or whose state was destroyed, is empty: it holds no state, counts
// as nil and ignores every change.
//
// Reads by key (operator[], GetByName, GetByIndex) honour metatables and are protected:
// an error inside an __index handler gives nil. Writes (Set*, CreateTable, Register) are
// raw sets and do nothing unless the object is a table.
class LuaObject {
 public:
  LuaObject() = default;
  // The value at a stack index of the state (the stack is left unchanged).
  LuaObject(LuaState* state, int stackIndex);
  // The same for a stack of a thread of the state (a C function's own lua_State, which is
  // a coroutine's when called inside one); empty when L belongs to no LuaState.
  LuaObject(lua_State* L, int stackIndex);
  LuaObject(const LuaObject& other);
  LuaObject(LuaObject&& other) noexcept;
  LuaObject& operator=(const LuaObject& other);
  LuaObject& operator=(LuaObject&& other) noexcept;
  ~LuaObject();

  LuaState* GetState() const { return state_; }
  bool IsEmpty() const { return state_ == nullptr; }
  void Reset();

  // Lua type number (LUA_TNIL for an empty object) and its name.
  int Type() const;
  const char* TypeName() const;
  bool IsNil() const;
  // True only for values of number type: a numeric string is a string.
  bool IsNumber() const;
  bool IsBoolean() const;
  bool IsString() const;
  bool IsTable() const;
  bool IsFunction() const;
  bool IsUserData() const;

  // Numbers truncated toward zero and clamped to the int range; 0 when not a number.
  int GetInteger() const;
  double GetNumber() const;
  float GetFloat() const { return static_cast<float>(GetNumber()); }
  // Lua truthiness: false only for nil and false.
  bool GetBoolean() const;
  // The string (valid while this object lives); "" when not a string.
  const char* GetString() const;
  size_t GetStrLen() const;
  std::string ToStdString() const { return std::string(GetString(), GetStrLen()); }

  // Number of array elements (the raw length of a table); 0 for other values.
  int GetTableCount() const;

  LuaObject GetByName(const char* name) const;
  LuaObject GetByIndex(int index) const;
  LuaObject GetByObject(const LuaObject& key) const;
  LuaObject operator[](const char* name) const { return GetByName(name); }
  LuaObject operator[](const std::string& name) const { return GetByName(name.c_str()); }
  LuaObject operator[](int index) const { return GetByIndex(index); }

  LuaObject& SetNil(const char* name);
  LuaObject& SetNumber(const char* name, double value);
  LuaObject& SetInteger(const char* name, int value) { return SetNumber(name, value); }
  LuaObject& SetBoolean(const char* name, bool value);
  LuaObject& SetString(const char* name, const char* value);
  LuaObject& SetString(const char* name, const std::string& value);
  LuaObject& SetObject(const char* name, const LuaObject& value);
  LuaObject& SetNil(int index);
  LuaObject& SetNumber(int index, double value);
  LuaObject& SetInteger(int index, int value) { return SetNumber(index, value); }
  LuaObject& SetBoolean(int index, bool value);
  LuaObject& SetString(int index, const std::string& value);
  LuaObject& SetObject(int index, const LuaObject& value);
  LuaObject& SetObject(const LuaObject& key, const LuaObject& value);

  // A new table stored under the name (or index) with room for the given numbers of
  // array and hash elements; the returned object refers to it (empty when this object
  // is not a table).
  LuaObject CreateTable(const char* name, int arraySize = 0, int hashSize = 0);
  LuaObject CreateTable(int index, int arraySize = 0, int hashSize = 0);

  // Binds a C function under the name.
  LuaObject& Register(const char* name, lua_CFunction function);

  // Pushes the value onto the state's stack (nothing for an empty object).
  void Push() const;

 private:
  friend class LuaState;

  void Attach(LuaState* state);
  // Leaves the state's list and forgets the state and the reference (without releasing it).
  void Detach();
  // Moves other's reference into this empty object; other is left empty.
  void TakeOver(LuaObject& other);
  // Pushes the value and returns the Lua state, or null (nothing pushed) when empty.
  lua_State* PushValue() const;
  // Pushes the value when it is a table and returns the Lua state; else null, nothing
  // pushed.
  lua_State* PushTable() const;

  LuaState* state_ = nullptr;
  int ref_ = -2;  // LUA_NOREF
  LuaObject* prev_ = nullptr;
  LuaObject* next_ = nullptr;
};
