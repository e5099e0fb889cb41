// Lua binding of the game flow manager: the state and transition functions scripts call,
// all working on the process-wide manager, and the class "GameFlowManager". The class has
// no constructor of its own.
//
// The screen state's script function "AddGameScreen" lives here too, so that the screen
// state needs no binding file of its own.

#include <luabind/luabind.hpp>

#include "engine/app/GameFlowManager.h"
#include "engine/app/GameScreen.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
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

void AddGameScreenForScript(const std::string& name, const std::string& panelFile, const std::string& enterScript,
                            const std::string& exitScript) {
  GameFlowManager& flow = GameFlowManager::Instance();
  // A taken name is refused before the screen is built: building it would load and hide
  // the panel file, which may be the panel of the screen that holds the name and is
  // showing it.
  if (flow.states.Find(name)) {
    LOG_LINE(MSG_ERROR) << "Duplicating the same game name into the game flow manager: " << name;
    return;
  }
  MEMORY_OWNER("AddGameScreen");
  flow.AddTransitionState(name, new GameScreen(flow.camera, panelFile, enterScript, exitScript));
  LOG_LINE(MSG_COMMENT) << "Adding screen " << name << " from file " << panelFile;
}

}  // namespace

bool RegisterAddGameScreen(LuaState* state) {
  try {
    luabind::module(state->GetCState())[
      luabind::def("AddGameScreen", &AddGameScreenForScript)
    ];
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register AddGameScreen: " << e.what();
    return false;
  }
  return true;
}

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
  return RegisterAddGameScreen(state);
}

}  // namespace gameflow
