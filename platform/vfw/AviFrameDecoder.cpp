#include "platform/vfw/AviFrameDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <utility>

#include "platform/vfw/AviStream.h"

namespace vfw {

namespace {

// MJPEG and other JPEG-style codecs decode to the "yuvj" formats, which swscale reports
// as deprecated on every frame (and then rebuilds its context every frame). They are the
// plain YUV formats with full-range values, so convert them as that.
AVPixelFormat PlainFormat(AVPixelFormat format, bool* fullRange) {
  switch (format) {
    case AV_PIX_FMT_YUVJ420P: *fullRange = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: *fullRange = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: *fullRange = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: *fullRange = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: *fullRange = true; return AV_PIX_FMT_YUV411P;
    default: return format;
  }
}

std::int64_t TimestampOf(const AVFrame* frame) {
  if (frame->best_effort_timestamp != AV_NOPTS_VALUE) return frame->best_effort_timestamp;
  return frame->pts;
}

}  // namespace

AviFrameDecoder::AviFrameDecoder(AviStream* stream, bool topDown)
    : stream_(stream), topDown_(topDown), brokenTime_(AV_NOPTS_VALUE) {
  stream_->AddRef();
}

AviFrameDecoder* AviFrameDecoder::Open(AviStream* stream, bool topDown) {
  auto* decoder = new AviFrameDecoder(stream, topDown);
  AVCodecContext* codec = avcodec_alloc_context3(stream->Codec());
  decoder->codec_ = codec;
  bool ok = codec && avcodec_parameters_to_context(codec, stream->Stream()->codecpar) >= 0;
  if (ok) {
    // Movies are small; one thread keeps every frame out of the decoder at once.
    codec->thread_count = 1;
    codec->pkt_timebase = stream->Stream()->time_base;
    ok = avcodec_open2(codec, stream->Codec(), nullptr) >= 0;
  }
  decoder->packet_ = av_packet_alloc();
  decoder->shown_ = av_frame_alloc();
  decoder->lookahead_ = av_frame_alloc();
  ok = ok && decoder->packet_ && decoder->shown_ && decoder->lookahead_;
  if (!ok) {
    delete decoder;
    return nullptr;
  }

  const int width = stream->Width();
  const int height = stream->Height();
  decoder->rows_.assign(std::size_t(width) * height * 4, 0);
  decoder->bitmap_.assign(sizeof(BITMAPINFOHEADER) + decoder->rows_.size(), 0);
  BITMAPINFOHEADER header;
  header.biWidth = width;
  header.biHeight = topDown ? -height : height;
  header.biBitCount = 32;
  header.biSizeImage = static_cast<std::uint32_t>(decoder->rows_.size());
  std::memcpy(decoder->bitmap_.data(), &header, sizeof header);
  return decoder;
}

AviFrameDecoder::~AviFrameDecoder() {
  if (stream_->reader == this) stream_->reader = nullptr;
  sws_freeContext(sws_);
  av_frame_free(&shown_);
  av_frame_free(&lookahead_);
  av_packet_free(&packet_);
  avcodec_free_context(&codec_);
  stream_->Release();
}

BITMAPINFOHEADER* AviFrameDecoder::GetFrame(std::int32_t position) {
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(bitmap_.data());
  if (position < 0 || position >= stream_->Length()) return nullptr;
  if (position == current_) return header;

  const std::int64_t target = stream_->FirstTimestamp() + position;
  bool forward = current_ >= 0 && position > current_ && stream_->reader == this;
  if (forward) {
    // A key frame further on than the decoder has got is a shorter way there.
    const AVIndexEntry* key =
        avformat_index_get_entry_from_timestamp(stream_->Stream(), target, AVSEEK_FLAG_BACKWARD);
    if (key && key->timestamp > lastTime_ + 1) forward = false;
  }
  if (!forward && !Seek(target)) {
    Invalidate();
    return nullptr;
  }
  stream_->reader = this;

  bool picked = false;
  std::int64_t pickedTime = 0;
  for (;;) {
    if (!hasLookahead_) {
      if (!DecodeNext(lookahead_, &lookaheadTime_)) break;
      hasLookahead_ = true;
    }
    if (lookaheadTime_ > target) break;
    std::swap(shown_, lookahead_);
    hasLookahead_ = false;
    picked = true;
    pickedTime = lookaheadTime_;
  }

  // Without a new picture, reading on keeps the one in the bitmap (a repeated frame);
  // after a seek there is nothing to show.
  if (!picked && !forward) {
    Invalidate();
    return nullptr;
  }
  const std::int64_t shownTime = picked ? pickedTime : currentTime_;
  // A packet the decoder refused between the picture and the frame asked for: that frame
  // cannot be shown.
  if (brokenTime_ != AV_NOPTS_VALUE && brokenTime_ > shownTime && brokenTime_ <= target) {
    Invalidate();
    return nullptr;
  }
  if (picked && !Convert(shown_)) {
    Invalidate();
    return nullptr;
  }
  current_ = position;
  currentTime_ = shownTime;
  return header;
}

bool AviFrameDecoder::Seek(std::int64_t target) {
  AVStream* video = stream_->Stream();
  const AVIndexEntry* key =
      avformat_index_get_entry_from_timestamp(video, target, AVSEEK_FLAG_BACKWARD);
  std::int64_t time = key ? key->timestamp : stream_->FirstTimestamp();
  AVFormatContext* format = stream_->Format();
  if (av_seek_frame(format, stream_->StreamIndex(), time, AVSEEK_FLAG_BACKWARD) < 0) {
    time = stream_->FirstTimestamp();
    if (av_seek_frame(format, stream_->StreamIndex(), time, AVSEEK_FLAG_BACKWARD) < 0) {
      return false;
    }
  }
  avcodec_flush_buffers(codec_);
  hasLookahead_ = false;
  inputEnded_ = false;
  brokenTime_ = AV_NOPTS_VALUE;
  lastTime_ = time - 1;
  return true;
}

// The next picture out of the decoder, feeding it packets of the video stream as needed.
// False once the stream has ended and the decoder is drained.
bool AviFrameDecoder::DecodeNext(AVFrame* frame, std::int64_t* timestamp) {
  AVFormatContext* format = stream_->Format();
  for (;;) {
    int result = avcodec_receive_frame(codec_, frame);
    if (result == 0) {
      std::int64_t time = TimestampOf(frame);
      lastTime_ = time != AV_NOPTS_VALUE ? time : lastTime_ + 1;
      *timestamp = lastTime_;
      return true;
    }
    if (result == AVERROR_EOF || inputEnded_) return false;

    if (av_read_frame(format, packet_) < 0) {
      inputEnded_ = true;
      avcodec_send_packet(codec_, nullptr);  // drain what the decoder still holds
      continue;
    }
    // An empty chunk repeats the previous picture; an empty packet would end decoding.
    if (packet_->stream_index == stream_->StreamIndex() && packet_->size > 0) {
      std::int64_t time = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
      if (avcodec_send_packet(codec_, packet_) < 0) brokenTime_ = time;
    }
    av_packet_unref(packet_);
  }
}

bool AviFrameDecoder::Convert(const AVFrame* frame) {
  const int width = stream_->Width();
  const int height = stream_->Height();
  bool fullRange = frame->color_range == AVCOL_RANGE_JPEG;
  const AVPixelFormat format = PlainFormat(static_cast<AVPixelFormat>(frame->format), &fullRange);
  const int key = format * 4 + (fullRange ? 2 : 0);
  if (!sws_ || swsWidth_ != frame->width || swsHeight_ != frame->height || swsFormat_ != key) {
    sws_freeContext(sws_);
    const bool sameSize = frame->width == width && frame->height == height;
    sws_ = sws_getContext(frame->width, frame->height, format, width, height, AV_PIX_FMT_BGRA,
                          sameSize ? SWS_POINT : SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!sws_) {
      swsFormat_ = -1;
      return false;
    }
    swsWidth_ = frame->width;
    swsHeight_ = frame->height;
    swsFormat_ = key;
    int* inverse = nullptr;
    int* table = nullptr;
    int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
    if (sws_getColorspaceDetails(sws_, &inverse, &srcRange, &table, &dstRange, &brightness,
                                 &contrast, &saturation) >= 0) {
      const int space = frame->colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT
                                                                    : frame->colorspace;
      sws_setColorspaceDetails(sws_, sws_getCoefficients(space), fullRange ? 1 : 0, table,
                               dstRange, brightness, contrast, saturation);
    }
  }

  std::uint8_t* destination[4] = {rows_.data(), nullptr, nullptr, nullptr};
  int strides[4] = {width * 4, 0, 0, 0};
  if (sws_scale(sws_, frame->data, frame->linesize, 0, frame->height, destination, strides) <= 0) {
    return false;
  }
  const AVPixFmtDescriptor* description = av_pix_fmt_desc_get(format);
  if (description && (description->flags & AV_PIX_FMT_FLAG_ALPHA)) {
    // The bitmap is opaque, as Video for Windows delivers it.
    for (std::size_t i = 3; i < rows_.size(); i += 4) rows_[i] = 0xFF;
  }

  const std::size_t stride = std::size_t(width) * 4;
  std::uint8_t* pixels = bitmap_.data() + sizeof(BITMAPINFOHEADER);
  for (int y = 0; y < height; ++y) {
    const int row = topDown_ ? y : height - 1 - y;
    std::memcpy(pixels + stride * row, rows_.data() + stride * y, stride);
  }
  return true;
}

void AviFrameDecoder::Invalidate() {
  current_ = -1;
  hasLookahead_ = false;
}

}  // namespace vfw
