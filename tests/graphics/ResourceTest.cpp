// Images, surfaces and the resource manager, on the recording device: loading by name,
// sharing, failures, read-back, reload, composites and render targets.

#include <cstdio>
#include <memory>

#include "engine/core/Archive.h"
#include "engine/core/VFS.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ResMan.h"
#include "engine/graphics/dx8/Dx8ImageCache.h"
#include "engine/graphics/dx8/Dx8Surface.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {
namespace {

using d3d8::DeviceCall;

const Pixels kFour = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFF123456};

class ResourceTest : public RecordingGraphicsTest {
 protected:
  void SetUp() override {
    RecordingGraphicsTest::SetUp();
    if (!startLater_) {
      ASSERT_TRUE(StartDevice());
    }
  }

  std::unique_ptr<Image> Load(const std::string& name) {
    return std::unique_ptr<Image>(graphics_->LoadImage(name));
  }
  static Dx8Surface* SurfaceOf(const std::unique_ptr<Image>& image) {
    return static_cast<Dx8Surface*>(image->GetSurface());
  }

  bool startLater_ = false;
};

TEST_F(ResourceTest, OneSurfacePerNameWhateverTheCase) {
  WriteFixture("res/shared.png", PngFile(2, 2, kFour));
  LogCapture log;
  std::unique_ptr<Image> first = Load("res/shared.png");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->width, 2u);
  EXPECT_EQ(first->height, 2u);
  EXPECT_EQ(first->name, "res/shared.png");
  std::remove("res/shared.png");  // the second image reads no file
  std::unique_ptr<Image> second = Load("RES/Shared.PNG");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetSurface(), first->GetSurface());
  EXPECT_EQ(res::ResMan::Get().ResourceCount(), 1u);
  EXPECT_EQ(log.Count("Loaded texture res/shared.png"), 1u);
  EXPECT_EQ(first->GetSurface()->name, "res/shared.png");
  EXPECT_EQ(first->GetSurface()->extension, "png");
}

TEST_F(ResourceTest, NameRules) {
  struct Case {
    const char* name;
    const char* logged;  // null: nothing logged
  };
  const Case cases[] = {
      {"", "Trying to load texture, but no file-name given"},
      {"png", "Unable to find the file-type of image file png"},
      {"ab.png_", "Unable to find the file-type of image file ab.png_"},
      {"anim.gif", nullptr},
      // A movie: the name is tried as a movie file, which is not there.
      {"movie.avi", "Unable to find AVI movie.avi"},
      // Accepted as image names, but no loader reads them.
      {"old.ddc", "Unable to find loader function for resource old.ddc"},
      {"old.TEX", "Unable to find loader function for resource old.TEX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log;
    EXPECT_EQ(Load(c.name), nullptr);
    if (c.logged) {
      EXPECT_TRUE(log.Contains(c.logged)) << log.All();
    } else {
      EXPECT_TRUE(log.lines.empty()) << log.All();
    }
  }
  LogCapture log;
  EXPECT_EQ(res::ResMan::Get().LoadResource("noextension"), nullptr);
  EXPECT_TRUE(log.Contains("Unable to find loader function for resource noextension"));
  EXPECT_EQ(res::ResMan::Get().ResourceCount(), 0u);
}

TEST_F(ResourceTest, AFailedLoadIsNotKeptAndIsTriedAgain) {
  LogCapture log;
  Image image;
  EXPECT_FALSE(image.Load("res/later.png"));
  EXPECT_EQ(image.GetSurface(), nullptr);
  EXPECT_EQ(image.width, 256u);  // unchanged
  EXPECT_TRUE(log.Contains("Unable to load surface res/later.png"));
  EXPECT_TRUE(log.Contains("Error loading resource res/later.png"));
  EXPECT_EQ(res::ResMan::Get().ResourceCount(), 0u);

  WriteFixture("res/later.png", PngFile(2, 2, kFour));
  EXPECT_TRUE(image.Load("res/later.png"));
  EXPECT_EQ(image.width, 2u);
}

// A file a decoder refuses is a failed load with its log lines, never a crash.
TEST_F(ResourceTest, BrokenFilesFailCleanly) {
  const std::string dds = Dds32File(4, 4, Pixels(16, 0xFFFFFFFF));
  const std::string png = PngFile(4, 4, Pixels(16, 0xFFFFFFFF));
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"broken/short.dds", dds.substr(0, 40)},       // shorter than its header
      {"broken/cube.dds", std::string("DDS ") + std::string(0x70, '\xFF')},  // cube bit, no header
      {"broken/payload.dds", dds.substr(0, dds.size() - 8)},
      {"broken/garbage.png", png.substr(0, 8) + std::string(40, 'x')},
      {"broken/cut.png", png.substr(0, png.size() / 2)},
      {"broken/text.jpg", "not a picture"},
      {"broken/empty.bmp", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFixture(c.name, c.bytes);
    LogCapture log;
    EXPECT_EQ(Load(c.name), nullptr);
    EXPECT_TRUE(log.Contains(std::string("Failed to loaded texture ") + c.name)) << log.All();
    EXPECT_TRUE(log.Contains(std::string("Error loading resource ") + c.name));
  }
  EXPECT_EQ(res::ResMan::Get().ResourceCount(), 0u);
}

