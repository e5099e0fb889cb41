// What a movie's scripts hold, and the scales and turn they read back. Each case is a
// small movie made by our writer and the counted outcome it shows: the bytes its scripts
// hold frame by frame, the frames its actions were cut short in, the log lines, and the
// values its scripts read back.

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/swf/action/builtins.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/memory_account.h"
#include "engine/swf/movie/movie_root.h"
#include "tests/swf/PlayerFixture.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using A = swfw::Actions;
using swf::script_value;
using swftest::Bytes;
using swftest::Played;

constexpr size_t kBound = swf::limits::kMaxScriptBytesPerMovie;
constexpr int kTextBytes = 1 << 20;  // the megabyte text the movies make
const char* const kMemoryLine = "error: the movie's scripts would hold more than";
// The bytes a text of the movies' megabyte holds.
const size_t kTextHeld = static_cast<size_t>(swf::string::heap_bytes(kTextBytes));
// Room for what a case holds beside its texts: tables of a few names, an object.
constexpr size_t kSmall = 16 << 10;

// ---- writing the movies' scripts ----------------------------------------------------------

// Runs body times times, counting in the timeline variable counter.
void Repeat(A& a, const std::string& counter, int times, const A& body) {
  a.Push({A::Str(counter), A::Int(0)}).Op("SetVariable");
  a.Label(counter + "_top").Push({A::Str(counter)}).Op("GetVariable").Push({A::Int(times)}).Op("Less2").Op("Not");
  a.If(counter + "_end").Raw(body.Build(false));
  a.Push({A::Str(counter), A::Str(counter)}).Op("GetVariable").Op("Increment").Op("SetVariable");
  a.Jump(counter + "_top").Label(counter + "_end");
}

// name = a text of kTextBytes bytes: "x" doubled twenty times.
A MegabyteText(const char* name) {
  A a;
  a.Push({A::Str(name), A::Str("x")}).Op("SetVariable");
  A twice;
  twice.Push({A::Str(name), A::Str(name)}).Op("GetVariable").Push({A::Str(name)}).Op("GetVariable").Op("Add2");
  twice.Op("SetVariable");
  Repeat(a, "doubling", 20, twice);
  return a;
}

// name = new String(<the value of variable from>).
A NewStringOf(const char* name, const char* from) {
  A a;
  a.Push({A::Str(name), A::Str(from)}).Op("GetVariable").Push({A::Int(1), A::Str("String")}).Op("NewObject");
  a.Op("SetVariable");
  return a;
}

// name = <value of from>.<member>
A CopyMember(const char* name, const char* from, const char* member) {
  A a;
  a.Push({A::Str(name), A::Str(from)}).Op("GetVariable").Push({A::Str(member)}).Op("GetMember").Op("SetVariable");
  return a;
}

// name = <value of from>
A CopyVariable(const char* name, const char* from) {
  A a;
  a.Push({A::Str(name), A::Str(from)}).Op("GetVariable").Op("SetVariable");
  return a;
}

A SetNumber(const char* name, int value) {
  A a;
  a.Push({A::Str(name), A::Int(value)}).Op("SetVariable");
  return a;
}

A Then(std::vector<A> parts) {
  A all;
  for (const A& part : parts) all.Raw(part.Build(false));
  return all;
}

// Frames of actions, the last one stopping the movie.
Bytes FramesOfActions(std::vector<A> frames) {
  frames.back().Op("Stop");
  std::vector<std::vector<Bytes>> timeline;
  for (const A& frame : frames) timeline.push_back({swfw::DoAction(frame.Build())});
  return swftest::MovieOfFrames(timeline);
}

// this[prefix + n] = <the value that the code pushes>, and n counts up.
A StoreAsNextMember(const char* prefix, const A& value) {
  A a;
  a.Push({A::Str("this")}).Op("GetVariable").Push({A::Str(prefix), A::Str("n")}).Op("GetVariable").Op("Add2");
  a.Raw(value.Build(false)).Op("SetMember");
  a.Push({A::Str("n"), A::Str("n")}).Op("GetVariable").Op("Increment").Op("SetVariable");
  return a;
}

