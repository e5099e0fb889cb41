// Morph shapes: reading DefineMorphShape, the blend of styles, bounds and edges at a
// ratio, and the one mesh kept while the ratio stays.

#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/shape/morph_shape.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swfw::Color;
using swfw::ShapeRecord;

const Color kRed{255, 0, 0, 255};
const Color kBlue{0, 0, 255, 255};

ShapeRecord MoveTo(int32_t x, int32_t y, std::optional<int> fill1 = {}) {
  ShapeRecord r = ShapeRecord::Move(x, y);
  r.fill1 = fill1;
  return r;
}

// A clockwise box from (x, y).
std::vector<ShapeRecord> Box(int32_t x, int32_t y, int32_t w, int32_t h, std::optional<int> fill1 = 1) {
  return {MoveTo(x, y, fill1), ShapeRecord::Line(w, 0), ShapeRecord::Line(0, h), ShapeRecord::Line(-w, 0),
          ShapeRecord::Line(0, -h)};
}

swfw::MorphShape SolidMorph(std::vector<ShapeRecord> start, std::vector<ShapeRecord> end) {
  swfw::MorphShape m;
  m.startBounds = {0, 100, 0, 100};
  m.endBounds = {0, 300, 0, 300};
  swfw::MorphFill fill;
  fill.start.color = kRed;
  fill.end.color = kBlue;
  m.fills = {fill};
  m.startShape.records = std::move(start);
  m.endShape.records = std::move(end);
  return m;
}

struct LoadedMorph {
  explicit LoadedMorph(const swfw::MorphShape& morph) {
    swfw::Movie movie;
    movie.Add(swfw::DefineMorphShape(1, morph)).ShowFrame().End();
    m = swftest::LoadMovie(movie.Build());
    s = m ? dynamic_cast<swf::morph_shape*>(m->get_character_def(1)) : nullptr;
  }
  // Coarse enough that every straight edge stays one piece.
  void Draw(float ratio, float scale = 0.05f) {
    swf::matrix mx;
    mx.concatenate_scale(scale);
    s->display_at_ratio(mx, swf::cxform::identity, 1.0f, ratio);
  }
  swftest::RecordingRenderHandler render;
  swf::smart_ptr<swf::movie_def_impl> m;
  swf::morph_shape* s = nullptr;
};

TEST(SwfMorph, RatiosZeroAndOneGiveTheTwoShapes) {
  LoadedMorph loaded(SolidMorph(Box(0, 0, 100, 100), Box(0, 0, 300, 300, {})));
  ASSERT_NE(loaded.s, nullptr);
  struct Case {
    float ratio;
    const char* color;
    int16_t far;
    float width;
  };
  for (const Case& c : {Case{0.0f, "set_fill_color 0 255,0,0,255", 100, 100.0f},
                        Case{1.0f, "set_fill_color 0 0,0,255,255", 300, 300.0f},
                        Case{0.5f, "set_fill_color 0 128,0,128,255", 200, 200.0f}}) {
    loaded.render.calls.clear();
    loaded.render.strips.clear();
    loaded.Draw(c.ratio);
    EXPECT_EQ(loaded.render.Count(c.color), 1u) << c.ratio;
    ASSERT_EQ(loaded.render.strips.size(), 1u);
    EXPECT_EQ(loaded.render.strips[0], (std::vector<int16_t>{0, 0, c.far, 0, 0, c.far, c.far, c.far})) << c.ratio;
    EXPECT_FLOAT_EQ(loaded.s->get_width_local(), c.width);
  }
  // The hit test sees the blend last drawn.
  EXPECT_TRUE(loaded.s->point_test_local(150.0f, 150.0f));
  EXPECT_FALSE(loaded.s->point_test_local(250.0f, 150.0f));
}

TEST(SwfMorph, TheSameRatioKeepsItsMesh) {
  LoadedMorph loaded(SolidMorph(Box(0, 0, 100, 100), Box(0, 0, 300, 300, {})));
  ASSERT_NE(loaded.s, nullptr);
  struct Step {
    float ratio;
    int builds;
  };
  // The first display builds even at -1, the ratio a morph starts with.
  for (const Step& step : {Step{-1.0f, 1}, Step{-1.0f, 0}, Step{0.25f, 1}, Step{0.25f, 0}, Step{0.75f, 1}}) {
    int before = swf::shape_mesh::get_build_count();
    loaded.Draw(step.ratio);
    EXPECT_EQ(swf::shape_mesh::get_build_count() - before, step.builds) << step.ratio;
    EXPECT_NE(loaded.s->get_mesh(), nullptr);
  }
  EXPECT_EQ(loaded.render.Count("draw_triangle_strip"), 5u);
}