TEST_F(ResourceTest, PixelsColoursAndMaskOfThirtyTwoBitSurfaces) {
  WriteFixture("res/read.png", PngFile(2, 2, kFour));
  std::unique_ptr<Image> image = Load("res/read.png");
  ASSERT_NE(image, nullptr);
  std::unique_ptr<uint32_t[]> pixels = SurfaceOf(image)->GetPixels();
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(Pixels(pixels.get(), pixels.get() + 4), kFour);

  std::unique_ptr<float[]> colors = SurfaceOf(image)->GetColors();
  ASSERT_NE(colors, nullptr);
  // Pixel 3 (0xFF123456): blue, green, red, alpha, 0..255.
  EXPECT_FLOAT_EQ(colors[12], 0x56);
  EXPECT_FLOAT_EQ(colors[13], 0x34);
  EXPECT_FLOAT_EQ(colors[14], 0x12);
  EXPECT_FLOAT_EQ(colors[15], 255);

  std::unique_ptr<SurfaceMask> mask = SurfaceOf(image)->GenerateMask();
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->width, 2u);
  EXPECT_EQ(mask->alpha, (std::vector<uint8_t>{0xFF, 0x80, 0x00, 0xFF}));
}

TEST_F(ResourceTest, ReadBackRefusesOtherFormats) {
  WriteFixture("res/rgb.bmp", Bmp24File(2, 2, kFour));
  WriteFixture("res/block.dds", Dxt1DdsFile(0xF800));
  WriteFixture("res/photo.jpg", JpgFile(8, 8, Pixels(64, 0xFF808080)));
  std::unique_ptr<Image> bmp = Load("res/rgb.bmp");
  std::unique_ptr<Image> dxt = Load("res/block.dds");
  std::unique_ptr<Image> jpg = Load("res/photo.jpg");
  ASSERT_NE(bmp, nullptr);
  ASSERT_NE(dxt, nullptr);
  ASSERT_NE(jpg, nullptr);
  EXPECT_EQ(SurfaceOf(bmp)->GetPixels(), nullptr);  // 24-bit
  EXPECT_EQ(SurfaceOf(dxt)->GetPixels(), nullptr);  // compressed
  EXPECT_EQ(SurfaceOf(dxt)->GetColors(), nullptr);
  EXPECT_EQ(SurfaceOf(dxt)->Format(), D3DFMT_DXT1);
  // Without alpha: pixels, but no mask.
  if (SurfaceOf(jpg)->Format() == D3DFMT_X8R8G8B8) {
    EXPECT_NE(SurfaceOf(jpg)->GetPixels(), nullptr);
  }
  EXPECT_EQ(SurfaceOf(jpg)->GenerateMask(), nullptr);
}

TEST_F(ResourceTest, CubeMapKeepsTheDefaultSize) {
  WriteFixture("res/sky.dds", CubeDdsFile(8, 0xFF0000FF));
  std::unique_ptr<Image> image = Load("res/sky.dds");
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(SurfaceOf(image)->cube);
  EXPECT_EQ(image->width, 256u);
  EXPECT_EQ(image->height, 256u);
  EXPECT_EQ(SurfaceOf(image)->Texture()->GetType(), D3DRTYPE_CUBETEXTURE);
}

