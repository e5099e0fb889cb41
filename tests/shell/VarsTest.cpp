// The game variables on a profile store in a temporary folder and a clock the test sets:
// the rules for coins, clothes, constants, totals and trophies, what happens without a
// profile, the constants and developer files, and the script class.

#include "game/shell/KivVars.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "engine/app/GameRMS.h"
#include "game/shell/Shell.h"
#include "platform/luaplus/LuaState.h"
#include "engine/core/Script.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

constexpr int64_t kNow = 1700000000;
constexpr int32_t kLargest = std::numeric_limits<int32_t>::max();

std::string Bool(bool value) { return value ? "true" : "false"; }

// Each test runs in a folder of its own, where the constants and developer files it
// writes are read by their relative names; the store holds the profile "Anna".
class VarsTest : public ::testing::Test {
 public:  // the table's cases reach the fixture
  void SetUp() override {
    dir_ = testenv::MakeTempDir("vars");
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    ASSERT_EQ(mkdir("scripts", 0755), 0);
    rms_ = std::make_unique<GameRMS>(dir_ + "/kx_test.rms");
    rms_->Load();
    ASSERT_TRUE(rms_->AddProfile("Anna", "", "oslo"));
    vars_ = MakeVars();
  }
  void TearDown() override { ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0); }

  std::unique_ptr<KivVars> MakeVars() {
    auto vars = std::make_unique<KivVars>();
    vars->store = rms_.get();
    vars->clock = [this] { return now_; };
    return vars;
  }
  GameRMS::ProfileRecord& Profile() { return *rms_->GetCurrentProfileRecord(); }
  void SetLevel(int32_t level, uint32_t state, uint32_t score) {
    Profile().levels[level].state = state;
    Profile().levels[level].score = score;
  }

  std::string dir_;
  int64_t now_ = kNow;
  std::unique_ptr<GameRMS> rms_;
  std::unique_ptr<KivVars> vars_;
};

TEST_F(VarsTest, TheRulesOfCoinsClothesConstantsTotalsAndTrophies) {
  struct Case {
    const char* what;
    std::function<std::string(VarsTest&, KivVars&)> run;
    std::string expected;
  };
  const Case cases[] = {
      {"AddCoins(-50) with 30 coins",
       [](VarsTest&, KivVars& v) {
         v.SetCoins(30);
         v.AddCoins(-50);
         return std::to_string(v.GetCoins());
       },
       "0"},
      {"GetAllFashion: head pieces, all items",
       [](VarsTest&, KivVars& v) {
         v.GetAllFashion();
         return std::to_string(v.GetHeadPieceC()) + " " + std::to_string(v.GetItemCount()) + " " +
                Bool(v.HasLowerPiece(32));
       },
       "32 96 true"},
      {"ResetHanaVars(false) keeps the owned pieces and dresses piece 1",
       [](VarsTest&, KivVars& v) {
         v.AddHeadPiece(5);
         v.AddUpperPiece(7);
         v.SetCurrentHead(5);
         v.SetCurrentUpper(7);
         v.SetCurrentLower(9);
         v.ResetHanaVars(false);
         return Bool(v.HasHeadPiece(5)) + " " + Bool(v.HasUpperPiece(7)) + " " + std::to_string(v.GetCurrentHead()) +
                std::to_string(v.GetCurrentUpper()) + std::to_string(v.GetCurrentLower());
       },
       "true true 111"},
      {"ResetHanaVars(true) leaves only piece 1 owned",
       [](VarsTest&, KivVars& v) {
         v.GetAllFashion();
         v.SetCurrentLower(9);
         v.ResetHanaVars(true);
         return std::to_string(v.GetItemCount()) + " " + Bool(v.HasHeadPiece(1)) + " " + Bool(v.HasHeadPiece(2)) +
                " " + std::to_string(v.GetCurrentLower());
       },
       "3 true false 1"},
      {"MAX_ZEN in capitals sets constant 0; an unknown name reads slot 7",
       [](VarsTest&, KivVars& v) {
         testenv::WriteFile("scripts/constants.lua", "KIV_CONSTANTS = { { Name = 'MAX_ZEN', Value = 40 } }");
         v.LoadConstants();
         const std::string before = std::to_string(v.GetConstant("max_zen")) + " " +
                                    std::to_string(v.GetConstantByIndex(0)) + " " +
                                    std::to_string(v.GetConstant("nothing"));
         testenv::WriteFile("scripts/constants.lua",
                            "KIV_CONSTANTS = { { Name = 'mystery', Value = 9 }, { Name = 'Hint_Interval', Value = 3 },"
                            " { Name = 'hint_interval', Value = 12 }, 'not a row' }");
         v.LoadConstants();
         return before + " | " + std::to_string(v.GetConstant("nothing")) + " " +
                std::to_string(v.GetConstant("hint_interval")) + " " + std::to_string(v.GetConstant("max_zen"));
       },
       "40 40 0 | 9 12 0"},
      {"A total of 5000 stamped three days ago in time frames 1, 2, 0",
       [](VarsTest& t, KivVars& v) {
         v.SetValue(KivVars::kTotalScore, 5000);
         v.SetValue(KivVars::kTotalScoreTime, static_cast<int32_t>(kNow - 3 * KivVars::kSecondsPerDay));
         return std::to_string(v.GetProfileScore(0, 1)) + " " + std::to_string(v.GetProfileScore(0, 2)) + " " +
                std::to_string(v.GetProfileScore(0, 0));
       },
       "5000 0 5000"},
      {"A replay for a lower score keeps the total and renews the stamp",
       [](VarsTest& t, KivVars& v) {
         t.SetLevel(0, 2, 300);
         t.SetLevel(1, 3, 200);
         t.SetLevel(2, 1, 999);  // open, not cleared: not counted
         v.UpdateTotalScore();
         const std::string first = std::to_string(v.GetValue(KivVars::kTotalScore));
         t.SetLevel(0, 2, 100);
         t.now_ = kNow + 60;
         v.UpdateTotalScore();
         return first + " " + std::to_string(v.GetValue(KivVars::kTotalScore)) + " " +
                std::to_string(v.GetValue(KivVars::kTotalScoreTime) - kNow);
       },
       "500 500 60"},
      {"AddTrophy(3) twice; displayed only once set",
       [](VarsTest&, KivVars& v) {
         const bool first = v.AddTrophy(3);
         const bool second = v.AddTrophy(3);
         const bool shownBefore = v.IsTrophyDisplayed(3);
         v.SetTrophyDisplayed(3);
         return Bool(first) + " " + Bool(second) + " " + Bool(v.HasTrophy(3)) + " " + Bool(shownBefore) + " " +
                Bool(v.IsTrophyDisplayed(3));
       },
       "true false true false true"},
      {"CheckWinFreeplay with no level",
       [](VarsTest&, KivVars& v) { return Bool(v.CheckWinFreeplay()); }, "true"},
  };
  for (const Case& c : cases) {
    SetUp();
    EXPECT_EQ(c.run(*this, *vars_), c.expected) << c.what;
    TearDown();
  }
}

