#pragma once

#include <cstddef>
#include <cstdint>

namespace d3d8 {

struct DecodedImage;

// Reads a DDS file: DXT1 to DXT5, and uncompressed RGB, luminance and alpha pixels of
// 8 to 32 bits described by their masks (A8R8G8B8, X8R8G8B8, R8G8B8, R5G6B5, A1R5G5B5,
// A4R4G4B4, A8, L8, A8L8 are kept as they are; other mask layouts become A8R8G8B8), with
// their mip levels, as a 2-D texture or a full cube map. False for a file shorter than its
// header, whose data is shorter than its sizes imply, or that it cannot take (volume
// textures, partial cube maps, DX10 headers, other FourCC codes, sizes beyond
// kMaxImageSide).
bool ReadDds(const uint8_t* data, size_t size, DecodedImage* image);

}  // namespace d3d8
