// The screen state on a recording renderer: the order in which a frame is drawn, through
// the real UI manager, console, text queue, draw queue and transition; entering and leaving
// (panels, scripts, camera, mouse listener); "AddGameScreen" from Lua; and the empty
// background scene.

#include "engine/app/GameScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/GameFlowManager.h"
#include "engine/background/BGScene.h"
#include "engine/core/Console.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/app/ScreenTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/SpriteTestSupport.h"

namespace flowtest {
namespace {

using gameflow::GameFlowManager;

// Records the steps of a frame as short texts: the renderer's frame calls, each texture
// bound ("texture <image>" or "texture none"), each draw by primitive, the filtering
// switches, and whatever the test's screen and font add.
class StepRenderer : public spritetest::SpriteRenderer {
 public:
  void SetTexture(uint32_t stage, Image* image) override {
    steps.push_back(std::string("texture ") + (image ? image->name : "none"));
  }
  void DrawArray(const ScreenVertex* vertices, uint32_t count, PrimitiveType type) override {
    steps.push_back(type == PT_Lines ? "draw lines" : "draw triangles");
    SpriteRenderer::DrawArray(vertices, count, type);
  }
  bool BeginFrame() override {
    steps.push_back("begin frame");
    return SpriteRenderer::BeginFrame();
  }
  void Clear(uint32_t color, float depth, uint32_t stencil, bool target, bool zbuffer, bool stencilBuffer) override {
    steps.push_back(target ? "clear" : "no clear");
    SpriteRenderer::Clear(color, depth, stencil, target, zbuffer, stencilBuffer);
  }
  void ResetRenderStates() override { steps.push_back("reset render states"); }
  void SetFiltering(bool on) override {
    steps.push_back(on ? "filtering on" : "filtering off");
    Graphics::SetFiltering(on);
  }
  void EndFrame() override { steps.push_back("end frame"); }
  bool Present() override {
    steps.push_back("present");
    return presentResult;
  }

  bool presentResult = true;
  std::vector<std::string> steps;
};

// A font that notes each text it is asked to draw.
class StepFont : public Font {
 public:
  explicit StepFont(std::vector<std::string>* steps) : Font("StepFont"), steps_(steps) {}
  void DrawTextW(const WString& text, const math::Vec2&, const math::Vec2&, uint32_t, uint32_t,
                 uint32_t) override {
    steps_->push_back("text " + ToNarrow(text));
  }
  void BindSheet() override {}

 private:
  std::vector<std::string>* steps_;
};

// A screen whose hooks note themselves.
class HookedScreen : public GameScreen {
 public:
  HookedScreen(camera::Camera* camera, const std::string& panel, std::vector<std::string>* steps)
      : GameScreen(camera, panel, "", ""), steps_(steps) {}
  void RenderBackground() override { steps_->push_back("RenderBackground"); }
  void RenderForeground() override { steps_->push_back("RenderForeground"); }
  bool OnPanelsShown() override {
    shownPanelVisible = GetPanel(0) && GetPanel(0)->GetIsVisible();
    return true;
  }
  bool shownPanelVisible = false;

 private:
  std::vector<std::string>* steps_;
};

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartConsole();
    ui_.cursorShown = false;
    camera_ = std::make_unique<camera::Camera>(math::Vec3(0.0f, 0.0f, -5.0f), math::Vec3(0.0f, 0.0f, 0.0f),
                                               math::Vec3(0.0f, 1.0f, 0.0f), 45.0f, 1.3333334f,
                                               math::Vec2(1.0f, 100.0f));
  }
  void TearDown() override {
    screentest::ClearScreens();
    console::GetConsole().open = false;
    FontManager::Get().Shutdown();
    console::GetConsole().Shutdown();
  }

  GameFlowManager& flow_ = GameFlowManager::Instance();
  ui::UIManager& ui_ = ui::GetUIMan();
  StepRenderer renderer_;
  std::unique_ptr<camera::Camera> camera_;
};

