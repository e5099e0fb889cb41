#include <gtest/gtest.h>

#include <time.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "engine/background/BGEditor.h"
#include "engine/background/BGElement.h"
#include "engine/background/BGScene.h"
#include "engine/background/BipedAnim.h"
#include "engine/core/Console.h"
#include "engine/part2d/Part2D.h"
#include "engine/ui/UIWidget.h"
#include "tests/background/BGTestSupport.h"
#include "tests/background/LargeScene.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace bgtest {
namespace {

using background::BGElement;
using background::BGScene;

class BGSceneTest : public SceneTest {};

BGElement* Element(const BGScene& scene, size_t index) {
  std::vector<BGElement*> all;
  for (const auto& e : scene.front) all.push_back(e.get());
  for (const auto& e : scene.back) all.push_back(e.get());
  return index < all.size() ? all[index] : nullptr;
}

TEST_F(BGSceneTest, SaveAndLoadKeepEveryKindOfContent) {
  Write("bganim/hopper.sbp",
        "AnimationData = { { Name = 'leg', DefaultImg = 'bird/leg.png',\n"
        "  Frames = { { Pos = { -40, -60 } }, { Pos = { 40, 0 } } } } }\n");
  bones::BipedAnimationSet::Instance().AddAnimation("bganim/hopper.sbp");

  Write("effects/t.p2d", "Part2D = { { Image = 'effects/dot.png', MaxC = 20, GenRate = 0.1 } }");
  BGScene scene;
  LoadScene(scene,
            "{ Info = { BackgroundImg = 'art/big/sky.png', Width = 2, Height = 1, TileSize = { 0.5, 0.5 } },\n"
            "  Background = {\n"
            "    { Type = 'decal', Pos = { 0.1, 0.2 }, Sort = -2, SpriteImg = 'ui_img/a.png', Alpha = 0.5 },\n"
            "    { Type = 'PanDecal', Pos = { 0.2, 0.2 }, Dir = { 0.1, 0 }, SpriteImg = 'ui_img/b.png',\n"
            "      Additive = 1, Paralax = 0.5 },\n"
            "    { Type = 'rotdecal', Pos = { 0.3, 0.2 }, Rotation = 45, SpriteImg = 'ui_img/c.png' },\n"
            "    { Type = 'bobdecal', Pos = { 0.4, 0.2 }, Dir = { 0, 1 }, Sort = -0.5, SpriteImg = 'ui_img/d.png' },\n"
            "    { Type = 'uvdecal', Pos = { 0.5, 0.2 }, Dir = { 0.5, 0 }, Sort = 3, SpriteImg = 'ui_img/e.png' },\n"
            "    { Type = 'biped', Pos = { 0.6, 0.6 }, Sort = 1, Biped = 'hopper' },\n"
            "    { Type = 'partsys', Pos = { 0.1, 0.9 }, Size = { 0.5, 0.02 }, Sort = -1, PartSys = 'effects/t.p2d' },\n"
            "  },\n"
            "  Paths = { { ID = 4, Nodes = { { 0.1, 0.1 }, { 0.5, 0.5 }, { 0.9, 0.1 } } } },\n"
            "  BackgroundTiles = { { Img = 'tiles/grass.png', x = 1, y = 0, Rot = 2 } },\n"
            "  Waypoints = { { Pos = { 0.25, 0.75 }, ID = 9 } },\n"
            "}");
  ASSERT_EQ(scene.front.size() + scene.back.size(), 7u);
  ASSERT_TRUE(scene.Save("scenes/saved.lua"));
  EXPECT_FALSE(testenv::FileExists("scenes/saved.lua.tmp"));

  BGScene copy;
  ASSERT_TRUE(copy.Load("scenes/saved.lua"));
  EXPECT_EQ(copy.BackgroundImg, "big/sky.png") << "the picture's last folder and name";
  EXPECT_EQ(copy.Width, 2);
  EXPECT_EQ(copy.Height, 1);
  EXPECT_EQ(copy.Max, math::Vec2(1.0f, 0.5f)) << "recomputed from the grid";
  ASSERT_EQ(copy.front.size(), scene.front.size());
  ASSERT_EQ(copy.back.size(), scene.back.size());
  for (size_t i = 0; i < 7; ++i) {
    const BGElement* a = Element(scene, i);
    const BGElement* b = Element(copy, i);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetTypeName(), a->GetTypeName()) << i;
    EXPECT_NEAR(b->Pos.x, a->Pos.x, 1e-5f) << i;
    EXPECT_NEAR(b->Dir.x, a->Dir.x, 1e-5f) << i;
    EXPECT_NEAR(b->Size.y, a->Size.y, 1e-5f) << i;
    EXPECT_FLOAT_EQ(b->Sort, a->Sort) << i;
    EXPECT_FLOAT_EQ(b->Rotation, a->Rotation) << i;
    EXPECT_FLOAT_EQ(b->Paralax, a->Paralax) << i;
    if (const auto* particles = dynamic_cast<const background::BGPartSys*>(a)) {
      const auto* loaded = dynamic_cast<const background::BGPartSys*>(b);
      ASSERT_NE(loaded, nullptr);
      EXPECT_EQ(loaded->PartSys, "effects/t.p2d");
      ASSERT_NE(loaded->system, nullptr);
      EXPECT_EQ(loaded->system->GroupC(), 1);
      EXPECT_NEAR(loaded->Size.x, particles->Size.x, 1e-5f) << "the emission rectangle";
    }
    if (const auto* decal = dynamic_cast<const background::BGDecal*>(a)) {
      const auto* loaded = dynamic_cast<const background::BGDecal*>(b);
      ASSERT_NE(loaded, nullptr);
      EXPECT_EQ(loaded->SpriteImg, decal->SpriteImg);
      EXPECT_EQ(loaded->Additive, decal->Additive);
      EXPECT_FLOAT_EQ(loaded->Alpha, decal->Alpha);
    }
  }
  const background::BGBiped* biped = nullptr;
  for (const auto& element : copy.front) {
    if (!biped) biped = dynamic_cast<const background::BGBiped*>(element.get());
  }
  ASSERT_NE(biped, nullptr) << "bipeds are read back";
  EXPECT_EQ(biped->animation, "hopper");
  EXPECT_NEAR(biped->Size.x, 0.1f, 1e-6f) << "the animation's box";
  copy.Update(0.0f);
  EXPECT_NEAR(biped->biped->position.x, 0.65f, 1e-6f) << "on the middle of the bottom edge";
  EXPECT_NEAR(biped->biped->position.y, 0.7f, 1e-6f);
  ASSERT_EQ(copy.paths.size(), 1u);
  EXPECT_EQ(copy.paths[0]->ID, 4);
  ASSERT_EQ(copy.paths[0]->nodes.GetNodeCount(), 3);
  EXPECT_FLOAT_EQ(copy.paths[0]->nodes.GetNode(1)->pos.x, 0.5f);
  ASSERT_EQ(copy.tiles.size(), 2u);
  EXPECT_EQ(copy.tiles[1].image, "tiles/grass.png");
  EXPECT_EQ(copy.tiles[1].Rot, 2);
  EXPECT_EQ(copy.tiles[0].image, "");
  ASSERT_EQ(copy.waypoints.size(), 1u);
  EXPECT_EQ(copy.waypoints[0]->ID, 9);
  EXPECT_FLOAT_EQ(copy.waypoints[0]->Pos.y, 0.75f);
}

