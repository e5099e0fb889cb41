#include "engine/ui/UISprite.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/core/Log.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/ui/Sprite.h"
#include "engine/ui/SpriteSet.h"

namespace ui {

namespace {

constexpr float kPixelWidth = 0.00125f;          // one pixel of the 800-pixel play area
constexpr float kPixelHeight = 0.0016666667f;    // one pixel of the 600-pixel play area
constexpr const char* kLanguageMark = "###";

// The UI manager's language name while a manager lives; before that, its starting name.
constexpr const char* kDefaultImageLanguage = "English";
const std::string* g_imageLanguage = nullptr;

}  // namespace

void SetImageLanguage(const std::string* language) { g_imageLanguage = language; }

UISprite::~UISprite() { Invalidate(); }

UISprite::UISprite(UISprite&& other) noexcept { *this = std::move(other); }

UISprite& UISprite::operator=(UISprite&& other) noexcept {
  if (this == &other) return *this;
  Invalidate();
  image = std::exchange(other.image, nullptr);
  strip = std::exchange(other.strip, nullptr);
  additive = other.additive;
  uv1 = other.uv1;
  uv2 = other.uv2;
  position = other.position;
  size = other.size;
  rotation = other.rotation;
  color = other.color;
  fileName = std::move(other.fileName);
  time = other.time;
  orientation = other.orientation;
  paused = other.paused;
  looping = other.looping;
  loops = other.loops;
  localised = other.localised;
  return *this;
}

bool UISprite::Init(const std::string& imageName, const math::Vec2& uvTopLeft,
                    const math::Vec2& uvBottomRight, bool isAdditive) {
  LoadImage(imageName);
  size = GetImageSize();
  uv1 = uvTopLeft;
  uv2 = uvBottomRight;
  additive = isAdditive;
  Animate(0.0f);
  return true;
}

void UISprite::LoadImage(const std::string& requested) {
  // A copy: the name may be this sprite's own fileName (a reload), cleared just below.
  const std::string imageName = requested;
  if (IsLoaded()) Invalidate();
  // The name is kept only for a picture that loaded, so that clones and language changes
  // do not try a missing file again.
  fileName.clear();
  localised = false;
  if (imageName.empty()) return;

  std::string name = imageName;
  const size_t mark = name.find(kLanguageMark);
  const bool hasMark = mark != std::string::npos;
  if (hasMark) name.replace(mark, 3, g_imageLanguage ? *g_imageLanguage : std::string(kDefaultImageLanguage));
  if (Sprite* found = GetSpriteSet().Find(name)) {
    found->EnsureImage();
    strip = found;
    image = found->image;
    time = 0.0f;
    orientation = 0;
    loops = 0;
  } else {
    Graphics* graphics = GetGraphics();
    image = graphics ? graphics->LoadImage(name) : nullptr;
  }
  if (!IsLoaded()) {
    LOG_LINE(MSG_ERROR) << "Unable to load image " << name << " into the UI sprite";
    return;
  }
  fileName = imageName;
  localised = hasMark;
}

void UISprite::Invalidate() {
  if (!strip) delete image;
  strip = nullptr;
  image = nullptr;
}

bool UISprite::IsLoaded() const { return image != nullptr || strip != nullptr; }

void UISprite::ReloadIfLocalised() {
  if (localised) LoadImage(fileName);
}

math::Vec2 UISprite::GetImageSize() const {
  if (strip) return strip->GetFrameSize();
  if (!image) return math::Vec2(0.0f, 0.0f);
  return math::Vec2(static_cast<float>(image->width) * kPixelWidth,
                    static_cast<float>(image->height) * kPixelHeight);
}

math::Vec2 UISprite::GetRectSize() const {
  const Image* picture = strip ? strip->image : image;
  if (!picture) return math::Vec2(0.0f, 0.0f);
  return math::Vec2(std::fabs(uv2.x - uv1.x) * static_cast<float>(picture->width) * kPixelWidth,
                    std::fabs(uv2.y - uv1.y) * static_cast<float>(picture->height) * kPixelHeight);
}

void UISprite::SetTransform(const math::Vec2& newPosition, const math::Vec2& newSize,
                            float newRotation, float, uint32_t newColor) {
  position = newPosition;
  size = newSize;
  rotation = newRotation;
  color = newColor;
}

bool UISprite::Animate(float dt) {
  if (!strip) return false;
  strip->GetFrameUV(time, uv1, uv2);
  return strip->Advance(loops, time, paused ? 0.0f : dt, looping);
}

bool UISprite::BindTexture() const {
  Image* picture = strip ? strip->image : image;
  Graphics* graphics = GetGraphics();
  if (!picture || !graphics) return false;
  graphics->SetTexture(0, picture);
  return true;
}

bool UISprite::Draw(const ScreenVertex* vertices) {
  Graphics* graphics = GetGraphics();
  if (!graphics) return false;
  graphics->SetTexture(0, image);
  if (additive) {
    graphics->SetRenderState(RS_SrcBlend, BF_SrcAlpha);
    graphics->SetRenderState(RS_DestBlend, BF_One);
  }
  graphics->DrawArray(vertices, kQuadVertices, PT_Triangles);
  if (additive) graphics->SetRenderState(RS_DestBlend, BF_InvSrcAlpha);
  return true;
}

bool UISprite::Render() {
  if (!image) return false;
  ScreenVertex vertices[kQuadVertices];
  BuildQuad(vertices);
  return Draw(vertices);
}

bool UISprite::RenderRotated() {
  if (!image) return false;
  ScreenVertex vertices[kQuadVertices];
  BuildRotatedQuad(vertices, rotation);
  return Draw(vertices);
}

bool UISprite::RenderClipped(const math::Vec2& clipMin, const math::Vec2& clipMax) {
  if (!image) return false;
  const float extent = std::max(size.x, size.y);
  if (position.x > clipMax.x || position.y > clipMax.y || position.x + extent < clipMin.x ||
      position.y + extent < clipMin.y) {
    return false;
  }
  ScreenVertex vertices[kQuadVertices];
  BuildClippedQuad(vertices, clipMin, clipMax);
  return Draw(vertices);
}

uint32_t UISprite::BuildQuad(ScreenVertex* vertices) const {
  BuildOrientedQuad(static_cast<uint32_t>(orientation), position, size, uv1, uv2, color, vertices);
  return kQuadVertices;
}

uint32_t UISprite::BuildClippedQuad(ScreenVertex* vertices, const math::Vec2& clipMin,
                                    const math::Vec2& clipMax) const {
  // Cutting a turned quad would cut the wrong sides of its texture.
  if (orientation != 0) return BuildQuad(vertices);

  const math::Vec2 end = position + size;
  const float left = std::clamp(position.x, clipMin.x, clipMax.x);
  const float right = std::clamp(end.x, clipMin.x, clipMax.x);
  const float top = std::clamp(position.y, clipMin.y, clipMax.y);
  const float bottom = std::clamp(end.y, clipMin.y, clipMax.y);
  // The texture coordinate at a point of the quad, in proportion along each axis.
  const auto u = [&](float x) {
    return size.x != 0.0f ? uv1.x + (x - position.x) / size.x * (uv2.x - uv1.x) : uv1.x;
  };
  const auto v = [&](float y) {
    return size.y != 0.0f ? uv1.y + (y - position.y) / size.y * (uv2.y - uv1.y) : uv1.y;
  };
  const float cutWidth = std::max(0.0f, right - left);
  const float cutHeight = std::max(0.0f, bottom - top);
  BuildScreenQuad({left, top}, {cutWidth, cutHeight}, {u(left), v(top)},
                  {u(left + cutWidth), v(top + cutHeight)}, color, vertices);
  return kQuadVertices;
}

uint32_t UISprite::BuildRotatedQuad(ScreenVertex* vertices, float angleDegrees) const {
  ::BuildRotatedQuad(position + size * 0.5f, size, angleDegrees, uv1, uv2, color, vertices);
  return kQuadVertices;
}

}  // namespace ui
