#pragma once

// Sound fixtures made in code: the tests encode and write every file they load.

#include <cstdint>
#include <string>
#include <vector>

namespace testsounds {

// amplitude x sin, interleaved over channels (the same value on each).
std::vector<float> Sine(double hz, double seconds, int rate, int channels, float amplitude);

// Ogg Vorbis through libvorbisenc; interleaved samples in -1..1.
std::string EncodeOgg(const std::vector<float>& samples, int channels, int rate);

// An MPEG audio layer II stream (read by the same MPEG decoder as MP3) through libavcodec.
std::string EncodeMp2(const std::vector<int16_t>& mono, int rate);
// An MP3 stream through libavcodec; empty when the build has no MP3 encoder.
std::string EncodeMp3(const std::vector<int16_t>& mono, int rate);

// A 16-bit PCM WAV file.
std::string MakeWav16(const std::vector<int16_t>& samples, int channels, int rate);

// A four-channel ProTracker "M.K." module with one looping square-wave instrument. Each
// pattern strikes the note at row 0 of channel 0 with the given volume (0..64, effect
// C); orders lists the pattern of each order position.
std::string MakeMod(const std::vector<int>& patternVolumes, const std::vector<int>& orders);

}  // namespace testsounds