// The scene file's edge cases, each on a fresh scene.
TEST_F(BGSceneTest, SceneFileEdgeCases) {
  {
    BGScene scene;
    LoadScene(scene, "{}");
    EXPECT_EQ(scene.Width, 9) << "no Info: the current grid, fresh and empty";
    EXPECT_EQ(scene.tiles.size(), 81u);
    EXPECT_NEAR(scene.Max.x, 9 * 0.64f, 1e-4f);
  }
  {
    BGScene scene;
    LoadScene(scene, "{ Info = { Width = 3, Height = 2 } }");
    LoadScene(scene, "{ Info = { Width = 0, Height = 4 } }");
    EXPECT_EQ(scene.Width, 3) << "Width 0 keeps the width";
    EXPECT_EQ(scene.Height, 4);
  }
  {
    BGScene scene;
    LoadScene(scene,
              "{ Info = { Width = 3, Height = 3 }, BackgroundTiles = {"
              " { Img = 't0.png' }, 'skipped', { Img = 't2.png' }, { Img = 't3.png' },"
              " { Img = 'outside.png', x = 5, y = 0 } } }");
    EXPECT_EQ(scene.tiles[0].image, "t0.png");
    EXPECT_EQ(scene.tiles[2].image, "t2.png") << "entry 2 lands at (2 mod 3, 2 div 3)";
    EXPECT_EQ(scene.tiles[3].image, "t3.png") << "entry 3 at (0, 1)";
    for (const auto& tile : scene.tiles) EXPECT_NE(tile.image, "outside.png");
  }
  {
    BGScene scene;
    LoadScene(scene,
              "{ Background = { { Type = 'decal', Sort = 0, SpriteImg = 'a.png' },"
              " { Type = 'decal', Sort = -0.5, SpriteImg = 'b.png' }, { Type = 'unknown' }, { Sort = 1 }, 7 } }");
    ASSERT_EQ(scene.front.size(), 1u) << "Sort 0 is the front layer";
    ASSERT_EQ(scene.back.size(), 1u) << "Sort -0.5 the back layer; unknown types skipped";
  }
  {
    BGScene scene;
    LoadScene(scene, "{ Paths = { { ID = 7, Nodes = {} }, { ID = 3, Nodes = {} } } }");
    EXPECT_EQ(scene.paths[0]->ID, 3);
    EXPECT_EQ(scene.pathCounter, 7);
    scene.AddPath(math::Spline(0.001f), -1);
    EXPECT_EQ(scene.paths.back()->ID, 8);
  }
  {
    BGScene scene;
    LoadScene(scene, "{ Waypoints = { { Pos = { 0.1, 0.1 }, ID = 2 }, { Pos = { 0.2, 0.2 }, ID = 1 } } }");
    EXPECT_EQ(scene.waypoints[0]->ID, 1);
    EXPECT_EQ(scene.AddWaypoint(math::Vec2(0.3f, 0.3f), -1)->ID, 3);
  }
}

