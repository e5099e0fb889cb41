#include "platform/d3d8/Resample.h"

#include <algorithm>

#include "platform/d3d8/D3DX8.h"

namespace d3d8 {

std::vector<uint32_t> ResampleArgb(const uint32_t* src, uint32_t srcWidth, uint32_t srcHeight,
                                   uint32_t dstWidth, uint32_t dstHeight, uint32_t filter) {
  std::vector<uint32_t> dst(static_cast<size_t>(dstWidth) * dstHeight);
  if (srcWidth == dstWidth && srcHeight == dstHeight) {
    std::copy(src, src + dst.size(), dst.begin());
    return dst;
  }
  const uint32_t kind = filter & 0xFF;
  const bool point = kind == D3DX_FILTER_POINT || kind == D3DX_FILTER_NONE;
  for (uint32_t y = 0; y < dstHeight; ++y) {
    for (uint32_t x = 0; x < dstWidth; ++x) {
      uint32_t result;
      if (point) {
        const uint64_t sx = (2ull * x + 1) * srcWidth / (2ull * dstWidth);
        const uint64_t sy = (2ull * y + 1) * srcHeight / (2ull * dstHeight);
        result = src[sy * srcWidth + sx];
      } else {
        // The source span [x0, x1) x [y0, y1) under the destination pixel, at least one.
        const uint64_t x0 = uint64_t{x} * srcWidth / dstWidth;
        const uint64_t x1 = std::max(x0 + 1, (uint64_t{x} + 1) * srcWidth / dstWidth +
                                                 ((uint64_t{x} + 1) * srcWidth % dstWidth ? 1 : 0));
        const uint64_t y0 = uint64_t{y} * srcHeight / dstHeight;
        const uint64_t y1 = std::max(y0 + 1, (uint64_t{y} + 1) * srcHeight / dstHeight +
                                                 ((uint64_t{y} + 1) * srcHeight % dstHeight ? 1 : 0));
        uint64_t sums[4] = {0, 0, 0, 0};
        for (uint64_t sy = y0; sy < y1; ++sy) {
          for (uint64_t sx = x0; sx < x1; ++sx) {
            const uint32_t p = src[sy * srcWidth + sx];
            for (int c = 0; c < 4; ++c) sums[c] += (p >> (8 * c)) & 0xFF;
          }
        }
        const uint64_t n = (x1 - x0) * (y1 - y0);
        result = 0;
        for (int c = 0; c < 4; ++c) result |= static_cast<uint32_t>((sums[c] + n / 2) / n) << (8 * c);
      }
      dst[static_cast<size_t>(y) * dstWidth + x] = result;
    }
  }
  return dst;
}

}  // namespace d3d8
