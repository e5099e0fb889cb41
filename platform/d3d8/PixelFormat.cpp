#include "platform/d3d8/PixelFormat.h"

#include <algorithm>
#include <cstring>

namespace d3d8 {

namespace {

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// Widens an n-bit channel to 8 bits by repeating its high bits, so that the largest value
// becomes 255.
uint32_t Expand(uint32_t value, uint32_t bits) {
  switch (bits) {
    case 1: return value ? 255 : 0;
    case 2: return value * 85;
    case 3: return (value << 5) | (value << 2) | (value >> 1);
    case 4: return value * 17;
    case 5: return (value << 3) | (value >> 2);
    case 6: return (value << 2) | (value >> 4);
    default: return value & 0xFF;
  }
}

// Narrows an 8-bit channel to n bits, rounding to the nearest value.
uint32_t Narrow(uint32_t value, uint32_t bits) {
  const uint32_t max = (1u << bits) - 1;
  return (value * max + 127) / 255;
}

uint16_t Read16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

uint32_t Read32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void Write16(uint8_t* p, uint32_t v) {
  const uint16_t value = static_cast<uint16_t>(v);
  std::memcpy(p, &value, 2);
}

uint32_t Decode565(uint16_t v) {
  return Pack(255, Expand((v >> 11) & 0x1F, 5), Expand((v >> 5) & 0x3F, 6), Expand(v & 0x1F, 5));
}

uint32_t DecodeOne(D3DFORMAT format, const uint8_t* p) {
  switch (format) {
    case D3DFMT_A8R8G8B8: return Read32(p);
    case D3DFMT_X8R8G8B8: return Read32(p) | 0xFF000000u;
    case D3DFMT_R8G8B8: return Pack(255, p[2], p[1], p[0]);
    case D3DFMT_R5G6B5: return Decode565(Read16(p));
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
      const uint16_t v = Read16(p);
      const uint32_t a = format == D3DFMT_A1R5G5B5 ? Expand(v >> 15, 1) : 255;
      return Pack(a, Expand((v >> 10) & 0x1F, 5), Expand((v >> 5) & 0x1F, 5), Expand(v & 0x1F, 5));
    }
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4: {
      const uint16_t v = Read16(p);
      const uint32_t a = format == D3DFMT_A4R4G4B4 ? Expand(v >> 12, 4) : 255;
      return Pack(a, Expand((v >> 8) & 0xF, 4), Expand((v >> 4) & 0xF, 4), Expand(v & 0xF, 4));
    }
    case D3DFMT_R3G3B2:
      return Pack(255, Expand(p[0] >> 5, 3), Expand((p[0] >> 2) & 7, 3), Expand(p[0] & 3, 2));
    case D3DFMT_A8R3G3B2: {
      const uint16_t v = Read16(p);
      return Pack(v >> 8, Expand((v >> 5) & 7, 3), Expand((v >> 2) & 7, 3), Expand(v & 3, 2));
    }
    case D3DFMT_A8: return Pack(p[0], 0, 0, 0);
    case D3DFMT_L8: return Pack(255, p[0], p[0], p[0]);
    case D3DFMT_A8L8: return Pack(p[1], p[0], p[0], p[0]);
    default: return 0;
  }
}

void EncodeOne(D3DFORMAT format, uint32_t c, uint8_t* p) {
  const uint32_t a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  switch (format) {
    case D3DFMT_A8R8G8B8: std::memcpy(p, &c, 4); break;
    case D3DFMT_X8R8G8B8: {
      const uint32_t x = c | 0xFF000000u;
      std::memcpy(p, &x, 4);
      break;
    }
    case D3DFMT_R8G8B8:
      p[0] = static_cast<uint8_t>(b);
      p[1] = static_cast<uint8_t>(g);
      p[2] = static_cast<uint8_t>(r);
      break;
    case D3DFMT_R5G6B5: Write16(p, (Narrow(r, 5) << 11) | (Narrow(g, 6) << 5) | Narrow(b, 5)); break;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
      const uint32_t alphaBit = format == D3DFMT_A1R5G5B5 ? (a >= 128 ? 1u : 0u) : 1u;
      Write16(p, (alphaBit << 15) | (Narrow(r, 5) << 10) | (Narrow(g, 5) << 5) | Narrow(b, 5));
      break;
    }
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4: {
      const uint32_t alpha = format == D3DFMT_A4R4G4B4 ? Narrow(a, 4) : 0xF;
      Write16(p, (alpha << 12) | (Narrow(r, 4) << 8) | (Narrow(g, 4) << 4) | Narrow(b, 4));
      break;
    }
    case D3DFMT_R3G3B2:
      p[0] = static_cast<uint8_t>((Narrow(r, 3) << 5) | (Narrow(g, 3) << 2) | Narrow(b, 2));
      break;
    case D3DFMT_A8R3G3B2:
      Write16(p, (a << 8) | (Narrow(r, 3) << 5) | (Narrow(g, 3) << 2) | Narrow(b, 2));
      break;
    case D3DFMT_A8: p[0] = static_cast<uint8_t>(a); break;
    case D3DFMT_L8: p[0] = static_cast<uint8_t>((r * 77 + g * 150 + b * 29 + 128) >> 8); break;
    case D3DFMT_A8L8:
      p[0] = static_cast<uint8_t>((r * 77 + g * 150 + b * 29 + 128) >> 8);
      p[1] = static_cast<uint8_t>(a);
      break;
    default: break;
  }
}

