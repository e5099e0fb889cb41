#pragma once

// Reading of cursor files: Windows animated cursors (a RIFF "ACON" file: an "anih"
// header, optional "rate" and "seq " chunks and a "fram" list of "icon" frames) and plain
// single-frame cursor files. Each frame is a cursor-file image with its hot spot, held as
// 32-bit pixels with alpha or as PNG data (decoded through the image decoder of the
// drawing layer). Every size and count is checked before memory is taken, so a damaged
// or hostile file is refused with a reason and never read past its end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

struct CursorFrame {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t hotX = 0;
  uint32_t hotY = 0;
  // width x height pixels, top row first, each as the bytes R, G, B, A.
  std::vector<uint8_t> rgba;
};

// One step of the animation: the frame shown and for how long, in jiffies (1/60 s).
struct CursorStep {
  uint32_t frame = 0;
  uint32_t jiffies = 1;
};

struct CursorAnimation {
  std::vector<CursorFrame> frames;
  // At least one step; a plain cursor file gives one step of its one frame.
  std::vector<CursorStep> steps;

  // The length of one pass through the steps, in milliseconds (at least 1).
  uint64_t CycleMs() const;
  // The step shown after the given milliseconds of play (the steps repeat).
  size_t StepAt(uint64_t elapsedMs) const;
};

// Limits on what a cursor file may ask for.
constexpr uint32_t kMaxCursorSide = 256;
constexpr uint32_t kMaxCursorFrames = 256;
constexpr uint32_t kMaxCursorSteps = 1024;
constexpr size_t kMaxCursorFileBytes = 16u << 20;
// A step is shown for at least one and at most 3600 jiffies (a minute).
constexpr uint32_t kMaxCursorJiffies = 3600;

// Reads a cursor file held in memory. False, with a short reason in error, when the data
// is not a whole cursor file of a kind this reader knows.
bool ReadCursorFile(const uint8_t* data, size_t size, CursorAnimation* cursor, std::string* error);

}  // namespace plat
