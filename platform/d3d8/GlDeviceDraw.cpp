// Drawing of the OpenGL device: a draw's state resolved into GL values, runs of triangle
// lists of one state joined into one draw, and GL sent only what changed.

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/d3d8/AlphaTestReach.h"
#include "platform/d3d8/D3DX8Math.h"
#include "platform/d3d8/GlDevice.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/GlTexture.h"
#include "platform/d3d8/PixelFormat.h"

namespace d3d8 {

namespace {

// Triangle lists held back to join are sent once they reach this many bytes.
constexpr size_t kMaxHeldBytes = 1u << 20;

GLenum BlendFactor(uint32_t blend) {
  switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
  }
}

GLenum BlendEquation(uint32_t op) {
  switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

GLenum CompareFunction(uint32_t cmp) {
  switch (cmp) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLenum StencilOperation(uint32_t op) {
  switch (op) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
  switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    default: return GL_TRIANGLES;
  }
}

SamplerKey SamplerKeyOf(const uint32_t* states) {
  return {states[D3DTSS_MAGFILTER], states[D3DTSS_MINFILTER], states[D3DTSS_MIPFILTER],
          states[D3DTSS_ADDRESSU],  states[D3DTSS_ADDRESSV],  states[D3DTSS_BORDERCOLOR],
          states[D3DTSS_MIPMAPLODBIAS]};
}

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The alpha values a stage's texture gives through its sampler.
void StageAlpha(GlTexture* texture, const SamplerKey& sampler, TexelAlpha* alpha, bool* mixes) {
  *alpha = texture->Alpha();
  if (sampler[3] == D3DTADDRESS_BORDER || sampler[4] == D3DTADDRESS_BORDER) {
    const uint8_t border = static_cast<uint8_t>(sampler[5] >> 24);
    alpha->Include(TexelAlpha{true, border, border, border});
  }
  *mixes = sampler[0] >= D3DTEXF_LINEAR || sampler[1] >= D3DTEXF_LINEAR || sampler[2] >= D3DTEXF_LINEAR;
}

// Whether blending with these factors and equation writes the source colour unchanged
// when the source alpha is exactly 1: the source factor is then one and the destination
// factor zero.
bool BlendKeepsOpaqueSource(uint32_t source, uint32_t dest, uint32_t equation) {
  return (source == GL_ONE || source == GL_SRC_ALPHA) &&
         (dest == GL_ZERO || dest == GL_ONE_MINUS_SRC_ALPHA) &&
         (equation == GL_FUNC_ADD || equation == GL_FUNC_SUBTRACT);
}

}  // namespace

void GlDevice::UseGeneralProgram(bool on) {
  FlushDraws();
  generalProgram_ = on;
}

bool GlDevice::ResolveDrawState(uint32_t stride, DrawState* draw) {
  static_assert(sizeof(DrawState) == offsetof(DrawState, unused) + sizeof(uint32_t),
                "draw states are compared as bytes: no tail padding");
  std::memset(draw, 0, sizeof *draw);
  GlTexture* target = static_cast<GlTexture*>(RenderTargetTexture());
  if (!target) return false;
  const bool depth = target == BackBufferTexture() && PresentParameters().EnableAutoDepthStencil;
  draw->framebuffer = target->Framebuffer(depth);
  if (!draw->framebuffer) return false;
  draw->target = target;
  const D3DVIEWPORT8& vp = state_.viewport;
  draw->viewport[0] = static_cast<int32_t>(vp.X);
  draw->viewport[1] = static_cast<int32_t>(vp.Y);
  draw->viewport[2] = static_cast<int32_t>(vp.Width);
  draw->viewport[3] = static_cast<int32_t>(vp.Height);
  draw->depthRange[0] = vp.MinZ;
  draw->depthRange[1] = vp.MaxZ;
  ResolveRasterState(draw);

  bool hasTexture[2];
  GlTexture* bound[2];
  for (int s = 0; s < 2; ++s) {
    bound[s] = dynamic_cast<GlTexture*>(state_.textures[s]);
    hasTexture[s] = bound[s] && state_.stageStates[s][D3DTSS_COLOROP] != D3DTOP_DISABLE;
  }
  draw->key = MakeFixedFunctionKey(state_, hasTexture);
  for (int s = 0; s < 2; ++s) {
    // The general program samples every stage that has a texture; a key's only those it reads.
    const bool read = generalProgram_ ? hasTexture[s] : draw->key.ReadsTexture(s);
    if (!read) continue;
    draw->textures[s] = bound[s];
    draw->samplers[s] = SamplerKeyOf(state_.stageStates[s]);
  }
  ResolveProgramValues(draw);
  if (generalProgram_) ResolveGeneralSettings(hasTexture, draw);
  draw->fvf = state_.vertexShader;
  draw->stride = stride;
  return true;
}

void GlDevice::ResolveRasterState(DrawState* draw) const {
  const uint32_t* rs = state_.renderStates;
  if (rs[D3DRS_ALPHABLENDENABLE]) {
    draw->blend = 1;
    draw->blendSource = BlendFactor(rs[D3DRS_SRCBLEND]);
    draw->blendDest = BlendFactor(rs[D3DRS_DESTBLEND]);
    if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
      draw->blendSource = GL_SRC_ALPHA;
      draw->blendDest = GL_ONE_MINUS_SRC_ALPHA;
    } else if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
      draw->blendSource = GL_ONE_MINUS_SRC_ALPHA;
      draw->blendDest = GL_SRC_ALPHA;
    }
    draw->blendEquation = BlendEquation(rs[D3DRS_BLENDOP]);
  }
  // Direct3D's clockwise is GL's counter-clockwise (see GlContext).
  if (rs[D3DRS_CULLMODE] == D3DCULL_CW) {
    draw->cull = 1;
    draw->cullFace = GL_FRONT;
  } else if (rs[D3DRS_CULLMODE] == D3DCULL_CCW) {
    draw->cull = 1;
    draw->cullFace = GL_BACK;
  }
  const bool depthStencil = draw->target->HasDepthStencil();
  if (rs[D3DRS_ZENABLE] && depthStencil) {
    draw->depthTest = 1;
    draw->depthFunc = CompareFunction(rs[D3DRS_ZFUNC]);
    draw->depthWrite = rs[D3DRS_ZWRITEENABLE] ? 1 : 0;
  }
  if (rs[D3DRS_STENCILENABLE] && depthStencil) {
    draw->stencilTest = 1;
    draw->stencilFunc = CompareFunction(rs[D3DRS_STENCILFUNC]);
    draw->stencilRef = rs[D3DRS_STENCILREF] & 0xFF;
    draw->stencilMask = rs[D3DRS_STENCILMASK] & 0xFF;
    draw->stencilFail = StencilOperation(rs[D3DRS_STENCILFAIL]);
    draw->stencilDepthFail = StencilOperation(rs[D3DRS_STENCILZFAIL]);
    draw->stencilPass = StencilOperation(rs[D3DRS_STENCILPASS]);
    draw->stencilWriteMask = rs[D3DRS_STENCILWRITEMASK] & 0xFF;
  }
  // Direct3D does not clip pre-transformed vertices by depth.
  draw->depthClamp = (state_.vertexShader & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW ? 1 : 0;
  const uint32_t fill = rs[D3DRS_FILLMODE];
  draw->polygonMode = fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL;
  const uint32_t mask = rs[D3DRS_COLORWRITEENABLE];
  draw->colorMask = ((mask & D3DCOLORWRITEENABLE_RED) ? 1u : 0u) |
                    ((mask & D3DCOLORWRITEENABLE_GREEN) ? 2u : 0u) |
                    ((mask & D3DCOLORWRITEENABLE_BLUE) ? 4u : 0u) |
                    ((mask & D3DCOLORWRITEENABLE_ALPHA) ? 8u : 0u);
}

