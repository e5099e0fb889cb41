#include "engine/swf/render/render_handler.h"

namespace swf {

namespace {
render_handler* s_render_handler = nullptr;
}

void set_render_handler(render_handler* handler) { s_render_handler = handler; }
render_handler* get_render_handler() { return s_render_handler; }

namespace render {

bitmap_info* create_bitmap_empty() {
  return s_render_handler ? s_render_handler->create_bitmap_empty() : new bitmap_info;
}
bitmap_info* create_bitmap_alpha(int width, int height, const uint8_t* data) {
  return s_render_handler ? s_render_handler->create_bitmap_alpha(width, height, data) : new bitmap_info;
}
bitmap_info* create_bitmap_rgb(image_rgb* image) {
  return s_render_handler ? s_render_handler->create_bitmap_rgb(image) : new bitmap_info;
}
bitmap_info* create_bitmap_rgba(image_rgba* image) {
  return s_render_handler ? s_render_handler->create_bitmap_rgba(image) : new bitmap_info;
}
void delete_bitmap(bitmap_info* bitmap) {
  if (s_render_handler) s_render_handler->delete_bitmap(bitmap);
}
void begin_frame(rgba background, int vx, int vy, int vw, int vh, float x0, float x1, float y0, float y1) {
  if (s_render_handler) s_render_handler->begin_frame(background, vx, vy, vw, vh, x0, x1, y0, y1);
}
void end_frame() {
  if (s_render_handler) s_render_handler->end_frame();
}
void set_matrix(const matrix& m) {
  if (s_render_handler) s_render_handler->set_matrix(m);
}
void set_color_transform(const cxform& cx) {
  if (s_render_handler) s_render_handler->set_color_transform(cx);
}
void draw_triangle_strip(const int16_t* coords, int vertex_count) {
  if (s_render_handler) s_render_handler->draw_triangle_strip(coords, vertex_count);
}
void draw_line_strip(const int16_t* coords, int vertex_count) {
  if (s_render_handler) s_render_handler->draw_line_strip(coords, vertex_count);
}
void disable_fill(int side) {
  if (s_render_handler) s_render_handler->disable_fill(side);
}
void set_fill_color(int side, rgba color) {
  if (s_render_handler) s_render_handler->set_fill_color(side, color);
}
void set_fill_bitmap(int side, bitmap_info* bitmap, const matrix& m, render_handler::bitmap_wrap_mode wrap) {
  if (s_render_handler) s_render_handler->set_fill_bitmap(side, bitmap, m, wrap);
}
void disable_line() {
  if (s_render_handler) s_render_handler->disable_line();
}
void set_line_color(rgba color) {
  if (s_render_handler) s_render_handler->set_line_color(color);
}
void set_line_width(float width) {
  if (s_render_handler) s_render_handler->set_line_width(width);
}
void draw_bitmap_quad(const matrix& m, bitmap_info* bitmap, const rect& coords, const rect& uv, rgba color) {
  if (s_render_handler) s_render_handler->draw_bitmap_quad(m, bitmap, coords, uv, color);
}
void set_antialiased(bool enable) {
  if (s_render_handler) s_render_handler->set_antialiased(enable);
}
void begin_mask() {
  if (s_render_handler) s_render_handler->begin_mask();
}
void end_mask() {
  if (s_render_handler) s_render_handler->end_mask();
}
void disable_mask() {
  if (s_render_handler) s_render_handler->disable_mask();
}

}  // namespace render
}  // namespace swf
