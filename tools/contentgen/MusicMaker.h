#pragma once

#include <string>
#include <vector>

#include "tools/contentgen/SoundMaker.h"

// The game's music, composed here as four-channel ProTracker ("M.K.") modules written
// byte by byte: the menu tune that plays as a module, and the themes and stings that the
// game plays as samples, rendered from their modules through libopenmpt.
//
// Every tune has a melody (channel 0) with a quiet echo three rows later (channel 3), a
// bass line (channel 1) and a soft off-beat tick (channel 2), on three synthesised
// instruments. At tempo 125 a row lasts `speed` x 882 samples at 44100 Hz, so a tune's
// length is a whole number of samples.
namespace contentgen {

// A looping tune of two patterns for the menu.
std::string MakeMenuModule();

// One piece of music the game plays as a sample.
struct MusicPiece {
  std::string path;    // "sounds/chinese_theme.ogg"
  std::string module;  // the composed module
  bool loops = false;  // a theme: rendered as one seamless pass of its loop
};

// The five themes ("main", "chinese", "japanese", "southeast", "celebration") and the
// four stings ("popup", "victory", "loss", "trophy").
std::vector<MusicPiece> MusicPieces();

// Renders a module to mono samples at kSampleRate. A looping piece gives exactly one pass
// of its song, taken from the second time round so that the notes still sounding from
// the pass before are in it: played again and again it has no seam. A sting gives its
// song once, ending in a short fade. Empty when libopenmpt refuses the module.
Samples RenderModule(const std::string& module, bool loops);

}  // namespace contentgen
