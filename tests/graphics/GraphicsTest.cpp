// The renderer interface's own code: colour packing, the quad builders, the cache list,
// shut-down and the cursor mapping.

#include <cmath>

#include "engine/graphics/Graphics.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "tests/graphics/GraphicsTestSupport.h"

namespace gfxtest {
namespace {

class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessState(); }
  void TearDown() override { ResetProcessState(); }
};

TEST_F(GraphicsTest, PackColorTruncatesAndWraps) {
  struct Case {
    float r, g, b, a;
    uint32_t expected;
  };
  const Case cases[] = {
      {1, 1, 1, 1, 0xFFFFFFFFu},
      {0.5f, 0, 0, 1, 0xFF7F0000u},  // 127.5 truncates to 127
      {0, 0, 0, 0, 0x00000000u},
      {1.5f, 0, 0, 1, 0xFF7E0000u},   // 382: low byte 126
      {0, -0.5f, 0, 1, 0xFF008100u},  // -127: low byte 129
      {0, 0, 0.25f, 0.1f, 0x1900003Fu},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PackColor(c.r, c.g, c.b, c.a), c.expected) << c.r << " " << c.g << " " << c.b << " " << c.a;
  }
}

TEST_F(GraphicsTest, ScreenQuadSpansThePlayAreaWithTheHalfPixelShift) {
  ScreenVertex v[6];
  ASSERT_EQ(BuildScreenQuad({0, 0}, {1, 1}, {0, 0}, {1, 1}, 0xFF112233, v), 6u);
  // left-bottom, left-top, right-bottom, right-top, right-bottom, left-top
  const float expected[6][4] = {{-0.5f, 599.5f, 0, 1}, {-0.5f, -0.5f, 0, 0}, {799.5f, 599.5f, 1, 1},
                                {799.5f, -0.5f, 1, 0}, {799.5f, 599.5f, 1, 1}, {-0.5f, -0.5f, 0, 0}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, expected[i][0]) << i;
    EXPECT_FLOAT_EQ(v[i].y, expected[i][1]) << i;
    EXPECT_FLOAT_EQ(v[i].u, expected[i][2]) << i;
    EXPECT_FLOAT_EQ(v[i].v, expected[i][3]) << i;
    EXPECT_EQ(v[i].color, 0xFF112233u);
    EXPECT_EQ(v[i].z, 0.0f);
    EXPECT_EQ(v[i].rhw, 1.0f);
  }
}

TEST_F(GraphicsTest, EveryBuilderMovesWithTheOffsets) {
  auto build = [](ScreenVertex* out, int which) {
    const math::Vec2 corners[4] = {{0.1f, 0.1f}, {0.1f, 0.3f}, {0.4f, 0.1f}, {0.4f, 0.3f}};
    switch (which) {
      case 0: return BuildScreenQuad({0.1f, 0.2f}, {0.3f, 0.1f}, {0, 0}, {1, 1}, 0, out);
      case 1: return BuildCornerQuad(corners, nullptr, nullptr, out);
      case 2: return BuildRotatedQuad({0.5f, 0.5f}, {0.2f, 0.1f}, 30, {0, 0}, {1, 1}, 0, out);
      case 3: return BuildOrientedQuad(1, {0.1f, 0.2f}, {0.3f, 0.1f}, {0, 0}, {1, 1}, 0, out);
      default: return BuildRing({0.5f, 0.5f}, 0.1f, 0, 0, out);
    }
  };
  for (int which = 0; which < 5; ++which) {
    ScreenVertex plain[48], moved[48];
    screen::g_offsetX = 0;
    screen::g_offsetY = 0;
    const uint32_t n = build(plain, which);
    screen::g_offsetX = 80;
    screen::g_offsetY = 7;
    ASSERT_EQ(build(moved, which), n);
    for (uint32_t i = 0; i < n; ++i) {
      EXPECT_FLOAT_EQ(moved[i].x, plain[i].x + 80) << which << " " << i;
      EXPECT_FLOAT_EQ(moved[i].y, plain[i].y + 7) << which << " " << i;
    }
  }
}

