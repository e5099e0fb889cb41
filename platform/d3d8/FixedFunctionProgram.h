#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8Types.h"

namespace d3d8 {

struct DeviceState;

// The shader program that does what Direct3D 8's fixed-function pipeline does for the
// renderer: pre-transformed vertices in target pixels (with their reciprocal w, so that
// textures are interpolated in perspective) or untransformed ones through
// world x view x projection, vertex colours, two texture stages with their colour and
// alpha operations, the texture factor, and the alpha test. It needs the GL context
// current when it is built, used and destroyed.
class FixedFunctionProgram {
 public:
  // Compiles and links; Valid() tells whether that worked (Error() says why not).
  FixedFunctionProgram();
  ~FixedFunctionProgram();
  FixedFunctionProgram(const FixedFunctionProgram&) = delete;
  FixedFunctionProgram& operator=(const FixedFunctionProgram&) = delete;

  bool Valid() const { return program_ != 0; }
  const char* Error() const { return error_; }

  // Makes the program current and loads the state of a draw: the vertex format, the
  // viewport, the transforms, the stages (hasTexture tells which stages have a 2-D
  // texture bound) and the alpha test.
  void Use(const DeviceState& state, const bool hasTexture[2]) const;

 private:
  uint32_t program_ = 0;
  char error_[512] = {};
  int pretransformed_ = -1;
  int viewport_ = -1;
  int worldViewProj_ = -1;
  int worldView_ = -1;
  int texCameraSpace_ = -1;
  int texTransform_ = -1;
  int texMatrix_ = -1;
  int hasTexture_ = -1;
  int texCoord_ = -1;
  int colorOp_ = -1;
  int colorArg1_ = -1;
  int colorArg2_ = -1;
  int alphaOp_ = -1;
  int alphaArg1_ = -1;
  int alphaArg2_ = -1;
  int factor_ = -1;
  int alphaTest_ = -1;
  int alphaFunc_ = -1;
  int alphaRef_ = -1;
};

}  // namespace d3d8
