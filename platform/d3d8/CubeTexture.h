#pragma once

#include <memory>
#include <vector>

#include "platform/d3d8/ChildSurface.h"
#include "platform/d3d8/SurfaceMemory.h"

namespace d3d8 {

// A cube texture whose six faces live in memory. Both devices make this kind; the drawing
// pipeline samples 2-D textures only, so a cube texture bound to a stage draws as if no
// texture were bound.
class CubeTexture final : public IDirect3DCubeTexture8, public SurfaceHost {
 public:
  // Throws std::bad_alloc when the memory cannot be had; starts with one reference.
  CubeTexture(IDirect3DDevice8* device, uint32_t edgeLength, uint32_t levels, uint32_t usage,
              D3DFORMAT format, D3DPOOL pool);

  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override;
  HRESULT GetDevice(IDirect3DDevice8** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
  uint32_t GetLevelCount() override { return levelCount_; }
  HRESULT GetLevelDesc(uint32_t level, D3DSURFACE_DESC* desc) override;
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, uint32_t level,
                            IDirect3DSurface8** surface) override;
  HRESULT LockRect(D3DCUBEMAP_FACES face, uint32_t level, D3DLOCKED_RECT* locked,
                   const RECT* rect, uint32_t flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, uint32_t level) override;

  HRESULT GetHostDevice(IDirect3DDevice8** device) override { return GetDevice(device); }
  HRESULT DescribeChild(uint32_t index, D3DSURFACE_DESC* desc) override;
  HRESULT LockChild(uint32_t index, D3DLOCKED_RECT* locked, const RECT* rect,
                    uint32_t flags) override;
  HRESULT UnlockChild(uint32_t index) override;

  SurfaceMemory& Face(D3DCUBEMAP_FACES face, uint32_t level) {
    return faces_[face * levelCount_ + level];
  }

 private:
  ~CubeTexture() override = default;
  bool Valid(D3DCUBEMAP_FACES face, uint32_t level) const {
    return face <= D3DCUBEMAP_FACE_NEGATIVE_Z && level < levelCount_;
  }

  IDirect3DDevice8* device_;
  uint32_t usage_;
  D3DPOOL pool_;
  uint32_t levelCount_;
  uint32_t refs_ = 1;
  std::vector<SurfaceMemory> faces_;  // face-major: face * levels + level
  std::vector<std::unique_ptr<ChildSurface>> surfaces_;
};

}  // namespace d3d8
