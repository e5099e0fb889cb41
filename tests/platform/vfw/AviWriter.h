#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Writes small AVI files for tests with FFmpeg's own muxer and encoders, so that the
// fixtures are made by code next to the tests.
struct AviSpec {
  std::string codec = "mjpeg";  // "mjpeg", "rawvideo" (bgr24) or "mpeg4"
  int width = 32;
  int height = 16;
  int frames = 6;
  int rate = 10;  // frames per second
  int gop = 1;    // distance between key frames (mpeg4)
  // Colour 0xRRGGBB of pixel (x, y) of a frame; y = 0 is the top row.
  std::function<std::uint32_t(int frame, int x, int y)> pixel;
};

bool WriteAvi(const std::string& path, const AviSpec& spec);

// An AVI file with one audio stream and no video stream.
bool WriteAudioOnlyAvi(const std::string& path);
