#include "engine/app/GameRMS.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <strings.h>
#include <utility>

#include "engine/app/GameApp.h"
#include "engine/core/ByteOrder.h"
#include "engine/core/Log.h"

namespace {

constexpr int32_t kOutsideRank = 100;
constexpr float kResetVolume = 100.0f;
constexpr size_t kLanguageLimit = GameRMS::kTextSize - 1;
constexpr const char* kDefaultLocation = "english";

static_assert(GameRMS::kLevelsOffset + GameRMS::kLevelCount * GameRMS::kLevelRecordSize ==
              GameRMS::kGameValuesOffset);
static_assert(GameRMS::kGameValuesOffset + GameRMS::kGameValueCount * 4 == GameRMS::kTrophiesOffset);
static_assert(GameRMS::kTrophiesOffset + GameRMS::kTrophyCount * 4 == GameRMS::kCheatingOffset);
static_assert(GameRMS::kCheatingOffset + 1 == GameRMS::kProfileSize);
static_assert(GameRMS::kProfilesOffset + GameRMS::kMaxProfiles * GameRMS::kProfileSize ==
              GameRMS::kRecordSize);

// Little-endian field writers and readers on the file image.
using num::GetU32LE;
using num::PutU32LE;

void PutF32(uint8_t* at, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  PutU32LE(at, bits);
}

// The text fills the field from its start; the rest of the field stays zero. A text of
// the full field width has no terminator in the file.
void PutText(uint8_t* at, const char* text) { std::memcpy(at, text, strnlen(text, GameRMS::kTextSize)); }

float GetF32(const uint8_t* at) {
  const uint32_t bits = GetU32LE(at);
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// A text ends at its first zero byte or at the field's end, whichever comes first.
void GetText(const uint8_t* at, char (&text)[GameRMS::kTextSize + 1]) {
  const void* end = std::memchr(at, 0, GameRMS::kTextSize);
  const size_t length = end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - at) : GameRMS::kTextSize;
  std::memset(text, 0, sizeof text);
  std::memcpy(text, at, length);
}

// A volume read from a file must be a number that the audio settings can convert.
float SafeVolume(float volume) { return std::isfinite(volume) ? volume : kResetVolume; }

void CopyText(char (&field)[GameRMS::kTextSize + 1], const std::string& text, size_t limit) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), limit));
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::string ProfileFilePath() {
  GameApp* app = GetApplication();
  return app ? GetSaveFolder() + app->GetProfileFileName() : std::string();
}

std::string CheatName() {
  GameApp* app = GetApplication();
  return app ? app->GetCheatName() : std::string(GameApp::kDefaultCheatName);
}

}  // namespace

GameRMS::GameRMS() : GameRMS(ProfileFilePath()) {}

GameRMS::GameRMS(std::string path) : path_(std::move(path)) {}

// --- The file image ---

std::vector<uint8_t> GameRMS::EncodeRecord(const Record& record) {
  std::vector<uint8_t> bytes(kRecordSize, 0);
  uint8_t* out = bytes.data();
  PutU32LE(out + kMagicOffset, record.magic);
  PutU32LE(out + kVersionOffset, record.version);
  std::memcpy(out + kReservedOffset, record.reserved, sizeof record.reserved);
  out[kFullscreenOffset] = record.fullscreen ? 1 : 0;
  out[kReserved2Offset] = record.reserved2;
  PutF32(out + kSoundVolumeOffset, record.soundVolume);
  PutF32(out + kMusicVolumeOffset, record.musicVolume);
  PutText(out + kLanguageOffset, record.language);
  PutU32LE(out + kProfileCountOffset, record.profileCount);
  PutU32LE(out + kCurrentProfileOffset, static_cast<uint32_t>(record.currentProfile));
  for (int32_t p = 0; p < kMaxProfiles; ++p) {
    const ProfileRecord& profile = record.profiles[p];
    uint8_t* at = out + kProfilesOffset + static_cast<size_t>(p) * kProfileSize;
    PutText(at + kNameOffset, profile.name);
    PutText(at + kInfoOffset, profile.info);
    PutText(at + kLocationOffset, profile.location);
    for (int32_t i = 0; i < kLevelCount; ++i) {
      uint8_t* level = at + kLevelsOffset + static_cast<size_t>(i) * kLevelRecordSize;
      PutU32LE(level, profile.levels[i].state);
      PutU32LE(level + 4, profile.levels[i].score);
      PutU32LE(level + 8, profile.levels[i].rank);
    }
    for (int32_t i = 0; i < kGameValueCount; ++i) {
      PutU32LE(at + kGameValuesOffset + static_cast<size_t>(i) * 4, static_cast<uint32_t>(profile.values[i]));
    }
    for (int32_t i = 0; i < kTrophyCount; ++i) {
      PutU32LE(at + kTrophiesOffset + static_cast<size_t>(i) * 4, static_cast<uint32_t>(profile.trophies[i]));
    }
    at[kCheatingOffset] = profile.cheating ? 1 : 0;
  }
  return bytes;
}

