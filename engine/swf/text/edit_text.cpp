// Edit text fields: the DefineEditText reader, the layout of a field's text into glyph
// runs (newlines, backspace, kerning, word wrap, margins, alignment) and the members
// scripts see.

#include "engine/swf/text/edit_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/render/render_handler.h"
#include "engine/swf/text/fontlib.h"

namespace swf {

namespace {

// The gap kept free at a line's right end, in twips.
constexpr float kRightGutter = 80.0f;

// Missing-glyph lines the process writes in all.
constexpr int kMaxMissingGlyphLines = 10;

int16_t to_coordinate(float v) {
  if (!(v > -32768.0f)) return -32768;  // NaN too
  if (v > 32767.0f) return 32767;
  return static_cast<int16_t>(v);
}

float clamp01(double v) {
  if (!(v > 0.0)) return 0.0f;
  if (v > 1.0) return 1.0f;
  return static_cast<float>(v);
}

int channel_of(float multiplier) {
  // Rounded, so that a colour written through "textColor" reads back unchanged.
  long c = std::lround(static_cast<double>(multiplier) * 255.0);
  return static_cast<int>(std::clamp(c, 0L, 255L));
}

}  // namespace

// ---- definition ----------------------------------------------------------------------

void edit_text_definition::read(stream* in, int, movie_definition_sub*) {
  m_rect.read(in);
  in->align();
  bool has_text = in->read_uint(1) != 0;
  m_word_wrap = in->read_uint(1) != 0;
  m_multiline = in->read_uint(1) != 0;
  m_password = in->read_uint(1) != 0;
  m_readonly = in->read_uint(1) != 0;
  bool has_color = in->read_uint(1) != 0;
  bool has_max_length = in->read_uint(1) != 0;
  bool has_font = in->read_uint(1) != 0;
  in->read_uint(1);
  m_auto_size = in->read_uint(1) != 0;
  bool has_layout = in->read_uint(1) != 0;
  m_no_select = in->read_uint(1) != 0;
  m_border = in->read_uint(1) != 0;
  in->read_uint(1);
  m_html = in->read_uint(1) != 0;
  m_use_outlines = in->read_uint(1) != 0;

  if (has_font) {
    m_font_id = in->read_u16();
    m_text_height = in->read_u16();
  }
  if (has_color) m_color.read_rgba(in);
  if (has_max_length) m_max_length = in->read_u16();
  if (has_layout) {
    m_alignment = in->read_u8();
    m_left_margin = in->read_u16();
    m_right_margin = in->read_u16();
    m_indent = in->read_s16();
    m_leading = in->read_s16();
  }
  in->read_string(&m_variable_name);
  if (has_text) in->read_string(&m_default_text);
}

character* edit_text_definition::create_character_instance(character* parent, int id) {
  if (m_font == nullptr) {
    m_font = m_root_def ? m_root_def->get_font(m_font_id) : nullptr;
    if (m_font == nullptr) log_error("error: text style with undefined font; font_id = %d\n", m_font_id);
  }
  return new edit_text_character(parent, this, id);
}

void define_edit_text_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  smart_ptr<edit_text_definition> ch(new edit_text_definition(m));
  ch->read(in, tag_type, m);
  m->add_character(character_id, ch.get_ptr());
}

