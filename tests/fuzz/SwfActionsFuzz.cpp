// Runs arbitrary bytes as ActionScript: the input is the action block of every frame of a
// small writer-made movie (a root of three frames holding a clip "a" with a clip "b"
// inside and a button "btn"), of the clip's enter-frame event and of the button's
// release. The movie plays three frames with the mouse clicking the button. Whatever
// the bytes, nothing may crash, leak, hang or overflow the native stack.

#include <cstdint>
#include <cstdlib>

#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

void Quiet(bool, const char*) {}

swftest::Bytes Append(swftest::Bytes a, const swftest::Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

swftest::Bytes MovieFor(const swftest::Bytes& code) {
  swftest::Bytes block = Append(code, {0});  // a clip event's block ends with End
  swfw::Movie movie;
  movie.version = 6;
  movie.Add(swfw::DefineShape(swfw::kDefineShape, 1, swfw::RectangleShape(400, 400, {40, 160, 40, 255})));
  // Clip "b": two frames of a box.
  swftest::Bytes inner_b = swfw::PlaceObject(1, 1, swfw::Matrix::Translate(0, 0));
  inner_b = Append(inner_b, swfw::Tag(1, {}));
  inner_b = Append(inner_b, swfw::Tag(1, {}));
  inner_b = Append(inner_b, swfw::Tag(0, {}));
  movie.Add(swfw::DefineSprite(2, 2, inner_b));
  // Clip "a": holds "b" and runs the code in its second frame.
  swfw::PlaceObject2Record place_b;
  place_b.depth = 1;
  place_b.characterId = 2;
  place_b.name = "b";
  swftest::Bytes inner_a = swfw::PlaceObject2(place_b, 6);
  inner_a = Append(inner_a, swfw::Tag(1, {}));
  inner_a = Append(inner_a, swfw::DoAction(code));
  inner_a = Append(inner_a, swfw::Tag(1, {}));
  inner_a = Append(inner_a, swfw::Tag(0, {}));
  movie.Add(swfw::DefineSprite(3, 2, inner_a));
  swfw::ButtonRecord record;
  record.hitTest = record.down = record.over = record.up = true;
  record.characterId = 1;
  movie.Add(swfw::DefineButton2(4, false, {record}, {{0x0008, block}}));

  swfw::PlaceObject2Record place_a;
  place_a.depth = 1;
  place_a.characterId = 3;
  place_a.name = "a";
  place_a.clipActions.push_back({0x02, block, {}});  // enter frame
  place_a.hasClipActions = true;
  movie.Add(swfw::PlaceObject2(place_a, 6));
  swfw::PlaceObject2Record place_btn;
  place_btn.depth = 2;
  place_btn.characterId = 4;
  place_btn.name = "btn";
  movie.Add(swfw::PlaceObject2(place_btn, 6));
  for (int frame = 0; frame < 3; ++frame) {
    movie.Add(swfw::DoAction(code));
    movie.ShowFrame();
  }
  movie.End();
  return movie.Build();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static swftest::RecordingRenderHandler* render = new swftest::RecordingRenderHandler;
  static swftest::RecordingSoundHandler* sound = new swftest::RecordingSoundHandler;
  if (size > 8192) return 0;
  swf::register_log_callback(Quiet);
  render->calls.clear();
  render->strips.clear();
  sound->calls.clear();

  swftest::MemoryFiles files;
  files.Add("actions.swf", MovieFor(swftest::Bytes(data, data + size)));
  swf::movie_definition_sub* m = swf::create_movie("actions.swf");
  if (m) {
    if (swf::movie_interface* movie = m->create_instance()) {
      movie->set_display_viewport(0, 0, 800, 600);
      for (int frame = 0; frame < 3; ++frame) {
        movie->notify_mouse_state(10, 10, frame & 1);
        movie->advance(1.0f / 12.0f);
        movie->display();
      }
      movie->call_method("f", "%d, %s", 1, "x");
      movie->drop_ref();
    }
    m->drop_ref();
  }
  swf::clear_library();
  return 0;
}
