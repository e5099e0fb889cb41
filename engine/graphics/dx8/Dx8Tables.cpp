#include "engine/graphics/dx8/Dx8Tables.h"

namespace dx8 {

std::optional<D3DRENDERSTATETYPE> RenderStateOf(uint32_t state) {
  switch (state) {
    case RS_AlphaBlend: return D3DRS_ALPHABLENDENABLE;
    case RS_AlphaTest: return D3DRS_ALPHATESTENABLE;
    case RS_AlphaRef: return D3DRS_ALPHAREF;
    case RS_Lighting: return D3DRS_LIGHTING;
    case RS_ZWrite: return D3DRS_ZWRITEENABLE;
    case RS_ZEnable: return D3DRS_ZENABLE;
    case RS_SrcBlend: return D3DRS_SRCBLEND;
    case RS_DestBlend: return D3DRS_DESTBLEND;
    case RS_CullMode: return D3DRS_CULLMODE;
    default: return std::nullopt;
  }
}

D3DBLEND BlendOf(uint32_t factor) {
  switch (factor) {
    case BF_One: return D3DBLEND_ONE;
    case BF_Zero: return D3DBLEND_ZERO;
    case BF_SrcColor: return D3DBLEND_SRCCOLOR;
    case BF_InvSrcColor: return D3DBLEND_INVSRCCOLOR;
    case BF_SrcAlpha: return D3DBLEND_SRCALPHA;
    case BF_InvSrcAlpha: return D3DBLEND_INVSRCALPHA;
    case BF_DestColor: return D3DBLEND_DESTCOLOR;
    case BF_InvDestColor: return D3DBLEND_INVDESTCOLOR;
    case BF_DestAlpha: return D3DBLEND_DESTALPHA;
    case BF_InvDestAlpha: return D3DBLEND_INVDESTALPHA;
    default: return D3DBLEND_SRCALPHA;
  }
}

D3DCULL CullOf(uint32_t mode) {
  switch (mode) {
    case CULL_Clockwise: return D3DCULL_CW;
    case CULL_None: return D3DCULL_NONE;
    default: return D3DCULL_CCW;
  }
}

uint32_t RenderStateValueOf(uint32_t state, uint32_t value) {
  switch (state) {
    case RS_SrcBlend:
    case RS_DestBlend: return BlendOf(value);
    case RS_CullMode: return CullOf(value);
    default: return value;
  }
}

D3DTEXTURESTAGESTATETYPE StageKindOf(uint32_t kind) {
  switch (kind) {
    case TSK_ColorArg1: return D3DTSS_COLORARG1;
    case TSK_ColorArg2: return D3DTSS_COLORARG2;
    case TSK_AlphaArg1: return D3DTSS_ALPHAARG1;
    case TSK_AlphaArg2: return D3DTSS_ALPHAARG2;
    case TSK_AlphaOp: return D3DTSS_ALPHAOP;
    default: return D3DTSS_COLOROP;
  }
}

uint32_t StageValueOf(uint32_t value) {
  switch (value) {
    case TSV_Add: return D3DTOP_ADD;
    case TSV_SelectArg1: return D3DTOP_SELECTARG1;
    case TSV_SelectArg2: return D3DTOP_SELECTARG2;
    case TSV_Disable: return D3DTOP_DISABLE;
    case TSV_Diffuse: return D3DTA_DIFFUSE;
    case TSV_Current: return D3DTA_CURRENT;
    case TSV_Texture: return D3DTA_TEXTURE;
    case TSV_TFactor: return D3DTA_TFACTOR;
    default: return D3DTOP_MODULATE;
  }
}

D3DTRANSFORMSTATETYPE TransformOf(uint32_t kind) {
  if (kind == TK_World) return D3DTS_WORLD;
  if (kind == TK_Projection) return D3DTS_PROJECTION;
  if (kind >= TK_Texture0 && kind < TK_Texture0 + 8) {
    return static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + (kind - TK_Texture0));
  }
  return D3DTS_VIEW;
}

D3DPRIMITIVETYPE PrimitiveOf(uint32_t type) {
  switch (type) {
    case PT_Points: return D3DPT_POINTLIST;
    case PT_Lines: return D3DPT_LINELIST;
    case PT_LineStrip: return D3DPT_LINESTRIP;
    case PT_TriangleStrip: return D3DPT_TRIANGLESTRIP;
    case PT_TriangleFan: return D3DPT_TRIANGLEFAN;
    default: return D3DPT_TRIANGLELIST;
  }
}

uint32_t PrimitiveCount(uint32_t type, uint32_t n) {
  switch (type) {
    case PT_Points: return n;
    case PT_Lines: return n / 2;
    case PT_LineStrip:
    case PT_TriangleFan: return n > 0 ? n - 1 : 0;
    case PT_TriangleStrip: return n > 1 ? n - 2 : 0;
    default: return n / 3;
  }
}

}  // namespace dx8
