#pragma once

#include <cstdint>
#include <vector>

#include "engine/swf/sound/sound_handler.h"

namespace swf {

// Plays movie sounds through the engine's BASS layer: 16-bit samples (decoded ADPCM and
// uncompressed sound) are made at the rate their tag gives, MP3 data is loaded from
// memory. A sound id is an index into the handle array; slots are never reused, and a
// slot of 0 is a sound that failed or was deleted.
class sound_handler_bass : public sound_handler {
 public:
  // How many voices of one sound may play at once.
  static constexpr uint32_t kMaxVoices = 8;

  sound_handler_bass() = default;
  // Frees the samples still held: sounds of movies that outlive the handler can no longer
  // reach it (their ids belong to it alone).
  ~sound_handler_bass() override;

  int create_sound(void* data, int data_bytes, int sample_count, format_type format, int sample_rate,
                   bool stereo) override;
  void play_sound(int sound_handle, int loop_count) override;
  // Stops every voice of the sound; it stays playable.
  void stop_sound(int sound_handle) override;
  // Frees the sample and clears its slot.
  void delete_sound(int sound_handle) override;

  bool m_enabled = true;
  // For tests: the BASS sample of an id (0 when none).
  uint32_t sample_of(int sound_handle) const;
  int sound_count() const { return static_cast<int>(m_samples.size()); }

 private:
  bool valid(int id) const { return id >= 0 && static_cast<size_t>(id) < m_samples.size() && m_samples[id] != 0; }
  std::vector<uint32_t> m_samples;
};

sound_handler* create_sound_handler_bass();

}  // namespace swf
