// Lua binding of the particle systems: the classes "PartGroup" and then "Part2D". Scripts
// reach a system through the objects that hold one (the particle widget's GetPartsys).

#include <luabind/luabind.hpp>

#include "engine/core/Log.h"
#include "engine/part2d/Part2D.h"
#include "platform/luaplus/LuaState.h"

namespace part2d {

namespace {

void RegisterPartGroup(lua_State* L) {
  luabind::module(L)[
    luabind::class_<PartGroup>("PartGroup")
      .def("SetMaxC", &PartGroup::SetMaxC)
      .def("GetMaxC", &PartGroup::GetMaxC)
      .def("SetFuzzyBirth", &PartGroup::SetFuzzyBirth)
      .def("GetFuzzyBirth", &PartGroup::GetFuzzyBirth)
      .def("SetSize", &PartGroup::SetSize)
      .def("GetSizeFromMin", &PartGroup::GetSizeFromMin)
      .def("GetSizeFromMax", &PartGroup::GetSizeFromMax)
      .def("GetSizeToMin", &PartGroup::GetSizeToMin)
      .def("GetSizeToMax", &PartGroup::GetSizeToMax)
      .def("GetMinSpeed", &PartGroup::GetMinSpeed)
      .def("GetMaxSpeed", &PartGroup::GetMaxSpeed)
      .def("GetMinSpeedMag", &PartGroup::GetMinSpeedMag)
      .def("SetInitialSpeed", &PartGroup::SetInitialSpeed)
      .def("GetLifespan", &PartGroup::GetLifespan)
      .def("SetLifespan", &PartGroup::SetLifespan)
      .def("SetAdditive", &PartGroup::SetAdditive)
      .def("GetAdditive", &PartGroup::GetAdditive)
      .def("SetLockRect", &PartGroup::SetLockRect)
      .def("GetLockRect", &PartGroup::GetLockRect)
      .def("SetLockSize", &PartGroup::SetLockSize)
      .def("GetLockSize", &PartGroup::GetLockSize)
      .def("GetStretchSpeed", &PartGroup::GetStretchSpeed)
      .def("SetStretchSpeed", &PartGroup::SetStretchSpeed)
      .def("AddColor", &PartGroup::AddColor)
      .def("ClearColors", &PartGroup::ClearColors)
      .def("ClearParticles", &PartGroup::ClearParticles)
      .def("RecalcColors", &PartGroup::RecalcColors)
      .def("SetImage", &PartGroup::SetImage)
      .def("GetImage", &PartGroup::GetImage)
      .def("IsActive", &PartGroup::IsActive)
      .def("SetActive", &PartGroup::SetActive)
      .def("SetGenRate", &PartGroup::SetGenRate)
      .def("GetGenRate", &PartGroup::GetGenRate)
  ];
}

void RegisterSystem(lua_State* L) {
  luabind::module(L)[
    luabind::class_<Part2D>("Part2D")
      .def("Load", &Part2D::Load)
      .def("Save", &Part2D::Save)
      .def("GetGroup", &Part2D::GetGroup)
      .def("GroupC", &Part2D::GroupC)
      .def("CreateGroup", &Part2D::CreateGroup)
  ];
}

}  // namespace

bool RegisterPart2DClasses(LuaState* state) {
  if (!state) return false;
  lua_State* L = state->GetCState();
  try {
    RegisterPartGroup(L);
    RegisterSystem(L);
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register the particle classes: " << e.what();
    return false;
  }
  return true;
}

}  // namespace part2d
