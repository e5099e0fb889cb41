// Static text: glyph runs read from DefineText and DefineText2 and drawn through the
// recording render handler.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/swf/movie/character.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/text/font.h"
#include "engine/swf/text/text.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swftest::Bytes;

swfw::Font TwoGlyphFont() {
  swfw::Font font;
  font.glyphs = {swfw::GlyphBox(0, -700, 400, 0), swfw::GlyphBox(0, -500, 300, 0)};
  font.codes = {'A', 'B'};
  swfw::FontLayout layout;
  layout.advances = {450, 350};
  layout.bounds = {{0, 400, -700, 0}, {0, 300, -500, 0}};
  font.layout = layout;
  return font;
}

// A movie of font 1 (unless left out) and the text 2, loaded.
struct LoadedText {
  explicit LoadedText(const Bytes& textTag, bool withFont = true) {
    swfw::Movie movie;
    if (withFont) movie.Add(swfw::DefineFont2(1, TwoGlyphFont()));
    movie.Add(textTag).ShowFrame().End();
    m = swftest::LoadMovie(movie.Build());
    t = m ? dynamic_cast<swf::text_character*>(m->get_character_def(2)) : nullptr;
  }
  void Draw() {
    swf::smart_ptr<swf::character> instance(t->create_character_instance(nullptr, 2));
    instance->display();
  }
  swftest::RecordingRenderHandler render;
  swf::smart_ptr<swf::movie_def_impl> m;
  swf::text_character* t = nullptr;
};

swfw::TextRecord GlyphRun(std::vector<std::pair<uint32_t, int32_t>> glyphs) {
  swfw::TextRecord r;
  r.glyphs = std::move(glyphs);
  return r;
}

TEST(TextTest, RecordsCarryTheirStyleAndLongRunsReadWhole) {
  swfw::Text text;
  text.bounds = {0, 4000, -300, 100};
  text.matrix = swfw::Matrix::Translate(100, 200);
  swfw::TextRecord first = GlyphRun({{0, 450}, {1, -350}});
  first.fontId = 1;
  first.height = 480;
  first.color = swfw::Color{10, 20, 30, 40};
  first.x = 15;
  first.y = -25;
  std::vector<std::pair<uint32_t, int32_t>> many;
  for (uint32_t i = 0; i < 200; ++i) many.push_back({i % 2, static_cast<int32_t>(i)});
  swfw::TextRecord second = GlyphRun(many);  // font and colour carry over, offsets do not
  for (int type : {swfw::kDefineText, swfw::kDefineText2}) {
    SCOPED_TRACE(type);
    text.records = {first, second};
    LoadedText l(swfw::DefineText(type, 2, text));
    ASSERT_NE(l.t, nullptr);
    EXPECT_FLOAT_EQ(l.t->get_matrix().m_[0][2], 100.0f);
    EXPECT_FLOAT_EQ(l.t->get_bound().m_x_max, 4000.0f);
    swf::array<swf::glyph_record>& records = l.t->get_text_glyph_records();
    ASSERT_EQ(records.size(), 2);
    const swf::text_style& a = records[0].m_style;
    EXPECT_EQ(a.m_font_id, 1);
    EXPECT_FLOAT_EQ(a.m_text_height, 480.0f);
    EXPECT_EQ(a.m_color.m_r, 10);
    EXPECT_EQ(a.m_color.m_a, type == swfw::kDefineText ? 255 : 40);
    EXPECT_TRUE(a.m_has_x_offset && a.m_has_y_offset);
    EXPECT_FLOAT_EQ(a.m_x_offset, 15.0f);
    EXPECT_FLOAT_EQ(a.m_y_offset, -25.0f);
    ASSERT_EQ(records[0].m_glyphs.size(), 2);
    EXPECT_EQ(records[0].m_glyphs[1].m_glyph_index, 1);
    EXPECT_FLOAT_EQ(records[0].m_glyphs[1].m_glyph_advance, -350.0f);

    const swf::text_style& b = records[1].m_style;
    EXPECT_EQ(b.m_font_id, 1);
    EXPECT_EQ(b.m_color.m_g, 20);
    EXPECT_FALSE(b.m_has_x_offset || b.m_has_y_offset);
    ASSERT_EQ(records[1].m_glyphs.size(), 200);
    EXPECT_EQ(records[1].m_glyphs[199].m_glyph_index, 1);
    EXPECT_FLOAT_EQ(records[1].m_glyphs[199].m_glyph_advance, 199.0f);
  }
}

