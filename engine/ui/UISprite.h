#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"

class Image;
struct ScreenVertex;

namespace ui {

// The image holder of widgets, splash pages, backdrops and the sprite batch: one image, a
// texture rectangle, a screen rectangle (play-area fractions), a colour and an additive
// flag, drawn as one quad of six vertices.
class UISprite {
 public:
  // Every quad builder writes this many vertices.
  static constexpr uint32_t kQuadVertices = 6;

  UISprite() = default;
  // Releases the sprite's image.
  ~UISprite();
  UISprite(const UISprite&) = delete;
  UISprite& operator=(const UISprite&) = delete;
  UISprite(UISprite&& other) noexcept;
  UISprite& operator=(UISprite&& other) noexcept;

  // Loads the image through the renderer, sizes the sprite from it (pixel width / 800,
  // pixel height / 600), and sets the texture rectangle and the additive flag. Returns
  // true; a missing image leaves the sprite without one.
  bool Init(const std::string& imageName, const math::Vec2& uvTopLeft,
            const math::Vec2& uvBottomRight, bool isAdditive);
  // Replaces the image by the named one. A missing image is logged and leaves the sprite
  // without one; an empty name only drops the image.
  void LoadImage(const std::string& imageName);
  // Drops the image.
  void Invalidate();
  bool IsLoaded() const { return image != nullptr; }
  // The image's size in play-area fractions; (0, 0) without an image.
  math::Vec2 GetImageSize() const;

  // Position, size, rotation and colour in one call; scale is not used.
  void SetTransform(const math::Vec2& newPosition, const math::Vec2& newSize, float newRotation,
                    float scale, uint32_t newColor);

  // Draws the sprite with its colour and texture rectangle; false, drawing nothing,
  // without an image. Additive sprites add to what is below them.
  bool Render();

  // Six pre-transformed vertices (two triangles) of the sprite's quad with its quarter-turn
  // orientation. Each builder returns kQuadVertices.
  uint32_t BuildQuad(ScreenVertex* vertices) const;
  // The quad cut to the rectangle clipMin..clipMax, its texture rectangle cut in
  // proportion; a quad outside the rectangle becomes a quad of no area. A sprite turned
  // by quarter turns is built uncut, as by BuildQuad.
  uint32_t BuildClippedQuad(ScreenVertex* vertices, const math::Vec2& clipMin,
                            const math::Vec2& clipMax) const;
  // The quad turned by the angle (degrees) about the sprite's centre.
  uint32_t BuildRotatedQuad(ScreenVertex* vertices, float angleDegrees) const;

  Image* image = nullptr;  // owned
  bool additive = false;
  math::Vec2 uv1{0.0f, 0.0f};
  math::Vec2 uv2{1.0f, 1.0f};
  math::Vec2 position{0.0f, 0.0f};
  math::Vec2 size{0.0f, 0.0f};
  float rotation = 0.0f;  // degrees
  uint32_t color = 0xFFFFFFFF;
  std::string fileName;
  int32_t orientation = 0;  // quarter turns, 0 to 3
};

}  // namespace ui