// The uniform values the draw's program reads; the general program reads them all.
void GlDevice::ResolveProgramValues(DrawState* draw) const {
  const FixedFunctionKey& key = draw->key;
  ProgramValues& values = draw->values;
  const D3DVIEWPORT8& vp = state_.viewport;
  values.viewport[0] = static_cast<float>(vp.X);
  values.viewport[1] = static_cast<float>(vp.Y);
  values.viewport[2] = static_cast<float>(vp.Width);
  values.viewport[3] = static_cast<float>(vp.Height);
  const bool all = generalProgram_;
  if (!key.pretransformed) {
    D3DXMATRIX worldView, worldViewProj;
    const D3DXMATRIX world(state_.world), view(state_.view), projection(state_.projection);
    D3DXMatrixMultiply(&worldView, &world, &view);
    D3DXMatrixMultiply(&worldViewProj, &worldView, &projection);
    std::memcpy(values.worldViewProj, &worldViewProj.m[0][0], sizeof values.worldViewProj);
    if (all || key.UsesCameraSpace()) {
      std::memcpy(values.worldView, &worldView.m[0][0], sizeof values.worldView);
    }
  } else if (all || key.UsesCameraSpace()) {
    std::memcpy(values.worldView, kIdentity, sizeof values.worldView);
  }
  for (int s = 0; s < 2; ++s) {
    if (all || key.UsesTextureMatrix(s)) {
      std::memcpy(values.texMatrix[s], &state_.textureTransforms[s].m[0][0], sizeof values.texMatrix[s]);
    }
  }
  if (all || key.UsesFactor()) ArgbToFloats(state_.RenderState(D3DRS_TEXTUREFACTOR), values.factor);
  if (all || key.HasAlphaTest()) {
    values.alphaRef = static_cast<float>(state_.RenderState(D3DRS_ALPHAREF) & 0xFF);
  }
}

