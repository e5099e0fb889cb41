#include "engine/graphics/dx8/Dx8Surface.h"

#include <algorithm>
#include <cstring>

#include "engine/core/ByteOrder.h"
#include "engine/core/Log.h"
#include "engine/graphics/ResMan.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "platform/d3d8/D3DX8.h"

namespace {

constexpr uint32_t kDdsMagic = 0x20534444;      // "DDS "
constexpr uint32_t kDdsCaps2Offset = 0x70;      // the header's second capabilities word
constexpr uint32_t kDdsCubeMapBit = 0x200;
constexpr uint32_t kDdsHeaderEnd = 4 + 124;     // magic and header

// A cube map is a DDS file whose header says so. The header is only read when the file
// holds all of it.
bool IsCubeMapDds(const uint8_t* bytes, uint32_t size) {
  if (!bytes || size < kDdsHeaderEnd) return false;
  return num::GetU32LE(bytes) == kDdsMagic &&
         (num::GetU32LE(bytes + kDdsCaps2Offset) & kDdsCubeMapBit) != 0;
}

float Clamp01(float value) { return std::clamp(value, 0.0f, 1.0f); }

}  // namespace

res::Resource* Dx8Surface::CreateImage() { return new Dx8Surface; }

Dx8Surface* Dx8Surface::FromTexture(IDirect3DTexture8* texture, uint32_t newWidth,
                                    uint32_t newHeight) {
  Dx8Surface* surface = new Dx8Surface;
  surface->texture_ = texture;
  surface->width = newWidth;
  surface->height = newHeight;
  surface->format_ = D3DFMT_A8R8G8B8;
  surface->cube = false;
  // A wrapped texture exists already: the surface is ready, so that images made of it
  // (composites) draw. Left "new" it would never bind.
  surface->state = texture ? res::ResourceState::TextureReady : res::ResourceState::New;
  return surface;
}

void Dx8Surface::RegisterImageTypes() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  res::ResMan& manager = res::ResMan::Get();
  for (const char* extension : {"jpg", "tga", "bmp", "dds", "png"}) {
    manager.AddResourceConstructor(extension, &Dx8Surface::CreateImage);
  }
  LOG_LINE(MSG_INIT) << "File formats registered for surface";
}

uint32_t Dx8Surface::SquareSide(uint32_t w, uint32_t h) {
  const uint32_t side = std::max(w, h);
  if (side > 512) return 512;
  if (side > 256) return 256;
  if (side > 128) return 128;
  if (side > 64) return 64;
  return 32;
}

Dx8Surface::Dx8Surface() = default;

Dx8Surface::~Dx8Surface() { ReleaseTexture(); }

void Dx8Surface::ReleaseTexture() {
  if (texture_) texture_->Release();
  if (cubeTexture_) cubeTexture_->Release();
  texture_ = nullptr;
  cubeTexture_ = nullptr;
}

IDirect3DBaseTexture8* Dx8Surface::Texture() const {
  if (cubeTexture_) return cubeTexture_;
  return texture_;
}

void Dx8Surface::Unload() {
  ReleaseTexture();
  state = res::ResourceState::Released;
}

bool Dx8Surface::SetTexture(uint32_t stage) {
  if (state != res::ResourceState::TextureReady) return true;
  if (IDirect3DDevice8* device = Dx8Graphics::CurrentDevice()) device->SetTexture(stage, Texture());
  return true;
}

void Dx8Surface::InitTexture() {
  ReleaseTexture();
  const uint8_t* bytes = file.data.get();
  const uint32_t size = file.size;
  const Dx8Graphics* graphics = Dx8Graphics::Current();
  IDirect3DDevice8* device = graphics ? graphics->Device() : nullptr;

  cube = IsCubeMapDds(bytes, size);
  HRESULT hr;
  if (!device || !bytes || size == 0) {
    hr = D3DERR_INVALIDCALL;
  } else if (cube) {
    hr = D3DXCreateCubeTextureFromFileInMemory(device, bytes, size, &cubeTexture_);
  } else {
    D3DXIMAGE_INFO info{};
    hr = D3DXCreateTextureFromFileInMemoryEx(device, bytes, size, D3DX_DEFAULT, D3DX_DEFAULT, 1,
                                             0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                             D3DX_FILTER_POINT, D3DX_FILTER_NONE, 0, &info,
                                             nullptr, &texture_);
    if (SUCCEEDED(hr)) {
      width = info.Width;
      height = info.Height;
      format_ = info.Format;
      if (graphics->SquareTexturesOnly()) {
        texture_->Release();
        texture_ = nullptr;
        const uint32_t side = SquareSide(width, height);
        LOG_LINE(MSG_WARNING) << "Clamping texture size for texture " << name;
        hr = D3DXCreateTextureFromFileInMemoryEx(device, bytes, size, side, side, 1, 0,
                                                 D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                 D3DX_FILTER_POINT, D3DX_FILTER_NONE, 0, &info,
                                                 nullptr, &texture_);
        width = side;
        height = side;
      }
    }
  }

  if (SUCCEEDED(hr)) {
    state = res::ResourceState::TextureReady;
    LOG_LINE(MSG_LOAD) << "Loaded texture " << file.name;
  } else {
    ReleaseTexture();
    state = res::ResourceState::Failed;
    LOG_LINE(MSG_LOAD) << DxErrorText(hr);
    LOG_LINE(MSG_LOAD) << "Failed to loaded texture " << file.name;
  }
  file.data.reset();
  file.size = 0;
}

