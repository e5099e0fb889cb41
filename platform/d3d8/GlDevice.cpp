#include "platform/d3d8/GlDevice.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/d3d8/GlContext.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/GlTexture.h"
#include "platform/d3d8/PixelFormat.h"

namespace d3d8 {

HRESULT GlDevice::Create(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type,
                         const D3DCAPS8& caps, HWND focusWindow,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) {
  if (!device || !parameters) return D3DERR_INVALIDCALL;
  *device = nullptr;
  D3DPRESENT_PARAMETERS requested = *parameters;
  if (!requested.hDeviceWindow) requested.hDeviceWindow = focusWindow;
  if (!ValidParameters(requested) || !requested.hDeviceWindow || !requested.hDeviceWindow->sdl) {
    SetLastErrorDetail("present parameters without a usable window, size or format");
    return D3DERR_INVALIDCALL;
  }
  std::shared_ptr<GlContext> context = GlContext::Create(requested.hDeviceWindow->sdl);
  if (!context) return D3DERR_NOTAVAILABLE;
  GlDevice* made = new GlDevice(direct3d, adapter, type, caps, std::move(context));
  const HRESULT hr = made->Configure(requested, parameters);
  if (FAILED(hr)) {
    made->Release();
    return hr;
  }
  *device = made;
  return D3D_OK;
}

namespace {

// The size the device window's client area really has, in window coordinates and in
// drawable pixels: the window layer's answer, else SDL's (a bare handle).
void ClientArea(HWND window, SDL_Window* sdl, int* width, int* height, int* pixelWidth,
                int* pixelHeight) {
  if (window && window->ClientSize(width, height, pixelWidth, pixelHeight)) return;
  SDL_GetWindowSize(sdl, width, height);
  SDL_GL_GetDrawableSize(sdl, pixelWidth, pixelHeight);
}

}  // namespace

GlDevice::GlDevice(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type,
                   const D3DCAPS8& caps, std::shared_ptr<GlContext> context)
    : DeviceBase(direct3d, adapter, type, caps),
      context_(std::move(context)),
      window_(context_->Window()) {
  context_->SetDrawFlusher([this] { FlushDraws(); });
}

GlDevice::~GlDevice() {
  // The textures released after this (by the base) must not reach a device that is gone.
  FlushDraws();
  context_->SetDrawFlusher(nullptr);
}

Texture* GlDevice::MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                               D3DFORMAT format, D3DPOOL pool) {
  return new GlTexture(this, context_, width, height, levels, usage, format, pool);
}

