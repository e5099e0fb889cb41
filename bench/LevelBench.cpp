// A full frame of a level on OpenGL (headless unless SDL_VIDEODRIVER says otherwise): the
// game's board from the packed data (tiles, wall, flowers, a ten-block chain with its
// marks and sparkles, particle bursts, a zen lightning) and the in-level display with the
// heroine's copy in it (her figure from the packed data, dressed from a fresh profile), against
// a frame that is only cleared, in the same run. The board's tick alone is timed too.
// Prints frames per second of each.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/BenchFrame.h"
#include "engine/app/Input.h"
#include "engine/app/Mouse.h"
#include "engine/core/VFS.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIManager.h"
#include "game/board/KivHelp.h"
#include "game/board/KivHintPopup.h"
#include "game/board/KivWell.h"
#include "game/board/KivWellSFX.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivHanaWidget.h"
#include "game/shell/KivVars.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

struct Scene {
  BenchRenderer renderer;
  Graphics* graphics = nullptr;
  std::unique_ptr<KivWell> board;
  KivHanaWidget* avatar = nullptr;  // the display panel's
  bool ready = false;
};

// Tiles to turn over columns 1 to 13 and rows 1 to 10, the flowers in bands of colour so
// that one row holds a long chain.
std::string WellText() {
  std::string text = "GameMode = {}\nTiles = {\n";
  for (int y = 0; y < KivWell::kGridHeight; ++y) {
    for (int x = 0; x < KivWell::kGridWidth; ++x) {
      text += (x >= 1 && x <= 13 && y >= 1 && y <= 10) ? "2, " : "0, ";
    }
    text += "\n";
  }
  text += "}\nBlocks = {\n";
  for (int y = 1; y <= 10; ++y) {
    for (int x = 1; x <= 13; ++x) {
      text += "{ Type = 'flower', Color = 'flower_" + std::to_string(y % 4 + 1) + "', X = " +
              std::to_string(x) + ", Y = " + std::to_string(y) + ", Width = 1, Height = 1 },\n";
    }
  }
  return text + "}\n";
}

// Ten flowers of row 5 held as a chain under a held left button.
void HoldChain(KivWell& board) {
  input::Mouse* mouse = input::GetDevices().mouse;
  const auto centre = [&board](int x) { return board.CellToScreen(x, 5) + board.GetCellSize() * 0.5f; };
  if (mouse) {
    mouse->position = centre(2);
    mouse->buttons[0].down = true;
  }
  board.MouseButtonPressed(KivWell::kLeftButton, centre(2));
  for (int x = 2; x < 12; ++x) {
    if (mouse) mouse->position = centre(x);
    board.GrowChain(centre(x));
  }
}

Scene& GetScene() {
  static Scene scene = [] {
    Scene s;
    if (!OpenBenchRenderer(s.renderer)) return s;
    s.graphics = s.renderer.graphics;
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
    std::FILE* file = std::fopen("level.lua", "wb");
    if (!file) return s;
    const std::string text = WellText();
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    s.board = std::make_unique<KivWell>(nullptr);
    s.board->InitUI();
    s.board->SetGoalsActive(false);
    s.board->Load("level.lua", nullptr);
    // A puzzle's flowers: the file's blocks stay, in their bands of colour.
    s.board->SetGoalsActive(true);
    s.board->LoadWell("level.lua");
    s.board->SetSpellCost(0, 100);
    HoldChain(*s.board);
    s.ready = s.board->GetChain().size() >= 10 && s.avatar;
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

void BM_LevelFrame(benchmark::State& state) {
  Scene& scene = GetScene();
  int frame = 0;
  RunBenchFrames(state, scene.graphics, scene.ready, [&scene, &frame] {
    KeepEffects(*scene.board, frame++);
    scene.board->Tick(kFrame);
    scene.avatar->Tick(kFrame);
    scene.board->Render();
    ui::GetUIMan().Render();
    scene.board->RenderUI(false);
  });
  state.counters["chain"] = static_cast<double>(scene.board ? scene.board->GetChain().size() : 0);
}
BENCHMARK(BM_LevelFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same frame with a tip open over the board (the one shown every time), its frame,
// corners and text drawn and its particle border burst again every half second.
void BM_LevelFrameWithTip(benchmark::State& state) {
  Scene& scene = GetScene();
  KivHelp& help = KivHelp::Instance();
  help.ShowHint(KivHelp::kAlwaysShownTip, scene.board ? scene.board->CellToScreen(3, 3) : math::Vec2(0.3f, 0.3f),
                scene.board ? scene.board->CellToScreen(6, 6) : math::Vec2(0.5f, 0.5f));
  auto* popup = dynamic_cast<KivHintPopup*>(help.GetPopup());
  int frame = 0;
  RunBenchFrames(state, scene.graphics, scene.ready && popup, [&scene, &frame, &help, popup] {
    if (frame % 30 == 0) popup->BorderBurst();
    KeepEffects(*scene.board, frame++);
    help.Tick(kFrame);
    scene.board->Tick(kFrame);
    scene.avatar->Tick(kFrame);
    scene.board->Render();
    ui::GetUIMan().Render();
    scene.board->RenderUI(false);
    help.Render();
  });
  state.counters["tip"] = help.ShowsHint() ? 1.0 : 0.0;
  help.RemoveAll();
}
BENCHMARK(BM_LevelFrameWithTip)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ClearOnlyFrame(benchmark::State& state) {
  Scene& scene = GetScene();
  RunBenchFrames(state, scene.graphics, scene.ready, [] {});
}
BENCHMARK(BM_ClearOnlyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

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
BENCHMARK(BM_BoardTickOnly)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  UseHeadlessDefaults();
  char folder[] = "/tmp/pellavo_bench_levelXXXXXX";
  if (!mkdtemp(folder) || chdir(folder) != 0) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  Scene& scene = GetScene();
  scene.board.reset();
  KivHelp::Shutdown();
  ui::GetUIMan().DropAllPanels();
  KivDresses::Destroy();
  ui::GetSpriteSet().Clear();
  input::GetDevices().Shutdown();
  CloseBenchRenderer(scene.renderer);
  benchmark::Shutdown();
  return 0;
}
