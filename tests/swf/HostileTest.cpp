// Damaged and hostile movies: each ends in log lines and a definition or none, in
// bounded time and memory.

#include <gtest/gtest.h>

#include <chrono>
#include <new>

#include "engine/swf/action/environment.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/movie/button.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/sprite_definition.h"
#include "tests/swf/PlayerFixture.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfSampleMovies.h"
#include "tools/swfwriter/SwfWriter.h"

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
       "bytes of decoded bitmaps and sounds"},
      {"lossless zip bomb into a small bitmap",
       OneFrame({swfw::DefineBitsLosslessRaw(1, true, 5, 16, 16, bomb_data)}), ""},
      {"lossless budget",
       OneFrame({swfw::DefineBitsLosslessRaw(1, true, 5, 4096, 4096, bomb_data),
                 swfw::DefineBitsLosslessRaw(2, true, 5, 4096, 4096, bomb_data),
                 swfw::DefineBitsLosslessRaw(3, true, 5, 4096, 4096, bomb_data)}),
       "bytes of decoded bitmaps and sounds"},
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
    if (c.expected_line[0]) EXPECT_TRUE(log.Contains(c.expected_line)) << c.name << "\n" << log.All();
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
    EXPECT_EQ(swf::get_loaded_movie_count(), 1);
  }
  swf::script_environment* env = p.sprite()->get_environment();
  env->load_file("missing.swf", script_value(static_cast<swf::script_object*>(p.child("slot"))));
  EXPECT_TRUE(log.Contains("can't create movie_definition_sub for missing.swf\n")) << log.All();
  p.root->advance(0.1f);
  swf::clear_library();
  EXPECT_EQ(swf::get_loaded_movie_count(), 0);
}

}  // namespace
