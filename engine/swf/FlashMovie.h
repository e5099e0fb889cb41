#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"

namespace flash {

// One SWF movie of one SWF widget: loaded from a file, advanced by the frame time
// (restarting at its end when looping), drawn into a play-area rectangle. The widget reads
// and writes paused, looping and fileName directly.
//
// This stand-in has no player: Load logs "Can't create a movie from flash file <name>"
// and fails, and Advance, Display and Reset do nothing without a movie.
class FlashMovie {
 public:
  FlashMovie();
  ~FlashMovie();
  FlashMovie(const FlashMovie&) = delete;
  FlashMovie& operator=(const FlashMovie&) = delete;

  // True when the movie was made; the name is kept on success.
  bool Load(const std::string& file);
  void Advance(float dt);
  // Draws the movie in the rectangle (fractions of the screen).
  void Display(const math::Vec2& position, const math::Vec2& size);
  // Back to the first frame.
  void Reset();

  float frameRate = 30.0f;
  float speed = 1.0f;
  bool paused = false;
  bool looping = true;
  std::string fileName;
};

}  // namespace flash
