// Frames of particle systems on OpenGL (headless unless SDL_VIDEODRIVER says otherwise):
// an additive group of 16 x 16-pixel particles under a linear force, ticked and drawn in
// batches, against the same count of 16 x 16 quads of the same image drawn as plain
// additive UISprite draws (one draw each), with 2,000 and 10,000 live particles; and the
// tick alone, reported per particle. Prints the medians of five repetitions and the ratios
// with and without the rasteriser's threads.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchFrame.h"
#include "bench/BenchRatios.h"
#include "bench/DrawCounter.h"
#include "engine/core/Random.h"
#include "engine/graphics/ResMan.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "engine/part2d/P2DForce.h"
#include "engine/part2d/Part2D.h"
#include "engine/ui/UISprite.h"

namespace {

constexpr int kSide = 16;
constexpr const char* kImage = "bench_dot.tga";

// A 16 x 16 TGA: a white dot whose alpha falls off to the rim.
void WriteDotImage() {
  std::string bytes = Tga32Header(kSide, kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const float dx = x - 7.5f, dy = y - 7.5f;
      const float d = (dx * dx + dy * dy) / 64.0f;
      const int alpha = d >= 1.0f ? 0 : static_cast<int>(255 * (1.0f - d));
      bytes.append(3, static_cast<char>(255));
      bytes.push_back(static_cast<char>(alpha));
    }
  }
  std::ofstream(kImage, std::ios::binary) << bytes;
}

struct Scene {
  HWND window = nullptr;
  Graphics* graphics = nullptr;
  bool ready = false;
};

Scene& GetScene() {
  static Scene scene = [] {
    Scene s;
    WriteDotImage();
    s.window = gfxtest::CreateTestWindow(800, 600);
    s.graphics = Dx8Graphics::Create();
    s.graphics->window = s.window;
    s.ready = s.window && s.graphics->Init() && s.graphics->CreateDevice(800, 600, false, false);
    if (s.ready) s.graphics->SetFiltering(true);
    return s;
  }();
  return scene;
}

// A system of one additive group with count live particles spread over the screen, at
// rest under a gentle linear force, none dying during the run.
std::unique_ptr<part2d::Part2D> MakeSystem(int count) {
  num::Random::Instance().Seed(7);
  auto system = std::make_unique<part2d::Part2D>();
  part2d::PartGroup* group = system->CreateGroup();
  group->SetImage(kImage);
  group->SetMaxC(count);
  group->SetAdditive(true);
  group->SetLockRect(false);
  group->SetLockSize(true);
  const math::Vec2 size(kSide / 800.0f, kSide / 600.0f);
  group->SetSize(size, size, size, size);
  group->SetLifespan(math::Vec2(1e6f, 1e6f));
  group->SetInitialSpeed(math::Vec2(-0.01f, -0.01f), math::Vec2(0.01f, 0.01f), -1.0f);
  // A gentle pull: the particles stay on screen however many frames a run takes.
  static_cast<part2d::P2DForceLinear*>(group->CreateForce("linear"))->Force = math::Vec2(0.0f, 0.001f);
  for (int i = 0; i < count; ++i) {
    group->SpawnParticle(num::Random::Instance().RangeVec(math::Vec2(0.02f, 0.02f),
                                                          math::Vec2(0.98f, 0.98f)));
  }
  return system;
}

void BM_ParticleFrame(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.ready) return state.SkipWithError("no OpenGL renderer");
  const int count = static_cast<int>(state.range(0));
  std::unique_ptr<part2d::Part2D> system = MakeSystem(count);
  const auto draw = [&system] {
    system->Tick(0.001f);
    system->Render(math::Vec2(0, 0));
  };
  RunBenchFrames(state, scene.graphics, true, draw);
  benchdraws::CountFrameDraws(state, scene.graphics, draw);
  if (system->GetGroup(0)->GetLiveCount() != count) state.SkipWithError("particles died");
}
BENCHMARK(BM_ParticleFrame)
    ->Arg(2000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(kWarmUpSeconds);

void BM_SpriteFrame(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.ready) return state.SkipWithError("no OpenGL renderer");
  const int count = static_cast<int>(state.range(0));
  std::unique_ptr<part2d::Part2D> system = MakeSystem(count);  // the same positions
  const part2d::PartGroup* group = system->GetGroup(0);
  ui::UISprite sprite;
  sprite.Init(kImage, math::Vec2(0, 0), math::Vec2(1, 1), true);
  const math::Vec2 size = sprite.GetImageSize();
  RunBenchFrames(state, scene.graphics, true, [&] {
    for (int i = 0; i < count; ++i) {
      sprite.SetTransform(group->particles[i].pos - size * 0.5f, size, 0.0f, 1.0f, 0xFFFFFFFF);
      sprite.Render();
    }
  });
}
BENCHMARK(BM_SpriteFrame)
    ->Arg(2000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(kWarmUpSeconds);

// The tick alone (forces, ageing, motion), without a renderer's work; ns per particle.
void BM_TickPerParticle(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::unique_ptr<part2d::Part2D> system = MakeSystem(count);
  for (auto _ : state) system->Tick(0.001f);
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["ns_per_particle"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * count,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TickPerParticle)->Arg(2000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  UseHeadlessDefaults();
  BenchFolder folder("bench_p2d");
  if (!folder.ok()) return 1;
  const int status = RunRatioBenchmarks(
      argc, argv,
      {{"2,000 particles / 2,000 sprites", "BM_ParticleFrame/2000", "BM_SpriteFrame/2000"},
       {"10,000 particles / 10,000 sprites", "BM_ParticleFrame/10000", "BM_SpriteFrame/10000"}});
  Scene& scene = GetScene();
  res::ResMan::Get().ReleaseAll();
  Graphics::SHUTDOWN();
  if (scene.window) gfxtest::DestroyTestWindow(scene.window);
  benchmark::Shutdown();
  return status;
}
