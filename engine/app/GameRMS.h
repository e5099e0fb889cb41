#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The player's settings and up to seven player profiles, kept in memory as the record
// below and saved whole, as one little-endian binary record of kRecordSize bytes, in the
// profile file "kx_<save name>.rms" in the save folder. Scripts reach it as the Lua class
// "GameRMS" through the global "GetRMS" (wrap_GameRMS.cpp).
//
// In memory the record is an ordinary structure; the file layout is written and read
// field by field at its offsets (EncodeRecord / DecodeRecord), so the in-memory layout
// and the host's alignment never reach the file.
//
// File layout (offsets in bytes; fields follow each other without alignment):
//   0 u32 magic "tlfd"       4 u32 version 48       8 4 bytes reserved
//   12 u8 fullscreen wanted  13 u8 reserved          14 f32 sound-effect volume
//   18 f32 music volume      22 char[250] language   272 u32 profile count (0..7)
//   276 i32 current profile  280 7 profiles of kProfileSize bytes
// A profile:
//   0 char[250] name         250 char[250] info      500 char[250] location
//   750 2000 x {u32 state, u32 score, u32 rank}       24750 3000 x i32 game values
//   36750 1000 x i32 trophy values                    40750 u8 cheating
class GameRMS {
 public:
  static constexpr uint32_t kMagic = 0x64666C74u;  // the bytes "tlfd"
  static constexpr uint32_t kVersion = 48;
  static constexpr int32_t kMaxProfiles = 7;
  static constexpr int32_t kLevelCount = 2000;
  static constexpr int32_t kGameValueCount = 3000;
  static constexpr int32_t kTrophyCount = 1000;
  static constexpr size_t kTextSize = 250;  // bytes of a text field in the file
  static constexpr uint32_t kResetRank = 10000;
  static constexpr size_t kProfileSize = 40751;
  static constexpr size_t kRecordSize = 285537;

  // File offsets of the record's fields.
  static constexpr size_t kMagicOffset = 0;
  static constexpr size_t kVersionOffset = 4;
  static constexpr size_t kReservedOffset = 8;
  static constexpr size_t kFullscreenOffset = 12;
  static constexpr size_t kReserved2Offset = 13;
  static constexpr size_t kSoundVolumeOffset = 14;
  static constexpr size_t kMusicVolumeOffset = 18;
  static constexpr size_t kLanguageOffset = 22;
  static constexpr size_t kProfileCountOffset = 272;
  static constexpr size_t kCurrentProfileOffset = 276;
  static constexpr size_t kProfilesOffset = 280;
  // File offsets within a profile.
  static constexpr size_t kNameOffset = 0;
  static constexpr size_t kInfoOffset = 250;
  static constexpr size_t kLocationOffset = 500;
  static constexpr size_t kLevelsOffset = 750;
  static constexpr size_t kLevelRecordSize = 12;
  static constexpr size_t kGameValuesOffset = 24750;
  static constexpr size_t kTrophiesOffset = 36750;
  static constexpr size_t kCheatingOffset = 40750;

  struct LevelRecord {
    uint32_t state = 0;  // 0 closed, 1 open, above 1 cleared
    uint32_t score = 0;
    uint32_t rank = 0;
  };

  // One profile. Text fields hold up to kTextSize bytes; the extra byte keeps a text of
  // the full field width terminated in memory (the file has no room for its terminator).
  struct ProfileRecord {
    char name[kTextSize + 1] = {};
    char info[kTextSize + 1] = {};  // the second text given to AddProfile; nothing reads it
    char location[kTextSize + 1] = {};
    LevelRecord levels[kLevelCount] = {};
    int32_t values[kGameValueCount] = {};  // the game's own variables
    int32_t trophies[kTrophyCount] = {};
    bool cheating = false;
  };

  struct Record {
    uint32_t magic = 0;
    uint32_t version = 0;
    uint8_t reserved[4] = {};
    bool fullscreen = false;
    uint8_t reserved2 = 0;
    float soundVolume = 0.0f;
    float musicVolume = 0.0f;
    char language[kTextSize + 1] = {};
    uint32_t profileCount = 0;
    int32_t currentProfile = 0;  // valid when 0 <= index < profileCount
    ProfileRecord profiles[kMaxProfiles] = {};
  };

  // The file is the save folder followed by the application's profile-file-name hook
  // (empty when there is no application: then nothing can be saved).
  GameRMS();
  // The file at an explicit path (tools and tests).
  explicit GameRMS(std::string path);
  virtual ~GameRMS() = default;
  GameRMS(const GameRMS&) = delete;
  GameRMS& operator=(const GameRMS&) = delete;

  // Reads the file. A missing file gives a fresh record that is written at once. A file
  // of another magic or version ("Unable to load RMS.. invalid version# or Magic#"), a
  // short file, or one that cannot be read, is first kept beside it as path + ".bak",
  // then replaced by a fresh record. The store counts as loaded afterwards in every case.
  void Load();
  // Writes the record (and SaveExtra's data) to a temporary file that then replaces the
  // profile file, so a failed save never leaves a cut-off file behind. False, with a log
  // line, when nothing could be saved (also before Load: the record is not the player's).
  bool Save();
  // A fresh record: no profiles, both volumes 100, no language, full screen wanted, every
  // level's rank 10000; then ResetExtra. The loaded flag stays as it is.
  void Reset();

