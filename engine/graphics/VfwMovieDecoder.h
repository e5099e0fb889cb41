#pragma once

#include "engine/graphics/MovieDecoder.h"
#include "platform/vfw/Vfw.h"

// The movie decoder over Video for Windows: AVIFile opens the stream and decodes frames
// by index into packed bitmaps, DrawDib copies each into a 32-bit bottom-up DIB section
// selected into a memory device context.
class VfwMovieDecoder final : public MovieDecoder {
 public:
  VfwMovieDecoder() = default;
  ~VfwMovieDecoder() override;
  VfwMovieDecoder(const VfwMovieDecoder&) = delete;
  VfwMovieDecoder& operator=(const VfwMovieDecoder&) = delete;

  bool OpenStream(const std::string& path) override;
  bool OpenFrames() override;
  void Close() override;
  bool IsOpen() const override { return stream_ != nullptr; }

  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  int32_t FrameCount() const override { return frameCount_; }
  int32_t SampleToTime(int32_t sample) const override;

  bool DrawFrame(int32_t index) override;
  const uint8_t* FrameBits() const override { return static_cast<const uint8_t*>(frameBits_); }

 private:
  vfw::AVISTREAMINFOA info_{};
  vfw::PAVISTREAM stream_ = nullptr;
  vfw::PGETFRAME getFrame_ = nullptr;
  vfw::BITMAPINFOHEADER header_{};
  vfw::HDRAWDIB drawDib_ = nullptr;
  vfw::HDC memoryDC_ = nullptr;
  vfw::HBITMAP frameBitmap_ = nullptr;
  void* frameBits_ = nullptr;
  bool libraryOpen_ = false;  // AVIFileInit called and not yet matched by AVIFileExit
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t frameCount_ = 0;
};