HRESULT GlDevice::Configure(const D3DPRESENT_PARAMETERS& requested,
                            D3DPRESENT_PARAMETERS* applied) {
  if (!ValidParameters(requested) || !requested.hDeviceWindow ||
      requested.hDeviceWindow->sdl != window_) {
    SetLastErrorDetail("present parameters for another window, or without a size or format");
    return D3DERR_INVALIDCALL;
  }
  context_->MakeCurrent();
  FlushDraws();
  // A full-screen device leaves the window to the window layer (the renderer styles and
  // places it after each create and reset): the desktop's mode never changes, and the back
  // buffer is presented into whatever size the window really has.
  uint32_t width = requested.BackBufferWidth;
  uint32_t height = requested.BackBufferHeight;
  if (width == 0 || height == 0) {
    int w = 0, h = 0, pixelW = 0, pixelH = 0;
    ClientArea(requested.hDeviceWindow, window_, &w, &h, &pixelW, &pixelH);
    if (width == 0) width = static_cast<uint32_t>(std::max(w, 1));
    if (height == 0) height = static_cast<uint32_t>(std::max(h, 1));
  }
  if (width > caps_.MaxTextureWidth || height > caps_.MaxTextureHeight) {
    SetLastErrorDetail("back buffer larger than the largest texture");
    return D3DERR_NOTAVAILABLE;
  }
  const D3DFORMAT format = requested.BackBufferFormat == D3DFMT_UNKNOWN
                               ? D3DFMT_X8R8G8B8
                               : requested.BackBufferFormat;
  GlTexture* backBuffer;
  try {
    backBuffer = new GlTexture(this, context_, width, height, 1, D3DUSAGE_RENDERTARGET, format,
                               D3DPOOL_DEFAULT);
  } catch (const std::bad_alloc&) {
    SetLastErrorDetail("no memory for the back buffer");
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  if (!backBuffer->Framebuffer(requested.EnableAutoDepthStencil != 0)) {
    backBuffer->Release();
    SetLastErrorDetail("the back buffer's framebuffer is not complete");
    return D3DERR_NOTAVAILABLE;
  }
  InstallBackBuffer(backBuffer, requested);
  SDL_GL_SetSwapInterval(requested.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE
                             ? 0
                             : 1);
  if (applied) {
    applied->BackBufferWidth = width;
    applied->BackBufferHeight = height;
    applied->BackBufferFormat = format;
  }
  return D3D_OK;
}

HRESULT GlDevice::Reset(D3DPRESENT_PARAMETERS* parameters) {
  if (!parameters) return D3DERR_INVALIDCALL;
  D3DPRESENT_PARAMETERS requested = *parameters;
  if (!requested.hDeviceWindow) requested.hDeviceWindow = PresentParameters().hDeviceWindow;
  return Configure(requested, parameters);
}

GlTexture* GlDevice::BindTarget() {
  GlTexture* target = static_cast<GlTexture*>(RenderTargetTexture());
  if (!target) return nullptr;
  const bool depth = target == BackBufferTexture() && PresentParameters().EnableAutoDepthStencil;
  target->Upload();
  const GLuint framebuffer = target->Framebuffer(depth);
  if (!framebuffer) return nullptr;
  GlStateCache& gl = context_->State();
  gl.BindFramebuffer(framebuffer);
  const D3DVIEWPORT8& vp = state_.viewport;
  gl.Viewport(static_cast<GLint>(vp.X), static_cast<GLint>(vp.Y), static_cast<GLsizei>(vp.Width),
              static_cast<GLsizei>(vp.Height));
  gl.DepthRange(vp.MinZ, vp.MaxZ);
  return target;
}

HRESULT GlDevice::Clear(uint32_t count, const D3DRECT* rects, uint32_t flags, D3DCOLOR color,
                        float z, uint32_t stencil) {
  if (count > 0 && !rects) return D3DERR_INVALIDCALL;
  context_->MakeCurrent();
  FlushDraws();
  GlTexture* target = BindTarget();
  if (!target) return D3DERR_INVALIDCALL;
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !target->HasDepthStencil()) {
    return D3DERR_INVALIDCALL;
  }
  GLbitfield bits = 0;
  if (flags & D3DCLEAR_TARGET) bits |= GL_COLOR_BUFFER_BIT;
  if (flags & D3DCLEAR_ZBUFFER) bits |= GL_DEPTH_BUFFER_BIT;
  if (flags & D3DCLEAR_STENCIL) bits |= GL_STENCIL_BUFFER_BIT;
  if (!bits) return D3D_OK;
  float depth = std::clamp(z, 0.0f, 1.0f);
  // The stencil shares its buffer with depth: cleared alone, each value is read and
  // written back with its depth kept. Over depth of one known value, clearing both with
  // that value leaves the same contents in one plain pass.
  float uniform = 0.0f;
  if (!(flags & D3DCLEAR_ZBUFFER) && (flags & D3DCLEAR_STENCIL) && target->UniformDepth(&uniform)) {
    bits |= GL_DEPTH_BUFFER_BIT;
    depth = uniform;
  }
  GlStateCache& gl = context_->State();
  gl.ColorMask(0xF);
  gl.DepthMask(true);
  gl.StencilMask(0xFF);
  GLfloat rgba[4];
  ArgbToFloats(color, rgba);
  gl.ClearColor(rgba);
  gl.ClearDepth(depth);
  gl.ClearStencil(static_cast<GLint>(stencil & 0xFF));
  gl.Enable(GlStateCache::kScissorTest, true);
  const RECT whole{0, 0, static_cast<int32_t>(target->Width()), static_cast<int32_t>(target->Height())};
  for (const RECT& area : ClearAreas(count, rects)) {
    gl.Scissor(area.left, area.top, area.right - area.left, area.bottom - area.top);
    glClear(bits);
    if (flags & D3DCLEAR_ZBUFFER) {
      target->NoteDepthCleared(depth, area.left <= whole.left && area.top <= whole.top &&
                                          area.right >= whole.right && area.bottom >= whole.bottom);
    }
  }
  gl.Enable(GlStateCache::kScissorTest, false);
  target->MarkDrawn();
  return D3D_OK;
}

