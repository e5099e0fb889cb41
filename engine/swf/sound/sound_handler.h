#pragma once

#include <cstdint>
#include <vector>

#include "engine/swf/movie/movie_definition.h"

namespace swf {

// Event sounds go through one handler installed process-wide.
class sound_handler {
 public:
  enum format_type : int {
    FORMAT_RAW = 0,
    FORMAT_ADPCM = 1,
    FORMAT_MP3 = 2,
    FORMAT_UNCOMPRESSED = 3,
    FORMAT_NELLYMOSER = 6,
    FORMAT_NATIVE16 = 7,  // 16-bit samples, decoded or read as they are
  };
  virtual ~sound_handler() = default;
  // The handler copies what it keeps; returns its id of the sound.
  virtual int create_sound(void* data, int data_bytes, int sample_count, format_type format, int sample_rate,
                           bool stereo) = 0;
  virtual void play_sound(int sound_handle, int loop_count) = 0;
  virtual void stop_sound(int sound_handle) = 0;
  virtual void delete_sound(int sound_handle) = 0;
};

void set_sound_handler(sound_handler* handler);
sound_handler* get_sound_handler();
// Changes each time another handler is installed: ids are a handler's own, and one made
// under an earlier handler must never reach a later one.
uint32_t sound_handler_generation();

// A sound of a movie's dictionary: the handler's id; deleting it deletes the handler's
// sound. The id is given out only while the handler it was made with is installed
// (-1, which every handler ignores, afterwards).
class sound_sample : public resource {
 public:
  explicit sound_sample(int id) : m_sound_handler_id(id), m_generation(sound_handler_generation()) {}
  ~sound_sample() override;
  sound_sample* cast_to_sound_sample() override { return this; }
  int get_sound_handler_id() const;
  uint32_t get_generation() const { return m_generation; }

 private:
  int m_sound_handler_id;
  uint32_t m_generation;
};

// The command of a StartSound tag: plays or stops the sound when its frame runs.
class start_sound_tag : public execute_tag {
 public:
  void read(stream* in, int tag_type, movie_definition_sub* m, const sound_sample* sam);
  void execute(character* m) override;

  uint16_t m_handler_id = 0;
  uint32_t m_generation = 0;  // of the handler the id belongs to
  uint32_t m_loop_count = 0;
  bool m_stop_playback = false;
};

// Decodes SWF ADPCM from the stream into 16-bit samples (interleaved when stereo).
// sample_count frames are wanted; the result holds what the data really carried.
void adpcm_decode(std::vector<int16_t>* out, stream* in, int sample_count, bool stereo);

void define_sound_loader(stream* in, int tag_type, movie_definition_sub* m);
void start_sound_loader(stream* in, int tag_type, movie_definition_sub* m);

}  // namespace swf
