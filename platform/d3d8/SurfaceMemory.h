#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d8/D3D8Types.h"

namespace d3d8 {

// The memory of one surface (a texture level, a cube face level, an image surface or the
// back buffer's copy), rows tightly packed in the surface's own format, with the state of
// its lock: a surface is locked at most once at a time.
class SurfaceMemory {
 public:
  // Zero-filled; throws std::bad_alloc when the memory cannot be had.
  void Allocate(D3DFORMAT format, uint32_t width, uint32_t height);

  D3DFORMAT Format() const { return format_; }
  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  uint32_t Pitch() const { return pitch_; }
  uint8_t* Bits() { return bytes_.data(); }
  const uint8_t* Bits() const { return bytes_.data(); }
  size_t Size() const { return bytes_.size(); }
  // Where pixel (x, y) starts in Bits(); for DXT formats, the block holding it (x and y on
  // block bounds).
  size_t Offset(uint32_t x, uint32_t y) const;

  // rect null locks the whole surface. A rectangle must lie inside the surface and, for
  // DXT formats, on block bounds (or reach the surface's edge). A second lock before the
  // unlock, or a bad rectangle, gives D3DERR_INVALIDCALL.
  HRESULT Lock(D3DLOCKED_RECT* locked, const RECT* rect, uint32_t flags);
  HRESULT Unlock();
  bool IsLocked() const { return locked_; }
  const RECT& LockedArea() const { return lockedArea_; }
  uint32_t LockFlags() const { return lockFlags_; }

  void Describe(D3DSURFACE_DESC* desc, D3DRESOURCETYPE type, uint32_t usage, D3DPOOL pool) const;

  // The whole surface as A8R8G8B8 values, row after row, and back (uncompressed formats).
  std::vector<uint32_t> ReadArgb() const;
  void WriteArgb(const std::vector<uint32_t>& pixels);

 private:
  D3DFORMAT format_ = D3DFMT_UNKNOWN;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint32_t pitch_ = 0;
  std::vector<uint8_t> bytes_;
  bool locked_ = false;
  RECT lockedArea_{};
  uint32_t lockFlags_ = 0;
};

// Levels of a mip chain: the size of level n of a base size, and the length of the full
// chain (down to 1 x 1).
uint32_t LevelSize(uint32_t baseSize, uint32_t level);
uint32_t FullChainLength(uint32_t width, uint32_t height);

}  // namespace d3d8