TEST(TextTest, BitCountsBeyond32EndTheText) {
  swfw::Text text;
  swfw::TextRecord run = GlyphRun({{1, 450}});
  run.fontId = 1;
  text.records = {run};
  Bytes tag = swfw::DefineText(swfw::kDefineText2, 2, text);
  swfw::BitWriter head;
  swfw::WriteRect(head, text.bounds);
  swfw::WriteMatrix(head, text.matrix);
  size_t bits_at = 2 + 2 + head.size();  // header, id, bounds, matrix
  for (int which : {0, 1}) {
    SCOPED_TRACE(which);
    Bytes bad = tag;
    bad[bits_at + which] = 40;
    swftest::SwfLogCapture log;
    LoadedText l(bad);
    ASSERT_NE(l.t, nullptr);
    EXPECT_EQ(l.t->get_text_glyph_records().size(), 0);
    EXPECT_EQ(log.Count("error: text_character::read -- glyph bits"), 1u) << log.All();
  }
}

TEST(TextTest, DrawsOutlinesAndMissingGlyphsAsEmptyBoxes) {
  swfw::Text text;
  swfw::TextRecord run = GlyphRun({{0, 450}, {1, 350}, {0, 0}});
  run.fontId = 1;
  run.height = 1024 * 20;  // large on screen: drawn from outlines
  run.color = swfw::Color{200, 100, 50, 255};
  run.x = 1000;
  text.records = {run};
  LoadedText l(swfw::DefineText(swfw::kDefineText2, 2, text));
  ASSERT_NE(l.t, nullptr);
  l.t->get_text_glyph_records()[0].m_glyphs[1].m_glyph_index = -1;
  l.Draw();
  // One empty box with the run's colour, at x = 1000 + 450 and a scale of 20.
  EXPECT_EQ(l.render.Count("draw_line_strip 5"), 1u);
  EXPECT_EQ(l.render.Count("set_line_color 200,100,50,255"), 1u);
  EXPECT_EQ(l.render.Count("set_matrix 20 0 1450 0 20 0"), 1u);
  std::vector<int16_t> box = {32, 32, 480, 32, 480, -656, 32, -656, 32, 32};
  EXPECT_NE(std::find(l.render.strips.begin(), l.render.strips.end(), box), l.render.strips.end());
  // The two outlined glyphs draw filled in the run's colour.
  EXPECT_GE(l.render.Count("draw_triangle_strip"), 2u);
  EXPECT_GE(l.render.Count("set_fill_color 0 200,100,50,255"), 1u);
}

TEST(TextTest, UnknownFontLogsOnceAndIsSkipped) {
  swfw::Text text;
  swfw::TextRecord run = GlyphRun({{0, 450}});
  run.fontId = 7;
  text.records = {run};
  swftest::SwfLogCapture log;
  LoadedText l(swfw::DefineText(swfw::kDefineText2, 2, text), false);
  ASSERT_NE(l.t, nullptr);
  l.Draw();
  l.Draw();
  EXPECT_EQ(log.Count("error: text style with undefined font; font_id = 7\n"), 1u) << log.All();
  EXPECT_EQ(l.render.Count("draw_"), 0u);
  EXPECT_EQ(l.render.Count("set_matrix"), 0u);
}

}  // namespace
