// Fonts read from DefineFont, DefineFont2 and DefineFontInfo: outlines, code tables,
// advances, kerning and the damaged layouts a movie may carry.

#include <gtest/gtest.h>

#include <string>

#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/text/font.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swftest::Bytes;

// A movie of the given tags, loaded, with its font 1.
struct LoadedFont {
  explicit LoadedFont(const std::vector<Bytes>& tags) {
    swfw::Movie movie;
    for (const Bytes& tag : tags) movie.Add(tag);
    movie.ShowFrame().End();
    m = swftest::LoadMovie(movie.Build());
    f = m ? m->get_font(1) : nullptr;
  }
  swf::smart_ptr<swf::movie_def_impl> m;
  swf::font* f = nullptr;
};

// Where a tag's body starts (after its short or long header).
size_t BodyStart(const Bytes& tag) { return (tag[0] & 0x3f) == 0x3f ? 6 : 2; }

swfw::Font ThreeGlyphFont(bool wideOffsets, bool wideCodes, bool layout) {
  swfw::Font font;
  font.name = "Sans";
  font.wideOffsets = wideOffsets;
  font.wideCodes = wideCodes;
  font.italic = true;
  font.glyphs = {swfw::GlyphBox(0, -700, 400, 0), swfw::GlyphBox(50, -600, 500, 0), swfw::GlyphBox(0, -720, 300, 10)};
  font.codes = {'A', 'B', static_cast<uint16_t>(wideCodes ? 0x263A : 'C')};
  if (layout) {
    swfw::FontLayout l;
    l.ascent = 900;
    l.descent = -200;  // read back signed
    l.leading = 40;
    l.advances = {450, -10, 380};
    l.bounds = {{0, 400, -700, 0}, {50, 500, -600, 0}, {0, 300, -720, 10}};
    l.kerning = {{'A', 'B', -60}, {'B', 'A', 25}};
    font.layout = l;
  }
  return font;
}

TEST(FontTest, DefineFont2ReadsOffsetsCodesLayoutAndKerningInEveryWidth) {
  struct Case {
    bool wideOffsets, wideCodes, layout;
  };
  for (const Case& c : {Case{false, false, false}, Case{false, true, true}, Case{true, false, true},
                        Case{true, true, true}}) {
    SCOPED_TRACE(testing::Message() << "wide offsets " << c.wideOffsets << ", wide codes " << c.wideCodes
                                    << ", layout " << c.layout);
    LoadedFont l({swfw::DefineFont2(1, ThreeGlyphFont(c.wideOffsets, c.wideCodes, c.layout))});
    ASSERT_NE(l.f, nullptr);
    const swf::font& f = *l.f;
    EXPECT_STREQ(f.get_name(), "Sans");
    EXPECT_TRUE(f.is_italic());
    EXPECT_FALSE(f.is_bold());
    EXPECT_EQ(f.has_wide_codes(), c.wideCodes);
    ASSERT_EQ(f.get_glyph_count(), 3);
    for (int i = 0; i < 3; ++i) ASSERT_NE(f.glyph_shape(i), nullptr) << i;
    EXPECT_EQ(f.glyph_shape(3), nullptr);
    EXPECT_EQ(f.glyph_shape(-1), nullptr);
    EXPECT_EQ(f.glyph_shape(1)->get_paths().size(), 1u);

    EXPECT_EQ(f.glyph_index_of('A'), 0);
    EXPECT_EQ(f.glyph_index_of('B'), 1);
    EXPECT_EQ(f.glyph_index_of(c.wideCodes ? 0x263A : 'C'), 2);
    EXPECT_EQ(f.glyph_index_of('Z'), -1);

    if (c.layout) {
      EXPECT_FLOAT_EQ(f.get_ascent(), 900.0f);
      EXPECT_FLOAT_EQ(f.get_descent(), -200.0f);
      EXPECT_FLOAT_EQ(f.get_leading(), 40.0f);
      EXPECT_FLOAT_EQ(f.advance_of(0), 450.0f);
      EXPECT_FLOAT_EQ(f.advance_of(1), -10.0f);
      EXPECT_FLOAT_EQ(f.advance_of(2), 380.0f);
      EXPECT_FLOAT_EQ(f.advance_of(3), 0.0f);  // past the table
      EXPECT_FLOAT_EQ(f.kerning_of('A', 'B'), -60.0f);
      EXPECT_FLOAT_EQ(f.kerning_of('B', 'A'), 25.0f);
      EXPECT_FLOAT_EQ(f.kerning_of('A', 'A'), 0.0f);
    } else {
      EXPECT_EQ(f.get_kerning_count(), 0);
      EXPECT_EQ(f.get_advance_count(), 0);
    }
    EXPECT_FLOAT_EQ(f.advance_of(-1), 512.0f);
  }
}

