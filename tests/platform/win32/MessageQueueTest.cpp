// The message queue fed by a scripted source: delivery order, coalescing, filters, the
// system keys that Alt makes, drops, and the input sinks.

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/MessageQueue.h"
#include "platform/win32/ScriptedEventSource.h"
#include "platform/win32/ShellApi.h"
#include "platform/win32/WinUser.h"
#include "tests/platform/win32/Win32TestSupport.h"

namespace {

using wintest::ReceivedMessages;

class MessageQueueTest : public wintest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window_ = MakeWindow();
    ASSERT_NE(window_, nullptr);
    ReceivedMessages().clear();
  }

  HWND window_ = nullptr;
};

TEST_F(MessageQueueTest, SentMessagesFirstThenPostedInOrderThenQuit) {
  plat::ScriptedEventSource script;
  script.Post(window_, WM_USER + 1);
  script.Send(window_, WM_USER + 2);
  script.Post(window_, WM_USER + 3);
  PostQuitMessage(7);

  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  // The sent one went straight to the procedure during the peek.
  ASSERT_EQ(ReceivedMessages().size(), 1u);
  EXPECT_EQ(ReceivedMessages()[0].message, WM_USER + 2u);
  EXPECT_EQ(msg.message, WM_USER + 1u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 3u);
  // WM_QUIT waits behind every posted message and comes once.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, OneMessagePerPeekAndPeekWithoutRemoving) {
  plat::ScriptedEventSource script;
  for (UINT i = 0; i < 3; ++i) script.Post(window_, WM_USER + i);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER);
  for (UINT i = 0; i < 3; ++i) {
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + i);
  }
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, FiltersByWindowAndRange) {
  HWND other = MakeWindow();
  plat::ScriptedEventSource script;
  script.Post(other, WM_USER);
  script.Post(window_, WM_PAINT);
  script.Post(nullptr, WM_USER + 5);  // a thread message
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, window_, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 5u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, other);
}

TEST_F(MessageQueueTest, CursorMovesAndPaintsDoNotPileUp) {
  plat::ScriptedEventSource script;
  script.CursorAt(window_, 1, 1);
  script.CursorAt(window_, 2, 2);
  script.CursorAt(window_, -3, 400);
  script.Post(window_, WM_PAINT);
  script.Post(window_, WM_USER);
  script.Post(window_, WM_PAINT);
  script.CursorAt(window_, 9, 9);
  const std::vector<MSG> taken = PumpAll();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[0].message, WM_MOUSEMOVE);
  EXPECT_EQ(GET_X_LPARAM(taken[0].lParam), -3);
  EXPECT_EQ(GET_Y_LPARAM(taken[0].lParam), 400);
  EXPECT_EQ(taken[1].message, WM_PAINT);
  EXPECT_EQ(taken[2].message, WM_USER);
  EXPECT_EQ(taken[3].message, WM_MOUSEMOVE);
  EXPECT_EQ(GET_X_LPARAM(taken[3].lParam), 9);
}

TEST_F(MessageQueueTest, AltMakesSystemKeys) {
  plat::ScriptedEventSource script;
  script.Key(0x1E, true);   // A without Alt: no window message
  script.Key(0x1E, false);
  script.Key(0x38, true);   // left Alt
  script.Key(0x0F, true);   // Tab while Alt is held
  script.Key(0x0F, false);
  script.Key(0x38, false);
  script.Key(0xB8, true);   // right Alt: an extended key
  const std::vector<MSG> taken = PumpAll();
  ASSERT_EQ(taken.size(), 5u);

  EXPECT_EQ(taken[0].message, WM_SYSKEYDOWN);
  EXPECT_EQ(taken[0].wParam, VK_MENU);
  EXPECT_TRUE(taken[0].lParam & KF_ALTDOWN_BIT) << "the pump looks for VK_MENU with bit 29";
  EXPECT_EQ((taken[0].lParam >> 16) & 0xFF, 0x38);
  EXPECT_EQ(taken[1].message, WM_SYSKEYDOWN);
  EXPECT_EQ(taken[1].wParam, VK_TAB);
  EXPECT_TRUE(taken[1].lParam & KF_ALTDOWN_BIT);
  EXPECT_EQ(taken[2].message, WM_SYSKEYUP);
  EXPECT_EQ(taken[2].wParam, VK_TAB);
  EXPECT_EQ(taken[3].message, WM_SYSKEYUP);
  EXPECT_EQ(taken[3].wParam, VK_MENU);
  EXPECT_EQ(taken[4].wParam, VK_MENU);
  EXPECT_TRUE(taken[4].lParam & KF_EXTENDED_BIT);
  for (const MSG& m : taken) EXPECT_EQ(m.hwnd, window_);
}

