// A full frame of a level on OpenGL (headless unless SDL_VIDEODRIVER says otherwise): a
// level of the pack with its board from the packed data (tiles, wall, the blocks of its file
// and those its generator deals in its first seconds, a held chain with its marks and
// sparkles, particle bursts, a zen lightning) and the in-level display with the heroine's
// copy in it (her figure from the packed data, dressed from a fresh profile), against a
// frame that is only cleared, in the same run. The board's tick alone is timed too.
// Prints the medians of five repetitions, the ratios with and without the rasteriser's
// threads, the main thread's CPU time and the draw calls of a frame.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchFrame.h"
#include "bench/BenchRatios.h"
#include "bench/DrawCounter.h"
#include "engine/app/Input.h"
#include "engine/app/Mouse.h"
#include "engine/background/BGScene.h"
#include "engine/core/Random.h"
#include "engine/core/VFS.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIManager.h"
#include "game/board/KivHelp.h"
#include "game/board/KivHintPopup.h"
#include "game/board/KivScore.h"
#include "game/board/KivWell.h"
#include "game/board/KivWellSFX.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivHanaWidget.h"
#include "game/shell/KivVars.h"
#include "tests/board/LevelPlayer.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

struct Scene {
  BenchRenderer renderer;
  Graphics* graphics = nullptr;
  std::unique_ptr<KivWell> board;
  KivHanaWidget* avatar = nullptr;  // the display panel's
  bool ready = false;
};

// The pack's busiest level: the most kinds of block on its board and in its generator's
// weights, two goals, and its region's scene behind it (which its script loads in play).
constexpr const char* kLevelName = "festival";
constexpr const char* kLevelScene = "backgrounds/tavanda.lua";
// Seconds of play before the frames are timed, for the generator to deal the board full.
constexpr int kDealFrames = 600;

// The chain the tests' player would draw next, held under a held left button.
void HoldChain(KivWell& board) {
  const std::vector<std::pair<int, int>> chain = boardtest::FindChain(board);
  if (chain.empty()) return;
  input::Mouse* mouse = input::GetDevices().mouse;
  const auto centre = [&board](const std::pair<int, int>& cell) {
    return board.CellToScreen(cell.first, cell.second) + board.GetCellSize() * 0.5f;
  };
  if (mouse) {
    mouse->position = centre(chain.front());
    mouse->buttons[0].down = true;
  }
  board.MouseButtonPressed(KivWell::kLeftButton, centre(chain.front()));
  for (const auto& cell : chain) {
    if (mouse) mouse->position = centre(cell);
    board.GrowChain(centre(cell));
  }
}

Scene& GetScene() {
  static Scene scene = [] {
    Scene s;
    if (!OpenBenchRenderer(s.renderer)) return s;
    s.graphics = s.renderer.graphics;
    // Filtered, as the game's start-up sets it on this device (card class 2).
    s.graphics->SetFiltering(s.graphics->cardClass >= 1);
    vfs::VFS::Instance().AddArchive(std::string(PELLAVO_BINARY_DIR) + "/bin/kx.arc");
    KivVars::Instance().LoadConstants();
    ui::GetSpriteSet().Load("img/sprites.lua");
    ui::GetSpriteSet().Load("hana/sprites.lua");
    ui::UIWidget* display = ui::GetUIMan().AddPanel("ui/in_game.ui");
    // The heroine's copy where the level state puts it.
    ui::UIWidget* holder = display ? display->GetWidgetByName("hana") : nullptr;
    KivHana* hana = KivDresses::Instance().GetHana();
    if (holder && hana) {
      hana->ReloadCurrent();
      s.avatar = new KivHanaWidget(*hana);
      holder->InsertChild(s.avatar, false, "ui_timer_001");
      s.avatar->FitToParent();
    }
    input::GetDevices().Init(nullptr);
    LevelInfo::Instance().LoadGoals(LevelInfo::kGoalsFile);
    LevelInfo::Instance().LoadLevels(LevelInfo::kLevelsFile);
    KivScore::Instance().Load();
    const LevelData* level = LevelInfo::Instance().FindLevel(kLevelName);
    if (!level) return s;
    num::Random::Instance().Seed(7);
    num::CSRand(7);
    s.board = std::make_unique<KivWell>(nullptr);
    s.board->InitUI();
    s.board->Load(level->layout, level);
    if (background::BGScene* scene = s.board->GetScene()) scene->Load(kLevelScene);
    for (int i = 0; i < kDealFrames; ++i) s.board->Tick(kFrame);
    // The timed frames neither win nor lose the level.
    s.board->SetGoalsActive(false);
    s.board->SetSpellCost(0, 100);
    HoldChain(*s.board);
    s.ready = s.board->GetChain().size() >= 3 && s.avatar;
    return s;
  }();
  return scene;
}

