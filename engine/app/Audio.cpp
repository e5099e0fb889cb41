#include "engine/app/Audio.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

#include "engine/app/AudioSet.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/VFS.h"
#include "platform/bass/Bass.h"

namespace audio {

namespace {

constexpr int kMinVolume = 0;
constexpr int kMaxVolume = 100;

// The module flags: prescan (so that the length is known) and sensitive volume ramping.
constexpr uint32_t kModuleFlags = BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMPS;

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

bool IsSampledMusic(const std::string& name) {
  const std::string extension = vfs::GetExtension(name);
  return extension == "ogg" || extension == "mp3" || extension == "wav";
}

}  // namespace

Audio& Audio::Instance() {
  static Audio instance;
  return instance;
}

Audio& GetAudio() { return Audio::Instance(); }

bool IsChannelActive(uint32_t handle) {
  return handle != 0 && BASS_ChannelIsActive(handle) == BASS_ACTIVE_PLAYING;
}

Audio::Audio() = default;

Audio::~Audio() {
  soundBank_.reset();
  segments_.Clear();
  Clear();
}

void Audio::Init(const std::string& soundBankFile) {
  if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) {
    LOG_LINE(MSG_WARNING) << "Unable to load BASS sound system!";
    return;
  }
  // A second Init replaces the bank of the first (the unique pointer deletes it).
  MEMORY_OWNER("Audio::Init");
  soundBank_ = std::make_unique<AudioSet>(*this);
  soundBank_->Load(soundBankFile);
  LoadSegments(kSegmentFile);
}

uint32_t Audio::LoadSound(const std::string& fileName, bool loop) {
  if (const SampleEntry* entry = Find(fileName)) return entry->id;

  vfs::File file;
  if (!vfs::VFS::Instance().LoadFile(fileName, file)) return 0;
  const uint32_t handle = BASS_SampleLoad(true, file.data.get(), 0, file.size, kMaxPlaybacks,
                                          loop ? BASS_SAMPLE_LOOP : 0);
  file.Release();
  if (handle == 0) return 0;

  MEMORY_OWNER("Audio::LoadSound");
  SampleEntry* entry = new SampleEntry{handle, KeyOf(fileName), fileName};
  Insert(fileName, entry);
  return entry->id;
}

int Audio::ChannelVolume(float volume) {
  // A factor above 1 (a script's or a segment's) or below 0 would leave the 0..100 scale.
  if (!(volume > 0.0f)) return kMinVolume;  // also a NaN factor
  if (volume >= float(kMaxVolume)) return kMaxVolume;
  return int(volume);
}

uint32_t Audio::PlaySample(uint32_t sampleId, float factor) {
  if (sfxVolume_ <= 0) return 0;
  const SampleEntry* entry = FindKey(sampleId);
  if (!entry || entry->handle == 0) return 0;
  const uint32_t channel = BASS_SampleGetChannel(entry->handle, false);
  if (channel == 0) return 0;
  BASS_ChannelSetAttributes(channel, BASS_KEEP_FREQUENCY,
                            ChannelVolume(float(sfxVolume_) * sfxScale_ * factor), BASS_KEEP_PAN);
  BASS_ChannelPlay(channel, true);
  return channel;
}

void Audio::ReleaseMusic() {
  if (musicChannel_ == 0) return;
  BASS_ChannelStop(musicChannel_);
  BASS_MusicFree(musicChannel_);  // refused harmlessly for a sample channel
  musicChannel_ = 0;
}

uint32_t Audio::PlaySampleAsMusic(uint32_t sampleId, float factor) {
  musicFactor_ = factor;
  // At the floor the music that plays keeps playing: the game's music code tries again
  // each frame and must not cut the music off while it is turned down.
  if (musicVolume_ <= kMusicVolumeFloor) return 0;

  ReleaseMusic();
  musicName_.clear();

  const SampleEntry* entry = FindKey(sampleId);
  if (!entry || entry->handle == 0) return 0;
  const uint32_t channel = BASS_SampleGetChannel(entry->handle, false);
  if (channel == 0) return 0;
  musicChannel_ = channel;
  SetMusicVolume(musicVolume_);
  BASS_ChannelPlay(channel, true);
  return channel;
}