TEST_F(ScreenTest, AFrameDrawsItsFifteenStepsInOrder) {
  testenv::WriteFile("ui/order.ui", screentest::PanelFile("order", "img/panel.png"));
  HookedScreen screen(camera_.get(), "ui/order.ui", &renderer_.steps);
  screen.OnEnter();

  // Something in each of the frame's queues and layers.
  console::Console& console = console::GetConsole();
  console.open = true;
  std::unique_ptr<Image> consoleBackground(renderer_.LoadImage("img/console.png"));
  Image* const ownBackground = console.background;  // the console's own, given back below
  console.background = consoleBackground.get();
  StepFont font(&renderer_.steps);
  FontManager::Get().PrintFont(&font, math::Vec2(0.1f, 0.1f), "queued");
  dd::Manager::Instance().AddLine(math::Vec2(0.1f, 0.1f), math::Vec2(0.9f, 0.9f), 0xFFFF0000, false);
  flow_.transitions.StartTransition("fade", "", "");
  renderer_.filtering = false;
  renderer_.steps.clear();

  EXPECT_TRUE(screen.Render());
  console.background = ownBackground;

  const std::vector<std::string> expected = {
      "begin frame", "clear",                    // 1: the camera begins and clears
      "reset render states",                     // 2
                                                 // 3: the empty scene draws nothing
      "RenderBackground",                        // 4
      "filtering on",                            // 5
      "texture img/panel.png", "draw triangles",  // 6: the panel
                                                 // 7: nor does its front layer
      "RenderForeground",                        // 8
      "texture img/console.png", "draw triangles",  // 9: the console
      "text queued",                             // 10
      "filtering off",                           // 11
      "texture none", "draw lines",              // 12: the draw queue
      "texture none", "draw triangles",          // 13: the fade over everything
      "end frame",                               // 14
      "present",                                 // 15
  };
  EXPECT_EQ(renderer_.steps, expected);
  // The queues are drawn once: the next frame has nothing of them.
  renderer_.steps.clear();
  console.open = false;
  flow_.transitions.outgoing.reset();
  flow_.transitions.incoming.reset();
  EXPECT_TRUE(screen.Render());
  EXPECT_EQ(std::count(renderer_.steps.begin(), renderer_.steps.end(), "draw lines"), 0);
  EXPECT_EQ(std::count(renderer_.steps.begin(), renderer_.steps.end(), "text queued"), 0);
  EXPECT_TRUE(screen.shownPanelVisible) << "OnPanelsShown comes after the panels are shown";
}

TEST_F(ScreenTest, AFrameThatCannotBeginDrawsNothingAndOneThatIsNotPresentedFails) {
  GameScreen screen(camera_.get(), "", "", "");
  renderer_.beginFrameResult = false;
  EXPECT_FALSE(screen.Render());
  EXPECT_EQ(renderer_.steps, (std::vector<std::string>{"begin frame"}));

  renderer_.beginFrameResult = true;
  renderer_.presentResult = false;
  EXPECT_FALSE(screen.Render());
  EXPECT_EQ(renderer_.steps.back(), "present");
}

TEST_F(ScreenTest, FilteringIsOnForTheUserInterfaceAndRestoredAfterTheText) {
  GameScreen screen(camera_.get(), "", "", "");
  renderer_.filtering = true;
  EXPECT_TRUE(screen.Render());
  EXPECT_EQ(std::count(renderer_.steps.begin(), renderer_.steps.end(), "filtering on"), 2);
  EXPECT_TRUE(renderer_.filtering);
}

TEST_F(ScreenTest, AScreenWithoutACameraStillDrawsItsFrameClearedToBlack) {
  GameScreen screen(nullptr, "", "", "");
  EXPECT_TRUE(screen.Render());
  EXPECT_EQ(renderer_.steps.front(), "begin frame");
  EXPECT_EQ(renderer_.steps[1], "clear");
  EXPECT_EQ(renderer_.clearColor, 0xFF000000u);
  EXPECT_EQ(renderer_.steps.back(), "present");
  EXPECT_EQ(renderer_.steps[renderer_.steps.size() - 2], "end frame");
}

