#include "game/board/KivHelp.h"
#include "game/board/KivSummary.h"
#include "game/board/LevelInfo.h"
#include "game/shell/CursorSet.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivFashionPopup.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivHighscoreServer.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivUITransition.h"
#include "game/shell/KivVars.h"
#include "game/shell/Music.h"
#include "game/shell/Shell.h"

void ShutdownShellObjects() {
  // The screens' objects first: they hold pictures and particles of the renderer.
  if (KivTrophyScreen* screen = KivTrophyScreen::Existing()) screen->Shutdown();
  if (KivUITransition* transition = KivUITransition::Existing()) transition->Shutdown();
  // The fashion screens before the catalogue: they hold the heroine's pictures and her
  // copy in their panels goes with the user interface.
  KivFashionPopup::Destroy();
  KivFashionStudio::Destroy();
  KivDresses::Destroy();
  // The tip popup holds its frame picture and particles; the summary gives up a score
  // request still under way.
  KivHelp::Shutdown();
  KivSummary::Shutdown();
  KivTrophyData::Instance().Shutdown();
  // The level and goal tables: the level records, then the goal records.
  LevelInfo::Shutdown();
  KivMusic::Instance().Shutdown();
  // The score client keeps nothing of its own: its user id is the game variables'.
  KivVars::Instance().Shutdown();
  // The cursors are freed while the video system still exists.
  CursorSet::Shutdown();
}
