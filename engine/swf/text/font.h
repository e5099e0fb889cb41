#pragma once

#include <cstdint>
#include <unordered_map>

#include "engine/swf/base/array.h"
#include "engine/swf/base/hash_table.h"
#include "engine/swf/base/records.h"
#include "engine/swf/base/ref_counted.h"
#include "engine/swf/movie/movie_definition.h"
#include "engine/swf/render/render_handler.h"
#include "engine/swf/shape/shape.h"

namespace swf {

class stream;

// A glyph as packed into a glyph texture: the texture (none = not cached), the UV box
// and where the glyph's origin falls, in texture units.
struct cached_glyph {
  bool has_texture() const { return m_bitmap_info != nullptr; }
  smart_ptr<bitmap_info> m_bitmap_info;
  rect m_uv_bounds;
  point m_uv_origin;
};

// A pair of character codes whose advance is adjusted.
struct kerning_pair {
  uint16_t m_left = 0;
  uint16_t m_right = 0;
  bool operator==(const kerning_pair& o) const { return m_left == o.m_left && m_right == o.m_right; }
};

// A character code is its own hash.
struct code_hash {
  uint32_t operator()(const uint16_t& code) const { return code; }
};

// A font of a movie (DefineFont, DefineFont2, DefineFontInfo). Outlines, advances,
// ascent, descent, leading and kerning are in font units, 1024 to the em.
class font : public resource {
 public:
  explicit font(movie_definition_sub* owning_movie = nullptr) : m_owning_movie(owning_movie) {}
  ~font() override;
  font* cast_to_font() override { return this; }
  movie_definition_sub* get_owning_movie() const { return m_owning_movie; }

  // Reads the body of a DefineFont (10) or DefineFont2 (48) after the id; other tag
  // types read nothing.
  void read(stream* in, int tag_type, movie_definition_sub* m);
  // Reads the body of a DefineFontInfo after the font id: name, flags and code table.
  void read_font_info(stream* in);

  // The glyph index of a character code, -1 when the font has none.
  int glyph_index_of(uint16_t code) const;
  // The advance of a glyph in font units; the missing glyph (-1) advances half an em.
  float advance_of(int glyph_index) const;
  float kerning_of(uint16_t left, uint16_t right) const;
  shape_character* glyph_shape(int glyph_index) const;
  int get_glyph_count() const { return m_glyphs.size(); }
  const cached_glyph& cached_glyph_of(int glyph_index) const;
  void set_cached_glyph(int glyph_index, const cached_glyph& glyph);
  int get_cached_glyph_nominal_size() const { return m_cached_glyph_nominal_size; }
  void set_cached_glyph_nominal_size(int size) { m_cached_glyph_nominal_size = size; }

  const char* get_name() const { return m_name; }
  bool is_unicode() const { return m_unicode; }
  bool is_shift_jis() const { return m_shift_jis; }
  bool is_ansi() const { return m_ansi; }
  bool is_italic() const { return m_italic; }
  bool is_bold() const { return m_bold; }
  bool has_wide_codes() const { return m_wide_codes; }
  float get_ascent() const { return m_ascent; }
  float get_descent() const { return m_descent; }
  float get_leading() const { return m_leading; }
  int get_code_count() const { return m_code_table.size(); }
  int get_kerning_count() const { return m_kerning_pairs.size(); }
  int get_advance_count() const { return m_advance_table.size(); }

 private:
  struct kerning_hash {
    uint32_t operator()(const kerning_pair& k) const { return (uint32_t(k.m_left) << 16) | k.m_right; }
  };

  void read_define_font(stream* in, movie_definition_sub* m);
  void read_define_font2(stream* in, movie_definition_sub* m);
  void read_code_table(stream* in);
  // The outlines a font tag has given so far, by their position in the tag, each with
  // the position where its reading ended.
  struct outline_at {
    smart_ptr<shape_character> m_outline;
    int m_end;
  };
  using outlines_by_position = std::unordered_map<int, outline_at>;
  // Gives the glyph the outline at the position when it lies inside the tag: read once
  // per position (glyphs that share an offset share the outline) and charged to the
  // movie's budget. False when the budget refuses it: the font reads no more outlines.
  bool read_glyph(stream* in, int glyph_index, int position, int tag_type, outlines_by_position* outlines);

  movie_definition_sub* m_owning_movie;
  array<smart_ptr<shape_character>> m_glyphs;
  array<cached_glyph> m_cached_glyphs;
  int m_cached_glyph_nominal_size = 96;
  char* m_name = nullptr;
  bool m_unicode = false;
  bool m_shift_jis = false;
  bool m_ansi = true;
  bool m_italic = false;
  bool m_bold = false;
  bool m_wide_codes = false;
  hash_table<uint16_t, int, code_hash> m_code_table;
  float m_ascent = 0.0f;
  float m_descent = 0.0f;
  float m_leading = 0.0f;
  array<float> m_advance_table;
  hash_table<kerning_pair, float, kerning_hash> m_kerning_pairs;
};

// The font tag loaders: DefineFont (10), DefineFont2 (48) and DefineFontInfo (13);
// register_text_loaders files them with the static text loaders.
void define_font_loader(stream* in, int tag_type, movie_definition_sub* m);
void define_font_info_loader(stream* in, int tag_type, movie_definition_sub* m);
void register_text_loaders();

}  // namespace swf
