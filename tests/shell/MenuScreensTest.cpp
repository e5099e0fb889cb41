// The simple screens of the menu family: the trophy room's departure once per visit and
// through the game's own room panel, the end of the story with and without the
// adventure's trophy, and the getters of the current screen.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/Image.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivVars.h"
#include "game/shell/MenuScreens.h"
#include "tests/shell/ShellUITest.h"
#include "tests/support/RecordOrder.h"
#include "tests/support/TestEnv.h"

namespace {

constexpr int32_t kAdventureTrophy = 7;

class MenuScreensTest : public shelltest::ShellUITest {
 protected:
  void SetUp() override {
    ShellUITest::SetUp();
    rms_ = std::make_unique<GameRMS>(testenv::MakeTempDir("screens") + "/kx_test.rms");
    rms_->Load();
    ASSERT_TRUE(rms_->AddProfile("Anna", "", "oslo"));
    KivVars::Instance().store = rms_.get();
    // Each script the screens run counts itself; closing the story's popup closes the room,
    // as the game's script does.
    Run("Ran = ''\n"
        "function MainMenu() Ran = Ran .. 'MainMenu ' end\n"
        "function GoCredits() Ran = Ran .. 'GoCredits ' end\n"
        "function OnTrophyIdle() end\n"
        "function OnTrophyPopupClose() Ran = Ran .. 'PopupClose ' GetTrophyScreen():Enable(false) end\n");
    flow_.current = nullptr;
  }
  void TearDown() override {
    flow_.current = nullptr;
    KivVars::Instance().store = nullptr;
    ShellUITest::TearDown();
  }

  void LoadTrophies(bool withAdventure) {
    std::string rows = "KIV_TROPHIES = {\n{ Index = 1, Name = 'First', Condition = 'none' },\n";
    if (withAdventure) {
      rows += "{ Index = " + std::to_string(kAdventureTrophy) + ", Name = 'Journey', Condition = 'special_winadventure' },\n";
    }
    Write("scripts/trophies.lua", rows + "}\n");
    ASSERT_TRUE(KivTrophyData::Instance().Load("scripts/trophies.lua"));
  }

  gameflow::GameFlowManager& flow_ = gameflow::GameFlowManager::Instance();
  std::unique_ptr<GameRMS> rms_;
};

// Notes the pictures bound, the default render states set again, the draw queue's flush
// (it sets the world transform first) and the end of the frame, in order.
class StepRenderer : public spritetest::SpriteRenderer {
 public:
  void SetTexture(uint32_t stage, Image* image) override {
    SpriteRenderer::SetTexture(stage, image);
    steps.push_back(image ? "picture " + image->name : "no picture");
  }
  void ResetRenderStates() override { steps.push_back("default states"); }
  void SetTransform(TransformKind kind, const float matrix[16]) override {
    SpriteRenderer::SetTransform(kind, matrix);
    steps.push_back("draw queue");
  }
  void EndFrame() override { steps.push_back("end of frame"); }
  std::vector<std::string> steps;
};

// Over the panels a menu screen flushes the debug shapes and sets the default render
// states again before it draws its scene's front layer, so that neither what the panels
// left set nor shapes queued under them change how the front layer looks.
TEST_F(MenuScreensTest, TheFrontLayerIsDrawnAfterTheDrawQueueAndTheDefaultStates) {
  Write("backgrounds/layers.lua",
        "BGScene = { Background = {"
        " { Type = 'decal', Pos = { 0.1, 0.1 }, Sort = -1, SpriteImg = 'img/back.png' },"
        " { Type = 'decal', Pos = { 0.5, 0.5 }, Sort = 1, SpriteImg = 'img/front.png' } } }\n");
  StepRenderer renderer;
  KivMenuScreen menu(nullptr, "", "", "", "backgrounds/layers.lua");
  ASSERT_EQ(menu.scene.back.size(), 1u);
  ASSERT_EQ(menu.scene.front.size(), 1u);
  dd::Manager::Instance().AddLine(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), 0xFFFFFFFF, false);
  ASSERT_TRUE(menu.Render());
  recordtest::ExpectInOrder(renderer.steps, {"default states", "picture img/back.png", "draw queue", "default states",
                                             "picture img/front.png", "draw queue", "end of frame"});
}

