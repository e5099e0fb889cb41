#pragma once

#include <memory>
#include <vector>

#include "platform/d3d8/Texture.h"

namespace d3d8 {

class GlContext;

// A texture of the OpenGL device: the levels in memory (what LockRect hands out, in the
// texture's own format) mirrored into a GL texture. Changes made through locks reach GL
// before the texture is next drawn with or into; a render target that GL drew into is
// read back before a lock hands its memory out.
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
  // GL drew into level 0: its memory is stale until read back.
  void MarkDrawn() { drawn_ = true; }

 protected:
  void BeforeLock(uint32_t level, uint32_t flags) override;
  void AfterChange(uint32_t level, const RECT& area) override;

 private:
  ~GlTexture() override;
  void ReadBack();

  std::shared_ptr<GlContext> context_;
  uint32_t name_ = 0;
  uint32_t framebuffer_ = 0;
  uint32_t depthStencil_ = 0;
  bool framebufferChecked_ = false;
  bool framebufferComplete_ = false;
  bool drawn_ = false;
  std::vector<RECT> dirty_;  // per level; empty rectangle when clean
};

}  // namespace d3d8