TEST_F(ScreenTest, EnteringShowsThePanelsRunsTheEnterScriptAndLeavingUndoesIt) {
  ASSERT_TRUE(screentest::StartInputDevices());
  testenv::WriteFile("ui/shop.ui", screentest::PanelFile("shop", "img/shop.png"));

  LogCapture log;
  // The panel file's name is looked up without regard to case; the scene's is lower-cased.
  auto* shop = new GameScreen(camera_.get(), "UI/Shop.UI", "entered = (entered or 0) + 1",
                              "left = (left or 0) + 1");
  ASSERT_EQ(shop->PanelCount(), 1u);
  ui::UIWidget* panel = shop->GetPanel(0);
  EXPECT_FALSE(panel->GetIsVisible());
  EXPECT_TRUE(log.Contains("Unable to load Background ui/shop.lua!  [MSG_ERROR]"));
  EXPECT_EQ(shop->GetTypeName(), "ui_state");
  EXPECT_TRUE(screentest::IsMouseListener(shop));
  EXPECT_FALSE(shop->input::MouseListener::enabled);

  auto* other = new GameScreen(camera_.get(), "", "", "");
  flow_.AddTransitionState("shop", shop);
  flow_.AddTransitionState("other", other);

  flow_.EnterState(shop);
  EXPECT_TRUE(shop->active);
  EXPECT_TRUE(panel->GetIsVisible());
  EXPECT_EQ(Global("entered").GetNumber(), 1.0);
  const std::vector<std::string> lines = console::GetConsole().GetLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "entered = (entered or 0) + 1"), lines.end());
  EXPECT_TRUE(shop->input::MouseListener::enabled);
  EXPECT_EQ(ui_.camera, camera_.get());
  EXPECT_EQ(camera_->GetEye().z, -20.0f);
  EXPECT_EQ(shop->backdrop.fileName, GameScreen::kBackdropImage);
  EXPECT_EQ(shop->backdrop.size.x, 1.0f);
  EXPECT_EQ(shop->backdrop.size.y, 1.0f);

  flow_.EnterState(other);
  EXPECT_FALSE(shop->active);
  EXPECT_FALSE(panel->GetIsVisible());
  EXPECT_FALSE(shop->input::MouseListener::enabled);
  EXPECT_EQ(Global("left").GetNumber(), 1.0);

  // Going to the current screen's own name leaves it and enters it again.
  flow_.EnterState(shop);
  log.Clear();
  flow_.GoState("shop", 0.0f);
  flow_.Tick(0.1f, 10.0f);
  EXPECT_EQ(flow_.current, shop);
  EXPECT_TRUE(panel->GetIsVisible());
  EXPECT_EQ(Global("entered").GetNumber(), 3.0);
  EXPECT_EQ(Global("left").GetNumber(), 2.0);
  EXPECT_EQ(log.Count("Exiting game state shop"), 1u);
  EXPECT_EQ(log.Count("Entering game state shop"), 1u);

  flow_.Shutdown();
  EXPECT_FALSE(screentest::IsMouseListener(shop)) << "the listener leaves the mouse with the screen";
  screentest::StopInputDevices();
}