// The four colours of a DXT colour block. DXT1 blocks whose first colour is not above the
// second have three colours and transparent black.
void BlockColours(const uint8_t* block, bool dxt1, uint32_t colours[4]) {
  const uint16_t c0 = Read16(block), c1 = Read16(block + 2);
  colours[0] = Decode565(c0);
  colours[1] = Decode565(c1);
  auto mix = [&](uint32_t w0, uint32_t w1, uint32_t div) {
    uint32_t result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      const uint32_t a = (colours[0] >> shift) & 0xFF, b = (colours[1] >> shift) & 0xFF;
      result |= ((a * w0 + b * w1) / div) << shift;
    }
    return result;
  };
  if (!dxt1 || c0 > c1) {
    colours[2] = mix(2, 1, 3);
    colours[3] = mix(1, 2, 3);
  } else {
    colours[2] = mix(1, 1, 2);
    colours[3] = 0;
  }
}

void DecodeDxtBlock(D3DFORMAT format, const uint8_t* block, uint32_t texels[16]) {
  const bool dxt1 = format == D3DFMT_DXT1;
  const uint8_t* colourBlock = dxt1 ? block : block + 8;
  uint32_t colours[4];
  BlockColours(colourBlock, dxt1, colours);
  const uint32_t indices = Read32(colourBlock + 4);
  for (int i = 0; i < 16; ++i) texels[i] = colours[(indices >> (2 * i)) & 3];
  if (dxt1) return;

  if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
    for (int i = 0; i < 16; ++i) {
      const uint32_t nibble = (block[i / 2] >> ((i % 2) * 4)) & 0xF;
      texels[i] = (texels[i] & 0x00FFFFFFu) | (Expand(nibble, 4) << 24);
    }
    return;
  }
  // DXT4 and DXT5: two end points and 3-bit indices.
  uint32_t alphas[8];
  alphas[0] = block[0];
  alphas[1] = block[1];
  if (alphas[0] > alphas[1]) {
    for (uint32_t i = 2; i < 8; ++i) alphas[i] = ((8 - i) * alphas[0] + (i - 1) * alphas[1]) / 7;
  } else {
    for (uint32_t i = 2; i < 6; ++i) alphas[i] = ((6 - i) * alphas[0] + (i - 1) * alphas[1]) / 5;
    alphas[6] = 0;
    alphas[7] = 255;
  }
  uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
  for (int i = 0; i < 16; ++i) {
    const uint32_t alpha = alphas[(bits >> (3 * i)) & 7];
    texels[i] = (texels[i] & 0x00FFFFFFu) | (alpha << 24);
  }
}

}  // namespace

