// The end-of-level summary: the seven results counted up one after the other with their
// pauses and sound, ForceComplete, the time bonus, the best score kept in the profile and
// a save that fails leaving the old profile file whole, level slots that have no record,
// and the online highscore rows from a score server on 127.0.0.1 that the test starts,
// including replies that come too late to be shown.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/app/GameRMS.h"
#include "engine/app/WebRequest.h"
#include "engine/core/ConfigFile.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivGoal.h"
#include "game/board/KivScore.h"
#include "game/board/KivSummary.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivVars.h"
#include "platform/win32/MessageQueue.h"
#include "tests/app/AppTestSupport.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestEnv.h"

namespace boardtest {
namespace {

std::string SummaryPanel() {
  std::string children;
  auto add = [&children](const std::string& name) {
    children += "  { Name = '" + name + "', Type = 'Widget', Pos = { 0, 0 }, Size = { 0.1, 0.05 } },\n";
  };
  for (const char* name : KivSummary::kValueWidgets) add(name);
  for (const char* name : {"summary_txt", "summary_player", "summary_btn", KivSummary::kOnlineNote}) add(name);
  for (int row = 1; row <= KivSummary::kRowCount; ++row) {
    for (const char* prefix : {"highscore_", "hometown_", "highscore_val_"}) add(prefix + std::to_string(row));
  }
  return "Panel = { Name = 'summary', Type = 'Widget', Pos = { 0, 0 }, Size = { 1, 1 }, Children = {\n" + children +
         "} }\n";
}

class SummaryTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    KivSummary::Shutdown();
    testenv::WriteFile("ui/summary.ui", SummaryPanel());
    panel_ = ui::GetUIMan().AddPanel("ui/summary.ui");
    ASSERT_NE(panel_, nullptr);
    testenv::WriteFile("summary_goals.lua",
                       "Goals = { { GoalName = 'tiles', Type = 'CLEAR_TILE' },\n"
                       "          { GoalName = 'clock', Type = 'TIME', Count = 100 } }\n");
    testenv::WriteFile("summary_levels.lua",
                       "Levels = {\n"
                       "  { Index = 3, LevelName = 'third', Layout = 'level.lua', Goal1 = 'tiles', Failure = 'clock',\n"
                       "    country = 'NORWAY', city = 'OSLO' },\n"
                       "  { Index = 0, LevelName = 'none', Layout = 'level.lua', Goal1 = 'tiles', Failure = 'clock' },\n"
                       "  { Index = 2001, LevelName = 'beyond', Layout = 'level.lua', Goal1 = 'tiles', Failure = 'clock' } }\n");
    LevelInfo::Instance().LoadGoals("summary_goals.lua");
    LevelInfo::Instance().LoadLevels("summary_levels.lua");
    KivScore::Instance().SetValue(KivScore::kTimeBonusPerPercent, 100);
  }
  void TearDown() override {
    KivSummary::Shutdown();
    LevelInfo::Shutdown();
    BoardTest::TearDown();
  }
  // The level's board with 1000 points, 7 gold and 45% of its time left.
  void PlayLevel(const std::string& name = "third") {
    testenv::WriteFile("level.lua", WellFile(2));
    board_ = std::make_unique<KivWell>(nullptr, *timer_);
    board_->Load("level.lua", LevelInfo::Instance().FindLevel(name));
    board_->AdjustCounter(1000);
    board_->AddGold(7);
    ASSERT_NE(board_->GetFailGoal(), nullptr);
    board_->GetFailGoal()->progress = 55.0f;
    summary().SetBoard(board_.get());
    summary().Enable(true);
  }
  KivSummary& summary() { return KivSummary::Instance(); }
  std::string Text(const std::string& widget) { return panel_->GetWidgetByName(widget)->GetText(); }
  void Ticks(int count, float dt = 0.02f) {
    for (int i = 0; i < count; ++i) summary().Tick(dt);
  }
  ui::UIWidget* Button() { return panel_->GetWidgetByName("summary_btn"); }

  ui::UIWidget* panel_ = nullptr;
};

