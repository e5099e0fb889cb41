// Stand-ins for the two quad builders of the renderer interface that the screen
// transitions call, for as long as the graphics library does not define them yet. They
// are weak: the graphics library's own definitions replace them wherever both are linked,
// so this file can simply be deleted once the library has them. They build the same
// vertices: play-area fractions scaled to the renderer's size (800 x 600 without a
// renderer), shifted by the play-area offsets and by half a pixel, two triangles.

#include "engine/graphics/Graphics.h"

namespace {

void PlayAreaSize(float* width, float* height) {
  const Graphics* graphics = GetGraphics();
  if (graphics && graphics->width && graphics->height) {
    *width = graphics->width;
    *height = graphics->height;
  } else {
    *width = 800.0f;
    *height = 600.0f;
  }
}

ScreenVertex MakeVertex(float x, float y, uint32_t color, float u, float v) {
  return ScreenVertex{x, y, 0.0f, 1.0f, color, u, v};
}

}  // namespace

__attribute__((weak)) uint32_t BuildScreenQuad(const math::Vec2& position, const math::Vec2& size,
                                               const math::Vec2& uv0, const math::Vec2& uv1,
                                               uint32_t color, ScreenVertex* out) {
  float w = 0.0f;
  float h = 0.0f;
  PlayAreaSize(&w, &h);
  const float offX = static_cast<float>(screen::g_offsetX);
  const float offY = static_cast<float>(screen::g_offsetY);
  const float left = offX + w * position.x - 0.5f;
  const float right = offX + w * (position.x + size.x) - 0.5f;
  const float top = offY + h * position.y - 0.5f;
  const float bottom = offY + h * (position.y + size.y) - 0.5f;
  out[0] = MakeVertex(left, bottom, color, uv0.x, uv1.y);
  out[1] = MakeVertex(left, top, color, uv0.x, uv0.y);
  out[2] = MakeVertex(right, bottom, color, uv1.x, uv1.y);
  out[3] = MakeVertex(right, top, color, uv1.x, uv0.y);
  out[4] = MakeVertex(right, bottom, color, uv1.x, uv1.y);
  out[5] = MakeVertex(left, top, color, uv0.x, uv0.y);
  return 6;
}

__attribute__((weak)) uint32_t BuildCornerQuad(const math::Vec2 corners[4], const math::Vec2* uvs,
                                               const uint32_t* colors, ScreenVertex* out) {
  static const math::Vec2 kDefaultUvs[4] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
  static const uint32_t kDefaultColors[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  if (!uvs) uvs = kDefaultUvs;
  if (!colors) colors = kDefaultColors;
  float w = 0.0f;
  float h = 0.0f;
  PlayAreaSize(&w, &h);
  const float offX = static_cast<float>(screen::g_offsetX);
  const float offY = static_cast<float>(screen::g_offsetY);
  // Corners come top-left, bottom-left, top-right, bottom-right.
  static const int kOrder[6] = {1, 0, 3, 2, 3, 0};
  for (int i = 0; i < 6; ++i) {
    const int c = kOrder[i];
    out[i] = MakeVertex(offX + w * corners[c].x - 0.5f, offY + h * corners[c].y - 0.5f, colors[c], uvs[c].x,
                        uvs[c].y);
  }
  return 6;
}
