#pragma once

#include <array>
#include <cstdint>
#include <string>

// The score table of "scripts/score.lua": three point values, 0 until loaded.
//
//   KIV_SCORE_DATA = { { Score = 10 }, { Score = 50 }, { Score = 100 } }
//
// Row 1 is the points per chained block, row 2 the time-bonus points per percent of time
// left, row 3 the time-spell points per level in free play.
class KivScore {
 public:
  static constexpr const char* kFile = "scripts/score.lua";
  static constexpr const char* kTable = "KIV_SCORE_DATA";
  // The source named in the table's log lines.
  static constexpr const char* kLogSource = "kiv_score";
  static constexpr int32_t kRows = 3;
  static constexpr int32_t kPointsPerBlock = 0;
  static constexpr int32_t kTimeBonusPerPercent = 1;
  static constexpr int32_t kTimeSpellPerLevel = 2;

  static KivScore& Instance();

  // Reads kFile; a file that does not run logs one error and changes nothing.
  void Load() { LoadFrom(kFile); }
  void LoadFrom(const std::string& path);

  int32_t GetValue(int32_t row) const;
  void SetValue(int32_t row, int32_t value);

 private:
  std::array<int32_t, kRows> values_{};
};
