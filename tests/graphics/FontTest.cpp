// Text layout and drawing with a bitmap font made by the test, against a recording
// renderer: tab stops, wrapping, break points, the colour switch, borders, alignment, the
// fixed capacities, and the bitmap font's description file.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/BitmapFont.h"
#include "engine/graphics/Font.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/FontFixtures.h"
#include "tests/graphics/ImageFixtures.h"

namespace {

using fonttest::DrawnGlyph;

constexpr uint32_t kInk = 0xFF102030;
constexpr float kSheet = 256.0f;

class BitmapFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fonttest::WriteStandardFont();
    font_ = std::make_unique<BitmapFont>("Test");
    ASSERT_TRUE(font_->Load("fonts/test.lua"));
  }

  // Draws the text in a box of the pixel size at the pixel position; the glyphs drawn.
  std::vector<DrawnGlyph> Draw(const std::string& text, float boxWidth = 800, float boxHeight = 600,
                               uint32_t flags = 0, float x = 0, float y = 0, uint32_t colour = kInk) {
    renderer_.draws.clear();
    font_->DrawText(text, {x / 800, y / 600}, {boxWidth / 800, boxHeight / 600}, flags, colour, 0);
    return fonttest::AllGlyphs(renderer_);
  }

  // The x of each drawn glyph.
  static std::vector<float> Xs(const std::vector<DrawnGlyph>& glyphs) {
    std::vector<float> xs;
    for (const DrawnGlyph& g : glyphs) xs.push_back(g.x);
    return xs;
  }
  static std::vector<float> Ys(const std::vector<DrawnGlyph>& glyphs) {
    std::vector<float> ys;
    for (const DrawnGlyph& g : glyphs) ys.push_back(g.y);
    return ys;
  }
  // The letter of a drawn glyph of the standard font, found by its texture corner.
  static char Letter(const DrawnGlyph& g) {
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZxyz$%";
    for (size_t i = 0; i < letters.size(); ++i) {
      if (g.u * kSheet == static_cast<float>(i % 25) * 10 && g.v * 64 == static_cast<float>(i / 25) * 12) {
        return letters[i];
      }
    }
    return '?';
  }
  static std::string Letters(const std::vector<DrawnGlyph>& glyphs) {
    std::string text;
    for (const DrawnGlyph& g : glyphs) text += Letter(g);
    return text;
  }

  fonttest::FontRenderer renderer_;
  std::unique_ptr<BitmapFont> font_;
};

TEST_F(BitmapFontTest, TabsGoToStopsEveryThirtyPixelsInLayoutAndDrawing) {
  struct Case {
    const char* text;
    std::vector<float> xs;
  };
  const Case cases[] = {
      {"A\tB", {0, 30}},
      {"AAA\tB", {0, 10, 20, 60}},  // at a stop already: on to the next one
      {"AAAA\tB", {0, 10, 20, 30, 60}},
      {"\t\tA", {60}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Xs(Draw(c.text)), c.xs);
    math::Vec2 position(0, 0), size(0, 0);
    font_->GetTextSize(c.text, {1, 1}, position, size, 0);
    EXPECT_FLOAT_EQ((position.x + size.x) * 800, c.xs.back() + 10);
  }
  // A centred line is centred on what is drawn: "A\tB" is 40 pixels wide.
  EXPECT_EQ(Xs(Draw("A\tB", 100, 100, Font::kCentreLines)), (std::vector<float>{30, 60}));
}

