#include "engine/background/BGScene.h"

#include "engine/core/Log.h"

namespace background {

BGScene::BGScene() = default;

BGScene::~BGScene() = default;

bool BGScene::Load(const std::string& path) {
  // No scene file can be read yet; the owner goes on with an empty scene.
  LOG_LINE(MSG_ERROR) << "Unable to load Background " << path << "!";
  return false;
}

void BGScene::Update(float dt) {}

void BGScene::Render() {}

void BGScene::RenderForeground() {}

}  // namespace background
