#pragma once

#include "platform/d3d8/SurfaceBase.h"

namespace d3d8 {

// The surface of a texture level or cube face level. It has no reference count of its
// own: it shares its owner's, as Direct3D's level surfaces do.
class ChildSurface final : public SurfaceBase {
 public:
  ChildSurface(SurfaceHost* host, uint32_t index) : host_(host), index_(index) {}
  ~ChildSurface() override = default;

  uint32_t AddRef() override { return host_->AddRef(); }
  uint32_t Release() override { return host_->Release(); }
  HRESULT GetDevice(IDirect3DDevice8** device) override { return host_->GetHostDevice(device); }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override { return host_->DescribeChild(index_, desc); }
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, uint32_t flags) override {
    return host_->LockChild(index_, locked, rect, flags);
  }
  HRESULT UnlockRect() override { return host_->UnlockChild(index_); }

  Texture* ParentTexture() override { return host_->ChildTexture(); }
  uint32_t ParentLevel() const override { return index_; }

 private:
  SurfaceHost* host_;
  uint32_t index_;
};

}  // namespace d3d8
