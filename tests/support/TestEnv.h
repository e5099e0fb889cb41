#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testenv {

// The temporary folder that this test process owns. The test main creates it, makes it
// the working folder and points XDG_DATA_HOME into it, so that parallel test processes
// never share a save folder, a lock file or a log.
const std::string& ProcessDir();

// A fresh, empty sub-folder of ProcessDir(), unique within the process.
std::string MakeTempDir(const std::string& hint = "t");

// Whole-file helpers for fixtures.
bool WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// A BMP file as the screenshot writer makes it (24 or 32 bits, rows bottom-up), read into
// 0xAARRGGBB values, rows top first (alpha 0xFF for 24-bit files).
struct Bitmap {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::vector<uint32_t> pixels;

  bool Load(const std::string& path);
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// 0xAARRGGBB channels within a tolerance.
::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected, int tolerance = 1);

}  // namespace testenv