TEST_F(BitmapFontTest, WrapsAtTheLastSpaceOrBeforeThePrecedingCharacter) {
  // With a space the line ends at the space, which is not drawn.
  std::vector<DrawnGlyph> glyphs = Draw("ABC DEF", 62);
  EXPECT_EQ(Letters(glyphs), "ABCDEF");
  EXPECT_EQ(Xs(glyphs), (std::vector<float>{0, 10, 20, 0, 10, 20}));
  EXPECT_EQ(Ys(glyphs), (std::vector<float>{0, 0, 0, 14, 14, 14}));

  // Without a space, F does not fit: the line ends before E, which starts the next line.
  glyphs = Draw("ABCDEFGH", 55);
  EXPECT_EQ(Letters(glyphs), "ABCDEFGH");
  EXPECT_EQ(Xs(glyphs), (std::vector<float>{0, 10, 20, 30, 0, 10, 20, 30}));
  EXPECT_EQ(Ys(glyphs), (std::vector<float>{0, 0, 0, 0, 14, 14, 14, 14}));

  // Each wrapped line is measured exactly: both lines are 40 wide and centre alike.
  glyphs = Draw("ABCDEFGH", 55, 600, Font::kCentreLines);
  EXPECT_FLOAT_EQ(glyphs[0].x, 7);
  EXPECT_FLOAT_EQ(glyphs[4].x, 7);

  // A line too narrow for two letters holds one.
  glyphs = Draw("ABC", 15);
  EXPECT_EQ(Ys(glyphs), (std::vector<float>{0, 14, 28}));
}

TEST_F(BitmapFontTest, DollarIsAnInvisibleBreakPoint) {
  // The font has a "$" glyph, and still "$" is never drawn and takes no room.
  std::vector<DrawnGlyph> glyphs = Draw("AB$CD");
  EXPECT_EQ(Letters(glyphs), "ABCD");
  EXPECT_EQ(Xs(glyphs), (std::vector<float>{0, 10, 20, 30}));

  glyphs = Draw("AB$CDE", 45);
  EXPECT_EQ(Letters(glyphs), "ABCDE");
  EXPECT_EQ(Xs(glyphs), (std::vector<float>{0, 10, 0, 10, 20}));
  EXPECT_EQ(Ys(glyphs), (std::vector<float>{0, 0, 14, 14, 14}));
}

TEST_F(BitmapFontTest, PoundSignSwitchesToTheAlternateColourAndBack) {
  // Without a glyph for U+00A3 the sign is a missing character: skipped, no switch.
  std::vector<DrawnGlyph> glyphs = Draw("x\u00A3y\u00A3z");
  ASSERT_EQ(glyphs.size(), 3u);
  for (const DrawnGlyph& glyph : glyphs) EXPECT_EQ(glyph.colour, kInk);

  // With one it switches, and takes no room.
  auto pound = std::make_unique<Glyph>();
  pound->code = 0xA3;
  pound->width = 10;
  font_->glyphs[0xA3] = std::move(pound);
  glyphs = Draw("x\u00A3y\u00A3z");
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_EQ(glyphs[0].colour, kInk);
  EXPECT_EQ(glyphs[1].colour, 0xFFFFFF00u);
  EXPECT_EQ(glyphs[2].colour, kInk);
  EXPECT_EQ(Xs(glyphs), (std::vector<float>{0, 10, 20}));

  font_->altColour = 0xFF00FF00;
  glyphs = Draw("\u00A3x\u00A3\u00A3y");
  EXPECT_EQ(glyphs[0].colour, 0xFF00FF00u);
  EXPECT_EQ(glyphs[1].colour, 0xFF00FF00u);

  // A bordered font draws white, and the pound sign still switches.
  font_->altColour = 0xFFFFFF00;
  font_->border = true;
  glyphs = Draw("x\u00A3y\u00A3z");
  EXPECT_EQ(glyphs[0].colour, 0xFFFFFFFFu);
  EXPECT_EQ(glyphs[1].colour, 0xFFFFFF00u);
  EXPECT_EQ(glyphs[2].colour, 0xFFFFFFFFu);
}

