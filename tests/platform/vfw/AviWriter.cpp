#include "tests/platform/vfw/AviWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace {

struct Output {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;

  ~Output() {
    avcodec_free_context(&codec);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }

  bool Open(const std::string& path, const char* encoder) {
    if (avformat_alloc_output_context2(&format, nullptr, "avi", path.c_str()) < 0) return false;
    const AVCodec* c = avcodec_find_encoder_by_name(encoder);
    if (!c) return false;
    stream = avformat_new_stream(format, nullptr);
    codec = avcodec_alloc_context3(c);
    return stream && codec;
  }

  bool Start(const std::string& path) {
    if (format->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(codec, codec->codec, nullptr) < 0) return false;
    if (avcodec_parameters_from_context(stream->codecpar, codec) < 0) return false;
    stream->time_base = codec->time_base;
    if (avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return false;
    return avformat_write_header(format, nullptr) >= 0;
  }

  // Sends a frame (or null to drain) and writes every packet that comes out.
  bool Encode(AVFrame* frame) {
    if (avcodec_send_frame(codec, frame) < 0) return false;
    AVPacket* packet = av_packet_alloc();
    int result = 0;
    while ((result = avcodec_receive_packet(codec, packet)) == 0) {
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(format, packet) < 0) result = -1;
      av_packet_unref(packet);
      if (result < 0) break;
    }
    av_packet_free(&packet);
    return result == AVERROR(EAGAIN) || result == AVERROR_EOF;
  }

  bool Finish() { return Encode(nullptr) && av_write_trailer(format) == 0; }
};

}  // namespace

bool WriteAvi(const std::string& path, const AviSpec& spec) {
  Output out;
  if (!out.Open(path, spec.codec.c_str())) return false;
  AVCodecContext* c = out.codec;
  c->width = spec.width;
  c->height = spec.height;
  c->time_base = AVRational{1, spec.rate};
  c->framerate = AVRational{spec.rate, 1};
  if (spec.codec == "rawvideo") {
    c->pix_fmt = AV_PIX_FMT_BGR24;
  } else if (spec.codec == "mjpeg") {
    c->pix_fmt = AV_PIX_FMT_YUVJ444P;
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * 2;
  } else {
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->gop_size = spec.gop;
    c->max_b_frames = 0;
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * 2;
  }
  if (!out.Start(path)) return false;

  AVFrame* rgb = av_frame_alloc();
  AVFrame* frame = av_frame_alloc();
  rgb->format = AV_PIX_FMT_BGR24;
  rgb->width = spec.width;
  rgb->height = spec.height;
  frame->format = c->pix_fmt;
  frame->width = spec.width;
  frame->height = spec.height;
  bool ok = av_frame_get_buffer(rgb, 0) == 0 && av_frame_get_buffer(frame, 0) == 0;
  // The JPEG formats are the plain YUV ones with full-range values; converting to them
  // by name makes swscale complain on every frame.
  const bool jpeg = c->pix_fmt == AV_PIX_FMT_YUVJ444P;
  SwsContext* sws =
      sws_getContext(spec.width, spec.height, AV_PIX_FMT_BGR24, spec.width, spec.height,
                     jpeg ? AV_PIX_FMT_YUV444P : c->pix_fmt, SWS_POINT, nullptr, nullptr, nullptr);
  ok = ok && sws;
  if (ok && jpeg) {
    int *inverse, *table, srcRange, dstRange, brightness, contrast, saturation;
    sws_getColorspaceDetails(sws, &inverse, &srcRange, &table, &dstRange, &brightness, &contrast,
                             &saturation);
    sws_setColorspaceDetails(sws, inverse, srcRange, table, 1, brightness, contrast, saturation);
  }
  for (int i = 0; ok && i < spec.frames; ++i) {
    ok = av_frame_make_writable(frame) == 0;
    for (int y = 0; y < spec.height; ++y) {
      std::uint8_t* row = rgb->data[0] + y * rgb->linesize[0];
      for (int x = 0; x < spec.width; ++x) {
        std::uint32_t colour = spec.pixel(i, x, y);
        row[x * 3 + 0] = colour & 0xFF;
        row[x * 3 + 1] = (colour >> 8) & 0xFF;
        row[x * 3 + 2] = (colour >> 16) & 0xFF;
      }
    }
    sws_scale(sws, rgb->data, rgb->linesize, 0, spec.height, frame->data, frame->linesize);
    frame->pts = i;
    ok = ok && out.Encode(frame);
  }
  ok = ok && out.Finish();
  sws_freeContext(sws);
  av_frame_free(&rgb);
  av_frame_free(&frame);
  return ok;
}

bool WriteAudioOnlyAvi(const std::string& path) {
  Output out;
  if (!out.Open(path, "pcm_s16le")) return false;
  AVCodecContext* c = out.codec;
  c->sample_fmt = AV_SAMPLE_FMT_S16;
  c->sample_rate = 8000;
  c->time_base = AVRational{1, 8000};
  av_channel_layout_default(&c->ch_layout, 1);
  if (!out.Start(path)) return false;

  AVFrame* frame = av_frame_alloc();
  frame->format = AV_SAMPLE_FMT_S16;
  frame->sample_rate = 8000;
  frame->nb_samples = 800;
  av_channel_layout_default(&frame->ch_layout, 1);
  bool ok = av_frame_get_buffer(frame, 0) == 0;
  if (ok) {
    av_samples_set_silence(frame->data, 0, 800, 1, AV_SAMPLE_FMT_S16);
    frame->pts = 0;
    ok = out.Encode(frame) && out.Finish();
  }
  av_frame_free(&frame);
  return ok;
}
