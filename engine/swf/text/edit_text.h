#pragma once

#include "engine/swf/base/array.h"
#include "engine/swf/base/records.h"
#include "engine/swf/base/swf_string.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_definition.h"
#include "engine/swf/text/font.h"
#include "engine/swf/text/text.h"

namespace swf {

class stream;

// A dynamic text field as DefineEditText describes it. Sizes are in twips. The
// definition itself draws and measures nothing: its instances do.
class edit_text_definition : public character_def {
 public:
  enum alignment { ALIGN_LEFT = 0, ALIGN_RIGHT = 1, ALIGN_CENTER = 2, ALIGN_JUSTIFY = 3 };

  explicit edit_text_definition(movie_definition_sub* root_def) : m_root_def(root_def) {}

  void read(stream* in, int tag_type, movie_definition_sub* m);
  character* create_character_instance(character* parent, int id) override;

  movie_definition_sub* m_root_def;
  rect m_rect;
  string m_variable_name;
  string m_default_text;
  bool m_word_wrap = false;
  bool m_multiline = false;
  bool m_password = false;
  bool m_readonly = false;
  bool m_auto_size = false;
  bool m_no_select = false;
  bool m_border = false;
  bool m_html = false;
  bool m_use_outlines = false;
  int m_font_id = -1;
  smart_ptr<font> m_font;  // resolved when an instance is made
  float m_text_height = 1.0f;
  rgba m_color{0, 0, 0, 255};
  int m_max_length = 0;  // bytes; 0 is unlimited
  int m_alignment = ALIGN_LEFT;
  float m_left_margin = 0.0f;
  float m_right_margin = 0.0f;
  float m_indent = 0.0f;
  float m_leading = 0.0f;
  // A font without glyphs was reported once for this field.
  bool m_substitution_logged = false;
};

// An instance of a text field: its UTF-8 text laid out into glyph runs, redone whenever
// the text changes.
class edit_text_character : public character {
 public:
  edit_text_character(character* parent, edit_text_definition* def, int id);

  const char* text_value() override { return m_text.c_str(); }
  void set_member(const string& name, const script_value& value) override;
  bool get_member(const string& name, script_value* value) override;
  void display() override;
  const char* get_text_name() const override { return m_def->m_variable_name.c_str(); }
  void set_text_value(const char* new_text) override;
  bool get_bound(rect* bound) const override {
    *bound = m_def->m_rect;
    return true;
  }
  movie_root* get_root() override { return get_parent() ? get_parent()->get_root() : nullptr; }
  float get_pixel_scale() const override { return get_parent() ? get_parent()->get_pixel_scale() : 1.0f; }

  array<glyph_record>& get_text_glyph_records() { return m_text_glyph_records; }
  const rect& get_text_bounding_box() const { return m_text_bounding_box; }
  // Layouts done since the instance was made.
  int get_layout_count() const { return m_layout_count; }

 private:
  void lay_out_text();
  // Shifts the records of the line from first_record on for the field's alignment, the
  // line ending at right_edge.
  void align_line(int first_record, float right_edge);

  smart_ptr<edit_text_definition> m_def;
  array<glyph_record> m_text_glyph_records;
  string m_text;
  rect m_text_bounding_box;
  int m_layout_count = 0;
};

// The DefineEditText (37) loader.
void define_edit_text_loader(stream* in, int tag_type, movie_definition_sub* m);

// The longest prefix of the UTF-8 text of at most max_bytes bytes that ends on a
// character boundary, as a byte count.
int utf8_cut_length(const char* text, int length, int max_bytes);

}  // namespace swf
