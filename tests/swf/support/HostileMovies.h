#pragma once

// The hostile movies whose cost the player bounds, made by our writer, and a player that
// plays one frame by frame the same way for the tests (which assert what the player
// counted) and for bench_swf_hostile (which times it): each frame advanced at 12 frames a
// second and drawn by the Direct3D handler on the recording device.

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/movie_root.h"
#include "tests/swf/support/SwfTestDoubles.h"

namespace swftest {

// A movie of the table and the frames it plays after its load.
struct HostileMovie {
  const char* name;
  std::function<Bytes()> movie;
  int frames;
};

// A two-frame movie whose first frame's actions set "ran" first, then push a long run of
// values that do not compress well (the table cuts it in the middle).
Bytes MovieWithLongActions(bool compressed);

// The row's name stands for it in test listings.
inline void PrintTo(const HostileMovie& row, std::ostream* out) { *out << row.name; }

// Every movie of the table, in order. The tests give each its counted outcome by name.
const std::vector<HostileMovie>& HostileMovies();

// What one step cost: the load, or one frame advanced and drawn.
struct HostileStep {
  double wall_ms = 0.0;
  double advance_ms = 0.0;           // the wall time of the frame's advance alone (the scripts run there)
  double cpu_ms = 0.0;               // processor time of the playing thread
  swf::action_frame_counts counts;   // what the frame's scripts counted (nothing for the load)
  int live_textures = 0;             // the render handler's textures after the step
  int meshes_built = 0;              // shapes tesselated during the step
  int64_t primitives_drawn = 0;      // triangles and lines the device was asked to draw
};

// Plays one movie; the movie goes (before the handlers) when the player does.
class HostilePlayer {
 public:
  HostilePlayer();
  ~HostilePlayer();
  HostilePlayer(const HostilePlayer&) = delete;
  HostilePlayer& operator=(const HostilePlayer&) = delete;

  // Loads the movie (served as "hostile.swf") and plays its frames; after_step runs after
  // the load and after each frame (a test reads the heap there).
  void Play(const Bytes& movie, int frames, const std::function<void()>& after_step = {});

  swf::movie_def_impl* def() const { return def_.get_ptr(); }  // null when the movie was refused
  swf::movie_root* root() const { return root_.get_ptr(); }
  // The load first, then one step per frame played.
  const std::vector<HostileStep>& steps() const { return steps_; }
  // The frame that spent the most units (the first of them).
  const HostileStep& HeaviestFrame() const;
  std::string Log() const { return log_.All(); }

 private:
  struct Device;
  Device* device_;
  RecordingSoundHandler sound_;
  SwfLogCapture log_;
  MemoryFiles files_;
  swf::smart_ptr<swf::movie_def_impl> def_;
  swf::smart_ptr<swf::movie_root> root_;
  std::vector<HostileStep> steps_;
};

}  // namespace swftest
