// Scripts that free what they run on: a clip removed, or a movie closed, while a script,
// a call or a block still works on it. Each case is a movie made here with the writer
// and what its scripts trace and log as it plays; the sanitizer build runs them to show
// that nothing freed is read. A removed clip finishes the script running on it: its own
// reads give undefined, and its goto and play act on nothing.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/swf/movie/movie_root.h"
#include "tests/swf/PlayerFixture.h"

namespace {

using swftest::Bytes;
using swftest::MovieOfFrames;
using A = swfw::Actions;

constexpr float kFrame = 1.0f / 12.0f;

Bytes Script(const A& actions) { return swfw::DoAction(actions.Build()); }

A& Get(A& a, const std::string& name) { return a.Push({A::Str(name)}).Op("GetVariable"); }
A& TraceOf(A& a, const std::string& name) { return Get(a, name).Op("Trace"); }
A& TraceText(A& a, const std::string& text) { return a.Push({A::Str(text)}).Op("Trace"); }
A& SetVar(A& a, const std::string& name, const std::string& text) {
  return a.Push({A::Str(name), A::Str(text)}).Op("SetVariable");
}
// Traces the member of the object a variable holds.
A& TraceMember(A& a, const std::string& object, const std::string& member) {
  return Get(a, object).Push({A::Str(member)}).Op("GetMember").Op("Trace");
}
// _global.name = function () { body }
A& DefineGlobal(A& a, const std::string& name, const A& body) {
  return Get(a, "_global").Push({A::Str(name)}).DefineFunction("", {}, body).Op("SetMember");
}
// name() with no arguments, its result dropped.
A& Call(A& a, const std::string& name) { return a.Push({A::Int(0), A::Str(name)}).Op("CallFunction").Op("Pop"); }
// A local variable "a" holding "local".
A& DeclareLocal(A& a) { return a.Push({A::Str("a"), A::Str("local")}).Op("DefineLocal"); }
// Removes the root's clip "s" with RemoveSprite, and sends the root to its frame index
// `frame`, whose sweep lets the clip go; the target is the running block's first again.
A& RemoveS(A& a, uint16_t frame) {
  return a.Push({A::Str("_root")}).Op("SetTarget2").Push({A::Str("s")}).Op("RemoveSprite").GotoFrame(frame).SetTarget(
      "");
}
// After its clip is gone, a script goes on: it pushes, reads its local and its clip's
// variable, and calls.
A& GoOn(A& a) {
  TraceText(a, "goes on");
  TraceOf(a, "a");
  TraceOf(a, "x");
  return a.Push({A::Str("called"), A::Int(1), A::Str("trace")}).Op("CallFunction").Op("Pop");
}

A Stop() {
  A a;
  a.Op("Stop");
  return a;
}
A TraceFrame() {
  A a;
  TraceOf(a, "_currentframe");
  return a;
}

// A 20 x 10 pixel rectangle (shape 1).
Bytes Box() { return swfw::DefineShape(swfw::kDefineShape, 1, swfw::RectangleShape(400, 200, {255, 0, 0, 255})); }

// Sprite 10 stops on its first frame, which sets its variable x and runs the actions
// given; its second frame places sprite 11, which traces "s went on" when placed.
Bytes SpriteS(const A& more = A()) {
  A frame;
  SetVar(frame, "x", "in s").Op("Stop");
  A went_on;
  TraceText(went_on, "s went on");
  return swftest::Concat({swftest::SpriteOfFrames(11, {{Script(went_on)}}),
                          swftest::SpriteOfFrames(10, {{Script(frame), Script(more)}, {swftest::Place(11, 1)}})});
}

// Sprite 10 placed as "s" at depth 1.
Bytes PlaceS() { return swftest::Place(10, 1, "s"); }

// ---- the movies ------------------------------------------------------------------------

// Clip "s" keeps a function as _global.f, which the root calls on its next frame. The
// function ends "s" as `remove` does, sending the root to its third frame (whose tags
// are `frame3`), and goes on.
Bytes FunctionThatEndsItsClip(void (*remove)(A&), const Bytes& frame3) {
  A body;
  DeclareLocal(body);
  TraceOf(body, "x");
  remove(body);
  GoOn(body);
  // The removed clip's own goto and play act on nothing.
  body.GotoFrame(1).Op("Play");
  TraceOf(body, "_currentframe");
  A define;
  DefineGlobal(define, "f", body);
  A call;
  Call(call, "f");
  TraceText(call, "after f");
  A trace_frame;
  TraceOf(trace_frame, "_currentframe");
  return MovieOfFrames({{SpriteS(define), PlaceS()}, {Script(call)}, {frame3, Script(trace_frame)}});
}

// The function sends the root to a frame where "s" is gone.
Bytes FunctionWhoseClipAGotoRemoves() {
  return FunctionThatEndsItsClip(
      [](A& body) {
        body.Push({A::Int(3), A::Int(1)});
        Get(body, "_root").Push({A::Str("gotoAndStop")}).Op("CallMethod").Op("Pop");
      },
      swfw::RemoveObject2(1));
}

// The function removes "s" itself with RemoveSprite and a GotoFrame.
Bytes FunctionWhoseClipRemoveSpriteRemoves() {
  return FunctionThatEndsItsClip([](A& body) { RemoveS(body, 2); }, {});
}

// The root aims at "s" (tellTarget) and calls _global.g, which removes "s"; g's closing
// SetTarget "" makes its starting target, the removed "s", current again.
Bytes SetTargetBackToARemovedClip() {
  A body;
  RemoveS(body, 2);
  TraceOf(body, "_name");
  TraceText(body, "g ends");
  A define;
  DefineGlobal(define, "g", body);
  A call;
  call.Push({A::Str("s")}).Op("SetTarget2");
  TraceOf(call, "x");
  call.GotoFrame(1);
  Call(call, "g");
  TraceOf(call, "x");
  call.SetTarget("");
  TraceOf(call, "_currentframe");
  return MovieOfFrames({{SpriteS(), PlaceS(), Script(define)}, {Script(call)}, {}});
}

// _global.leak is set, and the movie loads itself into _root.
Bytes LoadsItselfIntoTheRoot() {
  A a;
  Get(a, "_global").Push({A::Str("leak"), A::Str("first movie")}).Op("SetMember");
  TraceMember(a, "_global", "leak");
  a.Push({A::Str("movie.swf"), A::Str("_root")}).GetURL2(0);
  return MovieOfFrames({{Script(a)}, {}});
}

// _global.leak is set, and another movie is loaded in place of clip "s".
Bytes LoadsAMovieIntoAClip() {
  A a;
  Get(a, "_global").Push({A::Str("leak"), A::Str("first movie")}).Op("SetMember");
  TraceMember(a, "_global", "leak");
  a.Push({A::Str("loaded.swf"), A::Str("s")}).GetURL2(0);
  return MovieOfFrames({{SpriteS(), PlaceS(), Script(a)}, {}});
}

// What a movie opened next reads of the global object.
Bytes ReadsTheLeak() {
  A a;
  TraceMember(a, "_global", "leak");
  return MovieOfFrames({{Script(a)}});
}

// A movie that a script loads: one clip with a box, no scripts.
Bytes Loaded() {
  return MovieOfFrames({{Box(), swftest::Place(1, 1)}});
}

// Button "b" in clip "s": its release sends the root on with "s" removed.
Bytes ButtonActionRemovesItsClip() {
  A release;
  TraceOf(release, "x");
  RemoveS(release, 1);
  TraceOf(release, "x");
  TraceText(release, "goes on");
  swfw::ButtonRecord rec;
  rec.hitTest = rec.up = rec.over = rec.down = true;
  rec.characterId = 1;
  A frame;
  SetVar(frame, "x", "in s");
  return MovieOfFrames(
      {{Box(), swfw::DefineButton2(2, false, {rec}, {{0x0008, release.Build()}}),  // over-down to over-up
        swftest::SpriteOfFrames(10, {{Script(frame), swftest::Place(2, 1, "b")}}), PlaceS(), Script(Stop())},
       {Script(TraceFrame())}});
}

// Clip "s" removes itself from its onClipEvent(enterFrame).
Bytes ClipEventRemovesItsClip() {
  A enter;
  TraceOf(enter, "x");
  RemoveS(enter, 1);
  TraceOf(enter, "x");
  TraceText(enter, "goes on");
  swfw::PlaceObject2Record r;
  r.depth = 1;
  r.characterId = 10;
  r.name = "s";
  r.clipActions.push_back({0x0002, enter.Build(), {}});  // enter frame
  r.hasClipActions = true;
  return MovieOfFrames({{SpriteS(), swfw::PlaceObject2(r, 6), Script(Stop())}, {Script(TraceFrame())}});
}

// The root calls s.m(), a method that "s" defined, and m removes "s".
Bytes MethodRemovesItsClip() {
  A body;
  TraceMember(body, "this", "_name");
  RemoveS(body, 2);
  TraceMember(body, "this", "_name");
  TraceOf(body, "x");
  A define;
  define.DefineFunction("m", {}, body).Op("Pop");
  A call;
  call.Push({A::Int(0)});
  Get(call, "s").Push({A::Str("m")}).Op("CallMethod").Op("Pop");
  TraceText(call, "after m");
  TraceOf(call, "s");
  return MovieOfFrames({{SpriteS(define), PlaceS()}, {Script(call)}, {Script(TraceFrame())}});
}

// with (s) { ... } whose body removes "s": the names it reads then come from the root.
Bytes WithBlockRemovesItsClip() {
  A body;
  TraceOf(body, "x");
  body.Push({A::Str("s")}).Op("RemoveSprite").GotoFrame(2);
  TraceOf(body, "x");
  A with;
  Get(with, "s").With(body);
  TraceText(with, "after with");
  A root;
  SetVar(root, "x", "on root");
  return MovieOfFrames({{SpriteS(), PlaceS(), Script(root)}, {Script(with)}, {Script(TraceFrame())}});
}

// _global.f, defined in clip "s", is called after "s" is gone: it runs on the caller.
Bytes FunctionCalledAfterItsClipIsGone() {
  A body;
  TraceOf(body, "x");
  TraceText(body, "f runs");
  A define;
  DefineGlobal(define, "f", body);
  A root;
  SetVar(root, "x", "on root");
  A call;
  Call(call, "f");
  TraceText(call, "after f");
  return MovieOfFrames(
      {{SpriteS(define), PlaceS(), Script(root)}, {swfw::RemoveObject2(1)}, {Script(call), Script(Stop())}});
}

// ---- the table -------------------------------------------------------------------------

struct Mouse {
  int x, y, buttons;
};

struct LifetimeCase {
  const char* name;
  Bytes (*movie)();  // opened as "movie.swf", as the engine opens a movie
  int frames;        // frames played: the first loads the movie, each later one is one frame
  std::vector<std::string> traces;  // what its scripts traced, in order (then those of next_movie)
  std::vector<std::string> errors;  // the error lines logged, in order
  Bytes (*next_movie)() = nullptr;  // opened as "next.swf" once the first is closed; plays one frame
  std::vector<Mouse> mouse = {};    // the mouse before each frame (none: not moved)
};

const LifetimeCase kCases[] = {
    {"a function whose clip a goto removes goes on", FunctionWhoseClipAGotoRemoves, 3,
     {"in s", "goes on", "local", "undefined", "called", "undefined", "after f", "3"}, {}},
    {"a function whose clip RemoveSprite and a GotoFrame remove goes on", FunctionWhoseClipRemoveSpriteRemoves, 3,
     {"in s", "goes on", "local", "undefined", "called", "undefined", "after f", "3"}, {}},
    {"SetTarget \"\" makes a removed starting target current again", SetTargetBackToARemovedClip, 3,
     {"in s", "s went on", "undefined", "g ends", "undefined", "3"}, {}},
    {"a movie that loaded itself into _root leaves no _global behind", LoadsItselfIntoTheRoot, 2,
     {"first movie", "undefined"}, {}, ReadsTheLeak},
    {"a movie that loaded another into a clip leaves no _global behind", LoadsAMovieIntoAClip, 2,
     {"first movie", "undefined"}, {}, ReadsTheLeak},
    {"a button action removes its clip and goes on", ButtonActionRemovesItsClip, 3,
     {"in s", "undefined", "goes on", "2"}, {}, nullptr, {{5, 5, 0}, {5, 5, 1}, {5, 5, 0}}},
    {"a clip event removes its clip and goes on", ClipEventRemovesItsClip, 2, {"in s", "undefined", "goes on", "2"},
     {}},
    {"a method removes the clip it was called on and goes on", MethodRemovesItsClip, 3,
     {"s", "undefined", "undefined", "after m", "undefined", "3"}, {}},
    {"a with-block on a clip its body removes goes on", WithBlockRemovesItsClip, 3,
     {"in s", "on root", "after with", "3"}, {}},
    {"a function called after its clip is gone runs on the caller", FunctionCalledAfterItsClipIsGone, 3,
     {"on root", "f runs", "after f"}, {}},
};

struct Outcome {
  std::vector<std::string> traces;
  std::vector<std::string> errors;
  int live_movies_after_close = 0;
};

// Opens the movie as the engine's FlashMovie does (its definition from the library, then
// an instance), plays it and closes it (the instance, then the definition).
void PlayAndClose(const char* file, int frames, const std::vector<Mouse>& mouse) {
  swf::smart_ptr<swf::movie_definition_sub> def = swftest::Adopt(swf::create_library_movie(file));
  ASSERT_TRUE(def) << file;
  swf::smart_ptr<swf::movie_interface> instance = swftest::Adopt(def->create_instance());
  ASSERT_TRUE(instance) << file;
  for (int frame = 0; frame < frames; ++frame) {
    if (frame < static_cast<int>(mouse.size())) {
      instance->notify_mouse_state(mouse[frame].x, mouse[frame].y, mouse[frame].buttons);
    }
    instance->advance(frame == 0 ? 0.0f : kFrame);
  }
  instance = nullptr;
  def = nullptr;
}

Outcome Play(const LifetimeCase& c) {
  Outcome out;
  swftest::MemoryFiles files;
  files.Add("movie.swf", c.movie());
  files.Add("loaded.swf", Loaded());
  if (c.next_movie) files.Add("next.swf", c.next_movie());
  swftest::SwfLogCapture log;
  const int live_before = swf::get_live_movie_count();
  PlayAndClose("movie.swf", c.frames, c.mouse);
  out.live_movies_after_close = swf::get_live_movie_count() - live_before;
  if (c.next_movie) PlayAndClose("next.swf", 1, {});
  for (const swftest::SwfLogCapture::Line& line : log.lines) {
    std::string text = line.text;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    (line.error ? out.errors : out.traces).push_back(text);
  }
  swf::clear_library();
  return out;
}

TEST(SwfScriptLifetime, Table) {
  for (const LifetimeCase& c : kCases) {
    Outcome out = Play(c);
    EXPECT_EQ(out.traces, c.traces) << c.name;
    EXPECT_EQ(out.errors, c.errors) << c.name;
    EXPECT_EQ(out.live_movies_after_close, 0) << c.name << ": closing a movie releases what it loaded";
  }
}

}  // namespace
