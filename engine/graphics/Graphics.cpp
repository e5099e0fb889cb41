#include "engine/graphics/Graphics.h"

namespace {
Graphics* g_graphics = nullptr;
}  // namespace

namespace screen {
int32_t g_offsetX = 0;
int32_t g_offsetY = 0;
float g_heightOverWidth = 0.75f;
float g_widthOverHeight = 1.3333334f;
bool g_pixelSnapping = false;
bool g_wideScreen = false;
}  // namespace screen

Graphics* GetGraphics() { return g_graphics; }
void SetGraphics(Graphics* graphics) { g_graphics = graphics; }

// Neither the render targets nor the movies belong to the renderer's lists.
Graphics::~Graphics() = default;

bool Graphics::SetResolution(uint32_t newWidth, uint32_t newHeight) {
  width = static_cast<uint16_t>(newWidth);
  height = static_cast<uint16_t>(newHeight);
  screen::g_heightOverWidth = static_cast<float>(newHeight) / static_cast<float>(newWidth);
  screen::g_widthOverHeight = static_cast<float>(newWidth) / static_cast<float>(newHeight);
  return true;
}

void Graphics::SetFiltering(bool on) { filtering = on; }

// Render targets give up their device objects before a device reset and make them again
// after it. (The movie images' textures join these two loops with the movie image class.)
void Graphics::ReleaseResources() {
  for (ImageCache* cache : caches) cache->Release();
}

void Graphics::RestoreResources() {
  for (ImageCache* cache : caches) cache->Recreate();
}
