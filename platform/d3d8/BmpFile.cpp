#include "platform/d3d8/BmpFile.h"

#include <cstdio>
#include <vector>

namespace d3d8 {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

bool WriteBmpFile(const std::string& path, const uint32_t* pixels, uint32_t width,
                  uint32_t height, bool withAlpha) {
  const uint32_t bytesPerPixel = withAlpha ? 4 : 3;
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * bytesPerPixel + 3) & ~uint64_t{3};
  const uint64_t imageBytes = rowBytes * height;
  if (width == 0 || height == 0 || imageBytes > 0x7FFFFFFF - 54) return false;

  std::vector<uint8_t> file;
  file.reserve(54 + imageBytes);
  file.push_back('B');
  file.push_back('M');
  Put32(file, static_cast<uint32_t>(54 + imageBytes));
  Put32(file, 0);   // reserved
  Put32(file, 54);  // pixel data offset
  Put32(file, 40);  // BITMAPINFOHEADER
  Put32(file, width);
  Put32(file, height);  // positive: bottom-up rows
  Put16(file, 1);
  Put16(file, bytesPerPixel * 8);
  Put32(file, 0);  // BI_RGB
  Put32(file, static_cast<uint32_t>(imageBytes));
  Put32(file, 2835);  // 72 dpi
  Put32(file, 2835);
  Put32(file, 0);
  Put32(file, 0);
  for (uint32_t row = 0; row < height; ++row) {
    const uint32_t* line = pixels + static_cast<size_t>(height - 1 - row) * width;
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t p = line[x];
      file.push_back(static_cast<uint8_t>(p));
      file.push_back(static_cast<uint8_t>(p >> 8));
      file.push_back(static_cast<uint8_t>(p >> 16));
      if (withAlpha) file.push_back(static_cast<uint8_t>(p >> 24));
    }
    for (uint64_t pad = static_cast<uint64_t>(width) * bytesPerPixel; pad < rowBytes; ++pad) {
      file.push_back(0);
    }
  }
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace d3d8
