#pragma once

// A stage for scene tests: the user-interface stage (a recording renderer whose images are
// all 80 x 60 pixels, names starting with "missing" failing; the console's state; a font),
// the random generator seeded, and helpers that write scene and .sbp files and feed a scene
// its input.

#include <string>

#include "engine/background/BGScene.h"
#include "engine/core/Math.h"
#include "tests/ui/UITestSupport.h"

namespace bgtest {

// 80 x 60 pixels in play-area fractions: the size of every picture of the stage.
inline constexpr math::Vec2 kPictureSize{0.1f, 0.1f};

class SceneTest : public uitest::UITest {
 protected:
  void SetUp() override;

  // Writes "BGScene = <body>" to the file.
  static void WriteScene(const std::string& path, const std::string& body);
  // Loads "BGScene = <body>" into the scene through a file.
  static void LoadScene(background::BGScene& scene, const std::string& body);

  static void Click(background::BGScene& scene, const math::Vec2& at, int button = 0);
  static void MoveTo(background::BGScene& scene, const math::Vec2& to);
  static void Key(background::BGScene& scene, uint32_t code) { scene.KeyPressed(code); }
  // Draws both passes (brushes re-apply the last mouse move there).
  static void DrawFrame(background::BGScene& scene);

  // DrawArray calls recorded since the last ClearDraws.
  size_t DrawCount() const { return renderer_.draws.size(); }
  void ClearDraws();
};

}  // namespace bgtest
