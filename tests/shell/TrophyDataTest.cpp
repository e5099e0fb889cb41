// The trophy table and its check, on a profile store in a temporary folder: one table of
// trophy files and the moves, zen meters, won levels and open levels fed to them, then the
// loading rules (Index range, a missing file) and the script class.

#include "game/shell/KivTrophyData.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/app/GameRMS.h"
#include "engine/core/Console.h"
#include "game/shell/KivVars.h"
#include "game/shell/Shell.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

// Each case appends its results one statement at a time: the operands of a chain of "+"
// may be evaluated in any order.

// One row of KIV_TROPHIES.
std::string Row(int index, const char* condition, int value1, int value2 = 0) {
  return "  { Index = " + std::to_string(index) + ", Name = 'T" + std::to_string(index) +
         "', Condition = '" + condition + "', Value1 = " + std::to_string(value1) +
         ", Value2 = " + std::to_string(value2) + ", Description_Text = 'D" +
         std::to_string(index) + "' },\n";
}

class TrophyDataTest : public ::testing::Test {
 public:  // the table's cases reach the fixture
  void SetUp() override {
    dir_ = testenv::MakeTempDir("trophies");
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    ASSERT_EQ(mkdir("scripts", 0755), 0);
    rms_ = std::make_unique<GameRMS>(dir_ + "/kx_test.rms");
    rms_->Load();
    ASSERT_TRUE(rms_->AddProfile("Anna", "", "oslo"));
    KivVars& vars = KivVars::Instance();
    vars.store = rms_.get();
    vars.levelCount = [] { return 10; };
  }
  void TearDown() override {
    KivVars::Instance().store = nullptr;
    KivVars::Instance().levelCount = nullptr;
    ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0);
  }

  // A table of the rows loaded into the object.
  void Load(const std::string& rows) {
    ASSERT_TRUE(testenv::WriteFile("scripts/t.lua", "KIV_TROPHIES = {\n" + rows + "}\n"));
    ASSERT_TRUE(data.Load("scripts/t.lua"));
  }
  // What a caller does with an earned trophy: store it.
  std::string Keep(int32_t earned) {
    if (earned) KivVars::Instance().AddTrophy(earned);
    return std::to_string(earned);
  }
  GameRMS::ProfileRecord& Profile() { return *rms_->GetCurrentProfileRecord(); }

  KivTrophyData data;
  std::string dir_;
  std::unique_ptr<GameRMS> rms_;
};