TEST_F(VarsTest, TheLevelLoopsCountTheLevelsOfTheLevelTable) {
  SetLevel(0, 3, 10);
  SetLevel(1, 2, 10);
  SetLevel(2, 1, 10);
  SetLevel(5, 3, 10);  // beyond the table: never counted
  EXPECT_EQ(vars_->GetLevelOpenC(), 0);
  vars_->levelCount = [] { return 4; };
  EXPECT_EQ(vars_->GetLevelOpenC(), 3);
  EXPECT_EQ(vars_->GetLevelCompleteC(), 2);
  EXPECT_EQ(vars_->GetLevelZenCompleteC(), 1);
  EXPECT_FALSE(vars_->CheckWinFreeplay());
  for (int32_t level = 0; level < 4; ++level) SetLevel(level, 3, 10);
  EXPECT_TRUE(vars_->CheckWinFreeplay());
  // A table larger than the record is read no further than the record.
  vars_->levelCount = [] { return 100000; };
  EXPECT_EQ(vars_->GetLevelZenCompleteC(), 5);
}

// Twice: a loaded store whose only profile was deleted (no current profile), and a store
// that was never loaded.
TEST_F(VarsTest, WithoutAValidProfileReadsGiveZeroAndWritesAreIgnored) {
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 0) {
      rms_->DeleteProfile(0);
    } else {
      rms_ = std::make_unique<GameRMS>(dir_ + "/other.rms");
      vars_ = MakeVars();
    }
    ASSERT_FALSE(rms_->ProfileValid()) << pass;
    KivVars& v = *vars_;
    v.levelCount = [] { return 3; };
    v.SetCoins(50);
    v.AddCoins(5);
    v.AddHeadPiece(4);
    v.SetCurrentStory(3);
    v.SetHintEnabled(false);
    v.SetValue(KivVars::kPlayTime, 99);
    v.UpdateTotalScore();
    v.SetTrophyDisplayed(2);
    EXPECT_EQ(v.GetCoins(), 0) << pass;
    EXPECT_FALSE(v.HasHeadPiece(4)) << pass;
    EXPECT_EQ(v.GetCurrentStory(), 0) << pass;
    EXPECT_TRUE(v.IsHintEnabled()) << pass;  // "hints off" reads 0
    EXPECT_EQ(v.GetValue(KivVars::kPlayTime), 0) << pass;
    EXPECT_EQ(v.GetValue(KivVars::kTotalScoreTime), 0) << pass;
    EXPECT_FALSE(v.AddTrophy(2)) << pass;  // nothing stored: nothing to announce
    EXPECT_FALSE(v.HasTrophy(2)) << pass;
    EXPECT_FALSE(v.IsTrophyDisplayed(2)) << pass;
    EXPECT_FALSE(v.CheckWinFreeplay()) << pass;
    EXPECT_EQ(v.GetLevelOpenC(), 0) << pass;
    EXPECT_EQ(v.GetProfileScore(0, 0), 0) << pass;
    // In memory only: these work without a profile.
    v.SetUserID(12);
    v.SetFreeplay(true);
    EXPECT_EQ(v.GetUserID(), 12) << pass;
    EXPECT_TRUE(v.GetFreeplay()) << pass;
  }
}

