#pragma once

// The SWF movie that the ui tests link in place of the engine's: it plays nothing and
// records what its widget asks of it. A file name starting with "missing" fails to load.

#include <string>
#include <vector>

namespace uitest {

// Every call of every movie since the last Clear, in order: "new", "Load <file>",
// "Advance <dt>", "Display", "Reset", "delete".
std::vector<std::string>& FlashCalls();

}  // namespace uitest
