#pragma once

#include "tools/swfwriter/SwfWriter.h"

namespace swfw {

// A glyph outline of its own for each index: a box with a hole and a curved top whose
// sizes follow the index, so no two glyphs rasterise alike.
Shape NumberedGlyph(int index);

// A movie heavy in text: a gradient-filled shape first (so its bitmap comes before the
// glyph textures), two fonts of glyphsPerFont numbered glyphs each with codes from 'A' on
// and a space,
// shapeCount filled shapes, a static text in each font and an edit text field, all placed
// in its one frame. Character ids: gradient 1, fonts 2 and 3, shapes from 10, static
// texts 4 and 5, the field 6 (variable "caption").
Bytes TextHeavyMovie(int glyphsPerFont, int shapeCount);

}  // namespace swfw