bool IsCompressedFormat(D3DFORMAT format) {
  return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 ||
         format == D3DFMT_DXT4 || format == D3DFMT_DXT5;
}

uint32_t BytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return 4;
    case D3DFMT_R8G8B8: return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_A8L8: return 2;
    case D3DFMT_R3G3B2:
    case D3DFMT_A8:
    case D3DFMT_L8: return 1;
    default: return 0;
  }
}

bool IsStorableFormat(D3DFORMAT format) {
  return BytesPerPixel(format) != 0 || IsCompressedFormat(format);
}

bool FormatHasAlpha(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_A8:
    case D3DFMT_A8L8:
    case D3DFMT_DXT1:  // three-colour blocks carry transparent texels
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5: return true;
    default: return false;
  }
}

uint32_t FormatPitch(D3DFORMAT format, uint32_t width) {
  if (IsCompressedFormat(format)) {
    const uint32_t blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
    return ((width + 3) / 4) * blockBytes;
  }
  return width * BytesPerPixel(format);
}

uint32_t FormatRows(D3DFORMAT format, uint32_t height) {
  return IsCompressedFormat(format) ? (height + 3) / 4 : height;
}

D3DFORMAT ClosestStorableFormat(D3DFORMAT format) {
  if (IsStorableFormat(format)) return format;
  return D3DFMT_A8R8G8B8;
}

void ArgbToFloats(uint32_t argb, float rgba[4]) {
  rgba[0] = ((argb >> 16) & 0xFF) / 255.0f;
  rgba[1] = ((argb >> 8) & 0xFF) / 255.0f;
  rgba[2] = (argb & 0xFF) / 255.0f;
  rgba[3] = (argb >> 24) / 255.0f;
}

void DecodePixels(D3DFORMAT format, const uint8_t* src, uint32_t pitch, uint32_t width,
                  uint32_t height, uint32_t* out) {
  if (IsCompressedFormat(format)) {
    const uint32_t blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
    uint32_t texels[16];
    for (uint32_t by = 0; by < (height + 3) / 4; ++by) {
      for (uint32_t bx = 0; bx < (width + 3) / 4; ++bx) {
        DecodeDxtBlock(format, src + static_cast<size_t>(by) * pitch + bx * blockBytes, texels);
        for (uint32_t ty = 0; ty < 4 && by * 4 + ty < height; ++ty) {
          for (uint32_t tx = 0; tx < 4 && bx * 4 + tx < width; ++tx) {
            out[static_cast<size_t>(by * 4 + ty) * width + bx * 4 + tx] = texels[ty * 4 + tx];
          }
        }
      }
    }
    return;
  }
  const uint32_t bpp = BytesPerPixel(format);
  if (format == D3DFMT_A8R8G8B8) {
    for (uint32_t y = 0; y < height; ++y) {
      std::memcpy(out + static_cast<size_t>(y) * width, src + static_cast<size_t>(y) * pitch,
                  static_cast<size_t>(width) * 4);
    }
    return;
  }
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = src + static_cast<size_t>(y) * pitch;
    uint32_t* outRow = out + static_cast<size_t>(y) * width;
    for (uint32_t x = 0; x < width; ++x) outRow[x] = DecodeOne(format, row + x * bpp);
  }
}

bool EncodePixels(D3DFORMAT format, const uint32_t* src, uint32_t width, uint32_t height,
                  uint8_t* dst, uint32_t pitch) {
  const uint32_t bpp = BytesPerPixel(format);
  if (bpp == 0) return false;
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = dst + static_cast<size_t>(y) * pitch;
    const uint32_t* srcRow = src + static_cast<size_t>(y) * width;
    for (uint32_t x = 0; x < width; ++x) EncodeOne(format, srcRow[x], row + x * bpp);
  }
  return true;
}

}  // namespace d3d8
