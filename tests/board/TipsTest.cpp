// The game's tips and tooltips: tips shown once per profile, hints switched off, the tip
// that shows every time, delayed requests that wait for a free screen and a released
// button, tip names, the half-time tip of a time goal, and tooltips over resting widgets;
// the board's tips at the display's widgets, the zen meter, "Start again" and the
// introduction that holds the board.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivGameHud.h"
#include "game/board/KivGoal.h"
#include "game/board/KivHelp.h"
#include "game/board/KivHintPopup.h"
#include "game/board/KivTooltip.h"
#include "game/board/LevelData.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivVars.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/support/TestEnv.h"

namespace boardtest {
namespace {

class TipsTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    KivHelp::Shutdown();
    help_ = &KivHelp::Instance();
    help_->SetClock(timer_.get());
    SetPointer(math::Vec2(0.9f, 0.9f), false);
    HelpFrames(100);  // the frame timer's smoothed frame time settles at 0.02 s
  }
  void TearDown() override {
    KivHelp::Shutdown();
    BoardTest::TearDown();
  }
  // Frames of 0.02 s through the tip manager.
  void HelpFrames(int count) {
    for (int i = 0; i < count; ++i) {
      clock_.AdvanceSeconds(0.02f);
      timer_->Update();
      help_->Tick(0.02f);
    }
  }
  std::string ShownText() { return help_->GetPopup() ? help_->GetPopup()->text : ""; }

  KivHelp* help_ = nullptr;
};

TEST_F(TipsTest, ATipShowsOncePerProfileAndTipTwentyThreeEveryTime) {
  const math::Vec2 a(0.2f, 0.2f), b(0.3f, 0.3f);
  help_->ShowHint(0, a, b);
  EXPECT_TRUE(help_->ShowsHint());
  EXPECT_EQ(ShownText(), "TIP_FIRST_GOLD");
  EXPECT_EQ(KivVars::Instance().GetValue(100), 1);
  EXPECT_FALSE(help_->ShouldShowHint(0));
  help_->RemoveAll();
  help_->ShowHint(0, a, b);
  EXPECT_FALSE(help_->ShowsHint());

  for (int round = 0; round < 2; ++round) {
    help_->ShowHint(23, a, b);
    EXPECT_TRUE(help_->ShowsHint()) << round;
    EXPECT_EQ(ShownText(), "ZEN_NOT_POWERED_YET");
    help_->RemoveCurrent();
  }

  // Hints off: nothing at all, not even tip 23.
  KivVars::Instance().SetValue(KivHelp::kHintsOffVar, 1);
  for (int id : {1, 5, 23}) {
    EXPECT_FALSE(help_->ShouldShowHint(id)) << id;
    help_->ShowHint(id, a, b);
    EXPECT_FALSE(help_->ShowsHint()) << id;
  }
  help_->QueueRequest(2, a, b, 0.1f);
  HelpFrames(20);
  EXPECT_FALSE(help_->ShowsHint());
  EXPECT_EQ(help_->PendingCount(), 0);
}

TEST_F(TipsTest, DelayedRequestsKeepTheirFirstDelayAndWaitForAFreeScreenAndButton) {
  ui::UIWidget* widget = Make(math::Vec2(0.1f, 0.2f), math::Vec2(0.1f, 0.05f));
  help_->TriggerHelpWidget(3, widget, 0.5f);
  help_->TriggerHelpWidget(3, widget, 5.0f);  // already waiting: the first delay stands
  ASSERT_EQ(help_->GetRequests().size(), 1u);
  EXPECT_FLOAT_EQ(help_->GetRequests()[0].delay, 0.5f);
  EXPECT_FLOAT_EQ(help_->GetRequests()[0].b.x, 0.2f);
  EXPECT_FLOAT_EQ(help_->GetRequests()[0].b.y, 0.25f);

  // A held left button keeps delayed and immediate requests waiting.
  SetPointer(math::Vec2(0.5f, 0.5f), true);
  help_->TriggerHelpWidget(4, widget, 0.0f);
  EXPECT_EQ(help_->GetRequests().size(), 2u);
  HelpFrames(100);
  EXPECT_FALSE(help_->ShowsHint());
  EXPECT_FLOAT_EQ(help_->GetRequests()[0].delay, 0.5f);

  SetPointer(math::Vec2(0.5f, 0.5f), false);
  HelpFrames(1);  // the immediate one is due at once
  EXPECT_EQ(ShownText(), "TIP_ZENOMETER_FULL");
  HelpFrames(60);  // a tip is open: the other delay does not run down
  ASSERT_EQ(help_->GetRequests().size(), 1u);
  EXPECT_NEAR(help_->GetRequests()[0].delay, 0.48f, 1e-4f);

  help_->CloseHint();
  HelpFrames(80);  // closed (0.8 s), then the delay runs out
  EXPECT_EQ(ShownText(), "TIP_ZENOMETER_START");
  EXPECT_TRUE(help_->GetRequests().empty());

  help_->TriggerHelpWidget(5, widget, 3.0f);
  help_->RemoveAll();
  EXPECT_FALSE(help_->ShowsHint());
  EXPECT_EQ(help_->PendingCount(), 0);
}

