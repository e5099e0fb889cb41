#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/swfwriter/SwfWriter.h"

namespace helpmovies {

// The stage of both help movies: 400 x 120 pixels, the help popup's movie places.
constexpr int kStageWidth = 400;
constexpr int kStageHeight = 120;
// The solid colour band along each movie's left edge (pixels 0..23 across, every row):
// a place where the screen shows the movie's own colour.
constexpr int kBandWidth = 24;
inline constexpr swfw::Color kChainBand{214, 64, 128, 255};
inline constexpr swfw::Color kSpellsBand{64, 96, 214, 255};

// The help movies by file name ("help/chain.swf", "help/spells.swf"), their text in a
// font whose outlines come from the TrueType file. Empty, with error set, when the font
// cannot be read.
std::vector<std::pair<std::string, swfw::Bytes>> MakeHelpMovies(const std::string& fontFile, std::string& error);

// The chain movie with a dozen flower sprites in rows, for the frame benchmark.
swfw::Bytes MakeBenchMovie(const std::string& fontFile, std::string& error);

}  // namespace helpmovies
