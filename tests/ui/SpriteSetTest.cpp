// Animated strips: sprite sheets into the sprite set, frame rectangles, the animation
// clock, and UI sprites that link strips, follow the language and draw clipped or turned.

#include "engine/ui/SpriteSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/graphics/Graphics.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UISprite.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

using ui::Sprite;
using ui::SpriteSet;
using ui::UISprite;

class SpriteSetTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ui::GetSpriteSet().Clear();
    ui::GetUIMan().language = ui::UIManager::kDefaultLanguage;
  }
  // A strip of the 80 x 60 test image.
  Sprite* Strip(const std::string& name, int frames, float frameDuration) {
    EXPECT_TRUE(set_.AddSprite(name, name + ".png", frames, frameDuration, 0, 0, false, false, 0, 0, "t"));
    return set_.Find(name);
  }

  spritetest::SpriteRenderer renderer_;
  SpriteSet set_;
};

void CountCallback(void* user) { ++*static_cast<int*>(user); }

TEST_F(SpriteSetTest, ASheetAddsItsQualifyingStripsAndListsMissingImages) {
  testenv::WriteFile("img/sheet.lua",
                     "Sprites = {\n"
                     "  { Name = 'arrow', ImageFile = 'img/arrow.png', SpriteC = 4, FrameTime = 20 },\n"
                     "  { Name = 'slow', ImageFile = 'img/slow.png', SpriteC = 2, FrameTime = 0.05 },\n"
                     "  { Name = 'plain', ImageFile = 'img/plain.png', SpriteC = 1 },\n"
                     "  { Name = 'ARROW', ImageFile = 'img/other.png', SpriteC = 9 },\n"
                     "  { Name = 'gone', ImageFile = 'missing.png', SpriteC = 1 },\n"
                     "  { Name = 'none', ImageFile = 'img/none.png', SpriteC = 0 },\n"
                     "  { Name = '', ImageFile = 'img/x.png', SpriteC = 1 },\n"
                     "  { Name = 'noimage', SpriteC = 1 },\n"
                     "  'not a table',\n"
                     "}\n");
  int added = 0;
  set_.progressCallback = &CountCallback;
  set_.progressUser = &added;
  LogCapture log;
  // Reading alone gives the qualifying items (a repeated name and a missing image
  // among them) and loads nothing, so that a loading screen can count them first.
  std::vector<SpriteSet::SheetItem> items;
  ASSERT_TRUE(set_.ReadSheet("img/sheet.lua", items));
  EXPECT_EQ(items.size(), 5u);
  EXPECT_EQ(set_.Size(), 0u);
  EXPECT_TRUE(renderer_.surfaces.empty());
  EXPECT_EQ(added, 0);
  ASSERT_TRUE(set_.Load("img/sheet.lua"));

  EXPECT_EQ(set_.Size(), 3u);
  EXPECT_EQ(added, 3);
  const Sprite* arrow = set_.Find("Arrow");
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(arrow->imageFile, "img/arrow.png");  // the first of a name stays
  EXPECT_EQ(arrow->frameCount, 4);
  EXPECT_FLOAT_EQ(arrow->frameDuration, 0.05f);  // FrameTime counts frames per second
  EXPECT_FLOAT_EQ(set_.Find("slow")->frameDuration, 20.0f);
  EXPECT_FLOAT_EQ(set_.Find("plain")->frameDuration, 10.0f);
  EXPECT_EQ(arrow->sourceFile, "img/sheet.lua");
  EXPECT_EQ(log.Count("Missing Sprite "), 1u);
  EXPECT_TRUE(log.Contains("Missing Sprite gone : missing.png"));

  EXPECT_FALSE(set_.Load("img/nothing.lua"));
  EXPECT_TRUE(log.Contains("Unable to load Sprite set img/nothing.lua!"));
}

