#include "engine/core/Random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<uint32_t> Draw(num::Random& random, int count) {
  std::vector<uint32_t> values;
  for (int i = 0; i < count; ++i) values.push_back(random.Next());
  return values;
}

// Outputs of the 1998 reference implementation (sgenrand(4357), genrand), computed
// independently of this code; indices 623 to 625 straddle the first regeneration.
TEST(RandomTest, Seed4357MatchesTheReferenceGenerator) {
  num::Random random;
  random.Seed(4357);
  std::vector<uint32_t> values = Draw(random, 1000);
  EXPECT_EQ(values[0], 0xD13C8AF5u);
  EXPECT_EQ(values[1], 0xFFC27482u);
  EXPECT_EQ(values[2], 0x82A6958Bu);
  EXPECT_EQ(values[3], 0x21AC240Au);
  EXPECT_EQ(values[4], 0x09110BBAu);
  EXPECT_EQ(values[623], 0x2B9061BDu);
  EXPECT_EQ(values[624], 0x8472D5CFu);
  EXPECT_EQ(values[625], 0xF4D070ABu);
  EXPECT_EQ(values[999], 0x4E087DA7u);

  num::Random unseeded;  // seeds itself with 4357 at its first draw
  EXPECT_EQ(Draw(unseeded, 1000), values);
}

TEST(RandomTest, LowestSeedBitIsForcedOn) {
  num::Random a;
  num::Random b;
  a.Seed(0);
  b.Seed(1);
  EXPECT_EQ(Draw(a, 700), Draw(b, 700));
  a.Seed(5);
  b.Seed(7);
  EXPECT_NE(Draw(a, 10), Draw(b, 10));
}

TEST(RandomTest, FloatsAndRanges) {
  num::Random random;
  num::Random twin;
  random.Seed(99);
  twin.Seed(99);

  EXPECT_EQ(random.NextFloat(), static_cast<float>(twin.Next()) * 2.3283064e-10f);
  EXPECT_EQ(random.RangeF(3.0f, 3.0f), 3.0f);  // no draw
  EXPECT_EQ(random.RangeF(5.0f, 2.0f), twin.RangeF(2.0f, 5.0f));  // order does not matter

  for (int i = 0; i < 2000; ++i) {
    float f = random.NextFloat();
    EXPECT_GE(f, 0.0f);
    EXPECT_LE(f, 1.0f);
    float r = random.RangeF(5.0f, 2.0f);
    EXPECT_GE(r, 2.0f);
    EXPECT_LE(r, 5.0f);
    twin.NextFloat();
    twin.RangeF(2.0f, 5.0f);
  }

  // y is drawn before x.
  math::Vec2 v = random.RangeVec({0.0f, 10.0f}, {1.0f, 20.0f});
  float y = twin.RangeF(10.0f, 20.0f);
  float x = twin.RangeF(0.0f, 1.0f);
  EXPECT_EQ(v.y, y);
  EXPECT_EQ(v.x, x);
}

TEST(ProbSetTest, PicksByWeight) {
  num::Random::Instance().Seed(2024);

  num::ProbSet empty;
  EXPECT_EQ(empty.Pick(), 0u);
  EXPECT_EQ(empty.GetWeight(0), 0.0f);

  num::ProbSet set;
  set.Init(3);
  EXPECT_EQ(set.Pick(), 0u);  // all weights 0
  set.SetWeight(2, 1.0f);
  set.SetWeight(3, 9.0f);  // out of range: ignored
  EXPECT_EQ(set.GetTotal(), 1.0f);
  EXPECT_EQ(set.GetWeight(3), 0.0f);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(set.Pick(), 2u);

  set.Init(2);  // fresh weights: the old total is gone too
  EXPECT_EQ(set.GetTotal(), 0.0f);
  EXPECT_EQ(set.Pick(), 0u);
  set.SetWeight(0, 1.0f);
  set.SetWeight(1, 3.0f);
  int counts[2] = {0, 0};
  for (int i = 0; i < 20000; ++i) counts[set.Pick()]++;
  EXPECT_NEAR(counts[1] / 20000.0, 0.75, 0.02);
}

TEST(CRandTest, FollowsTheCLibraryGenerator) {
  num::CSRand(1);
  const int firstOfSeed1[] = {41, 18467, 6334, 26500, 19169};
  for (int expected : firstOfSeed1) EXPECT_EQ(num::CRand(), expected);

  num::CSRand(12345);
  EXPECT_EQ(num::CRand(), 7584);
  EXPECT_EQ(num::CRand(), 19164);
  EXPECT_EQ(num::CRand(), 25795);

  num::CSRand(0xFFFFFFFFu);
  for (int i = 0; i < 1000; ++i) {
    int value = num::CRand();
    EXPECT_GE(value, 0);
    EXPECT_LE(value, num::kCRandMax);
  }
}

}  // namespace
