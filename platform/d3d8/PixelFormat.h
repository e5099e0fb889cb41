#pragma once

// The pixel formats the layer stores, and conversions between them and 32-bit A8R8G8B8
// values (0xAARRGGBB, bytes B, G, R, A in memory), which the OpenGL textures, the image
// decoders and the surface copies work in.

#include <cstdint>

#include "platform/d3d8/D3D8Types.h"

namespace d3d8 {

// True for the formats a texture or surface of this layer can have.
bool IsStorableFormat(D3DFORMAT format);
// DXT1 to DXT5: 4 x 4 blocks of 8 (DXT1) or 16 bytes.
bool IsCompressedFormat(D3DFORMAT format);
bool FormatHasAlpha(D3DFORMAT format);
// Bytes per pixel of an uncompressed format (0 for compressed or unknown ones).
uint32_t BytesPerPixel(D3DFORMAT format);
// Bytes of one row (one row of blocks for DXT) of the given width, and the number of such
// rows for the given height. The results fit in 32 bits for sizes up to 65536.
uint32_t FormatPitch(D3DFORMAT format, uint32_t width);
uint32_t FormatRows(D3DFORMAT format, uint32_t height);
// The texture-creation format closest to a storable one (for example D3DFMT_UNKNOWN or
// D3DFMT_P8 become D3DFMT_A8R8G8B8).
D3DFORMAT ClosestStorableFormat(D3DFORMAT format);

// An A8R8G8B8 value as red, green, blue and alpha from 0 to 1 (GL's order).
void ArgbToFloats(uint32_t argb, float rgba[4]);

// width x height pixels of src (rows pitch bytes apart; block rows for DXT) into packed
// A8R8G8B8 values. Formats without alpha give alpha 255; A8 gives black with that alpha.
void DecodePixels(D3DFORMAT format, const uint8_t* src, uint32_t pitch, uint32_t width,
                  uint32_t height, uint32_t* out);
// Packed A8R8G8B8 values into an uncompressed format. False for compressed formats.
bool EncodePixels(D3DFORMAT format, const uint32_t* src, uint32_t width, uint32_t height,
                  uint8_t* dst, uint32_t pitch);

}  // namespace d3d8
