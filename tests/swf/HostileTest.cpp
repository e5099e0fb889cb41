// Damaged and hostile movies: each ends in log lines and a definition or none, in
// bounded time and memory. The cost table at the end plays every hostile movie of
// tests/swf/support/HostileMovies, whose scripts loop, hold memory, free what they run on
// or read back what they set, and asserts what the player counted.

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "engine/swf/action/builtins.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/memory_account.h"
#include "engine/swf/movie/button.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/sprite_definition.h"
#include "engine/swf/text/edit_text.h"
#include "engine/swf/text/font.h"
#include "tests/swf/PlayerFixture.h"
#include "tests/swf/support/HostileMovies.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfSampleMovies.h"
#include "tools/swfwriter/SwfWriter.h"

#if defined(__SANITIZE_ADDRESS__)
#define PELLAVO_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELLAVO_TEST_ASAN 1
#endif
#endif
#if defined(PELLAVO_TEST_ASAN)
// The sanitizer's count of the bytes the program holds (its allocator's own interface).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using swftest::Bytes;
using swftest::Concat;
using swf::script_value;

Bytes OneFrame(const std::vector<Bytes>& tags, int version = 6) {
  swfw::Movie movie;
  movie.version = version;
  for (const Bytes& tag : tags) movie.Add(tag);
  movie.ShowFrame().End();
  return movie.Build();
}

// Sprites nested `depth` deep, the innermost holding a label.
Bytes NestedSprites(int depth) {
  Bytes inner = Concat({swfw::FrameLabel("deep"), swfw::Tag(1, {}), swfw::Tag(0, {})});
  for (int level = depth; level >= 1; --level) {
    inner = Concat({swfw::DefineSprite(static_cast<uint16_t>(level), 1, inner), swfw::Tag(1, {}), swfw::Tag(0, {})});
  }
  // The outermost sprite's own tags end with the movie's.
  swfw::Movie movie;
  movie.Add(Bytes(inner.begin(), inner.end() - 4)).ShowFrame().End();
  return movie.Build();
}

TEST(SwfHostile, EveryCutOfTheSampleMoviesLoadsOrIsRefused) {
  swftest::RecordingSoundHandler sound;
  swftest::RecordingRenderHandler render;
  swftest::MemoryFiles files;
  for (const auto& [name, bytes] : swfw::SampleMovies()) {
    files.Add(name, bytes);
  }
  auto start = std::chrono::steady_clock::now();
  for (const auto& [name, bytes] : swfw::SampleMovies()) {
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
      swftest::SwfLogCapture log;
      swftest::LoadMovie(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)), "cut.swf");
    }
    swf::clear_library();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

struct HostileCase {
  const char* name;
  Bytes movie;
  const char* expected_line;  // a line the load must log ("" for none in particular)
};

// A small JPEG whose frame header claims the given size.
Bytes JpegClaiming(int width, int height) {
  Bytes j = swfw::EncodeJpeg(8, 8, std::vector<swfw::Color>(64));
  for (size_t i = 0; i + 8 < j.size(); ++i) {
    if (j[i] == 0xFF && j[i + 1] == 0xC0) {  // frame header: precision, height, width
      j[i + 5] = static_cast<uint8_t>(height >> 8);
      j[i + 6] = static_cast<uint8_t>(height);
      j[i + 7] = static_cast<uint8_t>(width >> 8);
      j[i + 8] = static_cast<uint8_t>(width);
      break;
    }
  }
  return j;
}

