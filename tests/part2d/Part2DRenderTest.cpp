// An additive particle group drawn by the real renderer (OpenGL, headless), read back
// through a screenshot: particles add light where they overlap, and a fast particle is
// stretched along its motion.

#include <gtest/gtest.h>

#include "engine/part2d/Part2D.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"

namespace gfxtest {
namespace {

constexpr uint32_t kDark = 0xFF101018;

int Red(uint32_t pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }

// A particle of the group placed by hand: size (0.025, 0.025), moving along dir.
part2d::Particle* Place(part2d::PartGroup* group, math::Vec2 pos, math::Vec2 dir, float speed) {
  part2d::Particle* p = group->SpawnParticleAt(pos, dir * speed);
  p->size = math::Vec2(0.025f, 0.025f);
  p->sizeDelta = math::Vec2(0, 0);
  return p;
}

TEST_F(GlGraphicsTest, AdditiveParticlesBrightenWhereTheyOverlapAndStretchAlongTheirMotion) {
  ASSERT_TRUE(Start());
  // A half-transparent grey square: each particle adds about a quarter of full light.
  WriteFixture("fx/square.png", PngFile(16, 16, Pixels(16 * 16, 0x80808080)));
  part2d::Part2D system;
  part2d::PartGroup* group = system.CreateGroup();
  group->SetImage("fx/square.png");
  group->SetAdditive(true);
  group->SetLifespan(math::Vec2(10, 10));
  group->SetStretchSpeed(0.2f);
  Place(group, math::Vec2(0.25f, 0.25f), math::Vec2(0, 1), 0.0f);   // alone
  Place(group, math::Vec2(0.5f, 0.25f), math::Vec2(0, 1), 0.0f);    // two on one spot
  Place(group, math::Vec2(0.5f, 0.25f), math::Vec2(0, 1), 0.0f);
  Place(group, math::Vec2(0.5f, 0.7f), math::Vec2(1, 0), 0.5f);     // 0.125 long, along x

  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(kDark, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  ASSERT_TRUE(system.Render(math::Vec2(0, 0)));
  const Bitmap shot = EndFrameWithScreenshot();
  ASSERT_EQ(shot.width, 800);

  const int background = Red(shot.At(100, 500));
  const int alone = Red(shot.At(200, 150));
  const int overlap = Red(shot.At(400, 150));
  EXPECT_TRUE(ColorNear(shot.At(100, 500), kDark, 2));
  EXPECT_GT(alone, background + 40);
  EXPECT_GT(overlap, alone + 40);
  // The stretched particle: centre (400, 420), 20 pixels wide (0.025 of the width) and 75
  // long (0.125 of the height: a length is measured as along y whichever way it runs).
  EXPECT_GT(Red(shot.At(400, 420)), background + 40);
  EXPECT_GT(Red(shot.At(435, 420)), background + 40);
  EXPECT_GT(Red(shot.At(365, 420)), background + 40);
  EXPECT_LE(Red(shot.At(400, 445)), background + 2);
  EXPECT_LE(Red(shot.At(445, 420)), background + 2);
  EXPECT_LE(Red(shot.At(355, 420)), background + 2);
}

}  // namespace
}  // namespace gfxtest