bool GameRMS::DecodeRecord(const uint8_t* data, size_t size, Record& record) {
  if (!data || size < kRecordSize) return false;
  record.magic = GetU32LE(data + kMagicOffset);
  record.version = GetU32LE(data + kVersionOffset);
  std::memcpy(record.reserved, data + kReservedOffset, sizeof record.reserved);
  record.fullscreen = data[kFullscreenOffset] != 0;
  record.reserved2 = data[kReserved2Offset];
  record.soundVolume = SafeVolume(GetF32(data + kSoundVolumeOffset));
  record.musicVolume = SafeVolume(GetF32(data + kMusicVolumeOffset));
  GetText(data + kLanguageOffset, record.language);
  // The count and the current index select profiles: keep both inside the record.
  record.profileCount = std::min<uint32_t>(GetU32LE(data + kProfileCountOffset), kMaxProfiles);
  const int32_t current = static_cast<int32_t>(GetU32LE(data + kCurrentProfileOffset));
  const int32_t count = static_cast<int32_t>(record.profileCount);
  if (count == 0) {
    record.currentProfile = 0;  // a fresh record's value
  } else {
    record.currentProfile = current >= 0 && current < count ? current : -1;
  }
  for (int32_t p = 0; p < kMaxProfiles; ++p) {
    ProfileRecord& profile = record.profiles[p];
    const uint8_t* at = data + kProfilesOffset + static_cast<size_t>(p) * kProfileSize;
    GetText(at + kNameOffset, profile.name);
    GetText(at + kInfoOffset, profile.info);
    GetText(at + kLocationOffset, profile.location);
    for (int32_t i = 0; i < kLevelCount; ++i) {
      const uint8_t* level = at + kLevelsOffset + static_cast<size_t>(i) * kLevelRecordSize;
      profile.levels[i].state = GetU32LE(level);
      profile.levels[i].score = GetU32LE(level + 4);
      profile.levels[i].rank = GetU32LE(level + 8);
    }
    for (int32_t i = 0; i < kGameValueCount; ++i) {
      profile.values[i] = static_cast<int32_t>(GetU32LE(at + kGameValuesOffset + static_cast<size_t>(i) * 4));
    }
    for (int32_t i = 0; i < kTrophyCount; ++i) {
      profile.trophies[i] = static_cast<int32_t>(GetU32LE(at + kTrophiesOffset + static_cast<size_t>(i) * 4));
    }
    profile.cheating = at[kCheatingOffset] != 0;
  }
  return true;
}

// --- Loading and saving ---

void GameRMS::Load() {
  ++profileChanges_;
  std::FILE* file = std::fopen(path_.c_str(), "rb");
  if (!file) {
    if (errno != ENOENT) {
      // The file is there but cannot be read: it may still hold the player's profiles.
      LOG_LINE(MSG_ERROR) << "Unable to read RMS file " << path_;
      KeepBackup("unreadable");
    }
    ReplaceWithFreshRecord();
    return;
  }
  loaded_ = true;
  std::vector<uint8_t> bytes(kRecordSize);
  const size_t got = std::fread(bytes.data(), 1, kRecordSize, file);
  // A whole record is read straight into place: a record of another version is replaced
  // by a fresh one below anyway, and a short file is not decoded at all.
  const bool complete = DecodeRecord(bytes.data(), got, record_);
  if (complete && record_.version == GetVersion() && record_.magic == GetMagic()) {
    LoadExtra(file);
    std::fclose(file);
    return;
  }
  std::fclose(file);
  if (complete || got < 8 || GetU32LE(bytes.data() + kMagicOffset) != GetMagic() ||
      GetU32LE(bytes.data() + kVersionOffset) != GetVersion()) {
    LOG_LINE(MSG_ERROR) << "Unable to load RMS.. invalid version# or Magic#";
  } else {
    // A file that ends inside the record would leave the rest undefined.
    LOG_LINE(MSG_ERROR) << "Unable to load RMS.. the file ends after " << static_cast<unsigned long>(got)
                        << " of " << static_cast<unsigned long>(kRecordSize) << " bytes";
  }
  // A file of another version, a damaged or a cut-off one still holds the player's
  // profiles: it is kept aside rather than overwritten.
  KeepBackup("replaced");
  ReplaceWithFreshRecord();
}

