#include <gtest/gtest.h>

#include "engine/background/BGEditor.h"
#include "engine/background/BGElement.h"
#include "engine/background/BGScene.h"
#include "engine/core/Timer.h"
#include "engine/graphics/FontManager.h"
#include "platform/win32/Time.h"
#include "tests/background/BGTestSupport.h"
#include "tests/support/TestEnv.h"

namespace bgtest {
namespace {

using background::BGScene;
using background::DecalBrush;
using background::ElementBrush;

constexpr uint32_t kF2 = 60;
constexpr uint32_t kLeft = 203;
constexpr uint32_t kRight = 205;
constexpr uint32_t kPageUp = 201;
constexpr uint32_t kPageDown = 209;
constexpr uint32_t kCtrl = 29;

class BGEditorTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    Key(scene_, kF2);
    ASSERT_NE(scene_.editor, nullptr);
  }
  background::BGEditor& Editor() { return *scene_.editor; }
  ElementBrush* Held() { return dynamic_cast<ElementBrush*>(Editor().brush.get()); }
  size_t ElementCount() const { return scene_.front.size() + scene_.back.size(); }

  BGScene scene_;
};

TEST_F(BGEditorTest, RotationSnapsToQuarterTurnsAndTheWheelTurnsSingleDegrees) {
  Editor().AddDecal("ui_img/leaf.png");
  for (float expected : {90.0f, 180.0f, 270.0f, 0.0f}) {
    Key(scene_, kRight);
    EXPECT_FLOAT_EQ(Held()->rotation, expected);
    EXPECT_FLOAT_EQ(Held()->element->Rotation, expected);
  }
  scene_.MouseWheel(3000);  // 100 degrees
  EXPECT_FLOAT_EQ(Held()->rotation, 100.0f);
  Key(scene_, kLeft);
  EXPECT_FLOAT_EQ(Held()->rotation, 0.0f) << "100 - 90 = 10 snaps to 0";
  scene_.MouseWheel(-120);  // one notch back: -4 degrees, wrapped
  EXPECT_FLOAT_EQ(Held()->rotation, 356.0f);
}

TEST_F(BGEditorTest, LayerKeysMoveTheHeldElementBetweenLayers) {
  Editor().AddDecal("ui_img/leaf.png");
  ASSERT_EQ(scene_.back.size(), 1u) << "the brush starts on layer -1";
  Key(scene_, kPageDown);
  EXPECT_FLOAT_EQ(Held()->element->Sort, 9.0f);
  EXPECT_EQ(scene_.front.size(), 1u);
  Key(scene_, kPageUp);
  EXPECT_FLOAT_EQ(Held()->element->Sort, -1.0f);
  EXPECT_EQ(scene_.back.size(), 1u);
  EXPECT_TRUE(scene_.front.empty());
  Key(scene_, 199);  // Home: +100
  EXPECT_FLOAT_EQ(Held()->layer, 99.0f);
}

TEST_F(BGEditorTest, ParalaxStaysWithinItsBounds) {
  Editor().AddDecal("ui_img/leaf.png");
  for (int i = 0; i < 50; ++i) Key(scene_, 55);
  EXPECT_FLOAT_EQ(Held()->paralax, 2.0f);
  EXPECT_FLOAT_EQ(Held()->element->Paralax, 2.0f);
  for (int i = 0; i < 50; ++i) Key(scene_, 181);
  EXPECT_FLOAT_EQ(Held()->paralax, 0.01f);
}

TEST_F(BGEditorTest, PlainDecalsTakeOneClickMovingOnesTwo) {
  Editor().AddDecal("ui_img/leaf.png");
  MoveTo(scene_, math::Vec2(0.5f, 0.5f));
  DrawFrame(scene_);
  const auto* first = Held()->element;
  EXPECT_NEAR(first->Pos.x, 0.45f, 1e-6f) << "centred on the cursor";
  Click(scene_, math::Vec2(0.5f, 0.5f));
  EXPECT_NE(Held()->element, first) << "placed with one click";
  EXPECT_EQ(ElementCount(), 2u);

  Key(scene_, kCtrl);  // drifting decals
  EXPECT_EQ(dynamic_cast<DecalBrush*>(Held())->kind, 1);
  EXPECT_EQ(Held()->element->GetTypeName(), "pandecal");
  EXPECT_EQ(ElementCount(), 2u) << "the held decal was replaced";
  MoveTo(scene_, math::Vec2(0.2f, 0.2f));
  DrawFrame(scene_);
  const auto* drifting = Held()->element;
  Click(scene_, math::Vec2(0.2f, 0.2f));
  EXPECT_EQ(Held()->element, drifting) << "the first click fixes its place";
  MoveTo(scene_, math::Vec2(0.3f, 0.25f));
  DrawFrame(scene_);
  EXPECT_NEAR(drifting->Pos.x, 0.15f, 1e-6f) << "it stays where it was put";
  Click(scene_, math::Vec2(0.3f, 0.25f));
  EXPECT_NE(Held()->element, drifting);
  EXPECT_NEAR(drifting->Dir.x, 0.1f, 1e-6f) << "the second click fixes its Dir";
  EXPECT_NEAR(drifting->Dir.y, 0.05f, 1e-6f);
  EXPECT_EQ(ElementCount(), 3u);

  const std::string help = Held()->help;
  EXPECT_EQ(help, "Decal Type [CTRL]: transient\n[SHIFT] Toggle Additive");
  Key(scene_, 42);
  EXPECT_TRUE(dynamic_cast<background::BGDecal*>(Held()->element)->Additive);
}

