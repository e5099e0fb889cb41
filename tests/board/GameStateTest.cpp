// The level state: loading a level, pause and the flash help, the zen break, how often
// pointer moves reach the board, the scene editor's key, the end of a level and the texts
// it hands to scripts.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>
#include <set>
#include <string>

#include "engine/app/GameFlowManager.h"
#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/background/BGScene.h"
#include "engine/core/Console.h"
#include "engine/core/Random.h"
#include "engine/app/Input.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivGameState.h"
#include "game/board/KivGoal.h"
#include "game/board/KivSpell.h"
#include "game/board/KivHelp.h"
#include "game/board/KivSummary.h"
#include "game/board/KivTooltip.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivFashionPopup.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivHanaWidget.h"
#include "game/shell/KivMenuScreen.h"
#include "game/shell/KivVars.h"
#include "game/shell/Shell.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/board/LevelPlayer.h"
#include "tests/support/TestEnv.h"

namespace boardtest {
namespace {

class GameStateTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    testenv::WriteFile("scripts/goals.lua",
                       "Goals = { { GoalName = 'tiles', Type = 'CLEAR_TILE' },\n"
                       "          { GoalName = 'clock', Type = 'TIME', Count = 100 } }\n");
    testenv::WriteFile("scripts/levels.lua",
                       "Levels = { { LevelName = 'first', Layout = 'first.lua', Goal1 = 'tiles',\n"
                       "  Failure = 'clock', flower_1 = 1, GenMode = 'PUZZLE' } }\n");
    testenv::WriteFile("first.lua", WellFile(2));
    for (const char* name : {"pause", "help_flash"}) {
      testenv::WriteFile(std::string("ui/") + name + ".ui",
                         std::string("Panel = { Name = '") + name +
                             "', Type = 'Widget', Pos = { 0, 0 }, Size = { 1, 1 },\n"
                             "  Children = { { Name = 'help_bg', Type = 'Widget', Pos = { 0, 0 }, Size = { 1, 1 } } } }\n");
      ASSERT_NE(ui::GetUIMan().AddPanel(std::string("ui/") + name + ".ui"), nullptr);
    }
    ASSERT_TRUE(RegisterShellScripts(console::GetConsole().GetState()));
    Run("Calls = {} function Count(name) Calls[name] = (Calls[name] or 0) + 1 end\n"
        "function NextLevel() Count('next') end function ReplayLevel() Count('replay') end\n"
        "function DoZenBreak(on) Count('zen') end\n"
        "function SetupFlashHelp() end function ShutdownFlashHelp() Count('shutdown') end\n"
        // The end of a level: the display closes and the script runs; the summary's
        // panel shows and the summary starts; the shop's popup is only counted.
        "function CloseIngameUI(script) Count('close') load(script)() end\n"
        "function ShowSummary(victory) Count('summary')\n"
        "  GetUIMan():GetPanel('summary'):SetIsVisible(true)\n"
        "  GetSummary():Enable(true) GetSummary():Start(victory) end\n"
        "function CheckShowPopup(show) Count('shop') end");
    testenv::WriteFile("ui/summary.ui",
                       "Panel = { Name = 'summary', Type = 'Widget', Pos = { 0, 0 }, Size = { 1, 1 },\n"
                       "  Children = { { Name = 'best_score_val', Type = 'Widget', Pos = { 0, 0 }, Size = { 0.1, 0.1 } } } }\n");
    summaryPanel_ = ui::GetUIMan().AddPanel("ui/summary.ui");
    ASSERT_NE(summaryPanel_, nullptr);
    summaryPanel_->SetIsVisible(false);
    KivHelp::Shutdown();
    KivHelp::Instance().SetClock(timer_.get());
    gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
    flow.AddTransitionState(KivGameState::kName, new KivGameState(nullptr));
    state_ = GetGame();
    ASSERT_NE(state_, nullptr);
    flow.current = state_;
  }
  void TearDown() override {
    gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
    flow.current = nullptr;
    flow.states.Clear();
    KivHelp::Shutdown();
    KivSummary::Shutdown();
    LevelInfo::Shutdown();
    BoardTest::TearDown();
  }
  int Calls(const std::string& name) {
    Run("CallCount = Calls['" + name + "'] or 0");
    return std::stoi(Global("CallCount"));
  }
  void StateFrames(int count, float dt = 0.02f) {
    for (int i = 0; i < count; ++i) {
      clock_.AdvanceSeconds(dt);
      timer_->Update();
      state_->Tick(dt);
    }
  }
  ui::UIWidget* Panel(const char* name) { return ui::GetUIMan().GetPanel(name); }

  // The summary's panel closes (its button's script) once the summary is complete.
  void CloseCompleteSummary() {
    if (summaryPanel_->GetIsVisible() && KivSummary::Instance().IsComplete()) summaryPanel_->SetIsVisible(false);
  }

  KivGameState* state_ = nullptr;
  ui::UIWidget* summaryPanel_ = nullptr;
};