// n = 0, and onEnterFrame = a function of the body.
A OnEnterFrame(const A& body) {
  A a = SetNumber("n", 0);
  a.Push({A::Str("onEnterFrame")}).DefineFunction("", {}, body).Op("SetVariable");
  return a;
}

// Frame 0 makes the text s; frame 1 makes the String object S of it and an onEnterFrame
// that stores `copies` new String objects of S as members m0, m1 ... of the root, counting
// them in n.
Bytes StringObjectsEveryFrame(int copies) {
  A new_string;
  new_string.Push({A::Str("S")}).Op("GetVariable").Push({A::Int(1), A::Str("String")}).Op("NewObject");
  A body;
  Repeat(body, "k", copies, StoreAsNextMember("m", new_string));
  return FramesOfActions({MegabyteText("s"), Then({NewStringOf("S", "s"), OnEnterFrame(body)})});
}

// ---- playing them -------------------------------------------------------------------------

// A case's movie as played: the movie (still open while the check runs) and what was
// counted after each frame.
struct MemoryRun {
  Played* played = nullptr;
  std::vector<size_t> held;         // the bytes its scripts hold after each frame
  std::vector<size_t> refusals;     // memory lines logged in each frame
  std::string log;

  int Frames() const { return static_cast<int>(held.size()); }
  std::string Variable(const char* name) const { return played->root->get_variable(name); }
  script_value Value(const char* name) const {
    return played->sprite()->get_environment()->get_variable(swf::string(name), swf::scope_chain());
  }
  // The first frame that logged the memory line, or -1.
  int FirstRefusal() const {
    for (int f = 0; f < Frames(); ++f) {
      if (refusals[f] > 0) return f;
    }
    return -1;
  }
};

struct MemoryCase {
  const char* name;
  std::function<Bytes()> movie;
  int frames;
  std::function<void(const MemoryRun&)> check;
};

void PrintTo(const MemoryCase& c, std::ostream* out) { *out << c.name; }

