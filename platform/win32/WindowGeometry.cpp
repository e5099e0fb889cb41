#include "platform/win32/WindowGeometry.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <algorithm>

namespace plat {

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
// The X server's answer: the window's size and its origin on the root window. False when
// the server has no such window (it went while SDL still held it).
bool QueryX11(const SDL_SysWMinfo& info, WindowGeometry* geometry) {
  Display* display = info.info.x11.display;
  const ::Window window = info.info.x11.window;
  if (!display || !window) return false;
  ::Window root = 0;
  int x = 0, y = 0;
  unsigned int width = 0, height = 0, border = 0, depth = 0;
  if (!XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth)) return false;
  ::Window child = 0;
  int screenX = 0, screenY = 0;
  if (!XTranslateCoordinates(display, window, root, 0, 0, &screenX, &screenY, &child)) return false;
  geometry->x = screenX;
  geometry->y = screenY;
  geometry->width = static_cast<int>(width);
  geometry->height = static_cast<int>(height);
  // X draws at the window's own size.
  geometry->pixelWidth = geometry->width;
  geometry->pixelHeight = geometry->height;
  return true;
}
#endif

// SDL's own sizes: true for the drivers that place windows themselves (offscreen, and
// those whose full screen SDL carries out). A full-screen window covers its display, even
// while it is hidden and SDL has not resized it yet.
void QuerySdl(SDL_Window* window, WindowGeometry* geometry) {
  SDL_Rect bounds;
  if ((SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP &&
      SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &bounds) == 0) {
    *geometry = WindowGeometry{bounds.x, bounds.y, bounds.w, bounds.h, bounds.w, bounds.h};
    return;
  }
  SDL_GetWindowPosition(window, &geometry->x, &geometry->y);
  SDL_GetWindowSize(window, &geometry->width, &geometry->height);
  geometry->pixelWidth = geometry->width;
  geometry->pixelHeight = geometry->height;
  if (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) {
    SDL_GL_GetDrawableSize(window, &geometry->pixelWidth, &geometry->pixelHeight);
  }
}

}  // namespace

bool QueryWindowGeometry(SDL_Window* window, WindowGeometry* geometry) {
  *geometry = WindowGeometry{};
  if (!window) return false;
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11 &&
      QueryX11(info, geometry)) {
    return true;
  }
#endif
  QuerySdl(window, geometry);
  return true;
}

}  // namespace plat