TEST_F(GameStateTest, LoadingALevelMakesItsBoardAndAnUnknownNameLeavesNone) {
  state_->LoadLevel("FIRST");
  ASSERT_NE(state_->GetBoard(), nullptr);
  EXPECT_EQ(GetWell(), state_->GetBoard());
  EXPECT_EQ(GetBG(), state_->GetBoard()->GetScene());
  EXPECT_EQ(GetBGEditor(), nullptr);
  EXPECT_NE(state_->GetBoard()->GetFailGoal(), nullptr);
  EXPECT_EQ(state_->GetLevelName(), "FIRST");

  state_->LoadLevel("nowhere");
  EXPECT_EQ(state_->GetBoard(), nullptr);
  EXPECT_EQ(GetBG(), nullptr);
  StateFrames(3);  // ticks without a board
}

TEST_F(GameStateTest, WithoutABoardTheScriptsSceneAndEditorAreTheMenus) {
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  KivMenuScreen menu(nullptr, "", "", "", "");
  flow.current = &menu;
  EXPECT_EQ(GetBG(), &menu.scene);
  EXPECT_EQ(GetBGEditor(), nullptr);
  menu.scene.KeyPressed(background::BGScene::kEditorKey);
  ASSERT_NE(menu.scene.editor, nullptr);
  EXPECT_EQ(GetBGEditor(), menu.scene.editor.get());

  // A level's board comes first; its scene without an editor leaves the menu's editor.
  state_->LoadLevel("first");
  background::BGScene* boardScene = state_->GetBoard()->GetScene();
  EXPECT_EQ(GetBG(), boardScene);
  EXPECT_EQ(GetBGEditor(), menu.scene.editor.get());
  boardScene->KeyPressed(background::BGScene::kEditorKey);
  EXPECT_EQ(GetBGEditor(), boardScene->editor.get());

  // Neither the menu nor a board: nothing.
  state_->ShutdownLevel();
  flow.current = state_;
  EXPECT_EQ(GetBG(), nullptr);
  EXPECT_EQ(GetBGEditor(), nullptr);
  menu.scene.KeyPressed(background::BGScene::kEditorKey);
}

TEST_F(GameStateTest, PauseAppliesOnceAndOnlyWhileTheStateIsCurrent) {
  gameflow::GameFlowManager::Instance().current = nullptr;
  state_->Pause(true);
  EXPECT_FALSE(state_->IsPaused());

  gameflow::GameFlowManager::Instance().current = state_;
  state_->Pause(true);
  EXPECT_EQ(state_->GetPauseMode(), KivGameState::kPaused);
  EXPECT_TRUE(Panel("pause")->visible);
  Panel("pause")->SetIsVisible(false);
  state_->Pause(true);  // no change: not applied again
  EXPECT_FALSE(Panel("pause")->visible);

  state_->ShowHelp(true);
  EXPECT_EQ(state_->GetPauseMode(), KivGameState::kHelpShown);
  EXPECT_TRUE(state_->IsPaused());
  EXPECT_FALSE(Panel("pause")->visible);
  state_->ShowHelp(false);
  EXPECT_FALSE(state_->IsPaused());
}

TEST_F(GameStateTest, APressDuringAZenBreakEndsItAndNeverReachesTheBoard) {
  state_->LoadLevel("first");
  KivWell* board = state_->GetBoard();
  board->AddBlock(board->CreateBlock("flower", "flower_1", 1, 1, 1, 1), 1, 1, 0.0f);
  board->RebuildCells();
  const input::MouseButton left;
  const math::Vec2 at = board->CellToScreen(1, 1) + board->GetCellSize() * 0.5f;
  state_->SetZenBreak();
  state_->MouseButtonPressed(&left, &at);
  EXPECT_EQ(Calls("zen"), 1);
  EXPECT_FALSE(state_->IsZenBreak());
  EXPECT_TRUE(board->GetChain().empty());

  state_->MouseButtonPressed(&left, &at);
  EXPECT_EQ(Calls("zen"), 1);
  EXPECT_EQ(board->GetChain().size(), 1u);
}

TEST_F(GameStateTest, PointerMovesReachTheBoardAtMostEveryFiftieth) {
  state_->LoadLevel("first");
  std::set<float> seen;
  for (int i = 0; i < 100; ++i) {
    const math::Vec2 from(0.001f * static_cast<float>(i), 0.5f);
    const math::Vec2 to(0.001f * static_cast<float>(i + 1), 0.5f);
    state_->MouseMoved(&from, &to);
    seen.insert(state_->GetBoard()->GetPointer().x);
    StateFrames(1, 0.01f);
  }
  // One second of moves every 0.01 s: about one in six gets through.
  EXPECT_GE(seen.size(), 15u);
  EXPECT_LE(seen.size(), 21u);
}

TEST_F(GameStateTest, F2OpensTheSceneEditorOnlyWithTheDeveloperSwitch) {
  state_->LoadLevel("first");
  input::KeyEvent f2;
  f2.code = KivGameState::kKeyF2;
  state_->KeyPressed(&f2);
  EXPECT_EQ(GetBGEditor(), nullptr);

  testenv::WriteFile("dev.lua", "DEV_DATA = { EnableEditor = true }");
  KivVars::Instance().SetCheatMode(true);
  state_->KeyPressed(&f2);
  EXPECT_NE(GetBGEditor(), nullptr);
  KivVars::Instance().SetCheatMode(false);
}

