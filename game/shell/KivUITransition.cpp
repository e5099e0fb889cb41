#include "game/shell/KivUITransition.h"

#include <cmath>

#include "engine/app/Audio.h"
#include "engine/core/Console.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivHelp.h"

KivUITransition& KivUITransition::Instance() {
  static KivUITransition instance;
  return instance;
}

KivUITransition* GetUITransition() { return &KivUITransition::Instance(); }

KivUITransition::KivUITransition() {
  sparkles_.Load(kSparklesFile);
  s_live = this;
}

KivUITransition::~KivUITransition() { s_live = nullptr; }

void KivUITransition::PlaySound(const char* name) {
  // Skipped while no sound bank is loaded.
  audio::Audio& audio = audio::GetAudio();
  if (audio.GetSoundBank()) audio.PlaySound(name);
}

void KivUITransition::Burst(float x, float y, float w, float h) {
  x += kBurstInset;
  y += kBurstInset;
  w -= 2.0f * kBurstInset;
  h -= 2.0f * kBurstInset;
  const math::Vec2 topLeft(x, y);
  const math::Vec2 topRight(x + w, y);
  const math::Vec2 bottomRight(x + w, y + h);
  const math::Vec2 bottomLeft(x, y + h);
  for (int round = 0; round < kBurstRounds; ++round) {
    sparkles_.Emit(topLeft, topRight);
    sparkles_.Emit(topRight, bottomRight);
    sparkles_.Emit(bottomRight, bottomLeft);
    sparkles_.Emit(bottomLeft, topLeft);
  }
}

void KivUITransition::StartPopup(ui::UIWidget* panel, ui::UIWidget* widget,
                                 const std::string& script) {
  if (!panel || !widget || panel == target_.Get() || panel->GetIsVisible()) return;
  if (target_) Finish(true);
  ui::UIManager& manager = ui::GetUIMan();
  manager.PushPanelToFront(panel);
  panel->SetIsVisible(true);
  widget->SetIsVisible(false);

  image_.LoadImage(widget->images[ui::UIWidget::IS_Off].fileName);
  image_.uv1 = math::Vec2(0.0f, 0.0f);
  image_.uv2 = math::Vec2(1.0f, 1.0f);
  image_.SetTransform(math::Vec2(0.0f, 0.0f), math::Vec2(0.0f, 0.0f), 0.0f, 1.0f, 0xFFFFFFFF);

  target_.Reset(panel);
  frame_.Reset(widget);
  const math::Vec2& position = widget->GetPosition();
  const math::Vec2& size = widget->GetSize();
  rect_[0] = position.x;
  rect_[1] = position.y;
  rect_[2] = size.x;
  rect_[3] = size.y;
  progress_ = 0.0f;
  script_ = script;
}

void KivUITransition::Tick(float dt) {
  // A panel taken out of the manager's list while it opened (dropped, or about to be
  // deleted at the end of the running pass) ends the opening without effects.
  const ui::UIManager* manager = ui::UIManager::Existing();
  if (target_ && (!manager || !manager->IsPanel(target_.Get()))) Finish(false);
  if (target_) {
    progress_ += kOpeningSpeed * dt;
    // Twelve frames of 1/60 s add up to a hair under 1 in single precision; the opening
    // still ends on the twelfth.
    if (progress_ >= 1.0f - kProgressSlack) {
      RemoveHints();
      Finish(true);
    } else {
      const float x = rect_[0], y = rect_[1], w = rect_[2], h = rect_[3];
      const float alpha = std::floor(progress_ * 255.0f);
      const uint32_t color = (static_cast<uint32_t>(alpha) << 24) | 0x00FFFFFFu;
      image_.SetTransform(
          math::Vec2(x + w / 2.0f - w * progress_ / 2.0f, y + h / 2.0f - h * progress_ / 2.0f),
          math::Vec2(w * progress_, h * progress_), 0.0f, 1.0f, color);
    }
  }
  sparkles_.Tick(dt);
}

void KivUITransition::Render() {
  if (target_) image_.Render();
  sparkles_.Render(math::Vec2(0.0f, 0.0f));
}

void KivUITransition::Finish(bool withEffects) {
  if (!target_) return;
  if (frame_) frame_->SetIsVisible(true);
  target_.Reset();
  frame_.Reset();
  if (!withEffects) return;
  PlaySound(kOpenSound);
  Burst(rect_[0], rect_[1], rect_[2], rect_[3]);
  if (!script_.empty()) {
    // A copy: the script may start another popup, which replaces the stored one.
    const std::string script = script_;
    console::GetConsole().Do(script);
  }
}

void KivUITransition::StartPopdown(ui::UIWidget* panel, ui::UIWidget* widget) {
  if (!panel || !widget) return;
  if (panel == target_.Get()) {
    if (frame_) frame_->SetIsVisible(true);
    target_.Reset();
    frame_.Reset();
  } else if (!panel->GetIsVisible()) {
    return;
  }
  ui::GetUIMan().PushPanelToBack(panel);
  panel->SetIsVisible(false);
  const math::Vec2& position = widget->GetPosition();
  const math::Vec2& size = widget->GetSize();
  Burst(position.x, position.y, size.x, size.y);
  PlaySound(kCloseSound);
}

// --- Script operations ---

namespace {

// The panel of that name and the widget of that name inside it; false when either is missing.
bool FindPanelWidget(const std::string& panelName, const std::string& widgetName,
                     ui::UIWidget*& panel, ui::UIWidget*& widget) {
  panel = ui::GetUIMan().GetPanel(panelName);
  widget = panel ? panel->GetWidgetByName(widgetName) : nullptr;
  return panel && widget;
}

}  // namespace

void KivUITransition::PopupWidget(const std::string& panelName, const std::string& widgetName,
                                  const std::string& script) {
  ui::UIWidget* panel = nullptr;
  ui::UIWidget* widget = nullptr;
  if (FindPanelWidget(panelName, widgetName, panel, widget)) StartPopup(panel, widget, script);
}

void KivUITransition::PopdownWidget(const std::string& panelName, const std::string& widgetName) {
  ui::UIWidget* panel = nullptr;
  ui::UIWidget* widget = nullptr;
  if (FindPanelWidget(panelName, widgetName, panel, widget)) StartPopdown(panel, widget);
}

void KivUITransition::ForceComplete() {
  if (target_) Finish(true);
}

void KivUITransition::ClearTransition() {
  if (target_) Finish(false);
  for (part2d::PartGroup* group : sparkles_.groups) group->ClearParticles();
}

void KivUITransition::RemoveHints() { KivHelp::Instance().RemoveAll(); }

void KivUITransition::Shutdown() {
  Finish(false);
  // The pictures go while the renderer still exists.
  for (part2d::PartGroup* group : sparkles_.groups) delete group;
  sparkles_.groups.clear();
  image_.Invalidate();
}
