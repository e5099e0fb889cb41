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