TEST_F(BGSceneTest, APanDecalLeavingOnTheRightComesBackOnTheLeftAtItsStartHeight) {
  BGScene scene;
  LoadScene(scene, "{ Background = { { Type = 'pandecal', Pos = { 0.95, 0.3 }, Dir = { 0.1, 0 },"
                   " Sort = -1, SpriteImg = 'cloud.png' } } }");
  auto& cloud = *scene.back[0];
  cloud.Pos.y = 0.6f;  // drifted off its start height meanwhile
  scene.Update(0.5f);  // its left edge at 1.0: within the view's margin, still visible
  EXPECT_NEAR(cloud.Pos.x, 1.0f, 1e-5f);
  scene.Update(1.0f);
  EXPECT_NEAR(cloud.Pos.x, -0.1f, 1e-5f) << "its right edge at the view's left edge";
  EXPECT_FLOAT_EQ(cloud.Pos.y, 0.3f);

  BGScene falling;
  LoadScene(falling, "{ Background = { { Type = 'pandecal', Pos = { 0.4, 1.04 }, Dir = { 0, 0.2 },"
                     " SpriteImg = 'petal.png' } } }");
  falling.Update(0.1f);
  EXPECT_NEAR(falling.front[0]->Pos.y, -0.1f, 1e-5f) << "mainly vertical: back in at the top";
}

TEST_F(BGSceneTest, DecalKindsMoveTheirPictureAsTheyShould) {
  BGScene scene;
  LoadScene(scene,
            "{ Background = {\n"
            "  { Type = 'rotdecal', Pos = { 0.1, 0.1 }, Dir = { 0.1, 0.2 }, Rotation = 10, SpriteImg = 'r.png' },\n"
            "  { Type = 'bobdecal', Pos = { 0.3, 0.3 }, Dir = { 0, 1 }, Sort = 1, SpriteImg = 'b.png' },\n"
            "  { Type = 'uvdecal', Pos = { 0.5, 0.5 }, Dir = { 0.25, 0 }, Sort = 2, SpriteImg = 'u.png' } } }");
  auto& rot = dynamic_cast<background::BGDecal&>(*scene.front[0]);
  auto& bob = dynamic_cast<background::BGDecal&>(*scene.front[1]);
  auto& uv = dynamic_cast<background::BGDecal&>(*scene.front[2]);
  bob.phase = 0.0f;
  uv.phase = 0.0f;
  scene.Update(0.5f);
  EXPECT_NEAR(rot.Rotation, 10.0f + 0.3f * 0.5f * 300.0f, 1e-3f);
  EXPECT_FLOAT_EQ(bob.phase, 0.5f);
  ClearDraws();
  scene.RenderForeground();
  ASSERT_EQ(DrawCount(), 3u);
  // The bobbing decal is drawn sin(0.5) x 0.1 lower: its top edge at (0.3 + 0.0479) x 600.
  float top = 1e9f;
  for (const auto& v : renderer_.draws[1].vertices) top = std::min(top, v.y);
  EXPECT_NEAR(top, (0.3f + std::sin(0.5f) * 0.1f) * 600.0f, 0.05f);
  // The scrolling decal's texture moved by Dir x 2 x 0.5 for the draw, and back after it.
  float minU = 1e9f;
  for (const auto& v : renderer_.draws[2].vertices) minU = std::min(minU, v.u);
  EXPECT_NEAR(minU, 0.25f, 1e-5f);
  EXPECT_FLOAT_EQ(uv.sprite.uv1.x, 0.0f);
}