TEST_F(BGEditorTest, RightClickOnEmptySpaceKeepsTheBrushAndOnAnElementDeletesIt) {
  Editor().AddDecal("ui_img/leaf.png");
  MoveTo(scene_, math::Vec2(0.5f, 0.5f));
  DrawFrame(scene_);
  Click(scene_, math::Vec2(0.5f, 0.5f));
  ASSERT_EQ(ElementCount(), 2u);
  MoveTo(scene_, math::Vec2(0.9f, 0.9f));
  DrawFrame(scene_);
  Click(scene_, math::Vec2(0.1f, 0.1f), 1);
  EXPECT_EQ(ElementCount(), 2u);
  ASSERT_NE(Held(), nullptr);
  ASSERT_NE(Held()->element, nullptr);
  Click(scene_, math::Vec2(0.5f, 0.5f), 1);
  EXPECT_EQ(ElementCount(), 1u) << "the placed decal is gone, the held one stays";
  EXPECT_NE(Held()->element, nullptr);

  Key(scene_, 57);  // Space drops the brush and its element
  EXPECT_EQ(Editor().brush, nullptr);
  EXPECT_EQ(ElementCount(), 0u);
}

TEST_F(BGEditorTest, SplineBrushesAddPathsOnlyWithTwoNodesAndEditCopies) {
  Key(scene_, 31);  // S
  MoveTo(scene_, math::Vec2(0.1f, 0.1f));
  Key(scene_, 57);
  EXPECT_TRUE(scene_.paths.empty()) << "one node is no path";

  Key(scene_, 31);
  MoveTo(scene_, math::Vec2(0.1f, 0.1f));
  Click(scene_, math::Vec2(0.1f, 0.1f));
  MoveTo(scene_, math::Vec2(0.5f, 0.5f));
  Click(scene_, math::Vec2(0.5f, 0.5f));
  MoveTo(scene_, math::Vec2(0.9f, 0.1f));
  Key(scene_, 57);
  ASSERT_EQ(scene_.paths.size(), 1u);
  EXPECT_EQ(scene_.paths[0]->ID, 1);
  EXPECT_EQ(scene_.paths[0]->nodes.GetNodeCount(), 3);

  // A click on the curve (its middle between the first two nodes) without a brush edits
  // a copy.
  Click(scene_, math::Vec2(0.275f, 0.325f));
  ASSERT_NE(dynamic_cast<background::SplineBrush*>(Editor().brush.get()), nullptr);
  MoveTo(scene_, math::Vec2(0.9f, 0.5f));
  Key(scene_, 57);
  ASSERT_EQ(scene_.paths.size(), 2u);
  EXPECT_FLOAT_EQ(scene_.paths[0]->nodes.GetNode(2)->pos.y, 0.1f) << "the original is unchanged";
  EXPECT_EQ(scene_.paths[1]->ID, 2);
  EXPECT_FLOAT_EQ(scene_.paths[1]->nodes.GetNode(2)->pos.y, 0.5f);
}

TEST_F(BGEditorTest, SnappingPlacesOnTheGrid) {
  Key(scene_, 34);  // G
  Editor().AddDecal("ui_img/leaf.png");
  MoveTo(scene_, math::Vec2(0.13f, 0.13f));
  EXPECT_NEAR(Held()->element->Pos.x, 0.12f, 1e-6f) << "three 0.04 steps";
  EXPECT_NEAR(Held()->element->Pos.y, 0.1066666f, 1e-6f) << "two 0.0533333 steps";
}

