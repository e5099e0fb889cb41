// The console's lines, command line, history, key bindings and script, without drawing.

#include <gtest/gtest.h>

#include <memory>

#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"
#include "platform/win32/SdlVideo.h"
#include "tests/app/AppTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

constexpr uint32_t kEscape = 0x01;
constexpr uint32_t kBackspace = 0x0E;
constexpr uint32_t kLetterQ = 0x10;
constexpr uint32_t kEnter = 0x1C;
constexpr uint32_t kGrave = 0x29;
constexpr uint32_t kLeftShift = 0x2A;
constexpr uint32_t kNumLock = 0x45;
constexpr uint32_t kUp = 0xC8;
constexpr uint32_t kDown = 0xD0;
constexpr uint32_t kInsert = 0xD2;

// A console whose keys type what the test says, so that any character can be tried.
class TypingConsole : public console::Console {
 public:
  uint16_t next = 0;
  void Press(uint32_t code) {
    input::KeyEvent event;
    event.code = code;
    event.down = true;
    event.changed = true;
    KeyPressed(&event);
  }
  void Type(const std::string& text) {
    for (char c : text) {
      next = static_cast<unsigned char>(c);
      Press(kLetterQ);
    }
  }

 protected:
  uint16_t CharacterOf(uint32_t) const override { return next; }
};

class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::WriteFile("scripts/console.lua", "Console = { TextHeight = 0.5, PromptPos = 0.55 }\n");
    callbackBefore_ = Log::Instance().callback;
    console_ = std::make_unique<TypingConsole>();
  }
  void TearDown() override { console_.reset(); }

  double Global(const char* name) const {
    LuaObject value = console_->GetState()->GetGlobal(name);
    return value.IsNumber() ? value.GetNumber() : -1.0;
  }

  std::unique_ptr<TypingConsole> console_;
  Log::Callback callbackBefore_ = nullptr;
};

TEST_F(ConsoleTest, KeepsTheFiftyNewestLogLines) {
  for (int i = 0; i < 60; ++i) LOG_LINE(MSG_COMMENT) << "line " << i;
  const std::vector<std::string> lines = console_->GetLines();
  ASSERT_EQ(lines.size(), 50u);
  EXPECT_NE(lines.front().find("line 10"), std::string::npos);
  EXPECT_NE(lines.back().find("line 59"), std::string::npos);
  EXPECT_EQ(lines.back().back(), ']');  // the line break is dropped

  console_->Print("x\n\n");
  console_->Print("");
  EXPECT_EQ(console_->GetLines().back(), "x\n");
  EXPECT_EQ(console_->GetLines().size(), 50u);
}

TEST_F(ConsoleTest, ReadsItsScriptAndRegistersItsClasses) {
  console_->Init("scripts/console.lua");
  ASSERT_NE(console_->GetState(), nullptr);
  EXPECT_FLOAT_EQ(console_->textHeight, 0.5f);
  EXPECT_FLOAT_EQ(console_->promptPos, 0.55f);
  EXPECT_FLOAT_EQ(console_->backgroundHeight, 0.45f);  // missing key: default

  console_->Do("hasConsole = GetConsole() ~= nil and 1 or 0");
  EXPECT_EQ(Global("hasConsole"), 1.0);
  console_->Do("hasConfig = GetConfig() ~= nil and 1 or 0");
  EXPECT_EQ(Global("hasConfig"), 1.0);
}

TEST_F(ConsoleTest, WithoutAConsoleTableTheGeometryKeepsItsDefaults) {
  testenv::WriteFile("scripts/plain.lua", "x = 1\n");
  console_->Init("scripts/plain.lua");
  EXPECT_FLOAT_EQ(console_->textHeight, 0.35f);
  EXPECT_FLOAT_EQ(console_->promptPos, 0.4f);
  EXPECT_FLOAT_EQ(console_->backgroundHeight, 0.45f);
}

TEST_F(ConsoleTest, AMissingScriptIsLoggedAndTheStateExistsAllTheSame) {
  console_->Init("scripts/missing.lua");
  EXPECT_NE(console_->GetState(), nullptr);
  bool found = false;
  for (const std::string& line : console_->GetLines()) {
    found |= line.find("Unable to open Console file scripts/missing.lua  [MSG_WARNING]") != std::string::npos;
  }
  EXPECT_TRUE(found);
}

TEST_F(ConsoleTest, EnterRunsTheCommandAndKeepsItInTheHistory) {
  console_->Init("scripts/console.lua");
  console_->Press(kGrave);
  ASSERT_TRUE(console_->IsOpen());
  const size_t before = console_->GetLines().size();

  console_->Type("print('x')");
  EXPECT_EQ(console_->GetInput(), "print('x')");
  console_->Press(kEnter);
  const std::vector<std::string> lines = console_->GetLines();
  ASSERT_EQ(lines.size(), before + 3);
  EXPECT_EQ(lines[before], "print('x')");
  EXPECT_EQ(lines[before + 1], "x  [MSG_SCRIPT]");
  EXPECT_EQ(lines[before + 2], "print('x')");
  EXPECT_EQ(console_->GetInput(), "");

  // An empty command adds an empty history entry and runs nothing.
  console_->Press(kEnter);
  EXPECT_EQ(console_->GetLines().size(), before + 3);
  EXPECT_EQ(console_->GetHistory(), (std::vector<std::string>{"print('x')", ""}));
}

