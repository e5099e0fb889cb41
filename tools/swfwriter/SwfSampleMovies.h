#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/swfwriter/SwfWriter.h"

namespace swfw {

// Small movies that between them use every tag type the player reads, plain and
// compressed: the fuzz seeds, and whole-file cases for the tests.
std::vector<std::pair<std::string, Bytes>> SampleMovies();

}  // namespace swfw
