#include "platform/bass/SampleDecoder.h"

#include <SDL.h>
#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "platform/bass/Bass.h"

namespace bass {
namespace {

// Decoded sound before rate and channel conversion.
struct RawSound {
  SDL_AudioFormat format = AUDIO_S16SYS;
  int channels = 0;
  int rate = 0;
  std::vector<uint8_t> bytes;

  void Append(const void* data, size_t size) {
    const uint8_t* from = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), from, from + size);
  }
};

constexpr size_t kReadBlock = 16384;

// --- Ogg Vorbis ------------------------------------------------------------------------

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t position;
};

size_t ReadMemory(void* out, size_t size, size_t count, void* source) {
  MemoryReader& reader = *static_cast<MemoryReader*>(source);
  if (size == 0) return 0;
  size_t bytes = std::min(size * count, reader.size - reader.position);
  bytes -= bytes % size;
  std::memcpy(out, reader.data + reader.position, bytes);
  reader.position += bytes;
  return bytes / size;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence) {
  MemoryReader& reader = *static_cast<MemoryReader*>(source);
  ogg_int64_t base = whence == SEEK_SET   ? 0
                     : whence == SEEK_CUR ? ogg_int64_t(reader.position)
                     : whence == SEEK_END ? ogg_int64_t(reader.size)
                                          : -1;
  if (base < 0) return -1;
  ogg_int64_t target = base + offset;
  if (target < 0 || target > ogg_int64_t(reader.size)) return -1;
  reader.position = size_t(target);
  return 0;
}

long TellMemory(void* source) { return long(static_cast<MemoryReader*>(source)->position); }

int DecodeVorbis(const uint8_t* data, size_t size, RawSound& raw) {
  MemoryReader reader{data, size, 0};
  // Seek and tell make the stream seekable, so that vorbisfile reads its length up front.
  ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
  OggVorbis_File file;
  if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0) return BASS_ERROR_FILEFORM;

  int result = BASS_OK;
  const vorbis_info* info = ov_info(&file, -1);
  if (!info || info->channels < 1 || info->channels > 2) {
    // Vorbis orders more channels differently from SDL; our sounds are mono or stereo.
    result = BASS_ERROR_FORMAT;
  } else {
    raw.format = AUDIO_S16SYS;
    raw.channels = info->channels;
    raw.rate = int(info->rate);
    const int bigEndian = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 1 : 0;
    char block[kReadBlock];
    for (;;) {
      int section = 0;
      long got = ov_read(&file, block, sizeof block, bigEndian, 2, 1, &section);
      if (got == 0) break;
      if (got == OV_HOLE) continue;  // a gap in the pages; decoding goes on after it
      if (got < 0) {
        result = BASS_ERROR_FILEFORM;
        break;
      }
      const vorbis_info* now = ov_info(&file, section);
      if (!now || now->channels != raw.channels || int(now->rate) != raw.rate) {
        result = BASS_ERROR_FORMAT;  // a chained stream that changes its layout
        break;
      }
      raw.Append(block, size_t(got));
    }
  }
  ov_clear(&file);
  return result;
}

// --- WAV -------------------------------------------------------------------------------

int DecodeWav(const uint8_t* data, size_t size, RawSound& raw) {
  if (size > size_t(INT_MAX)) return BASS_ERROR_FILEFORM;
  SDL_RWops* rw = SDL_RWFromConstMem(data, int(size));
  if (!rw) return BASS_ERROR_MEM;
  SDL_AudioSpec spec;
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV_RW(rw, 1, &spec, &buffer, &length)) return BASS_ERROR_FILEFORM;
  raw.format = spec.format;
  raw.channels = spec.channels;
  raw.rate = spec.freq;
  raw.Append(buffer, length);
  SDL_FreeWAV(buffer);
  return BASS_OK;
}

// --- MPEG audio ------------------------------------------------------------------------

// A file that starts with an ID3v2 tag or a frame sync. libmpg123 would otherwise hunt
// through any bytes for something that looks like a frame header.
bool LooksLikeMpeg(const uint8_t* data, size_t size) {
  if (size >= 3 && std::memcmp(data, "ID3", 3) == 0) return true;
  return size >= 4 && data[0] == 0xFF && (data[1] & 0xE0) == 0xE0;
}

// A frame header: sync, a known version and layer, a bit rate and a sample rate that exist.
bool IsFrameHeader(const uint8_t* p) {
  return p[0] == 0xFF && (p[1] & 0xE0) == 0xE0 && (p[1] & 0x18) != 0x08 && (p[1] & 0x06) != 0 &&
         (p[2] & 0xF0) != 0xF0 && (p[2] & 0xF0) != 0 && (p[2] & 0x0C) != 0x0C;
}

// MPEG data may come with a few bytes before its first frame (an SWF sound's seek count):
// the offset of a frame header within the first kMpegLeadLimit bytes, or size when none.
constexpr size_t kMpegLeadLimit = 64;
size_t FirstFrame(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 4 <= size && i <= kMpegLeadLimit; ++i) {
    if (IsFrameHeader(data + i)) return i;
  }
  return size;
}

