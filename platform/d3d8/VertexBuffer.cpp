#include "platform/d3d8/VertexBuffer.h"

#include <algorithm>

namespace d3d8 {

VertexBuffer::VertexBuffer(IDirect3DDevice8* device, uint32_t length, uint32_t usage,
                           uint32_t fvf, D3DPOOL pool)
    : device_(device), bytes_(length), usage_(usage), fvf_(fvf), pool_(pool) {}

uint32_t VertexBuffer::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT VertexBuffer::GetDevice(IDirect3DDevice8** device) {
  if (!device || !device_) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *device = device_;
  return D3D_OK;
}

HRESULT VertexBuffer::Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t) {
  if (!data) return D3DERR_INVALIDCALL;
  *data = nullptr;
  // A second lock before the unlock, or a range past the end, is refused.
  const uint64_t end = static_cast<uint64_t>(offset) + (size ? size : bytes_.size() - std::min<uint64_t>(offset, bytes_.size()));
  if (locked_ || offset > bytes_.size() || end > bytes_.size()) return D3DERR_INVALIDCALL;
  locked_ = true;
  *data = bytes_.data() + offset;
  return D3D_OK;
}

HRESULT VertexBuffer::Unlock() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return D3D_OK;
}

}  // namespace d3d8
