// The glyph cache: outline glyphs rasterised and packed into 256 x 256 alpha textures
// when a movie loads, identical images shared, and small text drawn from the textures.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/swf/base/limits.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/text/font.h"
#include "engine/swf/text/text.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swftest::Bytes;

swfw::Font FontOf(std::vector<swfw::Shape> glyphs) {
  swfw::Font font;
  font.glyphs = std::move(glyphs);
  for (size_t i = 0; i < font.glyphs.size(); ++i) font.codes.push_back(static_cast<uint16_t>('A' + i));
  font.wideOffsets = font.glyphs.size() > 256;
  return font;
}

// A box of w x h font units standing on the baseline at the origin.
swfw::Shape Box(int32_t w, int32_t h) { return swfw::GlyphBox(0, -h, w, 0); }

// Fonts 1, 2 ... of the glyphs given, and any further tags, loaded with the recording
// handler installed.
struct LoadedFonts {
  explicit LoadedFonts(const std::vector<std::vector<swfw::Shape>>& fonts, const std::vector<Bytes>& more = {}) {
    swfw::Movie movie;
    for (size_t i = 0; i < fonts.size(); ++i) movie.Add(swfw::DefineFont2(static_cast<uint16_t>(i + 1), FontOf(fonts[i])));
    for (const Bytes& tag : more) movie.Add(tag);
    movie.ShowFrame().End();
    m = swftest::LoadMovie(movie.Build());
  }
  const swf::cached_glyph& Glyph(int font, int index) { return m->get_font(font)->cached_glyph_of(index); }
  std::vector<swftest::RecordedBitmap*> Textures() {
    std::vector<swftest::RecordedBitmap*> out;
    for (auto& b : render.bitmaps) {
      if (b->kind == swftest::RecordedBitmap::kAlpha) out.push_back(b.get_ptr());
    }
    return out;
  }
  swftest::RecordingRenderHandler render;
  swf::smart_ptr<swf::movie_def_impl> m;
};

TEST(GlyphCacheTest, IdenticalGlyphsOfTwoFontsShareOnePlaceAndEmptyGlyphsAreSkipped) {
  swfw::Shape empty;  // no points at all
  swfw::Shape tiny = Box(2, 2);  // covers less than a pixel
  LoadedFonts l({{Box(512, 512), empty, tiny}, {Box(256, 256), Box(512, 512)}});
  ASSERT_EQ(l.Textures().size(), 1u);
  const swf::cached_glyph& a = l.Glyph(1, 0);
  const swf::cached_glyph& b = l.Glyph(2, 1);
  ASSERT_TRUE(a.has_texture());
  EXPECT_EQ(a.m_bitmap_info, b.m_bitmap_info);
  EXPECT_EQ(a.m_uv_bounds, b.m_uv_bounds);
  EXPECT_EQ(a.m_uv_origin, b.m_uv_origin);
  EXPECT_FALSE(l.Glyph(1, 1).has_texture());
  EXPECT_FALSE(l.Glyph(1, 2).has_texture());
  EXPECT_TRUE(l.Glyph(2, 0).has_texture());
  EXPECT_FALSE(l.Glyph(2, 0).m_uv_bounds == a.m_uv_bounds);
  EXPECT_EQ(l.m->get_font(1)->get_cached_glyph_nominal_size(), 96);
}

// A half-em box is 32 x 32 pixels at 96 pixels to 1.5 em; a quarter-em box 16 x 16. The
// larger goes first at the corner, the smaller under it; each crop sits 3 pixels inside
// its packed rect.
TEST(GlyphCacheTest, CropsArePackedWithTheirMarginsAndThePixelsLandWhereTheBoxesSay) {
  LoadedFonts l({{Box(256, 256), Box(512, 512)}});
  std::vector<swftest::RecordedBitmap*> textures = l.Textures();
  ASSERT_EQ(textures.size(), 1u);
  const swftest::RecordedBitmap& t = *textures[0];
  ASSERT_EQ(t.width, 256);
  ASSERT_EQ(t.height, 256);
  auto pixel = [&](int x, int y) { return static_cast<int>(t.pixels[static_cast<size_t>(y) * 256 + x]); };
  struct Probe {
    int x, y, value;
  };
  for (const Probe& p : {Probe{3, 3, 255}, Probe{34, 34, 255}, Probe{2, 3, 0}, Probe{35, 34, 0}, Probe{34, 35, 0},
                         Probe{3, 41, 255}, Probe{18, 56, 255}, Probe{19, 56, 0}, Probe{3, 40, 0}, Probe{40, 3, 0}}) {
    EXPECT_EQ(pixel(p.x, p.y), p.value) << p.x << "," << p.y;
  }
  const swf::cached_glyph& big = l.Glyph(1, 1);
  const swf::cached_glyph& small = l.Glyph(1, 0);
  EXPECT_FLOAT_EQ(big.m_uv_bounds.m_x_max, 38 / 256.0f);
  EXPECT_FLOAT_EQ(big.m_uv_bounds.m_y_max, 38 / 256.0f);
  EXPECT_FLOAT_EQ(small.m_uv_bounds.m_y_min, 38 / 256.0f);
  EXPECT_FLOAT_EQ(small.m_uv_bounds.m_x_max, 22 / 256.0f);
  // The origin is the box's bottom-left corner, just under the crop.
  EXPECT_FLOAT_EQ(big.m_uv_origin.m_x, 3 / 256.0f);
  EXPECT_FLOAT_EQ(big.m_uv_origin.m_y, 35 / 256.0f);
}

