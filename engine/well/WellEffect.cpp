#include "engine/well/WellEffect.h"

#include <algorithm>
#include <cmath>

#include "engine/core/StringUtil.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"

namespace well {

WellEffect::WellEffect(void* context, const std::string& panelFile) : context_(context) {
  startTimer_.duration = startTimer_.remaining = kStartDelay;
  stageTimer_.duration = stageTimer_.remaining = kStageInterval;
  if (!panelFile.empty()) LoadPanel(panelFile);
}

WellEffect::~WellEffect() {
  // The panel may have been dropped by the UI manager meanwhile, or rebuilt.
  if (ui::UIWidget* panel = GetPanel()) panel->SetIsVisible(false);
}

ui::UIWidget* WellEffect::GetPanel() {
  FollowPanel();
  return panel_.Get();
}

void WellEffect::FollowPanel() {
  if (!panel_.Renew()) return;
  for (CountUp& count : countUps_) {
    if (!count.widget) count.widget.Reset(panel_->GetWidgetByName(count.name));
  }
}

ui::UIWidget* WellEffect::LoadPanel(const std::string& file) {
  ui::UIManager& manager = ui::GetUIMan();
  ui::UIWidget* panel = manager.AddPanel(file);
  if (!panel) return nullptr;
  manager.PushPanelToFront(panel);
  panel->SetIsVisible(true);
  panel_ = ui::PanelHandle(panel);
  return panel;
}

void WellEffect::Tick(float dt) {
  startTimer_.Update(dt);
  if (!(startTimer_.remaining < 0.0f)) return;

  stageTimer_.Update(dt);
  if (stageTimer_.remaining < 0.0f) {
    stageTimer_.remaining = stageInterval_;
    OnStage(stage_);
    ++stage_;
  }
  OnStageTick(stage_, dt);
  elapsed_ += dt;

  FollowPanel();
  for (CountUp& count : countUps_) {
    if (count.delay > 0.0f) {
      count.delay -= dt;
    } else {
      count.current = std::min(count.current + count.rate * dt, count.target);
    }
    if (!count.widget) continue;
    if (count.asClock) {
      count.widget->SetText(SecondsToClock(count.current));
    } else {
      count.widget->SetText(IntToGroupedString(static_cast<long long>(count.current), ',', 3));
    }
  }
}

void WellEffect::AddCountUpByName(const std::string& name, float target, float start,
                                  bool asClock, float delay) {
  if (ui::UIWidget* panel = GetPanel()) AddCountUp(panel->GetWidgetByName(name), target, start, asClock, delay);
}

void WellEffect::AddCountUp(ui::UIWidget* widget, float target, float start, bool asClock,
                            float delay) {
  if (!widget) return;
  CountUp count;
  count.start = start;
  count.target = target;
  count.current = start;
  count.rate = (target - start) / kCountUpSeconds;
  count.widget.Reset(widget);
  count.name = widget->GetName();
  count.asClock = asClock;
  count.delay = delay;
  countUps_.push_back(count);
  widget->SetText("");
}

void WellEffect::SetWidgetText(const std::string& name, const std::string& text) {
  ui::UIWidget* panel = GetPanel();
  if (!panel) return;
  if (ui::UIWidget* widget = panel->GetWidgetByName(name)) widget->SetText(text);
}

}  // namespace well
