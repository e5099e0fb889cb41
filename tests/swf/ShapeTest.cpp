// Shapes: their records and styles as read from the shape tags, the meshes drawn through
// the render handler and cached per scale, gradient images, the hit test and the
// shape part of the cache file.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>

#include "engine/swf/base/limits.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/shape/morph_shape.h"
#include "engine/swf/shape/shape.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swftest::Bytes;
using swfw::Color;
using swfw::ShapeRecord;

const Color kRed{255, 0, 0, 255};
const Color kGreen{0, 255, 0, 255};
const Color kBlue{0, 0, 255, 255};

swfw::FillStyle Solid(const Color& c) {
  swfw::FillStyle f;
  f.color = c;
  return f;
}

ShapeRecord Style(std::optional<std::pair<int32_t, int32_t>> move, std::optional<int> fill0,
                  std::optional<int> fill1, std::optional<int> line = {}) {
  ShapeRecord r;
  r.kind = ShapeRecord::kStyleChange;
  r.moveTo = move;
  r.fill0 = fill0;
  r.fill1 = fill1;
  r.line = line;
  return r;
}

// A clockwise box drawn from (x, y) with the fill on its fill-1 side.
std::vector<ShapeRecord> Box(int32_t x, int32_t y, int32_t w, int32_t h, int fill1) {
  return {Style(std::make_pair(x, y), {}, fill1), ShapeRecord::Line(w, 0), ShapeRecord::Line(0, h),
          ShapeRecord::Line(-w, 0), ShapeRecord::Line(0, -h)};
}

swfw::Shape ShapeOf(std::vector<swfw::FillStyle> fills, std::vector<std::vector<ShapeRecord>> parts,
                    swfw::Rect bounds = {-1000, 1000, -1000, 1000}) {
  swfw::Shape s;
  s.bounds = bounds;
  s.fills = std::move(fills);
  for (auto& part : parts) s.records.insert(s.records.end(), part.begin(), part.end());
  return s;
}

// A movie of one shape (id 1), with other tags before it, loaded with a recording
// render handler installed.
struct LoadedShape {
  explicit LoadedShape(const swfw::Shape& shape, int type = swfw::kDefineShape3, std::vector<Bytes> before = {}) {
    swfw::Movie movie;
    for (const Bytes& tag : before) movie.Add(tag);
    movie.Add(swfw::DefineShape(type, 1, shape)).ShowFrame().End();
    m = swftest::LoadMovie(movie.Build());
    s = m ? dynamic_cast<swf::shape_character*>(m->get_character_def(1)) : nullptr;
  }
  void Draw(float scale = 1.0f, float pixel_scale = 1.0f) {
    swf::matrix mx;
    mx.concatenate_scale(scale);
    s->display_with_mesh_cache(mx, swf::cxform::identity, pixel_scale, s->get_fill_styles(), s->get_line_styles());
  }
  swftest::RecordingRenderHandler render;
  swf::smart_ptr<swf::movie_def_impl> m;
  swf::shape_character* s = nullptr;
};

TEST(SwfShapeRead, EdgesAndStyleIndices) {
  swfw::Shape shape = ShapeOf({Solid(kRed), Solid(kGreen)},
                              {{Style(std::make_pair(10, 20), 2, 1, 1), ShapeRecord::Line(30, 0),
                                ShapeRecord::Curve(10, 10, -5, 15), ShapeRecord::Line(0, -40)}});
  shape.lines = {swfw::LineStyle{40, kBlue}};
  LoadedShape loaded(shape);
  ASSERT_NE(loaded.s, nullptr);
  const auto& paths = loaded.s->get_paths();
  ASSERT_EQ(paths.size(), 1u);
  const swf::shape_path& p = paths[0];
  EXPECT_EQ(p.m_fill0, 2);
  EXPECT_EQ(p.m_fill1, 1);
  EXPECT_EQ(p.m_line, 1);
  EXPECT_FLOAT_EQ(p.m_ax, 10.0f);
  EXPECT_FLOAT_EQ(p.m_ay, 20.0f);
  ASSERT_EQ(p.m_edges.size(), 3u);
  EXPECT_TRUE(p.m_edges[0].is_straight());
  EXPECT_FLOAT_EQ(p.m_edges[0].m_ax, 40.0f);
  EXPECT_FLOAT_EQ(p.m_edges[1].m_cx, 50.0f);
  EXPECT_FLOAT_EQ(p.m_edges[1].m_cy, 30.0f);
  EXPECT_FLOAT_EQ(p.m_edges[1].m_ax, 45.0f);
  EXPECT_FLOAT_EQ(p.m_edges[1].m_ay, 45.0f);
  EXPECT_FLOAT_EQ(p.m_edges[2].m_ay, 5.0f);
  EXPECT_EQ(loaded.s->get_line_styles()[0].m_width, 40);
  EXPECT_FLOAT_EQ(loaded.s->get_width_local(), 2000.0f);
}

