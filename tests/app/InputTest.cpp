// The keyboard and the mouse fed by scripted device streams, updated directly with the
// frame time and total time a frame would pass.

#include <gtest/gtest.h>

#include <memory>

#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "platform/win32/ScriptedEventSource.h"
#include "tests/app/AppTestSupport.h"

namespace apptest {
namespace {

constexpr uint8_t kBackspace = 0x0E;
constexpr uint8_t kKeyA = 0x1E;
constexpr uint8_t kLeftShift = 0x2A;

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scripted_.StartDevices());
    keyboard_ = input::GetDevices().keyboard;
    mouse_ = input::GetDevices().mouse;
    ASSERT_NE(keyboard_, nullptr);
    ASSERT_NE(mouse_, nullptr);
  }
  // One frame of input at 60 frames a second.
  void Frame(bool skip = false) {
    time_ += kDt;
    input::GetDevices().Update(skip, kDt, time_);
  }
  void MouseAt(float seconds) {
    time_ = seconds;
    mouse_->Update(false, kDt, time_);
  }

  static constexpr float kDt = 1.0f / 60.0f;
  ScriptedInput scripted_;
  input::Keyboard* keyboard_ = nullptr;
  input::Mouse* mouse_ = nullptr;
  float time_ = 10.0f;
};

TEST_F(InputTest, HeldKeysRepeatBackspaceFasterThanOthers) {
  struct Case {
    uint8_t code;
    size_t repeats;  // in one second at 60 frames a second
  };
  for (const Case& c : {Case{kBackspace, 6}, Case{kKeyA, 2}}) {
    SCOPED_TRACE(static_cast<int>(c.code));
    InputRecorder recorder;
    scripted_.source.Key(c.code, true);
    for (int frame = 0; frame < 60; ++frame) Frame();
    scripted_.source.Key(c.code, false);
    Frame();
    EXPECT_EQ(recorder.Starting("KeyRepeat").size(), c.repeats);
    EXPECT_EQ(recorder.Starting("KeyDown").size(), 60u);
    EXPECT_EQ(recorder.Starting("KeyPressed").size(), 1u);
    EXPECT_EQ(recorder.Starting("KeyReleased").size(), 1u);
  }
}

TEST_F(InputTest, KeyPressedAndReleasedBetweenUpdatesGivesBothAndNoKeyDown) {
  InputRecorder recorder;
  scripted_.source.Key(kKeyA, true);
  scripted_.source.Key(kKeyA, false);
  Frame();
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"KeyPressed 1e", "KeyReleased 1e"}));
  EXPECT_FALSE(keyboard_->GetKey(kKeyA)->down);
  EXPECT_EQ(keyboard_->GetKey(256), nullptr);
  EXPECT_NE(keyboard_->GetKey(255), nullptr);
}

TEST_F(InputTest, ASkippedUpdateDropsTheBufferedKeys) {
  InputRecorder recorder;
  scripted_.source.Key(kKeyA, true);
  scripted_.source.Key(kKeyA, false);
  scripted_.source.Key(kBackspace, true);
  Frame(true);
  Frame();
  Frame();
  // Backspace is held, but its press was never seen: no event at all.
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_FALSE(keyboard_->GetKey(kBackspace)->down);
}