  // Adds a profile and makes it current. False, changing nothing, when seven profiles
  // exist ("Unable to add a profile.. delete one first!") or a text is longer than 250
  // bytes. A name equal to the application's cheat name, ignoring case, marks the profile
  // as cheating.
  bool AddProfile(const std::string& name, const std::string& info, const std::string& location);
  void SetProfile(int32_t index);
  // Removes a profile; those behind it move down one place. The current index follows
  // its profile, and deleting the current profile makes the one before it current (-1,
  // no profile, when it was profile 0).
  void DeleteProfile(int32_t index);

  // The current profile's record, or null when the store is not loaded or the current
  // index is not valid. The game reads and writes its values and trophies here.
  ProfileRecord* GetCurrentProfileRecord();
  const ProfileRecord* GetCurrentProfileRecord() const;

  bool IsUseFullscreenEnabled() const { return record_.fullscreen; }
  void SetUseFullscreenEnabled(bool enabled) { record_.fullscreen = enabled; }
  float GetSoundVolume() const { return record_.soundVolume; }
  float GetMusicVolume() const { return record_.musicVolume; }
  void SetSoundVolume(float volume) { record_.soundVolume = volume; }  // stored only
  void SetMusicVolume(float volume) { record_.musicVolume = volume; }  // stored only

  // Level queries: without a current profile or for a level outside 0..1999 the getters
  // give 0 (false) and the setters do nothing; GetRank gives 100 for such a level.
  int32_t IsOpen(int32_t level) const;
  bool IsCleared(int32_t level) const;
  void SetOpen(int32_t level, int32_t state);
  int32_t GetRank(int32_t level) const;
  int32_t GetScore(int32_t level) const;
  void SetRank(int32_t level, int32_t rank);
  void SetScore(int32_t level, int32_t score);
  bool IsCheating() const;
  // -1 without a current profile or for an index outside 0..999.
  int32_t GetTrophyValue(int32_t index) const;
  void SetTrophyValue(int32_t index, int32_t value);

  int32_t GetProfileC() const { return static_cast<int32_t>(record_.profileCount); }
  int32_t GetCurrentProfile() const { return record_.currentProfile; }
  int32_t GetMaxProfileC() const { return kMaxProfiles; }
  bool ProfileValid() const;

  // "" without a current profile (or for an index outside the profiles in use).
  std::string GetName() const;
  std::string GetNameFromID(int32_t index) const;
  // "english" without a current profile; "" for an index outside the profiles in use.
  std::string GetLocation() const;
  std::string GetLocationFromID(int32_t index) const;
  // The language name is cut to its first 249 bytes.
  void SetLanguage(const std::string& language);
  std::string GetLanguage() const;
  std::string GetLanguageFromID(int32_t index) const;  // the index is not used

  bool IsLoaded() const { return loaded_; }
  // Goes up each time the current profile may have become another one (loaded, reset,
  // added, chosen, or the current one deleted), so that holders of a profile's values can
  // tell when to read them again.
  uint32_t GetProfileChanges() const { return profileChanges_; }
  const std::string& GetPath() const { return path_; }
  const Record& GetRecord() const { return record_; }

  // The file image of a record: exactly kRecordSize bytes, field by field.
  static std::vector<uint8_t> EncodeRecord(const Record& record);
  // Reads a file image into record. False, leaving record untouched, when fewer than
  // kRecordSize bytes are given. What comes from the file is made safe to use: the
  // profile count is clamped to 0..7, a current index outside the profiles becomes -1
  // (no profile), texts end at their field, a volume that is not a finite number becomes
  // 100, and flags are 0 or 1.
  static bool DecodeRecord(const uint8_t* data, size_t size, Record& record);

 protected:
  // Extension points for a game that stores more data behind the record.
  virtual void AddProfileExtra(int32_t index) {}
  virtual void LoadExtra(std::FILE* file) {}  // positioned right behind the record
  virtual void SaveExtra(std::FILE* file) {}  // after the record was written
  virtual void ResetExtra() {}
  virtual uint32_t GetMagic() const { return kMagic; }
  virtual uint32_t GetVersion() const { return kVersion; }

  Record& MutableRecord() { return record_; }

 private:
  // Moves the file aside (path + ".bak") so that the fresh record does not destroy it.
  void KeepBackup(const char* reason);
  void ReplaceWithFreshRecord();
  const LevelRecord* Level(int32_t level) const;
  LevelRecord* Level(int32_t level);

  Record record_;
  std::string path_;
  bool loaded_ = false;
  uint32_t profileChanges_ = 0;
};

// The application's profile store, or null when there is no application object (or it
// has not created its store yet).
GameRMS* GetRMS();

class LuaState;
// Registers the Lua class "GameRMS" and the global function "GetRMS" (nil without a
// store). False, with a log line, when luabind refused.
bool RegisterGameRMS(LuaState* state);
