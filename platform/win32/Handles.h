#pragma once

struct SDL_Window;

// A window of the platform layer. Engine code holds it as the opaque handle HWND; the
// drawing layer reaches the SDL window behind it. The window layer derives its full
// window object from this.
struct HWND__ {
  SDL_Window* sdl = nullptr;
  virtual ~HWND__() = default;

  // The size the client area really has: in window coordinates (those of mouse messages)
  // and in pixels of its drawable (more on a scaled display). SDL's own idea of the size
  // follows what was asked of the window, granted or not, so drawing and the cursor ask
  // here. False when the handle cannot tell (a bare handle over an SDL window, as tests
  // make one): the caller then takes SDL's sizes.
  virtual bool ClientSize(int* /*width*/, int* /*height*/, int* /*pixelWidth*/,
                          int* /*pixelHeight*/) const {
    return false;
  }
};
using HWND = HWND__*;
