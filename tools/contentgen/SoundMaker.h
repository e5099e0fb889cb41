#pragma once

#include <string>
#include <vector>

// The game's sounds, synthesised: short effects encoded as Ogg Vorbis, and the menu
// music as a four-channel ProTracker ("M.K.") module written byte by byte.
namespace contentgen {

constexpr int kSampleRate = 44100;

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

// Encodes mono samples as Ogg Vorbis; empty on failure.
std::string EncodeOgg(const Samples& samples);

// A looping tune of two patterns for the menu: a melody, a bass line and a soft
// off-beat, on three synthesised instruments.
std::string MakeMenuModule();

}  // namespace contentgen
