#pragma once

#include <cstdint>

#include "engine/swf/base/records.h"
#include "engine/swf/base/ref_counted.h"

namespace swf {

struct image_rgb;
struct image_rgba;

// A bitmap as the render handler keeps it. A bare one is the placeholder made while no
// handler is installed.
class bitmap_info : public ref_counted {
 public:
  bitmap_info() = default;
  ~bitmap_info() override = default;
};

// Everything the player draws goes through one handler installed process-wide.
class render_handler {
 public:
  enum bitmap_wrap_mode { WRAP_REPEAT = 0, WRAP_CLAMP = 1 };

  virtual ~render_handler() = default;
  virtual bitmap_info* create_bitmap_empty() = 0;
  virtual bitmap_info* create_bitmap_alpha(int width, int height, const uint8_t* data) = 0;
  virtual bitmap_info* create_bitmap_rgb(image_rgb* image) = 0;
  virtual bitmap_info* create_bitmap_rgba(image_rgba* image) = 0;
  virtual void delete_bitmap(bitmap_info* bitmap) = 0;
  virtual void begin_frame(rgba background, int viewport_x0, int viewport_y0, int viewport_width,
                           int viewport_height, float x0, float x1, float y0, float y1) = 0;
  virtual void end_frame() = 0;
  virtual void set_matrix(const matrix& m) = 0;
  virtual void set_color_transform(const cxform& cx) = 0;
  virtual void draw_triangle_strip(const int16_t* coords, int vertex_count) = 0;
  virtual void draw_line_strip(const int16_t* coords, int vertex_count) = 0;
  virtual void disable_fill(int side) = 0;
  virtual void set_fill_color(int side, rgba color) = 0;
  virtual void set_fill_bitmap(int side, bitmap_info* bitmap, const matrix& m, bitmap_wrap_mode wrap) = 0;
  virtual void disable_line() = 0;
  virtual void set_line_color(rgba color) = 0;
  virtual void set_line_width(float width) = 0;
  virtual void draw_bitmap_quad(const matrix& m, bitmap_info* bitmap, const rect& coords, const rect& uv,
                                rgba color) = 0;
  // Takes one value that no handler of this system acts on (antialiasing on some players).
  virtual void set_antialiased(bool enable) = 0;
  virtual void begin_mask() = 0;
  virtual void end_mask() = 0;
  virtual void disable_mask() = 0;
};

void set_render_handler(render_handler* handler);
render_handler* get_render_handler();

// Forwarders: each calls the installed handler; without one the bitmap makers return a
// new placeholder bitmap and everything else does nothing.
namespace render {
bitmap_info* create_bitmap_empty();
bitmap_info* create_bitmap_alpha(int width, int height, const uint8_t* data);
bitmap_info* create_bitmap_rgb(image_rgb* image);
bitmap_info* create_bitmap_rgba(image_rgba* image);
void delete_bitmap(bitmap_info* bitmap);
void begin_frame(rgba background, int viewport_x0, int viewport_y0, int viewport_width, int viewport_height,
                 float x0, float x1, float y0, float y1);
void end_frame();
void set_matrix(const matrix& m);
void set_color_transform(const cxform& cx);
void draw_triangle_strip(const int16_t* coords, int vertex_count);
void draw_line_strip(const int16_t* coords, int vertex_count);
void disable_fill(int side);
void set_fill_color(int side, rgba color);
void set_fill_bitmap(int side, bitmap_info* bitmap, const matrix& m, render_handler::bitmap_wrap_mode wrap);
void disable_line();
void set_line_color(rgba color);
void set_line_width(float width);
void draw_bitmap_quad(const matrix& m, bitmap_info* bitmap, const rect& coords, const rect& uv, rgba color);
void set_antialiased(bool enable);
void begin_mask();
void end_mask();
void disable_mask();
}  // namespace render

}  // namespace swf
