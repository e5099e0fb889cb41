#pragma once

#include <string>

#include "engine/core/Math.h"

// Process-wide objects: start-up and exit.
//
// A few plain globals are set up before main runs (below). Every engine service is a
// function-local static built on first use:
//
//     Audio& Audio::Instance() {
//       static Audio instance;   // built on the first call
//       return instance;
//     }
//
// Building it registers its destructor as an exit routine, and exit routines run in the
// reverse order of registration: the service first used is destroyed last. A service
// joins simply by being such a static; its destructor may log, because the log is opened
// first (the application constructor opens it before it creates the other services) and
// it is never destroyed, only closed by its own exit routine (see Log::Instance). A
// service whose destructor uses another service makes sure to use that one first, in its
// constructor, so that the other outlives it.
//
// The tracking memory manager needs no construction and has no exit routine: it works
// from the first static initialiser until the process ends.
namespace process {

inline constexpr int kCircleSteps = 17;

// cos(k x pi / 8) and sin(k x pi / 8) for k = 0..16, with pi taken as 3.14159 in single
// precision (so the sine at k = 16 is about -0.0000051, not 0). Filled before main; read
// by circle drawing.
extern float g_cosTable[kCircleSteps];
extern float g_sinTable[kCircleSteps];

// The locale name: empty at start, set by the script function SetLocale, read by the
// localised font and path functions.
extern std::string g_localeName;

// 15 x 20 reference pixels as fractions of the 800 x 600 play area, used by the board's
// help framework.
inline constexpr math::Vec2 kHelpCellSize{0.01875f, 0.0333333f};

// On at start; RemoveOldMemoryLog turns it off.
extern bool g_deleteMemoryLog;

// When the switch is on: removes "memory.log" from the current folder (a missing file is
// no error) and turns the switch off. Runs once before main.
void RemoveOldMemoryLog();

}  // namespace process
