#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"

class Image;
struct ScreenVertex;

namespace ui {

class Sprite;

// The image holder of widgets, splash pages, backdrops and the sprite batch: one image (or
// the borrowed image of an animated strip of the sprite set), a texture rectangle, a
// screen rectangle (play-area fractions), a colour and an additive flag, drawn as one quad
// of six vertices.
class UISprite {
 public:
  // Every quad builder writes this many vertices.
  static constexpr uint32_t kQuadVertices = 6;

  UISprite() = default;
  // Releases the sprite's image (a borrowed one is only let go).
  ~UISprite();
  UISprite(const UISprite&) = delete;
  UISprite& operator=(const UISprite&) = delete;
  UISprite(UISprite&& other) noexcept;
  UISprite& operator=(UISprite&& other) noexcept;

  // LoadImage, then the size of the picture (GetImageSize), the texture rectangle and the
  // additive flag; a strip is set to its first frame. Returns true; a missing image leaves
  // the sprite without one.
  bool Init(const std::string& imageName, const math::Vec2& uvTopLeft,
            const math::Vec2& uvBottomRight, bool isAdditive);
  // Replaces the picture by the named one: "###" in the name stands for the UI manager's
  // language name; a strip of the sprite set wins over a file of the same name (its clock
  // starts again); any other name is loaded as an image file. A missing image is logged
  // and leaves the sprite without one; an empty name only drops the picture. fileName
  // keeps the name as given.
  void LoadImage(const std::string& imageName);
  // Drops the picture: an own image is deleted, a strip's is only let go.
  void Invalidate();
  // True when the sprite holds an image or a strip.
  bool IsLoaded() const;
  // LoadImage(fileName) again when the name held "###" (the language has changed).
  void ReloadIfLocalised();

  // A strip's frame size, else the image's pixel size / (800, 600); (0, 0) without one.
  math::Vec2 GetImageSize() const;
  // The on-screen size of the texture rectangle at one texel per pixel.
  math::Vec2 GetRectSize() const;

  // Position, size, rotation and colour in one call; scale is not used.
  void SetTransform(const math::Vec2& newPosition, const math::Vec2& newSize, float newRotation,
                    float scale, uint32_t newColor);

  // With a strip: the texture rectangle of the current frame, then the strip's clock moves
  // on by dt (by 0 while paused); the strip's Advance result. Without a strip: false.
  bool Animate(float dt);

  // Binds the sprite's image (a strip's own image for a strip) to texture stage 0; false
  // without a picture or a renderer.
  bool BindTexture() const;

  // Draws the sprite with its colour and texture rectangle; false, drawing nothing,
  // without a picture. Additive sprites add to what is below them.
  bool Render();
  // The same, turned by rotation degrees about the sprite's centre.
  bool RenderRotated();
  // The same, cut to the rectangle clipMin..clipMax (uncut when turned by quarter turns);
  // false, drawing nothing, when the sprite lies wholly outside it. The outside test
  // takes the larger of width and height as the extent on both axes, so that a sprite
  // drawn turned is not dropped while a part of it shows.
  bool RenderClipped(const math::Vec2& clipMin, const math::Vec2& clipMax);

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

  Image* image = nullptr;  // owned, unless borrowed from strip
  bool additive = false;
  math::Vec2 uv1{0.0f, 0.0f};
  math::Vec2 uv2{1.0f, 1.0f};
  math::Vec2 position{0.0f, 0.0f};
  math::Vec2 size{0.0f, 0.0f};
  float rotation = 0.0f;  // degrees; used by RenderRotated only
  uint32_t color = 0xFFFFFFFF;
  std::string fileName;     // as given to LoadImage, "###" kept
  Sprite* strip = nullptr;  // linked animated strip of the sprite set (not owned)
  float time = 0.0f;        // the strip's clock
  int32_t orientation = 0;  // quarter turns, 0 to 3
  bool paused = false;
  bool looping = true;
  int32_t loops = 0;        // completed loops of the strip
  bool localised = false;   // the name held "###"

 private:
  bool Draw(const ScreenVertex* vertices);
};

// The name that "###" in image names stands for. The UI manager owns it and points the
// sprites at it while it lives, so that the sprites (and the particle systems drawn through
// them) need no manager; without one "###" stands for nothing.
void SetImageLanguage(const std::string* language);

}  // namespace ui
