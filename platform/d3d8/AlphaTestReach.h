#pragma once

#include <cstdint>

#include "platform/d3d8/FixedFunctionKey.h"

namespace d3d8 {

// The alpha values (0 to 255) found in a texture's levels.
struct TexelAlpha {
  bool known = false;        // false: anything from 0 to 255
  uint8_t min = 0;
  uint8_t max = 255;
  uint8_t minNonZero = 1;    // the lowest value above 0 (when max is above 0)
  // Everything known to be opaque (a format without alpha, or only opaque texels).
  static TexelAlpha Opaque() { return TexelAlpha{true, 255, 255, 255}; }
  // Adds the values of more texels (or a border colour).
  void Include(const TexelAlpha& more);
};

// What a draw gives the alpha test to work on, besides its key.
struct AlphaTestInputs {
  uint32_t alphaRef = 0;  // 0 to 255
  // Per stage that reads a texture: the texture's alpha values, and whether sampling may
  // mix neighbouring texels (linear filtering), which gives any value between them.
  TexelAlpha texture[2];
  bool mixesTexels[2] = {false, false};
  // The diffuse alpha of the draw's vertices, lowest and highest (255 without colours).
  uint8_t diffuseMin = 255;
  uint8_t diffuseMax = 255;
  // w is exactly 1 at every vertex, so that an alpha every vertex has is exactly that
  // alpha at every pixel (perspective would divide and multiply it again).
  bool unitW = false;
  uint8_t factorAlpha = 255;
  // A pixel of alpha 0 that passes leaves the target as it was: blending multiplies the
  // source by its alpha and keeps the target whole (source alpha with inverse source alpha
  // or one), and no depth or stencil value is written.
  bool transparentLeavesTarget = false;
};

// Whether the key's alpha test can change a pixel of the draw: false when every pixel it
// would discard is one that, drawn, would leave the target as it was, so that the program
// can leave the discard out (which a software rasteriser runs much faster). Conservative:
// anything it cannot follow counts as changing pixels.
bool AlphaTestCanChangePixels(const FixedFunctionKey& key, const AlphaTestInputs& inputs);

// Whether every pixel of the draw leaves the texture stages with an alpha of exactly 1,
// so that blending that weighs the source by its alpha writes it unchanged. Conservative:
// anything it cannot follow counts as not opaque.
bool OutputAlphaIsOne(const FixedFunctionKey& key, const AlphaTestInputs& inputs);

}  // namespace d3d8
