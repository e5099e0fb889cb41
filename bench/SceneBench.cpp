// A frame of a background scene on OpenGL (headless unless SDL_VIDEODRIVER says
// otherwise): update and both passes of a scene with a picture, 20 decals of the five kinds,
// a particle element of 500 live particles and two five-part birds, against the same count
// of quads drawn as plain ui::UISprite draws in the same run. Prints the medians of five
// repetitions, the ratios with and without the rasteriser's threads and the draw calls.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchFrame.h"
#include "bench/BenchRatios.h"
#include "bench/DrawCounter.h"
#include "engine/background/BGElement.h"
#include "engine/background/BGScene.h"
#include "engine/background/BipedAnim.h"
#include "engine/core/Random.h"
#include "engine/graphics/ResMan.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "engine/part2d/Part2D.h"
#include "engine/ui/UISprite.h"

namespace {

constexpr int kDecals = 20;
constexpr int kBirds = 2;
constexpr int kBirdParts = 5;
constexpr int kParticles = 500;
constexpr const char* kKinds[] = {"decal", "pandecal", "rotdecal", "bobdecal", "uvdecal"};

// An uncompressed 32-bit TGA of one soft colour.
std::string Tga(int side, uint32_t argb) {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = static_cast<char>(side & 0xFF);
  bytes[13] = static_cast<char>(side >> 8);
  bytes[14] = static_cast<char>(side & 0xFF);
  bytes[15] = static_cast<char>(side >> 8);
  bytes[16] = 32;
  bytes[17] = 0x28;
  for (int i = 0; i < side * side; ++i) {
    for (int shift : {0, 8, 16, 24}) bytes.push_back(static_cast<char>((argb >> shift) & 0xFF));
  }
  return bytes;
}

void WriteText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

// Live particles of the scene's particle elements.
int LiveParticles(const background::BGScene& scene) {
  int live = 0;
  for (const auto* layer : {&scene.back, &scene.front}) {
    for (const auto& element : *layer) {
      const auto* partsys = dynamic_cast<const background::BGPartSys*>(element.get());
      if (!partsys || !partsys->system) continue;
      for (int32_t g = 0; g < partsys->system->GroupC(); ++g) {
        live += partsys->system->GetGroup(g)->GetLiveCount();
      }
    }
  }
  return live;
}

struct Stage {
  HWND window = nullptr;
  Graphics* graphics = nullptr;
  std::unique_ptr<background::BGScene> scene;
  std::vector<std::unique_ptr<ui::UISprite>> sprites;
  size_t quads = 0;
  bool ready = false;
};

Stage& GetStage() {
  static Stage stage = [] {
    Stage s;
    WriteText("art/sky.tga", Tga(256, 0xFF304070));
    WriteText("art/decal.tga", Tga(64, 0xC0F0A0C0));
    WriteText("art/part.tga", Tga(16, 0xFFE0C040));
    std::string bird = "AnimationData = {\n";
    for (int part = 0; part < kBirdParts; ++part) {
      bird += "{ Name = 'part" + std::to_string(part) + "', DefaultImg = 'art/part.tga', DefaultSortL = " +
              std::to_string(part) + ", Frames = { ";
      for (int f = 0; f < 60; ++f) {
        bird += "{ Pos = { " + std::to_string(part * 6 - 12) + ", " + std::to_string(-20 - f % 7) +
                " }, Rot = " + std::to_string(f * 3) + " }, ";
      }
      bird += "} },\n";
    }
    WriteText("bganim/bench_bird.sbp", bird + "}\n");
    // 16 x 16-pixel particles drifting slowly and living longer than any run: once the
    // pool of 500 is full the element keeps exactly that many alive.
    WriteText("fx/bench.p2d",
              "Part2D = { { Image = 'art/part.tga', MaxC = " + std::to_string(kParticles) +
                  ", LockSize = 1,\n"
                  "  SizeFromMin = { 0.02, 0.026667 }, SizeFromMax = { 0.02, 0.026667 },\n"
                  "  Lifespan = { 1000000, 1000000 }, MinSpeed = { -0.002, -0.002 },\n"
                  "  MaxSpeed = { 0.002, 0.002 }, GenRate = 0.001,\n"
                  "  Color = { { 1, 1, 1, 1 }, { 1, 1, 1, 1 } } } }\n");

    std::string scene = "BGScene = { Info = { BackgroundImg = 'art/sky.tga', Width = 1, Height = 1 },\n"
                        "Background = {\n";
    for (int i = 0; i < kDecals; ++i) {
      const int sort = i % 2 == 0 ? -1 : 1;
      scene += "{ Type = '" + std::string(kKinds[i % 5]) + "', Pos = { " + std::to_string(0.04 * i) + ", " +
               std::to_string(0.3 + 0.02 * (i % 5)) + " }, Dir = { 0.01, 0.02 }, Sort = " + std::to_string(sort) +
               ", SpriteImg = 'art/decal.tga', Alpha = 0.8 },\n";
    }
    for (int i = 0; i < kBirds; ++i) {
      scene += "{ Type = 'biped', Pos = { " + std::to_string(0.3 + 0.4 * i) + ", 0.7 }, Sort = -1,"
               " Biped = 'bench_bird' },\n";
    }
    scene += "{ Type = 'partsys', Pos = { 0.05, 0.05 }, Size = { 0.9, 0.9 }, Sort = -1,"
             " PartSys = 'fx/bench.p2d' },\n";
    WriteText("ui/bench_scene.lua", scene + "} }\n");

    s.window = gfxtest::CreateTestWindow(800, 600);
    s.graphics = Dx8Graphics::Create();
    s.graphics->window = s.window;
    if (!s.window || !s.graphics->Init() || !s.graphics->CreateDevice(800, 600, false, false)) return s;
    s.graphics->SetFiltering(true);
    s.scene = std::make_unique<background::BGScene>();
    num::Random::Instance().Seed(7);
    if (!s.scene->Load("ui/bench_scene.lua")) return s;
    // Warm-up: the element emits one particle an update until its pool is full.
    for (int i = 0; i < 2 * kParticles; ++i) s.scene->Update(1.0f / 60.0f);
    if (LiveParticles(*s.scene) != kParticles) return s;

    // The same quads as plain sprites: the picture, the decals, the birds' parts and the
    // particles (spread over the element's rectangle).
    const size_t decalEnd = 1 + kDecals;
    const size_t birdEnd = decalEnd + kBirds * kBirdParts;
    s.quads = birdEnd + kParticles;
    for (size_t i = 0; i < s.quads; ++i) {
      auto sprite = std::make_unique<ui::UISprite>();
      const char* image = i == 0 ? "art/sky.tga" : i < decalEnd ? "art/decal.tga" : "art/part.tga";
      sprite->Init(image, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
      if (i < birdEnd) {
        sprite->position = math::Vec2(0.03f * static_cast<float>(i % 30), 0.2f + 0.01f * static_cast<float>(i % 7));
      } else {
        const float k = static_cast<float>(i - birdEnd);
        sprite->position = math::Vec2(0.05f + 0.9f * std::fmod(k * 0.618034f, 1.0f),
                                      0.05f + 0.9f * k / static_cast<float>(kParticles));
      }
      // The picture covers the whole screen, as the scene's does.
      if (i == 0) {
        sprite->position = math::Vec2(0.0f, 0.0f);
        sprite->size = math::Vec2(1.0f, 1.0f);
      }
      s.sprites.push_back(std::move(sprite));
    }
    s.ready = true;
    return s;
  }();
  return stage;
}

void BM_SceneFrame(benchmark::State& state) {
  Stage& stage = GetStage();
  if (!stage.ready) {
    state.SkipWithError("no OpenGL renderer, scene or particles");
    return;
  }
  const auto draw = [&stage] {
    stage.scene->Update(1.0f / 60.0f);
    stage.scene->Render();
    stage.scene->RenderForeground();
  };
  RunBenchFrames(state, stage.graphics, true, draw);
  benchdraws::CountFrameDraws(state, stage.graphics, draw);
  if (LiveParticles(*stage.scene) != kParticles) state.SkipWithError("particles died");
}
BENCHMARK(BM_SceneFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

void BM_SameQuadsAsSprites(benchmark::State& state) {
  Stage& stage = GetStage();
  if (!stage.ready) {
    state.SkipWithError("no OpenGL renderer or scene");
    return;
  }
  const auto draw = [&stage] {
    for (const auto& sprite : stage.sprites) sprite->RenderRotated();
  };
  RunBenchFrames(state, stage.graphics, true, draw);
  benchdraws::CountFrameDraws(state, stage.graphics, draw);
}
BENCHMARK(BM_SameQuadsAsSprites)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

}  // namespace

int main(int argc, char** argv) {
  UseHeadlessDefaults();
  BenchFolder folder("bench_scene");
  if (!folder.ok()) return 1;
  const int status = RunRatioBenchmarks(
      argc, argv, {{"Scene frame / the same quads as sprites", "BM_SceneFrame", "BM_SameQuadsAsSprites"}});
  Stage& stage = GetStage();
  stage.scene.reset();
  stage.sprites.clear();
  res::ResMan::Get().ReleaseAll();
  Graphics::SHUTDOWN();
  if (stage.window) gfxtest::DestroyTestWindow(stage.window);
  benchmark::Shutdown();
  return status;
}
