// Feeds arbitrary bytes to the cursor file reader (animated and plain cursor files, with
// 32-bit and PNG frames): a file is either read whole or refused with a reason, and nothing
// is read or written out of bounds. A read cursor holds what its users rely on.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/win32/CursorFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::CursorAnimation cursor;
  std::string error;
  if (plat::ReadCursorFile(data, size, &cursor, &error)) {
    if (cursor.frames.empty() || cursor.steps.empty()) __builtin_trap();
    for (const plat::CursorFrame& frame : cursor.frames) {
      if (frame.width == 0 || frame.height == 0 || frame.width > plat::kMaxCursorSide ||
          frame.height > plat::kMaxCursorSide || frame.hotX >= frame.width || frame.hotY >= frame.height ||
          frame.rgba.size() != size_t{frame.width} * frame.height * 4) {
        __builtin_trap();
      }
    }
    for (const plat::CursorStep& step : cursor.steps) {
      if (step.frame >= cursor.frames.size() || step.jiffies == 0) __builtin_trap();
    }
    if (cursor.StepAt(size * 37) >= cursor.steps.size()) __builtin_trap();
  } else if (error.empty() || !cursor.frames.empty()) {
    __builtin_trap();
  }
  return 0;
}
