// Lua binding of the background scene and its editor: the classes "BGEditor" and
// "BGScene". Scripts reach the game's scene and editor through globals that the level
// state registers beside these classes.

#include <luabind/luabind.hpp>

#include "engine/background/BGEditor.h"
#include "engine/background/BGScene.h"
#include "engine/core/Log.h"
#include "platform/luaplus/LuaState.h"

namespace background {

namespace {

void SetSceneBackground(BGScene* scene, const std::string& name) { scene->SetBackground(name); }
bool SaveScene(BGScene* scene, const std::string& path) { return scene->Save(path); }
bool LoadScene(BGScene* scene, const std::string& path) { return scene->Load(path); }

}  // namespace

bool RegisterBGClasses(LuaState* state) {
  lua_State* L = state->GetCState();
  try {
    luabind::module(L)[
      luabind::class_<BGEditor>("BGEditor")
        .def("AddDecal", &BGEditor::AddDecal)
        .def("AddPartSys", &BGEditor::AddPartSys)
        .def("AddBiped", &BGEditor::AddBiped)
        .def("SetBackground", &BGEditor::SetBackground)
        .def("SetBackgroundTile", &BGEditor::SetBackgroundTile)
    ];
    luabind::module(L)[
      luabind::class_<BGScene>("BGScene")
        .def("SetBackground", &SetSceneBackground)
        .def("Save", &SaveScene)
        .def("Load", &LoadScene)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register BGScene: " << e.what();
    return false;
  }
  return true;
}

}  // namespace background
