#include <gtest/gtest.h>
#include <luabind/luabind.hpp>

#include "engine/background/BGEditor.h"
#include "engine/background/BGScene.h"
#include "engine/core/Console.h"
#include "platform/luaplus/LuaState.h"
#include "tests/background/BGTestSupport.h"
#include "tests/support/TestEnv.h"

namespace bgtest {
namespace {

class BGScriptTest : public SceneTest {};

TEST_F(BGScriptTest, ScriptsDriveTheSceneAndItsEditor) {
  LuaState* state = console::GetConsole().GetState();
  ASSERT_TRUE(background::RegisterBGClasses(state));
  background::BGScene scene;
  scene.KeyPressed(background::BGScene::kEditorKey);
  lua_State* L = state->GetCState();
  luabind::globals(L)["TestScene"] = &scene;
  luabind::globals(L)["TestEditor"] = scene.editor.get();

  Write("scenes/script.lua", "BGScene = { Background = { { Type = 'decal', SpriteImg = 'a.png' } } }");
  Run("Loaded = TestScene:Load('scenes/script.lua')");
  EXPECT_EQ(Global("Loaded"), "true");
  EXPECT_EQ(scene.front.size(), 1u);
  Run("TestScene:SetBackground('art/sky.png')");
  EXPECT_EQ(scene.BackgroundImg, "art/sky.png");

  Run("TestEditor:AddDecal('ui_img/leaf.png')");
  EXPECT_NE(dynamic_cast<background::DecalBrush*>(scene.editor->brush.get()), nullptr);
  Run("TestEditor:AddBiped('bird_idle')");
  EXPECT_NE(dynamic_cast<background::BipedBrush*>(scene.editor->brush.get()), nullptr);
  Run("TestEditor:SetBackgroundTile('tiles/stone.png')");
  EXPECT_NE(dynamic_cast<background::TileBrush*>(scene.editor->brush.get()), nullptr);
  Run("TestEditor:SetBackground('art/night.png')");
  EXPECT_EQ(scene.editor->brush, nullptr);
  EXPECT_EQ(scene.BackgroundImg, "art/night.png");
  Run("TestEditor:AddPartSys('effects/petals.p2d')");
  auto* particles = dynamic_cast<background::PartBrush*>(scene.editor->brush.get());
  ASSERT_NE(particles, nullptr);
  EXPECT_NE(particles->element, nullptr);

  Run("Saved = TestScene:Save('scenes/script_out.lua')");
  EXPECT_EQ(Global("Saved"), "true");
  EXPECT_EQ(scene.editor->brush, nullptr) << "saving drops the brush";
  EXPECT_NE(testenv::ReadFile("scenes/script_out.lua").find("BackgroundImg = \"art/night.png\""), std::string::npos);

  luabind::globals(L)["TestScene"] = luabind::object();
  luabind::globals(L)["TestEditor"] = luabind::object();
}

}  // namespace
}  // namespace bgtest
