#pragma once

// Our Direct3D 8 stand-in: the Direct3D object, the device, textures and surfaces, in the
// shape the renderer calls them. Objects are reference counted: every object handed out
// through an out-pointer carries one reference that its receiver releases with Release.
//
// Two implementations stand behind these interfaces: the OpenGL 3.3 one that
// Direct3DCreate8 returns, and the recording one of RecordingDevice.h for tests.

#include <functional>

#include "platform/d3d8/D3D8Types.h"

class IDirect3DDevice8;
class IDirect3DSurface8;

// The reference-counting base of every object of the layer.
class IDirect3DUnknown8 {
 public:
  virtual uint32_t AddRef() = 0;
  // Drops one reference; the object is destroyed when none is left. Returns the count left.
  virtual uint32_t Release() = 0;

 protected:
  virtual ~IDirect3DUnknown8() = default;
};

class IDirect3DResource8 : public IDirect3DUnknown8 {
 public:
  virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
  virtual D3DRESOURCETYPE GetType() = 0;
};

class IDirect3DBaseTexture8 : public IDirect3DResource8 {
 public:
  virtual uint32_t GetLevelCount() = 0;
};

class IDirect3DTexture8 : public IDirect3DBaseTexture8 {
 public:
  virtual HRESULT GetLevelDesc(uint32_t level, D3DSURFACE_DESC* desc) = 0;
  // The surface of a level; it shares the texture's reference count.
  virtual HRESULT GetSurfaceLevel(uint32_t level, IDirect3DSurface8** surface) = 0;
  // rect null locks the whole level. DXT levels lock whole 4 x 4 blocks.
  virtual HRESULT LockRect(uint32_t level, D3DLOCKED_RECT* locked, const RECT* rect,
                           uint32_t flags) = 0;
  virtual HRESULT UnlockRect(uint32_t level) = 0;
  virtual HRESULT AddDirtyRect(const RECT* rect) = 0;
};

class IDirect3DCubeTexture8 : public IDirect3DBaseTexture8 {
 public:
  virtual HRESULT GetLevelDesc(uint32_t level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, uint32_t level,
                                    IDirect3DSurface8** surface) = 0;
  virtual HRESULT LockRect(D3DCUBEMAP_FACES face, uint32_t level, D3DLOCKED_RECT* locked,
                           const RECT* rect, uint32_t flags) = 0;
  virtual HRESULT UnlockRect(D3DCUBEMAP_FACES face, uint32_t level) = 0;
};

class IDirect3DSurface8 : public IDirect3DUnknown8 {
 public:
  virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
  virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, uint32_t flags) = 0;
  virtual HRESULT UnlockRect() = 0;
};

// Vertices kept by the device for DrawPrimitive. Lock hands out the buffer's memory; with
// D3DLOCK_DISCARD the previous contents are not kept.
class IDirect3DVertexBuffer8 : public IDirect3DResource8 {
 public:
  // offset and size in bytes; size 0 locks from offset to the end.
  virtual HRESULT Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual uint32_t Length() = 0;
  virtual uint32_t FVF() = 0;
};

class IDirect3D8;

