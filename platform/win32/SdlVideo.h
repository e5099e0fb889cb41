#pragma once

#include <cstdint>

namespace plat {

// Starts SDL's video (and event) subsystem once for the window layer. False, with the
// last error set to SDL's text, when there is no video driver.
bool EnsureVideo();
// SDL video is up (started by this layer or by another).
bool VideoReady();
// Running without a display: SDL_VIDEODRIVER (or the driver in use) is "offscreen" or
// "dummy". Message boxes are then only logged.
bool IsHeadless();
// Milliseconds on SDL's clock (the clock of SDL's event times).
uint32_t TicksMs();

}  // namespace plat