void GameRMS::KeepBackup(const char* reason) {
  const std::string backup = path_ + ".bak";
  if (std::rename(path_.c_str(), backup.c_str()) == 0) {
    LOG_LINE(MSG_WARNING) << "The old profile file is kept as " << backup << " (" << reason << ")";
  } else {
    LOG_LINE(MSG_ERROR) << "Unable to keep the old profile file as " << backup << ": " << std::strerror(errno);
  }
}

void GameRMS::ReplaceWithFreshRecord() {
  Reset();
  loaded_ = true;
  Save();
}

bool GameRMS::Save() {
  if (!loaded_) {
    // Before Load the record is not the player's; writing it would wipe the file.
    LOG_LINE(MSG_WARNING) << "Unable to save RMS file " << path_ << ": not loaded";
    return false;
  }
  if (path_.empty()) {
    LOG_LINE(MSG_ERROR) << "Unable to save RMS file: no file name";
    return false;
  }
  // Written to a temporary file that replaces the old one only once it is complete, so
  // a full disk or a crash mid-write keeps the last good file.
  const std::string temporary = path_ + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    LOG_LINE(MSG_ERROR) << "Unable to save RMS file " << path_ << ": " << std::strerror(errno);
    return false;
  }
  const std::vector<uint8_t> bytes = EncodeRecord(record_);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (ok) SaveExtra(file);
  ok = ok && std::fflush(file) == 0 && !std::ferror(file);
  ok = std::fclose(file) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), path_.c_str()) != 0) ok = false;
  if (!ok) {
    LOG_LINE(MSG_ERROR) << "Unable to save RMS file " << path_ << ": " << std::strerror(errno);
    std::remove(temporary.c_str());
  }
  return ok;
}

void GameRMS::Reset() {
  ++profileChanges_;
  record_ = Record{};
  record_.magic = GetMagic();
  record_.version = GetVersion();
  record_.soundVolume = kResetVolume;
  record_.musicVolume = kResetVolume;
  record_.fullscreen = true;
  for (ProfileRecord& profile : record_.profiles) {
    for (LevelRecord& level : profile.levels) level.rank = kResetRank;
  }
  ResetExtra();
}

// --- Profiles ---

bool GameRMS::AddProfile(const std::string& name, const std::string& info, const std::string& location) {
  if (GetProfileC() >= kMaxProfiles) {
    LOG_LINE(MSG_WARNING) << "Unable to add a profile.. delete one first!";
    return false;
  }
  // Checked before anything changes, so a refused profile keeps the current one.
  if (name.size() > kTextSize || info.size() > kTextSize || location.size() > kTextSize) {
    LOG_LINE(MSG_WARNING) << "Unable to add a profile.. a text is longer than " << static_cast<int>(kTextSize)
                          << " characters";
    return false;
  }
  const int32_t index = GetProfileC();
  record_.currentProfile = index;
  ProfileRecord& profile = record_.profiles[index];
  profile = ProfileRecord{};
  AddProfileExtra(index);
  if (EqualIgnoringCase(name, CheatName())) profile.cheating = true;
  CopyText(profile.name, name, kTextSize);
  CopyText(profile.info, info, kTextSize);
  CopyText(profile.location, location, kTextSize);
  LOG_LINE(MSG_COMMENT) << "Adding profile " << name << " [ " << info << "] to index " << index;
  ++record_.profileCount;
  ++profileChanges_;
  return true;
}

void GameRMS::SetProfile(int32_t index) {
  if (index >= 0 && index < GetProfileC()) {
    record_.currentProfile = index;
    ++profileChanges_;
    LOG_LINE(MSG_COMMENT) << "Setting profile " << index;
  } else {
    LOG_LINE(MSG_WARNING) << "Invalid profile ID " << index;
  }
}

