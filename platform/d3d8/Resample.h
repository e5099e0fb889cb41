#pragma once

#include <cstdint>
#include <vector>

namespace d3d8 {

// Scales A8R8G8B8 pixels (rows tightly packed) to another size. D3DX_FILTER_POINT and
// D3DX_FILTER_NONE take the source pixel under each destination pixel's centre; every
// other filter (BOX, LINEAR, TRIANGLE) averages, channel by channel, the source pixels
// that each destination pixel covers, so halving averages 2 x 2 blocks.
std::vector<uint32_t> ResampleArgb(const uint32_t* src, uint32_t srcWidth, uint32_t srcHeight,
                                   uint32_t dstWidth, uint32_t dstHeight, uint32_t filter);

}  // namespace d3d8
