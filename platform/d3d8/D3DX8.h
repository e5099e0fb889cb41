#pragma once

// The D3DX 8 helpers the renderer calls: textures from image files in memory, empty
// textures, surface copies with filtering, BMP saving and render-to-surface. They work on
// any IDirect3DDevice8 (the OpenGL one or the recording one) through its interface.

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/D3DX8Math.h"

constexpr uint32_t D3DX_DEFAULT = 0xFFFFFFFFu;

// Filters (the low byte), with flags above it.
constexpr uint32_t D3DX_FILTER_NONE = 1;
constexpr uint32_t D3DX_FILTER_POINT = 2;
constexpr uint32_t D3DX_FILTER_LINEAR = 3;
constexpr uint32_t D3DX_FILTER_TRIANGLE = 4;
constexpr uint32_t D3DX_FILTER_BOX = 5;
constexpr uint32_t D3DX_FILTER_DITHER = 0x80000;

constexpr HRESULT D3DXERR_INVALIDDATA = MakeHResult(0x88760B59u);

enum D3DXIMAGE_FILEFORMAT : uint32_t {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
};

// What a file holds: its own size and pixel format (for example D3DFMT_R8G8B8 for a 24-bit
// BMP or TGA, D3DFMT_DXT5 for such a DDS), whatever format the texture was made in.
struct D3DXIMAGE_INFO {
  uint32_t Width;
  uint32_t Height;
  uint32_t Depth;
  uint32_t MipLevels;
  D3DFORMAT Format;
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct D3DXRTS_DESC {
  uint32_t Width;
  uint32_t Height;
  D3DFORMAT Format;
  int32_t DepthStencil;
  D3DFORMAT DepthStencilFormat;
};

// Draws into a surface between BeginScene and EndScene: it makes the surface the device's
// render target and restores the previous target and viewport afterwards.
class ID3DXRenderToSurface : public IDirect3DUnknown8 {
 public:
  virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
  virtual HRESULT GetDesc(D3DXRTS_DESC* desc) = 0;
  // viewport null covers the whole surface.
  virtual HRESULT BeginScene(IDirect3DSurface8* surface, const D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT EndScene() = 0;
};

// Widths and heights of D3DX_DEFAULT (or 0) become 256; the size is kept otherwise (no
// power-of-two rounding), clamped to the device's maximum; D3DFMT_UNKNOWN becomes
// D3DFMT_A8R8G8B8 and a format the device cannot make is replaced by the closest one.
HRESULT D3DXCheckTextureRequirements(IDirect3DDevice8* device, uint32_t* width,
                                     uint32_t* height, uint32_t* mipLevels, uint32_t usage,
                                     D3DFORMAT* format, D3DPOOL pool);
// mipLevels 0 or D3DX_DEFAULT makes the full chain.
HRESULT D3DXCreateTexture(IDirect3DDevice8* device, uint32_t width, uint32_t height,
                          uint32_t mipLevels, uint32_t usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture);

// Decodes "png", "jpg", "tga", "bmp" and "dds" data (recognised by content). width and
// height of D3DX_DEFAULT or 0 keep the file's size; other sizes stretch the image with the
// filter. format D3DFMT_UNKNOWN keeps the file's format where a texture can have it
// (DXT stays compressed), else A8R8G8B8 or X8R8G8B8. Data that is truncated, corrupt or of
// another kind gives D3DXERR_INVALIDDATA and no texture. colorKey 0 means none; palette is
// not supported and must be null.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data,
                                            uint32_t size, uint32_t width, uint32_t height,
                                            uint32_t mipLevels, uint32_t usage,
                                            D3DFORMAT format, D3DPOOL pool, uint32_t filter,
                                            uint32_t mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* info, void* palette,
                                            IDirect3DTexture8** texture);
HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* device, const void* data,
                                          uint32_t size, IDirect3DTexture8** texture);
// Cube maps come from DDS files with all six faces.
HRESULT D3DXCreateCubeTextureFromFileInMemory(IDirect3DDevice8* device, const void* data,
                                              uint32_t size, IDirect3DCubeTexture8** texture);
HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, uint32_t size, D3DXIMAGE_INFO* info);

// Copies (a rectangle of) src into (a rectangle of) dst, converting the format and scaling
// with the filter: POINT/NONE take the nearest pixel, BOX and the others average the
// source pixels each destination pixel covers. Palettes must be null.
HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface8* dst, const void* dstPalette,
                                   const RECT* dstRect, IDirect3DSurface8* src,
                                   const void* srcPalette, const RECT* srcRect,
                                   uint32_t filter, D3DCOLOR colorKey);

// Copies pixels from memory (srcRect of an image in srcFormat, rows srcPitch bytes apart)
// into (a rectangle of) dst, converting the format and stretching with the filter as
// D3DXLoadSurfaceFromSurface does. srcRect must not be null; palettes must be null.
HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface8* dst, const void* dstPalette,
                                  const RECT* dstRect, const void* srcMemory,
                                  D3DFORMAT srcFormat, uint32_t srcPitch,
                                  const void* srcPalette, const RECT* srcRect, uint32_t filter,
                                  D3DCOLOR colorKey);

// Only D3DXIFF_BMP is written: 24-bit rows for formats without alpha, 32-bit with alpha.
HRESULT D3DXSaveSurfaceToFileA(const char* path, D3DXIMAGE_FILEFORMAT format,
                               IDirect3DSurface8* surface, const void* palette,
                               const RECT* srcRect);

HRESULT D3DXCreateRenderToSurface(IDirect3DDevice8* device, uint32_t width, uint32_t height,
                                  D3DFORMAT format, int32_t depthStencil,
                                  D3DFORMAT depthStencilFormat,
                                  ID3DXRenderToSurface** renderToSurface);
