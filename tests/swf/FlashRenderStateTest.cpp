// The render-state contract on OpenGL: what the engine draws after an SWF movie looks as
// it does without the movie (the movie's frame changes transforms, viewport, blending,
// stencil and the texture stage of the shared device, and gives them back).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "engine/graphics/Image.h"
#include "engine/swf/FlashDriver.h"
#include "engine/swf/FlashMovie.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"
#include "tests/swf/PlayerFixture.h"

namespace {

using gfxtest::Bitmap;
using swfw::Color;

// A masked square filled with a repeated bitmap, over a solid one.
swfw::Bytes MaskedBitmapMovie() {
  swfw::LosslessImage image;
  image.width = image.height = 2;
  image.pixels = {Color{255, 0, 0, 255}, Color{0, 255, 0, 255}, Color{0, 0, 255, 255}, Color{255, 255, 0, 255}};
  swfw::Shape filled = swfw::RectangleShape(4000, 2000, Color{});
  filled.fills[0].type = 0x40;
  filled.fills[0].bitmapId = 1;
  filled.fills[0].matrix.hasScale = true;
  filled.fills[0].matrix.scaleX = filled.fills[0].matrix.scaleY = 100.0;
  swfw::PlaceObject2Record mask;
  mask.depth = 2;
  mask.characterId = 3;
  mask.clipDepth = 3;
  mask.matrix = swfw::Matrix::Translate(0, 0);
  swfw::Movie movie;
  movie.frame = {0, 4800, 0, 2400};
  movie.Add(swfw::DefineBitsLossless(1, image, false))
      .Add(swfw::DefineShape(2, 2, filled))
      .Add(swfw::DefineShape(2, 3, swfw::RectangleShape(2000, 2000, Color{255, 255, 255, 255})))
      .Add(swfw::DefineShape(2, 4, swfw::RectangleShape(4800, 400, Color{0, 200, 200, 255})))
      .Add(swftest::Place(4, 1))
      .Add(swfw::PlaceObject2(mask, 6))
      .Add(swftest::Place(2, 3))
      .ShowFrame()
      .End();
  return movie.Build();
}

class FlashRenderStateTest : public gfxtest::GlGraphicsTest {
 protected:
  // The engine's drawing: a textured quad and a half-transparent one.
  void DrawEngineQuads(Image* image) {
    ScreenVertex v[6];
    gfxtest::PixelQuad(100, 100, 120, 120, 0xFF808080, v);
    graphics_->SetTexture(0, image);
    graphics_->DrawArray(v, 6, PT_Triangles);
    gfxtest::PixelQuad(300, 300, 340, 340, 0x80FF0000, v);
    graphics_->SetTexture(0, nullptr);
    graphics_->DrawArray(v, 6, PT_Triangles);
  }
  void BeginFrame() {
    ASSERT_TRUE(graphics_->BeginFrame());
    graphics_->Clear(0xFF000040, 0, 0, true, false, false);
    graphics_->ResetRenderStates();
  }
};

TEST_F(FlashRenderStateTest, EngineDrawingAfterAMovieLooksAsWithoutIt) {
  ASSERT_TRUE(Start());
  gfxtest::WriteFixture("flash/four.png", gfxtest::PngFile(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
  std::unique_ptr<Image> image(graphics_->LoadImage("flash/four.png"));
  ASSERT_NE(image, nullptr);

  BeginFrame();
  DrawEngineQuads(image.get());
  const Bitmap without = EndFrameWithScreenshot();

  const std::string file = (std::filesystem::temp_directory_path() / "pellavo_flash_state.swf").string();
  {
    const swfw::Bytes bytes = MaskedBitmapMovie();
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  flash::FlashDriver driver;
  flash::FlashMovie movie;
  ASSERT_TRUE(movie.Load(file));
  movie.Advance(0.01f);
  BeginFrame();
  movie.Display(math::Vec2(0.6f, 0.0f), math::Vec2(0.3f, 0.2f));  // 480..720 x 0..120
  DrawEngineQuads(image.get());
  const Bitmap with = EndFrameWithScreenshot();

  for (int y = 90; y < 350; y += 3) {
    for (int x = 90; x < 350; x += 3) {
      ASSERT_EQ(with.At(x, y), without.At(x, y)) << x << "," << y;
    }
  }
  // The movie did draw: its solid band, and its bitmap inside the mask only.
  EXPECT_TRUE(gfxtest::ColorNear(with.At(600, 5), 0xFF00C8C8, 2)) << std::hex << with.At(600, 5);
  EXPECT_NE(with.At(490, 60), without.At(490, 60));
  EXPECT_EQ(with.At(650, 60), without.At(650, 60));
  std::filesystem::remove(file);
}

}  // namespace