TEST_F(SpriteSetTest, FrameRectanglesHonourBordersClipsAndFlips) {
  // 80 x 60 pixels, four frames of 20 pixels; a border of 2 x 3 pixels, 8 pixels clipped
  // off the right and 6 off the bottom.
  ASSERT_TRUE(set_.AddSprite("s", "s.png", 4, 0.1f, 2, 3, false, false, 8, 6, "t"));
  Sprite* s = set_.Find("s");
  EXPECT_FLOAT_EQ(s->borderU, 2.0f / 80);
  EXPECT_FLOAT_EQ(s->borderV, 3.0f / 60);
  const float frame = (72.0f / 80) / 4;
  struct Case {
    int index;
    bool flipU, flipV;
    float u1, v1, u2, v2;
  } cases[] = {
      {0, false, false, 0.025f, 0.05f, frame - 0.025f, 0.9f - 0.05f},
      {1, false, false, frame + 0.025f, 0.05f, 2 * frame - 0.025f, 0.85f},
      {5, false, false, frame + 0.025f, 0.05f, 2 * frame - 0.025f, 0.85f},   // wraps
      {-1, false, false, 3 * frame + 0.025f, 0.05f, 4 * frame - 0.025f, 0.85f},
      {0, true, false, frame - 0.025f, 0.05f, 0.025f, 0.85f},
      {0, false, true, 0.025f, 0.85f, frame - 0.025f, 0.05f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    s->flipU = c.flipU;
    s->flipV = c.flipV;
    math::Vec2 uv1, uv2;
    s->GetFrameUVByIndex(c.index, uv1, uv2);
    EXPECT_NEAR(uv1.x, c.u1, 1e-6);
    EXPECT_NEAR(uv1.y, c.v1, 1e-6);
    EXPECT_NEAR(uv2.x, c.u2, 1e-6);
    EXPECT_NEAR(uv2.y, c.v2, 1e-6);
  }
  // The clock picks the frame: 0.25 s into frames of 0.1 s is frame 2.
  s->flipU = s->flipV = false;
  math::Vec2 byTime1, byTime2, byIndex1, byIndex2;
  s->GetFrameUV(0.25f, byTime1, byTime2);
  s->GetFrameUVByIndex(2, byIndex1, byIndex2);
  EXPECT_EQ(byTime1, byIndex1);
  EXPECT_FLOAT_EQ(s->GetFrameSize().x, (80 - (8 + 2.0f / 80)) / (4 * 800.0f));
  EXPECT_FLOAT_EQ(s->GetFrameSize().y, (60 - (6 + 3.0f / 60)) / 600.0f);
}

TEST_F(SpriteSetTest, TheClockLoopsToZeroOrStopsAtTheEndOnce) {
  Sprite* multi = Strip("multi", 4, 0.1f);  // 0.4 s long
  Sprite* single = Strip("single", 1, 0.1f);
  int loops = 0;
  float time = 0.0f;

  // Looping: the clock returns to 0, not to the remainder.
  EXPECT_TRUE(multi->Advance(loops, time, 0.3f, true));
  EXPECT_FALSE(multi->Advance(loops, time, 0.25f, true));
  EXPECT_EQ(time, 0.0f);
  EXPECT_EQ(loops, 1);

  // Played once: false once at the end of a multi-frame strip, then true with the clock
  // held at the end; a one-frame strip reports true at its end.
  loops = 0;
  time = 0.0f;
  EXPECT_TRUE(multi->Advance(loops, time, 0.3f, false));
  EXPECT_FALSE(multi->Advance(loops, time, 0.3f, false));
  EXPECT_FLOAT_EQ(time, 0.4f);
  EXPECT_TRUE(multi->Advance(loops, time, 0.3f, false));
  EXPECT_EQ(loops, 1);
  loops = 0;
  time = 0.0f;
  EXPECT_TRUE(single->Advance(loops, time, 0.5f, false));
  EXPECT_EQ(loops, 1);

  // A step of no time moves nothing and returns (it is one step, not a wait for the end).
  loops = 0;
  time = 0.1f;
  EXPECT_TRUE(multi->Advance(loops, time, 0.0f, false));
  EXPECT_FLOAT_EQ(time, 0.1f);
}

TEST_F(SpriteSetTest, AStripWithoutFrameTimeStaysOnItsFirstFrameAndNeverEnds) {
  testenv::WriteFile("img/still.lua",
                     "Sprites = {\n"
                     "  { Name = 'zero', ImageFile = 'a.png', SpriteC = 3, FrameTime = 0 },\n"
                     "  { Name = 'negative', ImageFile = 'b.png', SpriteC = 3, FrameTime = -5 },\n"
                     "}\n");
  ASSERT_TRUE(set_.Load("img/still.lua"));
  for (const char* name : {"zero", "negative"}) {
    SCOPED_TRACE(name);
    const Sprite* strip = set_.Find(name);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->frameDuration, 0.0f);
    for (bool looping : {false, true}) {
      int loops = 0;
      float time = 0.0f;
      for (int tick = 0; tick < 3; ++tick) EXPECT_TRUE(strip->Advance(loops, time, 0.1f, looping));
      EXPECT_EQ(loops, 0);
      EXPECT_EQ(time, 0.0f);
    }
    math::Vec2 uv1, uv2, first1, first2;
    strip->GetFrameUV(123.0f, uv1, uv2);
    strip->GetFrameUVByIndex(0, first1, first2);
    EXPECT_EQ(uv1, first1);
  }
}

