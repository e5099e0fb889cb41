#pragma once

#include <string>

// The story screen's movie: a short looping animation of our own drawn with the Canvas (a
// flower turning on a dusk sky while petals drift down across it), encoded through FFmpeg
// as Motion JPEG in an AVI file, "movies/story.avi" under the output folder. The movie
// widget reads movies from the disk, so the build places the folder beside the program.
namespace contentgen {

// The movie's size, rate and length; its last frame leads seamlessly back to its first.
constexpr int kStoryMovieWidth = 256;
constexpr int kStoryMovieHeight = 192;
constexpr int kStoryMovieRate = 10;    // frames per second
constexpr int kStoryMovieFrames = 40;  // four seconds

bool MakeMovieArt(const std::string& outDir);

}  // namespace contentgen
