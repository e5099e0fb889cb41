// Lua binding of the engine's script surface: the class "Script", the vector and ramp
// classes, the global script functions, and the registration of the other services'
// classes in their fixed order.

#include <luabind/luabind.hpp>
#include <luabind/operator.hpp>

#include "engine/app/Audio.h"
#include "engine/app/GameApp.h"
#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/app/Script.h"
#include "engine/core/Archive.h"
#include "engine/core/FileList.h"
#include "engine/core/Log.h"
#include "engine/core/Math.h"
#include "platform/luaplus/LuaState.h"

namespace {

using math::Vec2;
using math::Vec3;
using math::Vec4;

// Scripts multiply Vec2 component by component and take the dot product with "^"; Vec3
// multiplies as the cross product. math's own "*" between two Vec2 is the dot product, so
// these metamethods are functions of their own rather than luabind's operators.
Vec2 MulVec2(const Vec2& a, const Vec2& b) { return Vec2(a.x * b.x, a.y * b.y); }
float DotVec2(const Vec2& a, const Vec2& b) { return a.x * b.x + a.y * b.y; }
Vec3 CrossVec3(const Vec3& a, const Vec3& b) { return a.Cross(b); }
float DotVec3(const Vec3& a, const Vec3& b) { return a.Dot(b); }

// Normalises in place and gives the result, so that both "v:Normalize()" and
// "local n = v:Normalize()" work; a copy, since a reference would let Lua keep a pointer
// into a vector it may collect.
Vec2 NormalizeVec2(Vec2& v) { return v.Normalize(); }
Vec3 NormalizeVec3(Vec3& v) { return v.Normalize(); }

bool RegisterScriptObject(lua_State* L) {
  try {
    // No constructor: scripts reach the application's object through GetScript.
    luabind::module(L)[
      luabind::class_<GameScript>("Script")
        .def("GetOpenFile", &GameScript::GetOpenFile)
        .def("GetSaveFile", &GameScript::GetSaveFile)
        .def("GetOpenFileEx", &GameScript::GetOpenFileEx)
        .def("GetSaveFileEx", &GameScript::GetSaveFileEx)
    ];
    luabind::module(L)[
      luabind::def("GetScript", &GetScript)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register Script: " << e.what();
    return false;
  }
  return true;
}

bool RegisterMathClasses(lua_State* L) {
  using luabind::other;
  using luabind::self;
  try {
    luabind::module(L)[
      luabind::class_<Vec2>("Vec2")
        .def(luabind::constructor<>())
        .def(luabind::constructor<float, float>())
        .def_readwrite("x", &Vec2::x)
        .def_readwrite("y", &Vec2::y)
        .def(self + other<const Vec2&>())
        .def(self - other<const Vec2&>())
        .def("__mul", &MulVec2)
        .def(self / float())
        .def("__pow", &DotVec2)
        .def("Normalize", &NormalizeVec2)
        .def("Magnitude", &Vec2::Magnitude)
        .def("MagSqr", &Vec2::MagSqr),
      luabind::class_<Vec3>("Vec3")
        .def(luabind::constructor<>())
        .def(luabind::constructor<float, float, float>())
        .def_readwrite("x", &Vec3::x)
        .def_readwrite("y", &Vec3::y)
        .def_readwrite("z", &Vec3::z)
        .def(self + other<const Vec3&>())
        .def(self - other<const Vec3&>())
        .def("__mul", &CrossVec3)
        .def(self / float())
        .def("__pow", &DotVec3)
        .def("Normalize", &NormalizeVec3)
        .def("Magnitude", &Vec3::Magnitude)
        .def("MagSqr", &Vec3::MagSqr),
      luabind::class_<Vec4>("Vec4")
        .def(luabind::constructor<>())
        .def(luabind::constructor<float, float, float, float>()),
      // Ramps belong to the engine objects that use them: no constructor.
      luabind::class_<math::Ramp>("FloatRamp")
        .def("AddValue", &math::Ramp::AddValue)
        .def("GetValue", &math::Ramp::GetValue)
        .def("Recalc", &math::Ramp::Recalc)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register the vector classes: " << e.what();
    return false;
  }
  return true;
}

bool RegisterGlobals(lua_State* L) {
  try {
    luabind::module(L)[
      luabind::def("LoadLanguage", &script::LoadLanguage),
      luabind::def("HardQuitGame", &script::HardQuitGame),
      luabind::def("FullScreenMode", &script::FullScreenMode),
      luabind::def("WindowedMode", &script::WindowedMode),
      luabind::def("IsFullscreenMode", &script::IsFullscreenMode),
      luabind::def("CreateFont", &script::CreateFont),
      luabind::def("ResizeFont", &script::ResizeFont),
      luabind::def("SetFontBorder", &script::SetFontBorder),
      luabind::def("TakeScreenshot", &script::TakeScreenshot),
      luabind::def("ToggleFilter", &script::ToggleFilter),
      luabind::def("ReloadImages", &script::ReloadImages),
      luabind::def("ForceSave", &script::ForceSave),
      luabind::def("StartPlayTestSound", &script::StartPlayTestSound),
      luabind::def("ForceRedraw", &script::ForceRedraw),
      luabind::def("SetLocale", &script::SetLocale)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register the engine's script functions: " << e.what();
    return false;
  }
  return true;
}

}  // namespace

bool RegisterScriptFunctions(LuaState* state) {
  if (!state) return false;
  lua_State* L = state->GetCState();
  bool ok = RegisterScriptObject(L);
  ok = RegisterMathClasses(L) && ok;
  ok = RegisterGlobals(L) && ok;
  if (GetApplication()) ok = RegisterGameRMS(state) && ok;
  ok = script::RegisterFileList(state) && ok;
  ok = ui::RegisterUIClasses(state) && ok;
  ok = audio::RegisterAudio(state) && ok;
  ok = gameflow::RegisterGameFlowManager(state) && ok;
  ok = vfs::RegisterArchive(state) && ok;
  return ok;
}
