#include "game/board/KivTooltip.h"

#include <algorithm>

#include "engine/app/GameApp.h"
#include "engine/app/Input.h"
#include "engine/app/Mouse.h"
#include "engine/core/MemoryManager.h"
#include "game/board/KivHelp.h"
#include "game/board/KivHintPopup.h"

namespace {

math::Vec2 MousePosition() {
  const input::Mouse* mouse = input::GetDevices().mouse;
  return mouse ? mouse->position : input::g_cursorPosition;
}

}  // namespace

KivTooltips::KivTooltips() {
  MEMORY_OWNER("KivTooltips::KivTooltips");
  box_ = std::make_unique<KivHelpBox>();
  hover_.duration = kRestSeconds;
  hover_.remaining = kRestSeconds;
}

KivTooltips::~KivTooltips() = default;

void KivTooltips::SetTooltip(ui::UIWidget* widget, const std::string& text) {
  if (!widget) return;
  auto found =
      std::find_if(records_.begin(), records_.end(), [widget](const Record& r) { return r.widget.Get() == widget; });
  if (found != records_.end()) {
    if (text.empty()) {
      if (shown_.Get() == widget) shown_.Reset();
      records_.erase(found);
    } else {
      found->text = text;
    }
  } else if (!text.empty()) {
    records_.push_back(Record{ui::WidgetHandle(widget), text});
  }
}

bool KivTooltips::IsBoxShown() const {
  return box_->state == well::HintPopup::kOpening || box_->state == well::HintPopup::kOpen;
}

void KivTooltips::HideBox() {
  if (IsBoxShown()) box_->Close();
}

void KivTooltips::Tick(float dt) {
  const GameApp* app = GetApplication();
  if (app && app->paused) return;
  const KivHelp* help = KivHelp::Existing();
  if (help && help->ShowsHint()) {
    HideBox();
    box_->Tick(dt);
    return;
  }
  records_.erase(std::remove_if(records_.begin(), records_.end(), [](const Record& r) { return !r.widget; }),
                 records_.end());
  const math::Vec2 mouse = MousePosition();
  if (mouse.x == lastMouse_.x && mouse.y == lastMouse_.y) {
    if (hover_.IsDone()) {
      const auto found = std::find_if(records_.begin(), records_.end(),
                                      [&mouse](const Record& r) { return r.widget->IsInside(mouse); });
      if (found != records_.end() && found->widget.Get() != shown_.Get() && found->widget->IsActiveAndVisible()) {
        ui::UIWidget* widget = found->widget.Get();
        box_->Open(widget->position, widget->position + widget->size, found->text);
        shown_.Reset(widget);
      }
    } else {
      hover_.Tick(dt);
    }
  } else {
    hover_.remaining = hover_.duration;
    shown_.Reset();
    HideBox();
  }
  box_->Tick(dt);
  lastMouse_ = mouse;
}

void KivTooltips::Render() { box_->Render(math::Vec2(0.0f, 0.0f)); }

KivTooltipWidget::KivTooltipWidget(ui::UIWidget* parentWidget, const std::string& widgetName)
    : UIWidget(parentWidget, widgetName) {}

bool KivTooltipWidget::Tick(float dt) {
  const bool result = UIWidget::Tick(dt);
  tooltips_.Tick(dt);
  return result;
}

void KivTooltipWidget::RenderHighlight() {
  UIWidget::RenderHighlight();
  tooltips_.Render();
}
