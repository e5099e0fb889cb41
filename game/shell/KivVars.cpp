#include "game/shell/KivVars.h"

#include <algorithm>
#include <bit>
#include <ctime>
#include <iterator>
#include <limits>
#include <string_view>

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/StringUtil.h"

namespace {

constexpr const char* kConstantNames[KivVars::kConstantCount] = {
    "max_zen", "zen_per_token", "particles_per_zen", "fashion_cost",
    "tileblast_count", "time_token", "hint_interval", "unknown"};

constexpr int32_t kLargest = std::numeric_limits<int32_t>::max();

int32_t Saturate(int64_t value) { return static_cast<int32_t>(std::min<int64_t>(value, kLargest)); }

// The slot whose word holds the name as a part of it (the words themselves included).
int32_t SlotContaining(const std::string& name) {
  if (std::string_view("head").find(name) != std::string_view::npos) return 1;
  if (std::string_view("upper").find(name) != std::string_view::npos) return 2;
  if (std::string_view("lower").find(name) != std::string_view::npos) return 3;
  return 2;
}

bool ValidProfileIndex(const GameRMS& store, int32_t index) {
  return store.IsLoaded() && index >= 0 && index < store.GetProfileC();
}

}  // namespace

KivVars& KivVars::Instance() {
  static KivVars instance;
  return instance;
}

KivVars* GetVars() { return &KivVars::Instance(); }

KivVars::KivVars() { LoadConstants(); }

// --- Constants and developer data ---

void KivVars::LoadConstants() {
  std::fill(std::begin(constants_), std::end(constants_), 0);
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, kConstantsFile)) {
    LOG_LINE(MSG_ERROR) << "Unable to load constants from file " << kConstantsFile << "!";
    LuaState::Destroy(state);
    return;
  }
  const LuaObject rows = script::GetGlobal(state, kConstantsTable);
  if (rows.IsTable()) {
    const int count = rows.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      const LuaObject row = rows.GetByIndex(i);
      if (!row.IsTable()) continue;
      const std::string name = script::GetString(row, "Name", "");
      constants_[ConstantIndex(name)] = script::GetInt(row, "Value", 0);
    }
  }
  LuaState::Destroy(state);
}

int32_t KivVars::ConstantIndex(const std::string& name) {
  const std::string lower = ToLowerCase(name);
  for (int32_t i = 0; i < kConstantCount; ++i) {
    if (lower == kConstantNames[i]) return i;
  }
  return kUnknownConstant;
}

std::string KivVars::ConstantName(int32_t index) {
  if (index < 0 || index >= kConstantCount) return kConstantNames[kUnknownConstant];
  return kConstantNames[index];
}

int32_t KivVars::GetConstantByIndex(int32_t index) const {
  return index >= 0 && index < kConstantCount ? constants_[index] : 0;
}

bool KivVars::LoadDevData() {
  if (!cheatMode_) return false;
  LuaState* state = script::CreateLuaState();
  bool enabled = false;
  if (script::LoadScript(state, kDevFile)) {
    enabled = script::GetBool(script::GetGlobal(state, kDevTable), "EnableEditor", false);
  }
  LuaState::Destroy(state);
  return enabled;
}

// --- The profile's values ---

GameRMS* KivVars::Store() const { return store ? store : GetRMS(); }

GameRMS::ProfileRecord* KivVars::Profile() const {
  GameRMS* rms = Store();
  return rms ? rms->GetCurrentProfileRecord() : nullptr;
}

int64_t KivVars::Now() const { return clock ? clock() : static_cast<int64_t>(std::time(nullptr)); }

int32_t KivVars::LevelCount() const {
  const int32_t count = levelCount ? levelCount() : 0;
  return std::clamp(count, 0, GameRMS::kLevelCount);
}

int32_t KivVars::GetValue(int32_t index) const {
  const GameRMS::ProfileRecord* profile = Profile();
  if (!profile || index < 0 || index >= GameRMS::kGameValueCount) return 0;
  return profile->values[index];
}

void KivVars::SetValue(int32_t index, int32_t value) {
  GameRMS::ProfileRecord* profile = Profile();
  if (!profile || index < 0 || index >= GameRMS::kGameValueCount) return;
  profile->values[index] = value;
}

void KivVars::AddCoins(int32_t coins) {
  // Summed wide and kept at the largest 32-bit value, so a large gift never wraps the
  // purse round to nothing.
  const int64_t sum = int64_t(GetCoins()) + coins;
  SetCoins(sum <= 0 ? 0 : Saturate(sum));
}

void KivVars::UpdateTotalScore() {
  GameRMS::ProfileRecord* profile = Profile();
  const int32_t stored = GetValue(kTotalScore);
  const int64_t now = Now();
  int64_t sum = 0;
  if (profile) {
    for (const GameRMS::LevelRecord& level : profile->levels) {
      if (level.state > 1) sum += level.score;
    }
  }
  // Kept at the largest 32-bit value rather than wrapping to a negative total.
  const int32_t total = Saturate(sum);
  if (total > stored) SetValue(kTotalScore, total);
  SetValue(kTotalScoreTime, static_cast<int32_t>(now));
}

