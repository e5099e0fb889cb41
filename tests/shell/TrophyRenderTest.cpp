// The trophy room and a popup transition drawn by the real renderer (OpenGL, headless)
// through a host screen that ticks and draws them as the menu screens do: a won icon, an
// icon not won, an icon being revealed with its glow, and another popup half open; a
// screenshot is read back and checked at a few pixels.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/app/GameScreen.h"
#include "engine/core/Console.h"
#include "engine/graphics/Camera.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivUITransition.h"
#include "game/shell/KivVars.h"
#include "game/shell/Shell.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/app/ScreenFrameTest.h"
#include "tests/app/ScreenTestSupport.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {
namespace {

constexpr uint32_t kGreen = 0xFF20C020, kGrey = 0xFF808080, kYellow = 0xFFF0F020,
                   kMagenta = 0xFFE020E0, kBlack = 0xFF000000;

// A screen that hosts the popup transitions and the trophy screen as the menu screens do:
// their ticks before its own, their drawing over its user interface.
class TrophyHost : public GameScreen {
 public:
  explicit TrophyHost(camera::Camera* camera) : GameScreen(camera, "", "", "") {}
  bool Tick(float dt) override {
    KivUITransition::Instance().Tick(dt);
    KivTrophyScreen::Instance().Tick(dt);
    return GameScreen::Tick(dt);
  }
  void RenderForeground() override {
    KivUITransition::Instance().Render();
    KivTrophyScreen::Instance().Render();
  }
};

// A panel file: a root over the play area with the given children entries.
std::string Panel(const std::string& name, const std::string& children) {
  return "Panel = { Name = '" + name + "', Pos = { 0, 0 }, Size = { 1, 1 }, Children = {\n" +
         children + "} }\n";
}

// A widget entry at a pixel rectangle.
std::string Widget(const std::string& name, int x, int y, int w, int h, const std::string& image) {
  const auto fx = [](int px) { return std::to_string(px / 800.0); };
  const auto fy = [](int px) { return std::to_string(px / 600.0); };
  return "{ Name = '" + name + "', Pos = { " + fx(x) + ", " + fy(y) + " }, Size = { " + fx(w) +
         ", " + fy(h) + " }" + (image.empty() ? "" : ", MouseOff = '" + image + "'") + " },\n";
}

class TrophyRenderTest : public ScreenFrameTest {
 protected:
  void SetUp() override {
    GlGraphicsTest::SetUp();
    ASSERT_TRUE(StartScreens("Pellavo trophies"));
    ASSERT_TRUE(ui::RegisterUIClasses(console::GetConsole().GetState()));
    ASSERT_TRUE(RegisterShellScripts(console::GetConsole().GetState()));

    rms_ = std::make_unique<GameRMS>(testenv::MakeTempDir("rms") + "/kx_test.rms");
    rms_->Load();
    ASSERT_TRUE(rms_->AddProfile("Anna", "", "oslo"));
    KivVars::Instance().store = rms_.get();

    WriteFixture("img/green.png", PngFile(8, 8, Pixels(64, kGreen)));
    WriteFixture("img/grey.png", PngFile(8, 8, Pixels(64, kGrey)));
    WriteFixture("img/yellow.png", PngFile(8, 8, Pixels(64, kYellow)));
    WriteFixture("img/magenta.png", PngFile(8, 8, Pixels(64, kMagenta)));
    WriteFixture("trophies/sprites.lua",
                 "Sprites = {}\n"
                 "for n = 1, 3 do\n"
                 "  for state, image in pairs({ disabled = 'grey', available = 'green', selected = 'yellow' }) do\n"
                 "    table.insert(Sprites, { Name = string.format('trophy_%d_%s', n, state),\n"
                 "                            ImageFile = 'img/' .. image .. '.png', SpriteC = 1 })\n"
                 "  end\n"
                 "end\n");
    WriteFixture("scripts/trophies.lua",
                 "KIV_TROPHIES = { { Index = 1, Condition = 'none' }, { Index = 2, Condition = 'none' },\n"
                 "  { Index = 3, Condition = 'none' } }\n");
    // The room: icons 64 pixels wide at x 100, 200 and 300; another popup's frame at
    // (400, 300) to (600, 500).
    WriteFixture("ui/trophy_screen.ui",
                 Panel("trophy_screen", Widget("trophy_1", 100, 100, 64, 64, "") +
                                            Widget("trophy_2", 200, 100, 64, 64, "") +
                                            Widget("trophy_3", 300, 100, 64, 64, "")));
    WriteFixture("ui/other_popup.ui",
                 Panel("other_popup", Widget("frame", 400, 300, 200, 200, "img/magenta.png")));
  }
  void TearDown() override {
    KivTrophyScreen::Instance().Shutdown();
    KivUITransition::Instance().Shutdown();
    KivTrophyData::Instance().Shutdown();
    KivVars::Instance().store = nullptr;
    ui::GetSpriteSet().Clear();
    ScreenFrameTest::TearDown();
  }

