#include "engine/swf/base/image.h"

#include <cstring>

#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"

namespace swf {

image_base::image_base(id_image type, int width, int height, int pitch)
    : m_type(type), m_width(width), m_height(height), m_pitch(pitch) {
  size_t bytes = byte_size();
  m_data = new uint8_t[bytes > 0 ? bytes : 1];
  std::memset(m_data, 0, bytes > 0 ? bytes : 1);
}

image_base::~image_base() { delete[] m_data; }

image_rgb::image_rgb(int width, int height) : image_base(RGB, width, height, (width * 3 + 3) & ~3) {}

image_rgba::image_rgba(int width, int height) : image_base(RGBA, width, height, width * 4) {}

void image_rgba::set_pixel(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  uint8_t* p = scanline(this, y) + x * 4;
  p[0] = r, p[1] = g, p[2] = b, p[3] = a;
}

image_alpha::image_alpha(int width, int height) : image_base(ALPHA, width, height, width) {}

bool image_alpha::operator==(const image_alpha& other) const {
  if (m_width != other.m_width || m_height != other.m_height) return false;
  for (int y = 0; y < m_height; ++y) {
    if (std::memcmp(scanline(this, y), scanline(&other, y), static_cast<size_t>(m_width)) != 0) return false;
  }
  return true;
}

unsigned int image_alpha::compute_hash() const {
  unsigned int h = 5381;
  auto mix_int = [&h](int value) {
    for (int shift = 24; shift >= 0; shift -= 8) h = (h * 33) ^ ((static_cast<unsigned int>(value) >> shift) & 0xFF);
  };
  mix_int(m_width);
  mix_int(m_height);
  for (int y = 0; y < m_height; ++y) {
    const uint8_t* row = scanline(this, y);
    for (int x = m_width - 1; x >= 0; --x) h = (h * 33) ^ row[x];
  }
  return h;
}

bool image_size_allowed(int width, int height) {
  return width >= 0 && height >= 0 && width <= limits::kMaxImageSide && height <= limits::kMaxImageSide;
}

image_rgb* create_image_rgb(int width, int height) {
  if (!image_size_allowed(width, height)) {
    log_error("error: image of %d x %d pixels is too large; skipped\n", width, height);
    return nullptr;
  }
  return new image_rgb(width, height);
}

image_rgba* create_image_rgba(int width, int height) {
  if (!image_size_allowed(width, height)) {
    log_error("error: image of %d x %d pixels is too large; skipped\n", width, height);
    return nullptr;
  }
  return new image_rgba(width, height);
}

uint8_t* scanline(image_base* image, int y) { return image->m_data + static_cast<size_t>(image->m_pitch) * y; }
const uint8_t* scanline(const image_base* image, int y) {
  return image->m_data + static_cast<size_t>(image->m_pitch) * y;
}

}  // namespace swf