TEST(SwfShapeRead, FillFlagWithoutFillBitsReadsNothing) {
  swfw::Shape shape = ShapeOf({Solid(kRed)}, {{Style(std::make_pair(0, 0), 1, {}), ShapeRecord::Line(100, 0),
                                               ShapeRecord::Line(0, 100)}});
  shape.fillBits = 0;
  LoadedShape loaded(shape);
  ASSERT_NE(loaded.s, nullptr);
  const auto& paths = loaded.s->get_paths();
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0].m_fill0, 0);
  ASSERT_EQ(paths[0].m_edges.size(), 2u);
  EXPECT_FLOAT_EQ(paths[0].m_edges[1].m_ay, 100.0f);
}

TEST(SwfShapeRead, NewStylesRaiseLaterIndicesAndBadIndicesBecomeNone) {
  ShapeRecord fresh;
  fresh.kind = ShapeRecord::kStyleChange;
  fresh.newStyles = true;
  fresh.fills = {Solid(kRed), Solid(kGreen), Solid(kBlue)};
  fresh.lines = {swfw::LineStyle{20, kRed}};
  swfw::Shape shape = ShapeOf({Solid(kRed), Solid(kGreen)},
                              {Box(0, 0, 10, 10, 2),
                               {fresh, Style(std::make_pair(0, 0), 0, 3, 1), ShapeRecord::Line(5, 5)},
                               {Style({}, 3, {}), ShapeRecord::Line(5, 5)}});
  shape.lines = {swfw::LineStyle{20, kBlue}};
  shape.records[0].line = 1;
  LoadedShape loaded(shape);
  ASSERT_NE(loaded.s, nullptr);
  const auto& paths = loaded.s->get_paths();
  ASSERT_EQ(paths.size(), 4u);
  EXPECT_EQ(paths[0].m_fill1, 2);
  EXPECT_EQ(paths[0].m_line, 1);
  EXPECT_TRUE(paths[1].m_new_shape);
  EXPECT_TRUE(paths[1].m_edges.empty());
  EXPECT_EQ(paths[2].m_fill0, 0);  // 0 stays none
  EXPECT_EQ(paths[2].m_fill1, 5);  // 3 + the two styles before
  EXPECT_EQ(paths[2].m_line, 2);
  EXPECT_EQ(paths[3].m_fill0, 5);
  EXPECT_EQ(loaded.s->get_fill_styles().size(), 5u);

  // Indices past the arrays read as none (the index widths are forced wide).
  swfw::Shape bad = ShapeOf({Solid(kRed)}, {{Style(std::make_pair(0, 0), 9000, 2, 3), ShapeRecord::Line(5, 5)}});
  bad.fillBits = 15;
  bad.lineBits = 4;
  bad.lines = {swfw::LineStyle{20, kBlue}};
  LoadedShape hostile(bad);
  ASSERT_NE(hostile.s, nullptr);
  ASSERT_EQ(hostile.s->get_paths().size(), 1u);
  EXPECT_EQ(hostile.s->get_paths()[0].m_fill0, 0);
  EXPECT_EQ(hostile.s->get_paths()[0].m_fill1, 0);
  EXPECT_EQ(hostile.s->get_paths()[0].m_line, 0);
}

