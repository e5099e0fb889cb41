#pragma once

#include <vector>

#include "engine/ui/TrSprite.h"
#include "engine/ui/UIWidget.h"

namespace ui {

// A path of horizontal and vertical segments through a list of points (offsets from the
// widget's position), drawn as textured bars of the line width that reach half a width
// beyond each end. A diagonal pair of points draws nothing. Display only: its type id is
// that of a plain widget, it saves and clones as one.
//
// Layout keys: LineWidth, Points, SegmentImage, SegmentAdditive, SegmentColor.
class UIPolyLine : public UIWidget {
 public:
  UIPolyLine(UIWidget* parent, const std::string& name);

  bool Load(const LuaObject& table) override;
  bool Render(bool forced) override;

  math::Vec2 lineWidth{0.00125f, 0.0016666667f};
  std::vector<math::Vec2> points;
  TrSprite segmentQuad;
  math::Vec4 segmentColour{0.0f, 0.0f, 0.0f, 0.0f};
};

}  // namespace ui
