// The program entry.

#include <cstdio>

#include "engine/core/Log.h"

int main() {
  std::printf("Pellavo v1.07\n");
  LOG_LINE(MSG_INIT) << "Pellavo v1.07";
  return 0;
}