TEST(SwfHostile, Table) {
  Bytes bomb_data = swfw::ZlibCompress(Bytes(size_t(8) << 20, 0));
  swfw::Movie lying_header;
  lying_header.fileLengthOverride = 0xFFFFFFFFu;
  lying_header.Add(swfw::SetBackgroundColor({})).ShowFrame().End();
  swfw::Movie short_header;
  short_header.fileLengthOverride = 3;
  short_header.ShowFrame().End();

  const HostileCase cases[] = {
      {"tag length 0xFFFFFFFF", OneFrame({swfw::Tag(9, {1, 2, 3}, {true, 0xFFFFFFFFu})}), ""},
      {"tag length 0x7FFFFFFF", OneFrame({swfw::Tag(12, {0}, {true, 0x7FFFFFFFu})}), ""},
      {"tag length 0x80000000", OneFrame({swfw::Tag(39, {0}, {true, 0x80000000u})}), ""},
      {"header length 0xFFFFFFFF", lying_header.Build(), ""},
      {"header length 0xFFFFFFFF compressed", lying_header.Build(true), ""},
      {"header length 3", short_header.Build(), ""},
      {"sprites 20 deep", NestedSprites(20), "nested deeper than"},
      {"bitmap 65535 x 65535",
       OneFrame({swfw::DefineBitsLosslessRaw(1, true, 5, 65535, 65535, swfw::ZlibCompress(Bytes(64, 1)))}),
       "too large"},
      {"jpeg 8192 x 8192", OneFrame({swfw::DefineBitsJPEG2(1, JpegClaiming(8192, 8192))}), "too large"},
      {"jpeg budget, charged before decoding",
       OneFrame({swfw::DefineBitsJPEG2(1, JpegClaiming(4000, 4000)), swfw::DefineBitsJPEG2(2, JpegClaiming(4000, 4000)),
                 swfw::DefineBitsJPEG2(3, JpegClaiming(4000, 4000)), swfw::DefineBitsJPEG2(4, JpegClaiming(4000, 4000)),
                 swfw::DefineBitsJPEG3(5, JpegClaiming(4000, 4000), {}),
                 swfw::DefineBitsJPEG2(6, JpegClaiming(4000, 4000))}),
       "bytes of decoded bitmaps, sounds and glyph outlines"},
      {"lossless zip bomb into a small bitmap",
       OneFrame({swfw::DefineBitsLosslessRaw(1, true, 5, 16, 16, bomb_data)}), ""},
      {"lossless budget",
       OneFrame({swfw::DefineBitsLosslessRaw(1, true, 5, 4096, 4096, bomb_data),
                 swfw::DefineBitsLosslessRaw(2, true, 5, 4096, 4096, bomb_data),
                 swfw::DefineBitsLosslessRaw(3, true, 5, 4096, 4096, bomb_data)}),
       "bytes of decoded bitmaps, sounds and glyph outlines"},
      {"broken jpeg", OneFrame({swfw::DefineBitsJPEG2(1, {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00})}),
       "internal error in jpeglib"},
      {"jpeg3 size past the tag", OneFrame({swfw::Tag(35, {1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xD8})}),
       "passes the end of the tag"},
      {"adpcm count 0xFFFFFFFF", OneFrame({swfw::DefineSound(1, {1, 3, true, true}, 0xFFFFFFFFu, Bytes(100, 0x5A))}),
       ""},
      {"pcm count 0xFFFFFFFF", OneFrame({swfw::DefineSound(1, {3, 3, true, true}, 0xFFFFFFFFu, Bytes(10, 1))}), ""},
      {"clip events without end",
       OneFrame({swfw::Tag(26, {0x82, 1, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0})}), ""},
      {"string without NUL", OneFrame({swfw::Tag(43, {'a', 'b', 'c'})}), ""},
      {"export count 65535", OneFrame({swfw::Tag(56, {0xFF, 0xFF, 1, 0})}), ""},
      {"import count 65535 of a missing movie", OneFrame({swfw::Tag(57, {'x', '.', 's', 'w', 'f', 0, 0xFF, 0xFF})}),
       "can't import movie from url x.swf"},
      {"import of an absolute path", OneFrame({swfw::ImportAssets("/etc/passwd", {{1, "a"}})}),
       "names no file beside the movie"},
      {"import from a parent folder", OneFrame({swfw::ImportAssets("../secret.swf", {{1, "a"}})}),
       "names no file beside the movie"},
      {"action records past the tag", OneFrame({swfw::DoAction({0x96, 0xFF, 0xFF, 0x00})}), ""},
      {"place object cut", OneFrame({swfw::Tag(26, {0xFF})}), ""},
      {"frame count 0 with commands", [] {
         swfw::Movie m;
         m.frameCount = 0;
         m.Add(swfw::SetBackgroundColor({})).ShowFrame().End();
         return m.Build();
       }(), ""},
  };
  swftest::RecordingSoundHandler sound;
  for (const HostileCase& c : cases) {
    swftest::SwfLogCapture log;
    auto start = std::chrono::steady_clock::now();
    swftest::LoadMovie(c.movie, "hostile.swf");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << c.name;
    if (c.expected_line[0]) {
      EXPECT_TRUE(log.Contains(c.expected_line)) << c.name << "\n" << log.All();
    }
    swf::clear_library();
  }
  for (const auto& s : sound.sounds) EXPECT_LE(s.data.size(), 100u * 8);
}

TEST(SwfHostile, SpritesNestUpToTheLimit) {
  swftest::SwfLogCapture log;
  auto ok = swftest::LoadMovie(NestedSprites(swf::limits::kMaxSpriteNesting));
  ASSERT_TRUE(ok);
  EXPECT_FALSE(log.Contains("nested deeper than")) << log.All();
  auto deep = swftest::LoadMovie(NestedSprites(20));
  ASSERT_TRUE(deep);
  EXPECT_NE(deep->get_character_def(1), nullptr);
  EXPECT_EQ(log.Count("nested deeper than"), 1u);  // the 17th, with all inside it
}

TEST(SwfHostile, SelfAndMutualImportsAreRefused) {
  swftest::SwfLogCapture log;
  swftest::MemoryFiles files;
  files.Add("self.swf", OneFrame({swfw::ImportAssets("self.swf", {{1, "a"}}), swfw::ExportAssets({{1, "a"}})}));
  files.Add("a.swf", OneFrame({swfw::DefineSprite(1, 1, {}), swfw::ExportAssets({{1, "fromA"}}),
                               swfw::ImportAssets("b.swf", {{2, "fromB"}})}));
  files.Add("b.swf", OneFrame({swfw::DefineSprite(1, 1, {}), swfw::ExportAssets({{1, "fromB"}}),
                               swfw::ImportAssets("a.swf", {{2, "fromA"}})}));
  auto self = swftest::Adopt(swf::create_library_movie("self.swf"));
  EXPECT_TRUE(self);
  EXPECT_EQ(log.Count("error: movie 'self.swf' imports itself; import refused\n"), 1u);
  auto a = swftest::Adopt(swf::create_library_movie("a.swf"));
  ASSERT_TRUE(a);
  EXPECT_EQ(log.Count("error: movie 'a.swf' imports itself; import refused\n"), 1u);
  EXPECT_NE(a->get_character_def(2), nullptr);  // b.swf loaded and gave its sprite
  swf::clear_library();
}

