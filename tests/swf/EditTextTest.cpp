// Edit text fields: DefineEditText read back, the layout of a field's text (newlines,
// backspace, wrapping, margins, alignment, kerning), the script members, the border and
// a field bound to a timeline variable.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/swf/action/script_value.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/sprite_instance.h"
#include "engine/swf/text/edit_text.h"
#include "tests/swf/PlayerFixture.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swftest::Bytes;

// Font 1: 'a' and 'b' advance 512 font units, ' ' 256; the pair "ab" kerns by -24.
// Ascent 800, descent 224, leading 0.
swfw::Font LayoutFont() {
  swfw::Font font;
  font.name = "Grid";
  font.glyphs = {swfw::GlyphBox(0, -700, 400, 0), swfw::GlyphBox(0, -700, 400, 0), swfw::GlyphBox(0, 0, 0, 0)};
  font.codes = {'a', 'b', ' '};
  swfw::FontLayout layout;
  layout.advances = {512, 512, 256};
  layout.bounds = {{0, 400, -700, 0}, {0, 400, -700, 0}, {0, 0, 0, 0}};
  layout.kerning = {{'a', 'b', -24}};
  font.layout = layout;
  return font;
}

// A field of text height 1024 twips (one font unit a twip) over font 1, width as given.
swfw::EditText Field(int32_t width) {
  swfw::EditText e;
  e.bounds = {0, width, 0, 4000};
  e.font = std::make_pair(uint16_t{1}, uint16_t{1024});
  e.color = swfw::Color{10, 20, 30, 255};
  e.variableName = "field";
  return e;
}

// A movie of font 1 and the field 2, loaded, and an instance of the field.
struct LoadedField {
  explicit LoadedField(const swfw::EditText& edit, bool withFont = true) {
    swfw::Movie movie;
    if (withFont) movie.Add(swfw::DefineFont2(1, LayoutFont()));
    movie.Add(swfw::DefineEditText(2, edit)).ShowFrame().End();
    m = swftest::LoadMovie(movie.Build());
    def = dynamic_cast<swf::edit_text_definition*>(m->get_character_def(2));
    if (def) field = swf::smart_ptr<swf::edit_text_character>(
                 static_cast<swf::edit_text_character*>(def->create_character_instance(nullptr, 2)));
  }
  swf::script_value Get(const char* member) {
    swf::script_value v;
    EXPECT_TRUE(field->get_member(swf::string(member), &v)) << member;
    return v;
  }
  swftest::SwfLogCapture log;
  swf::smart_ptr<swf::movie_def_impl> m;
  swf::edit_text_definition* def = nullptr;
  swf::smart_ptr<swf::edit_text_character> field;
};

struct Line {
  float x, y;
  std::vector<float> advances;
};

std::vector<Line> LinesOf(swf::edit_text_character* field) {
  std::vector<Line> lines;
  swf::array<swf::glyph_record>& records = field->get_text_glyph_records();
  for (int i = 0; i < records.size(); ++i) {
    Line line{records[i].m_style.m_x_offset, records[i].m_style.m_y_offset, {}};
    for (int j = 0; j < records[i].m_glyphs.size(); ++j) line.advances.push_back(records[i].m_glyphs[j].m_glyph_advance);
    lines.push_back(line);
  }
  return lines;
}

TEST(EditTextTest, DefineEditTextReadsEveryField) {
  swfw::EditText e = Field(3000);
  e.wordWrap = e.multiline = e.border = e.html = true;
  e.maxLength = 12;
  e.layout = swfw::EditText::Layout{2, 100, 200, -30, 40};
  e.initialText = "ab";
  LoadedField l(e);
  ASSERT_NE(l.def, nullptr);
  const swf::edit_text_definition& d = *l.def;
  EXPECT_FLOAT_EQ(d.m_rect.m_x_max, 3000.0f);
  EXPECT_TRUE(d.m_word_wrap && d.m_multiline && d.m_border && d.m_html);
  EXPECT_FALSE(d.m_password || d.m_readonly || d.m_use_outlines || d.m_no_select);
  EXPECT_EQ(d.m_font_id, 1);
  EXPECT_FLOAT_EQ(d.m_text_height, 1024.0f);
  EXPECT_EQ(d.m_color, swf::rgba(10, 20, 30, 255));
  EXPECT_EQ(d.m_max_length, 12);
  EXPECT_EQ(d.m_alignment, 2);
  EXPECT_FLOAT_EQ(d.m_left_margin, 100.0f);
  EXPECT_FLOAT_EQ(d.m_right_margin, 200.0f);
  EXPECT_FLOAT_EQ(d.m_indent, -30.0f);
  EXPECT_FLOAT_EQ(d.m_leading, 40.0f);
  EXPECT_STREQ(d.m_variable_name.c_str(), "field");
  EXPECT_STREQ(d.m_default_text.c_str(), "ab");
  // The instance starts with the default text and is named after its variable.
  EXPECT_STREQ(l.field->text_value(), "ab");
  EXPECT_STREQ(l.field->get_name().c_str(), "field");
  EXPECT_STREQ(l.field->get_text_name(), "field");
}

