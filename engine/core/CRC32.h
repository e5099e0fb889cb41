#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace num {

// CRC-32 of names, the key of every StringMap and of the archive directory. The result
// has no final inversion: it is the bitwise complement of the standard CRC-32.
class CRC32 {
 public:
  static CRC32& Instance();

  // With upperCase the name is hashed as if upper-cased in the C locale (any length).
  uint32_t Calc(const char* name, bool upperCase) const;
  uint32_t CalcString(const std::string& name, bool upperCase) const {
    return Calc(std::string_view(name), upperCase);
  }
  uint32_t Calc(std::string_view name, bool upperCase) const;

 private:
  CRC32();
  uint32_t table_[256];
};

}  // namespace num
