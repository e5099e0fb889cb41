#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Timer.h"

// One screen or mode of the game (menu, map, shop, a level), run by the game flow
// manager: made pending, entered, ticked (or ticked during a screen transition) and
// rendered while current, told about focus changes, and exited.
//
// What a derived state must do: draw the running screen transition (the manager's
// outgoing one, else its incoming one) after everything else and before it ends the frame
// and presents; return the result of presenting from Render; call the base OnEnter and
// OnExit from its overrides (the manager renders only an active state); and keep the
// entering phase and tickCount going as GameState::Tick does.
class GameState {
 public:
  static constexpr float kEnteringTime = 0.9f;

  GameState();
  virtual ~GameState() = default;
  GameState(const GameState&) = delete;
  GameState& operator=(const GameState&) = delete;

  // Logs "Entering game state <name>"; the state becomes active.
  virtual bool OnEnter();
  // Logs "Exiting game state <name>" and plays the sound bank's "screen_shift" (when the
  // audio manager has a sound bank); the state stops being active.
  virtual bool OnExit();
  // Runs the entering phase down and counts the tick.
  virtual bool Tick(float dt);
  // Called instead of Tick while a screen transition runs.
  virtual void TickInTransition(float dt) {}
  // Draws and presents one frame; false when the frame failed to begin or to be presented.
  virtual bool Render() = 0;
  // The window regained (OnResume) or lost (OnPause) the focus.
  virtual void OnResume() {}
  virtual void OnPause() {}
  virtual std::string GetTypeName() const { return "state"; }

  // Replaced by the name the state is registered under.
  std::string name = "Base State";
  // Between OnEnter and OnExit; only an active state is rendered.
  bool active = false;
  // From being made pending (GoState) until the entering timer runs out; a state left
  // before that keeps it until it is made pending again.
  bool entering = false;
  // 0.9 s, restarted by GoState.
  CountdownTimer enteringTimer;
  // Ticks since the state was last made pending.
  uint32_t tickCount = 0;
};
