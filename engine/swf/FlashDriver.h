#pragma once

namespace flash {

// The SWF player's driver: while one exists, SWF movie widgets can play. The UI manager
// makes it (InitFlash) and deletes it (ShutdownFlash, before a display-device reset and
// at shutdown). This stand-in installs nothing: no player is built into the engine yet.
class FlashDriver {
 public:
  FlashDriver();
  ~FlashDriver();
  FlashDriver(const FlashDriver&) = delete;
  FlashDriver& operator=(const FlashDriver&) = delete;
};

}  // namespace flash
