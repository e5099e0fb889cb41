#pragma once

#include <cstdint>

namespace num {

// 32-bit words of the binary files (archives, language files) are little-endian. They are
// read and written byte by byte, so that neither the host's byte order nor the alignment
// of the word in its buffer matters.
inline uint32_t GetU32LE(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

inline void PutU32LE(uint8_t* bytes, uint32_t value) {
  bytes[0] = static_cast<uint8_t>(value);
  bytes[1] = static_cast<uint8_t>(value >> 8);
  bytes[2] = static_cast<uint8_t>(value >> 16);
  bytes[3] = static_cast<uint8_t>(value >> 24);
}

}  // namespace num
