#include "engine/swf/shape/styles.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/swf/base/image.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/bitmap_character.h"
#include "engine/swf/movie/movie_definition.h"
#include "engine/swf/render/render_handler.h"

namespace swf {

namespace {

constexpr int kLinearGradientWidth = 256;
constexpr int kRadialGradientSide = 64;

bool is_gradient(int type) { return type == fill_style::LINEAR_GRADIENT || type == fill_style::RADIAL_GRADIENT; }

bool is_bitmap(int type) { return type == fill_style::REPEATING_BITMAP || type == fill_style::CLIPPED_BITMAP; }

// Counts of style arrays: a byte, 255 meaning a 16-bit count follows.
int read_style_count(stream* in, bool extended) {
  int count = in->read_u8();
  if (count == 255 && extended) count = in->read_u16();
  return count;
}

}  // namespace

fill_style::fill_style() = default;
fill_style::~fill_style() = default;
fill_style::fill_style(const fill_style&) = default;
fill_style& fill_style::operator=(const fill_style&) = default;

matrix fill_style::gradient_matrix_of(int type, const matrix& input) {
  matrix m;
  if (type == LINEAR_GRADIENT) {
    m.concatenate_translation(128.0f, 0.0f);
    m.concatenate_scale(1.0f / 128.0f);
  } else {
    m.concatenate_translation(32.0f, 32.0f);
    m.concatenate_scale(1.0f / 512.0f);
  }
  matrix inverse;
  inverse.set_inverse(input);
  m.concatenate(inverse);
  return m;
}

void fill_style::read(stream* in, int tag_type, movie_definition_sub* m) {
  m_type = in->read_u8();
  if (m_type == SOLID) {
    m_color.read(in, tag_type);
  } else if (is_gradient(m_type)) {
    matrix input;
    input.read(in);
    m_gradient_matrix = gradient_matrix_of(m_type, input);
    int count = in->read_u8();
    m_gradients.resize(static_cast<size_t>(count));
    for (gradient_record& g : m_gradients) {
      g.m_ratio = in->read_u8();
      g.m_color.read(in, tag_type);
    }
    if (!m_gradients.empty()) m_color = m_gradients[0].m_color;

    size_t image_bytes = m_type == LINEAR_GRADIENT ? size_t(kLinearGradientWidth) * 4
                                                   : size_t(kRadialGradientSide) * kRadialGradientSide * 4;
    // Without a movie (an outline read on its own) the image is made when first drawn.
    if (m) {
      if (m->get_create_bitmaps() == 1 || !m->charge_decoded_bytes(image_bytes)) {
        m_gradient_bitmap_info = render::create_bitmap_empty();
      } else {
        m_gradient_bitmap_info = create_gradient_bitmap();
      }
      m->add_bitmap_info(m_gradient_bitmap_info.get_ptr());
    }
  } else if (is_bitmap(m_type)) {
    int id = in->read_u16();
    if (m) m_bitmap_character = m->get_bitmap_character(id);
    matrix input;
    input.read(in);
    m_bitmap_matrix.set_inverse(input);
  }
}

rgba fill_style::sample_gradient(int ratio) const {
  // A gradient without records has nothing to sample: it keeps its plain colour.
  if (m_gradients.empty()) return m_color;
  if (ratio < m_gradients[0].m_ratio) return m_gradients[0].m_color;
  for (size_t k = 1; k < m_gradients.size(); ++k) {
    const gradient_record& g0 = m_gradients[k - 1];
    const gradient_record& g1 = m_gradients[k];
    if (ratio <= g1.m_ratio) {
      float f = 0.0f;
      if (g1.m_ratio != g0.m_ratio) {
        f = static_cast<float>(ratio - g0.m_ratio) / static_cast<float>(g1.m_ratio - g0.m_ratio);
      }
      rgba result;
      result.set_lerp(g0.m_color, g1.m_color, f);
      return result;
    }
  }
  return m_gradients.back().m_color;
}

bitmap_info* fill_style::create_gradient_bitmap() const {
  if (m_type == LINEAR_GRADIENT) {
    std::unique_ptr<image_rgba> im(create_image_rgba(kLinearGradientWidth, 1));
    if (!im) return render::create_bitmap_empty();
    for (int i = 0; i < kLinearGradientWidth; ++i) {
      rgba c = sample_gradient(i);
      im->set_pixel(i, 0, c.m_r, c.m_g, c.m_b, c.m_a);
    }
    return render::create_bitmap_rgba(im.get());
  }
  if (m_type == RADIAL_GRADIENT) {
    std::unique_ptr<image_rgba> im(create_image_rgba(kRadialGradientSide, kRadialGradientSide));
    if (!im) return render::create_bitmap_empty();
    const float center = (kRadialGradientSide - 1) / 2.0f;
    for (int j = 0; j < kRadialGradientSide; ++j) {
      for (int i = 0; i < kRadialGradientSide; ++i) {
        float x = (static_cast<float>(i) - center) / center;
        float y = (static_cast<float>(j) - center) / center;
        int ratio = static_cast<int>(std::floor(255.5f * std::sqrt(x * x + y * y)));
        rgba c = sample_gradient(std::min(255, ratio));
        im->set_pixel(i, j, c.m_r, c.m_g, c.m_b, c.m_a);
      }
    }
    return render::create_bitmap_rgba(im.get());
  }
  return render::create_bitmap_empty();
}

void fill_style::apply(int fill_side, float) const {
  if (m_type == SOLID) {
    render::set_fill_color(fill_side, m_color);
  } else if (is_gradient(m_type)) {
    if (!m_gradient_bitmap_info) m_gradient_bitmap_info = create_gradient_bitmap();
    render::set_fill_bitmap(fill_side, m_gradient_bitmap_info.get_ptr(), m_gradient_matrix,
                            render_handler::WRAP_CLAMP);
  } else if (is_bitmap(m_type)) {
    bitmap_info* bi = m_bitmap_character ? m_bitmap_character->get_bitmap_info() : nullptr;
    if (bi) {
      render::set_fill_bitmap(fill_side, bi, m_bitmap_matrix,
                              m_type == CLIPPED_BITMAP ? render_handler::WRAP_CLAMP : render_handler::WRAP_REPEAT);
    }
  }
}

void fill_style::blend(const fill_style& a, const fill_style& b, float t) {
  m_type = a.m_type;
  m_color.set_lerp(a.m_color, b.m_color, t);
  m_gradient_matrix.set_lerp(a.m_gradient_matrix, b.m_gradient_matrix, t);
  // The blend has as many records as this style; either side may have fewer (a damaged
  // morph), and a missing record reads as its counterpart.
  for (size_t k = 0; k < m_gradients.size(); ++k) {
    const gradient_record* ga = k < a.m_gradients.size() ? &a.m_gradients[k] : nullptr;
    const gradient_record* gb = k < b.m_gradients.size() ? &b.m_gradients[k] : ga;
    if (!ga) ga = gb;
    if (!ga) continue;
    float ratio = (static_cast<float>(gb->m_ratio) - ga->m_ratio) * t + ga->m_ratio + 0.5f;
    m_gradients[k].m_ratio = static_cast<uint8_t>(std::clamp(static_cast<int>(ratio), 0, 255));
    m_gradients[k].m_color.set_lerp(ga->m_color, gb->m_color, t);
  }
  m_gradient_bitmap_info = nullptr;
  m_bitmap_character = a.m_bitmap_character;
  m_bitmap_matrix.set_lerp(a.m_bitmap_matrix, b.m_bitmap_matrix, t);
}

void line_style::read(stream* in, int tag_type) {
  m_width = in->read_u16();
  m_color.read(in, tag_type);
}

void line_style::apply(float) const {
  render::set_line_color(m_color);
  render::set_line_width(static_cast<float>(m_width));
}

void read_fill_styles(std::vector<fill_style>* styles, stream* in, int tag_type, movie_definition_sub* m) {
  int count = read_style_count(in, tag_type > 2);
  for (int i = 0; i < count && !in->has_error(); ++i) {
    fill_style style;
    style.read(in, tag_type, m);
    if (static_cast<int>(styles->size()) < limits::kMaxStylesPerShape) styles->push_back(style);
  }
}

void read_line_styles(std::vector<line_style>* styles, stream* in, int tag_type) {
  int count = read_style_count(in, true);
  for (int i = 0; i < count && !in->has_error(); ++i) {
    line_style style;
    style.read(in, tag_type);
    if (static_cast<int>(styles->size()) < limits::kMaxStylesPerShape) styles->push_back(style);
  }
}

}  // namespace swf
