#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/Math.h"

namespace num {

// The Mersenne Twister (MT19937) behind every random draw of the engine's own code.
// Seeding fills the state with the multiplier 69069 from the seed with its lowest bit
// forced on, so Seed(0) and Seed(1) give the same sequence. A generator that was never
// seeded seeds itself with 4357 at its first draw.
class Random {
 public:
  // The process-wide generator, seeded with the C library's time() when first used.
  static Random& Instance();

  Random() = default;

  void Seed(uint32_t seed);
  uint32_t Next();
  // Next() x 2^-32: a value in [0, 1].
  float NextFloat();
  // A value between a and b in either order (clamped to them); a itself without a draw
  // when the two are equal.
  float RangeF(float a, float b);
  // RangeF of the y values first, then of the x values.
  math::Vec2 RangeVec(const math::Vec2& a, const math::Vec2& b);

 private:
  static constexpr int kN = 624;

  uint32_t Regenerate();

  uint32_t state_[kN + 1] = {};
  int next_ = 0;    // index of the next value to temper
  int left_ = -1;   // values left before the next regeneration; -1 before any seed
};

// Picks an index by weight.
class ProbSet {
 public:
  // count weights, all 0 (the total becomes 0 as well).
  void Init(uint32_t count);
  // Ignored for an index out of range; the total is summed again either way.
  void SetWeight(uint32_t index, float weight);
  // 0 for an index out of range.
  float GetWeight(uint32_t index) const;
  // An index drawn with the process-wide generator, each with a chance of its weight over
  // the total; 0 when there are no weights.
  uint32_t Pick() const;

  uint32_t GetCount() const { return static_cast<uint32_t>(weights_.size()); }
  float GetTotal() const { return total_; }

 private:
  float total_ = 0.0f;
  std::vector<float> weights_;
};

// The C library's generator as the original platform defines it: a linear congruential
// step (x 214013 + 2531011) whose top 15 bits give values 0 to kCRandMax. It starts as if
// seeded with 1. Where the game calls rand and srand it calls these.
inline constexpr int kCRandMax = 32767;
int CRand();
void CSRand(uint32_t seed);

}  // namespace num
