// Frames of the renderer on OpenGL (headless unless SDL_VIDEODRIVER says otherwise): a
// frame that only clears and presents, against frames of 2,000 textured 32 x 32 sprites
// drawn through DrawArray, one call per sprite as the game's code draws them, and all in
// one call. Prints frames per second of each.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchFrame.h"
#include "engine/graphics/Image.h"

namespace {

constexpr int kSprites = 2000;
constexpr int kSide = 32;

// A 32 x 32 TGA in memory: a round, soft-edged sprite (alpha falls off to the rim).
std::string SpriteTga() {
  std::string bytes = Tga32Header(kSide, kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const float dx = x - 15.5f, dy = y - 15.5f;
      const float d = (dx * dx + dy * dy) / (16.0f * 16.0f);
      const int alpha = d >= 1.0f ? 0 : static_cast<int>(255 * (1.0f - d));
      bytes.push_back(static_cast<char>(40 + 6 * x));   // blue
      bytes.push_back(static_cast<char>(200 - 5 * y));  // green
      bytes.push_back(static_cast<char>(230));          // red
      bytes.push_back(static_cast<char>(alpha));
    }
  }
  return bytes;
}

struct Scene {
  BenchRenderer renderer;
  Graphics* graphics = nullptr;
  std::unique_ptr<Image> sprite;
  std::vector<math::Vec2> positions;
  bool ready = false;
};

Scene& GetScene() {
  static Scene scene = [] {
    Scene s;
    if (!OpenBenchRenderer(s.renderer)) return s;
    s.graphics = s.renderer.graphics;
    s.graphics->SetFiltering(true);
    const std::string tga = SpriteTga();
    s.sprite.reset(s.graphics->LoadImageFromMemory(tga.data(), static_cast<uint32_t>(tga.size())));
    uint32_t seed = 2024;
    for (int i = 0; i < kSprites; ++i) {
      seed = seed * 1664525u + 1013904223u;
      const float x = static_cast<float>((seed >> 8) % (800 - kSide)) / 800.0f;
      seed = seed * 1664525u + 1013904223u;
      const float y = static_cast<float>((seed >> 8) % (600 - kSide)) / 600.0f;
      s.positions.push_back({x, y});
    }
    s.ready = s.sprite != nullptr;
    return s;
  }();
  return scene;
}

void BM_ClearAndPresent(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.ready) {
    state.SkipWithError("no OpenGL renderer");
    return;
  }
  for (auto _ : state) {
    BeginBenchFrame(scene.graphics);
    EndBenchFrame(scene.graphics);
  }
  SetFrameRate(state);
}
BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

void BM_SpritesOneDrawEach(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.ready) {
    state.SkipWithError("no OpenGL renderer");
    return;
  }
  const math::Vec2 size(kSide / 800.0f, kSide / 600.0f);
  ScreenVertex quad[6];
  for (auto _ : state) {
    BeginBenchFrame(scene.graphics);
    for (const math::Vec2& position : scene.positions) {
      scene.graphics->SetTexture(0, scene.sprite.get());
      BuildScreenQuad(position, size, {0, 0}, {1, 1}, 0xFFFFFFFF, quad);
      scene.graphics->DrawArray(quad, 6, PT_Triangles);
    }
    EndBenchFrame(scene.graphics);
  }
  SetFrameRate(state);
}
BENCHMARK(BM_SpritesOneDrawEach)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

void BM_SpritesOneDrawInAll(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.ready) {
    state.SkipWithError("no OpenGL renderer");
    return;
  }
  const math::Vec2 size(kSide / 800.0f, kSide / 600.0f);
  std::vector<ScreenVertex> vertices(6 * kSprites);
  for (auto _ : state) {
    BeginBenchFrame(scene.graphics);
    for (int i = 0; i < kSprites; ++i) {
      BuildScreenQuad(scene.positions[i], size, {0, 0}, {1, 1}, 0xFFFFFFFF, &vertices[6 * i]);
    }
    scene.graphics->SetTexture(0, scene.sprite.get());
    scene.graphics->DrawArray(vertices.data(), static_cast<uint32_t>(vertices.size()), PT_Triangles);
    EndBenchFrame(scene.graphics);
  }
  SetFrameRate(state);
}
BENCHMARK(BM_SpritesOneDrawInAll)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

}  // namespace

int main(int argc, char** argv) {
  RunBenchmarksHeadless(argc, argv);
  Scene& scene = GetScene();
  scene.sprite.reset();
  CloseBenchRenderer(scene.renderer);
  benchmark::Shutdown();
  return 0;
}
