// The renderer on OpenGL (headless, Mesa's software renderer): pixels read back through
// the screenshot path.

#include <memory>

#include "engine/graphics/Image.h"
#include "engine/graphics/ResMan.h"
#include "platform/d3d8/GlDevice.h"
#include "platform/d3d8/PresentTransform.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"

namespace gfxtest {
namespace {

class GlRenderTest : public GlGraphicsTest {
 protected:
  // A frame cleared to the colour, with the default 2-D states.
  void BeginFrame(uint32_t clearColor) {
    ASSERT_TRUE(graphics_->BeginFrame());
    graphics_->Clear(clearColor, 0, 0, true, false, false);
    graphics_->ResetRenderStates();
  }
  void DrawQuad(float left, float top, float right, float bottom, uint32_t color,
                Image* image = nullptr) {
    ScreenVertex v[6];
    PixelQuad(left + screen::g_offsetX, top + screen::g_offsetY, right + screen::g_offsetX,
              bottom + screen::g_offsetY, color, v);
    graphics_->SetTexture(0, image);
    graphics_->DrawArray(v, 6, PT_Triangles);
  }
  std::unique_ptr<Image> Load(const std::string& name, const std::string& bytes) {
    WriteFixture(name, bytes);
    std::unique_ptr<Image> image(graphics_->LoadImage(name));
    EXPECT_NE(image, nullptr) << name;
    return image;
  }
};

TEST_F(GlRenderTest, ClearColourAndVertexColour) {
  ASSERT_TRUE(Start());
  BeginFrame(0xFF204060);
  ScreenVertex v[6];
  BuildScreenQuad({0.25f, 0.25f}, {0.5f, 0.5f}, {0, 0}, {1, 1}, 0xFFC08040, v);
  graphics_->DrawArray(v, 6, PT_Triangles);
  const Bitmap shot = EndFrameWithScreenshot();
  ASSERT_EQ(shot.width, 800);
  ASSERT_EQ(shot.height, 600);
  EXPECT_EQ(shot.At(0, 0), 0xFF204060u);
  EXPECT_EQ(shot.At(799, 599), 0xFF204060u);
  // The quad covers pixels 200..599 x 150..449 exactly.
  EXPECT_EQ(shot.At(200, 150), 0xFFC08040u);
  EXPECT_EQ(shot.At(599, 449), 0xFFC08040u);
  EXPECT_EQ(shot.At(199, 300), 0xFF204060u);
  EXPECT_EQ(shot.At(600, 300), 0xFF204060u);
  EXPECT_EQ(shot.At(400, 149), 0xFF204060u);
  EXPECT_EQ(shot.At(400, 450), 0xFF204060u);
}

TEST_F(GlRenderTest, AlphaTestDrawsAboveSixteenOnly) {
  ASSERT_TRUE(Start());
  BeginFrame(0xFF000000);
  graphics_->SetRenderState(RS_AlphaBlend, 0);  // what passes is drawn opaque
  const uint32_t alphas[] = {0, 16, 17, 255};
  for (int i = 0; i < 4; ++i) {
    DrawQuad(10.0f + 20 * i, 10, 20.0f + 20 * i, 20, (alphas[i] << 24) | 0xFFFFFF);
  }
  const Bitmap shot = EndFrameWithScreenshot();
  EXPECT_EQ(shot.At(15, 15), 0xFF000000u);
  EXPECT_EQ(shot.At(35, 15), 0xFF000000u);  // alpha 16: not drawn
  EXPECT_EQ(shot.At(55, 15), 0xFFFFFFFFu);  // alpha 17: drawn
  EXPECT_EQ(shot.At(75, 15), 0xFFFFFFFFu);
}

TEST_F(GlRenderTest, AlphaAndAdditiveBlending) {
  ASSERT_TRUE(Start());
  BeginFrame(0xFF0000FF);
  DrawQuad(0, 0, 10, 10, 0x80FF0000);  // the default: source alpha, inverse source alpha
  graphics_->SetRenderState(RS_SrcBlend, BF_One);
  graphics_->SetRenderState(RS_DestBlend, BF_One);
  DrawQuad(20, 0, 30, 10, 0xFF004000);
  DrawQuad(40, 0, 50, 10, 0xFF0000FF);  // saturates
  const Bitmap shot = EndFrameWithScreenshot();
  EXPECT_TRUE(ColorNear(shot.At(5, 5), 0xFF80007F));
  EXPECT_EQ(shot.At(25, 5), 0xFF0040FFu);
  EXPECT_EQ(shot.At(45, 5), 0xFF0000FFu);
}

TEST_F(GlRenderTest, TextureModulatedByTheVertexColour) {
  ASSERT_TRUE(Start());
  std::unique_ptr<Image> image =
      Load("gl/four.png", PngFile(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
  ASSERT_NE(image, nullptr);
  BeginFrame(0xFF000000);
  DrawQuad(100, 100, 120, 120, 0xFF808080, image.get());
  const Bitmap shot = EndFrameWithScreenshot();
  EXPECT_TRUE(ColorNear(shot.At(105, 105), 0xFF800000));
  EXPECT_TRUE(ColorNear(shot.At(115, 105), 0xFF008000));
  EXPECT_TRUE(ColorNear(shot.At(105, 115), 0xFF000080));
  EXPECT_TRUE(ColorNear(shot.At(115, 115), 0xFF808080));
}

// A composite is an image like any other: it draws.
TEST_F(GlRenderTest, CompositeImagesDraw) {
  ASSERT_TRUE(Start());
  std::unique_ptr<Image> red = Load("gl/layer_red.png", PngFile(2, 2, Pixels(4, 0xFFFF0000)));
  std::unique_ptr<Image> blue = Load("gl/layer_blue.png", PngFile(2, 2, Pixels(4, 0xFF0000FF)));
  const std::vector<CompositeLayer> layers = {{red.get(), 0, 0}, {blue.get(), 2, 0}};
  std::unique_ptr<Image> composite(graphics_->CreateComposite(4, 2, 0, layers));
  ASSERT_NE(composite, nullptr);
  BeginFrame(0xFF000000);
  DrawQuad(10, 10, 14, 12, 0xFFFFFFFF, composite.get());
  const Bitmap shot = EndFrameWithScreenshot();
  // Blended in at 255 / 256 and drawn with its alpha of 254 over black.
  EXPECT_TRUE(ColorNear(shot.At(10, 10), 0xFFFC0000, 2));
  EXPECT_TRUE(ColorNear(shot.At(13, 11), 0xFF0000FC, 2));
}

// Every image kind decoded through the resource manager and drawn texel for pixel.
TEST_F(GlRenderTest, ImageFilesOfEveryKind) {
  ASSERT_TRUE(Start());
  const Pixels four = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF102030};
  struct Case {
    const char* name;
    std::string bytes;
    int tolerance;
  };
  const Case cases[] = {
      {"gl/kinds.png", PngFile(2, 2, four), 0},
      {"gl/kinds.tga", Tga32File(2, 2, four), 0},
      {"gl/kinds.bmp", Bmp24File(2, 2, four), 0},
      {"gl/kinds.dds", Dds32File(2, 2, four), 0},
  };
  std::vector<std::unique_ptr<Image>> images;
  for (const Case& c : cases) images.push_back(Load(c.name, c.bytes));
  Pixels grey(64, 0xFF3060C0);
  std::unique_ptr<Image> jpg = Load("gl/kinds.jpg", JpgFile(8, 8, grey));
  ASSERT_NE(jpg, nullptr);
  EXPECT_EQ(jpg->width, 8u);

  BeginFrame(0xFF000000);
  for (size_t i = 0; i < images.size(); ++i) {
    if (!images[i]) continue;
    const float x = 10.0f + 10 * i;
    DrawQuad(x, 10, x + 2, 12, 0xFFFFFFFF, images[i].get());
  }
  DrawQuad(100, 10, 108, 18, 0xFFFFFFFF, jpg.get());
  const Bitmap shot = EndFrameWithScreenshot();
  for (size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    const int x = 10 + 10 * static_cast<int>(i);
    EXPECT_EQ(shot.At(x, 10), four[0]);
    EXPECT_EQ(shot.At(x + 1, 10), four[1]);
    EXPECT_EQ(shot.At(x, 11), four[2]);
    EXPECT_EQ(shot.At(x + 1, 11), four[3]);
  }
  EXPECT_TRUE(ColorNear(shot.At(104, 14), 0xFF3060C0, 4));
}

// The two-set draw: where the first texture is transparent, the second shows.
TEST_F(GlRenderTest, SecondStageBlendsByTheFirstStagesAlpha) {
  ASSERT_TRUE(Start());
  std::unique_ptr<Image> cutout = Load("gl/cutout.png", PngFile(2, 1, {0xFFFF0000, 0x00000000}));
  std::unique_ptr<Image> behind = Load("gl/behind.png", PngFile(1, 1, {0xFF0000FF}));
  ASSERT_NE(cutout, nullptr);
  ASSERT_NE(behind, nullptr);
  BeginFrame(0xFF000000);
  const float l = 199.5f, t = 99.5f, r = 239.5f, b = 119.5f;
  const ScreenVertex2 quad[4] = {{l, t, 0, 1, 0xFFFFFFFF, 0, 0, 0, 0},
                                 {r, t, 0, 1, 0xFFFFFFFF, 1, 0, 1, 0},
                                 {l, b, 0, 1, 0xFFFFFFFF, 0, 1, 0, 1},
                                 {r, b, 0, 1, 0xFFFFFFFF, 1, 1, 1, 1}};
  const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};  // clockwise on screen
  graphics_->SetTexture(0, cutout.get());
  graphics_->SetTexture(1, behind.get());
  graphics_->DrawIndexedArray2(quad, 4, indices, 6, PT_Triangles);
  const Bitmap shot = EndFrameWithScreenshot();
  EXPECT_EQ(shot.At(205, 110), 0xFFFF0000u);
  EXPECT_EQ(shot.At(235, 110), 0xFF0000FFu);
  EXPECT_EQ(shot.At(195, 110), 0xFF000000u);
}

TEST_F(GlRenderTest, RenderTargetDrawnIntoAndUsedAsATexture) {
  ASSERT_TRUE(Start());
  std::unique_ptr<ImageCache> cache(graphics_->CreateCache(64, 64, 32));
  BeginFrame(0xFF000000);
  ASSERT_TRUE(cache->BeginRender());
  cache->Clear(0xFF00FF00);
  ScreenVertex v[6];
  BuildScreenQuad({0, 0}, {32.0f / 800, 32.0f / 600}, {0, 0}, {1, 1}, 0xFFFF0000, v);
  graphics_->DrawArray(v, 6, PT_Triangles);
  cache->EndRender();

  graphics_->ResetRenderStates();
  PixelQuad(100, 100, 164, 164, 0xFFFFFFFF, v);
  cache->SetTexture(0);
  graphics_->DrawArray(v, 6, PT_Triangles);
  const Bitmap shot = EndFrameWithScreenshot();
  EXPECT_EQ(shot.At(100, 100), 0xFFFF0000u);  // the target's top-left corner
  EXPECT_EQ(shot.At(131, 131), 0xFFFF0000u);
  EXPECT_EQ(shot.At(132, 100), 0xFF00FF00u);
  EXPECT_EQ(shot.At(100, 132), 0xFF00FF00u);
  EXPECT_EQ(shot.At(163, 163), 0xFF00FF00u);
  EXPECT_EQ(shot.At(99, 99), 0xFF000000u);
}

// Full screen on a wide desktop: a 960 x 600 back buffer with the play area between black
// bars, shown in the window without being stretched; the cursor maps through the same
// transform.
TEST_F(GlRenderTest, WideScreenBarsAndCursor) {
  ASSERT_TRUE(Start(true, true));
  BeginFrame(0xFFFFFFFF);
  ASSERT_EQ(screen::g_offsetX, 80);
  ScreenVertex v[6];
  BuildScreenQuad({0, 0}, {1, 1}, {0, 0}, {1, 1}, 0xFFFF0000, v);
  graphics_->DrawArray(v, 6, PT_Triangles);
  // A render target used during the frame leaves the frame's viewport as it was.
  std::unique_ptr<ImageCache> cache(graphics_->CreateCache(16, 16, 32));
  ASSERT_TRUE(cache->BeginRender());
  cache->EndRender();
  DrawQuad(700, 20, 800, 30, 0xFF00FF00);  // play-area pixels 780..879 in the back buffer
  const Bitmap shot = EndFrameWithScreenshot();
  ASSERT_EQ(shot.width, 960);
  ASSERT_EQ(shot.height, 600);
  for (int y : {0, 300, 599}) {
    EXPECT_EQ(shot.At(0, y), 0xFF000000u);
    EXPECT_EQ(shot.At(79, y), 0xFF000000u);
    EXPECT_EQ(shot.At(80, y), 0xFFFF0000u);
    EXPECT_EQ(shot.At(879, y), 0xFFFF0000u);
    EXPECT_EQ(shot.At(880, y), 0xFF000000u);
    EXPECT_EQ(shot.At(959, y), 0xFF000000u);
  }
  EXPECT_EQ(shot.At(878, 25), 0xFF00FF00u);

  // The cursor meets what the device presented, for the client area it presented into.
  const d3d8::PresentTransform t =
      static_cast<d3d8::GlDevice*>(graphics_->Device())->LastPresentTransform();
  ASSERT_FALSE(t.Empty());
  EXPECT_EQ(t.backBufferWidth, 960);
  EXPECT_NEAR(static_cast<double>(t.width) / t.height, 1.6, 0.01);  // never stretched
  float wx, wy;
  t.BackBufferToWindow(480, 300, &wx, &wy);
  math::Vec2 fraction;
  EXPECT_TRUE(WindowToPlayArea(wx, wy, t.windowWidth, t.windowHeight, fraction));
  EXPECT_NEAR(fraction.x, 0.5f, 0.01f);
  EXPECT_NEAR(fraction.y, 0.5f, 0.01f);
  t.BackBufferToWindow(40, 300, &wx, &wy);
  EXPECT_FALSE(WindowToPlayArea(wx, wy, t.windowWidth, t.windowHeight, fraction));  // on a bar
}

TEST_F(GlRenderTest, HalfSizeScreenshot) {
  ASSERT_TRUE(Start(true, true));
  BeginFrame(0xFFFFFFFF);
  ScreenVertex v[6];
  BuildScreenQuad({0, 0}, {1, 1}, {0, 0}, {1, 1}, 0xFF0000FF, v);
  graphics_->DrawArray(v, 6, PT_Triangles);
  const Bitmap shot = EndFrameWithScreenshot(true);
  ASSERT_EQ(shot.width, 480);
  ASSERT_EQ(shot.height, 300);
  EXPECT_EQ(shot.At(39, 150), 0xFF000000u);
  EXPECT_EQ(shot.At(40, 150), 0xFF0000FFu);
  EXPECT_EQ(shot.At(439, 150), 0xFF0000FFu);
  EXPECT_EQ(shot.At(440, 150), 0xFF000000u);
}

TEST_F(GlRenderTest, SystemReportNamesTheOpenGLRenderer) {
  LogCapture log;
  ASSERT_TRUE(Start());
  EXPECT_TRUE(log.Contains(" - Description\t\t: llvmpipe")) << log.All();
  EXPECT_TRUE(log.Contains(" - Device supports HAL"));
  EXPECT_TRUE(log.Contains("D3D8 Initialized successfully"));
  EXPECT_TRUE(log.Contains("Initialized D3D HWTL!"));
  EXPECT_EQ(graphics_->cardClass, 2);
  EXPECT_FALSE(graphics_->Prefer16Bit()) << log.All();
}

}  // namespace
}  // namespace gfxtest