void GlDevice::BlitLetterboxed(uint32_t drawFramebuffer, int width, int height) {
  GlTexture* backBuffer = static_cast<GlTexture*>(BackBufferTexture());
  backBuffer->Upload();
  const GLuint source = backBuffer->Framebuffer(PresentParameters().EnableAutoDepthStencil != 0);
  const PresentTransform t = PresentTransform::Compute(
      static_cast<int>(backBuffer->Width()), static_cast<int>(backBuffer->Height()), width, height);
  GlStateCache& gl = context_->State();
  gl.BindDrawFramebuffer(drawFramebuffer);
  gl.Enable(GlStateCache::kScissorTest, false);
  gl.Viewport(0, 0, width, height);
  gl.ColorMask(0xF);
  const GLfloat black[4] = {0, 0, 0, 1};
  gl.ClearColor(black);
  glClear(GL_COLOR_BUFFER_BIT);
  if (!source || t.Empty()) return;
  gl.BindReadFramebuffer(source);
  const bool scaled = t.width != static_cast<int>(backBuffer->Width()) ||
                      t.height != static_cast<int>(backBuffer->Height());
  // The back buffer's row 0 is its top row; GL's window rows count from the bottom.
  glBlitFramebuffer(0, 0, static_cast<GLint>(backBuffer->Width()),
                    static_cast<GLint>(backBuffer->Height()), t.x, height - t.y, t.x + t.width,
                    height - t.y - t.height, GL_COLOR_BUFFER_BIT, scaled ? GL_LINEAR : GL_NEAREST);
}

HRESULT GlDevice::Present(const RECT*, const RECT*, HWND, const void*) {
  context_->MakeCurrent();
  FlushDraws();
  int windowWidth = 0, windowHeight = 0, drawableWidth = 0, drawableHeight = 0;
  ClientArea(PresentParameters().hDeviceWindow, window_, &windowWidth, &windowHeight,
             &drawableWidth, &drawableHeight);
  lastTransform_ = PresentTransform::Compute(static_cast<int>(BackBufferTexture()->Width()),
                                             static_cast<int>(BackBufferTexture()->Height()),
                                             windowWidth, windowHeight);
  // A minimised window has nothing to show.
  if (drawableWidth <= 0 || drawableHeight <= 0) return D3D_OK;
  BlitLetterboxed(0, drawableWidth, drawableHeight);
  SDL_GL_SwapWindow(window_);
  return D3D_OK;
}

bool GlDevice::ComposeWindowImage(std::vector<uint32_t>* pixels, int* width, int* height) {
  context_->MakeCurrent();
  FlushDraws();
  int windowWidth = 0, windowHeight = 0, w = 0, h = 0;
  ClientArea(PresentParameters().hDeviceWindow, window_, &windowWidth, &windowHeight, &w, &h);
  if (w <= 0 || h <= 0) return false;
  GlStateCache& gl = context_->State();
  GLuint texture = 0, framebuffer = 0;
  glGenTextures(1, &texture);
  gl.BindTextureForUpdate(texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glGenFramebuffers(1, &framebuffer);
  gl.BindFramebuffer(framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    BlitLetterboxed(framebuffer, w, h);
    std::vector<uint32_t> bottomUp(static_cast<size_t>(w) * h);
    gl.BindReadFramebuffer(framebuffer);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, bottomUp.data());
    pixels->resize(bottomUp.size());
    for (int y = 0; y < h; ++y) {
      std::memcpy(pixels->data() + static_cast<size_t>(y) * w,
                  bottomUp.data() + static_cast<size_t>(h - 1 - y) * w, sizeof(uint32_t) * w);
    }
    *width = w;
    *height = h;
  }
  gl.BindFramebuffer(0);
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteTextures(1, &texture);
  gl.ForgetTexture(texture);
  return complete;
}

}  // namespace d3d8
