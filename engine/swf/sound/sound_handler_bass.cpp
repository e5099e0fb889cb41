#include "engine/swf/sound/sound_handler_bass.h"

#include <cstring>

#include "engine/swf/base/log.h"
#include "platform/bass/Bass.h"

namespace swf {

sound_handler_bass::~sound_handler_bass() {
  for (uint32_t sample : m_samples) {
    if (sample) BASS_SampleFree(sample);
  }
}

int sound_handler_bass::create_sound(void* data, int data_bytes, int, format_type format, int sample_rate,
                                     bool stereo) {
  if (!m_enabled) return 0;
  HSAMPLE sample = 0;
  if (data && data_bytes > 0) {
    if (format == FORMAT_NATIVE16) {
      void* buffer = BASS_SampleCreate(static_cast<uint32_t>(data_bytes), static_cast<uint32_t>(sample_rate),
                                       stereo ? 2 : 1, kMaxVoices, 0);
      if (buffer) {
        std::memcpy(buffer, data, static_cast<size_t>(data_bytes));
        sample = BASS_SampleCreateDone();
      }
    } else if (format == FORMAT_MP3) {
      sample = BASS_SampleLoad(true, data, 0, static_cast<uint32_t>(data_bytes), kMaxVoices,
                               stereo ? 0 : BASS_SAMPLE_MONO);
    }
  }
  if (!sample) {
    log_error("Unable to load sound\n");
    log_error("BASS Error Code %i\n", BASS_ErrorGetCode());
  }
  m_samples.push_back(sample);
  return static_cast<int>(m_samples.size() - 1);
}

void sound_handler_bass::play_sound(int id, int) {
  if (!valid(id)) return;
  const HCHANNEL channel = BASS_SampleGetChannel(m_samples[static_cast<size_t>(id)], false);
  if (channel) BASS_ChannelPlay(channel, true);
}

void sound_handler_bass::stop_sound(int id) {
  if (!valid(id)) return;
  BASS_SampleStop(m_samples[static_cast<size_t>(id)]);
}

void sound_handler_bass::delete_sound(int id) {
  if (!valid(id)) return;
  BASS_SampleFree(m_samples[static_cast<size_t>(id)]);
  m_samples[static_cast<size_t>(id)] = 0;
}

uint32_t sound_handler_bass::sample_of(int id) const {
  return id >= 0 && static_cast<size_t>(id) < m_samples.size() ? m_samples[static_cast<size_t>(id)] : 0;
}

sound_handler* create_sound_handler_bass() { return new sound_handler_bass; }

}  // namespace swf
