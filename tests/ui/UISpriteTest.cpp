// The sprite that widgets, splash pages and the sprite batch draw: loading, sizing, its
// quads (plain, turned, clipped, rotated) and its drawing.

#include "engine/ui/UISprite.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/graphics/Graphics.h"
#include "tests/core/LogCapture.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

using ui::UISprite;

void ExpectSameQuad(const ScreenVertex* a, const ScreenVertex* b) {
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(a[i].x, b[i].x) << i;
    EXPECT_FLOAT_EQ(a[i].y, b[i].y) << i;
    EXPECT_FLOAT_EQ(a[i].u, b[i].u) << i;
    EXPECT_FLOAT_EQ(a[i].v, b[i].v) << i;
    EXPECT_EQ(a[i].color, b[i].color) << i;
  }
}

class UISpriteTest : public ::testing::Test {
 protected:
  spritetest::SpriteRenderer renderer_;
};

TEST_F(UISpriteTest, InitLoadsTheImageAndSizesTheSpriteFromIt) {
  UISprite sprite;
  EXPECT_TRUE(sprite.Init("ui_img/button.png", {0.25f, 0}, {0.75f, 1}, true));
  EXPECT_TRUE(sprite.IsLoaded());
  EXPECT_FLOAT_EQ(sprite.size.x, 0.1f);  // 80 of 800 pixels
  EXPECT_FLOAT_EQ(sprite.size.y, 0.1f);  // 60 of 600
  EXPECT_EQ(sprite.uv1, math::Vec2(0.25f, 0));
  EXPECT_EQ(sprite.uv2, math::Vec2(0.75f, 1));
  EXPECT_TRUE(sprite.additive);
  EXPECT_EQ(sprite.fileName, "ui_img/button.png");

  LogCapture log;
  UISprite missing;
  EXPECT_TRUE(missing.Init("missing.png", {0, 0}, {1, 1}, false));
  EXPECT_FALSE(missing.IsLoaded());
  EXPECT_EQ(missing.size, math::Vec2(0, 0));
  EXPECT_TRUE(log.Contains("Unable to load image missing.png into the UI sprite"));
  EXPECT_EQ(missing.fileName, "");  // kept only for a picture that loaded: never tried again

  // Loading another image replaces the first; an empty name only drops it.
  sprite.LoadImage("ui_img/other.png");
  EXPECT_EQ(sprite.image->name, "ui_img/other.png");
  sprite.LoadImage("");
  EXPECT_FALSE(sprite.IsLoaded());
}

TEST_F(UISpriteTest, SetTransformAndMovesKeepOneOwnerOfTheImage) {
  UISprite sprite;
  sprite.Init("a.png", {0, 0}, {1, 1}, false);
  sprite.SetTransform({0.1f, 0.2f}, {0.3f, 0.4f}, 15.0f, 99.0f, 0x80FF0000);
  EXPECT_EQ(sprite.position, math::Vec2(0.1f, 0.2f));
  EXPECT_EQ(sprite.size, math::Vec2(0.3f, 0.4f));
  EXPECT_FLOAT_EQ(sprite.rotation, 15.0f);
  EXPECT_EQ(sprite.color, 0x80FF0000u);

  UISprite moved(std::move(sprite));
  EXPECT_TRUE(moved.IsLoaded());
  EXPECT_FALSE(sprite.IsLoaded());
  UISprite assigned;
  assigned = std::move(moved);
  EXPECT_TRUE(assigned.IsLoaded());
  EXPECT_EQ(assigned.color, 0x80FF0000u);
}

