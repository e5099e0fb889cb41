#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The game's sounds, synthesised: short effects encoded as Ogg Vorbis (the music is
// MusicMaker's).
namespace contentgen {

constexpr int kSampleRate = 44100;

// A fixed linear congruential generator, so that every build makes the same files.
class Noise {
 public:
  float Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return float(state_ >> 8) / float(1u << 23) - 1.0f;
  }

 private:
  uint32_t state_ = 0x2545F491u;
};

// Mono samples in [-1, 1] at kSampleRate.
using Samples = std::vector<float>;

// A sweep of filtered noise that rises and falls: the swish between screens.
Samples MakeSwish();
// A bright two-tone pluck: a block being picked.
Samples MakeBlockSelect();
// A short, dry click: a button being pressed.
Samples MakeButtonPress();
// A soft high tick: the pointer coming over a button.
Samples MakeRollover();
// A popup opening: three bell notes rising; a popup closing: two notes falling over a
// soft swish.
Samples MakePopupOpen();
Samples MakePopupClose();

// Encodes mono samples as Ogg Vorbis; empty on failure.
std::string EncodeOgg(const Samples& samples);

}  // namespace contentgen
