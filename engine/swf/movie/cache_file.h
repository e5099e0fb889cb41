#pragma once

#include <cstdint>

#include "engine/swf/base/file_stream.h"

namespace swf {

// What a cache file is written with (the options of output_cached_data). Without font
// bitmaps the glyph textures go into the file as 1 x 1 stand-ins.
struct cache_options {
  bool m_include_font_bitmaps = true;
};

// Little-endian values of a cache file, read with the bytes left in view: a count is
// checked against what the file can still hold before anything is allocated for it. A
// read past the end fails and leaves the reader failed.
class cache_reader {
 public:
  explicit cache_reader(file_stream* in);

  file_stream* get_stream() const { return m_in; }
  int bytes_left() const;
  bool at_end() const { return bytes_left() <= 0; }
  bool failed() const { return m_failed; }
  void fail() { m_failed = true; }

  bool read_bytes(void* dst, int count);
  bool skip(int count);
  bool read_u8(uint8_t* v);
  bool read_u16(uint16_t* v);
  bool read_s16(int16_t* v);
  bool read_i32(int32_t* v);
  bool read_f32(float* v);

 private:
  file_stream* m_in;
  int m_end = 0;
  bool m_failed = false;
};

// Writes little-endian values; remembers whether every byte went out.
class cache_writer {
 public:
  explicit cache_writer(file_stream* out) : m_out(out) {}

  file_stream* get_stream() const { return m_out; }
  bool ok() const { return m_ok; }
  // A write the caller made on the stream itself, checked here.
  void note(bool written) { m_ok = m_ok && written; }

  void write_bytes(const void* src, int count);
  void write_u8(uint8_t v) { write_bytes(&v, 1); }
  void write_u16(uint16_t v);
  void write_i32(int32_t v);
  void write_f32(float v);

 private:
  file_stream* m_out;
  bool m_ok = true;
};

class movie_def_impl;

// The ".gsc" file of a movie: header "gsc" and version 4, the glyph textures and glyph
// boxes of the movie's own fonts, then per dictionary entry its id and whatever that
// definition keeps (tesselated meshes), and the end marker -1.
constexpr int kCacheFileVersion = 4;
void write_cache_file(movie_def_impl* m, file_stream* out, const cache_options& options);
// Reads a cache written from the same movie. Every doubt stops the reading with one log
// line; what was read before stays. Answers whether the font part was read whole.
bool read_cache_file(movie_def_impl* m, file_stream* in);

}  // namespace swf
