#pragma once

#include <array>
#include <cstdint>
#include <string>

// One row of the level table: the level's layout, goals, generator, the weights of the
// flower colours and block kinds it deals, its border and its music. The level table
// fills it; the board reads it when a level is loaded.
struct LevelData {
  static constexpr int32_t kColourWeights = 24;
  static constexpr int32_t kKindWeights = 21;

  int32_t index = 0;
  std::string levelName;
  std::string country;
  std::string city;
  std::string layout;
  int32_t bg = 0;
  std::array<std::string, 3> goals;
  std::string failure;
  std::array<int32_t, kColourWeights> colourWeights{};
  std::array<int32_t, kKindWeights> kindWeights{};
  std::string genMode;
  float genSpeed = 0.0f;
  std::string border = "wall";
  std::string music = "main";
};
