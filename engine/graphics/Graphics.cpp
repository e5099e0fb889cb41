#include "engine/graphics/Graphics.h"

#include <algorithm>
#include <cmath>

#include "engine/core/ProcessObjects.h"
#include "engine/graphics/AviImage.h"
#include "platform/d3d8/PresentTransform.h"

namespace screen {
int32_t g_offsetX = 0;
int32_t g_offsetY = 0;
float g_heightOverWidth = 0.75f;
float g_widthOverHeight = 1.3333334f;
bool g_pixelSnapping = false;
bool g_wideScreen = false;
}  // namespace screen

namespace {

Graphics* g_graphics = nullptr;

// The black bars of DrawBorders: at most four rectangles of six vertices.
constexpr int kBorderVertexCapacity = 24;
ScreenVertex g_borderVertices[kBorderVertexCapacity];

ScreenVertex MakeVertex(float x, float y, uint32_t color, float u, float v) {
  return ScreenVertex{x, y, 0.0f, 1.0f, color, u, v};
}

// Low byte of value x 255 truncated toward zero; values outside [0, 1] wrap.
uint32_t ColorChannel(float value) {
  const double scaled = std::trunc(static_cast<double>(value * 255.0f));
  if (!std::isfinite(scaled)) return 0;
  double low = std::fmod(scaled, 256.0);
  if (low < 0) low += 256.0;
  return static_cast<uint32_t>(low);
}

}  // namespace

Graphics::~Graphics() = default;

Graphics* GetGraphics() { return g_graphics; }

void SetGraphics(Graphics* graphics) { g_graphics = graphics; }

void PlayAreaSize(float& width, float& height) {
  const Graphics* graphics = g_graphics;
  if (graphics && graphics->width && graphics->height) {
    width = graphics->width;
    height = graphics->height;
  } else {
    width = 800.0f;
    height = 600.0f;
  }
}

void Graphics::SHUTDOWN() {
  if (!g_graphics) return;
  Graphics* graphics = g_graphics;
  graphics->Release();
  delete graphics;
  g_graphics = nullptr;
}

bool Graphics::SetResolution(uint32_t newWidth, uint32_t newHeight) {
  width = static_cast<uint16_t>(newWidth);
  height = static_cast<uint16_t>(newHeight);
  screen::g_heightOverWidth = static_cast<float>(newHeight) / static_cast<float>(newWidth);
  screen::g_widthOverHeight = static_cast<float>(newWidth) / static_cast<float>(newHeight);
  return true;
}

void Graphics::SetFiltering(bool on) { filtering = on; }

void Graphics::ReleaseResources() {
  for (ImageCache* cache : caches) cache->Release();
  for (AviImage* movie : movies) movie->ReleaseTexture();
}

void Graphics::RestoreResources() {
  for (ImageCache* cache : caches) cache->Recreate();
  for (AviImage* movie : movies) movie->RestoreTexture();
}

void Graphics::TakeScreenshot(const std::string& name, bool halfSize) {
  screenshotName = name;
  screenshotHalfSize = halfSize;
  screenshotAttempts = 0;
}

void Graphics::AddCache(ImageCache* cache) {
  RemoveCache(cache);
  caches.push_back(cache);
}

void Graphics::RemoveCache(ImageCache* cache) {
  auto it = std::find(caches.begin(), caches.end(), cache);
  if (it != caches.end()) caches.erase(it);
}

void Graphics::DrawBorders() {
  const int w = width;
  const int h = height;
  const int offX = screen::g_offsetX;
  const int offY = screen::g_offsetY;
  int count = 0;
  auto addRect = [&count](int left, int top, int right, int bottom) {
    if (count + 6 > kBorderVertexCapacity) return;
    const float l = static_cast<float>(left), t = static_cast<float>(top);
    const float r = static_cast<float>(right), b = static_cast<float>(bottom);
    const uint32_t black = 0xFF000000;
    ScreenVertex* v = g_borderVertices + count;
    v[0] = MakeVertex(l, t, black, 0, 0);
    v[1] = MakeVertex(r, t, black, 0, 0);
    v[2] = MakeVertex(r, b, black, 0, 0);
    v[3] = MakeVertex(l, t, black, 0, 0);
    v[4] = MakeVertex(r, b, black, 0, 0);
    v[5] = MakeVertex(l, b, black, 0, 0);
    count += 6;
  };
  if (offX > 0) {
    addRect(0, 0, offX, h);
    addRect(w + offX, 0, w + 2 * offX, h);
  }
  if (offY > 0) {
    addRect(offX, 0, w + offX, offY);
    addRect(offX, h + offY, w + offX, h + 2 * offY);
  }
  if (count == 0) return;
  SetTexture(0, nullptr);
  DrawArray(g_borderVertices, static_cast<uint32_t>(count), PT_Triangles);
}

uint32_t PackColor(float r, float g, float b, float a) {
  return (ColorChannel(a) << 24) | (ColorChannel(r) << 16) | (ColorChannel(g) << 8) |
         ColorChannel(b);
}

