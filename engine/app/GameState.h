#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Log.h"
#include "engine/core/Timer.h"

// One screen or mode of the game (menu, map, shop, a level), run by the game flow
// manager: entered, ticked (or ticked during a screen transition) and rendered while
// current, told about focus changes, and exited.
class GameState {
 public:
  GameState() {
    enteringTimer.duration = 0.9f;
    enteringTimer.remaining = 0.9f;
  }
  virtual ~GameState() = default;
  GameState(const GameState&) = delete;
  GameState& operator=(const GameState&) = delete;

  virtual bool OnEnter() {
    LOG_LINE(MSG_COMMENT) << "Entering game state " << name;
    active = true;
    return true;
  }
  // (The "screen_shift" sound of a state change joins here with the sound bank.)
  virtual bool OnExit() {
    LOG_LINE(MSG_COMMENT) << "Exiting game state " << name;
    active = false;
    return true;
  }
  virtual bool Tick(float dt) {
    if (entering) {
      enteringTimer.Update(dt);
      if (enteringTimer.remaining < 0.0f) entering = false;
    }
    ++tickCount;
    return true;
  }
  // Called instead of Tick while a screen transition runs.
  virtual void TickInTransition(float dt) {}
  // Draws and presents one frame; false when the frame failed to begin or to be presented.
  virtual bool Render() = 0;
  // The window regained (OnResume) or lost (OnPause) the focus.
  virtual void OnResume() {}
  virtual void OnPause() {}
  virtual std::string GetTypeName() const { return "state"; }

  std::string name = "Base State";
  bool active = false;    // between OnEnter and OnExit; only an active state is rendered
  bool entering = false;  // from being made pending until the entering timer runs out
  CountdownTimer enteringTimer;
  uint32_t tickCount = 0;
};
