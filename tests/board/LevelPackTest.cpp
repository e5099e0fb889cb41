// The game's own levels, as shipped in data/: every level of scripts/levels.lua names goals
// that exist, a board file that loads, a slot and a theme the game knows, and a player who
// scans the board for chains (the tests' level player) wins each one, seeded, before its
// clock or its move limit runs out; in free play as well as in the story.

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/Random.h"
#include "engine/core/Script.h"
#include "game/board/KivGameState.h"
#include "game/board/KivGoal.h"
#include "game/board/KivScore.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivVars.h"
#include "game/shell/Music.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/board/LevelPlayer.h"
#include "tests/support/TestEnv.h"

namespace boardtest {
namespace {

const std::string kData = std::string(PELLAVO_SOURCE_DIR) + "/data/";

// A level row with the fields the game's scripts read beside the level table's own.
struct PackLevel {
  std::string name;
  std::string layout;
  int index = 0;
  int region = 0;
  std::array<int, 6> spells{};
};

struct Outcome {
  bool won = false;
  bool lost = false;
  int moves = 0;
  float seconds = 0.0f;
};

class LevelPackTest : public BoardTest {
 protected:
  static constexpr float kFrame = 1.0f / 60.0f;

  void SetUp() override {
    BoardTest::SetUp();
    // The heroine's clothes too: what she wears adds to the weights of colours and kinds.
    for (const char* file : {"scripts/levels.lua", "scripts/goals.lua", "scripts/score.lua", "scripts/constants.lua",
                             KivDresses::kItemsFile, KivHana::kSetupFile}) {
      Ship(file);
    }
    KivDresses::Destroy();
    KivVars::Instance().LoadConstants();
    LevelInfo::Instance().LoadGoals(LevelInfo::kGoalsFile);
    LevelInfo::Instance().LoadLevels(LevelInfo::kLevelsFile);
    KivScore::Instance().Load();
    levels_ = ReadLevels();
    for (const PackLevel& level : levels_) Ship(level.layout);
    // With no moves left the board asks the level state to pause and to prompt; here the
    // prompt is counted and the test reshuffles, as the prompt's answer would.
    Run("NoMovesPrompts = 0\n"
        "local game = { Pause = function() end }\n"
        "function GetGame() return game end\n"
        "function CreatePrompt(key, script) NoMovesPrompts = NoMovesPrompts + 1 end");
  }

  void TearDown() override {
    Run("GetGame = nil CreatePrompt = nil");
    KivVars::Instance().SetFreeplay(false);
    LevelInfo::Shutdown();
    BoardTest::TearDown();
  }

  // Copies a file of the game's data into the test's working folder.
  static void Ship(const std::string& name) {
    const std::string text = testenv::ReadFile(kData + name);
    ASSERT_FALSE(text.empty()) << name;
    ASSERT_TRUE(testenv::WriteFile(name, text));
  }

  static std::vector<PackLevel> ReadLevels() {
    std::vector<PackLevel> levels;
    LuaState* state = script::CreateLuaState();
    EXPECT_TRUE(script::LoadScript(state, LevelInfo::kLevelsFile));
    const LuaObject table = script::GetGlobal(state, "Levels");
    for (int i = 1; table.IsTable() && i <= table.GetTableCount(); ++i) {
      const LuaObject row = table.GetByIndex(i);
      PackLevel level;
      level.name = script::GetString(row, "LevelName", "");
      level.layout = script::GetString(row, "Layout", "");
      level.index = script::GetInt(row, "Index", 0);
      level.region = script::GetInt(row, "Region", -1);
      const LuaObject spells = script::GetField(row, "Spells");
      for (int s = 0; spells.IsTable() && s < 6; ++s) {
        level.spells[s] = static_cast<int>(script::ToFloat(spells.GetByIndex(s + 1), -1.0f));
      }
      levels.push_back(level);
    }
    LuaState::Destroy(state);
    return levels;
  }

  int NoMovesPrompts() { return std::stoi(Global("NoMovesPrompts")); }

