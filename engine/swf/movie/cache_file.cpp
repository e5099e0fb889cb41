// The cache file of a movie: what tesselating shapes and rasterising glyphs produced,
// written once by a tool and read back when the movie loads, so that loading skips that
// work. The file is outside data: every count is checked against the bytes it still
// holds, and the first doubt ends the reading.

#include "engine/swf/movie/cache_file.h"

#include <algorithm>
#include <cstring>

#include "engine/swf/base/log.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/text/font.h"
#include "engine/swf/text/fontlib.h"

namespace swf {

cache_reader::cache_reader(file_stream* in) : m_in(in) {
  int start = in->get_position();
  in->go_to_end();
  m_end = in->get_position();
  in->set_position(start);
  if (m_end < start) m_end = start;
}

int cache_reader::bytes_left() const { return std::max(0, m_end - m_in->get_position()); }

bool cache_reader::read_bytes(void* dst, int count) {
  if (m_failed || count < 0 || count > bytes_left() || m_in->read_bytes(dst, count) != count) {
    m_failed = true;
    return false;
  }
  return true;
}

bool cache_reader::skip(int count) {
  if (m_failed || count < 0 || count > bytes_left() ||
      m_in->set_position(m_in->get_position() + count) != file_stream::NO_ERROR) {
    m_failed = true;
    return false;
  }
  return true;
}

bool cache_reader::read_u8(uint8_t* v) { return read_bytes(v, 1); }

bool cache_reader::read_u16(uint16_t* v) {
  uint8_t b[2];
  if (!read_bytes(b, 2)) return false;
  *v = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool cache_reader::read_s16(int16_t* v) {
  uint16_t u;
  if (!read_u16(&u)) return false;
  *v = static_cast<int16_t>(u);
  return true;
}

bool cache_reader::read_i32(int32_t* v) {
  uint8_t b[4];
  if (!read_bytes(b, 4)) return false;
  *v = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
  return true;
}

bool cache_reader::read_f32(float* v) {
  int32_t bits;
  if (!read_i32(&bits)) return false;
  std::memcpy(v, &bits, 4);
  return true;
}

void cache_writer::write_bytes(const void* src, int count) {
  if (count <= 0) return;
  note(m_out->write_bytes(src, count) == count);
}

void cache_writer::write_u16(uint16_t v) {
  uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
  write_bytes(b, 2);
}

void cache_writer::write_i32(int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
  write_bytes(b, 4);
}

void cache_writer::write_f32(float v) {
  int32_t bits;
  std::memcpy(&bits, &v, 4);
  write_i32(bits);
}

void write_cache_file(movie_def_impl* m, file_stream* out, const cache_options& options) {
  cache_writer w(out);
  const uint8_t header[4] = {'g', 's', 'c', kCacheFileVersion};
  w.write_bytes(header, 4);

  array<font*> fonts;
  m->get_owned_fonts(&fonts);
  fontlib::save_cached_font_data(out, m, fonts, options);

  m->for_each_character([&](int id, character_def* ch) {
    // The id 0xFFFF reads as the end marker: such a character keeps no record and
    // builds its meshes when drawn.
    if (id < 0 || id >= 0xFFFF) return;
    w.write_u16(static_cast<uint16_t>(id));
    ch->output_cached_data(out, &options);
  });
  w.write_u16(0xFFFF);
}

bool read_cache_file(movie_def_impl* m, file_stream* in) {
  cache_reader r(in);
  uint8_t header[4] = {};
  if (!r.read_bytes(header, 4) || header[0] != 'g' || header[1] != 's' || header[2] != 'c') {
    log_error("cache file does not have the correct format; skipping\n");
    return false;
  }
  if (header[3] != kCacheFileVersion) {
    log_error("cached data is version %d, but we require version %d; skipping\n", header[3], kCacheFileVersion);
    return false;
  }

  array<font*> fonts;
  m->get_owned_fonts(&fonts);
  if (!fontlib::load_cached_font_data(&r, fonts, m)) return false;

  for (;;) {
    if (r.failed() || in->get_error() != file_stream::NO_ERROR) {
      log_error("error reading cache file (characters); skipping\n");
      break;
    }
    if (r.at_end()) {
      log_error("unexpected eof reading cache file (characters); skipping\n");
      break;
    }
    int16_t id = 0;
    if (!r.read_s16(&id)) {
      log_error("unexpected eof reading cache file (characters); skipping\n");
      break;
    }
    if (id == -1) break;
    character_def* ch = m->get_character_def(static_cast<uint16_t>(id));
    if (!ch) {
      log_error("sync error in cache file (reading characters)!  Skipping rest of cache data.\n");
      break;
    }
    ch->input_cached_data(in);
  }
  return true;
}

}  // namespace swf
