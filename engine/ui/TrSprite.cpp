#include "engine/ui/TrSprite.h"

#include <algorithm>

#include "engine/core/Log.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIManager.h"
#include "platform/d3d8/D3D8.h"

namespace {

// The smallest reciprocal w of a projective draw: an edge of no (or negative) height
// would give the vertices an infinite or negative w, which no projection can draw.
constexpr float kMinimumRhw = 0.0001f;

// Linear mip filtering of texture stage 0, set on the renderer's device (only the
// Direct3D renderer has one).
void SetMipFilter(bool linear) {
  if (IDirect3DDevice8* device = Dx8Graphics::CurrentDevice()) {
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, linear ? D3DTEXF_LINEAR : D3DTEXF_NONE);
  }
}

}  // namespace

TrSprite::TrSprite() = default;

TrSprite::~TrSprite() { Invalidate(); }

void TrSprite::Init(const std::string& name, bool isAdditive, bool useMipFilter, bool isVisible,
                    bool useAlphaTest, uint32_t colour, const math::Vec2& newUV1,
                    const math::Vec2& newUV2) {
  LoadImage(name);
  additive = isAdditive;
  mipFilter = useMipFilter;
  visible = isVisible;
  alphaTest = useAlphaTest;
  std::fill(std::begin(colours), std::end(colours), colour);
  uv1 = newUV1;
  uv2 = newUV2;
}

void TrSprite::LoadImage(const std::string& name) {
  if (IsLoaded()) Invalidate();
  if (name.empty()) {
    fileName.clear();
    return;
  }
  std::string resolved = name;
  const size_t mark = resolved.find("###");
  localised = mark != std::string::npos;
  if (localised) resolved.replace(mark, 3, ui::GetUIMan().language);
  if (ui::Sprite* sprite = ui::GetSpriteSet().Find(resolved)) {
    sprite->EnsureImage();
    linkedSprite = sprite;
    image = sprite->image;
    nativeSize = sprite->GetFrameSize();
  } else {
    Graphics* graphics = GetGraphics();
    image = graphics ? graphics->LoadImage(resolved) : nullptr;
    if (!image) {
      LOG_LINE(MSG_ERROR) << "Unable to load image " << resolved << " into the TrSprite";
      return;
    }
    nativeSize = math::Vec2(static_cast<float>(image->width) * 0.00125f,
                            static_cast<float>(image->height) * 0.0016666667f);
  }
  fileName = name;
}

void TrSprite::Invalidate() {
  if (!linkedSprite) delete image;
  linkedSprite = nullptr;
  image = nullptr;
}

void TrSprite::SetRect(const math::Vec2& position, const math::Vec2& size) {
  SetCorners(position, math::Vec2(position.x + size.x, position.y), position + size,
             math::Vec2(position.x, position.y + size.y));
}

void TrSprite::SetMinMax(const math::Vec2& min, const math::Vec2& max) {
  SetCorners(min, math::Vec2(max.x, min.y), max, math::Vec2(min.x, max.y));
}

void TrSprite::SetCentered(const math::Vec2& halfSize, const math::Vec2& centre) {
  SetCorners(centre - halfSize, math::Vec2(centre.x + halfSize.x, centre.y - halfSize.y),
             centre + halfSize, math::Vec2(centre.x - halfSize.x, centre.y + halfSize.y));
}

void TrSprite::SetCorners(const math::Vec2& topLeft, const math::Vec2& topRight,
                          const math::Vec2& bottomRight, const math::Vec2& bottomLeft) {
  corners[0] = topLeft;
  corners[1] = topRight;
  corners[2] = bottomRight;
  corners[3] = bottomLeft;
}

void TrSprite::OffsetY(float dy) {
  for (math::Vec2& corner : corners) corner.y += dy;
}

void TrSprite::SetColour(uint32_t colour) {
  for (uint32_t& corner : colours) corner = colour;
}

bool TrSprite::Render() {
  const float rhw[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  return Draw(rhw);
}

bool TrSprite::RenderPerspective(float scale) {
  if (scale == 0.0f) scale = 1.0f;
  const float left = std::max((corners[3].y - corners[0].y) / scale, kMinimumRhw);
  const float right = std::max((corners[2].y - corners[1].y) / scale, kMinimumRhw);
  const float rhw[4] = {left, right, right, left};
  return Draw(rhw);
}

bool TrSprite::Draw(const float rhw[4]) {
  Graphics* graphics = GetGraphics();
  if (!visible || !IsLoaded() || !graphics) return false;
  const float width = graphics->width ? graphics->width : 800.0f;
  const float height = graphics->height ? graphics->height : 600.0f;
  const math::Vec2 uvs[4] = {uv1, math::Vec2(uv2.x, uv1.y), uv2, math::Vec2(uv1.x, uv2.y)};
  ScreenVertex corner[4];
  for (int i = 0; i < 4; ++i) {
    corner[i] = ScreenVertex{width * corners[i].x - 0.5f + static_cast<float>(screen::g_offsetX),
                             height * corners[i].y - 0.5f + static_cast<float>(screen::g_offsetY),
                             0.0f,
                             rhw[i],
                             colours[i],
                             uvs[i].x,
                             uvs[i].y};
  }
  const ScreenVertex vertices[6] = {corner[3], corner[0], corner[1],
                                    corner[1], corner[2], corner[3]};
  graphics->SetTexture(0, image);
  if (additive) {
    graphics->SetRenderState(RS_SrcBlend, BF_SrcAlpha);
    graphics->SetRenderState(RS_DestBlend, BF_One);
  }
  if (mipFilter) SetMipFilter(true);
  // Every draw sets the alpha test to its own flag; it is left so for the next draw.
  graphics->SetRenderState(RS_AlphaTest, alphaTest ? 1u : 0u);
  graphics->DrawArray(vertices, 6, PT_Triangles);
  if (additive) {
    graphics->SetRenderState(RS_SrcBlend, BF_SrcAlpha);
    graphics->SetRenderState(RS_DestBlend, BF_InvSrcAlpha);
  }
  if (mipFilter) SetMipFilter(false);
  return true;
}
