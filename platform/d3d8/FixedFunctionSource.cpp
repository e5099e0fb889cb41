#include "platform/d3d8/FixedFunctionSource.h"

namespace d3d8 {

// Vertex stage. Pre-transformed positions are target pixels whose centres sit on whole
// coordinates, as in Direct3D; GL's centres sit on halves, hence the 0.5. Targets keep
// their top row first in memory, which is GL's row 0, so y is not flipped for them; the
// 3-D path flips Direct3D's y-up clip space instead and moves its depth from [0, w] to
// GL's [-w, w].
const char* const kGeneralVertexShader = R"(#version 330 core
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
const char* const kGeneralFragmentShader = R"(#version 330 core
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

namespace {

// The programs made for a key write out what the general one computes for that key, in the
// same order of operations.

std::string Texture(int stage) { return "tex" + std::to_string(stage); }

std::string Argument(uint8_t arg, int stage) {
  std::string value;
  switch (arg & D3DTA_SELECTMASK) {
    case kArgDiffuse: value = "vColor"; break;
    case kArgCurrent: value = "current"; break;
    case kArgTexture: value = Texture(stage); break;
    case kArgFactor: value = "uFactor"; break;
    default: value = "vec4(0.0)"; break;
  }
  if (arg & D3DTA_COMPLEMENT) value = "(vec4(1.0) - " + value + ")";
  if (arg & D3DTA_ALPHAREPLICATE) value = "vec4(" + value + ".a)";
  return value;
}

std::string Combination(uint8_t op, const std::string& a1, const std::string& a2, int stage) {
  const std::string tex = Texture(stage);
  switch (op) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE2X: return "(" + a1 + " * " + a2 + " * 2.0)";
    case D3DTOP_MODULATE4X: return "(" + a1 + " * " + a2 + " * 4.0)";
    case D3DTOP_ADD: return "(" + a1 + " + " + a2 + ")";
    case D3DTOP_ADDSIGNED: return "(" + a1 + " + " + a2 + " - 0.5)";
    case D3DTOP_ADDSIGNED2X: return "((" + a1 + " + " + a2 + " - 0.5) * 2.0)";
    case D3DTOP_SUBTRACT: return "(" + a1 + " - " + a2 + ")";
    case D3DTOP_ADDSMOOTH: return "(" + a1 + " + " + a2 + " - " + a1 + " * " + a2 + ")";
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix(" + a2 + ", " + a1 + ", vColor.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix(" + a2 + ", " + a1 + ", " + tex + ".a)";
    case D3DTOP_BLENDFACTORALPHA: return "mix(" + a2 + ", " + a1 + ", uFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM: return "(" + a1 + " + " + a2 + " * (1.0 - " + tex + ".a))";
    case D3DTOP_BLENDCURRENTALPHA: return "mix(" + a2 + ", " + a1 + ", current.a)";
    default: return "(" + a1 + " * " + a2 + ")";
  }
}

std::string StageCode(const FixedFunctionKey& key, int s) {
  const StageKey& stage = key.stages[s];
  const std::string index = std::to_string(s);
  std::string code = "  {\n    vec4 " + Texture(s) + " = ";
  code += stage.texture ? "texture(uTexture" + index + ", vTex" + index + ");\n" : "vec4(1.0);\n";
  code += "    vec4 c = " +
          Combination(stage.colorOp, Argument(stage.colorArg1, s), Argument(stage.colorArg2, s), s) +
          ";\n";
  if (stage.alphaOp == D3DTOP_DISABLE) {
    code += "    float a = current.a;\n";
  } else {
    code += "    float a = " +
            Combination(stage.alphaOp, Argument(stage.alphaArg1, s), Argument(stage.alphaArg2, s), s) +
            ".a;\n";
  }
  code += "    current = clamp(vec4(c.rgb, a), 0.0, 1.0);\n  }\n";
  return code;
}

std::string AlphaTestCode(uint8_t func) {
  const char* passes = nullptr;
  switch (func) {
    case D3DCMP_NEVER: return "  discard;\n";
    case D3DCMP_LESS: passes = "<"; break;
    case D3DCMP_EQUAL: passes = "=="; break;
    case D3DCMP_LESSEQUAL: passes = "<="; break;
    case D3DCMP_GREATER: passes = ">"; break;
    case D3DCMP_NOTEQUAL: passes = "!="; break;
    case D3DCMP_GREATEREQUAL: passes = ">="; break;
    default: return "";
  }
  return std::string("  if (!(floor(current.a * 255.0 + 0.5) ") + passes + " uAlphaRef)) discard;\n";
}

std::string StageCoordsCode(const FixedFunctionKey& key, int s) {
  const StageKey& stage = key.stages[s];
  const std::string index = std::to_string(s);
  const std::string out = "  vTex" + index + " = ";
  if (!stage.texture) return out + "vec2(0.0);\n";
  std::string source;
  if (stage.coords == kCoordsCameraSpace) {
    source = "vec4((uWorldView * vec4(aPosition.xyz, 1.0)).xyz, 1.0)";
  } else {
    source = std::string("vec4(") + (stage.coords == kCoordsSet1 ? "aTex1" : "aTex0") + ", 1.0, 0.0)";
  }
  if (stage.transform) return out + "(uTexMatrix[" + index + "] * " + source + ").xy;\n";
  return out + source + ".xy;\n";
}

}  // namespace

std::string VertexShaderFor(const FixedFunctionKey& key) {
  std::string code =
      "#version 330 core\n"
      "layout(location = 0) in vec4 aPosition;\n"
      "layout(location = 1) in vec4 aColor;\n"
      "layout(location = 2) in vec2 aTex0;\n"
      "layout(location = 3) in vec2 aTex1;\n"
      "uniform vec4 uViewport;\n";
  if (!key.pretransformed) code += "uniform mat4 uWorldViewProj;\n";
  if (key.UsesCameraSpace()) code += "uniform mat4 uWorldView;\n";
  if (key.UsesTextureMatrix(0) || key.UsesTextureMatrix(1)) code += "uniform mat4 uTexMatrix[2];\n";
  code +=
      "out vec4 vColor;\n"
      "out vec2 vTex0;\n"
      "out vec2 vTex1;\n"
      "void main() {\n"
      "  vColor = aColor;\n";
  code += StageCoordsCode(key, 0);
  code += StageCoordsCode(key, 1);
  if (key.pretransformed) {
    code +=
        "  float rhw = aPosition.w;\n"
        "  float w = (rhw > 0.0 && !isinf(rhw)) ? 1.0 / rhw : 1.0;\n"
        "  vec2 ndc = (aPosition.xy + 0.5 - uViewport.xy) / uViewport.zw * 2.0 - 1.0;\n"
        "  gl_Position = vec4(ndc * w, (aPosition.z * 2.0 - 1.0) * w, w);\n";
  } else {
    code +=
        "  vec4 clip = uWorldViewProj * vec4(aPosition.xyz, 1.0);\n"
        "  clip.y = -clip.y;\n"
        "  clip.z = 2.0 * clip.z - clip.w;\n"
        "  clip.xy += clip.w / uViewport.zw;\n"
        "  gl_Position = clip;\n";
  }
  return code + "}\n";
}

std::string FragmentShaderFor(const FixedFunctionKey& key) {
  std::string code =
      "#version 330 core\n"
      "in vec4 vColor;\n"
      "in vec2 vTex0;\n"
      "in vec2 vTex1;\n";
  if (key.ReadsTexture(0)) code += "uniform sampler2D uTexture0;\n";
  if (key.ReadsTexture(1)) code += "uniform sampler2D uTexture1;\n";
  if (key.UsesFactor()) code += "uniform vec4 uFactor;\n";
  if (key.HasAlphaTest()) code += "uniform float uAlphaRef;\n";
  code +=
      "out vec4 fragColor;\n"
      "void main() {\n"
      "  vec4 current = vColor;\n";
  for (int s = 0; s < 2; ++s) {
    if (key.Runs(s)) code += StageCode(key, s);
  }
  code += AlphaTestCode(key.alphaFunc);
  return code + "  fragColor = current;\n}\n";
}

}  // namespace d3d8
