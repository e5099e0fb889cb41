#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/core/Spline.h"
#include "engine/graphics/DrawQueue.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/FakeRenderer.h"

namespace {

using math::Vec2;

constexpr uint32_t kWhite = 0xFFFFFFFF;

class DrawQueueTest : public testing::Test {
 protected:
  DrawQueueTest() {
    screen::g_offsetX = 0;
    screen::g_offsetY = 0;
    screen::g_heightOverWidth = 0.75f;
  }
  ~DrawQueueTest() override {
    screen::g_offsetX = 0;
    screen::g_offsetY = 0;
  }

  // Pixel position of a vertex as a fraction of the 800 x 600 screen.
  static Vec2 At(const ScreenVertex& v) { return {v.x / 800.0f, v.y / 600.0f}; }

  size_t DrawnVertices() const { return fake.AllVertices().size(); }

  FakeRenderer fake;
  std::unique_ptr<dd::Manager> queue = std::make_unique<dd::Manager>();
};

void ExpectAt(const ScreenVertex& v, const Vec2& expected) {
  EXPECT_NEAR(v.x / 800.0f, expected.x, 1e-5f);
  EXPECT_NEAR(v.y / 600.0f, expected.y, 1e-5f);
}

TEST_F(DrawQueueTest, LinesAndRectanglesAreDroppedOnlyBeyondOneEdge) {
  struct Case { Vec2 a, b; bool queued; };
  const Case cases[] = {
      {{-0.5f, 0.5f}, {-0.1f, 0.7f}, false},  // both left
      {{1.1f, 0.5f}, {1.5f, 0.2f}, false},    // both right
      {{0.2f, -0.1f}, {0.8f, -0.3f}, false},  // both above
      {{0.2f, 1.1f}, {0.8f, 1.3f}, false},    // both below
      {{-0.5f, 0.5f}, {0.5f, 0.5f}, true},
      {{-0.5f, -0.5f}, {1.5f, 1.5f}, true},   // crosses diagonally from outside
      {{-0.5f, 0.5f}, {0.5f, -2.0f}, true},   // outside the square, but not beyond one edge
      {{0.0f, 0.0f}, {0.0f, 0.0f}, true},     // on the edges counts as inside
      {{1.0f, 1.0f}, {1.0f, 1.0f}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a.x << "," << c.a.y << " -> " << c.b.x << "," << c.b.y);
    fake.draws.clear();
    queue->AddLine(c.a, c.b, kWhite, false);
    queue->Render2D();
    EXPECT_EQ(DrawnVertices(), c.queued ? 2u : 0u);
    fake.draws.clear();
    queue->AddRect(c.a, c.b, kWhite);
    queue->Render2D();
    EXPECT_EQ(DrawnVertices(), c.queued ? 8u : 0u);
  }
}

TEST_F(DrawQueueTest, CirclesAreDroppedOnlyWhollyOutside) {
  struct Case { Vec2 centre; float radius; bool queued; };
  const Case cases[] = {
      {{1.2f, 0.5f}, 0.3f, true},  {{1.2f, 0.5f}, 0.1f, false}, {{0.5f, -0.2f}, 0.3f, true},
      {{0.5f, -0.2f}, 0.1f, false}, {{-0.1f, 0.5f}, 0.1f, true}, {{0.5f, 0.5f}, 0.0f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.centre.x << "," << c.centre.y << " r " << c.radius);
    fake.draws.clear();
    queue->AddCircle(c.centre, c.radius, kWhite);
    queue->Render2D();
    EXPECT_EQ(DrawnVertices(), c.queued ? 34u : 0u);
  }
}

TEST_F(DrawQueueTest, LineVerticesAreScreenPixelsPlusThePlayAreaOffset) {
  screen::g_offsetX = 80;
  screen::g_offsetY = 10;
  queue->AddLine({0.25f, 0.5f}, {1.0f, 0.0f}, 0x80FF0000, false);
  queue->Render2D();
  ASSERT_EQ(fake.draws.size(), 1u);
  EXPECT_EQ(fake.draws[0].type, PT_Lines);
  const std::vector<ScreenVertex>& v = fake.draws[0].vertices;
  ASSERT_EQ(v.size(), 2u);
  EXPECT_FLOAT_EQ(v[0].x, 280.0f);  // no half-pixel shift, no snapping
  EXPECT_FLOAT_EQ(v[0].y, 310.0f);
  EXPECT_FLOAT_EQ(v[1].x, 880.0f);
  EXPECT_FLOAT_EQ(v[1].y, 10.0f);
  for (const ScreenVertex& vertex : v) {
    EXPECT_EQ(vertex.z, 0.0f);
    EXPECT_EQ(vertex.rhw, 1.0f);
    EXPECT_EQ(vertex.color, 0x80FF0000u);
    EXPECT_EQ(vertex.u, 0.0f);
    EXPECT_EQ(vertex.v, 0.0f);
  }
}

TEST_F(DrawQueueTest, ArrowHeadBarbsReachBackAFifthAndOutATenth) {
  queue->AddLine({0.0f, 0.0f}, {0.5f, 0.0f}, kWhite, true);
  queue->Render2D();
  const std::vector<ScreenVertex> v = fake.AllVertices();
  ASSERT_EQ(v.size(), 6u);
  ExpectAt(v[0], {0.0f, 0.0f});
  ExpectAt(v[1], {0.5f, 0.0f});
  ExpectAt(v[2], {0.5f, 0.0f});
  ExpectAt(v[3], {0.4f, -0.05f});
  ExpectAt(v[4], {0.5f, 0.0f});
  ExpectAt(v[5], {0.4f, 0.05f});
}

TEST_F(DrawQueueTest, RectangleAndCircleOutlines) {
  queue->AddRect({0.2f, 0.3f}, {0.6f, 0.8f}, kWhite);
  queue->Render2D();
  std::vector<ScreenVertex> v = fake.AllVertices();
  ASSERT_EQ(v.size(), 8u);
  const Vec2 expected[] = {{0.2f, 0.3f}, {0.6f, 0.3f}, {0.2f, 0.3f}, {0.2f, 0.8f},
                           {0.6f, 0.8f}, {0.2f, 0.8f}, {0.6f, 0.8f}, {0.6f, 0.3f}};
  for (size_t i = 0; i < 8; ++i) ExpectAt(v[i], expected[i]);

  fake.draws.clear();
  queue->AddCircle({0.5f, 0.5f}, 0.2f, kWhite);
  queue->Render2D();
  v = fake.AllVertices();
  ASSERT_EQ(v.size(), 34u);
  // The radius is a fraction of the height: across it spans the same pixels.
  ExpectAt(v[0], {0.5f + 0.2f * 0.75f, 0.5f});
  EXPECT_NEAR(v[8].x, 400.0f, 1e-3f);  // a quarter turn round: straight below
  EXPECT_NEAR(v[8].y, 420.0f, 1e-3f);
  for (size_t i = 1; i + 1 < v.size(); i += 2) {  // the segments join up
    EXPECT_NEAR(v[i].x, v[i + 1].x, 1e-3f);
    EXPECT_NEAR(v[i].y, v[i + 1].y, 1e-3f);
  }
  EXPECT_NEAR(v[32].x, v[0].x, 0.01f);  // the last segment retraces the first
  EXPECT_NEAR(v[33].x, v[1].x, 0.01f);
  EXPECT_NEAR(v[33].y, v[1].y, 0.01f);
}

TEST_F(DrawQueueTest, PathIsDrawnThroughTheSplineLessTheOffset) {
  math::Spline spline;
  spline.drawSteps = 4;
  for (const Vec2& node : {Vec2(0.2f, 0.2f), Vec2(0.4f, 0.6f), Vec2(0.7f, 0.3f)}) {
    spline.AddNode(node);
  }
  const Vec2 offset(0.1f, -0.1f);
  queue->AddPath(&spline, 0.01f, kWhite, false, offset);
  queue->Render2D();
  const std::vector<ScreenVertex> v = fake.AllVertices();
  ASSERT_EQ(v.size(), 16u);  // two segments of four pieces
  ExpectAt(v[0], Vec2(0.2f, 0.2f) - offset);
  for (size_t i = 1; i + 1 < v.size(); i += 2) ExpectAt(v[i + 1], At(v[i]));
  ExpectAt(v[7], Vec2(0.4f, 0.6f) - offset);
  ExpectAt(v[15], Vec2(0.7f, 0.3f) - offset);
  // A point inside: segment 0 at t = 1/4, with node 0 repeated before it.
  const Vec2 n0 = spline.GetNode(0)->pos, n1 = spline.GetNode(1)->pos, n2 = spline.GetNode(2)->pos;
  ExpectAt(v[1], spline.InterpolateSegment(0.25f, n0, n0, n1, n2) - offset);
}

TEST_F(DrawQueueTest, PathFollowsTheSplinesMode) {
  math::Spline spline;
  spline.mode = 5;  // straight lines between the nodes
  spline.drawSteps = 2;
  spline.AddNode({0.2f, 0.2f});
  spline.AddNode({0.6f, 0.4f});
  queue->AddPath(&spline, 0.0f, kWhite, false, {});
  queue->Render2D();
  const std::vector<ScreenVertex> v = fake.AllVertices();
  ASSERT_EQ(v.size(), 4u);
  ExpectAt(v[1], {0.4f, 0.3f});
}

TEST_F(DrawQueueTest, PathNodeMarkersAndDegeneratePaths) {
  math::Spline single;
  single.AddNode({0.5f, 0.5f});
  queue->AddPath(&single, 0.0f, kWhite, true, {});
  queue->AddPath(nullptr, 0.0f, kWhite, true, {});
  queue->Render2D();
  const std::vector<ScreenVertex> v = fake.AllVertices();
  ASSERT_EQ(v.size(), 8u);  // only the node's box: 10 x 10 pixels
  EXPECT_NEAR(v[0].x, 395.0f, 1e-3f);
  EXPECT_NEAR(v[0].y, 295.0f, 1e-2f);
  EXPECT_NEAR(v[1].x, 405.0f, 1e-3f);
  EXPECT_NEAR(v[3].y, 305.0f, 1e-2f);

  fake.draws.clear();
  math::Spline two;
  two.drawSteps = 3;
  two.AddNode({0.1f, 0.1f});
  two.AddNode({0.3f, 0.1f});
  queue->AddPath(&two, 0.0f, kWhite, true, {});
  queue->Render2D();
  EXPECT_EQ(DrawnVertices(), 6u + 16u);
}

TEST_F(DrawQueueTest, KindsAreDrawnLinesPathsRectanglesCircles) {
  math::Spline spline;
  spline.drawSteps = 1;
  spline.AddNode({0.1f, 0.1f});
  spline.AddNode({0.2f, 0.2f});
  queue->AddCircle({0.5f, 0.5f}, 0.1f, 4);
  queue->AddRect({0.1f, 0.1f}, {0.2f, 0.2f}, 3);
  queue->AddPath(&spline, 0.0f, 2, false, {});
  queue->AddLine({0.1f, 0.1f}, {0.2f, 0.2f}, 1, false);
  queue->AddLine({0.3f, 0.1f}, {0.2f, 0.2f}, 11, false);
  queue->AddRect({0.3f, 0.1f}, {0.4f, 0.2f}, 33);
  queue->Render2D();

  std::vector<uint32_t> order;
  for (const ScreenVertex& v : fake.AllVertices()) {
    if (order.empty() || order.back() != v.color) order.push_back(v.color);
  }
  EXPECT_EQ(order, (std::vector<uint32_t>{1, 11, 2, 3, 33, 4}));
}

TEST_F(DrawQueueTest, FifteenHundredLinesTakeTwoDraws) {
  for (int i = 0; i < 1500; ++i) queue->AddLine({0.1f, 0.1f}, {0.9f, 0.9f}, kWhite, false);
  queue->Render2D();
  ASSERT_EQ(fake.draws.size(), 2u);
  EXPECT_EQ(fake.draws[0].vertices.size(), 2998u);
  EXPECT_EQ(fake.draws[1].vertices.size(), 2u);
  EXPECT_EQ(fake.draws[0].type, PT_Lines);
  EXPECT_EQ(fake.draws[1].type, PT_Lines);
}

TEST_F(DrawQueueTest, ShapesLiveForOneFrame) {
  queue->Render2D();
  EXPECT_TRUE(fake.draws.empty());  // nothing queued: no draw

  queue->AddLine({0.1f, 0.1f}, {0.9f, 0.9f}, kWhite, false);
  queue->AddCircle({0.5f, 0.5f}, 0.1f, kWhite);
  EXPECT_TRUE(fake.draws.empty());  // drawn only by Render2D
  EXPECT_TRUE(queue->Render2D());
  EXPECT_EQ(fake.draws.size(), 1u);
  queue->Render2D();
  EXPECT_EQ(fake.draws.size(), 1u);  // emptied by the previous frame
}

TEST_F(DrawQueueTest, RenderSetsPlainColouredLineState) {
  queue->AddLine({0.1f, 0.1f}, {0.9f, 0.9f}, kWhite, false);
  queue->Render2D();

  ASSERT_EQ(fake.transforms.size(), 1u);
  EXPECT_EQ(fake.transforms[0].kind, TK_World);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(fake.transforms[0].matrix[static_cast<size_t>(r * 4 + c)], r == c ? 1.0f : 0.0f);
    }
  }
  ASSERT_EQ(fake.textures.size(), 1u);
  EXPECT_EQ(fake.textures[0].first, 0u);
  EXPECT_EQ(fake.textures[0].second, nullptr);

  const std::vector<std::pair<RenderState, uint32_t>> states = {
      {RS_ZEnable, 0}, {RS_ZWrite, 0}, {RS_Lighting, 0}, {RS_AlphaBlend, 1},
      {RS_SrcBlend, BF_SrcAlpha}, {RS_DestBlend, BF_InvSrcAlpha}};
  EXPECT_EQ(fake.renderStates, states);

  auto stage = [&](uint32_t s, TextureStageKind kind) {
    TextureStageValue last = TSV_Modulate;
    bool found = false;
    for (const FakeRenderer::StageCall& call : fake.stages) {
      if (call.stage == s && call.kind == kind) last = call.value, found = true;
    }
    EXPECT_TRUE(found) << s << " " << kind;
    return last;
  };
  EXPECT_EQ(stage(0, TSK_ColorOp), TSV_SelectArg1);
  EXPECT_EQ(stage(0, TSK_ColorArg1), TSV_Diffuse);
  EXPECT_EQ(stage(0, TSK_AlphaOp), TSV_SelectArg1);
  EXPECT_EQ(stage(0, TSK_AlphaArg1), TSV_Diffuse);
  EXPECT_EQ(stage(1, TSK_ColorOp), TSV_Disable);
  // The state comes before the draw.
  EXPECT_EQ(fake.calls.back(), "DrawArray");
}

