#pragma once

#include <cstdint>

#include "engine/core/Math.h"

struct ScreenVertex;
namespace ui {
class UISprite;
}

// Collects up to kMaxEntries sprite draws of a frame and renders them with as few texture
// changes and draw calls as it can: the quads of consecutive sprites that share a surface
// go into one shared buffer of kMaxVertices vertices, drawn as one triangle list whenever
// the surface changes or the buffer is full.
//
// A batch is filled and rendered within one frame; Render empties it. Adding to a full
// batch first renders what it holds (with the offset and sorting of its last Render), so
// that no draw is lost.
class SpriteBatch {
 public:
  static constexpr int kMaxEntries = 1000;
  static constexpr uint32_t kMaxVertices = 1000;

  struct Entry {
    ui::UISprite* sprite = nullptr;  // not owned
    math::Vec2 position;             // where to draw, before the offset is taken off
    bool clipped = false;
    bool rotated = false;
    math::Vec2 clipMin;
    math::Vec2 clipMax;
    float rotation = 0.0f;  // degrees
  };

  // Draws the sprite at the position; rotated when the sprite's rotation is not 0.
  void Add(ui::UISprite* sprite, const math::Vec2& position);
  // Sets the sprite's rotation and adds it at its own position; a null sprite is ignored.
  void AddRotated(ui::UISprite* sprite, float rotation);
  // Draws the sprite at its own position, cut to the rectangle; a null sprite is ignored.
  void AddClipped(ui::UISprite* sprite, const math::Vec2& clipMin, const math::Vec2& clipMax);

  // Draws every entry (sorted by surface first when asked), each sprite at its entry's
  // position minus offset, which the sprite keeps; then empties the batch.
  void Render(const math::Vec2& offset, bool sortByTexture);
  // Orders the entries by surface, those without an image first. Not stable: it changes
  // the drawing order of overlapping sprites.
  void SortByTexture();
  // Draws what the shared vertex buffer holds.
  static void Flush();

  int Count() const { return count_; }

 private:
  // Makes room for one more entry; true when there is room.
  bool Reserve();

  Entry entries_[kMaxEntries];
  int count_ = 0;
  math::Vec2 lastOffset_{0.0f, 0.0f};
  bool lastSort_ = false;
};