TEST_F(ResourceTest, ReloadAllReadsTheFilesAgain) {
  WriteFixture("res/reload.png", PngFile(1, 1, {0xFFFF0000}));
  std::unique_ptr<Image> image = Load("res/reload.png");
  ASSERT_NE(image, nullptr);
  WriteFixture("res/reload.png", PngFile(1, 1, {0xFF0000FF}));
  LogCapture log;
  res::ResMan::Get().ReloadAll();
  EXPECT_TRUE(log.Contains("Loaded texture res/reload.png"));
  EXPECT_EQ(image->GetSurface()->state, res::ResourceState::TextureReady);
  EXPECT_EQ(SurfaceOf(image)->GetPixels()[0], 0xFF0000FFu);
}

TEST_F(ResourceTest, ImagesFromAnArchive) {
  const std::string folder = testenv::MakeTempDir("arc");
  WriteFixture(folder + "/in_archive.tga", Tga32File(2, 1, {0xFF00FF00, 0x80FFFFFF}));
  {
    vfs::Archive archive;
    ASSERT_TRUE(archive.AddFile(folder + "/in_archive.tga", "pics/in_archive.tga"));
    ASSERT_TRUE(archive.SaveArchive(folder + "/test.arc"));
  }
  std::remove((folder + "/in_archive.tga").c_str());
  vfs::VFS::Instance().AddArchive(folder + "/test.arc");
  std::unique_ptr<Image> image = Load("data/pics/in_archive.tga");
  vfs::VFS::Instance().RemoveArchives();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 2u);
  EXPECT_EQ(SurfaceOf(image)->GetPixels()[1], 0x80FFFFFFu);
}

TEST_F(ResourceTest, ImageFromMemoryOwnsItsSurface) {
  const std::string bytes = PngFile(3, 2, Pixels(6, 0xFF112233));
  LogCapture log;
  std::unique_ptr<Image> image(
      graphics_->LoadImageFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size())));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 3u);
  EXPECT_EQ(image->height, 2u);
  EXPECT_EQ(image->GetSurface()->name, "FROM_MEMORY");
  EXPECT_TRUE(log.Contains("Loaded texture FROM_MEMORY"));
  EXPECT_EQ(res::ResMan::Get().ResourceCount(), 0u);
  EXPECT_EQ(SurfaceOf(image)->GetPixels()[5], 0xFF112233u);
}

// Composites blend their layers in order, clip what overhangs, and can be drawn.
TEST_F(ResourceTest, CompositeBlendsClipsAndDraws) {
  WriteFixture("res/red.png", PngFile(2, 2, Pixels(4, 0xFFFF0000)));
  WriteFixture("res/green.png", PngFile(2, 2, Pixels(4, 0x8000FF00)));
  std::unique_ptr<Image> red = Load("res/red.png");
  std::unique_ptr<Image> green = Load("res/green.png");
  Image empty;
  const std::vector<CompositeLayer> layers = {{red.get(), 0, 0}, {&empty, 0, 0}, {green.get(), 1, 1}};
  std::unique_ptr<Image> composite(graphics_->CreateComposite(2, 2, 0, layers));
  ASSERT_NE(composite, nullptr);
  EXPECT_EQ(composite->width, 2u);
  std::unique_ptr<uint32_t[]> pixels = SurfaceOf(composite)->GetPixels();
  ASSERT_NE(pixels, nullptr);
  // Red over transparent black: channels x / 256, blended by 255 / 256, then x 255 truncated.
  EXPECT_EQ(pixels[0], 0xFEFD0000u);
  EXPECT_EQ(pixels[1], 0xFEFD0000u);
  EXPECT_EQ(pixels[2], 0xFEFD0000u);
  // Half green over that: alpha stays the larger.
  EXPECT_EQ(pixels[3], 0xFD7E7F00u);

  Device()->ClearCalls();
  graphics_->SetTexture(0, composite.get());
  const auto binds = Device()->CallsOf(DeviceCall::SetTexture);
  ASSERT_EQ(binds.size(), 1u);
  EXPECT_NE(binds[0]->texture, nullptr);
}

class SquareOnlyTest : public ResourceTest {
 protected:
  void SetUp() override {
    startLater_ = true;
    ResourceTest::SetUp();
    configure_ = [](d3d8::RecordingDirect3D* d3d) { d3d->adapters[0].caps.MaxTextureAspectRatio = 1; };
    ASSERT_TRUE(StartDevice());
    ASSERT_TRUE(graphics_->SquareTexturesOnly());
  }
};

