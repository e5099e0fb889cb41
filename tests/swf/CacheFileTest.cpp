// The ".gsc" cache beside a movie: written with output_cached_data, read back by
// create_movie, and refused, cut short or stopped on every kind of damage without losing
// what the movie itself holds.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/swf/movie/cache_file.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/shape/shape.h"
#include "engine/swf/text/font.h"
#include "tests/swf/PlayerFixture.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfTextMovies.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swftest::Bytes;

int SinkWrite(const void* src, int bytes, void* data) {
  auto* out = static_cast<Bytes*>(data);
  out->insert(out->end(), static_cast<const uint8_t*>(src), static_cast<const uint8_t*>(src) + bytes);
  return bytes;
}
int SinkTell(const void* data) { return static_cast<int>(static_cast<const Bytes*>(data)->size()); }

Bytes WriteCache(swf::movie_def_impl* m, bool fontBitmaps = true) {
  Bytes bytes;
  swf::file_stream out(&bytes, nullptr, SinkWrite, nullptr, nullptr, SinkTell, nullptr, nullptr);
  swf::cache_options options;
  options.m_include_font_bitmaps = fontBitmaps;
  m->output_cached_data(&out, &options);
  return bytes;
}

// A movie loaded, advanced and drawn once (so its shapes have meshes), and its cache.
struct Drawn {
  explicit Drawn(const Bytes& movie, bool fontBitmaps = true) : p(movie) {
    p.root->set_display_viewport(0, 0, 550, 400);
    p.root->advance(0.01f);
    p.root->display();
    cache = WriteCache(p.def.get_ptr(), fontBitmaps);
  }
  swftest::Played p;
  Bytes cache;
};

// A fresh load of the movie with the cache beside it.
swf::smart_ptr<swf::movie_def_impl> LoadWithCache(swftest::MemoryFiles& files, const Bytes& movie,
                                                  const Bytes& cache) {
  files.Add("test.swf.gsc", cache);
  return swftest::LoadMovie(movie);
}

swf::shape_character* ShapeOf(swf::movie_def_impl* m, int id) {
  return dynamic_cast<swf::shape_character*>(m->get_character_def(id));
}

int BitmapIndexOf(swf::movie_def_impl* m, const swf::bitmap_info* bi) {
  for (int i = 0; i < m->get_bitmap_info_count(); ++i) {
    if (m->get_bitmap_info(i) == bi) return i;
  }
  return -1;
}

const Bytes& SmallMovie() {
  static const Bytes movie = swfw::TextHeavyMovie(12, 4);
  return movie;
}

TEST(CacheFileTest, ACacheReadIntoAFreshLoadGivesTheSameMeshesAndGlyphBoxes) {
  swftest::MemoryFiles files;
  swftest::RecordingRenderHandler render;
  Drawn written(SmallMovie());
  swf::movie_def_impl* a = written.p.def.get_ptr();
  const Bytes savedTexture = render.bitmaps.back()->pixels;

  int builds = swf::shape_mesh::get_build_count();
  swftest::SwfLogCapture log;
  swf::smart_ptr<swf::movie_def_impl> b = LoadWithCache(files, SmallMovie(), written.cache);
  EXPECT_EQ(log.lines.size(), 0u) << log.All();
  EXPECT_EQ(swf::shape_mesh::get_build_count(), builds);  // nothing tesselated, no glyph rasterised

  for (int id = 10; id < 14; ++id) {
    SCOPED_TRACE(id);
    const auto& want = ShapeOf(a, id)->get_cached_meshes();
    const auto& got = ShapeOf(b.get_ptr(), id)->get_cached_meshes();
    ASSERT_EQ(got.size(), want.size());
    ASSERT_FALSE(want.empty());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_TRUE(*got[i] == *want[i]);
  }
  // The gradient's bitmap comes first in both loads: the glyph texture indices in the
  // file count from the fonts' first texture.
  ASSERT_EQ(b->get_bitmap_info_count(), 2);
  for (int f = 2; f <= 3; ++f) {
    for (int i = 0; i < 12; ++i) {
      SCOPED_TRACE(testing::Message() << "font " << f << " glyph " << i);
      const swf::cached_glyph& want = a->get_font(f)->cached_glyph_of(i);
      const swf::cached_glyph& got = b->get_font(f)->cached_glyph_of(i);
      ASSERT_TRUE(got.has_texture());
      EXPECT_EQ(got.m_uv_bounds, want.m_uv_bounds);
      EXPECT_EQ(got.m_uv_origin, want.m_uv_origin);
      EXPECT_EQ(BitmapIndexOf(b.get_ptr(), got.m_bitmap_info.get_ptr()), 1);
    }
  }
  EXPECT_EQ(render.bitmaps.back()->pixels, savedTexture);
}

