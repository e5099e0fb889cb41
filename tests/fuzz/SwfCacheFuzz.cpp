// Feeds arbitrary bytes to the SWF player as the ".gsc" cache file of a writer-made movie
// with two fonts, static text, an edit text field and shapes: create_movie reads the movie
// and then the bytes as its cache (font textures and glyph boxes, then the meshes of its
// shapes); the movie is then played one frame and drawn at two sizes, so that cached
// glyphs and meshes are used. Whatever the bytes, nothing may crash, leak or hang, and the
// movie itself stays whole.

#include <cstdint>
#include <cstdlib>

#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfTextMovies.h"

namespace {

void Quiet(bool, const char*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static swftest::RecordingRenderHandler* render = new swftest::RecordingRenderHandler;
  static const swftest::Bytes* movie = new swftest::Bytes(swfw::TextHeavyMovie(12, 4));
  swf::register_log_callback(Quiet);
  render->calls.clear();
  render->bitmaps.clear();
  render->strips.clear();
  render->fill_bitmap_matrices.clear();

  swftest::MemoryFiles files;
  files.Add("text_fields.swf", *movie);
  files.Add("text_fields.swf.gsc", swftest::Bytes(data, data + size));
  swf::movie_definition_sub* m = swf::create_movie("text_fields.swf");
  if (!m || m->get_frame_count() != 1) std::abort();  // the movie must load whatever its cache holds
  swf::movie_interface* root = m->create_instance();
  if (root) {
    root->set_display_viewport(0, 0, 550, 400);
    root->advance(0.1f);
    root->display();
    root->set_display_viewport(0, 0, 2200, 1600);
    root->display();
    root->drop_ref();
  }
  render->calls.clear();
  render->strips.clear();
  m->drop_ref();
  swf::clear_library();
  return 0;
}
