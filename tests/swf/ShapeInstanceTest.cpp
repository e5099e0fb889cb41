// Shapes and morph shapes on the stage: drawn through their instance's world matrix,
// colour transform and the pixel scale of the movie, morphs at their placement's ratio,
// and hit by the mouse inside their fill.

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/swf/shape/morph_shape.h"
#include "engine/swf/shape/shape.h"
#include "tests/swf/PlayerFixture.h"

namespace {

using swftest::Bytes;
using swfw::Color;

swfw::MorphShape GrowingBox() {
  swfw::MorphShape m;
  m.startBounds = {0, 100, 0, 100};
  m.endBounds = {0, 300, 0, 300};
  swfw::MorphFill fill;
  fill.start.color = Color{255, 0, 0, 255};
  fill.end.color = Color{0, 0, 255, 255};
  m.fills = {fill};
  swfw::ShapeRecord start = swfw::ShapeRecord::Move(0, 0);
  start.fill1 = 1;
  m.startShape.records = {start, swfw::ShapeRecord::Line(100, 0), swfw::ShapeRecord::Line(0, 100),
                          swfw::ShapeRecord::Line(-100, 0), swfw::ShapeRecord::Line(0, -100)};
  m.endShape.records = {swfw::ShapeRecord::Move(0, 0), swfw::ShapeRecord::Line(300, 0),
                        swfw::ShapeRecord::Line(0, 300), swfw::ShapeRecord::Line(-300, 0),
                        swfw::ShapeRecord::Line(0, -300)};
  return m;
}

// A red 400 x 400 twip box placed at scale 2 and (100, 200) at half alpha, and a morph
// at (5000, 5000) halfway between its shapes (ratio 32768 / 65535).
Bytes StageMovie() {
  swfw::PlaceObject2Record box;
  box.depth = 1;
  box.characterId = 1;
  swfw::Matrix m = swfw::Matrix::Translate(100, 200);
  m.hasScale = true;
  m.scaleX = m.scaleY = 2.0;
  box.matrix = m;
  swfw::CXForm half;
  half.hasMult = true;
  half.mult[0] = half.mult[1] = half.mult[2] = 255;
  half.mult[3] = 128;
  box.cxform = half;
  swfw::PlaceObject2Record morph;
  morph.depth = 2;
  morph.characterId = 2;
  morph.matrix = swfw::Matrix::Translate(5000, 5000);
  morph.ratio = 32768;
  return swftest::MovieOfFrames({{swfw::DefineShape(swfw::kDefineShape3, 1,
                                                    swfw::RectangleShape(400, 400, Color{255, 0, 0, 255})),
                                  swfw::DefineMorphShape(2, GrowingBox()), swfw::PlaceObject2(box, 6),
                                  swfw::PlaceObject2(morph, 6)}});
}

TEST(SwfShapeInstance, DrawnThroughTheInstanceAndHitInsideTheFill) {
  swftest::RecordingRenderHandler render;
  swftest::Played p(StageMovie());
  ASSERT_TRUE(p.root);
  p.root->set_display_viewport(0, 0, 1100, 800);  // the 550 x 400 stage at pixel scale 2
  p.root->advance(0.01f);
  render.calls.clear();
  p.root->display();

  const std::vector<std::string>& calls = render.calls;
  auto box = std::find(calls.begin(), calls.end(), "set_matrix 2 0 100 0 2 200");
  ASSERT_NE(box, calls.end());
  ASSERT_LT(box + 3, calls.end());
  EXPECT_EQ(box[1], "set_color_transform 1 0 1 0 1 0 0.501961 0");
  EXPECT_EQ(box[2], "set_fill_color 0 255,0,0,255");
  EXPECT_EQ(box[3].rfind("draw_triangle_strip ", 0), 0u);
  auto morph = std::find(calls.begin(), calls.end(), "set_matrix 1 0 5000 0 1 5000");
  ASSERT_NE(morph, calls.end());
  EXPECT_EQ(std::count(morph, calls.end(), "set_fill_color 0 127,0,128,255"), 1);

  // The box at world scale 2 and pixel scale 2: a pixel is 5 twips of the shape, and
  // its mesh is made at 3/4 of that.
  auto* shape = dynamic_cast<swf::shape_character*>(p.def->get_character_def(1));
  ASSERT_NE(shape, nullptr);
  ASSERT_EQ(shape->get_cached_meshes().size(), 1u);
  EXPECT_FLOAT_EQ(shape->get_cached_meshes()[0]->get_error_tolerance(), 3.75f);
  auto* morph_shape = dynamic_cast<swf::morph_shape*>(p.def->get_character_def(2));
  ASSERT_NE(morph_shape, nullptr);
  EXPECT_NEAR(morph_shape->get_width_local(), 200.0f, 0.01f);

  // Mouse tests in stage twips: the box covers (100, 200) to (900, 1000); the morph as
  // last drawn covers (5000, 5000) to (5200, 5200).
  swf::character* box_instance = p.sprite()->get_display_list().get_character_at_depth(1);
  swf::character* morph_instance = p.sprite()->get_display_list().get_character_at_depth(2);
  ASSERT_NE(box_instance, nullptr);
  ASSERT_NE(morph_instance, nullptr);
  const struct {
    float x, y;
    swf::character* hit;
  } cases[] = {{500, 600, box_instance},       {120, 220, box_instance},  {50, 50, nullptr},
               {950, 600, nullptr},            {5150, 5150, morph_instance}, {5250, 5150, nullptr}};
  for (const auto& c : cases) {
    EXPECT_EQ(p.sprite()->get_topmost_mouse_entity(c.x, c.y), c.hit) << c.x << "," << c.y;
  }
}

}  // namespace
