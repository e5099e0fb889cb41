// Render states and drawing of the Direct3D 8 renderer. Every draw is an immediate draw
// from the caller's memory.

#include <cstring>

#include "engine/core/Log.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "engine/graphics/dx8/Dx8Tables.h"

namespace {

constexpr uint32_t kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;   // 0x144
constexpr uint32_t kScreenFvf2 = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;  // 0x244
constexpr uint32_t kWorldFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;       // 0x142

void LogDrawFailure(HRESULT hr) {
  LOG_LINE(MSG_ERROR) << "Unable to draw array : DX Error: " << DxErrorText(hr);
}

}  // namespace

void Dx8Graphics::ResetRenderStates() {
  if (device_) {
    IDirect3DDevice8* d = device_;
    d->SetRenderState(D3DRS_WRAP0, 0);
    d->SetRenderState(D3DRS_WRAP1, 0);
    d->SetRenderState(D3DRS_WRAP2, 0);
    d->SetRenderState(D3DRS_WRAP3, 0);
    d->SetRenderState(D3DRS_LIGHTING, 0);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    // Pixels of alpha 16 or less are never drawn.
    d->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    d->SetRenderState(D3DRS_ALPHAREF, 16);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    // Screen triangles are wound clockwise, as every quad builder makes them.
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_ZENABLE, 0);
    d->SetRenderState(D3DRS_ZVISIBLE, 0);
    d->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d->SetRenderState(D3DRS_STENCILENABLE, 0);
    d->SetRenderState(D3DRS_CLIPPING, 0);
    d->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    d->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    d->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, 0);
    d->SetRenderState(D3DRS_FOGENABLE, 0);

    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    d->SetTexture(0, nullptr);
    d->SetTexture(1, nullptr);
  }
  SetFiltering(filtering);
}

void Dx8Graphics::SetDefaultTextureStages() {
  if (!device_) return;
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void Dx8Graphics::SetTextureStage(uint32_t stage, TextureStageKind kind, TextureStageValue value) {
  if (!device_) return;
  const HRESULT hr =
      device_->SetTextureStageState(stage, dx8::StageKindOf(kind), dx8::StageValueOf(value));
  if (FAILED(hr)) {
    LOG_LINE(MSG_WARNING) << "Unable to set texture stage because " << DxErrorText(hr);
  }
}

void Dx8Graphics::SetRenderState(RenderState state, uint32_t value) {
  if (!device_) return;
  const std::optional<D3DRENDERSTATETYPE> mapped = dx8::RenderStateOf(state);
  if (!mapped) return;
  device_->SetRenderState(*mapped, dx8::RenderStateValueOf(state, value));
}

void Dx8Graphics::SetTexture(uint32_t stage, Image* image) {
  if (image) {
    image->SetTexture(stage);
  } else if (device_) {
    device_->SetTexture(stage, nullptr);
  }
}

void Dx8Graphics::SetTransform(TransformKind kind, const float matrix[16]) {
  if (!device_ || !matrix) return;
  D3DMATRIX m;
  std::memcpy(m.m, matrix, sizeof m.m);
  device_->SetTransform(dx8::TransformOf(kind), &m);
}

void Dx8Graphics::SetViewport(const Viewport& viewport) {
  if (!device_ || deviceLost_) return;
  const D3DVIEWPORT8 v{viewport.x, viewport.y, viewport.width, viewport.height, viewport.minZ,
                       viewport.maxZ};
  device_->SetViewport(&v);
}

void Dx8Graphics::SetFiltering(bool on) {
  Graphics::SetFiltering(on);
  if (!device_) return;
  const uint32_t filter = on ? D3DTEXF_LINEAR : D3DTEXF_POINT;
  device_->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
  device_->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
}

void Dx8Graphics::DrawArray(const ScreenVertex* vertices, uint32_t count, PrimitiveType type) {
  if (!device_ || count == 0) return;
  device_->SetVertexShader(kScreenFvf);
  const HRESULT hr = device_->DrawPrimitiveUP(dx8::PrimitiveOf(type),
                                              dx8::PrimitiveCount(type, count), vertices,
                                              sizeof(ScreenVertex));
  if (FAILED(hr)) LogDrawFailure(hr);
  device_->SetTexture(0, nullptr);
}

void Dx8Graphics::DrawIndexedArray(const ScreenVertex* vertices, uint32_t vertexCount,
                                   const uint16_t* indices, uint32_t indexCount,
                                   PrimitiveType type) {
  if (!device_) return;
  device_->SetVertexShader(kScreenFvf);
  const HRESULT hr = device_->DrawIndexedPrimitiveUP(
      dx8::PrimitiveOf(type), 0, vertexCount, dx8::PrimitiveCount(type, indexCount), indices,
      D3DFMT_INDEX16, vertices, sizeof(ScreenVertex));
  if (FAILED(hr)) LogDrawFailure(hr);
  device_->SetTexture(0, nullptr);
}

void Dx8Graphics::DrawIndexedArray2(const ScreenVertex2* vertices, uint32_t vertexCount,
                                    const uint16_t* indices, uint32_t indexCount,
                                    PrimitiveType type) {
  if (!device_) return;
  // Stage 1 shows its texture (the second UV set) where the stage-0 result is transparent;
  // its alpha becomes the result's.
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  device_->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
  device_->SetVertexShader(kScreenFvf2);
  const HRESULT hr = device_->DrawIndexedPrimitiveUP(
      dx8::PrimitiveOf(type), 0, vertexCount, dx8::PrimitiveCount(type, indexCount), indices,
      D3DFMT_INDEX16, vertices, sizeof(ScreenVertex2));
  if (FAILED(hr)) LogDrawFailure(hr);
  device_->SetTexture(0, nullptr);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void Dx8Graphics::DrawArray3D(const WorldVertex* vertices, uint32_t count, PrimitiveType type) {
  if (!device_ || count == 0) return;
  device_->SetVertexShader(kWorldFvf);
  const HRESULT hr = device_->DrawPrimitiveUP(dx8::PrimitiveOf(type),
                                              dx8::PrimitiveCount(type, count), vertices,
                                              sizeof(WorldVertex));
  if (FAILED(hr)) LogDrawFailure(hr);
}

void Dx8Graphics::DrawIndexedArray3D(const WorldVertex* vertices, uint32_t vertexCount,
                                     const uint16_t* indices, uint32_t indexCount,
                                     PrimitiveType type) {
  if (!device_ || vertexCount == 0 || indexCount == 0) return;
  device_->SetVertexShader(kWorldFvf);
  const HRESULT hr = device_->DrawIndexedPrimitiveUP(
      dx8::PrimitiveOf(type), 0, vertexCount, dx8::PrimitiveCount(type, indexCount), indices,
      D3DFMT_INDEX16, vertices, sizeof(WorldVertex));
  if (FAILED(hr)) LogDrawFailure(hr);
}
