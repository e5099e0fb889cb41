#include "engine/ui/UIGraph.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/graphics/Graphics.h"
#include "platform/luaplus/LuaObject.h"

namespace ui {

namespace {

// Dots are placed at pixel centres of the 800 x 600 play area.
constexpr float kPlayWidth = 800.0f;
constexpr float kPlayHeight = 600.0f;
constexpr float kHalfPixelX = 0.000625f;
constexpr float kHalfPixelY = 0.00083333335f;
// A segment never needs more dots than the play area's diagonal has pixels.
constexpr float kMaxDotsPerSegment = 1000.0f;

uint32_t Pack(const math::Vec4& c) { return PackColor(c.x, c.y, c.z, c.w); }

// Loads a quad's image when the key names one: not additive unless the additive key says
// so, the colour in all four corners.
void LoadQuad(TrSprite& quad, const LuaObject& table, const char* imageKey, const char* additiveKey,
              uint32_t colour) {
  const bool additive = additiveKey ? script::GetBool(table, additiveKey, false) : false;
  quad.additive = additive;
  quad.SetColour(colour);
  const std::string file = script::GetString(table, imageKey, "");
  if (!file.empty()) quad.LoadImage(file);
}

}  // namespace

UIGraph::UIGraph(UIWidget* parent, const std::string& widgetName) : UIWidget(parent, widgetName) {}

bool UIGraph::Load(const LuaObject& table) {
  if (!UIWidget::Load(table)) return false;
  heightSpeed = script::GetFloat(table, "HeightSpeed", 1.0f);
  heightAcceleration = script::GetFloat(table, "HeightAxeleration", 1.0f);
  if (heightSpeed <= 0.0f) {
    LOG_LINE(MSG_WARNING) << "UIGraph: height speed is <= 0! Graph will not rise!";
  }
  if (heightAcceleration < 0.0f) {
    LOG_LINE(MSG_WARNING) << "UIGraph: height axel is < 0! Graph may not rise!";
  }
  rangeAuto = script::GetBool(table, "RangeAuto", true);
  const math::Vec2 range = script::GetVec2(table, "Range", math::Vec2(0.0f, 100.0f));
  rangeMin = range.x;
  rangeMax = range.y;
  tlOffset = script::GetVec2(table, "TLOffset", math::Vec2(0.0f, 0.0f));
  brOffset = script::GetVec2(table, "BROffset", math::Vec2(0.0f, 0.0f));
  LuaObject list = script::GetField(table, "Nodes");
  if (list.IsTable() && list.GetTableCount() >= 2) {
    nodes.clear();
    const int count = list.GetTableCount();
    for (int i = 1; i <= count; ++i) nodes.push_back(script::ToFloat(list.GetByIndex(i), 0.0f));
  }
  zeroHeight = script::GetFloat(table, "ZeroHeight", 0.0f);
  pointHalfSize = script::GetVec2(table, "GraphPointSize", math::Vec2(0.005f, 0.006666667f));
  columnWidth = script::GetFloat(table, "GraphColumnWidth", 0.00125f);
  columnColour = script::GetVec4(table, "GraphColumnColor", math::Vec4(1.0f, 1.0f, 1.0f, 1.0f));
  columnEvery = script::GetInt(table, "GraphColumnEvery", 1000);
  levelHeight = script::GetFloat(table, "GraphLevelHeight", 0.0016666667f);
  levelYShift = script::GetFloat(table, "GraphLevelYShift", 0.0f);
  markSize = script::GetVec2(table, "GraphMarkSize", math::Vec2(0.01f, 0.013333334f));
  const math::Vec4 white(1.0f, 1.0f, 1.0f, 1.0f);
  LoadQuad(fillQuad, table, "GraphFillImage", "GraphFillAdditive",
           Pack(script::GetVec4(table, "GraphFillColor", white)));
  LoadQuad(pointQuad, table, "GraphPointImage", "GraphPointAdditive",
           Pack(script::GetVec4(table, "GraphPointColor", white)));
  LoadQuad(columnQuad, table, "GraphColumnImage", "GraphColumnAdditive", 0xFFFFFFFF);
  LoadQuad(levelQuad, table, "GraphLevelImage", nullptr, 0xFFFFFFFF);
  LoadQuad(markQuad, table, "GraphMarkImage", nullptr, 0xFFFFFFFF);
  speed = heightSpeed;
  ComputePlotArea();
  ComputePoints();
  return true;
}

void UIGraph::SetPosition(const math::Vec2& relative) {
  UIWidget::SetPosition(relative);
  ComputePlotArea();
  ComputePoints();
}

void UIGraph::ComputePlotArea() {
  // The draw takes screen positions: the origin is the widget's own, not the one relative
  // to its parent, or a graph in a panel away from the corner would draw beside itself.
  origin = position + tlOffset;
  plotWidth = size.x - tlOffset.x - brOffset.x;
  plotHeight = size.y - tlOffset.y - brOffset.y - zeroHeight;
  plotValid = plotWidth > 0.0f && plotHeight - zeroHeight > 0.0f;
}

void UIGraph::ComputePoints() {
  if (!plotValid || nodes.size() < 2) return;
  points.resize(nodes.size());
  float low = rangeMin, high = rangeMax;
  if (rangeAuto) {
    const auto [smallest, largest] = std::minmax_element(nodes.begin(), nodes.end());
    low = *smallest;
    high = *largest;
  }
  float span = high - low;
  if (!(span > 0.0f)) span = 1.0f;
  const float baseline = Baseline();
  for (size_t i = 0; i < nodes.size(); ++i) {
    const float full = (1.0f - (nodes[i] - low) / span) * plotHeight + origin.y;
    points[i] = heightFactor * full + (1.0f - heightFactor) * baseline;
  }
  for (Level& level : levels) level.y = (1.0f - (level.value - low) / span) * plotHeight + origin.y;
}

void UIGraph::SetGraphFillColor(uint32_t colour) { fillQuad.SetColour(colour); }

void UIGraph::RiseGraph() {
  state = GS_Rising;
  speed = heightSpeed;
}

void UIGraph::SetNodes(const std::vector<float>& values) {
  if (values.size() < 2) return;
  nodes = values;
  ComputePoints();
}

void UIGraph::DropGraph() {
  state = GS_Dropping;
  speed = heightSpeed;
}

bool UIGraph::Tick(float dt) {
  UIWidget::Tick(dt);
  if (state == GS_Rising) {
    if (heightFactor < 1.0f) {
      speed += dt * heightAcceleration;
      heightFactor += speed * dt;
    }
    if (heightFactor >= 1.0f) {
      heightFactor = 1.0f;
      state = GS_Risen;
      FireEvent(EV_GraphRisen);
    }
    ComputePoints();
  } else if (state == GS_Dropping) {
    if (heightFactor > 0.0f) {
      speed += dt * heightAcceleration;
      heightFactor -= speed * dt;
    }
    if (heightFactor <= 0.0f) {
      heightFactor = 0.0f;
      state = GS_Dropped;
      FireEvent(EV_GraphDropped);
    }
    ComputePoints();
  }
  return true;
}

bool UIGraph::Render(bool forced) {
  UIWidget::Render(forced);
  if (SkipsDraw(forced)) return false;
  if (!plotValid || points.size() < 2) return true;
  const size_t n = points.size();
  const float step = plotWidth / static_cast<float>(n - 1);
  const auto X = [&](size_t i) { return origin.x + static_cast<float>(i) * step; };
  const float baseline = Baseline();

  if (fillQuad.IsLoaded()) {
    for (size_t i = 0; i + 1 < n; ++i) {
      fillQuad.SetCorners(math::Vec2(X(i), points[i]), math::Vec2(X(i + 1), points[i + 1]),
                          math::Vec2(X(i + 1), baseline), math::Vec2(X(i), baseline));
      fillQuad.RenderPerspective(plotHeight);
    }
    if (columnQuad.IsLoaded() && heightFactor > 0.0f) {
      columnQuad.SetColour(Pack(columnColour));
      for (size_t i = 0; i < n; ++i) {
        const bool chosen = i == 0 || i == n - 1 ||
                            (columnEvery != 0 && i % static_cast<size_t>(std::abs(columnEvery)) == 0);
        if (!chosen) continue;
        columnQuad.SetRect(math::Vec2(X(i) - columnWidth * 0.5f, points[i]),
                           math::Vec2(columnWidth, baseline - points[i]));
        columnQuad.Render();
      }
    }
  }
  if (levelQuad.IsLoaded() && heightFactor > 0.0f) {
    for (const Level& level : levels) {
      levelQuad.SetColour(Pack(level.colour));
      levelQuad.additive = level.additive;
      levelQuad.SetRect(math::Vec2(origin.x, level.y + levelYShift),
                        math::Vec2(plotWidth, levelHeight));
      levelQuad.Render();
    }
  }
  if (markQuad.IsLoaded()) {
    for (const Mark& mark : marks) {
      if (mark.node < 0 || static_cast<size_t>(mark.node) >= n) continue;
      markQuad.SetColour(Pack(mark.colour));
      markQuad.additive = mark.additive;
      markQuad.SetCentered(markSize, math::Vec2(X(static_cast<size_t>(mark.node)),
                                                points[static_cast<size_t>(mark.node)]));
      markQuad.Render();
    }
  }
  if (pointQuad.IsLoaded()) DrawPoints(step);
  return true;
}

void UIGraph::DrawPoints(float step) {
  const auto X = [&](size_t i) { return origin.x + static_cast<float>(i) * step; };
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const float x0 = X(i), x1 = X(i + 1);
    const float y0 = points[i], y1 = points[i + 1];
    // A node that is not a finite number has no place on the line.
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1)) {
      continue;
    }
    // The count is bounded before it becomes an integer: far-out nodes or offsets would
    // overflow it, and the dots are at most a pixel apart anyway.
    const float along = std::clamp(kPlayWidth * std::fabs(step), 0.0f, kMaxDotsPerSegment);
    const float across = std::clamp(kPlayHeight * std::fabs(y0 - y1), 0.0f, kMaxDotsPerSegment);
    const int count = std::max(2 + static_cast<int>(along), 2 + static_cast<int>(across));
    for (int j = 0; j < count; ++j) {
      const float t = static_cast<float>(j) / static_cast<float>(count);
      pointQuad.SetCentered(pointHalfSize,
                            math::Vec2((1.0f - t) * x0 + t * x1 - kHalfPixelX,
                                       (1.0f - t) * y0 + t * y1 - kHalfPixelY));
      pointQuad.Render();
    }
  }
}

}  // namespace ui
