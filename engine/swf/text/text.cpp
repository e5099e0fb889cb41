// Static text: the glyph runs of DefineText and DefineText2 and the drawing of glyph runs
// shared with edit text fields.

#include "engine/swf/text/text.h"

#include <vector>

#include "engine/swf/base/log.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/render/render_handler.h"
#include "engine/swf/shape/styles.h"
#include "engine/swf/text/fontlib.h"

namespace swf {

void text_character::read(stream* in, int tag_type, movie_definition_sub* m) {
  m_rect.read(in);
  m_matrix.read(in);
  int glyph_bits = in->read_u8();
  int advance_bits = in->read_u8();
  // The stream refuses fields wider than 32 bits: such a text ends here, without runs.
  if (glyph_bits > 32 || advance_bits > 32) {
    log_error("error: text_character::read -- glyph bits %d, advance bits %d\n", glyph_bits, advance_bits);
    return;
  }

  text_style style;
  bool last_was_style = false;
  for (;;) {
    int first_byte = in->read_u8();
    if (first_byte == 0 || in->has_error()) break;
    if (!last_was_style) {
      // A style record.
      last_was_style = true;
      bool has_font = (first_byte & 0x08) != 0;
      bool has_color = (first_byte & 0x04) != 0;
      bool has_y_offset = (first_byte & 0x02) != 0;
      bool has_x_offset = (first_byte & 0x01) != 0;
      if (has_font) {
        style.m_font_id = in->read_u16();
        style.m_font = nullptr;
        style.m_font_missing = false;
      }
      if (has_color) {
        if (tag_type == 11) {
          style.m_color.read_rgb(in);
        } else {
          style.m_color.read_rgba(in);
        }
      }
      style.m_has_x_offset = has_x_offset;
      style.m_x_offset = has_x_offset ? in->read_s16() : 0.0f;
      style.m_has_y_offset = has_y_offset;
      style.m_y_offset = has_y_offset ? in->read_s16() : 0.0f;
      if (has_font) style.m_text_height = in->read_u16();
    } else {
      // A glyph record: the first byte is its glyph count (1 to 255).
      last_was_style = false;
      int count = first_byte;
      m_text_glyph_records.resize(m_text_glyph_records.size() + 1);
      glyph_record& record = m_text_glyph_records[m_text_glyph_records.size() - 1];
      record.m_style = style;
      record.m_glyphs.resize(count);
      for (int i = 0; i < count; ++i) {
        record.m_glyphs[i].m_glyph_index = static_cast<int>(in->read_uint(glyph_bits));
        record.m_glyphs[i].m_glyph_advance = static_cast<float>(in->read_sint(advance_bits));
      }
    }
  }
  (void)m;
}

void text_character::display(character* instance) {
  draw_glyph_records(m_matrix, instance, m_text_glyph_records, m_root_def);
}

void draw_glyph_records(const matrix& m, character* inst, array<glyph_record>& records,
                        movie_definition_sub* root_def) {
  static std::vector<fill_style>* s_fill_styles = new std::vector<fill_style>(1);
  static const std::vector<line_style>* s_line_styles = new std::vector<line_style>;
  static const int16_t kEmptyBox[10] = {32, 32, 480, 32, 480, -656, 32, -656, 32, 32};

  matrix mat = inst->get_world_matrix();
  mat.concatenate(m);
  cxform cx = inst->get_world_cxform();
  float pixel_scale = inst->get_pixel_scale();
  float max_scale = mat.get_max_scale();

  float x = 0.0f;
  float y = 0.0f;
  for (int i = 0; i < records.size(); ++i) {
    glyph_record& record = records[i];
    text_style& style = record.m_style;
    if (style.m_font == nullptr) {
      if (style.m_font_missing) continue;
      style.m_font = root_def ? root_def->get_font(style.m_font_id) : nullptr;
      if (style.m_font == nullptr) {
        // Logged once for the run; later frames skip it quietly.
        style.m_font_missing = true;
        log_error("error: text style with undefined font; font_id = %d\n", style.m_font_id);
        continue;
      }
    }
    const font* fnt = style.m_font.get_ptr();
    float scale = style.m_text_height / 1024.0f;
    int nominal = fnt->get_cached_glyph_nominal_size();
    float screen_height = scale * max_scale * pixel_scale * 51.2f;
    bool use_textures = fontlib::max_textured_height(fnt) >= screen_height;
    if (style.m_has_x_offset) x = style.m_x_offset;
    if (style.m_has_y_offset) y = style.m_y_offset;
    (*s_fill_styles)[0].m_color = style.m_color;
    rgba color = cx.transform(style.m_color);

    for (int j = 0; j < record.m_glyphs.size(); ++j) {
      int index = record.m_glyphs[j].m_glyph_index;
      matrix glyph_matrix = mat;
      glyph_matrix.concatenate_translation(x, y);
      glyph_matrix.concatenate_scale(scale);
      if (index == -1) {
        render::set_matrix(glyph_matrix);
        render::set_line_color(color);
        render::draw_line_strip(kEmptyBox, 5);
      } else {
        const cached_glyph& cached = fnt->cached_glyph_of(index);
        shape_character* outline = fnt->glyph_shape(index);
        if (cached.has_texture() && (use_textures || outline == nullptr)) {
          fontlib::draw_cached_glyph(glyph_matrix, cached, color, nominal);
        } else if (outline) {
          outline->display_with_mesh_cache(glyph_matrix, cx, pixel_scale, *s_fill_styles, *s_line_styles);
        }
      }
      x += record.m_glyphs[j].m_glyph_advance;
    }
  }
}

void define_text_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  smart_ptr<text_character> ch(new text_character(m));
  ch->read(in, tag_type, m);
  m->add_character(character_id, ch.get_ptr());
}

}  // namespace swf
