#pragma once

#include <cstdint>
#include <vector>

#include "platform/vfw/Vfw.h"

namespace vfw {

// A 32-bit device-independent bitmap in memory (what CreateDIBSection makes).
struct DibSection {
  std::int32_t width = 0;
  std::int32_t height = 0;  // always positive
  bool topDown = false;
  std::vector<std::uint32_t> pixels;  // width x height, in the header's row order
  MemoryDC* selectedInto = nullptr;

  // The pixel row `y` counted from the top of the picture.
  std::uint32_t* Row(int y) { return pixels.data() + std::size_t(topDown ? y : height - 1 - y) * width; }
};

// A memory device context: only the bitmap selected into it.
struct MemoryDC {
  DibSection* selected = nullptr;
};

}  // namespace vfw
