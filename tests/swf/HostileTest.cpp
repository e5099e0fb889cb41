// Damaged and hostile movies: each ends in log lines and a definition or none, in
// bounded time and memory.

#include <gtest/gtest.h>

#include <malloc.h>
#include <time.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <functional>
#include <new>

#include "engine/swf/action/environment.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/movie/button.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/sprite_definition.h"
#include "engine/swf/render/render_handler_d3d.h"
#include "engine/swf/text/font.h"
#include "platform/d3d8/RecordingDirect3D.h"
#include "tests/swf/PlayerFixture.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfSampleMovies.h"
#include "tools/swfwriter/SwfWriter.h"

#if defined(PELLAVO_TRACKING_MEMORY) && PELLAVO_TRACKING_MEMORY
#include "engine/core/MemoryManager.h"
#endif
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
// One table: each row is a hostile movie made by our writer, loaded and played frame by
// frame (advanced, then drawn by the Direct3D handler on the recording device). The load
// and every frame are timed (processor time of the playing thread), and the heap is read
// after each; the slowest step and the most heap the movie adds must stay under the
// bounds the row states. A row may check more afterwards. Bounds hold for an optimised
// build on a loaded two-core machine running the tests in parallel; sanitizer and debug
// builds do the same work several times slower, so their bounds of time are
// kSlowBuildFactor wider (those of memory are not).

#if defined(PELLAVO_TEST_ASAN) || !defined(NDEBUG)
constexpr double kSlowBuildFactor = 12.0;
#else
constexpr double kSlowBuildFactor = 1.0;
#endif

// Bytes the program holds on the heap now.
int64_t HeapInUse() {
#if defined(PELLAVO_TEST_ASAN)
  return static_cast<int64_t>(__sanitizer_get_current_allocated_bytes());
#elif defined(PELLAVO_TRACKING_MEMORY) && PELLAVO_TRACKING_MEMORY
  return static_cast<int64_t>(MemoryManager::GetStats().liveReportedBytes);
#else
  struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
#endif
}

constexpr int64_t kMB = int64_t(1) << 20;

// Processor time this thread has used, in milliseconds: what a step costs, whether or not
// other programs of a loaded machine take turns with it meanwhile.
double ThreadMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A hostile movie played: what a row's check looks at.
struct CostRun {
  swf::smart_ptr<swf::movie_def_impl> def;  // null when the movie was refused
  swf::smart_ptr<swf::movie_root> root;
  std::vector<int> live_textures;  // the handler's textures after each frame drawn
  std::string log;                 // the player's log lines
  double worst_ms = 0.0;           // the slowest step: the load or one frame
  int64_t added_bytes = 0;         // the most heap held above what was held before the load
};

struct CostRow {
  const char* name;
  std::function<Bytes()> movie;
  int frames;            // played after the load, at 12 frames a second
  double max_frame_ms;   // bound of the slowest step
  int64_t max_added_bytes;
  std::function<void(const CostRun&)> check;  // what else the row shows (may be empty)
};

