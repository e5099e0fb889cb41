#include "tests/swf/support/HostileMovies.h"

#include <string>

#include "tests/swf/PlayerFixture.h"
#include "tools/swfwriter/SwfTextMovies.h"

namespace swftest {

namespace {

using A = swfw::Actions;

// ---- movies of the file and its shapes

// A movie of 65,535 frames: frame 0 places a shape and its actions go to the last frame
// and back to the first; every later frame replaces the shape, so going back undoes
// 65,534 replacements, each of which looks for the placement before it.
Bytes LongTimelineWithGotos() {
  constexpr int kFrames = 65535;
  swfw::PlaceObject2Record place;
  place.depth = 1;
  place.characterId = 1;
  swfw::PlaceObject2Record replace = place;
  replace.move = true;
  const Bytes replace_tag = swfw::PlaceObject2(replace, 6);
  swfw::Movie movie;
  movie.Add(swfw::DefineShape(swfw::kDefineShape, 1, swfw::RectangleShape(200, 200, {255, 0, 0, 255})))
      .Add(swfw::PlaceObject2(place, 6))
      .Add(swfw::DoAction(A().GotoFrame(kFrames - 1).GotoFrame(0).Op("Stop").Build()))
      .ShowFrame();
  for (int f = 1; f < kFrames; ++f) movie.Add(replace_tag).ShowFrame();
  movie.End();
  return movie.Build(true);
}

// 400 empty sprites that each declare 65,535 frames, all placed, in a movie that declares
// 65,535 frames.
Bytes SpritesDeclaringLongTimelines() {
  swfw::Movie movie;
  movie.frameCount = 65535;
  for (uint16_t id = 1; id <= 400; ++id) movie.Add(swfw::DefineSprite(id, 65535, swfw::Tag(0, {})));
  for (uint16_t id = 1; id <= 400; ++id) movie.Add(Place(id, id));
  movie.ShowFrame().End();
  return movie.Build(true);
}

// A DefineFont of 2,000 glyphs whose offsets all name one outline of 20,000 edges, and a
// text of ten of them on the stage.
Bytes GlyphsSharingOneOutline() {
  constexpr int kGlyphs = 2000;
  swfw::Shape outline;
  swfw::ShapeRecord start = swfw::ShapeRecord::Move(0, 0);
  start.fill0 = 1;
  outline.records.push_back(start);
  int x = 0;
  for (int i = 0; i < 5000; ++i) {
    outline.records.push_back(swfw::ShapeRecord::Line(0, -512));
    outline.records.push_back(swfw::ShapeRecord::Line(1, 0));
    outline.records.push_back(swfw::ShapeRecord::Line(0, 512));
    outline.records.push_back(swfw::ShapeRecord::Line(1, 0));
    x += 2;
  }
  outline.records.back() = swfw::ShapeRecord::Line(-(x - 1), 0);
  swfw::BitWriter glyph;
  swfw::WriteShape(glyph, swfw::kDefineShape, outline, false);
  swfw::BitWriter font;
  font.U16(1);
  for (int i = 0; i < kGlyphs; ++i) font.U16(static_cast<uint16_t>(kGlyphs * 2));
  font.Append(glyph.bytes());

  swfw::Text text;
  text.bounds = {0, 4000, -400, 100};
  swfw::TextRecord record;
  record.fontId = 1;
  record.color = swfw::Color{0, 0, 0, 255};
  for (uint32_t g = 0; g < 10; ++g) record.glyphs.push_back({g * 150, 200});
  text.records = {record};
  swfw::PlaceObject2Record place;
  place.depth = 1;
  place.characterId = 2;
  place.matrix = swfw::Matrix::Translate(400, 2000);
  return MovieOfFrames({{swfw::Tag(swfw::kDefineFont, font.Take()), swfw::DefineText(swfw::kDefineText, 2, text),
                         swfw::PlaceObject2(place, 6)}});
}

// One shape of 40,000 separate squares on a grid, placed.
Bytes FortyThousandSquares() {
  swfw::Shape shape;
  shape.bounds = {0, 8000, 0, 8000};
  swfw::FillStyle fill;
  fill.color = {0, 128, 255, 255};
  shape.fills = {fill};
  for (int row = 0; row < 200; ++row) {
    for (int column = 0; column < 200; ++column) {
      swfw::ShapeRecord move = swfw::ShapeRecord::Move(column * 40, row * 40);
      if (row == 0 && column == 0) move.fill1 = 1;
      shape.records.insert(shape.records.end(), {move, swfw::ShapeRecord::Line(20, 0), swfw::ShapeRecord::Line(0, 20),
                                                 swfw::ShapeRecord::Line(-20, 0), swfw::ShapeRecord::Line(0, -20)});
    }
  }
  return MovieOfFrames({{swfw::DefineShape(swfw::kDefineShape, 1, shape), Place(1, 1)}});
}

// A morph filled with a linear gradient whose colours change with the ratio, shown at a
// new ratio in each of its frames.
Bytes GradientMorphOverFrames(int frames) {
  swfw::MorphShape morph;
  morph.startBounds = {0, 2000, 0, 2000};
  morph.endBounds = {0, 4000, 0, 4000};
  swfw::MorphFill gradient;
  gradient.start.type = gradient.end.type = 0x10;
  gradient.start.gradient = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
  gradient.end.gradient = {{0, {0, 255, 0, 255}}, {255, {255, 255, 0, 255}}};
  morph.fills = {gradient};
  auto box = [](int32_t size) {
    swfw::ShapeRecord start = swfw::ShapeRecord::Move(0, 0);
    start.fill1 = 1;
    return std::vector<swfw::ShapeRecord>{start, swfw::ShapeRecord::Line(size, 0), swfw::ShapeRecord::Line(0, size),
                                          swfw::ShapeRecord::Line(-size, 0), swfw::ShapeRecord::Line(0, -size)};
  };
  morph.startShape.records = box(2000);
  morph.endShape.records = box(4000);
  std::vector<std::vector<Bytes>> timeline;
  for (int f = 0; f < frames; ++f) {
    swfw::PlaceObject2Record r;
    r.depth = 1;
    r.ratio = static_cast<uint16_t>(f * 65535 / (frames - 1));
    if (f == 0) {
      r.characterId = 1;
    } else {
      r.move = true;
    }
    timeline.push_back({swfw::PlaceObject2(r, 6)});
  }
  timeline[0].insert(timeline[0].begin(), swfw::DefineMorphShape(1, morph));
  return MovieOfFrames(timeline);
}

// The movie cut in the middle of its bytes after the header: inside the long DoAction.
Bytes CutInTheMiddle(const Bytes& movie) { return Bytes(movie.begin(), movie.begin() + 8 + (movie.size() - 8) / 2); }

// ---- movies of scripts

// A movie of one frame whose one action block is the given code.
Bytes ActionBlock(const A& code) { return MovieOfFrames({{swfw::DoAction(code.Build())}}); }

// A loop that pushes the values of one record, drops one of them and starts again (a
// constant pool first, when given). A record holds at most 65,535 bytes, and a jump back
// over it reaches 32,768: loops of many values push items of one to three bytes.
Bytes PushLoop(const std::vector<A::PushItem>& values, const std::vector<std::string>& pool = {}) {
  A a;
  if (!pool.empty()) a.ConstantPool(pool);
  a.Label("top").Push(values).Op("Pop").Jump("top");
  return ActionBlock(a);
}

// A loop that enumerates an array of 30,000 elements.
Bytes EnumerateLoop() {
  A a;
  a.Push({A::Str("a")}).Push(std::vector<A::PushItem>(30000, A::Undefined())).Push({A::Int(30000)});
  a.Op("InitArray").Op("SetVariable").Label("top").Push({A::Str("a")}).Op("Enumerate").Jump("top");
  return ActionBlock(a);
}

// A loop that defines a function of 10,000 parameters.
Bytes DefineFunctionLoop() {
  A a;
  a.Label("top").DefineFunction("", std::vector<std::string>(10000, "p"), A()).Op("Pop").Jump("top");
  return ActionBlock(a);
}

// A movie of three frames: the first holds the tags given, the third the loop; so the
// loop's frame does nothing but the loop (the first advance plays the first two frames).
Bytes LoopInThirdFrame(const std::vector<Bytes>& setup, const A& loop) {
  return MovieOfFrames({setup, {}, {swfw::DoAction(loop.Build())}});
}

// Sets the variable to the seed doubled the given number of times (a text of a megabyte
// takes twenty doublings of one byte: no record can hold it).
void SetDoubledText(A& a, const std::string& variable, const std::string& seed, int doublings) {
  a.Push({A::Str(variable), A::Str(seed)}).Op("SetVariable");
  for (int i = 0; i < doublings; ++i) {
    a.Push({A::Str(variable), A::Str(variable)}).Op("GetVariable").Push({A::Str(variable)}).Op("GetVariable");
    a.Op("Add2").Op("SetVariable");
  }
}

// Adds one to the variable.
void Increment(A& a, const std::string& variable) {
  a.Push({A::Str(variable), A::Str(variable)}).Op("GetVariable").Op("Increment").Op("SetVariable");
}

// Pushes "prefix" followed by the variable's value (a fresh name on each pass of a loop).
void PushCountedName(A& a, const std::string& prefix, const std::string& counter) {
  a.Push({A::Str(prefix), A::Str(counter)}).Op("GetVariable").Op("Add2");
}

// A shape (character 1) and a clip (character 2) of that many copies of it, placed as
// "s".
std::vector<Bytes> ClipOfChildren(int children) {
  Bytes inner;
  for (int d = 1; d <= children; ++d) {
    Bytes place = Place(1, static_cast<uint16_t>(d), nullptr, d % 100 * 20, d / 100 * 20);
    inner.insert(inner.end(), place.begin(), place.end());
  }
  inner = Concat({inner, swfw::Tag(1, {}), swfw::Tag(0, {})});
  return {swfw::DefineShape(swfw::kDefineShape, 1, swfw::RectangleShape(200, 200, {0, 128, 0, 255})),
          swfw::DefineSprite(2, 1, inner), Place(2, 1, "s")};
}

// A frame of 10,000 placements, then a frame whose actions go back to it and forward
// again without end: each backward goto places all 10,000 again.
Bytes GotoLoopOverPlacements() {
  std::vector<Bytes> first = {swfw::DefineShape(swfw::kDefineShape, 1, swfw::RectangleShape(200, 200, {0, 0, 255, 255}))};
  for (int d = 1; d <= 10000; ++d) first.push_back(Place(1, static_cast<uint16_t>(d), nullptr, d % 100 * 20, d / 100 * 20));
  A a;
  a.Label("top").GotoFrame(0).GotoFrame(2).Jump("top");
  return MovieOfFrames({first, {swfw::DoAction(a.Build())}, {}});
}

// name = new String(<the value of the variable from>).
A NewStringOf(const std::string& name, const std::string& from) {
  A a;
  a.Push({A::Str(name), A::Str(from)}).Op("GetVariable").Push({A::Int(1), A::Str("String")}).Op("NewObject");
  a.Op("SetVariable");
  return a;
}

// o = new String(s), s a text of a megabyte.
A MakeStringObject() {
  A a;
  SetDoubledText(a, "s", "x", 20);
  a.Raw(NewStringOf("o", "s").Build(false));
  return a;
}

// o.charCodeAt(500000) without end, o a String object of a megabyte.
Bytes CharCodeAtLoop() {
  A a;
  a.Label("top").Push({A::Int(500000), A::Int(1), A::Str("o")}).Op("GetVariable");
  a.Push({A::Str("charCodeAt")}).Op("CallMethod").Op("Pop").Jump("top");
  return LoopInThirdFrame({swfw::DoAction(MakeStringObject().Build())}, a);
}

// duplicateMovieClip("s", "c" + n, 2) of a clip of 5,000 children without end (n counts
// the clones made).
Bytes DuplicateLoop() {
  A a;
  a.Push({A::Str("n"), A::Int(0)}).Op("SetVariable");
  a.Label("top").Push({A::Str("s")});
  PushCountedName(a, "c", "n");
  a.Push({A::Int(2)}).Op("CloneSprite");
  Increment(a, "n");
  a.Jump("top");
  return LoopInThirdFrame(ClipOfChildren(5000), a);
}

// Reads s.<member> without end on a clip of 10,000 children: "_width" measures every
// child; a name that is no property nor variable is looked for among them.
Bytes MemberOfClipLoop(const std::string& member) {
  A a;
  a.Label("top").Push({A::Str("s")}).Op("GetVariable").Push({A::Str(member)}).Op("GetMember").Op("Pop").Jump("top");
  return LoopInThirdFrame(ClipOfChildren(10000), a);
}

// Declares a new local "v" + n without end: each declaration searches the locals before it.
Bytes LocalsLoop() {
  A a;
  a.Push({A::Str("n"), A::Int(0)}).Op("SetVariable");
  a.Label("top");
  PushCountedName(a, "v", "n");
  a.Push({A::Int(1)}).Op("DefineLocal");
  Increment(a, "n");
  a.Jump("top");
  return ActionBlock(a);
}

// Reads a variable through a path of 131,072 elements ("this.this. ... .x") without end.
Bytes LongPathLoop() {
  A setup;
  SetDoubledText(setup, "p", "this.", 17);
  setup.Push({A::Str("x"), A::Int(1)}).Op("SetVariable");
  setup.Push({A::Str("p"), A::Str("p")}).Op("GetVariable").Push({A::Str("x")}).Op("Add2").Op("SetVariable");
  A a;
  a.Label("top").Push({A::Str("p")}).Op("GetVariable").Op("GetVariable").Op("Pop").Jump("top");
  return LoopInThirdFrame({swfw::DoAction(setup.Build())}, a);
}

// Key.addListener of a new object, kept in a member, without end: each addition walks the
// listeners before it.
Bytes ListenerLoop() {
  A a;
  a.Push({A::Str("n"), A::Int(0)}).Op("SetVariable");
  a.Label("top");
  a.Push({A::Str("o"), A::Int(0), A::Str("Object")}).Op("NewObject").Op("SetVariable");
  a.Push({A::Str("_root")}).Op("GetVariable");
  PushCountedName(a, "k", "n");
  a.Push({A::Str("o")}).Op("GetVariable").Op("SetMember");
  a.Push({A::Str("o")}).Op("GetVariable").Push({A::Int(1), A::Str("Key")}).Op("GetVariable");
  a.Push({A::Str("addListener")}).Op("CallMethod").Op("Pop");
  Increment(a, "n");
  a.Jump("top");
  return ActionBlock(a);
}

// A hidden text field (variable "t") set to one text of half a megabyte and then to
// another, without end: each change lays the whole text out.
Bytes TextFieldLoop() {
  swfw::Font font;
  font.glyphs = {swfw::NumberedGlyph(0), swfw::Shape{}};
  font.codes = {'x', ' '};
  swfw::FontLayout layout;
  layout.advances = {900, 300};
  layout.bounds = {swfw::Rect{0, 800, -800, 0}, swfw::Rect{}};
  font.layout = layout;
  swfw::EditText field;
  field.bounds = {0, 8000, 0, 6000};
  field.font = std::make_pair(uint16_t{1}, uint16_t{240});
  field.multiline = field.wordWrap = true;
  field.variableName = "t";
  A setup;
  setup.Push({A::Str("f")}).Op("GetVariable").Push({A::Str("_visible"), A::Bool(false)}).Op("SetMember");
  SetDoubledText(setup, "a", "x x ", 17);
  setup.Push({A::Str("b"), A::Str("a")}).Op("GetVariable").Push({A::Str("x")}).Op("Add2").Op("SetVariable");
  A a;
  a.Label("top");
  for (const char* text : {"a", "b"}) a.Push({A::Str("t"), A::Str(text)}).Op("GetVariable").Op("SetVariable");
  a.Jump("top");
  return LoopInThirdFrame(
      {swfw::DefineFont2(1, font), swfw::DefineEditText(2, field), Place(2, 1, "f"), swfw::DoAction(setup.Build())},
      a);
}

// toUpperCase of a text of a megabyte without end.
Bytes UpperCaseLoop() {
  A setup;
  SetDoubledText(setup, "s", "x", 20);
  A a;
  a.Label("top").Push({A::Int(0), A::Str("s")}).Op("GetVariable").Push({A::Str("toUpperCase")}).Op("CallMethod");
  a.Op("Pop").Jump("top");
  return LoopInThirdFrame({swfw::DoAction(setup.Build())}, a);
}

// "x" == o for a String object o of a megabyte without end: each comparison reads the
// object's text.
Bytes StringObjectAsTextLoop() {
  A a;
  a.Label("top").Push({A::Str("x"), A::Str("o")}).Op("GetVariable").Op("Equals2").Op("Pop").Jump("top");
  return LoopInThirdFrame({swfw::DoAction(MakeStringObject().Build())}, a);
}

// o.s.length without end, o.s a text of a megabyte: each read copies the text onto the
// stack and counts its characters.
Bytes TextLengthLoop() {
  A setup;
  SetDoubledText(setup, "s", "x", 20);
  setup.Push({A::Str("o"), A::Int(0), A::Str("Object")}).Op("NewObject").Op("SetVariable");
  setup.Push({A::Str("o")}).Op("GetVariable").Push({A::Str("s"), A::Str("s")}).Op("GetVariable").Op("SetMember");
  A a;
  a.Label("top").Push({A::Str("o")}).Op("GetVariable").Push({A::Str("s")}).Op("GetMember");
  a.Push({A::Str("length")}).Op("GetMember").Op("Pop").Jump("top");
  return LoopInThirdFrame({swfw::DoAction(setup.Build())}, a);
}

// ---- movies of what scripts hold

// Runs body `times` times, counting in the timeline variable counter.
void Repeat(A& a, const std::string& counter, int times, const A& body) {
  a.Push({A::Str(counter), A::Int(0)}).Op("SetVariable");
  a.Label(counter + "_top").Push({A::Str(counter)}).Op("GetVariable").Push({A::Int(times)}).Op("Less2").Op("Not");
  a.If(counter + "_end").Raw(body.Build(false));
  Increment(a, counter);
  a.Jump(counter + "_top").Label(counter + "_end");
}

// name = a text of a megabyte: "x" doubled twenty times.
A MegabyteText(const std::string& name) {
  A a;
  SetDoubledText(a, name, "x", 20);
  return a;
}

// name = <the value of from>.<member>
A CopyMember(const std::string& name, const std::string& from, const std::string& member) {
  A a;
  a.Push({A::Str(name), A::Str(from)}).Op("GetVariable").Push({A::Str(member)}).Op("GetMember").Op("SetVariable");
  return a;
}

// name = <the value of from>
A CopyVariable(const std::string& name, const std::string& from) {
  A a;
  a.Push({A::Str(name), A::Str(from)}).Op("GetVariable").Op("SetVariable");
  return a;
}

A SetNumber(const std::string& name, int value) {
  A a;
  a.Push({A::Str(name), A::Int(value)}).Op("SetVariable");
  return a;
}

// The parts one after another.
A Then(const std::vector<A>& parts) {
  A all;
  for (const A& part : parts) all.Raw(part.Build(false));
  return all;
}

// Frames of actions, the last one stopping the movie.
Bytes FramesOfActions(std::vector<A> frames) {
  frames.back().Op("Stop");
  std::vector<std::vector<Bytes>> timeline;
  for (const A& frame : frames) timeline.push_back({swfw::DoAction(frame.Build())});
  return MovieOfFrames(timeline);
}

// this[prefix + n] = <the value that the code pushes>, and n counts up.
A StoreAsNextMember(const std::string& prefix, const A& value) {
  A a;
  a.Push({A::Str("this")}).Op("GetVariable");
  PushCountedName(a, prefix, "n");
  a.Raw(value.Build(false)).Op("SetMember");
  Increment(a, "n");
  return a;
}

// n = 0, and onEnterFrame = a function of the body.
A OnEnterFrame(const A& body) {
  A a = SetNumber("n", 0);
  a.Push({A::Str("onEnterFrame")}).DefineFunction("", {}, body).Op("SetVariable");
  return a;
}

// Frame 0 makes the text s; frame 1 copies it into t, makes the String object o of it
// and puts o into p and q too; frame 2 sets all four to 0.
Bytes CopiedTextsAndASharedObject() {
  return FramesOfActions(
      {MegabyteText("s"),
       Then({CopyVariable("t", "s"), NewStringOf("o", "s"), CopyVariable("p", "o"), CopyVariable("q", "o")}),
       Then({SetNumber("t", 0), SetNumber("o", 0), SetNumber("p", 0), SetNumber("q", 0)})});
}

// Frame 0 makes the text s; frame 1 stores it as the member t of a new object o; frame 2
// reads o.t into v; frame 3 sets v to 0.
Bytes MemberTextReadIntoAVariable() {
  A object;
  object.Push({A::Str("o"), A::Int(0), A::Str("Object")}).Op("NewObject").Op("SetVariable");
  object.Push({A::Str("o")}).Op("GetVariable").Push({A::Str("t"), A::Str("s")}).Op("GetVariable").Op("SetMember");
  return FramesOfActions({MegabyteText("s"), object, CopyMember("v", "o", "t"), SetNumber("v", 0)});
}

// An onEnterFrame that stores `copies` arrays of `elements` elements as members a0, a1 ...
// of the root each frame, counting them in n.
Bytes ArraysEveryFrame(int copies, int elements) {
  A array;
  array.Push(std::vector<A::PushItem>(static_cast<size_t>(elements), A::Undefined())).Push({A::Int(elements)});
  array.Op("InitArray");
  A body;
  Repeat(body, "k", copies, StoreAsNextMember("a", array));
  return FramesOfActions({OnEnterFrame(body)});
}

// ---- movies of scripts that free what they run on
//
// A clip removed, or a movie closed, while a script, a call or a block still works on it.
// What the scripts trace as the movie plays shows how far they went.

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
Bytes BoxShape() { return swfw::DefineShape(swfw::kDefineShape, 1, swfw::RectangleShape(400, 200, {255, 0, 0, 255})); }

// Sprite 10 stops on its first frame, which sets its variable x and runs the actions
// given; its second frame places sprite 11, which traces "s went on" when placed.
Bytes SpriteS(const A& more = A()) {
  A frame;
  SetVar(frame, "x", "in s").Op("Stop");
  A went_on;
  TraceText(went_on, "s went on");
  return Concat({SpriteOfFrames(11, {{Script(went_on)}}),
                 SpriteOfFrames(10, {{Script(frame), Script(more)}, {Place(11, 1)}})});
}

// Sprite 10 placed as "s" at depth 1.
Bytes PlaceS() { return Place(10, 1, "s"); }

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
  return MovieOfFrames({{SpriteS(define), PlaceS()}, {Script(call)}, {frame3, Script(TraceFrame())}});
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

// _global.leak is set, and the movie loads itself ("movie.swf") into _root.
Bytes LoadsItselfIntoTheRoot() {
  A a;
  Get(a, "_global").Push({A::Str("leak"), A::Str("first movie")}).Op("SetMember");
  TraceMember(a, "_global", "leak");
  a.Push({A::Str("movie.swf"), A::Str("_root")}).GetURL2(0);
  return MovieOfFrames({{Script(a)}, {}});
}

// _global.leak is set, and "loaded.swf" is loaded in place of clip "s".
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
      {{BoxShape(), swfw::DefineButton2(2, false, {rec}, {{0x0008, release.Build()}}),  // over-down to over-up
        SpriteOfFrames(10, {{Script(frame), Place(2, 1, "b")}}), PlaceS(), Script(Stop())},
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

}  // namespace

Bytes LoadedMovie() { return MovieOfFrames({{BoxShape(), Place(1, 1)}}); }

Bytes StringObjectsStoredEachFrame() {
  A new_string;
  new_string.Push({A::Str("S")}).Op("GetVariable").Push({A::Int(1), A::Str("String")}).Op("NewObject");
  A body;
  Repeat(body, "i", 100, StoreAsNextMember("m", new_string));
  return FramesOfActions({MegabyteText("s"), Then({NewStringOf("S", "s"), OnEnterFrame(body)})});
}

Bytes TextCopiesEveryFrame() {
  A text;
  text.Push({A::Str("s")}).Op("GetVariable");
  return FramesOfActions({Then({MegabyteText("s"), OnEnterFrame(StoreAsNextMember("c", text))})});
}

Bytes ClipScaledByScript(const PropertySets& sets, const swfw::Matrix& placement) {
  A a;
  for (const auto& [property, value] : sets) {
    a.Push({A::Str("c")}).Op("GetVariable").Push({A::Str(property), A::Double(value)}).Op("SetMember");
  }
  for (const auto& [variable, property] : {std::pair{"xs", "_xscale"}, {"ys", "_yscale"}, {"rot", "_rotation"}}) {
    a.Push({A::Str(variable), A::Str("c")}).Op("GetVariable").Push({A::Str(property)}).Op("GetMember");
    a.Op("SetVariable");
  }
  swfw::PlaceObject2Record c;
  c.depth = 1;
  c.characterId = 10;
  c.name = "c";
  c.matrix = placement;
  return MovieOfFrames(
      {{BoxShape(), SpriteOfFrames(10, {{Place(1, 1)}}), swfw::PlaceObject2(c, 6), swfw::DoAction(a.Build())}});
}

Bytes MovieWithLongActions(bool compressed) {
  A actions;
  actions.Push({A::Str("ran"), A::Str("yes")}).Op("SetVariable");
  uint32_t noise = 12345;
  for (int i = 0; i < 4000; ++i) {
    std::string value;
    for (int c = 0; c < 24; ++c) {
      noise = noise * 1664525u + 1013904223u;
      value += static_cast<char>('a' + (noise >> 24) % 26);
    }
    actions.Push({A::Str(value)}).Op("Pop");
  }
  swfw::Movie movie;
  movie.Add(swfw::DoAction(actions.Build())).ShowFrame().ShowFrame().End();
  return movie.Build(compressed);
}

const std::vector<HostileMovie>& HostileMovies() {
  static const std::vector<HostileMovie> movies = {
      // Files and shapes: loads, timelines, outlines and draws.
      {"backward goto over 65,535 frames", LongTimelineWithGotos, 3},
      {"declared frame counts: 400 sprites of 65,535 frames", SpritesDeclaringLongTimelines, 3},
      {"2,000 glyph offsets sharing one 20,000-edge outline", GlyphsSharingOneOutline, 3},
      {"40,000 separate squares", FortyThousandSquares, 2},
      {"gradient morph over 360 frames", [] { return GradientMorphOverFrames(360); }, 360},
      {"DoAction cut by the end of the file", [] { return CutInTheMiddle(MovieWithLongActions(false)); }, 4},
      {"DoAction cut by the end of the compressed file", [] { return CutInTheMiddle(MovieWithLongActions(true)); },
       4},
      {"a file that is not SWF", [] { return Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0}; },
       1},
      // Loops of a few records that push, list or declare many values.
      {"push 10,000 booleans, pop, jump", [] { return PushLoop(std::vector<A::PushItem>(10000, A::Bool(true))); }, 4},
      {"push 30,000 undefined, pop, jump", [] { return PushLoop(std::vector<A::PushItem>(30000, A::Undefined())); },
       4},
      {"push 10,000 texts, pop, jump", [] { return PushLoop(std::vector<A::PushItem>(10000, A::Str("a"))); }, 4},
      {"push 15,000 pooled texts of 100 bytes, pop, jump",
       [] { return PushLoop(std::vector<A::PushItem>(15000, A::Constant8(0)), {std::string(100, 'p')}); }, 4},
      {"push a pooled text of 30,000 bytes 1,000 times, pop, jump",
       [] { return PushLoop(std::vector<A::PushItem>(1000, A::Constant8(0)), {std::string(30000, 't')}); }, 4},
      {"push a text of 30,000 bytes, pop, jump", [] { return PushLoop({A::Str(std::string(30000, 't'))}); }, 4},
      {"enumerate an array of 30,000 elements, jump", EnumerateLoop, 4},
      {"define a function of 10,000 parameters, pop, jump", DefineFunctionLoop, 4},
      // Work that one action starts and a script makes long. A loop in a third frame
      // plays in the third frame played, then the movie goes on from its first.
      {"goto back over 10,000 placements, in a loop", GotoLoopOverPlacements, 3},
      {"charCodeAt of a 1 MB String object, in a loop", CharCodeAtLoop, 4},
      {"duplicateMovieClip of a clip of 5,000 children, in a loop", DuplicateLoop, 4},
      {"_width of a clip of 10,000 children, in a loop", [] { return MemberOfClipLoop("_width"); }, 4},
      {"a name looked for among 10,000 children, in a loop", [] { return MemberOfClipLoop("nothing"); }, 4},
      {"locals declared without end", LocalsLoop, 3},
      {"a path of 131,072 elements, in a loop", LongPathLoop, 4},
      {"Key listeners added without end", ListenerLoop, 3},
      {"a text field set to texts of 512 KB, in a loop", TextFieldLoop, 4},
      {"toUpperCase of a 1 MB text, in a loop", UpperCaseLoop, 4},
      {"a 1 MB String object compared as text, in a loop", StringObjectAsTextLoop, 4},
      {"the length of a 1 MB text, in a loop", TextLengthLoop, 4},
      // What scripts hold: texts, String objects, members and arrays, up to the movie's
      // bound and past it.
      {"100 String objects of 1 MB stored each frame", StringObjectsStoredEachFrame, 16},
      {"a copied text is charged, a shared object once", CopiedTextsAndASharedObject, 3},
      {"GetMember charges the text it copies", MemberTextReadIntoAVariable, 4},
      {"arrays of 10,000 elements stored every frame", [] { return ArraysEveryFrame(4, 10000); }, 60},
      // Scripts that free what they run on.
      {"a function whose clip a goto removes goes on", FunctionWhoseClipAGotoRemoves, 3},
      {"a function whose clip RemoveSprite and a GotoFrame remove goes on", FunctionWhoseClipRemoveSpriteRemoves, 3},
      {"SetTarget \"\" makes a removed starting target current again", SetTargetBackToARemovedClip, 3},
      {"a movie that loaded itself into _root leaves no _global behind", LoadsItselfIntoTheRoot, 2, {}, ReadsTheLeak},
      {"a movie that loaded another into a clip leaves no _global behind", LoadsAMovieIntoAClip, 2, {}, ReadsTheLeak},
      {"a button action removes its clip and goes on", ButtonActionRemovesItsClip, 3,
       {{5, 5, 0}, {5, 5, 1}, {5, 5, 0}}},  // pressed on the button, then released
      {"a clip event removes its clip and goes on", ClipEventRemovesItsClip, 2},
      {"a method removes the clip it was called on and goes on", MethodRemovesItsClip, 3},
      {"a with-block on a clip its body removes goes on", WithBlockRemovesItsClip, 3},
      {"a function called after its clip is gone runs on the caller", FunctionCalledAfterItsClipIsGone, 3},
      // Scales and turns that scripts set read back as set.
      {"_yscale -100 reads back", [] { return ClipScaledByScript({{"_yscale", -100}}); }, 1},
      {"_yscale -50 reads back", [] { return ClipScaledByScript({{"_yscale", -50}}); }, 1},
      {"_xscale -100 reads back", [] { return ClipScaledByScript({{"_xscale", -100}}); }, 1},
      {"y mirrored, then turned to 0, stays y mirrored",
       [] { return ClipScaledByScript({{"_yscale", -100}, {"_rotation", 0}}); }, 1},
      {"y mirrored, then x scaled", [] { return ClipScaledByScript({{"_yscale", -100}, {"_xscale", 50}}); }, 1},
      {"turned, then y mirrored", [] { return ClipScaledByScript({{"_rotation", 90}, {"_yscale", -100}}); }, 1},
      {"y mirrored, then sized", [] { return ClipScaledByScript({{"_yscale", -100}, {"_height", 30}}); }, 1},
      {"a turn past half is read within it", [] { return ClipScaledByScript({{"_rotation", 270}}); }, 1},
  };
  return movies;
}


}  // namespace swftest