TEST_F(GraphicsTest, SnappingRoundsToWholePixels) {
  ScreenVertex v[6];
  BuildScreenQuad({0.1f, 0.1f}, {0.1f, 0.1f}, {0, 0}, {1, 1}, 0, v);
  const float unsnappedRight = v[2].x;
  screen::g_pixelSnapping = true;
  BuildScreenQuad({0.1f, 0.1f}, {0.1f, 0.1f}, {0, 0}, {1, 1}, 0, v);
  EXPECT_FLOAT_EQ(v[1].x, 79.5f);   // x0 = floor(80.5) = 80
  EXPECT_FLOAT_EQ(v[2].x, 159.5f);  // w = ceil(79.9995) = 80
  EXPECT_FLOAT_EQ(v[1].y, 59.5f);
  EXPECT_FLOAT_EQ(v[0].y, 119.5f);
  EXPECT_NEAR(unsnappedRight, 159.5f, 0.001f);
  // A position between pixels lands on the nearest one.
  BuildScreenQuad({0.10070f, 0}, {0.0101f, 0.1f}, {0, 0}, {1, 1}, 0, v);
  EXPECT_FLOAT_EQ(v[1].x, 80.5f);   // 80.56 rounds to 81
  EXPECT_FLOAT_EQ(v[2].x, 89.5f);   // 8.08 rounds up to 9
}

TEST_F(GraphicsTest, CornerQuadDefaultsAndVertexOrder) {
  const math::Vec2 corners[4] = {{0, 0}, {0, 0.5f}, {0.5f, 0}, {0.5f, 0.5f}};
  ScreenVertex v[6];
  ASSERT_EQ(BuildCornerQuad(corners, nullptr, nullptr, v), 6u);
  // Corners 1, 0, 3, 2, 3, 0 with their default UVs (0,1) (0,0) (1,1) (1,0).
  const float expected[6][4] = {{-0.5f, 299.5f, 0, 1}, {-0.5f, -0.5f, 0, 0}, {399.5f, 299.5f, 1, 1},
                                {399.5f, -0.5f, 1, 0}, {399.5f, 299.5f, 1, 1}, {-0.5f, -0.5f, 0, 0}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, expected[i][0]) << i;
    EXPECT_FLOAT_EQ(v[i].y, expected[i][1]) << i;
    EXPECT_FLOAT_EQ(v[i].u, expected[i][2]) << i;
    EXPECT_FLOAT_EQ(v[i].v, expected[i][3]) << i;
    EXPECT_EQ(v[i].color, 0xFFFFFFFFu);
  }
  const uint32_t colors[4] = {1, 2, 3, 4};
  BuildCornerQuad(corners, nullptr, colors, v);
  EXPECT_EQ(v[0].color, 2u);
  EXPECT_EQ(v[3].color, 3u);
}

TEST_F(GraphicsTest, RotatedQuadKeepsItsPixelShapeAndTurnsCounterClockwise) {
  ScreenVertex v[6];
  // 0.2 x 0.1 of the play area: 160 x 60 pixels, centred on (400, 300).
  BuildRotatedQuad({0.5f, 0.5f}, {0.2f, 0.1f}, 0, {0, 0}, {1, 1}, 0, v);
  EXPECT_NEAR(v[0].x, 320, 0.01f);
  EXPECT_NEAR(v[0].y, 270, 0.01f);
  EXPECT_NEAR(v[2].x, 480, 0.01f);
  EXPECT_NEAR(v[2].y, 330, 0.01f);
  EXPECT_FLOAT_EQ(v[5].u, 0);
  EXPECT_FLOAT_EQ(v[5].v, 1);

  BuildRotatedQuad({0.5f, 0.5f}, {0.2f, 0.1f}, 90, {0, 0}, {1, 1}, 0, v);
  // Turned a quarter: 60 wide and 160 tall in pixels; the image's top-left corner (vertex
  // 0) moves to the bottom-left, its top-right corner (vertex 1) to the top-left.
  EXPECT_NEAR(v[0].x, 370, 0.05f);
  EXPECT_NEAR(v[0].y, 380, 0.05f);
  EXPECT_NEAR(v[1].x, 370, 0.05f);
  EXPECT_NEAR(v[1].y, 220, 0.05f);
  EXPECT_NEAR(v[2].x, 430, 0.05f);
  EXPECT_NEAR(v[2].y, 220, 0.05f);
}