void GameRMS::DeleteProfile(int32_t index) {
  const int32_t count = GetProfileC();
  if (index < 0 || index >= count) {
    LOG_LINE(MSG_WARNING) << "Invalid profile ID " << index;
    return;
  }
  record_.profiles[index] = ProfileRecord{};
  for (int32_t i = index; i + 1 < count; ++i) record_.profiles[i] = record_.profiles[i + 1];
  // The last slot in use moved down; it is left cleared, as a fresh slot.
  if (index + 1 < count) record_.profiles[count - 1] = ProfileRecord{};
  --record_.profileCount;
  LOG_LINE(MSG_COMMENT) << "Deleting profile " << index << ", " << GetProfileC() << " profiles left";
  if (record_.currentProfile == index) ++profileChanges_;
  if (record_.currentProfile >= index) --record_.currentProfile;
}

bool GameRMS::ProfileValid() const {
  return record_.currentProfile >= 0 && record_.currentProfile < GetProfileC();
}

GameRMS::ProfileRecord* GameRMS::GetCurrentProfileRecord() {
  return loaded_ && ProfileValid() ? &record_.profiles[record_.currentProfile] : nullptr;
}

const GameRMS::ProfileRecord* GameRMS::GetCurrentProfileRecord() const {
  return loaded_ && ProfileValid() ? &record_.profiles[record_.currentProfile] : nullptr;
}

// --- Levels and trophies of the current profile ---

const GameRMS::LevelRecord* GameRMS::Level(int32_t level) const {
  const ProfileRecord* profile = GetCurrentProfileRecord();
  if (!profile || level < 0 || level >= kLevelCount) return nullptr;
  return &profile->levels[level];
}

GameRMS::LevelRecord* GameRMS::Level(int32_t level) {
  return const_cast<LevelRecord*>(std::as_const(*this).Level(level));
}

int32_t GameRMS::IsOpen(int32_t level) const {
  const LevelRecord* record = Level(level);
  return record ? static_cast<int32_t>(record->state) : 0;
}

bool GameRMS::IsCleared(int32_t level) const {
  const LevelRecord* record = Level(level);
  return record && record->state > 1;
}

void GameRMS::SetOpen(int32_t level, int32_t state) {
  if (LevelRecord* record = Level(level)) record->state = static_cast<uint32_t>(state);
}

int32_t GameRMS::GetRank(int32_t level) const {
  if (!GetCurrentProfileRecord()) return 0;
  const LevelRecord* record = Level(level);
  return record ? static_cast<int32_t>(record->rank) : kOutsideRank;
}

int32_t GameRMS::GetScore(int32_t level) const {
  const LevelRecord* record = Level(level);
  return record ? static_cast<int32_t>(record->score) : 0;
}

void GameRMS::SetRank(int32_t level, int32_t rank) {
  if (LevelRecord* record = Level(level)) record->rank = static_cast<uint32_t>(rank);
}

void GameRMS::SetScore(int32_t level, int32_t score) {
  if (LevelRecord* record = Level(level)) record->score = static_cast<uint32_t>(score);
}

bool GameRMS::IsCheating() const {
  const ProfileRecord* profile = GetCurrentProfileRecord();
  return profile && profile->cheating;
}

int32_t GameRMS::GetTrophyValue(int32_t index) const {
  const ProfileRecord* profile = GetCurrentProfileRecord();
  if (!profile || index < 0 || index >= kTrophyCount) return -1;
  return profile->trophies[index];
}

void GameRMS::SetTrophyValue(int32_t index, int32_t value) {
  ProfileRecord* profile = GetCurrentProfileRecord();
  if (profile && index >= 0 && index < kTrophyCount) profile->trophies[index] = value;
}

// --- Texts ---

std::string GameRMS::GetName() const {
  const ProfileRecord* profile = GetCurrentProfileRecord();
  return profile ? std::string(profile->name) : std::string();
}

std::string GameRMS::GetNameFromID(int32_t index) const {
  if (index < 0 || index >= GetProfileC()) return std::string();
  return record_.profiles[index].name;
}

std::string GameRMS::GetLocation() const {
  const ProfileRecord* profile = GetCurrentProfileRecord();
  return profile ? std::string(profile->location) : std::string(kDefaultLocation);
}

std::string GameRMS::GetLocationFromID(int32_t index) const {
  if (index < 0 || index >= GetProfileC()) return std::string();
  return record_.profiles[index].location;
}

void GameRMS::SetLanguage(const std::string& language) { CopyText(record_.language, language, kLanguageLimit); }

std::string GameRMS::GetLanguage() const { return record_.language; }

std::string GameRMS::GetLanguageFromID(int32_t) const { return record_.language; }

GameRMS* GetRMS() {
  GameApp* app = GetApplication();
  return app ? app->rms : nullptr;
}