TEST(FontTest, DefineFont2WhoseGlyphsDoNotEndAtTheCodeTableKeepsOnlyItsOutlines) {
  for (bool wideOffsets : {false, true}) {
    SCOPED_TRACE(wideOffsets);
    swfw::Font font = ThreeGlyphFont(wideOffsets, true, true);
    Bytes tag = swfw::DefineFont2(1, font);
    // id, flags, language, name, glyph count, then the offsets and the code-table offset.
    size_t width = wideOffsets ? 4 : 2;
    size_t at = BodyStart(tag) + 2 + 1 + 1 + 1 + font.name.size() + 2 + font.glyphs.size() * width;
    tag[at] += 1;  // one byte past where the last glyph ends
    LoadedFont l({tag});
    ASSERT_NE(l.f, nullptr);
    EXPECT_EQ(l.f->get_glyph_count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_NE(l.f->glyph_shape(i), nullptr) << i;
    EXPECT_EQ(l.f->get_code_count(), 0);
    EXPECT_EQ(l.f->glyph_index_of('A'), -1);
    EXPECT_EQ(l.f->get_advance_count(), 0);
    EXPECT_EQ(l.f->get_kerning_count(), 0);
    EXPECT_FLOAT_EQ(l.f->get_ascent(), 0.0f);
  }
}

TEST(FontTest, DefineFontGlyphsWithFontInfoAndOffsetsOutsideTheTag) {
  Bytes tag = swfw::DefineFont(1, {swfw::GlyphBox(0, -700, 400, 0), swfw::GlyphBox(0, -500, 300, 0)});
  {
    LoadedFont l({tag});
    ASSERT_NE(l.f, nullptr);
    EXPECT_EQ(l.f->get_glyph_count(), 2);
    EXPECT_NE(l.f->glyph_shape(0), nullptr);
    EXPECT_NE(l.f->glyph_shape(1), nullptr);
    EXPECT_EQ(l.f->get_code_count(), 0);
    EXPECT_EQ(l.f->get_name(), nullptr);
    EXPECT_TRUE(l.f->is_ansi());
  }
  {
    // DefineFontInfo names the font and gives its (narrow) codes.
    swfw::Font info;
    info.name = "Serif";
    info.wideCodes = false;
    info.bold = true;
    info.smallText = true;
    info.codes = {'x', 'y'};
    swftest::SwfLogCapture log;
    LoadedFont l({tag, swfw::DefineFontInfo(1, info), swfw::DefineFontInfo(9, info)});
    ASSERT_NE(l.f, nullptr);
    EXPECT_STREQ(l.f->get_name(), "Serif");
    EXPECT_TRUE(l.f->is_bold());
    EXPECT_TRUE(l.f->is_unicode());
    EXPECT_FALSE(l.f->is_ansi());
    EXPECT_FALSE(l.f->has_wide_codes());
    EXPECT_EQ(l.f->glyph_index_of('x'), 0);
    EXPECT_EQ(l.f->glyph_index_of('y'), 1);
    EXPECT_EQ(log.Count("define_font_info_loader: can't find font w/ id 9\n"), 1u) << log.All();
  }
  {
    // The second glyph's offset points past the end of the tag: it stays without outline.
    Bytes bad = tag;
    size_t at = BodyStart(bad) + 2 + 2;
    bad[at] = 0x00;
    bad[at + 1] = 0x7f;
    LoadedFont l({bad});
    ASSERT_NE(l.f, nullptr);
    EXPECT_EQ(l.f->get_glyph_count(), 2);
    EXPECT_NE(l.f->glyph_shape(0), nullptr);
    EXPECT_EQ(l.f->glyph_shape(1), nullptr);
  }
}

TEST(FontTest, DuplicateCodesFindTheFirstGlyph) {
  swfw::Font font = ThreeGlyphFont(false, true, false);
  font.codes = {'A', 'B', 'A'};
  LoadedFont l({swfw::DefineFont2(1, font)});
  ASSERT_NE(l.f, nullptr);
  EXPECT_EQ(l.f->glyph_index_of('A'), 0);
  EXPECT_EQ(l.f->glyph_index_of('B'), 1);
}

TEST(FontTest, EmptyAdvanceTableLogsOnceAndGivesZero) {
  LoadedFont l({swfw::DefineFont2(1, ThreeGlyphFont(false, true, false))});
  ASSERT_NE(l.f, nullptr);
  swftest::SwfLogCapture log;
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(l.f->advance_of(i), 0.0f);
  EXPECT_FLOAT_EQ(l.f->advance_of(-1), 512.0f);
  EXPECT_EQ(log.Count("error: empty advance table in font Sans\n"), 1u) << log.All();
  LoadedFont other({swfw::DefineFont2(1, ThreeGlyphFont(false, false, false))});
  EXPECT_FLOAT_EQ(other.f->advance_of(0), 0.0f);
  EXPECT_EQ(log.Count("error: empty advance table in font Sans\n"), 1u) << log.All();
}

}  // namespace
