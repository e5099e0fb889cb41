#include "platform/d3d8/GlTexture.h"

#include <algorithm>

#include "platform/d3d8/GlContext.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/PixelFormat.h"

namespace d3d8 {

namespace {

bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

}  // namespace

GlTexture::GlTexture(IDirect3DDevice8* device, std::shared_ptr<GlContext> context,
                     uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                     D3DFORMAT format, D3DPOOL pool)
    : Texture(device, width, height, levels, usage, format, pool), context_(std::move(context)) {
  context_->MakeCurrent();
  GLuint name = 0;
  glGenTextures(1, &name);
  name_ = name;
  context_->State().BindTextureForUpdate(name_);
  // Formats without alpha are kept without it, so that blending reads a destination alpha
  // of one from them as Direct3D does.
  const GLint internalFormat = FormatHasAlpha(format) ? GL_RGBA8 : GL_RGB8;
  for (uint32_t i = 0; i < levels; ++i) {
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), internalFormat,
                 static_cast<GLsizei>(Level(i).Width()), static_cast<GLsizei>(Level(i).Height()),
                 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
  if (format == D3DFMT_A8) {
    // An alpha-only target is drawn with colour too; it reads back as black.
    const GLint swizzle[4] = {GL_ZERO, GL_ZERO, GL_ZERO, GL_ALPHA};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
  }
  // The memory starts zeroed; GL's storage is undefined until it gets it.
  dirty_.resize(levels);
  alpha_.resize(levels);
  for (uint32_t i = 0; i < levels; ++i) {
    dirty_[i] = RECT{0, 0, static_cast<int32_t>(Level(i).Width()),
                     static_cast<int32_t>(Level(i).Height())};
  }
}

GlTexture::~GlTexture() {
  FlushDraws();
  context_->MakeCurrent();
  GLuint name = name_;
  glDeleteTextures(1, &name);
  context_->State().ForgetTexture(name_);
  if (framebuffer_) {
    GLuint fb = framebuffer_;
    glDeleteFramebuffers(1, &fb);
    context_->State().ForgetFramebuffer(framebuffer_);
  }
  if (depthStencil_) {
    GLuint rb = depthStencil_;
    glDeleteRenderbuffers(1, &rb);
  }
}

void GlTexture::FlushDraws() { context_->FlushDraws(); }

TexelAlpha GlTexture::Alpha() const {
  if (!FormatHasAlpha(Format())) return TexelAlpha::Opaque();
  TexelAlpha alpha = alpha_[0];
  for (size_t level = 1; level < alpha_.size(); ++level) alpha.Include(alpha_[level]);
  return alpha;
}

void GlTexture::AfterChange(uint32_t level, const RECT& area) {
  FlushDraws();
  RECT& dirty = dirty_[level];
  if (IsEmpty(dirty)) {
    dirty = area;
  } else {
    dirty.left = std::min(dirty.left, area.left);
    dirty.top = std::min(dirty.top, area.top);
    dirty.right = std::max(dirty.right, area.right);
    dirty.bottom = std::max(dirty.bottom, area.bottom);
  }
}

void GlTexture::Upload() {
  bool bound = false;
  std::vector<uint32_t> pixels;
  for (uint32_t level = 0; level < dirty_.size(); ++level) {
    RECT area = dirty_[level];
    if (IsEmpty(area)) continue;
    dirty_[level] = RECT{};
    SurfaceMemory& memory = Level(level);
    const D3DFORMAT format = memory.Format();
    if (IsCompressedFormat(format)) {
      // Whole blocks only.
      area.left &= ~3;
      area.top &= ~3;
    }
    const uint8_t* src = memory.Bits() + memory.Offset(static_cast<uint32_t>(area.left),
                                                       static_cast<uint32_t>(area.top));
    const uint32_t width = static_cast<uint32_t>(area.right - area.left);
    const uint32_t height = static_cast<uint32_t>(area.bottom - area.top);
    pixels.resize(static_cast<size_t>(width) * height);
    DecodePixels(format, src, memory.Pitch(), width, height, pixels.data());
    NoteAlpha(level, area, pixels);
    if (!bound) {
      context_->MakeCurrent();
      context_->State().BindTextureForUpdate(name_);
      bound = true;
    }
    glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), area.left, area.top,
                    static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                    GL_UNSIGNED_BYTE, pixels.data());
  }
}