TEST(SwfShapeRead, GlyphOutlinesReadWithoutStyles) {
  // A box in font units, and the same box naming fill 2, which a glyph's one fill style
  // does not hold.
  for (int fill : {1, 2}) {
    swfw::Shape glyph = swfw::GlyphBox(0, -700, 500, 0);
    glyph.records[0].fill0 = fill;
    glyph.fillBits = 2;
    swfw::BitWriter w;
    swfw::WriteShape(w, swfw::kDefineShape, glyph, false);
    std::unique_ptr<swf::file_stream> file(swftest::MakeMemoryStream(w.Take()));
    swf::stream in(file.get());
    swf::smart_ptr<swf::shape_character> outline(new swf::shape_character);
    outline->read(&in, swfw::kDefineShape, false, nullptr);
    ASSERT_EQ(outline->get_paths().size(), 1u);
    EXPECT_EQ(outline->get_paths()[0].m_fill0, fill == 1 ? 1 : 0);
    EXPECT_EQ(outline->get_paths()[0].m_edges.size(), 4u);
    swf::rect box;
    outline->compute_anchor_bound(&box);
    EXPECT_EQ(box, (swf::rect{0.0f, 500.0f, -700.0f, 0.0f}));
  }
}

TEST(SwfShapeRead, EmptyShapeHasANegativeAnchorBoxAndDrawsNothing) {
  LoadedShape loaded(ShapeOf({Solid(kRed)}, {}));
  ASSERT_NE(loaded.s, nullptr);
  swf::rect box;
  loaded.s->compute_anchor_bound(&box);
  EXPECT_LT(box.width(), 0.0f);
  EXPECT_FLOAT_EQ(box.m_x_min, 1e10f);
  loaded.Draw();
  EXPECT_EQ(loaded.render.Count("draw_"), 0u);
}

TEST(SwfShapeDraw, OneJoinedStripPerUsedFillStyle) {
  // Styles 1 and 3 are used, 2 is not; style 1 fills two separate boxes.
  LoadedShape loaded(ShapeOf({Solid(kRed), Solid(kGreen), Solid(kBlue)},
                             {Box(0, 0, 100, 100, 1), Box(200, 0, 100, 100, 1), Box(0, 300, 50, 50, 3)}));
  ASSERT_NE(loaded.s, nullptr);
  loaded.Draw(0.05f);  // coarse enough that every edge stays one piece
  EXPECT_EQ(loaded.render.calls,
            (std::vector<std::string>{"set_matrix 0.05 0 0 0 0.05 0", "set_color_transform 1 0 1 0 1 0 1 0",
                                      "set_fill_color 0 255,0,0,255", "draw_triangle_strip 10",
                                      "set_fill_color 0 0,0,255,255", "draw_triangle_strip 4"}));
  // The two boxes' strips joined by a degenerate pair: the first's last point, the
  // second's first.
  EXPECT_EQ(loaded.render.strips[0], (std::vector<int16_t>{0, 0, 100, 0, 0, 100, 100, 100, 100, 100, 200, 0, 200, 0,
                                                            300, 0, 200, 100, 300, 100}));
}

TEST(SwfShapeDraw, TrapezoidWithAPointForTopStartsANewStrip) {
  // A bow tie beside a box: the tie's lower half starts at a single point, the end of
  // its upper half's strip, and still becomes a strip of its own.
  std::vector<ShapeRecord> tie = {Style(std::make_pair(0, 0), {}, 1), ShapeRecord::Line(100, 0),
                                  ShapeRecord::Line(-50, 50),         ShapeRecord::Line(50, 50),
                                  ShapeRecord::Line(-100, 0),         ShapeRecord::Line(50, -50),
                                  ShapeRecord::Line(-50, -50)};
  LoadedShape loaded(ShapeOf({Solid(kRed)}, {tie, Box(200, 0, 100, 100, 1)}));
  ASSERT_NE(loaded.s, nullptr);
  loaded.Draw(0.05f);
  ASSERT_EQ(loaded.render.strips.size(), 1u);
  // Upper half (4), join (2), box (6), join (2), lower half (4).
  EXPECT_EQ(loaded.render.strips[0].size(), 18u * 2);
  EXPECT_EQ(std::vector<int16_t>(loaded.render.strips[0].end() - 8, loaded.render.strips[0].end()),
            (std::vector<int16_t>{50, 50, 50, 50, 0, 100, 100, 100}));
}

// Trapezoids of style 0 handed straight to the mesh builder, in order.
class TrapezoidList : public swf::tesselating_shape {
 public:
  explicit TrapezoidList(std::vector<swf::tesselate::trapezoid> list) : list_(std::move(list)) {}
  void tesselate(float, swf::tesselate::trapezoid_sink* sink) const override {
    for (const swf::tesselate::trapezoid& t : list_) sink->take_trapezoid(0, t);
  }

 private:
  std::vector<swf::tesselate::trapezoid> list_;
};

