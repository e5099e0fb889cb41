// Texture creation from image files in memory, made by the shared image fixtures: PNG and
// JPEG through SDL2_image's writers, TGA, BMP and DDS byte by byte.

#include <cstring>
#include <string>

#include "platform/d3d8/CubeTexture.h"
#include "platform/d3d8/D3DX8.h"
#include "platform/d3d8/RecordingDevice.h"
#include "tests/graphics/ImageFixtures.h"
#include "tests/platform/d3d8/D3DTestSupport.h"
#include "tests/support/TestEnv.h"

namespace d3dtest {
namespace {

using Bytes = std::string;
using gfxtest::Bmp24File;
using gfxtest::DdsFile;
using gfxtest::JpgFile;
using gfxtest::PngFile;
using gfxtest::Put16;
using gfxtest::Put32;
using gfxtest::TgaHeader;

Bytes Argb32(std::initializer_list<uint32_t> pixels) {
  Bytes b;
  for (uint32_t p : pixels) Put32(b, p);
  return b;
}

// A DXT5 block: alpha end points 255 and 0 with all indices 0 (255) but texel 1 index 1
// (0); colour red, all colour indices 0.
Bytes Dxt5Block() {
  Bytes b;
  b.push_back(static_cast<char>(0xFF));
  b.push_back(0);
  b.push_back(static_cast<char>(0x08));  // texel 1 takes alpha index 1
  b.append(5, '\0');
  Put16(b, 0xF800);
  Put16(b, 0x0000);
  Put32(b, 0);
  return b;
}

class ImageDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override { device_ = d3d8::RecordingDevice::Create(); }
  void TearDown() override {
    if (texture_) texture_->Release();
    EXPECT_EQ(device_->Release(), 0u);
  }

  HRESULT Load(const Bytes& file) {
    if (texture_) texture_->Release();
    texture_ = nullptr;
    info_ = {};
    return D3DXCreateTextureFromFileInMemoryEx(
        device_, file.data(), static_cast<uint32_t>(file.size()), D3DX_DEFAULT, D3DX_DEFAULT, 1,
        0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_FILTER_NONE, 0, &info_,
        nullptr, &texture_);
  }

  // Level 0 of the loaded texture as A8R8G8B8 values.
  std::vector<uint32_t> Pixels() { return ReadTexture(texture_); }

  D3DFORMAT TextureFormat() {
    D3DSURFACE_DESC desc;
    texture_->GetLevelDesc(0, &desc);
    return desc.Format;
  }

