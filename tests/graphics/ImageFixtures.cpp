#include "tests/graphics/ImageFixtures.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <filesystem>

#include "tests/support/TestEnv.h"

namespace gfxtest {

namespace {

void Put16(std::string& b, uint32_t v) {
  b.push_back(static_cast<char>(v & 0xFF));
  b.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

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
  return result == 0 ? testenv::ReadFile(path) : std::string();
}

std::string DdsHeader(uint32_t width, uint32_t height, uint32_t pixelFlags, uint32_t fourCC,
                      uint32_t bits, uint32_t caps2) {
  std::string d = "DDS ";
  Put32(d, 124);
  Put32(d, 0x1007);
  Put32(d, height);
  Put32(d, width);
  Put32(d, 0);
  Put32(d, 0);
  Put32(d, 0);
  for (int i = 0; i < 11; ++i) Put32(d, 0);
  Put32(d, 32);
  Put32(d, pixelFlags);
  Put32(d, fourCC);
  Put32(d, bits);
  Put32(d, bits ? 0x00FF0000 : 0);
  Put32(d, bits ? 0x0000FF00 : 0);
  Put32(d, bits ? 0x000000FF : 0);
  Put32(d, bits ? 0xFF000000 : 0);
  Put32(d, 0x1000);
  Put32(d, caps2);
  Put32(d, 0);
  Put32(d, 0);
  Put32(d, 0);
  return d;
}

constexpr uint32_t kRgbWithAlpha = 0x41;  // RGB | ALPHAPIXELS

}  // namespace

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
  std::string b(18, '\0');
  b[2] = 2;  // uncompressed true colour
  b[12] = static_cast<char>(width & 0xFF);
  b[13] = static_cast<char>(width >> 8);
  b[14] = static_cast<char>(height & 0xFF);
  b[15] = static_cast<char>(height >> 8);
  b[16] = 32;
  b[17] = 0x28;  // top-left origin, 8 alpha bits
  for (uint32_t p : pixels) Put32(b, p);  // B, G, R, A
  return b;
}

std::string Dds32File(uint32_t width, uint32_t height, const Pixels& pixels) {
  std::string d = DdsHeader(width, height, kRgbWithAlpha, 0, 32, 0);
  for (uint32_t p : pixels) Put32(d, p);
  return d;
}

std::string CubeDdsFile(uint32_t edge, uint32_t color) {
  std::string d = DdsHeader(edge, edge, kRgbWithAlpha, 0, 32, 0x200 | 0xFC00);
  for (uint32_t i = 0; i < 6 * edge * edge; ++i) Put32(d, color);
  return d;
}

std::string Dxt1DdsFile(uint16_t color565) {
  std::string d = DdsHeader(4, 4, 0x4, 0x31545844 /* "DXT1" */, 0, 0);
  Put16(d, color565);
  Put16(d, color565);
  Put32(d, 0);
  return d;
}

std::string WriteFixture(const std::string& name, const std::string& bytes) {
  const std::filesystem::path path(name);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  testenv::WriteFile(name, bytes);
  return name;
}

}  // namespace gfxtest
