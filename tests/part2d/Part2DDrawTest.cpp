// Drawing particle groups on the recording renderer, and the band builders: the
// particles' own and the general one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "engine/core/MemoryManager.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/Graphics.h"
#include "tests/part2d/Part2DTestSupport.h"

namespace p2dtest {
namespace {

using part2d::Particle;
using part2d::PartGroup;

TEST_F(Part2DTest, ParticlesDrawAsFourCornerBandsAHundredAndFiftyToADraw) {
  PartGroup* group = MakeGroup(160);
  for (int i = 0; i < 160; ++i) group->SpawnParticle(math::Vec2(0.5f, 0.5f));
  renderer_.textures.clear();
  ASSERT_TRUE(system_.Render(math::Vec2(0, 0), math::Vec2(0, 0), math::Vec2(1, 1)));
  ASSERT_EQ(renderer_.draws.size(), 2u);
  // Each band is two triangles over its four corners.
  EXPECT_EQ(renderer_.draws[0].vertices.size(), 150u * 6u);
  EXPECT_EQ(renderer_.draws[1].vertices.size(), 10u * 6u);
  EXPECT_EQ(renderer_.draws[0].type, PT_Triangles);
  EXPECT_EQ(std::count(renderer_.calls.begin(), renderer_.calls.end(), "DrawIndexedArray"), 2);
  // The group's image is bound on stage 0 before each draw.
  ASSERT_EQ(renderer_.textures.size(), 2u);
  EXPECT_EQ(renderer_.textures[0].first, 0u);
  EXPECT_EQ(renderer_.textures[0].second, group->sprite.image);
  // A plain group touches no render state.
  EXPECT_TRUE(renderer_.renderStates.empty());
}

TEST_F(Part2DTest, AnAdditiveGroupSetsItsStatesAndRestoresTheBlend) {
  PartGroup* group = MakeGroup(5);
  group->SetAdditive(true);
  group->SpawnParticle(math::Vec2(0.5f, 0.5f));
  ASSERT_TRUE(group->Render(math::Vec2(0, 0)));
  using State = std::pair<RenderState, uint32_t>;
  const std::vector<State> expected = {
      {RS_AlphaRef, 1},           {RS_AlphaTest, 1},          {RS_SrcBlend, BF_SrcAlpha},
      {RS_DestBlend, BF_One},     {RS_SrcBlend, BF_SrcAlpha}, {RS_DestBlend, BF_InvSrcAlpha}};
  EXPECT_EQ(renderer_.renderStates, expected);
  // The draw sits between the additive states and the restored blend.
  std::vector<std::string> order;
  for (const std::string& call : renderer_.calls) {
    if (call == "DrawIndexedArray" || call == "SetRenderState") order.push_back(call);
  }
  EXPECT_EQ(order[4], "DrawIndexedArray");
}

TEST_F(Part2DTest, AParticleAtHalfLifeTakesTheMiddleColourAndSizeLessTheOffset) {
  PartGroup* group = MakeGroup(1, 1.0f);
  group->AddColor(1, 0, 0, 1);
  group->AddColor(0, 1, 0, 1);
  group->AddColor(0, 0, 1, 1);
  group->SetLockRect(false);
  group->SetSize(math::Vec2(0.1f, 0.2f), math::Vec2(0.1f, 0.2f), math::Vec2(0.3f, 0.4f),
                 math::Vec2(0.3f, 0.4f));
  group->SetInitialSpeed(math::Vec2(0, 0.1f), math::Vec2(0, 0.1f), -1.0f);
  group->SetStretchSpeed(2.0f);
  group->SpawnParticle(math::Vec2(0.5f, 0.45f));
  group->Update(0.5f);  // at (0.5, 0.5), half its life
  ASSERT_TRUE(group->Render(math::Vec2(0.1f, 0.1f)));
  ASSERT_EQ(renderer_.draws.size(), 1u);
  const std::vector<ScreenVertex>& v = renderer_.draws[0].vertices;
  ASSERT_EQ(v.size(), 6u);
  for (const ScreenVertex& vertex : v) EXPECT_EQ(vertex.color, group->colors[128]);
  EXPECT_EQ(group->colors[128], PackColor(0, 1.0f - 43.0f / 85, 43.0f / 85, 1));
  // Size at half life (0.2, 0.3); half length (0.3 + 2 x 0.1) / 2 = 0.25 along y, centre
  // (0.4, 0.4): the band runs from y 0.15 to 0.65 and is 0.2 wide.
  float minY = 1e9f, maxY = -1e9f, minX = 1e9f, maxX = -1e9f;
  for (const ScreenVertex& vertex : v) {
    minY = std::min(minY, vertex.y);
    maxY = std::max(maxY, vertex.y);
    minX = std::min(minX, vertex.x);
    maxX = std::max(maxX, vertex.x);
  }
  EXPECT_NEAR(minY, 0.15f * 600, 1e-3f);
  EXPECT_NEAR(maxY, 0.65f * 600, 1e-3f);
  EXPECT_NEAR(minX, 0.3f * 800, 1e-3f);
  EXPECT_NEAR(maxX, 0.5f * 800, 1e-3f);
}

TEST_F(Part2DTest, DebugDrawingQueuesEachForcesShapesAtTheOriginLessTheOffset) {
  PartGroup* group = MakeGroup(2);
  group->RenderDebug = true;
  for (const char* type : {"steer", "path", "sphereex", "killplane", "linear", "attractor"}) {
    group->CreateForce(type);
  }
  group->SpawnParticle(math::Vec2(0.5f, 0.5f));
  system_.origin = math::Vec2(0.5f, 0.5f);
  dd::Manager::Instance().Render2D();  // an empty queue to start from
  ASSERT_TRUE(group->Render(math::Vec2(0.1f, 0.1f)));
  renderer_.draws.clear();
  dd::Manager::Instance().Render2D();
  std::map<uint32_t, int> byColour;
  for (const ScreenVertex& v : renderer_.AllVertices()) ++byColour[v.color];
  EXPECT_GT(byColour[0x50FF0000u], 0);  // the sphere
  EXPECT_GT(byColour[0xFFFFFFFFu], 0);  // the kill plane and the attractor
  EXPECT_EQ(byColour[0xFFFF0000u], 6);  // the linear force's arrow: shaft and two barbs
  for (const FakeRenderer::Draw& draw : renderer_.draws) {
    if (draw.vertices.empty() || draw.vertices[0].color != 0xFFFF0000u) continue;
    EXPECT_NEAR(draw.vertices[0].x, 0.4f * 800, 1.0f);  // from the origin less the offset
    EXPECT_NEAR(draw.vertices[0].y, 0.4f * 600, 1.0f);
  }
}

// A renderer that only counts, so that the drawing path itself can be watched for
// allocations.
class CountingRenderer : public spritetest::SpriteRenderer {
 public:
  void DrawArray(const ScreenVertex*, uint32_t count, PrimitiveType) override { vertices += count; }
  void DrawIndexedArray(const ScreenVertex*, uint32_t count, const uint16_t*, uint32_t,
                        PrimitiveType) override {
    vertices += count;
  }
  void SetTexture(uint32_t, Image*) override {}
  void SetRenderState(RenderState, uint32_t) override {}
  uint64_t vertices = 0;
};

TEST_F(Part2DTest, AThousandFramesOfEmissionTickAndDrawAllocateNothing) {
  CountingRenderer counting;
  PartGroup* group = MakeGroup(200, 0.5f);
  group->SetAdditive(true);
  group->SetGenRate(0.004f);
  group->SetInitialSpeed(math::Vec2(-0.1f, -0.1f), math::Vec2(0.1f, 0.1f), -1.0f);
  group->CreateForce("linear");
  group->CreateForce("attractor");
  system_.Tick(0.0f);
#if defined(PELLAVO_TRACKING_MEMORY) && PELLAVO_TRACKING_MEMORY
  const uint64_t before = MemoryManager::GetStats().allocationCount;
#endif
  for (int frame = 0; frame < 1000; ++frame) {
    for (int i = 0; i < 4; ++i) system_.EmitInRect(0.004f, math::Vec2(0.4f, 0.4f), math::Vec2(0.2f, 0.2f));
    system_.Tick(0.016f);
    system_.Render(math::Vec2(0, 0));
  }
  EXPECT_GT(counting.vertices, 0u);
  EXPECT_GT(group->liveCount, 0);
#if defined(PELLAVO_TRACKING_MEMORY) && PELLAVO_TRACKING_MEMORY
  EXPECT_EQ(MemoryManager::GetStats().allocationCount, before);
#endif
}

// --- The band builders ---

// A particle's band covers the pixels of its sprite whichever way it moves: its size is
// measured across in the play area's width and along in its height.
TEST(ParticleBandTest, ABandCoversItsPixelsAlongItsMotionOnTheScreen) {
  screen::g_offsetX = 10;
  screen::g_offsetY = 20;
  struct Case {
    const char* name;
    math::Vec2 direction;
    math::Vec2 alongPixels;  // the unit direction on the screen
  };
  const float d = std::sqrt(0.5f);
  const Case cases[] = {
      {"right", {1, 0}, {1, 0}},
      {"down", {0, 1}, {0, 1}},
      // Equal play-area steps move 800 : 600 pixels.
      {"diagonal", {d, d}, {0.8f, 0.6f}},
  };
  // A 16 x 16-pixel sprite: half 8 pixels each way.
  const float halfLength = 8.0f / 600.0f;
  const float halfWidth = 8.0f / 800.0f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenVertex out[part2d::kBandVertices];
    ASSERT_EQ(part2d::BuildParticleBand({0.5f, 0.5f}, c.direction, halfLength, halfWidth, 0xFF112233,
                                        {0.1f, 0.2f}, {0.9f, 0.8f}, out),
              part2d::kBandVertices);
    const math::Vec2 corner[4] = {{out[0].x, out[0].y}, {out[1].x, out[1].y}, {out[2].x, out[2].y},
                                  {out[3].x, out[3].y}};
    // 16 pixels along the motion (from-left to to-left) and 16 across (from-left to
    // from-right), centred on the centre's pixel.
    const math::Vec2 along = corner[2] - corner[0];
    const math::Vec2 across = corner[1] - corner[0];
    EXPECT_NEAR(along.x, 16.0f * c.alongPixels.x, 1e-3f);
    EXPECT_NEAR(along.y, 16.0f * c.alongPixels.y, 1e-3f);
    EXPECT_NEAR(across.Magnitude(), 16.0f, 1e-3f);
    EXPECT_NEAR(along.x * across.x + along.y * across.y, 0.0f, 1e-2f);  // a rectangle
    const math::Vec2 middle = (corner[0] + corner[3]) * 0.5f;
    EXPECT_NEAR(middle.x, 400.0f + 10, 1e-3f);
    EXPECT_NEAR(middle.y, 300.0f + 20, 1e-3f);
    // u across from uv1, v along from uv1 at the back; one colour; pre-transformed.
    EXPECT_FLOAT_EQ(out[0].u, 0.1f);
    EXPECT_FLOAT_EQ(out[0].v, 0.2f);
    EXPECT_FLOAT_EQ(out[1].u, 0.9f);
    EXPECT_FLOAT_EQ(out[2].v, 0.8f);
    EXPECT_FLOAT_EQ(out[3].u, 0.9f);
    EXPECT_FLOAT_EQ(out[3].v, 0.8f);
    for (const ScreenVertex& v : out) {
      EXPECT_EQ(v.color, 0xFF112233u);
      EXPECT_EQ(v.rhw, 1.0f);
    }
  }
  // Running backwards (a negative length) turns the band round: its triangles keep the
  // winding that the cull mode lets through.
  const auto winding = [](float halfLength) {
    ScreenVertex out[part2d::kBandVertices];
    part2d::BuildParticleBand({0.5f, 0.5f}, {1, 0}, halfLength, 0.01f, 0xFF112233, {0, 0}, {1, 1}, out);
    // The first triangle: corners 1, 3, 0.
    return (out[3].x - out[1].x) * (out[0].y - out[1].y) - (out[3].y - out[1].y) * (out[0].x - out[1].x);
  };
  EXPECT_GT(winding(0.02f) * winding(-0.02f), 0.0f);
  // No direction: a band of no area, and no division by zero.
  ScreenVertex out[part2d::kBandVertices];
  part2d::BuildParticleBand({0.5f, 0.5f}, {0, 0}, halfLength, halfWidth, 0xFF112233, {0, 0}, {1, 1}, out);
  for (const ScreenVertex& v : out) {
    EXPECT_NEAR(v.x, 410.0f, 1e-3f);
    EXPECT_NEAR(v.y, 320.0f, 1e-3f);
  }
  screen::g_offsetX = 0;
  screen::g_offsetY = 0;
}

struct LineCase {
  const char* name;
  math::Vec2 from, to;
  // Pixel corners of the band's left edge at from and right edge at to.
  float fromLeftX, fromLeftY, toRightX, toRightY;
};

TEST(BuildLineQuadTest, BandsAcrossHorizontalVerticalAndZeroLengthSegments) {
  screen::g_offsetX = 10;
  screen::g_offsetY = 20;
  // Half-width 0.01: 8 pixels of the 800-pixel width on either axis.
  const LineCase cases[] = {
      {"horizontal", {0.1f, 0.5f}, {0.3f, 0.5f}, 80 + 10, 300 + 8 + 20, 240 + 10, 300 - 8 + 20},
      {"vertical", {0.5f, 0.1f}, {0.5f, 0.3f}, 400 - 8 + 10, 60 + 20, 400 + 8 + 10, 180 + 20},
      {"zero length", {0.5f, 0.5f}, {0.5f, 0.5f}, 400 + 10, 300 + 20, 400 + 10, 300 + 20},
  };
  for (const LineCase& c : cases) {
    ScreenVertex out[12];
    ASSERT_EQ(BuildLineQuad(c.from, c.to, 0.01f, 0xFF112233, 0xFF445566, math::Vec2(0.1f, 0.2f),
                            math::Vec2(0.9f, 0.8f), out),
              12u);
    SCOPED_TRACE(c.name);
    // Vertex 2 is the left edge at from, vertex 7 the right edge at to, vertex 0 the
    // centre line at from.
    EXPECT_NEAR(out[2].x, c.fromLeftX, 1e-3f);
    EXPECT_NEAR(out[2].y, c.fromLeftY, 1e-3f);
    EXPECT_NEAR(out[7].x, c.toRightX, 1e-3f);
    EXPECT_NEAR(out[7].y, c.toRightY, 1e-3f);
    EXPECT_EQ(out[2].color, 0xFF112233u);
    EXPECT_EQ(out[7].color, 0xFF445566u);
    EXPECT_FLOAT_EQ(out[2].u, 0.1f);
    EXPECT_FLOAT_EQ(out[2].v, 0.2f);
    EXPECT_FLOAT_EQ(out[7].u, 0.9f);
    EXPECT_FLOAT_EQ(out[7].v, 0.8f);
    EXPECT_FLOAT_EQ(out[0].u, 0.5f);
    EXPECT_NEAR(out[0].x, 0.5f * (c.fromLeftX + out[6].x), 1e-3f);  // midway across
    for (const ScreenVertex& v : out) {
      EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
      EXPECT_EQ(v.rhw, 1.0f);
    }
  }
  screen::g_offsetX = 0;
  screen::g_offsetY = 0;
}

}  // namespace
}  // namespace p2dtest
