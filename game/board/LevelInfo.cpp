#include "game/board/LevelInfo.h"

#include <strings.h>

#include <cstdio>
#include <memory>

#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "game/board/KivGoal.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"

namespace {

LevelInfo* s_instance = nullptr;

// The keys of the kind weights, by kind number; positions without a key stay 0.
constexpr const char* kKindWeightKeys[LevelData::kKindWeights] = {
    "token_flower",     "token_collect_double", "token_collect_triple", nullptr,
    "token_zen",        nullptr,                "token_cut_h",          "token_cut_v",
    "token_cut_slash",  "token_cut_backslash",  "token_cut_x",          "token_cut_plus",
    "token_cut_star",   "token_time",           nullptr,                "token_leaf",
    "token_thorns",     "token_stone",          nullptr,                nullptr,
    nullptr};

// Runs the file in a throw-away state and calls visit for every table row of the global
// table; false (and nothing visited) when the file does not run.
template <typename Visit>
bool ReadRows(const std::string& path, const char* table, int maxRows, Visit visit) {
  LuaState* state = script::CreateLuaState();
  if (!state) return false;
  if (!script::LoadScript(state, path)) {
    LuaState::Destroy(state);
    return false;
  }
  const LuaObject rows = script::GetGlobal(state, table);
  if (rows.IsTable()) {
    int count = rows.GetTableCount();
    if (maxRows > 0 && count > maxRows) count = maxRows;
    for (int i = 1; i <= count; ++i) {
      const LuaObject row = rows.GetByIndex(i);
      if (row.IsTable()) visit(row);
    }
  }
  LuaState::Destroy(state);
  return true;
}

}  // namespace

LevelInfo& LevelInfo::Instance() {
  if (!s_instance) {
    MEMORY_OWNER("LevelInfo::Instance");
    s_instance = new LevelInfo();
  }
  return *s_instance;
}

LevelInfo* LevelInfo::Existing() { return s_instance; }

void LevelInfo::Shutdown() {
  delete s_instance;
  s_instance = nullptr;
}

LevelInfo::LevelInfo() = default;

LevelInfo::~LevelInfo() {
  levels_.Clear();
  goals_.Clear();
}

void LevelInfo::LoadGoals(const std::string& path) {
  const bool ran = ReadRows(path, "Goals", 0, [this](const LuaObject& row) {
    MEMORY_OWNER("LevelInfo::LoadGoals");
    auto goal = std::make_unique<GoalData>();
    goal->name = script::GetString(row, "GoalName", "");
    goal->kindName = script::GetString(row, "Type", "");
    goal->colourName = script::GetString(row, "Color", "");
    goal->count = script::GetInt(row, "Count", 0);
    goal->quality = script::GetInt(row, "Quality", 0);
    goal->icon = script::GetString(row, "Icon", "");
    goal->info = script::GetString(row, "Info", "");
    if (goal->name.empty()) return;
    const std::string name = goal->name;
    if (goals_.Insert(name, goal.get())) goal.release();
  });
  if (!ran) {
    ::LogLineWriter(MSG_ERROR, kLogSource, __LINE__)
        << "Unable to load goal data from file " << path << "!";
  }
}

void LevelInfo::LoadLevels(const std::string& path) {
  const bool ran = ReadRows(path, "Levels", 0, [this](const LuaObject& row) {
    MEMORY_OWNER("LevelInfo::LoadLevels");
    auto level = std::make_unique<LevelData>();
    level->index = script::GetInt(row, "Index", 0);
    level->levelName = script::GetString(row, "LevelName", "");
    level->country = script::GetString(row, "country", "");
    level->city = script::GetString(row, "city", "");
    level->layout = script::GetString(row, "Layout", "");
    level->bg = script::GetInt(row, "BG", 0);
    level->goals[0] = script::GetString(row, "Goal1", "");
    level->goals[1] = script::GetString(row, "Goal2", "");
    level->goals[2] = script::GetString(row, "Goal3", "");
    level->failure = script::GetString(row, "Failure", "");
    char key[16];
    for (int i = 1; i <= LevelData::kColourWeights; ++i) {
      std::snprintf(key, sizeof key, "flower_%i", i);
      level->colourWeights[static_cast<size_t>(i - 1)] = script::GetInt(row, key, 0);
    }
    for (size_t k = 0; k < LevelData::kKindWeights; ++k) {
      if (kKindWeightKeys[k]) level->kindWeights[k] = script::GetInt(row, kKindWeightKeys[k], 0);
    }
    level->genMode = script::GetString(row, "GenMode", "");
    level->genSpeed = script::GetFloat(row, "GenSpeed", 0.0f);
    level->border = script::GetString(row, "Border", "wall");
    level->music = script::GetString(row, "Music", "main");
    if (level->levelName.empty()) return;
    const std::string name = level->levelName;
    if (levels_.Insert(name, level.get())) level.release();
  });
  if (!ran) {
    ::LogLineWriter(MSG_ERROR, kLogSource, __LINE__)
        << "Unable to load Level data from file " << path << "!";
  }
}

BlockGenerator* LevelInfo::GetGenMode(const std::string& mode, KivWell* board, float interval) {
  MEMORY_OWNER("LevelInfo::GetGenMode");
  if (strcasecmp(mode.c_str(), "AUTO") == 0) return new AutoBlockGenerator(board, interval);
  if (strcasecmp(mode.c_str(), "PUZZLE") == 0) return new PuzzleBlockGenerator(board, interval);
  return nullptr;
}
