#include "platform/d3d8/MemorySurface.h"

namespace d3d8 {

MemorySurface::MemorySurface(IDirect3DDevice8* device, uint32_t width, uint32_t height,
                             D3DFORMAT format)
    : device_(device) {
  memory_.Allocate(format, width, height);
}

uint32_t MemorySurface::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT MemorySurface::GetDevice(IDirect3DDevice8** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = device_;
  device_->AddRef();
  return D3D_OK;
}

HRESULT MemorySurface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  memory_.Describe(desc, D3DRTYPE_SURFACE, 0, D3DPOOL_SYSTEMMEM);
  return D3D_OK;
}

}  // namespace d3d8
