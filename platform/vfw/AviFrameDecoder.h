#pragma once

#include <cstdint>
#include <vector>

#include "platform/vfw/Vfw.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace vfw {

class AviStream;

// Decodes frames of an AVI video stream by index into one packed 32-bit bitmap. Frame n
// is the picture whose time stamp is the largest not after n (an empty "drop" chunk in
// the file repeats the picture before it). Reading on from the frame last returned
// decodes forward; any other index seeks to the key frame at or before it first. Only
// the frame that is asked for is converted to BGRA; frames skipped on the way are only
// decoded.
class AviFrameDecoder {
 public:
  // Null when the stream's decoder cannot be opened.
  static AviFrameDecoder* Open(AviStream* stream, bool topDown);
  ~AviFrameDecoder();
  AviFrameDecoder(const AviFrameDecoder&) = delete;
  AviFrameDecoder& operator=(const AviFrameDecoder&) = delete;

  BITMAPINFOHEADER* GetFrame(std::int32_t position);

 private:
  AviFrameDecoder(AviStream* stream, bool topDown);

  bool Seek(std::int64_t target);
  bool DecodeNext(AVFrame* frame, std::int64_t* timestamp);
  bool Convert(const AVFrame* frame);
  void Invalidate();

  AviStream* stream_;
  const bool topDown_;
  AVCodecContext* codec_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* shown_ = nullptr;      // the decoded picture behind the bitmap (or a newer one)
  AVFrame* lookahead_ = nullptr;  // decoded, but later than the frame last asked for
  bool hasLookahead_ = false;
  std::int64_t lookaheadTime_ = 0;
  std::int64_t lastTime_ = 0;     // time stamp of the last picture out of the decoder
  bool inputEnded_ = false;
  std::int64_t brokenTime_;       // a packet the decoder refused, or none

  std::int32_t current_ = -1;     // the frame in the bitmap, -1 for none
  std::int64_t currentTime_ = 0;  // time stamp of the picture in the bitmap

  SwsContext* sws_ = nullptr;
  int swsWidth_ = 0, swsHeight_ = 0, swsFormat_ = -1;
  std::vector<std::uint8_t> rows_;    // the converted picture, top-down
  std::vector<std::uint8_t> bitmap_;  // header and pixels as handed out
};

}  // namespace vfw
