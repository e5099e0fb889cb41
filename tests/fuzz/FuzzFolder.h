#pragma once

// A folder of the fuzz target's own for the files it writes, made on first use and
// removed with everything in it when the run ends.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

inline const std::string& FuzzFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/pellavo_fuzzXXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) std::abort();
    return std::string(made);
  }();
  static const bool cleanup = std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }) == 0;
  (void)cleanup;
  return folder;
}
