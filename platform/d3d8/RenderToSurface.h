#pragma once

#include "platform/d3d8/D3DX8.h"

namespace d3d8 {

// D3DX's render-to-surface object: BeginScene saves the device's render target and
// viewport, makes the surface (a level-0 surface of a D3DUSAGE_RENDERTARGET texture of the
// same device) the target with the given or the whole viewport and begins a scene;
// EndScene ends it and puts target and viewport back. It holds a reference to the device.
class RenderToSurface final : public ID3DXRenderToSurface {
 public:
  RenderToSurface(IDirect3DDevice8* device, const D3DXRTS_DESC& desc);

  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override;
  HRESULT GetDevice(IDirect3DDevice8** device) override;
  HRESULT GetDesc(D3DXRTS_DESC* desc) override;
  HRESULT BeginScene(IDirect3DSurface8* surface, const D3DVIEWPORT8* viewport) override;
  HRESULT EndScene() override;

 private:
  ~RenderToSurface() override;

  IDirect3DDevice8* device_;
  D3DXRTS_DESC desc_;
  uint32_t refs_ = 1;
  IDirect3DSurface8* savedTarget_ = nullptr;  // non-null between BeginScene and EndScene
  D3DVIEWPORT8 savedViewport_{};
};

}  // namespace d3d8
