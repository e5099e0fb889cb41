// Levels: the goal, level and score tables, the goals and generators a level makes, the
// board's kind and colour choices, hints, the no-move test, the reshuffle and the refill.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "game/board/KivGameHud.h"
#include "game/board/KivGoal.h"
#include "game/board/KivReshuffle.h"
#include "game/board/KivScore.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivVars.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace boardtest {
namespace {

// --- Tables ---

class LevelTableTest : public BoardTest {
 protected:
  void TearDown() override {
    LevelInfo::Shutdown();
    BoardTest::TearDown();
  }
};

TEST_F(LevelTableTest, NamelessRowsAreDroppedAndTheFirstOfTwoNamesIsKept) {
  testenv::WriteFile("goals.lua",
                     "Goals = {\n"
                     "  { Type = 'BIGSET', Count = 4 },\n"
                     "  { GoalName = 'big', Type = 'BIGSET', Count = 4, Quality = 6, Icon = 'i.png', Info = 'x' },\n"
                     "  { GoalName = 'BIG', Type = 'MOVES', Count = 9 },\n"
                     "  'not a row',\n"
                     "}\n");
  testenv::WriteFile("levels.lua",
                     "Levels = {\n"
                     "  { Index = 4, Layout = 'nameless.lua' },\n"
                     "  { Index = 1, LevelName = 'one', Layout = 'a.lua', Goal1 = 'big', Failure = 'clock',\n"
                     "    flower_1 = 5, flower_24 = 7, token_zen = 3, token_stone = 2, GenMode = 'auto', GenSpeed = 0.5 },\n"
                     "  { Index = 2, LevelName = 'ONE', Layout = 'b.lua' },\n"
                     "}\n");
  LevelInfo& info = LevelInfo::Instance();
  info.LoadGoals("goals.lua");
  info.LoadLevels("levels.lua");

  ASSERT_EQ(info.GoalCount(), 1u);
  const GoalData* goal = info.FindGoal("Big");
  ASSERT_NE(goal, nullptr);
  EXPECT_EQ(goal->kindName, "BIGSET");
  EXPECT_EQ(goal->quality, 6);
  EXPECT_EQ(goal->colourName, "");

  ASSERT_EQ(info.LevelCount(), 1u);
  const LevelData* level = info.FindLevel("one");
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->layout, "a.lua");
  EXPECT_EQ(level->colourWeights[0], 5);
  EXPECT_EQ(level->colourWeights[23], 7);
  EXPECT_EQ(level->kindWeights[kKindZen], 3);
  EXPECT_EQ(level->kindWeights[kKindStone], 2);
  EXPECT_EQ(level->border, "wall");
  EXPECT_EQ(level->music, "main");
  EXPECT_FLOAT_EQ(level->genSpeed, 0.5f);
  EXPECT_EQ(info.FindLevel("nameless"), nullptr);
}

TEST_F(LevelTableTest, BrokenFilesLeaveTheTablesEmpty) {
  testenv::WriteFile("bad.lua", "Levels = {{ LevelName = 'x' ");
  LevelInfo& info = LevelInfo::Instance();
  LogCapture log;
  info.LoadGoals("missing.lua");
  info.LoadLevels("bad.lua");
  EXPECT_EQ(info.GoalCount(), 0u);
  EXPECT_EQ(info.LevelCount(), 0u);

  // Each error line names its reader as its source.
  KivScore::Instance().SetValue(0, 7);
  KivScore::Instance().LoadFrom("bad.lua");
  EXPECT_EQ(KivScore::Instance().GetValue(0), 7);
  struct Case {
    const char* source;
    const char* text;
  };
  for (const Case& c : {Case{"kiv_leveldata(", "Unable to load goal data from file missing.lua!"},
                        Case{"kiv_leveldata(", "Unable to load Level data from file bad.lua!"},
                        Case{"kiv_score(", "Unable to score data from file bad.lua!"}}) {
    const std::string line = log.Find(c.text);
    EXPECT_NE(line.find(c.source), std::string::npos) << c.text << ": " << line;
    EXPECT_NE(line.find("MSG_ERROR"), std::string::npos) << line;
  }
}

