// The D3DX texture and surface helpers. They go through the device's interface only
// (CreateTexture, LockRect, ...), so they serve the OpenGL and the recording device alike.

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/d3d8/BmpFile.h"
#include "platform/d3d8/D3DX8.h"
#include "platform/d3d8/ImageDecoder.h"
#include "platform/d3d8/PixelFormat.h"
#include "platform/d3d8/Resample.h"
#include "platform/d3d8/SurfaceMemory.h"

using namespace d3d8;

namespace {

constexpr uint32_t kDefaultNonPow2 = 0xFFFFFFFEu;

bool IsDefaultSize(uint32_t size) {
  return size == 0 || size == D3DX_DEFAULT || size == kDefaultNonPow2;
}

uint32_t NextPowerOfTwo(uint32_t value) {
  uint32_t result = 1;
  while (result < value && result < 0x80000000u) result <<= 1;
  return result;
}

// Every pixel equal to the key becomes transparent black.
void ApplyColorKey(std::vector<uint32_t>& pixels, D3DCOLOR key) {
  if (key == 0) return;
  for (uint32_t& p : pixels) {
    if (p == key) p = 0;
  }
}

std::vector<uint32_t> DecodeSurface(D3DFORMAT format, const uint8_t* bytes, uint32_t width,
                                    uint32_t height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  DecodePixels(format, bytes, FormatPitch(format, width), width, height, pixels.data());
  return pixels;
}

std::vector<uint32_t> Crop(const std::vector<uint32_t>& pixels, uint32_t width, const RECT& r) {
  const uint32_t w = static_cast<uint32_t>(r.right - r.left);
  const uint32_t h = static_cast<uint32_t>(r.bottom - r.top);
  std::vector<uint32_t> out(static_cast<size_t>(w) * h);
  for (uint32_t y = 0; y < h; ++y) {
    std::memcpy(out.data() + static_cast<size_t>(y) * w,
                pixels.data() + static_cast<size_t>(r.top + y) * width + r.left, w * 4);
  }
  return out;
}

RECT WholeSurface(const D3DSURFACE_DESC& desc) {
  return RECT{0, 0, static_cast<int32_t>(desc.Width), static_cast<int32_t>(desc.Height)};
}

bool InsideSurface(const RECT& r, const D3DSURFACE_DESC& desc) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
         static_cast<uint32_t>(r.right) <= desc.Width &&
         static_cast<uint32_t>(r.bottom) <= desc.Height;
}

// The pixels of an area of a surface (which must lie inside it) as A8R8G8B8 values; may
// throw std::bad_alloc.
HRESULT ReadArea(IDirect3DSurface8* surface, const D3DSURFACE_DESC& desc, const RECT& area,
                 std::vector<uint32_t>* pixels) {
  D3DLOCKED_RECT locked;
  const HRESULT hr = surface->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  if (FAILED(hr)) return hr;
  std::vector<uint32_t> whole(static_cast<size_t>(desc.Width) * desc.Height);
  DecodePixels(desc.Format, static_cast<const uint8_t*>(locked.pBits),
               static_cast<uint32_t>(locked.Pitch), desc.Width, desc.Height, whole.data());
  surface->UnlockRect();
  *pixels = Crop(whole, desc.Width, area);
  return D3D_OK;
}

// Writes A8R8G8B8 pixels of the level's size into a texture level of an uncompressed
// format.
HRESULT WriteLevel(IDirect3DTexture8* texture, uint32_t level, const std::vector<uint32_t>& pixels) {
  D3DSURFACE_DESC desc;
  HRESULT hr = texture->GetLevelDesc(level, &desc);
  if (FAILED(hr)) return hr;
  if (IsCompressedFormat(desc.Format)) return D3DERR_INVALIDCALL;
  D3DLOCKED_RECT locked;
  hr = texture->LockRect(level, &locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  EncodePixels(desc.Format, pixels.data(), desc.Width, desc.Height,
               static_cast<uint8_t*>(locked.pBits), static_cast<uint32_t>(locked.Pitch));
  return texture->UnlockRect(level);
}

// Copies rows of the level's own format (at FormatPitch) into a locked level.
void CopyRows(const std::vector<uint8_t>& bytes, D3DFORMAT format, uint32_t width,
              uint32_t height, const D3DLOCKED_RECT& locked) {
  const uint32_t pitch = FormatPitch(format, width);
  const uint32_t rows = FormatRows(format, height);
  for (uint32_t row = 0; row < rows; ++row) {
    std::memcpy(static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(row) * locked.Pitch,
                bytes.data() + static_cast<size_t>(row) * pitch, pitch);
  }
}

void FillInfo(const DecodedImage& image, D3DXIMAGE_INFO* info) {
  if (!info) return;
  info->Width = image.width;
  info->Height = image.height;
  info->Depth = 1;
  info->MipLevels = image.levels;
  info->Format = image.fileFormatPixels;
  info->ResourceType = image.faces == 6 ? D3DRTYPE_CUBETEXTURE : D3DRTYPE_TEXTURE;
  info->ImageFileFormat = image.fileFormat;
}

}  // namespace

