#include "platform/d3d8/AlphaTestReach.h"

#include <algorithm>

namespace d3d8 {

namespace {

// The values an alpha may take in a pixel, in 0..1: exactly 0, and values from
// lowestNonZero up (0 there means "as close to 0 as you like").
struct AlphaValues {
  bool known = true;
  bool zero = false;
  bool nonZero = false;
  double lowestNonZero = 1.0;

  static AlphaValues Unknown() {
    AlphaValues v;
    v.known = false;
    return v;
  }
  static AlphaValues Exactly(double value) {
    AlphaValues v;
    v.zero = value == 0.0;
    v.nonZero = value != 0.0;
    v.lowestNonZero = value;
    return v;
  }
  // Values from low to high, every one between included.
  static AlphaValues Between(double low, double high) {
    AlphaValues v;
    v.zero = low == 0.0;
    v.nonZero = high > 0.0;
    v.lowestNonZero = low;
    return v;
  }
};

AlphaValues Product(const AlphaValues& a, const AlphaValues& b, double scale) {
  if (!a.known || !b.known) return AlphaValues::Unknown();
  AlphaValues v;
  v.zero = a.zero || b.zero;
  v.nonZero = a.nonZero && b.nonZero;
  v.lowestNonZero = std::min(1.0, a.lowestNonZero * b.lowestNonZero * scale);
  return v;
}

AlphaValues Sum(const AlphaValues& a, const AlphaValues& b) {
  if (!a.known || !b.known) return AlphaValues::Unknown();
  AlphaValues v;
  v.zero = a.zero && b.zero;
  v.nonZero = a.nonZero || b.nonZero;
  // A sum is at least its larger part, so at least the lowest non-zero part.
  v.lowestNonZero = 1.0;
  if (a.nonZero) v.lowestNonZero = std::min(v.lowestNonZero, a.lowestNonZero);
  if (b.nonZero) v.lowestNonZero = std::min(v.lowestNonZero, b.lowestNonZero);
  return v;
}

AlphaValues Texture(const AlphaTestInputs& in, int stage, bool read) {
  if (!read) return AlphaValues::Exactly(1.0);  // no texture reads as white
  const TexelAlpha& t = in.texture[stage];
  if (!t.known) return AlphaValues::Unknown();
  if (in.mixesTexels[stage]) return AlphaValues::Between(t.min / 255.0, t.max / 255.0);
  AlphaValues v;
  v.zero = t.min == 0;
  v.nonZero = t.max > 0;
  v.lowestNonZero = t.minNonZero / 255.0;
  return v;
}

AlphaValues Argument(const AlphaTestInputs& in, const StageKey& key, int stage, uint8_t arg,
                     const AlphaValues& current) {
  if (arg & D3DTA_COMPLEMENT) return AlphaValues::Unknown();
  switch (arg & D3DTA_SELECTMASK) {
    case kArgDiffuse: return AlphaValues::Between(in.diffuseMin / 255.0, in.diffuseMax / 255.0);
    case kArgCurrent: return current;
    case kArgTexture: return Texture(in, stage, key.texture != 0);
    case kArgFactor: return AlphaValues::Exactly(in.factorAlpha / 255.0);
    default: return AlphaValues::Exactly(0.0);
  }
}

AlphaValues StageAlpha(const AlphaTestInputs& in, const StageKey& key, int stage,
                       const AlphaValues& current) {
  if (key.alphaOp == D3DTOP_DISABLE) return current;
  const AlphaValues a1 = Argument(in, key, stage, key.alphaArg1, current);
  const AlphaValues a2 = Argument(in, key, stage, key.alphaArg2, current);
  switch (key.alphaOp) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE: return Product(a1, a2, 1.0);
    case D3DTOP_MODULATE2X: return Product(a1, a2, 2.0);
    case D3DTOP_MODULATE4X: return Product(a1, a2, 4.0);
    case D3DTOP_ADD: return Sum(a1, a2);
    default: return AlphaValues::Unknown();
  }
}

// Whether a value of at least low (in 0..1) passes the test against ref (0..255). The
// pipeline rounds the alpha to 0..255 first; the margin covers the float arithmetic of
// interpolation and products.
bool AtLeastPasses(double low, uint8_t func, uint32_t ref) {
  constexpr double kMargin = 1e-3;
  const double scaled = low * 255.0;
  if (func == D3DCMP_GREATER) return scaled >= ref + 0.5 + kMargin;
  if (func == D3DCMP_GREATEREQUAL) return scaled >= ref - 0.5 + kMargin;
  return false;
}

bool ZeroPasses(uint8_t func, uint32_t ref) { return func == D3DCMP_GREATEREQUAL && ref == 0; }

// Whether an alpha argument is exactly 1 at every pixel. A complement is left unknown.
bool ArgumentIsOne(const AlphaTestInputs& in, const StageKey& key, int stage, uint8_t arg,
                   bool currentIsOne) {
  if (arg & D3DTA_COMPLEMENT) return false;
  switch (arg & D3DTA_SELECTMASK) {
    case kArgDiffuse: return in.diffuseMin == 255 && in.unitW;
    case kArgCurrent: return currentIsOne;
    case kArgTexture: {
      // No texture reads as white; filtering opaque texels gives an opaque texel.
      const TexelAlpha& t = in.texture[stage];
      return !key.texture || (t.known && t.min == 255);
    }
    case kArgFactor: return in.factorAlpha == 255;
    default: return false;
  }
}

// The stage's result is clamped to 1, so sums and scaled products of ones stay one.
bool StageAlphaIsOne(const AlphaTestInputs& in, const StageKey& key, int stage, bool currentIsOne) {
  if (key.alphaOp == D3DTOP_DISABLE) return currentIsOne;
  const bool a1 = ArgumentIsOne(in, key, stage, key.alphaArg1, currentIsOne);
  const bool a2 = ArgumentIsOne(in, key, stage, key.alphaArg2, currentIsOne);
  switch (key.alphaOp) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE:
    case D3DTOP_MODULATE2X:
    case D3DTOP_MODULATE4X: return a1 && a2;
    case D3DTOP_ADD: return a1 || a2;
    default: return false;
  }
}

}  // namespace

