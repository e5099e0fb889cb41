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

namespace {

GLenum BlendFactor(uint32_t blend) {
  switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
  }
}

GLenum BlendEquation(uint32_t op) {
  switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

GLenum CompareFunction(uint32_t cmp) {
  switch (cmp) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLenum StencilOperation(uint32_t op) {
  switch (op) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

GLint AddressMode(uint32_t address) {
  switch (address) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
  }
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
  switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    default: return GL_TRIANGLES;
  }
}

void SetSampler(GLuint sampler, const uint32_t* stage) {
  const bool magLinear = stage[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR;
  const bool minLinear = stage[D3DTSS_MINFILTER] >= D3DTEXF_LINEAR;
  GLint minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
  if (stage[D3DTSS_MIPFILTER] == D3DTEXF_POINT) {
    minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  } else if (stage[D3DTSS_MIPFILTER] >= D3DTEXF_LINEAR) {
    minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  }
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressMode(stage[D3DTSS_ADDRESSU]));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressMode(stage[D3DTSS_ADDRESSV]));
  GLfloat borderColor[4];
  ArgbToFloats(stage[D3DTSS_BORDERCOLOR], borderColor);
  glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, borderColor);
  float bias;
  std::memcpy(&bias, &stage[D3DTSS_MIPMAPLODBIAS], sizeof bias);
  glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, std::isfinite(bias) ? bias : 0.0f);
}

}  // namespace

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

// Full screen over the desktop. Where no window manager acts on the request (a bare X
// server, as under xvfb-run), the window would keep its size and place while SDL takes
// the display's size for it, and only a part of the picture would show: so the window is
// given the display's bounds itself first. Its windowed size and place are then handed
// back to SDL, which keeps them for the return to windowed mode.
void CoverDisplay(SDL_Window* window) {
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_GetWindowSize(window, &w, &h);
  SDL_Rect bounds;
  const bool placed = SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &bounds) == 0;
  if (placed) {
    SDL_SetWindowPosition(window, bounds.x, bounds.y);
    SDL_SetWindowSize(window, bounds.w, bounds.h);
  }
  SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (placed && w > 0 && h > 0) {
    // While full screen, these only set what the window returns to.
    SDL_SetWindowSize(window, w, h);
    SDL_SetWindowPosition(window, x, y);
  }
}

}  // namespace

GlDevice::GlDevice(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type,
                   const D3DCAPS8& caps, std::shared_ptr<GlContext> context)
    : DeviceBase(direct3d, adapter, type, caps),
      context_(std::move(context)),
      window_(context_->Window()) {}

GlDevice::~GlDevice() {
  if (madeFullscreen_) SDL_SetWindowFullscreen(window_, 0);
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
  // Full screen covers the desktop with the window; the desktop's mode stays.
  if (!requested.Windowed) {
    if (!(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP)) {
      CoverDisplay(window_);
      madeFullscreen_ = true;
    }
  } else if (madeFullscreen_) {
    SDL_SetWindowFullscreen(window_, 0);
    madeFullscreen_ = false;
  }

  uint32_t width = requested.BackBufferWidth;
  uint32_t height = requested.BackBufferHeight;
  if (width == 0 || height == 0) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
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
  const D3DVIEWPORT8& vp = state_.viewport;
  glViewport(static_cast<GLint>(vp.X), static_cast<GLint>(vp.Y), static_cast<GLsizei>(vp.Width),
             static_cast<GLsizei>(vp.Height));
  glDepthRange(vp.MinZ, vp.MaxZ);
  return target;
}

