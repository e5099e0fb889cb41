#pragma once

// Small image files made in code, for loading through the file system. Pixels are
// 0xAARRGGBB values, rows top first.

#include <cstdint>
#include <string>
#include <vector>

namespace gfxtest {

using Pixels = std::vector<uint32_t>;

// Little-endian fields, for files built byte by byte.
void Put16(std::string& bytes, uint32_t value);
void Put32(std::string& bytes, uint32_t value);

// PNG and JPEG (quality 100) as SDL2_image writes them.
std::string PngFile(uint32_t width, uint32_t height, const Pixels& pixels);
std::string JpgFile(uint32_t width, uint32_t height, const Pixels& pixels);
// 24-bit BMP, rows stored bottom-up.
std::string Bmp24File(uint32_t width, uint32_t height, const Pixels& pixels);
// Uncompressed 32-bit TGA with its origin top left.
std::string Tga32File(uint32_t width, uint32_t height, const Pixels& pixels);
// An 18-byte TGA header: image type (2 true colour, 10 run-length encoded), size, bits per
// pixel and descriptor (origin and alpha bits).
std::string TgaHeader(uint8_t type, uint16_t width, uint16_t height, uint8_t depth,
                      uint8_t descriptor);
// A DDS file: the header with the pixel format's flags, FourCC, bits and red, green, blue
// and alpha masks, then the payload as given.
std::string DdsFile(uint32_t width, uint32_t height, uint32_t pixelFlags, uint32_t fourCC,
                    uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a,
                    const std::string& payload, uint32_t mipCount = 0, uint32_t caps2 = 0);
std::string Dds32File(uint32_t width, uint32_t height, const Pixels& pixels);
// A cube map of six faces of one colour.
std::string CubeDdsFile(uint32_t edge, uint32_t color);
// One 4 x 4 DXT1 block of one opaque colour (R5G6B5).
std::string Dxt1DdsFile(uint16_t color565);

// Writes bytes to a file of the working folder (made with its folders); the name back.
std::string WriteFixture(const std::string& name, const std::string& bytes);

}  // namespace gfxtest
