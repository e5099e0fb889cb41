#include "engine/swf/shape/morph_shape.h"

#include <cmath>

#include "engine/swf/base/limits.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/bitmap_character.h"

namespace swf {

namespace {

int read_morph_count(stream* in) {
  int count = in->read_u8();
  if (count == 255) count = in->read_u16();
  return count;
}

// The start and end fill styles of one morph style record.
void read_morph_fill(stream* in, int tag_type, movie_definition_sub* m, fill_style* start, fill_style* end) {
  int type = in->read_u8();
  start->m_type = end->m_type = type;
  if (type == fill_style::SOLID) {
    start->m_color.read_rgba(in);
    end->m_color.read_rgba(in);
  } else if (type == fill_style::LINEAR_GRADIENT || type == fill_style::RADIAL_GRADIENT) {
    matrix input;
    input.read(in);
    start->m_gradient_matrix = fill_style::gradient_matrix_of(type, input);
    input.read(in);
    end->m_gradient_matrix = fill_style::gradient_matrix_of(type, input);
    int count = in->read_u8();
    start->m_gradients.resize(static_cast<size_t>(count));
    end->m_gradients.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      start->m_gradients[static_cast<size_t>(i)].m_ratio = in->read_u8();
      start->m_gradients[static_cast<size_t>(i)].m_color.read(in, tag_type);
      end->m_gradients[static_cast<size_t>(i)].m_ratio = in->read_u8();
      end->m_gradients[static_cast<size_t>(i)].m_color.read(in, tag_type);
    }
    if (count > 0) {
      start->m_color = start->m_gradients[0].m_color;
      end->m_color = end->m_gradients[0].m_color;
    }
  } else if (type == fill_style::REPEATING_BITMAP || type == fill_style::CLIPPED_BITMAP) {
    int id = in->read_u16();
    bitmap_character* bitmap = m ? m->get_bitmap_character(id) : nullptr;
    start->m_bitmap_character = bitmap;
    end->m_bitmap_character = bitmap;
    matrix input;
    input.read(in);
    start->m_bitmap_matrix.set_inverse(input);
    input.read(in);
    end->m_bitmap_matrix.set_inverse(input);
  }
}

// Walks the end shape's edges as one sequence across its paths, so that an end shape that
// splits a path still pairs edge by edge; past its last edge there is nothing to pair.
class end_edge_cursor {
 public:
  explicit end_edge_cursor(const std::vector<shape_path>& paths) : m_paths(paths) { skip_empty(); }

  const shape_path* path() const { return m_path < m_paths.size() ? &m_paths[m_path] : nullptr; }
  const shape_edge* edge() const {
    const shape_path* p = path();
    return p ? &p->m_edges[m_edge] : nullptr;
  }
  void advance() {
    if (!path()) return;
    if (++m_edge >= m_paths[m_path].m_edges.size()) {
      ++m_path;
      m_edge = 0;
      skip_empty();
    }
  }

 private:
  void skip_empty() {
    while (m_path < m_paths.size() && m_paths[m_path].m_edges.empty()) ++m_path;
  }
  const std::vector<shape_path>& m_paths;
  size_t m_path = 0;
  size_t m_edge = 0;
};

float lerp(float a, float b, float t) { return a + (b - a) * t; }

}  // namespace

morph_shape::morph_shape() : m_shape1(new shape_character), m_shape2(new shape_character) {}

morph_shape::~morph_shape() = default;

void morph_shape::read(stream* in, int tag_type, bool, movie_definition_sub* m) {
  m_shape1->m_bound.read(in);
  m_shape2->m_bound.read(in);
  in->read_u32();  // offset of the end edges, not needed

  int fill_count = read_morph_count(in);
  for (int i = 0; i < fill_count && !in->has_error(); ++i) {
    fill_style start, end;
    read_morph_fill(in, tag_type, m, &start, &end);
    if (static_cast<int>(m_shape1->m_fill_styles.size()) < limits::kMaxStylesPerShape) {
      m_shape1->m_fill_styles.push_back(start);
      m_shape2->m_fill_styles.push_back(end);
    }
  }
  int line_count = read_morph_count(in);
  for (int i = 0; i < line_count && !in->has_error(); ++i) {
    line_style start, end;
    start.m_width = in->read_u16();
    end.m_width = in->read_u16();
    start.m_color.read(in, tag_type);
    end.m_color.read(in, tag_type);
    if (static_cast<int>(m_shape1->m_line_styles.size()) < limits::kMaxStylesPerShape) {
      m_shape1->m_line_styles.push_back(start);
      m_shape2->m_line_styles.push_back(end);
    }
  }

  m_shape1->read(in, tag_type, false, m);
  in->align();
  m_shape2->read(in, tag_type, false, m);

  // The blend's arrays take the start shape's sizes.
  m_fill_styles = m_shape1->m_fill_styles;
  m_line_styles = m_shape1->m_line_styles;
  m_paths = m_shape1->m_paths;
  m_bound = m_shape1->m_bound;
}

