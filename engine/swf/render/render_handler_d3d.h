#pragma once

#include <cstdint>
#include <vector>

#include "engine/swf/render/render_handler.h"
#include "platform/d3d8/D3D8.h"

namespace swf {

// A bitmap of the Direct3D handler: the index of its texture in the handler's table, the
// image's own size, and the generation of the handler that made it. A bitmap outlives
// its handler when a movie definition does (the driver is rebuilt around a display
// reset): its id then names a slot of another table, so every use checks the generation.
//
// The last reference to a bitmap going frees its texture (when its handler still lives),
// so that bitmaps made again and again (the gradient of a morph at every ratio) do not
// pile up textures until the handler goes.
class bitmap_info_d3d : public bitmap_info {
 public:
  bitmap_info_d3d(int texture_id, int width, int height, uint32_t generation)
      : m_texture_id(texture_id), m_width(width), m_height(height), m_generation(generation) {}
  ~bitmap_info_d3d() override;
  int m_texture_id;
  int m_width;
  int m_height;
  uint32_t m_generation;
};

// Draws the player's shapes, bitmaps and text through the engine's Direct3D 8 device:
// triangle and line strips of twip coordinates in one dynamic vertex buffer, colours as
// the texture factor, bitmap fills as textures with coordinates generated from the
// camera-space position, masks in the stencil buffer.
class render_handler_d3d : public render_handler {
 public:
  explicit render_handler_d3d(IDirect3DDevice8* device);
  ~render_handler_d3d() override;

  bitmap_info* create_bitmap_empty() override;
  bitmap_info* create_bitmap_alpha(int width, int height, const uint8_t* data) override;
  bitmap_info* create_bitmap_rgb(image_rgb* image) override;
  bitmap_info* create_bitmap_rgba(image_rgba* image) override;
  void delete_bitmap(bitmap_info* bitmap) override;
  void begin_frame(rgba background, int viewport_x0, int viewport_y0, int viewport_width,
                   int viewport_height, float x0, float x1, float y0, float y1) override;
  void end_frame() override;
  void set_matrix(const matrix& m) override;
  void set_color_transform(const cxform& cx) override;
  void draw_triangle_strip(const int16_t* coords, int vertex_count) override;
  void draw_line_strip(const int16_t* coords, int vertex_count) override;
  void disable_fill(int side) override;
  void set_fill_color(int side, rgba color) override;
  void set_fill_bitmap(int side, bitmap_info* bitmap, const matrix& m, bitmap_wrap_mode wrap) override;
  void disable_line() override;
  void set_line_color(rgba color) override;
  void set_line_width(float width) override;
  void draw_bitmap_quad(const matrix& m, bitmap_info* bitmap, const rect& coords, const rect& uv,
                        rgba color) override;
  void set_antialiased(bool enable) override;
  void begin_mask() override;
  void end_mask() override;
  void disable_mask() override;

  // For tests and the driver.
  uint32_t generation() const { return m_generation; }
  int shape_buffer_capacity() const { return m_shape_capacity; }
  D3DFORMAT rgb_format() const { return m_rgb_format; }
  D3DFORMAT rgba_format() const { return m_rgba_format; }
  D3DFORMAT alpha_format() const { return m_alpha_format; }
  // The texture of a bitmap of this handler, null for any other bitmap or an empty slot.
  IDirect3DTexture8* texture_of(const bitmap_info* bitmap) const;
  // Textures alive now (made and not yet freed).
  int live_texture_count() const;
  // Frees the texture of a bitmap that is going away; its slot takes a later bitmap.
  void release_texture(const bitmap_info_d3d* bitmap);

  enum style_mode { MODE_DISABLED = 0, MODE_COLOR = 1, MODE_BITMAP_WRAP = 2, MODE_BITMAP_CLAMP = 3 };
  struct style {
    style_mode m_mode = MODE_DISABLED;
    rgba m_color;
    const bitmap_info* m_bitmap = nullptr;  // not owned
    matrix m_bitmap_matrix;
    float m_bitmap_mult[4] = {1, 1, 1, 1};  // red, green, blue, alpha; 0..1
    float m_bitmap_add[4] = {0, 0, 0, 0};   // -255..255
    bool m_has_additive_color = false;
  };

 private:
  bitmap_info* make_bitmap(const void* pixels, D3DFORMAT source_format, int pitch, int width, int height,
                           D3DFORMAT format);
  void choose_formats();
  void apply_style(const style& s);
  void set_world(const matrix& m);
  // Puts n vertices into the shape buffer and binds it; false when there is no buffer.
  bool upload(const int16_t* coords, int n);

  IDirect3DDevice8* m_device;  // one reference held
  uint32_t m_generation;
  std::vector<IDirect3DTexture8*> m_textures;  // by texture id
  // Slots whose bitmap is gone. Reusing one is safe: no live bitmap names it.
  std::vector<int> m_free_slots;
  D3DFORMAT m_rgb_format = D3DFMT_A8R8G8B8;
  D3DFORMAT m_rgba_format = D3DFMT_A8R8G8B8;
  D3DFORMAT m_alpha_format = D3DFMT_A8R8G8B8;
  matrix m_current_matrix;
  cxform m_current_cxform;
  D3DVIEWPORT8 m_saved_viewport{};
  bool m_skip_frame = false;
  IDirect3DVertexBuffer8* m_shape_buffer = nullptr;
  int m_shape_capacity = 0;
  IDirect3DVertexBuffer8* m_bitmap_buffer = nullptr;
  D3DMATRIX m_view{};
  style m_fill[2];
  style m_line;
};

render_handler* create_render_handler_d3d(IDirect3DDevice8* device);

}  // namespace swf
