#include "game/shell/KivHanaWidget.h"

#include <algorithm>

#include "game/shell/KivHana.h"

KivHanaWidget::KivHanaWidget(const KivHana& source) : ui::UIWidget(nullptr, kName), clone_(source.Clone()) {}

KivHanaWidget::~KivHanaWidget() { clone_.reset(); }

bool KivHanaWidget::Tick(float dt) {
  const bool result = ui::UIWidget::Tick(dt);
  if (IsActiveAndVisible() && clone_) clone_->Tick(dt);
  return result;
}

bool KivHanaWidget::Render(bool forced) {
  const bool result = ui::UIWidget::Render(forced);
  if (!forced && !IsActiveAndVisible()) return result;
  if (clone_) {
    clone_->SetPos(position);
    clone_->Render();
  }
  return result;
}

void KivHanaWidget::FitToParent() {
  if (parent) {
    SetPosition(math::Vec2(0.0f, 0.0f));
    SetSize(parent->GetSize());
  }
  if (!clone_) return;
  clone_->SetScale(1.0f);
  const math::Vec2 extent = clone_->GetSize();
  // A heroine without extent (a setup file that failed) keeps scale 1: the ratios would
  // be infinite or undefined.
  if (extent.x > 0.0f && extent.y > 0.0f) {
    clone_->SetScale(std::max(size.x / extent.x, size.y / extent.y));
  }
  clone_->SetPos(position);
}