TEST(SwfShapeDraw, ATrapezoidExtendsTheFirstStripAfterTheOneExtendedLast) {
  // Strips A and C both end in the edge (0,10)-(10,10); B was extended last. The next
  // trapezoid on that edge goes to C, the first after B, not to A.
  const swf::tesselate::trapezoid e0_to_e{0, 10, 0, 0, 10, 10};
  const swf::tesselate::trapezoid b{0, 10, 100, 100, 110, 110};
  const swf::tesselate::trapezoid b_down{10, 20, 100, 100, 110, 110};
  const swf::tesselate::trapezoid e_down{10, 20, 0, 0, 10, 10};
  TrapezoidList shape({e0_to_e, b, e0_to_e, b_down, e_down});
  swf::shape_mesh mesh(&shape, 1.0f);
  ASSERT_EQ(mesh.get_fill_strips().size(), 1u);
  EXPECT_EQ(mesh.get_fill_strips()[0],
            (std::vector<int16_t>{0,   0,  10,  0,  0,   10, 10, 10,                     // A
                                  10,  10, 100, 0,                                       // join
                                  100, 0,  110, 0,  100, 10, 110, 10, 100, 20, 110, 20,  // B
                                  110, 20, 0,   0,                                       // join
                                  0,   0,  10,  0,  0,   10, 10, 10,  0,   20, 10,  20}));  // C
}

TEST(SwfShapeDraw, OutlinesDrawWithTheirLineStyle) {
  swfw::Shape shape = ShapeOf({}, {{Style(std::make_pair(0, 0), {}, {}, 1), ShapeRecord::Line(100, 0),
                                    ShapeRecord::Line(0, 100)}});
  shape.lines = {swfw::LineStyle{60, kGreen}};
  LoadedShape loaded(shape);
  ASSERT_NE(loaded.s, nullptr);
  loaded.Draw();
  EXPECT_EQ(loaded.render.Count("draw_triangle_strip"), 0u);
  EXPECT_EQ(loaded.render.Count("set_line_color 0,255,0,255"), 1u);
  EXPECT_EQ(loaded.render.Count("set_line_width 60"), 1u);
  ASSERT_EQ(loaded.render.strips.size(), 1u);
  EXPECT_EQ(loaded.render.strips[0].front(), 0);
  EXPECT_EQ(loaded.render.strips[0].back(), 100);
}

TEST(SwfShapeDraw, CoordinatesBeyondSixteenBitsAreClamped) {
  // Edges hold at most 17-bit deltas: the long sides take two each.
  LoadedShape loaded(ShapeOf({Solid(kRed)},
                             {{Style(std::make_pair(-40000, 0), {}, 1), ShapeRecord::Line(40000, 0),
                               ShapeRecord::Line(40000, 0), ShapeRecord::Line(0, 100), ShapeRecord::Line(-40000, 0),
                               ShapeRecord::Line(-40000, 0), ShapeRecord::Line(0, -100)}},
                             {-40000, 40000, 0, 100}));
  ASSERT_NE(loaded.s, nullptr);
  loaded.Draw(0.05f);
  ASSERT_EQ(loaded.render.strips.size(), 1u);
  EXPECT_EQ(loaded.render.strips[0], (std::vector<int16_t>{-32768, 0, 32767, 0, -32768, 100, 32767, 100}));
}

TEST(SwfShapeMeshCache, ReusedWithinOneToThreeTimesItsTolerance) {
  LoadedShape loaded(ShapeOf({Solid(kRed)}, {{Style(std::make_pair(0, 0), {}, 1), ShapeRecord::Curve(500, -500, 500, 500),
                                              ShapeRecord::Line(-1000, 0)}}));
  ASSERT_NE(loaded.s, nullptr);
  // At scale 1 the wanted tolerance is 20 twips: a mesh at 15, reused for wanted
  // tolerances above 15 up to 45.
  struct Step {
    float scale;
    bool builds;
    size_t meshes;
  };
  const Step steps[] = {{1.0f, true, 1},  {0.5f, false, 1}, {20.0f / 44.0f, false, 1}, {1.2f, false, 1}, {1.5f, true, 2},
                        {1.0f, false, 2}, {0.4f, true, 3},  {0.2f, false, 3}};
  for (const Step& step : steps) {
    int before = swf::shape_mesh::get_build_count();
    loaded.Draw(step.scale);
    EXPECT_EQ(swf::shape_mesh::get_build_count() - before, step.builds ? 1 : 0) << step.scale;
    EXPECT_EQ(loaded.s->get_cached_meshes().size(), step.meshes) << step.scale;
  }
  const auto& meshes = loaded.s->get_cached_meshes();
  for (size_t i = 1; i < meshes.size(); ++i) {
    EXPECT_GT(meshes[i - 1]->get_error_tolerance(), meshes[i]->get_error_tolerance());
  }
}