TEST(CacheFileTest, AMovieWithoutFontsOrShapesWritesTheHeaderOneRecordPerCharacterAndTheEnd) {
  swftest::MemoryFiles files;
  Bytes movie = swftest::MovieOfFrames({{swftest::SpriteOfFrames(5, {{}})}});
  swf::smart_ptr<swf::movie_def_impl> m = swftest::LoadMovie(movie);
  EXPECT_EQ(WriteCache(m.get_ptr()), (Bytes{'g', 's', 'c', 4, 0, 0, 0, 0, 5, 0, 0xFF, 0xFF}));
}

TEST(CacheFileTest, DummyTexturesAreOneByOne) {
  swftest::MemoryFiles files;
  swftest::RecordingRenderHandler render;
  Drawn written(SmallMovie(), false);
  swf::smart_ptr<swf::movie_def_impl> b = LoadWithCache(files, SmallMovie(), written.cache);
  swftest::RecordedBitmap* texture = static_cast<swftest::RecordedBitmap*>(b->get_bitmap_info(1));
  EXPECT_EQ(texture->width, 1);
  EXPECT_EQ(texture->height, 1);
  EXPECT_EQ(b->get_font(2)->cached_glyph_of(0).m_bitmap_info.get_ptr(), texture);
}

// Damaged and foreign caches: each logs its line, and the movie keeps everything it read
// itself; glyph textures the cache did not supply are built as without a cache.
TEST(CacheFileTest, RefusedAndDamagedCaches) {
  swftest::MemoryFiles files;
  swftest::RecordingRenderHandler render;
  Drawn written(SmallMovie());
  const Bytes& good = written.cache;
  auto withU16At = [&](size_t at, uint16_t v) {
    Bytes b = good;
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
    return b;
  };
  // Another movie's cache: same fonts, a shape id this movie does not have.
  Bytes other = swftest::MovieOfFrames(
      {{swfw::DefineFont2(2, swfw::Font{}), swfw::DefineFont2(3, swfw::Font{}),
        swfw::DefineShape(swfw::kDefineShape3, 77, swfw::RectangleShape(100, 100, swfw::Color{}))}});
  Bytes otherCache = WriteCache(swftest::LoadMovie(other, "other.swf").get_ptr());
  // A movie of one font has a font part that does not fit this movie.
  Bytes oneFont = swftest::MovieOfFrames({{swfw::DefineFont2(2, swfw::Font{})}});
  Bytes oneFontCache = WriteCache(swftest::LoadMovie(oneFont, "one.swf").get_ptr());
  size_t textureCount = 4;  // after "gsc" and the version
  size_t textures = size_t(good[4] | (good[5] << 8));
  size_t firstRecordCount = 4 + 2 + textures * (4 + 65536) + 2 + 2;
  Bytes hugeRecordCount = good;
  for (size_t i = 0; i < 4; ++i) hugeRecordCount[firstRecordCount + i] = i == 3 ? 0x7F : 0xFF;

  struct Case {
    const char* name;
    Bytes cache;
    std::string line;
    bool meshesFromCache;
  };
  const std::vector<Case> cases = {
      {"version 3", Bytes{'g', 's', 'c', 3}, "cached data is version 3, but we require version 4; skipping", false},
      {"wrong magic", Bytes{'G', 'I', 'F', '8', '9', 'a'}, "cache file does not have the correct format; skipping",
       false},
      {"empty file", Bytes{}, "cache file does not have the correct format; skipping", false},
      {"no end marker", Bytes(good.begin(), good.end() - 2),
       "unexpected eof reading cache file (characters); skipping", true},
      {"another movie's cache", otherCache,
       "sync error in cache file (reading characters)!  Skipping rest of cache data.", false},
      {"font count mismatch", oneFontCache, "error: mismatched font count (read 1, expected 2) in cached font data",
       false},
      {"texture of another size", withU16At(textureCount + 2, 300), "error: cached glyph texture of 300 x 256",
       false},
      {"more textures than bytes", withU16At(textureCount, 60000), "more than the file has room for", false},
      {"glyph records past the end of the file", hugeRecordCount, "2147483647 glyph records, more than the file",
       false},
      {"cut inside the textures", Bytes(good.begin(), good.begin() + 5000),
       "unexpected eof reading cache file (fonts); skipping", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    swftest::SwfLogCapture log;
    swf::smart_ptr<swf::movie_def_impl> b = LoadWithCache(files, SmallMovie(), c.cache);
    ASSERT_TRUE(b);
    EXPECT_TRUE(log.Contains(c.line)) << log.All();
    EXPECT_EQ(b->get_frame_count(), 1);
    EXPECT_EQ(ShapeOf(b.get_ptr(), 10)->get_cached_meshes().empty(), !c.meshesFromCache);
    for (int f = 2; f <= 3; ++f) {
      for (int i = 0; i < 12; ++i) EXPECT_TRUE(b->get_font(f)->cached_glyph_of(i).has_texture()) << f << "/" << i;
    }
  }
}

// Glyph records past the font's glyphs are dropped one by one; a texture index beyond the
// file's textures ends the reading.
TEST(CacheFileTest, GlyphRecordsAreCheckedOneByOne) {
  swftest::MemoryFiles files;
  swftest::RecordingRenderHandler render;
  Drawn written(SmallMovie(), false);
  // With dummy textures: header 4, texture count 2, textures 5 bytes each, font count 2,
  // then the first font's nominal size and record count, then its first record.
  const Bytes& good = written.cache;
  uint16_t textures = static_cast<uint16_t>(good[4] | (good[5] << 8));
  size_t firstRecord = 4 + 2 + 5 * size_t(textures) + 2 + 2 + 4;
  Bytes badGlyph = good;
  badGlyph[firstRecord] = 200;  // glyph index 200 of 13
  Bytes badTexture = good;
  badTexture[firstRecord + 4] = 9;

  {
    swftest::SwfLogCapture log;
    swf::smart_ptr<swf::movie_def_impl> b = LoadWithCache(files, SmallMovie(), badGlyph);
    EXPECT_TRUE(log.Contains("error: invalid glyph index 200 in cached font data, limit is 13, font is 'Heading'"))
        << log.All();
    EXPECT_FALSE(ShapeOf(b.get_ptr(), 10)->get_cached_meshes().empty());
  }
  {
    swftest::SwfLogCapture log;
    swf::smart_ptr<swf::movie_def_impl> b = LoadWithCache(files, SmallMovie(), badTexture);
    EXPECT_TRUE(log.Contains("error: invalid bitmap index 9 in cached font data")) << log.All();
    EXPECT_TRUE(ShapeOf(b.get_ptr(), 10)->get_cached_meshes().empty());
    EXPECT_TRUE(b->get_font(2)->cached_glyph_of(5).has_texture());
  }
}

}  // namespace
