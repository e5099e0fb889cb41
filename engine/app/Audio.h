#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/StringMap.h"

class LuaState;

namespace audio {

class AudioSet;

// One sound file loaded into a sample; it stays loaded until the process ends.
struct SampleEntry {
  uint32_t handle = 0;  // the sample handle
  uint32_t id = 0;      // the map key of the name, which LoadSound hands out as the sample id
  std::string name;     // the path exactly as passed to LoadSound
};

// A named starting point inside music, read from the segment table.
struct AudioSegment {
  std::string Name;
  std::string File;
  int Order = 0;
  int Row = 0;
  float Bias = 1.0f;  // the music volume factor of the segment
};

// The process-wide owner of all sound: it starts the audio library, keeps the samples it
// loaded under their names (the map it derives from, keyed without regard to case), plays
// sound effects at the sound-effect volume, plays one music channel at the music volume
// (sampled music, or a tracker module), jumps within a module to named segments, and owns
// the game's sound bank.
//
// Sample ids and channels are plain 32-bit values; 0 means "none". Volumes are on the
// audio library's 0 to 100 scale. Main thread only.
class Audio : public StringMap<SampleEntry> {
 public:
  static constexpr int kDefaultVolume = 70;
  // Sampled music does not start at a music volume of this or below.
  static constexpr int kMusicVolumeFloor = 5;
  // How many playbacks of one sample may sound at once.
  static constexpr uint32_t kMaxPlaybacks = 10;
  static constexpr const char* kSegmentFile = "sounds/segments.lua";

  // The process-wide audio manager, built on first use (see GetAudio).
  static Audio& Instance();

  // Sets the fields only; the audio library is started by Init.
  Audio();
  // Deletes the sound bank, the segments and the sample entries; makes no audio call (the
  // application has freed the audio library by then).
  ~Audio() override;

  // Starts the audio library, then loads the sound bank from soundBankFile and the
  // segments from kSegmentFile. When the library does not start, logs a warning and
  // loads neither.
  void Init(const std::string& soundBankFile);

  // Loads a sound file through the file system into a sample (looping when loop is set)
  // and returns its id; a name loaded before (in any letter case) returns its id again,
  // with the loop flag of the first load. 0 when the file cannot be read or decoded.
  uint32_t LoadSound(const std::string& fileName, bool loop);

  // Plays a loaded sample once as a sound effect at the effect volume x 0.6 x factor.
  // Returns the channel; 0 when the effect volume is 0, the id is not loaded, or no
  // channel is free.
  uint32_t PlaySample(uint32_t sampleId, float factor);
  // Plays a loaded sample as the music: keeps factor as the music volume factor, then,
  // unless the music volume is at the floor (which leaves the playing music alone),
  // stops and frees the current music and starts the sample on the music channel.
  // Returns the new music channel, 0 when nothing plays.
  uint32_t PlaySampleAsMusic(uint32_t sampleId, float factor);
  // Plays music by file name: "ogg", "mp3" and "wav" files as sampled music, any other
  // extension as a tracker module. The music that plays under that name (in any letter
  // case) goes on and its channel is returned; an empty name changes nothing and returns
  // 0. Returns the music channel, 0 when nothing plays.
  uint32_t PlayMusic(const std::string& name, float factor, bool loop);

  // Plays a sound of the sound bank by name: the bank's result (the channel, 0, or -1 for
  // an unknown or unplayable sound); 0 when there is no sound bank.
  int PlaySound(const std::string& name);

  void StopSound(uint32_t channel);
  // Stops and frees the music; the music channel becomes 0.
  void StopAll();
  // There is no CD audio: does what StopAll does.
  void PlayCD(int track);

  // Volumes are clamped to 0..100. The effect volume applies to the next effects; the
  // music volume applies at once to the music channel (it does not start music).
  void SetSFXVolume(int volume);
  void SetMusicVolume(int volume);
  int GetSFXVolume() const { return sfxVolume_; }
  int GetMusicVolume() const { return musicVolume_; }

  // Adds the segments of a segment table ("AudioSegments"); a name already present keeps
  // its first segment.
  void LoadSegments(const std::string& fileName);
  // Starts the segment's music at the segment's order and row; a segment of the module
  // that already plays only moves its position. Does nothing for an unknown name or for
  // the segment that plays now.
  void PlaySegment(const std::string& name);

  // --- State the game and the engine read ---
  // The sound bank; null before a successful Init.
  AudioSet* GetSoundBank() const { return soundBank_.get(); }
  // The channel (or module) of the current music; 0 when none.
  uint32_t GetMusicChannel() const { return musicChannel_; }
  // The factor that multiplies the music volume for the music channel.
  float GetMusicFactor() const { return musicFactor_; }
  // The file name last requested through PlayMusic.
  const std::string& GetMusicName() const { return musicName_; }
  const StringMap<AudioSegment>& GetSegments() const { return segments_; }
  // The name of the segment last started by PlaySegment.
  const std::string& GetCurrentSegment() const { return currentSegment_; }

 private:
  // Stops and frees the music channel (freeing releases a module; a sample channel is only
  // stopped) and forgets it.
  void ReleaseMusic();
  // A volume computed in single precision (as the volumes and factors are kept, so that
  // 70 x 0.6 x 0.5 gives exactly 21), truncated toward zero and kept within 0..100.
  static int ChannelVolume(float volume);

  uint32_t musicChannel_ = 0;
  std::unique_ptr<AudioSet> soundBank_;
  int sfxVolume_ = kDefaultVolume;
  int musicVolume_ = kDefaultVolume;
  std::string musicName_;
  const float sfxScale_ = 0.6f;  // applies to every sound effect; nothing changes it
  float musicFactor_ = 1.0f;
  StringMap<AudioSegment> segments_;
  std::string currentSegment_;
};

// The process-wide audio manager (Audio::Instance).
Audio& GetAudio();

// True when the channel or module plays now; false for 0.
bool IsChannelActive(uint32_t handle);

// Registers the Lua class "Audio" and the global function "GetAudio" (the process-wide
// manager) in the state. False, with a log line, when luabind refuses them.
bool RegisterAudio(LuaState* state);

}  // namespace audio