TEST_F(MenuScreensTest, TheTrophyRoomSendsMainMenuOnceAVisitWhenItEndsUpClosed) {
  KivTrophyState state(nullptr, "", "OnEnterTrophy()", "OnExitTrophy()", "");
  KivTrophyScreen& screen = KivTrophyScreen::Instance();
  for (int visit = 1; visit <= 2; ++visit) {
    SCOPED_TRACE(visit);
    flow_.current = &state;
    state.OnEnter();
    EXPECT_FALSE(state.left);
    EXPECT_TRUE(screen.IsEnabled());
    EXPECT_EQ(screen.CloseCmd(), "MainMenu()");
    EXPECT_EQ(screen.IdleCmd(), "");
    EXPECT_EQ(screen.PopupCmd(), "");
    for (int i = 0; i < 3; ++i) state.Tick(0.02f);
    EXPECT_EQ(Global("Ran"), "") << "nothing while the room is open";

    // The room is disabled without the state changing: one "MainMenu()" however many
    // frames pass.
    screen.SetCloseCmd("");
    screen.Enable(false);
    for (int i = 0; i < 10; ++i) state.Tick(0.02f);
    EXPECT_EQ(Global("Ran"), "MainMenu ");
    state.OnExit();
    EXPECT_TRUE(state.left);
    EXPECT_FALSE(screen.IsEnabled());
    Run("Ran = ''");
  }
}

// The game's own room panel and close script: the card behind the icons must leave the
// pointer to the widgets drawn over it, or the close button and the icons never see it.
TEST_F(MenuScreensTest, TheGamesTrophyRoomLeavesOnItsCloseButtonAndLightsAWonTrophyUnderThePointer) {
  const std::string source = std::string(PELLAVO_SOURCE_DIR) + "/data/";
  Write("ui/trophy_screen.ui", testenv::ReadFile(source + "ui/trophy_screen.ui"));
  ui::UIWidget* room = ui_.AddPanel("ui/trophy_screen.ui");
  ASSERT_NE(room, nullptr);
  room->SetIsVisible(false);
  Run(testenv::ReadFile(source + "scripts/trophy_room.lua"));
  LoadTrophies(false);
  KivVars::Instance().AddTrophy(1);
  KivVars::Instance().SetTrophyDisplayed(1);

  KivTrophyState state(nullptr, "", "", "", "");
  KivTrophyScreen& screen = KivTrophyScreen::Instance();
  flow_.current = &state;
  state.OnEnter();
  ASSERT_TRUE(screen.IsVisible());
  const auto centre = [](const ui::UIWidget* widget) { return widget->GetPosition() + widget->GetSize() * 0.5f; };

  ui::UIWidget* won = room->GetWidgetByName("trophy_1");
  ui::UIWidget* locked = room->GetWidgetByName("trophy_2");
  ASSERT_TRUE(won && locked);
  Move(math::Vec2(0.01f, 0.01f), centre(won));
  EXPECT_EQ(won->state, ui::UIWidget::IS_Over);
  Move(centre(won), centre(locked));
  EXPECT_EQ(won->state, ui::UIWidget::IS_Off);

  // A click on the card itself does nothing; one on the close button leaves for the menu once.
  Press(math::Vec2(0.15f, 0.08f));
  Release(math::Vec2(0.15f, 0.08f));
  EXPECT_EQ(Global("Ran"), "");
  ui::UIWidget* close = room->GetWidgetByName("trophy_close");
  ASSERT_NE(close, nullptr);
  Press(centre(close));
  Release(centre(close));
  EXPECT_EQ(Global("Ran"), "MainMenu ");
  EXPECT_TRUE(screen.IsEnabled()) << "the room stays until the state is left";
  for (int i = 0; i < 5; ++i) state.Tick(0.02f);
  state.OnExit();
  EXPECT_FALSE(screen.IsEnabled());
  EXPECT_FALSE(room->GetIsVisible());
  EXPECT_EQ(Global("Ran"), "MainMenu ");
}