TEST_F(BitmapFontTest, AlignmentFlagsPlaceLinesAndBlockInTheBox) {
  // Box of 400 x 300 pixels at (80, 60); "AA" is 20 x 12, the line step 14.
  struct Case {
    uint32_t flags;
    float x, y;
  };
  const Case cases[] = {
      {0, 80, 60},
      {Font::kCentreLines, 270, 60},
      {Font::kRightLines, 460, 60},
      {Font::kCentreLines | Font::kRightLines, 270, 60},  // centring is tested first
      {Font::kCentreBlock, 80, 60 + (300 - 14) / 2},
      {Font::kBottomBlock, 80, 60 + 300 - 14},
      {Font::kBottomBlock | Font::kCentreBlock, 80, 346},  // the bottom is tested first
      {Font::kCentreLines | Font::kBottomBlock, 270, 346},
      {16, 80, 60},  // other bits are ignored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    const std::vector<DrawnGlyph> glyphs = Draw("AA", 400, 300, c.flags, 80, 60);
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_FLOAT_EQ(glyphs[0].x, c.x);
    EXPECT_FLOAT_EQ(glyphs[0].y, c.y);
  }
  // Two lines centred and at the bottom: each line centred on its own width, the block's
  // last line ending at the box's bottom.
  const std::vector<DrawnGlyph> glyphs =
      Draw("AA\nA", 400, 300, Font::kCentreLines | Font::kBottomBlock, 80, 60);
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_FLOAT_EQ(glyphs[0].x, 270);
  EXPECT_FLOAT_EQ(glyphs[0].y, 60 + 300 - 28);
  EXPECT_FLOAT_EQ(glyphs[2].x, 275);
  EXPECT_FLOAT_EQ(glyphs[2].y, 60 + 300 - 14);
}

TEST_F(BitmapFontTest, BorderDrawsWhiteWhateverTheColour) {
  font_->border = true;
  for (const DrawnGlyph& g : Draw("AB", 800, 600, 0, 0, 0, 0x80FF0000)) EXPECT_EQ(g.colour, 0xFFFFFFFFu);
}

TEST_F(BitmapFontTest, QuadsAreHalfAPixelInAndSampleTheGlyphRectangle) {
  screen::g_offsetX = 80;
  renderer_.draws.clear();
  font_->DrawText("B", {0.1f, 0.1f}, {1, 1}, 0, kInk, 0);
  screen::g_offsetX = 0;
  ASSERT_EQ(renderer_.draws.size(), 1u);
  const std::vector<ScreenVertex>& v = renderer_.draws[0].vertices;
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(renderer_.draws[0].type, PT_Triangles);
  // (x0, y1), (x0, y0), (x1, y1), (x1, y0), (x1, y1), (x0, y0).
  EXPECT_FLOAT_EQ(v[1].x, 80 + 80 + 0.5f);
  EXPECT_FLOAT_EQ(v[1].y, 60 + 0.5f);
  EXPECT_FLOAT_EQ(v[3].x, 80 + 80 + 10.5f);
  EXPECT_FLOAT_EQ(v[0].y, 60 + 12.5f);
  EXPECT_FLOAT_EQ(v[1].u, 10 / kSheet);
  EXPECT_FLOAT_EQ(v[4].u, 20 / kSheet);
  EXPECT_FLOAT_EQ(v[4].v, 12 / 64.0f);
  EXPECT_FLOAT_EQ(v[5].x, v[1].x);
  EXPECT_FLOAT_EQ(v[2].y, v[0].y);
  // The sheet is bound before the draw.
  ASSERT_FALSE(renderer_.textures.empty());
  EXPECT_EQ(renderer_.textures.back().second, font_->image);
}

TEST_F(BitmapFontTest, LineCapAbandonsTheLayoutWithoutOverflow) {
  // 99 lines are drawn; a hundredth line, by newline or by wrap, draws nothing.
  std::string lines99 = "A";
  for (int i = 1; i < 99; ++i) lines99 += "\nA";
  EXPECT_EQ(Draw(lines99).size(), 99u);
  EXPECT_TRUE(Draw(lines99 + "\nA").empty());
  EXPECT_TRUE(Draw(lines99 + "\n").empty());

  EXPECT_EQ(Draw(std::string(99, 'A'), 12).size(), 99u);  // one letter a line
  EXPECT_TRUE(Draw(std::string(100, 'A'), 12).empty());
  EXPECT_TRUE(Draw(std::string(5000, '\n')).empty());

  math::Vec2 position(0.5f, 0.5f), size(0.5f, 0.5f);
  font_->GetTextSize(lines99 + "\nA", {1, 1}, position, size, 0);
  EXPECT_EQ(size.x, 0.0f);
  EXPECT_EQ(size.y, 0.0f);
}

