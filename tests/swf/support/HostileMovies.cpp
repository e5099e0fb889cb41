#include "tests/swf/support/HostileMovies.h"

#include <time.h>

#include <chrono>
#include <string>

#include "engine/swf/render/render_handler_d3d.h"
#include "engine/swf/shape/shape.h"
#include "platform/d3d8/RecordingDirect3D.h"
#include "tests/swf/PlayerFixture.h"
#include "tools/swfwriter/SwfTextMovies.h"
#include "tools/swfwriter/SwfWriter.h"

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

// o = new String(s), s a text of a megabyte.
A MakeStringObject() {
  A a;
  SetDoubledText(a, "s", "x", 20);
  a.Push({A::Str("o"), A::Str("s")}).Op("GetVariable").Push({A::Int(1), A::Str("String")}).Op("NewObject");
  a.Op("SetVariable");
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

// An onEnterFrame that stores 100 copies of a String object of a megabyte (new String(S))
// in new members of the root each frame.
Bytes StringObjectsStoredEachFrame() {
  A body;
  body.Push({A::Str("i"), A::Int(0)}).Op("SetVariable");
  body.Label("top").Push({A::Str("i")}).Op("GetVariable").Push({A::Int(100)}).Op("Less2").Op("Not").If("end");
  body.Push({A::Str("_root")}).Op("GetVariable");
  PushCountedName(body, "m", "k");
  body.Push({A::Str("S")}).Op("GetVariable").Push({A::Int(1), A::Str("String")}).Op("NewObject").Op("SetMember");
  Increment(body, "k");
  Increment(body, "i");
  body.Jump("top").Label("end");
  A a;
  SetDoubledText(a, "S", "x", 20);
  a.Push({A::Str("k"), A::Int(0)}).Op("SetVariable");
  a.Push({A::Str("onEnterFrame")}).DefineFunction("", {}, body).Op("SetVariable");
  return ActionBlock(a);
}

}  // namespace

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
      {"goto back over 10,000 placements, in a loop", GotoLoopOverPlacements, 3},
      {"charCodeAt of a 1 MB String object, in a loop", CharCodeAtLoop, 3},
      {"duplicateMovieClip of a clip of 5,000 children, in a loop", DuplicateLoop, 3},
      {"_width of a clip of 10,000 children, in a loop", [] { return MemberOfClipLoop("_width"); }, 3},
      {"a name looked for among 10,000 children, in a loop", [] { return MemberOfClipLoop("nothing"); }, 3},
      {"locals declared without end", LocalsLoop, 3},
      {"a path of 131,072 elements, in a loop", LongPathLoop, 3},
      {"Key listeners added without end", ListenerLoop, 3},
      {"a text field set to texts of 512 KB, in a loop", TextFieldLoop, 3},
      {"toUpperCase of a 1 MB text, in a loop", UpperCaseLoop, 3},
      {"a 1 MB String object compared as text, in a loop", StringObjectAsTextLoop, 3},
      {"the length of a 1 MB text, in a loop", TextLengthLoop, 3},
      // Until scripts' memory has a bound of its own, each frame holds more: three frames.
      {"100 String objects of 1 MB stored each frame", StringObjectsStoredEachFrame, 3},
  };
  return movies;
}

// ---- the player ------------------------------------------------------------------------

namespace {

double ThreadMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace

// The recording Direct3D device and the player's handler on it.
struct HostilePlayer::Device {
  Device() {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.hDeviceWindow = &window;
    pp.Windowed = 1;
    pp.EnableAutoDepthStencil = 1;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice8* made = nullptr;
    direct3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &made);
    device = static_cast<d3d8::RecordingDevice*>(made);
    render = new swf::render_handler_d3d(device);
    previous = swf::get_render_handler();
    swf::set_render_handler(render);
  }
  ~Device() {
    swf::set_render_handler(previous);
    delete render;
    if (device) device->Release();
    direct3d->Release();
  }
  d3d8::RecordingDirect3D* direct3d = new d3d8::RecordingDirect3D();
  HWND__ window{};
  d3d8::RecordingDevice* device = nullptr;
  swf::render_handler_d3d* render = nullptr;
  swf::render_handler* previous = nullptr;
};

HostilePlayer::HostilePlayer() : device_(new Device) {}

HostilePlayer::~HostilePlayer() {
  root_ = nullptr;
  def_ = nullptr;
  swf::clear_library();
  delete device_;
}

void HostilePlayer::Play(const Bytes& movie, int frames, const std::function<void()>& after_step) {
  files_.Add("hostile.swf", movie);
  swf::action_frame_counts counts;
  double advance_ms = 0.0;
  auto step = [&](const std::function<void()>& work) {
    HostileStep s;
    const int builds = swf::shape_mesh::get_build_count();
    const double cpu_start = ThreadMilliseconds();
    const auto wall_start = std::chrono::steady_clock::now();
    work();
    s.wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_start).count();
    s.cpu_ms = ThreadMilliseconds() - cpu_start;
    s.counts = counts;
    s.advance_ms = advance_ms;
    s.meshes_built = swf::shape_mesh::get_build_count() - builds;
    s.live_textures = device_->render->live_texture_count();
    if (device_->device) {
      for (const d3d8::RecordedCall& call : device_->device->Calls()) s.primitives_drawn += call.primitiveCount;
      device_->device->ClearCalls();
    }
    steps_.push_back(s);
    if (after_step) after_step();
  };
  step([&] {
    def_ = Adopt(static_cast<swf::movie_def_impl*>(swf::create_movie("hostile.swf")));
    if (def_) root_ = Adopt(static_cast<swf::movie_root*>(def_->create_instance()));
    if (root_) root_->set_display_viewport(0, 0, 800, 600);
  });
  for (int frame = 0; frame < frames && root_; ++frame) {
    step([&] {
      const auto start = std::chrono::steady_clock::now();
      root_->advance(1.0f / 12.0f + 1e-4f);
      advance_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      counts = swf::get_action_frame_counts();
      root_->display();
    });
  }
}

const HostileStep& HostilePlayer::HeaviestFrame() const {
  size_t heaviest = steps_.size() > 1 ? 1 : 0;
  for (size_t i = 1; i < steps_.size(); ++i) {
    if (steps_[i].counts.units > steps_[heaviest].counts.units) heaviest = i;
  }
  return steps_[heaviest];
}

}  // namespace swftest
