#pragma once

namespace swf::tesselate {

// A horizontal slice of a filled area: top y0, bottom y1 (y0 <= y1, y grows downward),
// the left side's x at top and bottom, the right side's x at top and bottom.
struct trapezoid {
  float m_y0, m_y1;
  float m_lx0, m_lx1;
  float m_rx0, m_rx1;
};

// Receives what a tesselation produces: trapezoids per 0-based fill style, and per path
// the polyline of its 0-based line style (count points as x, y float pairs).
class trapezoid_sink {
 public:
  virtual void take_trapezoid(int style, const trapezoid& tr) = 0;
  virtual void take_outline(int style, const float* coords, int point_count) = 0;
  virtual ~trapezoid_sink() = default;
};

// One tesselation at a time, process-wide, on the player's thread. Calling order:
// start_shape, per path start_path, line_to / curve_to, finish_path; finish_shape.
// Styles are 0-based, -1 for none. Outlines go to the sink at finish_path, trapezoids at
// finish_shape. Points that are not finite numbers are dropped.
void start_shape(trapezoid_sink* sink, float curve_error_tolerance);
void start_path(int style_left, int style_right, int line_style, float x, float y);
void line_to(float x, float y);
void curve_to(float control_x, float control_y, float anchor_x, float anchor_y);
void finish_path();
void finish_shape();

}  // namespace swf::tesselate
