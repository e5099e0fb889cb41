#include "tools/contentgen/CursorArt.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "tools/contentgen/Canvas.h"

namespace contentgen {

namespace {

constexpr int kSide = 32;
constexpr int kFrames = 4;

void Put16(std::string& out, uint32_t value) {
  out.push_back(char(value & 0xFF));
  out.push_back(char((value >> 8) & 0xFF));
}
void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void PutChunk(std::string& out, const char* tag, const std::string& body) {
  out.append(tag, 4);
  Put32(out, uint32_t(body.size()));
  out += body;
  if (body.size() & 1) out.push_back('\0');
}

// One frame as a whole cursor file: the directory with the hot spot, then a 32-bit
// bitmap image (bottom row first) followed by an empty AND mask (the alpha is used).
std::string CursorImage(const Canvas& canvas, int hotX, int hotY) {
  const uint32_t w = uint32_t(canvas.Width());
  const uint32_t h = uint32_t(canvas.Height());
  std::string image;
  Put32(image, 40);
  Put32(image, w);
  Put32(image, h * 2);
  Put16(image, 1);
  Put16(image, 32);
  Put32(image, 0);
  Put32(image, w * h * 4);
  for (int i = 0; i < 4; ++i) Put32(image, 0);
  for (int y = int(h) - 1; y >= 0; --y) {
    for (int x = 0; x < int(w); ++x) {
      const Color c = canvas.At(x, y);
      auto byte = [](float v) { return char(uint8_t(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f))); };
      image.push_back(byte(c.b));
      image.push_back(byte(c.g));
      image.push_back(byte(c.r));
      image.push_back(byte(c.a));
    }
  }
  image.append(size_t(((w + 31) / 32) * 4 * h), '\0');

  std::string file;
  Put16(file, 0);
  Put16(file, 2);  // a cursor
  Put16(file, 1);
  file.push_back(char(w));
  file.push_back(char(h));
  file.push_back('\0');
  file.push_back('\0');
  Put16(file, uint32_t(hotX));
  Put16(file, uint32_t(hotY));
  Put32(file, uint32_t(image.size()));
  Put32(file, 22);
  return file + image;
}

// The frames played forth and back (0 1 2 3 2 1) at the given rates in jiffies.
std::string AnimatedCursor(const std::vector<Canvas>& frames, int hotX, int hotY,
                           const std::vector<uint32_t>& sequence, const std::vector<uint32_t>& rates) {
  std::string header;
  Put32(header, 36);
  Put32(header, uint32_t(frames.size()));
  Put32(header, uint32_t(sequence.size()));
  Put32(header, kSide);
  Put32(header, kSide);
  Put32(header, 32);
  Put32(header, 1);
  Put32(header, rates.empty() ? 6 : rates[0]);
  Put32(header, 3);  // frames are cursor images, ordered by a sequence
  std::string rate, seq;
  for (uint32_t r : rates) Put32(rate, r);
  for (uint32_t s : sequence) Put32(seq, s);
  std::string list = "fram";
  for (const Canvas& frame : frames) PutChunk(list, "icon", CursorImage(frame, hotX, hotY));

  std::string body = "ACON";
  PutChunk(body, "anih", header);
  PutChunk(body, "rate", rate);
  PutChunk(body, "seq ", seq);
  PutChunk(body, "LIST", list);
  std::string file = "RIFF";
  Put32(file, uint32_t(body.size()));
  return file + body;
}

// The pointer: a dark-edged arrow with its tip at the top-left, lit by a band of light
// that runs down it from frame to frame.
Canvas PointerFrame(int frame) {
  Canvas canvas(kSide, kSide);
  const std::vector<std::pair<float, float>> arrow = {{1, 1}, {1, 23}, {7, 18}, {11, 27}, {15, 25}, {11, 17}, {19, 17}};
  const Mask shape = PolygonMask(kSide, kSide, arrow);
  canvas.FillMask(shape.Dilated(1), 0, 0, Solid(Rgb(0x3A1030)));
  const float band = 4.0f + 6.0f * float(frame);
  canvas.FillMask(shape, 0, 0, [band](float, float y) {
    const float light = std::fmax(0.0f, 1.0f - std::fabs(y - band) / 5.0f);
    return Mix(Rgb(0xF7C6DD), Rgb(0xFFFFFF), light);
  });
  return canvas;
}

// A spell brush: a ring of the spell's colour around a centred hot spot, with an emblem
// that grows and shrinks.
Canvas PowerFrame(uint32_t rgb, int power, int frame) {
  Canvas canvas(kSide, kSide);
  const float pulse = 1.0f + 0.12f * float(frame);
  Glow(canvas, 16, 16, 15.0f, Rgb(rgb), 0.45f);
  canvas.FillCircle(16, 16, 11.0f * pulse, Solid(Rgb(0x2A0A24)));
  canvas.FillCircle(16, 16, 9.5f * pulse, Solid(Rgb(rgb)));
  canvas.FillCircle(16, 16, 6.0f, Solid(Rgb(0xFFFFFF, 0.85f)));
  // The emblem: as many dots as the spell's number, on a small circle.
  for (int i = 0; i < power; ++i) {
    const float angle = 6.2831853f * float(i) / float(power) + 0.3f * float(frame);
    canvas.FillCircle(16 + 3.2f * std::cos(angle), 16 + 3.2f * std::sin(angle), 1.3f, Solid(Rgb(rgb)));
  }
  return canvas;
}

bool Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  out.close();
  return bool(out);
}

}  // namespace

bool MakeCursorArt(const std::string& outDir) {
  std::error_code ec;
  std::filesystem::create_directories(outDir + "/cursors", ec);
  if (ec) return false;
  const std::vector<uint32_t> sequence = {0, 1, 2, 3, 2, 1};

  std::vector<Canvas> pointer;
  for (int f = 0; f < kFrames; ++f) pointer.push_back(PointerFrame(f));
  if (!Write(outDir + "/cursors/cursor_default.ani",
             AnimatedCursor(pointer, 1, 1, sequence, {30, 6, 6, 10, 6, 6}))) {
    return false;
  }

  const struct {
    int power;
    uint32_t rgb;
  } powers[] = {{1, 0xE0457B}, {2, 0x4FA3E0}, {3, 0x7BC950}, {4, 0xF0B23C}, {6, 0x9C6ADE}};
  for (const auto& p : powers) {
    std::vector<Canvas> frames;
    for (int f = 0; f < kFrames; ++f) frames.push_back(PowerFrame(p.rgb, p.power, f));
    const std::string path = outDir + "/cursors/cursor_power" + std::to_string(p.power) + ".ani";
    if (!Write(path, AnimatedCursor(frames, 16, 16, sequence, {8, 8, 8, 8, 8, 8}))) return false;
  }
  return true;
}

}  // namespace contentgen
