// Lua binding of the data archive: class "Archive" and the global "CreateArchive".

#include <luabind/adopt_policy.hpp>
#include <luabind/luabind.hpp>

#include "engine/core/Archive.h"
#include "engine/core/Log.h"
#include "platform/luaplus/LuaState.h"

namespace vfs {

namespace {

// The new archive belongs to Lua: it is deleted when the script drops it.
Archive* CreateArchive() { return new Archive(); }

bool AddFileOf(Archive& archive, const std::string& fileName) { return archive.AddFile(fileName); }

}  // namespace

bool RegisterArchive(LuaState* state) {
  try {
    luabind::module(state->GetCState())[
      luabind::class_<Archive>("Archive")
        .def("LoadArchive", &Archive::LoadArchive)
        .def("SaveArchive", &Archive::SaveArchive)
        .def("FileExists", &Archive::FileExists)
        .def("AddFile", &AddFileOf)
    ];
    luabind::module(state->GetCState())[
      luabind::def("CreateArchive", &CreateArchive, luabind::adopt(luabind::result))
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register Archive: " << e.what();
    return false;
  }
  return true;
}

}  // namespace vfs