uint32_t BuildScreenQuad(const math::Vec2& position, const math::Vec2& size,
                         const math::Vec2& uv0, const math::Vec2& uv1, uint32_t color,
                         ScreenVertex* out) {
  float W, H;
  PlayAreaSize(W, H);
  float x0, y0, w, h;
  if (screen::g_pixelSnapping) {
    x0 = std::floor(W * position.x + 0.5f);
    y0 = std::floor(H * position.y + 0.5f);
    w = std::ceil(W * size.x - 0.0005f);
    h = std::ceil(H * size.y - 0.0005f);
  } else {
    x0 = W * position.x;
    y0 = H * position.y;
    w = W * size.x;
    h = H * size.y;
  }
  // The half-pixel shift puts texel centres on pixel centres.
  const float offX = static_cast<float>(screen::g_offsetX);
  const float offY = static_cast<float>(screen::g_offsetY);
  const float left = offX + (x0 - 0.5f);
  const float right = offX + (x0 + w - 0.5f);
  const float top = offY + (y0 - 0.5f);
  const float bottom = offY + (y0 + h - 0.5f);
  out[0] = MakeVertex(left, bottom, color, uv0.x, uv1.y);
  out[1] = MakeVertex(left, top, color, uv0.x, uv0.y);
  out[2] = MakeVertex(right, bottom, color, uv1.x, uv1.y);
  out[3] = MakeVertex(right, top, color, uv1.x, uv0.y);
  out[4] = MakeVertex(right, bottom, color, uv1.x, uv1.y);
  out[5] = MakeVertex(left, top, color, uv0.x, uv0.y);
  return 6;
}