TEST(SwfHostile, CommandsBeyondTheFrameLimitAreDropped) {
  swftest::SwfLogCapture log;
  swfw::Movie movie;
  movie.frameCount = 1;
  Bytes frames;
  for (int i = 0; i < swf::limits::kMaxFrames + 5; ++i) {
    frames.insert(frames.end(), {0x40, 0x00});  // ShowFrame
  }
  movie.Add(frames).Add(swfw::SetBackgroundColor({})).End();
  auto m = swftest::LoadMovie(movie.Build());
  ASSERT_TRUE(m);
  EXPECT_EQ(log.Count("command dropped"), 1u);
}

// A handler that runs out of memory when asked for a sound.
class StarvedSoundHandler : public swftest::RecordingSoundHandler {
 public:
  int create_sound(void*, int, int, format_type, int, bool) override { throw std::bad_alloc(); }
};

TEST(SwfHostile, RunningOutOfMemoryRefusesTheMovie) {
  StarvedSoundHandler sound;
  swftest::SwfLogCapture log;
  auto m = swftest::LoadMovie(OneFrame({swfw::DefineSound(1, {}, 2, swfw::PcmBytes({1, 2}))}), "big.swf");
  EXPECT_FALSE(m);
  EXPECT_EQ(log.Count("error: out of memory reading 'big.swf'; can't create movie.\n"), 1u);
  // The next movie loads as usual.
  swftest::RecordingSoundHandler working;
  EXPECT_TRUE(swftest::LoadMovie(OneFrame({}), "small.swf"));
}

// ---- playing hostile movies -------------------------------------------------------------

// Instances that would contain themselves stop at the nesting bound with one line each
// time, and the movie plays on.
TEST(SwfHostile, SelfContainingCharactersAreRefused) {
  using swftest::Place;
  using swftest::SpriteOfFrames;
  swfw::ButtonRecord self_record;
  self_record.characterId = 2;
  self_record.hitTest = true;
  struct Case {
    const char* name;
    Bytes movie;
  };
  const Case cases[] = {
      {"a sprite placing itself", swftest::MovieOfFrames({{SpriteOfFrames(5, {{Place(5, 1)}}), Place(5, 1)}})},
      {"two sprites placing each other",
       swftest::MovieOfFrames({{SpriteOfFrames(5, {{Place(6, 1)}}), SpriteOfFrames(6, {{Place(5, 1)}}), Place(5, 1)}})},
      {"a button showing itself",
       swftest::MovieOfFrames({{swfw::DefineButton2(2, false, {self_record}, {}), Place(2, 1)}})},
      {"a two-frame sprite placing itself",
       swftest::MovieOfFrames({{SpriteOfFrames(5, {{Place(5, 1)}, {}}), Place(5, 1)}})},
  };
  for (const Case& c : cases) {
    swftest::SwfLogCapture log;
    swftest::Played p(c.movie);
    p.root->advance(0);
    EXPECT_EQ(log.Count("would nest deeper than 32 characters; not placed\n"), 1u) << c.name << "\n" << log.All();
    for (int i = 0; i < 4; ++i) p.root->advance(0.1f);
    swftest::RecordingRenderHandler r;
    p.root->display();
    EXPECT_EQ(r.Count("begin_frame"), 1u) << c.name;
  }
  EXPECT_EQ(swf::get_live_character_count(), 0);
}