TEST_F(GraphicsTest, OrientedQuads) {
  ScreenVertex plain[6], v[6];
  BuildScreenQuad({0.1f, 0.2f}, {0.3f, 0.1f}, {0.25f, 0}, {0.75f, 1}, 5, plain);
  BuildOrientedQuad(7, {0.1f, 0.2f}, {0.3f, 0.1f}, {0.25f, 0}, {0.75f, 1}, 5, v);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(v[i].x, plain[i].x);
    EXPECT_EQ(v[i].u, plain[i].u);
  }
  BuildOrientedQuad(2, {0.1f, 0.2f}, {0.3f, 0.1f}, {0.25f, 0}, {0.75f, 1}, 5, v);
  EXPECT_FLOAT_EQ(v[1].u, 0.75f);  // the top-left corner shows the texture's bottom-right
  EXPECT_FLOAT_EQ(v[1].v, 1.0f);

  // A quarter turn: 0.3 x 0.1 (240 x 60 pixels) covers 60 x 240 pixels.
  ASSERT_EQ(BuildOrientedQuad(1, {0.1f, 0.2f}, {0.3f, 0.1f}, {0, 0}, {1, 1}, 5, v), 6u);
  EXPECT_NEAR(v[1].x, 79.5f, 0.01f);         // corner 0, top-left
  EXPECT_NEAR(v[1].y, 119.5f, 0.01f);
  EXPECT_NEAR(v[3].x, 80 + 60 - 0.5f, 0.01f);  // corner 2, top-right
  EXPECT_NEAR(v[0].y, 120 + 240 - 0.5f, 0.01f);  // corner 1, bottom-left
  // Orientation 1: the image's left edge runs along the top, read from its bottom.
  EXPECT_FLOAT_EQ(v[1].u, 0);
  EXPECT_FLOAT_EQ(v[1].v, 1);
  EXPECT_FLOAT_EQ(v[3].u, 0);
  EXPECT_FLOAT_EQ(v[3].v, 0);
  BuildOrientedQuad(3, {0.1f, 0.2f}, {0.3f, 0.1f}, {0, 0}, {1, 1}, 5, v);
  EXPECT_FLOAT_EQ(v[1].u, 1);
  EXPECT_FLOAT_EQ(v[1].v, 0);
}