TEST_F(TrophyDataTest, TheCheckEarnsAtMostOneTrophyFromTheCountersItIsFed) {
  struct Case {
    const char* what;
    std::string rows;
    std::function<std::string(TrophyDataTest&, KivTrophyData&)> run;
    std::string expected;
  };
  const Case cases[] = {
      {"tiers 10 and 20: a move of 25 earns the first, the next such move the second",
       Row(1, "token_set", 10) + Row(2, "token_set", 20),
       [](TrophyDataTest& t, KivTrophyData& d) {
         std::string s = t.Keep(d.OnMoveResolved(25, 0));
         s += " " + t.Keep(d.OnMoveResolved(19, 0));
         s += " " + t.Keep(d.OnMoveResolved(25, 0));
         return s + " " + t.Keep(d.OnMoveResolved(25, 0));
       },
       "1 0 2 0"},
      {"an earned trophy not stored is earned again and keeps hiding its next tier",
       Row(1, "token_set", 10) + Row(2, "token_set", 20),
       [](TrophyDataTest&, KivTrophyData& d) {
         const std::string first = std::to_string(d.OnMoveResolved(25, 0));
         return first + " " + std::to_string(d.OnMoveResolved(25, 0));
       },
       "1 1"},
      {"tiers parted by another kind are tested apart",
       Row(1, "token_set", 10) + Row(2, "token_level", 100) + Row(3, "token_set", 20),
       [](TrophyDataTest& t, KivTrophyData& d) {
         std::string s = t.Keep(d.OnMoveResolved(25, 0));
         s += " " + t.Keep(d.OnMoveResolved(25, 0));
         return s + " " + t.Keep(d.OnMoveResolved(60, 0));
       },
       "1 3 2"},
      {"flower streak of 2 moves of 4: reset by 3, untouched by 0",
       Row(1, "flower_set_row", 2, 4),
       [](TrophyDataTest& t, KivTrophyData& d) {
         std::string s = t.Keep(d.OnMoveResolved(5, 4));         // streak 1
         s += " " + t.Keep(d.OnMoveResolved(5, 3));              // reset
         s += " " + t.Keep(d.OnMoveResolved(5, 4));              // 1
         s += " " + t.Keep(d.OnMoveResolved(5, 0));              // still 1
         s += " " + std::to_string(d.flowerStreak);
         s += " " + t.Keep(d.OnMoveResolved(5, 4));
         return s + " " + std::to_string(d.flowerStreak);
       },
       "0 0 0 0 1 1 0"},
      {"a move's flowers add up in variable 14; flower_game counts them",
       Row(1, "flower_game", 10),
       [](TrophyDataTest& t, KivTrophyData& d) {
         std::string s = t.Keep(d.OnMoveResolved(3, 6));
         s += " " + t.Keep(d.OnMoveResolved(3, 4));
         return s + " " + std::to_string(KivVars::Instance().GetValue(KivVars::kFlowersCleared));
       },
       "0 1 10"},
      {"CheckTimeRemaining never earns token_set or flower_set_row",
       Row(1, "token_set", 10) + Row(2, "flower_set_row", 1, 1) + Row(3, "time_remaining", 2, 50),
       [](TrophyDataTest& t, KivTrophyData& d) {
         d.tokenSetCount = 30;
         d.flowerSetRowCount = 10;
         std::string s = t.Keep(d.CheckTimeRemaining(60));
         s += " " + t.Keep(d.CheckTimeRemaining(40));  // breaks the streak
         s += " " + t.Keep(d.CheckTimeRemaining(50));
         return s + " " + t.Keep(d.CheckTimeRemaining(99));
       },
       "0 0 0 3"},
      {"the time streak outlives a new level but not a new game",
       Row(1, "time_remaining", 2, 50),
       [](TrophyDataTest& t, KivTrophyData& d) {
         std::string s = t.Keep(d.CheckTimeRemaining(80));
         d.OnNewLevel();
         s += " " + t.Keep(d.CheckTimeRemaining(80));
         KivVars::Instance().ResetTrophies();
         s += " " + t.Keep(d.CheckTimeRemaining(80));
         d.OnNewGame();
         return s + " " + t.Keep(d.CheckTimeRemaining(80));
       },
       "0 1 0 0"},
      {"level_open and zen_full of Value1 0 are never earned at count 0",
       Row(1, "level_open", 0) + Row(2, "zen_full", 0),
       [](TrophyDataTest& t, KivTrophyData& d) {
         std::string s = t.Keep(d.CheckLevelsOpen());
         s += " " + t.Keep(d.CheckConditions());
         t.Profile().levels[3].state = KivVars::kLevelOpen;
         t.Profile().levels[11].state = KivVars::kLevelOpen;  // beyond the level table
         s += " " + t.Keep(d.CheckLevelsOpen());
         s += " " + std::to_string(d.levelOpenCount);
         s += " " + t.Keep(d.OnZenMeterFilled());
         return s + " " + std::to_string(KivVars::Instance().GetValue(KivVars::kZenMetersFilled));
       },
       "0 0 1 1 2 1"},
      {"an unknown Condition and the special kinds are never earned",
       Row(1, "sparkle", 0) + Row(2, "special_alltrophies", 0) + Row(3, "none", 0) +
           Row(4, "fashion", 0) + Row(5, "special_winzen", 0),
       [](TrophyDataTest& t, KivTrophyData& d) {
         const KivTrophyData::Record* unknown = d.FindByIndex(1);
         std::string s = t.Keep(d.OnMoveResolved(50, 50));
         s += " " + t.Keep(d.CheckLevelsOpen());
         return s + " " + std::to_string(unknown ? unknown->kind : -1);
       },
       "0 0 12"},
      {"OnNewFashion (0, n), (n, 0), and owned records skipped",
       Row(5, "fashion", 0) + Row(6, "fashion", 50),
       [](TrophyDataTest& t, KivTrophyData& d) {
         std::string s = std::to_string(d.OnNewFashion(0, 10));
         s += " " + std::to_string(d.OnNewFashion(7, 0));
         KivVars::Instance().AddTrophy(5);
         s += " " + std::to_string(d.OnNewFashion(4, 10));
         s += " " + std::to_string(d.OnNewFashion(5, 10));
         s += " " + std::to_string(d.OnNewFashion(7, 0));
         return s + " " + std::to_string(d.OnNewFashion(-3, -1));
       },
       "5 5 0 6 0 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KivVars::Instance().ResetTrophies();
    KivVars::Instance().SetValue(KivVars::kFlowersCleared, 0);
    KivVars::Instance().SetValue(KivVars::kZenMetersFilled, 0);
    for (GameRMS::LevelRecord& level : Profile().levels) level.state = 0;
    Load(c.rows);
    data.ProfileChanged();
    EXPECT_EQ(c.run(*this, data), c.expected);
  }
}

TEST_F(TrophyDataTest, RecordsOutsideTheProfilesSlotsAreLeftOutAndAMissingFileKeepsTheTable) {
  {
    LogCapture log;
    Load(Row(0, "token_set", 0) + Row(1001, "token_set", 0) + "  'not a row',\n" +
         Row(3, "Token_Set", 0) + "  { Index = 4 },\n");
    EXPECT_EQ(log.Count("has Index 0 outside 1 to 1000"), 1u) << log.All();
    EXPECT_EQ(log.Count("has Index 1001 outside 1 to 1000"), 1u) << log.All();
  }
  ASSERT_EQ(data.GetAllTrophyC(), 2);
  const KivTrophyData::Record* defaults = data.FindByIndex(4);
  ASSERT_NE(defaults, nullptr);
  EXPECT_EQ(defaults->name, "");
  EXPECT_EQ(defaults->kind, KivTrophyData::kUnknown);
  // Every move earned the record of Index 1001 before; now the one after it is reached.
  EXPECT_EQ(data.OnMoveResolved(1, 0), 3);
  EXPECT_EQ(data.FindByCondition(KivTrophyData::kTokenSet), data.FindByIndex(3));
  EXPECT_EQ(data.FindByCondition(KivTrophyData::kTokenSet, data.FindByIndex(3)), nullptr);

  LogCapture log;
  EXPECT_FALSE(data.Load(KivTrophyData::kTrophyFile));
  EXPECT_EQ(log.Count("Unable to load Trophy data from file scripts/trophies.lua!"), 1u) << log.All();
  EXPECT_EQ(data.GetAllTrophyC(), 2);
  // A file without the table keeps the records as well.
  ASSERT_TRUE(testenv::WriteFile("scripts/empty.lua", "x = 1\n"));
  EXPECT_TRUE(data.Load("scripts/empty.lua"));
  EXPECT_EQ(data.GetAllTrophyC(), 2);
}

TEST_F(TrophyDataTest, ScriptsResetTheCountersThroughTheClass) {
  console::Console& console = console::GetConsole();
  ASSERT_TRUE(testenv::WriteFile("scripts/console.lua", "Console = {}\n"));
  console.Init("scripts/console.lua");
  ASSERT_TRUE(RegisterShellScripts(console.GetState()));
  ASSERT_TRUE(testenv::WriteFile("scripts/t.lua", "KIV_TROPHIES = {\n" + Row(1, "zen_full", 1) + "}\n"));
  KivTrophyData& shared = KivTrophyData::Instance();
  ASSERT_TRUE(shared.Load("scripts/t.lua"));
  KivVars::Instance().SetValue(KivVars::kZenMetersFilled, 4);
  shared.tokenLevelCount = 9;
  shared.timeStreak = 2;
  console.Do("local d = GetTrophyData(); count = d:GetAllTrophyC(); level = d:OnNewLevel(); "
             "d:ProfileChanged(); share = d:OnNewFashion(1, 0)");
  LuaState* state = console.GetState();
  EXPECT_EQ(state->GetGlobal("count").GetInteger(), 1);
  EXPECT_EQ(state->GetGlobal("level").GetInteger(), 0);
  EXPECT_EQ(state->GetGlobal("share").GetInteger(), 0);
  EXPECT_EQ(shared.tokenLevelCount, 0);
  EXPECT_EQ(shared.timeStreak, 0);
  EXPECT_EQ(shared.zenFullCount, 4);
  shared.Shutdown();
  console.Shutdown();
}

}  // namespace
