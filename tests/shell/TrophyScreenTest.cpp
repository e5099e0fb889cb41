// The trophy room and popup on the user interface's test stage, a profile store in a
// temporary folder and the recording audio back end: reveals, leaving, the close and popup
// commands, the tooltip, the popup with its sting, the all-trophies announcement with the
// game's own close script, and panels reloaded under the screen.

#include "game/shell/KivTrophyScreen.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/app/GameRMS.h"
#include "engine/app/Mouse.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivUITransition.h"
#include "game/shell/KivVars.h"
#include "game/shell/Music.h"
#include "tests/shell/ShellUITest.h"
#include "tests/support/TestEnv.h"

namespace {

using ui::UIWidget;

math::Vec2 IconPosition(int n) {
  return math::Vec2(0.05f + static_cast<float>((n - 1) % 6) * 0.15f,
                    0.05f + static_cast<float>((n - 1) / 6) * 0.15f);
}
constexpr float kIconSide = 0.1f;

std::string ReadSource(const std::string& path) {
  std::ifstream in(std::string(PELLAVO_SOURCE_DIR) + "/" + path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class TrophyScreenTest : public shelltest::ShellUITest {
 protected:
  void SetUp() override {
    ShellUITest::SetUp();
    rms_ = std::make_unique<GameRMS>(testenv::MakeTempDir("trophy_rms") + "/kx_test.rms");
    rms_->Load();
    ASSERT_TRUE(rms_->AddProfile("Anna", "", "oslo"));
    KivVars::Instance().store = rms_.get();
    LoadTrophies(0);
    Write(KivTrophyScreen::kParticlesFile,
          "Part2D = { { Image = 'img/dot.png', MaxC = 500, GenRate = 0.01, Lifespan = { 50, 50 } } }\n");
    Write(KivUITransition::kSparklesFile, Effect());
    // The sting: the recording back end takes the file's bytes as the sample.
    Write("sounds/trophy_sting.ogg", "trophy_sting");
    KivMusic::Instance().Init();
    MakeRoom();
    MakePopup();
    Run("calls = ''\n"
        "function MainMenu() calls = calls .. 'M' end\n"
        "function OnTrophyPopupClose() calls = calls .. 'P' end\n");
    input::g_cursorPosition = math::Vec2(0.99f, 0.99f);
  }
  void TearDown() override {
    screen_.reset();
    KivMusic::Instance().Shutdown();
    KivTrophyData::Instance().Shutdown();
    KivVars::Instance().store = nullptr;
    ShellUITest::TearDown();
  }

  // Trophies 1 to 23 of kind none, 24 the all-trophies one; `without` has no record.
  void LoadTrophies(int without) {
    std::string rows = "KIV_TROPHIES = {\n";
    for (int n = 1; n <= 24; ++n) {
      if (n == without) continue;
      rows += "{ Index = " + std::to_string(n) + ", Name = 'T" + std::to_string(n) +
              "', Description_Text = 'D" + std::to_string(n) + "', Condition = '" +
              (n == 24 ? "special_alltrophies" : "none") + "' },\n";
    }
    Write("scripts/trophies.lua", rows + "}\n");
    ASSERT_TRUE(KivTrophyData::Instance().Load("scripts/trophies.lua"));
  }
  void MakeRoom() {
    room_ = MakePanel(KivTrophyScreen::kRoomPanel);
    room_->SetPosition(math::Vec2(0.0f, 0.0f));
    room_->SetSize(math::Vec2(1.0f, 1.0f));
    for (int n = 1; n <= 24; ++n) {
      MakeChild(room_, "trophy_" + std::to_string(n), IconPosition(n), {kIconSide, kIconSide});
    }
    UIWidget* tooltip = MakeChild(room_, "tooltip", {0.05f, 0.8f}, {0.9f, 0.15f});
    MakeChild(tooltip, "tooltip_name", {0.0f, 0.0f}, {0.9f, 0.05f});
    MakeChild(tooltip, "tooltip_desc", {0.0f, 0.05f}, {0.9f, 0.1f});
  }
  void MakePopup() {
    popup_ = MakePanel(KivTrophyScreen::kPopupPanel);
    popup_->SetIsVisible(true);  // the screen hides it
    UIWidget* frame = MakeChild(popup_, "trophy_bg", {0.0f, 0.0f}, {0.5f, 0.5f});
    MakeChild(frame, "trophy_title", {0.05f, 0.05f}, {0.4f, 0.05f});
    MakeChild(frame, "trophy_img", {0.15f, 0.12f}, {0.2f, 0.2f});
    MakeChild(frame, "trophy_desc", {0.05f, 0.35f}, {0.4f, 0.1f});
  }
  KivTrophyScreen& Screen() {
    if (!screen_) screen_ = std::make_unique<KivTrophyScreen>();
    return *screen_;
  }
  UIWidget* Icon(int n) { return room_->GetWidgetByName("trophy_" + std::to_string(n)); }
  std::string OffImage(UIWidget* widget) { return widget->images[UIWidget::IS_Off].fileName; }
  std::string Text(const std::string& name) {
    UIWidget* widget = ui_.GetWidget(name);
    return widget ? widget->GetText() : "(missing)";
  }
  static void Own(int n, bool displayed) {
    KivVars::Instance().AddTrophy(n);
    if (displayed) KivVars::Instance().SetTrophyDisplayed(n);
  }
  void Open() {
    Screen().Enable(true);
    Screen().RefreshUI();
  }

  std::unique_ptr<GameRMS> rms_;
  std::unique_ptr<KivTrophyScreen> screen_;
  UIWidget* room_ = nullptr;
  UIWidget* popup_ = nullptr;
};

TEST_F(TrophyScreenTest, NewTrophiesAreRevealedInIconOrderASecondEach) {
  Own(1, true);
  Own(7, false);
  Own(3, false);
  Open();
  EXPECT_TRUE(Screen().IsVisible());
  EXPECT_FALSE(Screen().IsPopupVisible());
  EXPECT_EQ(OffImage(Icon(1)), "trophy_1_available");
  EXPECT_EQ(Icon(1)->images[UIWidget::IS_Over].fileName, "trophy_1_selected");
  EXPECT_TRUE(Icon(1)->GetIsActive());
  for (int n : {2, 3, 7}) {
    // Every look of an icon not won (or not yet revealed) is the disabled one: the pointer
    // over it does not light it up as won.
    const std::string disabled = "trophy_" + std::to_string(n) + "_disabled";
    EXPECT_EQ(OffImage(Icon(n)), disabled) << n;
    EXPECT_EQ(Icon(n)->images[UIWidget::IS_Over].fileName, disabled) << n;
    EXPECT_EQ(Icon(n)->images[UIWidget::IS_Click].fileName, disabled) << n;
    EXPECT_FALSE(Icon(n)->GetIsActive()) << n;
  }
  ASSERT_EQ(Screen().RevealCount(), 2);
  EXPECT_EQ(Screen().RevealingTrophy(), 3);

  // The glow: the selected image centred on the icon, 1.5 times its size at the start,
  // 1.25 half way.
  Screen().Render();
  const ui::UISprite* glow = Screen().RevealGlow();
  ASSERT_NE(glow, nullptr);
  EXPECT_EQ(glow->fileName, "trophy_3_selected");
  EXPECT_NEAR(glow->size.x, 0.15f, 1e-6f);
  EXPECT_NEAR(glow->position.x, IconPosition(3).x - 0.025f, 1e-6f);
  Screen().Tick(0.5f);
  Screen().Render();
  EXPECT_NEAR(Screen().RevealGlow()->size.y, 0.125f, 1e-6f);
  EXPECT_NEAR(Screen().RevealGlow()->position.y, IconPosition(3).y - 0.0125f, 1e-6f);
  EXPECT_GT(Live(Screen().Particles(), 0), 0);
  EXPECT_FALSE(KivVars::Instance().IsTrophyDisplayed(3));

  Screen().Tick(0.6f);
  EXPECT_TRUE(KivVars::Instance().IsTrophyDisplayed(3));
  EXPECT_EQ(OffImage(Icon(3)), "trophy_3_available");
  EXPECT_TRUE(Icon(3)->GetIsActive());
  EXPECT_EQ(Screen().RevealingTrophy(), 7);
  Screen().Tick(1.0f);  // a full second: still showing
  EXPECT_EQ(Screen().RevealingTrophy(), 7);
  Screen().Tick(0.01f);
  EXPECT_EQ(Screen().RevealCount(), 0);
  EXPECT_TRUE(KivVars::Instance().IsTrophyDisplayed(7));
  EXPECT_EQ(OffImage(Icon(7)), "trophy_7_available");
}

TEST_F(TrophyScreenTest, LeavingDuringARevealKeepsTheRestForTheNextVisit) {
  Own(3, false);
  Own(7, false);
  Open();
  Screen().Tick(1.1f);
  Screen().Tick(0.5f);
  EXPECT_EQ(Screen().RevealingTrophy(), 7);
  Screen().Enable(false);
  EXPECT_FALSE(Screen().IsEnabled());
  EXPECT_FALSE(Screen().IsVisible());
  EXPECT_EQ(ui_.GetPanels().front(), room_);
  EXPECT_EQ(Screen().RevealCount(), 0);
  EXPECT_TRUE(KivVars::Instance().IsTrophyDisplayed(3));
  EXPECT_FALSE(KivVars::Instance().IsTrophyDisplayed(7));
  Open();
  EXPECT_EQ(ui_.GetPanels().back(), room_);
  EXPECT_EQ(Screen().RevealCount(), 1);
  EXPECT_EQ(Screen().RevealingTrophy(), 7);
  // A second refresh does not queue it twice.
  Screen().RefreshUI();
  EXPECT_EQ(Screen().RevealCount(), 1);
}

TEST_F(TrophyScreenTest, LeavingWithACloseCommandRunsItOnceAndStaysEnabled) {
  Screen().SetAllCmds("MainMenu()", "OnTrophyIdle()", "");
  EXPECT_EQ(Screen().IdleCmd(), "OnTrophyIdle()");
  Open();
  Screen().Enable(false);
  EXPECT_EQ(Global("calls"), "M");
  EXPECT_TRUE(Screen().IsEnabled());
  EXPECT_TRUE(Screen().IsVisible());
  EXPECT_EQ(Screen().CloseCmd(), "");
  Screen().Enable(false);
  EXPECT_EQ(Global("calls"), "M");
  EXPECT_FALSE(Screen().IsEnabled());
  EXPECT_FALSE(Screen().IsVisible());
}

TEST_F(TrophyScreenTest, TheTooltipNamesTheTrophyUnderTheMouseOrTheRoom) {
  LoadTrophies(6);
  Own(5, true);
  Open();
  EXPECT_EQ(Text("tooltip_name"), "TROPHY_ROOM");
  struct Case {
    math::Vec2 mouse;
    const char* name;
    const char* description;
  };
  const Case cases[] = {
      {IconPosition(5) + math::Vec2(0.05f, 0.05f), "T5", "D5"},
      // Not owned: named, and said to be not won yet before what it takes.
      {IconPosition(2) + math::Vec2(0.01f, 0.01f), "T2", "TROPHY_LOCKED D2"},
      {IconPosition(6) + math::Vec2(0.05f, 0.05f), "TROPHY_ROOM", ""},  // no record
      {math::Vec2(0.99f, 0.5f), "TROPHY_ROOM", ""},
  };
  for (const Case& c : cases) {
    input::g_cursorPosition = c.mouse;
    Screen().Tick(0.01f);
    EXPECT_EQ(Text("tooltip_name"), c.name) << c.name;
    EXPECT_EQ(Text("tooltip_desc"), c.description) << c.name;
  }
}

TEST_F(TrophyScreenTest, ThePopupShowsATrophyWithItsStingAndItsCommandRunsOnceOnClose) {
  Own(5, false);
  Open();
  ASSERT_EQ(Screen().RevealCount(), 1);
  uitest::Sounds::Instance().Clear();
  Screen().SetPopupCmd("OnTrophyPopupClose()");
  Screen().EnablePopup(true, 5);
  EXPECT_TRUE(Screen().IsPopupEnabled());
  EXPECT_TRUE(Screen().IsPopupVisible());
  EXPECT_EQ(Screen().PopupTrophy(), 5);
  EXPECT_EQ(KivUITransition::Instance().Target(), popup_);
  EXPECT_EQ(Text("trophy_title"), "T5");
  EXPECT_EQ(Text("trophy_desc"), "D5");
  EXPECT_EQ(OffImage(ui_.GetWidget("trophy_img")), "trophy_5_available");
  EXPECT_EQ(Played("trophy_sting"), 1u);
  // While the popup is up the room neither reveals nor draws.
  Screen().Tick(2.0f);
  EXPECT_EQ(Screen().RevealCount(), 1);
  renderer_.draws.clear();
  Screen().Render();
  EXPECT_TRUE(renderer_.draws.empty());

  Screen().EnablePopup(false, 0);
  EXPECT_EQ(Global("calls"), "P");
  EXPECT_EQ(Screen().PopupCmd(), "");
  EXPECT_FALSE(Screen().IsPopupVisible());
  EXPECT_EQ(Played("popup_close"), 1u);

  // Without a popup command the room comes back, refreshed.
  Screen().Enable(false);
  Screen().EnablePopup(true, 5);
  EXPECT_FALSE(Screen().IsVisible());
  Screen().EnablePopup(false, 0);
  EXPECT_EQ(Global("calls"), "P");
  EXPECT_TRUE(Screen().IsEnabled());
  EXPECT_TRUE(Screen().IsVisible());
  EXPECT_EQ(Screen().RevealingTrophy(), 5);
}

TEST_F(TrophyScreenTest, EveryOtherTrophyOwnedOpensTheAllTrophiesPopupUntilTheCloseScriptStoresIt) {
  for (int n = 1; n <= 23; ++n) Own(n, true);
  Open();
  EXPECT_TRUE(Screen().IsPopupEnabled());
  EXPECT_EQ(Screen().PopupTrophy(), 24);
  EXPECT_FALSE(KivVars::Instance().HasTrophy(24));  // announced, not stored
  // Closing it without the close script announces it again.
  Screen().EnablePopup(false, 0);
  EXPECT_TRUE(Screen().IsPopupEnabled());
  EXPECT_EQ(Screen().PopupTrophy(), 24);

  // The game's close button script, driving the shared screen as the button does.
  KivTrophyScreen& shared = KivTrophyScreen::Instance();
  screen_.reset();
  Run(ReadSource("data/scripts/trophy_room.lua"));
  shared.Enable(true);
  shared.RefreshUI();
  ASSERT_TRUE(shared.IsPopupEnabled());
  Run("CloseTrophyPopup()");
  EXPECT_TRUE(KivVars::Instance().HasTrophy(24));
  EXPECT_FALSE(shared.IsPopupEnabled());
  EXPECT_TRUE(shared.IsVisible());
  EXPECT_EQ(shared.RevealingTrophy(), 24);
  // The script class.
  Run("local s = GetTrophyScreen(); enabled = tostring(s:IsEnabled()); "
      "popup = tostring(s:IsPopupEnabled()); visible = tostring(s:IsVisible()); "
      "s:SetCloseCmd('MainMenu()'); s:SetIdleCmd('i'); s:SetPopupCmd('p'); s:Enable(false)");
  EXPECT_EQ(Global("enabled") + Global("popup") + Global("visible"), "truefalsetrue");
  EXPECT_EQ(Global("calls"), "M");
  EXPECT_EQ(shared.IdleCmd(), "i");
}

TEST_F(TrophyScreenTest, APopupRebuiltWhileItShowsShowsItsTrophyAgainAndCloses) {
  Own(5, true);
  Screen().SetPopupCmd("OnTrophyPopupClose()");
  Screen().EnablePopup(true, 5);
  KivUITransition::Instance().ForceComplete();
  // Rebuilt from its file: a new tree of the same names, as the file has it.
  ASSERT_TRUE(ui_.DropPanel(popup_, true));
  MakePopup();
  EXPECT_TRUE(Screen().IsPopupVisible());
  EXPECT_EQ(Text("trophy_title"), "T5");
  EXPECT_EQ(Text("trophy_desc"), "D5");
  EXPECT_EQ(OffImage(ui_.GetWidget("trophy_img")), "trophy_5_available");
  Screen().EnablePopup(false, 0);
  EXPECT_EQ(Global("calls"), "P");
  EXPECT_FALSE(Screen().IsPopupVisible());

  // The room rebuilt while it shows shows the profile's trophies again.
  Screen().SetPopupCmd("");
  Screen().Enable(false);
  Open();
  ASSERT_TRUE(ui_.DropPanel(room_, true));
  MakeRoom();
  room_->SetIsVisible(true);
  EXPECT_TRUE(Screen().IsVisible());
  EXPECT_EQ(OffImage(Icon(5)), "trophy_5_available");
  EXPECT_EQ(OffImage(Icon(6)), "trophy_6_disabled");
}

TEST_F(TrophyScreenTest, ReloadedOrLatePanelsAreLookedUpAgainAndDroppedOnesSkipped) {
  Own(3, false);
  Open();
  ASSERT_EQ(Screen().RevealCount(), 1);
  // The room is reloaded (as after a language change): a new tree of the same names.
  ASSERT_TRUE(ui_.DropPanel(room_, true));
  MakeRoom();
  room_->SetIsVisible(true);
  Screen().Tick(0.5f);
  Screen().Render();
  EXPECT_EQ(Screen().Icon(3), Icon(3));
  Screen().Tick(0.6f);
  EXPECT_EQ(OffImage(Icon(3)), "trophy_3_available");
  EXPECT_TRUE(KivVars::Instance().IsTrophyDisplayed(3));
  EXPECT_EQ(Text("tooltip_name"), "TROPHY_ROOM");

  // Both panels gone for good: every step is skipped.
  ASSERT_TRUE(ui_.DropPanel(room_, true));
  ASSERT_TRUE(ui_.DropPanel(popup_, true));
  Own(9, false);
  Screen().RefreshUI();
  Screen().Tick(2.0f);
  Screen().Render();
  Screen().EnablePopup(true, 9);
  Screen().EnablePopup(false, 0);
  EXPECT_FALSE(Screen().IsVisible());
  EXPECT_FALSE(Screen().IsPopupVisible());
  EXPECT_EQ(Screen().Icon(9), nullptr);

  // A room loaded after all is found at the next call.
  MakeRoom();
  Screen().Enable(false);
  Screen().Enable(true);
  EXPECT_TRUE(Screen().IsVisible());
  EXPECT_EQ(Screen().Icon(9), Icon(9));
}

}  // namespace
