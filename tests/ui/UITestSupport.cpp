#include "tests/ui/UITestSupport.h"

#include <map>

#include "engine/app/Audio.h"
#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/core/Console.h"
#include "engine/core/StrMan.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIText.h"
#include "platform/bass/Backend.h"
#include "platform/bass/RecordingBackend.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"
#include "tests/graphics/FontFixtures.h"
#include "tests/support/TestEnv.h"

namespace uitest {

namespace {

bass::RecordingBackend& Backend() {
  static bass::RecordingBackend backend;
  return backend;
}

// Every printable character, 10 x 12 pixels, the space 5 wide.
std::string FontDescription() {
  std::vector<fonttest::GlyphEntry> glyphs;
  for (int c = 32; c < 127; ++c) {
    fonttest::GlyphEntry g;
    g.id = c;
    g.x = (c - 32) % 25 * 10;
    g.y = (c - 32) / 25 * 12;
    if (c == ' ') g.w = 5;
    glyphs.push_back(g);
  }
  return fonttest::FontFile("fonts/ui_test.png", 0, glyphs);
}

}  // namespace

Sounds::Sounds() {
  bass::SetBackend(&Backend());
  testenv::WriteFile("sounds/ui_bank.lua",
                     "SoundBank = {\n"
                     "  { Name = 'button_press', Files = { 'sounds/button_press.wav' } },\n"
                     "  { Name = 'button_rollover', Files = { 'sounds/button_rollover.wav' } },\n"
                     "  { Name = 'textbox_new_text', Files = { 'sounds/textbox_new_text.wav' } },\n"
                     "}\n");
  // The recording back end takes any bytes: each file holds its sound's name.
  for (const char* name : {"button_press", "button_rollover", "textbox_new_text"}) {
    testenv::WriteFile(std::string("sounds/") + name + ".wav", name);
  }
  audio::GetAudio().Init("sounds/ui_bank.lua");
  Clear();
}

Sounds& Sounds::Instance() {
  static Sounds sounds;
  return sounds;
}

std::vector<std::string> Sounds::Played() const {
  std::map<int64_t, std::string> names;
  std::vector<std::string> played;
  const auto& calls = Backend().Calls();
  for (size_t i = 0; i < calls.size(); ++i) {
    const auto& call = calls[i];
    if (call.function == "BASS_SampleLoad") names[call.result] = call.data;
    if (i >= mark_ && call.function == "BASS_SampleGetChannel" && !call.args.empty()) {
      played.push_back(names[call.args[0]]);
    }
  }
  return played;
}

size_t Sounds::Count(const std::string& name) const {
  size_t count = 0;
  for (const std::string& played : Played()) count += played == name;
  return count;
}

void Sounds::Clear() { mark_ = Backend().Calls().size(); }

void UITest::SetUp() {
  testenv::WriteFile("scripts/console.lua", "Console = {}\n");
  console::GetConsole().Init("scripts/console.lua");
  ASSERT_TRUE(ui::RegisterUIClasses(console::GetConsole().GetState()));
  testenv::WriteFile("fonts/ui_test.lua", FontDescription());
  FontManager& fonts = FontManager::Get();
  fonts.defaultFont = fonts.InitBitmapFont("SmallFont", "fonts/ui_test.lua");
  Sounds::Instance().Clear();
}

void UITest::TearDown() {
  ui_.Shutdown();
  ui_.ClearEditWidget();
  ui_.uiShown = true;
  ui_.cursorShown = true;
  ui_.language = ui::UIManager::kDefaultLanguage;
  ui_.cursor.LoadImage("");  // the next test's renderer loads it again
  ui_.cursorTried = false;
  ui::UIText::ReplacementTable().clear();
  ui::GetSpriteSet().Clear();
  lang::StrMan::Instance().Clear();
  FontManager::Get().Shutdown();
  FontManager::Get().defaultFont = nullptr;
  console::GetConsole().Shutdown();
}

void UITest::Run(const std::string& chunk) {
  EXPECT_EQ(console::GetConsole().GetState()->DoString(chunk.c_str()), 0) << chunk;
}

std::string UITest::Global(const std::string& name) {
  LuaObject value = console::GetConsole().GetState()->GetGlobal(name);
  if (value.IsString()) return value.ToStdString();
  if (value.IsNumber()) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value.GetNumber());
    return text;
  }
  if (value.IsBoolean()) return value.GetBoolean() ? "true" : "false";
  return "";
}

void UITest::Write(const std::string& path, const std::string& text) {
  ASSERT_TRUE(testenv::WriteFile(path, text)) << path;
}

namespace {
input::MouseButton Button(int id) {
  input::MouseButton button;
  button.id = static_cast<uint32_t>(id);
  return button;
}
}  // namespace

void UITest::Press(const math::Vec2& at, int button) {
  const input::MouseButton b = Button(button);
  ui_.MouseButtonPressed(&b, &at);
}

void UITest::Release(const math::Vec2& at, int button) {
  const input::MouseButton b = Button(button);
  ui_.MouseButtonReleased(&b, &at);
}

void UITest::Held(const math::Vec2& at, int button) {
  const input::MouseButton b = Button(button);
  ui_.MouseButtonDown(&b, &at);
}

void UITest::DoubleClick(const math::Vec2& at, int button) {
  const input::MouseButton b = Button(button);
  ui_.MouseDoubleClick(&b, &at);
}

void UITest::Move(const math::Vec2& from, const math::Vec2& to) { ui_.MouseMoved(&from, &to); }

void UITest::Drag(const math::Vec2& start, const math::Vec2& at) { ui_.MouseDragged(&start, &at); }

void UITest::Drop(const math::Vec2& start, const math::Vec2& at) { ui_.MouseDragEnd(&start, &at); }

void UITest::Key(uint32_t code, bool pressed) {
  input::KeyEvent event;
  event.code = code;
  event.down = pressed;
  event.changed = true;
  if (pressed) {
    ui_.KeyPressed(&event);
  } else {
    ui_.KeyReleased(&event);
  }
}

}  // namespace uitest