TEST_F(DrawQueueTest, FullPoolsDropTheExtraShapesWithOneWarning) {
  math::Spline spline;
  spline.drawSteps = 1;
  spline.AddNode({0.1f, 0.1f});
  spline.AddNode({0.2f, 0.2f});
  struct Case {
    const char* kind;
    int capacity;
    size_t verticesEach;
    void (*add)(dd::Manager&, const math::Spline&);
  };
  const Case cases[] = {
      {"lines", dd::Manager::kMaxLines, 2,
       [](dd::Manager& q, const math::Spline&) { q.AddLine({0.1f, 0.1f}, {0.2f, 0.2f}, 1, false); }},
      {"rectangles", dd::Manager::kMaxRects, 8,
       [](dd::Manager& q, const math::Spline&) { q.AddRect({0.1f, 0.1f}, {0.2f, 0.2f}, 1); }},
      {"circles", dd::Manager::kMaxCircles, 34,
       [](dd::Manager& q, const math::Spline&) { q.AddCircle({0.5f, 0.5f}, 0.1f, 1); }},
      {"paths", dd::Manager::kMaxPaths, 2,
       [](dd::Manager& q, const math::Spline& s) { q.AddPath(&s, 0.0f, 1, false, {}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    LogCapture log;
    auto frame = [&](int shapes) {
      fake.draws.clear();
      for (int i = 0; i < shapes; ++i) c.add(*queue, spline);
      queue->Render2D();
      return DrawnVertices();
    };
    EXPECT_EQ(frame(c.capacity), c.capacity * c.verticesEach);
    EXPECT_EQ(log.Count("Draw queue full"), 0u);

    EXPECT_EQ(frame(c.capacity + 50), c.capacity * c.verticesEach);
    EXPECT_EQ(log.Count("Draw queue full"), 1u);
    EXPECT_TRUE(log.Contains(c.kind));
    EXPECT_TRUE(log.Contains("[MSG_WARNING]"));

    frame(c.capacity + 1);  // still overflowing: no new warning
    EXPECT_EQ(log.Count("Draw queue full"), 1u);
    frame(1);               // room again
    frame(c.capacity + 1);  // a new overflow warns again
    EXPECT_EQ(log.Count("Draw queue full"), 2u);
  }
}

TEST_F(DrawQueueTest, WithoutARendererTheShapesAreForgotten) {
  SetGraphics(nullptr);
  queue->AddLine({0.1f, 0.1f}, {0.9f, 0.9f}, kWhite, false);
  EXPECT_TRUE(queue->Render2D());
  SetGraphics(&fake);
  queue->Render2D();
  EXPECT_TRUE(fake.draws.empty());
}

TEST_F(DrawQueueTest, RendersAgainAfterShutdown) {
  queue->AddLine({0.1f, 0.1f}, {0.9f, 0.9f}, kWhite, false);
  queue->Render2D();
  EXPECT_TRUE(queue->Shutdown());
  queue->AddLine({0.1f, 0.1f}, {0.9f, 0.9f}, kWhite, false);
  queue->Render2D();
  EXPECT_EQ(fake.draws.size(), 2u);
}

TEST_F(DrawQueueTest, InstanceIsOneQueue) {
  EXPECT_EQ(&dd::Manager::Instance(), &dd::Manager::Instance());
  dd::Manager::Instance().AddLine({0.1f, 0.1f}, {0.9f, 0.9f}, kWhite, false);
  dd::Manager::Instance().Render2D();
  EXPECT_EQ(DrawnVertices(), 2u);
}

}  // namespace
