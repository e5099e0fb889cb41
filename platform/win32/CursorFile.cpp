#include "platform/win32/CursorFile.h"

#include <cstring>
#include <new>

#include "platform/d3d8/ImageDecoder.h"

namespace plat {

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kAnihSize = 36;
constexpr uint32_t kIconFlag = 1;      // frames are cursor-file images
constexpr uint32_t kSequenceFlag = 2;  // a "seq " chunk orders the frames
constexpr uint32_t kBitmapHeaderSize = 40;
constexpr uint32_t kCursorType = 2;
constexpr uint32_t kIconType = 1;

uint32_t Read16(const uint8_t* p) { return uint32_t{p[0]} | (uint32_t{p[1]} << 8); }
uint32_t Read32(const uint8_t* p) { return Read16(p) | (Read16(p + 2) << 16); }
bool IsTag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

bool Fail(std::string* error, const char* reason) {
  if (error) *error = reason;
  return false;
}

// One image of a cursor file in the layout of a bitmap file without its file header:
// BITMAPINFOHEADER, the colour pixels bottom row first, then the 1-bit AND mask. Only
// uncompressed 32-bit images are read; their alpha is the cursor's. An image whose alpha
// is 0 everywhere takes its transparency from the mask.
bool ReadBitmapFrame(const uint8_t* d, size_t size, CursorFrame* frame, std::string* error) {
  if (size < kBitmapHeaderSize || Read32(d) < kBitmapHeaderSize) return Fail(error, "image header cut short");
  const uint32_t headerSize = Read32(d);
  const int32_t width = static_cast<int32_t>(Read32(d + 4));
  const int32_t doubledHeight = static_cast<int32_t>(Read32(d + 8));
  const uint32_t bitCount = Read16(d + 14);
  const uint32_t compression = Read32(d + 16);
  if (bitCount != 32 || compression != 0) return Fail(error, "image is not 32-bit uncompressed");
  if (width <= 0 || doubledHeight <= 0 || doubledHeight % 2 != 0) return Fail(error, "bad image size");
  const uint32_t w = static_cast<uint32_t>(width);
  const uint32_t h = static_cast<uint32_t>(doubledHeight / 2);
  if (w > kMaxCursorSide || h > kMaxCursorSide || h == 0) return Fail(error, "image too large");
  if (headerSize > size) return Fail(error, "image header cut short");
  const uint64_t pixelBytes = uint64_t{w} * h * 4;
  const uint64_t maskPitch = ((w + 31) / 32) * 4;
  const uint64_t maskBytes = maskPitch * h;
  const bool hasMask = headerSize + pixelBytes + maskBytes <= size;
  if (headerSize + pixelBytes > size) return Fail(error, "image pixels cut short");

  const uint8_t* pixels = d + headerSize;
  const uint8_t* mask = pixels + pixelBytes;
  frame->width = w;
  frame->height = h;
  frame->rgba.assign(pixelBytes, 0);
  bool anyAlpha = false;
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* row = pixels + uint64_t{h - 1 - y} * w * 4;
    uint8_t* out = frame->rgba.data() + uint64_t{y} * w * 4;
    for (uint32_t x = 0; x < w; ++x) {
      out[x * 4 + 0] = row[x * 4 + 2];
      out[x * 4 + 1] = row[x * 4 + 1];
      out[x * 4 + 2] = row[x * 4 + 0];
      out[x * 4 + 3] = row[x * 4 + 3];
      anyAlpha = anyAlpha || row[x * 4 + 3] != 0;
    }
  }
  if (!anyAlpha && hasMask) {
    for (uint32_t y = 0; y < h; ++y) {
      const uint8_t* maskRow = mask + uint64_t{h - 1 - y} * maskPitch;
      uint8_t* out = frame->rgba.data() + uint64_t{y} * w * 4;
      for (uint32_t x = 0; x < w; ++x) {
        const bool transparent = (maskRow[x / 8] >> (7 - x % 8)) & 1;
        out[x * 4 + 3] = transparent ? 0 : 255;
      }
    }
  }
  return true;
}

