#pragma once

// Test doubles of the SWF player's hooks, shared by every SWF test: files served from
// memory through the player's file opener, a capture of the player's log, and render and
// sound handlers that record what they are asked.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/swf/base/file_stream.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/ref_counted.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/render/render_handler.h"
#include "engine/swf/sound/sound_handler.h"

namespace swftest {

using Bytes = std::vector<uint8_t>;

// The parts one after another (tags into a body, say).
inline Bytes Concat(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A file_stream over a copy of the bytes (read, seek, tell, eof; writes append).
swf::file_stream* MakeMemoryStream(const Bytes& bytes);

// Files by name, served through swf::register_file_opener_callback while an instance
// lives (the opener before it comes back afterwards). Names compare exactly.
class MemoryFiles {
 public:
  MemoryFiles();
  ~MemoryFiles();
  MemoryFiles(const MemoryFiles&) = delete;
  MemoryFiles& operator=(const MemoryFiles&) = delete;

  void Add(const std::string& name, const Bytes& bytes) { files_[name] = bytes; }
  void Remove(const std::string& name) { files_.erase(name); }
  // How often the opener was asked for the name (found or not).
  int OpenCount(const std::string& name) const;
  const std::vector<std::string>& Opened() const { return opened_; }
  static MemoryFiles* Active() { return active_; }

 private:
  static swf::file_stream* Open(const char* path);
  std::map<std::string, Bytes> files_;
  std::vector<std::string> opened_;
  swf::file_opener_callback previous_;
  MemoryFiles* outer_;
  static inline MemoryFiles* active_ = nullptr;
};

// The player's log lines while an instance lives; the rate limit starts afresh.
class SwfLogCapture {
 public:
  struct Line {
    bool error;
    std::string text;
  };
  SwfLogCapture();
  ~SwfLogCapture();
  SwfLogCapture(const SwfLogCapture&) = delete;
  SwfLogCapture& operator=(const SwfLogCapture&) = delete;

  size_t Count(const std::string& text) const;
  bool Contains(const std::string& text) const { return Count(text) > 0; }
  std::string All() const;
  void Clear() { lines.clear(); }
  std::vector<Line> lines;

 private:
  static void Receive(bool error, const char* text);
  swf::log_callback previous_;
  SwfLogCapture* outer_;
  static inline SwfLogCapture* active_ = nullptr;
};

// A bitmap made by the recording render handler: its size and pixels as handed over.
class RecordedBitmap : public swf::bitmap_info {
 public:
  enum Kind { kEmpty, kAlpha, kRgb, kRgba };
  Kind kind = kEmpty;
  int width = 0;
  int height = 0;
  Bytes pixels;  // rows without padding: 1, 3 or 4 bytes a pixel
};

// Records every call as one line of text ("begin_frame ...", "set_fill_color 0 ..."),
// and keeps the bitmaps it made. Installed while it lives.
class RecordingRenderHandler : public swf::render_handler {
 public:
  RecordingRenderHandler();
  ~RecordingRenderHandler() override;

  swf::bitmap_info* create_bitmap_empty() override;
  swf::bitmap_info* create_bitmap_alpha(int width, int height, const uint8_t* data) override;
  swf::bitmap_info* create_bitmap_rgb(swf::image_rgb* image) override;
  swf::bitmap_info* create_bitmap_rgba(swf::image_rgba* image) override;
  void delete_bitmap(swf::bitmap_info* bitmap) override;
  void begin_frame(swf::rgba background, int x0, int y0, int width, int height, float fx0, float fx1, float fy0,
                   float fy1) override;
  void end_frame() override;
  void set_matrix(const swf::matrix& m) override;
  void set_color_transform(const swf::cxform& cx) override;
  void draw_triangle_strip(const int16_t* coords, int vertex_count) override;
  void draw_line_strip(const int16_t* coords, int vertex_count) override;
  void disable_fill(int side) override;
  void set_fill_color(int side, swf::rgba color) override;
  void set_fill_bitmap(int side, swf::bitmap_info* bitmap, const swf::matrix& m, bitmap_wrap_mode wrap) override;
  void disable_line() override;
  void set_line_color(swf::rgba color) override;
  void set_line_width(float width) override;
  void draw_bitmap_quad(const swf::matrix& m, swf::bitmap_info* bitmap, const swf::rect& coords,
                        const swf::rect& uv, swf::rgba color) override;
  void set_antialiased(bool enable) override;
  void begin_mask() override;
  void end_mask() override;
  void disable_mask() override;

  size_t Count(const std::string& prefix) const;
  std::vector<std::string> calls;
  std::vector<swf::smart_ptr<RecordedBitmap>> bitmaps;
  // Vertices of every strip drawn, in order.
  std::vector<std::vector<int16_t>> strips;
  // The matrix of every set_fill_bitmap, in order.
  std::vector<swf::matrix> fill_bitmap_matrices;

 private:
  RecordedBitmap* Keep(RecordedBitmap* bitmap);
  swf::render_handler* previous_;
};

// Records the sound calls and keeps a copy of every sound created. Installed while it
// lives. Ids are indexes into sounds.
class RecordingSoundHandler : public swf::sound_handler {
 public:
  struct Sound {
    Bytes data;
    int sampleCount;
    format_type format;
    int sampleRate;
    bool stereo;
    bool deleted = false;
  };
  RecordingSoundHandler();
  ~RecordingSoundHandler() override;

  int create_sound(void* data, int data_bytes, int sample_count, format_type format, int sample_rate,
                   bool stereo) override;
  void play_sound(int sound_handle, int loop_count) override;
  void stop_sound(int sound_handle) override;
  void delete_sound(int sound_handle) override;

  // The decoded 16-bit samples of a sound.
  std::vector<int16_t> Samples(int id) const;
  std::vector<Sound> sounds;
  std::vector<std::string> calls;  // "play 0 3", "stop 1", "delete 0"

 private:
  swf::sound_handler* previous_;
};

// Takes over the reference that the player's create functions return.
template <class T>
swf::smart_ptr<T> Adopt(T* object) {
  swf::smart_ptr<T> held(object);
  if (object) object->drop_ref();
  return held;
}

// Reads the bytes as the movie file of that name with create_movie, served by the active
// MemoryFiles (or one made for the call). Null when create_movie refuses.
swf::smart_ptr<swf::movie_def_impl> LoadMovie(const Bytes& bytes, const std::string& name = "test.swf");

}  // namespace swftest
