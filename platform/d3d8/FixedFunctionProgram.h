#pragma once

#include <cstdint>

#include "platform/d3d8/FixedFunctionKey.h"

namespace d3d8 {

// The values a fixed-function program reads from uniforms, whatever its key: the viewport,
// the transforms, the texture factor and the alpha reference. Values a key does not read
// are left zero, so that draws differing only in them count as equal.
struct ProgramValues {
  float viewport[4];
  float worldViewProj[16];
  float worldView[16];
  float texMatrix[2][16];
  float factor[4];
  float alphaRef;
};

// What the general program reads from uniforms in place of a key: every stage setting and
// the alpha test, as the device state holds them.
struct GeneralSettings {
  int32_t pretransformed;
  int32_t hasTexture[2];
  int32_t texCoord[2];
  int32_t cameraSpace[2];
  int32_t transform[2];
  int32_t colorOp[2];
  int32_t colorArg1[2];
  int32_t colorArg2[2];
  int32_t alphaOp[2];
  int32_t alphaArg1[2];
  int32_t alphaArg2[2];
  int32_t alphaTest;
  int32_t alphaFunc;
};

// A shader program that does what Direct3D 8's fixed-function pipeline does for the
// renderer: pre-transformed vertices in target pixels (with their reciprocal w, so that
// textures are interpolated in perspective) or untransformed ones through
// world x view x projection, vertex colours, two texture stages with their colour and
// alpha operations, the texture factor, and the alpha test.
//
// The general program takes every stage setting from uniforms and branches on them for
// every pixel; a program made for a key has that key's settings written in, which a
// software rasteriser runs several times faster. Each program remembers the uniform
// values it was last given and sends only those that change. It needs the GL context
// current when it is built, loaded and destroyed.
class FixedFunctionProgram {
 public:
  // The general program.
  FixedFunctionProgram();
  // The program of one key.
  explicit FixedFunctionProgram(const FixedFunctionKey& key);
  ~FixedFunctionProgram();
  FixedFunctionProgram(const FixedFunctionProgram&) = delete;
  FixedFunctionProgram& operator=(const FixedFunctionProgram&) = delete;

  // Whether compiling and linking worked (Error() says why not).
  bool Valid() const { return program_ != 0; }
  const char* Error() const { return error_; }
  uint32_t Name() const { return program_; }
  bool IsGeneral() const { return general_; }

  // Sends the values that differ from what the program last had. The program must be
  // current.
  void LoadValues(const ProgramValues& values);
  // The same for the stage settings of the general program.
  void LoadSettings(const GeneralSettings& settings);

 private:
  void Build(const char* vertexSource, const char* fragmentSource);
  void FindUniforms();

  uint32_t program_ = 0;
  bool general_ = false;
  char error_[512] = {};
  int viewport_ = -1;
  int worldViewProj_ = -1;
  int worldView_ = -1;
  int texMatrix_ = -1;
  int factor_ = -1;
  int alphaRef_ = -1;
  // The general program's settings.
  int pretransformed_ = -1;
  int hasTexture_ = -1;
  int texCoord_ = -1;
  int texCameraSpace_ = -1;
  int texTransform_ = -1;
  int colorOp_ = -1;
  int colorArg1_ = -1;
  int colorArg2_ = -1;
  int alphaOp_ = -1;
  int alphaArg1_ = -1;
  int alphaArg2_ = -1;
  int alphaTest_ = -1;
  int alphaFunc_ = -1;

  // What the program's uniforms hold (valid once loaded).
  ProgramValues values_{};
  GeneralSettings settings_{};
  bool valuesLoaded_ = false;
  bool settingsLoaded_ = false;
};

}  // namespace d3d8
