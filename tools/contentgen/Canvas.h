#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A picture being drawn by the content generator: straight (not premultiplied) RGBA in
// floats, painted with "source over" blending, written out as PNG or JPEG.
namespace contentgen {

struct Color {
  float r = 0, g = 0, b = 0, a = 1;
};

// 0xRRGGBB with an alpha.
Color Rgb(uint32_t rgb, float alpha = 1.0f);
Color Mix(const Color& from, const Color& to, float t);

// A single-channel coverage mask (0 to 1), as text and shapes are rasterised into before
// they are painted.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<float> value;

  Mask() = default;
  Mask(int w, int h) : width(w), height(h), value(size_t(w) * size_t(h), 0.0f) {}
  float At(int x, int y) const {
    return (x < 0 || y < 0 || x >= width || y >= height) ? 0.0f : value[size_t(y) * size_t(width) + size_t(x)];
  }
  float& Ref(int x, int y) { return value[size_t(y) * size_t(width) + size_t(x)]; }

  // The mask grown by radius pixels (each pixel takes the largest value within a disc),
  // for outlines.
  Mask Dilated(int radius) const;
  // A box blur of the given radius run twice (close to a Gaussian), for soft shadows.
  Mask Blurred(int radius) const;
};

// Paint of a pixel: the colour at a position (for gradients and patterns).
using Paint = std::function<Color(float x, float y)>;
Paint Solid(const Color& color);
// A gradient from `top` at y0 to `bottom` at y1, clamped outside.
Paint VerticalGradient(float y0, float y1, const Color& top, const Color& bottom);
Paint HorizontalGradient(float x0, float x1, const Color& left, const Color& right);

class Canvas {
 public:
  Canvas(int width, int height, const Color& fill = Color{0, 0, 0, 0});
  // A canvas of width x height units of scale x scale pixels each. The drawing calls
  // (FillRect, FillShape, the shapes built on them, and the paints FillMask calls) take
  // their positions in units, so that a drawing made for the canvas at one scale comes
  // out sharp at another; the rest (sizes, pixels, masks, pasting) is in pixels.
  static Canvas Scaled(int width, int height, int scale);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Scale() const { return scale_; }
  Color At(int x, int y) const { return pixels_[Index(x, y)]; }

  // Source-over blending of colour at coverage (0 to 1) into one pixel.
  void Blend(int x, int y, const Color& color, float coverage);

  // Paints every pixel of the rectangle (clipped, in units) with the paint.
  void FillRect(int x0, int y0, int x1, int y1, const Paint& paint);
  // Paints the pixels of the box whose area the shape covers, 4 x 4 samples a pixel.
  void FillShape(int x0, int y0, int x1, int y1, const std::function<bool(float, float)>& inside,
                 const Paint& paint);
  void FillRoundedRect(float x0, float y0, float x1, float y1, float radius, const Paint& paint);
  void FillCircle(float cx, float cy, float radius, const Paint& paint);
  // An ellipse with half axes rx, ry turned by angle (radians) about its centre.
  void FillEllipse(float cx, float cy, float rx, float ry, float angle, const Paint& paint);
  // Paints the mask placed with its top-left at pixel (x, y).
  void FillMask(const Mask& mask, int x, int y, const Paint& paint, float opacity = 1.0f);

  // Copies the other picture's pixels (replacing, not blending) with its top-left at (x, y).
  void Paste(const Canvas& other, int x, int y);

  // Writes an 8-bit RGBA PNG; false when the file cannot be written.
  bool SavePng(const std::string& path) const;
  // Writes an RGB JPEG of the picture laid over black; false when it cannot be written.
  bool SaveJpeg(const std::string& path, int quality) const;

 private:
  size_t Index(int x, int y) const { return size_t(y) * size_t(width_) + size_t(x); }

  int width_;
  int height_;
  int scale_ = 1;
  std::vector<Color> pixels_;
};

// The colour with another alpha.
Color WithAlpha(Color color, float alpha);
// A line from (x0, y0) to (x1, y1) of the given width, with round ends.
void Line(Canvas& canvas, float x0, float y0, float x1, float y1, float width, const Color& colour);
// A soft round glow whose alpha falls from `alpha` at the centre to 0 at the radius.
void Glow(Canvas& canvas, float cx, float cy, float radius, const Color& color, float alpha);

// Coverage of a polygon (even-odd rule) in a mask of the given size, 4 x 4 samples a pixel.
Mask PolygonMask(int width, int height, const std::vector<std::pair<float, float>>& points);

// Signed distance from (x, y) to a rounded rectangle (negative inside).
float RoundedRectDistance(float x, float y, float x0, float y0, float x1, float y1, float radius);

}  // namespace contentgen
