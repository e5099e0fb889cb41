#pragma once

#include <vector>

#include "engine/ui/TrSprite.h"
#include "engine/ui/UIWidget.h"

namespace ui {

// A line graph of a list of values (nodes) inside the widget: a filled area under the
// line, columns at chosen nodes and a dotted line of point images. It rises from its zero
// line to full height, and drops back, with an accelerated animation that scripts start
// (RiseGraph, DropGraph), firing "graph_risen" and "graph_dropped" at the ends.
//
// Its type id is that of a plain widget: a saved panel writes it as "widget" without its
// keys, and a clone is a plain widget. Levels and marks are read from their keys but no
// operation adds any.
class UIGraph : public UIWidget {
 public:
  enum State { GS_Rising = 0, GS_Dropping = 1, GS_Risen = 2, GS_Dropped = 3 };

  struct Level {
    float value = 0.0f;
    float y = 0.0f;
    math::Vec4 colour;
    bool additive = false;
  };
  struct Mark {
    int32_t node = 0;
    math::Vec4 colour;
    bool additive = false;
  };

  UIGraph(UIWidget* parent, const std::string& name);

  bool Load(const LuaObject& table) override;
  bool Tick(float dt) override;
  bool Render(bool forced) override;
  // The plot area and the points follow the widget (and a parent that moves it).
  void SetPosition(const math::Vec2& relative) override;

  void SetGraphFillImage(const std::string& file) { fillQuad.LoadImage(file); }
  // The packed colour in all four corners of the fill.
  void SetGraphFillColor(uint32_t colour);
  void RiseGraph();
  void DropGraph();
  // Plots these values from now on, as the panel's `Nodes` would: fewer than two values
  // leave the nodes as they were. The height factor stays, so a risen graph shows the
  // new values at once.
  void SetNodes(const std::vector<float>& values);

  // The plot area, in screen units, from the widget's position, size and offsets (after
  // loading and whenever the widget moves).
  void ComputePlotArea();
  // Each node's height on screen for the present height factor.
  void ComputePoints();
  float Baseline() const { return origin.y + plotHeight + zeroHeight; }

  float heightSpeed = 1.0f;
  float heightAcceleration = 1.0f;
  bool rangeAuto = true;
  float rangeMin = 0.0f;
  float rangeMax = 100.0f;
  math::Vec2 tlOffset{0.0f, 0.0f};
  math::Vec2 brOffset{0.0f, 0.0f};
  std::vector<float> nodes{0.0f, 0.0f};
  float zeroHeight = 0.0f;
  math::Vec2 pointHalfSize{0.005f, 0.006666667f};
  float columnWidth = 0.00125f;
  math::Vec4 columnColour{1.0f, 1.0f, 1.0f, 1.0f};
  int32_t columnEvery = 1000;
  float levelHeight = 0.0016666667f;
  float levelYShift = 0.0f;
  math::Vec2 markSize{0.01f, 0.013333334f};
  TrSprite fillQuad;
  TrSprite pointQuad;
  TrSprite columnQuad;
  TrSprite levelQuad;
  TrSprite markQuad;
  math::Vec2 origin{0.0f, 0.0f};
  float plotWidth = 0.0f;
  float plotHeight = 0.0f;
  bool plotValid = false;
  std::vector<float> points{0.0f, 0.0f};
  float heightFactor = 0.0f;
  float speed = 1.0f;
  int32_t state = GS_Dropped;
  std::vector<Level> levels;
  std::vector<Mark> marks;

 private:
  void DrawPoints(float step);
};

}  // namespace ui
