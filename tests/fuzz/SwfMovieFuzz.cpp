// Feeds arbitrary bytes to the SWF player's loader as a movie file served from memory:
// create_movie reads the header and every tag with recording render and sound handlers
// installed; then the movie is instantiated, advanced ten frames with the mouse moving
// and clicking over the stage (positions taken from the input's last bytes), and
// displayed after each frame; its frame actions, init actions, clip events and button
// actions run through the interpreter. Every shape and morph shape read is also drawn at a
// few scales (morphs at a few ratios), hit-tested, and its meshes written to and read back
// from a cache part, and the input itself is read as a shape's cache part. Every edit
// text field read gets an instance whose text is set from the input (and its members read
// and written) and is drawn, through its font's glyphs and glyph textures. The movie
// library is cleared after each input. Whatever the bytes, nothing may crash, leak or
// hang.

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/shape/morph_shape.h"
#include "engine/swf/shape/shape.h"
#include "engine/swf/text/edit_text.h"
#include "tests/swf/support/SwfTestDoubles.h"

namespace {

void Quiet(bool, const char*) {}

void ExerciseShape(swf::shape_character* shape, const swftest::Bytes& input) {
  const float scales[] = {1.0f, 0.02f, 40.0f};
  const float ratios[] = {0.0f, 0.5f, 1.0f};
  for (int i = 0; i < 3; ++i) {
    swf::matrix m;
    m.concatenate_scale(scales[i]);
    if (swf::morph_shape* morph = dynamic_cast<swf::morph_shape*>(shape)) {
      morph->display_at_ratio(m, swf::cxform::identity, 1.5f, ratios[i]);
    } else {
      shape->display_with_mesh_cache(m, swf::cxform::identity, 1.5f, shape->get_fill_styles(),
                                     shape->get_line_styles());
    }
  }
  const swf::rect& bound = shape->get_bound();
  shape->point_test_local((bound.m_x_min + bound.m_x_max) * 0.5f, (bound.m_y_min + bound.m_y_max) * 0.5f);
  shape->point_test_local(bound.m_x_min, bound.m_y_max);
  swf::rect anchors;
  shape->compute_anchor_bound(&anchors);

  std::unique_ptr<swf::file_stream> part(swftest::MakeMemoryStream({}));
  shape->output_cached_data(part.get(), nullptr);
  part->set_position(0);
  shape->input_cached_data(part.get());
  std::unique_ptr<swf::file_stream> raw(swftest::MakeMemoryStream(input));
  shape->input_cached_data(raw.get());
}

// A field of the movie: its text set to slices of the input (newlines, backspaces and
// broken UTF-8 included), its members written and read, and drawn after each change.
void ExerciseEditText(swf::edit_text_definition* def, const swftest::Bytes& input) {
  swf::smart_ptr<swf::character> field(def->create_character_instance(nullptr, 1));
  const char* members[] = {"text", "textColor", "textWidth", "_x", "_alpha", "_width", "_visible"};
  for (size_t start = 0; start < 3; ++start) {
    size_t length = input.size() > start ? std::min<size_t>(input.size() - start, 512) : 0;
    swf::string text(reinterpret_cast<const char*>(input.data()) + (length ? start : 0), static_cast<int>(length));
    field->set_text_value(text.c_str());
    for (const char* name : members) {
      swf::script_value v;
      field->get_member(swf::string(name), &v);
      field->set_member(swf::string(name), start == 1 ? swf::script_value(text) : v);
    }
    field->display();
  }
}

// Ten frames of play: each frame the mouse moves to a spot taken from the input's tail
// (within and around the stage) with the left button going down and up, then the frame
// is drawn into the recording handler.
void PlayTenFrames(swf::movie_definition_sub* m, const uint8_t* data, size_t size) {
  swf::movie_interface* movie = m->create_instance();
  if (!movie) return;  // create_instance's reference is released below
  movie->set_display_viewport(0, 0, 800, 600);
  for (int frame = 0; frame < 10; ++frame) {
    uint8_t a = size > 0 ? data[size - 1 - (frame * 2) % size] : 0;
    uint8_t b = size > 0 ? data[size - 1 - (frame * 2 + 1) % size] : 0;
    int x = a * 3 - 50;
    int y = b * 3 - 50;
    movie->notify_mouse_state(x, y, (a ^ b) & 1);
    movie->advance(1.0f / 12.0f + (frame == 5 ? 1.0f : 0.0f));
    movie->display();
  }
  movie->drop_ref();
}

void ClearRecordings(swftest::RecordingRenderHandler* render, swftest::RecordingSoundHandler* sound) {
  render->calls.clear();
  render->bitmaps.clear();
  render->strips.clear();
  render->fill_bitmap_matrices.clear();
  sound->sounds.clear();
  sound->calls.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static swftest::RecordingRenderHandler* render = new swftest::RecordingRenderHandler;
  static swftest::RecordingSoundHandler* sound = new swftest::RecordingSoundHandler;
  swf::register_log_callback(Quiet);
  ClearRecordings(render, sound);

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
    PlayTenFrames(m, data, size);
    if (auto* movie = dynamic_cast<swf::movie_def_impl*>(m)) {
      movie->for_each_character([&](int, swf::character_def* ch) {
        if (auto* shape = dynamic_cast<swf::shape_character*>(ch)) ExerciseShape(shape, bytes);
        if (auto* field = dynamic_cast<swf::edit_text_definition*>(ch)) ExerciseEditText(field, bytes);
      });
    }
    m->drop_ref();
  }
  swf::clear_library();
  ClearRecordings(render, sound);
  return 0;
}
