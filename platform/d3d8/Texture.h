#pragma once

#include <memory>
#include <vector>

#include "platform/d3d8/ChildSurface.h"
#include "platform/d3d8/SurfaceMemory.h"

namespace d3d8 {

// A 2-D texture whose levels live in memory. The recording device uses it as it is; the
// OpenGL device derives from it and mirrors the levels into a GL texture.
class Texture : public IDirect3DTexture8, public SurfaceHost {
 public:
  // levels must be between 1 and the full chain; throws std::bad_alloc when the memory
  // cannot be had. The texture starts with one reference. It does not hold a reference to
  // the device, which must outlive it for GetDevice.
  Texture(IDirect3DDevice8* device, uint32_t width, uint32_t height, uint32_t levels,
          uint32_t usage, D3DFORMAT format, D3DPOOL pool);

  uint32_t AddRef() override;
  uint32_t Release() override;
  HRESULT GetDevice(IDirect3DDevice8** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  uint32_t GetLevelCount() override { return static_cast<uint32_t>(levels_.size()); }
  HRESULT GetLevelDesc(uint32_t level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(uint32_t level, IDirect3DSurface8** surface) override;
  HRESULT LockRect(uint32_t level, D3DLOCKED_RECT* locked, const RECT* rect,
                   uint32_t flags) override;
  HRESULT UnlockRect(uint32_t level) override;
  HRESULT AddDirtyRect(const RECT* rect) override;

  HRESULT GetHostDevice(IDirect3DDevice8** device) override { return GetDevice(device); }
  HRESULT DescribeChild(uint32_t index, D3DSURFACE_DESC* desc) override {
    return GetLevelDesc(index, desc);
  }
  HRESULT LockChild(uint32_t index, D3DLOCKED_RECT* locked, const RECT* rect,
                    uint32_t flags) override {
    return LockRect(index, locked, rect, flags);
  }
  HRESULT UnlockChild(uint32_t index) override { return UnlockRect(index); }
  Texture* ChildTexture() override { return this; }

  uint32_t Width() const { return levels_[0].Width(); }
  uint32_t Height() const { return levels_[0].Height(); }
  D3DFORMAT Format() const { return levels_[0].Format(); }
  uint32_t Usage() const { return usage_; }
  D3DPOOL Pool() const { return pool_; }
  bool IsRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
  // The memory of a level as it stands (a device brings it up to date before reading).
  SurfaceMemory& Level(uint32_t level) { return levels_[level]; }
  uint32_t RefCount() const { return refs_; }

 protected:
  ~Texture() override;

  // Hooks of the OpenGL texture: a lock that is about to hand out the memory, and an
  // unlock or dirty rectangle that changed it.
  virtual void BeforeLock(uint32_t level, uint32_t flags) {}
  virtual void AfterChange(uint32_t level, const RECT& area) {}

 private:
  IDirect3DDevice8* device_;
  uint32_t usage_;
  D3DPOOL pool_;
  uint32_t refs_ = 1;
  std::vector<SurfaceMemory> levels_;
  std::vector<std::unique_ptr<ChildSurface>> surfaces_;
};

}  // namespace d3d8