// Loads the movie and plays it as the row says, timing each step and reading the heap
// after it.
CostRun PlayCostRow(const CostRow& row, const Bytes& bytes) {
  CostRun run;
  d3d8::RecordingDirect3D* direct3d = new d3d8::RecordingDirect3D();
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 800;
  pp.BackBufferHeight = 600;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  HWND__ window{};
  pp.hDeviceWindow = &window;
  pp.Windowed = 1;
  pp.EnableAutoDepthStencil = 1;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  IDirect3DDevice8* made = nullptr;
  EXPECT_EQ(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &made),
            D3D_OK);
  auto* device = static_cast<d3d8::RecordingDevice*>(made);
  {
    swf::render_handler_d3d render(device);
    swf::render_handler* previous_render = swf::get_render_handler();
    swf::set_render_handler(&render);
    swftest::RecordingSoundHandler sound;
    swftest::SwfLogCapture log;
    swftest::MemoryFiles files;
    files.Add("hostile.swf", bytes);

    const int64_t before = HeapInUse();
    auto step = [&](const std::function<void()>& work) {
      const double start = ThreadMilliseconds();
      work();
      run.worst_ms = std::max(run.worst_ms, ThreadMilliseconds() - start);
      if (device) device->ClearCalls();
      run.added_bytes = std::max(run.added_bytes, HeapInUse() - before);
    };
    step([&] {
      run.def = swftest::Adopt(static_cast<swf::movie_def_impl*>(swf::create_movie("hostile.swf")));
      if (run.def) run.root = swftest::Adopt(static_cast<swf::movie_root*>(run.def->create_instance()));
      if (run.root) run.root->set_display_viewport(0, 0, 800, 600);
    });
    for (int frame = 0; frame < row.frames && run.root; ++frame) {
      step([&] {
        run.root->advance(1.0f / 12.0f + 1e-4f);
        run.root->display();
      });
      run.live_textures.push_back(render.live_texture_count());
    }
    run.log = log.All();
    if (row.check) row.check(run);
    run.root = nullptr;
    run.def = nullptr;
    swf::clear_library();
    swf::set_render_handler(previous_render);
  }
  if (device) device->Release();
  direct3d->Release();
  return run;
}

