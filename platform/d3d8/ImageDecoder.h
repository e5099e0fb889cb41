#pragma once

// Decoding of image files held in memory, for the D3DX texture loaders: "png", "jpg",
// "bmp" and "tga" through SDL2_image, "dds" through DdsReader. The kind is told by the
// content. Every check on sizes happens before any pixel memory is taken, so that a
// corrupt or hostile header cannot ask for gigabytes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d8/D3DX8.h"

namespace d3d8 {

// The largest side of an image the decoders accept.
constexpr uint32_t kMaxImageSide = 8192;

struct DecodedImage {
  D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_BMP;
  // The file's own pixel format (what D3DXIMAGE_INFO reports).
  D3DFORMAT fileFormatPixels = D3DFMT_UNKNOWN;
  // The format of `surfaces`: the file's own for DDS files in a format the layer stores,
  // D3DFMT_A8R8G8B8 for everything else.
  D3DFORMAT format = D3DFMT_A8R8G8B8;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t levels = 1;  // mip levels held (DDS files may carry several)
  uint32_t faces = 1;   // 6 for a cube map
  // faces x levels surfaces, face after face; rows at FormatPitch(format, level width).
  std::vector<std::vector<uint8_t>> surfaces;

  const std::vector<uint8_t>& Surface(uint32_t face, uint32_t level) const {
    return surfaces[face * levels + level];
  }
};

// D3D_OK, or D3DXERR_INVALIDDATA for data that is not a whole image of a known kind
// (truncated, corrupt, too large, or of another kind), or E_OUTOFMEMORY when the pixels
// do not fit in memory. Never reads past data + size.
HRESULT DecodeImage(const void* data, size_t size, DecodedImage* image);

}  // namespace d3d8
