// The board's mouse and keys: chains start at a press and resolve or cancel at the
// release; developer keys act only in cheat mode.

#include "engine/core/Console.h"
#include "game/board/KivBlock.h"
#include "game/board/KivSpell.h"
#include "game/board/KivWell.h"
#include "game/shell/KivVars.h"

void KivWell::MouseMoved(const math::Vec2& oldPosition, const math::Vec2& newPosition) {
  pointer_ = newPosition;
}

void KivWell::MouseButtonPressed(uint32_t button, const math::Vec2& position) {
  if (button == kLeftButton && !spellBrush_) StartChain(position);
}

void KivWell::UnselectChain() {
  for (KivBlock* member : chain_) {
    if (member && !member->IsDying()) member->Unselect();
  }
}

void KivWell::ForgetChain() {
  hovered_ = nullptr;
  pressed_ = nullptr;
  chain_.clear();
}

void KivWell::MouseButtonReleased(uint32_t button, const math::Vec2& position) {
  if (spellBrush_) {
    // Any button casts an armed spell; the release that does not leaves it armed.
    spellBrush_->TryCast();
    if (spellBrush_->IsFinished()) {
      spellBrush_.reset();
      hovered_ = nullptr;
      chain_.clear();
    }
    return;
  }
  buttonHeld_ = false;
  if (button == kRightButton) {
    UnselectChain();
    pressed_ = nullptr;
    chain_.clear();
    return;
  }
  GrowChain(position);
  ResolveChain(chain_, false, true);
  hovered_ = nullptr;
  UnselectChain();
  chain_.clear();
  previewScore_ = 0;
  previewLength_ = 0;
}

void KivWell::KeyPressed(uint32_t key) {
  KivVars& vars = KivVars::Instance();
  if (key == kKeyF1) {
    // The level editor comes with its own issue; until then F1 only asks whether the
    // developer data would allow it.
    vars.LoadDevData();
    return;
  }
  if (!vars.GetCheatMode()) return;
  switch (key) {
    case kKeyW:
      WinGame();
      break;
    case kKeyT:
      vars.ResetTrophies();
      break;
    case kKeyP:
      console::GetConsole().Do("EnableAllSpells()");
      break;
    case kKeyH:
      vars.ResetHints();
      break;
    case kKeyL:
      LooseGame();
      break;
    case kKeyZ:
      AddZen(Constant("max_zen"), -1);
      break;
    case kKeyC:
      AddGold(10);
      break;
    default:
      break;
  }
}