bool ReadPngFrame(const uint8_t* d, size_t size, CursorFrame* frame, std::string* error) {
  d3d8::DecodedImage image;
  if (d3d8::DecodeImage(d, size, &image) != 0 || image.surfaces.empty()) {
    return Fail(error, "PNG image unreadable");
  }
  if (image.width == 0 || image.height == 0 || image.width > kMaxCursorSide ||
      image.height > kMaxCursorSide) {
    return Fail(error, "image too large");
  }
  const std::vector<uint8_t>& surface = image.Surface(0, 0);
  const uint64_t bytes = uint64_t{image.width} * image.height * 4;
  if (surface.size() < bytes) return Fail(error, "PNG image unreadable");
  frame->width = image.width;
  frame->height = image.height;
  frame->rgba.assign(bytes, 0);
  for (uint64_t i = 0; i < bytes; i += 4) {  // B, G, R, A in, R, G, B, A out
    frame->rgba[i + 0] = surface[i + 2];
    frame->rgba[i + 1] = surface[i + 1];
    frame->rgba[i + 2] = surface[i + 0];
    frame->rgba[i + 3] = surface[i + 3];
  }
  return true;
}

// A whole cursor (or icon) file: the directory, then the first image it lists. Icons
// have no hot spot; theirs is the top-left corner.
bool ReadCursorImage(const uint8_t* d, size_t size, CursorFrame* frame, std::string* error) {
  if (size < 6 + 16) return Fail(error, "cursor directory cut short");
  const uint32_t type = Read16(d + 2);
  if (Read16(d) != 0 || (type != kCursorType && type != kIconType)) return Fail(error, "not a cursor image");
  if (Read16(d + 4) == 0) return Fail(error, "cursor without images");
  const uint8_t* entry = d + 6;
  const uint32_t bytes = Read32(entry + 8);
  const uint32_t offset = Read32(entry + 12);
  if (offset > size || bytes > size - offset || bytes == 0) return Fail(error, "cursor image outside the file");
  const uint8_t* image = d + offset;
  const bool ok = bytes >= sizeof kPngSignature && std::memcmp(image, kPngSignature, sizeof kPngSignature) == 0
                      ? ReadPngFrame(image, bytes, frame, error)
                      : ReadBitmapFrame(image, bytes, frame, error);
  if (!ok) return false;
  frame->hotX = type == kCursorType ? Read16(entry + 4) : 0;
  frame->hotY = type == kCursorType ? Read16(entry + 6) : 0;
  // A hot spot off the picture is kept on its edge.
  if (frame->hotX >= frame->width) frame->hotX = frame->width - 1;
  if (frame->hotY >= frame->height) frame->hotY = frame->height - 1;
  return true;
}

uint32_t ClampJiffies(uint32_t jiffies) {
  if (jiffies == 0) return 1;
  return jiffies > kMaxCursorJiffies ? kMaxCursorJiffies : jiffies;
}

struct Chunk {
  const uint8_t* data;
  uint32_t size;
};

