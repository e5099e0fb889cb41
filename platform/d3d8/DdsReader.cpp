#include "platform/d3d8/DdsReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/d3d8/ImageDecoder.h"
#include "platform/d3d8/PixelFormat.h"
#include "platform/d3d8/SurfaceMemory.h"

namespace d3d8 {

namespace {

constexpr size_t kHeaderSize = 128;  // "DDS " and the 124-byte header

constexpr uint32_t kFlagMipMapCount = 0x20000;
constexpr uint32_t kPixelAlphaPixels = 0x1;
constexpr uint32_t kPixelAlpha = 0x2;
constexpr uint32_t kPixelFourCC = 0x4;
constexpr uint32_t kPixelRgb = 0x40;
constexpr uint32_t kPixelLuminance = 0x20000;
constexpr uint32_t kCaps2CubeMap = 0x200;
constexpr uint32_t kCaps2AllFaces = 0xFC00;
constexpr uint32_t kCaps2Volume = 0x200000;

uint32_t Read32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

struct Masks {
  uint32_t bits, r, g, b, a;
};

// The layer's format for a mask layout, or D3DFMT_UNKNOWN.
D3DFORMAT FormatOfMasks(const Masks& m, uint32_t flags) {
  struct Known {
    Masks masks;
    D3DFORMAT format;
  };
  static constexpr Known kKnown[] = {
      {{32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}, D3DFMT_A8R8G8B8},
      {{32, 0xFF0000, 0xFF00, 0xFF, 0}, D3DFMT_X8R8G8B8},
      {{24, 0xFF0000, 0xFF00, 0xFF, 0}, D3DFMT_R8G8B8},
      {{16, 0xF800, 0x7E0, 0x1F, 0}, D3DFMT_R5G6B5},
      {{16, 0x7C00, 0x3E0, 0x1F, 0x8000}, D3DFMT_A1R5G5B5},
      {{16, 0x7C00, 0x3E0, 0x1F, 0}, D3DFMT_X1R5G5B5},
      {{16, 0xF00, 0xF0, 0xF, 0xF000}, D3DFMT_A4R4G4B4},
      {{16, 0xF00, 0xF0, 0xF, 0}, D3DFMT_X4R4G4B4},
  };
  if (flags & kPixelLuminance) {
    if (m.bits == 8 && m.r == 0xFF && m.a == 0) return D3DFMT_L8;
    if (m.bits == 16 && m.r == 0xFF && m.a == 0xFF00) return D3DFMT_A8L8;
    return D3DFMT_UNKNOWN;
  }
  if (!(flags & kPixelRgb)) {
    return (m.bits == 8 && m.a == 0xFF) ? D3DFMT_A8 : D3DFMT_UNKNOWN;
  }
  const uint32_t alpha = (flags & kPixelAlphaPixels) ? m.a : 0;
  for (const Known& k : kKnown) {
    if (k.masks.bits == m.bits && k.masks.r == m.r && k.masks.g == m.g && k.masks.b == m.b &&
        k.masks.a == alpha) {
      return k.format;
    }
  }
  return D3DFMT_UNKNOWN;
}

// One channel of a pixel by its mask, widened to 8 bits.
uint32_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const uint32_t value = (pixel & mask) >> shift;
  if (bits >= 8) return value >> (bits - 8);
  return value * 255 / ((1u << bits) - 1);
}

// Pixels of any mask layout into A8R8G8B8 rows.
void DecodeMasked(const uint8_t* src, uint32_t width, uint32_t height, const Masks& m,
                  uint32_t flags, uint8_t* out) {
  const uint32_t bytes = m.bits / 8;
  const bool hasAlpha = (flags & (kPixelAlphaPixels | kPixelAlpha)) && m.a != 0;
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    uint32_t pixel = 0;
    std::memcpy(&pixel, src + i * bytes, bytes);
    uint32_t r, g, b;
    if (flags & kPixelLuminance) {
      r = g = b = Channel(pixel, m.r);
    } else if (flags & kPixelRgb) {
      r = Channel(pixel, m.r);
      g = Channel(pixel, m.g);
      b = Channel(pixel, m.b);
    } else {
      r = g = b = 0;
    }
    const uint32_t a = hasAlpha ? Channel(pixel, m.a) : 255;
    const uint32_t argb = (a << 24) | (r << 16) | (g << 8) | b;
    std::memcpy(out + i * 4, &argb, 4);
  }
}

}  // namespace