TEST_F(GraphicsTest, RingIsAClosedDiscOfSixteenTriangles) {
  for (float radius : {0.01f, 0.05f, 0.125f}) {  // up to 100 pixels
    ScreenVertex v[48];
    ASSERT_EQ(BuildRing({0.5f, 0.5f}, radius, 0xFFFFFFFF, 0x00FFFFFF, v), 48u);
    EXPECT_FLOAT_EQ(v[0].x, 400);
    EXPECT_FLOAT_EQ(v[0].y, 300);
    EXPECT_FLOAT_EQ(v[0].u, 0.01f);
    EXPECT_EQ(v[0].color, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(v[1].u, 0.99f);
    EXPECT_EQ(v[1].color, 0x00FFFFFFu);
    EXPECT_NEAR(v[1].x - 400, 800 * radius, 0.001f);
    // The last rim point meets the first.
    EXPECT_LT(std::hypot(v[47].x - v[1].x, v[47].y - v[1].y), 0.001f) << radius;
    // Round in pixels: the quarter point lies as far below as the first lies right.
    EXPECT_NEAR(v[3 * 4 + 1].y - 300, 800 * radius, 0.01f);
  }
}

struct FakeCache : ImageCache {
  explicit FakeCache(std::string* log, char id) : log_(log), id_(id) {}
  bool Create(uint32_t, uint32_t, uint32_t) override { return true; }
  void Clear(uint32_t) override {}
  bool BeginRender() override { return true; }
  void EndRender() override {}
  void Release() override { *log_ += std::string("r") + id_; }
  void Recreate() override { *log_ += std::string("c") + id_; }
  void SetTexture(uint32_t) override {}
  std::string* log_;
  char id_;
};

TEST_F(GraphicsTest, CacheListKeepsRegistrationOrder) {
  Dx8Graphics graphics;
  std::string log;
  FakeCache a(&log, 'a'), b(&log, 'b'), c(&log, 'c'), unlisted(&log, 'x');
  graphics.AddCache(&a);
  graphics.AddCache(&b);
  graphics.AddCache(&c);
  graphics.AddCache(&a);  // moves to the end
  EXPECT_EQ(graphics.caches, (std::vector<ImageCache*>{&b, &c, &a}));
  graphics.RemoveCache(&unlisted);
  EXPECT_EQ(graphics.caches.size(), 3u);
  graphics.RemoveCache(&c);
  EXPECT_EQ(graphics.caches, (std::vector<ImageCache*>{&b, &a}));
  graphics.ReleaseResources();
  graphics.RestoreResources();
  EXPECT_EQ(log, "rbracbca");
}

TEST_F(GraphicsTest, ShutdownReleasesTheRendererOnce) {
  Graphics::SHUTDOWN();  // none: nothing happens
  EXPECT_EQ(GetGraphics(), nullptr);
  Graphics* made = Dx8Graphics::Create();
  EXPECT_EQ(Dx8Graphics::Create(), made);  // a second call keeps the first renderer
  EXPECT_EQ(made->cardClass, 3);
  Graphics::SHUTDOWN();
  EXPECT_EQ(GetGraphics(), nullptr);
}

TEST_F(GraphicsTest, SetResolutionSetsTheRatios) {
  Dx8Graphics graphics;
  EXPECT_TRUE(graphics.SetResolution(960, 600));
  EXPECT_EQ(graphics.width, 960);
  EXPECT_FLOAT_EQ(screen::g_heightOverWidth, 0.625f);
  EXPECT_FLOAT_EQ(screen::g_widthOverHeight, 1.6f);
}

// The cursor is mapped through the transform that presents the back buffer into the
// client area, then through the play area's offsets: on a 16:9 desktop the 960 x 600 back
// buffer is shown at 1728 x 1080 between bars, and the play area inside it is not
// stretched; where full screen was not granted and the window kept 800 x 600, the same
// back buffer is shown at 800 x 500 between bars above and below.
TEST_F(GraphicsTest, WindowPointsMapToThePlayAreaThroughThePresentTransform) {
  Dx8Graphics* graphics = static_cast<Dx8Graphics*>(Dx8Graphics::Create());
  graphics->SetResolution(800, 600);
  graphics->windowed = false;
  graphics->storedOffsetX = 80;

  struct Case {
    int clientWidth, clientHeight;
    float wx, wy;
    bool inside;
    float fx, fy;
  };
  const Case cases[] = {
      // The picture spans x 96..1824; the play area 96 + 80 x 1.8 = 240 .. 1680.
      {1920, 1080, 960, 540, true, 0.5f, 0.5f},
      {1920, 1080, 240, 0, true, 0, 0},
      {1920, 1080, 1680 - 0.01f, 1079.99f, true, 1, 1},
      {1920, 1080, 239, 540, false, 0, 0.5f},   // on the play area's black bar
      {1920, 1080, 50, 540, false, 0, 0.5f},    // on the window's bar
      {1920, 1080, 1900, 540, false, 1, 0.5f},
      // Scaled by 5/6: the picture spans y 50..550, the play area x 66.7..733.3.
      {800, 600, 400, 300, true, 0.5f, 0.5f},
      {800, 600, 66.67f + 666.67f * 0.25f, 50 + 500 * 0.75f, true, 0.25f, 0.75f},
      {800, 600, 400, 40, false, 0.5f, 0},      // on the bar above
      {800, 600, 30, 300, false, 0, 0.5f},      // on the play area's black bar
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.clientWidth << " x " << c.clientHeight);
    math::Vec2 fraction;
    EXPECT_EQ(WindowToPlayArea(c.wx, c.wy, c.clientWidth, c.clientHeight, fraction), c.inside)
        << c.wx << "," << c.wy;
    EXPECT_NEAR(fraction.x, c.fx, 0.001f) << c.wx;
    EXPECT_NEAR(fraction.y, c.fy, 0.001f) << c.wy;
  }
  // Windowed play ignores the stored offsets, as the frame does.
  graphics->windowed = true;
  math::Vec2 fraction;
  EXPECT_TRUE(WindowToPlayArea(400, 150, 800, 600, fraction));
  EXPECT_FLOAT_EQ(fraction.x, 0.5f);
  EXPECT_FLOAT_EQ(fraction.y, 0.25f);
}

}  // namespace
}  // namespace gfxtest
