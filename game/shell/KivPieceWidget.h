#pragma once

#include <string>

#include "engine/core/Math.h"
#include "engine/ui/UISprite.h"
#include "engine/ui/UIWidget.h"

// A piece of clothing shown in a box of the fashion studio. Every piece's picture is a
// frame of the whole figure, with the piece where it lies on her; the widget shows only
// the piece's window of that frame (its corners in fractions of the picture), scaled to
// fill the widget and cut to it. Made in code only, as a child of the box it fills.
class KivPieceWidget : public ui::UIWidget {
 public:
  KivPieceWidget(ui::UIWidget* box, const std::string& name, const math::Vec2& windowFrom,
                 const math::Vec2& windowTo);
  ~KivPieceWidget() override;

  // The piece's sprite; an empty name shows nothing.
  void SetPiece(const std::string& sprite);
  const std::string& GetPiece() const { return piece_; }

  // The base tick, then the piece's animation.
  bool Tick(float dt) override;
  // The base drawing, then the piece's window over the widget (a hidden or inactive widget
  // draws it only when forced).
  bool Render(bool forced) override;

 private:
  ui::UISprite sprite_;
  std::string piece_;
  math::Vec2 windowFrom_;
  math::Vec2 windowTo_;
};
