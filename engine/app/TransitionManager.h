#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/app/GameTransition.h"
#include "engine/core/StringMap.h"

namespace gameflow {

class GameFlowManager;

// Makes a new transition phase of one kind, carrying the name it was started with.
using TransitionFactory = GameTransition* (*)(const std::string& name);

struct TransitionEntry {
  TransitionFactory factory = nullptr;
  std::string name;
};

// The screen transitions by name and the one that runs: an outgoing phase that covers the
// screen and then lets the game flow manager go to the target state, followed by an
// incoming phase that uncovers it. Lives inside the game flow manager, which ticks it in
// place of the current state while a transition runs.
class TransitionManager : public StringMap<TransitionEntry> {
 public:
  // Registers "xwipe", "circle", "grid", "roll", "iris" and "fade", in this order.
  explicit TransitionManager(GameFlowManager& flow);
  ~TransitionManager() override;

  // Logs "already created a transition <name>" and keeps the first for a name that is
  // registered.
  void RegisterTransition(const std::string& name, TransitionFactory factory);
  // Starts the named kind (case-insensitive; an empty name picks a registered kind with
  // the engine's C-style generator, and the phases keep the empty name). The running
  // transition, if any, is discarded without running its script. An unknown name logs
  // "Couldn't find transition <name>" and leaves a running transition alone.
  void StartTransition(const std::string& name, const std::string& target, const std::string& script);
  // Advances the outgoing phase; when it has finished it is destroyed and, with a target,
  // the flow manager goes to the target (delay 0). Without an outgoing phase, advances the
  // incoming one and destroys it when it has finished. Phases go when the outermost tick
  // returns: a phase's script may run frames, and so ticks, of its own.
  void Tick(float dt);
  // The outgoing phase, else the incoming one; nothing when none runs.
  void Render();

  bool IsRunning() const { return outgoing || incoming; }

  std::unique_ptr<GameTransition> outgoing;
  std::unique_ptr<GameTransition> incoming;
  std::string targetState;

 private:
  GameFlowManager& flow_;
  // Phases that finished or were replaced; freed when the outermost tick returns, once no
  // script of theirs runs any more.
  std::vector<std::unique_ptr<GameTransition>> retired_;
  // Ticks running: more than one while a phase's script runs frames of its own.
  int tickDepth_ = 0;
};

}  // namespace gameflow
