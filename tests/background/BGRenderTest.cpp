// A scene drawn by the real renderer (OpenGL, headless) around a panel: the scene's
// picture, a decal behind the panel and one in front of it, a particle system and a biped,
// read back through a screenshot.

#include <gtest/gtest.h>

#include "engine/background/BGScene.h"
#include "engine/background/BipedAnim.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/UIManager.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"

namespace gfxtest {
namespace {

constexpr uint32_t kSky = 0xFF2040E0, kBack = 0xFFE02020, kFront = 0xFF20C020, kPanel = 0xFF808080,
                   kBird = 0xFFF0E010, kSpark = 0xFF20E0E0;

void Solid(const std::string& name, uint32_t width, uint32_t height, uint32_t color) {
  WriteFixture(name, PngFile(width, height, Pixels(width * height, color)));
}

class BGRenderTest : public GlGraphicsTest {
 protected:
  void TearDown() override {
    ui::GetUIMan().Shutdown();
    FontManager::Get().Shutdown();
    GlGraphicsTest::TearDown();
  }
};

TEST_F(BGRenderTest, TheSceneShowsAroundThePanel) {
  ASSERT_TRUE(Start());
  Solid("art/sky.png", 64, 64, kSky);
  Solid("art/back.png", 80, 60, kBack);    // 0.1 x 0.1 of the screen
  Solid("art/front.png", 80, 60, kFront);
  Solid("art/panel.png", 16, 16, kPanel);
  Solid("art/bird.png", 16, 32, kBird);    // one bone, 32 pixels up from the bird's feet
  WriteFixture("bganim/shot_bird.sbp",
               "AnimationData = { { Name = 'body', DefaultImg = 'art/bird.png', Frames = { { Pos = { 0, 0 } } } } }");
  bones::BipedAnimationSet::Instance().AddAnimation("bganim/shot_bird.sbp");
  // Still, opaque particles 0.1 of the screen wide (80 x 80 pixels), born in a small
  // rectangle at (0.8, 0.75): one each update, every one covering (644, 454).
  Solid("fx/spark.png", 16, 16, kSpark);
  WriteFixture("fx/shot_sparks.p2d", R"(
Part2D = { {
  Image = "fx/spark.png", MaxC = 20, LockRect = 1, LockSize = 1,
  SizeFromMin = { 0.1, 0.1 }, SizeFromMax = { 0.1, 0.1 }, Lifespan = { 100, 100 },
  MinSpeed = { 0, 0 }, MaxSpeed = { 0, 0 }, MinSpeedMag = 0, GenRate = 0.05,
  Color = { { 1, 1, 1, 1 }, { 1, 1, 1, 1 } },
} })");
  WriteFixture("ui/shot_panel.ui",
               "Panel = { Name = 'shot_panel', Pos = { 0.15, 0 }, Size = { 0.35, 0.5 }, MouseOff = 'art/panel.png' }");
  ASSERT_NE(ui::GetUIMan().AddPanel("ui/shot_panel.ui"), nullptr);
  WriteFixture("ui/shot_scene.lua", R"(
BGScene = {
  Info = { BackgroundImg = "art/sky.png", Width = 1, Height = 1, TileSize = { 1, 1 } },
  Background = {
    { Type = "decal", Pos = { 0.1, 0.1 }, Sort = -1, SpriteImg = "art/back.png" },
    { Type = "decal", Pos = { 0.3, 0.1 }, Sort = 1, SpriteImg = "art/front.png" },
    { Type = "biped", Pos = { 0.6, 0.6 }, Sort = -1, Biped = "shot_bird" },
    { Type = "partsys", Pos = { 0.8, 0.75 }, Size = { 0.01, 0.01 }, Sort = -1,
      PartSys = "fx/shot_sparks.p2d" },
  },
})");
  background::BGScene scene;
  ASSERT_TRUE(scene.Load("ui/shot_scene.lua"));
  for (int frame = 0; frame < 5; ++frame) scene.Update(0.1f);

  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(0xFF000000, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  scene.Render();
  ui::GetUIMan().Render();
  scene.RenderForeground();
  const Bitmap shot = EndFrameWithScreenshot();
  ASSERT_EQ(shot.width, 800);

  EXPECT_TRUE(ColorNear(shot.At(700, 100), kSky));    // the picture, repeated over the screen
  EXPECT_TRUE(ColorNear(shot.At(100, 90), kBack));    // the back decal, 80..160 x 60..120
  EXPECT_TRUE(ColorNear(shot.At(140, 90), kPanel));   // covered by the panel from x 120
  EXPECT_TRUE(ColorNear(shot.At(280, 90), kFront));   // the front decal over the panel
  EXPECT_TRUE(ColorNear(shot.At(200, 200), kPanel));
  EXPECT_TRUE(ColorNear(shot.At(480, 345), kBird));   // the bird's band, 472..488 x 328..360
  EXPECT_TRUE(ColorNear(shot.At(495, 345), kSky));
  EXPECT_TRUE(ColorNear(shot.At(644, 454), kSpark));  // the particles, about 604..684 x 414..494
  EXPECT_TRUE(ColorNear(shot.At(624, 434), kSpark));
  EXPECT_TRUE(ColorNear(shot.At(644, 520), kSky));
}

}  // namespace
}  // namespace gfxtest