uint32_t GlTexture::Framebuffer(bool withDepthStencil) {
  if (!IsRenderTarget()) return 0;
  context_->MakeCurrent();
  if (!framebuffer_) {
    GLuint fb = 0;
    glGenFramebuffers(1, &fb);
    context_->State().BindFramebuffer(fb);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name_, 0);
    framebuffer_ = fb;
    framebufferChecked_ = false;
  }
  if (withDepthStencil && !depthStencil_) {
    GLuint rb = 0;
    glGenRenderbuffers(1, &rb);
    glBindRenderbuffer(GL_RENDERBUFFER, rb);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(Width()),
                          static_cast<GLsizei>(Height()));
    GlStateCache& gl = context_->State();
    gl.BindFramebuffer(framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, rb);
    depthStencil_ = rb;
    framebufferChecked_ = false;
    // Known contents from the start (Direct3D leaves them undefined).
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
      gl.Enable(GlStateCache::kScissorTest, false);
      gl.DepthMask(true);
      gl.StencilMask(0xFF);
      gl.ClearDepth(1.0f);
      gl.ClearStencil(0);
      glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
      NoteDepthCleared(1.0f, true);
    }
  }
  context_->State().BindFramebuffer(framebuffer_);
  if (!framebufferChecked_) {
    framebufferComplete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    framebufferChecked_ = true;
  }
  return framebufferComplete_ ? framebuffer_ : 0;
}

void GlTexture::BeforeLock(uint32_t level, uint32_t flags) {
  FlushDraws();
  if (level == 0 && drawn_ && !(flags & D3DLOCK_DISCARD)) ReadBack();
  drawn_ = drawn_ && level != 0;
}

void GlTexture::NoteAlpha(uint32_t level, const RECT& area, const std::vector<uint32_t>& pixels) {
  if (!FormatHasAlpha(Format())) return;
  TexelAlpha seen{true, 255, 0, 255};
  for (uint32_t pixel : pixels) {
    const uint8_t alpha = static_cast<uint8_t>(pixel >> 24);
    seen.min = std::min(seen.min, alpha);
    seen.max = std::max(seen.max, alpha);
    if (alpha > 0) seen.minNonZero = std::min(seen.minNonZero, alpha);
  }
  const SurfaceMemory& memory = Level(level);
  const bool whole = area.left == 0 && area.top == 0 &&
                     area.right == static_cast<int32_t>(memory.Width()) &&
                     area.bottom == static_cast<int32_t>(memory.Height());
  // A part of the level adds its values to those known of the rest, which may since have
  // been overwritten: the range stays wide enough, if wider than needed.
  if (whole) {
    alpha_[level] = seen;
  } else {
    alpha_[level].Include(seen);
  }
}

void GlTexture::ReadBack() {
  drawn_ = false;
  const GLuint fb = Framebuffer(HasDepthStencil());
  if (!fb) return;
  SurfaceMemory& memory = Level(0);
  std::vector<uint32_t> pixels(static_cast<size_t>(memory.Width()) * memory.Height());
  context_->State().BindReadFramebuffer(fb);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glReadPixels(0, 0, static_cast<GLsizei>(memory.Width()), static_cast<GLsizei>(memory.Height()),
               GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
  EncodePixels(memory.Format(), pixels.data(), memory.Width(), memory.Height(), memory.Bits(),
               memory.Pitch());
}

}  // namespace d3d8
