#include "engine/app/GameFlowManager.h"

#include "engine/app/GameApp.h"
#include "engine/app/GameState.h"
#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/core/Log.h"
#include "engine/core/Timer.h"
#include "platform/win32/Time.h"

namespace gameflow {

namespace {
constexpr float kFocusSettleTime = 0.3f;
}  // namespace

GameFlowManager& GameFlowManager::Instance() {
  static GameFlowManager manager;
  return manager;
}

bool GameFlowManager::IsActive() const {
  if (!(FrameTimer::Instance().GetTime() - focusTime > kFocusSettleTime)) return false;
  return !application || (application->active && !application->paused);
}

void GameFlowManager::Tick() {
  const FrameTimer& timer = FrameTimer::Instance();
  const float dt = timer.GetDelta();
  const float t = timer.GetTime();
  // Input read in the first 0.3 s after the focus returns, without focus, or while paused
  // is dropped.
  const bool skip = !IsActive();

  if (current) {
    current->Tick(dt);
    // The state's tick first, then the mouse, then the keyboard: a frame's mouse events
    // reach the listeners before its keyboard events.
    input::Input& devices = input::GetDevices();
    if (devices.mouse) devices.mouse->Update(skip, dt, t);
    if (devices.keyboard) devices.keyboard->Update(skip, dt, t);
  }

  if (application && (!application->fullscreen || (application->active && !application->paused))) {
    Render();
  }
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
  if (current) current->OnExit();
  last = current;
  current = state;
  state->OnEnter();
  FrameTimer::Instance().Update();
  FrameTimer::Instance().Update();
}

std::string GameFlowManager::GetCurrentStateName() const { return current ? current->name : "unknown"; }

}  // namespace gameflow
