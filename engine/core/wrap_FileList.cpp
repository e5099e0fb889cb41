// Lua binding of directory listings: class "FileList" and the global "SearchDir".

#include <luabind/luabind.hpp>

#include "engine/core/FileList.h"
#include "engine/core/Log.h"
#include "platform/luaplus/LuaState.h"

namespace script {

bool RegisterFileList(LuaState* state) {
  try {
    // Lists come only from "SearchDir", which keeps them: no constructor, no adoption.
    luabind::module(state->GetCState())[
      luabind::class_<FileList>("FileList")
        .def("Build", &FileList::Build)
        .def("GetFileC", &FileList::GetFileC)
        .def("GetFileName", &FileList::GetFileName)
        .def("GetBaseFileName", &FileList::GetBaseFileName)
        .def("GetExtension", &FileList::GetExtension)
        .def("IsDirectory", &FileList::IsDirectory)
        .def("IsHidden", &FileList::IsHidden)
        .def("IsSystem", &FileList::IsSystem)
        .def("IsArchive", &FileList::IsArchive)
        .def("IsReadOnly", &FileList::IsReadOnly)
        .def("Reset", &FileList::Reset)
        .def("SortNumber", &FileList::SortNumber)
    ];
    luabind::module(state->GetCState())[
      luabind::def("SearchDir", &SearchDir)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register FileList: " << e.what();
    return false;
  }
  return true;
}

}  // namespace script
