// Where the board meets the game shell: help tips, trophies and the trophy screen.

#include "engine/core/Console.h"
#include "game/board/KivBlock.h"
#include "game/board/KivWell.h"
#include "game/shell/KivVars.h"

bool KivWell::AllowsTip(int32_t tip) const { return false; }

void KivWell::OfferTip(int32_t tip, const math::Vec2& min, const math::Vec2& max, float delay) {}

void KivWell::RemoveAllTips() {}

int32_t KivWell::FeedMoveTrophies(int32_t blocks, int32_t flowers) { return 0; }

int32_t KivWell::FeedZenFullTrophy() { return 0; }

int32_t KivWell::CheckLevelsOpenTrophy() { return 0; }

void KivWell::ShowTrophyPopup(int32_t trophy) {}

bool KivWell::TrophyScreenShowing() const { return false; }

void KivWell::RunLevelIntroTips() {
  console::GetConsole().Do("TriggerSpellTips()");
}
