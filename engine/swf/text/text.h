#pragma once

#include <cstdint>

#include "engine/swf/base/array.h"
#include "engine/swf/base/records.h"
#include "engine/swf/movie/movie_definition.h"
#include "engine/swf/text/font.h"

namespace swf {

class character;

// How a run of glyphs is drawn: font, colour, position and height (twips).
struct text_style {
  int m_font_id = -1;
  smart_ptr<font> m_font;  // resolved on first use
  // The font id named no font when last looked up: the run is skipped without a new line.
  bool m_font_missing = false;
  rgba m_color{255, 255, 255, 255};
  float m_x_offset = 0.0f;
  float m_y_offset = 0.0f;
  float m_text_height = 1.0f;
  bool m_has_x_offset = false;
  bool m_has_y_offset = false;
};

struct glyph_entry {
  int m_glyph_index = -1;  // -1: the font has no glyph for the character
  float m_glyph_advance = 0.0f;  // twips
};

// A run of glyphs in one style.
struct glyph_record {
  text_style m_style;
  array<glyph_entry> m_glyphs;
};

// Static text (DefineText, DefineText2): glyph runs placed by the text's own matrix.
class text_character : public character_def {
 public:
  explicit text_character(movie_definition_sub* root_def) : m_root_def(root_def) {}

  void read(stream* in, int tag_type, movie_definition_sub* m);
  void display(character* instance) override;
  bool get_bound_local(rect* bound) override {
    *bound = m_rect;
    return m_rect.m_x_min <= m_rect.m_x_max && m_rect.m_y_min <= m_rect.m_y_max;
  }

  const rect& get_bound() const { return m_rect; }
  const matrix& get_matrix() const { return m_matrix; }
  array<glyph_record>& get_text_glyph_records() { return m_text_glyph_records; }

 private:
  movie_definition_sub* m_root_def;
  rect m_rect;
  matrix m_matrix;
  array<glyph_record> m_text_glyph_records;
};

// Draws glyph runs for an instance under the given matrix: each glyph from its texture
// when the text is small enough on screen, else from its outline; a missing glyph as an
// empty box.
void draw_glyph_records(const matrix& m, character* inst, array<glyph_record>& records,
                        movie_definition_sub* root_def);

// The static text tag loader: DefineText (11) and DefineText2 (33).
void define_text_loader(stream* in, int tag_type, movie_definition_sub* m);

}  // namespace swf