  d3d8::RecordingDevice* device_ = nullptr;
  IDirect3DTexture8* texture_ = nullptr;
  D3DXIMAGE_INFO info_{};
};

TEST_F(ImageDecoderTest, PngKeepsItsOwnSizeAndAlpha) {
  const std::vector<uint32_t> pixels = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFF123456, 0xFFFFFFFF,
                                        0x40404040, 0xFF000000, 0xFF00FFFF, 0xFFFF00FF, 0x01020304,
                                        0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444, 0xFF555555};
  ASSERT_EQ(Load(PngFile(3, 5, pixels)), D3D_OK);
  EXPECT_EQ(info_.Width, 3u);  // no rounding to powers of two
  EXPECT_EQ(info_.Height, 5u);
  EXPECT_EQ(info_.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(info_.ImageFileFormat, D3DXIFF_PNG);
  EXPECT_EQ(TextureFormat(), D3DFMT_A8R8G8B8);
  EXPECT_EQ(Pixels(), pixels);
}

TEST_F(ImageDecoderTest, JpegDecodesNearItsColours) {
  std::vector<uint32_t> pixels(16 * 8, 0xFF3060C0);
  for (uint32_t y = 0; y < 8; ++y)
    for (uint32_t x = 8; x < 16; ++x) pixels[y * 16 + x] = 0xFFE0E020;
  ASSERT_EQ(Load(JpgFile(16, 8, pixels)), D3D_OK);
  EXPECT_EQ(info_.Width, 16u);
  EXPECT_EQ(info_.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(info_.ImageFileFormat, D3DXIFF_JPG);
  const std::vector<uint32_t> decoded = Pixels();
  EXPECT_TRUE(ColorNear(decoded[3 * 16 + 2], 0xFF3060C0, 6));
  EXPECT_TRUE(ColorNear(decoded[3 * 16 + 13], 0xFFE0E020, 6));
}

TEST_F(ImageDecoderTest, BmpRowsComeOutTopFirst) {
  ASSERT_EQ(Load(Bmp24File(2, 2, {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC})), D3D_OK);
  EXPECT_EQ(info_.Format, D3DFMT_R8G8B8);
  EXPECT_EQ(info_.ImageFileFormat, D3DXIFF_BMP);
  EXPECT_EQ(TextureFormat(), D3DFMT_R8G8B8);
  EXPECT_EQ(Pixels(), (std::vector<uint32_t>{0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC}));
}

TEST_F(ImageDecoderTest, TgaUncompressedAndRunLengthEncoded) {
  // 24-bit, bottom-left origin: the first row stored is the bottom one.
  Bytes plain = TgaHeader(2, 2, 2, 24, 0x00);
  for (uint32_t p : {0xFF778899u, 0xFFAABBCCu, 0xFF112233u, 0xFF445566u}) {
    plain.push_back(static_cast<char>(p & 0xFF));
    plain.push_back(static_cast<char>((p >> 8) & 0xFF));
    plain.push_back(static_cast<char>((p >> 16) & 0xFF));
  }
  ASSERT_EQ(Load(plain), D3D_OK);
  EXPECT_EQ(info_.Format, D3DFMT_R8G8B8);
  EXPECT_EQ(info_.ImageFileFormat, D3DXIFF_TGA);
  EXPECT_EQ(Pixels(), (std::vector<uint32_t>{0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC}));

  // 32-bit with 8 alpha bits, top-left origin, run-length encoded: a run of two, then one
  // raw pixel.
  Bytes rle = TgaHeader(10, 3, 1, 32, 0x28);
  rle.push_back(static_cast<char>(0x81));
  Put32(rle, 0x80102030);
  rle.push_back(0);
  Put32(rle, 0xFF405060);
  ASSERT_EQ(Load(rle), D3D_OK);
  EXPECT_EQ(info_.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(Pixels(), (std::vector<uint32_t>{0x80102030, 0x80102030, 0xFF405060}));
}

TEST_F(ImageDecoderTest, DdsFormatsAreKeptOrDecoded) {
  struct Case {
    const char* name;
    Bytes file;
    D3DFORMAT format;
    std::vector<uint32_t> pixels;  // the first row's first texels
  };
  const uint32_t rgb = 0x40, alphaPixels = 0x1, fourCC = 0x4;
  Bytes dxt1Block;
  Put16(dxt1Block, 0xF800);
  Put16(dxt1Block, 0x001F);
  Put32(dxt1Block, 0x00000004);  // texel 1 blue, the rest red
  Bytes dxt3Block;
  Put16(dxt3Block, 0x00F0);  // texel 0 alpha 0, texel 1 alpha 15
  dxt3Block.append(6, '\0');
  dxt3Block += dxt1Block;
  const Case cases[] = {
      {"DXT1", DdsFile(4, 4, fourCC, D3DFMT_DXT1, 0, 0, 0, 0, 0, dxt1Block), D3DFMT_DXT1,
       {0xFFFF0000, 0xFF0000FF, 0xFFFF0000}},
      {"DXT3", DdsFile(4, 4, fourCC, D3DFMT_DXT3, 0, 0, 0, 0, 0, dxt3Block), D3DFMT_DXT3,
       {0x00FF0000, 0xFF0000FF, 0x00FF0000}},
      {"DXT5", DdsFile(4, 4, fourCC, D3DFMT_DXT5, 0, 0, 0, 0, 0, Dxt5Block()), D3DFMT_DXT5,
       {0xFFFF0000, 0x00FF0000, 0xFFFF0000}},
      {"A8R8G8B8",
       DdsFile(2, 1, rgb | alphaPixels, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000,
           Argb32({0x80112233, 0xFF445566})),
       D3DFMT_A8R8G8B8, {0x80112233, 0xFF445566}},
      {"X8R8G8B8", DdsFile(2, 1, rgb, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0, Argb32({0x00112233, 0x7F445566})),
       D3DFMT_X8R8G8B8, {0xFF112233, 0xFF445566}},
      // Red and blue swapped: decoded by its masks.
      {"A8B8G8R8",
       DdsFile(2, 1, rgb | alphaPixels, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000,
           Argb32({0x80332211, 0xFF665544})),
       D3DFMT_A8R8G8B8, {0x80112233, 0xFF445566}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Load(c.file), D3D_OK);
    EXPECT_EQ(info_.Format, c.format);
    EXPECT_EQ(info_.ImageFileFormat, D3DXIFF_DDS);
    EXPECT_EQ(TextureFormat(), c.format);
    const std::vector<uint32_t> pixels = Pixels();
    for (size_t i = 0; i < c.pixels.size(); ++i) EXPECT_EQ(pixels[i], c.pixels[i]) << i;
  }
}

TEST_F(ImageDecoderTest, DdsMipLevelsAndCubeMaps) {
  // 4 x 2 A8R8G8B8 with its chain 4x2, 2x1, 1x1.
  Bytes chain = Argb32({1, 2, 3, 4, 5, 6, 7, 8}) + Argb32({9, 10}) + Argb32({11});
  const Bytes file = DdsFile(4, 2, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, chain, 3);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), static_cast<uint32_t>(file.size()),
                                                D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                D3DX_DEFAULT, 0, &info_, nullptr, &texture),
            D3D_OK);
  EXPECT_EQ(info_.MipLevels, 3u);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  D3DLOCKED_RECT locked;
  texture->LockRect(1, &locked, nullptr, D3DLOCK_READONLY);
  uint32_t second;
  std::memcpy(&second, static_cast<uint8_t*>(locked.pBits) + 4, 4);
  texture->UnlockRect(1);
  EXPECT_EQ(second, 10u);
  texture->Release();

