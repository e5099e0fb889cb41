#pragma once

#include "platform/d3d8/SurfaceBase.h"
#include "platform/d3d8/SurfaceMemory.h"

namespace d3d8 {

// A stand-alone lockable surface in system memory (CreateImageSurface).
class MemorySurface final : public SurfaceBase {
 public:
  // Throws std::bad_alloc when the memory cannot be had; starts with one reference.
  MemorySurface(IDirect3DDevice8* device, uint32_t width, uint32_t height, D3DFORMAT format);

  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override;
  HRESULT GetDevice(IDirect3DDevice8** device) override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, uint32_t flags) override {
    return memory_.Lock(locked, rect, flags);
  }
  HRESULT UnlockRect() override { return memory_.Unlock(); }

  SurfaceMemory& Memory() { return memory_; }

 private:
  ~MemorySurface() override = default;

  IDirect3DDevice8* device_;
  uint32_t refs_ = 1;
  SurfaceMemory memory_;
};

}  // namespace d3d8
