#pragma once

// The hostile movies whose cost the player bounds, made by our writer, and a player that
// plays one frame by frame the same way for the tests (which assert what the player
// counted) and for bench_swf_hostile (which times it): opened as the engine opens a movie,
// each frame advanced at 12 frames a second and drawn by the Direct3D handler on the
// recording device, then closed as the engine closes it.

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/movie_root.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace swftest {

// The mouse over the movie in pixels, and its buttons (1: the left one is down).
struct MouseState {
  int x, y, buttons;
};

// A movie of the table and how it is played.
struct HostileMovie {
  const char* name;
  std::function<Bytes()> movie;  // served as "movie.swf", beside "loaded.swf" (LoadedMovie)
  int frames;                    // frames played after the load
  std::vector<MouseState> mouse = {};      // the mouse before each frame (none: not moved)
  std::function<Bytes()> next_movie = {};  // opened as "next.swf" once the movie is closed
};

// The row's name stands for it in test listings.
inline void PrintTo(const HostileMovie& row, std::ostream* out) { *out << row.name; }

// Every movie of the table, in order. The tests give each its counted outcome by name.
const std::vector<HostileMovie>& HostileMovies();

// ---- movies that tests beside the table play too

// A two-frame movie whose first frame's actions set "ran" first, then push a long run of
// values that do not compress well (the table cuts it in the middle).
Bytes MovieWithLongActions(bool compressed);

// A movie that a script may load ("loaded.swf"): one box on the stage, no scripts.
Bytes LoadedMovie();

// Frame 0 makes a text s of a megabyte; frame 1 makes the String object S of it and an
// onEnterFrame that stores 100 new String objects of S (new String(S)) as members m0, m1
// ... of the root each frame, counting them in n (and in i within the frame).
Bytes StringObjectsStoredEachFrame();

// Frame 0 makes a text s of a megabyte and an onEnterFrame that copies it into a member
// c0, c1 ... of the root each frame, counting them in n.
Bytes TextCopiesEveryFrame();

// A sprite "c" holding a 20 x 10 pixel box, placed with the matrix given; the frame's
// script sets c's properties in order, then reads c's _xscale, _yscale and _rotation back
// into the variables xs, ys and rot.
using PropertySets = std::vector<std::pair<const char*, double>>;
Bytes ClipScaledByScript(const PropertySets& sets, const swfw::Matrix& placement = swfw::Matrix::Translate(2000, 1000));

// ---- the player

// What one step cost and counted: the load, or one frame advanced and drawn.
struct HostileStep {
  double wall_ms = 0.0;
  double advance_ms = 0.0;           // the wall time of the frame's advance alone (the scripts run there)
  double cpu_ms = 0.0;               // processor time of the playing thread
  swf::action_frame_counts counts;   // what the frame's scripts counted (nothing for the load)
  size_t script_bytes = 0;           // the bytes the movie's scripts hold after the step
  int live_textures = 0;             // the render handler's textures after the step
  int meshes_built = 0;              // shapes tesselated during the step
  int64_t primitives_drawn = 0;      // triangles and lines the device was asked to draw
  std::vector<SwfLogCapture::Line> lines;  // the player's log lines of the step
};

// Plays one movie of the table; what is left of it goes (before the handlers) when the
// player does.
class HostilePlayer {
 public:
  HostilePlayer();
  ~HostilePlayer();
  HostilePlayer(const HostilePlayer&) = delete;
  HostilePlayer& operator=(const HostilePlayer&) = delete;

  // Opens the row's movie as the engine's FlashMovie does (its definition from the
  // library, then an instance) and plays its frames: the first advance plays the movie's
  // first frame, as the engine's first short tick does, and each later one the next
  // frame. after_step runs after the load and after each frame (a test reads the heap
  // there).
  void Play(const HostileMovie& row, const std::function<void()>& after_step = {});
  // Closes the movie as FlashMovie does (the instance, then the definition) and counts
  // what is left of it; then opens the row's next movie, plays its first frame and closes
  // it too. The player's destructor closes a movie left open.
  void Close();

  swf::movie_def_impl* def() const { return def_.get_ptr(); }  // null when the movie was refused
  swf::movie_root* root() const { return root_.get_ptr(); }    // null once closed
  // The load first, then one step per frame played.
  const std::vector<HostileStep>& steps() const { return steps_; }
  // Frame f played (0: the first).
  const HostileStep& frame(int f) const { return steps_[static_cast<size_t>(f) + 1]; }
  int frames_played() const { return static_cast<int>(steps_.size()) - 1; }
  // The frame that spent the most units (the first of them).
  const HostileStep& HeaviestFrame() const;
  // Once closed: the movie roots it left alive, and the bytes its scripts still hold.
  int live_movies_after_close() const { return live_movies_after_close_; }
  size_t script_bytes_after_close() const { return script_bytes_after_close_; }
  // Every log line so far, and its trace lines and error lines without their line ends
  // (the next movie's after the movie's own).
  std::string Log() const;
  std::vector<std::string> Traces() const { return LinesOf(false); }
  std::vector<std::string> Errors() const { return LinesOf(true); }

 private:
  struct Device;
  void Step(const std::function<void(HostileStep&)>& work, const std::function<void()>& after_step);
  std::vector<SwfLogCapture::Line> TakeNewLines();
  std::vector<SwfLogCapture::Line> AllLines() const;
  std::vector<std::string> LinesOf(bool errors) const;

  Device* device_;
  RecordingSoundHandler sound_;
  SwfLogCapture log_;
  size_t lines_taken_ = 0;
  MemoryFiles files_;
  std::function<Bytes()> next_movie_;
  swf::smart_ptr<swf::movie_def_impl> def_;
  swf::smart_ptr<swf::movie_root> root_;
  swf::memory_account_id account_ = 0;
  int live_movies_before_ = 0;
  bool open_ = false;
  int live_movies_after_close_ = 0;
  size_t script_bytes_after_close_ = 0;
  std::vector<HostileStep> steps_;
  std::vector<SwfLogCapture::Line> closing_lines_;  // logged while closing and by the next movie
};

}  // namespace swftest
