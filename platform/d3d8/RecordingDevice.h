#pragma once

// A device for engine tests: it behaves as a Direct3D 8 device without drawing anything,
// and records every call the renderer makes of it, with the vertex data of each draw and
// the state in force at that draw. It can be told to fail calls, so that the renderer's
// device-loss and reset paths can be played.

#include <cstring>
#include <memory>
#include <vector>

#include "platform/d3d8/CallFailures.h"
#include "platform/d3d8/DeviceBase.h"

namespace d3d8 {

enum class DeviceCall {
  TestCooperativeLevel,
  Reset,
  Present,
  BeginScene,
  EndScene,
  Clear,
  GetBackBuffer,
  SetRenderTarget,
  GetRenderTarget,
  CreateTexture,
  CreateCubeTexture,
  CreateImageSurface,
  SetViewport,
  SetTransform,
  SetRenderState,
  SetTextureStageState,
  SetTexture,
  SetVertexShader,
  DrawPrimitiveUP,
  DrawIndexedPrimitiveUP,
  CreateVertexBuffer,
  SetStreamSource,
  DrawPrimitive,
};

// One call as the device saw it. Only the fields of the call's kind are filled.
struct RecordedCall {
  explicit RecordedCall(DeviceCall kind) : call(kind) {}

  DeviceCall call;
  HRESULT result = D3D_OK;

  // SetRenderState: type = state, value. SetTextureStageState: stage, type, value.
  // SetTexture: stage, texture. SetTransform: type, matrix. SetVertexShader: value.
  uint32_t stage = 0;
  uint32_t type = 0;
  uint32_t value = 0;
  // For identity only: the device does not keep these alive for the record.
  IDirect3DBaseTexture8* texture = nullptr;
  IDirect3DSurface8* surface = nullptr;  // SetRenderTarget
  D3DMATRIX matrix{};
  D3DVIEWPORT8 viewport{};
  D3DPRESENT_PARAMETERS parameters{};  // Reset

  // Clear.
  uint32_t flags = 0;
  D3DCOLOR color = 0;
  float z = 0;
  uint32_t stencil = 0;
  std::vector<D3DRECT> rects;

  // CreateVertexBuffer: width = length, usage, value = FVF, pool. SetStreamSource: stage =
  // stream, stride, buffer. DrawPrimitive: minIndex = start vertex, and the draw fields.
  IDirect3DVertexBuffer8* buffer = nullptr;
  // CreateTexture, CreateCubeTexture (width = edge length), CreateImageSurface.
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t levels = 0;
  uint32_t usage = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  D3DPOOL pool = D3DPOOL_DEFAULT;

  // Draws: the vertices read (for indexed draws: vertex 0 up to minIndex + vertexCount),
  // the indices widened to 32 bits, and the state in force.
  D3DPRIMITIVETYPE primitive = D3DPT_TRIANGLELIST;
  uint32_t primitiveCount = 0;
  uint32_t minIndex = 0;
  uint32_t vertexCount = 0;
  uint32_t stride = 0;
  D3DFORMAT indexFormat = D3DFMT_UNKNOWN;
  std::vector<uint8_t> vertices;
  std::vector<uint32_t> indices;
  std::shared_ptr<const DeviceState> state;

  // The recorded vertices as the caller's vertex type (its size must be the stride).
  template <class Vertex>
  std::vector<Vertex> VerticesAs() const {
    std::vector<Vertex> out(stride == sizeof(Vertex) ? vertices.size() / sizeof(Vertex) : 0);
    if (!out.empty()) std::memcpy(out.data(), vertices.data(), out.size() * sizeof(Vertex));
    return out;
  }
};

class RecordingDevice final : public DeviceBase {
 public:
  // A device on its own (GetDirect3D fails), with a back buffer of the parameters' size
  // (800 x 600 X8R8G8B8 when they give none) and capabilities StandardCaps(4096).
  static RecordingDevice* Create(const D3DPRESENT_PARAMETERS* parameters = nullptr);
  // As made by RecordingDirect3D::CreateDevice.
  RecordingDevice(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type,
                  const D3DCAPS8& caps, const D3DPRESENT_PARAMETERS& parameters);

  // The next `count` calls of that kind (every one when count is negative) fail with
  // `result`, change nothing and are recorded with that result.
  void FailCalls(DeviceCall call, HRESULT result, int count = -1);
  void ClearFailures() { failures_.Clear(); }

  const std::vector<RecordedCall>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  std::vector<const RecordedCall*> CallsOf(DeviceCall call) const;
  size_t CountOf(DeviceCall call) const;
  int PresentCount() const { return presents_; }

  HRESULT TestCooperativeLevel() override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                  const void* dirtyRegion) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  // Fills the render target's memory, so that read-backs see the colour.
  HRESULT Clear(uint32_t count, const D3DRECT* rects, uint32_t flags, D3DCOLOR color, float z,
                uint32_t stencil) override;
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
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex,
                        uint32_t primitiveCount) override;
  HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) override;
  HRESULT SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                               uint32_t value) override;
  HRESULT SetTexture(uint32_t stage, IDirect3DBaseTexture8* texture) override;
  HRESULT SetVertexShader(uint32_t handle) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount, const void* vertices,
                          uint32_t stride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t vertexCount,
                                 uint32_t primitiveCount, const void* indices,
                                 D3DFORMAT indexFormat, const void* vertices,
                                 uint32_t stride) override;

 protected:
  Texture* MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                       D3DFORMAT format, D3DPOOL pool) override;

 private:
  ~RecordingDevice() override = default;

  // Records the call with its result and returns the result.
  HRESULT Record(RecordedCall&& record);
  HRESULT MakeBackBuffer(const D3DPRESENT_PARAMETERS& parameters);

  CallFailures<DeviceCall> failures_;
  std::vector<RecordedCall> calls_;
  int presents_ = 0;
};

}  // namespace d3d8
