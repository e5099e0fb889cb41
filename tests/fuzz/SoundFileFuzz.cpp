// Feeds arbitrary bytes to the mixer as the game's sound files, with no output device:
// as a sample (Ogg Vorbis, MPEG audio or WAV, told apart by content), which then plays on
// a channel, and as a tracker module, which plays looping from an order and row; a few
// hundred frames of each are mixed on this thread. Nothing may crash, leak or hang.

#include <cstdint>
#include <cstddef>
#include <vector>

#include "platform/bass/Bass.h"
#include "platform/bass/Mixer.h"

namespace {

constexpr int kFrames = 512;

void Mix() {
  std::vector<int16_t> out(kFrames * 2);
  bass::DefaultMixer().Render(out.data(), kFrames);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = [] {
    bass::DefaultMixer().HoldDevice(true);
    return BASS_Init(0, 44100, 0, nullptr, nullptr);
  }();
  if (!started || size > UINT32_MAX) return 0;
  const uint32_t length = static_cast<uint32_t>(size);

  if (HSAMPLE sample = BASS_SampleLoad(true, data, 0, length, 2, 0)) {
    if (HCHANNEL channel = BASS_SampleGetChannel(sample, false)) {
      BASS_ChannelPlay(channel, true);
      Mix();
      BASS_ChannelSetPosition(channel, 1000);
      Mix();
    }
    BASS_SampleFree(sample);
  }
  if (HMUSIC music = BASS_MusicLoad(true, data, 0, length, BASS_MUSIC_LOOP | BASS_MUSIC_RAMP, 0)) {
    BASS_ChannelPlay(music, true);
    Mix();
    BASS_ChannelSetPosition(music, BassMusicPosition(1, 4));
    Mix();
    BASS_MusicFree(music);
  }
  return 0;
}
