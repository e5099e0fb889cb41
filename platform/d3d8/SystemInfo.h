#pragma once

// What the machine tells about itself, for the renderer's system report: processors from
// sysconf and /proc/cpuinfo, memory from /proc/meminfo, the system's name from uname.

#include <cstdint>
#include <string>

namespace d3d8 {

struct MemoryInfo {
  uint64_t totalPhysical = 0;      // MemTotal
  uint64_t availablePhysical = 0;  // MemAvailable
  uint64_t totalPageFile = 0;      // CommitLimit: what may be committed, swap included
  uint64_t availablePageFile = 0;  // CommitLimit - Committed_AS
  uint64_t totalVirtual = 0;       // MemTotal + SwapTotal
  uint64_t availableVirtual = 0;   // MemAvailable + SwapFree
};

struct SystemInfo {
  uint32_t processorCount = 1;  // online processors
  std::string processorType;    // "model name" of /proc/cpuinfo, else the machine name
  std::string osName;           // "Linux 6.1.0-..." (uname system and release)
  MemoryInfo memory;            // bytes
};

SystemInfo QuerySystemInfo();

// Megabytes as the report writes them: rounded up to a multiple of 16 megabytes.
inline uint64_t ReportMegabytes(uint64_t bytes) { return ((bytes + 0xFFFFFF) >> 20) & ~uint64_t{15}; }

}  // namespace d3d8