TEST_F(MenuScreensTest, WinGameWithTheTrophyOwnedGoesStraightToTheCredits) {
  LoadTrophies(true);
  KivVars::Instance().AddTrophy(kAdventureTrophy);
  KivStoryState story(nullptr, "", "", "", "");
  flow_.current = &story;
  story.WinGame();
  EXPECT_EQ(Global("Ran"), "GoCredits ");
  EXPECT_FALSE(KivTrophyScreen::Instance().IsPopupEnabled());
}

TEST_F(MenuScreensTest, WinGameWithoutTheTrophyOpensItsPopupAndTheCreditsFollowItsClose) {
  LoadTrophies(true);
  KivStoryState story(nullptr, "", "", "", "");
  flow_.current = &story;
  story.WinGame();
  KivTrophyScreen& screen = KivTrophyScreen::Instance();
  EXPECT_TRUE(KivVars::Instance().HasTrophy(kAdventureTrophy));
  EXPECT_TRUE(screen.IsPopupEnabled());
  EXPECT_EQ(Global("Ran"), "") << "the credits wait for the popup";
  EXPECT_EQ(screen.CloseCmd(), "GoCredits()");
  EXPECT_EQ(screen.IdleCmd(), "OnTrophyIdle()");
  EXPECT_EQ(screen.PopupCmd(), "OnTrophyPopupClose()");
  story.Tick(0.02f);
  screen.EnablePopup(false, 0);
  EXPECT_EQ(Global("Ran"), "PopupClose GoCredits ");
}

TEST_F(MenuScreensTest, WinGameWithoutAnAdventureTrophyInTheTableDoesNothing) {
  LoadTrophies(false);
  KivStoryState story(nullptr, "", "", "", "");
  story.WinGame();
  EXPECT_EQ(Global("Ran"), "");
  EXPECT_FALSE(KivTrophyScreen::Instance().IsPopupEnabled());
}

TEST_F(MenuScreensTest, EachGetterGivesTheCurrentScreenOfItsTypeOnly) {
  KivMenuScreen menu(nullptr, "", "", "", "");
  KivTrophyState trophies(nullptr, "", "", "", "");
  KivStoryState story(nullptr, "", "", "", "");
  KivMapState map(nullptr, "", "", "", "");
  EXPECT_EQ(map.GetTypeName(), "kiv_map");
  // No current state (as while a transition has not yet entered the first screen).
  EXPECT_EQ(GetMenuState(), nullptr);
  EXPECT_EQ(GetTrophyState(), nullptr);
  EXPECT_EQ(GetStoryState(), nullptr);
  Run("AllNil = tostring(GetMenuState() == nil and GetTrophyState() == nil and GetStoryState() == nil)");
  EXPECT_EQ(Global("AllNil"), "true");

  flow_.current = &menu;
  EXPECT_EQ(GetMenuState(), &menu);
  EXPECT_EQ(GetTrophyState(), nullptr);
  flow_.current = &trophies;
  EXPECT_EQ(GetTrophyState(), &trophies);
  EXPECT_EQ(GetMenuState(), nullptr);
  flow_.current = &map;
  EXPECT_EQ(GetMenuState(), nullptr) << "a map is no menu";
  flow_.current = &story;
  EXPECT_EQ(GetStoryState(), &story);
  LoadTrophies(true);
  KivVars::Instance().AddTrophy(kAdventureTrophy);
  Run("GetStoryState():WinGame()");
  EXPECT_EQ(Global("Ran"), "GoCredits ");

  // A change of state that has not entered the story yet leaves the menu current.
  flow_.current = &menu;
  flow_.pendingState = &story;
  flow_.pendingDelay = 0.5f;
  EXPECT_EQ(GetStoryState(), nullptr);
  flow_.pendingState = nullptr;
  flow_.pendingDelay = 0.0f;
}

}  // namespace
