#include "platform/d3d8/Texture.h"

#include <algorithm>

namespace d3d8 {

Texture::Texture(IDirect3DDevice8* device, uint32_t width, uint32_t height, uint32_t levels,
                 uint32_t usage, D3DFORMAT format, D3DPOOL pool)
    : device_(device), usage_(usage), pool_(pool) {
  levels_.resize(levels);
  surfaces_.resize(levels);
  for (uint32_t i = 0; i < levels; ++i) {
    levels_[i].Allocate(format, LevelSize(width, i), LevelSize(height, i));
  }
}

Texture::~Texture() = default;

uint32_t Texture::AddRef() { return ++refs_; }

uint32_t Texture::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Texture::GetDevice(IDirect3DDevice8** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = device_;
  device_->AddRef();
  return D3D_OK;
}

HRESULT Texture::GetLevelDesc(uint32_t level, D3DSURFACE_DESC* desc) {
  if (level >= levels_.size() || !desc) return D3DERR_INVALIDCALL;
  levels_[level].Describe(desc, D3DRTYPE_SURFACE, usage_, pool_);
  return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(uint32_t level, IDirect3DSurface8** surface) {
  if (level >= levels_.size() || !surface) return D3DERR_INVALIDCALL;
  if (!surfaces_[level]) surfaces_[level] = std::make_unique<ChildSurface>(this, level);
  *surface = surfaces_[level].get();
  AddRef();
  return D3D_OK;
}

HRESULT Texture::LockRect(uint32_t level, D3DLOCKED_RECT* locked, const RECT* rect,
                          uint32_t flags) {
  if (level >= levels_.size() || !locked || levels_[level].IsLocked()) {
    return D3DERR_INVALIDCALL;
  }
  BeforeLock(level, flags);
  return levels_[level].Lock(locked, rect, flags);
}

HRESULT Texture::UnlockRect(uint32_t level) {
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  SurfaceMemory& memory = levels_[level];
  if (!memory.IsLocked()) return D3DERR_INVALIDCALL;
  const RECT area = memory.LockedArea();
  const uint32_t flags = memory.LockFlags();
  memory.Unlock();
  if ((flags & (D3DLOCK_READONLY | D3DLOCK_NO_DIRTY_UPDATE)) == 0) AfterChange(level, area);
  return D3D_OK;
}

HRESULT Texture::AddDirtyRect(const RECT* rect) {
  RECT area{0, 0, static_cast<int32_t>(Width()), static_cast<int32_t>(Height())};
  if (rect) {
    area.left = std::max(rect->left, 0);
    area.top = std::max(rect->top, 0);
    area.right = std::min(rect->right, area.right);
    area.bottom = std::min(rect->bottom, area.bottom);
    if (area.left >= area.right || area.top >= area.bottom) return D3D_OK;
  }
  AfterChange(0, area);
  return D3D_OK;
}

}  // namespace d3d8