TEST(SwfMorph, EndEdgesPairInOneSequenceAcrossPaths) {
  // The end shape draws the start's one path as two.
  std::vector<ShapeRecord> end = {MoveTo(0, 0),          ShapeRecord::Line(200, 0), ShapeRecord::Line(0, 200),
                                  MoveTo(200, 200),      ShapeRecord::Line(-200, 0), ShapeRecord::Line(0, -200)};
  LoadedMorph loaded(SolidMorph(Box(0, 0, 100, 100), end));
  ASSERT_NE(loaded.s, nullptr);
  ASSERT_EQ(loaded.s->get_end_shape().get_paths().size(), 2u);
  loaded.s->set_blend(0.5f);
  const auto& paths = loaded.s->get_paths();
  ASSERT_EQ(paths.size(), 1u);
  const float anchors[4][2] = {{150, 0}, {150, 150}, {0, 150}, {0, 0}};
  ASSERT_EQ(paths[0].m_edges.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(paths[0].m_edges[static_cast<size_t>(i)].m_ax, anchors[i][0]) << i;
    EXPECT_FLOAT_EQ(paths[0].m_edges[static_cast<size_t>(i)].m_ay, anchors[i][1]) << i;
  }
}

TEST(SwfMorph, PathWithoutFillsTakesStyleOne) {
  LoadedMorph loaded(SolidMorph(Box(0, 0, 100, 100, {}), Box(0, 0, 100, 100, {})));
  ASSERT_NE(loaded.s, nullptr);
  EXPECT_EQ(loaded.s->get_start_shape().get_paths()[0].m_fill0, 0);
  loaded.Draw(0.0f);
  EXPECT_EQ(loaded.s->get_paths()[0].m_fill0, 1);
  EXPECT_EQ(loaded.render.Count("draw_triangle_strip"), 1u);
}

TEST(SwfMorph, StylesBlend) {
  swfw::MorphShape morph = SolidMorph(Box(0, 0, 100, 100), Box(0, 0, 100, 100, {}));
  swfw::MorphFill gradient;
  gradient.start.type = gradient.end.type = 0x10;
  gradient.start.gradient = {{0, kRed}, {255, kBlue}};
  gradient.end.gradient = {{100, kBlue}, {200, kRed}};
  morph.fills = {gradient};
  morph.lines = {swfw::MorphLine{swfw::LineStyle{20, kRed}, swfw::LineStyle{61, kBlue}}};
  morph.startShape.records[0].line = 1;
  LoadedMorph loaded(morph);
  ASSERT_NE(loaded.s, nullptr);
  loaded.Draw(0.5f);
  const swf::fill_style& f = loaded.s->get_fill_styles()[0];
  ASSERT_EQ(f.m_gradients.size(), 2u);
  EXPECT_EQ(f.m_gradients[0].m_ratio, 50);
  EXPECT_EQ(f.m_gradients[1].m_ratio, 228);
  EXPECT_EQ(f.m_gradients[0].m_color, swf::rgba(128, 0, 128, 255));
  EXPECT_EQ(loaded.render.Count("create_bitmap_rgba 256 1"), 1u);  // made at the first apply
  EXPECT_EQ(loaded.render.Count("set_fill_bitmap 0 1"), 1u);
  EXPECT_EQ(loaded.render.Count("set_line_width 41"), 1u);  // (61 - 20) / 2 + 20, rounded
  EXPECT_EQ(loaded.render.Count("set_line_color 128,0,128,255"), 1u);
}

TEST(SwfMorphHostile, ShortEndShapesAndBadScales) {
  auto start = std::chrono::steady_clock::now();
  // The end shape holds one edge and no path at all: the blend moves what it has.
  struct Case {
    std::vector<ShapeRecord> end;
    float expect_first_x;
  };
  const Case cases[] = {{{MoveTo(0, 0), ShapeRecord::Line(300, 0)}, 200.0f}, {{}, 100.0f}};
  for (const Case& c : cases) {
    LoadedMorph loaded(SolidMorph(Box(0, 0, 100, 100), c.end));
    ASSERT_NE(loaded.s, nullptr);
    loaded.Draw(0.5f);
    const auto& edges = loaded.s->get_paths()[0].m_edges;
    ASSERT_EQ(edges.size(), 4u);
    EXPECT_FLOAT_EQ(edges[0].m_ax, c.expect_first_x);
    EXPECT_FLOAT_EQ(edges[2].m_ay, 100.0f);  // past the end's edges: the start's own
    EXPECT_EQ(loaded.render.Count("draw_triangle_strip"), 1u);
  }

  // Scales too small to see or pixel scales that give no tolerance draw nothing.
  LoadedMorph loaded(SolidMorph(Box(0, 0, 100, 100), Box(0, 0, 300, 300, {})));
  ASSERT_NE(loaded.s, nullptr);
  swf::matrix zero;
  zero.concatenate_scale(0.0f);
  loaded.s->display_at_ratio(zero, swf::cxform::identity, 1.0f, 0.5f);
  swf::matrix one;
  for (float pixel_scale : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
    loaded.s->display_at_ratio(one, swf::cxform::identity, pixel_scale, 0.5f);
  }
  EXPECT_TRUE(loaded.render.calls.empty());
  EXPECT_EQ(loaded.s->get_mesh(), nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