HRESULT GlDevice::Clear(uint32_t count, const D3DRECT* rects, uint32_t flags, D3DCOLOR color,
                        float z, uint32_t stencil) {
  if (count > 0 && !rects) return D3DERR_INVALIDCALL;
  context_->MakeCurrent();
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
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
  GLfloat rgba[4];
  ArgbToFloats(color, rgba);
  glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
  glClearDepth(std::clamp(z, 0.0f, 1.0f));
  glClearStencil(static_cast<GLint>(stencil & 0xFF));
  glEnable(GL_SCISSOR_TEST);
  for (const RECT& area : ClearAreas(count, rects)) {
    glScissor(area.left, area.top, area.right - area.left, area.bottom - area.top);
    glClear(bits);
  }
  glDisable(GL_SCISSOR_TEST);
  target->MarkDrawn();
  return D3D_OK;
}

void GlDevice::ApplyPipelineState(bool hasTexture[2]) {
  const uint32_t* rs = state_.renderStates;
  if (rs[D3DRS_ALPHABLENDENABLE]) {
    glEnable(GL_BLEND);
    GLenum source = BlendFactor(rs[D3DRS_SRCBLEND]);
    GLenum dest = BlendFactor(rs[D3DRS_DESTBLEND]);
    if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
      source = GL_SRC_ALPHA;
      dest = GL_ONE_MINUS_SRC_ALPHA;
    } else if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
      source = GL_ONE_MINUS_SRC_ALPHA;
      dest = GL_SRC_ALPHA;
    }
    glBlendFunc(source, dest);
    glBlendEquation(BlendEquation(rs[D3DRS_BLENDOP]));
  } else {
    glDisable(GL_BLEND);
  }

  // Targets are drawn with Direct3D's screen rows as GL's rows, which mirrors the winding:
  // Direct3D's clockwise is GL's counter-clockwise.
  glFrontFace(GL_CCW);
  if (rs[D3DRS_CULLMODE] == D3DCULL_CW) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
  } else if (rs[D3DRS_CULLMODE] == D3DCULL_CCW) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
  } else {
    glDisable(GL_CULL_FACE);
  }

  GlTexture* target = static_cast<GlTexture*>(RenderTargetTexture());
  if (rs[D3DRS_ZENABLE] && target->HasDepthStencil()) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(CompareFunction(rs[D3DRS_ZFUNC]));
    glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  if (rs[D3DRS_STENCILENABLE] && target->HasDepthStencil()) {
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(CompareFunction(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF] & 0xFF),
                  rs[D3DRS_STENCILMASK] & 0xFF);
    glStencilOp(StencilOperation(rs[D3DRS_STENCILFAIL]), StencilOperation(rs[D3DRS_STENCILZFAIL]),
                StencilOperation(rs[D3DRS_STENCILPASS]));
    glStencilMask(rs[D3DRS_STENCILWRITEMASK] & 0xFF);
  } else {
    glDisable(GL_STENCIL_TEST);
  }
  const bool pretransformed = (state_.vertexShader & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  if (pretransformed) {
    glEnable(GL_DEPTH_CLAMP);  // Direct3D does not clip pre-transformed vertices by depth
  } else {
    glDisable(GL_DEPTH_CLAMP);
  }
  const uint32_t fill = rs[D3DRS_FILLMODE];
  glPolygonMode(GL_FRONT_AND_BACK,
                fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
  const uint32_t mask = rs[D3DRS_COLORWRITEENABLE];
  glColorMask((mask & D3DCOLORWRITEENABLE_RED) != 0, (mask & D3DCOLORWRITEENABLE_GREEN) != 0,
              (mask & D3DCOLORWRITEENABLE_BLUE) != 0, (mask & D3DCOLORWRITEENABLE_ALPHA) != 0);

  for (int stage = 0; stage < 2; ++stage) {
    hasTexture[stage] = false;
    glActiveTexture(GL_TEXTURE0 + stage);
    GlTexture* texture = dynamic_cast<GlTexture*>(state_.textures[stage]);
    if (texture && state_.stageStates[stage][D3DTSS_COLOROP] != D3DTOP_DISABLE) {
      texture->Upload();
      glBindTexture(GL_TEXTURE_2D, texture->Name());
      const GLuint sampler = context_->Sampler(stage);
      const uint32_t* states = state_.stageStates[stage];
      const std::array<uint32_t, 7> key = {
          states[D3DTSS_MAGFILTER], states[D3DTSS_MINFILTER],   states[D3DTSS_MIPFILTER],
          states[D3DTSS_ADDRESSU],  states[D3DTSS_ADDRESSV],    states[D3DTSS_BORDERCOLOR],
          states[D3DTSS_MIPMAPLODBIAS]};
      if (!samplerKeysValid_[stage] || samplerKeys_[stage] != key) {
        SetSampler(sampler, states);
        samplerKeys_[stage] = key;
        samplerKeysValid_[stage] = true;
      }
      glBindSampler(stage, sampler);
      hasTexture[stage] = true;
    } else {
      glBindTexture(GL_TEXTURE_2D, 0);
    }
  }
  glActiveTexture(GL_TEXTURE0);
}

void GlDevice::BindVertices(const void* vertices, size_t bytes, uint32_t stride) {
  glBindVertexArray(context_->VertexArray());
  glBindBuffer(GL_ARRAY_BUFFER, context_->VertexBuffer());
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), vertices, GL_STREAM_DRAW);

  const uint32_t fvf = state_.vertexShader;
  const uint32_t position = fvf & D3DFVF_POSITION_MASK;
  const GLsizei s = static_cast<GLsizei>(stride);
  auto at = [](size_t offset) { return reinterpret_cast<const void*>(offset); };
  size_t offset = 0;
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, position == D3DFVF_XYZRHW ? 4 : 3, GL_FLOAT, GL_FALSE, s, at(0));
  offset = DeviceBase::VertexSize(position);
  if (fvf & D3DFVF_NORMAL) offset += 12;
  if (fvf & D3DFVF_PSIZE) offset += 4;
  if (fvf & D3DFVF_DIFFUSE) {
    glEnableVertexAttribArray(1);
    // 0xAARRGGBB in memory is B, G, R, A: GL's BGRA component order.
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s, at(offset));
    offset += 4;
  } else {
    glDisableVertexAttribArray(1);
    glVertexAttrib4f(1, 1.0f, 1.0f, 1.0f, 1.0f);
  }
  if (fvf & D3DFVF_SPECULAR) offset += 4;
  const uint32_t sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  for (uint32_t set = 0; set < 2; ++set) {
    const GLuint attribute = 2 + set;
    if (set < sets) {
      const GLint floats = static_cast<GLint>(DeviceBase::TexCoordFloats(fvf, set));
      glEnableVertexAttribArray(attribute);
      glVertexAttribPointer(attribute, std::min(floats, 2), GL_FLOAT, GL_FALSE, s, at(offset));
      offset += 4 * static_cast<size_t>(floats);
    } else {
      glDisableVertexAttribArray(attribute);
      glVertexAttrib4f(attribute, 0.0f, 0.0f, 0.0f, 1.0f);
    }
  }
}