TEST_F(GameStateTest, AWonLevelRunsNextLevelOnceAndALostOneReplaysOnce) {
  state_->LoadLevel("first");
  state_->GetBoard()->WinGame();
  for (int i = 0; i < 800; ++i) {
    StateFrames(1);
    CloseCompleteSummary();
  }
  EXPECT_EQ(Calls("summary"), 1);
  EXPECT_EQ(Calls("shop"), 1);
  EXPECT_EQ(Calls("next"), 1);
  EXPECT_EQ(Calls("replay"), 0);
  EXPECT_TRUE(state_->HasLevelEnded());

  state_->LoadLevel("first");
  EXPECT_FALSE(state_->HasLevelEnded());
  state_->GetBoard()->LooseGame();
  for (int i = 0; i < 800; ++i) {
    StateFrames(1);
    CloseCompleteSummary();
  }
  EXPECT_EQ(Calls("summary"), 2);
  EXPECT_EQ(Calls("shop"), 1) << "a loss never offers the shop";
  EXPECT_EQ(Calls("next"), 1);
  EXPECT_EQ(Calls("replay"), 1);
}

TEST_F(GameStateTest, ALevelLoadedFromInsideTheBoardsTickTakesTheBoardAwayAtTheNextFrame) {
  // The popup's summary request runs inside the board's tick; here it loads a level.
  Run("function CloseIngameUI(script) Count('close') GetGame():LoadLevel('first') end");
  state_->LoadLevel("first");
  state_->GetBoard()->WinGame();
  for (int i = 0; i < 100 && Calls("close") == 0; ++i) StateFrames(1);
  ASSERT_EQ(Calls("close"), 1);
  ASSERT_NE(state_->GetBoard(), nullptr);
  EXPECT_EQ(state_->GetBoard()->GetOverlay(), nullptr) << "the new level's board";
  StateFrames(5);
  EXPECT_FALSE(state_->HasLevelEnded());
}

TEST_F(GameStateTest, ReshuffleUnpausesAndTakesTheFlowers) {
  state_->LoadLevel("first");
  KivWell* board = state_->GetBoard();
  auto* flower = static_cast<KivBlock*>(board->CreateBlock("flower", "flower_1", 2, 2, 1, 1));
  board->AddBlock(flower, 2, 2, 0.0f);
  state_->Pause(true);
  state_->Reshuffle();
  EXPECT_FALSE(state_->IsPaused());
  EXPECT_TRUE(board->IsReshuffling());
}

TEST_F(GameStateTest, ScriptTextsAndSpellNames) {
  EXPECT_EQ(KivGameState::CloseIngameScript("ReplayLevel()"), "CloseIngameUI('ReplayLevel()')");
  EXPECT_EQ(KivGameState::CloseIngameScript("GoMap('it\\'s'); x = \"\\\\\""),
            "CloseIngameUI('GoMap(\\'it\\\\\\'s\\'); x = \\\"\\\\\\\\\\\"')");
  // The escaped text is one Lua string again: the script runs whole.
  Run("function CloseIngameUI(s) Closed = s end");
  Run(KivGameState::CloseIngameScript("Mark('a'); Mark(\"b\\\\c\")"));
  EXPECT_EQ(Global("Closed"), "Mark('a'); Mark(\"b\\\\c\")");

  EXPECT_EQ(KivGameState::SpellBrushName(7, 2), "fireball[2]");
  EXPECT_EQ(KivGameState::SpellBrushName(1, 0), "match");
  EXPECT_EQ(KivGameState::SpellBrushName(6, 3), "lightning[3]");
  EXPECT_EQ(KivGameState::SpellBrushName(0, 4), "");
}

TEST_F(GameStateTest, TriggerSpellArmsBrushesAndTheTimeSpellActsAtOnce) {
  Run("Reports = '' function SpellTriggered(name, ok) Reports = Reports .. name .. '=' .. tostring(ok) .. ';' end");
  testenv::WriteFile("effects/spell_timer.p2d",
                     "Part2D = { { Image = 'effects/dot.png', MaxC = 200, Lifespan = { 0.1, 0.1 },\n"
                     "             GenRate = 0.0, IsSecondary = 0 } }\n");
  state_->LoadLevel("FIRST");
  KivWell* board = state_->GetBoard();
  ASSERT_NE(board, nullptr);
  state_->TriggerSpell(7, 2);
  ASSERT_NE(board->GetSpellBrush(), nullptr);
  EXPECT_EQ(board->GetSpellBrush()->GetName(), "fireball[2]");
  EXPECT_EQ(board->GetSpellBrush()->GetSpell()->GetPower(), 2);
  state_->TriggerSpell(0, 3);
  EXPECT_EQ(board->GetSpellBrush(), nullptr);

  // The time spell: 2 x time_token (10) seconds back on the level's clock, its TIME
  // goal, by its particles.
  KivGoal* clock = board->GetFailGoal();
  ASSERT_NE(clock, nullptr);
  clock->progress = 50.0f;
  state_->TriggerSpell(5, 2);
  EXPECT_EQ(board->GetSpellBrush(), nullptr);
  StateFrames(30);
  EXPECT_NEAR(clock->progress, 50.0f + 30 * 0.02f - 20.0f, 1e-3f);
  EXPECT_EQ(Global("Reports"), "time=true;");
  // From the display's buttons (level 0) it counts as level 1; in free play it scores.
  KivVars::Instance().SetFreeplay(true);
  const int32_t score = board->GetScore();
  state_->TriggerSpell(5, 0);
  EXPECT_EQ(board->GetScore(), score + 100);
  state_->TriggerSpell(5, 3);
  EXPECT_EQ(board->GetScore(), score + 400);
}

