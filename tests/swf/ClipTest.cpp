// Clips that scripts keep after the player let them go, the global object's lifetime, and
// the size, scale and rotation properties of clips. The movies are made here with the
// writer; the sanitizer build runs these tests to show that nothing freed is read.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/swf/action/builtins.h"
#include "engine/swf/movie/movie_root.h"
#include "tests/swf/PlayerFixture.h"

namespace {

using swf::character;
using swf::script_value;
using swf::sprite_instance;
using swftest::Bytes;
using swftest::MovieOfFrames;
using swftest::Place;
using swftest::Played;
using swftest::SpriteOfFrames;
using swftest::SwfLogCapture;
using A = swfw::Actions;

constexpr float kFrame = 1.0f / 12.0f;

// A 20 x 10 pixel rectangle (shape 1).
Bytes Box() { return swfw::DefineShape(swfw::kDefineShape, 1, swfw::RectangleShape(400, 200, {255, 0, 0, 255})); }

Bytes Script(const A& actions) { return swfw::DoAction(actions.Build()); }

// Pushes the value of a variable or of a dotted path.
A& Get(A& a, const std::string& path) { return a.Push({A::Str(path)}).Op("GetVariable"); }

A& TraceOf(A& a, const std::string& path) { return Get(a, path).Op("Trace"); }

// object.method() with no arguments; the result stays on the stack.
A& CallMethod(A& a, const std::string& object, const std::string& method) {
  a.Push({A::Int(0)});
  Get(a, object);
  return a.Push({A::Str(method)}).Op("CallMethod");
}

// Pushes the member of the global object.
A& GetGlobal(A& a, const std::string& name) { return Get(a, "_global").Push({A::Str(name)}).Op("GetMember"); }

// global.method() with no arguments; the result stays on the stack.
A& CallOnGlobal(A& a, const std::string& name, const std::string& method) {
  a.Push({A::Int(0)});
  return GetGlobal(a, name).Push({A::Str(method)}).Op("CallMethod");
}

A& SetGlobal(A& a, const std::string& name, const std::string& value_path) {
  Get(a, "_global").Push({A::Str(name)});
  Get(a, value_path);
  return a.Op("SetMember");
}

std::vector<std::string> Traces(const SwfLogCapture& log) {
  std::vector<std::string> lines;
  for (const auto& line : log.lines) {
    if (line.error) continue;
    std::string text = line.text;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    lines.push_back(text);
  }
  return lines;
}

// Sprite 10 holds the box; sprite 20 holds sprite 10 as "b". The root places sprite 20
// as "a" on frame 1, removes it on frame 2, and runs the block given on frame 3.
Bytes MovieThatRemovesA(const A& first_frame, const A& third_frame) {
  A stop;
  stop.Op("Stop");
  return MovieOfFrames({{Box(), SpriteOfFrames(10, {{Place(1, 1)}}), SpriteOfFrames(20, {{Place(10, 1, "b", 200)}}),
                         Place(20, 1, "a"), Script(first_frame)},
                        {swfw::RemoveObject2(1)},
                        {Script(third_frame), Script(stop)}});
}

// ---- clips kept by scripts -------------------------------------------------------------

TEST(SwfKeptClips, AKeptChildOfARemovedClipReadsAsOneWithoutParent) {
  A keep;
  keep.Push({A::Str("keep")});
  Get(keep, "a.b");
  keep.Op("SetVariable");
  A read;
  for (const char* property : {"_width", "_height", "_x", "_xmouse"}) {
    Get(read, "keep").Push({A::Str(property)}).Op("GetMember").Op("Trace");
  }
  CallMethod(read, "keep", "getBytesLoaded").Op("Trace");
  Played p(MovieThatRemovesA(keep, read));
  SwfLogCapture log;
  p.root->advance(0);
  swf::weak_ptr<character> a(p.child("a"));
  ASSERT_TRUE(a.get_ptr());
  p.root->advance(kFrame);
  p.root->advance(kFrame);
  EXPECT_EQ(a.get_ptr(), nullptr) << "the removed clip is freed";
  // Its size, its own place, the mouse through its own matrix alone, and its root still
  // there (the root holds the keeping script).
  EXPECT_EQ(Traces(log),
            (std::vector<std::string>{"20", "10", "10", "-10", std::to_string(p.def->get_file_length())}))
      << log.All();
  script_value keep_value;
  ASSERT_TRUE(p.sprite()->get_member("keep", &keep_value));
  ASSERT_NE(keep_value.to_character(), nullptr);
  EXPECT_EQ(keep_value.to_character()->get_parent(), nullptr);
}

TEST(SwfKeptClips, ClipsKeptInTheGlobalObjectOutliveTheirMoviesSafely) {
  // Movie "one" keeps its root, movie "two" a nested clip; both are released while movie
  // "b" keeps the player's movies alive, and a later movie reads what they kept.
  A keep_root;
  SetGlobal(keep_root, "held", "_root");
  A keep_clip;
  SetGlobal(keep_clip, "heldClip", "a.b");
  // Sprite 10 of movie "two" has a second frame that places a second box to the right.
  Bytes two = MovieOfFrames({{Box(), SpriteOfFrames(10, {{Place(1, 1)}, {Place(1, 2, nullptr, 400)}}),
                              SpriteOfFrames(20, {{Place(10, 1, "b", 200)}}), Place(20, 1, "a"), Script(keep_clip)}});
  Played b(MovieOfFrames({{}}));
  swf::weak_ptr<character> one_root;
  swf::weak_ptr<swf::movie_def_impl> one_def;
  swf::weak_ptr<swf::movie_def_impl> two_def;
  {
    Played one(MovieThatRemovesA(keep_root, A()));
    one.root->advance(0);
    one_root = one.root->get_root_movie();
    one_def = one.def.get_ptr();
    Played played_two(two);
    played_two.root->advance(0);
    two_def = played_two.def.get_ptr();
  }
  ASSERT_TRUE(one_root.get_ptr()) << "the global object holds the root of movie one";
  ASSERT_TRUE(two_def.get_ptr()) << "the kept clip holds the definition of movie two";

  SwfLogCapture log;
  A read;
  GetGlobal(read, "held");
  read.Push({A::Str("_width")}).Op("GetMember").Op("Trace");
  CallOnGlobal(read, "held", "getBytesLoaded").Op("Trace");
  CallOnGlobal(read, "heldClip", "nextFrame").Op("Pop");
  for (const char* property : {"_width", "_currentframe"}) {
    GetGlobal(read, "heldClip");
    read.Push({A::Str(property)}).Op("GetMember").Op("Trace");
  }
  Played reader(MovieOfFrames({{Script(read)}}));
  reader.root->advance(0);
  // The kept root still measures its clip "a"; without its movie root it knows no file.
  // The kept clip plays its second frame from the definitions of its released movie.
  EXPECT_EQ(Traces(log), (std::vector<std::string>{"20", "0", "40", "2"})) << log.All();

  // Releasing the last movie lets the global object's members go, and the movies too.
  reader.root = nullptr;
  b.root = nullptr;
  EXPECT_EQ(one_root.get_ptr(), nullptr);
  EXPECT_EQ(one_def.get_ptr(), nullptr);
  EXPECT_EQ(two_def.get_ptr(), nullptr);
}

TEST(SwfKeptClips, TheLastMovieReleasedTakesWhatScriptsStoredInTheGlobalObject) {
  const int baseline = swf::get_live_character_count();
  std::vector<swf::weak_ptr<swf::movie_def_impl>> defs;
  std::vector<Played> movies;
  movies.reserve(50);
  for (int i = 0; i < 50; ++i) {
    A keep;
    SetGlobal(keep, "keep" + std::to_string(i), "_root");
    movies.emplace_back(MovieOfFrames({{Box(), Place(1, 1), Script(keep)}}));
    movies.back().root->advance(0);
    defs.push_back(movies.back().def.get_ptr());
  }
  movies.clear();
  EXPECT_EQ(swf::get_live_movie_count(), 0);
  EXPECT_EQ(swf::get_live_character_count(), baseline);
  for (const auto& def : defs) EXPECT_EQ(def.get_ptr(), nullptr);

  // The built-ins stay; a member stored by a released movie is gone.
  SwfLogCapture log;
  A read;
  TraceOf(read, "keep3");
  Get(read, "Math").Push({A::Str("PI")}).Op("GetMember").Op("Trace");
  Get(read, "Key").Push({A::Str("UP")}).Op("GetMember").Op("Trace");
  Played next(MovieOfFrames({{Script(read)}}));
  next.root->advance(0);
  EXPECT_EQ(Traces(log), (std::vector<std::string>{"undefined", "3.1415926535898", "38"})) << log.All();
}

TEST(SwfKeptClips, ClearingTheLibraryTakesWhatScriptsStoredInTheGlobalObject) {
  swftest::MemoryFiles files;
  A keep;
  SetGlobal(keep, "keep", "_root");
  files.Add("kept.swf", MovieOfFrames({{Box(), Place(1, 1), Script(keep)}}));
  swf::weak_ptr<swf::movie_definition_sub> def;
  {
    auto movie = swftest::Adopt(swf::create_library_movie("kept.swf"));
    ASSERT_TRUE(movie);
    def = movie.get_ptr();
    auto instance = swftest::Adopt(swf::create_library_movie_inst(movie.get_ptr()));
    instance->advance(0);
  }
  ASSERT_TRUE(def.get_ptr()) << "the library keeps the definition and its instance";
  swf::clear_library();
  EXPECT_EQ(def.get_ptr(), nullptr);
  script_value kept;
  EXPECT_FALSE(swf::get_global()->get_member("keep", &kept));
  EXPECT_TRUE(swf::get_global()->get_member("trace", &kept));
}

TEST(SwfKeptClips, AGlobalObjectThatHoldsItselfThroughAClipIsReleased) {
  // The root holds the global object and the global object holds the root.
  A keep;
  SetGlobal(keep, "keep", "_root");
  keep.Push({A::Str("g")});
  Get(keep, "_global");
  keep.Op("SetVariable");
  swf::weak_ptr<character> root;
  {
    Played p(MovieOfFrames({{Script(keep)}}));
    p.root->advance(0);
    root = p.root->get_root_movie();
  }
  EXPECT_EQ(root.get_ptr(), nullptr);
}

// ---- targets ---------------------------------------------------------------------------

TEST(SwfTargets, ASlashAloneNamesTheRoot) {
  // An unnamed child first, then "c" holding "inner".
  Played p(MovieOfFrames({{Box(), SpriteOfFrames(10, {{Place(1, 1, "inner")}}), Place(1, 1), Place(10, 2, "c")}}));
  p.root->advance(0);
  character* c = p.child("c");
  ASSERT_NE(c, nullptr);
  swf::script_environment* env = static_cast<sprite_instance*>(c)->get_environment();
  const struct {
    const char* path;
    character* expected;
  } cases[] = {
      {"/", p.sprite()},
      {"/c", c},
      {"/c/", c},
      {"/c/inner", static_cast<sprite_instance*>(c)->get_display_list().get_character_at_depth(1)},
      {"..", p.sprite()},
  };
  for (const auto& k : cases) EXPECT_EQ(env->find_target(swf::string(k.path)), k.expected) << k.path;
}

// ---- size, scale and rotation ----------------------------------------------------------

struct PropertySet {
  const char* target;  // "c" (the box clip), "n" (the nested clip) or "n.inner"
  const char* name;
  double value;
};

struct Sizes {
  double xscale, yscale, width, height, rotation;
};

struct PropertyCase {
  const char* name;
  std::vector<PropertySet> sets;
  const char* read;
  Sizes expected;
};

// Clip "c" holds the 20 x 10 box. Clip "n" holds the box and, 40 pixels to the right,
// clip "inner": the box again, placed at twice its size.
Bytes PropertyMovie() {
  swfw::PlaceObject2Record inner;
  inner.depth = 2;
  inner.characterId = 10;
  inner.name = "inner";
  inner.matrix = swfw::Matrix::Translate(800, 0);
  inner.matrix->hasScale = true;
  inner.matrix->scaleX = 2.0;
  inner.matrix->scaleY = 2.0;
  return MovieOfFrames({{Box(), SpriteOfFrames(10, {{Place(1, 1)}}),
                         SpriteOfFrames(20, {{Place(1, 1), swfw::PlaceObject2(inner, 6)}}), Place(10, 1, "c", 2000),
                         Place(20, 2, "n", 0, 2000)}});
}

TEST(SwfClipProperties, ScaleSizeAndRotationReadAndSet) {
  const std::vector<PropertyCase> cases = {
      {"as placed", {}, "c", {100, 100, 20, 10, 0}},
      {"x scale doubles the width once", {{"c", "_xscale", 200}}, "c", {200, 100, 40, 10, 0}},
      {"y scale", {{"c", "_yscale", 50}}, "c", {100, 50, 20, 5, 0}},
      {"a quarter turn keeps the scales", {{"c", "_xscale", 200}, {"c", "_rotation", 90}}, "c", {200, 100, 10, 40, 90}},
      {"turning back restores the sizes",
       {{"c", "_xscale", 200}, {"c", "_rotation", 90}, {"c", "_rotation", 0}},
       "c",
       {200, 100, 40, 10, 0}},
      {"scaling a turned clip keeps the turn", {{"c", "_rotation", 90}, {"c", "_yscale", 300}}, "c",
       {100, 300, 30, 20, 90}},
      {"a 45 degree turn", {{"c", "_rotation", 45}}, "c", {100, 100, 21.2132, 21.2132, 45}},
      {"width sets the x scale", {{"c", "_width", 60}}, "c", {300, 100, 60, 10, 0}},
      {"height sets the y scale", {{"c", "_height", 30}}, "c", {100, 300, 20, 30, 0}},
      {"width of a turned clip scales along its own x axis and keeps the turn",
       {{"c", "_rotation", 90}, {"c", "_width", 60}},
       "c",
       {300, 100, 10, 60, 90}},
      {"a mirrored clip keeps its turn and its mirror",
       {{"c", "_xscale", -100}, {"c", "_rotation", 30}, {"c", "_yscale", 100}},
       "c",
       {-100, 100, 22.3205, 18.6603, 30}},
      {"a mirrored clip stays mirrored when sized", {{"c", "_xscale", -100}, {"c", "_width", 40}}, "c",
       {-200, 100, 40, 10, 0}},
      {"nested: the bounds of every child", {}, "n", {100, 100, 80, 20, 0}},
      {"nested: the clip's own scale applies once", {{"n", "_xscale", 50}}, "n", {50, 100, 40, 20, 0}},
      {"nested: a child's size is in its parent's space", {}, "n.inner", {200, 200, 40, 20, 0}},
      {"nested: a turned child turns the parent's bounds", {{"n.inner", "_rotation", 90}}, "n",
       {100, 100, 40, 40, 0}},
      {"nested: the turned child itself", {{"n.inner", "_rotation", 90}}, "n.inner", {200, 200, 20, 40, 90}},
      {"nested: width of the parent through both", {{"n", "_width", 40}}, "n", {50, 100, 40, 20, 0}},
  };
  for (const PropertyCase& k : cases) {
    Played p(PropertyMovie());
    p.root->advance(0);
    swf::script_environment* env = p.sprite()->get_environment();
    auto target = [&](const char* path) {
      character* ch = env->find_target(swf::string(path));
      EXPECT_NE(ch, nullptr) << k.name << ": " << path;
      return ch;
    };
    for (const PropertySet& set : k.sets) {
      if (character* ch = target(set.target)) ch->set_member(set.name, script_value(set.value));
    }
    character* read = target(k.read);
    if (!read) continue;
    auto get = [&](const char* name) {
      script_value v;
      EXPECT_TRUE(read->get_member(name, &v)) << k.name << ": " << name;
      return v.to_number();
    };
    EXPECT_NEAR(get("_xscale"), k.expected.xscale, 1e-3) << k.name;
    EXPECT_NEAR(get("_yscale"), k.expected.yscale, 1e-3) << k.name;
    EXPECT_NEAR(get("_width"), k.expected.width, 1e-3) << k.name;
    EXPECT_NEAR(get("_height"), k.expected.height, 1e-3) << k.name;
    EXPECT_NEAR(get("_rotation"), k.expected.rotation, 1e-3) << k.name;
  }
}

}  // namespace
