// Runs arbitrary bytes as a background scene file on the recording renderer: load, a few
// updates, both passes and the debug drawing, the editor attached with a few keys, moves,
// clicks and wheel turns, then save, and load the saved file again.

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/background/BGEditor.h"
#include "engine/background/BGScene.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/FontManager.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

constexpr const char* kSceneFile = "fuzz_scene_input.lua";
constexpr const char* kSavedFile = "fuzz_scene_saved.lua";

void Frame(background::BGScene& scene, float dt) {
  scene.Update(dt);
  scene.Render();
  scene.RenderForeground();
  scene.RenderDebug();
  dd::Manager::Instance().Render2D();
  FontManager::Get().RenderText();
}

void Edit(background::BGScene& scene) {
  scene.KeyPressed(60);  // F2
  if (!scene.editor) return;
  background::BGEditor& editor = *scene.editor;
  const math::Vec2 a(0.3f, 0.4f), b(0.6f, 0.5f);
  editor.AddDecal("art/leaf.png");
  for (uint32_t key : {34u, 32u, 29u, 42u, 205u, 201u, 55u}) scene.KeyPressed(key);
  scene.MouseMoved(a, b);
  scene.MouseButtonPressed(0, b);
  scene.MouseButtonPressed(0, a);
  scene.MouseButtonPressed(1, a);
  scene.MouseWheel(240);
  Frame(scene, 0.02f);
  editor.AddPartSys("effects/petals.p2d");
  scene.MouseMoved(b, a);
  scene.MouseButtonPressed(0, b);
  editor.AddBiped("bird_idle");
  scene.MouseButtonPressed(0, a);
  editor.SetBackgroundTile("art/tile.png");
  scene.MouseButtonPressed(0, b);
  scene.KeyPressed(31);  // a spline
  scene.MouseMoved(b, a);
  scene.MouseButtonPressed(0, a);
  scene.MouseMoved(a, b);
  scene.KeyPressed(17);  // waypoints
  scene.MouseButtonPressed(0, b);
  scene.MouseButtonPressed(1, b);
  scene.KeyPressed(57);
  scene.MouseButtonPressed(0, a);  // maybe a path: a copy to edit
  Frame(scene, 0.02f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static spritetest::SpriteRenderer renderer;
  FILE* file = std::fopen(kSceneFile, "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  background::BGScene scene;
  scene.Load(kSceneFile);
  for (float dt : {0.0f, 0.05f, 1.5f}) Frame(scene, dt);
  Edit(scene);
  if (scene.Save(kSavedFile)) {
    background::BGScene again;
    again.Load(kSavedFile);
    Frame(again, 0.1f);
  }
  // The recording renderer keeps every call: forget this input's.
  renderer.calls.clear();
  renderer.draws.clear();
  renderer.textures.clear();
  renderer.renderStates.clear();
  renderer.stages.clear();
  renderer.transforms.clear();
  return 0;
}
