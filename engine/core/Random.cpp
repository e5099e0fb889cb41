#include "engine/core/Random.h"

#include <atomic>
#include <ctime>

namespace num {

namespace {

constexpr int kM = 397;
constexpr uint32_t kMatrixA = 0x9908B0DFu;

uint32_t HighBit(uint32_t u) { return u & 0x80000000u; }
uint32_t LowBit(uint32_t u) { return u & 0x00000001u; }
uint32_t LowBits(uint32_t u) { return u & 0x7FFFFFFFu; }
uint32_t MixBits(uint32_t u, uint32_t v) { return HighBit(u) | LowBits(v); }
uint32_t Twist(uint32_t m, uint32_t s0, uint32_t s1) {
  return m ^ (MixBits(s0, s1) >> 1) ^ (LowBit(s1) ? kMatrixA : 0u);
}

uint32_t Temper(uint32_t y) {
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  return y ^ (y >> 18);
}

std::atomic<uint32_t> g_cRandState{1};

}  // namespace

Random& Random::Instance() {
  static Random instance = [] {
    Random random;
    random.Seed(static_cast<uint32_t>(std::time(nullptr)));
    return random;
  }();
  return instance;
}

void Random::Seed(uint32_t seed) {
  uint32_t x = seed | 1u;
  state_[0] = x;
  for (int i = 1; i < kN; ++i) {
    x *= 69069u;
    state_[i] = x;
  }
  left_ = 0;
}

uint32_t Random::Regenerate() {
  if (left_ < -1) Seed(4357u);  // never seeded
  left_ = kN - 1;
  next_ = 1;

  int i = 0;
  for (; i < kN - kM; ++i) state_[i] = Twist(state_[i + kM], state_[i], state_[i + 1]);
  for (; i < kN - 1; ++i) state_[i] = Twist(state_[i + kM - kN], state_[i], state_[i + 1]);
  state_[kN - 1] = Twist(state_[kM - 1], state_[kN - 1], state_[0]);
  return Temper(state_[0]);
}

uint32_t Random::Next() {
  if (--left_ < 0) return Regenerate();
  return Temper(state_[next_++]);
}

float Random::NextFloat() { return static_cast<float>(Next()) * 2.3283064e-10f; }

float Random::RangeF(float a, float b) {
  if (a == b) return a;
  float lo = a < b ? a : b;
  float hi = a < b ? b : a;
  float v = lo + NextFloat() * (hi - lo);
  if (v < lo) return lo;
  return v > hi ? hi : v;
}

math::Vec2 Random::RangeVec(const math::Vec2& a, const math::Vec2& b) {
  float y = RangeF(a.y, b.y);
  float x = RangeF(a.x, b.x);
  return {x, y};
}

void ProbSet::Init(uint32_t count) {
  weights_.assign(count, 0.0f);
  // A fresh set of zero weights sums to zero; a total kept from the old weights would make
  // Pick draw past every new weight.
  total_ = 0.0f;
}

void ProbSet::SetWeight(uint32_t index, float weight) {
  if (index < weights_.size()) weights_[index] = weight;
  total_ = 0.0f;
  for (float w : weights_) total_ += w;
}

float ProbSet::GetWeight(uint32_t index) const {
  return index < weights_.size() ? weights_[index] : 0.0f;
}

uint32_t ProbSet::Pick() const {
  if (weights_.empty()) return 0;
  float r = Random::Instance().RangeF(0.0f, total_);
  for (uint32_t i = 0; i < weights_.size(); ++i) {
    r -= weights_[i];
    if (r <= 0.0f) return i;
  }
  return static_cast<uint32_t>(weights_.size() - 1);
}

int CRand() {
  uint32_t state = g_cRandState.load(std::memory_order_relaxed) * 214013u + 2531011u;
  g_cRandState.store(state, std::memory_order_relaxed);
  return static_cast<int>((state >> 16) & 0x7FFFu);
}

void CSRand(uint32_t seed) { g_cRandState.store(seed, std::memory_order_relaxed); }

}  // namespace num
