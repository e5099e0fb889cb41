#include "engine/graphics/dx8/Dx8DynamicImage.h"

#include <algorithm>
#include <cstring>

#include "engine/graphics/dx8/Dx8Graphics.h"
#include "platform/d3d8/D3DX8.h"

Dx8DynamicImage::Dx8DynamicImage(uint16_t imageWidth, uint16_t imageHeight,
                                 uint16_t bitsPerPixel)
    : DynamicImage(imageWidth, imageHeight, bitsPerPixel) {}

Dx8DynamicImage::~Dx8DynamicImage() { ReleaseTexture(); }

D3DFORMAT Dx8DynamicImage::FormatOf(uint32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 16: return D3DFMT_R5G6B5;
    case 24: return D3DFMT_R8G8B8;
    default: return D3DFMT_A8R8G8B8;
  }
}

void Dx8DynamicImage::ReleaseTexture() {
  if (texture_) {
    texture_->Release();
    texture_ = nullptr;
  }
}

bool Dx8DynamicImage::BindTexture(uint32_t stage) {
  IDirect3DDevice8* device = Dx8Graphics::CurrentDevice();
  if (texture_ && device) device->SetTexture(stage, texture_);
  return true;
}

bool Dx8DynamicImage::CreateTexture() {
  ReleaseTexture();  // a second Load must not leave the first texture behind
  if (FAILED(D3DXCreateTexture(Dx8Graphics::CurrentDevice(), width, height, 1, D3DUSAGE_DYNAMIC,
                               FormatOf(BitsPerPixel()), D3DPOOL_DEFAULT, &texture_))) {
    texture_ = nullptr;
    return false;
  }
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(texture_->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD))) {
    D3DSURFACE_DESC desc{};
    texture_->GetLevelDesc(0, &desc);
    std::memset(locked.pBits, 0, static_cast<size_t>(locked.Pitch) * desc.Height);
    texture_->UnlockRect(0);
  }
  return true;
}

bool Dx8DynamicImage::SetPixels(const void* buffer) {
  if (!texture_ || !buffer) return false;
  D3DSURFACE_DESC desc{};
  if (FAILED(texture_->GetLevelDesc(0, &desc))) return false;
  D3DLOCKED_RECT locked{};
  if (FAILED(texture_->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD))) return false;
  // The caller's rows are packed (RowBytes apart): the texture's pitch is the device's
  // business and may be wider, so rows are copied one by one rather than as one block.
  const size_t rowBytes = RowBytes();
  const size_t copied = std::min(rowBytes, static_cast<size_t>(locked.Pitch));
  const uint32_t rows = std::min(height, desc.Height);
  const uint8_t* source = static_cast<const uint8_t*>(buffer);
  uint8_t* target = static_cast<uint8_t*>(locked.pBits);
  for (uint32_t y = 0; y < rows; ++y) {
    std::memcpy(target + static_cast<size_t>(locked.Pitch) * y, source + rowBytes * y, copied);
  }
  texture_->UnlockRect(0);
  return true;
}
