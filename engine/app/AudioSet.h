#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/StringMap.h"

namespace audio {

class Audio;

// One file of a sound-bank entry.
struct SoundBankFile {
  std::string file;
  uint32_t sampleId = 0;  // 0 when the file failed to load (it stays in the list)
  float factor = 1.0f;    // volume factor in [0.1, 1.0]
};

// A sound by name: one of its files is picked each time it plays.
struct SoundBankEntry {
  std::string name;
  std::vector<SoundBankFile> files;
};

// The game's sound bank: sound names mapped (without regard to case) to their files,
// which are loaded as samples of the audio manager that owns the bank.
class AudioSet : public StringMap<SoundBankEntry> {
 public:
  static constexpr float kMinFactor = 0.1f;
  static constexpr float kMaxFactor = 1.0f;

  explicit AudioSet(Audio& audio) : audio_(audio) {}
  ~AudioSet() override = default;  // the map deletes every entry

  // Reads the "SoundBank" table of a Lua script into the set and loads every file it
  // names. A script that cannot be run leaves the set empty (with a log line).
  void Load(const std::string& fileName);

  // Plays one file of the named sound, picked with the C library's generator, at its
  // factor. Returns the channel (0 when the effect volume is 0 or no channel is free), or
  // -1 when the name is not in the bank, the entry has no files, or the picked file is
  // not loaded.
  int Play(const std::string& name);

 private:
  Audio& audio_;
};

}  // namespace audio
