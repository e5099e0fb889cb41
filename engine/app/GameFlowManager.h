#pragma once

#include <string>
#include <vector>

#include "engine/app/GameState.h"
#include "engine/app/TransitionManager.h"
#include "engine/core/StringMap.h"

class GameApp;
class LuaState;

namespace camera {
class Camera;
}

namespace gameflow {

// A script that waits to run: delay is the time left, in seconds.
struct DelayedScript {
  float delay = 0.0f;
  std::string script;
};

// The owner of the game's named states. It keeps the current, the previous and a pending
// state, switches states after a delay or at the end of a screen transition, ticks and
// renders the current state once a frame, feeds it the mouse and keyboard, and runs the
// script texts that scripts asked to run later. Process-wide, created on first use.
//
// A frame (Tick): the current state's tick and then the mouse and the keyboard, or, while
// a screen transition runs, the transition and the state's TickInTransition with no input
// read at all; then the render; then at most one delayed script that is due (a frame in
// which one runs ends there); otherwise, once a pending state's delay has run out, the
// switch to it. Without a current state a frame only counts the pending state down.
//
// Scripts may run whole frames inside a frame (ForceRedraw, a score request's wait) from
// any tick or callback that runs a script. Such a frame is an ordinary frame, except that
// while a state is being left or entered it takes no pending state: a change is never
// entered again while it runs, and a state asked for meanwhile is taken after it.
class GameFlowManager {
 public:
  static constexpr float kFocusSettleTime = 0.3f;

  static GameFlowManager& Instance();

  GameFlowManager();
  ~GameFlowManager();
  GameFlowManager(const GameFlowManager&) = delete;
  GameFlowManager& operator=(const GameFlowManager&) = delete;

  // One frame on the frame timer's frame time and total time.
  void Tick();
  // One frame with the given frame time dt and total time t (seconds).
  void Tick(float dt, float t);
  // Renders the current state when it is active. A frame that fails (the device was lost)
  // waits 100 ms and, when the application is active and not paused, resets the device.
  // The message pump calls it too, to repaint an inactive window.
  void Render();
  // Leaves the current state (when there is one) and enters state at once; the pending
  // state is dropped. Null is refused with a warning. Called while a change runs (from an
  // enter or exit script), the state is entered once that change is over.
  void EnterState(GameState* state);
  // Makes the named state pending, to be entered once delay seconds have run out (delay 0:
  // at the end of the next frame in which no delayed script runs); it replaces any pending
  // state and restarts the state's entering phase. The current state's own name exits and
  // re-enters it. An unknown name logs "Unable to go to state <name>" and changes nothing.
  void GoState(const std::string& name, float delay);
  // Registers a state under a name; the manager owns it from then on. A name that is taken
  // logs the duplicate and deletes the new state.
  void AddTransitionState(const std::string& name, GameState* state);
  // Appends a script to run in the console once delay seconds have run out. Scripts are
  // looked at in the order they were added, one per frame at most.
  void DelayScript(const std::string& script, float delay);
  // Exits the current state and deletes every registered state. The delayed scripts stay
  // until the manager goes.
  void Shutdown();

  // More than 0.3 s of total time since the window last regained focus and, when the
  // application is set, the application is active and not paused.
  bool IsActive() const;
  // The same at the total time t.
  bool IsActiveAt(float t) const;
  // The state's name, or "unknown" when there is none.
  std::string GetCurrentStateName() const;
  std::string GetLastStateName() const;

  // Registered states by name (case-insensitive); owned.
  StringMap<GameState> states;
  // Given to every screen state that scripts create; the game sets it at start-up to the
  // application's camera. Not owned.
  camera::Camera* camera = nullptr;
  GameState* current = nullptr;
  GameState* last = nullptr;
  GameState* pendingState = nullptr;
  // Seconds left before pendingState is entered.
  float pendingDelay = 0.0f;
  // The running screen transition; a state's Render draws it (transitions.Render()).
  TransitionManager transitions;
  // Set by the game at start-up; while null nothing is rendered by Tick.
  GameApp* application = nullptr;
  // The frame timer's total time when the window last gained focus (the window procedure
  // writes it).
  float focusTime = 0.0f;
  // Scripts waiting to run, in the order they were added.
  std::vector<DelayedScript> delayed;

 private:
  // Lowers the delays up to the first script that is due, removes that one and runs it.
  // True when a script ran (the frame then ends).
  bool RunDelayedScript(float dt);

  // Set while EnterState leaves and enters states. Frames run from their scripts take no
  // pending state then, and an EnterState asked for meanwhile waits in deferred_.
  bool changing_ = false;
  GameState* deferred_ = nullptr;
};

// Registers the script functions "GoState", "JumpState", "GetCurrentState",
// "GetLastState", "DelayScript" and "SetTransitionEffect" and the class "GameFlowManager"
// (method "IsActive"), then "AddGameScreen" (RegisterAddGameScreen); they work on the
// process-wide manager. False, with a log line, when luabind refuses them.
bool RegisterGameFlowManager(LuaState* state);

// Registers the script function "AddGameScreen"(name, panel file, enter script, exit
// script). It makes a screen state (GameScreen) with the manager's camera, the panel file
// and the two scripts, registers it under the name with AddTransitionState, and logs
// "Adding screen <name> from file <panel file>" at MSG_COMMENT. A name that is taken logs
// "Duplicating the same game name into the game flow manager: <name>" and builds nothing.
bool RegisterAddGameScreen(LuaState* state);

}  // namespace gameflow
