#include "game/board/KivScore.h"

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"

KivScore& KivScore::Instance() {
  static KivScore score;
  return score;
}

void KivScore::LoadFrom(const std::string& path) {
  LuaState* state = script::CreateLuaState();
  if (!state || !script::LoadScript(state, path)) {
    ::LogLineWriter(MSG_ERROR, kLogSource, __LINE__) << "Unable to score data from file " << path << "!";
    if (state) LuaState::Destroy(state);
    return;
  }
  const LuaObject rows = script::GetGlobal(state, kTable);
  if (rows.IsTable()) {
    const int count = rows.GetTableCount();
    for (int i = 1; i <= count && i <= kRows; ++i) {
      const LuaObject row = rows.GetByIndex(i);
      if (row.IsTable()) values_[static_cast<size_t>(i - 1)] = script::GetInt(row, "Score", 0);
    }
  }
  LuaState::Destroy(state);
}

int32_t KivScore::GetValue(int32_t row) const {
  return row >= 0 && row < kRows ? values_[static_cast<size_t>(row)] : 0;
}

void KivScore::SetValue(int32_t row, int32_t value) {
  if (row >= 0 && row < kRows) values_[static_cast<size_t>(row)] = value;
}
