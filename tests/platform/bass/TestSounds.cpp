#include "tests/platform/bass/TestSounds.h"


extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/oggenc/OggEncoder.h"

namespace testsounds {

std::vector<float> Sine(double hz, double seconds, int rate, int channels, float amplitude) {
  const int frames = int(seconds * rate);
  std::vector<float> samples(size_t(frames) * size_t(channels));
  for (int i = 0; i < frames; ++i) {
    const float value = amplitude * float(std::sin(2.0 * M_PI * hz * i / rate));
    for (int c = 0; c < channels; ++c) samples[size_t(i) * size_t(channels) + size_t(c)] = value;
  }
  return samples;
}

std::string EncodeOgg(const std::vector<float>& samples, int channels, int rate) {
  return oggenc::EncodeOgg(samples, channels, rate, 0.4f);
}

namespace {
std::string EncodeMpeg(AVCodecID id, const std::vector<int16_t>& mono, int rate);
}  // namespace

std::string EncodeMp2(const std::vector<int16_t>& mono, int rate) {
  return EncodeMpeg(AV_CODEC_ID_MP2, mono, rate);
}

std::string EncodeMp3(const std::vector<int16_t>& mono, int rate) {
  return EncodeMpeg(AV_CODEC_ID_MP3, mono, rate);
}

namespace {

// Mono 16-bit samples, packed or planar (the same layout for one channel).
std::string EncodeMpeg(AVCodecID id, const std::vector<int16_t>& mono, int rate) {
  const AVCodec* codec = avcodec_find_encoder(id);
  if (!codec) return {};
  AVSampleFormat format = AV_SAMPLE_FMT_NONE;
  for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f) {
    if (*f == AV_SAMPLE_FMT_S16 || *f == AV_SAMPLE_FMT_S16P) format = *f;
  }
  if (format == AV_SAMPLE_FMT_NONE) return {};
  AVCodecContext* context = avcodec_alloc_context3(codec);
  context->bit_rate = 128000;
  context->sample_fmt = format;
  context->sample_rate = rate;
  av_channel_layout_default(&context->ch_layout, 1);
  std::string out;
  if (avcodec_open2(context, codec, nullptr) == 0) {
    AVFrame* frame = av_frame_alloc();
    frame->nb_samples = context->frame_size;
    frame->format = context->sample_fmt;
    av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
    av_frame_get_buffer(frame, 0);
    AVPacket* packet = av_packet_alloc();
    auto receive = [&]() {
      while (avcodec_receive_packet(context, packet) == 0) {
        out.append(reinterpret_cast<const char*>(packet->data), size_t(packet->size));
        av_packet_unref(packet);
      }
    };
    for (size_t at = 0; at < mono.size(); at += size_t(context->frame_size)) {
      av_frame_make_writable(frame);
      int16_t* data = reinterpret_cast<int16_t*>(frame->data[0]);
      for (int i = 0; i < context->frame_size; ++i) {
        data[i] = at + size_t(i) < mono.size() ? mono[at + size_t(i)] : 0;
      }
      frame->pts = int64_t(at);
      avcodec_send_frame(context, frame);
      receive();
    }
    avcodec_send_frame(context, nullptr);
    receive();
    av_packet_free(&packet);
    av_frame_free(&frame);
  }
  avcodec_free_context(&context);
  return out;
}

}  // namespace

namespace {
void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}
void PutBe16(std::string& out, size_t at, uint16_t value) {
  out[at] = char(value >> 8);
  out[at + 1] = char(value & 0xFF);
}
}  // namespace

std::string MakeWav16(const std::vector<int16_t>& samples, int channels, int rate) {
  const uint32_t dataBytes = uint32_t(samples.size() * 2);
  std::string out = "RIFF";
  PutLe(out, 36 + dataBytes, 4);
  out += "WAVEfmt ";
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, uint32_t(channels), 2);
  PutLe(out, uint32_t(rate), 4);
  PutLe(out, uint32_t(rate * channels * 2), 4);
  PutLe(out, uint32_t(channels * 2), 2);
  PutLe(out, 16, 2);
  out += "data";
  PutLe(out, dataBytes, 4);
  for (int16_t value : samples) PutLe(out, uint16_t(value), 2);
  return out;
}

std::string MakeMod(const std::vector<int>& patternVolumes, const std::vector<int>& orders) {
  constexpr size_t kHeader = 1084;
  constexpr size_t kPattern = 64 * 4 * 4;
  constexpr int kSampleBytes = 32;
  std::string mod(kHeader + patternVolumes.size() * kPattern, '\0');
  std::memcpy(&mod[0], "pellavo test", 12);

  // Instrument 1: a square wave of 32 bytes, volume 64, looping over all of it.
  const size_t instrument = 20;
  std::memcpy(&mod[instrument], "square", 6);
  PutBe16(mod, instrument + 22, kSampleBytes / 2);  // length in words
  mod[instrument + 25] = 64;                        // volume
  PutBe16(mod, instrument + 26, 0);                 // loop start
  PutBe16(mod, instrument + 28, kSampleBytes / 2);  // loop length
  for (int i = 1; i < 31; ++i) PutBe16(mod, 20 + size_t(i) * 30 + 28, 1);  // no loop

  mod[950] = char(orders.size());
  mod[951] = 127;
  for (size_t i = 0; i < orders.size(); ++i) mod[952 + i] = char(orders[i]);
  std::memcpy(&mod[1080], "M.K.", 4);

  // Row 0, channel 0 of each pattern: instrument 1, period 428 (C-2), effect C = volume.
  for (size_t p = 0; p < patternVolumes.size(); ++p) {
    const size_t cell = kHeader + p * kPattern;
    mod[cell + 0] = char(0x01);  // instrument high bits 0, period high bits 1
    mod[cell + 1] = char(0xAC);  // period low bits (428 = 0x1AC)
    mod[cell + 2] = char(0x1C);  // instrument low bits 1, effect C
    mod[cell + 3] = char(patternVolumes[p]);
  }
  for (int i = 0; i < kSampleBytes; ++i) mod.push_back(char(i < kSampleBytes / 2 ? 100 : -100));
  return mod;
}

}  // namespace testsounds
