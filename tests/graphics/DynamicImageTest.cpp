// Dynamic images: the texture of each pixel depth, pixels written and read back, on the
// recording device, and drawn on OpenGL.

#include <cstring>
#include <memory>
#include <vector>

#include "engine/graphics/DynamicImage.h"
#include "engine/graphics/dx8/Dx8DynamicImage.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/GraphicsTestSupport.h"

namespace gfxtest {
namespace {

struct Format {
  uint32_t bits;
  D3DFORMAT format;
  uint32_t bytesPerPixel;
};
const Format kFormats[] = {
    {16, D3DFMT_R5G6B5, 2},
    {24, D3DFMT_R8G8B8, 3},
    {32, D3DFMT_A8R8G8B8, 4},
    {8, D3DFMT_A8R8G8B8, 4},  // any other depth is 32 bits
};

// Level 0 of the texture as bytes, rows packed (pitch removed), top row first.
std::vector<uint8_t> ReadRows(IDirect3DTexture8* texture, uint32_t rowBytes) {
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  std::vector<uint8_t> bytes(static_cast<size_t>(rowBytes) * desc.Height);
  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
    ADD_FAILURE() << "lock failed";
    return bytes;
  }
  for (uint32_t y = 0; y < desc.Height; ++y) {
    std::memcpy(bytes.data() + static_cast<size_t>(rowBytes) * y,
                static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(locked.Pitch) * y,
                rowBytes);
  }
  texture->UnlockRect(0);
  return bytes;
}

class DynamicImageTest : public RecordingGraphicsTest {
 protected:
  void SetUp() override {
    RecordingGraphicsTest::SetUp();
    ASSERT_TRUE(StartDevice());
  }
};

TEST_F(DynamicImageTest, EachDepthGetsItsTextureAndTakesPackedRows) {
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.bits);
    Device()->ClearCalls();
    // 5 pixels wide: rows of 10, 15 or 20 bytes, not all a multiple of four.
    std::unique_ptr<DynamicImage> image(graphics_->CreateDynamicImage(5, 3, f.bits));
    ASSERT_NE(image, nullptr);
    auto* dx8 = static_cast<Dx8DynamicImage*>(image.get());
    ASSERT_NE(dx8->Texture(), nullptr);
    EXPECT_EQ(image->GetType(), DynamicImage::kType);
    EXPECT_EQ(DynamicImage::kType,
              uint32_t('d') << 24 | uint32_t('y') << 16 | uint32_t('n') << 8 | uint32_t('x'));
    EXPECT_EQ(image->name, "dynamic");
    EXPECT_EQ(image->GetSurface(), nullptr);
    EXPECT_FALSE(image->Update());
    EXPECT_EQ(image->width, 5u);
    EXPECT_EQ(image->height, 3u);

    const auto created = Device()->CallsOf(d3d8::DeviceCall::CreateTexture);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0]->format, f.format);
    EXPECT_EQ(created[0]->usage, D3DUSAGE_DYNAMIC);
    EXPECT_EQ(created[0]->pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(created[0]->levels, 1u);

    const uint32_t rowBytes = 5 * f.bytesPerPixel;
    EXPECT_EQ(image->RowBytes(), rowBytes);
    EXPECT_EQ(ReadRows(dx8->Texture(), rowBytes), std::vector<uint8_t>(rowBytes * 3, 0));

    std::vector<uint8_t> pixels(rowBytes * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7 + 1);
    EXPECT_TRUE(image->SetPixels(pixels.data()));
    EXPECT_EQ(ReadRows(dx8->Texture(), rowBytes), pixels);
    EXPECT_FALSE(image->SetPixels(nullptr));
  }
}

