#pragma once

// Small image files made in code, for loading through the file system. Pixels are
// 0xAARRGGBB values, rows top first.

#include <cstdint>
#include <string>
#include <vector>

namespace gfxtest {

using Pixels = std::vector<uint32_t>;

std::string PngFile(uint32_t width, uint32_t height, const Pixels& pixels);
std::string JpgFile(uint32_t width, uint32_t height, const Pixels& pixels);
std::string Bmp24File(uint32_t width, uint32_t height, const Pixels& pixels);
std::string Tga32File(uint32_t width, uint32_t height, const Pixels& pixels);
std::string Dds32File(uint32_t width, uint32_t height, const Pixels& pixels);
// A cube map of six faces of one colour.
std::string CubeDdsFile(uint32_t edge, uint32_t color);
// One 4 x 4 DXT1 block of one opaque colour (R5G6B5).
std::string Dxt1DdsFile(uint16_t color565);

// Writes bytes to a file of the working folder (made with its folders); the name back.
std::string WriteFixture(const std::string& name, const std::string& bytes);

}  // namespace gfxtest
