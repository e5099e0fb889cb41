// Lua binding of the profile store: class "GameRMS" and the global "GetRMS". Scripts get
// the application's store (nil when there is none); the class has no constructor of its
// own.

#include <luabind/luabind.hpp>

#include "engine/app/GameRMS.h"
#include "engine/core/Log.h"
#include "platform/luaplus/LuaState.h"

bool RegisterGameRMS(LuaState* state) {
  try {
    luabind::module(state->GetCState())[
      luabind::class_<GameRMS>("GameRMS")
        .def("Load", &GameRMS::Load)
        .def("Save", &GameRMS::Save)
        .def("Reset", &GameRMS::Reset)
        .def("IsUseFullscreenEnabled", &GameRMS::IsUseFullscreenEnabled)
        .def("SetUseFullscreenEnabled", &GameRMS::SetUseFullscreenEnabled)
        .def("GetSoundVolume", &GameRMS::GetSoundVolume)
        .def("GetMusicVolume", &GameRMS::GetMusicVolume)
        .def("SetSoundVolume", &GameRMS::SetSoundVolume)
        .def("SetMusicVolume", &GameRMS::SetMusicVolume)
        .def("IsOpen", &GameRMS::IsOpen)
        .def("IsCleared", &GameRMS::IsCleared)
        .def("SetOpen", &GameRMS::SetOpen)
        .def("IsCheating", &GameRMS::IsCheating)
        .def("GetRank", &GameRMS::GetRank)
        .def("GetScore", &GameRMS::GetScore)
        .def("SetRank", &GameRMS::SetRank)
        .def("SetScore", &GameRMS::SetScore)
        .def("GetTrophyValue", &GameRMS::GetTrophyValue)
        .def("SetTrophyValue", &GameRMS::SetTrophyValue)
        .def("AddProfile", &GameRMS::AddProfile)
        .def("GetProfileC", &GameRMS::GetProfileC)
        .def("GetCurrentProfile", &GameRMS::GetCurrentProfile)
        .def("GetMaxProfileC", &GameRMS::GetMaxProfileC)
        .def("ProfileValid", &GameRMS::ProfileValid)
        .def("SetProfile", &GameRMS::SetProfile)
        .def("DeleteProfile", &GameRMS::DeleteProfile)
        .def("GetName", &GameRMS::GetName)
        .def("GetNameFromID", &GameRMS::GetNameFromID)
        .def("SetLanguage", &GameRMS::SetLanguage)
        .def("GetLanguage", &GameRMS::GetLanguage)
        .def("GetLanguageFromID", &GameRMS::GetLanguageFromID)
        .def("GetLocation", &GameRMS::GetLocation)
        .def("GetLocationFromID", &GameRMS::GetLocationFromID)
    ];
    luabind::module(state->GetCState())[
      luabind::def("GetRMS", &GetRMS)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register GameRMS: " << e.what();
    return false;
  }
  return true;
}