TEST_F(DynamicImageTest, BindTextureSetsItsTextureAndTheImageBindSetsNothing) {
  std::unique_ptr<DynamicImage> image(graphics_->CreateDynamicImage(4, 4, 32));
  Device()->ClearCalls();
  EXPECT_TRUE(image->BindTexture(0));
  const auto bound = Device()->CallsOf(d3d8::DeviceCall::SetTexture);
  ASSERT_EQ(bound.size(), 1u);
  EXPECT_EQ(bound[0]->texture, static_cast<Dx8DynamicImage*>(image.get())->Texture());

  Device()->ClearCalls();
  graphics_->SetTexture(0, image.get());  // through Image::SetTexture: no surface
  EXPECT_EQ(Device()->CountOf(d3d8::DeviceCall::SetTexture), 0u);
}

// A texture that cannot be made is no error the caller sees at once: the image is
// returned, writes to it report false and it binds nothing.
TEST_F(DynamicImageTest, WithoutATextureNothingIsWrittenOrBound) {
  Device()->FailCalls(d3d8::DeviceCall::CreateTexture, D3DERR_OUTOFVIDEOMEMORY);
  LogCapture log;
  std::unique_ptr<DynamicImage> image(graphics_->CreateDynamicImage(4, 4, 16));
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(log.lines.empty()) << log.All();
  EXPECT_EQ(static_cast<Dx8DynamicImage*>(image.get())->Texture(), nullptr);
  EXPECT_EQ(image->name, "dynamic");
  const std::vector<uint8_t> pixels(4 * 4 * 2, 0xAB);
  EXPECT_FALSE(image->SetPixels(pixels.data()));
  Device()->ClearCalls();
  EXPECT_TRUE(image->BindTexture(0));
  EXPECT_EQ(Device()->CountOf(d3d8::DeviceCall::SetTexture), 0u);

  Device()->ClearFailures();
  EXPECT_TRUE(image->Load("ignored.png"));  // a second load makes the texture
  EXPECT_EQ(image->name, "dynamic");
  EXPECT_TRUE(image->SetPixels(pixels.data()));
}

// ---- Drawn on OpenGL ---------------------------------------------------------------------

class GlDynamicImageTest : public GlGraphicsTest {};

// A 2 x 2 image of red, green / blue, white in each depth, drawn 20 times larger with
// point filtering: each quarter of the quad shows one pixel.
TEST_F(GlDynamicImageTest, EachDepthDrawsItsPixels) {
  ASSERT_TRUE(Start());
  const uint32_t colours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  std::vector<std::unique_ptr<DynamicImage>> images;
  for (uint32_t bits : {16u, 24u, 32u}) {
    std::unique_ptr<DynamicImage> image(graphics_->CreateDynamicImage(2, 2, bits));
    std::vector<uint8_t> pixels;
    for (uint32_t c : colours) {
      const uint8_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
      if (bits == 16) {
        const uint16_t texel = static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        pixels.push_back(static_cast<uint8_t>(texel & 0xFF));
        pixels.push_back(static_cast<uint8_t>(texel >> 8));
      } else {
        pixels.insert(pixels.end(), {b, g, r});
        if (bits == 32) pixels.push_back(0xFF);
      }
    }
    ASSERT_EQ(pixels.size(), 2u * image->RowBytes());  // two rows
    ASSERT_TRUE(image->SetPixels(pixels.data()));
    images.push_back(std::move(image));
  }

  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(0xFF000000, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  for (size_t i = 0; i < images.size(); ++i) {
    const float left = 100.0f + 60.0f * static_cast<float>(i);
    ScreenVertex v[6];
    PixelQuad(left, 100, left + 40, 140, 0xFFFFFFFF, v);
    images[i]->BindTexture(0);
    graphics_->DrawArray(v, 6, PT_Triangles);
  }
  const Bitmap shot = EndFrameWithScreenshot();
  for (size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE(images[i]->BitsPerPixel());
    const int left = 100 + 60 * static_cast<int>(i);
    EXPECT_TRUE(ColorNear(shot.At(left + 10, 110), colours[0]));
    EXPECT_TRUE(ColorNear(shot.At(left + 30, 110), colours[1]));
    EXPECT_TRUE(ColorNear(shot.At(left + 10, 130), colours[2]));
    EXPECT_TRUE(ColorNear(shot.At(left + 30, 130), colours[3]));
  }
}

}  // namespace
}  // namespace gfxtest
