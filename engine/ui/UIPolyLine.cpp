#include "engine/ui/UIPolyLine.h"

#include <algorithm>

#include "engine/core/Script.h"
#include "engine/graphics/Graphics.h"
#include "platform/luaplus/LuaObject.h"

namespace ui {

// --- UIPolyLine ---

UIPolyLine::UIPolyLine(UIWidget* parent, const std::string& widgetName)
    : UIWidget(parent, widgetName) {}

bool UIPolyLine::Load(const LuaObject& table) {
  if (!UIWidget::Load(table)) return false;
  lineWidth = script::GetVec2(table, "LineWidth", math::Vec2(0.00125f, 0.0016666667f));
  LuaObject list = script::GetField(table, "Points");
  if (list.IsTable() && list.GetTableCount() > 1) {
    const int count = list.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      points.push_back(script::ToVec2(list.GetByIndex(i), math::Vec2(0.0f, 0.0f)));
    }
  }
  segmentQuad.additive = script::GetBool(table, "SegmentAdditive", false);
  const std::string image = script::GetString(table, "SegmentImage", "");
  if (!image.empty()) segmentQuad.LoadImage(image);
  segmentColour = script::GetVec4(table, "SegmentColor", math::Vec4(1.0f, 1.0f, 1.0f, 1.0f));
  return true;
}

bool UIPolyLine::Render(bool forced) {
  UIWidget::Render(forced);
  if (SkipsDraw(forced)) return false;
  segmentQuad.visible = true;
  const uint32_t colour =
      PackColor(segmentColour.x, segmentColour.y, segmentColour.z, segmentColour.w);
  segmentQuad.SetColour(colour);
  const math::Vec2 half = lineWidth * 0.5f;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const math::Vec2 a = position + points[i];
    const math::Vec2 b = position + points[i + 1];
    const bool vertical = a.x == b.x && a.y != b.y;
    const bool horizontal = a.y == b.y && a.x != b.x;
    if (!vertical && !horizontal) continue;
    segmentQuad.SetMinMax(math::Vec2(std::min(a.x, b.x) - half.x, std::min(a.y, b.y) - half.y),
                          math::Vec2(std::max(a.x, b.x) + half.x, std::max(a.y, b.y) + half.y));
    segmentQuad.Render();
  }
  return true;
}

}  // namespace ui
