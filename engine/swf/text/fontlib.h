#pragma once

#include "engine/swf/base/array.h"
#include "engine/swf/base/records.h"
#include "engine/swf/text/font.h"

namespace swf {
class file_stream;
class movie_definition_sub;
}  // namespace swf

namespace swf::fontlib {

// The tallest on-screen glyph height (pixels) that the font's glyph textures serve;
// taller text is drawn from the outlines.
float max_textured_height(const font* f);

// Draws one cached glyph as a textured quad in glyph units under the matrix.
void draw_cached_glyph(const matrix& m, const cached_glyph& glyph, rgba color, int nominal_size);

// The fonts a text field without glyphs may borrow from; nothing adds to it yet, so it
// stays empty. get_font answers none outside 0 .. count - 1.
int get_font_count();
font* get_font(int index);

}  // namespace swf::fontlib
