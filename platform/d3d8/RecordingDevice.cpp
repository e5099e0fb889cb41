#include "platform/d3d8/RecordingDevice.h"

#include <algorithm>
#include <new>

#include "platform/d3d8/PixelFormat.h"
#include "platform/d3d8/Texture.h"

namespace d3d8 {

RecordingDevice* RecordingDevice::Create(const D3DPRESENT_PARAMETERS* parameters) {
  D3DPRESENT_PARAMETERS pp{};
  if (parameters) {
    pp = *parameters;
  } else {
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.Windowed = 1;
  }
  return new RecordingDevice(nullptr, 0, D3DDEVTYPE_HAL, StandardCaps(4096), pp);
}

RecordingDevice::RecordingDevice(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type,
                                 const D3DCAPS8& caps, const D3DPRESENT_PARAMETERS& parameters)
    : DeviceBase(direct3d, adapter, type, caps) {
  MakeBackBuffer(parameters);
}

HRESULT RecordingDevice::MakeBackBuffer(const D3DPRESENT_PARAMETERS& parameters) {
  const uint32_t width = parameters.BackBufferWidth ? parameters.BackBufferWidth : 800;
  const uint32_t height = parameters.BackBufferHeight ? parameters.BackBufferHeight : 600;
  const D3DFORMAT format = parameters.BackBufferFormat == D3DFMT_UNKNOWN
                               ? D3DFMT_X8R8G8B8
                               : parameters.BackBufferFormat;
  Texture* backBuffer;
  try {
    backBuffer = new Texture(this, width, height, 1, D3DUSAGE_RENDERTARGET, format,
                             D3DPOOL_DEFAULT);
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  InstallBackBuffer(backBuffer, parameters);
  return D3D_OK;
}

Texture* RecordingDevice::MakeTexture(uint32_t width, uint32_t height, uint32_t levels,
                                      uint32_t usage, D3DFORMAT format, D3DPOOL pool) {
  return new Texture(this, width, height, levels, usage, format, pool);
}

void RecordingDevice::FailCalls(DeviceCall call, HRESULT result, int count) {
  failures_.Set(call, result, count);
}

HRESULT RecordingDevice::Record(RecordedCall&& record) {
  const HRESULT result = record.result;
  calls_.push_back(std::move(record));
  return result;
}

std::vector<const RecordedCall*> RecordingDevice::CallsOf(DeviceCall call) const {
  std::vector<const RecordedCall*> out;
  for (const RecordedCall& record : calls_) {
    if (record.call == call) out.push_back(&record);
  }
  return out;
}

size_t RecordingDevice::CountOf(DeviceCall call) const {
  return static_cast<size_t>(std::count_if(calls_.begin(), calls_.end(),
                                           [call](const RecordedCall& r) { return r.call == call; }));
}

HRESULT RecordingDevice::TestCooperativeLevel() {
  RecordedCall r{DeviceCall::TestCooperativeLevel};
  if (!failures_.Take(r.call, &r.result)) r.result = D3D_OK;
  return Record(std::move(r));
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS* parameters) {
  RecordedCall r{DeviceCall::Reset};
  if (parameters) r.parameters = *parameters;
  if (!failures_.Take(r.call, &r.result)) {
    if (!parameters || !ValidParameters(*parameters)) {
      r.result = D3DERR_INVALIDCALL;
    } else {
      r.result = MakeBackBuffer(*parameters);
      if (SUCCEEDED(r.result)) {
        // As Direct3D does, a windowed reset reports the size it took.
        parameters->BackBufferWidth = PresentParameters().BackBufferWidth;
        parameters->BackBufferHeight = PresentParameters().BackBufferHeight;
      }
    }
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::Present(const RECT*, const RECT*, HWND, const void*) {
  RecordedCall r{DeviceCall::Present};
  if (!failures_.Take(r.call, &r.result)) {
    r.result = D3D_OK;
    ++presents_;
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::BeginScene() {
  RecordedCall r{DeviceCall::BeginScene};
  if (!failures_.Take(r.call, &r.result)) r.result = DeviceBase::BeginScene();
  return Record(std::move(r));
}

HRESULT RecordingDevice::EndScene() {
  RecordedCall r{DeviceCall::EndScene};
  if (!failures_.Take(r.call, &r.result)) r.result = DeviceBase::EndScene();
  return Record(std::move(r));
}

HRESULT RecordingDevice::Clear(uint32_t count, const D3DRECT* rects, uint32_t flags,
                               D3DCOLOR color, float z, uint32_t stencil) {
  RecordedCall r{DeviceCall::Clear};
  r.flags = flags;
  r.color = color;
  r.z = z;
  r.stencil = stencil;
  if (rects) r.rects.assign(rects, rects + count);
  if (!failures_.Take(r.call, &r.result)) {
    const bool depth = PresentParameters().EnableAutoDepthStencil != 0;
    if ((count > 0 && !rects) || ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depth)) {
      r.result = D3DERR_INVALIDCALL;
    } else {
      r.result = D3D_OK;
      Texture* target = RenderTargetTexture();
      if ((flags & D3DCLEAR_TARGET) && target && !IsCompressedFormat(target->Format())) {
        SurfaceMemory& memory = target->Level(0);
        const uint32_t bpp = BytesPerPixel(memory.Format());
        uint8_t encoded[4];
        EncodePixels(memory.Format(), &color, 1, 1, encoded, bpp);
        for (const RECT& area : ClearAreas(count, rects)) {
          for (int32_t y = area.top; y < area.bottom; ++y) {
            uint8_t* row = memory.Bits() + static_cast<size_t>(y) * memory.Pitch();
            for (int32_t x = area.left; x < area.right; ++x) {
              std::memcpy(row + static_cast<size_t>(x) * bpp, encoded, bpp);
            }
          }
        }
      }
    }
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::GetBackBuffer(uint32_t index, D3DBACKBUFFER_TYPE type,
                                       IDirect3DSurface8** backBuffer) {
  RecordedCall r{DeviceCall::GetBackBuffer};
  r.value = index;
  if (!failures_.Take(r.call, &r.result)) {
    r.result = DeviceBase::GetBackBuffer(index, type, backBuffer);
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::SetRenderTarget(IDirect3DSurface8* target,
                                         IDirect3DSurface8* depthStencil) {
  RecordedCall r{DeviceCall::SetRenderTarget};
  r.surface = target;
  if (!failures_.Take(r.call, &r.result)) {
    r.result = DeviceBase::SetRenderTarget(target, depthStencil);
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::GetRenderTarget(IDirect3DSurface8** target) {
  RecordedCall r{DeviceCall::GetRenderTarget};
  if (!failures_.Take(r.call, &r.result)) r.result = DeviceBase::GetRenderTarget(target);
  return Record(std::move(r));
}

HRESULT RecordingDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels,
                                       uint32_t usage, D3DFORMAT format, D3DPOOL pool,
                                       IDirect3DTexture8** texture) {
  RecordedCall r{DeviceCall::CreateTexture};
  r.width = width;
  r.height = height;
  r.levels = levels;
  r.usage = usage;
  r.format = format;
  r.pool = pool;
  if (failures_.Take(r.call, &r.result)) {
    if (texture) *texture = nullptr;
  } else {
    r.result = DeviceBase::CreateTexture(width, height, levels, usage, format, pool, texture);
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage,
                                           D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DCubeTexture8** texture) {
  RecordedCall r{DeviceCall::CreateCubeTexture};
  r.width = r.height = edgeLength;
  r.levels = levels;
  r.usage = usage;
  r.format = format;
  r.pool = pool;
  if (failures_.Take(r.call, &r.result)) {
    if (texture) *texture = nullptr;
  } else {
    r.result = DeviceBase::CreateCubeTexture(edgeLength, levels, usage, format, pool, texture);
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::CreateImageSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                                            IDirect3DSurface8** surface) {
  RecordedCall r{DeviceCall::CreateImageSurface};
  r.width = width;
  r.height = height;
  r.format = format;
  if (failures_.Take(r.call, &r.result)) {
    if (surface) *surface = nullptr;
  } else {
    r.result = DeviceBase::CreateImageSurface(width, height, format, surface);
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::SetViewport(const D3DVIEWPORT8* viewport) {
  RecordedCall r{DeviceCall::SetViewport};
  if (viewport) r.viewport = *viewport;
  if (!failures_.Take(r.call, &r.result)) r.result = DeviceBase::SetViewport(viewport);
  return Record(std::move(r));
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  RecordedCall r{DeviceCall::SetTransform};
  r.type = state;
  if (matrix) r.matrix = *matrix;
  if (!failures_.Take(r.call, &r.result)) r.result = DeviceBase::SetTransform(state, matrix);
  return Record(std::move(r));
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) {
  RecordedCall r{DeviceCall::SetRenderState};
  r.type = state;
  r.value = value;
  if (!failures_.Take(r.call, &r.result)) r.result = DeviceBase::SetRenderState(state, value);
  return Record(std::move(r));
}

HRESULT RecordingDevice::SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                              uint32_t value) {
  RecordedCall r{DeviceCall::SetTextureStageState};
  r.stage = stage;
  r.type = type;
  r.value = value;
  if (!failures_.Take(r.call, &r.result)) {
    r.result = DeviceBase::SetTextureStageState(stage, type, value);
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::SetTexture(uint32_t stage, IDirect3DBaseTexture8* texture) {
  RecordedCall r{DeviceCall::SetTexture};
  r.stage = stage;
  r.texture = texture;
  if (!failures_.Take(r.call, &r.result)) r.result = DeviceBase::SetTexture(stage, texture);
  return Record(std::move(r));
}

HRESULT RecordingDevice::SetVertexShader(uint32_t handle) {
  RecordedCall r{DeviceCall::SetVertexShader};
  r.value = handle;
  if (!failures_.Take(r.call, &r.result)) r.result = DeviceBase::SetVertexShader(handle);
  return Record(std::move(r));
}

HRESULT RecordingDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf,
                                            D3DPOOL pool, IDirect3DVertexBuffer8** buffer) {
  RecordedCall r{DeviceCall::CreateVertexBuffer};
  r.width = length;
  r.usage = usage;
  r.value = fvf;
  r.pool = pool;
  if (failures_.Take(r.call, &r.result)) {
    if (buffer) *buffer = nullptr;
  } else {
    r.result = DeviceBase::CreateVertexBuffer(length, usage, fvf, pool, buffer);
    if (SUCCEEDED(r.result)) r.buffer = *buffer;
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::SetStreamSource(uint32_t stream, IDirect3DVertexBuffer8* buffer,
                                         uint32_t stride) {
  RecordedCall r{DeviceCall::SetStreamSource};
  r.stage = stream;
  r.buffer = buffer;
  r.stride = stride;
  if (!failures_.Take(r.call, &r.result)) {
    r.result = DeviceBase::SetStreamSource(stream, buffer, stride);
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex,
                                       uint32_t primitiveCount) {
  RecordedCall r{DeviceCall::DrawPrimitive};
  r.primitive = type;
  r.primitiveCount = primitiveCount;
  r.minIndex = startVertex;
  if (!failures_.Take(r.call, &r.result)) {
    const uint8_t* vertices = nullptr;
    r.result = StreamVertices(type, startVertex, primitiveCount, &vertices, &r.stride);
    if (SUCCEEDED(r.result) && vertices) {
      r.vertexCount = static_cast<uint32_t>(VertexCountFor(type, primitiveCount));
      // Whole strides, but never past the buffer's end (the last vertex may end short of
      // a stride wider than the format).
      const size_t available = State().stream->Length() - static_cast<size_t>(startVertex) * r.stride;
      r.vertices.assign(vertices, vertices + std::min(static_cast<size_t>(r.vertexCount) * r.stride, available));
      r.state = std::make_shared<DeviceState>(State());
    }
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount,
                                         const void* vertices, uint32_t stride) {
  RecordedCall r{DeviceCall::DrawPrimitiveUP};
  r.primitive = type;
  r.primitiveCount = primitiveCount;
  r.stride = stride;
  if (!failures_.Take(r.call, &r.result)) {
    uint64_t vertexCount = 0;
    r.result = CheckDraw(type, primitiveCount, vertices, stride, &vertexCount);
    if (SUCCEEDED(r.result) && vertexCount > 0) {
      r.vertexCount = static_cast<uint32_t>(vertexCount);
      const uint8_t* bytes = static_cast<const uint8_t*>(vertices);
      r.vertices.assign(bytes, bytes + vertexCount * stride);
      r.state = std::make_shared<DeviceState>(State());
    }
  }
  return Record(std::move(r));
}

HRESULT RecordingDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex,
                                                uint32_t vertexCount, uint32_t primitiveCount,
                                                const void* indices, D3DFORMAT indexFormat,
                                                const void* vertices, uint32_t stride) {
  RecordedCall r{DeviceCall::DrawIndexedPrimitiveUP};
  r.primitive = type;
  r.primitiveCount = primitiveCount;
  r.minIndex = minIndex;
  r.vertexCount = vertexCount;
  r.stride = stride;
  r.indexFormat = indexFormat;
  if (!failures_.Take(r.call, &r.result)) {
    uint64_t indexCount = 0;
    r.result = CheckIndexedDraw(type, minIndex, vertexCount, primitiveCount, indices,
                                indexFormat, vertices, stride, &indexCount);
    if (SUCCEEDED(r.result) && indexCount > 0) {
      const uint8_t* bytes = static_cast<const uint8_t*>(vertices);
      r.vertices.assign(bytes, bytes + (static_cast<uint64_t>(minIndex) + vertexCount) * stride);
      r.indices.resize(indexCount);
      for (uint64_t i = 0; i < indexCount; ++i) r.indices[i] = IndexAt(indices, indexFormat, i);
      r.state = std::make_shared<DeviceState>(State());
    }
  }
  return Record(std::move(r));
}

}  // namespace d3d8