TEST_F(LevelTableTest, ScoreTablesOfFiveRowsAndOfOneRow) {
  KivScore& score = KivScore::Instance();
  testenv::WriteFile("five.lua",
                     "KIV_SCORE_DATA = { {Score=1}, {Score=2}, {Score=3}, {Score=4}, {Score=5} }");
  score.LoadFrom("five.lua");
  EXPECT_EQ(score.GetValue(0), 1);
  EXPECT_EQ(score.GetValue(1), 2);
  EXPECT_EQ(score.GetValue(2), 3);

  for (int row = 0; row < KivScore::kRows; ++row) score.SetValue(row, 0);
  testenv::WriteFile("one.lua", "KIV_SCORE_DATA = { {Score=9} }");
  score.LoadFrom("one.lua");
  EXPECT_EQ(score.GetValue(0), 9);
  EXPECT_EQ(score.GetValue(1), 0);
  EXPECT_EQ(score.GetValue(2), 0);
}

TEST_F(LevelTableTest, GoalKindsByNameAndGeneratorsByMode) {
  struct Case {
    const char* type;
    int32_t kind;
  };
  for (const Case& c : std::vector<Case>{{"time", KivGoal::kTime},
                                         {"BIGSET", KivGoal::kBigSet},
                                         {"clear_block", KivGoal::kClearBlock},
                                         {"Clear_Set", KivGoal::kClearSet},
                                         {"MOVES", KivGoal::kMoves},
                                         {"CLEAR_ALL", KivGoal::kClearAll},
                                         {"CLEAR_TILE", KivGoal::kClearTile},
                                         {"SOMETHING", KivGoal::kTime},
                                         {"", KivGoal::kTime}}) {
    GoalData data;
    data.kindName = c.type;
    std::unique_ptr<KivGoal> goal(KivGoal::FromName(&data, nullptr));
    ASSERT_NE(goal, nullptr) << c.type;
    EXPECT_EQ(goal->kind, c.kind) << c.type;
    EXPECT_EQ(goal->colour, KivGoal::kAnyColour) << c.type;
  }
  EXPECT_EQ(KivGoal::FromName(nullptr, nullptr), nullptr);

  std::unique_ptr<BlockGenerator> automatic(LevelInfo::GetGenMode("auto", nullptr, 0.5f));
  ASSERT_NE(automatic, nullptr);
  EXPECT_FALSE(automatic->IsPuzzle());
  EXPECT_FLOAT_EQ(automatic->timer.remaining, 0.5f);
  std::unique_ptr<BlockGenerator> puzzle(LevelInfo::GetGenMode("Puzzle", nullptr, 0.0f));
  ASSERT_NE(puzzle, nullptr);
  EXPECT_TRUE(puzzle->IsPuzzle());
  EXPECT_EQ(LevelInfo::GetGenMode("", nullptr, 1.0f), nullptr);
  EXPECT_EQ(LevelInfo::GetGenMode("random", nullptr, 1.0f), nullptr);
}

// --- Goals on a board ---

// A board loaded with a level record whose goals come from the test's goal table.
class GoalTest : public BoardTest {
 protected:
  void TearDown() override {
    LevelInfo::Shutdown();
    BoardTest::TearDown();
  }
  void LoadLevel(const std::string& goals, const std::string& level, const std::string& well) {
    testenv::WriteFile("goals.lua", "Goals = {\n" + goals + "}\n");
    testenv::WriteFile("levels.lua", "Levels = {\n" + level + "}\n");
    LevelInfo::Instance().LoadGoals("goals.lua");
    LevelInfo::Instance().LoadLevels("levels.lua");
    const LevelData* data = LevelInfo::Instance().FindLevel("test");
    ASSERT_NE(data, nullptr);
    testenv::WriteFile("level.lua", well);
    board_ = std::make_unique<KivWell>(nullptr, *timer_);
    board_->Load("level.lua", data);
  }
};

