#pragma once

#include <string>
#include <vector>

#include "platform/win32/EventSource.h"

union SDL_Event;

namespace plat {

// The real event source: SDL's event queue, translated.
//
//   close button (SDL_WINDOWEVENT_CLOSE)  -> WM_CLOSE sent to the window procedure
//   SDL_QUIT (a signal, the session ending) -> WM_CLOSE posted (the pump quits at once)
//   focus gained / lost                   -> WM_ACTIVATE sent, WA_ACTIVE / WA_INACTIVE
//   minimised / maximised / restored, size changes -> WM_SIZE posted (SIZE_MINIMIZED,
//                                            SIZE_MAXIMIZED, SIZE_RESTORED; lParam the
//                                            client width and height)
//   exposed                               -> WM_PAINT posted
//   pointer left the window               -> WM_NCMOUSELEAVE posted
//   mouse motion                          -> WM_MOUSEMOVE posted (signed 16-bit client x,
//                                            y) and a relative-motion input event
//   mouse buttons, wheel                  -> input events (wheel: 120 a notch)
//   keys                                  -> input events with scan codes; SDL's own key
//                                            repeats are dropped
//   files dropped (SDL_DROPFILE ... SDL_DROPCOMPLETE) -> one WM_DROPFILES, for a window
//                                            with WS_EX_ACCEPTFILES
// Events of windows that this layer did not make are ignored.
class SdlEventSource : public EventSource {
 public:
  void Drain(MessageQueue& queue) override;
  // Translates one event (Drain calls it for each event that SDL has).
  void Translate(MessageQueue& queue, SDL_Event& event);

 private:
  void FinishDrop(MessageQueue& queue, uint32_t windowId);

  std::vector<std::string> dropped_;
  uint32_t dropWindow_ = 0;
};

}  // namespace plat
