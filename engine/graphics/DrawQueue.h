#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/Math.h"
#include "engine/graphics/Graphics.h"

namespace math {
class Spline;
}

namespace dd {

// Lines of ScreenVertex pairs, drawn as line lists of up to capacity - 2 vertices.
struct LineBatch2D {
  Graphics* graphics = nullptr;
  std::unique_ptr<ScreenVertex[]> vertices;
  int32_t capacity = 0;
  int32_t used = 0;
  float screenWidth = 0.0f;
  float screenHeight = 0.0f;

  // Appends the segment p -> q (fractions of the screen) in colour c, drawing what the
  // batch holds first when it is (almost) full.
  void AddSegment(const math::Vec2& p, const math::Vec2& q, uint32_t color);
  // Draws what the batch holds and empties it.
  void Flush();
};

// The queued shapes, one record each; Draw turns a record into line segments.
struct Line2D {
  uint32_t color = 0;
  math::Vec2 from;
  math::Vec2 to;
  bool arrow = false;
  math::Vec2 barb1;
  math::Vec2 barb2;
  void Draw(LineBatch2D& batch) const;
};

struct Rect2D {
  uint32_t color = 0;
  math::Vec2 corner1;
  math::Vec2 corner2;
  void Draw(LineBatch2D& batch) const;
};

struct Circle2D {
  uint32_t color = 0;
  math::Vec2 centre;
  float radius = 0.0f;
  void Draw(LineBatch2D& batch) const;
};

struct Path2D {
  uint32_t color = 0;
  math::Vec2 offset;
  const math::Spline* path = nullptr;
  float word = 0.0f;  // kept with the record; drawing does not read it
  bool showNodes = false;
  void Draw(LineBatch2D& batch) const;
};

// The deferred 2-D draw queue: outline shapes that any update or draw code of a frame adds,
// drawn together on top of the frame as coloured lines by Render2D, which then forgets
// them. Coordinates are fractions of the renderer's screen width and height. Shapes live
// in fixed pools; a frame that adds more than a pool holds loses the extra shapes (with one
// warning) instead of writing past the pool.
class Manager {
 public:
  static constexpr int32_t kMaxLines = 5000;
  static constexpr int32_t kMaxRects = 400;
  static constexpr int32_t kMaxCircles = 1000;
  static constexpr int32_t kMaxPaths = 400;
  static constexpr int32_t kBatchCapacity = 3000;

  // The process-wide queue, built on first use and destroyed at exit.
  static Manager& Instance();

  Manager();
  ~Manager();
  Manager(const Manager&) = delete;
  Manager& operator=(const Manager&) = delete;

  // Queues a line unless both ends lie beyond the same edge of the unit square; with arrow
  // set it gets a head whose barbs reach back a fifth of its length and stand out a tenth
  // of it to each side.
  void AddLine(const math::Vec2& from, const math::Vec2& to, uint32_t color, bool arrow);
  // Queues a rectangle outline, culled like a line through the two corners.
  void AddRect(const math::Vec2& corner1, const math::Vec2& corner2, uint32_t color);
  // Queues a circle outline unless it lies wholly outside the unit square. The radius is a
  // fraction of the screen height.
  void AddCircle(const math::Vec2& centre, float radius, uint32_t color);
  // Queues a path's curve, drawn with its drawSteps pieces per segment and, with showNodes,
  // a 10 x 10 pixel box at every node; every point less the offset. The queue keeps only
  // the pointer: the spline must live until the frame's Render2D.
  void AddPath(const math::Spline* path, float word, uint32_t color, bool showNodes,
               const math::Vec2& offset);

  // Draws every queued shape (lines, then paths, then rectangles, then circles, each kind
  // in the order added) through the renderer and empties the queue. Returns true.
  bool Render2D();
  // Frees the line batch's vertices; the next Render2D allocates them again.
  bool Shutdown();

 private:
  enum Kind { kLine, kRect, kCircle, kPath, kKindCount };
  // True when the pool of the kind has room; otherwise warns (once while it stays full
  // frame after frame) and returns false.
  bool HasRoom(Kind kind, int32_t capacity);

  int32_t counts_[kKindCount] = {};
  bool droppedThisFrame_[kKindCount] = {};
  bool warned_[kKindCount] = {};
  LineBatch2D batch2D_;
  std::unique_ptr<Line2D[]> lines_;
  std::unique_ptr<Rect2D[]> rects_;
  std::unique_ptr<Circle2D[]> circles_;
  std::unique_ptr<Path2D[]> paths_;
};

}  // namespace dd
