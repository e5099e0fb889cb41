#include "tools/contentgen/MovieArt.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "tests/platform/vfw/AviWriter.h"
#include "tools/contentgen/Canvas.h"

namespace contentgen {

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kPetalCount = 9;

// One frame of the story movie at phase t (0 to 1 over the loop).
Canvas DrawStoryFrame(float t) {
  const int w = kStoryMovieWidth;
  const int h = kStoryMovieHeight;
  Canvas canvas(w, h, Rgb(0x000000));
  canvas.FillRect(0, 0, w, h, VerticalGradient(0.0f, float(h), Rgb(0x3A2A6E), Rgb(0xF2A7B8)));
  // Hills along the bottom.
  canvas.FillEllipse(w * 0.25f, h * 1.05f, w * 0.45f, h * 0.22f, 0.0f, Solid(Rgb(0x5E8C5A)));
  canvas.FillEllipse(w * 0.8f, h * 1.08f, w * 0.4f, h * 0.2f, 0.0f, Solid(Rgb(0x4B7A4C)));
  Glow(canvas, w * 0.5f, h * 0.45f, h * 0.42f, Rgb(0xFFF2C8), 0.45f);

  // Petals drift down and to the right behind the flower; each comes back in at the top
  // on the loop.
  for (int i = 0; i < kPetalCount; ++i) {
    const float offset = float(i) / float(kPetalCount);
    const float fall = std::fmod(t + offset, 1.0f);
    const float x = (std::fmod(float(i) * 0.37f, 1.0f) + fall * 0.3f) * float(w);
    const float y = (fall * 1.2f - 0.1f) * float(h);
    const float spin = (t + offset) * 2.0f * kPi;
    canvas.FillEllipse(x, y, h * 0.03f, h * 0.015f, spin, Solid(Rgb(0xFFC7DA, 0.9f)));
  }
  // The flower turns a fifth of a turn over the loop: its five petals then stand where
  // the first frame had them.
  const float cx = w * 0.5f;
  const float cy = h * 0.45f;
  const float turn = t * 2.0f * kPi / 5.0f;
  for (int i = 0; i < 5; ++i) {
    const float angle = turn + float(i) * 2.0f * kPi / 5.0f;
    const float px = cx + std::cos(angle) * h * 0.13f;
    const float py = cy + std::sin(angle) * h * 0.13f;
    canvas.FillEllipse(px, py, h * 0.14f, h * 0.075f, angle, Solid(Rgb(0xE8548A)));
  }
  canvas.FillCircle(cx, cy, h * 0.07f, Solid(Rgb(0xFFD23F)));

  return canvas;
}

uint32_t Channel(float value) {
  const float v = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
  return uint32_t(std::lround(v * 255.0f));
}

// The colour 0xRRGGBB of a pixel of the picture.
uint32_t Rgb24(const Canvas& picture, int x, int y) {
  const Color c = picture.At(x, y);
  return Channel(c.r) << 16 | Channel(c.g) << 8 | Channel(c.b);
}

}  // namespace

bool MakeMovieArt(const std::string& outDir) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(outDir) / "movies", ec);
  if (ec) return false;
  // The writer asks for the pixels frame by frame; each frame is drawn once.
  int drawn = -1;
  std::optional<Canvas> frame;
  AviSpec spec;
  spec.codec = "mjpeg";
  spec.width = kStoryMovieWidth;
  spec.height = kStoryMovieHeight;
  spec.frames = kStoryMovieFrames;
  spec.rate = kStoryMovieRate;
  spec.pixel = [&](int index, int x, int y) {
    if (index != drawn) {
      frame = DrawStoryFrame(float(index) / float(kStoryMovieFrames));
      drawn = index;
    }
    return Rgb24(*frame, x, y);
  };
  return WriteAvi(outDir + "/movies/story.avi", spec);
}

}  // namespace contentgen