// Bursts and a lightning kept going: started again every half second of frames.
void KeepEffects(KivWell& board, int frame) {
  KivWellSFX* sfx = board.GetKivSFX();
  if (!sfx || frame % 30 != 0) return;
  for (int x = 1; x <= 13; x += 3) {
    sfx->CoinsAt(x, 2, 0);
    sfx->SparkleAt(x, 8, 0);
  }
  sfx->StartZenLightning(0, board.CellToScreen(7, 5), math::Vec2(0.08f, 0.55f));
}

// One frame of the level: its effects kept going, the board and the heroine ticked, the
// board, the display and the board's UI layer drawn.
void DrawLevelFrame(Scene& scene, int& frame) {
  KeepEffects(*scene.board, frame++);
  scene.board->Tick(kFrame);
  scene.avatar->Tick(kFrame);
  scene.board->Render();
  ui::GetUIMan().Render();
  scene.board->RenderUI(false);
}

void BM_LevelFrame(benchmark::State& state) {
  Scene& scene = GetScene();
  int frame = 0;
  RunBenchFrames(state, scene.graphics, scene.ready, [&scene, &frame] { DrawLevelFrame(scene, frame); });
  if (!scene.ready) return;
  benchdraws::CountFrameDraws(state, scene.graphics, [&scene, &frame] { DrawLevelFrame(scene, frame); });
  state.counters["chain"] = static_cast<double>(scene.board->GetChain().size());
  state.counters["blocks"] = static_cast<double>(scene.board->GetBlockCount());
}
BENCHMARK(BM_LevelFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

// The same frame with a tip open over the board (the one shown every time), its frame,
// corners and text drawn and its particle border burst again every half second.
void BM_LevelFrameWithTip(benchmark::State& state) {
  Scene& scene = GetScene();
  KivHelp& help = KivHelp::Instance();
  help.ShowHint(KivHelp::kAlwaysShownTip, scene.board ? scene.board->CellToScreen(3, 3) : math::Vec2(0.3f, 0.3f),
                scene.board ? scene.board->CellToScreen(6, 6) : math::Vec2(0.5f, 0.5f));
  auto* popup = dynamic_cast<KivHintPopup*>(help.GetPopup());
  int frame = 0;
  const auto draw = [&scene, &frame, &help, popup] {
    if (frame % 30 == 0) popup->BorderBurst();
    help.Tick(kFrame);
    DrawLevelFrame(scene, frame);
    help.Render();
  };
  RunBenchFrames(state, scene.graphics, scene.ready && popup, draw);
  if (scene.ready && popup) benchdraws::CountFrameDraws(state, scene.graphics, draw);
  state.counters["tip"] = help.ShowsHint() ? 1.0 : 0.0;
  help.RemoveAll();
}
BENCHMARK(BM_LevelFrameWithTip)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

void BM_ClearOnlyFrame(benchmark::State& state) {
  Scene& scene = GetScene();
  RunBenchFrames(state, scene.graphics, scene.ready, [] {});
  if (scene.ready) benchdraws::CountFrameDraws(state, scene.graphics, [] {});
}
BENCHMARK(BM_ClearOnlyFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

void BM_BoardTickOnly(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.ready) {
    state.SkipWithError("no renderer or no board");
    return;
  }
  int frame = 0;
  for (auto _ : state) {
    KeepEffects(*scene.board, frame++);
    scene.board->Tick(kFrame);
  }
}
BENCHMARK(BM_BoardTickOnly)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

}  // namespace

int main(int argc, char** argv) {
  UseHeadlessDefaults();
  BenchFolder folder("bench_level");
  if (!folder.ok()) return 1;
  // The scene's bipeds: their animations are listed from the disk beside the program.
  for (const char* animations : {"anim", "bganim"}) {
    const std::string target = std::string(PELLAVO_BINARY_DIR) + "/bin/" + animations;
    if (symlink(target.c_str(), animations) != 0) std::perror(animations);
  }
  const int status = RunRatioBenchmarks(argc, argv,
                                        {{"Level frame / clear-only frame", "BM_LevelFrame", "BM_ClearOnlyFrame"},
                                         {"Level frame with a tip / clear-only frame", "BM_LevelFrameWithTip",
                                          "BM_ClearOnlyFrame"}});
  Scene& scene = GetScene();
  scene.board.reset();
  LevelInfo::Shutdown();
  KivHelp::Shutdown();
  ui::GetUIMan().DropAllPanels();
  KivDresses::Destroy();
  ui::GetSpriteSet().Clear();
  input::GetDevices().Shutdown();
  CloseBenchRenderer(scene.renderer);
  benchmark::Shutdown();
  return status;
}
