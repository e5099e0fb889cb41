// Lua binding of the engine settings: class "ConfigFile" and the global "GetConfig".

#include <luabind/luabind.hpp>

#include "engine/core/ConfigFile.h"
#include "engine/core/Log.h"
#include "platform/luaplus/LuaState.h"

namespace config {

namespace {
ConfigFile* GetConfig() { return &ConfigFile::Instance(); }
}  // namespace

bool RegisterConfigFile(LuaState* state) {
  try {
    // GetVector and SetVector take and give the "Vec3" class, which the engine's script
    // functions register in the same state.
    luabind::module(state->GetCState())[
      luabind::class_<ConfigFile>("ConfigFile")
        .def("GetFloat", &ConfigFile::GetFloat)
        .def("SetFloat", &ConfigFile::SetFloat)
        .def("GetInt", &ConfigFile::GetInt)
        .def("SetInt", &ConfigFile::SetInt)
        .def("GetString", &ConfigFile::GetString)
        .def("SetString", &ConfigFile::SetString)
        .def("GetVector", &ConfigFile::GetVector)
        .def("SetVector", &ConfigFile::SetVector)
        .def("Load", &ConfigFile::Load)
    ];
    luabind::module(state->GetCState())[
      luabind::def("GetConfig", &GetConfig)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register ConfigFile: " << e.what();
    return false;
  }
  return true;
}

}  // namespace config
