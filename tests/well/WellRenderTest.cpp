// A board drawn by the real renderer (OpenGL, headless): blocks, a decoration under them
// and one over them, and the border from a sprite sheet, read back through a screenshot.

#include <gtest/gtest.h>

#include <string>

#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIManager.h"
#include "engine/well/WellBorder.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"
#include "tests/well/WellTestSupport.h"

namespace gfxtest {
namespace {

constexpr uint32_t kBlack = 0xFF000000, kRed = 0xFFE02020, kBlue = 0xFF2040E0,
                   kGreen = 0xFF20C020, kYellow = 0xFFF0E010, kCorner = 0xFFC040C0,
                   kSide = 0xFF808080;

// Every grid cell is inside; everything outside the grid is wall.
class FrameBorder : public well::WellBorder {
 public:
  using WellBorder::WellBorder;
  bool IsInside(int32_t x, int32_t y) override { return well_->IsInGrid(x, y); }
  bool IsWall(int32_t x, int32_t y) override { return !well_->IsInGrid(x, y); }
};

class WellRenderTest : public GlGraphicsTest {
 protected:
  void TearDown() override {
    ui::GetSpriteSet().Clear();
    ui::GetUIMan().Shutdown();
    GlGraphicsTest::TearDown();
  }
};

void Solid(const std::string& name, uint32_t width, uint32_t height, uint32_t color) {
  WriteFixture(name, PngFile(width, height, Pixels(width * height, color)));
}

TEST_F(WellRenderTest, BlocksDecorationsAndTheBorderAppearInTheirOrder) {
  ASSERT_TRUE(Start());
  // Cells of 40 x 40 pixels; the board's 6 x 4 cells start at pixel (200, 150) and its
  // bottom edge is at pixel row 310.
  Solid("img/red.png", 40, 40, kRed);
  Solid("img/blue.png", 40, 40, kBlue);
  Solid("img/over.png", 40, 40, kGreen);
  Solid("img/under.png", 40, 80, kYellow);
  Solid("img/corner.png", 40, 40, kCorner);
  Solid("img/side.png", 40, 40, kSide);
  std::string sheet = "Sprites = {\n"
                      "  { Name = 'block_red', ImageFile = 'img/red.png', SpriteC = 1 },\n"
                      "  { Name = 'block_blue', ImageFile = 'img/blue.png', SpriteC = 1 },\n"
                      "  { Name = 'leaf_over', ImageFile = 'img/over.png', SpriteC = 1 },\n"
                      "  { Name = 'leaf_under', ImageFile = 'img/under.png', SpriteC = 1 },\n";
  for (const char* piece : {"corner_tl", "corner_tr", "corner_bl", "corner_br"}) {
    sheet += std::string("  { Name = 'wall_") + piece + "', ImageFile = 'img/corner.png', SpriteC = 1 },\n";
  }
  for (const char* piece : {"l", "r", "t", "b"}) {
    sheet += std::string("  { Name = 'wall_") + piece + "', ImageFile = 'img/side.png', SpriteC = 1 },\n";
  }
  WriteFixture("img/well_sheet.lua", sheet + "}\n");
  ASSERT_TRUE(ui::GetSpriteSet().Load("img/well_sheet.lua"));

  FrameTimer clock;
  welltest::Events events;
  welltest::TestWell board(clock, &events);
  const math::Vec2 cell(0.05f, 40.0f / 600.0f);
  board.Create(6, 4, math::Vec2(0.25f, 0.25f), math::Vec2(6 * cell.x, 4 * cell.y), cell);
  board.Put("normal", 1, 1, 1, 1, "red");
  board.Put("normal", 3, 2, 1, 1, "blue");
  board.Put("normal", 4, 1, 1, 1, "blue");
  board.AddDecoration("leaf_under", 1, 1, 0, 0, math::Vec2(0.0f, 0.0f), 0, 0);
  board.AddDecoration("leaf_under", 2, 3, 0, 0, math::Vec2(0.0f, 0.0f), 1, 0);  // reaches below
  board.AddDecoration("leaf_over", 3, 2, 0, 0, math::Vec2(0.0f, 0.0f), 3, 0);
  FrameBorder border(&board, "wall", 0);
  border.UpdateAll();

  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(kBlack, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  border.Render();
  board.Render();
  const Bitmap shot = EndFrameWithScreenshot();
  ASSERT_EQ(shot.width, 800);

  EXPECT_TRUE(ColorNear(shot.At(100, 100), kBlack));
  EXPECT_TRUE(ColorNear(shot.At(220, 170), kCorner));  // the border at cell (0, 0)
  EXPECT_TRUE(ColorNear(shot.At(300, 170), kSide));    // and at (2, 0)
  EXPECT_TRUE(ColorNear(shot.At(300, 190), kBlack));   // (2, 1) is no edge cell
  EXPECT_TRUE(ColorNear(shot.At(260, 190), kRed));     // the block over the lower decoration
  EXPECT_TRUE(ColorNear(shot.At(260, 230), kYellow));  // which shows in the cell below it
  EXPECT_TRUE(ColorNear(shot.At(380, 210), kBlue));    // a block
  EXPECT_TRUE(ColorNear(shot.At(340, 250), kGreen));   // the upper decoration over a block
  EXPECT_TRUE(ColorNear(shot.At(300, 300), kYellow));  // the lower one on the bottom row
  EXPECT_TRUE(ColorNear(shot.At(300, 312), kBlack));   // but nothing below the board's edge
  EXPECT_TRUE(ColorNear(shot.At(300, 330), kBlack));
}

}  // namespace
}  // namespace gfxtest
