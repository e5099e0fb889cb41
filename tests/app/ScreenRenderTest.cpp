// Two screen states made from Lua ("AddGameScreen"), one showing a red panel and one a
// blue one, drawn by the real renderer (OpenGL, headless) and switched through each of the
// six screen transitions; screenshots taken half way through the covering phase and after
// the switch are read back.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/app/GameFlowManager.h"
#include "engine/core/Console.h"
#include "engine/graphics/Camera.h"
#include "engine/ui/UIManager.h"
#include "platform/luaplus/LuaState.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/app/ScreenFrameTest.h"
#include "tests/app/ScreenTestSupport.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {
namespace {

constexpr uint32_t kRed = 0xFFE02020, kBlue = 0xFF2040E0, kBlack = 0xFF000000;
// Frames of the covering phase until its progress is one half (0.4 s of its 0.8 s).
constexpr int kHalfWayFrames = 24;

class ScreenRenderTest : public ScreenFrameTest {
 protected:
  void SetUp() override {
    GlGraphicsTest::SetUp();
    ASSERT_TRUE(StartScreens("Pellavo screens"));
    ASSERT_TRUE(gameflow::RegisterGameFlowManager(console::GetConsole().GetState()));

    WriteFixture("img/red.png", PngFile(16, 16, Pixels(16 * 16, kRed)));
    WriteFixture("img/blue.png", PngFile(16, 16, Pixels(16 * 16, kBlue)));
    WriteFixture("ui/red.ui", screentest::PanelFile("red", "img/red.png"));
    WriteFixture("ui/blue.ui", screentest::PanelFile("blue", "img/blue.png"));
  }
};

// Pixels of the picture near each colour.
int CountNear(const Bitmap& shot, uint32_t color, int tolerance = 2) {
  int count = 0;
  for (uint32_t pixel : shot.pixels) count += static_cast<bool>(ColorNear(pixel, color, tolerance));
  return count;
}

// The colour at half its brightness, as the half-way fade leaves it.
uint32_t Halved(uint32_t color) {
  const auto half = [color](int shift) { return (((color >> shift) & 0xFF) * 128 / 255) << shift; };
  return 0xFF000000u | half(16) | half(8) | half(0);
}

TEST_F(ScreenRenderTest, TwoScreensFromLuaSwitchThroughEachTransition) {
  flowtest::RunScript("AddGameScreen('red', 'ui/red.ui', 'entered = \"red\"', 'left = \"red\"')\n"
      "AddGameScreen('blue', 'ui/blue.ui', 'entered = \"blue\"', 'left = \"blue\"')\n"
      "JumpState('red')");
  Frames(2);
  ASSERT_EQ(flow_.GetCurrentStateName(), "red");
  {
    const Bitmap shot = FrameWithScreenshot("start");
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 600);
    EXPECT_EQ(CountNear(shot, kRed), 800 * 600);
  }

  // Half way through the covering phase: a pixel that is covered (black; for the fade, the
  // whole picture at half brightness) and one that still shows the outgoing screen.
  struct Case {
    const char* kind;
    int coveredX, coveredY;
    int shownX, shownY;
  };
  const Case cases[] = {
      {"fade", 400, 300, 400, 300},
      {"iris", 5, 5, 400, 300},      // a ring closing on the centre
      {"roll", 100, 300, 700, 300},  // a band from the left edge
      {"grid", 5, 5, 795, 595},      // a diagonal sweep from the top-left corner
      {"circle", 406, 307, 5, 5},    // a disc growing from the centre
      {"xwipe", 700, 5, 100, 5},     // the top band wipes in from the right
  };
  std::string from = "red";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    const std::string to = from == "red" ? "blue" : "red";
    const uint32_t outgoing = from == "red" ? kRed : kBlue;
    const uint32_t incoming = from == "red" ? kBlue : kRed;

    flowtest::RunScript(std::string("SetTransitionEffect('") + c.kind + "', '" + to + "', 'covered = \"" + c.kind +
                        "\"')");
    Frames(kHalfWayFrames - 1);
    const Bitmap half = FrameWithScreenshot(std::string("half_") + c.kind);
    ASSERT_EQ(half.width, 800);
    if (std::string(c.kind) == "fade") {
      EXPECT_EQ(CountNear(half, Halved(outgoing), 3), 800 * 600);
    } else {
      EXPECT_TRUE(ColorNear(half.At(c.coveredX, c.coveredY), kBlack));
      EXPECT_TRUE(ColorNear(half.At(c.shownX, c.shownY), outgoing));
      const int shown = CountNear(half, outgoing), covered = CountNear(half, kBlack);
      EXPECT_GT(shown, 800 * 600 / 10);
      EXPECT_GT(covered, 800 * 600 / 10);
      EXPECT_GT(shown + covered, 800 * 600 * 99 / 100) << "nothing else is drawn";
    }
    EXPECT_EQ(flow_.GetCurrentStateName(), from);

    for (int i = 0; i < 200 && flow_.transitions.IsRunning(); ++i) Frames(1);
    EXPECT_FALSE(flow_.transitions.IsRunning());
    EXPECT_EQ(flow_.GetCurrentStateName(), to);
    EXPECT_EQ(flowtest::StringGlobal("covered"), c.kind);
    EXPECT_EQ(flowtest::StringGlobal("left"), from);
    EXPECT_EQ(flowtest::StringGlobal("entered"), to);
    const Bitmap after = FrameWithScreenshot(std::string("after_") + c.kind);
    EXPECT_EQ(CountNear(after, incoming), 800 * 600);
    from = to;
  }
}

}  // namespace
}  // namespace gfxtest