HRESULT GlDevice::Draw(D3DPRIMITIVETYPE type, const void* vertices, size_t vertexBytes,
                       uint32_t stride, uint64_t count, const void* indices,
                       D3DFORMAT indexFormat) {
  context_->MakeCurrent();
  GlTexture* target = BindTarget();
  if (!target) return D3DERR_INVALIDCALL;
  bool hasTexture[2];
  ApplyPipelineState(hasTexture);
  context_->Program().Use(state_, hasTexture);
  BindVertices(vertices, vertexBytes, stride);
  if (indices) {
    const size_t indexBytes = count * (indexFormat == D3DFMT_INDEX16 ? 2 : 4);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, context_->IndexBuffer());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexBytes), indices,
                 GL_STREAM_DRAW);
    glDrawElements(PrimitiveMode(type), static_cast<GLsizei>(count),
                   indexFormat == D3DFMT_INDEX16 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT, nullptr);
  } else {
    glDrawArrays(PrimitiveMode(type), 0, static_cast<GLsizei>(count));
  }
  target->MarkDrawn();
  return D3D_OK;
}

HRESULT GlDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount,
                                  const void* vertices, uint32_t stride) {
  uint64_t vertexCount = 0;
  const HRESULT hr = CheckDraw(type, primitiveCount, vertices, stride, &vertexCount);
  if (FAILED(hr) || vertexCount == 0) return hr;
  return Draw(type, vertices, vertexCount * stride, stride, vertexCount, nullptr,
              D3DFMT_UNKNOWN);
}

