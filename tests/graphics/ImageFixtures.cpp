#include "tests/graphics/ImageFixtures.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "tests/support/TestEnv.h"

namespace gfxtest {

namespace {

std::string SavedBySdlImage(uint32_t width, uint32_t height, const Pixels& pixels, bool jpeg) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(
      0, static_cast<int>(width), static_cast<int>(height), 32, SDL_PIXELFORMAT_ARGB8888);
  for (uint32_t y = 0; y < height; ++y) {
    std::memcpy(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch,
                pixels.data() + y * width, width * 4);
  }
  const std::string path = testenv::MakeTempDir("fixture") + (jpeg ? "/f.jpg" : "/f.png");
  const int result =
      jpeg ? IMG_SaveJPG(surface, path.c_str(), 100) : IMG_SavePNG(surface, path.c_str());
  SDL_FreeSurface(surface);
  EXPECT_EQ(result, 0) << IMG_GetError();
  return result == 0 ? testenv::ReadFile(path) : std::string();
}

constexpr uint32_t kRgbWithAlpha = 0x41;  // RGB | ALPHAPIXELS

std::string Argb32Dds(uint32_t width, uint32_t height, const std::string& payload,
                      uint32_t caps2 = 0) {
  return DdsFile(width, height, kRgbWithAlpha, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF,
                 0xFF000000, payload, 0, caps2);
}

}  // namespace

void Put16(std::string& bytes, uint32_t value) {
  bytes.push_back(static_cast<char>(value & 0xFF));
  bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& bytes, uint32_t value) {
  Put16(bytes, value & 0xFFFF);
  Put16(bytes, value >> 16);
}

std::string PngFile(uint32_t width, uint32_t height, const Pixels& pixels) {
  return SavedBySdlImage(width, height, pixels, false);
}

std::string JpgFile(uint32_t width, uint32_t height, const Pixels& pixels) {
  return SavedBySdlImage(width, height, pixels, true);
}

std::string Bmp24File(uint32_t width, uint32_t height, const Pixels& pixels) {
  const uint32_t pitch = (width * 3 + 3) & ~3u;
  std::string b = "BM";
  Put32(b, 54 + pitch * height);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, width);
  Put32(b, height);  // positive: rows bottom-up
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, pitch * height);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (uint32_t row = 0; row < height; ++row) {
    const uint32_t y = height - 1 - row;
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t p = pixels[y * width + x];
      b.push_back(static_cast<char>(p & 0xFF));
      b.push_back(static_cast<char>((p >> 8) & 0xFF));
      b.push_back(static_cast<char>((p >> 16) & 0xFF));
    }
    b.append(pitch - width * 3, '\0');
  }
  return b;
}

std::string Tga32File(uint32_t width, uint32_t height, const Pixels& pixels) {
  // Uncompressed true colour; top-left origin, 8 alpha bits.
  std::string b =
      TgaHeader(2, static_cast<uint16_t>(width), static_cast<uint16_t>(height), 32, 0x28);
  for (uint32_t p : pixels) Put32(b, p);  // B, G, R, A
  return b;
}

std::string TgaHeader(uint8_t type, uint16_t width, uint16_t height, uint8_t depth,
                      uint8_t descriptor) {
  std::string b(18, '\0');
  b[2] = static_cast<char>(type);
  b[12] = static_cast<char>(width & 0xFF);
  b[13] = static_cast<char>(width >> 8);
  b[14] = static_cast<char>(height & 0xFF);
  b[15] = static_cast<char>(height >> 8);
  b[16] = static_cast<char>(depth);
  b[17] = static_cast<char>(descriptor);
  return b;
}

std::string DdsFile(uint32_t width, uint32_t height, uint32_t pixelFlags, uint32_t fourCC,
                    uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a,
                    const std::string& payload, uint32_t mipCount, uint32_t caps2) {
  std::string d = "DDS ";
  Put32(d, 124);
  Put32(d, 0x1007 | (mipCount ? 0x20000 : 0));  // with MIPMAPCOUNT when a chain follows
  Put32(d, height);
  Put32(d, width);
  Put32(d, 0);
  Put32(d, 0);
  Put32(d, mipCount);
  for (int i = 0; i < 11; ++i) Put32(d, 0);
  Put32(d, 32);
  Put32(d, pixelFlags);
  Put32(d, fourCC);
  Put32(d, bits);
  Put32(d, r);
  Put32(d, g);
  Put32(d, b);
  Put32(d, a);
  Put32(d, 0x1000);
  Put32(d, caps2);
  Put32(d, 0);
  Put32(d, 0);
  Put32(d, 0);
  return d + payload;
}

std::string Dds32File(uint32_t width, uint32_t height, const Pixels& pixels) {
  std::string payload;
  for (uint32_t p : pixels) Put32(payload, p);
  return Argb32Dds(width, height, payload);
}

std::string CubeDdsFile(uint32_t edge, uint32_t color) {
  std::string faces;
  for (uint32_t i = 0; i < 6 * edge * edge; ++i) Put32(faces, color);
  return Argb32Dds(edge, edge, faces, 0x200 | 0xFC00);
}

std::string Dxt1DdsFile(uint16_t color565) {
  std::string block;
  Put16(block, color565);
  Put16(block, color565);
  Put32(block, 0);
  return DdsFile(4, 4, 0x4, 0x31545844 /* "DXT1" */, 0, 0, 0, 0, 0, block);
}

std::string WriteFixture(const std::string& name, const std::string& bytes) {
  const std::filesystem::path path(name);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  testenv::WriteFile(name, bytes);
  return name;
}

}  // namespace gfxtest
