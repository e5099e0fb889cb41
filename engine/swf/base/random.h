#pragma once

#include <cstdint>

namespace swf {

// Multiply-with-carry generator with eight lags; the process-wide one is seeded with
// 987654321 at start.
class random_generator {
 public:
  void seed_random(uint32_t seed);
  uint32_t next_random();

 private:
  uint32_t m_lags[8] = {};
  uint32_t m_c = 362436;
  uint32_t m_i = 7;
};

random_generator& get_random_generator();

}  // namespace swf