TEST_F(ConsoleTest, UpAndDownWalkTheHistory) {
  console_->Init("scripts/console.lua");
  console_->Press(kNumLock);
  console_->Type("a");
  console_->Press(kEnter);
  console_->Type("b");
  console_->Press(kEnter);
  const struct {
    uint32_t key;
    const char* input;
  } walk[] = {{kUp, "b"}, {kUp, "a"}, {kUp, "a"}, {kDown, "b"}, {kDown, "b"}};
  for (const auto& step : walk) {
    console_->Press(step.key);
    EXPECT_EQ(console_->GetInput(), step.input);
  }
  console_->Press(kBackspace);
  EXPECT_EQ(console_->GetInput(), "");
  console_->Press(kBackspace);  // nothing left to remove
  EXPECT_EQ(console_->GetInput(), "");
}

TEST_F(ConsoleTest, TheHistoryIsBounded) {
  console_->Press(kGrave);
  for (size_t i = 0; i < console::Console::kMaxHistory + 20; ++i) {
    console_->Type(std::to_string(i % 10));
    console_->Press(kEnter);
  }
  EXPECT_EQ(console_->GetHistory().size(), console::Console::kMaxHistory);
  console_->Press(kUp);
  EXPECT_EQ(console_->GetInput(), std::to_string((console::Console::kMaxHistory + 19) % 10));
}

TEST_F(ConsoleTest, OnlyPrintableAsciiIsTyped) {
  console_->Press(kGrave);
  for (uint16_t c : {uint16_t{0x1F}, uint16_t{0x20}, uint16_t{0x7E}, uint16_t{0x7F}, uint16_t{0x80},
                     uint16_t{0xE9}, uint16_t{0}}) {
    console_->next = c;
    console_->Press(kLetterQ);
  }
  EXPECT_EQ(console_->GetInput(), " ~");
}

TEST_F(ConsoleTest, BindingsRunWhetherOpenOrNotAndRebindingReplaces) {
  console_->Init("scripts/console.lua");
  ASSERT_FALSE(console_->IsOpen());
  console_->BindKey(kEscape, "n = (n or 0) + 1");
  console_->Press(kEscape);
  EXPECT_EQ(Global("n"), 1.0);
  EXPECT_EQ(console_->GetLines().back(), "n = (n or 0) + 1");

  console_->BindKey(kEscape, "m = 1");
  EXPECT_EQ(console_->GetBindings().size(), 1u);
  console_->Press(kGrave);
  console_->Press(kEscape);
  EXPECT_EQ(Global("m"), 1.0);
  EXPECT_EQ(Global("n"), 1.0);

  // While closed, typing does nothing; the console key opens and closes it.
  console_->Press(kGrave);
  EXPECT_FALSE(console_->IsOpen());
  console_->Type("zz");
  EXPECT_EQ(console_->GetInput(), "");
}

TEST_F(ConsoleTest, WithoutAStateNothingRuns) {
  console_->BindKey(kEscape, "n = 1");
  const size_t lines = console_->GetLines().size();
  console_->Do("n = 2");
  console_->Press(kEscape);
  EXPECT_EQ(console_->GetLines().size(), lines);

  console_->Init("scripts/console.lua");
  console_->Shutdown();
  EXPECT_EQ(console_->GetState(), nullptr);
  const size_t afterShutdown = console_->GetLines().size();
  console_->Do("n = 3");
  console_->Press(kEscape);
  EXPECT_EQ(console_->GetLines().size(), afterShutdown);
}

TEST_F(ConsoleTest, AFailingCommandIsReportedThroughTheLog) {
  console_->Init("scripts/console.lua");
  console_->Do("this is not lua");
  const std::vector<std::string> lines = console_->GetLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), "this is not lua");
  EXPECT_NE(lines[lines.size() - 2].find("[MSG_SCRIPT]"), std::string::npos);
}

TEST_F(ConsoleTest, ShiftInsertPastesTheClipboard) {
  apptest::ScriptedInput scripted;
  ASSERT_TRUE(scripted.StartDevices());
  console_ = std::make_unique<TypingConsole>();  // registered with the new keyboard
  input::Keyboard* keyboard = input::GetDevices().keyboard;
  ASSERT_TRUE(keyboard->SetClipboardText(u"pasted"));

  console_->Press(kGrave);
  console_->Press(kInsert);
  EXPECT_EQ(console_->GetInput(), "");
  scripted.source.Key(static_cast<uint8_t>(kLeftShift), true);
  keyboard->Update(false, 0.016f, 1.0f);
  console_->Press(kInsert);
  EXPECT_EQ(console_->GetInput(), "pasted");

  console_.reset();
}

// Key bindings run from the keyboard's dispatch, also for a console made before the
// input devices existed.
TEST_F(ConsoleTest, AConsoleMadeBeforeTheDevicesHearsTheKeyboardOnceStarted) {
  apptest::ScriptedInput scripted;
  ASSERT_TRUE(plat::EnsureVideo());
  console_.reset();
  input::GetDevices().Shutdown();
  console_ = std::make_unique<TypingConsole>();
  ASSERT_TRUE(input::GetDevices().Init(nullptr));
  console_->Init("scripts/console.lua");
  console_->BindKey(kEscape, "escapes = (escapes or 0) + 1");

  scripted.source.Key(static_cast<uint8_t>(kEscape), true);
  scripted.source.Key(static_cast<uint8_t>(kEscape), false);
  input::GetDevices().keyboard->Update(false, 0.016f, 1.0f);
  EXPECT_EQ(Global("escapes"), 1.0);

  console_.reset();
  EXPECT_EQ(input::GetDevices().keyboard->ListenerCount(), 0u);
}

// Destroyed, the console stops receiving the log.
TEST_F(ConsoleTest, ADestroyedConsoleLeavesTheLog) {
  console_.reset();
  EXPECT_EQ(Log::Instance().callback, callbackBefore_);
  LOG_LINE(MSG_COMMENT) << "after the console";  // must not reach a destroyed object
}

}  // namespace
