#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/app/GameRMS.h"

// The game's store of player state. What a player earns lives in the current profile of
// the profile store (game values, level records, trophy slots) and is saved with it;
// KivVars gives those values their meaning. The tuning constants of
// "scripts/constants.lua", the cheat and free-play switches and the online user id live
// only in memory. Scripts reach the object as the class "KivVars" through "GetVars".
//
// Game values by index:
//   0 coins; 1-3 head, upper-body and lower-body pieces owned (bit k-1 for piece k,
//   1 to 32); 4-6 the piece worn on each; 7 total score; 8 its time stamp (seconds since
//   1970); 9 story chapter; 11 flash help off; 12 play time in whole seconds; 13 hints
//   off; 14 flowers cleared; 15 zen meters filled; 100-123 hint h already shown.
// Level states: 0 closed, 1 open, 2 cleared, 3 cleared in zen mode. Trophy t (1 to 1000)
// in slot t-1: 0 not won, 1 won, 2 won and shown in the trophy room.
//
// Without a valid profile every read gives 0 (false for the tests) and every write is
// ignored; out-of-range indices are read as 0 and never written.
class KivVars {
 public:
  static constexpr const char* kConstantsFile = "scripts/constants.lua";
  static constexpr const char* kConstantsTable = "KIV_CONSTANTS";
  static constexpr const char* kDevFile = "dev.lua";
  static constexpr const char* kDevTable = "DEV_DATA";
  static constexpr int32_t kConstantCount = 8;
  static constexpr int32_t kUnknownConstant = 7;

  static constexpr int32_t kCoins = 0;
  static constexpr int32_t kHeadOwned = 1;
  static constexpr int32_t kUpperOwned = 2;
  static constexpr int32_t kLowerOwned = 3;
  static constexpr int32_t kHeadWorn = 4;
  static constexpr int32_t kUpperWorn = 5;
  static constexpr int32_t kLowerWorn = 6;
  static constexpr int32_t kTotalScore = 7;
  static constexpr int32_t kTotalScoreTime = 8;
  static constexpr int32_t kStoryChapter = 9;
  static constexpr int32_t kFlashHelpOff = 11;
  static constexpr int32_t kPlayTime = 12;
  static constexpr int32_t kHintsOff = 13;
  static constexpr int32_t kFlowersCleared = 14;
  static constexpr int32_t kZenMetersFilled = 15;
  static constexpr int32_t kFirstHintShown = 100;
  static constexpr int32_t kHintCount = 24;

  static constexpr int32_t kPieceCount = 32;
  static constexpr int32_t kTrophyCount = GameRMS::kTrophyCount;
  static constexpr int64_t kSecondsPerWeek = 604800;
  static constexpr int64_t kSecondsPerDay = 86400;

  // Level states.
  static constexpr uint32_t kLevelOpen = 1;
  static constexpr uint32_t kLevelCleared = 2;
  static constexpr uint32_t kLevelZenCleared = 3;

  // The process-wide object; built (and its constants loaded) on first use.
  static KivVars& Instance();

  // Loads the constants.
  KivVars();
  virtual ~KivVars() = default;
  KivVars(const KivVars&) = delete;
  KivVars& operator=(const KivVars&) = delete;

  // Reads kConstantsFile in a throw-away Lua state: the rows {Name, Value} of the table
  // KIV_CONSTANTS, each stored under ConstantIndex(Name); a later row of the same name
  // wins. A file that is missing or does not run logs one error and leaves every
  // constant 0.
  void LoadConstants();
  static int32_t ConstantIndex(const std::string& name);  // ignores case; 7 for others
  static std::string ConstantName(int32_t index);          // "unknown" outside 0..6
  int32_t GetConstantByIndex(int32_t index) const;

  // Whether the level editor may open: only in cheat mode, and then only when dev.lua
  // runs and sets DEV_DATA.EnableEditor.
  bool LoadDevData();

  int32_t GetValue(int32_t index) const;
  void SetValue(int32_t index, int32_t value);

  // Total score := the sum of the cleared levels' scores when that is higher (it never
  // goes down); its stamp := now in every case.
  void UpdateTotalScore();
  // A profile's total score, read by index without changing the current profile: 0 for
  // an invalid index; time frame 1 counts it only within a week of its stamp, 2 within a
  // day, any other always.
  int32_t GetProfileScore(int32_t profile, int32_t timeFrame) const;

  // 1, 2 or 3 when the name is a part of the word "head", "upper" or "lower" (tried in
  // that order), else 2; PieceTypeName gives "hair", "dress", "skirt" the same way.
  static int32_t PieceSlotFromName(const std::string& name);
  static std::string PieceTypeName(const std::string& name);