  // Plays the level from its start, seeded, until it is won or lost or the frames run out.
  Outcome Play(const PackLevel& level, bool freeplay, int seed, int maxFrames = 60 * 400) {
    num::Random::Instance().Seed(static_cast<uint32_t>(seed));
    num::CSRand(static_cast<uint32_t>(seed));
    KivVars::Instance().SetFreeplay(freeplay);
    board_ = std::make_unique<KivWell>(nullptr, *timer_);
    board_->Load(level.layout, LevelInfo::Instance().FindLevel(level.name));
    for (int s = 0; s < 6; ++s) board_->SetSpellCost(s, level.spells[s]);
    Outcome outcome;
    int prompts = NoMovesPrompts();
    int wait = 30;
    for (int frame = 0; frame < maxFrames && !board_->GetOverlay(); ++frame) {
      Frame(kFrame);
      outcome.seconds += kFrame;
      if (NoMovesPrompts() != prompts) {
        prompts = NoMovesPrompts();
        board_->Reshuffle();
      }
      if (board_->GetOverlay() || board_->IsTransitionRunning() || --wait > 0) continue;
      const std::vector<std::pair<int, int>> chain = FindChain(*board_);
      wait = 20;
      if (chain.empty()) continue;
      Drag(chain);
      outcome.seconds += 0.02f * static_cast<float>(chain.size());
      ++outcome.moves;
    }
    outcome.won = board_->GetOverlay() && board_->HasWon();
    outcome.lost = board_->GetOverlay() && !board_->HasWon();
    return outcome;
  }

