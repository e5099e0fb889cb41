// Drawing glyphs from the glyph textures.

#include "engine/swf/text/fontlib.h"

#include "engine/swf/render/render_handler.h"

namespace swf::fontlib {

float max_textured_height(const font* f) {
  return static_cast<float>(f->get_cached_glyph_nominal_size()) / 1536.0f * 1024.0f;
}

void draw_cached_glyph(const matrix& m, const cached_glyph& glyph, rgba color, int nominal_size) {
  if (!glyph.has_texture() || nominal_size <= 0) return;
  // Texture units to glyph units; each font's nominal size gives its own scale.
  float k = 1536.0f * 256.0f / static_cast<float>(nominal_size);
  const rect& uv = glyph.m_uv_bounds;
  const point& origin = glyph.m_uv_origin;
  rect quad;
  quad.m_x_min = (uv.m_x_min - origin.m_x) * k;
  quad.m_x_max = (uv.m_x_max - origin.m_x) * k;
  quad.m_y_min = (uv.m_y_min - origin.m_y) * k;
  quad.m_y_max = (uv.m_y_max - origin.m_y) * k;
  render::draw_bitmap_quad(m, glyph.m_bitmap_info.get_ptr(), quad, uv, color);
}

int get_font_count() { return 0; }

font* get_font(int) { return nullptr; }

}  // namespace swf::fontlib
