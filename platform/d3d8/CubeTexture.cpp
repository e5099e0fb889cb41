#include "platform/d3d8/CubeTexture.h"

namespace d3d8 {

CubeTexture::CubeTexture(IDirect3DDevice8* device, uint32_t edgeLength, uint32_t levels,
                         uint32_t usage, D3DFORMAT format, D3DPOOL pool)
    : device_(device), usage_(usage), pool_(pool), levelCount_(levels) {
  faces_.resize(6 * levels);
  surfaces_.resize(6 * levels);
  for (uint32_t face = 0; face < 6; ++face) {
    for (uint32_t level = 0; level < levels; ++level) {
      const uint32_t size = LevelSize(edgeLength, level);
      faces_[face * levels + level].Allocate(format, size, size);
    }
  }
}

uint32_t CubeTexture::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT CubeTexture::GetDevice(IDirect3DDevice8** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = device_;
  device_->AddRef();
  return D3D_OK;
}

HRESULT CubeTexture::GetLevelDesc(uint32_t level, D3DSURFACE_DESC* desc) {
  if (level >= levelCount_ || !desc) return D3DERR_INVALIDCALL;
  faces_[level].Describe(desc, D3DRTYPE_SURFACE, usage_, pool_);
  return D3D_OK;
}

HRESULT CubeTexture::GetCubeMapSurface(D3DCUBEMAP_FACES face, uint32_t level,
                                       IDirect3DSurface8** surface) {
  if (!Valid(face, level) || !surface) return D3DERR_INVALIDCALL;
  const uint32_t index = face * levelCount_ + level;
  if (!surfaces_[index]) surfaces_[index] = std::make_unique<ChildSurface>(this, index);
  *surface = surfaces_[index].get();
  AddRef();
  return D3D_OK;
}

HRESULT CubeTexture::LockRect(D3DCUBEMAP_FACES face, uint32_t level, D3DLOCKED_RECT* locked,
                              const RECT* rect, uint32_t flags) {
  if (!Valid(face, level)) return D3DERR_INVALIDCALL;
  return Face(face, level).Lock(locked, rect, flags);
}

HRESULT CubeTexture::UnlockRect(D3DCUBEMAP_FACES face, uint32_t level) {
  if (!Valid(face, level)) return D3DERR_INVALIDCALL;
  return Face(face, level).Unlock();
}

HRESULT CubeTexture::DescribeChild(uint32_t index, D3DSURFACE_DESC* desc) {
  if (index >= faces_.size() || !desc) return D3DERR_INVALIDCALL;
  faces_[index].Describe(desc, D3DRTYPE_SURFACE, usage_, pool_);
  return D3D_OK;
}

HRESULT CubeTexture::LockChild(uint32_t index, D3DLOCKED_RECT* locked, const RECT* rect,
                               uint32_t flags) {
  if (index >= faces_.size()) return D3DERR_INVALIDCALL;
  return faces_[index].Lock(locked, rect, flags);
}

HRESULT CubeTexture::UnlockChild(uint32_t index) {
  if (index >= faces_.size()) return D3DERR_INVALIDCALL;
  return faces_[index].Unlock();
}

}  // namespace d3d8
