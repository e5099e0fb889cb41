// Building, drawing and caching the triangle strips of one tesselated shape.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>

#include "engine/swf/base/file_stream.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/render/render_handler.h"
#include "engine/swf/shape/shape.h"

namespace swf {

namespace {

int s_build_count = 0;

// Twips beyond the 16-bit range are clamped, not wrapped: a wrapped coordinate would
// throw a vertex across the stage.
int16_t to_coord(float v) {
  if (!(v > -32768.0f)) return -32768;  // NaN too
  if (v > 32767.0f) return 32767;
  return static_cast<int16_t>(v);  // toward zero
}

struct strip_point {
  float m_x, m_y;
  bool bitwise_equal(const strip_point& o) const {
    return std::memcmp(&m_x, &o.m_x, sizeof(float)) == 0 && std::memcmp(&m_y, &o.m_y, sizeof(float)) == 0;
  }
  bool operator==(const strip_point& o) const { return m_x == o.m_x && m_y == o.m_y; }
};

// Gathers the trapezoids of one fill style into strips: a trapezoid whose top edge is the
// last edge of a strip extends that strip. The strips are found through their last edge,
// so a shape of many separate pieces does not search every strip for every trapezoid;
// among strips that end in the same edge the search order is kept: the first after the
// strip extended last, else the first from the start.
class strip_builder {
 public:
  void add_trapezoid(const strip_point& l0, const strip_point& r0, const strip_point& l1, const strip_point& r1) {
    // A top edge that is a single point always starts a strip of its own.
    if (!l0.bitwise_equal(r0)) {
      auto found = m_strips_by_last_edge.find(edge_key::of(l0, r0));
      if (found != m_strips_by_last_edge.end()) {
        std::set<int>& candidates = found->second;
        auto next = candidates.upper_bound(m_last_strip_used);
        int i = next != candidates.end() ? *next : *candidates.begin();
        candidates.erase(i);
        if (candidates.empty()) m_strips_by_last_edge.erase(found);
        std::vector<strip_point>& strip = m_strips[static_cast<size_t>(i)];
        strip.push_back(l1);
        strip.push_back(r1);
        m_strips_by_last_edge[edge_key::of(l1, r1)].insert(i);
        m_last_strip_used = i;
        return;
      }
    }
    m_strips_by_last_edge[edge_key::of(l1, r1)].insert(static_cast<int>(m_strips.size()));
    m_strips.push_back({l0, r0, l1, r1});
  }

  // All strips joined into one, with degenerate triangles between them.
  std::vector<float> join() const {
    std::vector<strip_point> joined;
    for (size_t k = 0; k < m_strips.size(); ++k) {
      const std::vector<strip_point>& s = m_strips[k];
      if (k == 0) {
        joined = s;
        continue;
      }
      strip_point last = joined[joined.size() - 1];
      strip_point second_last = joined[joined.size() - 2];
      if (last == s[1] && second_last == s[0]) {
        joined.insert(joined.end(), s.begin() + 2, s.end());
      } else if (last == s[0] && second_last == s[1]) {
        joined.push_back(second_last);
        joined.insert(joined.end(), s.begin() + 2, s.end());
      } else {
        joined.push_back(last);
        joined.push_back(s[0]);
        joined.insert(joined.end(), s.begin(), s.end());
      }
    }
    std::vector<float> coords;
    coords.reserve(joined.size() * 2);
    for (const strip_point& p : joined) {
      coords.push_back(p.m_x);
      coords.push_back(p.m_y);
    }
    return coords;
  }

