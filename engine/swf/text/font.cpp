// Fonts: the DefineFont, DefineFont2 and DefineFontInfo readers and the metric queries.

#include "engine/swf/text/font.h"

#include "engine/swf/base/log.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/tag_loaders.h"
#include "engine/swf/shape/shape.h"
#include "engine/swf/text/edit_text.h"
#include "engine/swf/text/text.h"

namespace swf {

font::~font() { delete[] m_name; }

void font::read(stream* in, int tag_type, movie_definition_sub* m) {
  if (tag_type == 10) {
    read_define_font(in, m);
  } else if (tag_type == 48) {
    read_define_font2(in, m);
  }
}

bool font::read_glyph(stream* in, int glyph_index, int position, int tag_type, outlines_by_position* outlines) {
  // An offset that points outside the tag leaves the glyph without an outline.
  if (position < 0 || position >= in->get_tag_end_position()) return true;
  // Offsets that point at one outline share it: a small tag whose thousands of offsets
  // name one long outline costs that outline once.
  auto read_before = outlines->find(position);
  if (read_before != outlines->end()) {
    m_glyphs[glyph_index] = read_before->second.m_outline;
    in->set_position(read_before->second.m_end);
    return true;
  }
  in->set_position(position);
  if (in->has_error()) return true;
  smart_ptr<shape_character> outline(new shape_character);
  outline->read(in, tag_type, false, m_owning_movie);
  if (m_owning_movie && !m_owning_movie->charge_decoded_bytes(outline->get_outline_bytes())) return false;
  (*outlines)[position] = outline_at{outline, in->get_position()};
  m_glyphs[glyph_index] = outline;
  return true;
}

void font::read_define_font(stream* in, movie_definition_sub* m) {
  int table_base = in->get_position();
  int first_offset = in->read_u16();
  int count = first_offset / 2;
  array<int> offsets;
  offsets.resize(count);
  if (count > 0) offsets[0] = first_offset;
  for (int i = 1; i < count; ++i) offsets[i] = in->read_u16();
  m_glyphs.resize(count);
  m_cached_glyphs.resize(count);
  // A definition made to skip font shapes (flag 1) keeps the glyph slots empty.
  if (m && m->get_create_font_shapes() != 0) return;
  outlines_by_position outlines;
  for (int i = 0; i < count && !in->has_error(); ++i) {
    if (!read_glyph(in, i, table_base + offsets[i], 2, &outlines)) break;
  }
}

void font::read_define_font2(stream* in, movie_definition_sub* m) {
  bool has_layout = in->read_uint(1) != 0;
  m_shift_jis = in->read_uint(1) != 0;
  m_unicode = in->read_uint(1) != 0;
  m_ansi = in->read_uint(1) != 0;
  bool wide_offsets = in->read_uint(1) != 0;
  m_wide_codes = in->read_uint(1) != 0;
  m_italic = in->read_uint(1) != 0;
  m_bold = in->read_uint(1) != 0;
  in->read_u8();  // language code
  delete[] m_name;
  m_name = in->read_string_with_length();
  int count = in->read_u16();
  int table_base = in->get_position();
  array<int64_t> offsets;
  offsets.resize(count);
  for (int i = 0; i < count; ++i) offsets[i] = wide_offsets ? in->read_u32() : in->read_u16();
  int64_t code_table_offset = wide_offsets ? in->read_u32() : in->read_u16();
  int64_t code_table_position = table_base + code_table_offset;
  m_glyphs.resize(count);
  m_cached_glyphs.resize(count);
  if (in->has_error()) return;

  if (m && m->get_create_font_shapes() != 0) {
    if (code_table_position >= in->get_tag_end_position()) return;
    in->set_position(static_cast<int>(code_table_position));
  } else {
    outlines_by_position outlines;
    for (int i = 0; i < count && !in->has_error(); ++i) {
      int64_t position = table_base + offsets[i];
      // Outlines past the movie's budget leave the font without its tables.
      if (!read_glyph(in, i, position > in->get_tag_end_position() ? -1 : static_cast<int>(position), 22,
                      &outlines)) {
        return;
      }
    }
    // Glyph data that does not end where the code table starts leaves the font with
    // outlines only.
    if (in->has_error() || in->get_position() != code_table_position) return;
  }

  read_code_table(in);
  if (!has_layout) return;
  m_ascent = in->read_s16();
  m_descent = in->read_s16();
  m_leading = in->read_s16();
  m_advance_table.resize(count);
  for (int i = 0; i < count; ++i) m_advance_table[i] = in->read_s16();
  for (int i = 0; i < count && !in->has_error(); ++i) {
    rect bounds;
    bounds.read(in);
  }
  int kerning_count = in->read_u16();
  for (int i = 0; i < kerning_count && !in->has_error(); ++i) {
    kerning_pair pair;
    if (m_wide_codes) {
      pair.m_left = in->read_u16();
      pair.m_right = in->read_u16();
    } else {
      pair.m_left = in->read_u8();
      pair.m_right = in->read_u8();
    }
    float adjustment = in->read_s16();
    if (in->has_error()) break;
    m_kerning_pairs.add(pair, adjustment);
  }
}

void font::read_code_table(stream* in) {
  m_code_table.clear();
  for (int i = 0; i < m_glyphs.size(); ++i) {
    uint16_t code = m_wide_codes ? in->read_u16() : in->read_u8();
    if (in->has_error()) break;
    // A code given twice keeps its first glyph.
    if (!m_code_table.find_value(code)) m_code_table.add(code, i);
  }
}

void font::read_font_info(stream* in) {
  delete[] m_name;
  m_name = in->read_string_with_length();
  uint8_t flags = in->read_u8();
  m_unicode = (flags & 0x20) != 0;
  m_shift_jis = (flags & 0x10) != 0;
  m_ansi = (flags & 0x08) != 0;
  m_italic = (flags & 0x04) != 0;
  m_bold = (flags & 0x02) != 0;
  m_wide_codes = (flags & 0x01) != 0;
  read_code_table(in);
}

int font::glyph_index_of(uint16_t code) const {
  int index = -1;
  m_code_table.get(code, &index);
  return index;
}

float font::advance_of(int glyph_index) const {
  if (glyph_index == -1) return 512.0f;
  if (m_advance_table.size() == 0) {
    static bool logged = false;
    if (!logged) {
      logged = true;
      log_error("error: empty advance table in font %s\n", m_name ? m_name : "");
    }
    return 0.0f;
  }
  if (glyph_index >= 0 && glyph_index < m_advance_table.size()) return m_advance_table[glyph_index];
  return 0.0f;
}

float font::kerning_of(uint16_t left, uint16_t right) const {
  float adjustment = 0.0f;
  m_kerning_pairs.get(kerning_pair{left, right}, &adjustment);
  return adjustment;
}

shape_character* font::glyph_shape(int glyph_index) const {
  if (glyph_index < 0 || glyph_index >= m_glyphs.size()) return nullptr;
  return m_glyphs[glyph_index].get_ptr();
}

const cached_glyph& font::cached_glyph_of(int glyph_index) const {
  static const cached_glyph* empty = new cached_glyph;
  if (glyph_index < 0 || glyph_index >= m_cached_glyphs.size()) return *empty;
  return m_cached_glyphs[glyph_index];
}

void font::set_cached_glyph(int glyph_index, const cached_glyph& glyph) {
  if (glyph_index < 0 || glyph_index >= m_cached_glyphs.size()) return;
  m_cached_glyphs[glyph_index] = glyph;
}

// ---- loaders --------------------------------------------------------------------------

void define_font_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int font_id = in->read_u16();
  smart_ptr<font> f(new font(m));
  f->read(in, tag_type, m);
  m->add_font(font_id, f.get_ptr());
}

void define_font_info_loader(stream* in, int, movie_definition_sub* m) {
  int font_id = in->read_u16();
  if (font* f = m->get_font(font_id)) {
    f->read_font_info(in);
  } else {
    log_error("define_font_info_loader: can't find font w/ id %d\n", font_id);
  }
}

void register_text_loaders() {
  register_tag_loader(10, define_font_loader);
  register_tag_loader(11, define_text_loader);
  register_tag_loader(13, define_font_info_loader);
  register_tag_loader(33, define_text_loader);
  register_tag_loader(37, define_edit_text_loader);
  register_tag_loader(48, define_font_loader);
}

}  // namespace swf
