#pragma once

#include <cstdint>
#include <vector>

#include "engine/swf/base/records.h"
#include "engine/swf/base/ref_counted.h"

namespace swf {

class bitmap_character;
class bitmap_info;
class movie_definition_sub;
class stream;

struct gradient_record {
  uint8_t m_ratio = 0;
  rgba m_color;
};

// How one side of a shape's outline is filled: a colour, a gradient image or a bitmap.
class fill_style {
 public:
  enum type_code {
    SOLID = 0x00,
    LINEAR_GRADIENT = 0x10,
    RADIAL_GRADIENT = 0x12,
    REPEATING_BITMAP = 0x40,
    CLIPPED_BITMAP = 0x41,
  };

  fill_style();
  ~fill_style();
  fill_style(const fill_style&);
  fill_style& operator=(const fill_style&);

  void read(stream* in, int tag_type, movie_definition_sub* m);
  // Hands the fill to the render handler for the side (0 or 1); the ratio is not used.
  void apply(int fill_side, float ratio) const;
  // The blend of two styles at t (0 = a, 1 = b); its gradient image is made again at
  // the next apply.
  void blend(const fill_style& a, const fill_style& b, float t);

  // The gradient's colour at a ratio 0..255.
  rgba sample_gradient(int ratio) const;
  // The image of the gradient (256 x 1 linear, 64 x 64 radial) through the render
  // handler; an empty bitmap for other types.
  bitmap_info* create_gradient_bitmap() const;
  // The gradient matrix for the type from the matrix read from the file.
  static matrix gradient_matrix_of(int type, const matrix& input);

  int m_type = SOLID;
  rgba m_color;
  matrix m_gradient_matrix;
  std::vector<gradient_record> m_gradients;
  mutable smart_ptr<bitmap_info> m_gradient_bitmap_info;
  smart_ptr<bitmap_character> m_bitmap_character;
  matrix m_bitmap_matrix;
};

class line_style {
 public:
  void read(stream* in, int tag_type);
  void apply(float ratio) const;

  uint16_t m_width = 0;  // twips
  rgba m_color;
};

// Reads a style array of a shape tag and appends it (at most limits::kMaxStylesPerShape
// are kept; the rest are read and dropped).
void read_fill_styles(std::vector<fill_style>* styles, stream* in, int tag_type, movie_definition_sub* m);
void read_line_styles(std::vector<line_style>* styles, stream* in, int tag_type);

}  // namespace swf