TEST_F(BitmapFontTest, LongTextIsCutAtTheCapacityAndDrawnInOneCall) {
  const std::vector<DrawnGlyph> glyphs = Draw(std::string(3000, 'A'));
  EXPECT_EQ(glyphs.size(), static_cast<size_t>(Font::kMaxCharacters));
  ASSERT_EQ(renderer_.draws.size(), 1u);
  EXPECT_EQ(renderer_.draws[0].vertices.size(), static_cast<size_t>(Font::kMaxCharacters) * 6);
  // 80 letters fit a line of 800 pixels; each wrap carries the last letter that fitted
  // over to the next line, so the lines hold 79.
  EXPECT_FLOAT_EQ(glyphs.back().y, 14.0f * ((Font::kMaxCharacters - 1) / 79));
}

TEST_F(BitmapFontTest, NothingToDrawCases) {
  // A glyph wider than the box: no lines, nothing drawn, measured as nothing.
  EXPECT_TRUE(Draw("AB", 8).empty());
  math::Vec2 position(0.5f, 0.5f), size(0.5f, 0.5f);
  font_->GetTextSize("AB", {8 / 800.0f, 1}, position, size, 0);
  EXPECT_EQ(position.x, 0.0f);
  EXPECT_EQ(size.x, 0.0f);

  // An empty text draws nothing and leaves the measuring arguments alone.
  EXPECT_TRUE(Draw("").empty());
  EXPECT_TRUE(renderer_.draws.empty());
  position = {0.25f, 0.5f};
  size = {0.75f, 1.0f};
  font_->GetTextSize("", {1, 1}, position, size, 0);
  EXPECT_EQ(position.x, 0.25f);
  EXPECT_EQ(size.y, 1.0f);

  // A box of no width draws nothing.
  EXPECT_TRUE(Draw("AB", 0).empty());

  // Characters without a glyph take no room.
  EXPECT_EQ(Xs(Draw("A?B")), (std::vector<float>{0, 10}));
}

TEST_F(BitmapFontTest, MeasuresWhatWouldBeDrawn) {
  math::Vec2 position(0.1f, 0.1f), size(0, 0);
  font_->GetTextSize("AB\nA", {1, 1}, position, size, 0);
  EXPECT_FLOAT_EQ(position.x * 800, 80);
  EXPECT_FLOAT_EQ(position.y * 600, 60);
  EXPECT_FLOAT_EQ(size.x * 800, 20);
  EXPECT_FLOAT_EQ(size.y * 600, 14 + 12);
  EXPECT_TRUE(renderer_.draws.empty());

  // A box side of at most one pixel stands for the whole screen.
  position = {0, 0};
  font_->GetTextSize("ABC DEF", {0, 0}, position, size, 0);
  EXPECT_FLOAT_EQ(size.x * 800, 65);

  // The text is laid out in the widened box but aligned in the caller's: right-aligned
  // in a box of no width, it ends at the box's left edge.
  position = {0.5f, 0.5f};
  font_->GetTextSize("AB", {0, 0}, position, size, Font::kRightLines);
  EXPECT_FLOAT_EQ(position.x * 800, 400 - 20);
  EXPECT_FLOAT_EQ(size.x * 800, 20);
  EXPECT_FLOAT_EQ(font_->GetHeight(), 12 / 600.0f);
}

TEST_F(BitmapFontTest, UnderlineIsABlackQuadUnderEachLine) {
  font_->underline = true;
  Draw("AB\nA");
  ASSERT_EQ(renderer_.draws.size(), 2u);
  const std::vector<ScreenVertex>& v = renderer_.draws[1].vertices;
  ASSERT_EQ(v.size(), 12u);
  EXPECT_EQ(v[0].color, 0xFF000000u);
  EXPECT_FLOAT_EQ(v[1].y + 0.5f, 9);        // 0.75 of the line height
  EXPECT_FLOAT_EQ(v[3].x - v[1].x, 20);     // the line's width
  EXPECT_FLOAT_EQ(v[7].y + 0.5f, 14 + 9);
  EXPECT_EQ(renderer_.textures.back().second, nullptr);  // drawn untextured
}

// ---- The description file -------------------------------------------------------------