void GlDevice::ResolveGeneralSettings(const bool hasTexture[2], DrawState* draw) const {
  GeneralSettings& g = draw->general;
  g.pretransformed = draw->key.pretransformed;
  for (int s = 0; s < 2; ++s) {
    const uint32_t* ts = state_.stageStates[s];
    g.hasTexture[s] = hasTexture[s] ? 1 : 0;
    g.cameraSpace[s] = (ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF0000u) == D3DTSS_TCI_CAMERASPACEPOSITION;
    g.transform[s] = (ts[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) != D3DTTFF_DISABLE;
    g.texCoord[s] = static_cast<int32_t>(ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF);
    g.colorOp[s] = static_cast<int32_t>(ts[D3DTSS_COLOROP]);
    g.colorArg1[s] = static_cast<int32_t>(ts[D3DTSS_COLORARG1]);
    g.colorArg2[s] = static_cast<int32_t>(ts[D3DTSS_COLORARG2]);
    g.alphaOp[s] = static_cast<int32_t>(ts[D3DTSS_ALPHAOP]);
    g.alphaArg1[s] = static_cast<int32_t>(ts[D3DTSS_ALPHAARG1]);
    g.alphaArg2[s] = static_cast<int32_t>(ts[D3DTSS_ALPHAARG2]);
  }
  g.alphaTest = state_.RenderState(D3DRS_ALPHATESTENABLE) ? 1 : 0;
  g.alphaFunc = static_cast<int32_t>(state_.RenderState(D3DRS_ALPHAFUNC));
}

void GlDevice::FitToVertices(const VertexFacts& facts, DrawState* draw) {
  if (!draw->blend) return;
  bool unblended = draw->colorMask == 0;
  if (!unblended && BlendKeepsOpaqueSource(draw->blendSource, draw->blendDest, draw->blendEquation)) {
    // The alpha values of the textures as they will be drawn.
    for (GlTexture* texture : draw->textures) {
      if (texture) texture->Upload();
    }
    unblended = OutputAlphaIsOne(draw->key, AlphaTestInputsOf(*draw, facts));
  }
  if (!unblended) return;
  draw->blend = 0;
  draw->blendSource = 0;
  draw->blendDest = 0;
  draw->blendEquation = 0;
}

HRESULT GlDevice::Draw(D3DPRIMITIVETYPE type, const void* vertices, size_t vertexBytes,
                       uint32_t stride, uint64_t count, const void* indices,
                       D3DFORMAT indexFormat) {
  context_->MakeCurrent();
  DrawState draw;
  if (!ResolveDrawState(stride, &draw)) return D3DERR_INVALIDCALL;
  ++counts_.requested;
  if (generalProgram_) {
    Queue(draw, type, vertices, vertexBytes, VertexFacts{}, count, indices, indexFormat);
    return D3D_OK;
  }
  const VertexFacts facts = ScanVertices(draw.fvf, stride, vertices, vertexBytes);
  FitToVertices(facts, &draw);
  Queue(draw, type, vertices, vertexBytes, facts, count, indices, indexFormat);
  return D3D_OK;
}

void GlDevice::Queue(const DrawState& draw, D3DPRIMITIVETYPE type, const void* vertices,
                     size_t vertexBytes, const VertexFacts& facts, uint64_t count,
                     const void* indices, D3DFORMAT indexFormat) {
  const bool joinable = type == D3DPT_TRIANGLELIST && !indices;
  if (joinable && held_.count > 0 && held_.vertices.size() + vertexBytes <= kMaxHeldBytes &&
      std::memcmp(&held_.state, &draw, sizeof draw) == 0) {
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    held_.vertices.insert(held_.vertices.end(), bytes, bytes + vertexBytes);
    held_.facts.Merge(facts);
    held_.count += count;
    return;
  }
  FlushDraws();
  if (!joinable) {
    Send(draw, type, vertices, vertexBytes, facts, count, indices, indexFormat);
    return;
  }
  std::memcpy(&held_.state, &draw, sizeof draw);
  const auto* bytes = static_cast<const uint8_t*>(vertices);
  held_.vertices.assign(bytes, bytes + vertexBytes);
  held_.facts = facts;
  held_.count = count;
}

void GlDevice::FlushDraws() {
  if (held_.count == 0) return;
  const uint64_t count = held_.count;
  // Cleared first: sending may release a texture, whose release flushes again.
  held_.count = 0;
  context_->MakeCurrent();
  Send(held_.state, D3DPT_TRIANGLELIST, held_.vertices.data(), held_.vertices.size(), held_.facts,
       count, nullptr, D3DFMT_UNKNOWN);
}

void GlDevice::Send(const DrawState& draw, D3DPRIMITIVETYPE type, const void* vertices,
                    size_t vertexBytes, const VertexFacts& facts, uint64_t count,
                    const void* indices, D3DFORMAT indexFormat) {
  GlStateCache& gl = context_->State();
  draw.target->Upload();
  gl.BindFramebuffer(draw.framebuffer);
  gl.Viewport(draw.viewport[0], draw.viewport[1], draw.viewport[2], draw.viewport[3]);
  gl.DepthRange(draw.depthRange[0], draw.depthRange[1]);
  ApplyRasterState(draw);
  BindTextures(draw);
  UseProgram(draw, facts);

  GlStreamBuffer& buffer = context_->Vertices();
  const size_t offset = buffer.Write(vertices, vertexBytes, draw.stride);
  SetVertexFormat(draw.fvf, draw.stride);
  const GLint first = static_cast<GLint>(offset / draw.stride);
  if (indices) {
    const size_t indexSize = indexFormat == D3DFMT_INDEX16 ? 2 : 4;
    const size_t indexOffset = context_->Indices().Write(indices, count * indexSize, indexSize);
    glDrawElementsBaseVertex(PrimitiveMode(type), static_cast<GLsizei>(count),
                             indexSize == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                             reinterpret_cast<const void*>(indexOffset), first);
  } else {
    glDrawArrays(PrimitiveMode(type), first, static_cast<GLsizei>(count));
  }
  ++counts_.sent;
  draw.target->MarkDrawn();
  if (draw.depthTest && draw.depthWrite) draw.target->NoteDepthWritten();
}

void GlDevice::ApplyRasterState(const DrawState& draw) {
  GlStateCache& gl = context_->State();
  gl.Enable(GlStateCache::kBlend, draw.blend != 0);
  if (draw.blend) {
    gl.BlendFunc(draw.blendSource, draw.blendDest);
    gl.BlendEquation(draw.blendEquation);
  }
  gl.Enable(GlStateCache::kCullFace, draw.cull != 0);
  if (draw.cull) gl.CullFace(draw.cullFace);
  gl.Enable(GlStateCache::kDepthTest, draw.depthTest != 0);
  if (draw.depthTest) {
    gl.DepthFunc(draw.depthFunc);
    gl.DepthMask(draw.depthWrite != 0);
  }
  gl.Enable(GlStateCache::kStencilTest, draw.stencilTest != 0);
  if (draw.stencilTest) {
    gl.StencilFunc(draw.stencilFunc, static_cast<int32_t>(draw.stencilRef), draw.stencilMask);
    gl.StencilOp(draw.stencilFail, draw.stencilDepthFail, draw.stencilPass);
    gl.StencilMask(draw.stencilWriteMask);
  }
  gl.Enable(GlStateCache::kDepthClamp, draw.depthClamp != 0);
  gl.Enable(GlStateCache::kScissorTest, false);
  gl.PolygonMode(draw.polygonMode);
  gl.ColorMask(draw.colorMask);
}

void GlDevice::BindTextures(const DrawState& draw) {
  GlStateCache& gl = context_->State();
  // Uploads first: an upload binds its texture to whichever unit is active.
  for (GlTexture* texture : draw.textures) {
    if (texture) texture->Upload();
  }
  for (uint32_t stage = 0; stage < 2; ++stage) {
    GlTexture* texture = draw.textures[stage];
    if (!texture) {
      // A unit the program does not read may keep its texture, unless that is the target
      // being drawn into.
      if (gl.BoundTexture(stage) == draw.target->Name()) gl.BindTexture(stage, 0);
      continue;
    }
    gl.BindTexture(stage, texture->Name());
    gl.BindSampler(stage, context_->SamplerFor(draw.samplers[stage]));
  }
}

AlphaTestInputs GlDevice::AlphaTestInputsOf(const DrawState& draw, const VertexFacts& facts) {
  AlphaTestInputs inputs;
  inputs.alphaRef = static_cast<uint32_t>(draw.values.alphaRef);
  for (int s = 0; s < 2; ++s) {
    if (!draw.textures[s]) continue;
    StageAlpha(draw.textures[s], draw.samplers[s], &inputs.texture[s], &inputs.mixesTexels[s]);
  }
  inputs.diffuseMin = facts.diffuseMin;
  inputs.diffuseMax = facts.diffuseMax;
  // Pre-transformed vertices give w as 1 / rhw; the others w through the transforms'
  // last column, which an orthographic projection keeps at (0, 0, 0, 1).
  const float* m = draw.values.worldViewProj;
  inputs.unitW = draw.key.pretransformed
                     ? facts.unitRhw
                     : m[3] == 0.0f && m[7] == 0.0f && m[11] == 0.0f && m[15] == 1.0f;
  inputs.factorAlpha = static_cast<uint8_t>(draw.values.factor[3] * 255.0f + 0.5f);
  // A pixel of alpha 0 that passes leaves the target as it was.
  inputs.transparentLeavesTarget =
      draw.blend && (draw.blendSource == GL_SRC_ALPHA || draw.blendSource == GL_ZERO) &&
      (draw.blendDest == GL_ONE_MINUS_SRC_ALPHA || draw.blendDest == GL_ONE) &&
      (draw.blendEquation == GL_FUNC_ADD || draw.blendEquation == GL_FUNC_REVERSE_SUBTRACT) &&
      !draw.stencilTest && !(draw.depthTest && draw.depthWrite);
  return inputs;
}

void GlDevice::UseProgram(const DrawState& draw, const VertexFacts& facts) {
  FixedFunctionKey key = draw.key;
  FixedFunctionProgram* program = &context_->GeneralProgram();
  if (!generalProgram_) {
    // The textures are uploaded by now, so their alpha values are known.
    if (key.HasAlphaTest() && !AlphaTestCanChangePixels(key, AlphaTestInputsOf(draw, facts))) {
      key.alphaFunc = D3DCMP_ALWAYS;
    }
    program = &context_->ProgramFor(key);
  }
  lastKey_ = key;
  lastBlended_ = draw.blend != 0;
  context_->State().UseProgram(program->Name());
  program->LoadValues(draw.values);
  if (program->IsGeneral()) program->LoadSettings(draw.general);
}

void GlDevice::SetVertexFormat(uint32_t fvf, uint32_t stride) {
  if (fvf == attributeFvf_ && stride == attributeStride_) return;
  attributeFvf_ = fvf;
  attributeStride_ = stride;
  const uint32_t position = fvf & D3DFVF_POSITION_MASK;
  const GLsizei s = static_cast<GLsizei>(stride);
  auto at = [](size_t offset) { return reinterpret_cast<const void*>(offset); };
  size_t offset = 0;
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, position == D3DFVF_XYZRHW ? 4 : 3, GL_FLOAT, GL_FALSE, s, at(0));
  offset = DeviceBase::VertexSize(position);
  if (fvf & D3DFVF_NORMAL) offset += 12;
  if (fvf & D3DFVF_PSIZE) offset += 4;
  if (fvf & D3DFVF_DIFFUSE) {
    glEnableVertexAttribArray(1);
    // 0xAARRGGBB in memory is B, G, R, A: GL's BGRA component order.
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s, at(offset));
    offset += 4;
  } else {
    glDisableVertexAttribArray(1);
    glVertexAttrib4f(1, 1.0f, 1.0f, 1.0f, 1.0f);
  }
  if (fvf & D3DFVF_SPECULAR) offset += 4;
  const uint32_t sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  for (uint32_t set = 0; set < 2; ++set) {
    const GLuint attribute = 2 + set;
    if (set < sets) {
      const GLint floats = static_cast<GLint>(DeviceBase::TexCoordFloats(fvf, set));
      glEnableVertexAttribArray(attribute);
      glVertexAttribPointer(attribute, std::min(floats, 2), GL_FLOAT, GL_FALSE, s, at(offset));
      offset += 4 * static_cast<size_t>(floats);
    } else {
      glDisableVertexAttribArray(attribute);
      glVertexAttrib4f(attribute, 0.0f, 0.0f, 0.0f, 1.0f);
    }
  }
}

HRESULT GlDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount,
                                  const void* vertices, uint32_t stride) {
  uint64_t vertexCount = 0;
  const HRESULT hr = CheckDraw(type, primitiveCount, vertices, stride, &vertexCount);
  if (FAILED(hr) || vertexCount == 0) return hr;
  return Draw(type, vertices, vertexCount * stride, stride, vertexCount, nullptr,
              D3DFMT_UNKNOWN);
}

HRESULT GlDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex,
                                         uint32_t vertexCount, uint32_t primitiveCount,
                                         const void* indices, D3DFORMAT indexFormat,
                                         const void* vertices, uint32_t stride) {
  uint64_t indexCount = 0;
  const HRESULT hr = CheckIndexedDraw(type, minIndex, vertexCount, primitiveCount, indices,
                                      indexFormat, vertices, stride, &indexCount);
  if (FAILED(hr) || indexCount == 0) return hr;
  const size_t vertexBytes = (static_cast<size_t>(minIndex) + vertexCount) * stride;
  return Draw(type, vertices, vertexBytes, stride, indexCount, indices, indexFormat);
}

}  // namespace d3d8
