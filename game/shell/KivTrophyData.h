#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The table of trophies and the running counters they are earned from. The board and the
// level state feed the counters (tokens and flowers of each move, zen meters filled, the
// time left at a won level, the levels open) and ask for a check; a check earns at most one
// trophy and returns its Index (0 for none). The caller adds it to the profile
// (KivVars::AddTrophy) and shows it (the trophy popup). Scripts reach the object as the
// class "KivTrophyData" through "GetTrophyData".
//
// The file "scripts/trophies.lua" defines the global table KIV_TROPHIES, an array of rows
// {Index, Name, Condition, Value1, Value2, Description_Text, Condition_Text}.
class KivTrophyData {
 public:
  static constexpr const char* kTrophyFile = "scripts/trophies.lua";
  static constexpr const char* kTrophyTable = "KIV_TROPHIES";
  // Trophy Indexes a profile can hold (one slot each).
  static constexpr int32_t kFirstIndex = 1;
  static constexpr int32_t kLastIndex = 1000;

  // Condition kinds, from the Condition name (case ignored).
  enum Kind : int32_t {
    kTokenSet = 0,             // "token_set": tokens of the last move >= Value1
    kTokenLevel = 1,           // "token_level": tokens this level >= Value1
    kFlowerGame = 2,           // "flower_game": flowers over the whole game >= Value1
    kFlowerSetRow = 3,         // "flower_set_row": Value1 moves in a row of >= Value2 flowers
    kTimeRemaining = 4,        // "time_remaining": Value1 won levels in a row with >= Value2 % left
    kFashion = 5,              // "fashion": share of clothes owned >= Value1 % (OnNewFashion)
    kLevelOpen = 6,            // "level_open": open levels >= Value1
    kZenFull = 7,              // "zen_full": zen meters filled >= Value1
    kSpecialWinAdventure = 8,  // "special_winadventure": the story's end
    kSpecialWinZen = 9,        // "special_winzen": the free-play goal
    kSpecialAllTrophies = 10,  // "special_alltrophies": every other trophy owned
    kNone = 11,                // "none"
    kUnknown = 12,             // any other name; never earned
  };

  struct Record {
    std::string name;
    std::string descriptionText;
    std::string conditionText;
    std::string condition;
    int32_t index = 0;
    int32_t value1 = 0;
    int32_t value2 = 0;
    int32_t kind = kUnknown;
  };

  // The process-wide object, built on first use with no records.
  static KivTrophyData& Instance();

  KivTrophyData() = default;
  virtual ~KivTrophyData() = default;
  KivTrophyData(const KivTrophyData&) = delete;
  KivTrophyData& operator=(const KivTrophyData&) = delete;

  // Reads the trophy file in a throw-away Lua state. A file that is missing or does not run
  // logs "Unable to load Trophy data from file <path>!" and keeps the records there were;
  // otherwise, when KIV_TROPHIES is a table, its rows replace the records.
  bool Load(const std::string& path);

  static int32_t KindFromName(const std::string& condition);

  // The first record of the kind after `after` (from the first when null); null for none.
  const Record* FindByCondition(int32_t kind, const Record* after = nullptr) const;
  // The first record with that Index, or null.
  const Record* FindByIndex(int32_t index) const;
  const std::vector<Record>& Records() const { return records_; }

  // The check: the Index of the trophy earned now, or 0. It never writes the profile.
  int32_t CheckConditions();
  // A won level with `percent` of its time limit left; the move counts are cleared first.
  int32_t CheckTimeRemaining(int32_t percent);
  // The number of levels open or cleared in the current profile, then the check.
  int32_t CheckLevelsOpen();
  // The Index of the first fashion trophy not owned whose Value1 is at most the share of
  // clothes owned in percent, else 0; it neither adds nor shows it.
  int32_t OnNewFashion(int32_t owned, int32_t total) const;

  // --- Feeds of the board ---
  // A resolved move outside free play: the counts of its tokens and flowers (the flowers'
  // running total is stored as game variable 14), then the check.
  int32_t OnMoveResolved(int32_t tokens, int32_t flowers);
  // A zen meter filled: the count rises and is stored as game variable 15, then the check.
  int32_t OnZenMeterFilled();

  // --- The script class ---
  void ProfileChanged();
  int32_t OnNewLevel();
  int32_t OnNewCity() { return OnNewLevel(); }
  void OnNewGame();
  int32_t GetAllTrophyC() const { return static_cast<int32_t>(records_.size()); }

  // Forgets the records; the ordered shutdown calls it.
  void Shutdown();

  // --- Counters (read by tests and the board) ---
  int32_t tokenSetCount = 0;      // tokens of the last move
  int32_t tokenLevelCount = 0;    // tokens in this level
  int32_t flowerSetRowCount = 0;  // flowers of the last move
  int32_t flowerGameCount = 0;    // flowers over the game (game variable 14)
  int32_t flowerStreak = 0;
  int32_t timeLeft = 0;           // percent of the time limit left at a won level
  int32_t timeStreak = 0;
  int32_t zenFullCount = 0;       // zen meters filled (game variable 15)
  int32_t levelOpenCount = 0;

 private:
  bool Earned(const Record& record);
  static bool StreakStep(int32_t count, const Record& record, int32_t& streak);

  std::vector<Record> records_;
};

// The global function "GetTrophyData" of the scripts.
KivTrophyData* GetTrophyData();