TEST_F(SquareOnlyTest, ImagesAreStretchedIntoSquares) {
  struct Case {
    uint32_t width, height, side;
  };
  for (const Case& c : {Case{600, 300, 512}, Case{40, 20, 32}, Case{512, 16, 256}, Case{257, 3, 256}}) {
    EXPECT_EQ(Dx8Surface::SquareSide(c.width, c.height), c.side) << c.width << "x" << c.height;
  }
  WriteFixture("res/wide.png", PngFile(600, 300, Pixels(600 * 300, 0xFF00FF00)));
  LogCapture log;
  std::unique_ptr<Image> image = Load("res/wide.png");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 512u);
  EXPECT_EQ(image->height, 512u);
  EXPECT_TRUE(log.Contains("Clamping texture size for texture res/wide.png"));
}

class ImageCacheTest : public RecordingGraphicsTest {
 protected:
  void SetUp() override {
    RecordingGraphicsTest::SetUp();
    ASSERT_TRUE(StartDevice());
  }
};

TEST_F(ImageCacheTest, RenderingIntoATargetMovesThePlayAreaToItsCorner) {
  std::unique_ptr<ImageCache> cache(graphics_->CreateCache(300, 200, 32));
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(graphics_->caches, (std::vector<ImageCache*>{cache.get()}));
  auto* target = static_cast<Dx8ImageCache*>(cache.get());
  EXPECT_EQ(target->Width(), 300);
  ASSERT_NE(target->Texture(), nullptr);

  screen::g_wideScreen = true;
  ASSERT_TRUE(graphics_->CreateDevice(960, 600, true, false));
  graphics_->storedOffsetX = 80;
  target->Create(300, 200, 32);  // on the new device
  ASSERT_TRUE(graphics_->BeginFrame());
  ASSERT_EQ(screen::g_offsetX, 80);
  ASSERT_TRUE(cache->BeginRender());
  EXPECT_EQ(screen::g_offsetX, 0);
  cache->Clear(0xFF00FF00);
  cache->EndRender();
  EXPECT_EQ(screen::g_offsetX, 80);
  // The frame's viewport comes back with the back buffer: the bars and the right part of
  // the play area are still drawn.
  EXPECT_EQ(Device()->State().viewport.Width, 960u);
  graphics_->EndFrame();

  Device()->ClearCalls();
  cache->SetTexture(1);
  EXPECT_EQ(Device()->State().textures[1], target->Texture());

  cache.reset();
  EXPECT_TRUE(graphics_->caches.empty());
}

TEST_F(ImageCacheTest, TargetsAreReleasedAndRecreatedAroundAReset) {
  std::unique_ptr<ImageCache> cache(graphics_->CreateCache(64, 32, 16));
  auto* target = static_cast<Dx8ImageCache*>(cache.get());
  D3DSURFACE_DESC desc;
  target->Texture()->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  graphics_->ReleaseResources();
  EXPECT_EQ(target->Texture(), nullptr);
  EXPECT_FALSE(cache->BeginRender());  // makes it again, draws next time
  EXPECT_NE(target->Texture(), nullptr);
  graphics_->ReleaseResources();
  LogCapture log;
  graphics_->RestoreResources();
  EXPECT_TRUE(log.Contains("recreating render target 64x32"));
  EXPECT_NE(target->Texture(), nullptr);

  struct Case {
    uint32_t bits;
    D3DFORMAT format;
  };
  for (const Case& c : {Case{24, D3DFMT_R8G8B8}, Case{16, D3DFMT_R5G6B5}, Case{8, D3DFMT_A8},
                        Case{32, D3DFMT_A8R8G8B8}, Case{12, D3DFMT_A8R8G8B8}}) {
    EXPECT_EQ(Dx8ImageCache::FormatOf(c.bits), c.format) << c.bits;
  }
}

TEST_F(ImageCacheTest, NoRenderingWhileTheDeviceIsLost) {
  std::unique_ptr<ImageCache> cache(graphics_->CreateCache(16, 16, 32));
  Device()->FailCalls(DeviceCall::BeginScene, D3DERR_DEVICELOST, 1);
  EXPECT_FALSE(graphics_->BeginFrame());
  ASSERT_TRUE(graphics_->DeviceLost());
  EXPECT_FALSE(cache->BeginRender());
  EXPECT_EQ(screen::g_offsetX, 0);
}

}  // namespace
}  // namespace gfxtest