  std::unique_ptr<GameRMS> rms_;
};

TEST_F(TrophyRenderTest, TheRoomShowsWonUnwonAndRevealedIconsUnderAPopupHalfOpen) {
  // What the game's start-up does: the sprites, then the panels, loaded hidden.
  ASSERT_TRUE(ui::GetSpriteSet().Load("trophies/sprites.lua"));
  flowtest::RunScript("for _, file in ipairs({ 'ui/trophy_screen.ui', 'ui/other_popup.ui' }) do\n"
                      "  GetUIMan():AddPanel(file):SetIsVisible(false)\n"
                      "end");
  ASSERT_TRUE(KivTrophyData::Instance().Load("scripts/trophies.lua"));
  KivVars& vars = KivVars::Instance();
  vars.AddTrophy(1);
  vars.SetTrophyDisplayed(1);
  vars.AddTrophy(3);  // won since the last visit

  auto* host = new TrophyHost(camera_.get());
  flow_.AddTransitionState("trophy_host", host);
  flow_.EnterState(host);
  KivTrophyScreen& room = KivTrophyScreen::Instance();
  room.Enable(true);
  room.RefreshUI();
  ASSERT_EQ(room.RevealingTrophy(), 3);
  Frames(9);  // a quarter of a second of the reveal with the screenshot's frame
  flowtest::RunScript("GetUITransition():PopupWidget('other_popup', 'frame', '')");
  Frames(5);  // half of the opening with the screenshot's frame
  const Bitmap shot = FrameWithScreenshot("trophies");
  ASSERT_EQ(shot.width, 800);
  EXPECT_NEAR(KivUITransition::Instance().Progress(), 0.5f, 1e-4f);
  EXPECT_NEAR(room.RevealElapsed(), 0.25f, 1e-4f);

  EXPECT_TRUE(ColorNear(shot.At(132, 132), kGreen, 3)) << std::hex << shot.At(132, 132);
  EXPECT_TRUE(ColorNear(shot.At(232, 132), kGrey, 3)) << std::hex << shot.At(232, 132);
  // The glow over icon 3: 1.375 times its size about its centre, 88 pixels from 288.
  EXPECT_TRUE(ColorNear(shot.At(332, 132), kYellow, 3)) << std::hex << shot.At(332, 132);
  EXPECT_TRUE(ColorNear(shot.At(292, 132), kYellow, 3)) << std::hex << shot.At(292, 132);
  EXPECT_TRUE(ColorNear(shot.At(284, 132), kBlack, 3)) << std::hex << shot.At(284, 132);
  // The popup's frame: 100 pixels about its centre, half opaque.
  const uint32_t halfMagenta = 0xFF000000u | (0xE0 * 127 / 255) << 16 | (0x20 * 127 / 255) << 8 |
                               (0xE0 * 127 / 255);
  EXPECT_TRUE(ColorNear(shot.At(500, 400), halfMagenta, 4)) << std::hex << shot.At(500, 400);
  EXPECT_TRUE(ColorNear(shot.At(455, 355), halfMagenta, 4)) << std::hex << shot.At(455, 355);
  EXPECT_TRUE(ColorNear(shot.At(420, 320), kBlack, 3)) << std::hex << shot.At(420, 320);

  // Once open, the real frame shows at full strength; the reveal has gone on.
  Frames(30);
  const Bitmap after = FrameWithScreenshot("trophies_after");
  EXPECT_TRUE(ColorNear(after.At(420, 320), kMagenta, 3)) << std::hex << after.At(420, 320);
  EXPECT_TRUE(ColorNear(after.At(332, 132), kYellow, 3)) << std::hex << after.At(332, 132);
  Frames(30);
  EXPECT_TRUE(vars.IsTrophyDisplayed(3));
  const Bitmap revealed = FrameWithScreenshot("trophies_revealed");
  EXPECT_TRUE(ColorNear(revealed.At(332, 132), kGreen, 3)) << std::hex << revealed.At(332, 132);
}

}  // namespace
}  // namespace gfxtest
