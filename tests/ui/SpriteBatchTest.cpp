// The sprite batch: draw calls per run of one surface, flushing when the vertex buffer or
// the entries are full, sorting by surface, skipped entries, offsets, and the quad each
// kind of entry is drawn with.

#include "engine/graphics/SpriteBatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/ui/UISprite.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

using ui::UISprite;

class SpriteBatchTest : public ::testing::Test {
 protected:
  // A sprite of the named image (its own Image object; one surface per name).
  UISprite* Sprite(const std::string& image, const math::Vec2& position = {0.1f, 0.1f}) {
    auto sprite = std::make_unique<UISprite>();
    if (!image.empty()) sprite->Init(image, {0, 0}, {1, 1}, false);
    sprite->position = position;
    sprites_.push_back(std::move(sprite));
    return sprites_.back().get();
  }
  std::vector<size_t> DrawSizes() const {
    std::vector<size_t> sizes;
    for (const FakeRenderer::Draw& draw : renderer_.draws) sizes.push_back(draw.vertices.size());
    return sizes;
  }
  // The surfaces bound, in order, leaving out unbinding.
  std::vector<Surface*> Bound() const {
    std::vector<Surface*> bound;
    for (const auto& [stage, image] : renderer_.textures) {
      if (image) bound.push_back(image->GetSurface());
    }
    return bound;
  }

  spritetest::SpriteRenderer renderer_;
  std::unique_ptr<SpriteBatch> batch_ = std::make_unique<SpriteBatch>();
  std::vector<std::unique_ptr<UISprite>> sprites_;
};

TEST_F(SpriteBatchTest, OneSurfaceIsDrawnInCallsOfAtMost166Sprites) {
  for (int i = 0; i < 200; ++i) batch_->Add(Sprite("a.png"), {0.1f, 0.1f});
  batch_->Render({0, 0}, false);
  EXPECT_EQ(DrawSizes(), (std::vector<size_t>{996, 204}));
  EXPECT_EQ(batch_->Count(), 0);
  // Bound at the start and again after the full buffer was drawn.
  EXPECT_EQ(Bound().size(), 2u);
}

TEST_F(SpriteBatchTest, AlternatingSurfacesDrawOnePerEntryUnlessSorted) {
  for (int i = 0; i < 10; ++i) batch_->Add(Sprite(i % 2 ? "b.png" : "a.png"), {0.1f, 0.1f});
  batch_->Render({0, 0}, false);
  EXPECT_EQ(renderer_.draws.size(), 10u);

  renderer_.draws.clear();
  renderer_.textures.clear();
  for (int i = 0; i < 10; ++i) batch_->Add(Sprite(i % 2 ? "b.png" : "a.png"), {0.1f, 0.1f});
  batch_->Render({0, 0}, true);
  EXPECT_EQ(DrawSizes(), (std::vector<size_t>{30, 30}));
  const std::vector<Surface*> bound = Bound();
  ASSERT_EQ(bound.size(), 2u);
  EXPECT_NE(bound[0], bound[1]);
}

TEST_F(SpriteBatchTest, EntriesWithoutImageAreSkippedWithoutBreakingARun) {
  batch_->Add(Sprite(""), {0, 0});  // first, and without an image
  batch_->Add(Sprite("a.png"), {0, 0});
  batch_->Add(Sprite("missing.png"), {0, 0});
  batch_->Add(Sprite("a.png"), {0, 0});
  batch_->Add(nullptr, {0, 0});
  batch_->Add(Sprite("a.png"), {0, 0});
  batch_->Render({0, 0}, false);
  EXPECT_EQ(DrawSizes(), (std::vector<size_t>{18}));
}

TEST_F(SpriteBatchTest, OffsetMovesEverySpriteForGood) {
  UISprite* first = Sprite("a.png");
  UISprite* second = Sprite("a.png");
  batch_->Add(first, {0.5f, 0.5f});
  batch_->Add(second, {0.25f, 0.75f});
  batch_->Render({0.125f, 0.25f}, false);
  EXPECT_EQ(first->position, math::Vec2(0.375f, 0.25f));
  EXPECT_EQ(second->position, math::Vec2(0.125f, 0.5f));
  ScreenVertex expected[6];
  first->BuildQuad(expected);
  ASSERT_EQ(renderer_.draws.size(), 1u);
  EXPECT_FLOAT_EQ(renderer_.draws[0].vertices[1].x, expected[1].x);
  EXPECT_FLOAT_EQ(renderer_.draws[0].vertices[1].y, expected[1].y);
}

TEST_F(SpriteBatchTest, EachKindOfEntryIsDrawnWithItsQuad) {
  UISprite* tilted = Sprite("a.png");
  tilted->rotation = -15.0f;
  UISprite* plain = Sprite("a.png");
  UISprite* clipped = Sprite("a.png", {0.1f, 0.1f});
  UISprite* turned = Sprite("a.png", {0.3f, 0.3f});
  batch_->Add(tilted, {0.2f, 0.2f});
  batch_->Add(plain, {0.4f, 0.4f});
  batch_->AddClipped(clipped, {0.12f, 0.0f}, {1.0f, 1.0f});
  batch_->AddRotated(turned, 40.0f);
  batch_->AddRotated(nullptr, 10.0f);
  EXPECT_EQ(batch_->Count(), 4);
  batch_->Render({0, 0}, false);
  ASSERT_EQ(DrawSizes(), (std::vector<size_t>{24}));

  const std::vector<ScreenVertex>& drawn = renderer_.draws[0].vertices;
  ScreenVertex expected[4][6];
  tilted->BuildRotatedQuad(expected[0], -15.0f);
  plain->BuildQuad(expected[1]);
  clipped->BuildClippedQuad(expected[2], {0.12f, 0.0f}, {1.0f, 1.0f});
  turned->BuildRotatedQuad(expected[3], 40.0f);
  EXPECT_FLOAT_EQ(turned->rotation, 40.0f);
  for (int quad = 0; quad < 4; ++quad) {
    for (int i = 0; i < 6; ++i) {
      EXPECT_FLOAT_EQ(drawn[quad * 6 + i].x, expected[quad][i].x) << quad << " " << i;
      EXPECT_FLOAT_EQ(drawn[quad * 6 + i].y, expected[quad][i].y) << quad << " " << i;
      EXPECT_FLOAT_EQ(drawn[quad * 6 + i].u, expected[quad][i].u) << quad << " " << i;
    }
  }
}

TEST_F(SpriteBatchTest, AFullBatchIsDrawnBeforeMoreIsAdded) {
  UISprite* sprite = Sprite("a.png");
  batch_->Render({0.0f, 0.5f}, false);  // the offset a full batch is drawn with
  for (int i = 0; i < SpriteBatch::kMaxEntries + 5; ++i) batch_->Add(sprite, {0.1f, 0.6f});
  EXPECT_EQ(batch_->Count(), 5);
  size_t vertices = 0;
  for (size_t size : DrawSizes()) vertices += size;
  EXPECT_EQ(vertices, static_cast<size_t>(SpriteBatch::kMaxEntries) * 6);
  EXPECT_FLOAT_EQ(sprite->position.y, 0.1f);
  batch_->Render({0, 0}, false);
  vertices = 0;
  for (size_t size : DrawSizes()) vertices += size;
  EXPECT_EQ(vertices, static_cast<size_t>(SpriteBatch::kMaxEntries + 5) * 6);
}

}  // namespace