HRESULT D3DXCheckTextureRequirements(IDirect3DDevice8* device, uint32_t* width,
                                     uint32_t* height, uint32_t* mipLevels, uint32_t usage,
                                     D3DFORMAT* format, D3DPOOL) {
  if (!device) return D3DERR_INVALIDCALL;
  D3DCAPS8 caps;
  const HRESULT hr = device->GetDeviceCaps(&caps);
  if (FAILED(hr)) return hr;
  uint32_t w = width ? *width : 256;
  uint32_t h = height ? *height : 256;
  if (IsDefaultSize(w)) w = 256;
  if (IsDefaultSize(h)) h = 256;
  if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
    w = NextPowerOfTwo(w);
    h = NextPowerOfTwo(h);
  }
  if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) w = h = std::max(w, h);
  w = std::clamp(w, 1u, std::max(caps.MaxTextureWidth, 1u));
  h = std::clamp(h, 1u, std::max(caps.MaxTextureHeight, 1u));
  if (width) *width = w;
  if (height) *height = h;
  if (format) {
    D3DFORMAT f = *format == D3DFMT_UNKNOWN ? D3DFMT_A8R8G8B8 : ClosestStorableFormat(*format);
    if ((usage & D3DUSAGE_RENDERTARGET) && IsCompressedFormat(f)) f = D3DFMT_A8R8G8B8;
    *format = f;
  }
  if (mipLevels) {
    const uint32_t full = FullChainLength(w, h);
    *mipLevels = (*mipLevels == 0 || *mipLevels == D3DX_DEFAULT) ? full : std::min(*mipLevels, full);
  }
  return D3D_OK;
}