bool OutputAlphaIsOne(const FixedFunctionKey& key, const AlphaTestInputs& inputs) {
  bool one = inputs.diffuseMin == 255 && inputs.unitW;  // the chain starts from the diffuse colour
  for (int s = 0; s < 2 && key.Runs(s); ++s) one = StageAlphaIsOne(inputs, key.stages[s], s, one);
  return one;
}

void TexelAlpha::Include(const TexelAlpha& more) {
  if (!known || !more.known) {
    *this = TexelAlpha{};
    return;
  }
  if (more.max > 0) minNonZero = max > 0 ? std::min(minNonZero, more.minNonZero) : more.minNonZero;
  min = std::min(min, more.min);
  max = std::max(max, more.max);
}

bool AlphaTestCanChangePixels(const FixedFunctionKey& key, const AlphaTestInputs& inputs) {
  if (!key.HasAlphaTest()) return false;
  if (key.alphaFunc != D3DCMP_GREATER && key.alphaFunc != D3DCMP_GREATEREQUAL) return true;
  AlphaValues alpha = AlphaValues::Between(inputs.diffuseMin / 255.0, inputs.diffuseMax / 255.0);
  for (int s = 0; s < 2 && key.Runs(s); ++s) {
    alpha = StageAlpha(inputs, key.stages[s], s, alpha);
  }
  if (!alpha.known) return true;
  if (alpha.nonZero && !AtLeastPasses(alpha.lowestNonZero, key.alphaFunc, inputs.alphaRef)) {
    return true;
  }
  return alpha.zero && !ZeroPasses(key.alphaFunc, inputs.alphaRef) && !inputs.transparentLeavesTarget;
}

}  // namespace d3d8
