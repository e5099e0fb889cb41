#include "engine/app/GameFlowManager.h"

#include "engine/app/GameApp.h"
#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "engine/core/Timer.h"
#include "platform/win32/Time.h"

namespace gameflow {

GameFlowManager& GameFlowManager::Instance() {
  static GameFlowManager manager;
  return manager;
}

GameFlowManager::GameFlowManager() : transitions(*this) {}

// Members go in reverse order: the delayed scripts, the transitions, then the states
// (deleted by their map).
GameFlowManager::~GameFlowManager() = default;

bool GameFlowManager::IsActive() const { return IsActiveAt(FrameTimer::Instance().GetTime()); }

bool GameFlowManager::IsActiveAt(float t) const {
  if (!(t - focusTime > kFocusSettleTime)) return false;
  return !application || (application->active && !application->paused);
}

void GameFlowManager::Tick() {
  const FrameTimer& timer = FrameTimer::Instance();
  Tick(timer.GetDelta(), timer.GetTime());
}

void GameFlowManager::Tick(float dt, float t) {
  // Input read in the first 0.3 s after the focus returns, without focus, or while paused
  // is dropped.
  const bool skip = !IsActiveAt(t);

  if (current) {
    if (!transitions.IsRunning()) {
      current->Tick(dt);
      // The state's tick first, then the mouse, then the keyboard: a frame's mouse events
      // reach the listeners before its keyboard events.
      input::Input& devices = input::GetDevices();
      if (devices.mouse) devices.mouse->Update(skip, dt, t);
      if (devices.keyboard) devices.keyboard->Update(skip, dt, t);
    } else {
      // No input at all while a transition runs: what the player does then is not seen.
      transitions.Tick(dt);
      current->TickInTransition(dt);
    }

    if (application && (!application->fullscreen || (application->active && !application->paused))) {
      Render();
    }

    if (RunDelayedScript(dt)) return;
  }

  if (pendingState) {
    pendingDelay -= dt;
    // A frame run from an enter or exit script (ForceRedraw, a request's wait) leaves the
    // switch to the frames after the running change: taking it here would leave or enter a
    // state in the middle of that change.
    if (pendingDelay < 0.0f && !changing_) EnterState(pendingState);
  }
}

bool GameFlowManager::RunDelayedScript(float dt) {
  for (auto it = delayed.begin(); it != delayed.end(); ++it) {
    it->delay -= dt;
    if (it->delay < 0.0f) {
      // Out of the list before it runs: the script may add scripts of its own.
      const std::string script = std::move(it->script);
      delayed.erase(it);
      console::GetConsole().Do(script);
      return true;
    }
  }
  return false;
}

void GameFlowManager::Render() {
  if (!current || !current->active) return;
  if (current->Render()) return;
  Sleep(100);
  if (application && application->active && !application->paused) application->ApplyDisplayMode();
}

void GameFlowManager::EnterState(GameState* state) {
  if (!state) {
    LOG_LINE(MSG_WARNING) << "Trying to enter an invalid state into game flow manager";
    return;
  }
  // Asked for by code run inside a change (from an enter or exit script): taken once that
  // change is over, so that no state is left or entered twice and the last state stays
  // the one that was left.
  if (changing_) {
    deferred_ = state;
    return;
  }
  changing_ = true;
  if (current) current->OnExit();
  last = current;
  current = state;
  pendingState = nullptr;
  state->OnEnter();
  changing_ = false;
  // Entering may have taken long (loading); two updates let the smoothed frame time
  // settle on the next frame instead of carrying the load time into it.
  FrameTimer::Instance().Update();
  FrameTimer::Instance().Update();
  if (GameState* next = deferred_) {
    deferred_ = nullptr;
    EnterState(next);
  }
}

void GameFlowManager::GoState(const std::string& name, float delay) {
  GameState* state = states.Find(name);
  if (!state) {
    LOG_LINE(MSG_FATAL) << "Unable to go to state " << name;
    return;
  }
  pendingState = state;
  pendingDelay = delay;
  state->entering = true;
  state->enteringTimer.remaining = state->enteringTimer.duration;
  state->tickCount = 0;
}

void GameFlowManager::AddTransitionState(const std::string& name, GameState* state) {
  // Nothing to register; the game never hands in a null state.
  if (!state) return;
  // The map owns what it holds: a state handed in a second time (under any name) is
  // neither deleted under the map nor held twice, which would delete it twice at exit.
  bool registered = false;
  for (const auto& entry : states) registered |= entry.second == state;
  if (registered || states.Find(name)) {
    LOG_LINE(MSG_ERROR) << "Duplicating the same game name into the game flow manager: " << name;
    if (!registered) delete state;
    return;
  }
  state->name = name;
  states.Insert(name, state);
}

void GameFlowManager::DelayScript(const std::string& script, float delay) {
  delayed.push_back(DelayedScript{delay, script});
}

void GameFlowManager::Shutdown() {
  if (current) current->OnExit();
  current = nullptr;
  // The previous and the pending state are deleted with the rest: nothing may point at
  // them afterwards (GetLastStateName, a late tick).
  last = nullptr;
  pendingState = nullptr;
  deferred_ = nullptr;
  states.Clear();
}

std::string GameFlowManager::GetCurrentStateName() const { return current ? current->name : "unknown"; }

std::string GameFlowManager::GetLastStateName() const { return last ? last->name : "unknown"; }

}  // namespace gameflow
