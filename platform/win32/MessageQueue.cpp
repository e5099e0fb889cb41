#include "platform/win32/MessageQueue.h"

#include <algorithm>

#include "platform/win32/KernelApi.h"
#include "platform/win32/ScanCodes.h"
#include "platform/win32/SdlEventSource.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/SingleInstance.h"
#include "platform/win32/Window.h"
#include "platform/win32/WinUser.h"

// The paths of one drop, as the window that received them sees them.
struct HDROP__ {
  HWND window = nullptr;
  std::vector<std::string> files;
};

namespace plat {

namespace {

constexpr uint8_t kLeftAlt = 0x38;
constexpr uint8_t kRightAlt = 0xB8;
constexpr uint8_t kCapsLock = 0x3A;
constexpr uint8_t kNumLock = 0x45;
constexpr uint8_t kScrollLock = 0x46;

bool PassesFilter(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window == reinterpret_cast<HWND>(-1)) {
    if (msg.hwnd) return false;
  } else if (window && msg.hwnd != window) {
    return false;
  }
  if (filterMin == 0 && filterMax == 0) return true;
  return msg.message >= filterMin && msg.message <= filterMax;
}

}  // namespace

MessageQueue& MessageQueue::Instance() {
  static MessageQueue queue;
  return queue;
}

MessageQueue::MessageQueue() : sdlSource_(std::make_unique<SdlEventSource>()) {
  source_ = sdlSource_.get();
}

MessageQueue::~MessageQueue() = default;

EventSource* MessageQueue::SetSource(EventSource* source) {
  EventSource* previous = source_;
  source_ = source ? source : sdlSource_.get();
  return previous;
}

void MessageQueue::Drain() {
  // A window procedure or sink that peeks while the source drains gets what is queued.
  if (draining_) return;
  draining_ = true;
  source_->Drain(*this);
  draining_ = false;
  ServeInstanceRequests();
}

void MessageQueue::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD time) {
  MSG msg{window, message, wParam, lParam, time ? time : TicksMs(), {0, 0}};
  if (message == WM_ACTIVATE) NoteActivation(window, wParam);
  if (!posted_.empty()) {
    MSG& last = posted_.back();
    // Win32 keeps one pending cursor move (the latest) and one pending paint per window,
    // however fast they come; the pump takes one message per step and must not lag.
    if (message == WM_MOUSEMOVE && last.message == WM_MOUSEMOVE && last.hwnd == window) {
      last = msg;
      return;
    }
    if (message == WM_SIZE && last.message == WM_SIZE && last.hwnd == window &&
        last.wParam == wParam) {
      last = msg;
      return;
    }
  }
  if (message == WM_PAINT) {
    for (const MSG& pending : posted_) {
      if (pending.message == WM_PAINT && pending.hwnd == window) return;
    }
  }
  posted_.push_back(msg);
}

void MessageQueue::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE) NoteActivation(window, wParam);
  sent_.push_back(MSG{window, message, wParam, lParam, TicksMs(), {0, 0}});
}

