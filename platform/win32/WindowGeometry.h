#pragma once

// The place and size a window really has on its display. SDL keeps its own idea of a
// window's size and changes it when it asks for full screen, whether or not anything
// grants the request: on an X display without a window manager the window keeps its size
// and place while SDL reports the whole screen. Drawing and the cursor go by what the
// window really has, so on X the server is asked; other video drivers keep SDL's sizes
// true and are taken at their word.
//
// Kept apart from the Win32 declarations: the X headers define names (Window, None, Bool)
// that clash with them.

struct SDL_Window;

namespace plat {

struct WindowGeometry {
  // The client area's top-left corner on the screen and its size, in window coordinates
  // (those of mouse events).
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  // The size of its drawable in pixels (larger than width x height on a scaled display).
  int pixelWidth = 0;
  int pixelHeight = 0;
};

// False, with the geometry zero, for no window.
bool QueryWindowGeometry(SDL_Window* window, WindowGeometry* geometry);

}  // namespace plat
