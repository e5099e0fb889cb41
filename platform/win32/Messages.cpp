// The message functions of user32 over the process's message queue.

#include "platform/win32/KernelApi.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/Window.h"
#include "platform/win32/WinUser.h"

using plat::MessageQueue;
using plat::Window;

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  return MessageQueue::Instance().Peek(msg, window, filterMin, filterMax,
                                       (removeFlags & PM_REMOVE) != 0)
             ? TRUE
             : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  Window* window = Window::FromHandleOrFail(msg->hwnd);
  if (!window) return 0;
  const LRESULT result = window->Call(msg->message, msg->wParam, msg->lParam);
  // The drop's handler has run: its handle is no longer needed.
  if (msg->message == WM_DROPFILES) {
    MessageQueue::Instance().FreeDrop(reinterpret_cast<HDROP>(msg->wParam));
  }
  return result;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !Window::FromHandle(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  MessageQueue::Instance().Post(window, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) { MessageQueue::Instance().Quit(exitCode); }
