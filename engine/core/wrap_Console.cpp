// Lua binding of the console: class "Console" (method "Do") and the global "GetConsole".

#include <luabind/luabind.hpp>

#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "platform/luaplus/LuaState.h"

namespace console {

namespace {
Console* GetConsoleForLua() { return &GetConsole(); }
}  // namespace

bool RegisterConsole(LuaState* state) {
  if (!state) return false;
  try {
    // No constructor: scripts reach the one console through GetConsole.
    luabind::module(state->GetCState())[
      luabind::class_<Console>("Console")
        .def("Do", &Console::Do)
    ];
    luabind::module(state->GetCState())[
      luabind::def("GetConsole", &GetConsoleForLua)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register Console: " << e.what();
    return false;
  }
  return true;
}

}  // namespace console