TEST_F(UISpriteTest, QuadsFollowTheRendererBuilders) {
  UISprite sprite;
  sprite.Init("a.png", {0, 0}, {1, 1}, false);
  sprite.SetTransform({0.1f, 0.2f}, {0.2f, 0.1f}, 0, 1, 0xFF00FF00);
  ScreenVertex got[6], expected[6];

  for (uint32_t orientation = 0; orientation < 4; ++orientation) {
    SCOPED_TRACE(orientation);
    sprite.orientation = static_cast<int32_t>(orientation);
    EXPECT_EQ(sprite.BuildQuad(got), 6u);
    BuildOrientedQuad(orientation, sprite.position, sprite.size, sprite.uv1, sprite.uv2,
                      sprite.color, expected);
    ExpectSameQuad(got, expected);
  }

  sprite.orientation = 0;
  EXPECT_EQ(sprite.BuildRotatedQuad(got, 30.0f), 6u);
  BuildRotatedQuad({0.2f, 0.25f}, sprite.size, 30.0f, sprite.uv1, sprite.uv2, sprite.color, expected);
  ExpectSameQuad(got, expected);
}

TEST_F(UISpriteTest, ClippedQuadCutsTheTextureInProportionUnlessTurned) {
  UISprite sprite;
  sprite.Init("a.png", {0, 0}, {1, 1}, false);
  sprite.SetTransform({0.1f, 0.1f}, {0.2f, 0.2f}, 0, 1, 0xFFFFFFFF);
  ScreenVertex got[6], expected[6];

  // The left quarter and the bottom half lie outside the rectangle.
  EXPECT_EQ(sprite.BuildClippedQuad(got, {0.15f, 0.0f}, {1.0f, 0.2f}), 6u);
  BuildScreenQuad({0.15f, 0.1f}, {0.15f, 0.1f}, {0.25f, 0.0f}, {1.0f, 0.5f}, 0xFFFFFFFF, expected);
  ExpectSameQuad(got, expected);

  // Inside the rectangle: the plain quad.
  sprite.BuildClippedQuad(got, {0, 0}, {1, 1});
  sprite.BuildQuad(expected);
  ExpectSameQuad(got, expected);

  // Outside it: a quad of no area.
  sprite.BuildClippedQuad(got, {0.5f, 0.5f}, {1, 1});
  EXPECT_FLOAT_EQ(got[1].x, got[3].x);
  EXPECT_FLOAT_EQ(got[1].y, got[0].y);

  // A sprite turned by quarter turns is built uncut.
  for (int32_t orientation = 1; orientation < 4; ++orientation) {
    SCOPED_TRACE(orientation);
    sprite.orientation = orientation;
    sprite.BuildClippedQuad(got, {0.15f, 0.0f}, {1.0f, 0.2f});
    sprite.BuildQuad(expected);
    ExpectSameQuad(got, expected);
  }
}

TEST_F(UISpriteTest, RenderDrawsOneQuadWithItsImageAndBlending) {
  UISprite empty;
  EXPECT_FALSE(empty.Render());
  EXPECT_TRUE(renderer_.draws.empty());

  UISprite sprite;
  sprite.Init("a.png", {0, 0}, {1, 1}, false);
  EXPECT_TRUE(sprite.Render());
  ASSERT_EQ(renderer_.draws.size(), 1u);
  EXPECT_EQ(renderer_.draws[0].vertices.size(), 6u);
  EXPECT_EQ(renderer_.draws[0].type, PT_Triangles);
  EXPECT_EQ(renderer_.textures.back(), std::make_pair(0u, sprite.image));
  EXPECT_TRUE(renderer_.renderStates.empty());

  // Additive: the destination blend is one for this draw only.
  sprite.additive = true;
  sprite.Render();
  ASSERT_EQ(renderer_.renderStates.size(), 3u);
  EXPECT_EQ(renderer_.renderStates[1], std::make_pair(RS_DestBlend, uint32_t{BF_One}));
  EXPECT_EQ(renderer_.renderStates[2], std::make_pair(RS_DestBlend, uint32_t{BF_InvSrcAlpha}));
  const std::vector<std::string> last(renderer_.calls.end() - 3, renderer_.calls.end());
  EXPECT_EQ(last, (std::vector<std::string>{"SetRenderState", "DrawArray", "SetRenderState"}));
}

}  // namespace
