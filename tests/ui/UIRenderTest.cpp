// Panels drawn by the real renderer (OpenGL, headless), read back through a screenshot:
// an image button, a text, a progress bar, a slider and the cursor; and a panel of the
// other kinds (check box, open drop-down, multi-line text, risen graph, poly-line,
// calendar on a fixed day, a movie widget on a tiny AVI made with FFmpeg and a particle
// widget).

#include <gtest/gtest.h>

#include "engine/core/DateUtil.h"
#include "engine/graphics/AviImage.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/UIDropDown.h"
#include "engine/ui/UIGraph.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIMovieWidget.h"
#include "engine/ui/UIPart2DWidget.h"
#include "engine/ui/UIWidget.h"
#include "tests/graphics/FontFixtures.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"
#include "tests/platform/vfw/AviWriter.h"

namespace gfxtest {
namespace {

constexpr uint32_t kRed = 0xFFE02020, kGreen = 0xFF20C020, kGrey = 0xFF404040, kBlue = 0xFF2040E0,
                   kYellowKnob = 0xFFF0E010, kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

void Solid(const std::string& name, uint32_t width, uint32_t height, uint32_t color) {
  WriteFixture(name, PngFile(width, height, Pixels(width * height, color)));
}

// The default font "SmallFont": a glyph sheet whose glyphs are solid, "H" and "I", 8 x 12
// each.
void InstallShotFont() {
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
  InstallShotFont();

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

TEST_F(UIRenderTest, APanelOfEveryOtherKindAppearsWhereItsPartsSay) {
  ASSERT_TRUE(Start());
  constexpr uint32_t kOdd = 0xFF806040, kEven = 0xFF406080, kHead = 0xFF602060,
                     kToday = 0xFFE020E0, kMovie = 0xFF20E0E0;
  Solid("img/checked.png", 16, 16, kRed);
  Solid("img/unchecked.png", 16, 16, kGrey);
  Solid("img/list.png", 16, 16, kGreen);
  Solid("img/fill.png", 16, 16, kBlue);
  Solid("img/segment.png", 16, 16, kYellowKnob);
  Solid("img/odd.png", 16, 16, kOdd);
  Solid("img/even.png", 16, 16, kEven);
  Solid("img/head.png", 16, 16, kHead);
  Solid("img/today.png", 16, 16, kToday);
  Solid("img/spark.png", 8, 8, kWhite);
  WriteFixture("effects/shot.p2d", R"(
Part2D = { { Image = "img/spark.png", MaxC = 20, GenRate = 0, Lifespan = { 10, 10 },
  SizeFromMin = { 0.05, 0.05 }, SizeFromMax = { 0.05, 0.05 }, LockSize = 1,
  MinSpeed = { 0, 0.001 }, MaxSpeed = { 0, 0.001 }, Color = { { 1, 1, 1, 1 }, { 1, 1, 1, 1 } } } }
)");
  InstallShotFont();
  AviSpec spec;
  spec.codec = "rawvideo";
  spec.pixel = [](int, int, int) { return kMovie & 0xFFFFFF; };
  ASSERT_TRUE(WriteAvi(folder_ + "/tiny.avi", spec));
  SetTodayForTests(20516);  // Wednesday 4 March 2026

  WriteFixture("ui/kinds.ui", std::string(R"(
Panel = { Name = "kinds", Size = { 1, 1 }, Children = {
  { Type = "checkbox", Name = "box", Pos = { 0.05, 0.05 }, Size = { 0.05, 0.05 }, IsChecked = 1,
    CheckedImg = "img/checked.png", UncheckedImg = "img/unchecked.png" },
  { Type = "dropdown", Name = "list", Pos = { 0.2, 0.05 }, Size = { 0.2, 0.05 },
    Options = { "HI", "IH" }, DropBG = "img/list.png" },
  { Type = "multiline", Name = "story", Pos = { 0.5, 0.05 }, Size = { 0.3, 0.15 },
    Text = "HIH IHI HHH III" },
  { Type = "graph", Name = "chart", Pos = { 0.05, 0.3 }, Size = { 0.3, 0.2 }, Nodes = { 0, 100 },
    GraphFillImage = "img/fill.png" },
  { Type = "polyline", Name = "path", Pos = { 0.45, 0.3 }, LineWidth = { 0.01, 0.0133 },
    Points = { { 0, 0 }, { 0.2, 0 }, { 0.2, 0.15 } }, SegmentImage = "img/segment.png" },
  { Type = "calendar", Name = "month", Pos = { 0.05, 0.55 }, Size = { 0.42, 0.35 },
    OddMonthCellImage = "img/odd.png", EvenMonthCellImage = "img/even.png",
    WeekDayCellImage = "img/head.png", CurDayHightlightImage = "img/today.png" },
  { Type = "part2d", Name = "sparks", Pos = { 0.85, 0.1 }, Size = { 0.005, 0.005 },
    Partsys = "effects/shot.p2d" },
  { Type = "movie", Name = "film", Pos = { 0.55, 0.55 }, Size = { 0.4, 0.35 },
    Clip = ")") + folder_ + R"(/tiny.avi" },
} }
)");
  ui::UIManager& manager = ui::GetUIMan();
  manager.cursorShown = false;
  ui::UIWidget* panel = manager.AddPanel("ui/kinds.ui");
  ASSERT_NE(panel, nullptr);
  static_cast<ui::UIDropDown*>(panel->FindChild("list"))->SetOpen(true);
  auto* chart = static_cast<ui::UIGraph*>(panel->FindChild("chart"));
  chart->RiseGraph();
  for (int i = 0; i < 100; ++i) manager.Tick(0.02f);
  ASSERT_EQ(chart->state, ui::UIGraph::GS_Risen);
  AviImage* movie = static_cast<ui::UIMovieWidget*>(panel->FindChild("film"))->movie;
  ASSERT_NE(movie, nullptr);
  movie->Advance(0.15f);  // the first frame decoded
  static_cast<ui::UIPart2DWidget*>(panel->FindChild("sparks"))->TriggerParticles(5);
  manager.particlesShown = true;

  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(kBlack, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  manager.Render();
  const Bitmap shot = EndFrameWithScreenshot();
  SetTodayForTests(-1);
  manager.particlesShown = false;
  ASSERT_EQ(shot.width, 800);

  EXPECT_TRUE(ColorNear(shot.At(60, 45), kRed));      // the ticked box, 40..80 x 30..60
  EXPECT_TRUE(ColorNear(shot.At(240, 90), kGreen));   // the open list under the drop-down
  EXPECT_TRUE(ColorNear(shot.At(240, 125), kBlack));  // two rows, no more
  int white = 0;  // the wrapped text's glyphs in the multi-line box
  for (int y = 30; y < 120; ++y) {
    for (int x = 400; x < 640; ++x) white += ColorNear(shot.At(x, y), kWhite) ? 1 : 0;
  }
  EXPECT_GT(white, 4 * 8 * 12);
  EXPECT_TRUE(ColorNear(shot.At(270, 290), kBlue));   // under the risen line, near its top end
  EXPECT_TRUE(ColorNear(shot.At(60, 190), kBlack));   // above it, near its low end
  EXPECT_TRUE(ColorNear(shot.At(440, 180), kYellowKnob));  // the horizontal bar
  EXPECT_TRUE(ColorNear(shot.At(520, 240), kYellowKnob));  // the vertical one
  EXPECT_TRUE(ColorNear(shot.At(480, 240), kBlack));       // nothing on the diagonal side
  // Calendar cells of 0.06 x 0.07: header, then February (odd) into March (even).
  EXPECT_TRUE(ColorNear(shot.At(50, 335), kHead));
  EXPECT_TRUE(ColorNear(shot.At(50, 377), kOdd));     // Monday 9 February
  EXPECT_TRUE(ColorNear(shot.At(50, 503), kEven));    // Monday 2 March
  EXPECT_TRUE(ColorNear(shot.At(160, 512), kToday));  // Wednesday of the last row
  EXPECT_TRUE(ColorNear(shot.At(600, 435), kMovie, 2));
  EXPECT_TRUE(ColorNear(shot.At(682, 62), kWhite, 8));  // the sparks, 40 x 30 about (682, 62)
  EXPECT_TRUE(ColorNear(shot.At(640, 62), kBlack));
}

}  // namespace
}  // namespace gfxtest
