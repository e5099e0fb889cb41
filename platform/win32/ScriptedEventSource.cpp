#include "platform/win32/ScriptedEventSource.h"

#include "platform/win32/MessageQueue.h"
#include "platform/win32/WinUser.h"

namespace plat {

ScriptedEventSource::ScriptedEventSource() {
  previous_ = MessageQueue::Instance().SetSource(this);
}

ScriptedEventSource::~ScriptedEventSource() {
  MessageQueue& queue = MessageQueue::Instance();
  if (queue.Source() == this) queue.SetSource(previous_);
}

void ScriptedEventSource::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Item item(ItemKind::Post);
  item.msg = MSG{window, message, wParam, lParam, 0, {0, 0}};
  items_.push_back(std::move(item));
}

void ScriptedEventSource::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Item item(ItemKind::Send);
  item.msg = MSG{window, message, wParam, lParam, 0, {0, 0}};
  items_.push_back(std::move(item));
}

void ScriptedEventSource::Close(HWND window) { Send(window, WM_CLOSE); }

void ScriptedEventSource::Activate(HWND window, bool active) {
  Send(window, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE);
}

void ScriptedEventSource::CursorAt(HWND window, int x, int y) {
  Post(window, WM_MOUSEMOVE, 0, PackSigned16(x, y));
}

void ScriptedEventSource::Drop(HWND window, std::vector<std::string> files) {
  Item item(ItemKind::Drop);
  item.msg.hwnd = window;
  item.files = std::move(files);
  items_.push_back(std::move(item));
}

void ScriptedEventSource::Key(uint8_t scanCode, bool down, uint32_t time) {
  InputEvent event;
  event.kind = InputKind::Key;
  event.code = scanCode;
  event.down = down;
  event.time = time;
  Input(event);
}

void ScriptedEventSource::Button(uint8_t button, bool down, uint32_t time) {
  InputEvent event;
  event.kind = InputKind::MouseButton;
  event.code = button;
  event.down = down;
  event.time = time;
  Input(event);
}

void ScriptedEventSource::Motion(int dx, int dy, uint32_t time) {
  InputEvent event;
  event.kind = InputKind::MouseMotion;
  event.dx = dx;
  event.dy = dy;
  event.time = time;
  Input(event);
}

void ScriptedEventSource::Wheel(int units, uint32_t time) {
  InputEvent event;
  event.kind = InputKind::MouseWheel;
  event.dy = units;
  event.time = time;
  Input(event);
}

void ScriptedEventSource::Input(const InputEvent& event) {
  Item item(ItemKind::Input);
  item.input = event;
  items_.push_back(std::move(item));
}

void ScriptedEventSource::Drain(MessageQueue& queue) {
  // Taken as a whole first: what a delivery pushes waits for the next drain.
  std::vector<Item> items;
  items.swap(items_);
  for (Item& item : items) {
    switch (item.kind) {
      case ItemKind::Post:
        queue.Post(item.msg.hwnd, item.msg.message, item.msg.wParam, item.msg.lParam);
        break;
      case ItemKind::Send:
        queue.Send(item.msg.hwnd, item.msg.message, item.msg.wParam, item.msg.lParam);
        break;
      case ItemKind::Drop:
        queue.PostDrop(item.msg.hwnd, std::move(item.files));
        break;
      case ItemKind::Input:
        queue.PostInput(item.input);
        break;
    }
  }
}

}  // namespace plat
