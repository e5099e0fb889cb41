// The board as a whole: its saved tiles, the developer keys, the end of a level and the
// trophy it brings, zen and time from the effects, spreads and projectiles, and the slide.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "game/board/KivEndPopup.h"
#include "game/board/KivGoal.h"
#include "game/board/KivWellSFX.h"
#include "game/board/LevelData.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivVars.h"
#include "game/shell/Shell.h"
#include "engine/core/Console.h"
#include "engine/part2d/Part2D.h"
#include "platform/bass/Bass.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/support/TestEnv.h"

namespace boardtest {
namespace {

// Zen-power particles that live a tenth of a second and are born only when emitted.
const char* const kQuickParticles =
    "Part2D = { { Image = 'effects/dot.png', MaxC = 200, Lifespan = { 0.1, 0.1 },\n"
    "             GenRate = 0.0, IsSecondary = 0 } }\n";

class WellTest : public BoardTest {
 protected:
  void TearDown() override {
    LevelInfo::Shutdown();
    BoardTest::TearDown();
  }
  // A board whose level is lost when its clock, a TIME goal of 60 seconds, runs out.
  KivGoal& LoadTimedBoard() {
    testenv::WriteFile("clock_goals.lua", "Goals = { { GoalName = 'clock', Type = 'TIME', Count = 60 } }\n");
    LevelInfo::Instance().LoadGoals("clock_goals.lua");
    timedLevel_.failure = "clock";
    testenv::WriteFile("level.lua", WellFile(1));
    board_ = std::make_unique<KivWell>(nullptr, *timer_);
    board_->Load("level.lua", &timedLevel_);
    return *board_->GetFailGoal();
  }

  LevelData timedLevel_;
};

TEST_F(WellTest, SavedTilesLoadBackExactly) {
  std::ostringstream text;
  text << "Tiles = {\n";
  for (int i = 0; i < 15 * 12; ++i) text << (i % 15 == 14 ? 0 : i % 5) << ", ";
  text << "}\n";
  LoadBoard(text.str());
  board_->SaveWell("saved.lua");
  std::ifstream saved("saved.lua");
  std::string first;
  std::getline(saved, first);
  EXPECT_EQ(first, "GameMode = ");

  KivWell copy(nullptr, *timer_);
  copy.Load("saved.lua", nullptr);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 15; ++x) {
      EXPECT_EQ(copy.GetTileValue(x, y), board_->GetTileValue(x, y)) << x << "," << y;
      EXPECT_EQ(copy.GetTileValue(x, y), (y * 15 + x) % 15 == 14 ? 0 : (y * 15 + x) % 5);
    }
  }
}

TEST_F(WellTest, TileValuesAreWholeNumbersOnTheScreenWithinTheImages) {
  // Element 1 is not an integer, 2 is a string, 3 lies beyond the images, 4 below 0.
  LoadBoard("Tiles = { 2.5, 'two', 9, -3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0 }\n");
  EXPECT_EQ(board_->GetTileValue(0, 0), 0);
  EXPECT_EQ(board_->GetTileValue(1, 0), 0);
  EXPECT_EQ(board_->GetTileValue(2, 0), 4);
  EXPECT_EQ(board_->GetTileValue(3, 0), 0);
  EXPECT_EQ(board_->GetTileValue(4, 0), 2);
  EXPECT_EQ(board_->GetUnturnedTiles(), 11);
  EXPECT_EQ(board_->GetTileStepsLeft(), 13);
  ASSERT_NE(board_->GetWall(), nullptr);
  EXPECT_TRUE(board_->GetWall()->IsWall(2, 1));
  EXPECT_FALSE(board_->GetWall()->IsWall(0, 2));
  EXPECT_FALSE(board_->GetWall()->IsWall(2, 0)) << "a tiled cell is inside, not wall";

  // Half a screen of view offset lifts rows 0 to 5 off the play area: they get no tile.
  testenv::WriteFile("full.lua", WellFile(2));
  board_->SetViewOffset(math::Vec2(0.0f, 0.5f));
  ASSERT_TRUE(board_->LoadWell("full.lua"));
  EXPECT_EQ(board_->GetTileValue(3, 5), 0);
  EXPECT_EQ(board_->GetTileValue(3, 6), 2);
}