TEST(SwfShapeMeshCache, UnusableScalesDrawNothingAndTheCacheStaysSmall) {
  LoadedShape loaded(ShapeOf({Solid(kRed)}, {Box(0, 0, 1000, 1000, 1)}));
  ASSERT_NE(loaded.s, nullptr);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  // A largest scale below 1e-6, and pixel scales that give no tolerance.
  loaded.Draw(1e-7f);
  loaded.Draw(1.0f, nan);
  loaded.Draw(1.0f, 0.0f);
  loaded.Draw(1.0f, -2.0f);
  loaded.Draw(1.0f, inf);
  EXPECT_TRUE(loaded.render.calls.empty());
  EXPECT_TRUE(loaded.s->get_cached_meshes().empty());

  // Ever finer scales: the cache keeps the most recently drawn.
  for (int k = 0; k < 20; ++k) loaded.Draw(std::pow(4.0f, static_cast<float>(k) - 10.0f));
  const auto& meshes = loaded.s->get_cached_meshes();
  ASSERT_EQ(meshes.size(), static_cast<size_t>(swf::limits::kMaxMeshesPerShape));
  EXPECT_NEAR(meshes.back()->get_error_tolerance(), 0.75f * 20.0f / std::pow(4.0f, 9.0f), 1e-6f);
}

TEST(SwfShapeStyles, GradientImages) {
  swfw::FillStyle linear;
  linear.type = 0x10;
  linear.gradient = {{0, kRed}, {128, kGreen}, {255, kBlue}};
  swfw::FillStyle radial;
  radial.type = 0x12;
  radial.gradient = {{0, kRed}, {255, kBlue}};
  swfw::FillStyle empty;
  empty.type = 0x10;
  LoadedShape loaded(ShapeOf({linear, radial, empty}, {Box(0, 0, 100, 100, 1)}));
  ASSERT_NE(loaded.s, nullptr);
  ASSERT_EQ(loaded.render.bitmaps.size(), 3u);
  EXPECT_EQ(loaded.m->get_bitmap_info_count(), 3);

  auto pixel = [](const swftest::RecordedBitmap& b, int x, int y) {
    const uint8_t* p = &b.pixels[static_cast<size_t>((y * b.width + x) * 4)];
    return swf::rgba(p[0], p[1], p[2], p[3]);
  };
  const swftest::RecordedBitmap& lin = *loaded.render.bitmaps[0];
  ASSERT_EQ(lin.width, 256);
  ASSERT_EQ(lin.height, 1);
  EXPECT_EQ(pixel(lin, 0, 0), swf::rgba(255, 0, 0, 255));
  EXPECT_EQ(pixel(lin, 64, 0), swf::rgba(128, 128, 0, 255));
  EXPECT_EQ(pixel(lin, 128, 0), swf::rgba(0, 255, 0, 255));
  EXPECT_EQ(pixel(lin, 255, 0), swf::rgba(0, 0, 255, 255));

  const swftest::RecordedBitmap& rad = *loaded.render.bitmaps[1];
  ASSERT_EQ(rad.width, 64);
  ASSERT_EQ(rad.height, 64);
  // The centre samples ratio 5, the middle of an edge 255 and a corner clamps to 255.
  EXPECT_EQ(pixel(rad, 31, 31), swf::rgba(250, 0, 5, 255));
  EXPECT_EQ(pixel(rad, 63, 31), swf::rgba(0, 0, 255, 255));
  EXPECT_EQ(pixel(rad, 0, 0), swf::rgba(0, 0, 255, 255));

  // No records: every pixel is the default opaque white.
  const swftest::RecordedBitmap& none = *loaded.render.bitmaps[2];
  ASSERT_EQ(none.width, 256);
  for (int x = 0; x < 256; x += 51) EXPECT_EQ(pixel(none, x, 0), swf::rgba(255, 255, 255, 255));
  EXPECT_EQ(loaded.s->get_fill_styles()[2].m_color, swf::rgba(255, 255, 255, 255));
  EXPECT_EQ(loaded.s->get_fill_styles()[0].m_color, swf::rgba(255, 0, 0, 255));

  // The gradient square (-16384..16384 twips) maps onto 0..256.
  swf::point p;
  loaded.s->get_fill_styles()[0].m_gradient_matrix.transform(&p, swf::point(16384.0f, 0.0f));
  EXPECT_FLOAT_EQ(p.m_x, 256.0f);
  loaded.Draw();
  EXPECT_EQ(loaded.render.Count("set_fill_bitmap 0 1"), 1u);
}