// ---- the rows' movies

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
      .Add(swfw::DoAction(swfw::Actions().GotoFrame(kFrames - 1).GotoFrame(0).Op("Stop").Build()))
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
  for (uint16_t id = 1; id <= 400; ++id) movie.Add(swftest::Place(id, id));
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
  return swftest::MovieOfFrames(
      {{swfw::Tag(swfw::kDefineFont, font.Take()), swfw::DefineText(swfw::kDefineText, 2, text),
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
  return swftest::MovieOfFrames({{swfw::DefineShape(swfw::kDefineShape, 1, shape), swftest::Place(1, 1)}});
}

// A morph filled with a linear gradient whose colours change with the ratio, shown at a
// new ratio in each of 360 frames.
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
  return swftest::MovieOfFrames(timeline);
}

// A two-frame movie whose first frame's actions set "ran" first, then push a long run of
// values that do not compress well.
Bytes MovieWithLongActions(bool compressed) {
  swfw::Actions actions;
  actions.Push({swfw::Actions::Str("ran"), swfw::Actions::Str("yes")}).Op("SetVariable");
  uint32_t noise = 12345;
  for (int i = 0; i < 4000; ++i) {
    std::string value;
    for (int c = 0; c < 24; ++c) {
      noise = noise * 1664525u + 1013904223u;
      value += static_cast<char>('a' + (noise >> 24) % 26);
    }
    actions.Push({swfw::Actions::Str(value)}).Op("Pop");
  }
  swfw::Movie movie;
  movie.Add(swfw::DoAction(actions.Build())).ShowFrame().ShowFrame().End();
  return movie.Build(compressed);
}

// The movie cut in the middle of its bytes after the header: inside the long DoAction.
Bytes CutInTheMiddle(const Bytes& movie) { return Bytes(movie.begin(), movie.begin() + 8 + (movie.size() - 8) / 2); }

// The row's check of a cut DoAction: the movie loads, one line says the tag was dropped,
// and none of its actions ran, while the whole movie does run them.
void NothingOfTheCutActionsRan(const CostRun& run, bool compressed) {
  ASSERT_TRUE(run.root);
  EXPECT_NE(std::string(run.root->get_variable("ran")), "yes");
  size_t lines = 0;
  for (size_t at = 0; (at = run.log.find("the file ends inside a tag", at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, 1u) << run.log;
  swftest::Played whole(MovieWithLongActions(compressed));
  ASSERT_TRUE(whole.root);
  whole.root->advance(0.0f);
  EXPECT_EQ(std::string(whole.root->get_variable("ran")), "yes");
}

// A movie of one frame whose one action block is the given code.
Bytes ActionBlock(const swfw::Actions& code) { return swftest::MovieOfFrames({{swfw::DoAction(code.Build())}}); }

// A loop that pushes the values of one record, drops one of them and starts again (a
// constant pool first, when given). A record holds at most 65,535 bytes, and a jump back
// over it reaches 32,768: loops of many values push items of one to three bytes.
Bytes PushLoop(const std::vector<swfw::Actions::PushItem>& values, const std::vector<std::string>& pool = {}) {
  swfw::Actions a;
  if (!pool.empty()) a.ConstantPool(pool);
  a.Label("top").Push(values).Op("Pop").Jump("top");
  return ActionBlock(a);
}

// A loop that enumerates an array of 30,000 elements.
Bytes EnumerateLoop() {
  using A = swfw::Actions;
  A a;
  a.Push({A::Str("a")}).Push(std::vector<A::PushItem>(30000, A::Undefined())).Push({A::Int(30000)});
  a.Op("InitArray").Op("SetVariable").Label("top").Push({A::Str("a")}).Op("Enumerate").Jump("top");
  return ActionBlock(a);
}

// A loop that defines a function of 10,000 parameters.
Bytes DefineFunctionLoop() {
  swfw::Actions a;
  a.Label("top").DefineFunction("", std::vector<std::string>(10000, "p"), swfw::Actions()).Op("Pop").Jump("top");
  return ActionBlock(a);
}

// The row's check of a script loop: the frame's action budget ended it.
void TheBudgetEndedTheFrame(const CostRun& run) {
  EXPECT_NE(run.log.find("actions in one frame"), std::string::npos) << run.log;
}

const CostRow kCostRows[] = {
    {"backward goto over 65,535 frames", LongTimelineWithGotos, 3, 250.0, 24 * kMB,
     [](const CostRun& run) {
       ASSERT_TRUE(run.root);
       // Both gotos ran: the actions stopped the root on frame 0. Going back queued the
       // same actions again; the frames walked spent the frame's budget, which ended them.
       EXPECT_EQ(run.root->get_current_frame(), 0);
       EXPECT_EQ(run.root->get_play_state(), swf::movie_interface::STOP);
       EXPECT_NE(run.log.find("actions in one frame"), std::string::npos) << run.log;
     }},
    {"declared frame counts: 400 sprites of 65,535 frames", SpritesDeclaringLongTimelines, 3, 100.0, 8 * kMB,
     [](const CostRun& run) {
       ASSERT_TRUE(run.def);
       EXPECT_NE(run.def->get_character_def(400), nullptr);
       auto* sprite = dynamic_cast<swf::sprite_definition*>(run.def->get_character_def(1));
       ASSERT_NE(sprite, nullptr);
       EXPECT_EQ(sprite->get_frame_count(), 1);  // all its tag can hold
       EXPECT_EQ(run.root->get_root_movie()->get_movie_definition()->get_frame_count(), 65535);
     }},
    {"2,000 glyph offsets sharing one 20,000-edge outline", GlyphsSharingOneOutline, 3, 250.0, 4 * kMB,
     [](const CostRun& run) {
       ASSERT_TRUE(run.def);
       swf::font* f = run.def->get_font(1);
       ASSERT_NE(f, nullptr);
       ASSERT_EQ(f->get_glyph_count(), 2000);
       EXPECT_NE(f->glyph_shape(0), nullptr);
       EXPECT_EQ(f->glyph_shape(0), f->glyph_shape(1999));  // one outline for all
     }},
    {"40,000 separate squares", FortyThousandSquares, 2, 700.0, 24 * kMB, nullptr},
    {"gradient morph over 360 frames", [] { return GradientMorphOverFrames(360); }, 360, 50.0, 4 * kMB,
     [](const CostRun& run) {
       ASSERT_EQ(run.live_textures.size(), 360u);
       // One gradient texture lives at a time, whatever the ratio.
       for (int live : run.live_textures) EXPECT_EQ(live, run.live_textures.front());
       EXPECT_LE(run.live_textures.front(), 1);
     }},
    {"DoAction cut by the end of the file", [] { return CutInTheMiddle(MovieWithLongActions(false)); }, 4, 50.0,
     2 * kMB, [](const CostRun& run) { NothingOfTheCutActionsRan(run, false); }},
    {"DoAction cut by the end of the compressed file", [] { return CutInTheMiddle(MovieWithLongActions(true)); },
     4, 50.0, 2 * kMB, [](const CostRun& run) { NothingOfTheCutActionsRan(run, true); }},
    {"a file that is not SWF", [] { return Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0}; },
     1, 10.0, 1 * kMB,
     [](const CostRun& run) {
       EXPECT_FALSE(run.def);
       EXPECT_NE(run.log.find("file does not start with a SWF header"), std::string::npos) << run.log;
     }},
    // Scripts charge each value they push, each name they list, each parameter and each
    // 64 bytes of text: a frame's loop stops at the budget after milliseconds of work.
    {"push 10,000 booleans, pop, jump",
     [] { return PushLoop(std::vector<swfw::Actions::PushItem>(10000, swfw::Actions::Bool(true))); }, 4, 100.0,
     16 * kMB, TheBudgetEndedTheFrame},
    {"push 30,000 undefined, pop, jump",
     [] { return PushLoop(std::vector<swfw::Actions::PushItem>(30000, swfw::Actions::Undefined())); }, 4, 100.0,
     16 * kMB, TheBudgetEndedTheFrame},
    {"push 10,000 texts, pop, jump",
     [] { return PushLoop(std::vector<swfw::Actions::PushItem>(10000, swfw::Actions::Str("a"))); }, 4, 100.0,
     16 * kMB, TheBudgetEndedTheFrame},
    {"push 15,000 pooled texts of 100 bytes, pop, jump",
     [] {
       return PushLoop(std::vector<swfw::Actions::PushItem>(15000, swfw::Actions::Constant8(0)),
                       {std::string(100, 'p')});
     },
     4, 100.0, 16 * kMB, TheBudgetEndedTheFrame},
    {"push a pooled text of 30,000 bytes 1,000 times, pop, jump",
     [] {
       return PushLoop(std::vector<swfw::Actions::PushItem>(1000, swfw::Actions::Constant8(0)),
                       {std::string(30000, 't')});
     },
     4, 100.0, 16 * kMB, TheBudgetEndedTheFrame},
    {"push a text of 30,000 bytes, pop, jump", [] { return PushLoop({swfw::Actions::Str(std::string(30000, 't'))}); },
     4, 100.0, 16 * kMB, TheBudgetEndedTheFrame},
    {"enumerate an array of 30,000 elements, jump", EnumerateLoop, 4, 100.0, 16 * kMB, TheBudgetEndedTheFrame},
    {"define a function of 10,000 parameters, pop, jump", DefineFunctionLoop, 4, 100.0, 16 * kMB,
     TheBudgetEndedTheFrame},
};

// The row's name stands for it in test listings.
void PrintTo(const CostRow& row, std::ostream* out) { *out << row.name; }

class SwfHostileCost : public ::testing::TestWithParam<CostRow> {};

TEST_P(SwfHostileCost, WorstFrameAndAddedMemoryStayBounded) {
  const CostRow& row = GetParam();
  const Bytes bytes = row.movie();
  CostRun run = PlayCostRow(row, bytes);
  const double time_bound = row.max_frame_ms * kSlowBuildFactor;
  std::printf("| %-52s | %8.1f ms (bound %7.1f) | %7.2f MB (bound %5.1f) |\n", row.name, run.worst_ms, time_bound,
              static_cast<double>(run.added_bytes) / kMB, static_cast<double>(row.max_added_bytes) / kMB);
  EXPECT_LE(run.worst_ms, time_bound) << row.name;
  EXPECT_LE(run.added_bytes, row.max_added_bytes) << row.name;
}

std::string CostRowName(const ::testing::TestParamInfo<CostRow>& info) {
  std::string name;
  for (const char* c = info.param.name; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Table, SwfHostileCost, ::testing::ValuesIn(kCostRows), CostRowName);

}  // namespace