TEST_F(WellTest, DeveloperKeysActOnlyInCheatMode) {
  LoadBoard(WellFile(1));
  for (uint32_t key : {KivWell::kKeyW, KivWell::kKeyL, KivWell::kKeyT, KivWell::kKeyP,
                       KivWell::kKeyH, KivWell::kKeyZ, KivWell::kKeyC, KivWell::kKeyF}) {
    board_->KeyPressed(key);
  }
  EXPECT_EQ(board_->GetOverlay(), nullptr);
  EXPECT_EQ(board_->GetGold(), 0);
  KivVars::Instance().SetCheatMode(true);
  board_->KeyPressed(KivWell::kKeyC);
  EXPECT_EQ(board_->GetGold(), 10);
  board_->SetSpellCost(1, 40);
  board_->KeyPressed(KivWell::kKeyZ);
  EXPECT_EQ(board_->GetSpellCharge(1), 40) << "charged to its cost, never past it";
  board_->KeyPressed(KivWell::kKeyW);
  EXPECT_TRUE(board_->HasWon());
}

TEST_F(WellTest, TheFirstEndOfALevelHolds) {
  LoadBoard(WellFile(1));
  board_->AddGold(7);
  board_->LooseGame();
  well::WellEffect* popup = board_->GetOverlay();
  ASSERT_NE(popup, nullptr);
  board_->WinGame();
  EXPECT_FALSE(board_->HasWon());
  EXPECT_EQ(board_->GetOverlay(), popup);
  EXPECT_EQ(KivVars::Instance().GetCoins(), 0) << "a loss pays no gold";
  EXPECT_FALSE(board_->IsOverlayDone());
  auto* defeat = dynamic_cast<KivEndPopup*>(popup);
  ASSERT_NE(defeat, nullptr);
  EXPECT_FALSE(defeat->IsVictory());

  LoadBoard(WellFile(1));
  board_->AddGold(7);
  board_->WinGame();
  board_->WinGame();
  EXPECT_TRUE(board_->HasWon());
  EXPECT_TRUE(dynamic_cast<KivEndPopup*>(board_->GetOverlay())->IsVictory());
  EXPECT_EQ(KivVars::Instance().GetCoins(), 7);
}

TEST_F(WellTest, GoldNeverDropsBelowZero) {
  LoadBoard(WellFile(1));
  board_->AddGold(3);
  board_->AddGold(-10);
  EXPECT_EQ(board_->GetGold(), 0);
}

TEST_F(WellTest, ATrophyOfTheLastChainShowsAtMostHalfASecondAfterTheWin) {
  testenv::WriteFile("trophies.lua",
                     "KIV_TROPHIES = { { Index = 4, Name = 'Three', Condition = 'token_set',"
                     " Value1 = 3 } }\n");
  ASSERT_TRUE(KivTrophyData::Instance().Load("trophies.lua"));
  LoadBoard(WellFile(1));
  for (int x = 0; x < 3; ++x) Put("flower", x, 0, 6);
  Drag({{0, 0}, {1, 0}, {2, 0}});
  EXPECT_EQ(board_->GetPendingTrophy(), 4);
  Frames(10);
  board_->WinGame();
  EXPECT_LE(board_->GetTrophyDelay().remaining, 0.5f);
  Frames(26);
  EXPECT_EQ(board_->GetPendingTrophy(), 0);
  EXPECT_TRUE(KivVars::Instance().HasTrophy(4));
  EXPECT_TRUE(KivTrophyScreen::Instance().IsPopupEnabled());
  EXPECT_EQ(KivTrophyScreen::Instance().PopupCmd(), "OnTrophyPopupClose()");

  // In free play no counter moves and nothing becomes pending.
  KivVars::Instance().SetFreeplay(true);
  KivVars::Instance().ResetTrophies();
  LoadBoard(WellFile(1));
  for (int x = 0; x < 3; ++x) Put("flower", x, 0, 6);
  const int32_t before = KivTrophyData::Instance().tokenLevelCount;
  Drag({{0, 0}, {1, 0}, {2, 0}});
  EXPECT_EQ(board_->GetPendingTrophy(), 0);
  EXPECT_EQ(KivTrophyData::Instance().tokenLevelCount, before);
}

TEST_F(WellTest, EachZenPowerParticleAddsZenOnceWhenItDies) {
  testenv::WriteFile("effects/zenpower.p2d", kQuickParticles);
  LoadBoard(WellFile(1));
  board_->SetSpellCost(0, 100);
  board_->SetSpellCost(2, 100);
  KivBlock* zen = Put("zenblock", 4, 4);
  static_cast<KivZenBlock*>(zen)->value = 3;
  zen->Kill();  // 3 x 3 particles: 9 deaths, 3 zen
  Frames(30);
  EXPECT_EQ(board_->GetSpellCharge(0), 3);
  EXPECT_EQ(board_->GetSpellCharge(2), 3);
  EXPECT_EQ(board_->GetSpellCharge(1), 0) << "a spell the level does not have";
  EXPECT_EQ(board_->GetZenParticleCount(), 0);
  Frames(30);
  EXPECT_EQ(board_->GetSpellCharge(0), 3);
}

