// The fashion studio and the fashion popup drawn by the real renderer (OpenGL, headless)
// through a host screen: the studio with the dressed heroine's copy in its frame, then the
// popup with three offers, the middle one hovered and grown with its shadow further off; a
// screenshot of each is read back and checked at a few pixels.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/app/GameRMS.h"
#include "engine/app/GameScreen.h"
#include "engine/core/Console.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIManager.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivFashionPopup.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivVars.h"
#include "game/shell/Shell.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/app/ScreenFrameTest.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {
namespace {

constexpr uint32_t kGreen = 0xFF20C020, kGrey = 0xFF808080, kYellow = 0xFFF0F020,
                   kMagenta = 0xFFE020E0, kWhite = 0xFFFFFFFF, kBlue = 0xFF2040E0;

std::string Px(int x, int y) { return std::to_string(x / 800.0) + ", " + std::to_string(y / 600.0); }

// A widget entry at a pixel rectangle.
std::string Widget(const std::string& name, int x, int y, int w, int h, const std::string& image = "") {
  return "{ Name = '" + name + "', Pos = { " + Px(x, y) + " }, Size = { " + Px(w, h) + " }" +
         (image.empty() ? "" : ", MouseOff = '" + image + "'") + " },\n";
}

std::string Panel(const std::string& name, const std::string& children) {
  return "Panel = { Name = '" + name + "', Pos = { 0, 0 }, Size = { 1, 1 }, Children = {\n" + children + "} }\n";
}

class FashionRenderTest : public ScreenFrameTest {
 protected:
  void SetUp() override {
    GlGraphicsTest::SetUp();
    ASSERT_TRUE(StartScreens("Pellavo fashion"));
    ASSERT_TRUE(ui::RegisterUIClasses(console::GetConsole().GetState()));
    ASSERT_TRUE(RegisterShellScripts(console::GetConsole().GetState()));
    rms_ = std::make_unique<GameRMS>(testenv::MakeTempDir("rms") + "/kx_test.rms");
    rms_->Load();
    ASSERT_TRUE(rms_->AddProfile("Anna", "", "oslo"));
    KivVars::Instance().store = rms_.get();

    // The figure, 40 x 120 pixels: a grey body under a yellow head piece (40 x 20), a green
    // top (40 x 40, 20 down) and a magenta skirt (40 x 40, 60 down).
    WriteFixture("img/body.png", PngFile(40, 120, Pixels(40 * 120, kGrey)));
    WriteFixture("img/hair.png", PngFile(40, 20, Pixels(40 * 20, kYellow)));
    WriteFixture("img/dress.png", PngFile(40, 40, Pixels(40 * 40, kGreen)));
    WriteFixture("img/skirt.png", PngFile(40, 40, Pixels(40 * 40, kMagenta)));
    WriteFixture("img/white.png", PngFile(8, 8, Pixels(64, kWhite)));
    WriteFixture("img/blue.png", PngFile(8, 8, Pixels(64, kBlue)));
    WriteFixture("hana/sprites.lua",
                 "Sprites = {}\n"
                 "for _, name in ipairs({ 'body', 'hair', 'dress', 'skirt' }) do\n"
                 "  table.insert(Sprites, { Name = name .. '1', ImageFile = 'img/' .. name .. '.png', SpriteC = 1 })\n"
                 "end\n");
    WriteFixture("hana/hana_setup.lua",
                 "Character = {\n"
                 "  { Name = 'body', Parts = { 'body1' } },\n"
                 "  { Name = 'skirt', Offset = { 0, 60 }, Parts = { 'skirt1' } },\n"
                 "  { Name = 'dress', Offset = { 0, 20 }, Parts = { 'dress1' } },\n"
                 "  { Name = 'hair', Parts = { 'hair1' } },\n"
                 "}\n");
    WriteFixture("scripts/items.lua", "Clothes = { { SpriteName = 'dress1', Name = 'Top', Stat1 = 'time' } }\n");
    // The studio's frame for the heroine: 80 x 240 at (100, 100), twice her size.
    WriteFixture("ui/fashion_studio.ui", Panel("fashion_studio", Widget("hana_pos", 100, 100, 80, 240)));
    // The popup's boxes: white, 100 pixels wide, at x 400, 520 and 640.
    std::string boxes;
    for (int b = 1; b <= 3; ++b) {
      boxes += Widget("item_box" + std::to_string(b), 280 + 120 * b, 100, 100, 100, "img/white.png");
    }
    WriteFixture("ui/buy_popup.ui", Panel("buy_popup", boxes));
  }
  void TearDown() override {
    KivFashionPopup::Destroy();
    KivFashionStudio::Destroy();
    KivDresses::Destroy();
    KivVars::Instance().store = nullptr;
    ui::GetSpriteSet().Clear();
    ScreenFrameTest::TearDown();
  }

