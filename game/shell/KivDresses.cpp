#include "game/shell/KivDresses.h"

KivDresses& KivDresses::Instance() {
  static KivDresses dresses;
  return dresses;
}

void KivDresses::CollectStats(int outfit, std::vector<Stat>& out) const {}