TEST(GlyphCacheTest, ManyGlyphsFillSeveralTexturesWithoutOverlapping) {
  std::vector<swfw::Shape> glyphs;
  for (int i = 0; i < 40; ++i) glyphs.push_back(Box(400 + 16 * i, 800));  // 25 .. 64 pixels wide
  LoadedFonts l({glyphs});
  ASSERT_GE(l.Textures().size(), 2u);
  for (int i = 0; i < 40; ++i) {
    const swf::cached_glyph& a = l.Glyph(1, i);
    ASSERT_TRUE(a.has_texture()) << i;
    EXPECT_GE(a.m_uv_bounds.m_x_min, 0.0f);
    EXPECT_GE(a.m_uv_bounds.m_y_min, 0.0f);
    EXPECT_LE(a.m_uv_bounds.m_x_max, 1.0f);
    EXPECT_LE(a.m_uv_bounds.m_y_max, 1.0f);
    for (int j = 0; j < i; ++j) {
      const swf::cached_glyph& b = l.Glyph(1, j);
      if (a.m_bitmap_info != b.m_bitmap_info) continue;
      bool overlap = a.m_uv_bounds.m_x_min < b.m_uv_bounds.m_x_max && a.m_uv_bounds.m_x_max > b.m_uv_bounds.m_x_min &&
                     a.m_uv_bounds.m_y_min < b.m_uv_bounds.m_y_max && a.m_uv_bounds.m_y_max > b.m_uv_bounds.m_y_min;
      EXPECT_FALSE(overlap) << i << " and " << j;
    }
  }
}

// Text up to 64 pixels high is drawn from the glyph textures, taller text from outlines;
// a glyph without texture is drawn from its outline at any size.
TEST(GlyphCacheTest, SmallTextIsDrawnFromTexturesAndTallTextFromOutlines) {
  struct Case {
    uint16_t height;
    uint32_t glyph;
    size_t quads;
  };
  for (const Case& c : {Case{240, 0, 1}, Case{2000, 0, 0}, Case{240, 1, 0}}) {
    SCOPED_TRACE(testing::Message() << "height " << c.height << ", glyph " << c.glyph);
    swfw::Text text;
    text.bounds = {0, 4000, -2000, 100};
    swfw::TextRecord r;
    r.fontId = 1;
    r.height = c.height;
    r.glyphs = {{c.glyph, 0}};
    text.records = {r};
    // Glyph 1 is too flat to cover a row of the glyph texture.
    LoadedFonts l({{Box(512, 512), Box(512, 2)}}, {swfw::DefineText(swfw::kDefineText2, 2, text)});
    l.render.calls.clear();
    swf::smart_ptr<swf::character> instance(l.m->get_character_def(2)->create_character_instance(nullptr, 2));
    instance->display();
    EXPECT_EQ(l.render.Count("draw_bitmap_quad"), c.quads);
    EXPECT_EQ(l.render.Count("draw_triangle_strip"), 1 - c.quads);
    if (c.quads) {
      // The quad is the glyph's box with the 3-pixel margin (48 font units) around it.
      EXPECT_EQ(l.render.Count("draw_bitmap_quad -48 560 -560 48 "), 1u) << l.render.calls.back();
    }
  }
}

// A font of more distinct glyphs than one movie may put in textures: the first ones get
// theirs, the rest stay with their outlines, and the whole build stays quick.
TEST(GlyphCacheTest, GlyphsPastTheMovieLimitKeepTheirOutlinesOnly) {
  std::vector<swfw::Shape> glyphs;
  for (int i = 0; i < swf::limits::kMaxTexturedGlyphsPerMovie + 10; ++i) {
    glyphs.push_back(Box(16 * (1 + i % 64), 16 * (1 + i / 64)));
  }
  swftest::SwfLogCapture log;
  LoadedFonts l({glyphs});
  EXPECT_TRUE(l.Glyph(1, swf::limits::kMaxTexturedGlyphsPerMovie - 1).has_texture());
  EXPECT_FALSE(l.Glyph(1, swf::limits::kMaxTexturedGlyphsPerMovie).has_texture());
  EXPECT_EQ(log.Count("glyphs to put in glyph textures"), 1u);
}

}  // namespace