// Lines are y 800 (1024 - 224 descent), then one text height (1024) apart.
TEST(EditTextTest, LayoutCases) {
  struct Case {
    const char* name;
    const char* text;
    int32_t width;
    uint8_t align;
    uint16_t rightMargin;
    std::vector<Line> lines;
  };
  const std::vector<Case> cases = {
      {"CR LF gives two line advances", "a\r\nb", 8080, 0, 0,
       {{0, 800, {512}}, {0, 1824, {}}, {0, 2848, {512}}}},
      {"a long word wraps glyph by glyph", "aaaaa", 1616, 0, 0,
       {{0, 800, {512, 512}}, {0, 1824, {512, 512}}, {0, 2848, {512}}}},
      {"a wrap breaks at the last space and drops it", "ba bab", 2080, 0, 0,
       {{0, 800, {512, 512}}, {0, 1824, {512, 512, 512}}}},
      {"backspace at a line start does nothing", "\bab", 8080, 0, 0, {{0, 800, {512, 512}}}},
      {"backspace after a glyph makes the next overprint it", "a\bb", 8080, 0, 0, {{0, 800, {0, 512}}}},
      // "ab" ends at 512 - 24 + 512 = 1000.
      {"right alignment ends lines at width - margin - 80", "ab\nb", 4080, 1, 100,
       {{4080 - 100 - 80 - 1000, 800, {512, 512}}, {4080 - 100 - 80 - 512, 1824, {512}}}},
      {"centre alignment moves half as far", "ab", 4080, 2, 0, {{(4080 - 80 - 1000) / 2.0f, 800, {512, 512}}}},
      {"justify stays at the left", "ab", 4080, 3, 0, {{0, 800, {512, 512}}}},
      // A character the font lacks keeps index -1 and advances half an em.
      {"a missing glyph advances 512", "\xC3\xA9" "a", 8080, 0, 0, {{0, 800, {512, 512}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    swfw::EditText e = Field(c.width);
    e.layout = swfw::EditText::Layout{c.align, 0, c.rightMargin, 0, 0};
    LoadedField l(e);
    ASSERT_NE(l.field, nullptr);
    l.field->set_text_value(c.text);
    std::vector<Line> got = LinesOf(l.field.get_ptr());
    ASSERT_EQ(got.size(), c.lines.size());
    for (size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_FLOAT_EQ(got[i].x, c.lines[i].x);
      EXPECT_FLOAT_EQ(got[i].y, c.lines[i].y);
      EXPECT_EQ(got[i].advances, c.lines[i].advances);
    }
  }
}

TEST(EditTextTest, MissingGlyphIsIndexMinusOneAndLogged) {
  LoadedField l(Field(8080));
  l.field->set_text_value("\xC3\xA9");
  ASSERT_EQ(l.field->get_text_glyph_records().size(), 1);
  EXPECT_EQ(l.field->get_text_glyph_records()[0].m_glyphs[0].m_glyph_index, -1);
  EXPECT_TRUE(l.log.Contains("missing glyph for char 233"));
}

TEST(EditTextTest, MarginsAndIndentPlaceTheFirstLineAndWrappedLines) {
  swfw::EditText e = Field(2080);
  e.layout = swfw::EditText::Layout{0, 100, 0, 50, 60};
  LoadedField l(e);
  l.field->set_text_value("aaaa\na");
  std::vector<Line> got = LinesOf(l.field.get_ptr());
  // The first line starts at margin + indent; a wrapped line at the margin alone; a line
  // after a newline at margin + indent again; lines are text height + leading apart.
  ASSERT_EQ(got.size(), 3u);
  EXPECT_FLOAT_EQ(got[0].x, 150.0f);
  EXPECT_EQ(got[0].advances.size(), 3u);  // the fourth passes 2080 - 80
  EXPECT_FLOAT_EQ(got[1].x, 100.0f);
  EXPECT_FLOAT_EQ(got[1].y, 800.0f + 1084.0f);
  EXPECT_FLOAT_EQ(got[2].x, 150.0f);
  EXPECT_FLOAT_EQ(got[2].y, 800.0f + 2 * 1084.0f);
}

TEST(EditTextTest, TextWidthIsZeroUntilTheTextChangesAndTheSameTextLaysOutOnce) {
  swfw::EditText e = Field(8080);
  e.initialText = "ab";
  LoadedField l(e);
  EXPECT_EQ(l.Get("textWidth").to_number(), 0.0);
  int layouts = l.field->get_layout_count();
  l.field->set_text_value("ab");
  EXPECT_EQ(l.field->get_layout_count(), layouts);
  EXPECT_EQ(l.Get("textWidth").to_number(), 0.0);
  l.field->set_member(swf::string("text"), swf::script_value("aab"));
  EXPECT_EQ(l.field->get_layout_count(), layouts + 1);
  // The box grows to the pen position before each character: 512 + 512 - 24.
  EXPECT_DOUBLE_EQ(l.Get("textWidth").to_number(), 1000.0 / 20.0);
  EXPECT_STREQ(l.Get("text").to_string().c_str(), "aab");
}

TEST(EditTextTest, MaxLengthCutsAtACharacterBoundary) {
  struct Case {
    const char* text;
    const char* kept;
  };
  // "a", e acute (2 bytes), euro sign (3 bytes).
  for (const Case& c : {Case{"abcdef", "abcd"}, Case{"a\xC3\xA9\xE2\x82\xAC", "a\xC3\xA9"},
                        Case{"\xE2\x82\xAC\xE2\x82\xAC", "\xE2\x82\xAC"}, Case{"abc", "abc"}}) {
    SCOPED_TRACE(c.kept);
    swfw::EditText e = Field(8080);
    e.maxLength = 4;
    LoadedField l(e);
    l.field->set_text_value(c.text);
    EXPECT_STREQ(l.field->text_value(), c.kept);
  }
}

TEST(EditTextTest, ScriptMembers) {
  LoadedField l(Field(8080));
  swf::edit_text_character& f = *l.field;
  f.set_member(swf::string("textColor"), swf::script_value(0x12AB7F));
  EXPECT_EQ(l.Get("textColor").to_number(), double(0x12AB7F));
  // Only the multipliers change.
  EXPECT_FLOAT_EQ(f.get_cxform().m_[3][0], 1.0f);
  EXPECT_FLOAT_EQ(f.get_cxform().m_[0][1], 0.0f);

  f.set_member(swf::string("_x"), swf::script_value(12.5));
  f.set_member(swf::string("_alpha"), swf::script_value(250.0));
  f.set_member(swf::string("_visible"), swf::script_value(false));
  f.set_member(swf::string("_width"), swf::script_value(1.0));  // ignored
  EXPECT_FLOAT_EQ(f.get_matrix().m_[0][2], 250.0f);
  EXPECT_DOUBLE_EQ(l.Get("_x").to_number(), 12.5);
  EXPECT_DOUBLE_EQ(l.Get("_alpha").to_number(), 100.0);  // clamped to 1
  EXPECT_FALSE(l.Get("_visible").to_bool());
  EXPECT_DOUBLE_EQ(l.Get("_width").to_number(), 8080.0 / 20.0);
  EXPECT_DOUBLE_EQ(l.Get("_height").to_number(), 4000.0 / 20.0);
  swf::script_value none;
  EXPECT_FALSE(f.get_member(swf::string("_rotation"), &none));
}

TEST(EditTextTest, AnUnknownFontLogsAndLaysOutNothing) {
  swfw::EditText e = Field(8080);
  e.initialText = "ab";
  LoadedField l(e, false);
  ASSERT_NE(l.field, nullptr);
  EXPECT_TRUE(l.log.Contains("error: text style with undefined font; font_id = 1"));
  EXPECT_EQ(l.field->get_text_glyph_records().size(), 0);
  EXPECT_STREQ(l.field->text_value(), "ab");
}

TEST(EditTextTest, BorderIsAWhiteBoxWithABlackOutlineUnderTheGlyphs) {
  swfw::EditText e = Field(2000);
  e.bounds = {-20, 2000, 40, 600};
  e.border = true;
  e.initialText = "a";
  LoadedField l(e);
  swftest::RecordingRenderHandler render;
  l.field->display();
  ASSERT_GE(render.strips.size(), 2u);
  EXPECT_EQ(render.strips[0], (std::vector<int16_t>{-20, 40, 2000, 40, -20, 600, 2000, 600}));
  EXPECT_EQ(render.strips[1], (std::vector<int16_t>{-20, 40, 2000, 40, 2000, 600, -20, 600, -20, 40}));
  EXPECT_EQ(render.Count("set_fill_color 0 255,255,255,255"), 1u);
  EXPECT_EQ(render.Count("set_line_color 0,0,0,255"), 1u);
}

TEST(EditTextTest, ATimelineVariableOfTheFieldsNameSetsItsText) {
  swfw::Movie movie;
  swfw::EditText e = Field(8080);
  e.variableName = "message";
  movie.Add(swfw::DefineFont2(1, LayoutFont())).Add(swfw::DefineEditText(2, e));
  movie.Add(swftest::Place(2, 1, "shown"));
  swfw::Actions set;
  set.Push({swfw::Actions::Str("MESSAGE"), swfw::Actions::Str("ba")}).Op("SetVariable");
  movie.Add(swfw::DoAction(set.Build())).ShowFrame().End();
  swftest::Played p(movie.Build());
  p.root->advance(0.0f);
  swf::character* field = p.child("shown");
  ASSERT_NE(field, nullptr);
  EXPECT_STREQ(field->text_value(), "ba");
  EXPECT_EQ(static_cast<swf::edit_text_character*>(field)->get_text_glyph_records()[0].m_glyphs.size(), 2);
}

}  // namespace
