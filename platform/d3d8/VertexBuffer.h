#pragma once

#include <vector>

#include "platform/d3d8/D3D8.h"

namespace d3d8 {

// A vertex buffer in system memory: both devices draw from its bytes. It holds a
// reference to its device for GetDevice only when asked; the device outlives its buffers
// in every use of the layer.
class VertexBuffer final : public IDirect3DVertexBuffer8 {
 public:
  // Throws std::bad_alloc when the memory cannot be had; starts with one reference.
  VertexBuffer(IDirect3DDevice8* device, uint32_t length, uint32_t usage, uint32_t fvf,
               D3DPOOL pool);

  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override;
  HRESULT GetDevice(IDirect3DDevice8** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) override;
  HRESULT Unlock() override;
  uint32_t Length() override { return static_cast<uint32_t>(bytes_.size()); }
  uint32_t FVF() override { return fvf_; }

  bool Locked() const { return locked_; }
  const uint8_t* Bytes() const { return bytes_.data(); }
  uint32_t Usage() const { return usage_; }
  D3DPOOL Pool() const { return pool_; }

 private:
  ~VertexBuffer() override = default;

  IDirect3DDevice8* device_;
  uint32_t refs_ = 1;
  std::vector<uint8_t> bytes_;
  uint32_t usage_;
  uint32_t fvf_;
  D3DPOOL pool_;
  bool locked_ = false;
};

}  // namespace d3d8
