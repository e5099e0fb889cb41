// The tesselator: trapezoids per fill style from the sweep, outlines per path, curve
// flattening and its bounds.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "engine/swf/base/limits.h"
#include "engine/swf/shape/tesselate.h"

namespace {

namespace ts = swf::tesselate;

struct Outline {
  int style;
  std::vector<float> coords;
};

struct RecordingSink : ts::trapezoid_sink {
  void take_trapezoid(int style, const ts::trapezoid& tr) override { trapezoids[style].push_back(tr); }
  void take_outline(int style, const float* coords, int point_count) override {
    outlines.push_back({style, std::vector<float>(coords, coords + point_count * 2)});
  }
  size_t TrapezoidCount() const {
    size_t n = 0;
    for (const auto& [style, list] : trapezoids) n += list.size();
    return n;
  }
  double Area(int style) const {
    double area = 0.0;
    auto it = trapezoids.find(style);
    if (it == trapezoids.end()) return 0.0;
    for (const ts::trapezoid& t : it->second) {
      area += 0.5 * ((t.m_rx0 - t.m_lx0) + (t.m_rx1 - t.m_lx1)) * (t.m_y1 - t.m_y0);
    }
    return area;
  }
  std::map<int, std::vector<ts::trapezoid>> trapezoids;
  std::vector<Outline> outlines;
};

struct Pt {
  float x, y;
};

// One closed polygon filled on the side the styles give.
void Polygon(const std::vector<Pt>& points, int left, int right, int line = -1) {
  ts::start_path(left, right, line, points[0].x, points[0].y);
  for (size_t i = 1; i < points.size(); ++i) ts::line_to(points[i].x, points[i].y);
  ts::line_to(points[0].x, points[0].y);
  ts::finish_path();
}

void ExpectTrapezoid(const ts::trapezoid& t, float y0, float y1, float lx0, float lx1, float rx0, float rx1) {
  EXPECT_FLOAT_EQ(t.m_y0, y0);
  EXPECT_FLOAT_EQ(t.m_y1, y1);
  EXPECT_FLOAT_EQ(t.m_lx0, lx0);
  EXPECT_FLOAT_EQ(t.m_lx1, lx1);
  EXPECT_FLOAT_EQ(t.m_rx0, rx0);
  EXPECT_FLOAT_EQ(t.m_rx1, rx1);
}

TEST(SwfTesselator, SquareAndTriangleEachGiveOneTrapezoid) {
  RecordingSink sink;
  ts::start_shape(&sink, 1.0f);
  // Clockwise on screen (y down): the fill lies right of the downward edges.
  Polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, 0, -1);
  ts::finish_shape();
  ASSERT_EQ(sink.TrapezoidCount(), 1u);  // the two horizontal edges add none
  ExpectTrapezoid(sink.trapezoids[0][0], 0, 100, 0, 0, 100, 100);

  RecordingSink triangle;
  ts::start_shape(&triangle, 1.0f);
  Polygon({{0, 0}, {100, 100}, {-100, 100}}, 3, -1);
  ts::finish_shape();
  ASSERT_EQ(triangle.TrapezoidCount(), 1u);
  ExpectTrapezoid(triangle.trapezoids[3][0], 0, 100, 0, -100, 0, 100);
}

TEST(SwfTesselator, CurvedBlobIsCoveredByDisjointTrapezoids) {
  RecordingSink sink;
  ts::start_shape(&sink, 0.5f);
  ts::start_path(-1, 2, -1, 0, -100);
  ts::curve_to(100, -100, 100, 0);
  ts::curve_to(100, 100, 0, 100);
  ts::curve_to(-100, 100, -100, 0);
  ts::curve_to(-100, -100, 0, -100);
  ts::finish_path();
  ts::finish_shape();
  ASSERT_GT(sink.trapezoids[2].size(), 8u);
  EXPECT_EQ(sink.trapezoids.size(), 1u);
  // The diamond of the chords plus four parabolic segments of 2/3 of their triangles.
  EXPECT_NEAR(sink.Area(2), 20000.0 + 4 * 2.0 / 3.0 * 5000.0, 150.0);
  float last_bottom = -1000.0f;
  for (const ts::trapezoid& t : sink.trapezoids[2]) {
    EXPECT_LT(t.m_y0, t.m_y1);
    EXPECT_GE(t.m_y0, last_bottom);  // one trapezoid per band: the sweep goes down
    EXPECT_LE(t.m_lx0, t.m_rx0);
    EXPECT_LE(t.m_lx1, t.m_rx1);
    last_bottom = t.m_y1;
  }
}

TEST(SwfTesselator, TwoFillsSharingAnEdgeEachGetTheirSide) {
  // The shared edge drawn downward (style 0 on its left) or upward (the sides swap).
  struct Case {
    Pt from, to;
    int left, right;
  };
  const Case cases[] = {{{50, 0}, {50, 100}, 0, 1}, {{50, 100}, {50, 0}, 1, 0}};
  for (const Case& c : cases) {
    RecordingSink sink;
    ts::start_shape(&sink, 1.0f);
    ts::start_path(-1, 0, -1, 0, 0);
    ts::line_to(0, 100);
    ts::finish_path();
    ts::start_path(c.left, c.right, -1, c.from.x, c.from.y);
    ts::line_to(c.to.x, c.to.y);
    ts::finish_path();
    ts::start_path(1, -1, -1, 100, 0);
    ts::line_to(100, 100);
    ts::finish_path();
    ts::finish_shape();
    ASSERT_EQ(sink.trapezoids[0].size(), 1u);
    ASSERT_EQ(sink.trapezoids[1].size(), 1u);
    ExpectTrapezoid(sink.trapezoids[0][0], 0, 100, 0, 0, 50, 50);
    ExpectTrapezoid(sink.trapezoids[1][0], 0, 100, 50, 50, 100, 100);
  }
}

