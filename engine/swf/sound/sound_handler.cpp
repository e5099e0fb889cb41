#include "engine/swf/sound/sound_handler.h"

#include <new>

#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/stream.h"

namespace swf {

namespace {

sound_handler* s_sound_handler = nullptr;
uint32_t s_generation = 0;

const int kStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int kIndexUpdate2[2] = {-1, 2};
const int kIndexUpdate3[4] = {-1, -1, 2, 4};
const int kIndexUpdate4[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
const int kIndexUpdate5[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};

const int* index_update_table(int bits) {
  switch (bits) {
    case 2: return kIndexUpdate2;
    case 3: return kIndexUpdate3;
    case 4: return kIndexUpdate4;
    default: return kIndexUpdate5;
  }
}

struct adpcm_channel {
  int sample = 0;
  int index = 0;
};

void adpcm_step(adpcm_channel* ch, uint32_t code, int bits) {
  int step = kStepTable[ch->index];
  uint32_t sign_bit = 1u << (bits - 1);
  int magnitude = static_cast<int>(code & (sign_bit - 1));
  int delta = ((magnitude * 2 + 1) * step) >> (bits - 1);
  if (code & sign_bit) delta = -delta;
  ch->sample += delta;
  if (ch->sample >= 32767) ch->sample = 32767;
  if (ch->sample <= -32768) ch->sample = -32768;
  ch->index += index_update_table(bits)[magnitude];
  if (ch->index < 0) ch->index = 0;
  if (ch->index > 88) ch->index = 88;
}

int sample_rate_of(int code) {
  static const int kRates[4] = {5512, 11025, 22050, 44100};
  return kRates[code & 3];
}

}  // namespace

void set_sound_handler(sound_handler* handler) {
  if (handler != s_sound_handler) ++s_generation;
  s_sound_handler = handler;
}
sound_handler* get_sound_handler() { return s_sound_handler; }
uint32_t sound_handler_generation() { return s_generation; }

sound_sample::~sound_sample() {
  if (s_sound_handler && m_generation == s_generation) s_sound_handler->delete_sound(m_sound_handler_id);
}

int sound_sample::get_sound_handler_id() const {
  return m_generation == s_generation ? m_sound_handler_id : -1;
}

void adpcm_decode(std::vector<int16_t>* out, stream* in, int sample_count, bool stereo) {
  int channels = stereo ? 2 : 1;
  int bits = static_cast<int>(in->read_uint(2)) + 2;
  int remaining = sample_count;
  while (remaining > 0 && !in->has_error()) {
    int block = remaining < 4096 ? remaining : 4096;
    adpcm_channel state[2];
    for (int c = 0; c < channels; ++c) {
      state[c].sample = in->read_sint(16);
      state[c].index = static_cast<int>(in->read_uint(6));
    }
    if (in->has_error()) break;
    for (int c = 0; c < channels; ++c) out->push_back(static_cast<int16_t>(state[c].sample));
    for (int frame = 1; frame < block; ++frame) {
      for (int c = 0; c < channels; ++c) {
        adpcm_step(&state[c], in->read_uint(bits), bits);
        out->push_back(static_cast<int16_t>(state[c].sample));
      }
      if (in->has_error()) break;
    }
    remaining -= block;
  }
}

void define_sound_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  int format = static_cast<int>(in->read_uint(4));
  int rate_code = static_cast<int>(in->read_uint(2));
  bool sample_16bit = in->read_uint(1) != 0;
  bool stereo = in->read_uint(1) != 0;
  uint32_t sample_count = in->read_u32();
  if (!s_sound_handler || in->has_error()) return;

  sound_handler::format_type handler_format = static_cast<sound_handler::format_type>(format);
  std::vector<uint8_t> data;
  int frames = 0;
  if (format == sound_handler::FORMAT_ADPCM) {
    // The count comes from the file: decode no more frames than the tag's bits can hold
    // (a block's first frame takes 22 bits a channel, every further one 2 bits or more).
    int channels = stereo ? 2 : 1;
    uint64_t bits_left = static_cast<uint64_t>(in->get_bytes_left()) * 8;
    uint64_t most = bits_left / (2u * static_cast<unsigned>(channels)) + 1;
    uint64_t wanted = sample_count < most ? sample_count : most;
    if (!m->charge_decoded_bytes(static_cast<size_t>(wanted) * 2 * static_cast<size_t>(channels))) return;
    std::vector<int16_t> samples;
    samples.reserve(static_cast<size_t>(wanted) * static_cast<size_t>(channels));
    adpcm_decode(&samples, in, static_cast<int>(wanted), stereo);
    frames = static_cast<int>(samples.size() / static_cast<size_t>(channels));
    data.resize(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
      data[i * 2] = static_cast<uint8_t>(samples[i]);
      data[i * 2 + 1] = static_cast<uint8_t>(static_cast<uint16_t>(samples[i]) >> 8);
    }
    handler_format = sound_handler::FORMAT_NATIVE16;
  } else {
    int bytes = in->get_bytes_left();
    if (!m->charge_decoded_bytes(static_cast<size_t>(bytes))) return;
    data.resize(static_cast<size_t>(bytes));
    data.resize(static_cast<size_t>(in->read_bytes(data.data(), bytes)));
    frames = static_cast<int>(sample_count > 0x7FFFFFFFu ? 0x7FFFFFFF : sample_count);
    if (format == sound_handler::FORMAT_UNCOMPRESSED && sample_16bit) {
      handler_format = sound_handler::FORMAT_NATIVE16;
    }
  }
  int id = s_sound_handler->create_sound(data.empty() ? nullptr : data.data(), static_cast<int>(data.size()),
                                         frames, handler_format, sample_rate_of(rate_code), stereo);
  m->add_sound_sample(character_id, new sound_sample(id));
}

void start_sound_tag::read(stream* in, int tag_type, movie_definition_sub* m, const sound_sample* sam) {
  m_handler_id = static_cast<uint16_t>(sam->get_sound_handler_id());
  m_generation = sam->get_generation();
  in->read_uint(2);  // reserved
  m_stop_playback = in->read_uint(1) != 0;
  in->read_uint(1);  // no multiple
  in->read_uint(1);  // has envelope (not read)
  bool has_loops = in->read_uint(1) != 0;
  bool has_out_point = in->read_uint(1) != 0;
  bool has_in_point = in->read_uint(1) != 0;
  if (has_in_point) in->read_u32();
  if (has_out_point) in->read_u32();
  if (has_loops) m_loop_count = in->read_u16();
}

void start_sound_tag::execute(character* m) {
  if (!s_sound_handler || m_generation != s_generation) return;
  if (m_stop_playback) {
    s_sound_handler->stop_sound(m_handler_id);
  } else {
    s_sound_handler->play_sound(m_handler_id, static_cast<int>(m_loop_count));
  }
}

void start_sound_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int sound_id = in->read_u16();
  sound_sample* sam = m->get_sound_sample(sound_id);
  if (!sam) {
    if (s_sound_handler) log_error("start_sound_loader: sound_id %d is not defined\n", sound_id);
    return;
  }
  start_sound_tag* sst = new start_sound_tag;
  sst->read(in, tag_type, m, sam);
  m->add_execute_tag(sst);
}

}  // namespace swf