 private:
  // The last two points of a strip, bit for bit (as the search compares them).
  struct edge_key {
    uint32_t m_bits[4];
    static edge_key of(const strip_point& a, const strip_point& b) {
      edge_key k;
      std::memcpy(&k.m_bits[0], &a.m_x, 4);
      std::memcpy(&k.m_bits[1], &a.m_y, 4);
      std::memcpy(&k.m_bits[2], &b.m_x, 4);
      std::memcpy(&k.m_bits[3], &b.m_y, 4);
      return k;
    }
    bool operator==(const edge_key& o) const { return std::memcmp(m_bits, o.m_bits, sizeof(m_bits)) == 0; }
  };
  struct edge_key_hash {
    size_t operator()(const edge_key& k) const {
      uint64_t h = 1469598103934665603ull;
      for (uint32_t bits : k.m_bits) h = (h ^ bits) * 1099511628211ull;
      return static_cast<size_t>(h ^ (h >> 29));
    }
  };

  std::vector<std::vector<strip_point>> m_strips;
  // Strips by their last edge, each set ascending by strip index.
  std::unordered_map<edge_key, std::set<int>, edge_key_hash> m_strips_by_last_edge;
  int m_last_strip_used = -1;
};

// The sink that fills a mesh: trapezoids into per-style strip builders, outlines straight
// into the mesh.
class trapezoid_collector : public tesselate::trapezoid_sink {
 public:
  explicit trapezoid_collector(shape_mesh* mesh) : m_mesh(mesh) {}

  void take_trapezoid(int style, const tesselate::trapezoid& tr) override {
    m_builders[style].add_trapezoid({tr.m_lx0, tr.m_y0}, {tr.m_rx0, tr.m_y0}, {tr.m_lx1, tr.m_y1},
                                    {tr.m_rx1, tr.m_y1});
  }
  void take_outline(int style, const float* coords, int point_count) override {
    m_mesh->add_outline(style, coords, point_count);
  }

  void flush() {
    for (const auto& [style, builder] : m_builders) m_mesh->set_fill_strip(style, builder.join());
    m_builders.clear();
  }

