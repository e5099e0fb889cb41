#include "engine/swf/shape/tesselate.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"

namespace swf::tesselate {

namespace {

struct point2 {
  float m_x, m_y;
};

// One straight piece of an outline, stored top point first: when its start lies below its
// end the points are swapped, and so are the fill styles of its two sides.
struct sweep_segment {
  point2 m_begin;  // top
  point2 m_end;    // bottom
  int m_left_style;
  int m_right_style;
  int m_line_style;

  sweep_segment(const point2& a, const point2& b, int left, int right, int line)
      : m_begin(a), m_end(b), m_left_style(left), m_right_style(right), m_line_style(line) {
    if (a.m_y > b.m_y) {
      std::swap(m_begin, m_end);
      std::swap(m_left_style, m_right_style);
    }
  }
  float height() const { return m_end.m_y - m_begin.m_y; }
};

// The state of the one tesselation in progress.
struct tesselation {
  trapezoid_sink* m_sink = nullptr;
  float m_tolerance = 1.0f;
  int m_left_style = -1;
  int m_right_style = -1;
  int m_line_style = -1;
  point2 m_last_point{0.0f, 0.0f};
  std::vector<float> m_path_points;
  std::vector<sweep_segment> m_segments;
  std::vector<sweep_segment> m_slab;
  bool m_has_fill = false;
  // Line pieces made by curve flattening so far in this shape; past the limit, curves
  // become single pieces, so no outline can make the sweep's work or memory explode.
  int m_flattened_pieces = 0;
};

tesselation& state() {
  static tesselation* s = new tesselation;
  return *s;
}

bool is_finite(float v) { return std::isfinite(v); }

// Order of the sweep: top y ascending, then height ascending.
bool segment_less(const sweep_segment& a, const sweep_segment& b) {
  if (a.m_begin.m_y != b.m_begin.m_y) return a.m_begin.m_y < b.m_begin.m_y;
  return a.height() < b.height();
}

// Order within a slab: top x ascending, then bottom x ascending.
bool slab_less(const sweep_segment& a, const sweep_segment& b) {
  if (a.m_begin.m_x != b.m_begin.m_x) return a.m_begin.m_x < b.m_begin.m_x;
  return a.m_end.m_x < b.m_end.m_x;
}

void add_line_segment(tesselation& s, float x, float y) {
  point2 p{x, y};
  s.m_segments.emplace_back(s.m_last_point, p, s.m_left_style, s.m_right_style, s.m_line_style);
  s.m_last_point = p;
  s.m_path_points.push_back(x);
  s.m_path_points.push_back(y);
}

// Flattens the quadratic from p0 through c to p1, halving it until the curve's midpoint
// lies within the tolerance of the chord's (Manhattan distance), at most to a fixed depth.
void flatten_curve(tesselation& s, point2 p0, point2 c, point2 p1, int depth) {
  point2 mid{(p0.m_x + p1.m_x) * 0.5f, (p0.m_y + p1.m_y) * 0.5f};
  point2 curve_mid{(mid.m_x + c.m_x) * 0.5f, (mid.m_y + c.m_y) * 0.5f};
  float error = std::fabs(mid.m_x - curve_mid.m_x) + std::fabs(mid.m_y - curve_mid.m_y);
  if (error < s.m_tolerance || depth >= limits::kMaxCurveSubdivisionDepth ||
      s.m_flattened_pieces >= limits::kMaxFlattenedPiecesPerShape) {
    ++s.m_flattened_pieces;
    add_line_segment(s, p1.m_x, p1.m_y);
    return;
  }
  point2 c0{(p0.m_x + c.m_x) * 0.5f, (p0.m_y + c.m_y) * 0.5f};
  point2 c1{(c.m_x + p1.m_x) * 0.5f, (c.m_y + p1.m_y) * 0.5f};
  flatten_curve(s, p0, c0, curve_mid, depth + 1);
  flatten_curve(s, curve_mid, c1, p1, depth + 1);
}

// Emits the trapezoids of segments [i, j) between heights ya and yb, and clips those
// segments so that they start at yb.
void emit_slab(tesselation& s, int i, int j, float ya, float yb) {
  if (ya == yb) return;
  s.m_slab.clear();
  for (int k = i; k < j; ++k) {
    sweep_segment& seg = s.m_segments[static_cast<size_t>(k)];
    float h = seg.height();
    float t = h > 0.0f ? (yb - seg.m_begin.m_y) / h : 1.0f;
    float x = seg.m_begin.m_x + (seg.m_end.m_x - seg.m_begin.m_x) * t;
    sweep_segment piece = seg;
    piece.m_end = point2{x, yb};
    s.m_slab.push_back(piece);
    seg.m_begin = point2{x, yb};
  }
  std::sort(s.m_slab.begin(), s.m_slab.end(), slab_less);

  bool use_right = !s.m_slab.empty() && s.m_slab[0].m_left_style == -1 && s.m_slab[0].m_right_style >= 0;
  for (size_t k = 0; k + 1 < s.m_slab.size(); ++k) {
    const sweep_segment& a = s.m_slab[k];
    const sweep_segment& b = s.m_slab[k + 1];
    int style = use_right ? a.m_right_style : a.m_left_style;
    if (style < 0) continue;
    trapezoid tr{a.m_begin.m_y, a.m_end.m_y, a.m_begin.m_x, a.m_end.m_x, b.m_begin.m_x, b.m_end.m_x};
    s.m_sink->take_trapezoid(style, tr);
  }
}

void sweep(tesselation& s) {
  std::vector<sweep_segment>& segs = s.m_segments;
  std::sort(segs.begin(), segs.end(), segment_less);
  const int count = static_cast<int>(segs.size());
  int i = 0;
  long long visits = 0;
  while (i < count) {
    float y0 = segs[static_cast<size_t>(i)].m_begin.m_y;
    int j = i + 1;
    while (j < count && segs[static_cast<size_t>(j)].m_begin.m_y <= y0) ++j;
    visits += j - i;
    if (visits > limits::kMaxSweepVisitsPerShape) {
      log_error("error: shape too complex to fill (more than %d sweep steps); the rest is dropped\n",
                limits::kMaxSweepVisitsPerShape);
      break;
    }
    std::sort(segs.begin() + i, segs.begin() + j, segment_less);
    if (j < count && segs[static_cast<size_t>(i)].m_end.m_y > segs[static_cast<size_t>(j)].m_begin.m_y) {
      emit_slab(s, i, j, y0, segs[static_cast<size_t>(j)].m_begin.m_y);
      continue;
    }
    float yb = segs[static_cast<size_t>(i)].m_end.m_y;
    emit_slab(s, i, j, y0, yb);
    while (i < count && segs[static_cast<size_t>(i)].m_end.m_y <= yb) ++i;
  }
  segs.clear();
}

}  // namespace

void start_shape(trapezoid_sink* sink, float curve_error_tolerance) {
  tesselation& s = state();
  s.m_sink = sink;
  s.m_tolerance = curve_error_tolerance > 0.0f ? curve_error_tolerance : 1.0f;  // NaN too
  s.m_segments.clear();
  s.m_path_points.clear();
  s.m_left_style = s.m_right_style = s.m_line_style = -1;
  s.m_has_fill = false;
  s.m_flattened_pieces = 0;
}

void start_path(int style_left, int style_right, int line_style, float x, float y) {
  tesselation& s = state();
  s.m_left_style = style_left;
  s.m_right_style = style_right;
  s.m_line_style = line_style;
  if (!is_finite(x) || !is_finite(y)) x = y = 0.0f;
  s.m_last_point = point2{x, y};
  s.m_path_points.clear();
  s.m_path_points.push_back(x);
  s.m_path_points.push_back(y);
  if (style_left != -1 || style_right != -1) s.m_has_fill = true;
}

void line_to(float x, float y) {
  if (!is_finite(x) || !is_finite(y)) return;
  add_line_segment(state(), x, y);
}

void curve_to(float control_x, float control_y, float anchor_x, float anchor_y) {
  if (!is_finite(control_x) || !is_finite(control_y) || !is_finite(anchor_x) || !is_finite(anchor_y)) return;
  tesselation& s = state();
  flatten_curve(s, s.m_last_point, point2{control_x, control_y}, point2{anchor_x, anchor_y}, 0);
}

void finish_path() {
  tesselation& s = state();
  int point_count = static_cast<int>(s.m_path_points.size() / 2);
  if (s.m_line_style >= 0 && point_count > 1 && s.m_sink) {
    s.m_sink->take_outline(s.m_line_style, s.m_path_points.data(), point_count);
  }
  s.m_path_points.clear();
}

// Working arrays that grew past this many entries for one large shape are given back
// after it, so that one hostile outline does not keep its memory for the whole run.
constexpr size_t kKeptWorkingEntries = size_t(1) << 14;

template <class T>
void clear_and_trim(std::vector<T>* v) {
  if (v->capacity() > kKeptWorkingEntries) {
    std::vector<T>().swap(*v);
  } else {
    v->clear();
  }
}

void finish_shape() {
  tesselation& s = state();
  if (s.m_has_fill && s.m_sink) sweep(s);
  clear_and_trim(&s.m_segments);
  clear_and_trim(&s.m_slab);
  s.m_sink = nullptr;
  clear_and_trim(&s.m_path_points);
}

}  // namespace swf::tesselate
