#include "engine/app/TransitionManager.h"

#include <iterator>

#include "engine/app/GameFlowManager.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"

namespace gameflow {

TransitionManager::TransitionManager(GameFlowManager& flow) : flow_(flow) {
  RegisterTransition("xwipe", &GameTransitionXWipe::Create);
  RegisterTransition("circle", &GameTransitionCircle::Create);
  RegisterTransition("grid", &GameTransitionGrid::Create);
  RegisterTransition("roll", &GameTransitionRoll::Create);
  RegisterTransition("iris", &GameTransitionIris::Create);
  RegisterTransition("fade", &GameTransitionFade::Create);
}

// The phases go first, then the map with its entries.
TransitionManager::~TransitionManager() {
  outgoing.reset();
  incoming.reset();
  retired_.clear();
}

void TransitionManager::RegisterTransition(const std::string& name, TransitionFactory factory) {
  if (Find(name)) {
    LOG_LINE(MSG_WARNING) << "already created a transition " << name;
    return;
  }
  TransitionEntry* entry = new TransitionEntry;
  entry->factory = factory;
  entry->name = name;
  Insert(name, entry);
}

void TransitionManager::StartTransition(const std::string& name, const std::string& target,
                                        const std::string& script) {
  const TransitionEntry* entry = nullptr;
  if (name.empty()) {
    if (!Empty()) {
      // The engine's own C-style generator, so that a seeded run picks the same kinds.
      const size_t k = static_cast<size_t>(num::CRand()) % Size();
      entry = std::next(begin(), static_cast<std::ptrdiff_t>(k))->second;
    }
  } else {
    entry = Find(name);
  }
  if (!entry || !entry->factory) {
    LOG_LINE(MSG_WARNING) << "Couldn't find transition " << name;
    return;
  }

  // A transition started from the script of the outgoing phase replaces the phase that is
  // still running that script: it is kept until the outermost tick is over instead of
  // being freed under it.
  if (outgoing) retired_.push_back(std::move(outgoing));
  if (incoming) retired_.push_back(std::move(incoming));

  outgoing.reset(entry->factory(name));
  incoming.reset(entry->factory(name));
  incoming->reverse = true;
  outgoing->script = script;
  targetState = target;
}

void TransitionManager::Tick(float dt) {
  // A phase's script may run whole frames (ForceRedraw, a request's wait), each with a
  // tick of its own: such a tick may end the very phase whose script is running, or a
  // phase that a tick further out is running. Finished and replaced phases are retired,
  // and freed only when the outermost tick returns.
  ++tickDepth_;
  if (outgoing) {
    GameTransition* phase = outgoing.get();
    phase->Tick(dt);
    // Its script started another transition: that one takes over, with its own target. A
    // frame run by the script may also have ended it already (and gone to the target).
    if (outgoing.get() == phase && phase->IsFinished()) {
      retired_.push_back(std::move(outgoing));
      if (!targetState.empty()) flow_.GoState(targetState, 0.0f);
    }
  } else if (incoming) {
    GameTransition* phase = incoming.get();
    phase->Tick(dt);
    if (incoming.get() == phase && phase->IsFinished()) retired_.push_back(std::move(incoming));
  }
  if (--tickDepth_ == 0) retired_.clear();
}

void TransitionManager::Render() {
  if (outgoing) {
    outgoing->Render();
  } else if (incoming) {
    incoming->Render();
  }
}

}  // namespace gameflow