TEST_F(BGEditorTest, WaypointsTilesAndTheBackgroundPicture) {
  Key(scene_, 17);  // W
  MoveTo(scene_, math::Vec2(0.2f, 0.2f));
  Click(scene_, math::Vec2(0.2f, 0.2f));
  Click(scene_, math::Vec2(0.2f, 0.2f));
  ASSERT_EQ(scene_.waypoints.size(), 2u);
  EXPECT_EQ(scene_.waypoints[1]->ID, 2);
  Click(scene_, math::Vec2(0.201f, 0.2f), 1);
  EXPECT_EQ(scene_.waypoints.size(), 1u);

  LoadScene(scene_, "{ Info = { Width = 2, Height = 2, TileSize = { 0.5, 0.5 } } }");
  Editor().SetBackgroundTile("tiles/stone.png");
  MoveTo(scene_, math::Vec2(0.7f, 0.2f));
  Click(scene_, math::Vec2(0.7f, 0.2f));
  for (const auto& tile : scene_.tiles) EXPECT_EQ(tile.image, "tiles/stone.png") << "replace all";
  Key(scene_, kCtrl);
  scene_.MouseWheel(120);
  Editor().brush->name = "tiles/moss.png";
  Click(scene_, math::Vec2(0.7f, 0.2f));
  EXPECT_EQ(scene_.tiles[1].image, "tiles/moss.png") << "cell (1, 0) only";
  EXPECT_EQ(scene_.tiles[1].Rot, 1);
  EXPECT_EQ(scene_.tiles[0].image, "tiles/stone.png");

  Editor().SetBackground("art/sky.png");
  EXPECT_FALSE(scene_.HasTileGrid());
  EXPECT_EQ(scene_.BackgroundImg, "art/sky.png");
  Editor().SetBackgroundTile("tiles/stone.png");
  Click(scene_, math::Vec2(0.7f, 0.7f), 1);
  EXPECT_FALSE(scene_.background.IsLoaded()) << "right-click without a grid clears the picture";
}

TEST_F(BGEditorTest, KeysRunTheGameScripts) {
  Run("Ran = '' for _, name in ipairs({ 'EditDecalBG', 'EditBackgroundBG', 'EditPartBG', 'EditBipedBG',"
      " 'ShowBgEditor', 'LoadBGImg', 'SaveBackgroundFile', 'LoadBackgroundFile', 'BgEditScrollEnvDown',"
      " 'BgEditScrollEnvUp' }) do _G[name] = function() Ran = Ran .. name .. ' ' end end");
  for (uint32_t key : {2u, 3u, 4u, 5u, 11u, 66u, 67u, 68u}) Key(scene_, key);
  scene_.MouseWheel(120);
  scene_.MouseWheel(-120);
  EXPECT_EQ(Global("Ran"),
            "EditDecalBG EditBackgroundBG EditPartBG EditBipedBG ShowBgEditor LoadBGImg SaveBackgroundFile "
            "LoadBackgroundFile BgEditScrollEnvDown BgEditScrollEnvUp ");
}

TEST_F(BGEditorTest, HeldInsertAndDeleteChangeTheDecalsAlphaWithTheFrameTime) {
  win32::FakeClock clock;
  FrameTimer& timer = FrameTimer::Instance();
  for (int i = 0; i < 3; ++i) {
    clock.AdvanceSeconds(0.05);
    timer.Update();
  }
  const float step = 0.2f * timer.GetDelta();
  ASSERT_GT(step, 0.0f);
  Editor().AddDecal("ui_img/leaf.png");
  auto* decal = dynamic_cast<background::BGDecal*>(Held()->element);
  scene_.KeyHeld(211);  // Delete
  scene_.KeyHeld(211);
  EXPECT_NEAR(decal->Alpha, 1.0f - 2.0f * step, 1e-6f);
  scene_.KeyHeld(210);  // Insert
  EXPECT_NEAR(Held()->alpha, 1.0f - step, 1e-6f);
  for (int i = 0; i < 1000; ++i) scene_.KeyHeld(210);
  EXPECT_FLOAT_EQ(decal->Alpha, 1.0f) << "held within [0, 1]";
}

TEST_F(BGEditorTest, HelpTextsFollowTheSwitches) {
  Editor().AddDecal("ui_img/leaf.png");
  ClearDraws();
  scene_.RenderForeground();
  const auto& texts = FontManager::Get().QueuedTexts();
  ASSERT_GE(texts.size(), 6u);
  bool sawHelp = false;
  bool sawLayer = false;
  for (const auto& text : texts) {
    sawHelp = sawHelp || text.text == background::BGEditor::kHelpText;
    sawLayer = sawLayer || text.text.rfind("Layer : -1.0. [Up/Down", 0) == 0;
  }
  EXPECT_TRUE(sawHelp);
  EXPECT_TRUE(sawLayer);
  ClearDraws();
  Key(scene_, 35);  // H
  scene_.RenderForeground();
  EXPECT_EQ(FontManager::Get().QueuedCount(), 0u);
}

}  // namespace
}  // namespace bgtest
