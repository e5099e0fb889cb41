#include "game/shell/KivPieceWidget.h"

KivPieceWidget::KivPieceWidget(ui::UIWidget* box, const std::string& name, const math::Vec2& windowFrom,
                               const math::Vec2& windowTo)
    : ui::UIWidget(box, ""), windowFrom_(windowFrom), windowTo_(windowTo) {
  // A small margin keeps the box's frame in sight around the piece.
  const math::Vec2 boxSize = box ? box->GetSize() : math::Vec2(0.0f, 0.0f);
  Create(name, boxSize * 0.08f, boxSize * 0.84f);
}

KivPieceWidget::~KivPieceWidget() = default;

void KivPieceWidget::SetPiece(const std::string& sprite) {
  if (sprite == piece_ && sprite_.IsLoaded()) return;
  piece_ = sprite;
  if (sprite.empty()) {
    sprite_.Invalidate();
    return;
  }
  sprite_.Init(sprite, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
}

bool KivPieceWidget::Tick(float dt) {
  const bool result = ui::UIWidget::Tick(dt);
  if (IsActiveAndVisible()) sprite_.Animate(dt);
  return result;
}

bool KivPieceWidget::Render(bool forced) {
  const bool result = ui::UIWidget::Render(forced);
  if (!forced && !IsActiveAndVisible()) return result;
  const math::Vec2 window = windowTo_ - windowFrom_;
  if (!sprite_.IsLoaded() || window.x <= 0.0f || window.y <= 0.0f) return result;
  // The whole picture at the size that makes its window fill the widget.
  const math::Vec2 whole(size.x / window.x, size.y / window.y);
  const math::Vec2 corner(position.x - windowFrom_.x * whole.x, position.y - windowFrom_.y * whole.y);
  sprite_.SetTransform(corner, whole, 0.0f, 1.0f, 0xFFFFFFFF);
  sprite_.RenderClipped(position, position + size);
  return result;
}
