#pragma once

#include "platform/vfw/Vfw.h"

namespace vfw {

// DrawDib's state: none is needed for same-size 32-bit copies, but the handle keeps the
// calls in their usual shape.
struct DrawDibContext {
  bool open = true;
};

// Copies a rectangle of a 32-bit BI_RGB source bitmap into the bitmap selected into dc.
bool CopyDib(HDC dc, int xDst, int yDst, int width, int height, const BITMAPINFOHEADER& source,
             const void* bits, int xSrc, int ySrc);

}  // namespace vfw
