// Text blocks (translation, replacement words, alignment, editing, passwords, fitting)
// and number styles (grouped numbers, times, glyph widths).

#include "engine/ui/UIText.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "engine/core/Console.h"
#include "engine/core/StrMan.h"
#include "engine/graphics/Graphics.h"
#include "engine/ui/UINumber.h"
#include "platform/dinput/DInput.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/UITestSupport.h"

namespace {

using ui::UIManager;
using ui::UIText;
using ui::UIWidget;

// DirectInput codes of the keys the tests type.
constexpr uint32_t kKeyA = 0x1E, kKeyB = 0x30, kKeyC = 0x2E, kKeyD = 0x20, kKeyE = 0x12;
constexpr uint32_t kKeyBracket = 0x1A, kKeyLeftShift = 0x2A;

constexpr float kChar = 10.0f / 800;  // one glyph of the test font

class UITextTest : public uitest::UITest {
 protected:
  // A panel made in code, with its text laid left in the rectangle.
  UIWidget* Widget(const math::Vec2& position = {0.1f, 0.1f}, const math::Vec2& size = {0.5f, 0.1f}) {
    auto* widget = new UIWidget(nullptr, "");
    widget->Create("text", position, size);
    widget->text.SetHJust("left");
    ui_.AttachPanel(widget);
    return widget;
  }
  UIWidget* Edited() {
    UIWidget* widget = Widget();
    widget->SetCanEdit(true);
    ui_.SetEditWidget(widget);
    return widget;
  }
  void Type(std::initializer_list<uint32_t> keys) {
    for (uint32_t key : keys) Key(key);
  }
  static std::string Text(const UIWidget* widget) { return widget->GetText(); }
};

TEST_F(UITextTest, FixedTextsAreTranslatedAndTakeTheReplacementWordsInOrder) {
  lang::StrMan::Instance().Insert("MENU_PLAY", new WString(u"Play now"));
  UIWidget* widget = Widget();
  widget->SetText("MENU_PLAY");
  EXPECT_EQ(Text(widget), "Play now");
  EXPECT_EQ(ToNarrow(widget->text.rawText), "MENU_PLAY");
  widget->SetText("NOT_A_KEY");
  EXPECT_EQ(Text(widget), "NOT_A_KEY");  // a missing entry shows the key

  // Pairs apply in the order they were added, each to the result of the one before.
  ui_.AddReplaceWord("now", "today");
  ui_.AddReplaceWord("today", "later");
  widget->SetText("MENU_PLAY");
  EXPECT_EQ(Text(widget), "Play later");

  widget->AppendText("MENU_PLAY");
  EXPECT_EQ(Text(widget), "Play laterPlay later");

  // An editable text is its own raw text.
  UIWidget* edited = Widget();
  edited->SetCanEdit(true);
  edited->SetText("MENU_PLAY");
  EXPECT_EQ(Text(edited), "MENU_PLAY");
  EXPECT_EQ(edited->text.caret, 9);

  // A font the manager lacks is its default font.
  widget->SetFont("NoSuchFont");
  EXPECT_EQ(widget->GetFont(), "SmallFont");
  UIText orphan;
  EXPECT_EQ(orphan.GetFont(), "unknown");
}

TEST_F(UITextTest, AlignmentWordsIgnoreCaseAndPlaceTheText) {
  struct Case {
    const char* word;
    int value;
  } horizontal[] = {{"left", UIText::kLeft}, {"LEFT", UIText::kLeft}, {"Right", UIText::kRight},
                    {"center", UIText::kCentre}, {"middle", UIText::kCentre}},
    vertical[] = {{"TOP", UIText::kTop}, {"bottom", UIText::kBottom}, {"left", UIText::kCentre}};
  UIText text;
  for (const Case& c : horizontal) {
    text.SetHJust(c.word);
    EXPECT_EQ(text.hJust, c.value) << c.word;
  }
  for (const Case& c : vertical) {
    text.SetVJust(c.word);
    EXPECT_EQ(text.vJust, c.value) << c.word;
  }

  UIWidget* widget = Widget({0.1f, 0.2f}, {0.5f, 0.1f});
  widget->SetText("ABCD");  // 40 x 12 pixels
  UIText& t = widget->text;
  EXPECT_NEAR(t.textSize.x, 4 * kChar, 1e-6);
  EXPECT_NEAR(t.origin.x, 0.105f, 1e-6);
  t.SetHJust("right");
  EXPECT_NEAR(t.origin.x, 0.1f + (0.5f - 0.01f) - 4 * kChar - 0.005f, 1e-6);
  t.SetHJust("center");
  EXPECT_NEAR(t.origin.x, 0.1f + (0.49f - 4 * kChar) / 2, 1e-6);
}

TEST_F(UITextTest, KeysEditTheTextAtTheCaret) {
  UIWidget* widget = Edited();
  UIText& t = widget->text;
  Type({kKeyA, kKeyB, kKeyC});
  EXPECT_EQ(Text(widget), "abc");
  EXPECT_EQ(t.caret, 3);
  Type({DIK_LEFT, DIK_LEFT, kKeyD});
  EXPECT_EQ(Text(widget), "adbc");
  Type({DIK_HOME, DIK_DELETE});
  EXPECT_EQ(Text(widget), "dbc");
  EXPECT_EQ(t.caret, 0);
  Type({DIK_END, DIK_BACK});
  EXPECT_EQ(Text(widget), "db");
  EXPECT_EQ(t.caret, 2);
  EXPECT_EQ(ToNarrow(t.rawText), "db");

  // Backspace at the start changes nothing, also with everything selected.
  t.SelectAll();
  Key(DIK_BACK);
  EXPECT_EQ(Text(widget), "db");
  // Typing over a selection replaces it.
  t.SelectAll();
  Key(kKeyE);
  EXPECT_EQ(Text(widget), "e");

  // Backspace over a selection leaves the caret where the selection began.
  widget->SetText("abcde");
  t.caret = 1;
  t.selectionEnd = 3;
  Key(DIK_BACK);
  EXPECT_EQ(Text(widget), "ade");
  EXPECT_EQ(t.caret, 1);
  EXPECT_EQ(t.selectionEnd, 1);

  // A caret left beyond a text made shorter from outside is brought back to its end.
  t.caret = t.selectionEnd = 40;
  Key(DIK_DELETE);
  Key(kKeyA);
  EXPECT_EQ(Text(widget), "adea");
}

TEST_F(UITextTest, TypingStopsAtMaxInputAndAtTheWidthOfTheBox) {
  UIWidget* widget = Edited();
  widget->text.maxInput = 5;
  for (int i = 0; i < 8; ++i) Key(kKeyA);
  EXPECT_EQ(Text(widget), "aaaaa");

  // 0.1 wide: 0.9 x 0.09 - 0.01 leaves room for 56.8 pixels, five glyphs of 10.
  UIWidget* narrow = Widget({0.1f, 0.3f}, {0.1f, 0.1f});
  narrow->SetCanEdit(true);
  ui_.SetEditWidget(narrow);
  for (int i = 0; i < 8; ++i) Key(kKeyB);
  EXPECT_EQ(Text(narrow), "bbbbb");
  EXPECT_EQ(narrow->text.caret, 5);
  narrow->SetText("ABCDEFGH");
  EXPECT_TRUE(narrow->text.ShrinkToFit());
  EXPECT_EQ(Text(narrow), "ABCDE");
  EXPECT_FALSE(narrow->text.ShrinkToFit());
}

TEST_F(UITextTest, RefusedCharactersAreLoggedWithoutTheTypingSound) {
  UIWidget* widget = Edited();
  uitest::Sounds::Instance().Clear();
  LogCapture log;
  Key(kKeyBracket);
  EXPECT_EQ(Text(widget), "");
  EXPECT_TRUE(log.Contains("Tried typing an invalid character ["));
  EXPECT_EQ(uitest::Sounds::Instance().Count("textbox_new_text"), 0u);

  Key(kKeyA);
  Key(kKeyLeftShift);  // a modifier on its own makes no sound
  EXPECT_EQ(uitest::Sounds::Instance().Played(), std::vector<std::string>{"textbox_new_text"});
}

TEST_F(UITextTest, ReturnFiresTheEnterEventAndTabMovesToTheNextText) {
  UIWidget* panel = Widget({0.0f, 0.0f}, {1.0f, 1.0f});
  auto* name = new UIWidget(panel, "");
  name->Create("name", {0.1f, 0.1f}, {0.3f, 0.05f});
  name->SetCanEdit(true);
  name->next = "town";
  name->SetEventHandler(UIWidget::EV_TextEnter, "entered = 'name'");
  auto* town = new UIWidget(panel, "");
  town->Create("town", {0.1f, 0.2f}, {0.3f, 0.05f});
  town->SetCanEdit(true);
  town->SetText("Oulu");
  panel->AddChild(name);
  panel->AddChild(town);

  ui_.SetEditWidget(name);
  Key(DIK_RETURN);
  EXPECT_EQ(Global("entered"), "name");
  Key(DIK_TAB, false);
  EXPECT_EQ(ui_.GetEditText(), &town->text);
  EXPECT_EQ(town->text.caret, 0);
  EXPECT_EQ(town->text.selectionEnd, 4);  // the whole text selected

  // A next that names no widget of the panel changes nothing.
  town->next = "nowhere";
  Key(DIK_TAB, false);
  EXPECT_EQ(ui_.GetEditText(), &town->text);
}

TEST_F(UITextTest, APasswordDrawsOneXACharacterAndMeasuresTheClearText) {
  UIWidget* secret = Widget({0.1f, 0.1f});
  secret->text.isPassword = true;
  secret->SetText("a b");  // 25 pixels; "XXX" would be 30
  UIWidget* masked = Widget({0.1f, 0.1f});
  masked->SetText("XXX");

  EXPECT_NEAR(secret->text.textSize.x, 25.0f / 800, 1e-6);
  secret->text.Render();
  masked->text.Render();
  ASSERT_EQ(renderer_.draws.size(), 2u);
  ASSERT_EQ(renderer_.draws[0].vertices.size(), 18u);
  for (size_t i = 0; i < 18; ++i) {
    EXPECT_FLOAT_EQ(renderer_.draws[0].vertices[i].u, renderer_.draws[1].vertices[i].u);
    EXPECT_FLOAT_EQ(renderer_.draws[0].vertices[i].x, renderer_.draws[1].vertices[i].x);
  }
}

TEST_F(UITextTest, APressInTheEditedTextPlacesTheCaretUnderThePointer) {
  UIWidget* widget = Edited();
  widget->SetText("abcd");
  const float left = 0.105f;  // the text starts at the border
  const float y = 0.15f;
  struct Case {
    float x;
    int caret;
  } cases[] = {
      {left - 0.003f, 0},            // inside the widget, left of the text
      {left + 0.5f * kChar, 0},      // on the first character
      {left + 2.5f * kChar, 2},      // on the third
      {left + 3.5f * kChar, 4},      // on the last: after it
      {left + 6.0f * kChar, 4},      // right of the text
  };
  for (const Case& c : cases) {
    Press({c.x, y});
    EXPECT_EQ(widget->text.caret, c.caret) << c.x;
    EXPECT_EQ(widget->text.selectionEnd, c.caret);
  }
  // Dragging inside the edited text selects.
  Drag({left + 0.5f * kChar, y}, {left + 2.5f * kChar, y});
  EXPECT_EQ(widget->text.caret, 0);
  EXPECT_EQ(widget->text.selectionEnd, 3);  // through the character under the pointer
  // A double click selects the whole text.
  DoubleClick({left, y});
  EXPECT_EQ(widget->text.selectionEnd, 4);
}

// --- Number styles ---

class UINumberTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Glyph g spans u from g x 0.05 to (g + 1) x 0.05, so a quad names its glyph.
    testenv::WriteFile("img/digits.lua",
                       "Number = { Image = 'img/digits.png', Size = { 0.02, 0.04 },\n"
                       "  Coords = { 0, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.45, 0.5,"
                       " 0.55, 0.6, 0.65, 0.7, 0.75 } }\n");
    ASSERT_TRUE(number_.Load("img/digits.lua"));
  }
  std::vector<int> Glyphs(int32_t value, bool separators) {
    ScreenVertex vertices[ui::UINumber::kMaxGlyphs * 6];
    const uint32_t count = number_.BuildVertices(value, separators, {0, 0}, {0.02f, 0.04f}, vertices);
    std::vector<int> glyphs;
    for (uint32_t i = 0; i < count; i += 6) {
      glyphs.push_back(static_cast<int>(vertices[i + 1].u / 0.05f + 0.5f));
    }
    return glyphs;
  }

  spritetest::SpriteRenderer renderer_;
  ui::UINumber number_;
};

