#include "platform/d3d8/FixedFunctionProgram.h"

#include <cstdio>
#include <cstring>

#include "platform/d3d8/D3DX8Math.h"
#include "platform/d3d8/DeviceBase.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/PixelFormat.h"

namespace d3d8 {

namespace {

// Vertex stage. Pre-transformed positions are target pixels whose centres sit on whole
// coordinates, as in Direct3D; GL's centres sit on halves, hence the 0.5. Targets keep
// their top row first in memory, which is GL's row 0, so y is not flipped for them; the
// 3-D path flips Direct3D's y-up clip space instead and moves its depth from [0, w] to
// GL's [-w, w].
const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aTex0;
layout(location = 3) in vec2 aTex1;
uniform bool uPretransformed;
uniform vec4 uViewport;
uniform mat4 uWorldViewProj;
uniform mat4 uWorldView;
uniform int uTexCoord[2];
uniform bool uTexCameraSpace[2];
uniform bool uTexTransform[2];
uniform mat4 uTexMatrix[2];
out vec4 vColor;
out vec2 vTex0;
out vec2 vTex1;
// The coordinates of a stage: a vertex set, or the camera-space position; then its texture
// transform, two-component coordinates taking the matrix's third row as their translation
// and positions its fourth row, as Direct3D pads them.
vec2 StageCoords(int s) {
  vec4 source;
  if (uTexCameraSpace[s]) {
    source = vec4((uWorldView * vec4(aPosition.xyz, 1.0)).xyz, 1.0);
  } else {
    source = vec4(uTexCoord[s] == 1 ? aTex1 : aTex0, 1.0, 0.0);
  }
  return uTexTransform[s] ? (uTexMatrix[s] * source).xy : source.xy;
}
void main() {
  vColor = aColor;
  vTex0 = StageCoords(0);
  vTex1 = StageCoords(1);
  if (uPretransformed) {
    float rhw = aPosition.w;
    float w = (rhw > 0.0 && !isinf(rhw)) ? 1.0 / rhw : 1.0;
    vec2 ndc = (aPosition.xy + 0.5 - uViewport.xy) / uViewport.zw * 2.0 - 1.0;
    gl_Position = vec4(ndc * w, (aPosition.z * 2.0 - 1.0) * w, w);
  } else {
    vec4 clip = uWorldViewProj * vec4(aPosition.xyz, 1.0);
    clip.y = -clip.y;
    clip.z = 2.0 * clip.z - clip.w;
    clip.xy += clip.w / uViewport.zw;
    gl_Position = clip;
  }
}
)";

// Fragment stage: Direct3D's texture stages. A stage whose colour operation is DISABLE
// ends the chain; a stage without a texture reads its texture argument as white.
const char* kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec2 vTex0;
in vec2 vTex1;
uniform sampler2D uTexture0;
uniform sampler2D uTexture1;
uniform bool uHasTexture[2];
uniform int uColorOp[2];
uniform int uColorArg1[2];
uniform int uColorArg2[2];
uniform int uAlphaOp[2];
uniform int uAlphaArg1[2];
uniform int uAlphaArg2[2];
uniform vec4 uFactor;
uniform bool uAlphaTest;
uniform int uAlphaFunc;
uniform float uAlphaRef;
out vec4 fragColor;

vec4 Arg(int arg, vec4 current, vec4 tex) {
  int select = arg & 15;
  vec4 v = vec4(0.0);
  if (select == 0) v = vColor;
  else if (select == 1) v = current;
  else if (select == 2) v = tex;
  else if (select == 3) v = uFactor;
  if ((arg & 16) != 0) v = vec4(1.0) - v;
  if ((arg & 32) != 0) v = vec4(v.a);
  return v;
}

vec4 Combine(int op, vec4 a1, vec4 a2, vec4 current, vec4 tex) {
  if (op == 2) return a1;
  if (op == 3) return a2;
  if (op == 5) return a1 * a2 * 2.0;
  if (op == 6) return a1 * a2 * 4.0;
  if (op == 7) return a1 + a2;
  if (op == 8) return a1 + a2 - 0.5;
  if (op == 9) return (a1 + a2 - 0.5) * 2.0;
  if (op == 10) return a1 - a2;
  if (op == 11) return a1 + a2 - a1 * a2;
  if (op == 12) return mix(a2, a1, vColor.a);
  if (op == 13) return mix(a2, a1, tex.a);
  if (op == 14) return mix(a2, a1, uFactor.a);
  if (op == 15) return a1 + a2 * (1.0 - tex.a);
  if (op == 16) return mix(a2, a1, current.a);
  return a1 * a2;
}

vec4 RunStage(int s, vec4 current, vec4 tex) {
  vec4 c = Combine(uColorOp[s], Arg(uColorArg1[s], current, tex), Arg(uColorArg2[s], current, tex),
                   current, tex);
  float a = current.a;
  if (uAlphaOp[s] != 1) {
    a = Combine(uAlphaOp[s], Arg(uAlphaArg1[s], current, tex), Arg(uAlphaArg2[s], current, tex),
                current, tex).a;
  }
  return clamp(vec4(c.rgb, a), 0.0, 1.0);
}

bool AlphaPasses(float alpha) {
  float a = floor(alpha * 255.0 + 0.5);
  if (uAlphaFunc == 1) return false;
  if (uAlphaFunc == 2) return a < uAlphaRef;
  if (uAlphaFunc == 3) return a == uAlphaRef;
  if (uAlphaFunc == 4) return a <= uAlphaRef;
  if (uAlphaFunc == 5) return a > uAlphaRef;
  if (uAlphaFunc == 6) return a != uAlphaRef;
  if (uAlphaFunc == 7) return a >= uAlphaRef;
  return true;
}

void main() {
  vec4 current = vColor;
  if (uColorOp[0] != 1) {
    vec4 tex0 = uHasTexture[0] ? texture(uTexture0, vTex0) : vec4(1.0);
    current = RunStage(0, current, tex0);
    if (uColorOp[1] != 1) {
      vec4 tex1 = uHasTexture[1] ? texture(uTexture1, vTex1) : vec4(1.0);
      current = RunStage(1, current, tex1);
    }
  }
  if (uAlphaTest && !AlphaPasses(current.a)) discard;
  fragColor = current;
}
)";

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

}  // namespace

