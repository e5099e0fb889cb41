#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/swf/base/records.h"
#include "engine/swf/movie/movie_definition.h"
#include "engine/swf/shape/styles.h"
#include "engine/swf/shape/tesselate.h"

namespace swf {

class character;
class file_stream;
class stream;

// One quadratic piece of an outline; a straight edge has its control point on its anchor.
// It starts at the previous edge's anchor (or at its path's start).
struct shape_edge {
  float m_cx = 0.0f, m_cy = 0.0f;
  float m_ax = 0.0f, m_ay = 0.0f;
  bool is_straight() const { return m_cx == m_ax && m_cy == m_ay; }
};

// Connected edges with one fill style on each side and a line style (1-based into the
// shape's arrays, 0 none, -1 cleared). A new-shape path has no edges and separates two
// blocks of styles.
struct shape_path {
  int m_fill0 = 0;
  int m_fill1 = 0;
  int m_line = 0;
  float m_ax = 0.0f, m_ay = 0.0f;
  std::vector<shape_edge> m_edges;
  bool m_new_shape = false;

  bool point_test(float x, float y) const;
};

struct outline_strip {
  int m_style = 0;  // 0-based line style
  std::vector<int16_t> m_coords;
};

// A shape tesselated at one curve tolerance: one joined triangle strip per fill style
// (empty for styles without area) and the outlines. Coordinates are twips, 16 bits.
class shape_mesh {
 public:
  shape_mesh() = default;
  // Tesselates the shape at the tolerance (object-space units).
  shape_mesh(const class tesselating_shape* shape, float error_tolerance);

  void display(const matrix& m, const cxform& cx, const std::vector<fill_style>& fills,
               const std::vector<line_style>& lines) const;
  void add_outline(int style, const float* coords, int point_count);
  void set_fill_strip(int style, const std::vector<float>& coords);

  void output_cached_data(file_stream* out) const;
  // False when the stream ends early or holds impossible counts.
  bool input_cached_data(file_stream* in);

  float get_error_tolerance() const { return m_error_tolerance; }
  const std::vector<std::vector<int16_t>>& get_fill_strips() const { return m_fill_strips; }
  const std::vector<outline_strip>& get_outline_strips() const { return m_outline_strips; }
  bool operator==(const shape_mesh& other) const;

  // Meshes tesselated by this process so far (tests and benchmarks count rebuilds).
  static int get_build_count();

  // Draw order stamp of the mesh cache.
  uint64_t m_last_used = 0;

 private:
  float m_error_tolerance = 0.0f;
  std::vector<std::vector<int16_t>> m_fill_strips;
  std::vector<outline_strip> m_outline_strips;
};

// Something that can hand its outlines to the tesselator.
class tesselating_shape {
 public:
  virtual ~tesselating_shape() = default;
  virtual void tesselate(float error_tolerance, tesselate::trapezoid_sink* sink) const = 0;
};

// The vector shape of DefineShape (2), DefineShape2 (22) and DefineShape3 (32), also the
// outline of a glyph (read without styles). Coordinates are twips (font units for glyphs).
class shape_character : public character_def, public tesselating_shape {
 public:
  shape_character();
  ~shape_character() override;

  void read(stream* in, int tag_type, bool with_styles, movie_definition_sub* m);

  void display(character* instance) override;
  bool point_test_local(float x, float y) override;
  float get_height_local() override { return m_bound.height(); }
  float get_width_local() override { return m_bound.width(); }
  bool get_bound_local(rect* bound) override {
    *bound = m_bound;
    return m_bound.m_x_min <= m_bound.m_x_max && m_bound.m_y_min <= m_bound.m_y_max;
  }
  void output_cached_data(file_stream* out, const void* options) override;
  void input_cached_data(file_stream* in) override;

  void tesselate(float error_tolerance, tesselate::trapezoid_sink* sink) const override;

  // The box of every path start and edge anchor (control points left out); a shape
  // without points gives x min = y min = 1e10 and x max = y max = -1e10.
  void compute_anchor_bound(rect* out) const;

  // Draws through a cached mesh fit for the scale, tesselating one when none is.
  void display_with_mesh_cache(const matrix& m, const cxform& cx, float pixel_scale,
                               const std::vector<fill_style>& fills, const std::vector<line_style>& lines) const;

  const rect& get_bound() const { return m_bound; }
  const std::vector<fill_style>& get_fill_styles() const { return m_fill_styles; }
  const std::vector<line_style>& get_line_styles() const { return m_line_styles; }
  const std::vector<shape_path>& get_paths() const { return m_paths; }
  // Bytes the shape's paths and edges take (what a glyph outline costs the movie).
  size_t get_outline_bytes() const;
  // The cached meshes, coarsest first.
  const std::vector<std::unique_ptr<shape_mesh>>& get_cached_meshes() const { return m_cached_meshes; }

 protected:
  friend class morph_shape;

  // The finest tolerance worth tesselating this shape at (a share of its size).
  float get_tolerance_floor() const;

  std::vector<fill_style> m_fill_styles;
  std::vector<line_style> m_line_styles;
  std::vector<shape_path> m_paths;
  rect m_bound;

 private:
  mutable std::vector<std::unique_ptr<shape_mesh>> m_cached_meshes;
  mutable uint64_t m_draw_count = 0;
};

// The loaders of the shape tags (2, 22, 32) and of DefineMorphShape (46).
void define_shape_loader(stream* in, int tag_type, movie_definition_sub* m);
void define_morph_shape_loader(stream* in, int tag_type, movie_definition_sub* m);
void register_shape_loaders();

// A curve error of one pixel on screen: the global factor of the mesh tolerance.
constexpr float kCurvePixelError = 1.0f;

}  // namespace swf