HRESULT D3DXCreateTexture(IDirect3DDevice8* device, uint32_t width, uint32_t height,
                          uint32_t mipLevels, uint32_t usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) {
  if (!device || !texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  const HRESULT hr =
      D3DXCheckTextureRequirements(device, &width, &height, &mipLevels, usage, &format, pool);
  if (FAILED(hr)) return hr;
  return device->CreateTexture(width, height, mipLevels, usage, format, pool, texture);
}

HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, uint32_t size, D3DXIMAGE_INFO* info) {
  if (!data || !info) return D3DERR_INVALIDCALL;
  DecodedImage image;
  const HRESULT hr = DecodeImage(data, size, &image);
  if (FAILED(hr)) return hr;
  FillInfo(image, info);
  return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data,
                                            uint32_t size, uint32_t width, uint32_t height,
                                            uint32_t mipLevels, uint32_t usage,
                                            D3DFORMAT format, D3DPOOL pool, uint32_t filter,
                                            uint32_t mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* info, void*,
                                            IDirect3DTexture8** texture) {
  if (!device || !data || size == 0 || !texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  DecodedImage image;
  HRESULT hr = DecodeImage(data, size, &image);
  if (FAILED(hr)) return hr;
  if (image.faces != 1) return D3DXERR_INVALIDDATA;  // cube maps have their own loader
  FillInfo(image, info);

  uint32_t w = IsDefaultSize(width) ? image.width : width;
  uint32_t h = IsDefaultSize(height) ? image.height : height;
  D3DFORMAT target;
  if (format != D3DFMT_UNKNOWN) {
    target = ClosestStorableFormat(format);
  } else if (image.format != D3DFMT_A8R8G8B8) {
    target = image.format;  // a DDS file's own format, compressed ones included
  } else if (IsStorableFormat(image.fileFormatPixels)) {
    target = image.fileFormatPixels;
  } else {
    target = FormatHasAlpha(image.fileFormatPixels) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  }
  uint32_t levels = mipLevels;
  hr = D3DXCheckTextureRequirements(device, &w, &h, &levels, usage, &target, pool);
  if (FAILED(hr)) return hr;
  const bool sameSize = w == image.width && h == image.height;
  const bool copyable = target == image.format && sameSize && colorKey == 0;
  if (IsCompressedFormat(target)) {
    if (!copyable) {
      // Compressing is not offered: such a texture is made uncompressed.
      target = FormatHasAlpha(target) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    } else {
      levels = std::min(levels, image.levels);  // compressed levels come from the file only
    }
  }

  IDirect3DTexture8* made = nullptr;
  hr = device->CreateTexture(w, h, levels, usage, target, pool, &made);
  if (FAILED(hr)) return hr;

  try {
    std::vector<uint32_t> pixels;  // the level being written, as A8R8G8B8
    for (uint32_t level = 0; level < levels && SUCCEEDED(hr); ++level) {
      const uint32_t lw = LevelSize(w, level), lh = LevelSize(h, level);
      if (copyable && level < image.levels) {
        D3DLOCKED_RECT locked;
        hr = made->LockRect(level, &locked, nullptr, 0);
        if (SUCCEEDED(hr)) {
          CopyRows(image.Surface(0, level), target, lw, lh, locked);
          hr = made->UnlockRect(level);
        }
        if (level + 1 < levels && level + 1 >= image.levels) {
          pixels = DecodeSurface(target, image.Surface(0, level).data(), lw, lh);
        }
        continue;
      }
      if (level == 0) {
        pixels = DecodeSurface(image.format, image.Surface(0, 0).data(), image.width, image.height);
        ApplyColorKey(pixels, colorKey);
        pixels = ResampleArgb(pixels.data(), image.width, image.height, w, h, filter);
      } else {
        const uint32_t pw = LevelSize(w, level - 1), ph = LevelSize(h, level - 1);
        const uint32_t kind = mipFilter == D3DX_DEFAULT ? D3DX_FILTER_BOX : mipFilter;
        pixels = ResampleArgb(pixels.data(), pw, ph, lw, lh, kind);
      }
      hr = WriteLevel(made, level, pixels);
    }
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  }
  if (FAILED(hr)) {
    made->Release();
    return hr;
  }
  *texture = made;
  return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* device, const void* data,
                                          uint32_t size, IDirect3DTexture8** texture) {
  return D3DXCreateTextureFromFileInMemoryEx(device, data, size, D3DX_DEFAULT, D3DX_DEFAULT,
                                             D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                             D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                             texture);
}

HRESULT D3DXCreateCubeTextureFromFileInMemory(IDirect3DDevice8* device, const void* data,
                                              uint32_t size, IDirect3DCubeTexture8** texture) {
  if (!device || !data || size == 0 || !texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  DecodedImage image;
  HRESULT hr = DecodeImage(data, size, &image);
  if (FAILED(hr)) return hr;
  if (image.faces != 6) return D3DXERR_INVALIDDATA;
  IDirect3DCubeTexture8* made = nullptr;
  hr = device->CreateCubeTexture(image.width, image.levels, 0, image.format, D3DPOOL_MANAGED, &made);
  if (FAILED(hr)) return hr;
  for (uint32_t face = 0; face < 6 && SUCCEEDED(hr); ++face) {
    for (uint32_t level = 0; level < image.levels && SUCCEEDED(hr); ++level) {
      const auto cubeFace = static_cast<D3DCUBEMAP_FACES>(face);
      D3DLOCKED_RECT locked;
      hr = made->LockRect(cubeFace, level, &locked, nullptr, 0);
      if (SUCCEEDED(hr)) {
        const uint32_t edge = LevelSize(image.width, level);
        CopyRows(image.Surface(face, level), image.format, edge, edge, locked);
        hr = made->UnlockRect(cubeFace, level);
      }
    }
  }
  if (FAILED(hr)) {
    made->Release();
    return hr;
  }
  *texture = made;
  return D3D_OK;
}

HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface8* dst, const void*, const RECT* dstRect,
                                   IDirect3DSurface8* src, const void*, const RECT* srcRect,
                                   uint32_t filter, D3DCOLOR colorKey) {
  if (!dst || !src) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC srcDesc, dstDesc;
  if (FAILED(src->GetDesc(&srcDesc)) || FAILED(dst->GetDesc(&dstDesc))) return D3DERR_INVALIDCALL;
  const RECT sr = srcRect ? *srcRect : WholeSurface(srcDesc);
  const RECT dr = dstRect ? *dstRect : WholeSurface(dstDesc);
  if (!InsideSurface(sr, srcDesc) || !InsideSurface(dr, dstDesc) ||
      IsCompressedFormat(dstDesc.Format)) {
    return D3DERR_INVALIDCALL;
  }
  try {
    std::vector<uint32_t> pixels;
    HRESULT hr = ReadArea(src, srcDesc, sr, &pixels);
    if (FAILED(hr)) return hr;
    ApplyColorKey(pixels, colorKey);
    const uint32_t dw = static_cast<uint32_t>(dr.right - dr.left);
    const uint32_t dh = static_cast<uint32_t>(dr.bottom - dr.top);
    pixels = ResampleArgb(pixels.data(), static_cast<uint32_t>(sr.right - sr.left),
                          static_cast<uint32_t>(sr.bottom - sr.top), dw, dh, filter);
    D3DLOCKED_RECT locked;
    hr = dst->LockRect(&locked, &dr, 0);
    if (FAILED(hr)) return hr;
    EncodePixels(dstDesc.Format, pixels.data(), dw, dh, static_cast<uint8_t*>(locked.pBits),
                 static_cast<uint32_t>(locked.Pitch));
    return dst->UnlockRect();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface8* dst, const void*, const RECT* dstRect,
                                  const void* srcMemory, D3DFORMAT srcFormat, uint32_t srcPitch,
                                  const void*, const RECT* srcRect, uint32_t filter,
                                  D3DCOLOR colorKey) {
  if (!dst || !srcMemory || !srcRect || IsCompressedFormat(srcFormat) ||
      BytesPerPixel(srcFormat) == 0) {
    return D3DERR_INVALIDCALL;
  }
  D3DSURFACE_DESC dstDesc;
  if (FAILED(dst->GetDesc(&dstDesc))) return D3DERR_INVALIDCALL;
  const RECT sr = *srcRect;
  const RECT dr = dstRect ? *dstRect : WholeSurface(dstDesc);
  if (sr.left < 0 || sr.top < 0 || sr.left >= sr.right || sr.top >= sr.bottom ||
      !InsideSurface(dr, dstDesc) || IsCompressedFormat(dstDesc.Format)) {
    return D3DERR_INVALIDCALL;
  }
  const uint32_t sw = static_cast<uint32_t>(sr.right - sr.left);
  const uint32_t sh = static_cast<uint32_t>(sr.bottom - sr.top);
  // The rows must hold the rectangle's pixels.
  if (static_cast<uint64_t>(srcPitch) <
      static_cast<uint64_t>(BytesPerPixel(srcFormat)) * static_cast<uint32_t>(sr.right)) {
    return D3DERR_INVALIDCALL;
  }
  try {
    const uint8_t* first = static_cast<const uint8_t*>(srcMemory) +
                           static_cast<size_t>(sr.top) * srcPitch +
                           static_cast<size_t>(sr.left) * BytesPerPixel(srcFormat);
    std::vector<uint32_t> pixels(static_cast<size_t>(sw) * sh);
    DecodePixels(srcFormat, first, srcPitch, sw, sh, pixels.data());
    ApplyColorKey(pixels, colorKey);
    const uint32_t dw = static_cast<uint32_t>(dr.right - dr.left);
    const uint32_t dh = static_cast<uint32_t>(dr.bottom - dr.top);
    pixels = ResampleArgb(pixels.data(), sw, sh, dw, dh, filter);
    D3DLOCKED_RECT locked;
    const HRESULT hr = dst->LockRect(&locked, &dr, 0);
    if (FAILED(hr)) return hr;
    EncodePixels(dstDesc.Format, pixels.data(), dw, dh, static_cast<uint8_t*>(locked.pBits),
                 static_cast<uint32_t>(locked.Pitch));
    return dst->UnlockRect();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT D3DXSaveSurfaceToFileA(const char* path, D3DXIMAGE_FILEFORMAT format,
                               IDirect3DSurface8* surface, const void*, const RECT* srcRect) {
  if (!path || !surface) return D3DERR_INVALIDCALL;
  if (format != D3DXIFF_BMP) return E_NOTIMPL;
  D3DSURFACE_DESC desc;
  if (FAILED(surface->GetDesc(&desc))) return D3DERR_INVALIDCALL;
  const RECT r = srcRect ? *srcRect : WholeSurface(desc);
  if (!InsideSurface(r, desc)) return D3DERR_INVALIDCALL;
  try {
    std::vector<uint32_t> pixels;
    const HRESULT hr = ReadArea(surface, desc, r, &pixels);
    if (FAILED(hr)) return hr;
    const bool written = WriteBmpFile(path, pixels.data(), static_cast<uint32_t>(r.right - r.left),
                                      static_cast<uint32_t>(r.bottom - r.top),
                                      FormatHasAlpha(desc.Format));
    return written ? D3D_OK : E_FAIL;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
