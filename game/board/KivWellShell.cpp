// Where the board meets the game shell: help tips, trophies and the trophy screen.

#include "engine/core/Console.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivBlock.h"
#include "game/board/KivGameHud.h"
#include "game/board/KivHelp.h"
#include "game/board/KivWell.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivVars.h"

namespace {

constexpr int32_t kTipTilesToTurn3 = 13;
constexpr int32_t kTipTilesToTurn4 = 14;
constexpr float kStudioTipDelay = 15.0f;

}  // namespace

bool KivWell::AllowsTip(int32_t tip) const { return KivHelp::Instance().ShouldShowHint(tip); }

void KivWell::OfferTip(int32_t tip, const math::Vec2& min, const math::Vec2& max, float delay) {
  KivHelp& help = KivHelp::Instance();
  if (!help.ShouldShowHint(tip)) return;
  if (delay <= 0.0f) {
    help.ShowHint(tip, min, max);
  } else {
    help.QueueRequest(tip, min, max, delay);
  }
}

void KivWell::OfferWidgetTip(int32_t tip, ui::UIWidget* widget, float delay) {
  KivHelp& help = KivHelp::Instance();
  if (widget && help.ShouldShowHint(tip)) help.TriggerHelpWidget(tip, widget, delay);
}

void KivWell::RemoveAllTips() { KivHelp::Instance().RemoveAll(); }

int32_t KivWell::FeedMoveTrophies(int32_t blocks, int32_t flowers) {
  return KivTrophyData::Instance().OnMoveResolved(blocks, flowers);
}

int32_t KivWell::FeedZenFullTrophy() { return KivTrophyData::Instance().OnZenMeterFilled(); }

int32_t KivWell::CheckLevelsOpenTrophy() { return KivTrophyData::Instance().CheckLevelsOpen(); }

void KivWell::ShowTrophyPopup(int32_t trophy) {
  KivTrophyScreen& screen = KivTrophyScreen::Instance();
  screen.SetAllCmds("", "OnTrophyIdle()", "OnTrophyPopupClose()");
  screen.EnablePopup(true, trophy);
}

bool KivWell::TrophyScreenShowing() const {
  KivTrophyScreen* screen = KivTrophyScreen::Existing();
  return screen && (screen->IsVisible() || screen->IsPopupVisible());
}

void KivWell::RunLevelIntroTips() {
  RebuildCells();
  bool kindSeen[kKindNone + 1] = {};
  bool tileSeen[kMaxTileValue + 1] = {};
  for (int32_t x = 0; x < GetWidth(); ++x) {
    for (int32_t y = 0; y < GetHeight(); ++y) {
      KivBlock* block = GetKivBlock(x, y);
      if (block && !block->IsDying() && block->kind >= 0 && block->kind <= kKindNone &&
          !kindSeen[block->kind]) {
        kindSeen[block->kind] = true;
        block->ShowKindTip(x, y, 0.0f);
      }
      const int32_t tile = GetTileValue(x, y);
      if ((tile == 3 || tile == 4) && !tileSeen[tile]) {
        tileSeen[tile] = true;
        const math::Vec2 at = CellToScreen(x, y);
        OfferTip(tile == 3 ? kTipTilesToTurn3 : kTipTilesToTurn4, at, at + GetCellSize(), 0.0f);
      }
    }
  }
  // The studio's tip, while she owns more than one piece of a part and has not yet tried
  // one on in the studio (which marks the tip shown).
  KivVars& vars = KivVars::Instance();
  if (KivHelp::Instance().ShouldShowHint(KivHelp::kStudioTip) &&
      (vars.GetHeadPieceC() >= 2 || vars.GetUpperPieceC() >= 2 || vars.GetLowerPieceC() >= 2)) {
    if (ui::UIWidget* panel = ui::GetUIMan().GetPanel(KivGameHud::kPanel)) {
      if (ui::UIWidget* studio = panel->FindChild("btn_studio")) {
        KivHelp::Instance().TriggerHelpWidget(KivHelp::kStudioTip, studio, kStudioTipDelay);
      }
    }
  }
  console::GetConsole().Do("TriggerSpellTips()");
}