  // --- The script class, in its registration order ---
  int32_t GetCoins() const { return GetValue(kCoins); }
  void SetCoins(int32_t coins) { SetValue(kCoins, coins); }
  void AddCoins(int32_t coins);
  bool HasHeadPiece(int32_t piece) const { return HasPiece(kHeadOwned, piece); }
  void AddHeadPiece(int32_t piece) { AddPiece(kHeadOwned, piece); }
  int32_t GetCurrentHead() const { return GetValue(kHeadWorn); }
  void SetCurrentHead(int32_t piece) { SetValue(kHeadWorn, piece); }
  int32_t GetHeadPieceC() const { return PieceCount(kHeadOwned); }
  bool HasUpperPiece(int32_t piece) const { return HasPiece(kUpperOwned, piece); }
  void AddUpperPiece(int32_t piece) { AddPiece(kUpperOwned, piece); }
  int32_t GetCurrentUpper() const { return GetValue(kUpperWorn); }
  void SetCurrentUpper(int32_t piece) { SetValue(kUpperWorn, piece); }
  int32_t GetUpperPieceC() const { return PieceCount(kUpperOwned); }
  bool HasLowerPiece(int32_t piece) const { return HasPiece(kLowerOwned, piece); }
  void AddLowerPiece(int32_t piece) { AddPiece(kLowerOwned, piece); }
  int32_t GetCurrentLower() const { return GetValue(kLowerWorn); }
  void SetCurrentLower(int32_t piece) { SetValue(kLowerWorn, piece); }
  int32_t GetLowerPieceC() const { return PieceCount(kLowerOwned); }
  int32_t GetItemCount() const;
  void ResetHanaVars(bool all);
  void ResetTrophies();
  void GetAllFashion();
  bool GetCheatMode() const { return cheatMode_; }
  void SetCheatMode(bool on) { cheatMode_ = on; }
  int32_t GetConstant(const std::string& name) const { return constants_[ConstantIndex(name)]; }
  void SetFreeplay(bool on) { freePlay_ = on; }
  bool GetFreeplay() const { return freePlay_; }
  bool CheckWinFreeplay() const;
  // The same, with the level in slot wonSlot counted as won in free play (-1: none): a
  // level just won is marked in its slot only when its summary starts.
  bool CheckWinFreeplayWith(int32_t wonSlot) const;
  bool AddTrophy(int32_t trophy);
  bool HasTrophy(int32_t trophy) const { return TrophyState(trophy) > 0; }
  bool IsTrophyDisplayed(int32_t trophy) const { return TrophyState(trophy) > 1; }
  void SetTrophyDisplayed(int32_t trophy);
  int32_t GetCurrentStory() const { return GetValue(kStoryChapter); }
  void SetCurrentStory(int32_t chapter) { SetValue(kStoryChapter, chapter); }
  void SetFlashHelp(bool on) { SetValue(kFlashHelpOff, on ? 0 : 1); }
  bool IsFlashHelpEnabled() const { return GetValue(kFlashHelpOff) == 0; }
  void SetHintEnabled(bool on) { SetValue(kHintsOff, on ? 0 : 1); }
  bool IsHintEnabled() const { return GetValue(kHintsOff) == 0; }
  void ResetHints();
  int32_t GetLevelOpenC() const { return CountLevelsAtLeast(kLevelOpen); }
  int32_t GetLevelCompleteC() const { return CountLevelsAtLeast(kLevelCleared); }
  int32_t GetLevelZenCompleteC() const { return CountLevelsAtLeast(kLevelZenCleared); }
  int32_t GetUserID() const { return userId_; }
  void SetUserID(int32_t id) { userId_ = id; }

  // Forgets what lives only in memory (user id, switches); the ordered shutdown calls it.
  void Shutdown();

  // --- Seams ---
  // The profile store read and written; null means the application's (GetRMS).
  GameRMS* store = nullptr;
  // Seconds since 1970; the wall clock unless a test sets another.
  std::function<int64_t()> clock;
  // The number of levels of the level table, which bounds the loops over level records;
  // reports no level until the level table connects it.
  std::function<int32_t()> levelCount;

 private:
  GameRMS* Store() const;
  GameRMS::ProfileRecord* Profile() const;
  int64_t Now() const;
  int32_t LevelCount() const;  // levelCount's answer within 0..2000
  bool HasPiece(int32_t ownedIndex, int32_t piece) const;
  void AddPiece(int32_t ownedIndex, int32_t piece);
  int32_t PieceCount(int32_t ownedIndex) const;
  int32_t TrophyState(int32_t trophy) const;  // 0 without a profile or out of range
  int32_t CountLevelsAtLeast(uint32_t state) const;

  int32_t constants_[kConstantCount] = {};
  int32_t userId_ = 0;
  bool cheatMode_ = false;
  bool freePlay_ = false;
};

// The global function "GetVars" of the scripts.
KivVars* GetVars();
