// The game's tips and tooltips: tips shown once per profile, hints switched off, the tip
// that shows every time, delayed requests that wait for a free screen and a released
// button, tip names, the half-time tip of a time goal, and tooltips over resting widgets.

#include <gtest/gtest.h>

#include <string>

#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivGoal.h"
#include "game/board/KivHelp.h"
#include "game/board/KivHintPopup.h"
#include "game/board/KivTooltip.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivVars.h"
#include "tests/board/BoardTestSupport.h"

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
  KivTimeGoal goal(&data, nullptr);
  goal.bar = Make<ui::UIProgress>(math::Vec2(0.1f, 0.9f), math::Vec2(0.3f, 0.02f));
  goal.AddProgress(4.9f);
  EXPECT_FALSE(help_->ShowsHint());
  goal.AddProgress(0.2f);
  EXPECT_EQ(ShownText(), "TIP_TIME_WARNING");
  help_->RemoveAll();
  KivTimeGoal again(&data, nullptr);
  again.bar = goal.bar;
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

}  // namespace
}  // namespace boardtest