int32_t KivVars::GetProfileScore(int32_t profileIndex, int32_t timeFrame) const {
  // Read by index: making each profile current in turn would log a profile switch for
  // every row and, for an index the store refuses, leave the last one read current.
  const GameRMS* rms = Store();
  if (!rms || !ValidProfileIndex(*rms, profileIndex)) return 0;
  const GameRMS::ProfileRecord& profile = rms->GetRecord().profiles[profileIndex];
  const int32_t total = profile.values[kTotalScore];
  const int64_t elapsed = Now() - profile.values[kTotalScoreTime];
  switch (timeFrame) {
    case 1:
      return elapsed < kSecondsPerWeek ? total : 0;
    case 2:
      return elapsed < kSecondsPerDay ? total : 0;
    default:
      return total;
  }
}

// --- Clothes ---

int32_t KivVars::PieceSlotFromName(const std::string& name) { return SlotContaining(name); }

std::string KivVars::PieceTypeName(const std::string& name) {
  switch (SlotContaining(name)) {
    case 1:
      return "hair";
    case 3:
      return "skirt";
    default:
      return "dress";
  }
}

bool KivVars::HasPiece(int32_t ownedIndex, int32_t piece) const {
  if (piece < 1 || piece > kPieceCount) return false;
  return (static_cast<uint32_t>(GetValue(ownedIndex)) >> (piece - 1)) & 1u;
}

void KivVars::AddPiece(int32_t ownedIndex, int32_t piece) {
  if (piece < 1 || piece > kPieceCount) return;
  const uint32_t owned = static_cast<uint32_t>(GetValue(ownedIndex)) | (1u << (piece - 1));
  SetValue(ownedIndex, static_cast<int32_t>(owned));
}

int32_t KivVars::PieceCount(int32_t ownedIndex) const {
  return std::popcount(static_cast<uint32_t>(GetValue(ownedIndex)));
}

int32_t KivVars::GetItemCount() const {
  return PieceCount(kHeadOwned) + PieceCount(kUpperOwned) + PieceCount(kLowerOwned);
}

void KivVars::ResetHanaVars(bool all) {
  for (int32_t worn : {kHeadWorn, kUpperWorn, kLowerWorn}) SetValue(worn, 1);
  if (!all) return;
  for (int32_t owned : {kHeadOwned, kUpperOwned, kLowerOwned}) SetValue(owned, 1);
}

void KivVars::GetAllFashion() {
  for (int32_t owned : {kHeadOwned, kUpperOwned, kLowerOwned}) SetValue(owned, -1);
}

// --- Trophies ---

int32_t KivVars::TrophyState(int32_t trophy) const {
  const GameRMS::ProfileRecord* profile = Profile();
  if (!profile || trophy < 1 || trophy > kTrophyCount) return 0;
  return profile->trophies[trophy - 1];
}

bool KivVars::AddTrophy(int32_t trophy) {
  // True only when the trophy was stored: the board announces a trophy on true, so a
  // trophy that cannot be kept (no profile, a number out of range) must not be announced.
  GameRMS::ProfileRecord* profile = Profile();
  if (!profile || trophy < 1 || trophy > kTrophyCount) return false;
  if (profile->trophies[trophy - 1] > 0) return false;
  profile->trophies[trophy - 1] = 1;
  return true;
}

void KivVars::SetTrophyDisplayed(int32_t trophy) {
  GameRMS::ProfileRecord* profile = Profile();
  if (!profile || trophy < 1 || trophy > kTrophyCount) return;
  profile->trophies[trophy - 1] = 2;
}

void KivVars::ResetTrophies() {
  if (GameRMS::ProfileRecord* profile = Profile()) std::fill(std::begin(profile->trophies), std::end(profile->trophies), 0);
}

// --- Help, levels ---

void KivVars::ResetHints() {
  for (int32_t h = 0; h < kHintCount; ++h) SetValue(kFirstHintShown + h, 0);
}

bool KivVars::CheckWinFreeplay() const { return CheckWinFreeplayWith(-1); }

bool KivVars::CheckWinFreeplayWith(int32_t wonSlot) const {
  const GameRMS::ProfileRecord* profile = Profile();
  if (!profile) return false;
  const int32_t count = LevelCount();
  for (int32_t i = 0; i < count; ++i) {
    if (i != wonSlot && profile->levels[i].state != kLevelZenCleared) return false;
  }
  return true;
}

int32_t KivVars::CountLevelsAtLeast(uint32_t state) const {
  const GameRMS::ProfileRecord* profile = Profile();
  if (!profile) return 0;
  const int32_t count = LevelCount();
  int32_t matching = 0;
  for (int32_t i = 0; i < count; ++i) matching += profile->levels[i].state >= state;
  return matching;
}

void KivVars::Shutdown() {
  userId_ = 0;
  cheatMode_ = false;
  freePlay_ = false;
  store = nullptr;
}