FixedFunctionProgram::FixedFunctionProgram() {
  GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader, error_, sizeof error_);
  GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, kFragmentShader, error_, sizeof error_) : 0;
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
  pretransformed_ = glGetUniformLocation(program, "uPretransformed");
  viewport_ = glGetUniformLocation(program, "uViewport");
  worldViewProj_ = glGetUniformLocation(program, "uWorldViewProj");
  worldView_ = glGetUniformLocation(program, "uWorldView");
  texCameraSpace_ = glGetUniformLocation(program, "uTexCameraSpace");
  texTransform_ = glGetUniformLocation(program, "uTexTransform");
  texMatrix_ = glGetUniformLocation(program, "uTexMatrix");
  hasTexture_ = glGetUniformLocation(program, "uHasTexture");
  texCoord_ = glGetUniformLocation(program, "uTexCoord");
  colorOp_ = glGetUniformLocation(program, "uColorOp");
  colorArg1_ = glGetUniformLocation(program, "uColorArg1");
  colorArg2_ = glGetUniformLocation(program, "uColorArg2");
  alphaOp_ = glGetUniformLocation(program, "uAlphaOp");
  alphaArg1_ = glGetUniformLocation(program, "uAlphaArg1");
  alphaArg2_ = glGetUniformLocation(program, "uAlphaArg2");
  factor_ = glGetUniformLocation(program, "uFactor");
  alphaTest_ = glGetUniformLocation(program, "uAlphaTest");
  alphaFunc_ = glGetUniformLocation(program, "uAlphaFunc");
  alphaRef_ = glGetUniformLocation(program, "uAlphaRef");
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "uTexture0"), 0);
  glUniform1i(glGetUniformLocation(program, "uTexture1"), 1);
}