  std::vector<PackLevel> levels_;
};

TEST_F(LevelPackTest, EveryLevelHasItsGoalsASlotAThemeAndItsSpells) {
  ASSERT_GE(levels_.size(), 15u);
  EXPECT_EQ(LevelInfo::Instance().LevelCount(), levels_.size()) << "every row has a name of its own";
  std::set<int> indices;
  std::set<std::string> kinds;
  std::set<std::string> failures;
  std::array<bool, 6> spellUsed{};
  for (const PackLevel& level : levels_) {
    SCOPED_TRACE(level.name);
    const LevelData* data = LevelInfo::Instance().FindLevel(level.name);
    ASSERT_NE(data, nullptr);
    // Slots run 1 to the number of levels: the free-play goal and the open-level count
    // look at exactly those slots.
    EXPECT_GE(level.index, 1);
    EXPECT_LE(level.index, static_cast<int>(levels_.size()));
    EXPECT_TRUE(indices.insert(level.index).second) << "Index " << level.index << " twice";
    EXPECT_EQ(KivMusic::ThemeName(KivMusic::ThemeFromName(data->music)), data->music);
    EXPECT_GE(level.region, 0);
    EXPECT_LE(level.region, 3);
    int goals = 0;
    for (const std::string& goal : data->goals) {
      if (goal.empty()) continue;
      const GoalData* row = LevelInfo::Instance().FindGoal(goal);
      ASSERT_NE(row, nullptr) << goal;
      kinds.insert(row->kindName);
      ++goals;
    }
    EXPECT_GT(goals, 0);
    if (level.region > 0) {
      // A story level can be lost: to its clock or to its move limit.
      const GoalData* failure = LevelInfo::Instance().FindGoal(data->failure);
      ASSERT_NE(failure, nullptr);
      EXPECT_TRUE(failure->kindName == "TIME" || failure->kindName == "MOVES") << failure->kindName;
      failures.insert(failure->kindName);
    }
    for (size_t s = 0; s < 6; ++s) {
      EXPECT_GE(level.spells[s], 0);
      spellUsed[s] = spellUsed[s] || level.spells[s] > 0;
    }
    EXPECT_TRUE(data->genMode == "AUTO" || data->genMode == "PUZZLE") << data->genMode;
  }
  EXPECT_EQ(kinds,
            (std::set<std::string>{"TIME", "BIGSET", "CLEAR_BLOCK", "CLEAR_SET", "MOVES", "CLEAR_ALL", "CLEAR_TILE"}));
  EXPECT_EQ(failures, (std::set<std::string>{"TIME", "MOVES"}));
  EXPECT_EQ(spellUsed, (std::array<bool, 6>{true, true, true, true, true, true}));
  EXPECT_EQ(levels_[0].name, "garden");
  EXPECT_EQ(levels_[1].name, "puzzle");
  EXPECT_EQ(levels_[2].name, "bigset");
}

TEST_F(LevelPackTest, AScanningPlayerWinsEveryLevelBeforeItsLimit) {
  // The story's levels are played again in free play, where their clocks stop.
  for (const PackLevel& level : levels_) {
    for (const bool freeplay : {false, true}) {
      if (level.region == 0 && !freeplay) continue;
      SCOPED_TRACE(level.name + (freeplay ? " in free play" : " in the story"));
      const Outcome outcome = Play(level, freeplay, 1000 + level.index);
      EXPECT_TRUE(outcome.won) << "lost " << outcome.lost << " after " << outcome.moves << " moves, "
                               << outcome.seconds << " s";
    }
  }
}

TEST_F(LevelPackTest, TheLevelStateCountsTheProfilesLevelsOverTheLevelTable) {
  Ship("scripts/trophies.lua");
  KivGameState state(nullptr);
  KivVars& vars = KivVars::Instance();
  EXPECT_FALSE(vars.CheckWinFreeplay()) << "a new profile has won nothing in free play";
  for (int slot = 0; slot < 4; ++slot) rms_->SetOpen(slot, 1);
  EXPECT_EQ(vars.GetLevelOpenC(), 4);
  // The first tier of the open-levels trophies comes with the fourth level.
  const KivTrophyData::Record* first = KivTrophyData::Instance().FindByCondition(KivTrophyData::kLevelOpen);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(KivTrophyData::Instance().CheckLevelsOpen(), first->index);
  // A slot beyond the table's levels is not one of them.
  rms_->SetOpen(static_cast<int32_t>(levels_.size()), 1);
  EXPECT_EQ(vars.GetLevelOpenC(), 4);
}

TEST_F(LevelPackTest, WinningTheLastLevelLeftInFreePlayEarnsTheFreePlayTrophy) {
  Ship("scripts/trophies.lua");
  KivGameState state(nullptr);
  KivVars& vars = KivVars::Instance();
  const KivTrophyData::Record* record = KivTrophyData::Instance().FindByCondition(KivTrophyData::kSpecialWinZen);
  ASSERT_NE(record, nullptr);
  const PackLevel& last = levels_.back();
  for (const PackLevel& level : levels_) rms_->SetOpen(level.index - 1, &level == &last ? 1 : 3);
  EXPECT_FALSE(vars.CheckWinFreeplay());

  const Outcome outcome = Play(last, true, 5);
  ASSERT_TRUE(outcome.won);
  for (int frame = 0; frame < 300 && !vars.HasTrophy(record->index); ++frame) Frame(kFrame);
  EXPECT_TRUE(vars.HasTrophy(record->index));
}

TEST_F(LevelPackTest, PlayingTheStoryThroughEarnsTheTrophiesOfPlay) {
  Ship("scripts/trophies.lua");
  KivGameState state(nullptr);
  KivTrophyData& trophies = KivTrophyData::Instance();
  trophies.ProfileChanged();
  KivVars& vars = KivVars::Instance();
  for (const PackLevel& level : levels_) {
    if (level.region == 0) continue;
    SCOPED_TRACE(level.name);
    rms_->SetOpen(level.index - 1, 1);
    trophies.OnNewLevel();
    const Outcome outcome = Play(level, false, 2000 + level.index);
    ASSERT_TRUE(outcome.won) << "lost " << outcome.lost << " after " << outcome.moves << " moves, " << outcome.seconds
                             << " s";
    // The end of the level checks the time left; a trophy it finds shows at once.
    for (int frame = 0; frame < 120; ++frame) Frame(kFrame);
  }
  // Every tier of the kinds a player earns by playing: flowers over the game, blocks in a
  // level, streaks of chains and of levels won with time to spare. (Longer chains, the
  // zen meter, clothes and the special trophies come from the player's choices, the
  // shop and the ends of story and free play.)
  std::set<int> earnable;
  for (const KivTrophyData::Record& record : trophies.Records()) {
    if (record.kind == KivTrophyData::kFlowerGame || record.kind == KivTrophyData::kTokenLevel ||
        record.kind == KivTrophyData::kFlowerSetRow || record.kind == KivTrophyData::kTimeRemaining) {
      earnable.insert(record.index);
    }
  }
  EXPECT_EQ(earnable.size(), 9u);
  for (const int index : earnable) EXPECT_TRUE(vars.HasTrophy(index)) << "trophy " << index;
}

}  // namespace
}  // namespace boardtest