TEST_F(GoalTest, TimeWarningsAtThirtyTwentyTenAndEachSecondBelow) {
  LoadLevel("{ GoalName = 'clock', Type = 'TIME', Count = 60 },",
            "{ LevelName = 'test', Layout = 'level.lua', Failure = 'clock', flower_1 = 1 },",
            WellFile(1));
  KivGoal* clock = board_->GetFailGoal();
  ASSERT_NE(clock, nullptr);
  std::vector<int> warned;
  for (int step = 0; step <= 60 * 4; ++step) {
    ClearSounds();
    clock->AddProgress(0.25f);
    if (Played("time_warning") > 0) warned.push_back(static_cast<int>(std::trunc(60.0f - clock->progress)));
  }
  const std::vector<int> expected = {30, 20, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
  EXPECT_EQ(warned, expected);
  EXPECT_TRUE(clock->IsMet());
}

TEST_F(GoalTest, AClockBeyondTheIntegerRangeTicksWithoutWarningOrOverflow) {
  LoadLevel("{ GoalName = 'clock', Type = 'TIME', Count = 1e40 },",
            "{ LevelName = 'test', Layout = 'level.lua', Failure = 'clock', flower_1 = 1 },",
            WellFile(1));
  KivGoal* clock = board_->GetFailGoal();
  ASSERT_NE(clock, nullptr);
  ClearSounds();
  clock->AddProgress(0.25f);
  clock->AddProgress(1.0f);
  EXPECT_EQ(Played("time_warning"), 0u);
  EXPECT_FALSE(clock->IsMet());
  EXPECT_GT(board_->RemainingFailValue(), 2000000000);
}

TEST_F(GoalTest, ATimeGoalOfNoTimeShowsAFullBarAndNoTimeLeft) {
  KivTimeGoal goal(nullptr, nullptr);
  EXPECT_FLOAT_EQ(goal.UsedShare(), 1.0f);
  EXPECT_EQ(goal.RemainingPercent(), 0);
  EXPECT_FLOAT_EQ(KivGameHud::ZenBarValue(5, 0), 1.0f);
  EXPECT_FLOAT_EQ(KivGameHud::ZenBarValue(25, 100), 0.75f);
  EXPECT_FLOAT_EQ(KivGameHud::ZenBarValue(300, 100), 0.0f);
}

TEST_F(GoalTest, TheChainValueGrowsWithTheChainUpToDoubleSize) {
  EXPECT_FLOAT_EQ(KivGameHud::ChainScale(3), 1.0f);
  EXPECT_FLOAT_EQ(KivGameHud::ChainScale(13), 1.5f);
  EXPECT_FLOAT_EQ(KivGameHud::ChainScale(23), 2.0f);
  EXPECT_FLOAT_EQ(KivGameHud::ChainScale(40), 2.0f);
  EXPECT_LT(KivGameHud::ChainScale(2), 1.0f);
}

TEST_F(GoalTest, ChainsCountTowardsTheGoalsByLengthAndColour) {
  LoadLevel("{ GoalName = 'big', Type = 'BIGSET', Count = 2, Quality = 3, Color = '' },\n"
            "{ GoalName = 'red', Type = 'CLEAR_BLOCK', Count = 100, Color = 'red' },\n"
            "{ GoalName = 'sets', Type = 'CLEAR_SET', Count = 100 },\n",
            "{ LevelName = 'test', Layout = 'level.lua', Goal1 = 'big', Goal2 = 'red', Goal3 = 'sets',\n"
            "  flower_1 = 1, flower_2 = 1 },",
            WellFile(1));
  const int32_t red = well::FindColor("red");
  // Four blue flowers (longer than 3), then three red, then four red.
  for (int x = 0; x < 4; ++x) Put("flower", x, 0, 3);
  Drag({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  for (int x = 0; x < 3; ++x) Put("flower", x, 2, red);
  Drag({{0, 2}, {1, 2}, {2, 2}});
  EXPECT_EQ(board_->GetGoal(0)->counter, 1);
  EXPECT_EQ(board_->GetGoal(1)->counter, 3);
  EXPECT_EQ(board_->GetGoal(2)->counter, 2);
  EXPECT_FALSE(board_->HasWon());

  board_->ReportChain(4, red);
  EXPECT_EQ(board_->GetGoal(0)->counter, 2);
  EXPECT_EQ(board_->GetGoal(1)->counter, 7);
  EXPECT_TRUE(board_->GetGoal(0)->IsMet());
}

TEST_F(GoalTest, AllGoalsMetWinsAndTheFailGoalLoses) {
  LoadLevel("{ GoalName = 'tiles', Type = 'CLEAR_TILE' },\n"
            "{ GoalName = 'clock', Type = 'TIME', Count = 2 },\n",
            "{ LevelName = 'test', Layout = 'level.lua', Goal1 = 'tiles', Failure = 'clock', flower_1 = 1 },",
            WellFile(1));
  Frame();
  ASSERT_NE(board_->GetOverlay(), nullptr);
  EXPECT_TRUE(board_->HasWon());
}

TEST_F(GoalTest, TheClockRunsOutUnlessInFreePlay) {
  const std::string goals = "{ GoalName = 'tiles', Type = 'CLEAR_TILE' },\n"
                            "{ GoalName = 'clock', Type = 'TIME', Count = 1 },\n";
  const std::string level =
      "{ LevelName = 'test', Layout = 'level.lua', Goal1 = 'tiles', Failure = 'clock', flower_1 = 1 },";
  KivVars::Instance().SetFreeplay(true);
  LoadLevel(goals, level, WellFile(2));
  Frames(100);
  EXPECT_EQ(board_->GetOverlay(), nullptr);
  EXPECT_FLOAT_EQ(board_->GetFailGoal()->progress, 0.0f);

  KivVars::Instance().SetFreeplay(false);
  LevelInfo::Shutdown();
  LoadLevel(goals, level, WellFile(2));
  Frames(100);
  ASSERT_NE(board_->GetOverlay(), nullptr);
  EXPECT_FALSE(board_->HasWon());
}

TEST_F(GoalTest, TheAutomaticGeneratorFillsTheTiledCellsWithFlowersOfTheLevel) {
  LoadLevel("", "{ LevelName = 'test', Layout = 'level.lua', flower_3 = 5, GenMode = 'AUTO', GenSpeed = 0 },",
            WellFile(1));
  ASSERT_NE(board_->GetGenerator(), nullptr);
  Frames(3);
  board_->RebuildCells();
  for (const auto& [x, y] : board_->GetTileList()) {
    const KivBlock* block = board_->GetKivBlock(x, y);
    ASSERT_NE(block, nullptr) << x << "," << y;
    EXPECT_EQ(block->kind, kKindFlower);
    EXPECT_EQ(block->color, 2);
  }
}

TEST_F(GoalTest, APuzzleKeepsTheFlowersOfItsFileAndAnAutomaticLevelDropsThem) {
  const std::string blocks = "{ Type = 'flower', Color = 'flower_1', X = 1, Y = 1, Width = 1, Height = 1 },\n"
                             "{ Type = 'hcut', Color = 'any', X = 2, Y = 1, Width = 1, Height = 1 },\n";
  LoadLevel("", "{ LevelName = 'test', Layout = 'level.lua', flower_1 = 1, GenMode = 'PUZZLE' },",
            WellFile(1, blocks));
  EXPECT_NE(board_->GetKivBlock(1, 1), nullptr);
  EXPECT_NE(board_->GetKivBlock(2, 1), nullptr);
  LevelInfo::Shutdown();
  LoadLevel("", "{ LevelName = 'test', Layout = 'level.lua', flower_1 = 1, GenMode = 'AUTO', GenSpeed = 9 },",
            WellFile(1, blocks));
  EXPECT_EQ(board_->GetKivBlock(1, 1), nullptr);
  EXPECT_NE(board_->GetKivBlock(2, 1), nullptr);
}

// --- The heroine's outfit ---

class OutfitTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    KivDresses::Destroy();
  }
};

TEST_F(OutfitTest, TheWornPiecesRaiseTheWeightsOfTheColoursAndKindsTheyNameWhenALevelLoads) {
  testenv::WriteFile(KivDresses::kItemsFile,
                     "Clothes = {\n"
                     "  { SpriteName = 'bow', Stat1 = 'Red', Prob1 = 50, Stat2 = 'gem', Prob2 = 200 },\n"
                     "  { SpriteName = 'coat', Stat1 = 'fireball', Prob1 = 30, Stat2 = 'blue', Prob2 = 25 },\n"
                     "  { SpriteName = 'boots', Stat1 = 'stone', Prob1 = 40 },\n"
                     "}\n");
  testenv::WriteFile(KivHana::kSetupFile,
                     "Character = {\n"
                     "  { Name = 'hair', Parts = { 'bow' } },\n"
                     "  { Name = 'dress', Parts = { 'coat' } },\n"
                     "  { Name = 'skirt', Parts = { 'plain', 'boots' } },\n"
                     "}\n");
  LevelData level;
  level.colourWeights.fill(1);
  level.kindWeights.fill(1);
  testenv::WriteFile("level.lua", WellFile(1));
  board_ = std::make_unique<KivWell>(nullptr, *timer_);
  board_->Load("level.lua", &level);
  const float red = board_->GetColourWeights().GetWeight(static_cast<uint32_t>(well::FindColor("red")));
  const float blue = board_->GetColourWeights().GetWeight(static_cast<uint32_t>(well::FindColor("blue")));
  const float green = board_->GetColourWeights().GetWeight(static_cast<uint32_t>(well::FindColor("green")));
  EXPECT_FLOAT_EQ(red, 1.5f);
  EXPECT_FLOAT_EQ(blue, 1.25f);
  EXPECT_FLOAT_EQ(green, 1.0f);
  EXPECT_FLOAT_EQ(board_->GetKindWeights().GetWeight(static_cast<uint32_t>(KivBlock::TypeIndex("gem"))), 3.0f);
  // The skirt shows its first piece: the boots' stone is not worn.
  EXPECT_FLOAT_EQ(board_->GetKindWeights().GetWeight(static_cast<uint32_t>(KivBlock::TypeIndex("stone"))), 1.0f);
}

// --- Colours, hints, no moves, reshuffle ---

class GenerationTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    LoadBoard(WellFile(1));
  }
  void OnlyColours(const std::vector<int>& colours) {
    for (int c = 0; c < kFlowerColors; ++c) board_->GetColourWeights().SetWeight(static_cast<uint32_t>(c), 0.0f);
    for (int c : colours) board_->GetColourWeights().SetWeight(static_cast<uint32_t>(c), 1.0f);
  }
};

