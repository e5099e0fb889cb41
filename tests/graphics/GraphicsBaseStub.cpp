// The renderer base's own members and the play-area globals, for test programs built while
// the renderer's implementation file is not in the tree. Once engine/graphics/Graphics.cpp
// exists the build links it instead of this file.
#include "engine/graphics/Graphics.h"

namespace {
Graphics* g_graphics = nullptr;
}

Graphics::~Graphics() = default;
bool Graphics::SetResolution(uint32_t w, uint32_t h) {
  width = static_cast<uint16_t>(w);
  height = static_cast<uint16_t>(h);
  screen::g_heightOverWidth = static_cast<float>(h) / static_cast<float>(w);
  screen::g_widthOverHeight = static_cast<float>(w) / static_cast<float>(h);
  return true;
}
void Graphics::SetFiltering(bool on) { filtering = on; }
void Graphics::ReleaseResources() {}
void Graphics::RestoreResources() {}

Graphics* GetGraphics() { return g_graphics; }
void SetGraphics(Graphics* graphics) { g_graphics = graphics; }

namespace screen {
int32_t g_offsetX = 0;
int32_t g_offsetY = 0;
float g_heightOverWidth = 0.75f;
float g_widthOverHeight = 1.3333334f;
bool g_pixelSnapping = false;
}  // namespace screen