TEST_F(BGSceneTest, AParticleElementEmitsOverItsRectangleAndDrawsItsParticles) {
  Write("effects/rain.p2d",
        "Part2D = { { Image = 'effects/drop.png', MaxC = 50, GenRate = 0.1, Lifespan = { 10, 10 } } }");
  BGScene scene;
  LoadScene(scene, "{ Background = { { Type = 'partsys', Pos = { 0.2, 0.3 }, Size = { 0.4, 0.01 },"
                   " PartSys = 'effects/rain.p2d' } } }");
  auto& element = dynamic_cast<background::BGPartSys&>(*scene.front[0]);
  for (int i = 0; i < 5; ++i) scene.Update(0.1f);
  EXPECT_FLOAT_EQ(element.system->origin.x, 0.2f) << "forces act from Pos";
  EXPECT_EQ(element.halfExtent, math::Vec2(0.4f, 0.01f)) << "the half-extent is the size";
  ClearDraws();
  scene.RenderForeground();
  ASSERT_EQ(DrawCount(), 1u);
  const auto& vertices = renderer_.draws[0].vertices;
  EXPECT_EQ(vertices.size() % 6, 0u);  // two triangles a particle
  EXPECT_GE(vertices.size(), 4u * 6u) << "a particle each 0.1 s";
}

TEST_F(BGSceneTest, ElementsOutsideTheViewAndItsMarginAreNeitherUpdatedNorDrawn) {
  // Each decal is 0.1 square, its half-extent 0.05.
  struct Case {
    math::Vec2 pos;
    bool visible;
  };
  const Case cases[] = {
      {{1.0f, 0.5f}, true},     // left edge at 1.0 <= 1.05
      {{1.051f, 0.5f}, false},  // left edge past 1.05
      {{0.5f, 1.049f}, true},
      {{-0.149f, 0.5f}, true},  // right edge just inside -0.05
      {{-0.151f, 0.5f}, false},
      {{0.5f, -0.16f}, false},
  };
  for (const Case& c : cases) {
    BGScene scene;
    char body[256];
    std::snprintf(body, sizeof body,
                  "{ Background = { { Type = 'rotdecal', Pos = { %.4f, %.4f }, Dir = { 1, 0 }, SpriteImg = 'a.png' } } }",
                  c.pos.x, c.pos.y);
    LoadScene(scene, body);
    EXPECT_EQ(scene.IsVisible(*scene.front[0]), c.visible) << c.pos.x << ", " << c.pos.y;
    scene.Update(0.1f);
    EXPECT_EQ(scene.front[0]->Rotation != 0.0f, c.visible) << "updated only when visible";
    ClearDraws();
    scene.RenderForeground();
    EXPECT_EQ(DrawCount(), c.visible ? 1u : 0u);
  }
}

