#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bass {

// Turns a whole sound file in memory into 16-bit interleaved stereo at the mix rate, so
// that the audio thread only ever copies frames. Ogg Vorbis (mono or stereo) goes
// through libvorbisfile, WAV through SDL's reader, MPEG audio layers 1 to 3 through
// libmpg123; rate and channel conversion through SDL_AudioCVT. Runs on the
// caller's thread, at load time.
class SampleDecoder {
 public:
  // Returns BASS_OK with pcm filled, or BASS_ERROR_FILEFORM (no sound this reads, or no
  // sound in it), BASS_ERROR_FORMAT (a layout it does not take, such as Vorbis with more
  // than two channels) or BASS_ERROR_MEM.
  static int Decode(const uint8_t* data, size_t size, int mixRate, std::vector<int16_t>& pcm);
  // The same conversion for 16-bit little-endian PCM of the caller (channels 1 or 2 at
  // rate Hz).
  static int ConvertPcm16(const uint8_t* data, size_t size, int rate, int channels, int mixRate,
                          std::vector<int16_t>& pcm);
};

}  // namespace bass
