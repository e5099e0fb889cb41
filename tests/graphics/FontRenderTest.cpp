// Text on the real renderer (OpenGL, headless): a page with a bitmap font and a TrueType
// font, read back through a screenshot, has its glyph pixels where the layout put them.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/graphics/BitmapFont.h"
#include "engine/graphics/FontManager.h"
#include "tests/graphics/FontFixtures.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"

namespace gfxtest {
namespace {

class FontRenderTest : public GlGraphicsTest {
 protected:
  // Pixels of the rectangle [left, right) x [top, bottom) whose channel (shift 16 red, 8
  // green) is bright.
  static int Lit(const Bitmap& shot, int shift, int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, shot.height); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, shot.width); ++x) {
        count += ((shot.At(x, y) >> shift) & 0xFF) > 64;
      }
    }
    return count;
  }
};

TEST_F(FontRenderTest, BitmapAndTrueTypeGlyphsAppearWhereTheLayoutPutThem) {
  ASSERT_TRUE(Start());

  // A glyph sheet of two solid glyphs: "A" 8 x 12 at (0, 0) and "B" 6 x 12 at (10, 0).
  Pixels sheet(32 * 16, 0);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 8; ++x) sheet[y * 32 + x] = 0xFFFFFFFF;
    for (int x = 10; x < 16; ++x) sheet[y * 32 + x] = 0xFFFFFFFF;
  }
  WriteFixture("fonts/page.png", PngFile(32, 16, sheet));
  std::vector<fonttest::GlyphEntry> entries(2);
  entries[0].glyph = "A";
  entries[0].w = 8;
  entries[0].offset = 2;
  entries[1].glyph = "B";
  entries[1].x = 10;
  entries[1].w = 6;
  WriteFixture("fonts/page.lua", fonttest::FontFile("fonts/page.png", 0, entries));

  FontManager fonts;
  Font* bitmap = fonts.InitBitmapFont("Page", "fonts/page.lua");
  ASSERT_NE(bitmap->GetGlyph('A'), nullptr);
  Font* trueType = fonts.CreateFont("Title", "DejaVu Sans", 0, 24, 500, 0);
  ASSERT_NE(trueType, nullptr);

  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(0xFF000000, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  bitmap->DrawText("AB A", {100 / 800.0f, 100 / 600.0f}, {1, 1}, 0, 0xFFFF0000, 0);
  trueType->DrawText("HH", {400 / 800.0f, 300 / 600.0f}, {1, 1}, 0, 0xFF00FF00, 0);
  const int ttLeft = static_cast<int>(trueType->minX);
  const int ttTop = static_cast<int>(trueType->minY);
  const int ttRight = static_cast<int>(trueType->maxX);
  const int ttBottom = static_cast<int>(trueType->maxY);
  const Bitmap shot = EndFrameWithScreenshot();
  ASSERT_EQ(shot.width, 800);

  // Bitmap glyphs: the layout puts "A" at x 100 (10 wide with its spacing), "B" at 110;
  // the space has no glyph and takes no room, so the second "A" is at 116. Quads are
  // placed half a pixel in, so each shows from the next pixel on.
  EXPECT_EQ(Lit(shot, 16, 101, 101, 109, 113), 8 * 12);  // A
  EXPECT_EQ(Lit(shot, 16, 111, 101, 117, 113), 6 * 12);  // B
  EXPECT_EQ(Lit(shot, 16, 117, 101, 125, 113), 8 * 12);  // the second A
  EXPECT_EQ(Lit(shot, 16, 109, 101, 111, 113), 0);       // the spacing after A
  EXPECT_EQ(Lit(shot, 16, 90, 90, 140, 125), 8 * 12 * 2 + 6 * 12);  // nothing else

  // TrueType glyphs: ink inside the bounds the layout gave, in both letters, and none
  // around them.
  ASSERT_GT(ttRight - ttLeft, 20);
  EXPECT_EQ(ttLeft, 400);
  EXPECT_EQ(ttTop, 300);
  const int middle = (ttLeft + ttRight) / 2;
  EXPECT_GT(Lit(shot, 8, ttLeft, ttTop, middle + 1, ttBottom + 2), 30);
  EXPECT_GT(Lit(shot, 8, middle + 1, ttTop, ttRight + 2, ttBottom + 2), 30);
  const int inside = Lit(shot, 8, ttLeft, ttTop, ttRight + 2, ttBottom + 2);
  EXPECT_EQ(Lit(shot, 8, ttLeft - 40, ttTop - 40, ttRight + 40, ttBottom + 40), inside);
}

}  // namespace
}  // namespace gfxtest
