#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"

class Image;
namespace ui {
class Sprite;
}

// A textured quadrilateral with four free corners (top-left, top-right, bottom-right,
// bottom-left, in play-area fractions), each with its own colour. The texture rectangle
// uv1..uv2 is fixed to the corners: (u1, v1), (u2, v1), (u2, v2), (u1, v2). It can be
// drawn with a projective texture mapping, so that a trapezoid's texture does not bend
// along its diagonal. The graph, poly-line and calendar widgets draw with it.
class TrSprite {
 public:
  TrSprite();
  ~TrSprite();
  TrSprite(const TrSprite&) = delete;
  TrSprite& operator=(const TrSprite&) = delete;

  // LoadImage, then the flags, one colour for all corners and the texture rectangle.
  void Init(const std::string& name, bool isAdditive, bool useMipFilter, bool isVisible,
            bool useAlphaTest, uint32_t colour, const math::Vec2& newUV1, const math::Vec2& newUV2);
  // "###" (the first) stands for the UI manager's language name; a strip of the sprite set
  // is linked (its image and first frame's size, not animated), any other name loaded as
  // an image file. An empty name only drops the picture. A failed load is logged and
  // leaves the sprite without a picture and the stored name as it was.
  void LoadImage(const std::string& name);
  // Drops the picture (a linked strip's image is only let go).
  void Invalidate();
  bool IsLoaded() const { return image != nullptr || linkedSprite != nullptr; }

  void SetRect(const math::Vec2& position, const math::Vec2& size);
  void SetMinMax(const math::Vec2& min, const math::Vec2& max);
  void SetCentered(const math::Vec2& halfSize, const math::Vec2& centre);
  void SetCorners(const math::Vec2& topLeft, const math::Vec2& topRight,
                  const math::Vec2& bottomRight, const math::Vec2& bottomLeft);
  void OffsetY(float dy);
  // One colour (0xAARRGGBB) in all four corners.
  void SetColour(uint32_t colour);

  // Two triangles (bottom-left, top-left, top-right) and (top-right, bottom-right,
  // bottom-left); false, drawing nothing, when hidden or without a picture.
  bool Render();
  // The same with the reciprocal w of the left edge (corners 3 and 0) set to its height /
  // scale and of the right edge to its height / scale: the texture is interpolated in
  // perspective across a trapezoid.
  bool RenderPerspective(float scale);

  bool visible = true;
  math::Vec2 corners[4];
  math::Vec2 uv1{0.0f, 0.0f};
  math::Vec2 uv2{1.0f, 1.0f};
  uint32_t colours[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  Image* image = nullptr;  // owned unless it is the linked strip's
  math::Vec2 nativeSize{0.0f, 0.0f};
  bool additive = false;
  bool mipFilter = false;
  bool alphaTest = false;
  ui::Sprite* linkedSprite = nullptr;  // not owned
  bool localised = false;
  std::string fileName;

 private:
  bool Draw(const float rhw[4]);
};