TEST_F(UINumberTest, NumbersAndTimesBecomeGlyphs) {
  constexpr int S = ui::UINumber::kSeparator, C = ui::UINumber::kColon, M = ui::UINumber::kMinus;
  struct Case {
    int32_t value;
    bool separators, time;
    std::vector<int> glyphs;
  } cases[] = {
      {1234567, true, false, {1, S, 2, 3, 4, S, 5, 6, 7}},
      {1234567, false, false, {1, 2, 3, 4, 5, 6, 7}},
      {123, true, false, {1, 2, 3}},
      {0, true, false, {0}},
      {-5, true, false, {M, 5}},
      {INT_MIN, true, false, {M, 2, S, 1, 4, 7, S, 4, 8, 3, S, 6, 4, 8}},
      {75, false, true, {1, C, 1, 5}},
      {5, false, true, {0, 5}},
      {600, false, true, {1, 0, C, 0, 0}},
      {-3, false, true, {0, 0}},  // a negative time shows no time left
  };
  for (const Case& c : cases) {
    number_.timeMode = c.time;
    EXPECT_EQ(Glyphs(c.value, c.separators), c.glyphs) << c.value;
  }
}

TEST_F(UINumberTest, SeparatorAndColonAreNarrowAndTheStyleScales) {
  const math::Vec2 extent = number_.GetExtent(1234567, 2.0f, true);
  EXPECT_NEAR(extent.x, (7 + 2 * 0.3f) * 0.04f, 1e-6);
  EXPECT_NEAR(extent.y, 0.08f, 1e-6);

  number_.Render(-42, {0.25f, 0.5f}, 1.0f, false);
  ASSERT_EQ(renderer_.draws.size(), 1u);
  const auto& v = renderer_.draws[0].vertices;
  ASSERT_EQ(v.size(), 18u);
  EXPECT_EQ(renderer_.textures.back().second, number_.image);
  EXPECT_FLOAT_EQ(v[1].x, 200.0f - 0.5f);  // the top-left corner of the first glyph
  EXPECT_FLOAT_EQ(v[1].y, 300.0f - 0.5f);
  EXPECT_FLOAT_EQ(v[7].x, 216.0f - 0.5f);  // the next glyph, 0.02 x 800 pixels on
  EXPECT_FLOAT_EQ(v[1].v, 0.0f);
  EXPECT_FLOAT_EQ(v[0].v, 1.0f);
}

TEST_F(UINumberTest, MissingCoordsKeepTheirDefaultsAndABrokenFileIsLogged) {
  testenv::WriteFile("img/partial.lua", "Number = { Coords = { 0.5, 0.6 } }\n");
  ui::UINumber partial;
  ASSERT_TRUE(partial.Load("img/partial.lua"));
  EXPECT_FLOAT_EQ(partial.coords[0], 0.5f);
  EXPECT_FLOAT_EQ(partial.coords[1], 0.6f);
  EXPECT_FLOAT_EQ(partial.coords[2], 0.15857142f);
  EXPECT_FLOAT_EQ(partial.coords[13], 0.0f);
  EXPECT_FLOAT_EQ(partial.size.x, 0.02f);
  EXPECT_FLOAT_EQ(partial.size.y, 0.03f);

  LogCapture log;
  ui::UINumber broken;
  EXPECT_FALSE(broken.Load("img/none.lua"));
  EXPECT_TRUE(log.Contains("Unable to load UINumber ini fileimg/none.lua!"));
  EXPECT_EQ(ui::g_sharedNumbers[0], nullptr);
  EXPECT_EQ(ui::g_sharedNumbers[1], nullptr);
}

}  // namespace