void morph_shape::set_blend(float t) {
  const shape_character& s1 = *m_shape1;
  const shape_character& s2 = *m_shape2;
  m_bound.set_lerp(s1.m_bound, s2.m_bound, t);

  for (size_t i = 0; i < m_fill_styles.size(); ++i) {
    const fill_style& a = s1.m_fill_styles[i];
    const fill_style& b = i < s2.m_fill_styles.size() ? s2.m_fill_styles[i] : a;
    m_fill_styles[i].blend(a, b, t);
  }
  for (size_t i = 0; i < m_line_styles.size(); ++i) {
    const line_style& a = s1.m_line_styles[i];
    const line_style& b = i < s2.m_line_styles.size() ? s2.m_line_styles[i] : a;
    float width = (static_cast<float>(b.m_width) - a.m_width) * t + a.m_width + 0.5f;
    m_line_styles[i].m_width = static_cast<uint16_t>(static_cast<int>(width));
    m_line_styles[i].m_color.set_lerp(a.m_color, b.m_color, t);
  }

  // An end shape with fewer edges than the start blends what it has; the start's edges
  // past them stay as they are.
  end_edge_cursor cursor(s2.m_paths);
  for (size_t i = 0; i < m_paths.size(); ++i) {
    const shape_path& p1 = s1.m_paths[i];
    shape_path& p = m_paths[i];
    p.m_fill0 = p1.m_fill0;
    p.m_fill1 = p1.m_fill1;
    p.m_line = p1.m_line;
    if (p.m_fill0 == 0 && p.m_fill1 == 0 && !s1.m_fill_styles.empty()) p.m_fill0 = 1;
    const shape_path* p2 = cursor.path();
    p.m_ax = p2 ? lerp(p1.m_ax, p2->m_ax, t) : p1.m_ax;
    p.m_ay = p2 ? lerp(p1.m_ay, p2->m_ay, t) : p1.m_ay;
    for (size_t j = 0; j < p.m_edges.size(); ++j) {
      const shape_edge& e1 = p1.m_edges[j];
      const shape_edge* e2 = cursor.edge();
      shape_edge& e = p.m_edges[j];
      if (e2) {
        e.m_cx = lerp(e1.m_cx, e2->m_cx, t);
        e.m_cy = lerp(e1.m_cy, e2->m_cy, t);
        e.m_ax = lerp(e1.m_ax, e2->m_ax, t);
        e.m_ay = lerp(e1.m_ay, e2->m_ay, t);
      } else {
        e = e1;
      }
      cursor.advance();
    }
  }
}

void morph_shape::display_at_ratio(const matrix& m, const cxform& cx, float pixel_scale, float ratio) {
  // As for shapes, a scale too small to see, or one that gives no usable tolerance,
  // draws nothing.
  float scale = m.get_max_scale();
  if (!(std::fabs(scale) >= 1e-6f)) return;
  float tolerance = 20.0f / scale / pixel_scale;
  if (!std::isfinite(tolerance) || !(tolerance > 0.0f)) return;

  // The first display builds a mesh even at the ratio the morph starts with.
  if (!m_mesh || ratio != m_last_ratio) {
    set_blend(ratio);
    m_last_ratio = ratio;
    m_mesh.reset();
    m_mesh = std::make_unique<shape_mesh>(this, tolerance * 0.75f);
  }
  m_mesh->display(m, cx, m_fill_styles, m_line_styles);
}

void morph_shape::display(character* instance) {
  character* parent = instance->get_parent();
  display_at_ratio(instance->get_world_matrix(), instance->get_world_cxform(),
                   parent ? parent->get_pixel_scale() : 1.0f, instance->get_ratio());
}

}  // namespace swf
