#include "platform/d3d8/RenderToSurface.h"

namespace d3d8 {

RenderToSurface::RenderToSurface(IDirect3DDevice8* device, const D3DXRTS_DESC& desc)
    : device_(device), desc_(desc) {
  device_->AddRef();
}

RenderToSurface::~RenderToSurface() {
  if (savedTarget_) EndScene();
  device_->Release();
}

uint32_t RenderToSurface::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT RenderToSurface::GetDevice(IDirect3DDevice8** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = device_;
  device_->AddRef();
  return D3D_OK;
}

HRESULT RenderToSurface::GetDesc(D3DXRTS_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = desc_;
  return D3D_OK;
}

HRESULT RenderToSurface::BeginScene(IDirect3DSurface8* surface, const D3DVIEWPORT8* viewport) {
  if (!surface || savedTarget_) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc;
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  if (desc.Width != desc_.Width || desc.Height != desc_.Height) return D3DERR_INVALIDCALL;

  IDirect3DSurface8* previous = nullptr;
  hr = device_->GetRenderTarget(&previous);
  if (FAILED(hr)) return hr;
  device_->GetViewport(&savedViewport_);
  hr = device_->SetRenderTarget(surface, nullptr);
  if (FAILED(hr)) {
    previous->Release();
    return hr;
  }
  const D3DVIEWPORT8 whole{0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
  hr = device_->SetViewport(viewport ? viewport : &whole);
  if (SUCCEEDED(hr)) hr = device_->BeginScene();
  if (FAILED(hr)) {
    device_->SetRenderTarget(previous, nullptr);
    device_->SetViewport(&savedViewport_);
    previous->Release();
    return hr;
  }
  savedTarget_ = previous;
  return D3D_OK;
}

HRESULT RenderToSurface::EndScene() {
  if (!savedTarget_) return D3DERR_INVALIDCALL;
  const HRESULT hr = device_->EndScene();
  device_->SetRenderTarget(savedTarget_, nullptr);
  device_->SetViewport(&savedViewport_);
  savedTarget_->Release();
  savedTarget_ = nullptr;
  return hr;
}

}  // namespace d3d8

HRESULT D3DXCreateRenderToSurface(IDirect3DDevice8* device, uint32_t width, uint32_t height,
                                  D3DFORMAT format, int32_t depthStencil,
                                  D3DFORMAT depthStencilFormat,
                                  ID3DXRenderToSurface** renderToSurface) {
  if (!device || !renderToSurface || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  *renderToSurface = nullptr;
  // Depth buffers exist only for the back buffer of this layer.
  if (depthStencil) return D3DERR_NOTAVAILABLE;
  const D3DXRTS_DESC desc{width, height, format, depthStencil, depthStencilFormat};
  *renderToSurface = new d3d8::RenderToSurface(device, desc);
  return D3D_OK;
}