TEST_F(GenerationTest, ANewFlowerTakesTheColourOfOneOfItsDiagonalNeighbours) {
  Put("flower", 4, 4, 3);
  Put("flower", 6, 6, 7);
  Put("flower", 6, 4, 9);  // a colour the level does not deal: no weight, no say
  OnlyColours({3, 7, 11, 12, 13});
  std::set<int32_t> seen;
  for (int i = 0; i < 200; ++i) seen.insert(board_->ChooseColour(5, 5));
  EXPECT_EQ(seen, (std::set<int32_t>{3, 7}));
}

TEST_F(GenerationTest, OneColouredNeighbourGivesAPlainDrawAndOneWeightedColourEnds) {
  Put("flower", 4, 4, 3);
  OnlyColours({3, 5});
  std::set<int32_t> seen;
  for (int i = 0; i < 200; ++i) seen.insert(board_->ChooseColour(5, 5));
  EXPECT_EQ(seen, (std::set<int32_t>{3, 5}));

  // The cell's own colour is the only one with weight: the redraws give up.
  OnlyColours({4});
  board_->GetBlockInfo(5, 5)->colour = 4;
  EXPECT_EQ(board_->ChooseColour(5, 5), 4);
}

TEST_F(GenerationTest, AHintShakesTheFirstThreeToAllBlocksOfOneGreedyPath) {
  // One row of six green flowers and nothing else that can chain.
  for (int x = 2; x < 8; ++x) Put("flower", x, 5, 1);
  std::set<size_t> lengths;
  for (int i = 0; i < 60; ++i) {
    ASSERT_TRUE(board_->FindHint(false));
    const auto& hint = board_->GetLastHint();
    lengths.insert(hint.size());
    int32_t x0 = 0;
    int32_t y0 = 0;
    hint.front()->GetCell(x0, y0);
    for (size_t k = 1; k < hint.size(); ++k) {
      int32_t x = 0;
      int32_t y = 0;
      hint[k]->GetCell(x, y);
      // A path never steps back over itself: neighbours each, all different.
      EXPECT_EQ(y, 5);
      int32_t px = 0;
      int32_t py = 0;
      hint[k - 1]->GetCell(px, py);
      EXPECT_EQ(std::abs(x - px), 1);
    }
  }
  EXPECT_EQ(*lengths.begin(), 3u);
  EXPECT_GT(*lengths.rbegin(), 3u);
  EXPECT_LE(*lengths.rbegin(), 6u);
  EXPECT_TRUE(board_->IsSoundRequested(KivWell::kSoundJingle));
}

