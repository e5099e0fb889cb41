#include "tests/support/TestEnv.h"

#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testenv {

namespace {
std::string g_processDir;
std::atomic<int> g_counter{0};
}  // namespace

void SetProcessDir(const std::string& dir) { g_processDir = dir; }

const std::string& ProcessDir() { return g_processDir; }

std::string MakeTempDir(const std::string& hint) {
  std::string dir = g_processDir + "/" + hint + std::to_string(g_counter++);
  std::filesystem::create_directories(dir);
  return dir;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

namespace {

uint32_t ReadLe(const std::string& bytes, size_t offset, int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; ++i) {
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

}  // namespace

bool Bitmap::Load(const std::string& path) {
  const std::string bytes = testenv::ReadFile(path);
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint32_t dataOffset = ReadLe(bytes, 10, 4);
  const int32_t w = static_cast<int32_t>(ReadLe(bytes, 18, 4));
  const int32_t h = static_cast<int32_t>(ReadLe(bytes, 22, 4));
  bitsPerPixel = static_cast<int>(ReadLe(bytes, 28, 2));
  if (w <= 0 || h == 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) return false;
  width = w;
  height = h < 0 ? -h : h;
  const size_t bytesPerPixel = static_cast<size_t>(bitsPerPixel / 8);
  const size_t pitch = (static_cast<size_t>(width) * bytesPerPixel + 3) & ~size_t{3};
  if (bytes.size() < dataOffset + pitch * height) return false;
  pixels.assign(static_cast<size_t>(width) * height, 0);
  for (int y = 0; y < height; ++y) {
    const int fileRow = h > 0 ? height - 1 - y : y;
    const size_t row = dataOffset + pitch * fileRow;
    for (int x = 0; x < width; ++x) {
      const size_t p = row + bytesPerPixel * x;
      const uint32_t b = static_cast<uint8_t>(bytes[p]);
      const uint32_t g = static_cast<uint8_t>(bytes[p + 1]);
      const uint32_t r = static_cast<uint8_t>(bytes[p + 2]);
      const uint32_t a = bitsPerPixel == 32 ? static_cast<uint8_t>(bytes[p + 3]) : 0xFF;
      pixels[static_cast<size_t>(y) * width + x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  return true;
}

::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - e) > tolerance) {
      char text[64];
      std::snprintf(text, sizeof text, "0x%08X, expected 0x%08X", actual, expected);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace testenv