TEST_F(WellTest, WithoutParticlesPerZenNothingConvertsAndNothingDivides) {
  testenv::WriteFile("scripts/constants.lua", "KIV_CONSTANTS = {}\n");
  KivVars::Instance().LoadConstants();
  LoadBoard(WellFile(1));
  board_->SetSpellCost(0, 10);
  board_->AddZenParticles(50);
  EXPECT_EQ(board_->GetSpellCharge(0), 0);
}

TEST_F(WellTest, TheChargeSoundStopsWithTheLastZenLightning) {
  LoadBoard(WellFile(1));
  board_->SetSpellCost(0, 100);
  board_->SetSpellCost(1, 100);
  board_->AddZenParticles(1);
  ClearSounds();
  Frames(5);
  KivWellSFX* sfx = board_->GetKivSFX();
  const uint32_t channel = sfx->GetChargeChannel();
  EXPECT_NE(channel, 0u);
  EXPECT_EQ(Played("zenpower_charge"), 1u) << "started once, not every frame";
  board_->AddZenParticles(1);  // only prolongs the two lightnings
  Frames(20);
  EXPECT_EQ(Played("zenpower_charge"), 1u);
  Frames(20);
  EXPECT_EQ(sfx->GetChargeChannel(), 0u);
  EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_STOPPED);
}

TEST_F(WellTest, ATimeBlockGivesTheClockItsSecondsBackOrPaysInFreePlay) {
  testenv::WriteFile("effects/spell_timer.p2d", kQuickParticles);
  KivGoal& clock = LoadTimedBoard();
  ASSERT_EQ(clock.kind, KivGoal::kTime);
  clock.progress = 50.0f;
  Put("timeblock", 2, 2)->Kill();  // time_token = 10 particles, each a second
  Frames(30);
  EXPECT_NEAR(clock.progress, 50.0f + 30 * 0.02f - 10.0f, 1e-3f);
  EXPECT_EQ(board_->GetOverlay(), nullptr);

  // Never below 0: the clock then runs on from 0.
  clock.progress = 4.0f;
  Put("timeblock", 3, 2)->Kill();
  Frames(30);
  EXPECT_GT(clock.progress, 0.3f) << "lowered to 0, then counted on";
  EXPECT_LT(clock.progress, 30 * 0.02f);

  // Without a clock the particles give nothing back, and nothing breaks.
  LoadBoard(WellFile(1));
  Put("timeblock", 2, 2)->Kill();
  Frames(30);
  EXPECT_EQ(board_->GetFailGoal(), nullptr);

  // In free play the clock never runs: the block pays points instead.
  KivVars::Instance().SetFreeplay(true);
  LoadTimedBoard();
  Put("timeblock", 4, 2)->Kill();
  EXPECT_EQ(board_->GetScore(), 100);
  Frames(30);
  EXPECT_EQ(board_->GetFailGoal()->progress, 0.0f);
}

TEST_F(WellTest, AReplacedBlockIsRetiredNotFreed) {
  LoadBoard(WellFile(1));
  for (int x = 0; x < 3; ++x) Put("flower", x, 6, 1);
  Hold({{0, 6}, {1, 6}, {2, 6}});
  KivBlock* old = board_->GetKivBlock(1, 6);
  KivBlock* made = board_->ReplaceBlock(1, 6, "gem[3]", "flower_1");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(board_->GetKivBlock(1, 6), made);
  EXPECT_EQ(board_->FindInChain(old), -1);
  const auto& removed = board_->GetRemovedBlocks();
  EXPECT_NE(std::find(removed.begin(), removed.end(), old), removed.end());
  EXPECT_TRUE(old->IsDying());
}

TEST_F(WellTest, AFlowerSpreadTurnsALineIntoFlowersUpToAHardBlock) {
  LoadBoard(WellFile(1));
  for (int x = 0; x < 4; ++x) Put("gem", x, 8);
  Put("stone", 4, 8);
  Put("gem", 5, 8);
  board_->SpreadFlower(0, 8, 1, 0, 9, "flower_4");
  EXPECT_EQ(board_->GetKivBlock(0, 8)->kind, kKindFlower);
  EXPECT_EQ(board_->GetKivBlock(1, 8)->kind, kKindGem);
  Frames(40);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(board_->GetKivBlock(x, 8)->kind, kKindFlower) << x;
    EXPECT_EQ(board_->GetKivBlock(x, 8)->color, 3) << x;
  }
  EXPECT_EQ(board_->GetKivBlock(4, 8)->kind, kKindStone);
  EXPECT_EQ(board_->GetKivBlock(5, 8)->kind, kKindGem);
}