TEST_F(VarsTest, OutOfRangeIndicesReadZeroAndAreNeverWritten) {
  vars_->SetValue(-1, 5);
  vars_->SetValue(GameRMS::kGameValueCount, 5);
  EXPECT_EQ(vars_->GetValue(-1), 0);
  EXPECT_EQ(vars_->GetValue(GameRMS::kGameValueCount), 0);
  for (int32_t piece : {0, 33, -1}) {
    vars_->AddHeadPiece(piece);
    EXPECT_FALSE(vars_->HasHeadPiece(piece)) << piece;
  }
  EXPECT_EQ(vars_->GetHeadPieceC(), 0);
  for (int32_t trophy : {0, 1001, -3}) {
    EXPECT_FALSE(vars_->AddTrophy(trophy)) << trophy;  // never stored, so never announced
    EXPECT_FALSE(vars_->HasTrophy(trophy)) << trophy;
  }
  vars_->AddTrophy(1000);
  EXPECT_EQ(Profile().trophies[999], 1);
  vars_->ResetTrophies();
  EXPECT_EQ(Profile().trophies[999], 0);
}

TEST_F(VarsTest, CoinsAndTheTotalStopAtTheLargest32BitValue) {
  vars_->SetCoins(kLargest - 5);
  vars_->AddCoins(100);
  EXPECT_EQ(vars_->GetCoins(), kLargest);
  vars_->AddCoins(kLargest);
  EXPECT_EQ(vars_->GetCoins(), kLargest);
  vars_->AddCoins(-kLargest);
  EXPECT_EQ(vars_->GetCoins(), 0);

  SetLevel(0, 2, 0xFFFFFFFFu);
  SetLevel(1, 2, 0xFFFFFFFFu);
  vars_->UpdateTotalScore();
  EXPECT_EQ(vars_->GetValue(KivVars::kTotalScore), kLargest);
}

TEST_F(VarsTest, AProfilesScoreIsReadWithoutChangingTheCurrentProfile) {
  ASSERT_TRUE(rms_->AddProfile("Bo", "", "rome"));  // current: 1
  vars_->SetValue(KivVars::kTotalScore, 700);
  vars_->SetValue(KivVars::kTotalScoreTime, static_cast<int32_t>(kNow));
  rms_->SetProfile(0);
  vars_->SetValue(KivVars::kTotalScore, 300);
  vars_->SetValue(KivVars::kTotalScoreTime, static_cast<int32_t>(kNow - 10));

  LogCapture log;
  EXPECT_EQ(vars_->GetProfileScore(1, 2), 700);
  EXPECT_EQ(vars_->GetProfileScore(0, 1), 300);
  EXPECT_EQ(vars_->GetProfileScore(2, 0), 0);
  EXPECT_EQ(vars_->GetProfileScore(-1, 0), 0);
  EXPECT_EQ(rms_->GetCurrentProfile(), 0);
  EXPECT_EQ(log.Count("Setting profile"), 0u) << log.All();
  EXPECT_EQ(log.Count("Invalid profile ID"), 0u) << log.All();

  // With no current profile the table still reads every row, and none becomes current.
  rms_->DeleteProfile(0);
  ASSERT_EQ(rms_->GetCurrentProfile(), -1);
  EXPECT_EQ(vars_->GetProfileScore(0, 0), 700);
  EXPECT_EQ(rms_->GetCurrentProfile(), -1);
  EXPECT_EQ(vars_->GetCoins(), 0);
}

