#include "platform/d3d8/FixedFunctionProgram.h"

#include <cstring>
#include <string>

#include "platform/d3d8/FixedFunctionSource.h"
#include "platform/d3d8/GlHeaders.h"

namespace d3d8 {

namespace {

GLuint Compile(GLenum type, const char* source, char* error, size_t errorSize) {
  GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    glGetShaderInfoLog(shader, static_cast<GLsizei>(errorSize), nullptr, error);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

// Whether the count values at from differ from those at to; copies them when they do.
template <typename T>
bool Changed(const T* from, T* to, size_t count) {
  if (std::memcmp(from, to, sizeof(T) * count) == 0) return false;
  std::memcpy(to, from, sizeof(T) * count);
  return true;
}

}  // namespace

FixedFunctionProgram::FixedFunctionProgram() : general_(true) {
  Build(kGeneralVertexShader, kGeneralFragmentShader);
}

FixedFunctionProgram::FixedFunctionProgram(const FixedFunctionKey& key) {
  const std::string vertex = VertexShaderFor(key);
  const std::string fragment = FragmentShaderFor(key);
  Build(vertex.c_str(), fragment.c_str());
}

FixedFunctionProgram::~FixedFunctionProgram() {
  if (program_) glDeleteProgram(program_);
}

void FixedFunctionProgram::Build(const char* vertexSource, const char* fragmentSource) {
  GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource, error_, sizeof error_);
  GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, fragmentSource, error_, sizeof error_) : 0;
  if (!vs || !fs) {
    if (vs) glDeleteShader(vs);
    return;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    glGetProgramInfoLog(program, sizeof error_, nullptr, error_);
    glDeleteProgram(program);
    return;
  }
  program_ = program;
  FindUniforms();
}

void FixedFunctionProgram::FindUniforms() {
  const GLuint program = program_;
  viewport_ = glGetUniformLocation(program, "uViewport");
  worldViewProj_ = glGetUniformLocation(program, "uWorldViewProj");
  worldView_ = glGetUniformLocation(program, "uWorldView");
  texMatrix_ = glGetUniformLocation(program, "uTexMatrix");
  factor_ = glGetUniformLocation(program, "uFactor");
  alphaRef_ = glGetUniformLocation(program, "uAlphaRef");
  pretransformed_ = glGetUniformLocation(program, "uPretransformed");
  hasTexture_ = glGetUniformLocation(program, "uHasTexture");
  texCoord_ = glGetUniformLocation(program, "uTexCoord");
  texCameraSpace_ = glGetUniformLocation(program, "uTexCameraSpace");
  texTransform_ = glGetUniformLocation(program, "uTexTransform");
  colorOp_ = glGetUniformLocation(program, "uColorOp");
  colorArg1_ = glGetUniformLocation(program, "uColorArg1");
  colorArg2_ = glGetUniformLocation(program, "uColorArg2");
  alphaOp_ = glGetUniformLocation(program, "uAlphaOp");
  alphaArg1_ = glGetUniformLocation(program, "uAlphaArg1");
  alphaArg2_ = glGetUniformLocation(program, "uAlphaArg2");
  alphaTest_ = glGetUniformLocation(program, "uAlphaTest");
  alphaFunc_ = glGetUniformLocation(program, "uAlphaFunc");
  // The samplers read texture units 0 and 1 for good.
  glUseProgram(program);
  const GLint texture0 = glGetUniformLocation(program, "uTexture0");
  const GLint texture1 = glGetUniformLocation(program, "uTexture1");
  if (texture0 >= 0) glUniform1i(texture0, 0);
  if (texture1 >= 0) glUniform1i(texture1, 1);
}

void FixedFunctionProgram::LoadValues(const ProgramValues& values) {
  const bool all = !valuesLoaded_;
  valuesLoaded_ = true;
  ProgramValues& had = values_;
  // Uniforms the program does not have (location -1) are skipped; their values are kept
  // all the same, so that the next comparison sees them as sent.
  if (Changed(values.viewport, had.viewport, 4) || all) {
    if (viewport_ >= 0) glUniform4fv(viewport_, 1, had.viewport);
  }
  // Row-major rows read as GL's columns: the transpose, which is what column vectors need.
  if (Changed(values.worldViewProj, had.worldViewProj, 16) || all) {
    if (worldViewProj_ >= 0) glUniformMatrix4fv(worldViewProj_, 1, GL_FALSE, had.worldViewProj);
  }
  if (Changed(values.worldView, had.worldView, 16) || all) {
    if (worldView_ >= 0) glUniformMatrix4fv(worldView_, 1, GL_FALSE, had.worldView);
  }
  if (Changed(&values.texMatrix[0][0], &had.texMatrix[0][0], 32) || all) {
    if (texMatrix_ >= 0) glUniformMatrix4fv(texMatrix_, 2, GL_FALSE, &had.texMatrix[0][0]);
  }
  if (Changed(values.factor, had.factor, 4) || all) {
    if (factor_ >= 0) glUniform4fv(factor_, 1, had.factor);
  }
  if (Changed(&values.alphaRef, &had.alphaRef, 1) || all) {
    if (alphaRef_ >= 0) glUniform1f(alphaRef_, had.alphaRef);
  }
}

void FixedFunctionProgram::LoadSettings(const GeneralSettings& settings) {
  if (!general_) return;
  const bool all = !settingsLoaded_;
  settingsLoaded_ = true;
  GeneralSettings& had = settings_;
  if (Changed(&settings.pretransformed, &had.pretransformed, 1) || all) {
    glUniform1i(pretransformed_, had.pretransformed);
  }
  const struct {
    const int32_t* from;
    int32_t* to;
    int location;
  } arrays[] = {
      {settings.hasTexture, had.hasTexture, hasTexture_},
      {settings.texCoord, had.texCoord, texCoord_},
      {settings.cameraSpace, had.cameraSpace, texCameraSpace_},
      {settings.transform, had.transform, texTransform_},
      {settings.colorOp, had.colorOp, colorOp_},
      {settings.colorArg1, had.colorArg1, colorArg1_},
      {settings.colorArg2, had.colorArg2, colorArg2_},
      {settings.alphaOp, had.alphaOp, alphaOp_},
      {settings.alphaArg1, had.alphaArg1, alphaArg1_},
      {settings.alphaArg2, had.alphaArg2, alphaArg2_},
  };
  for (const auto& array : arrays) {
    if (Changed(array.from, array.to, 2) || all) glUniform1iv(array.location, 2, array.to);
  }
  if (Changed(&settings.alphaTest, &had.alphaTest, 1) || all) {
    glUniform1i(alphaTest_, had.alphaTest);
  }
  if (Changed(&settings.alphaFunc, &had.alphaFunc, 1) || all) {
    glUniform1i(alphaFunc_, had.alphaFunc);
  }
}

}  // namespace d3d8