// Plays the case's movie frame by frame, counting after each frame, runs its check, then
// closes the movie: what its scripts were charged is back to zero.
void PlayMemoryCase(const MemoryCase& c) {
  const size_t held_before = swf::get_held_script_bytes();
  swf::memory_account_id account = 0;
  {
    swftest::SwfLogCapture log;
    Played played(c.movie());
    account = played.root->get_memory_account();
    MemoryRun run;
    run.played = &played;
    for (int frame = 0; frame < c.frames; ++frame) {
      swf::reset_log_rate();
      const size_t lines_before = log.Count(kMemoryLine);
      // The first advance plays frame 0 only; each later one the next frame.
      played.root->advance(frame == 0 ? 0.0f : 1.0f / 12.0f + 1e-4f);
      run.held.push_back(played.root->get_script_bytes());
      run.refusals.push_back(log.Count(kMemoryLine) - lines_before);
      // What the movie holds never passes its bound.
      EXPECT_LE(run.held.back(), kBound) << c.name << ", frame " << frame;
    }
    run.log = log.All();
    std::printf("| %-50s | first refused in frame %3d | %7.2f MB held at the end |\n", c.name, run.FirstRefusal(),
                static_cast<double>(run.held.back()) / (1 << 20));
    c.check(run);
  }
  EXPECT_EQ(swf::get_memory_account_bytes(account), 0u) << c.name;
  EXPECT_EQ(swf::get_held_script_bytes(), held_before) << c.name;
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

// The text of the String object a variable holds (empty when it holds none).
std::string StringObjectText(const MemoryRun& run, const std::string& name) {
  auto* object = dynamic_cast<swf::string_object*>(run.Value(name.c_str()).to_object());
  return object ? std::string(object->m_text.c_str(), static_cast<size_t>(object->m_text.length())) : std::string();
}

// The bound stopped the movie: from the first frame refused on, each frame logs the line
// once and holds what the one before held, and nothing before logs it.
void TheBoundStoppedEveryFrameFromTheFirstRefusal(const MemoryRun& run) {
  const int first = run.FirstRefusal();
  ASSERT_GE(first, 0) << run.log.substr(0, 2000);
  for (int f = 0; f < run.Frames(); ++f) {
    EXPECT_EQ(run.refusals[f], f >= first ? 1u : 0u) << "frame " << f;
    if (f > first) {
      EXPECT_EQ(run.held[f], run.held[first]) << "frame " << f;
    }
  }
}

const MemoryCase kMemoryCases[] = {
    // A copy of a text is charged; the String constructor charges the text it copies; one
    // String object in three variables is charged once. Releasing them all gives back
    // exactly what they were charged.
    {"a copied text is charged, a shared object once",
     [] {
       return FramesOfActions({MegabyteText("s"),
                               Then({CopyVariable("t", "s"), NewStringOf("o", "s"), CopyVariable("p", "o"),
                                     CopyVariable("q", "o")}),
                               Then({SetNumber("t", 0), SetNumber("o", 0), SetNumber("p", 0), SetNumber("q", 0)})});
     },
     3,
     [](const MemoryRun& run) {
       ASSERT_EQ(run.Frames(), 3);
       EXPECT_EQ(run.Variable("s").size(), static_cast<size_t>(kTextBytes));
       EXPECT_GE(run.held[0], kTextHeld);
       EXPECT_LT(run.held[0], kTextHeld + kSmall);
       EXPECT_GE(run.held[1] - run.held[0], 2 * kTextHeld);
       EXPECT_LT(run.held[1] - run.held[0], 2 * kTextHeld + kSmall);
       EXPECT_EQ(run.held[2], run.held[0]);
     }},
    // GetMember copies the member's text onto the stack, and SetVariable into a variable:
    // the variable holds exactly one text more.
    {"GetMember charges the text it copies",
     [] {
       A object;
       object.Push({A::Str("o"), A::Int(0), A::Str("Object")}).Op("NewObject").Op("SetVariable");
       object.Push({A::Str("o")}).Op("GetVariable").Push({A::Str("t"), A::Str("s")}).Op("GetVariable");
       object.Op("SetMember");
       return FramesOfActions({MegabyteText("s"), object, CopyMember("v", "o", "t"), SetNumber("v", 0)});
     },
     4,
     [](const MemoryRun& run) {
       ASSERT_EQ(run.Frames(), 4);
       EXPECT_GE(run.held[1] - run.held[0], kTextHeld);  // o.t
       EXPECT_EQ(run.held[2] - run.held[1], kTextHeld);  // v
       EXPECT_EQ(run.held[3], run.held[1]);
     }},
    // The movie of the report: a hundred String objects of a megabyte a frame. The String
    // constructor that would pass the bound makes nothing, the frame's actions end, and
    // every object stored before stays with its text.
    {"String objects of a megabyte stored every frame", [] { return StringObjectsEveryFrame(100); }, 40,
     [](const MemoryRun& run) {
       TheBoundStoppedEveryFrameFromTheFirstRefusal(run);
       const int first = run.FirstRefusal();
       ASSERT_GE(first, 0);
       EXPECT_GT(run.held[first] + 3 * kTextHeld, kBound);
       const int stored = std::atoi(run.Variable("n").c_str());
       ASSERT_GT(stored, 0);
       for (int i = 0; i < stored; ++i) {
         EXPECT_EQ(StringObjectText(run, "m" + std::to_string(i)).size(), static_cast<size_t>(kTextBytes)) << i;
       }
       EXPECT_TRUE(run.Value(("m" + std::to_string(stored)).c_str()).is_undefined());
       // The last frame's first store was refused: its loop never counted a copy.
       EXPECT_EQ(run.Variable("k"), "0");
     }},
    // Arrays of 10,000 elements, four a frame: their member tables reach the bound.
    {"arrays of 10,000 elements stored every frame", [] { return ArraysEveryFrame(4, 10000); }, 60,
     [](const MemoryRun& run) {
       TheBoundStoppedEveryFrameFromTheFirstRefusal(run);
       const int stored = std::atoi(run.Variable("n").c_str());
       ASSERT_GT(stored, 0);
       script_value last_element;
       ASSERT_NE(run.Value(("a" + std::to_string(stored - 1)).c_str()).to_object(), nullptr);
       EXPECT_TRUE(run.Value(("a" + std::to_string(stored - 1)).c_str())
                       .to_object()
                       ->get_member(swf::string("9999"), &last_element));
       EXPECT_TRUE(run.Value(("a" + std::to_string(stored)).c_str()).is_undefined());
     }},
};

class SwfScriptMemory : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(SwfScriptMemory, HeldBytesAreCountedAndBounded) { PlayMemoryCase(GetParam()); }

std::string MemoryCaseName(const ::testing::TestParamInfo<MemoryCase>& info) {
  std::string name;
  for (const char* c = info.param.name; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Table, SwfScriptMemory, ::testing::ValuesIn(kMemoryCases), MemoryCaseName);

// ---- accounts ------------------------------------------------------------------------------

// A closed account lives on while texts charged to it live, and its number names a new
// account only once they are freed: a late release never reaches the account of another
// movie.
TEST(SwfScriptMemory, AClosedAccountLivesUntilWhatItHoldsIsFreed) {
  const size_t held_before = swf::get_held_script_bytes();
  const swf::memory_account_id first = swf::open_memory_account(kBound);
  auto text = std::make_unique<swf::string>(std::string(100, 't'));
  text->charge_to_account(first);
  text->charge_to_account(first);  // charged once
  EXPECT_EQ(swf::get_memory_account_bytes(first), static_cast<size_t>(swf::string::heap_bytes(100)));
  swf::string moved = std::move(*text);  // the bytes move, and their charge with them
  text.reset();
  swf::close_memory_account(first);
  const swf::memory_account_id second = swf::open_memory_account(kBound);
  EXPECT_NE(second, first);
  EXPECT_EQ(swf::get_memory_account_bytes(first), static_cast<size_t>(swf::string::heap_bytes(100)));
  moved.resize(1000);  // grown: charged with what it reserves now
  EXPECT_EQ(swf::get_memory_account_bytes(first), static_cast<size_t>(swf::string::heap_bytes(1000)));
  moved = swf::string();
  EXPECT_EQ(swf::get_memory_account_bytes(first), 0u);
  EXPECT_EQ(swf::get_memory_account_bytes(second), 0u);
  swf::close_memory_account(second);
  EXPECT_EQ(swf::get_held_script_bytes(), held_before);
  // Both numbers are free again.
  const swf::memory_account_id third = swf::open_memory_account(kBound);
  EXPECT_TRUE(third == first || third == second);
  swf::close_memory_account(third);
}

// ---- two movies at once -------------------------------------------------------------------

// Frame 0 makes the text s and an onEnterFrame that copies it into a member c0, c1 ... of
// the root each frame, counting them in n.
Bytes TextCopiesEveryFrame() {
  A text;
  text.Push({A::Str("s")}).Op("GetVariable");
  return FramesOfActions({Then({MegabyteText("s"), OnEnterFrame(StoreAsNextMember("c", text))})});
}

// Each movie root has a bound of its own: a movie at its bound stops only its own scripts,
// and the one playing beside it goes on holding more.
TEST(SwfScriptMemory, EachMovieHasABoundOfItsOwn) {
  const size_t held_before = swf::get_held_script_bytes();
  {
    swftest::SwfLogCapture log;
    Played full(StringObjectsEveryFrame(100));
    Played beside(TextCopiesEveryFrame());
    full.root->advance(0.0f);
    beside.root->advance(0.0f);
    // The first movie plays up to its bound.
    for (int frame = 0; frame < 100 && !log.Contains(kMemoryLine); ++frame) {
      full.root->advance(1.0f / 12.0f + 1e-4f);
    }
    ASSERT_TRUE(log.Contains(kMemoryLine));
    EXPECT_GT(full.root->get_script_bytes() + 3 * kTextHeld, kBound);
    size_t lines_of_beside = 0;
    constexpr int kFrames = 6;
    for (int frame = 0; frame < kFrames; ++frame) {
      swf::reset_log_rate();
      full.root->advance(1.0f / 12.0f + 1e-4f);
      const size_t before = log.Count(kMemoryLine);
      beside.root->advance(1.0f / 12.0f + 1e-4f);
      lines_of_beside += log.Count(kMemoryLine) - before;
    }
    EXPECT_EQ(lines_of_beside, 0u);
    EXPECT_EQ(std::string(beside.root->get_variable("n")), std::to_string(kFrames));
    EXPECT_GE(beside.root->get_script_bytes(), (kFrames + 1) * kTextHeld);
    EXPECT_EQ(swf::get_held_script_bytes(),
              held_before + full.root->get_script_bytes() + beside.root->get_script_bytes());
  }
  EXPECT_EQ(swf::get_held_script_bytes(), held_before);
}

// ---- scales and turn read back as set ---------------------------------------------------

// A 20 x 10 pixel box in a sprite placed as "c" at (100, 50) pixels.
struct ScaleCase {
  const char* name;
  std::vector<std::pair<const char*, double>> sets;  // property and value, in order
  double xscale, yscale, rotation;                   // what the script reads back
};

// The case's sets on c, then xs, ys and rot = c's _xscale, _yscale and _rotation; c is
// placed with the matrix given.
Bytes ScaleMovie(const ScaleCase& k, swfw::Matrix placement = swfw::Matrix::Translate(2000, 1000)) {
  A a;
  for (const auto& [property, value] : k.sets) {
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
  Bytes box = swfw::DefineShape(swfw::kDefineShape, 1, swfw::RectangleShape(400, 200, {255, 0, 0, 255}));
  return swftest::MovieOfFrames({{box, swftest::SpriteOfFrames(10, {{swftest::Place(1, 1)}}),
                                  swfw::PlaceObject2(c, 6), swfw::DoAction(a.Build())}});
}

TEST(SwfScaleAndRotation, AScriptReadsBackWhatItSet) {
  const ScaleCase cases[] = {
      {"y scale -100", {{"_yscale", -100}}, 100, -100, 0},
      {"y scale -50", {{"_yscale", -50}}, 100, -50, 0},
      {"x scale -100", {{"_xscale", -100}}, -100, 100, 0},
      {"y mirrored, then turned to 0 stays y mirrored", {{"_yscale", -100}, {"_rotation", 0}}, 100, -100, 0},
      {"y mirrored, then x scaled", {{"_yscale", -100}, {"_xscale", 50}}, 50, -100, 0},
      {"turned, then y mirrored", {{"_rotation", 90}, {"_yscale", -100}}, 100, -100, 90},
      {"y mirrored, then sized", {{"_yscale", -100}, {"_height", 30}}, 100, -300, 0},
      {"a turn past half is read within it", {{"_rotation", 270}}, 100, 100, -90},
  };
  for (const ScaleCase& k : cases) {
    Played p(ScaleMovie(k));
    p.root->advance(0.0f);
    auto read = [&](const char* name) { return std::atof(p.root->get_variable(name)); };
    EXPECT_NEAR(read("xs"), k.xscale, 1e-3) << k.name;
    EXPECT_NEAR(read("ys"), k.yscale, 1e-3) << k.name;
    EXPECT_NEAR(read("rot"), k.rotation, 1e-3) << k.name;
    // What is drawn is the matrix of what was read back.
    swf::matrix drawn;
    drawn.set_scale_rotation(static_cast<float>(k.xscale / 100.0), static_cast<float>(k.yscale / 100.0),
                             static_cast<float>(k.rotation * 0.017453292));
    const swf::matrix& m = p.child("c")->get_matrix();
    for (int r = 0; r < 2; ++r) {
      for (int col = 0; col < 2; ++col) EXPECT_NEAR(m.m_[r][col], drawn.m_[r][col], 1e-6) << k.name;
    }
    EXPECT_EQ(m.m_[0][2], 2000.0f) << k.name;
    EXPECT_EQ(m.m_[1][2], 1000.0f) << k.name;
  }
}

// One set of a scale or the turn on a placed clip draws what it drew before the values
// were kept: the matrix of the placement's own scales and turn with the one value changed.
TEST(SwfScaleAndRotation, OneSetOnAPlacedClipGivesTheMatrixOfThePlacement) {
  // Mirrored, scaled unevenly and turned.
  swfw::Matrix placement = swfw::Matrix::Translate(2000, 1000);
  placement.hasScale = placement.hasRotate = true;
  placement.scaleX = -1.5;
  placement.scaleY = 0.5;
  placement.rotateSkew0 = 0.25;
  placement.rotateSkew1 = -0.25;
  const struct {
    const char* property;
    double value;
  } sets[] = {{"_xscale", 50}, {"_yscale", -100}, {"_rotation", 30}};
  for (const auto& set : sets) {
    Played p(ScaleMovie({set.property, {}, 0, 0, 0}, placement));
    p.root->advance(0.0f);
    swf::character* c = p.child("c");
    ASSERT_NE(c, nullptr);
    const swf::matrix before = c->get_matrix();
    float x = before.get_x_scale(), y = before.get_y_scale(), turn = before.get_rotation();
    const std::string name = set.property;
    if (name == "_xscale") x = static_cast<float>(set.value / 100.0);
    if (name == "_yscale") y = static_cast<float>(set.value / 100.0);
    if (name == "_rotation") turn = static_cast<float>(set.value * 0.017453292);
    c->set_member(swf::string(set.property), script_value(set.value));
    swf::matrix expected = before;
    expected.set_scale_rotation(x, y, turn);
    EXPECT_TRUE(c->get_matrix() == expected) << set.property;
  }
}

// A placement that changes the matrix's scales or turn is read from the matrix again; one
// that moves the clip only keeps what the script set.
TEST(SwfScaleAndRotation, APlacementThatTurnsOrScalesIsReadFromItsMatrix) {
  Played p(ScaleMovie({"y scale -100", {{"_yscale", -100}}, 100, -100, 0}));
  p.root->advance(0.0f);
  swf::character* c = p.child("c");
  ASSERT_NE(c, nullptr);
  auto read = [&](const char* name) {
    script_value v;
    EXPECT_TRUE(c->get_member(swf::string(name), &v)) << name;
    return v.to_number();
  };
  swf::matrix moved = c->get_matrix();
  moved.m_[0][2] += 400.0f;
  c->set_matrix(moved);
  EXPECT_NEAR(read("_yscale"), -100, 1e-3);
  EXPECT_NEAR(read("_rotation"), 0, 1e-3);

  swf::matrix turned;
  turned.set_scale_rotation(2.0f, 2.0f, static_cast<float>(90 * 0.017453292));
  c->set_matrix(turned);
  EXPECT_NEAR(read("_xscale"), 200, 1e-3);
  EXPECT_NEAR(read("_yscale"), 200, 1e-3);
  EXPECT_NEAR(read("_rotation"), 90, 1e-3);
}

}  // namespace
