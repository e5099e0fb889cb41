#pragma once

#include <memory>
#include <vector>

#include "platform/d3d8/AlphaTestReach.h"
#include "platform/d3d8/Texture.h"

namespace d3d8 {

class GlContext;

// A texture of the OpenGL device: the levels in memory (what LockRect hands out, in the
// texture's own format) mirrored into a GL texture. Changes made through locks reach GL
// before the texture is next drawn with or into; a render target that GL drew into is
// read back before a lock hands its memory out. Draws the device holds back are sent
// before the texture's memory or GL object changes.
class GlTexture final : public Texture {
 public:
  // Throws std::bad_alloc when the memory cannot be had.
  GlTexture(IDirect3DDevice8* device, std::shared_ptr<GlContext> context, uint32_t width,
            uint32_t height, uint32_t levels, uint32_t usage, D3DFORMAT format, D3DPOOL pool);

  uint32_t Name() const { return name_; }
  // Sends the changed parts of the levels to GL.
  void Upload();
  // The framebuffer that draws into level 0 (render targets only), made on first use;
  // 0 when GL refuses it. withDepthStencil adds a depth and stencil buffer (the back
  // buffer of a device made with EnableAutoDepthStencil).
  uint32_t Framebuffer(bool withDepthStencil = false);
  bool HasDepthStencil() const { return depthStencil_ != 0; }
  // What the depth buffer holds, where every value is the same: the value of the latest
  // clear of all of it, until a draw writes depth or a part is cleared to another value.
  // It starts cleared to 1 (with the stencil at 0).
  bool UniformDepth(float* depth) const {
    *depth = uniformDepth_;
    return uniformDepthKnown_;
  }
  void NoteDepthCleared(float depth, bool whole) {
    uniformDepthKnown_ = whole || (uniformDepthKnown_ && depth == uniformDepth_);
    uniformDepth_ = depth;
  }
  void NoteDepthWritten() { uniformDepthKnown_ = false; }
  // GL drew into level 0: its memory is stale until read back, and its alpha values are
  // no longer known.
  void MarkDrawn() {
    drawn_ = true;
    alpha_[0] = TexelAlpha{};
  }
  // The alpha values GL holds for the texture (as of the last Upload).
  TexelAlpha Alpha() const;

 protected:
  void BeforeLock(uint32_t level, uint32_t flags) override;
  void AfterChange(uint32_t level, const RECT& area) override;

 private:
  ~GlTexture() override;
  void ReadBack();
  // Records the alpha values of pixels uploaded to an area of a level.
  void NoteAlpha(uint32_t level, const RECT& area, const std::vector<uint32_t>& pixels);
  // Sends the draws the device holds back (they may read this texture as it is).
  void FlushDraws();

  std::shared_ptr<GlContext> context_;
  uint32_t name_ = 0;
  uint32_t framebuffer_ = 0;
  uint32_t depthStencil_ = 0;
  bool uniformDepthKnown_ = false;
  float uniformDepth_ = 1.0f;
  bool framebufferChecked_ = false;
  bool framebufferComplete_ = false;
  bool drawn_ = false;
  std::vector<RECT> dirty_;  // per level; empty rectangle when clean
  std::vector<TexelAlpha> alpha_;  // per level, as uploaded
};

}  // namespace d3d8
