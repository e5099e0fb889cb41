#pragma once

#include <string>

class GameApp;
class GameState;

namespace gameflow {

// The owner of the game's states: ticks and renders the current one once a frame and
// feeds it the mouse and keyboard. Process-wide, created on first use.
//
// Here: the current state, the focus time, the frame's tick and render, and entering a
// state. The registered states by name, the pending state, the delayed scripts and the
// screen transitions are the flow manager's too and are added with them.
class GameFlowManager {
 public:
  static GameFlowManager& Instance();

  GameFlowManager() = default;
  GameFlowManager(const GameFlowManager&) = delete;
  GameFlowManager& operator=(const GameFlowManager&) = delete;

  // One frame of game flow: the current state's tick, then the mouse and the keyboard
  // (their events dropped unless IsActive), then the render when the application is
  // windowed, or active and not paused.
  void Tick();
  // Renders the current state when it is active. A frame that fails (the device was lost)
  // waits 100 ms and, when the application is active and not paused, resets the device.
  void Render();
  // Leaves the current state (when there is one) and enters state; null is refused.
  void EnterState(GameState* state);
  // More than 0.3 s of total time since the window last regained focus and, when the
  // application is set, the application is active and not paused.
  bool IsActive() const;
  std::string GetCurrentStateName() const;

  GameState* current = nullptr;
  GameState* last = nullptr;
  // Set by the game at start-up; while null nothing is rendered by Tick.
  GameApp* application = nullptr;
  // The frame timer's total time when the window last gained focus (the window procedure
  // writes it).
  float focusTime = 0.0f;
};

}  // namespace gameflow
