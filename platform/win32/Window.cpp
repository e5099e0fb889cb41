#include "platform/win32/Window.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <map>

#include "platform/win32/KernelApi.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/SingleInstance.h"
#include "platform/win32/WindowGeometry.h"

namespace plat {

namespace {

std::vector<Window*>& LiveWindows() {
  static std::vector<Window*> windows;
  return windows;
}

struct WindowClass {
  std::string name;
  WNDPROC procedure;
  ATOM atom;
};

// Class names compare without regard to case, as Win32's do.
std::string Folded(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) c = static_cast<char>(SDL_tolower(static_cast<unsigned char>(c)));
  return folded;
}

std::map<std::string, WindowClass>& Classes() {
  static std::map<std::string, WindowClass> classes;
  return classes;
}

bool FullscreenPlacement(DWORD style, int x, int y) {
  // Without a mode change, the full-screen window (a popup without a caption at the
  // screen's origin) covers the desktop; the drawing layer letterboxes into it.
  return !(style & WS_CAPTION) && x == 0 && y == 0;
}

}  // namespace

Window::Window(std::string className, WNDPROC procedure, DWORD style, DWORD exStyle)
    : className_(std::move(className)),
      procedure_(procedure),
      style_(style & ~WS_VISIBLE),
      exStyle_(exStyle) {
  LiveWindows().push_back(this);
}

Window::~Window() {
  auto& windows = LiveWindows();
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
  if (sdl) SDL_DestroyWindow(sdl);
  sdl = nullptr;
}

Window* Window::FromHandle(HWND handle) {
  if (!handle) return nullptr;
  for (Window* window : LiveWindows()) {
    if (static_cast<HWND>(window) == handle) return window;
  }
  return nullptr;
}

Window* Window::FromHandleOrFail(HWND handle) {
  Window* window = FromHandle(handle);
  if (!window) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

Window* Window::FromSdlId(uint32_t windowId) {
  if (!windowId) return nullptr;
  for (Window* window : LiveWindows()) {
    if (window->sdl && SDL_GetWindowID(window->sdl) == windowId) return window;
  }
  return nullptr;
}

Window* Window::FindByClass(const std::string& className) {
  for (Window* window : LiveWindows()) {
    if (window->HasClass(className)) return window;
  }
  return nullptr;
}

bool Window::HasClass(const std::string& className) const {
  return SDL_strcasecmp(className_.c_str(), className.c_str()) == 0;
}

const std::vector<Window*>& Window::All() { return LiveWindows(); }

LRESULT Window::Call(UINT message, WPARAM wParam, LPARAM lParam) {
  return procedure_ ? procedure_(this, message, wParam, lParam) : 0;
}

DWORD Window::Style() const { return style_ | (IsVisible() ? WS_VISIBLE : 0); }

bool Window::IsVisible() const {
  return sdl && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN) != 0;
}

void Window::SetVisible(bool visible) {
  if (!sdl) return;
  if (visible) {
    SDL_ShowWindow(sdl);
  } else {
    SDL_HideWindow(sdl);
  }
}

bool Window::IsMinimized() const {
  return minimized_ || (sdl && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MINIMIZED) != 0);
}

bool Window::IsFullscreen() const {
  return sdl && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
}

