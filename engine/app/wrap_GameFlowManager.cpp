// Lua binding of the game flow manager: the state and transition functions scripts call,
// all working on the process-wide manager, and the class "GameFlowManager". The class has
// no constructor of its own.
//
// "AddGameScreen" makes a screen state, so it is registered beside the screen state's
// own binding (RegisterAddGameScreen, declared in GameFlowManager.h).

#include <luabind/luabind.hpp>

#include "engine/app/GameFlowManager.h"
#include "engine/core/Log.h"
#include "platform/luaplus/LuaState.h"

namespace gameflow {

namespace {

void GoStateForScript(const std::string& name, float delay) { GameFlowManager::Instance().GoState(name, delay); }

void JumpStateForScript(const std::string& name) { GameFlowManager::Instance().GoState(name, 0.0f); }

std::string GetCurrentStateForScript() { return GameFlowManager::Instance().GetCurrentStateName(); }

std::string GetLastStateForScript() { return GameFlowManager::Instance().GetLastStateName(); }

void DelayScriptForScript(const std::string& script, float delay) {
  GameFlowManager::Instance().DelayScript(script, delay);
}

void SetTransitionEffectForScript(const std::string& name, const std::string& target, const std::string& script) {
  GameFlowManager::Instance().transitions.StartTransition(name, target, script);
}

}  // namespace

bool RegisterGameFlowManager(LuaState* state) {
  try {
    luabind::module(state->GetCState())[
      luabind::class_<GameFlowManager>("GameFlowManager")
        .def("IsActive", &GameFlowManager::IsActive)
    ];
    luabind::module(state->GetCState())[
      luabind::def("GoState", &GoStateForScript),
      luabind::def("JumpState", &JumpStateForScript),
      luabind::def("GetCurrentState", &GetCurrentStateForScript),
      luabind::def("GetLastState", &GetLastStateForScript),
      luabind::def("DelayScript", &DelayScriptForScript),
      luabind::def("SetTransitionEffect", &SetTransitionEffectForScript)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register GameFlowManager: " << e.what();
    return false;
  }
  return true;
}

}  // namespace gameflow
