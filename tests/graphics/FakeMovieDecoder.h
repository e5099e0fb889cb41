#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/graphics/MovieDecoder.h"

namespace gfxtest {

// A movie decoder that plays a movie described in code. Frame n's pixel (x, y), y from
// the top of the picture, is B = n, G = y, R = x (see FakeMovieDecoder::Pixel), so that
// frame order, row order and column order all show in the texture. What the movie image
// asked of it is kept in a record that outlives the decoder.
class FakeMovieDecoder final : public MovieDecoder {
 public:
  struct Movie {
    int32_t width = 4;
    int32_t height = 3;
    int32_t frames = 10;
    int32_t totalMilliseconds = 1000;  // SampleToTime(frames)
    bool streamOpens = true;
    bool framesOpen = true;
    std::set<int32_t> badFrames;  // frames that cannot be decoded
  };
  struct Record {
    std::vector<int32_t> drawn;  // every frame decoded, in order
    std::string openedPath;
    int closes = 0;
    bool open = false;
  };

  explicit FakeMovieDecoder(Movie movie)
      : movie_(std::move(movie)), record_(std::make_shared<Record>()) {}
  std::shared_ptr<Record> record() const { return record_; }

  // The bitmap bytes B, G, R, unused of frame n's pixel (x, y from the top).
  static uint32_t Pixel(int32_t frame, int32_t x, int32_t y) {
    return static_cast<uint32_t>(frame & 0xFF) | static_cast<uint32_t>(y & 0xFF) << 8 |
           static_cast<uint32_t>(x & 0xFF) << 16;
  }

  bool OpenStream(const std::string& path) override {
    record_->openedPath = path;
    if (!movie_.streamOpens) return false;
    record_->open = true;
    return true;
  }
  bool OpenFrames() override {
    if (!movie_.framesOpen) return false;
    bits_.assign(static_cast<size_t>(movie_.width) * movie_.height * 4, 0);
    return true;
  }
  void Close() override {
    ++record_->closes;
    record_->open = false;
    bits_.clear();
  }
  bool IsOpen() const override { return record_->open; }
  int32_t Width() const override { return movie_.width; }
  int32_t Height() const override { return movie_.height; }
  int32_t FrameCount() const override { return movie_.frames; }
  int32_t SampleToTime(int32_t sample) const override {
    return movie_.frames ? sample * movie_.totalMilliseconds / movie_.frames : 0;
  }
  bool DrawFrame(int32_t index) override {
    record_->drawn.push_back(index);
    if (bits_.empty() || index < 0 || index >= movie_.frames || movie_.badFrames.count(index)) {
      return false;
    }
    // Bottom-up, as a Windows DIB: the first row in memory is the picture's last.
    for (int32_t y = 0; y < movie_.height; ++y) {
      uint8_t* row = bits_.data() + static_cast<size_t>(movie_.height - 1 - y) * movie_.width * 4;
      for (int32_t x = 0; x < movie_.width; ++x) {
        const uint32_t p = Pixel(index, x, y);
        for (int i = 0; i < 4; ++i) row[x * 4 + i] = static_cast<uint8_t>(p >> (8 * i));
      }
    }
    return true;
  }
  const uint8_t* FrameBits() const override { return bits_.empty() ? nullptr : bits_.data(); }

 private:
  Movie movie_;
  std::shared_ptr<Record> record_;
  std::vector<uint8_t> bits_;
};

}  // namespace gfxtest