 private:
  shape_mesh* m_mesh;
  std::map<int, strip_builder> m_builders;
};

// Little-endian values of the cache file.
void write_i32(file_stream* out, int32_t v) {
  uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  out->write_bytes(b, 4);
}

void write_f32(file_stream* out, float f) {
  int32_t v;
  std::memcpy(&v, &f, 4);
  write_i32(out, v);
}

void write_coords(file_stream* out, const std::vector<int16_t>& coords) {
  write_i32(out, static_cast<int32_t>(coords.size()));
  std::vector<uint8_t> bytes(coords.size() * 2);
  for (size_t i = 0; i < coords.size(); ++i) {
    bytes[2 * i] = static_cast<uint8_t>(coords[i]);
    bytes[2 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(coords[i]) >> 8);
  }
  if (!bytes.empty()) out->write_bytes(bytes.data(), static_cast<int>(bytes.size()));
}

bool read_i32(file_stream* in, int32_t* v) {
  uint8_t b[4];
  if (in->read_bytes(b, 4) != 4) return false;
  *v = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
  return true;
}

bool read_f32(file_stream* in, float* f) {
  int32_t v;
  if (!read_i32(in, &v)) return false;
  std::memcpy(f, &v, 4);
  return true;
}

// A count and that many 16-bit coordinates; the array grows only as the bytes come, so a
// lying count costs no more than the file holds.
bool read_coords(file_stream* in, std::vector<int16_t>* coords) {
  int32_t count;
  if (!read_i32(in, &count) || count < 0 || count > limits::kMaxCachedStripCoordinates) return false;
  coords->clear();
  uint8_t chunk[4096];
  int left = count;
  while (left > 0) {
    int n = std::min(left, static_cast<int>(sizeof(chunk) / 2));
    if (in->read_bytes(chunk, n * 2) != n * 2) return false;
    for (int i = 0; i < n; ++i) coords->push_back(static_cast<int16_t>(chunk[2 * i] | (chunk[2 * i + 1] << 8)));
    left -= n;
  }
  return true;
}

}  // namespace

shape_mesh::shape_mesh(const tesselating_shape* shape, float error_tolerance) : m_error_tolerance(error_tolerance) {
  ++s_build_count;
  trapezoid_collector collector(this);
  shape->tesselate(error_tolerance, &collector);
  collector.flush();
}

int shape_mesh::get_build_count() { return s_build_count; }

void shape_mesh::add_outline(int style, const float* coords, int point_count) {
  outline_strip strip;
  strip.m_style = style;
  strip.m_coords.resize(static_cast<size_t>(point_count) * 2);
  for (size_t i = 0; i < strip.m_coords.size(); ++i) strip.m_coords[i] = to_coord(coords[i]);
  m_outline_strips.push_back(std::move(strip));
}

void shape_mesh::set_fill_strip(int style, const std::vector<float>& coords) {
  if (style < 0) return;
  if (static_cast<int>(m_fill_strips.size()) < style + 1) m_fill_strips.resize(static_cast<size_t>(style) + 1);
  std::vector<int16_t>& strip = m_fill_strips[static_cast<size_t>(style)];
  strip.resize(coords.size());
  for (size_t i = 0; i < coords.size(); ++i) strip[i] = to_coord(coords[i]);
}

void shape_mesh::display(const matrix& m, const cxform& cx, const std::vector<fill_style>& fills,
                         const std::vector<line_style>& lines) const {
  render::set_matrix(m);
  render::set_color_transform(cx);
  // Strips and outlines of styles the arrays do not hold (a glyph drawn with fewer
  // styles, a mesh from a cache file) are not drawn.
  for (size_t i = 0; i < m_fill_strips.size() && i < fills.size(); ++i) {
    const std::vector<int16_t>& strip = m_fill_strips[i];
    if (strip.empty()) continue;
    fills[i].apply(0, 1.0f);
    render::draw_triangle_strip(strip.data(), static_cast<int>(strip.size() / 2));
  }
  for (const outline_strip& o : m_outline_strips) {
    if (o.m_style < 0 || static_cast<size_t>(o.m_style) >= lines.size()) continue;
    lines[static_cast<size_t>(o.m_style)].apply(1.0f);
    render::draw_line_strip(o.m_coords.data(), static_cast<int>(o.m_coords.size() / 2));
  }
}

void shape_mesh::output_cached_data(file_stream* out) const {
  write_f32(out, m_error_tolerance);
  write_i32(out, static_cast<int32_t>(m_fill_strips.size()));
  for (const std::vector<int16_t>& strip : m_fill_strips) write_coords(out, strip);
  write_i32(out, static_cast<int32_t>(m_outline_strips.size()));
  for (const outline_strip& o : m_outline_strips) {
    write_i32(out, o.m_style);
    write_coords(out, o.m_coords);
  }
}

bool shape_mesh::input_cached_data(file_stream* in) {
  int32_t count;
  if (!read_f32(in, &m_error_tolerance)) return false;
  if (!read_i32(in, &count) || count < 0 || count > limits::kMaxStylesPerShape) return false;
  m_fill_strips.clear();
  for (int i = 0; i < count; ++i) {
    std::vector<int16_t> strip;
    if (!read_coords(in, &strip)) return false;
    m_fill_strips.push_back(std::move(strip));
  }
  if (!read_i32(in, &count) || count < 0) return false;
  m_outline_strips.clear();
  for (int i = 0; i < count; ++i) {
    outline_strip o;
    if (!read_i32(in, &o.m_style) || !read_coords(in, &o.m_coords)) return false;
    m_outline_strips.push_back(std::move(o));
  }
  return true;
}

bool shape_mesh::operator==(const shape_mesh& other) const {
  if (std::memcmp(&m_error_tolerance, &other.m_error_tolerance, sizeof(float)) != 0) return false;
  if (m_fill_strips != other.m_fill_strips || m_outline_strips.size() != other.m_outline_strips.size()) return false;
  for (size_t i = 0; i < m_outline_strips.size(); ++i) {
    if (m_outline_strips[i].m_style != other.m_outline_strips[i].m_style ||
        m_outline_strips[i].m_coords != other.m_outline_strips[i].m_coords) {
      return false;
    }
  }
  return true;
}

}  // namespace swf