TEST_F(ScreenTest, ScreensWithoutAPanelRunTheirScriptsAndLogNoError) {
  struct Case {
    const char* what;
    const char* panel;
    const char* errorLogged;  // "" when none
  };
  const Case cases[] = {
      {"no panel file", "", ""},
      {"a panel file that is missing", "ui/missing.ui", "Unable to load UI panel ui/missing.ui!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LogCapture log;
    GameScreen screen(camera_.get(), c.panel, "visits = (visits or 0) + 1", "visits = visits + 10");
    EXPECT_EQ(screen.PanelCount(), 0u);
    EXPECT_FALSE(log.Contains("Unable to load Background")) << "no panel, no scene";
    if (*c.errorLogged) {
      EXPECT_TRUE(log.Contains(c.errorLogged));
    } else {
      EXPECT_FALSE(log.Contains("[MSG_ERROR]")) << log.All();
    }
    const double before = Global("visits").IsNumber() ? Global("visits").GetNumber() : 0.0;
    EXPECT_TRUE(screen.OnEnter());
    EXPECT_TRUE(screen.OnExit());
    EXPECT_EQ(Global("visits").GetNumber(), before + 11.0);
  }
}

TEST_F(ScreenTest, AScreenThatNamesItsOwnSceneShowsItAndLooksForNoneAfterItsPanel) {
  testenv::WriteFile("ui/own.ui", screentest::PanelFile("own", "img/own.png"));
  testenv::WriteFile("scenes/own.lua",
                     "BGScene = { Info = { BackgroundImg = 'img/own_bg.png', Width = 1, Height = 1 } }\n");
  const struct {
    const char* what;
    const char* panel;
  } cases[] = {{"with a panel", "ui/own.ui"}, {"without a panel", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LogCapture log;
    GameScreen screen(camera_.get(), c.panel, "", "", "scenes/own.lua");
    EXPECT_EQ(screen.scene.BackgroundImg, "img/own_bg.png");
    EXPECT_FALSE(log.Contains("[MSG_ERROR]")) << log.All();
  }
}

TEST_F(ScreenTest, ScriptsAreSkippedWhileTheConsoleHasNoLuaState) {
  console::GetConsole().Shutdown();
  GameScreen screen(camera_.get(), "", "crash()", "crash()");
  EXPECT_TRUE(screen.OnEnter());
  EXPECT_TRUE(screen.OnExit());
  StartConsole();
}

TEST_F(ScreenTest, APanelTheUserInterfaceDroppedIsNotTouchedAgain) {
  testenv::WriteFile("ui/drop.ui", screentest::PanelFile("drop", "img/drop.png"));
  GameScreen screen(camera_.get(), "ui/drop.ui", "", "");
  ASSERT_EQ(screen.PanelCount(), 1u);
  ASSERT_TRUE(ui_.DropPanel(screen.GetPanel(0), true));
  EXPECT_EQ(screen.GetPanel(0), nullptr);
  EXPECT_TRUE(screen.OnEnter());
  EXPECT_TRUE(screen.OnExit());
}

// RefreshActive deletes the shown panels and loads them again from their files: the
// screen finds its panel again by name, so it shows and hides the reloaded one.
TEST_F(ScreenTest, AScreenFindsItsPanelAgainAfterTheShownPanelsAreReloaded) {
  testenv::WriteFile("ui/again.ui", screentest::PanelFile("again", "img/again.png"));
  GameScreen screen(camera_.get(), "ui/again.ui", "", "");
  ui::UIWidget* first = screen.GetPanel(0);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(screen.OnEnter());
  ui_.RefreshActive();
  ui::UIWidget* reloaded = ui_.GetPanel("again");
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(screen.GetPanel(0), reloaded);
  EXPECT_TRUE(screen.OnExit());
  EXPECT_FALSE(reloaded->GetIsVisible());
  EXPECT_TRUE(screen.OnEnter());
  EXPECT_TRUE(reloaded->GetIsVisible());
  EXPECT_TRUE(screen.OnExit());
  EXPECT_EQ(screen.GetPanel(1), nullptr);
}

TEST_F(ScreenTest, AddGameScreenMakesAScreenWithTheManagersCameraAndRefusesATakenName) {
  ASSERT_TRUE(gameflow::RegisterGameFlowManager(console::GetConsole().GetState()));
  testenv::WriteFile("ui/map.ui", screentest::PanelFile("map", "img/map.png"));
  flow_.camera = camera_.get();

  LogCapture log;
  ASSERT_EQ(console::GetConsole().GetState()->DoString(
                "AddGameScreen('map', 'ui/map.ui', 'onmap = true', 'onmap = false')"),
            0);
  EXPECT_TRUE(log.Contains("Adding screen map from file ui/map.ui  [MSG_COMMENT]"));
  auto* map = dynamic_cast<GameScreen*>(flow_.states.Find("map"));
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->name, "map");
  EXPECT_EQ(map->camera, camera_.get());
  EXPECT_EQ(map->enterScript, "onmap = true");
  EXPECT_EQ(map->exitScript, "onmap = false");
  ASSERT_EQ(map->PanelCount(), 1u);

  // The same name again while the screen shows its panel: refused, and the panel stays.
  flow_.EnterState(map);
  log.Clear();
  ASSERT_EQ(console::GetConsole().GetState()->DoString("AddGameScreen('MAP', 'ui/map.ui', '', '')"), 0);
  EXPECT_TRUE(log.Contains("Duplicating the same game name into the game flow manager: MAP  [MSG_ERROR]"));
  EXPECT_FALSE(log.Contains("Adding screen"));
  EXPECT_FALSE(log.Contains("Unable to load Background")) << "nothing was built";
  EXPECT_EQ(flow_.states.Find("map"), map);
  EXPECT_TRUE(map->GetPanel(0)->GetIsVisible());
}

TEST(BGSceneTest, LoadReportsTheFileAndTheEmptySceneDrawsNothing) {
  StepRenderer renderer;
  LogCapture log;
  background::BGScene scene;
  EXPECT_FALSE(scene.Load("ui/menu.lua"));
  EXPECT_TRUE(log.Contains("Unable to load Background ui/menu.lua!  [MSG_ERROR]"));
  scene.Update(0.1f);
  scene.Render();
  scene.RenderForeground();
  EXPECT_TRUE(renderer.steps.empty());
}

}  // namespace
}  // namespace flowtest
