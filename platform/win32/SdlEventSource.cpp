#include "platform/win32/SdlEventSource.h"

#include <SDL2/SDL.h>

#include <cmath>

#include "platform/win32/MessageQueue.h"
#include "platform/win32/ScanCodes.h"
#include "platform/win32/Window.h"
#include "platform/win32/WinUser.h"

namespace plat {

namespace {

constexpr WPARAM kMkLeftButton = 0x0001;
constexpr WPARAM kMkRightButton = 0x0002;
constexpr WPARAM kMkMiddleButton = 0x0010;

// The size the window really has: SDL's event numbers follow its own idea of the size,
// which a full-screen request changes whether or not anything grants it.
LPARAM ClientSize(const Window& window) {
  int width = 0, height = 0, pixelWidth = 0, pixelHeight = 0;
  window.ClientSize(&width, &height, &pixelWidth, &pixelHeight);
  return PackSigned16(width, height);
}

// SDL numbers buttons left 1, middle 2, right 3, then the side buttons; DirectInput and
// the engine number them left 0, right 1, middle 2.
int ButtonIndex(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    case SDL_BUTTON_X2: return 4;
    default: return -1;
  }
}

}  // namespace

void SdlEventSource::Drain(MessageQueue& queue) {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) Translate(queue, event);
}

void SdlEventSource::Translate(MessageQueue& queue, SDL_Event& event) {
  const uint32_t time = event.common.timestamp;
  switch (event.type) {
    case SDL_QUIT: {
      // A signal or the session ending: the posted close quits the pump at once.
      HWND window = queue.ActiveWindow();
      if (window) {
        queue.Post(window, WM_CLOSE, 0, 0, time);
      } else {
        queue.Quit(0);
      }
      break;
    }
    case SDL_WINDOWEVENT: {
      Window* window = Window::FromSdlId(event.window.windowID);
      if (!window) break;
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          queue.Send(window, WM_CLOSE, 0, 0);
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          queue.Send(window, WM_ACTIVATE, WA_ACTIVE, 0);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          queue.Send(window, WM_ACTIVATE, WA_INACTIVE, 0);
          break;
        case SDL_WINDOWEVENT_MINIMIZED:
          window->SetMinimized(true);
          queue.Post(window, WM_SIZE, SIZE_MINIMIZED, 0, time);
          break;
        case SDL_WINDOWEVENT_MAXIMIZED:
          window->SetMinimized(false);
          queue.Post(window, WM_SIZE, SIZE_MAXIMIZED, ClientSize(*window), time);
          break;
        case SDL_WINDOWEVENT_RESTORED:
          window->SetMinimized(false);
          queue.Post(window, WM_SIZE, SIZE_RESTORED, ClientSize(*window), time);
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
          const bool maximized = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MAXIMIZED) != 0;
          queue.Post(window, WM_SIZE, maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     ClientSize(*window), time);
          break;
        }
        case SDL_WINDOWEVENT_EXPOSED:
          queue.Post(window, WM_PAINT, 0, 0, time);
          break;
        case SDL_WINDOWEVENT_LEAVE:
          queue.Post(window, WM_NCMOUSELEAVE, 0, 0, time);
          break;
        default:
          break;
      }
      break;
    }
    case SDL_MOUSEMOTION: {
      Window* window = Window::FromSdlId(event.motion.windowID);
      if (window) {
        WPARAM keys = 0;
        if (event.motion.state & SDL_BUTTON_LMASK) keys |= kMkLeftButton;
        if (event.motion.state & SDL_BUTTON_RMASK) keys |= kMkRightButton;
        if (event.motion.state & SDL_BUTTON_MMASK) keys |= kMkMiddleButton;
        queue.Post(window, WM_MOUSEMOVE, keys,
                   PackSigned16(event.motion.x, event.motion.y), time);
      }
      if (event.motion.xrel != 0 || event.motion.yrel != 0) {
        InputEvent input;
        input.kind = InputKind::MouseMotion;
        input.dx = event.motion.xrel;
        input.dy = event.motion.yrel;
        input.time = time;
        input.window = window;
        queue.PostInput(input);
      }
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int button = ButtonIndex(event.button.button);
      if (button < 0) break;
      InputEvent input;
      input.kind = InputKind::MouseButton;
      input.code = static_cast<uint8_t>(button);
      input.down = event.type == SDL_MOUSEBUTTONDOWN;
      input.time = time;
      input.window = Window::FromSdlId(event.button.windowID);
      queue.PostInput(input);
      break;
    }
    case SDL_MOUSEWHEEL: {
      // Fine-grained wheels and touchpads report parts of a notch, as Windows does with
      // deltas below 120.
      int units = event.wheel.preciseY != 0.0f
                      ? static_cast<int>(std::lround(event.wheel.preciseY * 120.0f))
                      : event.wheel.y * 120;
      if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) units = -units;
      if (units == 0) break;
      InputEvent input;
      input.kind = InputKind::MouseWheel;
      input.dy = units;
      input.time = time;
      input.window = Window::FromSdlId(event.wheel.windowID);
      queue.PostInput(input);
      break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      // Repeats are the engine's own business (it times them per key).
      if (event.key.repeat) break;
      const uint8_t scanCode = ScanCodeFromSdl(event.key.keysym.scancode);
      if (!scanCode) break;
      InputEvent input;
      input.kind = InputKind::Key;
      input.code = scanCode;
      input.down = event.type == SDL_KEYDOWN;
      input.time = time;
      input.window = Window::FromSdlId(event.key.windowID);
      input.hasLockState = true;
      input.capsLock = (event.key.keysym.mod & KMOD_CAPS) != 0;
      input.numLock = (event.key.keysym.mod & KMOD_NUM) != 0;
      queue.PostInput(input);
      break;
    }
    case SDL_DROPBEGIN:
      if (!dropped_.empty()) FinishDrop(queue, dropWindow_);
      dropWindow_ = event.drop.windowID;
      break;
    case SDL_DROPFILE:
      if (event.drop.file) {
        dropped_.emplace_back(event.drop.file);
        SDL_free(event.drop.file);
      }
      if (event.drop.windowID) dropWindow_ = event.drop.windowID;
      break;
    case SDL_DROPTEXT:
      SDL_free(event.drop.file);
      break;
    case SDL_DROPCOMPLETE:
      FinishDrop(queue, event.drop.windowID ? event.drop.windowID : dropWindow_);
      break;
    default:
      break;
  }
}

void SdlEventSource::FinishDrop(MessageQueue& queue, uint32_t windowId) {
  std::vector<std::string> files;
  files.swap(dropped_);
  dropWindow_ = 0;
  Window* window = windowId ? Window::FromSdlId(windowId) : Window::FromHandle(queue.ActiveWindow());
  // Only a window that accepts files (WS_EX_ACCEPTFILES) is told about them.
  if (!window || !window->AcceptsFiles() || files.empty()) return;
  queue.PostDrop(window, std::move(files));
}

}  // namespace plat