  // A cube map: six 2 x 2 faces, face f filled with f + 1.
  Bytes faces;
  for (uint32_t f = 0; f < 6; ++f) faces += Argb32({f + 1, f + 1, f + 1, f + 1});
  const Bytes cubeFile = DdsFile(2, 2, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, faces, 0, 0xFE00);
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(D3DXCreateCubeTextureFromFileInMemory(device_, cubeFile.data(),
                                                  static_cast<uint32_t>(cubeFile.size()), &cube),
            D3D_OK);
  ASSERT_EQ(cube->LockRect(D3DCUBEMAP_FACE_NEGATIVE_Z, 0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  uint32_t value;
  std::memcpy(&value, locked.pBits, 4);
  cube->UnlockRect(D3DCUBEMAP_FACE_NEGATIVE_Z, 0);
  EXPECT_EQ(value, 6u);
  cube->Release();
  // The plain loader does not take a cube map, nor the cube loader a plain image.
  EXPECT_EQ(Load(cubeFile), D3DXERR_INVALIDDATA);
  EXPECT_EQ(D3DXCreateCubeTextureFromFileInMemory(device_, file.data(),
                                                  static_cast<uint32_t>(file.size()), &cube),
            D3DXERR_INVALIDDATA);
}

TEST_F(ImageDecoderTest, RequestedSizeStretchesTheImage) {
  const Bytes file = Bmp24File(2, 2, {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC});
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), static_cast<uint32_t>(file.size()),
                                                4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                D3DX_FILTER_POINT, D3DX_FILTER_NONE, 0, &info_,
                                                nullptr, &texture_),
            D3D_OK);
  EXPECT_EQ(info_.Width, 2u);  // the file's size
  const std::vector<uint32_t> pixels = Pixels();
  ASSERT_EQ(pixels.size(), 16u);
  EXPECT_EQ(pixels[1], 0xFF112233u);
  EXPECT_EQ(pixels[2], 0xFF445566u);
  EXPECT_EQ(pixels[15], 0xFFAABBCCu);
}

