#pragma once

#include "platform/luaplus/LuaObject.h"

// Walks the pairs of a table in Lua's own order, in the shape of LuaPlus's
// LuaTableIterator:
//   for (LuaTableIterator it(table); it.IsValid(); it.Next()) { it.GetKey(); it.GetValue(); }
// The table must not get new keys during the walk (changing or clearing present ones is
// allowed, as with Lua's next). A value that is not a table gives no pairs.
class LuaTableIterator {
 public:
  explicit LuaTableIterator(const LuaObject& table);

  bool IsValid() const { return valid_; }
  void Next();
  const LuaObject& GetKey() const { return key_; }
  const LuaObject& GetValue() const { return value_; }

 private:
  void Advance();  // from key_ (nil: the start) to the next pair

  LuaObject table_;
  LuaObject key_;
  LuaObject value_;
  bool valid_ = false;
};