FixedFunctionProgram::~FixedFunctionProgram() {
  if (program_) glDeleteProgram(program_);
}

void FixedFunctionProgram::Use(const DeviceState& state, const bool hasTexture[2]) const {
  glUseProgram(program_);
  const bool pretransformed = (state.vertexShader & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  glUniform1i(pretransformed_, pretransformed ? 1 : 0);
  const D3DVIEWPORT8& vp = state.viewport;
  glUniform4f(viewport_, static_cast<float>(vp.X), static_cast<float>(vp.Y),
              static_cast<float>(vp.Width), static_cast<float>(vp.Height));
  if (!pretransformed) {
    D3DXMATRIX worldView, worldViewProj;
    const D3DXMATRIX world(state.world), view(state.view), projection(state.projection);
    D3DXMatrixMultiply(&worldView, &world, &view);
    D3DXMatrixMultiply(&worldViewProj, &worldView, &projection);
    // Row-major rows read as GL's columns: the transpose, which is what column vectors need.
    glUniformMatrix4fv(worldViewProj_, 1, GL_FALSE, &worldViewProj.m[0][0]);
    glUniformMatrix4fv(worldView_, 1, GL_FALSE, &worldView.m[0][0]);
  } else {
    static const GLfloat kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glUniformMatrix4fv(worldView_, 1, GL_FALSE, kIdentity);
  }

  GLint cameraSpace[2], transform[2];
  for (int s = 0; s < 2; ++s) {
    const uint32_t* ts = state.stageStates[s];
    cameraSpace[s] = (ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF0000u) == D3DTSS_TCI_CAMERASPACEPOSITION;
    const uint32_t count = ts[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF;
    transform[s] = count != D3DTTFF_DISABLE;
  }
  glUniform1iv(texCameraSpace_, 2, cameraSpace);
  glUniform1iv(texTransform_, 2, transform);
  glUniformMatrix4fv(texMatrix_, 2, GL_FALSE, &state.textureTransforms[0].m[0][0]);

  GLint has[2], texCoord[2], colorOp[2], colorArg1[2], colorArg2[2], alphaOp[2], alphaArg1[2],
      alphaArg2[2];
  for (int s = 0; s < 2; ++s) {
    const uint32_t* ts = state.stageStates[s];
    has[s] = hasTexture[s] ? 1 : 0;
    texCoord[s] = static_cast<GLint>(ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF);
    colorOp[s] = static_cast<GLint>(ts[D3DTSS_COLOROP]);
    colorArg1[s] = static_cast<GLint>(ts[D3DTSS_COLORARG1]);
    colorArg2[s] = static_cast<GLint>(ts[D3DTSS_COLORARG2]);
    alphaOp[s] = static_cast<GLint>(ts[D3DTSS_ALPHAOP]);
    alphaArg1[s] = static_cast<GLint>(ts[D3DTSS_ALPHAARG1]);
    alphaArg2[s] = static_cast<GLint>(ts[D3DTSS_ALPHAARG2]);
  }
  glUniform1iv(hasTexture_, 2, has);
  glUniform1iv(texCoord_, 2, texCoord);
  glUniform1iv(colorOp_, 2, colorOp);
  glUniform1iv(colorArg1_, 2, colorArg1);
  glUniform1iv(colorArg2_, 2, colorArg2);
  glUniform1iv(alphaOp_, 2, alphaOp);
  glUniform1iv(alphaArg1_, 2, alphaArg1);
  glUniform1iv(alphaArg2_, 2, alphaArg2);

  GLfloat factor[4];
  ArgbToFloats(state.RenderState(D3DRS_TEXTUREFACTOR), factor);
  glUniform4fv(factor_, 1, factor);
  glUniform1i(alphaTest_, state.RenderState(D3DRS_ALPHATESTENABLE) ? 1 : 0);
  glUniform1i(alphaFunc_, static_cast<GLint>(state.RenderState(D3DRS_ALPHAFUNC)));
  glUniform1f(alphaRef_, static_cast<float>(state.RenderState(D3DRS_ALPHAREF) & 0xFF));
}

}  // namespace d3d8
