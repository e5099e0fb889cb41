#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"

namespace swf {
class movie_definition_sub;
class movie_interface;
}  // namespace swf

namespace flash {

// One SWF movie of one SWF widget: loaded from a file, advanced by the frame time
// (starting again after its end when looping), drawn into a play-area rectangle. The
// widget reads and writes paused, looping and fileName directly.
class FlashMovie {
 public:
  using EndCallback = void (*)(FlashMovie* movie, uint32_t userValue);

  FlashMovie();
  ~FlashMovie();
  FlashMovie(const FlashMovie&) = delete;
  FlashMovie& operator=(const FlashMovie&) = delete;

  // True when the movie was made; the name is kept on success. Failures log
  // "Can't create a movie from flash file <name>" (also for a file without one whole
  // frame) or "Can't create a movie Instance from flash file <name>".
  bool Load(const std::string& file);
  // Advances by dt x speed unless paused. A looping movie of more than one frame whose
  // root has stopped on its last frame plays on from there to its first frame; the end
  // callback (when set) is called whenever the movie stands on its last frame.
  void Advance(float dt);
  // Draws the movie in the rectangle (fractions of the screen); a rectangle that leaves
  // the screen draws nothing.
  void Display(const math::Vec2& position, const math::Vec2& size);
  // Back to the first frame.
  void Reset();
  // True when the movie shows its last frame.
  bool StandsOnLastFrame() const;

  swf::movie_definition_sub* definition = nullptr;  // one reference held
  swf::movie_interface* instance = nullptr;         // one reference held
  uint32_t flags = 1;
  float frameRate = 30.0f;
  float speed = 1.0f;
  bool paused = false;
  bool looping = true;
  std::string fileName;
  EndCallback endCallback = nullptr;
  uint32_t userValue = 0;
};

}  // namespace flash
