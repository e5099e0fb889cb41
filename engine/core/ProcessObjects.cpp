#include "engine/core/ProcessObjects.h"

#include <cmath>
#include <cstdio>

namespace process {

namespace {
// k x pi / 8 with pi taken as 3.14159, computed in single precision like the tables.
constexpr float kCircleStep = 0.39269876f;

struct CircleTables {
  CircleTables() {
    for (int k = 0; k < kCircleSteps; ++k) {
      float angle = static_cast<float>(k) * kCircleStep;
      g_cosTable[k] = std::cos(angle);
      g_sinTable[k] = std::sin(angle);
    }
  }
};
}  // namespace

// Set up before main, in this order.
float g_cosTable[kCircleSteps];
float g_sinTable[kCircleSteps];
static const CircleTables s_circleTables;
std::string g_localeName;
bool g_deleteMemoryLog = true;

void RemoveOldMemoryLog() {
  if (!g_deleteMemoryLog) return;
  std::remove("memory.log");
  g_deleteMemoryLog = false;
}

namespace {
struct OldMemoryLogRemover {
  OldMemoryLogRemover() { RemoveOldMemoryLog(); }
};
const OldMemoryLogRemover s_oldMemoryLogRemover;
}  // namespace

}  // namespace process

// Referred to by the link options of the core library, so that every program takes this
// file (and so runs the start-up work above) even when it uses none of its names.
extern "C" const int pellavo_process_objects = 1;