TEST_F(SummaryTest, TheResultsCountUpOneAfterTheOtherWithTheirPausesAndSound) {
  PlayLevel();
  summary().Start(false);
  EXPECT_EQ(summary().GetValue(KivSummary::kRawScore), 1000);
  EXPECT_EQ(summary().GetValue(KivSummary::kTimeLeft), 45);
  EXPECT_EQ(summary().GetValue(KivSummary::kTimeBonus), 4500);
  EXPECT_EQ(summary().GetValue(KivSummary::kFinalScore), 5500) << "the bonus is added first";
  EXPECT_EQ(board_->GetScore(), 5500);
  EXPECT_EQ(summary().GetValue(KivSummary::kCoins), 7);
  EXPECT_EQ(Text("time_left"), "0%");
  EXPECT_EQ(Text("raw_score_val"), "0");
  EXPECT_EQ(Button()->color, KivSummary::kGreyedColour);
  EXPECT_FALSE(Button()->GetIsActive());
  EXPECT_EQ(Text("summary_player"), "Anna");

  Ticks(74);  // the first second, then the pause before the first value
  EXPECT_EQ(summary().GetStep(), 0);
  EXPECT_EQ(Played("score_countup"), 0u);
  Ticks(100);  // tokens (none) and coins (7) counted
  EXPECT_EQ(Text("coins_collected_val"), "7");
  EXPECT_GE(summary().GetStep(), 2);
  Ticks(200);
  EXPECT_EQ(Text("raw_score_val"), "1,000");
  EXPECT_GE(Played("score_countup"), 1u);
  Ticks(600);
  EXPECT_TRUE(summary().IsComplete());
  EXPECT_EQ(Text("time_left"), "45%");
  EXPECT_EQ(Text("time_bonus_val"), "4,500");
  EXPECT_EQ(Text("final_score_val"), "5,500");
  EXPECT_EQ(Text("best_score_val"), "5,500");
  EXPECT_EQ(Button()->color, 0xFFFFFFFFu);
  EXPECT_TRUE(Button()->GetIsActive());
}

TEST_F(SummaryTest, ForceCompleteShowsEveryRemainingValueAtOnce) {
  PlayLevel();
  summary().Start(true);
  Ticks(80);
  summary().ForceComplete();
  Ticks(1);
  EXPECT_FALSE(summary().IsComplete());
  Ticks(8);  // one value per tick, no pauses
  EXPECT_TRUE(summary().IsComplete());
  EXPECT_TRUE(Button()->GetIsActive());
  EXPECT_EQ(Text("final_score_val"), "5,500");
  EXPECT_EQ(Text("time_left"), "45%");
}

TEST_F(SummaryTest, AStoredBestAboveTheFinalScoreIsKeptAndAWinClearsTheLevel) {
  rms_->SetScore(2, 9000);
  PlayLevel();
  summary().Start(true);
  summary().ForceComplete();
  Ticks(10);
  EXPECT_EQ(Text("best_score_val"), "9,000");
  EXPECT_EQ(rms_->GetScore(2), 9000);
  EXPECT_TRUE(rms_->IsCleared(2));

  rms_->SetScore(2, 100);
  PlayLevel();
  summary().Start(false);
  EXPECT_EQ(summary().GetValue(KivSummary::kBestScore), 5500);
  EXPECT_EQ(rms_->GetScore(2), 5500);
  // The profile was saved: a fresh store reads the best score back.
  GameRMS reread("board_test.rms");
  reread.Load();
  EXPECT_EQ(reread.GetScore(2), 5500);
}

TEST_F(SummaryTest, ASaveThatCannotBeWrittenLeavesTheOldProfileFileWhole) {
  ASSERT_TRUE(rms_->Save());
  const std::string before = testenv::ReadFile("board_test.rms");
  ASSERT_FALSE(before.empty());
  // The temporary file cannot be made: a folder stands in its place.
  std::filesystem::create_directory("board_test.rms.tmp");
  PlayLevel();
  summary().Start(true);
  EXPECT_EQ(testenv::ReadFile("board_test.rms"), before);
  EXPECT_EQ(rms_->GetScore(2), 5500) << "kept in memory for the next save";
  std::filesystem::remove("board_test.rms.tmp");
}

TEST_F(SummaryTest, LevelsWithoutASlotReadAndStoreNothing) {
  for (const char* level : {"none", "beyond"}) {
    PlayLevel(level);
    summary().Start(true);
    EXPECT_EQ(summary().GetValue(KivSummary::kBestScore), 5500) << level;
    EXPECT_FALSE(summary().IsWaiting()) << level;
    for (int slot = 0; slot < GameRMS::kLevelCount; ++slot) ASSERT_EQ(rms_->GetScore(slot), 0) << level;
  }
}