TEST(SwfShapeStyles, BitmapFillsTakeTheInverseMatrixAndTheirWrap) {
  swfw::LosslessImage image;
  image.width = 2;
  image.height = 2;
  image.pixels = {kRed, kGreen, kBlue, kRed};
  swfw::FillStyle repeat;
  repeat.type = 0x40;
  repeat.bitmapId = 7;
  repeat.matrix.hasScale = true;
  repeat.matrix.scaleX = 20.0;
  repeat.matrix.scaleY = 20.0;
  repeat.matrix.translateX = 100;
  swfw::FillStyle clipped = repeat;
  clipped.type = 0x41;
  swfw::FillStyle missing = repeat;
  missing.bitmapId = 8;
  LoadedShape loaded(ShapeOf({repeat, clipped, missing},
                             {Box(0, 0, 100, 100, 1), Box(0, 200, 100, 100, 2), Box(0, 400, 100, 100, 3)}),
                     swfw::kDefineShape3, {swfw::DefineBitsLossless(7, image, true)});
  ASSERT_NE(loaded.s, nullptr);
  loaded.render.calls.clear();
  loaded.Draw();
  EXPECT_EQ(loaded.render.Count("set_fill_bitmap 0 0"), 1u);
  EXPECT_EQ(loaded.render.Count("set_fill_bitmap 0 1"), 1u);
  EXPECT_EQ(loaded.render.Count("draw_triangle_strip"), 3u);  // the missing bitmap draws unfilled
  ASSERT_EQ(loaded.render.fill_bitmap_matrices.size(), 2u);
  const swf::matrix& m = loaded.render.fill_bitmap_matrices[0];
  EXPECT_FLOAT_EQ(m.m_[0][0], 1.0f / 20.0f);
  EXPECT_FLOAT_EQ(m.m_[1][1], 1.0f / 20.0f);
  EXPECT_FLOAT_EQ(m.m_[0][2], -5.0f);
}

TEST(SwfShapeHitTest, RaysCountCrossings) {
  // A box, a ring (one path: outer box, a bridge, the inner box, back), a diamond whose
  // side corners lie on the ray, a bowl of one curve, a path without fill.
  std::vector<ShapeRecord> ring = {Style(std::make_pair(0, 0), {}, 1),
                                   ShapeRecord::Line(100, 0),  ShapeRecord::Line(0, 100),
                                   ShapeRecord::Line(-100, 0), ShapeRecord::Line(0, -100),
                                   ShapeRecord::Line(25, 25),  ShapeRecord::Line(0, 50),
                                   ShapeRecord::Line(50, 0),   ShapeRecord::Line(0, -50),
                                   ShapeRecord::Line(-50, 0),  ShapeRecord::Line(-25, -25)};
  std::vector<ShapeRecord> diamond = {Style(std::make_pair(50, 0), {}, 1), ShapeRecord::Line(50, 50),
                                      ShapeRecord::Line(-50, 50), ShapeRecord::Line(-50, -50),
                                      ShapeRecord::Line(50, -50)};
  std::vector<ShapeRecord> bowl = {Style(std::make_pair(0, 0), {}, 1), ShapeRecord::Curve(50, 100, 50, -100),
                                   ShapeRecord::Line(-100, 0)};
  std::vector<ShapeRecord> unfilled = {Style(std::make_pair(0, 0), {}, {}, 1), ShapeRecord::Line(100, 0),
                                       ShapeRecord::Line(0, 100), ShapeRecord::Line(-100, 0),
                                       ShapeRecord::Line(0, -100)};
  struct Case {
    const char* name;
    std::vector<ShapeRecord> records;
    float x, y;
    bool hit;
  };
  const std::vector<Case> cases = {
      {"box inside", Box(0, 0, 100, 100, 1), 50, 50, true},
      {"box outside", Box(0, 0, 100, 100, 1), 150, 50, false},
      {"box outside the bound", Box(0, 0, 100, 100, 1), 5000, 50, false},
      {"ring body", ring, 10, 50, true},
      {"ring body right", ring, 90, 50, true},
      {"ring hole", ring, 50, 50, false},
      {"diamond, corner at ray height", diamond, 25, 50, true},
      {"diamond, left of it", diamond, -20, 50, false},
      {"bowl, two roots right", bowl, 5, 25, false},
      {"bowl, one root right", bowl, 50, 25, true},
      {"bowl, below its bottom", bowl, 50, 60, false},
      {"path without fill", unfilled, 50, 50, false},
  };
  for (const Case& c : cases) {
    swfw::Shape shape = ShapeOf({Solid(kRed)}, {c.records}, {-100, 200, -100, 200});
    shape.lines = {swfw::LineStyle{20, kBlue}};
    LoadedShape loaded(shape);
    ASSERT_NE(loaded.s, nullptr) << c.name;
    EXPECT_EQ(loaded.s->point_test_local(c.x, c.y), c.hit) << c.name;
  }
}