TEST_F(GameStateTest, ClosingTheEditorRestartsATimeFailGoal) {
  state_->LoadLevel("FIRST");
  KivWell* board = state_->GetBoard();
  ASSERT_NE(board, nullptr);
  ASSERT_NE(board->GetFailGoal(), nullptr);
  KivVars::Instance().SetCheatMode(true);
  testenv::WriteFile("dev.lua", "DEV_DATA = { EnableEditor = true }\n");
  board->KeyPressed(KivWell::kKeyF1);
  ASSERT_TRUE(board->HasEditor());
  board->GetFailGoal()->progress = 42.0f;
  board->KeyPressed(KivWell::kKeyF1);
  EXPECT_FALSE(board->HasEditor());
  EXPECT_EQ(board->GetFailGoal()->progress, 0.0f);
}

TEST_F(GameStateTest, TheLevelsClockWaitsWhileTheStudioIsOpenOverIt) {
  ui::UIWidget* studioPanel = Make(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
  studioPanel->SetName(KivFashionStudio::kPanel);
  studioPanel->SetIsVisible(false);
  state_->LoadLevel("FIRST");
  KivGoal* clock = state_->GetBoard()->GetFailGoal();
  ASSERT_NE(clock, nullptr);
  StateFrames(5);
  const float before = clock->progress;
  EXPECT_GT(before, 0.0f) << "the clock runs while the level plays";

  KivFashionStudio::Instance().SetIsVisible(true);
  StateFrames(50);
  EXPECT_EQ(clock->progress, before) << "the studio's Studio button stops the clock";

  KivFashionStudio::Instance().SetIsVisible(false);
  StateFrames(5);
  EXPECT_GT(clock->progress, before);
}

TEST_F(GameStateTest, ACardOrPopupOverTheLevelIsAnyPanelShownBesideTheDisplay) {
  ui::UIWidget* display = Make(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
  display->SetName("in_game");
  state_->OnEnter();
  for (ui::UIWidget* panel : ui::GetUIMan().GetPanels()) {
    if (panel != display) panel->SetIsVisible(false);
  }
  ASSERT_TRUE(state_->DisplayShown());
  EXPECT_FALSE(state_->PopupShown()) << "the display alone is no card";

  state_->Pause(true);
  EXPECT_TRUE(state_->PopupShown()) << "the pause card";
  state_->Pause(false);
  EXPECT_FALSE(state_->PopupShown());
  summaryPanel_->SetIsVisible(true);
  EXPECT_TRUE(state_->PopupShown()) << "the summary";

  // The end of a level puts the display away: what the board draws over it goes too.
  display->SetIsVisible(false);
  EXPECT_FALSE(state_->DisplayShown());
  ASSERT_TRUE(ui::GetUIMan().DropPanel(display, true));
  EXPECT_FALSE(state_->DisplayShown()) << "a display dropped under the state is not followed";
}

// --- A level played through ---

// Plays levels through the level state with the tests' level player: it finds a chain of
// flowers (over tiles still to turn when there is one), drags it with the scripted mouse
// and waits for the board to settle. Frames are 1/60 s; both generators are seeded.
class LevelReplayTest : public GameStateTest {
 protected:
  static constexpr float kFrame = 1.0f / 60.0f;

  void SetUp() override {
    GameStateTest::SetUp();
    testenv::WriteFile("replay_goals.lua",
                       "Goals = { { GoalName = 'r_tiles', Type = 'CLEAR_TILE' },\n"
                       "          { GoalName = 'r_long', Type = 'TIME', Count = 600 },\n"
                       "          { GoalName = 'r_short', Type = 'TIME', Count = 3 } }\n");
    testenv::WriteFile("replay_levels.lua",
                       "Levels = {\n"
                       "  { Index = 1, LevelName = 'win', Layout = 'replay.lua', Goal1 = 'r_tiles', Failure = 'r_long',\n"
                       "    flower_1 = 1, flower_2 = 1, GenMode = 'AUTO', GenSpeed = 0.1 },\n"
                       "  { Index = 2, LevelName = 'lose', Layout = 'replay.lua', Goal1 = 'r_tiles', Failure = 'r_short',\n"
                       "    flower_1 = 1, flower_2 = 1, GenMode = 'AUTO', GenSpeed = 0.1 } }\n");
    std::string tiles = "GameMode = {}\nTiles = {\n";
    for (int y = 0; y < KivWell::kGridHeight; ++y) {
      for (int x = 0; x < KivWell::kGridWidth; ++x) tiles += (x >= 5 && x < 9 && y >= 4 && y < 7) ? "2, " : "0, ";
      tiles += "\n";
    }
    testenv::WriteFile("replay.lua", tiles + "}\nBlocks = {}\n");
    LevelInfo::Instance().LoadGoals("replay_goals.lua");
    LevelInfo::Instance().LoadLevels("replay_levels.lua");
    Run("function OnEnterGame() GetGame():StartLevelOpening() GetGame():FinishLevelOpening() end");
  }

  struct Result {
    int32_t score = 0;
    int moves = 0;
    int spells = 0;
    bool won = false;
  };

  void PointerTo(KivWell& board, int x, int y, bool held) {
    const math::Vec2 from = input::GetDevices().mouse->position;
    const math::Vec2 to = board.CellToScreen(x, y) + board.GetCellSize() * 0.5f;
    SetPointer(to, held);
    state_->MouseMoved(&from, &to);
  }

  // The player drags the chain with the left button, a frame at each cell.
  void DragChain(KivWell& board, const std::vector<std::pair<int, int>>& chain) {
    const input::MouseButton left;
    PointerTo(board, chain.front().first, chain.front().second, true);
    state_->MouseButtonPressed(&left, &input::GetDevices().mouse->position);
    for (const auto& [x, y] : chain) {
      PointerTo(board, x, y, true);
      StateFrames(1, kFrame);
    }
    PointerTo(board, chain.back().first, chain.back().second, false);
    state_->MouseButtonReleased(&left, &input::GetDevices().mouse->position);
  }

  // With castMatch the player's first move is a match spell cast at the chain's first cell.
  Result Play(const std::string& level, bool player, int maxFrames, bool castMatch = false) {
    num::Random::Instance().Seed(99);
    num::CSRand(99);
    state_->LoadLevel(level);
    gameflow::GameFlowManager::Instance().current = nullptr;
    gameflow::GameFlowManager::Instance().EnterState(state_);
    Result result;
    const input::MouseButton left;
    int wait = 30;
    int reading = 0;
    for (int frame = 0; frame < maxFrames && !state_->HasLevelEnded(); ++frame) {
      StateFrames(1, kFrame);
      CloseCompleteSummary();
      if (KivHelp::Instance().ShowsHint()) {
        // The player reads the tip for a while, then clicks it away.
        if (player && ++reading > 70) {
          reading = 0;
          state_->MouseButtonReleased(&left, &input::GetDevices().mouse->position);
        }
        continue;
      }
      KivWell* board = state_->GetBoard();
      if (!player || !board || board->GetOverlay() || board->IsTransitionRunning() || --wait > 0) continue;
      const std::vector<std::pair<int, int>> chain = FindChain(*board);
      wait = 20;
      if (chain.empty()) continue;
      if (castMatch && result.spells == 0) {
        // The level state's board runs on the process's frame clock: it is advanced here
        // past the spell's arming delay (and the pointer's throttle).
        FrameTimer& clock = FrameTimer::Instance();
        state_->TriggerSpell(1, 0);
        const float armed = clock.GetTime();
        PointerTo(*board, chain.front().first, chain.front().second, false);
        for (int i = 0; i < 120 && (i < 6 || clock.GetTime() - armed < 0.06f); ++i) {
          StateFrames(1, kFrame);
          clock.Update();
        }
        PointerTo(*board, chain.front().first, chain.front().second, false);
        state_->MouseButtonReleased(&left, &input::GetDevices().mouse->position);
        if (!board->GetSpellBrush()) ++result.spells;
        ++result.moves;
        continue;
      }
      DragChain(*board, chain);
      ++result.moves;
    }
    if (KivWell* board = state_->GetBoard()) {
      result.score = board->GetScore();
      result.won = board->HasWon();
    }
    // The end runs once, however long the popup stays done.
    for (int frame = 0; frame < 60; ++frame) {
      StateFrames(1, kFrame);
      CloseCompleteSummary();
    }
    return result;
  }
};

TEST_F(LevelReplayTest, APlayerWinsALevelAndTheNextLevelFollowsOnce) {
  const Result first = Play("win", true, 60 * 120);
  EXPECT_TRUE(first.won);
  EXPECT_GT(first.moves, 0);
  EXPECT_GT(first.score, 0);
  EXPECT_EQ(Calls("next"), 1);
  EXPECT_EQ(Calls("replay"), 0);
  EXPECT_EQ(Calls("summary"), 1);
  // The summary kept the level's best score (with its time bonus) and its cleared state.
  EXPECT_EQ(rms_->GetScore(0), first.score);
  EXPECT_TRUE(rms_->IsCleared(0));

  const Result second = Play("win", true, 60 * 120);
  EXPECT_EQ(second.score, first.score);
  EXPECT_EQ(second.moves, first.moves);
  EXPECT_EQ(Calls("next"), 2);
}

TEST_F(LevelReplayTest, APlayerWhoOpensWithAMatchSpellWinsTheSameWayForOneSeed) {
  Run("Reports = '' function SpellTriggered(name, ok) Reports = Reports .. name .. '=' .. tostring(ok) .. ';' end");
  const Result first = Play("win", true, 60 * 120, true);
  EXPECT_EQ(first.spells, 1);
  EXPECT_TRUE(first.won);
  EXPECT_GT(first.score, 0);
  EXPECT_EQ(Global("Reports"), "match=true;");

  const Result second = Play("win", true, 60 * 120, true);
  EXPECT_EQ(second.spells, 1);
  EXPECT_EQ(second.score, first.score);
  EXPECT_EQ(second.moves, first.moves);
  EXPECT_EQ(Global("Reports"), "match=true;match=true;");
}

TEST_F(LevelReplayTest, APlayerWhoWaitsLosesToTheClockAndTheLevelIsReplayedOnce) {
  const Result result = Play("lose", false, 60 * 10);
  EXPECT_FALSE(result.won);
  EXPECT_EQ(result.moves, 0);
  EXPECT_EQ(Calls("replay"), 1);
  EXPECT_FALSE(rms_->IsCleared(1));
  EXPECT_EQ(Calls("next"), 0);
}

TEST_F(LevelReplayTest, ATimeBlockAndTheTimeSpellEachGiveTheClockTimeBack) {
  Run("Reports = '' function SpellTriggered(name, ok) Reports = Reports .. name .. '=' .. tostring(ok) .. ';' end");
  testenv::WriteFile("effects/spell_timer.p2d",
                     "Part2D = { { Image = 'effects/dot.png', MaxC = 200, Lifespan = { 0.1, 0.1 },\n"
                     "             GenRate = 0.0, IsSecondary = 0 } }\n");
  // The board of "win" with a time block in the middle of its tiles, on the long clock.
  std::string layout = testenv::ReadFile("replay.lua");
  layout.replace(layout.find("Blocks = {}"), std::string("Blocks = {}").size(),
                 "Blocks = { { Type = 'timeblock', Color = 'any', X = 6, Y = 5, Width = 1, Height = 1 } }");
  testenv::WriteFile("replay_time.lua", layout);
  testenv::WriteFile("replay_time_levels.lua",
                     "Levels = { { Index = 3, LevelName = 'timed', Layout = 'replay_time.lua', Goal1 = 'r_tiles',\n"
                     "  Failure = 'r_long', flower_1 = 1, flower_2 = 1, GenMode = 'AUTO', GenSpeed = 0.1 } }\n");
  LevelInfo::Instance().LoadLevels("replay_time_levels.lua");
  num::Random::Instance().Seed(99);
  num::CSRand(99);
  state_->LoadLevel("timed");
  gameflow::GameFlowManager::Instance().current = nullptr;
  gameflow::GameFlowManager::Instance().EnterState(state_);
  KivWell* board = state_->GetBoard();
  ASSERT_NE(board, nullptr);
  KivGoal* clock = board->GetFailGoal();
  ASSERT_NE(clock, nullptr);
  ASSERT_EQ(clock->kind, KivGoal::kTime);

  // Frames of play; the player clicks away the tips the level shows.
  const input::MouseButton left;
  int reading = 0;
  auto play = [&](int frames) {
    for (int i = 0; i < frames; ++i) {
      StateFrames(1, kFrame);
      if (KivHelp::Instance().ShowsHint() && ++reading > 70) {
        reading = 0;
        state_->MouseButtonReleased(&left, &input::GetDevices().mouse->position);
      }
    }
  };
  // Half a minute of the clock, enough for both to give their seconds back in full.
  play(60 * 30);
  ASSERT_FALSE(KivHelp::Instance().ShowsHint());
  ASSERT_NE(board->GetKivBlock(6, 5), nullptr);
  ASSERT_EQ(board->GetKivBlock(6, 5)->kind, kKindTime);

  // Two flowers of one colour beside the time block make a chain through it.
  std::vector<std::pair<int, int>> chain;
  for (int first = 0; first < 9 && chain.empty(); ++first) {
    for (int second = first + 1; second < 9 && chain.empty(); ++second) {
      const int ax = 5 + first % 3, ay = 4 + first / 3, bx = 5 + second % 3, by = 4 + second / 3;
      KivBlock* a = board->GetKivBlock(ax, ay);
      KivBlock* b = board->GetKivBlock(bx, by);
      if (a && b && a->kind == kKindFlower && b->kind == kKindFlower && a->color == b->color) {
        chain = {{ax, ay}, {6, 5}, {bx, by}};
      }
    }
  }
  ASSERT_FALSE(chain.empty());
  const float beforeBlock = clock->progress;
  ASSERT_GT(beforeBlock, 25.0f) << "the clock has been running";
  DragChain(*board, chain);
  play(60);
  // time_token (10) seconds back, against about one second played.
  const float afterBlock = clock->progress;
  EXPECT_LT(afterBlock, beforeBlock - 8.5f);
  EXPECT_GT(afterBlock, beforeBlock - 10.0f);

  // The time spell of level 1 from the display's button: another time_token seconds.
  state_->TriggerSpell(5, 1);
  play(60);
  EXPECT_LT(clock->progress, afterBlock - 8.5f);
  EXPECT_GT(clock->progress, afterBlock - 10.0f);
  EXPECT_EQ(Global("Reports"), "time=true;");
  EXPECT_FALSE(state_->HasLevelEnded());
}

// --- The heroine in the display ---

TEST_F(GameStateTest, EnteringPutsTheHeroinesCopyInTheDisplayAndTheStudioRedressesIt) {
  testenv::WriteFile(KivHana::kSetupFile,
                     "Character = { { Name = 'hair', Parts = { 'hair1', 'hair2' } },\n"
                     "              { Name = 'dress', Offset = { 0, 60 }, Parts = { 'dress1' } } }\n");
  testenv::WriteFile(KivDresses::kItemsFile, "Clothes = {}\n");
  ui::UIWidget* display = Make(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
  display->SetName("in_game");
  ui::UIWidget* holder = Make(math::Vec2(0.03f, 0.48f), math::Vec2(0.15f, 0.2f), display);
  holder->SetName("hana");
  ui::UIWidget* timer = Make(math::Vec2(0.0f, 0.0f), math::Vec2(0.15f, 0.2f), holder);
  timer->SetName("ui_timer_001");
  Make(math::Vec2(0.0f, 0.0f), math::Vec2(0.02f, 0.18f), holder)->SetName("timer_bar");
  KivFashionPopup::Instance().Enable(true);
  KivFashionStudio& studio = KivFashionStudio::Instance();
  studio.Enable(true);

  state_->OnEnter();
  KivHanaWidget* avatar = state_->GetAvatar();
  ASSERT_NE(avatar, nullptr);
  ASSERT_EQ(holder->GetChildren().size(), 3u);
  EXPECT_EQ(holder->GetChildren()[1], avatar);  // right after the timer's backdrop
  EXPECT_FLOAT_EQ(avatar->GetPosition().x, 0.03f);
  EXPECT_FLOAT_EQ(avatar->GetSize().y, 0.2f);
  // 0.15 x 0.2 over an extent of 0.1 x 0.2.
  EXPECT_FLOAT_EQ(avatar->GetHana()->GetScale(), 1.5f);
  EXPECT_FALSE(KivFashionPopup::Instance().IsEnabled());
  EXPECT_FALSE(studio.IsEnabled());

  // A refresh of the studio while it is enabled re-dresses the heroine and the copy once.
  studio.Enable(true);
  studio.RefreshParts();
  KivVars::Instance().SetValue(KivVars::kHeadWorn, 2);
  StateFrames(1);
  EXPECT_EQ(KivDresses::Instance().GetHana()->FindPart("hair")->current, "hair2");
  EXPECT_EQ(avatar->GetHana()->FindPart("hair")->current, "hair2");
  KivVars::Instance().SetValue(KivVars::kHeadWorn, 1);
  StateFrames(1);
  EXPECT_EQ(avatar->GetHana()->FindPart("hair")->current, "hair2");

  // Entering again replaces the copy; leaving disables the fashion screens.
  state_->OnEnter();
  EXPECT_NE(state_->GetAvatar(), nullptr);
  EXPECT_EQ(holder->GetChildren().size(), 3u);
  KivFashionPopup::Instance().Enable(true);
  studio.Enable(true);
  state_->OnExit();
  EXPECT_FALSE(KivFashionPopup::Instance().IsEnabled());
  EXPECT_FALSE(studio.IsEnabled());

  // A display dropped under the state takes the copy with it.
  ASSERT_TRUE(ui::GetUIMan().DropPanel(display, true));
  EXPECT_EQ(state_->GetAvatar(), nullptr);
  studio.Enable(true);
  studio.RefreshParts();
  StateFrames(1);
  state_->OnEnter();
  EXPECT_EQ(state_->GetAvatar(), nullptr);
}

}  // namespace
}  // namespace boardtest

namespace boardtest {
namespace {

// --- Panels rebuilt under the level ---

// The display as a file the UI manager can rebuild it from: the numbers, the zen and spell
// bars, "Start again", the heroine's place with the timer bar, and the pause button.
std::string DisplayFile() {
  std::string children;
  auto add = [&children](const std::string& name, const char* type, float y) {
    children += "  { Name = '" + name + "', Type = '" + type + "', Pos = { 0.02, " + std::to_string(y) +
                " }, Size = { 0.15, 0.02 } },\n";
  };
  add("score_box", "Widget", 0.23f);
  add("set_box", "Widget", 0.3f);
  add("coins_box", "Widget", 0.36f);
  add("zen_power", "Progress", 0.43f);
  for (int n = 1; n <= 6; ++n) add("specials_00" + std::to_string(n), "Progress", 0.69f + 0.03f * n);
  add("PuzzleReset", "Widget", 0.95f);
  add("btn_pause", "Widget", 0.9f);
  children += "  { Name = 'hana', Type = 'Widget', Pos = { 0.03, 0.48 }, Size = { 0.15, 0.2 }, Children = {\n"
              "    { Name = 'ui_timer_001', Type = 'Widget', Pos = { 0, 0 }, Size = { 0.15, 0.2 } },\n"
              "    { Name = 'timer_bar', Type = 'Progress', Pos = { 0, 0 }, Size = { 0.02, 0.18 } } } },\n";
  return "Panel = { Name = 'in_game', Type = 'Widget', Pos = { 0, 0 }, Size = { 1, 1 }, Children = {\n" + children +
         "} }\n";
}

TEST_F(GameStateTest, ARebuiltDisplayShowsTheLevelAsItWasAndPlayGoesOn) {
  testenv::WriteFile(KivHana::kSetupFile, "Character = { { Name = 'hair', Parts = { 'hair1' } } }\n");
  testenv::WriteFile(KivDresses::kItemsFile, "Clothes = {}\n");
  testenv::WriteFile("ui/in_game.ui", DisplayFile());
  ASSERT_NE(ui::GetUIMan().AddPanel("ui/in_game.ui"), nullptr);
  // An open level (no puzzle) with the spells 1, 2 and 5, the first half charged.
  testenv::WriteFile("open_levels.lua",
                     "Levels = { { LevelName = 'open', Layout = 'first.lua', Goal1 = 'tiles',\n"
                     "  Failure = 'clock', flower_1 = 1, GenMode = 'AUTO', GenSpeed = 0.02 } }\n");
  LevelInfo::Instance().LoadLevels("open_levels.lua");
  Run("function UpdateSpellUI() end");
  KivVars::Instance().SetValue(KivHelp::kHintsOffVar, 1);  // no tip holds the level
  state_->LoadLevel("open");
  state_->OnEnter();
  KivWell* board = state_->GetBoard();
  ASSERT_NE(board, nullptr);
  const int costs[6] = {6, 8, 0, 0, 6, 0};
  for (int n = 1; n <= 6; ++n) state_->SetSpellCost(n, costs[n - 1]);
  state_->AddZen(3, 0);
  board->ShowSpellBars();
  state_->SetTooltip("btn_pause", "TOOLTIP_PAUSE");
  board->AdjustCounter(1234);
  board->AddGold(56);
  StateFrames(150);
  board->GetFailGoal()->progress = 25.0f;
  ui::UIWidget* old = Panel("in_game");
  ASSERT_EQ(old->GetWidgetByName("score_box")->GetText(), "1,234");

  // The player types GetUIMan():RefreshActive() into the console.
  Run("GetUIMan():RefreshActive()");
  ui::UIWidget* display = Panel("in_game");
  ASSERT_NE(display, nullptr);
  // The next frame, tick and draw, shows the level in the new panel.
  state_->Render();
  auto widget = [display](const char* name) { return display->GetWidgetByName(name); };
  EXPECT_EQ(widget("score_box")->GetText(), "1,234");
  EXPECT_EQ(widget("coins_box")->GetText(), "56");
  std::string bars;
  for (int n = 1; n <= 6; ++n) bars += widget(("specials_00" + std::to_string(n)).c_str())->GetIsVisible() ? '1' : '0';
  EXPECT_EQ(bars, "110010");
  EXPECT_FLOAT_EQ(display->GetProgressByName("specials_001")->GetProgress(), 0.5f);
  EXPECT_FALSE(widget("PuzzleReset")->GetIsVisible()) << "no puzzle";
  EXPECT_TRUE(state_->DisplayShown()) << "the board draws its goal icons over it";
  ASSERT_NE(state_->GetAvatar(), nullptr);
  EXPECT_EQ(state_->GetAvatar()->parent, widget("hana"));
  auto* tips = dynamic_cast<KivTooltipWidget*>(state_->GetTooltipCarrier());
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(tips->GetRoot(), display);
  ASSERT_EQ(tips->GetTooltips().GetRecords().size(), 1u);
  EXPECT_EQ(tips->GetTooltips().GetRecords()[0].widget.Get(), widget("btn_pause"));
  ui::UIProgress* timer = display->GetProgressByName("timer_bar");
  EXPECT_FLOAT_EQ(timer->GetProgress(), 0.25f);
  EXPECT_NE(display->GetProgressByName("timer_bar_overlay"), nullptr);

  // Play goes on in the new panel.
  board->AdjustCounter(100);
  board->AddGold(4);
  StateFrames(60);
  state_->Render();
  EXPECT_EQ(widget("score_box")->GetText(), "1,334");
  EXPECT_EQ(widget("coins_box")->GetText(), "60");
  EXPECT_GT(timer->GetProgress(), 0.25f);

  // A display dropped for good leaves the level without it, and play goes on.
  ASSERT_TRUE(ui::GetUIMan().DropPanel(display, true));
  StateFrames(5);
  state_->Render();
  EXPECT_FALSE(state_->DisplayShown());
  EXPECT_EQ(state_->GetAvatar(), nullptr);
}

TEST_F(GameStateTest, RebuiltPauseAndHelpPanelsFollowThePauseMode) {
  for (const char* name : {"pause", "help_flash"}) {
    testenv::WriteFile(std::string("ui/") + name + ".ui",
                       std::string("Panel = { Name = '") + name +
                           "', Type = 'Widget', Pos = { 0, 0 }, Size = { 1, 1 },\n"
                           "  Children = { { Name = 'flash_1', Type = 'Widget',\n"
                           "    Pos = { 0, 0 }, Size = { 1, 1 } } } }\n");
  }
  Run("function SetupFlashHelp() Count('setup') end");
  state_->LoadLevel("first");
  state_->Pause(true);
  ASSERT_TRUE(Panel("pause")->GetIsVisible());
  // The pause card rebuilt while it shows shows again; the game stays paused.
  ui::GetUIMan().DropPanel(Panel("pause"), true);
  ASSERT_NE(ui::GetUIMan().AddPanel("ui/pause.ui"), nullptr);
  Panel("pause")->SetIsVisible(false);
  StateFrames(1);
  EXPECT_TRUE(Panel("pause")->GetIsVisible());
  state_->Pause(false);
  EXPECT_FALSE(Panel("pause")->GetIsVisible());

  // The help rebuilt while it shows plays its movies again; rebuilt while it does not, its
  // movies wait hidden.
  state_->ShowHelp(true);
  ui::GetUIMan().DropPanel(Panel("help_flash"), true);
  ASSERT_NE(ui::GetUIMan().AddPanel("ui/help_flash.ui"), nullptr);
  StateFrames(1);
  EXPECT_EQ(Calls("setup"), 1);
  state_->ShowHelp(false);
  ui::GetUIMan().DropPanel(Panel("help_flash"), true);
  ASSERT_NE(ui::GetUIMan().AddPanel("ui/help_flash.ui"), nullptr);
  StateFrames(1);
  EXPECT_EQ(Calls("setup"), 1);
  EXPECT_FALSE(Panel("help_flash")->GetWidgetByName("flash_1")->GetIsVisible());
}

}  // namespace
}  // namespace boardtest