// Broken files fail with an error and make no texture.
TEST_F(ImageDecoderTest, TruncatedCorruptAndForeignDataIsRefused) {
  const Bytes dxt1 = DdsFile(8, 8, 0x4, D3DFMT_DXT1, 0, 0, 0, 0, 0, Bytes(32, '\0'));
  const Bytes png = PngFile(8, 8, std::vector<uint32_t>(64, 0xFF808080));
  Bytes hugePng = png;
  hugePng[16] = 0x7F;  // width 0x7F000008 in the header
  // Signature and header, then a chunk whose announced data is not there.
  Bytes pngInsideChunk = png.substr(0, 33);
  pngInsideChunk += Bytes("\x00\x00\x00\x09pHYs\x00\x00", 10);
  Bytes dxt1WithMips = DdsFile(8, 8, 0x4, D3DFMT_DXT1, 0, 0, 0, 0, 0, Bytes(32 + 8, '\0'), 3);
  Bytes partialCube = DdsFile(2, 2, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, Bytes(96, '\0'), 0, 0x0E00);
  Bytes dx10 = DdsFile(4, 4, 0x4, MAKEFOURCC('D', 'X', '1', '0'), 0, 0, 0, 0, 0, Bytes(64, '\0'));
  Bytes tgaShort = TgaHeader(2, 4, 4, 32, 0x08) + Bytes(20, '\0');
  Bytes bmpShort = Bmp24File(2, 2, {0, 0, 0, 0}).substr(0, 60);
  struct Case {
    const char* name;
    Bytes file;
  };
  const Case cases[] = {
      {"DDS shorter than its header", dxt1.substr(0, 100)},
      {"DDS data one byte short", dxt1.substr(0, dxt1.size() - 1)},
      {"DDS mip levels missing", dxt1WithMips},
      {"DDS of a partial cube map", partialCube},
      {"DDS with a DX10 header", dx10},
      {"PNG cut in half", png.substr(0, png.size() / 2)},
      {"PNG claiming a huge size", hugePng},
      {"PNG ending inside a chunk", pngInsideChunk},
      {"TGA without its pixels", tgaShort},
      {"BMP without its pixels", bmpShort},
      {"text", Bytes("this is not an image at all, only some words")},
      {"one byte", Bytes("\x89")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device_->ClearCalls();
    EXPECT_EQ(Load(c.file), D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture_, nullptr);
    EXPECT_EQ(device_->CountOf(d3d8::DeviceCall::CreateTexture), 0u);
  }
  EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, png.data(), 0, 0, 0, 1, 0, D3DFMT_UNKNOWN,
                                                D3DPOOL_MANAGED, 0, 0, 0, nullptr, nullptr,
                                                &texture_),
            D3DERR_INVALIDCALL);
}

TEST_F(ImageDecoderTest, FailedTextureCreationIsPassedOn) {
  device_->FailCalls(d3d8::DeviceCall::CreateTexture, D3DERR_OUTOFVIDEOMEMORY, 1);
  EXPECT_EQ(Load(Bmp24File(2, 2, {0, 0, 0, 0})), D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(texture_, nullptr);
  EXPECT_EQ(Load(Bmp24File(2, 2, {0, 0, 0, 0})), D3D_OK);
}

}  // namespace
}  // namespace d3dtest