TEST_F(WellTest, TileProjectilesAddAClearToTilesOfTwoAndThree) {
  LoadBoard(WellFile(1));
  board_->SetTileValue(3, 3, 2);
  board_->SetTileValue(5, 5, 3);
  board_->SetTileValue(7, 7, 4);
  Put("tileblast", 0, 0)->Kill();
  EXPECT_EQ(board_->GetProjectileCount(), 2u) << "only tiles of 2 and 3 are targets";
  Frames(60, 0.03f);
  EXPECT_EQ(board_->GetProjectileCount(), 0u);
  EXPECT_EQ(board_->GetTileValue(3, 3), 3);
  EXPECT_EQ(board_->GetTileValue(5, 5), 4);
  EXPECT_EQ(board_->GetTileValue(7, 7), 4);
}

TEST_F(WellTest, TheBoardSlidesInAndRunsItsScriptOnce) {
  LoadBoard(WellFile(1));
  for (int x = 0; x < 3; ++x) Put("flower", x, 0, 6);
  board_->StartEnterFade("entered = (entered or 0) + 1");
  EXPECT_FLOAT_EQ(board_->GetViewOffset().y, 1.0f);
  EXPECT_EQ(Played("well_enter"), 1u);
  Hold({{0, 0}, {1, 0}});
  EXPECT_EQ(board_->GetChain().size(), 1u) << "no chain grows while the board slides";
  Frames(30);
  EXPECT_FLOAT_EQ(board_->GetViewOffset().y, 0.0f);
  EXPECT_EQ(Global("entered"), "1");
  board_->StartLeaveFade("");
  Frames(30);
  EXPECT_FLOAT_EQ(board_->GetViewOffset().y, 1.0f);
}

TEST_F(WellTest, CoinVariantsCycleThroughTheThreeCoinSets) {
  testenv::WriteFile("effects/gold_coin.p2d", kQuickParticles);
  LoadBoard(WellFile(1));
  KivWellSFX* sfx = board_->GetKivSFX();
  for (int variant = 0; variant < 4; ++variant) sfx->CoinsAt(2, 2, variant);
  auto live = [&](int set) { return sfx->GetSet(set)->GetSystem()->GetGroup(0)->GetLiveCount(); };
  EXPECT_EQ(live(KivWellSFX::kGoldCoin), 2);
  EXPECT_EQ(live(KivWellSFX::kGoldCoin + 1), 1);
  EXPECT_EQ(live(KivWellSFX::kGoldCoin + 2), 1);
  EXPECT_EQ(sfx->GetSet(0), nullptr);
  EXPECT_EQ(sfx->GetSet(32), nullptr);
  sfx->CoinsAt(2, 2, -1);  // a negative variant picks a set too, never one out of the table
  EXPECT_EQ(live(KivWellSFX::kGoldCoin + 2), 2);
}

TEST_F(WellTest, TheSparklesAreDrawnOnceInTheLayerOverTheBoard) {
  LoadBoard(WellFile(1));
  KivWellSFX* sfx = board_->GetKivSFX();
  sfx->SparkleAt(2, 2, 0);
  sfx->SparkleAt(3, 2, 1);
  ASSERT_EQ(sfx->GetSparkles(0)->GetActiveCount(), 1);
  ASSERT_EQ(sfx->GetSparkles(1)->GetActiveCount(), 1);
  renderer_.draws.clear();
  sfx->Render();
  EXPECT_TRUE(renderer_.draws.empty()) << "the board's effect layer has nothing else live";
  sfx->RenderOverlay();
  EXPECT_EQ(renderer_.draws.size(), 2u);
  // They still play with the effects: a picture without frames ends at its first step.
  Frame();
  EXPECT_EQ(sfx->GetSparkles(0)->GetActiveCount(), 0);
  EXPECT_EQ(sfx->GetSparkles(1)->GetActiveCount(), 0);
}

TEST_F(WellTest, ScriptsKnowTheBoardsClass) {
  ASSERT_TRUE(RegisterShellScripts(console::GetConsole().GetState()));
  Run("known = tostring(KivWell ~= nil)");
  EXPECT_EQ(Global("known"), "true");
}

}  // namespace
}  // namespace boardtest
