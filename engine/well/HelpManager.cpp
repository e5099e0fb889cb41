#include "engine/well/HelpManager.h"

#include <cstdio>

#include "engine/app/Audio.h"

namespace well {

HelpManager::~HelpManager() = default;

std::string HelpManager::GetTipName(int32_t id) {
  char name[32];
  if (id + 1 < 10) {
    std::snprintf(name, sizeof name, "HINT_0%i", id + 1);
  } else {
    std::snprintf(name, sizeof name, "HINT_%i", id + 1);
  }
  return name;
}

void HelpManager::ShowHint(int32_t id, const math::Vec2& pointA, const math::Vec2& pointB) {
  if (!IsHintEnabled(id)) return;
  if (!popup_) CreatePopup();
  queue_.push_back(Hint{id, pointA, pointB});
  ShowNext();
  audio::GetAudio().PlaySound("HINT_OPEN");
}

void HelpManager::ShowNext() {
  // A loop rather than recursion: a long run of hints that are no longer enabled is
  // dropped without growing the stack.
  while (popup_ && popup_->state == HintPopup::kHidden && !queue_.empty()) {
    const Hint hint = queue_.front();
    if (!IsHintEnabled(hint.id)) {
      queue_.erase(queue_.begin());
      continue;
    }
    popup_->Open(hint.pointA, hint.pointB, GetTipName(hint.id));
    audio::GetAudio().PlaySound("hint_up");
    OnHintShown(hint.id);
    if (!queue_.empty()) queue_.erase(queue_.begin());
    return;
  }
}

void HelpManager::CloseHint() {
  if (!popup_) return;
  if (popup_->state != HintPopup::kOpen && popup_->state != HintPopup::kHidden) return;
  if (popup_->Now() - popup_->openTime <= popup_->minDisplayTime) return;
  if (queue_.empty()) {
    popup_->Close();
    audio::GetAudio().PlaySound("hint_close");
  } else {
    popup_->Hide();
  }
  ShowNext();
}

}  // namespace well
