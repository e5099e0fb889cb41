#pragma once

#include <functional>
#include <string>

#include "platform/win32/UserTypes.h"

class GameApp;

// Makes the one application object: (module instance, window class name, settings-script
// path, log path).
using ApplicationFactory = std::function<GameApp*(HINSTANCE instance, const std::string& className,
                                                  const std::string& settingsPath,
                                                  const std::string& logPath)>;

inline constexpr int kExitNormal = 0;
inline constexpr int kExitFailedStart = 1;

// What the program entry runs:
//   1. the save folder (GetSaveFolder): the log "kv.log" and the settings "kv.lua" live
//      there, and so does the single-instance lock;
//   2. the application object from the factory, with the caption as its class name,
//      stored in the process-wide application pointer;
//   3. CreateAppWindow(caption, 800, 600); on failure (a second instance, or no window)
//      the object is deleted and the start has failed;
//   4. Init, then Step until it returns false; a failed Init skips the loop;
//   5. SaveProfile, Shutdown, delete the object, clear the pointer.
// Returns kExitNormal after a normal quit and kExitFailedStart when the start failed.
int RunApplication(const std::string& caption, const ApplicationFactory& create);
