#pragma once

#include <vector>

#include "platform/d3d8/D3D8.h"

namespace d3d8 {

class Texture;

// The state a device keeps between calls: what the Set* calls store and the draws use.
struct DeviceState {
  uint32_t renderStates[kD3DRenderStateCount];
  uint32_t stageStates[kD3DTextureStageCount][kD3DTextureStageStateCount];
  // Bound textures; the device holds a reference to each.
  IDirect3DBaseTexture8* textures[kD3DTextureStageCount];
  D3DMATRIX world;
  D3DMATRIX view;
  D3DMATRIX projection;
  D3DMATRIX textureTransforms[8];
  D3DVIEWPORT8 viewport;
  uint32_t vertexShader;  // the flexible vertex format of the draws
  // Stream 0 of DrawPrimitive; the device holds a reference to it.
  IDirect3DVertexBuffer8* stream;
  uint32_t streamStride;

  // Direct3D's defaults of a new or reset device (textures are left alone).
  void SetDefaults(bool depthBuffer, uint32_t targetWidth, uint32_t targetHeight);
  uint32_t RenderState(D3DRENDERSTATETYPE state) const { return renderStates[state]; }
  uint32_t StageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type) const {
    return stageStates[stage][type];
  }
};

// What both devices share: reference counting, the Direct3D object and capabilities,
// render targets and the back buffer, resource creation with Direct3D's checks, and every
// state call. The OpenGL device reads the state at each draw; the recording device
// records the calls around these bodies.
class DeviceBase : public IDirect3DDevice8 {
 public:
  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override;

  HRESULT GetDirect3D(IDirect3D8** direct3d) override;
  HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
  HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;

  HRESULT BeginScene() override;
  HRESULT EndScene() override;

  HRESULT GetBackBuffer(uint32_t index, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface8** backBuffer) override;
  HRESULT SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depthStencil) override;
  HRESULT GetRenderTarget(IDirect3DSurface8** target) override;

  HRESULT CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                        D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture) override;
  HRESULT CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage,
                            D3DFORMAT format, D3DPOOL pool,
                            IDirect3DCubeTexture8** texture) override;
  HRESULT CreateImageSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                             IDirect3DSurface8** surface) override;
  HRESULT CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer8** buffer) override;
  HRESULT SetStreamSource(uint32_t stream, IDirect3DVertexBuffer8* buffer,
                          uint32_t stride) override;
  // Draws the stream's vertices through DrawPrimitiveUP.
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex,
                        uint32_t primitiveCount) override;

  HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, uint32_t* value) override;
  HRESULT SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                               uint32_t value) override;
  HRESULT GetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                               uint32_t* value) override;
  HRESULT SetTexture(uint32_t stage, IDirect3DBaseTexture8* texture) override;
  HRESULT GetTexture(uint32_t stage, IDirect3DBaseTexture8** texture) override;
  HRESULT SetVertexShader(uint32_t handle) override;
  HRESULT GetVertexShader(uint32_t* handle) override;

  const DeviceState& State() const { return state_; }
  const D3DPRESENT_PARAMETERS& PresentParameters() const { return parameters_; }
  uint32_t RefCount() const { return refs_; }
  int SceneDepth() const { return sceneDepth_; }

  // Capabilities of the devices of this layer, with the given largest texture side.
  static D3DCAPS8 StandardCaps(uint32_t maxTextureSize);
  // The vertices a draw of primitiveCount primitives uses (0 for an unknown type).
  static uint64_t VertexCountFor(D3DPRIMITIVETYPE type, uint32_t primitiveCount);
  // The bytes of one vertex of a flexible vertex format (0 without a position).
  static uint32_t VertexSize(uint32_t fvf);
  // The floats of texture coordinate set `set` of a flexible vertex format (1 to 4).
  static uint32_t TexCoordFloats(uint32_t fvf, uint32_t set);

 protected:
  // direct3d may be null (a device made on its own by a test); a reference is taken.
  DeviceBase(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type, const D3DCAPS8& caps);
  ~DeviceBase() override;

  // Makes a texture of the device's kind; may throw std::bad_alloc.
  virtual Texture* MakeTexture(uint32_t width, uint32_t height, uint32_t levels,
                               uint32_t usage, D3DFORMAT format, D3DPOOL pool) = 0;
  virtual void OnRenderTargetChanged() {}

  // Checks the size, format and count of present parameters (the OpenGL device also
  // needs their window).
  static bool ValidParameters(const D3DPRESENT_PARAMETERS& parameters);
  // Makes backBuffer (whose one reference the device takes over) the back buffer and the
  // render target, and sets every state to its default, as creation and Reset do.
  void InstallBackBuffer(Texture* backBuffer, const D3DPRESENT_PARAMETERS& parameters);
  Texture* BackBufferTexture() const { return backBuffer_; }
  Texture* RenderTargetTexture() const { return renderTarget_; }
  // The areas a Clear touches: the viewport, cut by each rectangle when there are any.
  std::vector<RECT> ClearAreas(uint32_t count, const D3DRECT* rects) const;
  // Checks the arguments of a draw; vertexCount gets the vertices it reads (0 when there is
  // nothing to draw, which is not an error).
  HRESULT CheckDraw(D3DPRIMITIVETYPE type, uint32_t primitiveCount, const void* vertices,
                    uint32_t stride, uint64_t* vertexCount) const;
  // The same for an indexed draw, which also checks that every index lies in
  // [minIndex, minIndex + vertexCount); indexCount gets the indices it reads.
  HRESULT CheckIndexedDraw(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t vertexCount,
                           uint32_t primitiveCount, const void* indices, D3DFORMAT indexFormat,
                           const void* vertices, uint32_t stride, uint64_t* indexCount) const;
  // The vertices a DrawPrimitive reads from stream 0: checks that a buffer is bound and
  // unlocked and that the range lies inside it. vertices is null when there is nothing to
  // draw (no primitives), which is not an error.
  HRESULT StreamVertices(D3DPRIMITIVETYPE type, uint32_t startVertex, uint32_t primitiveCount,
                         const uint8_t** vertices, uint32_t* stride) const;
  // Index i of an array of D3DFMT_INDEX16 or D3DFMT_INDEX32 indices.
  static uint32_t IndexAt(const void* indices, D3DFORMAT indexFormat, uint64_t i);
  // Drops every bound texture and the render target (before the device goes away).
  void ReleaseBindings();

  DeviceState state_;
  D3DPRESENT_PARAMETERS parameters_{};
  D3DCAPS8 caps_;

 private:
  IDirect3D8* direct3d_;
  uint32_t adapter_;
  D3DDEVTYPE type_;
  uint32_t refs_ = 1;
  int sceneDepth_ = 0;
  Texture* backBuffer_ = nullptr;    // one reference held
  Texture* renderTarget_ = nullptr;  // one reference held
};

}  // namespace d3d8