// A sprite that places itself twice would double its instances at every level: the count
// of live characters is bounded.
TEST(SwfHostile, SelfDoublingSpritesStopAtTheCharacterBound) {
  using swftest::Place;
  swftest::SwfLogCapture log;
  auto start = std::chrono::steady_clock::now();
  {
    swftest::Played p(swftest::MovieOfFrames(
        {{swftest::SpriteOfFrames(5, {{Place(5, 1), Place(5, 2)}}), Place(5, 1)}}));
    p.root->advance(0);
    EXPECT_EQ(swf::get_live_character_count(), swf::limits::kMaxLiveCharacters);
    p.root->advance(0.1f);
    EXPECT_EQ(swf::get_live_character_count(), swf::limits::kMaxLiveCharacters);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(swf::get_live_character_count(), 0);
}

TEST(SwfHostile, LoadFileTakesOnlyNamesInsideTheMoviesFolder) {
  using swftest::Place;
  swftest::MemoryFiles files;
  files.Add("ext.swf", swftest::MovieOfFrames({{swftest::SpriteOfFrames(7, {{}}), Place(7, 1)}}));
  swftest::Played p(swftest::MovieOfFrames({{swftest::SpriteOfFrames(10, {{}}), Place(10, 3, "slot")}}));
  p.root->advance(0);
  swftest::SwfLogCapture log;
  size_t opened_before = files.Opened().size();
  for (const char* url : {"../x.swf", "/etc/passwd", "a/../../x.swf", "c:x.swf", ""}) {
    p.sprite()->get_environment()->load_file(url, script_value(static_cast<swf::script_object*>(p.child("slot"))));
    EXPECT_TRUE(log.Contains(std::string("error: load_file('") + url +
                             "') -- only a movie inside the movie's folder can be loaded\n"))
        << url << "\n" << log.All();
  }
  EXPECT_EQ(files.Opened().size(), opened_before);
  log.Clear();

  // A movie loaded again and again in place of the last one does not pile up.
  for (int i = 0; i < 5; ++i) {
    swf::character* slot = p.sprite()->get_display_list().get_character_at_depth(3);
    p.sprite()->get_environment()->load_file("ext.swf", script_value(static_cast<swf::script_object*>(slot)));
    swf::character* loaded = p.sprite()->get_display_list().get_character_at_depth(3);
    ASSERT_NE(loaded, slot) << log.All();
    EXPECT_EQ(loaded->get_parent(), p.sprite());
    EXPECT_EQ(std::string(loaded->get_name().c_str()), "slot");
    EXPECT_EQ(p.root->get_loaded_movie_count(), 1);
  }
  swf::script_environment* env = p.sprite()->get_environment();
  env->load_file("missing.swf", script_value(static_cast<swf::script_object*>(p.child("slot"))));
  EXPECT_TRUE(log.Contains("can't create movie_definition_sub for missing.swf\n")) << log.All();
  p.root->advance(0.1f);
  // The loaded movie goes with the movie that loaded it.
  p.root = nullptr;
  EXPECT_EQ(swf::get_live_movie_count(), 0);
  swf::clear_library();
}

// ---- what hostile movies cost ------------------------------------------------------------
//
// One table: each movie of swftest::HostileMovies() is opened, played frame by frame
// (advanced, then drawn by the Direct3D handler on the recording device) and closed, and
// its row here states the counted outcome: what ended its frames' actions (the budget or
// the memory bound), the units and actions the heaviest frame spent, the commands its
// gotos replayed, the bytes its scripts held frame by frame, its log lines and traces,
// what its variables read back and what it drew, and the most heap the movie added.
// Every row also shows that its scripts never held more than the movie's bound, and that
// closing the movie left no movie root alive and gave back everything its scripts held.
// Nothing here is timed: bench_swf_hostile plays the same table and reports the time of
// each frame.

// Bytes the program holds on the heap now: the C heap's count, which takes in the blocks of
// the tracking memory manager (made from it, with the manager's records, which grow with the
// most blocks ever live) and the player's long texts (allocated from it directly, which the
// manager's own count does not see).
int64_t HeapInUse() {
#if defined(PELLAVO_TEST_ASAN)
  return static_cast<int64_t>(__sanitizer_get_current_allocated_bytes());
#else
  struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
#endif
}

constexpr int64_t kMB = int64_t(1) << 20;
constexpr int kBudget = swf::limits::kMaxActionsPerFrame;
constexpr size_t kBound = swf::limits::kMaxScriptBytesPerMovie;

using swftest::HostilePlayer;
using swftest::HostileStep;

// A play that ends cleanly: no frame's actions were cut short, no error line was logged,
// and the scripts traced these lines, in order (the next movie's after the movie's own).
struct Clean {
  std::vector<std::string> traces;
};

// A row: the movie's name in the table, the most heap it may add, what it shows while it
// is still open, and whether its play ends cleanly (checked once it is closed).
struct CountedOutcome {
  const char* name;
  int64_t max_added_bytes;
  std::function<void(const HostilePlayer&)> check;
  std::optional<Clean> clean = std::nullopt;
};

swf::sprite_instance* RootSprite(const HostilePlayer& run) {
  return static_cast<swf::sprite_instance*>(run.root()->get_root_movie());
}

// The root's variable as a number, as text, and as a value.
double Variable(const HostilePlayer& run, const char* name) {
  return script_value(run.root()->get_variable(name)).to_number();
}
std::string Text(const HostilePlayer& run, const char* name) { return run.root()->get_variable(name); }
script_value Value(const HostilePlayer& run, const std::string& name) {
  return RootSprite(run)->get_environment()->get_variable(swf::string(name.c_str()), swf::scope_chain());
}

// The heaviest frame spent the whole budget, which ended its actions with one line; it ran
// at most max_actions actions (the work past them cost the rest).
void BudgetEndedTheHeaviestFrame(const HostilePlayer& run, int max_actions) {
  ASSERT_TRUE(run.root());
  const swf::action_frame_counts& heaviest = run.HeaviestFrame().counts;
  EXPECT_TRUE(heaviest.budget_spent);
  EXPECT_FALSE(heaviest.clock_stopped);
  EXPECT_FALSE(heaviest.memory_full);
  EXPECT_EQ(heaviest.units, kBudget);
  EXPECT_GT(heaviest.actions, 0);
  EXPECT_LE(heaviest.actions, max_actions);
  EXPECT_NE(run.Log().find("actions in one frame"), std::string::npos) << run.Log().substr(0, 2000);
}

auto BudgetEnded(int max_actions) {
  return [max_actions](const HostilePlayer& run) { BudgetEndedTheHeaviestFrame(run, max_actions); };
}

// The row's check of a cut DoAction: the movie loads, one line says the tag was dropped,
// and none of its actions ran, while the whole movie does run them.
void NothingOfTheCutActionsRan(const HostilePlayer& run, bool compressed) {
  ASSERT_TRUE(run.root());
  EXPECT_NE(Text(run, "ran"), "yes");
  const std::string log = run.Log();
  size_t lines = 0;
  for (size_t at = 0; (at = log.find("the file ends inside a tag", at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, 1u) << log;
  for (const HostileStep& step : run.steps()) EXPECT_EQ(step.counts.actions, 0);
  swftest::Played whole(swftest::MovieWithLongActions(compressed));
  ASSERT_TRUE(whole.root);
  whole.root->advance(0.0f);
  EXPECT_EQ(std::string(whole.root->get_variable("ran")), "yes");
}

// ---- what scripts hold

const char* const kMemoryLine = "error: the movie's scripts would hold more than";
constexpr int kTextBytes = 1 << 20;  // the megabyte text the movies make
// The bytes a text of the movies' megabyte holds.
const size_t kTextHeld = static_cast<size_t>(swf::string::heap_bytes(kTextBytes));
// Room for what a movie holds beside its texts: tables of a few names, an object.
constexpr size_t kSmall = 16 << 10;

size_t MemoryLines(const HostileStep& step) {
  size_t lines = 0;
  for (const swftest::SwfLogCapture::Line& line : step.lines) {
    if (line.text.find(kMemoryLine) != std::string::npos) ++lines;
  }
  return lines;
}

// The first frame that logged the memory line, or -1.
int FirstRefusal(const HostilePlayer& run) {
  for (int f = 0; f < run.frames_played(); ++f) {
    if (MemoryLines(run.frame(f)) > 0) return f;
  }
  return -1;
}

// The bytes the movie's scripts held after frame f.
size_t Held(const HostilePlayer& run, int f) { return run.frame(f).script_bytes; }

// The bound stopped the movie: from the first frame refused on (three frames or more
// before the end), the memory bound ends each frame's actions with its line, once, and the
// frame holds what the one before held; no frame before logs the line.
void TheBoundStoppedEveryFrameFromTheFirstRefusal(const HostilePlayer& run) {
  const int first = FirstRefusal(run);
  ASSERT_GE(first, 0) << run.Log().substr(0, 2000);
  EXPECT_LE(first, run.frames_played() - 4);
  for (int f = 0; f < run.frames_played(); ++f) {
    EXPECT_EQ(MemoryLines(run.frame(f)), f >= first ? 1u : 0u) << "frame " << f;
    EXPECT_EQ(run.frame(f).counts.memory_full, f >= first) << "frame " << f;
    if (f > first) {
      EXPECT_EQ(Held(run, f), Held(run, first)) << "frame " << f;
    }
  }
}

// The text of the String object a variable holds (empty when it holds none).
std::string StringObjectText(const HostilePlayer& run, const std::string& name) {
  auto* object = dynamic_cast<swf::string_object*>(Value(run, name).to_object());
  return object ? std::string(object->m_text.c_str(), static_cast<size_t>(object->m_text.length())) : std::string();
}

// ---- scales and turns

// The clip "c" reads back the scales and the turn given, and is drawn with the matrix of
// them, where it was placed.
auto ReadsBack(double xscale, double yscale, double rotation) {
  return [=](const HostilePlayer& run) {
    ASSERT_TRUE(run.root());
    EXPECT_NEAR(Variable(run, "xs"), xscale, 1e-3);
    EXPECT_NEAR(Variable(run, "ys"), yscale, 1e-3);
    EXPECT_NEAR(Variable(run, "rot"), rotation, 1e-3);
    swf::matrix drawn;
    drawn.set_scale_rotation(static_cast<float>(xscale / 100.0), static_cast<float>(yscale / 100.0),
                             static_cast<float>(rotation * 0.017453292));
    swf::character* c = RootSprite(run)->get_display_list().get_character_by_name(swf::string("c"));
    ASSERT_NE(c, nullptr);
    const swf::matrix& m = c->get_matrix();
    for (int r = 0; r < 2; ++r) {
      for (int col = 0; col < 2; ++col) EXPECT_NEAR(m.m_[r][col], drawn.m_[r][col], 1e-6);
    }
    EXPECT_EQ(m.m_[0][2], 2000.0f);
    EXPECT_EQ(m.m_[1][2], 1000.0f);
  };
}

const CountedOutcome kOutcomes[] = {
    {"backward goto over 65,535 frames", 48 * kMB,
     [](const HostilePlayer& run) {
       ASSERT_TRUE(run.root());
       // The goto to the last frame replayed the command of each frame it walked and
       // spent the budget; the goto back and the Stop were dropped with the line.
       const swf::action_frame_counts& first = run.steps()[1].counts;
       EXPECT_EQ(first.commands_replayed, 65534);
       EXPECT_TRUE(first.budget_spent);
       EXPECT_EQ(first.actions, 1);
       EXPECT_EQ(run.root()->get_current_frame(), 65534);
       EXPECT_EQ(run.root()->get_play_state(), swf::movie_interface::STOP);
       EXPECT_EQ(run.steps()[2].counts.units, 0);
     }},
    {"declared frame counts: 400 sprites of 65,535 frames", 8 * kMB,
     [](const HostilePlayer& run) {
       ASSERT_TRUE(run.def());
       EXPECT_NE(run.def()->get_character_def(400), nullptr);
       auto* sprite = dynamic_cast<swf::sprite_definition*>(run.def()->get_character_def(1));
       ASSERT_NE(sprite, nullptr);
       EXPECT_EQ(sprite->get_frame_count(), 1);  // all its tag can hold
       EXPECT_EQ(run.root()->get_root_movie()->get_movie_definition()->get_frame_count(), 65535);
     }},
    {"2,000 glyph offsets sharing one 20,000-edge outline", 4 * kMB,
     [](const HostilePlayer& run) {
       ASSERT_TRUE(run.def());
       swf::font* f = run.def()->get_font(1);
       ASSERT_NE(f, nullptr);
       ASSERT_EQ(f->get_glyph_count(), 2000);
       EXPECT_NE(f->glyph_shape(0), nullptr);
       EXPECT_EQ(f->glyph_shape(0), f->glyph_shape(1999));  // one outline for all
     }},
    {"40,000 separate squares", 48 * kMB,
     [](const HostilePlayer& run) {
       ASSERT_EQ(run.steps().size(), 3u);
       // Tesselated once, in the first frame drawn, and drawn from its cache after: every
       // square (two triangles) both times.
       EXPECT_EQ(run.steps()[1].meshes_built, 1);
       EXPECT_EQ(run.steps()[2].meshes_built, 0);
       for (size_t i = 1; i < 3; ++i) EXPECT_GE(run.steps()[i].primitives_drawn, 80000) << i;
     }},
    {"gradient morph over 360 frames", 4 * kMB,
     [](const HostilePlayer& run) {
       ASSERT_EQ(run.steps().size(), 361u);
       // One gradient texture lives at a time, whatever the ratio.
       for (size_t i = 1; i < run.steps().size(); ++i) {
         EXPECT_EQ(run.steps()[i].live_textures, run.steps()[1].live_textures) << i;
       }
       EXPECT_LE(run.steps()[1].live_textures, 1);
     }},
    {"DoAction cut by the end of the file", 2 * kMB,
     [](const HostilePlayer& run) { NothingOfTheCutActionsRan(run, false); }},
    {"DoAction cut by the end of the compressed file", 2 * kMB,
     [](const HostilePlayer& run) { NothingOfTheCutActionsRan(run, true); }},
    {"a file that is not SWF", 1 * kMB,
     [](const HostilePlayer& run) {
       EXPECT_FALSE(run.def());
       EXPECT_NE(run.Log().find("file does not start with a SWF header"), std::string::npos) << run.Log();
     }},
    // Scripts charge each value they push, each name they list, each parameter and each
    // 64 bytes of text they put on the stack: a loop of few records spends the budget.
    {"push 10,000 booleans, pop, jump", 16 * kMB, BudgetEnded(40)},
    {"push 30,000 undefined, pop, jump", 16 * kMB, BudgetEnded(20)},
    {"push 10,000 texts, pop, jump", 16 * kMB, BudgetEnded(40)},
    {"push 15,000 pooled texts of 100 bytes, pop, jump", 16 * kMB, BudgetEnded(40)},
    {"push a pooled text of 30,000 bytes 1,000 times, pop, jump", 16 * kMB, BudgetEnded(10)},
    {"push a text of 30,000 bytes, pop, jump", 16 * kMB, BudgetEnded(1000)},
    {"enumerate an array of 30,000 elements, jump", 16 * kMB, BudgetEnded(20)},
    {"define a function of 10,000 parameters, pop, jump", 16 * kMB, BudgetEnded(60)},
    // Work that one action starts and a script makes long costs by its length.
    // The rows of 5,000 to 10,000 shapes on the stage hold some 50 MB more for the recording
    // device's list of the draws of a frame (the room for it stays from frame to frame).
    {"goto back over 10,000 placements, in a loop", 96 * kMB,
     [](const HostilePlayer& run) {
       BudgetEndedTheHeaviestFrame(run, 40);
       // Nine backward gotos or more placed the 10,000 again before the budget ended
       // the loop.
       EXPECT_GE(run.HeaviestFrame().counts.commands_replayed, 90000);
       EXPECT_EQ(RootSprite(run)->get_display_list().size(), 10000);
     }},
    {"charCodeAt of a 1 MB String object, in a loop", 8 * kMB, BudgetEnded(100)},
    {"duplicateMovieClip of a clip of 5,000 children, in a loop", 96 * kMB,
     [](const HostilePlayer& run) {
       BudgetEndedTheHeaviestFrame(run, 400);
       // Each clone made 5,001 characters at two units each: the budget held ten of them.
       EXPECT_GE(Variable(run, "n"), 1.0);
       EXPECT_LE(Variable(run, "n"), kBudget / (5001 * swf::limits::kBudgetUnitsPerCharacterMade) + 1);
     }},
    {"_width of a clip of 10,000 children, in a loop", 96 * kMB, BudgetEnded(600)},
    {"a name looked for among 10,000 children, in a loop", 96 * kMB, BudgetEnded(600)},
    {"locals declared without end", 8 * kMB,
     [](const HostilePlayer& run) {
       BudgetEndedTheHeaviestFrame(run, 20000);
       // Each pass searched all the locals before it, several times (its declaration, and
       // the counter, which is no local, read and set): the frame declared some 600, where
       // counting actions alone would have let it declare 10,000.
       EXPECT_LE(Variable(run, "n"), 1000.0);
     }},
    {"a path of 131,072 elements, in a loop", 8 * kMB, BudgetEnded(20)},
    {"Key listeners added without end", 8 * kMB,
     [](const HostilePlayer& run) {
       BudgetEndedTheHeaviestFrame(run, 60000);
       // Each addition walked the listeners before it: a frame adds about a thousand,
       // where counting actions alone would have let it add 4,000.
       EXPECT_LE(Variable(run, "n"), 1500.0);
     }},
    {"a text field set to texts of 512 KB, in a loop", 16 * kMB,
     [](const HostilePlayer& run) {
       BudgetEndedTheHeaviestFrame(run, 40);
       auto* field = dynamic_cast<swf::edit_text_character*>(RootSprite(run)->get_display_list()
                                                                 .get_character_by_name(swf::string("f")));
       ASSERT_NE(field, nullptr);
       // Each layout of 512 KB cost 65,536 units: a frame lays the text out at most twice
       // (the field's first text, then at most two a frame in three frames).
       const int layout_units = (512 << 10) / swf::limits::kLaidOutTextBytesPerBudgetUnit;
       EXPECT_LE(field->get_layout_count(), 1 + 3 * (kBudget / layout_units + 1));
     }},
    {"toUpperCase of a 1 MB text, in a loop", 8 * kMB, BudgetEnded(40)},
    {"a 1 MB String object compared as text, in a loop", 8 * kMB, BudgetEnded(200)},
    {"the length of a 1 MB text, in a loop", 8 * kMB, BudgetEnded(60)},
    // What scripts hold. A hundred String objects of a megabyte a frame: before the bound
    // the budget ends each frame (each copy walks its megabyte at least once, 4,096 units:
    // a frame stores a dozen, not a hundred); at the bound, the String constructor that
    // would pass it makes nothing, the frame's actions end with one line, and every object
    // stored before stays with its text.
    {"100 String objects of 1 MB stored each frame", 96 * kMB,
     [](const HostilePlayer& run) {
       BudgetEndedTheHeaviestFrame(run, 400);
       TheBoundStoppedEveryFrameFromTheFirstRefusal(run);
       const int first = FirstRefusal(run);
       ASSERT_GE(first, 3);
       const size_t most_copies = kBudget / (kTextBytes / swf::limits::kTextBytesPerBudgetUnit);
       for (int f = 2; f < first; ++f) {
         EXPECT_TRUE(run.frame(f).counts.budget_spent) << "frame " << f;
         EXPECT_GE(Held(run, f), Held(run, f - 1) + kTextHeld) << "frame " << f;
         EXPECT_LE(Held(run, f), Held(run, f - 1) + most_copies * (kTextHeld + kSmall)) << "frame " << f;
       }
       EXPECT_GT(Held(run, first) + 3 * kTextHeld, kBound);
       const int stored = static_cast<int>(Variable(run, "n"));
       ASSERT_GT(stored, 0);
       for (int i = 0; i < stored; ++i) {
         EXPECT_EQ(StringObjectText(run, "m" + std::to_string(i)).size(), static_cast<size_t>(kTextBytes)) << i;
       }
       EXPECT_TRUE(Value(run, "m" + std::to_string(stored)).is_undefined());
       // The last frame's first store was refused: its loop never counted a copy.
       EXPECT_EQ(Text(run, "i"), "0");
     }},
    // A copy of a text is charged; the String constructor charges the text it copies; one
    // String object in three variables is charged once. Releasing them all gives back
    // exactly what they were charged.
    {"a copied text is charged, a shared object once", 8 * kMB,
     [](const HostilePlayer& run) {
       ASSERT_EQ(run.frames_played(), 3);
       EXPECT_EQ(Text(run, "s").size(), static_cast<size_t>(kTextBytes));
       EXPECT_GE(Held(run, 0), kTextHeld);
       EXPECT_LT(Held(run, 0), kTextHeld + kSmall);
       EXPECT_GE(Held(run, 1) - Held(run, 0), 2 * kTextHeld);
       EXPECT_LT(Held(run, 1) - Held(run, 0), 2 * kTextHeld + kSmall);
       EXPECT_EQ(Held(run, 2), Held(run, 0));
     },
     Clean{}},
    // GetMember copies the member's text onto the stack, and SetVariable into a variable:
    // the variable holds exactly one text more.
    {"GetMember charges the text it copies", 8 * kMB,
     [](const HostilePlayer& run) {
       ASSERT_EQ(run.frames_played(), 4);
       EXPECT_GE(Held(run, 1) - Held(run, 0), kTextHeld);  // o.t
       EXPECT_EQ(Held(run, 2) - Held(run, 1), kTextHeld);  // v
       EXPECT_EQ(Held(run, 3), Held(run, 1));
     },
     Clean{}},
    // Arrays of 10,000 elements, four a frame: their member tables reach the bound.
    {"arrays of 10,000 elements stored every frame", 96 * kMB,
     [](const HostilePlayer& run) {
       TheBoundStoppedEveryFrameFromTheFirstRefusal(run);
       const int stored = static_cast<int>(Variable(run, "n"));
       ASSERT_GT(stored, 0);
       swf::script_object* last = Value(run, "a" + std::to_string(stored - 1)).to_object();
       ASSERT_NE(last, nullptr);
       script_value last_element;
       EXPECT_TRUE(last->get_member(swf::string("9999"), &last_element));
       EXPECT_TRUE(Value(run, "a" + std::to_string(stored)).is_undefined());
     }},
    // Scripts that free what they run on: each goes on safely, its removed clip reading as
    // undefined and its goto and play acting on nothing, and closing a movie leaves nothing
    // of it behind (the next movie reads no _global of the first).
    {"a function whose clip a goto removes goes on", 2 * kMB, nullptr,
     Clean{{"in s", "goes on", "local", "undefined", "called", "undefined", "after f", "3"}}},
    {"a function whose clip RemoveSprite and a GotoFrame remove goes on", 2 * kMB, nullptr,
     Clean{{"in s", "goes on", "local", "undefined", "called", "undefined", "after f", "3"}}},
    {"SetTarget \"\" makes a removed starting target current again", 2 * kMB, nullptr,
     Clean{{"in s", "s went on", "undefined", "g ends", "undefined", "3"}}},
    {"a movie that loaded itself into _root leaves no _global behind", 2 * kMB, nullptr,
     Clean{{"first movie", "undefined"}}},
    {"a movie that loaded another into a clip leaves no _global behind", 2 * kMB, nullptr,
     Clean{{"first movie", "undefined"}}},
    {"a button action removes its clip and goes on", 2 * kMB, nullptr, Clean{{"in s", "undefined", "goes on", "2"}}},
    {"a clip event removes its clip and goes on", 2 * kMB, nullptr, Clean{{"in s", "undefined", "goes on", "2"}}},
    {"a method removes the clip it was called on and goes on", 2 * kMB, nullptr,
     Clean{{"s", "undefined", "undefined", "after m", "undefined", "3"}}},
    {"a with-block on a clip its body removes goes on", 2 * kMB, nullptr,
     Clean{{"in s", "on root", "after with", "3"}}},
    {"a function called after its clip is gone runs on the caller", 2 * kMB, nullptr,
     Clean{{"on root", "f runs", "after f"}}},
    // A script reads back the scales and the turn it set, and the clip is drawn with the
    // matrix of what it reads.
    {"_yscale -100 reads back", 2 * kMB, ReadsBack(100, -100, 0), Clean{}},
    {"_yscale -50 reads back", 2 * kMB, ReadsBack(100, -50, 0), Clean{}},
    {"_xscale -100 reads back", 2 * kMB, ReadsBack(-100, 100, 0), Clean{}},
    {"y mirrored, then turned to 0, stays y mirrored", 2 * kMB, ReadsBack(100, -100, 0), Clean{}},
    {"y mirrored, then x scaled", 2 * kMB, ReadsBack(50, -100, 0), Clean{}},
    {"turned, then y mirrored", 2 * kMB, ReadsBack(100, -100, 90), Clean{}},
    {"y mirrored, then sized", 2 * kMB, ReadsBack(100, -300, 0), Clean{}},
    {"a turn past half is read within it", 2 * kMB, ReadsBack(100, 100, -90), Clean{}},
};

const CountedOutcome* OutcomeOf(const std::string& name) {
  for (const CountedOutcome& outcome : kOutcomes) {
    if (name == outcome.name) return &outcome;
  }
  return nullptr;
}

class SwfHostileCost : public ::testing::TestWithParam<swftest::HostileMovie> {};

TEST_P(SwfHostileCost, CountedOutcome) {
  const swftest::HostileMovie& row = GetParam();
  const CountedOutcome* outcome = OutcomeOf(row.name);
  ASSERT_NE(outcome, nullptr) << "no counted outcome for " << row.name;
  const size_t held_before = swf::get_held_script_bytes();
  int64_t added_bytes = 0;
  size_t most_held = 0;
  int first_refusal = -1;
  {
    HostilePlayer run;
    const int64_t before = HeapInUse();
    run.Play(row, [&] { added_bytes = std::max(added_bytes, HeapInUse() - before); });
    // The load, then every frame: the movie played on past its heaviest frame.
    ASSERT_EQ(run.steps().size(), static_cast<size_t>(run.root() ? row.frames + 1 : 1));
    for (const HostileStep& step : run.steps()) {
      EXPECT_LE(step.script_bytes, kBound);
      most_held = std::max(most_held, step.script_bytes);
    }
    first_refusal = FirstRefusal(run);
    if (outcome->check) outcome->check(run);
    run.Close();
    EXPECT_EQ(run.live_movies_after_close(), 0) << "closing a movie releases what it loaded";
    EXPECT_EQ(run.script_bytes_after_close(), 0u) << "closing a movie releases what its scripts held";
    if (outcome->clean) {
      for (const HostileStep& step : run.steps()) {
        EXPECT_FALSE(step.counts.budget_spent || step.counts.clock_stopped || step.counts.memory_full);
      }
      EXPECT_EQ(run.Errors(), std::vector<std::string>());
      EXPECT_EQ(run.Traces(), outcome->clean->traces);
    }
  }
  EXPECT_EQ(swf::get_held_script_bytes(), held_before);
  std::printf("| %-66s | %7.2f MB (bound %5.1f) | scripts held %6.2f MB | memory bound first in frame %3d |\n",
              row.name, static_cast<double>(added_bytes) / kMB, static_cast<double>(outcome->max_added_bytes) / kMB,
              static_cast<double>(most_held) / kMB, first_refusal);
  EXPECT_LE(added_bytes, outcome->max_added_bytes) << row.name;
}

std::string CostRowName(const ::testing::TestParamInfo<swftest::HostileMovie>& info) {
  std::string name;
  for (const char* c = info.param.name; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Table, SwfHostileCost, ::testing::ValuesIn(swftest::HostileMovies()), CostRowName);

}  // namespace
