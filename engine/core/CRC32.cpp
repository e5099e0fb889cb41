#include "engine/core/CRC32.h"

#include <cstring>

namespace num {

namespace {
uint32_t Reflect(uint32_t value, int bits) {
  uint32_t result = 0;
  for (int i = 0; i < bits; ++i) {
    if (value & (1u << i)) result |= 1u << (bits - 1 - i);
  }
  return result;
}

unsigned char UpperC(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }
}  // namespace

CRC32& CRC32::Instance() {
  static CRC32 instance;
  return instance;
}

CRC32::CRC32() {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t t = Reflect(i, 8) << 24;
    for (int bit = 0; bit < 8; ++bit) t = (t << 1) ^ ((t & 0x80000000u) ? 0x04C11DB7u : 0u);
    table_[i] = Reflect(t, 32);
  }
}

uint32_t CRC32::Calc(const char* name, bool upperCase) const {
  return Calc(std::string_view(name ? name : ""), upperCase);
}

uint32_t CRC32::Calc(std::string_view name, bool upperCase) const {
  // Upper-casing happens byte by byte while hashing: no copy, so no length limit.
  uint32_t crc = 0xFFFFFFFFu;
  for (char ch : name) {
    unsigned char b = static_cast<unsigned char>(ch);
    if (upperCase) b = UpperC(b);
    crc = (crc >> 8) ^ table_[(crc ^ b) & 0xFF];
  }
  return crc;
}

}  // namespace num