bool Dx8Surface::LockLevel0(D3DLOCKED_RECT* locked, D3DSURFACE_DESC* desc, bool alphaOnly) {
  if (!texture_ || texture_->GetLevelCount() == 0) return false;
  if (FAILED(texture_->GetLevelDesc(0, desc))) return false;
  // The texture's own format decides: it is what the locked bytes hold.
  const bool accepted = desc->Format == D3DFMT_A8R8G8B8 ||
                        (!alphaOnly && desc->Format == D3DFMT_X8R8G8B8);
  if (!accepted) return false;
  return SUCCEEDED(texture_->LockRect(0, locked, nullptr, D3DLOCK_READONLY));
}

std::unique_ptr<uint32_t[]> Dx8Surface::GetPixels() {
  D3DLOCKED_RECT locked;
  D3DSURFACE_DESC desc;
  if (!LockLevel0(&locked, &desc, false)) return nullptr;
  std::unique_ptr<uint32_t[]> pixels(new uint32_t[static_cast<size_t>(desc.Width) * desc.Height]);
  for (uint32_t y = 0; y < desc.Height; ++y) {
    std::memcpy(pixels.get() + static_cast<size_t>(y) * desc.Width,
                static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch,
                desc.Width * sizeof(uint32_t));
  }
  texture_->UnlockRect(0);
  return pixels;
}

std::unique_ptr<float[]> Dx8Surface::GetColors() {
  D3DLOCKED_RECT locked;
  D3DSURFACE_DESC desc;
  if (!LockLevel0(&locked, &desc, false)) return nullptr;
  const size_t count = static_cast<size_t>(desc.Width) * desc.Height;
  std::unique_ptr<float[]> colors(new float[count * 4]);
  float* out = colors.get();
  for (uint32_t y = 0; y < desc.Height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
    // Bytes in memory are blue, green, red, alpha.
    for (uint32_t i = 0; i < desc.Width * 4; ++i) *out++ = row[i];
  }
  texture_->UnlockRect(0);
  return colors;
}

std::unique_ptr<SurfaceMask> Dx8Surface::GenerateMask() {
  D3DLOCKED_RECT locked;
  D3DSURFACE_DESC desc;
  if (!LockLevel0(&locked, &desc, true)) return nullptr;
  auto mask = std::make_unique<SurfaceMask>();
  mask->width = desc.Width;
  mask->height = desc.Height;
  mask->alpha.resize(static_cast<size_t>(desc.Width) * desc.Height);
  for (uint32_t y = 0; y < desc.Height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
    for (uint32_t x = 0; x < desc.Width; ++x) {
      mask->alpha[static_cast<size_t>(y) * desc.Width + x] = row[4 * x + 3];
    }
  }
  if (FAILED(texture_->UnlockRect(0))) return nullptr;
  return mask;
}

void Dx8Surface::BlendInto(const D3DLOCKED_RECT& target, uint32_t targetWidth,
                           uint32_t targetHeight, int32_t x, int32_t y) {
  D3DLOCKED_RECT locked;
  D3DSURFACE_DESC desc;
  if (!LockLevel0(&locked, &desc, true)) return;
  for (uint32_t sy = 0; sy < desc.Height; ++sy) {
    const int64_t ty = static_cast<int64_t>(y) + sy;
    if (ty < 0 || ty >= targetHeight) continue;
    const uint8_t* source = static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(sy) * locked.Pitch;
    uint8_t* row = static_cast<uint8_t*>(target.pBits) + static_cast<size_t>(ty) * target.Pitch;
    for (uint32_t sx = 0; sx < desc.Width; ++sx) {
      const int64_t tx = static_cast<int64_t>(x) + sx;
      if (tx < 0 || tx >= targetWidth) continue;
      const uint8_t* s = source + 4 * sx;  // blue, green, red, alpha
      uint8_t* t = row + 4 * tx;
      const float a = s[3] / 256.0f;
      const float b = t[3] / 256.0f;
      auto mix = [a](uint8_t under, uint8_t over) {
        return Clamp01((under / 256.0f) * (1.0f - a) + (over / 256.0f) * a);
      };
      const uint32_t packed = PackColor(mix(t[2], s[2]), mix(t[1], s[1]), mix(t[0], s[0]),
                                        Clamp01(std::max(a, b)));
      std::memcpy(t, &packed, sizeof packed);
    }
  }
  texture_->UnlockRect(0);
}