TEST_F(VarsTest, AMissingOrBrokenConstantsFileLogsOneErrorAndLeavesZeros) {
  for (const char* contents : {"", "KIV_CONSTANTS = { { Name = 'max_zen', Value = 4 "}) {
    if (*contents) {
      ASSERT_TRUE(testenv::WriteFile("scripts/constants.lua", contents));
    }
    LogCapture log;
    const std::unique_ptr<KivVars> vars = MakeVars();
    EXPECT_EQ(log.Count("Unable to load constants from file scripts/constants.lua!  [MSG_ERROR]"), 1u)
        << log.All();
    for (int32_t i = 0; i < KivVars::kConstantCount; ++i) EXPECT_EQ(vars->GetConstantByIndex(i), 0) << i;
  }
}

TEST_F(VarsTest, TheConstantNamesAndTheirIndices) {
  const char* names[] = {"max_zen", "zen_per_token", "particles_per_zen", "fashion_cost",
                         "tileblast_count", "time_token", "hint_interval", "unknown"};
  for (int32_t i = 0; i < 8; ++i) {
    EXPECT_EQ(KivVars::ConstantName(i), names[i]);
    EXPECT_EQ(KivVars::ConstantIndex(names[i]), i);
  }
  EXPECT_EQ(KivVars::ConstantName(8), "unknown");
  EXPECT_EQ(KivVars::ConstantName(-1), "unknown");
  EXPECT_EQ(KivVars::ConstantIndex("Time_Token"), 5);
  EXPECT_EQ(KivVars::ConstantIndex(""), 7);
}

TEST_F(VarsTest, TheLevelEditorOpensOnlyInCheatModeWithTheDeveloperSwitch) {
  ASSERT_TRUE(testenv::WriteFile("dev.lua", "DEV_DATA = { EnableEditor = true }"));
  {
    LogCapture log;
    EXPECT_FALSE(vars_->LoadDevData());
    EXPECT_EQ(log.Count("dev.lua"), 0u) << "dev.lua must not run: " << log.All();
  }
  vars_->SetCheatMode(true);
  EXPECT_TRUE(vars_->GetCheatMode());
  EXPECT_TRUE(vars_->LoadDevData());

  const struct {
    const char* contents;
    bool expected;
  } files[] = {
      {"DEV_DATA = { EnableEditor = false }", false},
      {"DEV_DATA = { EnableEditor = 1 }", true},
      {"DEV_DATA = {}", false},
      {"EnableEditor = true", false},
      {"DEV_DATA = { EnableEditor = true } error('broken')", false},
  };
  for (const auto& file : files) {
    ASSERT_TRUE(testenv::WriteFile("dev.lua", file.contents));
    EXPECT_EQ(vars_->LoadDevData(), file.expected) << file.contents;
  }
  ASSERT_EQ(unlink("dev.lua"), 0);
  EXPECT_FALSE(vars_->LoadDevData());
}

TEST_F(VarsTest, ClothingNamesMapToTheirSlots) {
  const struct {
    const char* name;
    int32_t slot;
    const char* type;
  } cases[] = {
      {"head", 1, "hair"}, {"upper", 2, "dress"}, {"lower", 3, "skirt"}, {"shoes", 2, "dress"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KivVars::PieceSlotFromName(c.name), c.slot) << c.name;
    EXPECT_EQ(KivVars::PieceTypeName(c.name), c.type) << c.name;
  }
}

// The script class: the methods reach the profile, and what a script adds is in the
// profile file after a save and a new start.
TEST_F(VarsTest, ScriptsReachTheVariablesAndCoinsSurviveARestart) {
  KivVars& vars = KivVars::Instance();
  vars.store = rms_.get();
  LuaState* state = script::CreateLuaState();
  ASSERT_TRUE(RegisterShellScripts(state));
  ASSERT_EQ(state->DoString("GetVars():AddCoins(10)\n"
                            "GetVars():AddUpperPiece(3)\n"
                            "GetVars():SetCheatMode(true)\n"
                            "assert(GetVars():AddTrophy(7) == true)\n"
                            "assert(GetVars():AddTrophy(7) == false)\n"
                            "coins = GetVars():GetCoins()\n"
                            "pieces = GetVars():GetUpperPieceC()\n"
                            "constant = GetVars():GetConstant('nothing')\n"),
            0);
  EXPECT_EQ(state->GetGlobals()["coins"].GetInteger(), 10);
  EXPECT_EQ(state->GetGlobals()["pieces"].GetInteger(), 1);
  EXPECT_TRUE(vars.GetCheatMode());
  LuaState::Destroy(state);
  ASSERT_TRUE(rms_->Save());

  GameRMS restarted(dir_ + "/kx_test.rms");
  restarted.Load();
  vars.store = &restarted;
  EXPECT_EQ(vars.GetCoins(), 10);
  EXPECT_TRUE(vars.HasUpperPiece(3));
  EXPECT_TRUE(vars.HasTrophy(7));
  vars.Shutdown();
  EXPECT_FALSE(vars.GetCheatMode());
}

}  // namespace
