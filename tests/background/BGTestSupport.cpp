#include "tests/background/BGTestSupport.h"

#include "engine/background/BGEditor.h"
#include "engine/core/Random.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/FontManager.h"
#include "tests/support/TestEnv.h"

namespace bgtest {

void SceneTest::SetUp() {
  UITest::SetUp();
  num::Random::Instance().Seed(1234);
}

void SceneTest::WriteScene(const std::string& path, const std::string& body) {
  ASSERT_TRUE(testenv::WriteFile(path, "BGScene = " + body + "\n")) << path;
}

void SceneTest::LoadScene(background::BGScene& scene, const std::string& body) {
  WriteScene("scenes/test_scene.lua", body);
  ASSERT_TRUE(scene.Load("scenes/test_scene.lua"));
}

void SceneTest::Click(background::BGScene& scene, const math::Vec2& at, int button) {
  scene.MouseButtonPressed(button, at);
}

void SceneTest::MoveTo(background::BGScene& scene, const math::Vec2& to) {
  const math::Vec2 from = scene.editor ? scene.editor->mousePosition : to;
  scene.MouseMoved(from, to);
}

void SceneTest::DrawFrame(background::BGScene& scene) {
  scene.Render();
  scene.RenderForeground();
}

void SceneTest::ClearDraws() {
  renderer_.draws.clear();
  renderer_.textures.clear();
  renderer_.calls.clear();
  FontManager::Get().RenderText();
  dd::Manager::Instance().Render2D();
  renderer_.draws.clear();
  renderer_.textures.clear();
  renderer_.calls.clear();
}

}  // namespace bgtest
