#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d8/D3D8Types.h"

namespace d3d8 {

struct DeviceState;

// What one texture stage does, reduced to what changes its result: a stage that does not
// run is all zero, arguments an operation does not read are zero, and a stage that reads
// no texture has no texture, coordinate source or transform.
struct StageKey {
  uint8_t colorOp;    // D3DTOP_*; operations the pipeline does not know are MODULATE
  uint8_t colorArg1;  // D3DTA_* select (0 to 3, 4 for "zero") with its modifier bits
  uint8_t colorArg2;
  uint8_t alphaOp;    // D3DTOP_DISABLE keeps the current alpha
  uint8_t alphaArg1;
  uint8_t alphaArg2;
  uint8_t texture;    // 1: a 2-D texture is bound and read; 0: the texture reads as white
  uint8_t coords;     // kCoords*: where the texture coordinates come from
  uint8_t transform;  // 1: the coordinates go through the stage's texture matrix
};

// The fixed-function state a draw's program is made for: both blend stages, the alpha test
// and the vertex path. Two draws with equal keys run the same program; everything else
// they differ in is a uniform value.
struct FixedFunctionKey {
  StageKey stages[kD3DBlendStageCount];
  uint8_t alphaFunc;       // D3DCMP_*; ALWAYS when the test is off or cannot change a pixel
  uint8_t pretransformed;  // 1: positions are target pixels with 1/w

  bool operator==(const FixedFunctionKey& other) const;
  bool operator!=(const FixedFunctionKey& other) const { return !(*this == other); }
  size_t Hash() const;

  // Whether a stage runs (the chain ends at the first stage whose colour operation is
  // DISABLE).
  bool Runs(int stage) const { return stages[stage].colorOp != D3DTOP_DISABLE; }
  bool ReadsTexture(int stage) const { return stages[stage].texture != 0; }
  bool UsesFactor() const;
  bool UsesCameraSpace() const;
  bool UsesTextureMatrix(int stage) const { return stages[stage].transform != 0; }
  bool HasAlphaTest() const { return alphaFunc != D3DCMP_ALWAYS; }
};

// Argument selects, as the key stores them.
constexpr uint8_t kArgDiffuse = D3DTA_DIFFUSE;
constexpr uint8_t kArgCurrent = D3DTA_CURRENT;
constexpr uint8_t kArgTexture = D3DTA_TEXTURE;
constexpr uint8_t kArgFactor = D3DTA_TFACTOR;
constexpr uint8_t kArgZero = 4;  // specular and temporary registers: the pipeline has none

// Coordinate sources.
constexpr uint8_t kCoordsSet0 = 0;
constexpr uint8_t kCoordsSet1 = 1;
constexpr uint8_t kCoordsCameraSpace = 2;

// The key of the state of a draw; hasTexture tells which stages have a 2-D texture bound.
FixedFunctionKey MakeFixedFunctionKey(const DeviceState& state, const bool hasTexture[2]);

// What an operation reads besides its two arguments (BLENDTEXTUREALPHA reads the
// texture's alpha, BLENDFACTORALPHA the factor's, ...).
bool OperationReadsTexture(uint8_t op);
bool OperationReadsFactor(uint8_t op);
// Whether an operation reads its first or second argument.
bool OperationReadsArg1(uint8_t op);
bool OperationReadsArg2(uint8_t op);

}  // namespace d3d8
