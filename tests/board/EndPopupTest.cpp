// The end-of-level popups: the blocks that fly outwards after a win and fall after a
// loss, the steps from the wait to done against content stubs that record what they are
// asked to run, and the panels that keep the popup waiting or end it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Console.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivEndPopup.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivUITransition.h"
#include "game/shell/KivVars.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/support/TestEnv.h"

namespace boardtest {
namespace {

class EndPopupTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    // A trophy popup of an earlier test would hold the popup at its trophy step.
    KivTrophyScreen::Instance().EnablePopup(false, 0);
    KivTrophyScreen::Instance().Enable(false);
    Run("Ran = {} function Record(s) Ran[#Ran + 1] = s end\n"
        "function CloseIngameUI(s) Record('CloseIngameUI ' .. s) end\n"
        "function ShowSummary(v) Record('ShowSummary(' .. tostring(v) .. ')') end\n"
        "function CheckShowPopup(v) Record('CheckShowPopup(' .. tostring(v) .. ')') end");
  }
  void TearDown() override {
    KivVars::Instance().SetFreeplay(false);
    board_.reset();
    LevelInfo::Shutdown();
    BoardTest::TearDown();
  }
  ui::UIWidget* AddPanel(const std::string& name) {
    testenv::WriteFile("ui/" + name + ".ui", "Panel = { Name = '" + name +
                                                 "', Type = 'Widget', Pos = { 0, 0 }, Size = { 0.5, 0.5 } }\n");
    ui::UIWidget* panel = ui::GetUIMan().AddPanel("ui/" + name + ".ui");
    if (panel) panel->SetIsVisible(true);
    return panel;
  }
  std::vector<std::string> Ran() {
    Run("RanText = table.concat(Ran, '|')");
    const std::string text = Global("RanText");
    std::vector<std::string> out;
    size_t start = 0;
    while (!text.empty() && start <= text.size()) {
      const size_t bar = text.find('|', start);
      out.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    return out;
  }
  KivEndPopup* Popup() { return dynamic_cast<KivEndPopup*>(board_->GetOverlay()); }
  // Frames until the popup reaches the step (at most the count).
  void FramesUntilStep(int step, int count = 300) {
    for (int i = 0; i < count && Popup()->GetStep() < step; ++i) Frame();
  }
  // Plays a level to the summary request, then on to the summary step.
  void EndAndRequestSummary(bool victory) {
    LoadBoard(WellFile(2));
    Put("flower", 1, 1);
    Put("flower", 5, 5);
    if (victory) {
      board_->WinGame();
    } else {
      board_->LooseGame();
    }
    ASSERT_NE(Popup(), nullptr);
    FramesUntilStep(2);
    ASSERT_EQ(Popup()->GetStep(), 2);
    Frames(3);
    ASSERT_EQ(Ran(), std::vector<std::string>{"CloseIngameUI GetGame():StartLevelSummary()"});
    Popup()->StartSummary();
    EXPECT_EQ(Popup()->GetStep(), 3);
  }
};

TEST_F(EndPopupTest, AWinTakesTheBlocksOffTheBoardAndTheyFlyOutwardsUntilOffScreen) {
  LoadBoard(WellFile(2));
  Put("flower", 1, 1);
  Put("flower", 13, 10);
  board_->WinGame();
  auto* popup = dynamic_cast<KivVictoryPopup*>(board_->GetOverlay());
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(popup->IsVictory());
  EXPECT_EQ(popup->GetFlyingBlocks().CountFlying(), 2);
  EXPECT_EQ(board_->GetBlockCount(), 0);
  const auto& flights = popup->GetFlyingBlocks().GetFlights();
  // Away from the centre: up and left for the first, down and right for the second.
  EXPECT_LT(flights[0].acceleration.x, 0.0f);
  EXPECT_LT(flights[0].acceleration.y, 0.0f);
  EXPECT_GT(flights[1].acceleration.x, 0.0f);
  EXPECT_GT(flights[1].acceleration.y, 0.0f);
  EXPECT_NEAR(flights[0].acceleration.Magnitude(), 1.0f, 1e-5f);
  Frames(200);
  EXPECT_EQ(popup->GetFlyingBlocks().CountFlying(), 0) << "deleted once off the screen";
}

TEST_F(EndPopupTest, ALossLetsTheBlocksFallFasterLowerDown) {
  LoadBoard(WellFile(2));
  Put("flower", 3, 1);
  Put("flower", 3, 10);
  board_->LooseGame();
  auto* popup = dynamic_cast<KivDefeatPopup*>(board_->GetOverlay());
  ASSERT_NE(popup, nullptr);
  const auto& flights = popup->GetFlyingBlocks().GetFlights();
  ASSERT_EQ(flights.size(), 2u);
  for (const auto& flight : flights) {
    EXPECT_FLOAT_EQ(flight.acceleration.x, 0.0f);
    EXPECT_NEAR(flight.acceleration.y, flight.position.y * 0.5f + 0.4f, 1e-6f);
  }
  EXPECT_GT(flights[1].acceleration.y, flights[0].acceleration.y);
  Frames(400);
  EXPECT_EQ(popup->GetFlyingBlocks().CountFlying(), 0);
}

TEST_F(EndPopupTest, FlightsNearTheCentreGoSideways) {
  FlyingBlocks outwards(true);
  well::WellMoveEnd::Flight flight;
  const struct {
    math::Vec2 at;
    math::Vec2 expected;
  } cases[] = {{{0.505f, 0.502f}, {1.0f, 0.0f}}, {{0.497f, 0.5f}, {-1.0f, 0.0f}}, {{0.5f, 0.5f}, {0.0f, 0.0f}},
               {{0.5f, 0.9f}, {0.0f, 1.0f}}};
  for (const auto& c : cases) {
    flight.position = c.at;
    outwards.Start(flight);
    EXPECT_NEAR(flight.acceleration.x, c.expected.x, 1e-5f) << c.at.x << "," << c.at.y;
    EXPECT_NEAR(flight.acceleration.y, c.expected.y, 1e-5f) << c.at.x << "," << c.at.y;
  }
}

TEST_F(EndPopupTest, AWinOutsideFreePlayRunsTheSummaryThenTheShopThenWaitsForTheStudio) {
  ui::UIWidget* summary = AddPanel("summary");
  ui::UIWidget* buy = AddPanel("buy_popup");
  // The studio's panel comes hidden, as the game loads it; a purchase opens it.
  ui::UIWidget* studio = AddPanel("fashion_studio");
  studio->SetIsVisible(false);
  EndAndRequestSummary(true);
  Frames(3);
  EXPECT_EQ(Popup()->GetStep(), 3) << "the summary is still open";
  summary->SetIsVisible(false);
  Frames(3);
  EXPECT_EQ(Popup()->GetStep(), 4);
  studio->SetIsVisible(true);
  buy->SetIsVisible(false);
  Frames(3);
  EXPECT_EQ(Popup()->GetStep(), 5);
  Frames(5);
  EXPECT_FALSE(board_->IsOverlayDone()) << "waits for the studio";
  studio->SetIsVisible(false);
  Frames(2);
  EXPECT_TRUE(board_->IsOverlayDone());
  EXPECT_EQ(Ran(), (std::vector<std::string>{"CloseIngameUI GetGame():StartLevelSummary()", "ShowSummary(true)",
                                             "CheckShowPopup(true)"}));
}

TEST_F(EndPopupTest, ALossAndAFreePlayWinEndAfterTheSummary) {
  for (const bool freeplayWin : {false, true}) {
    ui::GetUIMan().Shutdown();
    ui::UIWidget* summary = AddPanel("summary");
    AddPanel("buy_popup");
    AddPanel("fashion_studio")->SetIsVisible(false);
    Run("Ran = {}");
    KivVars::Instance().SetFreeplay(freeplayWin);
    EndAndRequestSummary(freeplayWin);
    Frames(3);
    summary->SetIsVisible(false);
    Frames(3);
    EXPECT_TRUE(board_->IsOverlayDone()) << freeplayWin;
    const std::string shown = freeplayWin ? "ShowSummary(true)" : "ShowSummary(false)";
    EXPECT_EQ(Ran(), (std::vector<std::string>{"CloseIngameUI GetGame():StartLevelSummary()", shown}));
  }
}

TEST_F(EndPopupTest, ATrophyEarnedAtTheEndHoldsTheSummaryUntilItsPopupCloses) {
  testenv::WriteFile("scripts/end_trophies.lua",
                     "KIV_TROPHIES = {\n"
                     "  { Index = 5, Name = 'T5', Condition = 'time_remaining', Value1 = 1, Value2 = 50 },\n}\n");
  ASSERT_TRUE(KivTrophyData::Instance().Load("scripts/end_trophies.lua"));
  testenv::WriteFile("end_goals.lua", "Goals = { { GoalName = 'clock', Type = 'TIME', Count = 100 } }\n");
  testenv::WriteFile("end_levels.lua",
                     "Levels = { { Index = 1, LevelName = 'timed', Layout = 'level.lua', Failure = 'clock' } }\n");
  LevelInfo::Instance().LoadGoals("end_goals.lua");
  LevelInfo::Instance().LoadLevels("end_levels.lua");
  auto play = [this](bool victory) {
    testenv::WriteFile("level.lua", WellFile(2));
    board_ = std::make_unique<KivWell>(nullptr, *timer_);
    board_->Load("level.lua", LevelInfo::Instance().FindLevel("timed"));
    ASSERT_GT(board_->RemainingTimePercent(), 50);
    if (victory) {
      board_->WinGame();
    } else {
      board_->LooseGame();
    }
    FramesUntilStep(2);
    Frames(3);
  };
  // A loss with time left earns no time trophy.
  play(false);
  EXPECT_FALSE(KivVars::Instance().HasTrophy(5));
  const size_t before = Ran().size();

  play(true);
  EXPECT_TRUE(KivVars::Instance().HasTrophy(5));
  KivTrophyScreen& room = KivTrophyScreen::Instance();
  EXPECT_TRUE(room.IsPopupEnabled());
  // Closing the popup runs the popup command (the game's script lets the room go there);
  // with the popup command empty the room itself would open over the ended level and hold
  // its summary for good.
  EXPECT_EQ(room.CloseCmd(), "");
  EXPECT_EQ(room.IdleCmd(), "OnTrophyIdle()");
  EXPECT_EQ(room.PopupCmd(), "OnTrophyPopupClose()");
  Run("function OnTrophyPopupClose() Record('OnTrophyPopupClose') end");
  Frames(5);
  EXPECT_EQ(Ran().size(), before) << "the summary waits for the trophy";
  // The player closes the popup.
  room.EnablePopup(false, 0);
  for (int i = 0; i < 40; ++i) {  // the popup's closing animation, as the level state ticks it
    KivUITransition::Instance().Tick(0.05f);
    Frame();
  }
  ASSERT_EQ(Ran().size(), before + 1);
  EXPECT_EQ(Ran().back(), "OnTrophyPopupClose");
  // The script lets the room go, as the game's own does in a level; the summary follows.
  room.Enable(false);
  Frames(2);
  ASSERT_EQ(Ran().size(), before + 2);
  EXPECT_EQ(Ran().back(), "CloseIngameUI GetGame():StartLevelSummary()");
}

TEST_F(EndPopupTest, PanelsRebuiltFromTheirFilesAreTheSamePanelsAndOnesDroppedHaveClosed) {
  testenv::WriteFile("ui/kiv_victory.ui", "Panel = { Name = 'kiv_victory', Type = 'Widget', Size = { 1, 1 } }\n");
  AddPanel("summary");
  AddPanel("buy_popup");
  AddPanel("fashion_studio")->SetIsVisible(false);
  EndAndRequestSummary(true);
  Frames(3);
  ASSERT_EQ(Popup()->GetStep(), 3);
  // The console's RefreshActive rebuilds every visible panel: the banner, the summary and
  // the shop's popup.
  ui::UIManager& manager = ui::GetUIMan();
  manager.RefreshActive();
  Frames(3);
  EXPECT_EQ(Popup()->GetStep(), 3) << "the rebuilt summary is still open";
  ASSERT_NE(Popup()->GetPanel(), nullptr);
  EXPECT_EQ(Popup()->GetPanel(), manager.GetPanel("kiv_victory"));
  manager.GetPanel("summary")->SetIsVisible(false);
  Frames(3);
  EXPECT_EQ(Popup()->GetStep(), 4);
  // The shop's popup dropped for good (no panel of its name left) has closed; a purchase
  // opened the studio.
  manager.GetPanel("fashion_studio")->SetIsVisible(true);
  ASSERT_TRUE(manager.DropPanel(manager.GetPanel("buy_popup"), true));
  Frames(3);
  EXPECT_EQ(Popup()->GetStep(), 5);
  // Leaving the level hides the banner the popup holds now.
  board_->HidePopups();
  EXPECT_FALSE(manager.GetPanel("kiv_victory")->GetIsVisible());
}

TEST_F(EndPopupTest, MissingPanelsEndThePopup) {
  // No summary panel at all.
  EndAndRequestSummary(true);
  Frames(2);
  EXPECT_TRUE(board_->IsOverlayDone());
  EXPECT_EQ(Popup()->GetStep(), KivEndPopup::kStepDone);

  // A summary, but no shop popup.
  ui::UIWidget* summary = AddPanel("summary");
  Run("Ran = {}");
  EndAndRequestSummary(true);
  Frames(2);
  summary->SetIsVisible(false);
  Frames(3);
  EXPECT_TRUE(board_->IsOverlayDone());
}

}  // namespace
}  // namespace boardtest