uint32_t BuildCornerQuad(const math::Vec2 corners[4], const math::Vec2* uvs,
                         const uint32_t* colors, ScreenVertex* out) {
  static const math::Vec2 kDefaultUvs[4] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
  static const uint32_t kDefaultColors[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  if (!uvs) uvs = kDefaultUvs;
  if (!colors) colors = kDefaultColors;
  float W, H;
  PlayAreaSize(W, H);
  const float offX = static_cast<float>(screen::g_offsetX);
  const float offY = static_cast<float>(screen::g_offsetY);
  static const int kOrder[6] = {1, 0, 3, 2, 3, 0};
  for (int i = 0; i < 6; ++i) {
    const int c = kOrder[i];
    out[i] = MakeVertex(W * corners[c].x - 0.5f + offX, H * corners[c].y - 0.5f + offY,
                        colors[c], uvs[c].x, uvs[c].y);
  }
  return 6;
}

uint32_t BuildRotatedQuad(const math::Vec2& center, const math::Vec2& size, float angleDegrees,
                          const math::Vec2& uv0, const math::Vec2& uv1, uint32_t color,
                          ScreenVertex* out) {
  float W, H;
  PlayAreaSize(W, H);
  const float a = angleDegrees * 0.01745f;
  const float s = std::sin(a);
  const float c = std::sin(a + 1.57079f);
  // Half extents in play-area fractions, corrected for the aspect so that the quad keeps
  // its pixel proportions at every angle.
  const math::Vec2 ex(0.5f * size.x * c, -0.5f * screen::g_widthOverHeight * size.x * s);
  const math::Vec2 ey(0.5f * screen::g_heightOverWidth * size.y * s, 0.5f * size.y * c);
  const float offX = static_cast<float>(screen::g_offsetX);
  const float offY = static_cast<float>(screen::g_offsetY);
  auto vertex = [&](const math::Vec2& p, float u, float v) {
    return MakeVertex(W * p.x + offX, H * p.y + offY, color, u, v);
  };
  out[0] = vertex(center - ex - ey, uv0.x, uv0.y);
  out[1] = vertex(center + ex - ey, uv1.x, uv0.y);
  out[2] = vertex(center + ex + ey, uv1.x, uv1.y);
  out[3] = vertex(center - ex - ey, uv0.x, uv0.y);
  out[4] = vertex(center + ex + ey, uv1.x, uv1.y);
  out[5] = vertex(center - ex + ey, uv0.x, uv1.y);
  return 6;
}

uint32_t BuildOrientedQuad(uint32_t orientation, const math::Vec2& position, const math::Vec2& size,
                           const math::Vec2& uv0, const math::Vec2& uv1, uint32_t color,
                           ScreenVertex* out) {
  if (orientation == 2) return BuildScreenQuad(position, size, uv1, uv0, color, out);
  if (orientation != 1 && orientation != 3) {
    return BuildScreenQuad(position, size, uv0, uv1, color, out);
  }
  // A quarter turn: the footprint is the image's pixel size turned on its side.
  const float wq = screen::g_heightOverWidth * size.y;
  const float hq = screen::g_widthOverHeight * size.x;
  const math::Vec2 corners[4] = {{position.x, position.y},
                                 {position.x, position.y + hq},
                                 {position.x + wq, position.y},
                                 {position.x + wq, position.y + hq}};
  const uint32_t colors[4] = {color, color, color, color};
  if (orientation == 1) {
    const math::Vec2 uvs[4] = {{uv0.x, uv1.y}, {uv1.x, uv1.y}, {uv0.x, uv0.y}, {uv1.x, uv0.y}};
    return BuildCornerQuad(corners, uvs, colors, out);
  }
  const math::Vec2 uvs[4] = {{uv1.x, uv0.y}, {uv0.x, uv0.y}, {uv1.x, uv1.y}, {uv0.x, uv1.y}};
  return BuildCornerQuad(corners, uvs, colors, out);
}

uint32_t BuildLineQuad(const math::Vec2& from, const math::Vec2& to, float halfWidth,
                       uint32_t fromColor, uint32_t toColor, const math::Vec2& uv0,
                       const math::Vec2& uv1, ScreenVertex* out) {
  float W, H;
  PlayAreaSize(W, H);
  const math::Vec2 along = to - from;
  float length = along.Magnitude();
  if (length <= 0.0f) length = 1.0f;
  const math::Vec2 dir = along / length;
  // Across the segment; the vertical part is stretched by the aspect so that the band is
  // as wide in pixels whichever way it runs.
  const math::Vec2 side(-dir.y * halfWidth, dir.x * halfWidth * screen::g_widthOverHeight);
  const float offX = static_cast<float>(screen::g_offsetX);
  const float offY = static_cast<float>(screen::g_offsetY);
  const float uMid = 0.5f * (uv0.x + uv1.x);
  auto vertex = [&](const math::Vec2& p, uint32_t color, float u, float v) {
    return MakeVertex(W * p.x + offX, H * p.y + offY, color, u, v);
  };
  const ScreenVertex fromLeft = vertex(from + side, fromColor, uv0.x, uv0.y);
  const ScreenVertex fromMid = vertex(from, fromColor, uMid, uv0.y);
  const ScreenVertex fromRight = vertex(from - side, fromColor, uv1.x, uv0.y);
  const ScreenVertex toLeft = vertex(to + side, toColor, uv0.x, uv1.y);
  const ScreenVertex toMid = vertex(to, toColor, uMid, uv1.y);
  const ScreenVertex toRight = vertex(to - side, toColor, uv1.x, uv1.y);
  // Wound as the other quad builders wind theirs, so that no cull mode drops a half.
  const ScreenVertex band[12] = {fromMid,   toMid,   fromLeft, toMid,   toLeft, fromLeft,
                                 fromRight, toRight, fromMid,  toRight, toMid,  fromMid};
  std::copy(band, band + 12, out);
  return 12;
}

uint32_t BuildRing(const math::Vec2& center, float radius, uint32_t innerColor,
                   uint32_t outerColor, ScreenVertex* out) {
  float W, H;
  PlayAreaSize(W, H);
  const float offX = static_cast<float>(screen::g_offsetX);
  const float offY = static_cast<float>(screen::g_offsetY);
  const float cx = W * center.x;
  const float cy = H * center.y;
  const ScreenVertex middle = MakeVertex(cx + offX, cy + offY, innerColor, 0.01f, 0.5f);
  auto rim = [&](int k) {
    return MakeVertex(cx + W * radius * process::g_cosTable[k] + offX,
                      cy + H * radius * process::g_sinTable[k] * screen::g_widthOverHeight + offY,
                      outerColor, 0.99f, 0.5f);
  };
  for (int k = 0; k < process::kCircleSteps - 1; ++k) {
    out[3 * k] = middle;
    out[3 * k + 1] = rim(k);
    out[3 * k + 2] = rim(k + 1);
  }
  return 3 * (process::kCircleSteps - 1);
}

bool WindowToPlayArea(float windowX, float windowY, int clientWidth, int clientHeight,
                      math::Vec2& fraction) {
  float W, H;
  PlayAreaSize(W, H);
  // The play area's place in the back buffer, as BeginFrame sets it; the back buffer is
  // the play area with those margins on both sides.
  float offX = 0, offY = 0;
  if (const Graphics* graphics = GetGraphics(); graphics && !graphics->windowed) {
    offX = static_cast<float>(graphics->storedOffsetX);
    offY = static_cast<float>(graphics->storedOffsetY);
  }
  const d3d8::PresentTransform transform = d3d8::PresentTransform::Compute(
      static_cast<int>(W + 2 * offX), static_cast<int>(H + 2 * offY), clientWidth, clientHeight);
  // A client area without a size shows nothing: its points are taken as back-buffer pixels.
  float bufferX = windowX;
  float bufferY = windowY;
  if (!transform.Empty()) transform.WindowToBackBuffer(windowX, windowY, &bufferX, &bufferY);
  const float x = (bufferX - offX) / W;
  const float y = (bufferY - offY) / H;
  const bool inside = x >= 0.0f && x < 1.0f && y >= 0.0f && y < 1.0f;
  fraction.x = std::clamp(x, 0.0f, 1.0f);
  fraction.y = std::clamp(y, 0.0f, 1.0f);
  return inside;
}
