#include "tests/background/LargeScene.h"

namespace bgtest {

std::string LargeScene::Body() {
  std::string body = "{ Waypoints = {\n";
  for (int i = 0; i < kExplicitWaypoints; ++i) body += "{ ID = " + std::to_string(2 * i + 1) + " },\n";
  for (int i = 0; i < kAutoWaypoints; ++i) body += "{ Pos = { 0.5, 0.5 } },\n";
  body += "}, Background = {\n";
  // Sorts -2 to 2 in turn; X counts the entries, so that the file order can be checked.
  for (int i = 0; i < kElements; ++i) {
    body += "{ Type = 'decal', Sort = " + std::to_string(i % 5 - 2) + ", Pos = { " + std::to_string(i) + ", 0 } },\n";
  }
  body += "}, Paths = {\n";
  for (int i = 0; i < kPaths; ++i) body += "{ Nodes = { { 0.1, 0.1 }, { 0.2, 0.2 } } },\n";
  body += "} }";
  return body;
}

}  // namespace bgtest
