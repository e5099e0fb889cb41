#include "platform/d3d8/SurfaceMemory.h"

#include <algorithm>

#include "platform/d3d8/PixelFormat.h"

namespace d3d8 {

void SurfaceMemory::Allocate(D3DFORMAT format, uint32_t width, uint32_t height) {
  format_ = format;
  width_ = width;
  height_ = height;
  pitch_ = FormatPitch(format, width);
  bytes_.assign(static_cast<size_t>(pitch_) * FormatRows(format, height), 0);
  locked_ = false;
}

HRESULT SurfaceMemory::Lock(D3DLOCKED_RECT* locked, const RECT* rect, uint32_t flags) {
  if (!locked || locked_) return D3DERR_INVALIDCALL;
  RECT area{0, 0, static_cast<int32_t>(width_), static_cast<int32_t>(height_)};
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
        rect->top >= rect->bottom || rect->right > area.right || rect->bottom > area.bottom) {
      return D3DERR_INVALIDCALL;
    }
    if (IsCompressedFormat(format_)) {
      const bool alignedStart = rect->left % 4 == 0 && rect->top % 4 == 0;
      const bool alignedEnd = (rect->right % 4 == 0 || rect->right == area.right) &&
                              (rect->bottom % 4 == 0 || rect->bottom == area.bottom);
      if (!alignedStart || !alignedEnd) return D3DERR_INVALIDCALL;
    }
    area = *rect;
  }
  locked->Pitch = static_cast<int32_t>(pitch_);
  locked->pBits = bytes_.data() + Offset(static_cast<uint32_t>(area.left),
                                         static_cast<uint32_t>(area.top));
  locked_ = true;
  lockedArea_ = area;
  lockFlags_ = flags;
  return D3D_OK;
}

size_t SurfaceMemory::Offset(uint32_t x, uint32_t y) const {
  if (IsCompressedFormat(format_)) {
    return static_cast<size_t>(y / 4) * pitch_ + FormatPitch(format_, x);
  }
  return static_cast<size_t>(y) * pitch_ + static_cast<size_t>(x) * BytesPerPixel(format_);
}

HRESULT SurfaceMemory::Unlock() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return D3D_OK;
}

void SurfaceMemory::Describe(D3DSURFACE_DESC* desc, D3DRESOURCETYPE type, uint32_t usage,
                             D3DPOOL pool) const {
  desc->Format = format_;
  desc->Type = type;
  desc->Usage = usage;
  desc->Pool = pool;
  desc->Size = static_cast<uint32_t>(bytes_.size());
  desc->MultiSampleType = D3DMULTISAMPLE_NONE;
  desc->Width = width_;
  desc->Height = height_;
}

std::vector<uint32_t> SurfaceMemory::ReadArgb() const {
  std::vector<uint32_t> pixels(static_cast<size_t>(width_) * height_);
  DecodePixels(format_, bytes_.data(), pitch_, width_, height_, pixels.data());
  return pixels;
}

void SurfaceMemory::WriteArgb(const std::vector<uint32_t>& pixels) {
  EncodePixels(format_, pixels.data(), width_, height_, bytes_.data(), pitch_);
}

uint32_t LevelSize(uint32_t baseSize, uint32_t level) {
  return level >= 32 ? 1 : std::max(1u, baseSize >> level);
}

uint32_t FullChainLength(uint32_t width, uint32_t height) {
  uint32_t levels = 1;
  uint32_t size = std::max(width, height);
  while (size > 1) {
    size >>= 1;
    ++levels;
  }
  return levels;
}

}  // namespace d3d8