TEST_F(TipsTest, TheAreaOfTwoWidgetsCoversBoth) {
  ui::UIWidget* first = Make(math::Vec2(0.3f, 0.1f), math::Vec2(0.1f, 0.1f));
  ui::UIWidget* second = Make(math::Vec2(0.1f, 0.4f), math::Vec2(0.1f, 0.1f));
  help_->TriggerHelpWidgetArea(6, first, second, 1.0f);
  ASSERT_EQ(help_->GetRequests().size(), 1u);
  EXPECT_FLOAT_EQ(help_->GetRequests()[0].a.x, 0.1f);
  EXPECT_FLOAT_EQ(help_->GetRequests()[0].a.y, 0.1f);
  EXPECT_FLOAT_EQ(help_->GetRequests()[0].b.x, 0.4f);
  EXPECT_FLOAT_EQ(help_->GetRequests()[0].b.y, 0.5f);
}

TEST_F(TipsTest, TipNames) {
  EXPECT_EQ(help_->MapStringToTip("tip_first_gold"), 0);
  EXPECT_EQ(help_->MapStringToTip("Zen_Not_Powered_Yet"), 23);
  EXPECT_EQ(help_->MapStringToTip("TIP_NOTHING"), -1);
  EXPECT_EQ(help_->MapStringToTip(""), -1);
  EXPECT_EQ(help_->GetTipName(12), "TIP_TIME_WARNING");
  EXPECT_EQ(help_->GetTipName(24), "");
  EXPECT_EQ(help_->GetTipName(-1), "");
  EXPECT_EQ(KivHelp::GetSpellTipName(0), "TIP_ZENPOWER_MATCH_APPEAR");
  EXPECT_EQ(KivHelp::GetSpellTipName(5), "TIP_ZENPOWER_LIGHTNING_APPEAR");
  EXPECT_EQ(KivHelp::GetSpellTipName(6), "");
}