TEST_F(BGSceneTest, DrawsTilesPictureAndLayersInTheirPasses) {
  BGScene scene;
  LoadScene(scene,
            "{ Info = { BackgroundImg = 'ui_img/menu_bg.jpg', Width = 3, Height = 1, TileSize = { 0.6, 0.5 } },\n"
            "  BackgroundTiles = { { Img = 't.png' }, { Img = 't.png' }, { Img = 't.png' } },\n"
            "  Background = { { Type = 'decal', Pos = { 0.1, 0.1 }, Sort = -1, SpriteImg = 'back.png', Alpha = 0.5 },\n"
            "                 { Type = 'decal', Pos = { 0.1, 0.1 }, SpriteImg = 'front.png', Additive = 1 } } }");
  ClearDraws();
  scene.Update(0.0f);
  scene.Render();
  // Tiles at x 0 and 0.6 lie on the screen, the one at 1.2 does not; then the picture and
  // the back decal.
  ASSERT_EQ(renderer_.textures.size(), 4u);
  EXPECT_EQ(renderer_.textures[0].second->name, "t.png");
  EXPECT_EQ(renderer_.textures[2].second->name, "ui_img/menu_bg.jpg");
  EXPECT_EQ(renderer_.textures[3].second->name, "back.png");
  const auto& picture = renderer_.draws[2].vertices;
  EXPECT_FLOAT_EQ(picture[0].x, -0.5f) << "over the whole play area, on pixel centres";
  float maxU = 0.0f;
  for (const auto& v : picture) maxU = std::max(maxU, v.u);
  EXPECT_FLOAT_EQ(maxU, 10.0f) << "an 800-pixel window of the 80-pixel picture";
  EXPECT_EQ(renderer_.draws[3].vertices[0].color >> 24, 127u) << "alpha 0.5";

  ClearDraws();
  scene.RenderForeground();
  ASSERT_EQ(renderer_.textures.size(), 1u);
  EXPECT_EQ(renderer_.textures[0].second->name, "front.png");
}

TEST_F(BGSceneTest, AnUnreadableFileKeepsTheScene) {
  BGScene scene;
  LoadScene(scene, "{ Background = { { Type = 'decal', SpriteImg = 'a.png' } } }");
  LogCapture log;
  Write("scenes/broken.lua", "BGScene = {");
  EXPECT_FALSE(scene.Load("scenes/broken.lua"));
  EXPECT_FALSE(scene.Load("scenes/absent.lua"));
  EXPECT_TRUE(log.Contains("Unable to load Background scenes/broken.lua!  [MSG_ERROR]"));
  EXPECT_TRUE(log.Contains("Unable to load Background scenes/absent.lua!"));
  EXPECT_EQ(scene.front.size(), 1u);
  Write("scenes/no_table.lua", "BGScene = 5");
  EXPECT_TRUE(scene.Load("scenes/no_table.lua"));
  EXPECT_TRUE(scene.front.empty()) << "a file that runs empties the scene";
}

TEST_F(BGSceneTest, F2AttachesAndDetachesTheEditorRunningItsScripts) {
  Run("EditorLog = '' function OnStartBGEditor() EditorLog = EditorLog .. 'start ' end "
      "function OnStopBGEditor() EditorLog = EditorLog .. 'stop' end");
  BGScene scene;
  scene.gridStep = math::Vec2(0.1f, 0.2f);
  Key(scene, 60);
  ASSERT_NE(scene.editor, nullptr);
  EXPECT_EQ(scene.editor->gridStep, math::Vec2(0.1f, 0.2f));
  Key(scene, 22);  // U hides the user interface
  EXPECT_FALSE(ui_.uiShown);
  Key(scene, 60);
  EXPECT_EQ(scene.editor, nullptr);
  EXPECT_TRUE(ui_.uiShown) << "shown again when the editor goes";
  EXPECT_EQ(Global("EditorLog"), "start stop");
  Key(scene, 22);
  EXPECT_TRUE(ui_.uiShown) << "other keys do nothing without an editor";
}

TEST_F(BGSceneTest, APressOverAPictureOfTheInterfaceDoesNotReachTheEditor) {
  Write("ui/scene_panel.ui",
        "Panel = { Name = 'scene_panel', Pos = { 0, 0 }, Size = { 1, 1 }, Children = {\n"
        "  { Name = 'button', Pos = { 0.1, 0.1 }, Size = { 0.2, 0.2 }, MouseOff = 'ui_img/button.png' } } }\n");
  ASSERT_NE(ui_.AddPanel("ui/scene_panel.ui"), nullptr);
  BGScene scene;
  Key(scene, 60);
  scene.editor->AddDecal("ui_img/leaf.png");
  const size_t before = scene.back.size();
  EXPECT_TRUE(scene.MouseButtonPressed(0, math::Vec2(0.2f, 0.2f)));
    EXPECT_EQ(scene.back.size(), before) << "the decal was not placed";
  scene.MouseButtonPressed(0, math::Vec2(0.6f, 0.6f));
  EXPECT_EQ(scene.back.size(), before + 1) << "placed, and the next one held";
}