bool Window::Place(int x, int y, int width, int height, bool move, bool size) {
  if (!sdl) return false;
  const RECT current = Rect();
  if (!move) {
    x = current.left;
    y = current.top;
  }
  if (FullscreenPlacement(style_, x, y)) {
    if (!IsFullscreen() && SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
      SetLastErrorFromSdl();
      return false;
    }
    return true;
  }
  if (IsFullscreen() && SDL_SetWindowFullscreen(sdl, 0) != 0) {
    SetLastErrorFromSdl();
    return false;
  }
  SDL_SetWindowBordered(sdl, (style_ & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
  if (size) SDL_SetWindowSize(sdl, std::max(width, 1), std::max(height, 1));
  if (move) SDL_SetWindowPosition(sdl, x, y);
  return true;
}

bool Window::BeginDestroy() {
  if (destroying_) return false;
  destroying_ = true;
  return true;
}

RECT Window::Rect() const {
  WindowGeometry geometry;
  if (!QueryWindowGeometry(sdl, &geometry)) return RECT{0, 0, 0, 0};
  return RECT{geometry.x, geometry.y, geometry.x + geometry.width, geometry.y + geometry.height};
}

bool Window::ClientSize(int* width, int* height, int* pixelWidth, int* pixelHeight) const {
  WindowGeometry geometry;
  if (!QueryWindowGeometry(sdl, &geometry)) return false;
  *width = geometry.width;
  *height = geometry.height;
  *pixelWidth = geometry.pixelWidth;
  *pixelHeight = geometry.pixelHeight;
  return true;
}

}  // namespace plat

using plat::Window;

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  // 48 is the size of the Win32 form, which a caller may have written as a number.
  constexpr UINT kWin32FormSize = 48;
  if (!windowClass ||
      (windowClass->cbSize != sizeof(WNDCLASSEXA) && windowClass->cbSize != kWin32FormSize) ||
      !windowClass->lpfnWndProc ||
      !windowClass->lpszClassName || !*windowClass->lpszClassName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto& classes = plat::Classes();
  const std::string key = plat::Folded(windowClass->lpszClassName);
  if (classes.count(key)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  static ATOM nextAtom = 0xC000;
  const ATOM atom = nextAtom++;
  classes[key] = plat::WindowClass{windowClass->lpszClassName, windowClass->lpfnWndProc, atom};
  return atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  if (!className) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (plat::Classes().erase(plat::Folded(className)) == 0) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return FALSE;
  }
  return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  if (!className) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  auto found = plat::Classes().find(plat::Folded(className));
  if (found == plat::Classes().end()) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if (!plat::EnsureVideo()) return nullptr;

  const int sdlX = x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : x;
  const int sdlY = y == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : y;
  const int sdlWidth = width == CW_USEDEFAULT ? 800 : std::max(width, 1);
  const int sdlHeight = height == CW_USEDEFAULT ? 600 : std::max(height, 1);
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (!(style & WS_CAPTION)) flags |= SDL_WINDOW_BORDERLESS;
  SDL_Window* sdlWindow =
      SDL_CreateWindow(windowName ? windowName : "", sdlX, sdlY, sdlWidth, sdlHeight, flags);
  if (!sdlWindow) {
    plat::SetLastErrorFromSdl();
    return nullptr;
  }
  Window* window = new Window(found->second.name, found->second.procedure, style, exStyle);
  window->sdl = sdlWindow;
  if (plat::FullscreenPlacement(style, x, y)) window->Place(x, y, width, height, true, true);

  CREATESTRUCTA create{param, instance, menu, parent, height, width, y, x,
                       static_cast<LONG>(style), windowName, className, exStyle};
  if (window->Call(WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(window);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (style & WS_VISIBLE) window->SetVisible(true);
  return window;
}

BOOL DestroyWindow(HWND handle) {
  Window* window = Window::FromHandleOrFail(handle);
  if (!window) return FALSE;
  if (!window->BeginDestroy()) return TRUE;
  window->Call(WM_DESTROY, 0, 0);
  plat::MessageQueue::Instance().PurgeWindow(handle);
  delete window;
  return TRUE;
}

BOOL IsWindow(HWND handle) { return Window::FromHandle(handle) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND handle) {
  Window* window = Window::FromHandle(handle);
  return window && window->IsVisible() ? TRUE : FALSE;
}

BOOL ShowWindow(HWND handle, int command) {
  Window* window = Window::FromHandle(handle);
  if (!window) {
    if (plat::IsRemoteWindow(handle)) {
      const char* request = command == SW_RESTORE || command == SW_SHOWNORMAL ? "RESTORE" : "FOREGROUND";
      plat::AskRemoteWindow(handle, request, nullptr);
      return TRUE;
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const BOOL wasVisible = window->IsVisible() ? TRUE : FALSE;
  switch (command) {
    case SW_HIDE:
      window->SetVisible(false);
      break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
      window->SetVisible(true);
      SDL_MinimizeWindow(window->sdl);
      window->SetMinimized(true);
      break;
    case SW_SHOWMAXIMIZED:
      window->SetVisible(true);
      SDL_MaximizeWindow(window->sdl);
      window->SetMinimized(false);
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      window->SetVisible(true);
      if (window->IsMinimized() || (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MAXIMIZED)) {
        SDL_RestoreWindow(window->sdl);
      }
      window->SetMinimized(false);
      break;
    default:
      window->SetVisible(true);
      break;
  }
  return wasVisible;
}

BOOL UpdateWindow(HWND handle) {
  Window* window = Window::FromHandleOrFail(handle);
  if (!window) return FALSE;
  MSG paint;
  if (plat::MessageQueue::Instance().Take(&paint, handle, WM_PAINT, WM_PAINT)) {
    window->Call(WM_PAINT, paint.wParam, paint.lParam);
  }
  return TRUE;
}

BOOL IsIconic(HWND handle) {
  if (Window* window = Window::FromHandle(handle)) return window->IsMinimized() ? TRUE : FALSE;
  std::string reply;
  return plat::AskRemoteWindow(handle, "ISICONIC", &reply) && reply == "1" ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND handle) {
  if (Window* window = Window::FromHandle(handle)) {
    SDL_RaiseWindow(window->sdl);
    return TRUE;
  }
  return plat::AskRemoteWindow(handle, "FOREGROUND", nullptr) ? TRUE : FALSE;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  if (!className) return nullptr;
  if (Window* window = Window::FindByClass(className)) return window;
  return plat::FindOtherInstance(className);
}

LONG GetWindowLongA(HWND handle, int index) {
  Window* window = Window::FromHandleOrFail(handle);
  if (!window) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG>(window->Style());
    case GWL_EXSTYLE: return static_cast<LONG>(window->ExStyle());
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
}

LONG SetWindowLongA(HWND handle, int index, LONG value) {
  Window* window = Window::FromHandleOrFail(handle);
  if (!window) return 0;
  // A previous value of 0 is a success too: the caller tells them apart by the last error.
  SetLastError(ERROR_SUCCESS);
  switch (index) {
    case GWL_STYLE: {
      const LONG previous = static_cast<LONG>(window->Style());
      // The frame changes with the next SetWindowPos; visibility stays with ShowWindow.
      window->SetStyle(static_cast<DWORD>(value));
      return previous;
    }
    case GWL_EXSTYLE: {
      const LONG previous = static_cast<LONG>(window->ExStyle());
      window->SetExStyle(static_cast<DWORD>(value));
      return previous;
    }
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* window = Window::FromHandleOrFail(handle);
  if (!window) return FALSE;
  if (!window->Place(x, y, cx, cy, !(flags & SWP_NOMOVE), !(flags & SWP_NOSIZE))) return FALSE;
  if (flags & SWP_SHOWWINDOW) window->SetVisible(true);
  if (flags & SWP_HIDEWINDOW) window->SetVisible(false);
  return TRUE;
}

BOOL GetWindowRect(HWND handle, RECT* rect) {
  Window* window = Window::FromHandle(handle);
  if (!window || !rect) {
    SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = window->Rect();
  return TRUE;
}

BOOL GetClientRect(HWND handle, RECT* rect) {
  // The client area is the whole window (there is no frame), at the origin.
  RECT outer;
  if (!GetWindowRect(handle, rect ? &outer : nullptr)) return FALSE;
  *rect = RECT{0, 0, outer.right - outer.left, outer.bottom - outer.top};
  return TRUE;
}

BOOL GetCursorPos(POINT* point) {
  if (!point) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int x = 0, y = 0;
  if (plat::VideoReady()) SDL_GetGlobalMouseState(&x, &y);
  *point = POINT{x, y};
  return TRUE;
}

LRESULT DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  // The default for a close request is to destroy the window.
  if (message == WM_CLOSE) DestroyWindow(handle);
  return 0;
}

LRESULT SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = Window::FromHandleOrFail(handle);
  if (!window) return 0;
  return window->Call(message, wParam, lParam);
}
