#pragma once

// A scene file of 100,000 entries, for the test that reads it whole and for the benchmark
// that times its load (bench_scene_load).

#include <string>

namespace bgtest {

struct LargeScene {
  static constexpr int kExplicitWaypoints = 500;  // odd IDs 1 to 999
  static constexpr int kAutoWaypoints = 59500;    // without IDs
  static constexpr int kElements = 25000;         // decals, Sort -2 to 2 in turn, X counting them
  static constexpr int kPaths = 15000;            // two nodes each, without IDs

  // The table that "BGScene = " takes.
  static std::string Body();
};

}  // namespace bgtest