TEST_F(BGSceneTest, MendsBoundTheGridAndTheConversions) {
  LogCapture log;
  BGScene scene;
  LoadScene(scene, "{ Info = { Width = 100000, Height = 2, TileSize = { 0, 0.5 } } }");
  EXPECT_EQ(scene.Width, 256);
  EXPECT_TRUE(log.Contains("Width 100000 read as 256  [MSG_WARNING]"));
  EXPECT_NEAR(scene.TileSize.x, 0.64f, 1e-6f) << "a side that is not positive keeps the current one";
  EXPECT_FLOAT_EQ(scene.TileSize.y, 0.5f);
  LoadScene(scene, "{ Info = { TileSize = { 0.5, 0/0 } }, Waypoints = { { ID = 1e300 } },"
                   " Paths = { { ID = -1e300 } }, BackgroundTiles = { { Img = 'a.png', x = 1e20, y = 0/0 } } }");
  EXPECT_NEAR(scene.TileSize.y, 0.5f, 1e-6f) << "NaN keeps the current side";
  EXPECT_EQ(scene.waypoints[0]->ID, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(scene.paths[0]->ID, std::numeric_limits<int32_t>::min());

  struct AlphaCase {
    float alpha;
    uint32_t byte;
  };
  const AlphaCase alphas[] = {{1.0f, 255u}, {0.5f, 127u}, {std::nanf(""), 0u}, {1e30f, 0xFFu},
                              {-1e30f, 0u}, {2.0f, 254u}};
  for (const AlphaCase& c : alphas) {
    background::BGDecal decal(&scene);
    decal.Alpha = c.alpha;
    EXPECT_EQ(decal.AlphaByte(), c.byte) << c.alpha;
  }
}

// The processor time of the calling thread: a machine busy with other work does not count.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A scene file of 100,000 entries: every list is read in one pass and ordered once.
TEST_F(BGSceneTest, AHundredThousandEntryFileLoadsInOrder) {
  constexpr int kExplicitWaypoints = LargeScene::kExplicitWaypoints;
  constexpr int kAutoWaypoints = LargeScene::kAutoWaypoints;
  constexpr int kElements = LargeScene::kElements;
  constexpr int kPaths = LargeScene::kPaths;
  WriteScene("scenes/big.lua", LargeScene::Body());

  BGScene scene;
  LogCapture log;
  const double start = ThreadSeconds();
  ASSERT_TRUE(scene.Load("scenes/big.lua"));
  // A hang guard only: the load takes about half a second (bench_scene_load, in the
  // README), a few under the sanitizers; ordering the lists after every entry, or numbering
  // each waypoint by a search of the whole list (17 s for 32,000 waypoints), takes minutes.
  EXPECT_LT(ThreadSeconds() - start, 20.0);
  EXPECT_FALSE(log.Contains("[MSG_WARNING]")) << "every list is below the bound";

  // The automatic numbers fill the gaps between the file's own first, then go on: every
  // number from 1 is taken once.
  ASSERT_EQ(scene.waypoints.size(), static_cast<size_t>(kExplicitWaypoints + kAutoWaypoints));
  for (size_t i = 0; i < scene.waypoints.size(); ++i) ASSERT_EQ(scene.waypoints[i]->ID, static_cast<int32_t>(i + 1));

  // Each layer in ascending Sort, and in file order within one Sort.
  ASSERT_EQ(scene.front.size() + scene.back.size(), static_cast<size_t>(kElements));
  for (const auto* layer : {&scene.back, &scene.front}) {
    for (size_t i = 1; i < layer->size(); ++i) {
      const BGElement& before = *(*layer)[i - 1];
      const BGElement& after = *(*layer)[i];
      ASSERT_TRUE(before.Sort < after.Sort || (before.Sort == after.Sort && before.Pos.x < after.Pos.x)) << i;
    }
  }
  ASSERT_EQ(scene.paths.size(), static_cast<size_t>(kPaths));
  EXPECT_EQ(scene.paths.back()->ID, kPaths);
  EXPECT_EQ(scene.pathCounter, kPaths);
}

TEST_F(BGSceneTest, AFileListLongerThanTheBoundIsCutWithAWarning) {
  std::string entries;
  for (int i = 0; i <= BGScene::kMaxFileEntries; ++i) entries += "{},";
  BGScene scene;
  LogCapture log;
  LoadScene(scene, "{ Waypoints = { " + entries + " } }");
  EXPECT_EQ(scene.waypoints.size(), static_cast<size_t>(BGScene::kMaxFileEntries));
  EXPECT_EQ(log.Count("Background scenes/test_scene.lua: Waypoints has 65537 entries; the first 65536 are read  "
                      "[MSG_WARNING]"),
            1u)
      << log.All();
}

// An automatic waypoint number is the lowest one no waypoint holds, however many are
// taken (the search once stopped at 254 and handed it out again), and a number becomes
// free again when its last waypoint is taken out.
TEST_F(BGSceneTest, AnAutomaticWaypointNumberIsNeverTaken) {
  struct Case {
    const char* name;
    std::vector<int32_t> held;  // IDs in the scene, in the order added
    int32_t removed;            // the ID of one waypoint taken out first, 0 for none
    std::vector<int32_t> next;  // the numbers the next automatic waypoints get
  };
  std::vector<int32_t> upTo254;
  for (int32_t id = 1; id <= 254; ++id) upTo254.push_back(id);
  const Case cases[] = {
      {"empty", {}, 0, {1, 2, 3}},
      {"a gap", {1, 3}, 0, {2, 4}},
      {"254 taken", upTo254, 0, {255, 256}},
      {"one taken out", {1, 2, 3}, 2, {2, 4}},
      {"a repeated number taken out once", {5, 5, 1}, 5, {2, 3, 4, 6}},
      {"a negative number is numbered too", {-4, 1000}, 0, {2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BGScene scene;
    float x = 0.0f;
    for (int32_t id : c.held) scene.AddWaypoint(math::Vec2(x += 0.05f, 0.5f), id);
    if (c.removed != 0) {
      for (const auto& waypoint : scene.waypoints) {
        if (waypoint->ID != c.removed) continue;
        delete scene.FindWaypoint(waypoint->Pos, true);
        break;
      }
    }
    for (int32_t expected : c.next) {
      EXPECT_EQ(scene.AddWaypoint(math::Vec2(0.9f, 0.9f), -1)->ID, expected);
    }
    for (size_t i = 1; i < scene.waypoints.size(); ++i) {
      EXPECT_LE(scene.waypoints[i - 1]->ID, scene.waypoints[i]->ID) << "kept in ascending order";
    }
  }
}

TEST_F(BGSceneTest, AnAddedElementGoesAfterThoseOfItsSort) {
  BGScene scene;
  LoadScene(scene,
            "{ Background = { { Type = 'decal', Sort = 1, Pos = { 1, 0 } }, { Type = 'decal', Sort = 0, Pos = { 2, 0 } },"
            " { Type = 'decal', Sort = 1, Pos = { 3, 0 } }, { Type = 'decal', Sort = 2, Pos = { 4, 0 } } } }");
  auto* added = new background::BGDecal(&scene);
  added->Sort = 1.0f;
  added->Pos = math::Vec2(5.0f, 0.0f);
  scene.AddElement(added);
  std::vector<float> order;
  for (const auto& element : scene.front) order.push_back(element->Pos.x);
  EXPECT_EQ(order, (std::vector<float>{2.0f, 1.0f, 3.0f, 5.0f, 4.0f}));
}

TEST_F(BGSceneTest, AFailedSaveLogsAndKeepsTheOldFile) {
  BGScene scene;
  LoadScene(scene, "{ Background = { { Type = 'decal', SpriteImg = 'a.png' } } }");
  Write("scenes/kept.lua", "BGScene = {}\n");
  // The temporary file's name is taken by a folder, so nothing can be written.
  ASSERT_TRUE(testenv::WriteFile("scenes/kept.lua.tmp/blocker", "x"));
  LogCapture log;
  EXPECT_FALSE(scene.Save("scenes/kept.lua"));
  EXPECT_TRUE(log.Contains("Unable to save Background scenes/kept.lua!  [MSG_ERROR]"));
  EXPECT_EQ(testenv::ReadFile("scenes/kept.lua"), "BGScene = {}\n");
}

}  // namespace
}  // namespace bgtest
