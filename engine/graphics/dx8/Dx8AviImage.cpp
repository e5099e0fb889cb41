#include "engine/graphics/dx8/Dx8AviImage.h"

#include <algorithm>
#include <cstring>

#include "engine/core/Log.h"
#include "engine/graphics/MovieDecoder.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "platform/d3d8/D3DX8.h"

namespace {

// One row of the frame bitmap (B, G, R and an unused byte per pixel) in the texture's
// format. The bitmap's fourth byte is not alpha: movies are opaque.
void WriteRow(D3DFORMAT format, const uint8_t* source, uint8_t* target, uint32_t pixels) {
  switch (format) {
    case D3DFMT_R8G8B8:
      for (uint32_t x = 0; x < pixels; ++x, source += 4, target += 3) {
        target[0] = source[0];
        target[1] = source[1];
        target[2] = source[2];
      }
      break;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      for (uint32_t x = 0; x < pixels; ++x, source += 4, target += 4) {
        target[0] = source[0];
        target[1] = source[1];
        target[2] = source[2];
        target[3] = 0xFF;
      }
      break;
    case D3DFMT_R5G6B5:
      for (uint32_t x = 0; x < pixels; ++x, source += 4, target += 2) {
        const uint16_t texel = static_cast<uint16_t>(((source[2] >> 3) << 11) |
                                                     ((source[1] >> 2) << 5) | (source[0] >> 3));
        target[0] = static_cast<uint8_t>(texel & 0xFF);
        target[1] = static_cast<uint8_t>(texel >> 8);
      }
      break;
    default:
      break;  // no other format is requested for movies
  }
}

}  // namespace

Dx8AviImage::Dx8AviImage(std::unique_ptr<MovieDecoder> decoder) : AviImage(std::move(decoder)) {}

Dx8AviImage::~Dx8AviImage() { DestroyTexture(); }

bool Dx8AviImage::BindTexture(uint32_t stage) {
  IDirect3DDevice8* device = Dx8Graphics::CurrentDevice();
  if (texture_ && device) device->SetTexture(stage, texture_);
  return true;
}

bool Dx8AviImage::CreateTexture() {
  DestroyTexture();
  if (FAILED(D3DXCreateTexture(Dx8Graphics::CurrentDevice(), width, height, 1, D3DUSAGE_DYNAMIC,
                               D3DFMT_R8G8B8, D3DPOOL_DEFAULT, &texture_))) {
    texture_ = nullptr;
    LOG_LINE(MSG_ERROR) << "Unable to create a " << width << " x " << height
                        << " texture surface for the AVI file";
    CloseMovie();
    return false;
  }
  return true;
}

bool Dx8AviImage::DestroyTexture() {
  if (texture_) {
    texture_->Release();
    texture_ = nullptr;
  }
  return true;
}

void Dx8AviImage::UploadFrame() {
  if (!texture_ && !CreateTexture()) return;
  const uint8_t* bits = FrameBits();
  if (!bits) return;
  D3DSURFACE_DESC desc{};
  if (FAILED(texture_->GetLevelDesc(0, &desc))) return;
  D3DLOCKED_RECT locked{};
  if (FAILED(texture_->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD))) return;
  // Row by row rather than as one block: the bitmap has 4 bytes per pixel whatever the
  // texture's format (R8G8B8 has 3), and its rows are stored bottom-up while the
  // texture's first row is the top of the picture. A texture larger than the movie
  // (a device that rounds sizes up) keeps the picture in its top-left corner.
  const uint32_t rows = std::min(height, desc.Height);
  const uint32_t pixels = std::min(width, desc.Width);
  const size_t bitmapPitch = static_cast<size_t>(width) * 4;
  uint8_t* target = static_cast<uint8_t*>(locked.pBits);
  for (uint32_t y = 0; y < rows; ++y) {
    const uint8_t* source = bits + bitmapPitch * (height - 1 - y);
    WriteRow(desc.Format, source, target + static_cast<size_t>(locked.Pitch) * y, pixels);
  }
  texture_->UnlockRect(0);
}
