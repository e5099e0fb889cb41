#include "game/shell/KivTrophyData.h"

#include <algorithm>
#include <cstdint>

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/StringUtil.h"
#include "game/shell/KivVars.h"

namespace {

constexpr const char* kKindNames[] = {
    "token_set",   "token_level", "flower_game",          "flower_set_row", "time_remaining",
    "fashion",     "level_open",  "zen_full",             "special_winadventure",
    "special_winzen", "special_alltrophies", "none"};

// Counters grow by whatever the board reports; they stop at the ends of the range rather
// than wrap.
int32_t AddClamped(int32_t count, int32_t more) {
  const int64_t sum = static_cast<int64_t>(count) + more;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

}  // namespace

KivTrophyData& KivTrophyData::Instance() {
  static KivTrophyData instance;
  return instance;
}

KivTrophyData* GetTrophyData() { return &KivTrophyData::Instance(); }

int32_t KivTrophyData::KindFromName(const std::string& condition) {
  const std::string lower = ToLowerCase(condition);
  for (int32_t kind = 0; kind < static_cast<int32_t>(std::size(kKindNames)); ++kind) {
    if (lower == kKindNames[kind]) return kind;
  }
  return kUnknown;
}

bool KivTrophyData::Load(const std::string& path) {
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, path)) {
    LOG_LINE(MSG_ERROR) << "Unable to load Trophy data from file " << path << "!";
    LuaState::Destroy(state);
    return false;
  }
  const LuaObject rows = script::GetGlobal(state, kTrophyTable);
  if (rows.IsTable()) {
    records_.clear();
    const int count = rows.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      const LuaObject row = rows.GetByIndex(i);
      if (!row.IsTable()) continue;
      Record record;
      record.index = script::GetInt(row, "Index", 0);
      record.name = script::GetString(row, "Name", "");
      record.condition = script::GetString(row, "Condition", "");
      record.value1 = script::GetInt(row, "Value1", 0);
      record.value2 = script::GetInt(row, "Value2", 0);
      record.descriptionText = script::GetString(row, "Description_Text", "");
      record.conditionText = script::GetString(row, "Condition_Text", "");
      record.kind = KindFromName(record.condition);
      // A trophy that no profile slot can hold would never count as owned: the check would
      // earn it again on every move and stop there, hiding every record after it.
      if (record.index < kFirstIndex || record.index > kLastIndex) {
        LOG_LINE(MSG_WARNING) << "Trophy '" << record.name << "' in " << path << " has Index "
                              << record.index << " outside " << kFirstIndex << " to " << kLastIndex
                              << "; it is left out";
        continue;
      }
      records_.push_back(std::move(record));
    }
  }
  LuaState::Destroy(state);
  return true;
}

const KivTrophyData::Record* KivTrophyData::FindByCondition(int32_t kind, const Record* after) const {
  size_t start = 0;
  if (after) {
    while (start < records_.size() && &records_[start] != after) ++start;
    ++start;  // past `after`; past the end when it is not one of ours
  }
  for (size_t i = start; i < records_.size(); ++i) {
    if (records_[i].kind == kind) return &records_[i];
  }
  return nullptr;
}

const KivTrophyData::Record* KivTrophyData::FindByIndex(int32_t index) const {
  for (const Record& record : records_) {
    if (record.index == index) return &record;
  }
  return nullptr;
}

// --- The check ---

bool KivTrophyData::StreakStep(int32_t count, const Record& record, int32_t& streak) {
  if (count == 0) return false;  // nothing happened: the streak neither grows nor breaks
  if (count < record.value2) {
    streak = 0;
    return false;
  }
  ++streak;
  if (streak < record.value1) return false;
  streak = 0;
  return true;
}

