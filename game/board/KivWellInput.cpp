// The board's mouse and keys: chains start at a press and resolve or cancel at the
// release; developer keys act only in cheat mode and never while the editor is attached.

#include "engine/core/Console.h"
#include "engine/core/MemoryManager.h"
#include "game/board/KivBlock.h"
#include "game/board/KivEditor.h"
#include "game/board/KivGoal.h"
#include "game/board/KivSpell.h"
#include "game/board/KivWell.h"
#include "game/shell/KivVars.h"

void KivWell::MouseMoved(const math::Vec2& oldPosition, const math::Vec2& newPosition) {
  pointer_ = newPosition;
  if (editor_) editor_->MouseMoved(oldPosition, newPosition);
}

void KivWell::MouseButtonPressed(uint32_t button, const math::Vec2& position) {
  if (editor_) {
    editor_->MouseButtonPressed(button, position);
    return;
  }
  if (button == kLeftButton && !spellBrush_) StartChain(position);
}

void KivWell::MouseButtonDown(uint32_t button, const math::Vec2& position) {
  if (editor_) editor_->MouseButtonDown(button, position);
}

void KivWell::MouseWheel(int32_t delta, const math::Vec2&) {
  if (editor_) editor_->MouseWheel(delta);
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
  if (editor_) return;
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
    ToggleEditor();
    return;
  }
  // While the editor is attached every other key is the editor's: the developer keys do
  // nothing then (W would end the level being edited).
  if (editor_) {
    editor_->KeyPressed(key);
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

void KivWell::ToggleEditor() {
  if (editor_) {
    editor_.reset();
    if (wall_) wall_->UpdateAll();
    RebuildTileList();
    CountTiles();
    // The editing took no time off the level: a TIME fail goal starts its clock again.
    if (failGoal_ && failGoal_->kind == KivGoal::kTime) failGoal_->progress = 0.0f;
    return;
  }
  if (!KivVars::Instance().LoadDevData()) return;
  ClearWell();
  LoadWell(wellFileName_);
  MEMORY_OWNER("KivWell::ToggleEditor");
  editor_ = std::make_unique<KivEditor>(this);
  spellBrush_.reset();
}
