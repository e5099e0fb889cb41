#include "tools/contentgen/Canvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

// jpeglib.h needs the standard declarations (size_t, FILE) before it.
#include <jpeglib.h>

namespace contentgen {

namespace {

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

uint8_t ToByte(float v) { return uint8_t(std::lround(Clamp01(v) * 255.0f)); }

struct FileCloser {
  void operator()(FILE* file) const {
    if (file) std::fclose(file);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// The share of pixel (x, y) that a shape covers, from 4 x 4 samples spread over it.
template <typename Inside>
float Coverage(int x, int y, const Inside& inside) {
  constexpr int kSamples = 4;
  int hits = 0;
  for (int sy = 0; sy < kSamples; ++sy) {
    for (int sx = 0; sx < kSamples; ++sx) {
      const float px = float(x) + (float(sx) + 0.5f) / kSamples;
      const float py = float(y) + (float(sy) + 0.5f) / kSamples;
      if (inside(px, py)) ++hits;
    }
  }
  return float(hits) / (kSamples * kSamples);
}

}  // namespace

Color Rgb(uint32_t rgb, float alpha) {
  return Color{float((rgb >> 16) & 0xFF) / 255.0f, float((rgb >> 8) & 0xFF) / 255.0f,
               float(rgb & 0xFF) / 255.0f, alpha};
}

Color Mix(const Color& from, const Color& to, float t) {
  t = Clamp01(t);
  return Color{from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
               from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t};
}

Paint Solid(const Color& color) {
  return [color](float, float) { return color; };
}

Paint VerticalGradient(float y0, float y1, const Color& top, const Color& bottom) {
  return [=](float, float y) { return Mix(top, bottom, (y - y0) / (y1 - y0)); };
}

Paint HorizontalGradient(float x0, float x1, const Color& left, const Color& right) {
  return [=](float x, float) { return Mix(left, right, (x - x0) / (x1 - x0)); };
}

Mask Mask::Dilated(int radius) const {
  Mask out(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      float best = 0.0f;
      for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
          // Pixels at the rim of the disc count by how much of them lies inside it.
          const float distance = std::sqrt(float(dx * dx + dy * dy));
          const float weight = Clamp01(float(radius) + 0.5f - distance);
          if (weight > 0.0f) best = std::max(best, At(x + dx, y + dy) * weight);
        }
      }
      out.Ref(x, y) = best;
    }
  }
  return out;
}

Mask Mask::Blurred(int radius) const {
  Mask current = *this;
  const float scale = 1.0f / float(2 * radius + 1);
  for (int pass = 0; pass < 2; ++pass) {
    Mask across(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        float sum = 0.0f;
        for (int d = -radius; d <= radius; ++d) sum += current.At(x + d, y);
        across.Ref(x, y) = sum * scale;
      }
    }
    Mask down(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        float sum = 0.0f;
        for (int d = -radius; d <= radius; ++d) sum += across.At(x, y + d);
        down.Ref(x, y) = sum * scale;
      }
    }
    current = std::move(down);
  }
  return current;
}

Canvas::Canvas(int width, int height, const Color& fill)
    : width_(width), height_(height), pixels_(size_t(width) * size_t(height), fill) {}

Canvas Canvas::Scaled(int width, int height, int scale) {
  scale = std::max(scale, 1);
  Canvas canvas(width * scale, height * scale);
  canvas.scale_ = scale;
  return canvas;
}

void Canvas::Blend(int x, int y, const Color& color, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const float a = Clamp01(color.a * coverage);
  if (a <= 0.0f) return;
  Color& dst = pixels_[Index(x, y)];
  const float outA = a + dst.a * (1.0f - a);
  if (outA <= 0.0f) {
    dst = Color{0, 0, 0, 0};
    return;
  }
  const float keep = dst.a * (1.0f - a);
  dst.r = (color.r * a + dst.r * keep) / outA;
  dst.g = (color.g * a + dst.g * keep) / outA;
  dst.b = (color.b * a + dst.b * keep) / outA;
  dst.a = outA;
}

void Canvas::FillRect(int x0, int y0, int x1, int y1, const Paint& paint) {
  const float unit = 1.0f / float(scale_);
  x0 = std::max(x0 * scale_, 0);
  y0 = std::max(y0 * scale_, 0);
  x1 = std::min(x1 * scale_, width_);
  y1 = std::min(y1 * scale_, height_);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) Blend(x, y, paint((float(x) + 0.5f) * unit, (float(y) + 0.5f) * unit), 1.0f);
  }
}

void Canvas::FillShape(int x0, int y0, int x1, int y1,
                       const std::function<bool(float, float)>& inside, const Paint& paint) {
  const float unit = 1.0f / float(scale_);
  x0 = std::max(x0 * scale_, 0);
  y0 = std::max(y0 * scale_, 0);
  x1 = std::min(x1 * scale_, width_);
  y1 = std::min(y1 * scale_, height_);
  const auto insideUnits = [&](float px, float py) { return inside(px * unit, py * unit); };
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const float coverage = Coverage(x, y, insideUnits);
      if (coverage > 0.0f) Blend(x, y, paint((float(x) + 0.5f) * unit, (float(y) + 0.5f) * unit), coverage);
    }
  }
}