TEST_F(InputTest, ReleaseAllForgetsHeldKeysAndButtonsWithoutEvents) {
  InputRecorder recorder;
  scripted_.source.Key(kKeyA, true);
  scripted_.source.Button(0, true);
  Frame();
  recorder.calls.clear();
  input::GetDevices().ReleaseAll();
  EXPECT_FALSE(keyboard_->GetKey(kKeyA)->down);
  EXPECT_TRUE(keyboard_->GetKey(kKeyA)->changed);
  EXPECT_FALSE(mouse_->buttons[0].down);
  EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(InputTest, DoubleClickWithinThreeTenthsOfTheLastRelease) {
  struct Case {
    const char* what;
    float releases[3];
    bool doubleClicks[3];
  };
  const Case cases[] = {
      {"0.25 s apart", {1.0f, 1.25f, 1.5f}, {false, true, true}},
      {"a third after 0.4 s", {1.0f, 1.25f, 1.65f}, {false, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    input::GetDevices().Shutdown();
    ASSERT_TRUE(input::GetDevices().Init(nullptr));
    mouse_ = input::GetDevices().mouse;
    InputRecorder recorder;
    for (int i = 0; i < 3; ++i) {
      scripted_.source.Button(0, true);
      MouseAt(c.releases[i] - 0.1f);
      recorder.calls.clear();
      scripted_.source.Button(0, false);
      MouseAt(c.releases[i]);
      if (c.doubleClicks[i]) {
        EXPECT_EQ(recorder.Starting("MouseDoubleClick"), std::vector<std::string>{"MouseDoubleClick 0"});
        EXPECT_EQ(recorder.calls.front(), "MouseDoubleClick 0");  // before the release
      } else {
        EXPECT_TRUE(recorder.Starting("MouseDoubleClick").empty()) << i;
      }
      EXPECT_EQ(recorder.Count("MouseButtonReleased 0"), 1u);
    }
  }
}

TEST_F(InputTest, APressStartsADragThatItsReleaseEnds) {
  InputRecorder recorder;
  input::g_cursorPosition = math::Vec2{0.25f, 0.5f};
  scripted_.source.Motion(3, 0);
  Frame();
  recorder.calls.clear();

  scripted_.source.Button(0, true);
  Frame();
  EXPECT_EQ(recorder.Starting("MouseButton"),
            (std::vector<std::string>{"MouseButtonPressed 0", "MouseButtonDown 0",
                                      "MouseButtonRepeat 0"}));
  EXPECT_TRUE(mouse_->dragging);
  EXPECT_FLOAT_EQ(mouse_->dragStart.x, 0.25f);

  recorder.calls.clear();
  input::g_cursorPosition = math::Vec2{0.75f, 0.5f};
  scripted_.source.Motion(10, 0);
  Frame();
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"MouseMoved", "MouseDragged", "MouseButtonDown 0"}));

  recorder.calls.clear();
  scripted_.source.Button(0, false);
  Frame();
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"MouseButtonReleased 0", "MouseDragEnd"}));
  EXPECT_FALSE(mouse_->dragging);
}

TEST_F(InputTest, AHeldButtonRepeatsEveryTenthOfASecond) {
  InputRecorder recorder;
  scripted_.source.Button(2, true);
  for (int frame = 0; frame < 60; ++frame) Frame();
  // The first repeat comes with the press (the countdown starts at 0), then every 0.1 s.
  const size_t repeats = recorder.Starting("MouseButtonRepeat").size();
  EXPECT_GE(repeats, 9u);
  EXPECT_LE(repeats, 11u);
  EXPECT_EQ(recorder.Starting("MouseButtonDown").size(), 60u);
}

TEST_F(InputTest, HoverComesEveryUpdateOnceTheMouseIsStill) {
  InputRecorder recorder;
  scripted_.source.Motion(1, 1);
  mouse_->Update(false, 0.15f, 1.0f);
  EXPECT_EQ(recorder.calls, std::vector<std::string>{"MouseMoved"});
  recorder.calls.clear();
  const float dt = 0.15f;
  mouse_->Update(false, dt, 1.15f);  // still for 0.15 s
  EXPECT_TRUE(recorder.calls.empty());
  for (float t : {1.3f, 1.45f, 1.6f}) mouse_->Update(false, dt, t);
  EXPECT_EQ(recorder.Count("MouseHover"), 3u);
  // Moving again starts over.
  recorder.calls.clear();
  scripted_.source.Motion(-1, 0);
  mouse_->Update(false, dt, 1.75f);
  mouse_->Update(false, dt, 1.9f);
  EXPECT_EQ(recorder.calls, std::vector<std::string>{"MouseMoved"});
}

TEST_F(InputTest, WheelReportsTheDeviceDelta) {
  InputRecorder recorder;
  scripted_.source.Wheel(-240);
  Frame();
  EXPECT_EQ(recorder.calls, std::vector<std::string>{"MouseWheel -240"});
}