TEST_F(MessageQueueTest, ScriptedDropAndDragFinish) {
  plat::ScriptedEventSource script;
  script.Drop(window_, {"a.lua", "b.lua", "c.lua"});
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.message, WM_DROPFILES);
  HDROP drop = reinterpret_cast<HDROP>(msg.wParam);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 3u);
  EXPECT_EQ(DragQueryFileA(drop, 1, nullptr, 0), 5u);  // the length without a buffer
  DragFinish(drop);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 0u);
  DispatchMessageA(&msg);  // after DragFinish: nothing left to free, no harm
}

TEST_F(MessageQueueTest, DestroyingAWindowDropsItsMessages) {
  HWND doomed = MakeWindow();
  plat::ScriptedEventSource script;
  script.Post(doomed, WM_USER);
  script.Drop(doomed, {"x"});
  script.Post(window_, WM_USER + 1);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, window_, WM_USER + 1, WM_USER + 1, PM_REMOVE));
  DestroyWindow(doomed);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

struct RecordingSink : plat::InputSink {
  std::vector<plat::InputEvent> events;
  std::vector<uint32_t> sequences;
  std::vector<bool> focus;
  void OnInput(const plat::InputEvent& event, uint32_t sequence) override {
    events.push_back(event);
    sequences.push_back(sequence);
  }
  void OnFocusChange(bool focused) override { focus.push_back(focused); }
};

TEST_F(MessageQueueTest, InputReachesSinksWithStatesAndFocus) {
  plat::MessageQueue& queue = plat::MessageQueue::Instance();
  RecordingSink sink;
  queue.AddInputSink(&sink);
  plat::ScriptedEventSource script;
  script.Key(0x2A, true, 100);
  script.Button(1, true, 110);
  script.Motion(3, -4, 120);
  script.Activate(window_, false);
  script.Activate(window_, true);
  queue.Drain();
  queue.RemoveInputSink(&sink);

  ASSERT_EQ(sink.events.size(), 3u);
  EXPECT_EQ(sink.events[0].time, 100u);
  EXPECT_EQ(sink.events[2].dy, -4);
  EXPECT_LT(sink.sequences[0], sink.sequences[1]);
  EXPECT_LT(sink.sequences[1], sink.sequences[2]);
  EXPECT_TRUE(queue.IsKeyDown(0x2A));
  EXPECT_TRUE(queue.IsMouseButtonDown(1));
  EXPECT_EQ(sink.focus, (std::vector<bool>{false, true}));
  EXPECT_TRUE(queue.HasFocus());
}

TEST_F(MessageQueueTest, ScriptedSourceRestoresThePreviousOne) {
  plat::MessageQueue& queue = plat::MessageQueue::Instance();
  plat::EventSource* original = queue.Source();
  {
    plat::ScriptedEventSource outer;
    {
      plat::ScriptedEventSource inner;
      EXPECT_EQ(queue.Source(), &inner);
    }
    EXPECT_EQ(queue.Source(), &outer);
  }
  EXPECT_EQ(queue.Source(), original);
}

}  // namespace
