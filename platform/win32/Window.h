#pragma once

#include <string>
#include <vector>

#include "platform/win32/UserTypes.h"
#include "platform/win32/WinUser.h"

namespace plat {

// A window of this process: the SDL window behind an HWND, its class, its procedure and
// its Win32 styles. The user32 functions of WinUser.h work on it; other layers reach the
// SDL window through HWND__::sdl.
class Window : public HWND__ {
 public:
  Window(std::string className, WNDPROC procedure, DWORD style, DWORD exStyle);
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // The live window behind a handle; null for null, a destroyed window or a handle of
  // another kind. Never dereferences the handle.
  static Window* FromHandle(HWND handle);
  // The same, with the last error set to ERROR_INVALID_WINDOW_HANDLE when there is none:
  // the common start of a user32 call on a window.
  static Window* FromHandleOrFail(HWND handle);
  static Window* FromSdlId(uint32_t windowId);
  // The first live window of a class (names compare without regard to case).
  static Window* FindByClass(const std::string& className);
  static const std::vector<Window*>& All();

  // Whether the window is of the class (names compare without regard to case).
  bool HasClass(const std::string& className) const;
  LRESULT Call(UINT message, WPARAM wParam, LPARAM lParam);

  DWORD Style() const;
  DWORD ExStyle() const { return exStyle_; }
  void SetStyle(DWORD style) { style_ = style & ~WS_VISIBLE; }
  void SetExStyle(DWORD exStyle) { exStyle_ = exStyle; }
  bool AcceptsFiles() const { return (exStyle_ & WS_EX_ACCEPTFILES) != 0; }

  bool IsVisible() const;
  void SetVisible(bool visible);
  bool IsMinimized() const;
  void SetMinimized(bool minimized) { minimized_ = minimized; }
  // Full screen: the desktop-sized window that stands for a mode change.
  bool IsFullscreen() const;

  // Applies the styles to a rectangle (see SetWindowPos). False with the last error set
  // when SDL refuses.
  bool Place(int x, int y, int width, int height, bool move, bool size);

  // Outer rectangle in screen coordinates (the client area: there is no frame), as the
  // window really has it on the display.
  RECT Rect() const;
  bool ClientSize(int* width, int* height, int* pixelWidth, int* pixelHeight) const override;

  // Marks the window as being destroyed; false when it already was (a procedure that
  // destroys its window again from WM_DESTROY must not recurse).
  bool BeginDestroy();

 private:
  std::string className_;
  WNDPROC procedure_;
  DWORD style_;
  DWORD exStyle_;
  bool minimized_ = false;
  bool destroying_ = false;
};

}  // namespace plat