uint32_t Audio::PlayMusic(const std::string& name, float factor, bool loop) {
  if (IsChannelActive(musicChannel_) && EqualsIgnoreCase(name, musicName_)) return musicChannel_;
  if (name.empty()) return 0;

  ReleaseMusic();
  if (IsSampledMusic(name)) {
    // The sample stays loaded for the next time.
    const uint32_t sampleId = LoadSound(name, loop);
    if (sampleId != 0) PlaySampleAsMusic(sampleId, factor);
  } else {
    vfs::File file;
    if (vfs::VFS::Instance().LoadFile(name, file)) {
      const uint32_t module = BASS_MusicLoad(true, file.data.get(), 0, file.size,
                                             kModuleFlags | (loop ? BASS_MUSIC_LOOP : 0), 0);
      file.Release();
      if (module != 0) {
        LOG_LINE(MSG_COMMENT) << "Playing music " << name;
        musicChannel_ = module;
        // The factor applies to a module as it does to sampled music, so that a script's
        // or a segment's volume factor is heard with either kind.
        musicFactor_ = factor;
        SetMusicVolume(musicVolume_);
        BASS_ChannelPlay(module, true);
      }
    }
  }
  // Remembered also when nothing could be played.
  musicName_ = name;
  return musicChannel_;
}

int Audio::PlaySound(const std::string& name) {
  if (!soundBank_) return 0;
  return soundBank_->Play(name);
}

void Audio::StopSound(uint32_t channel) { BASS_ChannelStop(channel); }

void Audio::StopAll() {
  // Freed, not only stopped: the handle is forgotten here, so a stopped module would
  // otherwise stay in memory until the audio library shuts down.
  ReleaseMusic();
}

void Audio::PlayCD(int /*track*/) { StopAll(); }

// Volumes from a profile or a script are kept on the 0..100 scale, so that what the getters
// report is what is heard.
void Audio::SetSFXVolume(int volume) { sfxVolume_ = std::clamp(volume, kMinVolume, kMaxVolume); }

void Audio::SetMusicVolume(int volume) {
  musicVolume_ = std::clamp(volume, kMinVolume, kMaxVolume);
  if (musicChannel_ != 0) {
    BASS_ChannelSetAttributes(musicChannel_, BASS_KEEP_FREQUENCY,
                              ChannelVolume(float(musicVolume_) * musicFactor_), BASS_KEEP_PAN);
  }
}

void Audio::LoadSegments(const std::string& fileName) {
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, fileName)) {
    LOG_LINE(MSG_ERROR) << "Unable to load audio segment file " << fileName << "!";
    LuaState::Destroy(state);
    return;
  }
  const LuaObject table = script::GetGlobal(state, "AudioSegments");
  if (table.IsTable()) {
    const int count = table.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      const LuaObject element = table[i];
      if (!element.IsTable()) continue;
      MEMORY_OWNER("Audio::LoadSegments");
      AudioSegment* segment = new AudioSegment;
      segment->Name = script::GetString(element, "Name", "");
      segment->File = script::GetString(element, "File", "");
      segment->Bias = script::GetFloat(element, "Bias", 1.0f);
      segment->Order = script::GetInt(element, "Order", 0);
      segment->Row = script::GetInt(element, "Row", 0);
      if (!segments_.Insert(segment->Name, segment)) delete segment;
    }
  }
  LuaState::Destroy(state);
}

void Audio::PlaySegment(const std::string& name) {
  const AudioSegment* segment = segments_.Find(name);
  if (!segment) return;
  // The segment that plays now is left alone. Once its music was stopped or replaced, the
  // same name starts it again rather than doing nothing for good.
  if (EqualsIgnoreCase(name, currentSegment_) && IsChannelActive(musicChannel_) &&
      EqualsIgnoreCase(segment->File, musicName_)) {
    return;
  }
  const uint32_t channel = PlayMusic(segment->File, segment->Bias, true);
  if (channel == 0) return;
  BASS_ChannelSetPosition(channel, BassMusicPosition(segment->Order, segment->Row));
  currentSegment_ = name;
}

}  // namespace audio
