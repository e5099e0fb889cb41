// A panel drawn by the real renderer (OpenGL, headless): an image button, a text, a
// progress bar, a slider and the cursor, read back through a screenshot.

#include <gtest/gtest.h>

#include "engine/graphics/FontManager.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "tests/graphics/FontFixtures.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"

namespace gfxtest {
namespace {

constexpr uint32_t kRed = 0xFFE02020, kGreen = 0xFF20C020, kGrey = 0xFF404040, kBlue = 0xFF2040E0,
                   kYellowKnob = 0xFFF0E010, kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

void Solid(const std::string& name, uint32_t width, uint32_t height, uint32_t color) {
  WriteFixture(name, PngFile(width, height, Pixels(width * height, color)));
}

class UIRenderTest : public GlGraphicsTest {
 protected:
  void TearDown() override {
    ui::UIManager& manager = ui::GetUIMan();
    manager.Shutdown();
    manager.cursor.LoadImage("");
    manager.cursorTried = false;
    FontManager::Get().Shutdown();
    FontManager::Get().defaultFont = nullptr;
    GlGraphicsTest::TearDown();
  }
};

TEST_F(UIRenderTest, APanelOfButtonTextBarAndSliderAppearsWithTheCursorOnTop) {
  ASSERT_TRUE(Start());
  Solid("img/button.png", 32, 16, kRed);
  Solid("img/full.png", 16, 16, kGreen);
  Solid("img/empty.png", 16, 16, kGrey);
  Solid("img/track.png", 16, 16, kBlue);
  Solid("img/knob.png", 16, 16, kYellowKnob);  // 0.02 x 0.0267 of the screen
  Solid("Cursor.png", 16, 16, kWhite);
  // A glyph sheet whose glyphs are solid: "H" and "I", 8 x 12 each.
  Pixels sheet(32 * 16, 0);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 8; ++x) sheet[y * 32 + x] = sheet[y * 32 + 10 + x] = 0xFFFFFFFF;
  }
  WriteFixture("fonts/shot.png", PngFile(32, 16, sheet));
  std::vector<fonttest::GlyphEntry> glyphs(2);
  glyphs[0].glyph = "H";
  glyphs[0].w = 8;
  glyphs[0].offset = 2;
  glyphs[1].glyph = "I";
  glyphs[1].x = 10;
  glyphs[1].w = 8;
  WriteFixture("fonts/shot.lua", fonttest::FontFile("fonts/shot.png", 0, glyphs));
  FontManager::Get().defaultFont = FontManager::Get().InitBitmapFont("SmallFont", "fonts/shot.lua");

  WriteFixture("ui/shot.ui", R"(
Panel = { Name = "shot", Size = { 1, 1 }, Children = {
  { Name = "button", Pos = { 0.1, 0.1 }, Size = { 0.2, 0.1 }, MouseOff = "img/button.png" },
  { Name = "title", Pos = { 0.5, 0.1 }, Size = { 0.4, 0.1 }, Text = "HI", HJust = "left",
    VJust = "top", TextColor = { 1, 1, 0, 1 } },
  { Type = "progress", Name = "bar", Pos = { 0.1, 0.4 }, Size = { 0.5, 0.05 },
    ProgressFull = "img/full.png", ProgressEmpty = "img/empty.png", Progress = 0.5,
    HorizProgress = true },
  { Type = "slider", Name = "volume", Pos = { 0.1, 0.6 }, Size = { 0.5, 0.05 },
    MouseOff = "img/track.png", SliderIcon = "img/knob.png", SliderValue = 0.25 },
} }
)");
  ui::UIManager& manager = ui::GetUIMan();
  ASSERT_NE(manager.AddPanel("ui/shot.ui"), nullptr);
  const math::Vec2 from(0.0f, 0.0f), to(0.9f, 0.9f);
  manager.MouseMoved(&from, &to);  // the cursor follows the pointer

  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(kBlack, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  manager.Render();
  const Bitmap shot = EndFrameWithScreenshot();
  ASSERT_EQ(shot.width, 800);

  EXPECT_TRUE(ColorNear(shot.At(5, 5), kBlack));
  EXPECT_TRUE(ColorNear(shot.At(160, 90), kRed));       // the button, 80..240 x 60..120
  EXPECT_TRUE(ColorNear(shot.At(79, 90), kBlack));
  EXPECT_TRUE(ColorNear(shot.At(407, 69), 0xFFFFFF00));  // "H" in yellow at (404, 64)
  EXPECT_TRUE(ColorNear(shot.At(414, 69), kBlack));      // the gap after it
  EXPECT_TRUE(ColorNear(shot.At(180, 255), kGreen));     // the bar's full half, 80..280
  EXPECT_TRUE(ColorNear(shot.At(380, 255), kGrey));      // its empty half, 280..480
  EXPECT_TRUE(ColorNear(shot.At(400, 375), kBlue));      // the slider's track
  EXPECT_TRUE(ColorNear(shot.At(180, 375), kYellowKnob));  // its knob at a quarter
  EXPECT_TRUE(ColorNear(shot.At(725, 545), kWhite));     // the cursor at (720, 540)
}

}  // namespace
}  // namespace gfxtest
