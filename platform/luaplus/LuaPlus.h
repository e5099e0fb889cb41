#pragma once

// The whole LuaPlus stand-in: states, object references, table iteration and the Lua
// text writer.
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"
#include "platform/luaplus/LuaStateOutFile.h"
#include "platform/luaplus/LuaTableIterator.h"
