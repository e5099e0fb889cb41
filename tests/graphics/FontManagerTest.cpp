// The font manager's registry and the text queue of a frame, and the console's drawing,
// against a recording renderer with bitmap fonts made by the test.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/app/Keyboard.h"
#include "engine/core/Console.h"
#include "engine/graphics/BitmapFont.h"
#include "engine/graphics/FontManager.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/FontFixtures.h"
#include "tests/graphics/ImageFixtures.h"

namespace {

using fonttest::DrawnGlyph;

class FontManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fonttest::WriteStandardFont();
    font_ = fonts_.InitBitmapFont("Small", "fonts/test.lua");
    ASSERT_NE(font_, nullptr);
  }

  fonttest::FontRenderer renderer_;
  FontManager fonts_;
  Font* font_ = nullptr;
};

TEST_F(FontManagerTest, FilesFontsByNameIgnoringCase) {
  EXPECT_EQ(fonts_.FindFont("SMALL"), font_);
  EXPECT_EQ(fonts_.InitBitmapFont("small", "fonts/other.lua"), font_);
  EXPECT_EQ(renderer_.loads.size(), 1u);  // the second call loaded nothing

  // A font whose file does not load is filed all the same, and draws nothing.
  LogCapture log;
  Font* broken = fonts_.InitBitmapFont("Broken", "fonts/none.lua");
  EXPECT_TRUE(log.Contains("Unable to load font file fonts/none.lua"));
  EXPECT_EQ(fonts_.FindFont("Broken"), broken);

  // A second font of a filed name is refused and stays the caller's.
  BitmapFont other("small");
  EXPECT_FALSE(fonts_.AddFont(&other));
  EXPECT_EQ(fonts_.FindFont("Small"), font_);

  // This renderer makes no TrueType fonts: nothing is filed.
  EXPECT_EQ(fonts_.CreateFont("Title", "times new roman", 0, 20, 700, 0), nullptr);
  EXPECT_EQ(fonts_.FindFont("Title"), nullptr);
  EXPECT_EQ(fonts_.Size(), 2u);
}

TEST_F(FontManagerTest, QueuedTextIsDrawnOnceInOrderThenTheColourIsWhiteAgain) {
  fonts_.colour = 0xFF00FF00;
  fonts_.PrintfFont(font_, {0.0f, 0.5f}, "A%dB", 7);
  fonts_.PrintFont(font_, {0.0f, 0.25f}, "C");
  fonts_.Printf({0.5f, 0.5f}, "no default font");
  ASSERT_EQ(fonts_.QueuedCount(), 3u);
  EXPECT_EQ(fonts_.QueuedTexts()[0].text, "A7B");
  EXPECT_EQ(fonts_.QueuedTexts()[0].colour, 0xFF00FF00u);
  EXPECT_EQ(fonts_.QueuedTexts()[2].font, nullptr);

  fonts_.RenderText();
  // The text without a font has no default font to go to, and is dropped.
  ASSERT_EQ(renderer_.draws.size(), 2u);
  const std::vector<DrawnGlyph> first = fonttest::GlyphsOf(renderer_.draws[0]);
  ASSERT_EQ(first.size(), 2u);  // "7" has no glyph
  EXPECT_FLOAT_EQ(first[0].y, 300);
  EXPECT_EQ(first[0].colour, 0xFF00FF00u);
  EXPECT_FLOAT_EQ(fonttest::GlyphsOf(renderer_.draws[1])[0].y, 150);
  EXPECT_EQ(fonts_.QueuedCount(), 0u);
  EXPECT_EQ(fonts_.colour, 0xFFFFFFFFu);

  // Nothing survives into the next flush.
  renderer_.draws.clear();
  fonts_.RenderText();
  EXPECT_TRUE(renderer_.draws.empty());

  // With a default font, texts without a font use it.
  fonts_.defaultFont = font_;
  fonts_.Print({0.0f, 0.0f}, "AB");
  fonts_.RenderText();
  EXPECT_EQ(renderer_.draws.size(), 1u);
}

TEST_F(FontManagerTest, TextFromOutsideIsNeverAFormat) {
  fonts_.PrintFont(font_, {0, 0}, "100%% %s%n");
  fonts_.Print({0, 0}, "%d");
  fonts_.PrintCentered(nullptr, {0.5f, 0.5f}, "%x");
  ASSERT_EQ(fonts_.QueuedCount(), 3u);
  EXPECT_EQ(fonts_.QueuedTexts()[0].text, "100%% %s%n");
  EXPECT_EQ(fonts_.QueuedTexts()[1].text, "%d");
  EXPECT_EQ(fonts_.QueuedTexts()[2].text, "%x");

  // A formatted text longer than the buffer is cut, not written past it.
  const std::string longText(5000, 'A');
  fonts_.Printf({0, 0}, "%s", longText.c_str());
  EXPECT_EQ(fonts_.QueuedTexts()[3].text.size(), FontManager::kFormatBufferSize - 1);
}