TEST_F(GenerationTest, WithFewTilesLeftTheHintPrefersAPathOverATileAndShowsItWhole) {
  for (int x = 2; x < 8; ++x) Put("flower", x, 2, 1);
  for (int x = 2; x < 7; ++x) Put("flower", x, 8, 2);
  board_->SetTileValue(6, 8, 2);
  board_->CountTiles();
  ASSERT_EQ(board_->GetUnturnedTiles(), 1);
  for (int i = 0; i < 30; ++i) {
    ASSERT_TRUE(board_->FindHint(false));
    const auto& hint = board_->GetLastHint();
    bool coversTile = false;
    for (const KivBlock* block : hint) {
      EXPECT_EQ(block->color, 2);
      int32_t x = 0;
      int32_t y = 0;
      block->GetCell(x, y);
      coversTile = coversTile || board_->GetTileValue(x, y) > 1;
    }
    EXPECT_TRUE(coversTile);
  }
}

TEST_F(GenerationTest, FrozenFlowersAloneMeanNoMoves) {
  for (int x = 2; x < 6; ++x) Put("frozenflower", x, 3, 1);
  EXPECT_TRUE(board_->NoMovesLeft());
  EXPECT_FALSE(board_->FindHint(true));
  Put("flower", 2, 4, 1);
  Put("flower", 3, 4, 1);
  Put("flower", 4, 4, 1);
  EXPECT_FALSE(board_->NoMovesLeft());
}