// The meshes of a shape written to a stream.
Bytes CachePart(swf::shape_character* s) {
  std::unique_ptr<swf::file_stream> out(swftest::MakeMemoryStream({}));
  s->output_cached_data(out.get(), nullptr);
  out->set_position(0);
  Bytes bytes(1 << 20);
  bytes.resize(static_cast<size_t>(out->read_bytes(bytes.data(), static_cast<int>(bytes.size()))));
  return bytes;
}

TEST(SwfShapeCache, MeshesReadBackAsWritten) {
  swfw::Shape shape = ShapeOf({Solid(kRed), Solid(kGreen)},
                              {Box(0, 0, 300, 300, 2), {Style(std::make_pair(0, 0), {}, 1), ShapeRecord::Curve(400, 0, 400, 400),
                                                        ShapeRecord::Line(-400, 0)}});
  shape.lines = {swfw::LineStyle{20, kBlue}};
  shape.records[0].line = 1;
  LoadedShape written(shape);
  ASSERT_NE(written.s, nullptr);
  written.Draw(1.0f);
  written.Draw(8.0f);
  ASSERT_EQ(written.s->get_cached_meshes().size(), 2u);
  Bytes part = CachePart(written.s);

  LoadedShape read(shape);
  std::unique_ptr<swf::file_stream> in(swftest::MakeMemoryStream(part));
  read.s->input_cached_data(in.get());
  ASSERT_EQ(read.s->get_cached_meshes().size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(*read.s->get_cached_meshes()[i] == *written.s->get_cached_meshes()[i]) << i;
  }
  uint8_t past_end;
  EXPECT_EQ(in->read_bytes(&past_end, 1), 0);  // all of it was read
  // Drawn from the cache: nothing is tesselated.
  int before = swf::shape_mesh::get_build_count();
  read.Draw(1.0f);
  read.Draw(8.0f);
  EXPECT_EQ(swf::shape_mesh::get_build_count(), before);
  EXPECT_EQ(read.render.strips, written.render.strips);

  // Every cut of the part, and lying counts, keep whole meshes only.
  for (size_t cut = 0; cut < part.size(); ++cut) {
    std::unique_ptr<swf::file_stream> cut_in(swftest::MakeMemoryStream(Bytes(part.begin(), part.begin() + cut)));
    read.s->input_cached_data(cut_in.get());
    EXPECT_LE(read.s->get_cached_meshes().size(), 1u) << cut;
  }
  for (uint8_t high : {0x7F, 0x80, 0xFF}) {
    Bytes lying = part;
    lying[3] = high;  // the mesh count
    lying[11] = high;  // the first mesh's fill strip count
    std::unique_ptr<swf::file_stream> lying_in(swftest::MakeMemoryStream(lying));
    read.s->input_cached_data(lying_in.get());
    EXPECT_TRUE(read.s->get_cached_meshes().empty());
  }
}