void MessageQueue::PostDrop(HWND window, std::vector<std::string> files) {
  auto drop = std::make_unique<HDROP__>();
  drop->window = window;
  drop->files = std::move(files);
  HDROP handle = drop.get();
  drops_.push_back(std::move(drop));
  Post(window, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
}

void MessageQueue::Quit(int exitCode) {
  quitPending_ = true;
  exitCode_ = exitCode;
}

template <typename Tell>
void MessageQueue::ForEachSink(Tell tell) {
  // Copy: a sink may unregister itself (or another) when it loses its device; one that is
  // gone is not told any more.
  const std::vector<InputSink*> sinks = sinks_;
  for (InputSink* sink : sinks) {
    if (std::find(sinks_.begin(), sinks_.end(), sink) != sinks_.end()) tell(*sink);
  }
}

void MessageQueue::NoteActivation(HWND window, WPARAM wParam) {
  const bool active = LOWORD(wParam) != WA_INACTIVE;
  if (active) activeWindow_ = window;
  if (active == focused_) return;
  focused_ = active;
  ForEachSink([active](InputSink& sink) { sink.OnFocusChange(active); });
}

HWND MessageQueue::ActiveWindow() const {
  if (Window::FromHandle(activeWindow_)) return activeWindow_;
  const auto& windows = Window::All();
  return windows.empty() ? nullptr : windows.front();
}

void MessageQueue::PostInput(const InputEvent& event) {
  InputEvent copy = event;
  if (!copy.time) copy.time = TicksMs();
  switch (copy.kind) {
    case InputKind::Key: {
      const bool wasDown = keys_[copy.code];
      keys_[copy.code] = copy.down;
      if (copy.hasLockState) {
        capsLock_ = copy.capsLock;
        numLock_ = copy.numLock;
      } else if (copy.down && !wasDown) {
        if (copy.code == kCapsLock) capsLock_ = !capsLock_;
        if (copy.code == kNumLock) numLock_ = !numLock_;
      }
      if (copy.down && !wasDown && copy.code == kScrollLock) scrollLock_ = !scrollLock_;
      PostSystemKey(copy);
      break;
    }
    case InputKind::MouseButton:
      if (copy.code < 8) {
        const uint8_t bit = static_cast<uint8_t>(1u << copy.code);
        mouseButtons_ = copy.down ? (mouseButtons_ | bit) : (mouseButtons_ & ~bit);
      }
      break;
    case InputKind::MouseMotion:
    case InputKind::MouseWheel:
      break;
  }
  const uint32_t sequence = ++sequence_;
  ForEachSink([&copy, sequence](InputSink& sink) { sink.OnInput(copy, sequence); });
}

// Win32 reports keys pressed while Alt is held, and Alt itself, as system keys.
void MessageQueue::PostSystemKey(const InputEvent& event) {
  const bool isAlt = event.code == kLeftAlt || event.code == kRightAlt;
  const bool altHeld = keys_[kLeftAlt] || keys_[kRightAlt];
  if (!isAlt && !altHeld) return;
  HWND window = Window::FromHandle(event.window) ? event.window : ActiveWindow();
  if (!window) return;
  const uint8_t vk = VirtualKeyFromScanCode(event.code, false, numLock_);
  if (!vk) return;
  LPARAM lParam = 1 | (static_cast<LPARAM>(event.code & 0x7F) << 16);
  if (event.code & 0x80) lParam |= KF_EXTENDED_BIT;
  if (altHeld) lParam |= KF_ALTDOWN_BIT;
  if (!event.down) lParam |= (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
  Post(window, event.down ? WM_SYSKEYDOWN : WM_SYSKEYUP, vk, lParam, event.time);
}

bool MessageQueue::IsMouseButtonDown(int button) const {
  return button >= 0 && button < 8 && (mouseButtons_ & (1u << button)) != 0;
}

void MessageQueue::AddInputSink(InputSink* sink) {
  if (sink && std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end()) sinks_.push_back(sink);
}

void MessageQueue::RemoveInputSink(InputSink* sink) {
  sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
}

void MessageQueue::DeliverSent() {
  // Sent messages go straight to their procedures, as Win32 delivers them inside
  // PeekMessage; each is taken off first, so a procedure may peek again.
  while (!sent_.empty()) {
    const MSG msg = sent_.front();
    sent_.pop_front();
    if (Window* window = Window::FromHandle(msg.hwnd)) window->Call(msg.message, msg.wParam, msg.lParam);
  }
}

void MessageQueue::NoteDropTaken(HDROP drop) {
  // A drop handle lives until DragFinish or until DispatchMessageA of its WM_DROPFILES
  // returns. A caller that takes drops without either keeps only the latest few alive.
  takenDrops_.push_back(drop);
  if (takenDrops_.size() > kMaxUndispatchedDrops) FreeDrop(takenDrops_.front());
}

bool MessageQueue::Peek(MSG* out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
  Drain();
  DeliverSent();
  if (auto it = FindPosted(window, filterMin, filterMax); it != posted_.end()) {
    const MSG msg = *it;
    if (remove) {
      posted_.erase(it);
      if (msg.message == WM_DROPFILES) NoteDropTaken(reinterpret_cast<HDROP>(msg.wParam));
    }
    if (out) *out = msg;
    return true;
  }
  // WM_QUIT is a thread message (no window) that waits behind every posted one.
  if (!quitPending_) return false;
  const MSG quit{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode_), 0, TicksMs(), {0, 0}};
  if (!PassesFilter(quit, window, filterMin, filterMax)) return false;
  if (remove) quitPending_ = false;
  if (out) *out = quit;
  return true;
}

bool MessageQueue::Take(MSG* out, HWND window, UINT filterMin, UINT filterMax) {
  const auto it = FindPosted(window, filterMin, filterMax);
  if (it == posted_.end()) return false;
  if (out) *out = *it;
  posted_.erase(it);
  return true;
}

std::deque<MSG>::iterator MessageQueue::FindPosted(HWND window, UINT filterMin, UINT filterMax) {
  return std::find_if(posted_.begin(), posted_.end(), [&](const MSG& msg) {
    return PassesFilter(msg, window, filterMin, filterMax);
  });
}

void MessageQueue::PurgeWindow(HWND window) {
  auto purge = [&](std::deque<MSG>& queue) {
    for (auto it = queue.begin(); it != queue.end();) {
      if (it->hwnd == window) {
        if (it->message == WM_DROPFILES) FreeDrop(reinterpret_cast<HDROP>(it->wParam));
        it = queue.erase(it);
      } else {
        ++it;
      }
    }
  };
  purge(sent_);
  purge(posted_);
  if (activeWindow_ == window) activeWindow_ = nullptr;
}

const std::vector<std::string>* MessageQueue::DropFiles(HDROP drop) const {
  for (const auto& live : drops_) {
    if (live.get() == drop) return &live->files;
  }
  return nullptr;
}

void MessageQueue::FreeDrop(HDROP drop) {
  drops_.erase(std::remove_if(drops_.begin(), drops_.end(),
                              [drop](const std::unique_ptr<HDROP__>& live) { return live.get() == drop; }),
               drops_.end());
  takenDrops_.erase(std::remove(takenDrops_.begin(), takenDrops_.end(), drop), takenDrops_.end());
}

void MessageQueue::Reset() {
  sent_.clear();
  posted_.clear();
  drops_.clear();
  takenDrops_.clear();
  quitPending_ = false;
  exitCode_ = 0;
  std::fill(std::begin(keys_), std::end(keys_), false);
  mouseButtons_ = 0;
  capsLock_ = numLock_ = scrollLock_ = false;
  focused_ = true;
  activeWindow_ = nullptr;
}

}  // namespace plat
