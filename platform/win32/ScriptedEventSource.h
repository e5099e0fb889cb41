#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/EventSource.h"

namespace plat {

// An event source for tests: window messages and input events pushed by the test, handed
// to the queue in push order at the next drain (PeekMessageA, or a read of an input
// device). No SDL is needed.
//
// Constructing one makes it the queue's source; destroying it restores the source that
// was there before (keep lifetimes nested).
class ScriptedEventSource : public EventSource {
 public:
  ScriptedEventSource();
  ~ScriptedEventSource() override;
  ScriptedEventSource(const ScriptedEventSource&) = delete;
  ScriptedEventSource& operator=(const ScriptedEventSource&) = delete;

  // A posted message (as PostMessageA) and a sent one (delivered to the window procedure
  // inside the next PeekMessageA, as the system sends messages).
  void Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  void Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // What the system would send or post for these happenings.
  void Close(HWND window);                     // the close button: WM_CLOSE sent
  void Activate(HWND window, bool active);     // WM_ACTIVATE sent (WA_ACTIVE / WA_INACTIVE)
  void CursorAt(HWND window, int x, int y);    // WM_MOUSEMOVE posted with client x, y
  void Drop(HWND window, std::vector<std::string> files);  // one WM_DROPFILES posted

  // Input events with their times in milliseconds.
  void Key(uint8_t scanCode, bool down, uint32_t time = 0);
  void Button(uint8_t button, bool down, uint32_t time = 0);  // 0 left, 1 right, 2 middle
  void Motion(int dx, int dy, uint32_t time = 0);
  void Wheel(int units, uint32_t time = 0);  // 120 a notch
  void Input(const InputEvent& event);

  size_t Pending() const { return items_.size(); }
  void Drain(MessageQueue& queue) override;

 private:
  enum class ItemKind : uint8_t { Post, Send, Drop, Input };
  struct Item {
    explicit Item(ItemKind itemKind) : kind(itemKind) {}
    ItemKind kind;
    MSG msg{};
    std::vector<std::string> files;
    InputEvent input;
  };

  std::vector<Item> items_;
  EventSource* previous_ = nullptr;
};

}  // namespace plat
