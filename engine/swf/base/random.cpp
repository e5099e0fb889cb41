#include "engine/swf/base/random.h"

namespace swf {

void random_generator::seed_random(uint32_t seed) {
  uint32_t j = seed;
  for (uint32_t& lag : m_lags) {
    j ^= j << 13;
    j ^= j >> 17;
    j ^= j << 5;
    lag = j;
  }
}

uint32_t random_generator::next_random() {
  m_i = (m_i + 1) & 7;
  uint64_t t = 716514398ull * m_lags[m_i] + m_c;
  m_c = static_cast<uint32_t>(t >> 32);
  uint32_t x = static_cast<uint32_t>(t) + m_c;
  if (x < m_c) {
    ++x;
    ++m_c;
  }
  uint32_t r = 0xFFFFFFFEu - x;
  m_lags[m_i] = r;
  return r;
}

random_generator& get_random_generator() {
  static random_generator generator = [] {
    random_generator g;
    g.seed_random(987654321);
    return g;
  }();
  return generator;
}

}  // namespace swf
