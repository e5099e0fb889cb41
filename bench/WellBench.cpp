// A frame of a board on OpenGL (headless unless SDL_VIDEODRIVER says otherwise): Tick and
// Render of a 15 x 12 board full of 1 x 1 blocks inside its border, against the same
// quads drawn as plain sprite draws, one UISprite::Render each. Prints the medians of five
// repetitions, the ratios with and without the rasteriser's threads and the draw calls.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchFrame.h"
#include "bench/BenchRatios.h"
#include "bench/DrawCounter.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UISprite.h"
#include "engine/well/GameWell.h"
#include "engine/well/WellBlock.h"
#include "engine/well/WellBorder.h"

namespace {

constexpr int kColumns = 15;
constexpr int kRows = 12;
constexpr int kColours = 6;

class BenchBlock : public well::WellBlock {
 public:
  BenchBlock(well::BaseWell* board, int32_t colour) {
    well = board;
    color = colour;
    SetSize(1, 1);
    sprite.Init("img/block" + std::to_string(colour) + ".tga", math::Vec2(0.0f, 0.0f),
                math::Vec2(1.0f, 1.0f), false);
  }
  std::string GetTypeName() const override { return "normal"; }
};

class BenchWell : public well::GameWell {
 public:
  BenchWell() : GameWell(nullptr) {}
  well::WellBlock* CreateBlock(const std::string&, const std::string&, int32_t, int32_t,
                               int32_t, int32_t) override {
    return nullptr;
  }
};

// Every cell of the grid is inside; all around it is wall.
class FrameBorder : public well::WellBorder {
 public:
  using WellBorder::WellBorder;
  bool IsInside(int32_t x, int32_t y) override { return well_->IsInGrid(x, y); }
  bool IsWall(int32_t x, int32_t y) override { return !well_->IsInGrid(x, y); }
};

struct Scene {
  BenchRenderer renderer;
  Graphics* graphics = nullptr;
  std::unique_ptr<BenchWell> board;
  std::unique_ptr<FrameBorder> border;
  // The same quads as plain sprites: the border's pieces, then the blocks.
  std::vector<std::unique_ptr<ui::UISprite>> sprites;
  bool ready = false;
};

// A 32 x 32 TGA file of one colour (0xAARRGGBB).
void WriteTga(const std::string& name, uint32_t color) {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = 32;
  bytes[14] = 32;
  bytes[16] = 32;
  bytes[17] = 0x28;
  for (int i = 0; i < 32 * 32; ++i) {
    for (int shift : {0, 8, 16, 24}) bytes.push_back(static_cast<char>(color >> shift));
  }
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (!file) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void MakeImages() {
  mkdir("img", 0755);
  const char* const pieces[] = {"l", "r", "t", "b", "corner_tl", "corner_tr", "corner_bl", "corner_br"};
  // The border's pieces are strips of the sprite set, named as the border asks for them.
  for (const char* piece : pieces) {
    const std::string file = std::string("img/wall_") + piece + ".tga";
    WriteTga(file, 0xC0808080);
    ui::GetSpriteSet().AddSprite(std::string("wall_") + piece, file, 1, 0.0f, 0, 0, false, false,
                                 0, 0, "bench");
  }
  for (int c = 0; c < kColours; ++c) {
    WriteTga("img/block" + std::to_string(c) + ".tga", 0xFF203040u + 0x00200000u * static_cast<uint32_t>(c));
  }
}

Scene& GetScene() {
  static Scene scene = [] {
    Scene s;
    if (!OpenBenchRenderer(s.renderer)) return s;
    s.graphics = s.renderer.graphics;
    MakeImages();
    const math::Vec2 cell(32.0f / 800.0f, 32.0f / 600.0f);
    s.board = std::make_unique<BenchWell>();
    s.board->Create(kColumns, kRows, math::Vec2(0.1f, 0.1f),
                    math::Vec2(cell.x * kColumns, cell.y * kRows), cell);
    for (int y = 0; y < kRows; ++y) {
      for (int x = 0; x < kColumns; ++x) {
        s.board->AddBlock(new BenchBlock(s.board.get(), (x + y) % kColours), x, y, 0.0f);
      }
    }
    s.border = std::make_unique<FrameBorder>(s.board.get(), "wall", 0);
    s.border->UpdateAll();

    for (int y = 0; y < kRows; ++y) {
      for (int x = 0; x < kColumns; ++x) {
        for (int32_t piece : s.border->GetCell(x, y).pieces) {
          if (piece == 0) break;
          auto sprite = std::make_unique<ui::UISprite>();
          sprite->Init(std::string("wall_") + s.border->GetPieceName(piece),
                       math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
          sprite->SetTransform(s.board->CellToScreen(x, y), cell, 0.0f, 1.0f, 0xFFFFFFFF);
          s.sprites.push_back(std::move(sprite));
        }
      }
    }
    for (int y = 0; y < kRows; ++y) {
      for (int x = 0; x < kColumns; ++x) {
        auto sprite = std::make_unique<ui::UISprite>();
        sprite->Init("img/block" + std::to_string((x + y) % kColours) + ".tga", math::Vec2(0.0f, 0.0f),
                     math::Vec2(1.0f, 1.0f), false);
        sprite->SetTransform(s.board->CellToScreen(x, y), cell, 0.0f, 1.0f, 0xFFFFFFFF);
        s.sprites.push_back(std::move(sprite));
      }
    }
    s.ready = true;
    return s;
  }();
  return scene;
}

void BM_BoardTickAndRender(benchmark::State& state) {
  Scene& scene = GetScene();
  const auto draw = [&scene] {
    scene.board->Tick(1.0f / 60.0f);
    scene.border->Render();
    scene.board->Render();
  };
  RunBenchFrames(state, scene.graphics, scene.ready, draw);
  if (scene.ready) benchdraws::CountFrameDraws(state, scene.graphics, draw);
  state.counters["quads"] = static_cast<double>(scene.sprites.size());
}
BENCHMARK(BM_BoardTickAndRender)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

void BM_PlainSpriteDraws(benchmark::State& state) {
  Scene& scene = GetScene();
  const auto draw = [&scene] {
    for (const auto& sprite : scene.sprites) sprite->Render();
  };
  RunBenchFrames(state, scene.graphics, scene.ready, draw);
  if (scene.ready) benchdraws::CountFrameDraws(state, scene.graphics, draw);
  state.counters["quads"] = static_cast<double>(scene.sprites.size());
}
BENCHMARK(BM_PlainSpriteDraws)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

}  // namespace

int main(int argc, char** argv) {
  UseHeadlessDefaults();
  // The images go to a folder of their own.
  BenchFolder folder("bench_well");
  if (!folder.ok()) return 1;
  const int status = RunRatioBenchmarks(
      argc, argv, {{"Board frame / the same quads as sprites", "BM_BoardTickAndRender", "BM_PlainSpriteDraws"}});
  Scene& scene = GetScene();
  scene.sprites.clear();
  scene.border.reset();
  scene.board.reset();
  ui::GetSpriteSet().Clear();
  CloseBenchRenderer(scene.renderer);
  benchmark::Shutdown();
  return status;
}
