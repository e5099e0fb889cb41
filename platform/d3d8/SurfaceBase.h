#pragma once

#include "platform/d3d8/D3D8.h"

namespace d3d8 {

class Texture;

// Every surface of the layer derives from this, so that a device can tell what a surface
// handed back to it belongs to (a render-target texture level, the back buffer, ...).
class SurfaceBase : public IDirect3DSurface8 {
 public:
  // The texture whose level this surface is, or null for a stand-alone surface.
  virtual Texture* ParentTexture() { return nullptr; }
  virtual uint32_t ParentLevel() const { return 0; }
};

// What a surface that is part of a larger object (a texture level, a cube face level)
// forwards to: the owner's reference count, device, description and locks.
class SurfaceHost {
 public:
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;
  virtual HRESULT GetHostDevice(IDirect3DDevice8** device) = 0;
  virtual HRESULT DescribeChild(uint32_t index, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT LockChild(uint32_t index, D3DLOCKED_RECT* locked, const RECT* rect,
                            uint32_t flags) = 0;
  virtual HRESULT UnlockChild(uint32_t index) = 0;
  virtual Texture* ChildTexture() { return nullptr; }

 protected:
  virtual ~SurfaceHost() = default;
};

}  // namespace d3d8
