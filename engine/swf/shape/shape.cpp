#include "engine/swf/shape/shape.h"

#include <algorithm>
#include <cmath>

#include "engine/swf/base/file_stream.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/character.h"

namespace swf {

namespace {

// The number of style indices an outline may name: the shape's own arrays, or for a
// glyph (read without styles) the one fill style it is drawn with and no line style.
struct style_limits {
  int m_fills;
  int m_lines;
};

// A style index of a style-change record: 0 stays none, others are raised by the base of
// their block; an index past the styles read so far becomes none, so that no draw looks
// past an array and no index can make a mesh grow a strip per number.
int checked_style_index(int style, int base, int limit) {
  if (style <= 0) return 0;
  int index = style + base;
  return index <= limit ? index : 0;
}

}  // namespace

shape_character::shape_character() = default;
shape_character::~shape_character() = default;

void shape_character::read(stream* in, int tag_type, bool with_styles, movie_definition_sub* m) {
  if (with_styles) {
    m_bound.read(in);
    read_fill_styles(&m_fill_styles, in, tag_type, m);
    read_line_styles(&m_line_styles, in, tag_type);
  }
  const bool glyph = !with_styles && m_fill_styles.empty() && m_line_styles.empty();
  auto current_limits = [&]() {
    return glyph ? style_limits{1, 0}
                 : style_limits{static_cast<int>(m_fill_styles.size()), static_cast<int>(m_line_styles.size())};
  };

  int fill_base = 0;
  int line_base = 0;
  int fill_bits = static_cast<int>(in->read_uint(4));
  int line_bits = static_cast<int>(in->read_uint(4));
  float pen_x = 0.0f;
  float pen_y = 0.0f;
  shape_path current;

  auto flush_path = [&]() {
    if (!current.m_edges.empty()) {
      m_paths.push_back(current);
      current.m_edges.clear();
    }
  };

  for (;;) {
    if (in->read_uint(1)) {
      // Edge record.
      bool straight = in->read_uint(1) != 0;
      int bits = static_cast<int>(in->read_uint(4)) + 2;
      shape_edge edge;
      if (straight) {
        float dx = 0.0f, dy = 0.0f;
        if (in->read_uint(1)) {
          dx = static_cast<float>(in->read_sint(bits));
          dy = static_cast<float>(in->read_sint(bits));
        } else if (in->read_uint(1)) {
          dy = static_cast<float>(in->read_sint(bits));
        } else {
          dx = static_cast<float>(in->read_sint(bits));
        }
        edge.m_cx = edge.m_ax = pen_x + dx;
        edge.m_cy = edge.m_ay = pen_y + dy;
      } else {
        edge.m_cx = pen_x + static_cast<float>(in->read_sint(bits));
        edge.m_cy = pen_y + static_cast<float>(in->read_sint(bits));
        edge.m_ax = edge.m_cx + static_cast<float>(in->read_sint(bits));
        edge.m_ay = edge.m_cy + static_cast<float>(in->read_sint(bits));
      }
      if (in->has_error()) {
        flush_path();
        break;
      }
      current.m_edges.push_back(edge);
      pen_x = edge.m_ax;
      pen_y = edge.m_ay;
      continue;
    }

    // Style record; flags 0 (or a read past the tag's end) ends the records.
    int flags = static_cast<int>(in->read_uint(5));
    if (flags == 0 || in->has_error()) {
      flush_path();
      break;
    }
    if (flags & 0x01) {
      flush_path();
      int move_bits = static_cast<int>(in->read_uint(5));
      pen_x = static_cast<float>(in->read_sint(move_bits));
      pen_y = static_cast<float>(in->read_sint(move_bits));
      current.m_ax = pen_x;
      current.m_ay = pen_y;
    }
    if ((flags & 0x02) && fill_bits > 0) {
      flush_path();
      current.m_ax = pen_x;
      current.m_ay = pen_y;
      current.m_fill0 = checked_style_index(static_cast<int>(in->read_uint(fill_bits)), fill_base,
                                            current_limits().m_fills);
    }
    if ((flags & 0x04) && fill_bits > 0) {
      flush_path();
      current.m_ax = pen_x;
      current.m_ay = pen_y;
      current.m_fill1 = checked_style_index(static_cast<int>(in->read_uint(fill_bits)), fill_base,
                                            current_limits().m_fills);
    }
    if ((flags & 0x08) && line_bits > 0) {
      flush_path();
      current.m_ax = pen_x;
      current.m_ay = pen_y;
      current.m_line = checked_style_index(static_cast<int>(in->read_uint(line_bits)), line_base,
                                           current_limits().m_lines);
    }
    if (flags & 0x10) {
      if (!current.m_edges.empty()) {
        m_paths.push_back(current);
        current.m_edges.clear();
        current.m_fill0 = current.m_fill1 = current.m_line = -1;
      }
      shape_path separator;
      separator.m_new_shape = true;
      m_paths.push_back(separator);
      fill_base = static_cast<int>(m_fill_styles.size());
      line_base = static_cast<int>(m_line_styles.size());
      read_fill_styles(&m_fill_styles, in, tag_type, m);
      read_line_styles(&m_line_styles, in, tag_type);
      fill_bits = static_cast<int>(in->read_uint(4));
      line_bits = static_cast<int>(in->read_uint(4));
    }
  }
}

size_t shape_character::get_outline_bytes() const {
  size_t bytes = sizeof(*this) + m_paths.capacity() * sizeof(shape_path);
  for (const shape_path& path : m_paths) bytes += path.m_edges.capacity() * sizeof(shape_edge);
  return bytes;
}

void shape_character::compute_anchor_bound(rect* out) const {
  out->m_x_min = out->m_y_min = 1e10f;
  out->m_x_max = out->m_y_max = -1e10f;
  for (const shape_path& p : m_paths) {
    if (p.m_new_shape) continue;
    out->expand_to_point(p.m_ax, p.m_ay);
    for (const shape_edge& e : p.m_edges) out->expand_to_point(e.m_ax, e.m_ay);
  }
}

float shape_character::get_tolerance_floor() const {
  float x_min = 0.0f, x_max = 0.0f, y_min = 0.0f, y_max = 0.0f;
  bool any = false;
  auto take = [&](float x, float y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    if (!any) {
      x_min = x_max = x;
      y_min = y_max = y;
      any = true;
    }
    x_min = std::min(x_min, x), x_max = std::max(x_max, x);
    y_min = std::min(y_min, y), y_max = std::max(y_max, y);
  };
  for (const shape_path& p : m_paths) {
    if (p.m_new_shape) continue;
    take(p.m_ax, p.m_ay);
    for (const shape_edge& e : p.m_edges) {
      take(e.m_cx, e.m_cy);
      take(e.m_ax, e.m_ay);
    }
  }
  return std::max(x_max - x_min, y_max - y_min) * limits::kMinToleranceOfShapeSize;
}

void shape_character::tesselate(float error_tolerance, tesselate::trapezoid_sink* sink) const {
  // However fine the scale asks for, a shape is cut no finer than a fixed share of its
  // size: a huge zoom (or a tiny pixel scale) cannot make flattening run away.
  float floor = get_tolerance_floor();
  if (error_tolerance > 0.0f && error_tolerance < floor) error_tolerance = floor;

  tesselate::start_shape(sink, error_tolerance);
  for (const shape_path& p : m_paths) {
    if (p.m_new_shape) {
      tesselate::finish_shape();
      tesselate::start_shape(sink, error_tolerance);
      continue;
    }
    tesselate::start_path(p.m_fill0 - 1, p.m_fill1 - 1, p.m_line - 1, p.m_ax, p.m_ay);
    for (const shape_edge& e : p.m_edges) tesselate::curve_to(e.m_cx, e.m_cy, e.m_ax, e.m_ay);
    tesselate::finish_path();
  }
  tesselate::finish_shape();
}

void shape_character::display_with_mesh_cache(const matrix& m, const cxform& cx, float pixel_scale,
                                              const std::vector<fill_style>& fills,
                                              const std::vector<line_style>& lines) const {
  float scale = m.get_max_scale();
  if (!(std::fabs(scale) >= 1e-6f)) return;
  float wanted = (1.0f / pixel_scale) / scale * kCurvePixelError * 20.0f;
  // A scale or pixel scale that gives no usable tolerance draws nothing, rather than
  // tesselating (and caching) afresh each frame.
  if (!std::isfinite(wanted) || !(wanted > 0.0f)) return;

  ++m_draw_count;
  for (const std::unique_ptr<shape_mesh>& mesh : m_cached_meshes) {
    float tolerance = mesh->get_error_tolerance();
    if (wanted > tolerance * 3.0f) break;  // the rest are finer still
    if (wanted > tolerance) {
      mesh->m_last_used = m_draw_count;
      mesh->display(m, cx, fills, lines);
      return;
    }
  }

  shape_mesh* mesh = new shape_mesh(this, wanted * 0.75f);
  mesh->m_last_used = m_draw_count;
  m_cached_meshes.emplace_back(mesh);
  std::stable_sort(m_cached_meshes.begin(), m_cached_meshes.end(), [](const auto& a, const auto& b) {
    return a->get_error_tolerance() > b->get_error_tolerance();
  });
  // The cache keeps a few scales: the least recently drawn mesh makes room.
  if (static_cast<int>(m_cached_meshes.size()) > limits::kMaxMeshesPerShape) {
    auto oldest = std::min_element(m_cached_meshes.begin(), m_cached_meshes.end(),
                                   [](const auto& a, const auto& b) { return a->m_last_used < b->m_last_used; });
    m_cached_meshes.erase(oldest);
  }
  mesh->display(m, cx, fills, lines);
}

void shape_character::display(character* instance) {
  character* parent = instance->get_parent();
  display_with_mesh_cache(instance->get_world_matrix(), instance->get_world_cxform(),
                          parent ? parent->get_pixel_scale() : 1.0f, m_fill_styles, m_line_styles);
}

bool shape_path::point_test(float x, float y) const {
  // A path without a fill on either side (an outline alone) has no inside to hit.
  if (m_edges.empty() || m_fill0 < 0 || (m_fill0 == 0 && m_fill1 <= 0)) return false;
  int crossings = 0;
  float x0 = m_ax, y0 = m_ay;
  for (const shape_edge& e : m_edges) {
    float x1 = e.m_ax, y1 = e.m_ay;
    if (e.is_straight()) {
      // Each edge holds its end point and not its start, so a vertex at the ray's height
      // is counted once.
      float lhs = (x1 - x0) * (y - y0) + (y1 - y0) * x0;
      float rhs = (y1 - y0) * x;
      if (y0 < y && y <= y1) {
        if (lhs > rhs) ++crossings;
      } else if (y1 <= y && y < y0) {
        if (lhs < rhs) ++crossings;
      }
    } else {
      float cx = e.m_cx, cy = e.m_cy;
      bool all_below = y0 < y && y1 < y && cy < y;
      bool all_above = y0 > y && y1 > y && cy > y;
      bool all_left = x0 < x && x1 < x && cx < x;
      if (!all_below && !all_above && !all_left) {
        float a = y0 - 2.0f * cy + y1;
        float b = 2.0f * (cy - y0);
        float c = y0 - y;
        float d = b * b - 4.0f * a * c;
        if (d >= 0.0f) {
          float root = std::sqrt(d);
          float q = b < 0.0f ? -0.5f * (b - root) : -0.5f * (b + root);
          auto count_root = [&](float t) {
            if (!(t >= 0.0f && t < 1.0f)) return;
            float xt = ((x0 - 2.0f * cx + x1) * t + 2.0f * (cx - x0)) * t + x0;
            if (xt > x) ++crossings;
          };
          if (a != 0.0f) count_root(q / a);
          if (q != 0.0f) count_root(c / q);
        }
      }
    }
    x0 = x1;
    y0 = y1;
  }
  return (crossings & 1) != 0;
}

bool shape_character::point_test_local(float x, float y) {
  if (!m_bound.point_test(x, y)) return false;
  for (const shape_path& p : m_paths) {
    if (p.point_test(x, y)) return true;
  }
  return false;
}

void shape_character::output_cached_data(file_stream* out, const void*) {
  int32_t count = static_cast<int32_t>(m_cached_meshes.size());
  uint8_t b[4] = {uint8_t(count), uint8_t(count >> 8), uint8_t(count >> 16), uint8_t(count >> 24)};
  out->write_bytes(b, 4);
  for (const std::unique_ptr<shape_mesh>& mesh : m_cached_meshes) mesh->output_cached_data(out);
}

void shape_character::input_cached_data(file_stream* in) {
  m_cached_meshes.clear();
  uint8_t b[4];
  if (in->read_bytes(b, 4) != 4) return;
  int32_t count = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                       uint32_t(b[3]) << 24);
  // A damaged record keeps the whole meshes before it; meshes past the cache's size and
  // meshes of an unusable tolerance are read and dropped.
  for (int32_t i = 0; i < count; ++i) {
    auto mesh = std::make_unique<shape_mesh>();
    if (!mesh->input_cached_data(in)) break;
    float tolerance = mesh->get_error_tolerance();
    if (!std::isfinite(tolerance) || !(tolerance > 0.0f)) continue;
    if (static_cast<int>(m_cached_meshes.size()) < limits::kMaxMeshesPerShape) {
      m_cached_meshes.push_back(std::move(mesh));
    }
  }
  std::stable_sort(m_cached_meshes.begin(), m_cached_meshes.end(), [](const auto& a, const auto& b) {
    return a->get_error_tolerance() > b->get_error_tolerance();
  });
}

}  // namespace swf
