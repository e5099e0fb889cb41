#include "engine/graphics/SpriteBatch.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/ui/UISprite.h"

namespace {

// The one vertex buffer every batch writes into, from its first texture to its last Flush.
ScreenVertex g_vertices[SpriteBatch::kMaxVertices];
uint32_t g_vertexCount = 0;

Image* ImageOf(const SpriteBatch::Entry& entry) {
  return entry.sprite ? entry.sprite->image : nullptr;
}

const void* SurfaceOf(const SpriteBatch::Entry& entry) {
  Image* image = ImageOf(entry);
  return image ? static_cast<const void*>(image->GetSurface()) : nullptr;
}

}  // namespace

bool SpriteBatch::Reserve() {
  if (count_ >= kMaxEntries) Render(lastOffset_, lastSort_);
  return count_ < kMaxEntries;
}

void SpriteBatch::Add(ui::UISprite* sprite, const math::Vec2& position) {
  if (!Reserve()) return;
  Entry& entry = entries_[count_++];
  entry.sprite = sprite;
  entry.position = position;
  entry.clipped = false;
  entry.rotation = sprite ? sprite->rotation : 0.0f;
  entry.rotated = std::fabs(entry.rotation) > 0.0f;
}

void SpriteBatch::AddRotated(ui::UISprite* sprite, float rotation) {
  if (!sprite) return;
  sprite->rotation = rotation;
  Add(sprite, sprite->position);
}

void SpriteBatch::AddClipped(ui::UISprite* sprite, const math::Vec2& clipMin,
                             const math::Vec2& clipMax) {
  if (!sprite || !Reserve()) return;
  Entry& entry = entries_[count_++];
  entry.sprite = sprite;
  entry.position = sprite->position;
  entry.clipped = true;
  entry.rotated = false;
  entry.clipMin = clipMin;
  entry.clipMax = clipMax;
}

void SpriteBatch::SortByTexture() {
  std::sort(entries_, entries_ + count_, [](const Entry& a, const Entry& b) {
    return std::less<const void*>()(SurfaceOf(a), SurfaceOf(b));
  });
}

void SpriteBatch::Flush() {
  if (g_vertexCount == 0) return;
  if (Graphics* graphics = GetGraphics()) graphics->DrawArray(g_vertices, g_vertexCount, PT_Triangles);
  g_vertexCount = 0;
}

void SpriteBatch::Render(const math::Vec2& offset, bool sortByTexture) {
  lastOffset_ = offset;
  lastSort_ = sortByTexture;
  if (count_ == 0) return;
  Graphics* graphics = GetGraphics();
  if (!graphics) {
    count_ = 0;
    return;
  }
  if (sortByTexture) SortByTexture();

  Image* current = ImageOf(entries_[0]);
  graphics->SetTexture(0, current);
  for (int i = 0; i < count_; ++i) {
    const Entry& entry = entries_[i];
    Image* image = ImageOf(entry);
    if (!image) continue;
    if (current && image->GetSurface() == current->GetSurface()) {
      if (g_vertexCount + ui::UISprite::kQuadVertices > kMaxVertices) {
        Flush();
        graphics->SetTexture(0, current);
      }
    } else {
      Flush();
      current = image;
      graphics->SetTexture(0, current);
    }
    ui::UISprite& sprite = *entry.sprite;
    sprite.position = entry.position - offset;
    ScreenVertex* out = g_vertices + g_vertexCount;
    if (entry.clipped) {
      g_vertexCount += sprite.BuildClippedQuad(out, entry.clipMin, entry.clipMax);
    } else if (entry.rotated) {
      g_vertexCount += sprite.BuildRotatedQuad(out, entry.rotation);
    } else {
      g_vertexCount += sprite.BuildQuad(out);
    }
  }
  Flush();
  count_ = 0;
}
