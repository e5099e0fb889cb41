#pragma once

#include <cstdint>
#include <string>

#include "platform/vfw/Vfw.h"

struct AVFormatContext;
struct AVStream;
struct AVCodec;

namespace vfw {

// The video stream of an AVI file: the opened demuxer and what the stream's header says.
// Reference-counted: the caller's reference and one per frame decoder. The decoders share
// the demuxer and note which of them moved it last.
class AviStream {
 public:
  // Opens the file; on failure returns the AVIERR code and *out stays null.
  static std::int32_t Open(const char* path, AviStream** out);

  void AddRef() { ++references_; }
  std::uint32_t Release();

  const AVISTREAMINFOA& Info() const { return info_; }
  std::int32_t Length() const { return static_cast<std::int32_t>(info_.dwLength); }
  std::int32_t Width() const { return info_.rcFrame.right; }
  std::int32_t Height() const { return info_.rcFrame.bottom; }
  std::int32_t SampleToTime(std::int32_t sample) const;

  AVFormatContext* Format() const { return format_; }
  AVStream* Stream() const;
  int StreamIndex() const { return streamIndex_; }
  const AVCodec* Codec() const { return codec_; }
  std::int64_t FirstTimestamp() const { return firstTimestamp_; }

  // The decoder that read from the demuxer last; another one must seek before it reads.
  const void* reader = nullptr;

 private:
  AviStream() = default;
  ~AviStream();
  // Opens the demuxer and reads the video stream's header; an AVIERR code.
  std::int32_t Load(const char* path);

  std::uint32_t references_ = 1;
  AVFormatContext* format_ = nullptr;
  int streamIndex_ = -1;
  const AVCodec* codec_ = nullptr;
  std::int64_t firstTimestamp_ = 0;
  AVISTREAMINFOA info_;
};

}  // namespace vfw
