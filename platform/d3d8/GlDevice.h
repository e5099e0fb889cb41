#pragma once

#include <array>
#include <memory>
#include <vector>

#include "platform/d3d8/DeviceBase.h"
#include "platform/d3d8/PresentTransform.h"

struct SDL_Window;

namespace d3d8 {

class GlContext;
class GlTexture;

// The device of the OpenGL back end. It draws into a framebuffer object of the back
// buffer's size (the game's size, whatever the window's) and presents it scaled uniformly
// and centred in the window, with black bars, so that a full-screen device never changes
// the desktop's mode: a full-screen request makes the window cover the desktop instead.
// OpenGL does not lose devices: TestCooperativeLevel reports D3D_OK and Reset rebuilds
// the back buffer for the new parameters.
class GlDevice final : public DeviceBase {
 public:
  static HRESULT Create(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type,
                        const D3DCAPS8& caps, HWND focusWindow,
                        D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device);

  HRESULT TestCooperativeLevel() override { return D3D_OK; }
  // D3D_OK once the back buffer of the new parameters exists and can be drawn into;
  // otherwise the device keeps its previous back buffer and reports the failure.
  HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                  const void* dirtyRegion) override;
  HRESULT Clear(uint32_t count, const D3DRECT* rects, uint32_t flags, D3DCOLOR color, float z,
                uint32_t stencil) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount, const void* vertices,
                          uint32_t stride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t vertexCount,
                                 uint32_t primitiveCount, const void* indices,
                                 D3DFORMAT indexFormat, const void* vertices,
                                 uint32_t stride) override;

  // Where the latest Present put the back buffer, in window coordinates.
  const PresentTransform& LastPresentTransform() const { return lastTransform_; }
  // The picture Present puts in the window (back buffer letterboxed at the window's
  // drawable size), composed again off screen and read back: rows top first, 0xAARRGGBB.
  bool ComposeWindowImage(std::vector<uint32_t>* pixels, int* width, int* height);

 protected:
  Texture* MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                       D3DFORMAT format, D3DPOOL pool) override;

 private:
  GlDevice(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type, const D3DCAPS8& caps,
           std::shared_ptr<GlContext> context);
  ~GlDevice() override;

  HRESULT Configure(const D3DPRESENT_PARAMETERS& requested, D3DPRESENT_PARAMETERS* applied);
  // Binds the render target's framebuffer with the viewport; null when it cannot be drawn.
  GlTexture* BindTarget();
  // Blend, cull, depth and fill states and the stage textures; tells which stages have a
  // texture.
  void ApplyPipelineState(bool hasTexture[2]);
  void BindVertices(const void* vertices, size_t bytes, uint32_t stride);
  HRESULT Draw(D3DPRIMITIVETYPE type, const void* vertices, size_t vertexBytes, uint32_t stride,
               uint64_t count, const void* indices, D3DFORMAT indexFormat);
  // Clears drawFramebuffer (of the given size) to black and blits the back buffer into it
  // letterboxed; the back buffer's top row lands at the top.
  void BlitLetterboxed(uint32_t drawFramebuffer, int width, int height);

  std::shared_ptr<GlContext> context_;
  // The stage states each stage's sampler object was last set from: Mesa rebuilds its
  // sampler state on every parameter call, so parameters are set only when they change.
  std::array<std::array<uint32_t, 7>, 2> samplerKeys_{};
  std::array<bool, 2> samplerKeysValid_{};
  SDL_Window* window_;
  bool madeFullscreen_ = false;
  PresentTransform lastTransform_;
};

}  // namespace d3d8
