#include "game/shell/KivHighscoreServer.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivVars.h"
#include "game/shell/Music.h"
#include "game/shell/Shell.h"

void ShutdownShellObjects() {
  KivTrophyData::Instance().Shutdown();
  KivMusic::Instance().Shutdown();
  // The score client keeps nothing of its own: its user id is the game variables'.
  KivVars::Instance().Shutdown();
}