int utf8_cut_length(const char* text, int length, int max_bytes) {
  if (length <= max_bytes) return length;
  int cut = std::max(max_bytes, 0);
  // Step back over continuation bytes so that no character is split.
  while (cut > 0 && (static_cast<uint8_t>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

// ---- instance ------------------------------------------------------------------------

edit_text_character::edit_text_character(character* parent, edit_text_definition* def, int id)
    : character(parent, id), m_def(def) {
  set_text_value(def->m_default_text.c_str());
  // The measured width stays 0 until the text next changes.
  m_text_bounding_box = rect();
  set_name(def->m_variable_name.c_str());
}

void edit_text_character::set_text_value(const char* new_text) {
  if (!new_text) new_text = "";
  int length = static_cast<int>(std::strlen(new_text));
  if (m_def->m_max_length > 0) length = utf8_cut_length(new_text, length, m_def->m_max_length);
  string text(new_text, length);
  if (text == m_text) return;
  m_text = text;
  lay_out_text();
}

void edit_text_character::align_line(int first_record, float right_edge) {
  const edit_text_definition& d = *m_def;
  float extra = (d.m_rect.width() - d.m_right_margin) - right_edge - kRightGutter;
  float shift = 0.0f;
  if (d.m_alignment == edit_text_definition::ALIGN_RIGHT) {
    shift = extra;
  } else if (d.m_alignment == edit_text_definition::ALIGN_CENTER) {
    shift = extra / 2.0f;
  }
  if (shift == 0.0f) return;
  for (int i = first_record; i < m_text_glyph_records.size(); ++i) {
    text_style& style = m_text_glyph_records[i].m_style;
    if (style.m_has_x_offset) style.m_x_offset += shift;
  }
}

void edit_text_character::lay_out_text() {
  ++m_layout_count;
  // Each byte laid out counts against the frame's budget: a script that sets long texts
  // in a loop ends with it.
  charge_action_budget(m_text.length() / limits::kLaidOutTextBytesPerBudgetUnit);
  m_text_glyph_records.clear();
  edit_text_definition& d = *m_def;
  if (d.m_font == nullptr) return;

  if (d.m_font->get_glyph_count() == 0) {
    font* substitute = nullptr;
    for (int i = 0; i < fontlib::get_font_count() && !substitute; ++i) {
      font* candidate = fontlib::get_font(i);
      if (candidate && candidate->get_glyph_count() > 0) substitute = candidate;
    }
    // Without a substitute the field keeps its font (every character then shows as the
    // missing glyph); the line is written once per field, not at every change.
    if (substitute || !d.m_substitution_logged) {
      d.m_substitution_logged = true;
      const char* name = d.m_font->get_name();
      log_error("error: substituting font!  font '%s' has no glyphs, using font '%s'\n", name ? name : "<null>",
                substitute && substitute->get_name() ? substitute->get_name() : "<null>");
    }
    if (substitute) d.m_font = substitute;
  }
  font* f = d.m_font.get_ptr();

  float scale = d.m_text_height / 1024.0f;
  float x = std::max(0.0f, d.m_left_margin + d.m_indent);
  float y = d.m_text_height + (f->get_leading() - f->get_descent()) * scale;
  float line_gap = d.m_leading + f->get_leading() * scale;

  glyph_record r;
  r.m_style.m_font_id = d.m_font_id;
  r.m_style.m_font = f;
  r.m_style.m_color = d.m_color;
  r.m_style.m_text_height = d.m_text_height;
  r.m_style.m_has_x_offset = true;
  r.m_style.m_has_y_offset = true;
  auto restart = [&](float at_x, float at_y) {
    r.m_glyphs.clear();
    r.m_style.m_x_offset = at_x;
    r.m_style.m_y_offset = at_y;
  };
  restart(x, y);

  m_text_bounding_box.m_x_min = m_text_bounding_box.m_x_max = x;
  m_text_bounding_box.m_y_min = m_text_bounding_box.m_y_max = y - f->get_descent() * scale + d.m_text_height;

  int last_code = -1;
  int last_space = -1;
  int line_start = 0;
  const char* cursor = m_text.c_str();
  for (;;) {
    uint32_t code = utf8_decode_next(&cursor);
    if (code == 0) break;
    if (last_code >= 0 && last_code <= 0xFFFF && code <= 0xFFFF) {
      x += f->kerning_of(static_cast<uint16_t>(last_code), static_cast<uint16_t>(code)) * scale;
    }
    last_code = static_cast<int>(std::min<uint32_t>(code, 0x7FFFFFFF));
    m_text_bounding_box.expand_to_point(x, y + f->get_descent() * scale);

    if (code == 13 || code == 10) {
      m_text_glyph_records.push_back(r);
      align_line(line_start, x);
      x = std::max(0.0f, d.m_left_margin + d.m_indent);
      y += d.m_text_height + line_gap;
      restart(x, y);
      last_space = -1;
      line_start = m_text_glyph_records.size();
      continue;
    }
    if (code == 8) {
      // Backspace: the next glyph overprints the last one.
      if (r.m_glyphs.size() > 0) {
        glyph_entry& last = r.m_glyphs[r.m_glyphs.size() - 1];
        x -= last.m_glyph_advance;
        last.m_glyph_advance = 0.0f;
      }
      continue;
    }
    if (code == 32) last_space = r.m_glyphs.size();

    glyph_entry entry;
    entry.m_glyph_index = code <= 0xFFFF ? f->glyph_index_of(static_cast<uint16_t>(code)) : -1;
    if (entry.m_glyph_index == -1) {
      static int s_missing_lines = 0;
      if (s_missing_lines < kMaxMissingGlyphLines) {
        ++s_missing_lines;
        log_error(
            "edit_text_character::display() -- missing glyph for char %d -- make sure character shapes for font %s "
            "are being exported into your SWF file!\n",
            static_cast<int>(code), f->get_name() ? f->get_name() : "");
      }
    }
    entry.m_glyph_advance = f->advance_of(entry.m_glyph_index) * scale;
    r.m_glyphs.push_back(entry);
    x += entry.m_glyph_advance;

    if (x < d.m_rect.width() - d.m_right_margin - kRightGutter) continue;

    // Wrap: the line ends at the last space, or before its last glyph.
    m_text_glyph_records.push_back(r);
    glyph_record& line = m_text_glyph_records[m_text_glyph_records.size() - 1];
    float previous_x = x;
    y += d.m_text_height + line_gap;
    x = d.m_left_margin;
    restart(x, y);
    int keep = line.m_glyphs.size();
    if (last_space >= 0 && last_space < line.m_glyphs.size()) {
      previous_x -= line.m_glyphs[last_space].m_glyph_advance;
      keep = last_space;
      for (int i = last_space + 1; i < line.m_glyphs.size(); ++i) {
        r.m_glyphs.push_back(line.m_glyphs[i]);
        x += line.m_glyphs[i].m_glyph_advance;
        previous_x -= line.m_glyphs[i].m_glyph_advance;
      }
    } else if (line.m_glyphs.size() > 0) {
      const glyph_entry& last = line.m_glyphs[line.m_glyphs.size() - 1];
      r.m_glyphs.push_back(last);
      x += last.m_glyph_advance;
      previous_x -= last.m_glyph_advance;
      keep = line.m_glyphs.size() - 1;
    }
    line.m_glyphs.resize(keep);
    align_line(line_start, previous_x);
    last_space = -1;
    line_start = m_text_glyph_records.size();
  }
  m_text_glyph_records.push_back(r);
  align_line(line_start, x);
}

void edit_text_character::display() {
  if (m_def->m_border) {
    render::set_matrix(get_world_matrix());
    int16_t corners[4][2];
    for (int i = 0; i < 4; ++i) {
      point p = m_def->m_rect.get_corner(i);
      corners[i][0] = to_coordinate(p.m_x);
      corners[i][1] = to_coordinate(p.m_y);
    }
    const int strip_order[4] = {0, 1, 3, 2};
    int16_t strip[8];
    for (int i = 0; i < 4; ++i) {
      strip[i * 2] = corners[strip_order[i]][0];
      strip[i * 2 + 1] = corners[strip_order[i]][1];
    }
    render::set_fill_color(0, rgba(255, 255, 255, 255));
    render::draw_triangle_strip(strip, 4);
    const int line_order[5] = {0, 1, 2, 3, 0};
    int16_t outline[10];
    for (int i = 0; i < 5; ++i) {
      outline[i * 2] = corners[line_order[i]][0];
      outline[i * 2 + 1] = corners[line_order[i]][1];
    }
    render::set_line_color(rgba(0, 0, 0, 255));
    render::draw_line_strip(outline, 5);
  }
  draw_glyph_records(matrix(), this, m_text_glyph_records, m_def->m_root_def);
  do_display_callback();
}

bool edit_text_character::get_member(const string& name, script_value* value) {
  standard_member_id id = get_standard_member(name);
  switch (id) {
    case M_X: value->set_double(get_matrix().m_[0][2] / 20.0); return true;
    case M_Y: value->set_double(get_matrix().m_[1][2] / 20.0); return true;
    case M_ALPHA: value->set_double(get_cxform().m_[3][0] * 100.0); return true;
    case M_VISIBLE: value->set_bool(get_visible()); return true;
    case M_WIDTH:
    case M_HEIGHT: {
      rect bounds;
      bounds.enclose_transformed_rect(get_world_matrix(), m_def->m_rect);
      value->set_double((id == M_WIDTH ? bounds.width() : bounds.height()) / 20.0);
      return true;
    }
    case M_TEXT: value->set_string(m_text.c_str()); return true;
    case M_TEXTWIDTH: value->set_double(m_text_bounding_box.width() / 20.0); return true;
    case M_TEXTCOLOR: {
      const cxform& cx = get_cxform();
      int color = (channel_of(cx.m_[0][0]) << 16) + (channel_of(cx.m_[1][0]) << 8) + channel_of(cx.m_[2][0]);
      value->set_int(color);
      return true;
    }
    default: return false;
  }
}

void edit_text_character::set_member(const string& name, const script_value& value) {
  switch (get_standard_member(name)) {
    case M_X:
    case M_Y: {
      matrix m = get_matrix();
      m.m_[get_standard_member(name) == M_X ? 0 : 1][2] = static_cast<float>(value.to_number() * 20.0);
      set_matrix(m);
      return;
    }
    case M_ALPHA: {
      cxform cx = get_cxform();
      cx.m_[3][0] = clamp01(value.to_number() * 0.01);
      set_cxform(cx);
      return;
    }
    case M_VISIBLE: set_visible(value.to_bool()); return;
    case M_TEXT: set_text_value(value.to_string().c_str()); return;
    case M_TEXTCOLOR: {
      uint32_t v = static_cast<uint32_t>(script_text::to_int32(value.to_number()));
      cxform cx = get_cxform();
      cx.m_[0][0] = clamp01(((v >> 16) & 255) / 255.0);
      cx.m_[1][0] = clamp01(((v >> 8) & 255) / 255.0);
      cx.m_[2][0] = clamp01((v & 255) / 255.0);
      set_cxform(cx);
      return;
    }
    default: return;
  }
}

}  // namespace swf
