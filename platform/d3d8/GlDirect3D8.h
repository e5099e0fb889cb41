#pragma once

#include <string>

#include "platform/d3d8/D3D8.h"

namespace d3d8 {

// What OpenGL tells about the machine's drawing, read once per process from a probing
// context.
struct GlInfo {
  bool available = false;  // an OpenGL 3.3 core context could be made
  std::string vendor;      // GL_VENDOR
  std::string renderer;    // GL_RENDERER
  std::string version;     // GL_VERSION
  int major = 0;
  int minor = 0;
  uint32_t maxTextureSize = 0;  // GL_MAX_TEXTURE_SIZE, at most 16384
};

// The probe's result (made on first call; SDL's video must be initialised).
const GlInfo& QueryGlInfo();

// The Direct3D object of the OpenGL back end: one adapter, described by what OpenGL
// tells (description GL_RENDERER, driver GL_VENDOR and GL_VERSION, driver version
// [GL major << 16 | minor, driver x << 16 | y << 8 | z]), the display modes of SDL's
// first display, and devices that are GlDevices.
class GlDirect3D8 final : public IDirect3D8 {
 public:
  // SDL's video subsystem must have been initialised for this object (it is shut down
  // with the last reference).
  explicit GlDirect3D8(const GlInfo& info);

  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override;

  uint32_t GetAdapterCount() override { return 1; }
  HRESULT GetAdapterIdentifier(uint32_t adapter, uint32_t flags,
                               D3DADAPTER_IDENTIFIER8* identifier) override;
  uint32_t GetAdapterModeCount(uint32_t adapter) override;
  HRESULT EnumAdapterModes(uint32_t adapter, uint32_t mode, D3DDISPLAYMODE* out) override;
  HRESULT GetAdapterDisplayMode(uint32_t adapter, D3DDISPLAYMODE* mode) override;
  HRESULT CheckDeviceType(uint32_t adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                          D3DFORMAT backBufferFormat, int32_t windowed) override;
  HRESULT CheckDeviceFormat(uint32_t adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                            uint32_t usage, D3DRESOURCETYPE resourceType,
                            D3DFORMAT checkFormat) override;
  HRESULT GetDeviceCaps(uint32_t adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
  // The hardware and the reference device are the same OpenGL device; the software one
  // is not available.
  HRESULT CreateDevice(uint32_t adapter, D3DDEVTYPE type, HWND focusWindow,
                       uint32_t behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                       IDirect3DDevice8** device) override;

 private:
  ~GlDirect3D8() override;

  GlInfo info_;
  uint32_t refs_ = 1;
};

}  // namespace d3d8