HRESULT GlDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex,
                                         uint32_t vertexCount, uint32_t primitiveCount,
                                         const void* indices, D3DFORMAT indexFormat,
                                         const void* vertices, uint32_t stride) {
  uint64_t indexCount = 0;
  const HRESULT hr = CheckIndexedDraw(type, minIndex, vertexCount, primitiveCount, indices,
                                      indexFormat, vertices, stride, &indexCount);
  if (FAILED(hr) || indexCount == 0) return hr;
  const size_t vertexBytes = (static_cast<size_t>(minIndex) + vertexCount) * stride;
  return Draw(type, vertices, vertexBytes, stride, indexCount, indices, indexFormat);
}

void GlDevice::BlitLetterboxed(uint32_t drawFramebuffer, int width, int height) {
  GlTexture* backBuffer = static_cast<GlTexture*>(BackBufferTexture());
  backBuffer->Upload();
  const GLuint source = backBuffer->Framebuffer(PresentParameters().EnableAutoDepthStencil != 0);
  const PresentTransform t = PresentTransform::Compute(
      static_cast<int>(backBuffer->Width()), static_cast<int>(backBuffer->Height()), width, height);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFramebuffer);
  glDisable(GL_SCISSOR_TEST);
  glViewport(0, 0, width, height);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  if (!source || t.Empty()) return;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
  const bool scaled = t.width != static_cast<int>(backBuffer->Width()) ||
                      t.height != static_cast<int>(backBuffer->Height());
  // The back buffer's row 0 is its top row; GL's window rows count from the bottom.
  glBlitFramebuffer(0, 0, static_cast<GLint>(backBuffer->Width()),
                    static_cast<GLint>(backBuffer->Height()), t.x, height - t.y, t.x + t.width,
                    height - t.y - t.height, GL_COLOR_BUFFER_BIT, scaled ? GL_LINEAR : GL_NEAREST);
}

HRESULT GlDevice::Present(const RECT*, const RECT*, HWND, const void*) {
  context_->MakeCurrent();
  int windowWidth = 0, windowHeight = 0, drawableWidth = 0, drawableHeight = 0;
  SDL_GetWindowSize(window_, &windowWidth, &windowHeight);
  SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
  lastTransform_ = PresentTransform::Compute(static_cast<int>(BackBufferTexture()->Width()),
                                             static_cast<int>(BackBufferTexture()->Height()),
                                             windowWidth, windowHeight);
  CurrentPresentTransformStorage() = lastTransform_;
  // A minimised window has nothing to show.
  if (drawableWidth <= 0 || drawableHeight <= 0) return D3D_OK;
  BlitLetterboxed(0, drawableWidth, drawableHeight);
  SDL_GL_SwapWindow(window_);
  return D3D_OK;
}

bool GlDevice::ComposeWindowImage(std::vector<uint32_t>* pixels, int* width, int* height) {
  context_->MakeCurrent();
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window_, &w, &h);
  if (w <= 0 || h <= 0) return false;
  GLuint texture = 0, framebuffer = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    BlitLetterboxed(framebuffer, w, h);
    std::vector<uint32_t> bottomUp(static_cast<size_t>(w) * h);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, bottomUp.data());
    pixels->resize(bottomUp.size());
    for (int y = 0; y < h; ++y) {
      std::memcpy(pixels->data() + static_cast<size_t>(y) * w,
                  bottomUp.data() + static_cast<size_t>(h - 1 - y) * w, sizeof(uint32_t) * w);
    }
    *width = w;
    *height = h;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteTextures(1, &texture);
  return complete;
}

}  // namespace d3d8
