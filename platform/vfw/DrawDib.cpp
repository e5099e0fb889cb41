#include "platform/vfw/DrawDib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/vfw/MemoryBitmap.h"

namespace vfw {

bool CopyDib(HDC dc, int xDst, int yDst, int width, int height, const BITMAPINFOHEADER& source,
             const void* bits, int xSrc, int ySrc) {
  DibSection* target = dc ? dc->selected : nullptr;
  if (!target || !bits) return false;
  if (source.biBitCount != 32 || source.biCompression != BI_RGB || source.biWidth <= 0 ||
      source.biHeight == 0 || width < 0 || height < 0) {
    return false;
  }
  const int sourceHeight = std::abs(source.biHeight);
  const bool sourceTopDown = source.biHeight < 0;

  // Clip the rectangle to both bitmaps, moving both corners together.
  int left = std::max({0, -xDst, -xSrc});
  int top = std::max({0, -yDst, -ySrc});
  int right = std::min({width, target->width - xDst, source.biWidth - xSrc});
  int bottom = std::min({height, target->height - yDst, sourceHeight - ySrc});
  if (right <= left || bottom <= top) return true;

  const auto* sourcePixels = static_cast<const std::uint32_t*>(bits);
  const std::size_t columns = std::size_t(right - left);
  for (int y = top; y < bottom; ++y) {
    const int sourceRow = sourceTopDown ? ySrc + y : sourceHeight - 1 - (ySrc + y);
    const std::uint32_t* from = sourcePixels + std::size_t(sourceRow) * source.biWidth + xSrc + left;
    std::uint32_t* to = target->Row(yDst + y) + xDst + left;
    std::memcpy(to, from, columns * sizeof(std::uint32_t));
  }
  return true;
}

}  // namespace vfw
