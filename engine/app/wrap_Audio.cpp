// Lua binding of the audio manager: class "Audio" and the global "GetAudio". Scripts get
// the one process-wide manager; the class has no constructor of its own.

#include <luabind/luabind.hpp>

#include "engine/app/Audio.h"
#include "engine/core/Log.h"
#include "platform/luaplus/LuaState.h"

namespace audio {

namespace {
Audio* GetAudioForScript() { return &Audio::Instance(); }
}  // namespace

bool RegisterAudio(LuaState* state) {
  try {
    luabind::module(state->GetCState())[
      luabind::class_<Audio>("Audio")
        .def("PlayMusic", &Audio::PlayMusic)
        .def("StopSound", &Audio::StopSound)
        .def("StopAll", &Audio::StopAll)
        .def("PlaySound", &Audio::PlaySound)
        .def("SetSFXVolume", &Audio::SetSFXVolume)
        .def("SetMusicVolume", &Audio::SetMusicVolume)
        .def("GetSFXVolume", &Audio::GetSFXVolume)
        .def("GetMusicVolume", &Audio::GetMusicVolume)
        .def("PlayCD", &Audio::PlayCD)
        .def("PlaySegment", &Audio::PlaySegment)
    ];
    luabind::module(state->GetCState())[
      luabind::def("GetAudio", &GetAudioForScript)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register Audio: " << e.what();
    return false;
  }
  return true;
}

}  // namespace audio