TEST(BitmapFontFileTest, ReadsGlyphsByTextOrCodeAndKeepsTheFirstOfACharacter) {
  fonttest::FontRenderer renderer;
  std::vector<fonttest::GlyphEntry> entries(6);
  entries[0].glyph = "A";
  entries[1].glyph = "A";  // a second "A" does not replace the first
  entries[1].w = 99;
  entries[2].id = 66;  // "Glyph" empty: the code
  entries[2].x = 20;
  entries[3].glyph = "";  // neither: skipped
  entries[4].glyph = "\xC3\xA9";  // U+00E9 in UTF-8
  entries[4].x = 40;
  entries[4].y = 32;
  entries[4].h = 16;
  entries[5].glyph = "\xE2\x82\xAC";  // U+20AC
  std::string file = fonttest::FontFile("fonts/test.png", 3, entries);
  file += "Font[7] = 5\nOffset = 3.7\n";  // an entry that is no table; a fractional offset
  gfxtest::WriteFixture("fonts/file.lua", file);

  BitmapFont font("File");
  ASSERT_TRUE(font.Create("fonts/file.lua", 0, 0, 0, 0));
  EXPECT_EQ(font.GlyphCount(), 4u);
  ASSERT_NE(font.GetGlyph('A'), nullptr);
  EXPECT_EQ(font.GetGlyph('A')->width, 10);
  ASSERT_NE(font.GetGlyph('B'), nullptr);
  EXPECT_FLOAT_EQ(font.GetGlyph('B')->u, 20 / kSheet);
  const Glyph* accented = font.GetGlyph(0xE9);
  ASSERT_NE(accented, nullptr);
  EXPECT_FLOAT_EQ(accented->u, 40 / kSheet);
  EXPECT_FLOAT_EQ(accented->v, 32 / 64.0f);
  EXPECT_FLOAT_EQ(accented->dv, 16 / 64.0f);
  EXPECT_EQ(accented->cellW, 10);
  EXPECT_EQ(accented->cellH, 16);
  EXPECT_NE(font.GetGlyph(0x20AC), nullptr);
  EXPECT_EQ(font.height, 16);       // the tallest glyph
  EXPECT_EQ(font.lineSpacing, 3);   // truncated
  EXPECT_EQ(font.sheetWidth, 256);
  EXPECT_EQ(renderer.loads, (std::vector<std::string>{"fonts/test.png"}));

  // Text with the accented letter draws it.
  renderer.draws.clear();
  font.DrawText("A\xC3\xA9", {0, 0}, {1, 1}, 0, kInk, 0);
  EXPECT_EQ(fonttest::AllGlyphs(renderer).size(), 2u);
}

TEST(BitmapFontFileTest, GlyphTextGivesItsFirstCharacter) {
  struct Case {
    std::string text;
    uint16_t code;
  };
  const Case cases[] = {
      {"A", 'A'},
      {"AB", 'A'},
      {"\xC2\xA3", 0xA3},
      {"\xE2\x82\xAC!", 0x20AC},
      {"\xA3", 0xA3},          // a Latin-1 byte stands for itself
      {"\xC3", 0xC3},          // a cut sequence too
      {"\xF0\x9F\x98\x80", 0},  // beyond U+FFFF: no UTF-16 unit matches
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(GlyphCodeOfText(c.text), c.code) << c.text;
}

TEST(BitmapFontFileTest, MissingFileOrImageLeavesAFontWithoutGlyphs) {
  fonttest::FontRenderer renderer;
  LogCapture log;
  BitmapFont missing("Missing");
  EXPECT_FALSE(missing.Load("fonts/none.lua"));
  EXPECT_TRUE(log.Contains("Unable to load font file fonts/none.lua"));
  EXPECT_EQ(missing.GlyphCount(), 0u);
  missing.DrawText("AB", {0, 0}, {1, 1}, 0, kInk, 0);
  EXPECT_TRUE(renderer.draws.empty());

  gfxtest::WriteFixture("fonts/noimage.lua", fonttest::FontFile("fonts/none.png", 0, fonttest::StandardGlyphs()));
  BitmapFont noImage("NoImage");
  EXPECT_FALSE(noImage.Load("fonts/noimage.lua"));
  EXPECT_EQ(noImage.image, nullptr);

  gfxtest::WriteFixture("fonts/broken.lua", "Font = { {x = ");
  BitmapFont broken("Broken");
  EXPECT_FALSE(broken.Load("fonts/broken.lua"));
}

}  // namespace