TEST_F(SummaryTest, APanelRebuiltFromItsFileShowsWhatTheSummaryHadShown) {
  PlayLevel();
  summary().Start(true);
  // The coins counted, the raw score on its way.
  for (int i = 0; i < 400 && !(summary().GetStep() == 2 && Text("raw_score_val") != "0"); ++i) Ticks(1);
  ASSERT_EQ(summary().GetStep(), 2);
  std::vector<std::pair<std::string, std::string>> shown;
  auto collect = [this](std::vector<std::pair<std::string, std::string>>& texts) {
    texts.clear();
    for (ui::UIWidget* widget : panel_->GetChildren()) texts.emplace_back(widget->GetName(), widget->GetText());
  };
  collect(shown);
  ASSERT_EQ(Text("coins_collected_val"), "7");
  ASSERT_EQ(Text("summary_player"), "Anna");

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ui::GetUIMan().RefreshActive();
    panel_ = ui::GetUIMan().GetPanel(KivSummary::kPanel);
    ASSERT_NE(panel_, nullptr);
    EXPECT_EQ(Text("summary_player"), "") << "the file's";
    Ticks(1, 0.0f);
    std::vector<std::pair<std::string, std::string>> again;
    collect(again);
    EXPECT_EQ(again, shown);
    EXPECT_EQ(Button()->color, summary().IsComplete() ? 0xFFFFFFFFu : KivSummary::kGreyedColour);
    EXPECT_EQ(Button()->GetIsActive(), summary().IsComplete());
    // Counted to the end, then rebuilt once more.
    Ticks(800);
    ASSERT_TRUE(summary().IsComplete());
    EXPECT_EQ(Text("final_score_val"), "5,500");
    collect(shown);
  }
}

TEST_F(SummaryTest, StartDoesNothingWithoutABoardOrWhileDisabled) {
  PlayLevel();
  summary().Enable(false);
  summary().Start(true);
  EXPECT_EQ(summary().GetStep(), KivSummary::kStepDone);
  summary().Enable(true);
  summary().SetBoard(nullptr);
  summary().Start(true);
  EXPECT_EQ(summary().GetStep(), KivSummary::kStepDone);
  EXPECT_EQ(rms_->GetScore(2), 0);
}

// --- Against the loopback score server ---

LoopbackServer::Reply Ok(const std::string& body) {
  return {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body};
}

// The test application runs onFrame at the start of each frame.
using SummaryApp = apptest::TestApp;

class SummaryServerTest : public SummaryTest {
 protected:
  void SetUp() override {
    SummaryTest::SetUp();
    plat::MessageQueue::Instance().Reset();
    folder_ = testenv::MakeTempDir("summary");
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string className = std::string("Pellavo ") + info->name();
    app_ = std::make_unique<SummaryApp>(className, folder_);
    ASSERT_TRUE(app_->CreateAppWindow(className, 800, 600));
    app_->rms = rms_.release();
    rms_.reset();
    KivVars::Instance().store = app_->rms;
    KivVars::Instance().SetUserID(0);
    SetApplication(app_.get());
  }
  void TearDown() override {
    config::ConfigFile::Instance().Shutdown();
    SetApplication(nullptr);
    KivSummary::Shutdown();
    KivVars::Instance().store = nullptr;
    app_.reset();
    SummaryTest::TearDown();
    plat::MessageQueue::Instance().Reset();
  }
  void UseServer(const LoopbackServer& server) {
    ASSERT_TRUE(server.Ok());
    const std::string settings = folder_ + "/kv.lua";
    ASSERT_TRUE(testenv::WriteFile(settings, "Config = { ScoreServer = \"http://127.0.0.1:" +
                                                 std::to_string(server.Port()) + "\" }\n"));
    config::ConfigFile::Instance().Load(settings);
  }
  GameRMS* profiles() { return app_->rms; }
  std::string Row(int row, const char* prefix) { return Text(prefix + std::to_string(row)); }

  std::string folder_;
  std::unique_ptr<SummaryApp> app_;
};

