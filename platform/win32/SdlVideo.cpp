#include "platform/win32/SdlVideo.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/win32/KernelApi.h"
#include "platform/win32/WinUser.h"

namespace plat {

namespace {

bool IsHeadlessDriver(const char* name) {
  return name && (std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0);
}

}  // namespace

bool EnsureVideo() {
  // The close button asks the window procedure (WM_CLOSE); SDL must not turn the close
  // of the last window into a quit request of its own. (Read when a window closes, so
  // this holds even when another layer started video first.)
  static const bool hinted = SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  (void)hinted;
  if (VideoReady()) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    SetLastErrorFromSdl();
    return false;
  }
  // A visibility asked for before video started takes effect now.
  SDL_ShowCursor(IsCursorShown() ? SDL_ENABLE : SDL_DISABLE);
  return true;
}

bool VideoReady() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

bool IsHeadless() {
  if (IsHeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) return true;
  return VideoReady() && IsHeadlessDriver(SDL_GetCurrentVideoDriver());
}

// SDL's clock starts itself on first use, so event times and message times agree.
uint32_t TicksMs() { return SDL_GetTicks(); }

}  // namespace plat
