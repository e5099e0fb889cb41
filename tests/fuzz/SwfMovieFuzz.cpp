// Feeds arbitrary bytes to the SWF player's loader as a movie file served from memory:
// create_movie reads the header and every tag with recording render and sound handlers
// installed; the movie library is cleared after each input. Whatever the bytes, nothing
// may crash, leak or hang.

#include <cstdint>
#include <cstdlib>

#include "engine/swf/movie/movie_def_impl.h"
#include "tests/swf/support/SwfTestDoubles.h"

namespace {

void Quiet(bool, const char*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static swftest::RecordingRenderHandler* render = new swftest::RecordingRenderHandler;
  static swftest::RecordingSoundHandler* sound = new swftest::RecordingSoundHandler;
  swf::register_log_callback(Quiet);
  render->calls.clear();
  render->bitmaps.clear();
  render->strips.clear();
  sound->sounds.clear();
  sound->calls.clear();

  swftest::MemoryFiles files;
  swftest::Bytes bytes(data, data + size);
  files.Add("fuzz.swf", bytes);
  // Imports of the movie find the same bytes under another name.
  files.Add("sprites.swf", bytes);
  swf::movie_definition_sub* m = swf::create_movie("fuzz.swf");
  if (m) {
    // Walk what was read.
    for (int f = 0; f < m->get_frame_count() + 2; ++f) {
      if (const swf::array<swf::execute_tag*>* list = m->get_playlist(f)) {
        for (swf::execute_tag* tag : *list) (void)tag->get_depth_id_of_replace_or_add_tag();
      }
    }
    m->drop_ref();
  }
  swf::clear_library();
  return 0;
}