TEST_F(SummaryServerTest, TheRowsAreFilledFromTheReply) {
  LoopbackServer server(
      [](const std::string& head) {
        if (head.find("Action=create_user") != std::string::npos) return Ok("4711");
        return Ok("Anna@oslo@12000@Bo@rome@900@Cy@lima@0");
      },
      4);
  UseServer(server);
  PlayLevel();
  summary().Start(true);
  EXPECT_FALSE(summary().IsWaiting());
  EXPECT_EQ(Row(1, "highscore_"), "Anna");
  EXPECT_EQ(Text(KivSummary::kOnlineNote), "") << "online, nothing to say";
  EXPECT_EQ(Row(1, "hometown_"), "oslo");
  EXPECT_EQ(Row(1, "highscore_val_"), "12,000");
  EXPECT_EQ(Row(2, "highscore_"), "Bo");
  EXPECT_EQ(Row(3, "highscore_"), "") << "a row without a score stays empty";
  EXPECT_EQ(Row(5, "highscore_val_"), "");
  EXPECT_EQ(summary().GetEntries()[1].score, 900);
  const auto heads = server.Heads();
  ASSERT_EQ(heads.size(), 2u);
  EXPECT_NE(heads[1].find("Action=add_score"), std::string::npos);
  EXPECT_NE(heads[1].find("LevelID=2&"), std::string::npos) << heads[1];
  EXPECT_NE(heads[1].find("Score=5500&"), std::string::npos) << heads[1];
}

TEST_F(SummaryServerTest, WithoutAScoreServerTheOnlineHalfSaysOffline) {
  LoopbackServer server([](const std::string&) { return Ok("@@Error@@"); }, 4);
  UseServer(server);
  PlayLevel();
  summary().Start(true);
  EXPECT_FALSE(summary().IsWaiting());
  EXPECT_EQ(Text(KivSummary::kOnlineNote), KivSummary::kOfflineText);
  EXPECT_EQ(Row(1, "highscore_"), "");
  // The next level's summary starts without the note, and fills its rows.
  LoopbackServer answering(
      [](const std::string& head) {
        if (head.find("Action=create_user") != std::string::npos) return Ok("4711");
        return Ok("Anna@oslo@12000");
      },
      4);
  UseServer(answering);
  summary().Start(true);
  EXPECT_EQ(Text(KivSummary::kOnlineNote), "");
  EXPECT_EQ(Row(1, "highscore_"), "Anna");
}

TEST_F(SummaryServerTest, ALevelWithoutASlotSendsNothing) {
  LoopbackServer server([](const std::string&) { return Ok("4711"); }, 4);
  UseServer(server);
  PlayLevel("beyond");
  summary().Start(true);
  EXPECT_TRUE(server.Heads().empty());
}

TEST_F(SummaryServerTest, CleanupCutsASlowReplyWhileFramesKeepRunning) {
  LoopbackServer server(
      [](const std::string& head) -> LoopbackServer::Reply {
        if (head.find("Action=create_user") != std::string::npos) return Ok("4711");
        return {"", true};  // never answers
      },
      4);
  UseServer(server);
  PlayLevel();
  int frames = 0;
  app_->onFrame = [&] {
    if (++frames == 20) summary().Cleanup();
  };
  summary().Start(true);
  app_->onFrame = nullptr;
  EXPECT_GE(frames, 20);
  EXPECT_FALSE(summary().IsWaiting());
  EXPECT_EQ(Row(1, "highscore_"), "");
  EXPECT_FALSE(web::WebRequest::Instance().IsRunning());
  // The level goes on: the summary counts up as before.
  summary().ForceComplete();
  Ticks(10);
  EXPECT_TRUE(summary().IsComplete());
}

TEST_F(SummaryServerTest, AReplyAfterTheLevelWasLeftFillsNothing) {
  ReplyGate left;  // the scores come once the level has been left
  LoopbackServer server(
      [left](const std::string& head) {
        if (head.find("Action=create_user") != std::string::npos) return Ok("4711");
        left.Wait();
        return Ok("Anna@oslo@12000");
      },
      4);
  UseServer(server);
  PlayLevel();
  int frames = 0;
  app_->onFrame = [&] {
    // Leaving the level disables the summary.
    if (++frames == 3) {
      summary().Enable(false);
      left.Open();
    }
  };
  summary().Start(true);
  app_->onFrame = nullptr;
  EXPECT_GE(frames, 3);
  EXPECT_EQ(Row(1, "highscore_"), "");
  EXPECT_EQ(summary().GetEntries()[0].score, 0);
}

}  // namespace
}  // namespace boardtest