TEST_F(TipsTest, TheTimeWarningTipShowsOnceAtHalfTime) {
  GoalData data;
  data.count = 10;
  ui::UIWidget* display = Make(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
  display->SetName("in_game");
  Make<ui::UIProgress>(math::Vec2(0.1f, 0.9f), math::Vec2(0.3f, 0.02f), display)->SetName("timer_bar");
  KivTimeGoal goal(&data, nullptr);
  ASSERT_NE(goal.Bar(), nullptr);
  goal.AddProgress(4.9f);
  EXPECT_FALSE(help_->ShowsHint());
  goal.AddProgress(0.2f);
  EXPECT_EQ(ShownText(), "TIP_TIME_WARNING");
  help_->RemoveAll();
  KivTimeGoal again(&data, nullptr);
  ASSERT_EQ(again.Bar(), goal.Bar());
  again.AddProgress(6.0f);
  EXPECT_FALSE(help_->ShowsHint());  // shown once in this profile
}

TEST_F(TipsTest, ATooltipShowsAfterASecondsRestAndHidesOnAMove) {
  ui::UIWidget* panel = Make(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
  ui::UIWidget* button = Make(math::Vec2(0.1f, 0.1f), math::Vec2(0.1f, 0.1f), panel);
  ui::UIWidget* other = Make(math::Vec2(0.5f, 0.1f), math::Vec2(0.1f, 0.1f), panel);
  KivTooltips tips;
  tips.SetTooltip(button, "Pause the game");
  tips.SetTooltip(other, "Other");
  tips.SetTooltip(other, "");  // removed
  tips.SetTooltip(nullptr, "ignored");
  ASSERT_EQ(tips.GetRecords().size(), 1u);
  tips.GetBox().SetClock(timer_.get());

  auto frames = [&](int count) {
    for (int i = 0; i < count; ++i) tips.Tick(0.02f);
  };
  SetPointer(math::Vec2(0.15f, 0.15f), false);
  frames(45);
  EXPECT_FALSE(tips.IsBoxShown());
  frames(10);
  EXPECT_TRUE(tips.IsBoxShown());
  EXPECT_EQ(tips.GetBox().text, "Pause the game");
  EXPECT_EQ(tips.GetShownWidget(), button);

  SetPointer(math::Vec2(0.16f, 0.15f), false);
  frames(1);
  EXPECT_FALSE(tips.IsBoxShown());
  frames(45);
  EXPECT_FALSE(tips.IsBoxShown());
  frames(10);
  EXPECT_TRUE(tips.IsBoxShown());

  // An open tip hides the tooltip.
  help_->ShowHint(1, math::Vec2(0.2f, 0.2f), math::Vec2(0.3f, 0.3f));
  frames(1);
  EXPECT_FALSE(tips.IsBoxShown());
  help_->RemoveAll();

  // A deleted widget leaves no record behind.
  panel->DeleteChild(button, true);
  frames(60);
  EXPECT_TRUE(tips.GetRecords().empty());
  EXPECT_FALSE(tips.IsBoxShown());
}

// --- The tips of the board, and the display they point at ---

// The board under its display: the panel "in_game" with the coin counter (unless left
// out), the zen meter, the six spell bars and "Start again"; a panel "intro_dlg".
class DisplayTest : public TipsTest {
 protected:
  void TearDown() override {
    board_.reset();
    LevelInfo::Shutdown();
    TipsTest::TearDown();
  }
  void LoadBoardWithDisplay(const std::string& wellText, bool coins = true, const LevelData* level = nullptr) {
    board_.reset();
    for (ui::UIWidget* panel : {display_, intro_}) {
      if (panel) {
        ASSERT_TRUE(ui_.DropPanel(panel, true));
      }
    }
    display_ = Make(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
    display_->SetName("in_game");
    if (coins) Make(math::Vec2(0.02f, 0.37f), math::Vec2(0.17f, 0.04f), display_)->SetName("coins_box");
    Make<ui::UIProgress>(math::Vec2(0.03f, 0.43f), math::Vec2(0.15f, 0.025f), display_)->SetName("zen_power");
    for (int i = 0; i < 6; ++i) {
      Make<ui::UIProgress>(math::Vec2(0.03f, 0.7f + 0.03f * static_cast<float>(i)), math::Vec2(0.15f, 0.024f),
                           display_)
          ->SetName("specials_00" + std::to_string(i + 1));
    }
    Make(math::Vec2(0.83f, 0.95f), math::Vec2(0.15f, 0.045f), display_)->SetName("PuzzleReset");
    intro_ = Make(math::Vec2(0.2f, 0.2f), math::Vec2(0.6f, 0.6f));
    intro_->SetName("intro_dlg");
    intro_->SetIsVisible(false);
    testenv::WriteFile("level.lua", wellText);
    board_ = std::make_unique<KivWell>(nullptr, *timer_);
    board_->InitUI();
    board_->Load("level.lua", level);
  }
  ui::UIWidget* Widget(const char* name) { return display_->GetWidgetByName(name); }
  // Board frames of 0.02 s (the display updates with the board), the tips ticked along.
  void BoardFrames(int count) {
    for (int i = 0; i < count; ++i) {
      Frame();
      help_->Tick(0.02f);
    }
  }

  ui::UIWidget* display_ = nullptr;
  ui::UIWidget* intro_ = nullptr;
};

TEST_F(DisplayTest, TheBoardsTipsPointAtTheDisplayAndWaitASecond) {
  struct Case {
    const char* what;
    bool coins;
    std::function<void(KivWell&)> act;
    int tip;  // -1: none is asked for
    std::function<std::pair<math::Vec2, math::Vec2>()> area;
  };
  auto widget = [this](const char* name) {
    return [this, name] {
      ui::UIWidget* w = Widget(name);
      return std::make_pair(w->position, w->position + w->size);
    };
  };
  const Case cases[] = {
      {"the first gold, at the coin counter", true, [](KivWell& b) { b.AddGold(3); }, 0, widget("coins_box")},
      {"the first gold without a coin counter", false, [](KivWell& b) { b.AddGold(3); }, -1, nullptr},
      {"zen reaching a spell, at its bar", true,
       [](KivWell& b) {
         b.SetSpellCost(2, 10);
         b.AddZen(1, -1);
       },
       3, widget("specials_003")},
      {"a spell filled, at its bar", true,
       [](KivWell& b) {
         KivVars::Instance().SetValue(KivHelp::kShownVarBase + 3, 1);
         b.SetSpellCost(4, 5);
         b.AddZen(5, -1);
       },
       4, widget("specials_005")},
      {"few tiles left, over them", true,
       [](KivWell& b) {
         b.SetTileValue(3, 3, 2);
         b.SetTileValue(5, 4, 3);
         b.CountTiles();
       },
       2,
       [this] {
         KivWell& b = *board_;
         return std::make_pair(b.CellToScreen(3, 3), b.CellToScreen(5, 4) + b.GetCellSize());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KivVars::Instance().ResetHints();
    help_->RemoveAll();
    HelpFrames(50);  // the last case's tip closes
    LoadBoardWithDisplay(WellFile(1), c.coins);
    c.act(*board_);
    EXPECT_FALSE(help_->ShowsHint()) << "never at once";
    if (c.tip < 0) {
      EXPECT_EQ(help_->PendingCount(), 0);
      HelpFrames(60);
      EXPECT_FALSE(help_->ShowsHint());
      continue;
    }
    ASSERT_EQ(help_->GetRequests().size(), 1u);
    const KivHelp::Request& request = help_->GetRequests()[0];
    EXPECT_EQ(request.id, c.tip);
    EXPECT_FLOAT_EQ(request.delay, 1.0f);
    const auto [a, b] = c.area();
    EXPECT_FLOAT_EQ(request.a.x, a.x);
    EXPECT_FLOAT_EQ(request.a.y, a.y);
    EXPECT_FLOAT_EQ(request.b.x, b.x);
    EXPECT_FLOAT_EQ(request.b.y, b.y);
    HelpFrames(45);
    EXPECT_FALSE(help_->ShowsHint());
    HelpFrames(10);
    EXPECT_EQ(ShownText(), KivHelp::TipName(c.tip));
  }
}

TEST_F(DisplayTest, TheZenMeterShowsTheZenOfTheLevel) {
  // max_zen is 100; the meter's value is 1 - zen / max_zen (its images are the other way
  // round, so it fills as zen comes in).
  struct Step {
    const char* what;
    std::function<void(KivWell&)> act;
    int32_t zen;
  };
  const Step steps[] = {
      {"zen without a spell in the level reaches nothing", [](KivWell& b) { b.AddZen(30, -1); }, 0},
      {"zen into the level's spells", [](KivWell& b) {
         b.SetSpellCost(0, 10);
         b.SetSpellCost(3, 20);
         b.AddZen(25, -1);
       }, 25},
      {"a spell cast spends its cost", [](KivWell& b) { b.AddZen(-10, 0); }, 15},
      {"zen for a spell not in the level", [](KivWell& b) { b.AddZen(5, 1); }, 15},
      {"never past max_zen", [](KivWell& b) { b.AddZen(500, -1); }, 100},
      {"never below 0", [](KivWell& b) { b.AddZen(-1000, -1); }, 0},
      {"Z in cheat mode fills it", [](KivWell& b) {
         KivVars::Instance().SetCheatMode(true);
         b.KeyPressed(KivWell::kKeyZ);
       }, 100},
  };
  LoadBoardWithDisplay(WellFile(1));
  auto* meter = static_cast<ui::UIProgress*>(Widget("zen_power"));
  ASSERT_NE(board_->GetHud(), nullptr);
  ASSERT_EQ(board_->GetHud()->ZenBar(), meter);
  for (const Step& step : steps) {
    step.act(*board_);
    BoardFrames(1);
    EXPECT_EQ(board_->GetZen(), step.zen) << step.what;
    EXPECT_EQ(board_->GetHud()->zenShown, step.zen) << step.what;
    EXPECT_FLOAT_EQ(meter->GetProgress(), 1.0f - static_cast<float>(step.zen) / 100.0f) << step.what;
  }
}

TEST_F(DisplayTest, StartAgainShowsOnlyInPuzzleLevels) {
  for (const char* mode : {"PUZZLE", "AUTO", ""}) {
    LevelData level;
    level.genMode = mode;
    LoadBoardWithDisplay(WellFile(1), true, &level);
    EXPECT_EQ(Widget("PuzzleReset")->GetIsVisible(), std::string(mode) == "PUZZLE") << mode;
  }
}

TEST_F(DisplayTest, AnOpenIntroductionHoldsTheBoard) {
  LoadBoardWithDisplay(WellFile(1));
  for (int x = 0; x < 3; ++x) Put("flower", x, 0, 6);
  intro_->SetIsVisible(true);
  Hold({{0, 0}, {1, 0}, {2, 0}});
  EXPECT_EQ(board_->GetChain().size(), 1u) << "no chain grows while the introduction is up";
  intro_->SetIsVisible(false);
  for (int x : {1, 2}) {
    SetPointer(Centre(x, 0), true);
    Frame();
  }
  EXPECT_EQ(board_->GetChain().size(), 3u);

  // A panel dropped while the board holds it no longer counts.
  intro_->SetIsVisible(true);
  ASSERT_TRUE(ui_.DropPanel(intro_, true));
  intro_ = nullptr;
  Frame();
}

}  // namespace
}  // namespace boardtest