float RoundedRectDistance(float x, float y, float x0, float y0, float x1, float y1, float radius) {
  const float cx = (x0 + x1) * 0.5f;
  const float cy = (y0 + y1) * 0.5f;
  const float hx = (x1 - x0) * 0.5f - radius;
  const float hy = (y1 - y0) * 0.5f - radius;
  const float qx = std::fabs(x - cx) - hx;
  const float qy = std::fabs(y - cy) - hy;
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

void Canvas::FillRoundedRect(float x0, float y0, float x1, float y1, float radius,
                             const Paint& paint) {
  FillShape(int(std::floor(x0)), int(std::floor(y0)), int(std::ceil(x1)), int(std::ceil(y1)),
            [=](float x, float y) { return RoundedRectDistance(x, y, x0, y0, x1, y1, radius) <= 0.0f; },
            paint);
}

void Canvas::FillCircle(float cx, float cy, float radius, const Paint& paint) {
  FillShape(int(std::floor(cx - radius)), int(std::floor(cy - radius)), int(std::ceil(cx + radius)),
            int(std::ceil(cy + radius)),
            [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; },
            paint);
}

void Canvas::FillEllipse(float cx, float cy, float rx, float ry, float angle, const Paint& paint) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const float reach = std::max(rx, ry);
  FillShape(int(std::floor(cx - reach)), int(std::floor(cy - reach)), int(std::ceil(cx + reach)),
            int(std::ceil(cy + reach)),
            [=](float x, float y) {
              const float dx = x - cx;
              const float dy = y - cy;
              const float u = (dx * c + dy * s) / rx;
              const float v = (-dx * s + dy * c) / ry;
              return u * u + v * v <= 1.0f;
            },
            paint);
}

void Canvas::FillMask(const Mask& mask, int x, int y, const Paint& paint, float opacity) {
  for (int my = 0; my < mask.height; ++my) {
    for (int mx = 0; mx < mask.width; ++mx) {
      const float coverage = mask.At(mx, my) * opacity;
      if (coverage <= 0.0f) continue;
      const int px = x + mx;
      const int py = y + my;
      Blend(px, py, paint((float(px) + 0.5f) / float(scale_), (float(py) + 0.5f) / float(scale_)), coverage);
    }
  }
}

void Canvas::Paste(const Canvas& other, int x, int y) {
  for (int oy = 0; oy < other.height_; ++oy) {
    for (int ox = 0; ox < other.width_; ++ox) {
      const int px = x + ox;
      const int py = y + oy;
      if (px < 0 || py < 0 || px >= width_ || py >= height_) continue;
      pixels_[Index(px, py)] = other.pixels_[other.Index(ox, oy)];
    }
  }
}

Mask PolygonMask(int width, int height, const std::vector<std::pair<float, float>>& points) {
  Mask mask(width, height);
  auto inside = [&](float px, float py) {
    bool in = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
      const auto [xi, yi] = points[i];
      const auto [xj, yj] = points[j];
      if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) mask.Ref(x, y) = Coverage(x, y, inside);
  }
  return mask;
}

bool Canvas::SavePng(const std::string& path) const {
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  std::vector<uint8_t> rows(size_t(width_) * size_t(height_) * 4);
  for (size_t i = 0; i < pixels_.size(); ++i) {
    rows[i * 4 + 0] = ToByte(pixels_[i].r);
    rows[i * 4 + 1] = ToByte(pixels_[i].g);
    rows[i * 4 + 2] = ToByte(pixels_[i].b);
    rows[i * 4 + 3] = ToByte(pixels_[i].a);
  }
  // libpng reports errors by a long jump back here.
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, png_uint_32(width_), png_uint_32(height_), 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < height_; ++y) png_write_row(png, &rows[size_t(y) * size_t(width_) * 4]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(file.get()) == 0;
}

bool Canvas::SaveJpeg(const std::string& path, int quality) const {
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  jpeg_compress_struct jpeg;
  jpeg_error_mgr errors;
  jpeg.err = jpeg_std_error(&errors);
  jpeg_create_compress(&jpeg);
  jpeg_stdio_dest(&jpeg, file.get());
  jpeg.image_width = JDIMENSION(width_);
  jpeg.image_height = JDIMENSION(height_);
  jpeg.input_components = 3;
  jpeg.in_color_space = JCS_RGB;
  jpeg_set_defaults(&jpeg);
  jpeg_set_quality(&jpeg, quality, TRUE);
  jpeg_start_compress(&jpeg, TRUE);
  std::vector<uint8_t> row(size_t(width_) * 3);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const Color& c = pixels_[Index(x, y)];
      row[size_t(x) * 3 + 0] = ToByte(c.r * c.a);
      row[size_t(x) * 3 + 1] = ToByte(c.g * c.a);
      row[size_t(x) * 3 + 2] = ToByte(c.b * c.a);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&jpeg, rows, 1);
  }
  jpeg_finish_compress(&jpeg);
  jpeg_destroy_compress(&jpeg);
  return std::fflush(file.get()) == 0;
}

Color WithAlpha(Color color, float alpha) {
  color.a = alpha;
  return color;
}

void Line(Canvas& canvas, float x0, float y0, float x1, float y1, float width, const Color& colour) {
  const float dx = x1 - x0;
  const float dy = y1 - y0;
  const float length = std::max(std::sqrt(dx * dx + dy * dy), 0.001f);
  canvas.FillShape(0, 0, canvas.Width(), canvas.Height(),
                   [=](float x, float y) {
                     const float t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (length * length), 0.0f, 1.0f);
                     const float px = x0 + dx * t - x;
                     const float py = y0 + dy * t - y;
                     return px * px + py * py <= width * width * 0.25f;
                   },
                   Solid(colour));
}

void Glow(Canvas& canvas, float cx, float cy, float radius, const Color& color, float alpha) {
  canvas.FillRect(int(cx - radius), int(cy - radius), int(cx + radius) + 1, int(cy + radius) + 1,
                  [=](float x, float y) {
                    const float d = std::hypot(x - cx, y - cy) / radius;
                    const float falloff = d >= 1.0f ? 0.0f : (1.0f - d) * (1.0f - d);
                    return WithAlpha(color, alpha * falloff);
                  });
}

}  // namespace contentgen
