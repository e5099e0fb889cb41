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

namespace swf {
struct cache_options;
class cache_reader;
}  // namespace swf

namespace swf::fontlib {

// Rasterises every outline glyph of the fonts that has no texture yet and packs them
// into glyph textures registered with the movie.
void build_glyph_textures(const array<font*>& fonts, movie_definition_sub* m);

// The font part of a movie's cache file: the glyph textures are built afresh and written
// with every textured glyph's box.
void save_cached_font_data(file_stream* out, movie_definition_sub* m, const array<font*>& fonts,
                           const cache_options& options);
// Reads the font part into the fonts. False (with a log line) when the part is damaged or
// does not match the fonts: the rest of the file is then not to be trusted. Glyphs read
// before the fault keep their textures.
bool load_cached_font_data(cache_reader* in, const array<font*>& fonts, movie_definition_sub* m);

}  // namespace swf::fontlib