TEST(SwfShapeHostile, HugeShapesAndScalesFinishInBoundedTime) {
  auto start = std::chrono::steady_clock::now();
  // Curves of the longest edges a record holds, far apart across the coordinate range,
  // drawn at scales near 2^15 and at tiny and huge pixel scales.
  std::vector<ShapeRecord> wild;
  for (int32_t corner : {-1000000000, 1000000000}) {
    wild.push_back(Style(std::make_pair(corner, corner), {}, 1));
    for (int i = 0; i < 64; ++i) {
      wild.push_back(ShapeRecord::Curve(65000, (i & 1) ? 65000 : -65000, (i & 1) ? -65000 : 65000, 0));
    }
  }
  LoadedShape loaded(ShapeOf({Solid(kRed)}, {wild}, {-2000000000, 2000000000, -2000000000, 2000000000}));
  ASSERT_NE(loaded.s, nullptr);
  for (float scale : {1.0f, 32767.0f, 1e-5f}) {
    for (float pixel_scale : {1.0f, 32768.0f, 1e-30f}) loaded.Draw(scale, pixel_scale);
  }
  EXPECT_LE(loaded.s->get_cached_meshes().size(), static_cast<size_t>(swf::limits::kMaxMeshesPerShape));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

// The body of a tag without its header.
Bytes BodyOf(const Bytes& tag) {
  size_t header = (tag[0] & 0x3F) == 0x3F ? 6 : 2;
  return Bytes(tag.begin() + static_cast<long>(header), tag.end());
}

TEST(SwfShapeHostile, EveryCutOfAShapeAndAMorphTagLoadsAndDraws) {
  swfw::FillStyle linear;
  linear.type = 0x10;
  linear.gradient = {{0, kRed}, {255, kBlue}};
  swfw::FillStyle bitmap;
  bitmap.type = 0x41;
  bitmap.bitmapId = 3;
  ShapeRecord fresh;
  fresh.kind = ShapeRecord::kStyleChange;
  fresh.newStyles = true;
  fresh.fills = {linear, Solid(kGreen)};
  fresh.lines = {swfw::LineStyle{20, kRed}};
  swfw::Shape shape = ShapeOf({Solid(kRed), linear, bitmap},
                              {Box(0, 0, 300, 300, 2),
                               {ShapeRecord::Curve(100, 100, -50, 80), fresh, Style(std::make_pair(10, 10), 1, 2, 1),
                                ShapeRecord::Curve(-40, 90, 60, 60), ShapeRecord::Line(-20, -150)}});
  shape.lines = {swfw::LineStyle{40, kBlue}};
  swfw::MorphShape morph;
  morph.startBounds = {0, 100, 0, 100};
  morph.endBounds = {0, 300, 0, 300};
  morph.fills = {swfw::MorphFill{linear, linear}, swfw::MorphFill{Solid(kRed), Solid(kBlue)}};
  morph.lines = {swfw::MorphLine{swfw::LineStyle{20, kRed}, swfw::LineStyle{40, kBlue}}};
  morph.startShape.records = Box(0, 0, 100, 100, 1);
  morph.startShape.records[0].line = 1;
  morph.startShape.records.push_back(ShapeRecord::Curve(50, 50, 50, -50));
  morph.endShape.records = Box(0, 0, 300, 300, {});

  auto start = std::chrono::steady_clock::now();
  swftest::SwfLogCapture log;
  for (const Bytes& tag : {swfw::DefineShape(swfw::kDefineShape3, 1, shape), swfw::DefineMorphShape(1, morph)}) {
    Bytes body = BodyOf(tag);
    int type = (tag[0] | (tag[1] << 8)) >> 6;
    for (size_t cut = 0; cut <= body.size(); ++cut) {
      swftest::RecordingRenderHandler render;
      swfw::Movie movie;
      movie.Add(swfw::Tag(type, Bytes(body.begin(), body.begin() + static_cast<long>(cut)))).ShowFrame().End();
      swf::smart_ptr<swf::movie_def_impl> m = swftest::LoadMovie(movie.Build());
      ASSERT_TRUE(m) << cut;
      auto* s = dynamic_cast<swf::shape_character*>(m->get_character_def(1));
      if (!s) continue;
      for (float scale : {1.0f, 0.05f, 8.0f}) {
        swf::matrix mx;
        mx.concatenate_scale(scale);
        if (auto* morph_shape = dynamic_cast<swf::morph_shape*>(s)) {
          morph_shape->display_at_ratio(mx, swf::cxform::identity, 1.0f, scale / 8.0f);
        } else {
          s->display_with_mesh_cache(mx, swf::cxform::identity, 1.0f, s->get_fill_styles(), s->get_line_styles());
        }
      }
      s->point_test_local(50.0f, 50.0f);
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

}  // namespace