TEST_F(GenerationTest, NoChainAndNoRefillWhileAReshuffleRuns) {
  for (int x = 0; x < 5; ++x) Put("flower", x, 0, 1);
  Put("hcut", 6, 0);
  Hold({{0, 0}, {1, 0}});
  board_->Reshuffle();
  EXPECT_TRUE(board_->GetChain().empty());
  EXPECT_EQ(board_->GetHovered(), nullptr);
  EXPECT_TRUE(board_->IsReshuffling());
  EXPECT_EQ(board_->GetKivBlock(0, 0), nullptr);
  EXPECT_NE(board_->GetKivBlock(6, 0), nullptr);  // only flowers fall

  const int32_t blocks = board_->GetBlockCount();
  SetPointer(Centre(2, 0), true);
  board_->MouseButtonPressed(0, Centre(2, 0));
  Frames(5);
  EXPECT_EQ(board_->GetBlockCount(), blocks);
  EXPECT_LE(board_->GetChain().size(), 1u);
  SetPointer(Centre(2, 0), false);
  board_->MouseButtonReleased(0, Centre(2, 0));
  for (int i = 0; i < 500 && board_->IsReshuffling(); ++i) Frame();
  EXPECT_FALSE(board_->IsReshuffling());
}

TEST_F(GenerationTest, ARefillAfterAReshuffleGivesUpAfterFiftyPasses) {
  // Two tiled cells only: no chain of three can ever be made.
  LoadBoard("GameMode = {}\nTiles = { 2, 2 }\nBlocks = {}\n");
  board_->RebuildTileList();
  board_->Reshuffle();
  board_->Refill();
  EXPECT_EQ(board_->GetRefillPasses(), KivWell::kMaxRecolourPasses);
  EXPECT_FALSE(board_->WasReshuffled());
  EXPECT_EQ(board_->GetBlockCount() + board_->GetPendingCount(), 2);
}

}  // namespace
}  // namespace boardtest
