#include "engine/app/GameTransition.h"

#include <cmath>

#include "engine/core/Console.h"
#include "engine/core/Math.h"
#include "engine/graphics/Graphics.h"

namespace {

// One vertex array shared by every transition: room for a full batch of cells (the iris
// needs 192 vertices).
ScreenVertex g_vertices[GameTransitionCells::kBatchVertices];

const math::Vec2 kUv0(0.0f, 0.0f);
const math::Vec2 kUv1(1.0f, 1.0f);

// The renderer with texture stage 0 emptied (transitions draw untextured); null when
// there is no renderer.
Graphics* BeginUntextured() {
  Graphics* graphics = GetGraphics();
  if (graphics) graphics->SetTexture(0, nullptr);
  return graphics;
}

}  // namespace

GameTransition::GameTransition(const std::string& transitionName) : name(transitionName) {
  animation.duration = kAnimationTime;
  animation.remaining = kAnimationTime;
  hold.duration = kHoldTime;
  hold.remaining = kHoldTime;
}

void GameTransition::Tick(float dt) {
  if (hold.remaining < 0.0f) return;
  animation.Update(dt);
  if (animation.remaining >= 0.0f) return;
  // The hold starts counting in the frame in which the animation ends.
  hold.Update(dt);
  // The script may start another transition; the manager keeps this phase alive until
  // its tick is over.
  if (hold.remaining < 0.0f) console::GetConsole().Do(script);
}

// --- Fade ---

GameTransition* GameTransitionFade::Create(const std::string& name) { return new GameTransitionFade(name); }

void GameTransitionFade::Render() {
  Graphics* graphics = BeginUntextured();
  if (!graphics) return;
  const uint32_t alpha = static_cast<uint32_t>(ReversedProgress() * 255.0f);
  const uint32_t count = BuildScreenQuad(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), kUv0, kUv1,
                                         alpha << 24, g_vertices);
  graphics->DrawArray(g_vertices, count, PT_Triangles);
}

// --- Iris ---

GameTransition* GameTransitionIris::Create(const std::string& name) { return new GameTransitionIris(name); }

void GameTransitionIris::Render() {
  constexpr int kQuads = 32;
  // 6.28 / 31: the 32 quads go a little past a full turn, so the ring has no gap.
  constexpr float kStep = 0.20258064f;
  constexpr float kOuter = 0.85f;
  Graphics* graphics = BeginUntextured();
  if (!graphics) return;
  const float inner = (1.0f - ReversedProgress()) * 1.7f * 0.5f;
  const math::Vec2 uvs[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
  const uint32_t colors[4] = {kBlack, kBlack, kBlack, kBlack};
  auto at = [](float radius, float angle) {
    return math::Vec2(0.5f + radius * std::cos(angle), 0.5f + radius * std::sin(angle));
  };
  uint32_t count = 0;
  for (int i = 0; i < kQuads; ++i) {
    const float t0 = static_cast<float>(i) * kStep;
    const float t1 = static_cast<float>(i + 1) * kStep;
    const math::Vec2 corners[4] = {at(kOuter, t1), at(kOuter, t0), at(inner, t1), at(inner, t0)};
    count += BuildCornerQuad(corners, uvs, colors, g_vertices + count);
  }
  graphics->DrawArray(g_vertices, count, PT_Triangles);
}

// --- Roll ---

GameTransition* GameTransitionRoll::Create(const std::string& name) { return new GameTransitionRoll(name); }

void GameTransitionRoll::Render() {
  Graphics* graphics = BeginUntextured();
  if (!graphics) return;
  const float p = Progress();
  const math::Vec2 position = reverse ? math::Vec2(p, 0.0f) : math::Vec2(0.0f, 0.0f);
  const math::Vec2 size = reverse ? math::Vec2(1.0f, 1.0f) : math::Vec2(p, 1.0f);
  const uint32_t count = BuildScreenQuad(position, size, kUv0, kUv1, kBlack, g_vertices);
  graphics->DrawArray(g_vertices, count, PT_Triangles);
}

// --- Cells ---

void GameTransitionCells::Render() {
  Graphics* graphics = BeginUntextured();
  if (!graphics) return;
  const math::Vec2 cellSize(1.0f / kColumns, 1.0f / kRows);
  uint32_t count = 0;
  for (int column = 0; column < kColumns; ++column) {
    for (int row = 0; row < kRows; ++row) {
      if (!IsCellCovered(column, row)) continue;
      const math::Vec2 position(static_cast<float>(column) * cellSize.x, static_cast<float>(row) * cellSize.y);
      count += BuildScreenQuad(position, cellSize, kUv0, kUv1, kBlack, g_vertices + count);
      if (count == kBatchVertices) {
        graphics->DrawArray(g_vertices, count, PT_Triangles);
        count = 0;
      }
    }
  }
  if (count > 0) graphics->DrawArray(g_vertices, count, PT_Triangles);
}

GameTransition* GameTransitionGrid::Create(const std::string& name) { return new GameTransitionGrid(name); }

bool GameTransitionGrid::IsCellCovered(int column, int row) const {
  const int n = static_cast<int>(Progress() * 100.0f);
  return reverse ? column + row >= n : column + row <= n;
}

GameTransition* GameTransitionCircle::Create(const std::string& name) { return new GameTransitionCircle(name); }

bool GameTransitionCircle::IsCellCovered(int column, int row) const {
  // Squared distances in double: the corner cell (0, 0) lies exactly on the full radius
  // sqrt(1300), and comparing rounded square roots could leave it uncovered at the end of
  // the covering phase.
  const double dx = 30 - column;
  const double dy = 20 - row;
  const double distanceSquared = dx * dx + dy * dy;
  const double p = Progress();
  const double radiusSquared = p * p * 1300.0;
  return reverse ? distanceSquared >= radiusSquared : distanceSquared <= radiusSquared;
}

GameTransition* GameTransitionXWipe::Create(const std::string& name) { return new GameTransitionXWipe(name); }

bool GameTransitionXWipe::IsCellCovered(int column, int row) const {
  const int band = row / 4;
  const float x = static_cast<float>(band % 2 == 0 ? kColumns - column : column);
  const float edge = static_cast<float>(kColumns) * Progress();
  return reverse ? x >= edge : x <= edge;
}
