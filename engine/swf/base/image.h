#pragma once

#include <cstddef>
#include <cstdint>

namespace swf {

// In-memory images that the bitmap loaders fill and the render handler turns into
// textures. Each owns its pixels; row y starts at data + pitch * y.
struct image_base {
  enum id_image { RGB, RGBA, ALPHA };
  id_image m_type;
  uint8_t* m_data = nullptr;
  int m_width = 0;
  int m_height = 0;
  int m_pitch = 0;

  image_base(id_image type, int width, int height, int pitch);
  virtual ~image_base();
  image_base(const image_base&) = delete;
  image_base& operator=(const image_base&) = delete;
  size_t byte_size() const { return static_cast<size_t>(m_pitch) * static_cast<size_t>(m_height); }
};

// R, G, B; pitch is width * 3 rounded up to a multiple of 4.
struct image_rgb : image_base {
  image_rgb(int width, int height);
};

// R, G, B, A; pitch is width * 4.
struct image_rgba : image_base {
  image_rgba(int width, int height);
  void set_pixel(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a);
};

// One alpha byte a pixel; pitch is the width. Glyph images compare and hash by content.
struct image_alpha : image_base {
  image_alpha(int width, int height);
  bool operator==(const image_alpha& other) const;
  unsigned int compute_hash() const;
};

// True when an image of that size may be made (sides 0..limits::kMaxImageSide).
bool image_size_allowed(int width, int height);
// The makers return null (with a log line) for sizes beyond the limit.
image_rgb* create_image_rgb(int width, int height);
image_rgba* create_image_rgba(int width, int height);
uint8_t* scanline(image_base* image, int y);
const uint8_t* scanline(const image_base* image, int y);

}  // namespace swf