bool ReadAnimated(const uint8_t* d, size_t size, CursorAnimation* cursor, std::string* error) {
  // The RIFF size may claim less than the file (trailing bytes are ignored) but not more.
  const uint64_t riffEnd = uint64_t{Read32(d + 4)} + 8;
  const size_t end = riffEnd < size ? static_cast<size_t>(riffEnd) : size;
  const uint8_t* anih = nullptr;
  Chunk rates{nullptr, 0};
  Chunk sequence{nullptr, 0};
  std::vector<Chunk> icons;

  size_t pos = 12;
  while (pos + 8 <= end) {
    const uint8_t* tag = d + pos;
    const uint32_t length = Read32(d + pos + 4);
    const size_t body = pos + 8;
    if (length > end - body) return Fail(error, "chunk runs past the end of the file");
    if (IsTag(tag, "anih")) {
      if (length < kAnihSize) return Fail(error, "animation header cut short");
      anih = d + body;
    } else if (IsTag(tag, "rate")) {
      rates = {d + body, length};
    } else if (IsTag(tag, "seq ")) {
      sequence = {d + body, length};
    } else if (IsTag(tag, "LIST") && length >= 4 && IsTag(d + body, "fram")) {
      size_t inner = body + 4;
      const size_t listEnd = body + length;
      while (inner + 8 <= listEnd) {
        const uint32_t frameLength = Read32(d + inner + 4);
        if (frameLength > listEnd - (inner + 8)) return Fail(error, "frame runs past its list");
        if (IsTag(d + inner, "icon")) {
          if (icons.size() >= kMaxCursorFrames) return Fail(error, "too many frames");
          icons.push_back({d + inner + 8, frameLength});
        }
        inner += 8 + uint64_t{frameLength} + (frameLength & 1);
      }
    }
    pos = body + length + (length & 1);
  }

  if (!anih) return Fail(error, "no animation header");
  const uint32_t frameCount = Read32(anih + 4);
  const uint32_t stepCount = Read32(anih + 8);
  const uint32_t displayRate = Read32(anih + 28);
  const uint32_t flags = Read32(anih + 32);
  if (!(flags & kIconFlag)) return Fail(error, "raw bitmap frames are not read");
  if (frameCount == 0 || frameCount > kMaxCursorFrames) return Fail(error, "bad frame count");
  if (icons.size() < frameCount) return Fail(error, "fewer frames than the header names");
  const bool sequenced = (flags & kSequenceFlag) != 0;
  const uint32_t steps = sequenced ? stepCount : frameCount;
  if (steps == 0 || steps > kMaxCursorSteps) return Fail(error, "bad step count");
  if (rates.data && rates.size / 4 < steps) return Fail(error, "rate chunk cut short");
  if (sequenced && (!sequence.data || sequence.size / 4 < steps)) return Fail(error, "sequence chunk missing or cut short");

  cursor->frames.resize(frameCount);
  for (uint32_t i = 0; i < frameCount; ++i) {
    if (!ReadCursorImage(icons[i].data, icons[i].size, &cursor->frames[i], error)) return false;
  }
  cursor->steps.resize(steps);
  for (uint32_t i = 0; i < steps; ++i) {
    CursorStep& step = cursor->steps[i];
    step.frame = sequenced ? Read32(sequence.data + i * 4) : i;
    if (step.frame >= frameCount) return Fail(error, "sequence names a missing frame");
    step.jiffies = ClampJiffies(rates.data ? Read32(rates.data + i * 4) : displayRate);
  }
  return true;
}

}  // namespace

uint64_t CursorAnimation::CycleMs() const {
  uint64_t jiffies = 0;
  for (const CursorStep& step : steps) jiffies += step.jiffies;
  const uint64_t ms = jiffies * 1000 / 60;
  return ms ? ms : 1;
}

size_t CursorAnimation::StepAt(uint64_t elapsedMs) const {
  if (steps.size() < 2) return 0;
  // Whole jiffies from the start of the current pass.
  const uint64_t jiffy = (elapsedMs % CycleMs()) * 60 / 1000;
  uint64_t until = 0;
  for (size_t i = 0; i < steps.size(); ++i) {
    until += steps[i].jiffies;
    if (jiffy < until) return i;
  }
  return steps.size() - 1;
}

bool ReadCursorFile(const uint8_t* data, size_t size, CursorAnimation* cursor, std::string* error) {
  *cursor = CursorAnimation();
  if (!data || size < 12) return Fail(error, "file too short");
  if (size > kMaxCursorFileBytes) return Fail(error, "file too large");
  bool ok = false;
  try {
    if (IsTag(data, "RIFF") && IsTag(data + 8, "ACON")) {
      ok = ReadAnimated(data, size, cursor, error);
    } else {
      cursor->frames.resize(1);
      ok = ReadCursorImage(data, size, &cursor->frames[0], error);
      if (ok) cursor->steps.assign(1, CursorStep{0, 1});
    }
  } catch (const std::bad_alloc&) {
    ok = Fail(error, "out of memory");
  }
  if (!ok) *cursor = CursorAnimation();
  return ok;
}

}  // namespace plat
