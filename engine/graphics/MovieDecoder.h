#pragma once

#include <cstdint>
#include <string>

// What a movie image needs of a video decoder: the video stream of a file on disk, its
// frame size, count and timing, and frames decoded by index into one 32-bit frame
// bitmap. The movie image keeps the frame arithmetic and the texture; the decoder keeps
// every handle of the video library. VfwMovieDecoder is the real one; tests use a fake.
class MovieDecoder {
 public:
  virtual ~MovieDecoder() = default;

  // Opens the video stream of the file at the path (as given: no lookup) and reads its
  // frame size and length. False when the file cannot be read as a movie.
  virtual bool OpenStream(const std::string& path) = 0;
  // Makes the frame bitmap (cleared to zero) and opens the frame decoder. False when the
  // stream's frames cannot be decoded.
  virtual bool OpenFrames() = 0;
  // Releases everything the two opens made; the decoder can be opened again. Safe to
  // call at any time.
  virtual void Close() = 0;
  // True from a successful OpenStream until Close.
  virtual bool IsOpen() const = 0;

  // The frame rectangle's width and height, and the number of frames.
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual int32_t FrameCount() const = 0;
  // The start time of frame `sample` in milliseconds (AVIStreamSampleToTime).
  virtual int32_t SampleToTime(int32_t sample) const = 0;

  // Decodes frame `index` (0 to FrameCount() - 1) into the frame bitmap. False when the
  // frame cannot be decoded; the bitmap then keeps what it held.
  virtual bool DrawFrame(int32_t index) = 0;
  // The frame bitmap, as a Windows DIB of 32 bits per pixel: Height() rows of Width()
  // pixels, bytes B, G, R and an unused fourth byte, the BOTTOM row of the picture first.
  // Null before OpenFrames.
  virtual const uint8_t* FrameBits() const = 0;
};
