#pragma once

struct SDL_Window;

// A window of the platform layer. Engine code holds it as the opaque handle HWND; the
// drawing layer reaches the SDL window behind it. The window layer derives its full
// window object from this.
struct HWND__ {
  SDL_Window* sdl = nullptr;
  virtual ~HWND__() = default;
};
using HWND = HWND__*;
