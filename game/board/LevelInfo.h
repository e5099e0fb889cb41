#pragma once

#include <cstdint>
#include <string>

#include "engine/core/StringMap.h"
#include "game/board/LevelData.h"

class BlockGenerator;
class KivWell;

// One row of the goal table: what a goal counts and how much of it.
struct GoalData {
  std::string name;        // GoalName
  std::string kindName;    // Type
  std::string colourName;  // Color; empty: any colour
  int32_t count = 0;       // Count: the target, or seconds for TIME
  int32_t quality = 0;     // Quality: BIGSET counts chains longer than this
  std::string icon;        // Icon
  std::string info;        // Info: kept, not used
};

// The level and goal tables of "scripts/levels.lua" and "scripts/goals.lua":
//
//   Goals = { { GoalName = "time_90", Type = "TIME", Count = 90 }, ... }
//   Levels = { { Index = 1, LevelName = "garden", Layout = "levels/garden.lua",
//                Goal1 = "tiles", Failure = "time_90", flower_1 = 10, GenMode = "AUTO" }, ... }
//
// Rows are kept by name, case ignored; a row without a name is dropped, and of two rows
// with one name the first is kept. Loaded once for the life of the process.
class LevelInfo {
 public:
  static constexpr const char* kGoalsFile = "scripts/goals.lua";
  static constexpr const char* kLevelsFile = "scripts/levels.lua";
  // The source name of the tables' log lines.
  static constexpr const char* kLogSource = "kiv_leveldata";

  static LevelInfo& Instance();
  // The live instance, or null before the first Instance and after Shutdown.
  static LevelInfo* Existing();
  // Destroys the instance: the level records, then the goal records.
  static void Shutdown();

  LevelInfo();
  ~LevelInfo();
  LevelInfo(const LevelInfo&) = delete;
  LevelInfo& operator=(const LevelInfo&) = delete;

  // Each adds the file's rows to the table; a file that does not run logs one error.
  void LoadGoals(const std::string& path);
  void LoadLevels(const std::string& path);

  LevelData* FindLevel(const std::string& name) const { return levels_.Find(name); }
  GoalData* FindGoal(const std::string& name) const { return goals_.Find(name); }
  size_t LevelCount() const { return levels_.Size(); }
  size_t GoalCount() const { return goals_.Size(); }
  const StringMap<LevelData>* Levels() const { return &levels_; }
  const StringMap<GoalData>* Goals() const { return &goals_; }

  // "AUTO" or "PUZZLE" (case ignored) gives a new generator with its timer at interval;
  // anything else gives null. The caller owns it.
  static BlockGenerator* GetGenMode(const std::string& mode, KivWell* board, float interval);

 private:
  StringMap<LevelData> levels_;
  StringMap<GoalData> goals_;
};