int DecodeMpeg(const uint8_t* data, size_t size, RawSound& raw) {
  mpg123_init();  // needed by libmpg123 before 1.27, a no-op since
  int error = 0;
  mpg123_handle* handle = mpg123_new(nullptr, &error);
  if (!handle) return BASS_ERROR_MEM;
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_format_none(handle);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) {
    mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }

  int result = BASS_OK;
  if (mpg123_open_feed(handle) != MPG123_OK ||
      mpg123_feed(handle, data, size) != MPG123_OK) {
    result = BASS_ERROR_MEM;
  } else {
    unsigned char block[kReadBlock];
    for (;;) {
      size_t done = 0;
      int status = mpg123_read(handle, block, sizeof block, &done);
      if (status == MPG123_NEW_FORMAT) {
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        mpg123_getformat(handle, &rate, &channels, &encoding);
        if (raw.channels != 0 && (channels != raw.channels || int(rate) != raw.rate)) {
          result = BASS_ERROR_FORMAT;
          break;
        }
        raw.format = AUDIO_S16SYS;
        raw.channels = channels;
        raw.rate = int(rate);
      }
      if (done > 0 && raw.channels != 0) raw.Append(block, done);
      if (status == MPG123_OK || status == MPG123_NEW_FORMAT) continue;
      // The end of the data, or damage after it. What decoded before damage is kept, as
      // players do with a broken tail; damage before any sound fails below.
      break;
    }
  }
  mpg123_delete(handle);
  if (result == BASS_OK && raw.bytes.empty()) result = BASS_ERROR_FILEFORM;
  return result;
}

// --- Conversion to the mix format ------------------------------------------------------

int ConvertToMix(const RawSound& raw, int mixRate, std::vector<int16_t>& pcm) {
  pcm.clear();
  if (raw.channels < 1 || raw.rate <= 0 || raw.bytes.empty()) return BASS_ERROR_FILEFORM;
  // One conversion over the whole sound. (SDL's streaming converter holds back the last
  // few milliseconds of a resampled sound even after a flush.)
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, raw.format, Uint8(raw.channels), raw.rate, AUDIO_S16SYS, 2,
                        mixRate) < 0) {
    return BASS_ERROR_FORMAT;
  }
  const size_t frameBytes = size_t(SDL_AUDIO_BITSIZE(raw.format) / 8) * size_t(raw.channels);
  const size_t inputBytes = raw.bytes.size() / frameBytes * frameBytes;  // whole frames
  if (inputBytes == 0) return BASS_ERROR_FILEFORM;  // less than one frame
  const uint64_t bufferBytes = uint64_t(inputBytes) * uint64_t(std::max(cvt.len_mult, 1));
  if (bufferBytes > uint64_t(INT_MAX)) return BASS_ERROR_MEM;
  std::vector<uint8_t> buffer(size_t(bufferBytes) + 4);
  std::memcpy(buffer.data(), raw.bytes.data(), inputBytes);
  cvt.buf = buffer.data();
  cvt.len = int(inputBytes);
  if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return BASS_ERROR_FORMAT;
  const size_t bytes = cvt.needed ? size_t(cvt.len_cvt) : inputBytes;
  pcm.resize(bytes / (2 * sizeof(int16_t)) * 2);
  if (pcm.empty()) return BASS_ERROR_FILEFORM;
  std::memcpy(pcm.data(), buffer.data(), pcm.size() * sizeof(int16_t));
  return BASS_OK;
}

}  // namespace

int SampleDecoder::Decode(const uint8_t* data, size_t size, int mixRate,
                          std::vector<int16_t>& pcm) {
  pcm.clear();
  if (!data || size == 0) return BASS_ERROR_FILEFORM;
  try {
    RawSound raw;
    int result = BASS_ERROR_FILEFORM;
    if (size >= 4 && std::memcmp(data, "OggS", 4) == 0) {
      result = DecodeVorbis(data, size, raw);
    } else if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 &&
               std::memcmp(data + 8, "WAVE", 4) == 0) {
      result = DecodeWav(data, size, raw);
    } else if (LooksLikeMpeg(data, size)) {
      result = DecodeMpeg(data, size, raw);
    } else if (const size_t lead = FirstFrame(data, size); lead < size) {
      result = DecodeMpeg(data + lead, size - lead, raw);
    }
    if (result != BASS_OK) return result;
    return ConvertToMix(raw, mixRate, pcm);
  } catch (const std::bad_alloc&) {
    pcm.clear();
    return BASS_ERROR_MEM;
  }
}

int SampleDecoder::ConvertPcm16(const uint8_t* data, size_t size, int rate, int channels,
                                int mixRate, std::vector<int16_t>& pcm) {
  pcm.clear();
  if (!data || size < 2 || channels < 1 || channels > 2 || rate <= 0) return BASS_ERROR_FILEFORM;
  try {
    RawSound raw;
    raw.format = AUDIO_S16LSB;
    raw.channels = channels;
    raw.rate = rate;
    raw.Append(data, size);
    return ConvertToMix(raw, mixRate, pcm);
  } catch (const std::bad_alloc&) {
    pcm.clear();
    return BASS_ERROR_MEM;
  }
}

}  // namespace bass