bool KivTrophyData::Earned(const Record& record) {
  switch (record.kind) {
    case kTokenSet: return tokenSetCount >= record.value1;
    case kTokenLevel: return tokenLevelCount >= record.value1;
    case kFlowerGame: return flowerGameCount >= record.value1;
    case kFlowerSetRow: return StreakStep(flowerSetRowCount, record, flowerStreak);
    case kTimeRemaining: return StreakStep(timeLeft, record, timeStreak);
    case kLevelOpen: return levelOpenCount != 0 && levelOpenCount >= record.value1;
    case kZenFull: return zenFullCount != 0 && zenFullCount >= record.value1;
    default: return false;
  }
}

int32_t KivTrophyData::CheckConditions() {
  const KivVars& vars = KivVars::Instance();
  int32_t earned = 0;
  bool anyTested = false;
  int32_t lastKind = 0;
  for (const Record& record : records_) {
    if (vars.HasTrophy(record.index)) continue;
    // Among consecutive records of one kind only the first not yet owned is tested, so
    // tiers listed in ascending order are earned one at a time.
    if (anyTested && record.kind == lastKind) continue;
    anyTested = true;
    lastKind = record.kind;
    if (Earned(record)) {
      earned = record.index;
      break;
    }
  }
  // They hold one move's values.
  tokenSetCount = 0;
  flowerSetRowCount = 0;
  return earned;
}

int32_t KivTrophyData::CheckTimeRemaining(int32_t percent) {
  timeLeft = percent;
  tokenSetCount = 0;
  flowerSetRowCount = 0;
  return CheckConditions();
}

int32_t KivTrophyData::CheckLevelsOpen() {
  levelOpenCount = KivVars::Instance().GetLevelOpenC();
  return CheckConditions();
}

int32_t KivTrophyData::OnNewFashion(int32_t owned, int32_t total) const {
  // No catalogue means no share: taken as 0 rather than dividing by zero.
  const int64_t share = total > 0 ? static_cast<int64_t>(owned) * 100 / total : 0;
  const KivVars& vars = KivVars::Instance();
  for (const Record& record : records_) {
    if (record.kind != kFashion || vars.HasTrophy(record.index)) continue;
    if (record.value1 <= share) return record.index;
  }
  return 0;
}

// --- Feeds ---

int32_t KivTrophyData::OnMoveResolved(int32_t tokens, int32_t flowers) {
  tokenSetCount = tokens;
  tokenLevelCount = AddClamped(tokenLevelCount, tokens);
  if (flowers > 0) {
    flowerSetRowCount = flowers;
    flowerGameCount = AddClamped(flowerGameCount, flowers);
    KivVars::Instance().SetValue(KivVars::kFlowersCleared, flowerGameCount);
  }
  timeLeft = 0;
  return CheckConditions();
}

int32_t KivTrophyData::OnZenMeterFilled() {
  zenFullCount = AddClamped(zenFullCount, 1);
  KivVars::Instance().SetValue(KivVars::kZenMetersFilled, zenFullCount);
  return CheckConditions();
}

// --- Script operations ---

void KivTrophyData::ProfileChanged() {
  tokenSetCount = tokenLevelCount = flowerSetRowCount = flowerGameCount = 0;
  flowerStreak = timeLeft = timeStreak = zenFullCount = levelOpenCount = 0;
  OnNewGame();
}

int32_t KivTrophyData::OnNewLevel() {
  tokenSetCount = tokenLevelCount = flowerSetRowCount = 0;
  flowerStreak = timeLeft = 0;
  return 0;
}

void KivTrophyData::OnNewGame() {
  tokenSetCount = tokenLevelCount = flowerSetRowCount = 0;
  flowerStreak = timeLeft = timeStreak = 0;
  const KivVars& vars = KivVars::Instance();
  flowerGameCount = vars.GetValue(KivVars::kFlowersCleared);
  zenFullCount = vars.GetValue(KivVars::kZenMetersFilled);
  levelOpenCount = 0;
}

void KivTrophyData::Shutdown() { records_.clear(); }