TEST_F(FontManagerTest, CentredTextIsQueuedHalfItsSizeUpAndLeft) {
  // No font given and no default font: queued where asked.
  fonts_.PrintfCentered(nullptr, {0.5f, 0.5f}, "AB");
  EXPECT_EQ(fonts_.QueuedTexts()[0].position, math::Vec2(0.5f, 0.5f));

  // "AB" measures 20 x 12 pixels.
  fonts_.PrintfCentered(font_, {0.5f, 0.5f}, "A%s", "B");
  const math::Vec2 at = fonts_.QueuedTexts()[1].position;
  EXPECT_FLOAT_EQ(at.x * 800, 400 - 10);
  EXPECT_FLOAT_EQ(at.y * 600, 300 - 6);
  EXPECT_EQ(fonts_.QueuedTexts()[1].font, font_);

  // Without a font the default font measures; the record keeps no font.
  fonts_.defaultFont = font_;
  fonts_.PrintCentered(nullptr, {0.5f, 0.5f}, "AB");
  EXPECT_FLOAT_EQ(fonts_.QueuedTexts()[2].position.x * 800, 390);
  EXPECT_EQ(fonts_.QueuedTexts()[2].font, nullptr);
}

TEST_F(FontManagerTest, ShutdownDeletesFontsAndDropsQueuedText) {
  fonts_.defaultFont = font_;
  fonts_.Print({0, 0}, "AB");
  fonts_.ReleaseFonts();
  fonts_.RestoreFonts();
  EXPECT_EQ(font_->GlyphCount(), 32u);  // a bitmap font keeps its glyphs through a reset
  fonts_.Shutdown();
  EXPECT_EQ(fonts_.defaultFont, nullptr);
  EXPECT_EQ(fonts_.Size(), 0u);
  EXPECT_EQ(fonts_.QueuedCount(), 0u);
  fonts_.RenderText();
  EXPECT_TRUE(renderer_.draws.empty());
}

// ---- The console's drawing ---------------------------------------------------------------

// A console whose typed keys give the characters the test says.
class TypingConsole : public console::Console {
 public:
  void Type(const std::string& text) {
    for (char c : text) {
      next_ = static_cast<unsigned char>(c);
      input::KeyEvent event;
      event.code = 0x10;
      event.down = true;
      event.changed = true;
      KeyPressed(&event);
    }
  }

 protected:
  uint16_t CharacterOf(uint32_t) const override { return next_; }

 private:
  uint16_t next_ = 0;
};

TEST(ConsoleDrawTest, OpenConsoleDrawsBackgroundLinesAndPromptAsTyped) {
  fonttest::FontRenderer renderer;
  renderer.images.push_back("ui_img/blue.png");
  fonttest::WriteStandardFont();
  gfxtest::WriteFixture("scripts/console.lua", "Console = { TextHeight = 0.35 }\n");
  FontManager& fonts = FontManager::Get();
  // The console takes the font filed as "ConsoleFont" and resizes it (a bitmap font keeps
  // its size).
  Font* consoleFont = fonts.InitBitmapFont("ConsoleFont", "fonts/test.lua");

  {
    TypingConsole console;
    console.Init("scripts/console.lua");
    EXPECT_EQ(console.font, consoleFont);
    EXPECT_EQ(consoleFont->lineSpacing, 2);
    ASSERT_NE(console.background, nullptr);

    console.Print("AB");
    console.Print("XY");
    console.open = true;
    console.Type("A%%B");

    // Closed, it draws nothing.
    console.open = false;
    console.Render();
    EXPECT_TRUE(renderer.draws.empty());
    console.open = true;
    renderer.textures.clear();
    renderer.renderStates.clear();
    console.Render();

    // The background: bound, blended by its alpha, over the top 0.45 of the play area.
    ASSERT_GE(renderer.draws.size(), 4u);
    EXPECT_EQ(renderer.textures.front().second, console.background);
    EXPECT_EQ(renderer.renderStates[0], std::make_pair(RS_SrcBlend, uint32_t{BF_SrcAlpha}));
    EXPECT_EQ(renderer.renderStates[1], std::make_pair(RS_DestBlend, uint32_t{BF_InvSrcAlpha}));
    const std::vector<ScreenVertex>& quad = renderer.draws[0].vertices;
    ASSERT_EQ(quad.size(), 6u);
    EXPECT_FLOAT_EQ(quad[1].x, -0.5f);
    EXPECT_FLOAT_EQ(quad[0].y, 270 - 0.5f);
    EXPECT_FLOAT_EQ(quad[3].x, 800 - 0.5f);

    // The newest line ends at textHeight (210 pixels); the one before stands above it.
    const std::vector<DrawnGlyph> newest = fonttest::GlyphsOf(renderer.draws[1]);
    const std::vector<DrawnGlyph> older = fonttest::GlyphsOf(renderer.draws[2]);
    ASSERT_EQ(newest.size(), 2u);
    ASSERT_EQ(older.size(), 2u);
    EXPECT_FLOAT_EQ(newest[0].x, 16);  // 0.02 of the width
    // (Fractions of the screen height, truncated to whole pixels.)
    EXPECT_NEAR(newest[0].y, 210 - 12, 1);
    EXPECT_NEAR(older[0].y, 210 - 24, 1);
    EXPECT_FLOAT_EQ(newest[1].x - newest[0].x, older[1].x - older[0].x);

    // The prompt, last: every typed character, the "%" signs shown as typed.
    const std::vector<DrawnGlyph> prompt = fonttest::GlyphsOf(renderer.draws.back());
    ASSERT_EQ(prompt.size(), 4u);
    EXPECT_FLOAT_EQ(prompt[0].x, 8);
    EXPECT_FLOAT_EQ(prompt[0].y, 240);
    EXPECT_EQ(fonts.QueuedCount(), 0u);
  }
  fonts.Shutdown();
}

}  // namespace
