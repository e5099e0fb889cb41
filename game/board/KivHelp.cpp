#include "game/board/KivHelp.h"

KivHelp& KivHelp::Instance() {
  static KivHelp instance;
  return instance;
}

KivHelp* GetHelp() { return &KivHelp::Instance(); }

bool KivHelp::ShouldShowHint(int32_t) const { return false; }

void KivHelp::ShowHint(int32_t, const math::Vec2&, const math::Vec2&) {}

void KivHelp::QueueRequest(int32_t, const math::Vec2&, const math::Vec2&, float) {}

void KivHelp::TriggerHelpWidget(int32_t, ui::UIWidget*, float) {}

void KivHelp::TriggerHelpWidgetArea(int32_t, ui::UIWidget*, ui::UIWidget*, float) {}

int32_t KivHelp::MapStringToTip(const std::string&) const { return -1; }

void KivHelp::RemoveCurrent() {}

void KivHelp::RemoveAll() {
  pending_ = 0;
  ++removeAllCount_;
}

void KivHelp::Reset() { pending_ = 0; }

void KivHelp::Tick(float) {}

void KivHelp::Render() {}