TEST_F(SpriteSetTest, ASpriteNamingAStripBorrowsItsImageAndPlaysIt) {
  SpriteSet& set = ui::GetSpriteSet();
  ASSERT_TRUE(set.AddSprite("img/flag.png", "img/flag_strip.png", 4, 0.1f, 0, 0, false, false, 0, 0, "t"));
  Sprite* strip = set.Find("img/flag.png");
  {
    UISprite sprite;
    // The strip wins over the file of the same name.
    sprite.Init("IMG/FLAG.PNG", {0, 0}, {1, 1}, false);
    EXPECT_EQ(sprite.strip, strip);
    EXPECT_EQ(sprite.image, strip->image);
    EXPECT_EQ(sprite.size, strip->GetFrameSize());
    EXPECT_FLOAT_EQ(sprite.uv2.x, 0.25f);  // the first frame
    EXPECT_TRUE(sprite.Animate(0.25f));
    EXPECT_TRUE(sprite.Animate(0.0f));
    EXPECT_FLOAT_EQ(sprite.uv1.x, 0.5f);  // frame 2 at 0.25 s
    sprite.paused = true;
    sprite.Animate(1.0f);
    EXPECT_FLOAT_EQ(sprite.time, 0.25f);
    EXPECT_NEAR(sprite.GetRectSize().x, 0.025f, 1e-6);  // a quarter of 80 pixels
    EXPECT_NEAR(sprite.GetRectSize().y, 0.1f, 1e-6);
  }
  // The borrowed image outlives the sprite.
  EXPECT_EQ(set.Find("img/flag.png")->image, strip->image);
  ASSERT_NE(strip->image, nullptr);

  UISprite plain;
  EXPECT_FALSE(plain.Animate(0.1f));  // nothing to play
}

TEST_F(SpriteSetTest, LanguageNamesLoadTheLanguagesFileAndReloadOnChange) {
  // Before any SetLocale, "###" stands for the manager's own default, English.
  UISprite sprite;
  sprite.Init("img/title_###.png", {0, 0}, {1, 1}, false);
  ASSERT_NE(sprite.image, nullptr);
  EXPECT_EQ(sprite.image->name, "img/title_English.png");
  EXPECT_EQ(sprite.fileName, "img/title_###.png");  // kept for saving and reloading
  EXPECT_TRUE(sprite.localised);

  ui::GetUIMan().SetLanguageName("French");
  sprite.ReloadIfLocalised();
  EXPECT_EQ(sprite.image->name, "img/title_French.png");

  UISprite plain;
  plain.Init("img/plain.png", {0, 0}, {1, 1}, false);
  Image* before = plain.image;
  plain.ReloadIfLocalised();
  EXPECT_EQ(plain.image, before);
}

TEST_F(SpriteSetTest, ClippedDrawsSkipSpritesWhollyOutsideTakingTheLargerSideAsExtent) {
  UISprite sprite;
  sprite.Init("a.png", {0, 0}, {1, 1}, false);
  sprite.SetTransform({0.1f, 0.5f}, {0.4f, 0.1f}, 0, 1, 0xFFFFFFFF);
  struct Case {
    math::Vec2 min, max;
    bool drawn;
  } cases[] = {
      {{0.0f, 0.0f}, {1.0f, 1.0f}, true},
      {{0.6f, 0.0f}, {1.0f, 1.0f}, false},    // right of it
      {{0.0f, 0.0f}, {0.05f, 1.0f}, false},   // left of it
      // Below its height but within its width: a sprite drawn turned could reach it.
      {{0.0f, 0.7f}, {1.0f, 1.0f}, true},
      {{0.0f, 0.95f}, {1.0f, 1.0f}, false},
  };
  for (const Case& c : cases) {
    renderer_.draws.clear();
    EXPECT_EQ(sprite.RenderClipped(c.min, c.max), c.drawn);
    EXPECT_EQ(renderer_.draws.size(), c.drawn ? 1u : 0u);
  }

  renderer_.draws.clear();
  sprite.rotation = 30.0f;
  EXPECT_TRUE(sprite.RenderRotated());
  ScreenVertex expected[6];
  sprite.BuildRotatedQuad(expected, 30.0f);
  ASSERT_EQ(renderer_.draws.size(), 1u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(renderer_.draws[0].vertices[i].x, expected[i].x);
    EXPECT_FLOAT_EQ(renderer_.draws[0].vertices[i].y, expected[i].y);
  }
  UISprite empty;
  EXPECT_FALSE(empty.RenderRotated());
  EXPECT_FALSE(empty.RenderClipped({0, 0}, {1, 1}));
}

}  // namespace