  std::unique_ptr<GameRMS> rms_;
};

TEST_F(FashionRenderTest, TheStudioShowsTheDressedHeroineAndThePopupItsOffersWithShadows) {
  // What the game's start-up does: the sprites, then the panels, loaded hidden.
  ASSERT_TRUE(ui::GetSpriteSet().Load("hana/sprites.lua"));
  flowtest::RunScript("for _, file in ipairs({ 'ui/fashion_studio.ui', 'ui/buy_popup.ui' }) do\n"
                      "  GetUIMan():AddPanel(file):SetIsVisible(false)\n"
                      "end\n"
                      "function RefreshFashionZenPowers() end\n");
  auto* host = new GameScreen(camera_.get(), "", "", "");
  flow_.AddTransitionState("fashion_host", host);
  flow_.EnterState(host);

  flowtest::RunScript("GetStudio():SetIsVisible(true)\nGetStudio():RefreshParts()\n");
  Frames(2);
  const Bitmap studio = FrameWithScreenshot("studio");
  ASSERT_EQ(studio.width, 800);
  EXPECT_TRUE(ColorNear(studio.At(140, 120), kYellow, 3)) << std::hex << studio.At(140, 120);
  EXPECT_TRUE(ColorNear(studio.At(140, 180), kGreen, 3)) << std::hex << studio.At(140, 180);
  EXPECT_TRUE(ColorNear(studio.At(175, 260), kMagenta, 3)) << std::hex << studio.At(175, 260);
  EXPECT_TRUE(ColorNear(studio.At(140, 320), kGrey, 3)) << std::hex << studio.At(140, 320);

  flowtest::RunScript("GetStudio():SetIsVisible(false)\n"
                      "GetUIMan():GetPanel('buy_popup'):SetIsVisible(true)\n"
                      "local popup = GetFashionPopup()\n"
                      "popup:Enable(true)\n"
                      "popup:SetItem(1, 'head', 1)\n"
                      "popup:SetItem(2, 'upper', 1)\n"
                      "popup:SetItem(3, 'lower', 1)\n"
                      "popup:OnMouseOver(2)\n");
  Frames(30);  // half a second: the hovered offer has grown to its full 1.2
  const Bitmap popup = FrameWithScreenshot("popup");
  // Offer 1 at rest: the head piece (430..470, 140..160) and its shadow 3 pixels left and
  // down, black at 150/255 over the white box.
  const uint32_t shadow = 0xFF000000u | 0x010101u * (0xFF * 105 / 255);
  EXPECT_TRUE(ColorNear(popup.At(450, 150), kYellow, 3)) << std::hex << popup.At(450, 150);
  EXPECT_TRUE(ColorNear(popup.At(428, 161), shadow, 4)) << std::hex << popup.At(428, 161);
  EXPECT_TRUE(ColorNear(popup.At(472, 139), kWhite, 3)) << std::hex << popup.At(472, 139);
  // Offer 2 hovered: 48 x 48 about the box's centre (546..594, 126..174), its shadow 9
  // pixels left and down.
  EXPECT_TRUE(ColorNear(popup.At(547, 127), kGreen, 3)) << std::hex << popup.At(547, 127);
  EXPECT_TRUE(ColorNear(popup.At(540, 180), shadow, 4)) << std::hex << popup.At(540, 180);
  EXPECT_TRUE(ColorNear(popup.At(596, 150), kWhite, 3)) << std::hex << popup.At(596, 150);
  // Offer 3 at rest: the skirt, 40 x 40 about the centre of the third box.
  EXPECT_TRUE(ColorNear(popup.At(690, 150), kMagenta, 3)) << std::hex << popup.At(690, 150);
  // The studio is hidden again: its frame shows nothing.
  EXPECT_FALSE(ColorNear(popup.At(140, 180), kGreen, 3)) << std::hex << popup.At(140, 180);
}

}  // namespace
}  // namespace gfxtest
