#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

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

// 0xAARRGGBB channels within a tolerance.
::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected, int tolerance = 1);

}  // namespace testenv
