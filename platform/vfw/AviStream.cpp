#include "platform/vfw/AviStream.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace vfw {

namespace {
constexpr int kMaxSide = 4096;
}  // namespace

std::int32_t AviStream::Open(const char* path, AviStream** out) {
  *out = nullptr;
  if (!path || !*path) return AVIERR_BADPARAM;
  struct stat st {};
  if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return AVIERR_FILEOPEN;

  AviStream* stream = new AviStream;
  const std::int32_t result = stream->Load(path);
  if (result != AVIERR_OK) {
    delete stream;
    return result;
  }
  *out = stream;
  return AVIERR_OK;
}

std::int32_t AviStream::Load(const char* path) {
  // Only the AVI demuxer and only local files: a file must not be able to make FFmpeg
  // open other files or network addresses (as playlist formats would). The "file:"
  // prefix keeps a ":" in the name from being read as a protocol.
  const AVInputFormat* avi = av_find_input_format("avi");
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  std::string url = std::string("file:") + path;
  int result = avformat_open_input(&format_, url.c_str(), avi, &options);
  av_dict_free(&options);
  if (result < 0) {
    return result == AVERROR(ENOENT) || result == AVERROR(EACCES) ? AVIERR_FILEOPEN
                                                                   : AVIERR_BADFORMAT;
  }
  if (avformat_find_stream_info(format_, nullptr) < 0) return AVIERR_BADFORMAT;

  const AVCodec* codec = nullptr;
  int index = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (index < 0) return index == AVERROR_DECODER_NOT_FOUND ? AVIERR_NOCOMPRESSOR : AVIERR_NODATA;
  streamIndex_ = index;
  codec_ = codec;
  AVStream* video = format_->streams[index];

  // The frame count: the header's, else the duration in frames, else the index's.
  std::int64_t length = video->nb_frames;
  if (length <= 0 && video->duration != AV_NOPTS_VALUE) length = video->duration;
  if (length <= 0) length = avformat_index_get_entries_count(video);
  const AVCodecParameters* par = video->codecpar;
  // Movies are made for an 800 x 600 screen; a frame size far beyond that comes from a
  // damaged or hostile header and would only make the decoder ask for huge buffers.
  if (par->width <= 0 || par->height <= 0 || par->width > kMaxSide || par->height > kMaxSide ||
      video->time_base.num <= 0 || video->time_base.den <= 0) {
    return AVIERR_BADFORMAT;
  }
  // A stream without frames has no frame time; the movie code divides by the count.
  if (length <= 0) return AVIERR_NODATA;
  firstTimestamp_ = video->start_time != AV_NOPTS_VALUE ? video->start_time : 0;

  info_.fccType = streamtypeVIDEO;
  info_.fccHandler = par->codec_tag;
  info_.dwScale = static_cast<std::uint32_t>(video->time_base.num);
  info_.dwRate = static_cast<std::uint32_t>(video->time_base.den);
  info_.dwStart = 0;
  info_.dwLength = static_cast<std::uint32_t>(
      std::min<std::int64_t>(length, std::numeric_limits<std::int32_t>::max()));
  info_.rcFrame = {0, 0, par->width, par->height};
  if (const AVDictionaryEntry* title = av_dict_get(video->metadata, "title", nullptr, 0)) {
    std::strncpy(info_.szName, title->value, sizeof info_.szName - 1);
  }
  return AVIERR_OK;
}

AviStream::~AviStream() { avformat_close_input(&format_); }

std::uint32_t AviStream::Release() {
  std::uint32_t left = --references_;
  if (left == 0) delete this;
  return left;
}

AVStream* AviStream::Stream() const { return format_->streams[streamIndex_]; }

std::int32_t AviStream::SampleToTime(std::int32_t sample) const {
  if (sample < 0) return -1;
  // A sample count, the stream's scale and the 1000 of milliseconds take up to 31 + 32 + 10
  // bits: a header's large scale must not overflow the product, only clamp the time.
  const unsigned __int128 scaled = static_cast<unsigned __int128>(sample) * info_.dwScale * 1000u;
  const unsigned __int128 ms = (scaled + info_.dwRate / 2) / info_.dwRate;
  const unsigned __int128 most = static_cast<unsigned __int128>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(ms < most ? ms : most);
}

}  // namespace vfw