TEST(SwfTesselator, FlatAreasAndUnfilledPathsGiveNoTrapezoid) {
  RecordingSink sink;
  ts::start_shape(&sink, 1.0f);
  Polygon({{0, 10}, {100, 10}}, 0, 1);  // only horizontal segments
  ts::finish_shape();
  EXPECT_EQ(sink.TrapezoidCount(), 0u);

  RecordingSink lines;
  ts::start_shape(&lines, 1.0f);
  Polygon({{0, 0}, {100, 0}, {100, 100}}, -1, -1, 4);
  ts::start_path(-1, -1, 5, 7, 7);  // a single point
  ts::finish_path();
  ts::finish_shape();
  EXPECT_EQ(lines.TrapezoidCount(), 0u);
  ASSERT_EQ(lines.outlines.size(), 1u);
  EXPECT_EQ(lines.outlines[0].style, 4);
  EXPECT_EQ(lines.outlines[0].coords, (std::vector<float>{0, 0, 100, 0, 100, 100, 0, 0}));
}

// The points a straight edge or a curve becomes, through an outline.
size_t PiecesOf(float tolerance, Pt control, Pt anchor) {
  RecordingSink sink;
  ts::start_shape(&sink, tolerance);
  ts::start_path(-1, -1, 0, 0, 0);
  ts::curve_to(control.x, control.y, anchor.x, anchor.y);
  ts::finish_path();
  ts::finish_shape();
  return sink.outlines.empty() ? 0 : sink.outlines[0].coords.size() / 2 - 1;
}

TEST(SwfTesselator, FlatteningFollowsTheTolerance) {
  // A straight edge with a Manhattan length below four tolerances stays one piece; a
  // longer one is cut into collinear pieces.
  EXPECT_EQ(PiecesOf(10.0f, {20, 19}, {20, 19}), 1u);
  EXPECT_EQ(PiecesOf(10.0f, {20, 21}, {20, 21}), 2u);
  // A tolerance of 0 or below (or not a number) flattens as 1.0.
  size_t at_one = PiecesOf(1.0f, {500, -300}, {1000, 0});
  EXPECT_GT(at_one, 8u);
  for (float t : {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_EQ(PiecesOf(t, {500, -300}, {1000, 0}), at_one) << t;
  }
}

TEST(SwfTesselator, HostileCurvesStayBounded) {
  auto start = std::chrono::steady_clock::now();
  // A curve across the whole coordinate range at a vanishing tolerance: the depth bound
  // stops the halving.
  size_t pieces = PiecesOf(1e-30f, {2.1e9f, -2.1e9f}, {-2.1e9f, -2.1e9f});
  EXPECT_LE(pieces, size_t(1) << swf::limits::kMaxCurveSubdivisionDepth);
  // Many such curves in one shape: past the shape's budget each curve is one piece.
  RecordingSink sink;
  ts::start_shape(&sink, 1e-30f);
  ts::start_path(0, -1, 0, 0, 0);
  for (int i = 0; i < 64; ++i) ts::curve_to(2e9f, (i & 1) ? 2e9f : -2e9f, (i & 1) ? 0.0f : 1e9f, 0);
  ts::finish_path();
  ts::finish_shape();
  ASSERT_EQ(sink.outlines.size(), 1u);
  EXPECT_LE(sink.outlines[0].coords.size() / 2, size_t(swf::limits::kMaxFlattenedPiecesPerShape) + 65);
  // Thousands of long overlapping edges: the sweep stops after its budget of steps.
  RecordingSink crowd;
  ts::start_shape(&crowd, 1.0f);
  ts::start_path(0, -1, -1, 0, 0);
  for (int i = 0; i < 8000; ++i) ts::line_to(static_cast<float>(i), (i & 1) ? 100000.0f + i : 0.0f);
  ts::finish_path();
  ts::finish_shape();
  EXPECT_LE(crowd.TrapezoidCount(), size_t(swf::limits::kMaxSweepVisitsPerShape));
  // Points that are not finite are dropped.
  RecordingSink nan_sink;
  const float inf = std::numeric_limits<float>::infinity();
  ts::start_shape(&nan_sink, 1.0f);
  ts::start_path(0, -1, 0, 0, 0);
  ts::line_to(inf, 0);
  ts::curve_to(std::nanf(""), 0, 10, 10);
  ts::line_to(10, 0);
  ts::line_to(0, 0);
  ts::finish_path();
  ts::finish_shape();
  ASSERT_EQ(nan_sink.outlines.size(), 1u);
  EXPECT_EQ(nan_sink.outlines[0].coords, (std::vector<float>{0, 0, 10, 0, 0, 0}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
