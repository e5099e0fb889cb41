#pragma once

#include <string>
#include <utility>
#include <vector>

// The clothes catalogue and the heroine who wears them. Until the catalogue is read the
// heroine wears nothing that carries a bonus.
class KivDresses {
 public:
  // A bonus of a worn piece: its name and its value in percent.
  using Stat = std::pair<std::string, float>;

  static KivDresses& Instance();

  // Appends the bonuses of every piece the outfit holds (the heroine's current outfit
  // is 0).
  void CollectStats(int outfit, std::vector<Stat>& out) const;
};