class IDirect3DDevice8 : public IDirect3DUnknown8 {
 public:
  // Frame and device loss.
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) = 0;
  // Every argument but the first two is ignored; the back buffer is shown letterboxed.
  virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                          const void* dirtyRegion) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  // Clears the viewport, or the given rectangles inside it.
  virtual HRESULT Clear(uint32_t count, const D3DRECT* rects, uint32_t flags, D3DCOLOR color,
                        float z, uint32_t stencil) = 0;

  // Device information.
  virtual HRESULT GetDirect3D(IDirect3D8** direct3d) = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
  virtual HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) = 0;

  // Render targets.
  virtual HRESULT GetBackBuffer(uint32_t index, D3DBACKBUFFER_TYPE type,
                                IDirect3DSurface8** backBuffer) = 0;
  // target null keeps the current target; the viewport becomes the whole target.
  virtual HRESULT SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depthStencil) = 0;
  virtual HRESULT GetRenderTarget(IDirect3DSurface8** target) = 0;

  // Resources.
  virtual HRESULT CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture) = 0;
  virtual HRESULT CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage,
                                    D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DCubeTexture8** texture) = 0;
  // A lockable surface in system memory.
  virtual HRESULT CreateImageSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                                     IDirect3DSurface8** surface) = 0;
  virtual HRESULT CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer8** buffer) = 0;

  // States.
  virtual HRESULT SetViewport(const D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, uint32_t* value) = 0;
  virtual HRESULT SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                       uint32_t value) = 0;
  virtual HRESULT GetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                       uint32_t* value) = 0;
  // The device holds a reference to a bound texture until it is unbound.
  virtual HRESULT SetTexture(uint32_t stage, IDirect3DBaseTexture8* texture) = 0;
  virtual HRESULT GetTexture(uint32_t stage, IDirect3DBaseTexture8** texture) = 0;
  // Only flexible vertex formats (D3DFVF_*) are taken as vertex shaders.
  virtual HRESULT SetVertexShader(uint32_t handle) = 0;
  virtual HRESULT GetVertexShader(uint32_t* handle) = 0;

  // The device holds a reference to a bound stream until it is unbound; only stream 0
  // feeds the draws.
  virtual HRESULT SetStreamSource(uint32_t stream, IDirect3DVertexBuffer8* buffer,
                                  uint32_t stride) = 0;
  // Draws primitiveCount primitives from the vertices of stream 0, starting at startVertex.
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex,
                                uint32_t primitiveCount) = 0;

  // Drawing from the caller's memory.
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount,
                                  const void* vertices, uint32_t stride) = 0;
  // Indices are D3DFMT_INDEX16 or D3DFMT_INDEX32 and must lie in
  // [minIndex, minIndex + vertexCount); vertices points at vertex 0.
  virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex,
                                         uint32_t vertexCount, uint32_t primitiveCount,
                                         const void* indices, D3DFORMAT indexFormat,
                                         const void* vertices, uint32_t stride) = 0;
};

class IDirect3D8 : public IDirect3DUnknown8 {
 public:
  virtual uint32_t GetAdapterCount() = 0;
  virtual HRESULT GetAdapterIdentifier(uint32_t adapter, uint32_t flags,
                                       D3DADAPTER_IDENTIFIER8* identifier) = 0;
  virtual uint32_t GetAdapterModeCount(uint32_t adapter) = 0;
  virtual HRESULT EnumAdapterModes(uint32_t adapter, uint32_t mode, D3DDISPLAYMODE* out) = 0;
  virtual HRESULT GetAdapterDisplayMode(uint32_t adapter, D3DDISPLAYMODE* mode) = 0;
  virtual HRESULT CheckDeviceType(uint32_t adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                  D3DFORMAT backBufferFormat, int32_t windowed) = 0;
  virtual HRESULT CheckDeviceFormat(uint32_t adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                    uint32_t usage, D3DRESOURCETYPE resourceType,
                                    D3DFORMAT checkFormat) = 0;
  virtual HRESULT GetDeviceCaps(uint32_t adapter, D3DDEVTYPE type, D3DCAPS8* caps) = 0;
  // The device draws into the SDL window of parameters->hDeviceWindow (else focusWindow);
  // that window must have been made with SDL_WINDOW_OPENGL and must outlive the device.
  virtual HRESULT CreateDevice(uint32_t adapter, D3DDEVTYPE type, HWND focusWindow,
                               uint32_t behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                               IDirect3DDevice8** device) = 0;
};

// Starts the layer: null when sdkVersion is not D3D_SDK_VERSION or when OpenGL 3.3 core is
// not available (the drawing equivalent of "Direct3D 8 is not installed").
IDirect3D8* Direct3DCreate8(uint32_t sdkVersion);

namespace d3d8 {

// Tests put a fake Direct3D object (RecordingDirect3D) behind Direct3DCreate8; an empty
// function restores the OpenGL one. The factory's result is returned as it is (null
// included, to play a missing Direct3D).
void SetDirect3DFactory(std::function<IDirect3D8*(uint32_t sdkVersion)> factory);

// A human-readable detail of the last failure of the OpenGL back end (SDL or GL message),
// empty when there is none; for log lines beside the result code.
const char* LastErrorDetail();

}  // namespace d3d8
