#include "game/board/KivHelp.h"

#include <algorithm>
#include <memory>

#include "engine/app/Input.h"
#include "engine/app/Mouse.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/StringUtil.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivHintPopup.h"
#include "game/shell/KivVars.h"

namespace {

std::unique_ptr<KivHelp>& Slot() {
  static std::unique_ptr<KivHelp> instance;
  return instance;
}

constexpr const char* kTipNames[KivHelp::kTipCount] = {
    "TIP_FIRST_GOLD",
    "TIP_FIRST_ZEN",
    "TIP_ALMOST_DONE",
    "TIP_ZENOMETER_START",
    "TIP_ZENOMETER_FULL",
    "TIP_SLICER_APPEAR",
    "TIP_LEAF_APPEAR",
    "TIP_DOUBLE_LEAF_APPEAR",
    "TIP_DOUBLE_APPEAR",
    "TIP_TRIPLE_APPEAR",
    "TIP_TILE_BLAST_APPEAR",
    "TIP_TIME_ADDER_APPEAR",
    "TIP_TIME_WARNING",
    "TIP_SILVER_COIN",
    "TIP_GOLD_COIN",
    "TIP_ZENPOWER_FIREBALL_APPEAR",
    "TIP_ZENPOWER_LIGHTNING_APPEAR",
    "TIP_ZENPOWER_TILEGRAB_APPEAR",
    "TIP_ZENPOWER_FLOWERBLAST_APPEAR",
    "TIP_ZENPOWER_MATCH_APPEAR",
    "TIP_ZENPOWER_TIME_APPEAR",
    "FASHION_CHANGE_HINT",
    "FIRST_DOUBLE_ZEN",
    "ZEN_NOT_POWERED_YET",
};

bool LeftButtonHeld() {
  const input::Mouse* mouse = input::GetDevices().mouse;
  return mouse && mouse->buttons[0].down;
}

}  // namespace

KivHelp& KivHelp::Instance() {
  std::unique_ptr<KivHelp>& slot = Slot();
  if (!slot) {
    MEMORY_OWNER("KivHelp::Instance");
    slot = std::make_unique<KivHelp>();
  }
  return *slot;
}

KivHelp* KivHelp::Existing() { return Slot().get(); }

void KivHelp::Shutdown() { Slot().reset(); }

KivHelp* GetHelp() { return &KivHelp::Instance(); }

KivHelp::KivHelp() {
  placementEnd_ = math::Vec2(0.99f, 0.99f);
  placementStart_ = math::Vec2(0.01f, 0.05f);
  CreatePopup();
}

KivHelp::~KivHelp() = default;

void KivHelp::CreatePopup() {
  MEMORY_OWNER("KivHelp::CreatePopup");
  auto* popup = new KivHintPopup(placementEnd_, placementStart_.x, placementStart_.y);
  popup->UseGameFrame();
  popup->SetClock(clock_);
  SetPopup(popup);
}

void KivHelp::SetClock(const FrameTimer* clock) {
  clock_ = clock;
  if (popup_) popup_->SetClock(clock);
}

std::string KivHelp::TipName(int32_t id) {
  if (id < 0 || id >= kTipCount) return "";
  return kTipNames[id];
}

std::string KivHelp::GetSpellTipName(int32_t spell) {
  static constexpr const char* kSpellTips[] = {
      "TIP_ZENPOWER_MATCH_APPEAR",       "TIP_ZENPOWER_FIREBALL_APPEAR", "TIP_ZENPOWER_TILEGRAB_APPEAR",
      "TIP_ZENPOWER_FLOWERBLAST_APPEAR", "TIP_ZENPOWER_TIME_APPEAR",     "TIP_ZENPOWER_LIGHTNING_APPEAR"};
  if (spell < 0 || spell >= static_cast<int32_t>(std::size(kSpellTips))) return "";
  return kSpellTips[spell];
}

bool KivHelp::ShouldShowHint(int32_t id) const {
  const KivVars& vars = KivVars::Instance();
  if (vars.GetValue(kHintsOffVar) != 0) return false;
  if (id == kAlwaysShownTip) return true;
  if (id < 0 || id >= kTipCount) return false;
  return vars.GetValue(kShownVarBase + id) < 1;
}

void KivHelp::MarkShownInProfile(int32_t id) {
  if (id < 0 || id >= kTipCount) return;
  KivVars::Instance().SetValue(kShownVarBase + id, 1);
}

void KivHelp::QueueRequest(int32_t id, const math::Vec2& a, const math::Vec2& b, float delay) {
  for (const Request& waiting : requests_) {
    if (waiting.id == id) return;
  }
  requests_.push_back(Request{a, b, delay, id});
}

void KivHelp::RequestTip(int32_t id, const math::Vec2& a, const math::Vec2& b, float delay) {
  if (delay <= 0.0f && !LeftButtonHeld()) {
    ShowHint(id, a, b);
  } else {
    QueueRequest(id, a, b, delay);
  }
}

void KivHelp::TriggerHelpWidget(int32_t id, ui::UIWidget* widget, float delay) {
  if (!widget) return;
  RequestTip(id, widget->position, widget->position + widget->size, delay);
}

void KivHelp::TriggerHelpWidgetArea(int32_t id, ui::UIWidget* first, ui::UIWidget* second, float delay) {
  if (!first || !second) return;
  const math::Vec2 a(std::min(first->position.x, second->position.x), std::min(first->position.y, second->position.y));
  const math::Vec2 b(std::max(first->position.x + first->size.x, second->position.x + second->size.x),
                     std::max(first->position.y + first->size.y, second->position.y + second->size.y));
  RequestTip(id, a, b, delay);
}

int32_t KivHelp::MapStringToTip(const std::string& name) const {
  const std::string wanted = ToLowerCase(name);
  for (int32_t id = 0; id < kTipCount; ++id) {
    if (ToLowerCase(kTipNames[id]) == wanted) return id;
  }
  return -1;
}

void KivHelp::RemoveCurrent() { HidePopup(); }

void KivHelp::RemoveAll() {
  queue_.clear();
  HidePopup();
  requests_.clear();
  ++removeAllCount_;
}

void KivHelp::Reset() {
  queue_.clear();
  requests_.clear();
  HidePopup();
}

void KivHelp::Tick(float dt) {
  TickPopup(dt);
  if (IsPopupActive() || LeftButtonHeld()) return;
  for (size_t i = requests_.size(); i-- > 0;) {
    if (i >= requests_.size()) continue;  // a shown tip may have emptied the list
    requests_[i].delay -= dt;
    if (requests_[i].delay <= 0.0f) {
      const Request due = requests_[i];
      requests_.erase(requests_.begin() + static_cast<std::ptrdiff_t>(i));
      ShowHint(due.id, due.a, due.b);
    }
  }
}

void KivHelp::Render() { RenderPopup(math::Vec2(0.0f, 0.0f)); }
