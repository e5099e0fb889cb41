// Feeds arbitrary bytes to the SWF player as a movie whose sounds go to the game's BASS
// sound handler on the real mixer (no output device): DefineSound data of every format
// reaches the handler as the game gives it (16-bit samples made at the tag's rate, MP3
// loaded from memory past its seek count, the rest refused with a log line), and the
// movie's StartSound tags play and stop them over ten frames. The input is also handed to
// the mixer's decoder directly as an MP3 sound and as 16-bit samples. Nothing may crash,
// leak or hang.

#include <cstdint>
#include <memory>

#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/sound/sound_handler_bass.h"
#include "platform/bass/Bass.h"
#include "tests/swf/support/SwfTestDoubles.h"

namespace {

void Quiet(bool, const char*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = BASS_Init(0, 44100, 0, nullptr, nullptr);
  if (!started) return 0;
  swf::register_log_callback(&Quiet);
  const swftest::Bytes bytes(data, data + size);
  {
    swf::sound_handler_bass handler;
    swf::set_sound_handler(&handler);
    swftest::RecordingRenderHandler render;
    swftest::MemoryFiles files;
    files.Add("fuzz.swf", bytes);
    swf::smart_ptr<swf::movie_definition_sub> movie = swftest::Adopt(swf::create_movie("fuzz.swf"));
    if (movie) {
      swf::smart_ptr<swf::movie_interface> root = swftest::Adopt(movie->create_instance());
      for (int frame = 0; root && frame < 10; ++frame) root->advance(1.0f / 12.0f);
    }
    // The input as sound data of its own.
    handler.create_sound(const_cast<uint8_t*>(data), static_cast<int>(size), 0, swf::sound_handler::FORMAT_MP3,
                         22050, false);
    handler.create_sound(const_cast<uint8_t*>(data), static_cast<int>(size), 0, swf::sound_handler::FORMAT_NATIVE16,
                         5512 + static_cast<int>(size % 40000), size % 2 == 0);
    for (int id = 0; id < handler.sound_count(); ++id) handler.play_sound(id, 0);
    movie = nullptr;
    swf::clear_library();
    swf::set_sound_handler(nullptr);
  }
  return 0;
}
