#pragma once

// Particle systems on a recording renderer that gives every image name an 80 x 60
// picture, with both random generators seeded, and helpers to write .p2d files.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/core/Random.h"
#include "engine/part2d/Part2D.h"
#include "tests/ui/SpriteTestSupport.h"

namespace p2dtest {

class Part2DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    num::Random::Instance().Seed(1234);
    num::CSRand(1);
  }

  // Writes a file of the working folder.
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // A group of the system with an image, a pool of count and a fixed lifespan.
  part2d::PartGroup* MakeGroup(int32_t count, float life = 1.0f) {
    part2d::PartGroup* group = system_.CreateGroup();
    group->SetImage("dot.png");
    group->SetMaxC(count);
    group->SetLifespan(math::Vec2(life, life));
    return group;
  }

  spritetest::SpriteRenderer renderer_;
  part2d::Part2D system_;
};

}  // namespace p2dtest
