#include "engine/graphics/dx8/Dx8ImageCache.h"

#include "engine/core/Log.h"
#include "engine/graphics/dx8/Dx8Graphics.h"

Dx8ImageCache::Dx8ImageCache() {
  if (Graphics* graphics = GetGraphics()) graphics->AddCache(this);
}

Dx8ImageCache::~Dx8ImageCache() {
  if (Graphics* graphics = GetGraphics()) graphics->RemoveCache(this);
  Release();
}

D3DFORMAT Dx8ImageCache::FormatOf(uint32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 24: return D3DFMT_R8G8B8;
    case 16: return D3DFMT_R5G6B5;
    case 8: return D3DFMT_A8;
    default: return D3DFMT_A8R8G8B8;
  }
}

bool Dx8ImageCache::Create(uint32_t newWidth, uint32_t newHeight, uint32_t bitsPerPixel) {
  Release();  // a second Create must not leave the first objects behind
  width_ = static_cast<int32_t>(newWidth);
  height_ = static_cast<int32_t>(newHeight);
  bitsPerPixel_ = bitsPerPixel;
  IDirect3DDevice8* device = Dx8Graphics::CurrentDevice();
  D3DFORMAT format = FormatOf(bitsPerPixel);
  uint32_t w = newWidth, h = newHeight;
  if (FAILED(D3DXCheckTextureRequirements(device, &w, &h, nullptr, D3DUSAGE_RENDERTARGET, &format,
                                          D3DPOOL_DEFAULT))) {
    LOG_LINE(MSG_WARNING) << "unable to check texture requirements for render to texture "
                          << newWidth << ", " << newHeight;
    return false;
  }
  width_ = static_cast<int32_t>(w);
  height_ = static_cast<int32_t>(h);
  if (FAILED(D3DXCreateTexture(device, w, h, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                               &texture_))) {
    LOG_LINE(MSG_WARNING) << "unable to create render to texture " << newWidth << ", "
                          << newHeight;
    return false;
  }
  D3DSURFACE_DESC desc{};
  if (FAILED(texture_->GetSurfaceLevel(0, &surface_)) || FAILED(surface_->GetDesc(&desc))) {
    LOG_LINE(MSG_WARNING) << "unable to recover surface from R2T  [" << newWidth << ", "
                          << newHeight << "]";
    return false;
  }
  if (FAILED(D3DXCreateRenderToSurface(device, desc.Width, desc.Height, desc.Format, 0,
                                       D3DFMT_UNKNOWN, &renderToSurface_))) {
    LOG_LINE(MSG_WARNING) << "Unable to create render target object [" << newWidth << ", "
                          << newHeight << "]";
    return false;
  }
  return true;
}

void Dx8ImageCache::Clear(uint32_t color) {
  IDirect3DDevice8* device = Dx8Graphics::CurrentDevice();
  if (!renderToSurface_ || !device) return;
  device->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0);
}

bool Dx8ImageCache::BeginRender() {
  Dx8Graphics* graphics = Dx8Graphics::Current();
  if (!graphics || !graphics->Device() || graphics->DeviceLost()) return false;
  if (!renderToSurface_) {
    Recreate();
    return false;
  }
  IDirect3DDevice8* device = graphics->Device();
  device->GetViewport(&savedViewport_);
  graphics->SetViewport(Viewport{0, 0, 800, 600, 0.0f, 1.0f});
  savedOffsetX_ = screen::g_offsetX;
  savedOffsetY_ = screen::g_offsetY;
  screen::g_offsetX = 0;
  screen::g_offsetY = 0;
  graphics->ResetRenderStates();
  if (FAILED(renderToSurface_->BeginScene(surface_, nullptr))) {
    // Nothing goes into the target: the frame's offsets stay as they were.
    screen::g_offsetX = savedOffsetX_;
    screen::g_offsetY = savedOffsetY_;
    device->SetViewport(&savedViewport_);
    return false;
  }
  rendering_ = true;
  return true;
}

void Dx8ImageCache::EndRender() {
  if (!renderToSurface_ || !rendering_) return;
  renderToSurface_->EndScene();
  rendering_ = false;
  if (IDirect3DDevice8* device = Dx8Graphics::CurrentDevice()) device->SetViewport(&savedViewport_);
  screen::g_offsetX = savedOffsetX_;
  screen::g_offsetY = savedOffsetY_;
}

void Dx8ImageCache::Release() {
  if (rendering_) EndRender();
  if (renderToSurface_) renderToSurface_->Release();
  if (surface_) surface_->Release();
  if (texture_) texture_->Release();
  renderToSurface_ = nullptr;
  surface_ = nullptr;
  texture_ = nullptr;
}

void Dx8ImageCache::Recreate() {
  LOG_LINE(MSG_INIT) << "recreating render target " << width_ << "x" << height_;
  Create(static_cast<uint32_t>(width_), static_cast<uint32_t>(height_), bitsPerPixel_);
}

void Dx8ImageCache::SetTexture(uint32_t stage) {
  IDirect3DDevice8* device = Dx8Graphics::CurrentDevice();
  if (!texture_ || !device) return;
  device->SetTexture(stage, texture_);
}
