#include "engine/app/GameState.h"

#include "engine/app/Audio.h"
#include "engine/app/AudioSet.h"
#include "engine/core/Log.h"

GameState::GameState() {
  enteringTimer.duration = kEnteringTime;
  enteringTimer.remaining = kEnteringTime;
}

bool GameState::OnEnter() {
  LOG_LINE(MSG_COMMENT) << "Entering game state " << name;
  active = true;
  return true;
}

bool GameState::OnExit() {
  LOG_LINE(MSG_COMMENT) << "Exiting game state " << name;
  if (audio::AudioSet* bank = audio::GetAudio().GetSoundBank()) bank->Play("screen_shift");
  active = false;
  return true;
}

bool GameState::Tick(float dt) {
  if (entering) {
    enteringTimer.Update(dt);
    if (enteringTimer.remaining < 0.0f) entering = false;
  }
  ++tickCount;
  return true;
}