// A key binding's script may destroy listeners while the keyboard dispatches: one that
// has heard the event already and one that has not. Neither is called again, and nobody
// else misses the event.
TEST_F(InputTest, ListenersDestroyedDuringDispatchAreSkipped) {
  struct Destroyer : input::KeyboardListener, input::MouseListener {
    std::unique_ptr<InputRecorder>* victims[2] = {nullptr, nullptr};
    void Destroy() {
      for (auto* victim : victims) victim->reset();
    }
    void KeyPressed(const input::KeyEvent*) override { Destroy(); }
    void MouseButtonPressed(const input::MouseButton*, const math::Vec2*) override { Destroy(); }
  };
  for (const char* device : {"keyboard", "mouse"}) {
    SCOPED_TRACE(device);
    const bool keys = device[0] == 'k';
    auto earlier = std::make_unique<InputRecorder>();
    Destroyer destroyer;
    auto later = std::make_unique<InputRecorder>();
    InputRecorder last;
    destroyer.victims[0] = &earlier;
    destroyer.victims[1] = &later;

    if (keys) {
      scripted_.source.Key(kKeyA, true);
    } else {
      scripted_.source.Button(0, true);
    }
    Frame();
    EXPECT_EQ(earlier, nullptr);
    EXPECT_EQ(later, nullptr);
    if (keys) {
      EXPECT_EQ(last.Starting("Key"), (std::vector<std::string>{"KeyPressed 1e", "KeyDown 1e"}));
      EXPECT_EQ(keyboard_->ListenerCount(), 2u);
      scripted_.source.Key(kKeyA, false);
    } else {
      EXPECT_EQ(last.Starting("MouseButtonPressed"), std::vector<std::string>{"MouseButtonPressed 0"});
      EXPECT_EQ(last.Count("MouseButtonDown 0"), 1u);
      EXPECT_EQ(mouse_->ListenerCount(), 2u);
      scripted_.source.Button(0, false);
    }
    // Later updates go on with the listeners that are left.
    Frame();
    EXPECT_EQ(last.Count(keys ? "KeyReleased 1e" : "MouseButtonReleased 0"), 1u);
  }
}

// A freed mouse entry is taken by the next listener, which then comes before listeners
// registered after the removed one; one made during an update hears the next update on.
TEST_F(InputTest, MouseListenersReuseFreedEntries) {
  auto first = std::make_unique<InputRecorder>();
  struct Maker : input::MouseListener {
    std::unique_ptr<InputRecorder> made;
    void MouseButtonPressed(const input::MouseButton*, const math::Vec2*) override {
      if (!made) made = std::make_unique<InputRecorder>();
    }
  };
  Maker maker;
  InputRecorder last;
  first.reset();  // frees entry 0
  ASSERT_EQ(mouse_->Listeners().size(), 3u);
  EXPECT_EQ(mouse_->Listeners()[0], nullptr);

  scripted_.source.Button(0, true);
  Frame();
  ASSERT_NE(maker.made, nullptr);
  EXPECT_EQ(mouse_->Listeners()[0], static_cast<input::MouseListener*>(maker.made.get()));
  EXPECT_TRUE(maker.made->calls.empty());  // not even the Down of the update that made it
  Frame();
  EXPECT_EQ(maker.made->calls, std::vector<std::string>{"MouseButtonDown 0"});
}

TEST_F(InputTest, DisabledListenersHearNothing) {
  InputRecorder recorder;
  recorder.input::KeyboardListener::enabled = false;
  scripted_.source.Key(kKeyA, true);
  scripted_.source.Button(0, true);
  Frame();
  EXPECT_TRUE(recorder.Starting("Key").empty());
  EXPECT_FALSE(recorder.Starting("Mouse").empty());
}

TEST_F(InputTest, KeysTranslateWithTheShiftState) {
  input::KeyEvent key;
  key.code = kKeyA;
  EXPECT_EQ(key.ToAscii(), 'a');
  scripted_.source.Key(kLeftShift, true);
  Frame();
  EXPECT_EQ(key.ToAscii(), 'A');
  uint16_t chars[2] = {0, 0};
  EXPECT_EQ(input::ScanCodeToAscii(0x02, chars), 1);
  EXPECT_EQ(chars[0], '!');
  key.code = 0x3B;  // F1 has no character
  EXPECT_EQ(key.ToAscii(), 0);
}

TEST_F(InputTest, ClipboardRoundTrip) {
  EXPECT_TRUE(keyboard_->SetClipboardText(u"copied text"));
  std::string text = "old";
  EXPECT_TRUE(keyboard_->GetClipboardText(text));
  EXPECT_EQ(text, "copied text");
}

}  // namespace
}  // namespace apptest
