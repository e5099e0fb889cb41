#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/EventSource.h"
#include "platform/win32/UserTypes.h"

namespace plat {

// The process's window-message queue and input hub (main thread only).
//
// Drain asks the event source for everything waiting. Window messages land here: sent
// ones are delivered to their window procedures at the start of the next PeekMessageA,
// posted ones are handed out one per PeekMessageA. Input events go to the registered
// input sinks (the acquired DirectInput devices); the queue also keeps the key and
// button states, the lock keys and the focus, and turns Alt key presses into
// WM_SYSKEYDOWN / WM_SYSKEYUP as Win32 does.
class MessageQueue {
 public:
  static MessageQueue& Instance();

  // Null restores the SDL source. Returns the previous source (never null). The queue
  // does not own a source set here.
  EventSource* SetSource(EventSource* source);
  EventSource* Source() const { return source_; }
  void Drain();

  // For sources. The time is in milliseconds (0: now).
  void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD time = 0);
  void Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // A drop handle holding the paths, posted to the window as WM_DROPFILES.
  void PostDrop(HWND window, std::vector<std::string> files);
  void PostInput(const InputEvent& event);
  void Quit(int exitCode);

  // PeekMessageA's work: delivers sent messages, then hands out the first posted message
  // that passes the filter (WM_QUIT last). Drains the source first.
  bool Peek(MSG* out, HWND window, UINT filterMin, UINT filterMax, bool remove);
  // Removes the first posted message that passes the filter, without draining.
  bool Take(MSG* out, HWND window, UINT filterMin, UINT filterMax);

  // Drops every message of a window that is being destroyed.
  void PurgeWindow(HWND window);

  // Drop handles: the paths (null for a handle that is not live) and freeing (DragFinish,
  // and DispatchMessageA once the WM_DROPFILES handler has returned).
  const std::vector<std::string>* DropFiles(HDROP drop) const;
  void FreeDrop(HDROP drop);

  void AddInputSink(InputSink* sink);
  void RemoveInputSink(InputSink* sink);

  bool IsKeyDown(uint8_t scanCode) const { return keys_[scanCode]; }
  bool IsMouseButtonDown(int button) const;
  bool CapsLockOn() const { return capsLock_; }
  bool NumLockOn() const { return numLock_; }
  bool ScrollLockOn() const { return scrollLock_; }
  // The application has the input focus: true until a WM_ACTIVATE with WA_INACTIVE
  // arrives from the source, and again after an activation.
  bool HasFocus() const { return focused_; }
  HWND ActiveWindow() const;

  size_t PostedCount() const { return posted_.size(); }

  // Forgets every message, drop, key state and the quit request (tests start clean).
  void Reset();

 private:
  MessageQueue();
  ~MessageQueue();
  void NoteActivation(HWND window, WPARAM wParam);
  void DeliverSent();
  void NoteDropTaken(HDROP drop);
  // The first posted message that passes the filter, or the end.
  std::deque<MSG>::iterator FindPosted(HWND window, UINT filterMin, UINT filterMax);
  void PostSystemKey(const InputEvent& event);
  // Calls tell(sink) for each registered sink that is still registered when its turn comes.
  template <typename Tell>
  void ForEachSink(Tell tell);

  EventSource* source_ = nullptr;
  std::unique_ptr<EventSource> sdlSource_;
  std::deque<MSG> sent_;
  std::deque<MSG> posted_;
  bool quitPending_ = false;
  int exitCode_ = 0;
  bool draining_ = false;

  std::vector<std::unique_ptr<HDROP__>> drops_;
  std::vector<HDROP> takenDrops_;  // taken from the queue, not yet dispatched
  static constexpr size_t kMaxUndispatchedDrops = 8;

  std::vector<InputSink*> sinks_;
  uint32_t sequence_ = 0;
  bool keys_[256] = {};
  uint8_t mouseButtons_ = 0;
  bool capsLock_ = false;
  bool numLock_ = false;
  bool scrollLock_ = false;
  bool focused_ = true;
  HWND activeWindow_ = nullptr;
};

}  // namespace plat