bool ReadDds(const uint8_t* data, size_t size, DecodedImage* image) {
  if (size < kHeaderSize || std::memcmp(data, "DDS ", 4) != 0) return false;
  const uint8_t* h = data + 4;
  if (Read32(h + 0) != 124 || Read32(h + 72) != 32) return false;
  const uint32_t flags = Read32(h + 4);
  const uint32_t height = Read32(h + 8);
  const uint32_t width = Read32(h + 12);
  const uint32_t mipCount = Read32(h + 24);
  const uint32_t pixelFlags = Read32(h + 76);
  const uint32_t fourCC = Read32(h + 80);
  const Masks masks{Read32(h + 84), Read32(h + 88), Read32(h + 92), Read32(h + 96), Read32(h + 100)};
  const uint32_t caps2 = Read32(h + 108);

  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
  if (caps2 & kCaps2Volume) return false;
  const bool cube = (caps2 & kCaps2CubeMap) != 0;
  if (cube && ((caps2 & kCaps2AllFaces) != kCaps2AllFaces || width != height)) return false;

  D3DFORMAT fileFormat;
  bool generic = false;
  if (pixelFlags & kPixelFourCC) {
    fileFormat = static_cast<D3DFORMAT>(fourCC);
    if (!IsCompressedFormat(fileFormat)) return false;
  } else {
    if (masks.bits != 8 && masks.bits != 16 && masks.bits != 24 && masks.bits != 32) return false;
    if (!(pixelFlags & (kPixelRgb | kPixelLuminance | kPixelAlpha))) return false;
    fileFormat = FormatOfMasks(masks, pixelFlags);
    generic = fileFormat == D3DFMT_UNKNOWN;
  }

  uint32_t levels = (flags & kFlagMipMapCount) && mipCount > 0 ? mipCount : 1;
  levels = std::min(levels, FullChainLength(width, height));
  const uint32_t faces = cube ? 6 : 1;

  // The whole payload must be there before anything is taken from it.
  const uint32_t bytesPerPixel = generic ? masks.bits / 8 : 0;
  auto levelBytes = [&](uint32_t level) -> uint64_t {
    const uint32_t w = LevelSize(width, level), hh = LevelSize(height, level);
    if (generic) return static_cast<uint64_t>(w) * hh * bytesPerPixel;
    return static_cast<uint64_t>(FormatPitch(fileFormat, w)) * FormatRows(fileFormat, hh);
  };
  uint64_t total = 0;
  for (uint32_t level = 0; level < levels; ++level) total += levelBytes(level);
  total *= faces;
  if (total > size - kHeaderSize) return false;

  image->fileFormat = D3DXIFF_DDS;
  const bool hasAlpha = (pixelFlags & (kPixelAlphaPixels | kPixelAlpha)) && masks.a != 0;
  image->fileFormatPixels =
      generic ? (hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8) : fileFormat;
  image->format = generic ? D3DFMT_A8R8G8B8 : fileFormat;
  image->width = width;
  image->height = height;
  image->levels = levels;
  image->faces = faces;
  image->surfaces.assign(static_cast<size_t>(faces) * levels, {});
  const uint8_t* cursor = data + kHeaderSize;
  for (uint32_t face = 0; face < faces; ++face) {
    for (uint32_t level = 0; level < levels; ++level) {
      const size_t bytes = static_cast<size_t>(levelBytes(level));
      std::vector<uint8_t>& surface = image->surfaces[face * levels + level];
      if (generic) {
        const uint32_t w = LevelSize(width, level), hh = LevelSize(height, level);
        surface.resize(static_cast<size_t>(w) * hh * 4);
        DecodeMasked(cursor, w, hh, masks, pixelFlags, surface.data());
      } else {
        surface.assign(cursor, cursor + bytes);
      }
      cursor += bytes;
    }
  }
  return true;
}

}  // namespace d3d8
