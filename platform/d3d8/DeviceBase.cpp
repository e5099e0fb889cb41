#include "platform/d3d8/DeviceBase.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/d3d8/CubeTexture.h"
#include "platform/d3d8/MemorySurface.h"
#include "platform/d3d8/PixelFormat.h"
#include "platform/d3d8/SurfaceBase.h"
#include "platform/d3d8/Texture.h"
#include "platform/d3d8/VertexBuffer.h"

namespace d3d8 {

namespace {

constexpr D3DMATRIX kIdentity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};

uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace

void DeviceState::SetDefaults(bool depthBuffer, uint32_t targetWidth, uint32_t targetHeight) {
  std::fill(std::begin(renderStates), std::end(renderStates), 0u);
  uint32_t* rs = renderStates;
  rs[D3DRS_ZENABLE] = depthBuffer ? D3DZB_TRUE : D3DZB_FALSE;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ZWRITEENABLE] = 1;
  rs[D3DRS_LASTPIXEL] = 1;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILMASK] = 0xFFFFFFFFu;
  rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
  rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  rs[D3DRS_CLIPPING] = 1;
  rs[D3DRS_LIGHTING] = 1;
  rs[D3DRS_COLORVERTEX] = 1;
  rs[D3DRS_LOCALVIEWER] = 1;
  rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
  rs[D3DRS_MULTISAMPLEANTIALIAS] = 1;
  rs[D3DRS_COLORWRITEENABLE] = 0xF;
  rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;

  for (uint32_t stage = 0; stage < kD3DTextureStageCount; ++stage) {
    uint32_t* ts = stageStates[stage];
    std::fill(ts, ts + kD3DTextureStageStateCount, 0u);
    ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    ts[D3DTSS_TEXCOORDINDEX] = stage;
    ts[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    ts[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    ts[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
    ts[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
    ts[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    ts[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    ts[D3DTSS_MAXANISOTROPY] = 1;
    ts[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }

  world = view = projection = kIdentity;
  for (D3DMATRIX& m : textureTransforms) m = kIdentity;
  viewport = D3DVIEWPORT8{0, 0, targetWidth, targetHeight, 0.0f, 1.0f};
  vertexShader = 0;
}

DeviceBase::DeviceBase(IDirect3D8* direct3d, uint32_t adapter, D3DDEVTYPE type,
                       const D3DCAPS8& caps)
    : caps_(caps), direct3d_(direct3d), adapter_(adapter), type_(type) {
  std::memset(&state_, 0, sizeof state_);
  state_.SetDefaults(false, 0, 0);
  if (direct3d_) direct3d_->AddRef();
}

DeviceBase::~DeviceBase() {
  ReleaseBindings();
  if (backBuffer_) backBuffer_->Release();
  if (direct3d_) direct3d_->Release();
}

void DeviceBase::ReleaseBindings() {
  for (IDirect3DBaseTexture8*& texture : state_.textures) {
    if (texture) texture->Release();
    texture = nullptr;
  }
  if (renderTarget_) renderTarget_->Release();
  renderTarget_ = nullptr;
  if (state_.stream) state_.stream->Release();
  state_.stream = nullptr;
}

uint32_t DeviceBase::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT DeviceBase::GetDirect3D(IDirect3D8** direct3d) {
  if (!direct3d || !direct3d_) return D3DERR_INVALIDCALL;
  *direct3d = direct3d_;
  direct3d_->AddRef();
  return D3D_OK;
}

HRESULT DeviceBase::GetDeviceCaps(D3DCAPS8* caps) {
  if (!caps) return D3DERR_INVALIDCALL;
  *caps = caps_;
  return D3D_OK;
}

HRESULT DeviceBase::GetDisplayMode(D3DDISPLAYMODE* mode) {
  if (!mode) return D3DERR_INVALIDCALL;
  if (direct3d_) return direct3d_->GetAdapterDisplayMode(adapter_, mode);
  *mode = D3DDISPLAYMODE{parameters_.BackBufferWidth, parameters_.BackBufferHeight, 60,
                         D3DFMT_X8R8G8B8};
  return D3D_OK;
}

HRESULT DeviceBase::BeginScene() {
  // Scenes may nest: a render-to-surface scene runs inside the frame's scene.
  ++sceneDepth_;
  return D3D_OK;
}

HRESULT DeviceBase::EndScene() {
  if (sceneDepth_ == 0) return D3DERR_INVALIDCALL;
  --sceneDepth_;
  return D3D_OK;
}

HRESULT DeviceBase::GetBackBuffer(uint32_t index, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface8** backBuffer) {
  if (!backBuffer || index != 0 || type != D3DBACKBUFFER_TYPE_MONO || !backBuffer_) {
    return D3DERR_INVALIDCALL;
  }
  return backBuffer_->GetSurfaceLevel(0, backBuffer);
}

HRESULT DeviceBase::SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8*) {
  if (!target) return D3D_OK;
  SurfaceBase* surface = dynamic_cast<SurfaceBase*>(target);
  Texture* texture = surface ? surface->ParentTexture() : nullptr;
  if (!texture || !texture->IsRenderTarget() || surface->ParentLevel() != 0) {
    return D3DERR_INVALIDCALL;
  }
  IDirect3DDevice8* owner = nullptr;
  texture->GetDevice(&owner);
  if (owner) owner->Release();
  if (owner != this) return D3DERR_INVALIDCALL;

  texture->AddRef();
  if (renderTarget_) renderTarget_->Release();
  renderTarget_ = texture;
  state_.viewport = D3DVIEWPORT8{0, 0, texture->Width(), texture->Height(), 0.0f, 1.0f};
  OnRenderTargetChanged();
  return D3D_OK;
}

HRESULT DeviceBase::GetRenderTarget(IDirect3DSurface8** target) {
  if (!target || !renderTarget_) return D3DERR_INVALIDCALL;
  return renderTarget_->GetSurfaceLevel(0, target);
}

HRESULT DeviceBase::CreateTexture(uint32_t width, uint32_t height, uint32_t levels,
                                  uint32_t usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DTexture8** texture) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (width == 0 || height == 0 || width > caps_.MaxTextureWidth ||
      height > caps_.MaxTextureHeight || !IsStorableFormat(format)) {
    return D3DERR_INVALIDCALL;
  }
  const uint32_t fullChain = FullChainLength(width, height);
  if (levels == 0) levels = fullChain;
  if (levels > fullChain) return D3DERR_INVALIDCALL;
  const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
  // Direct3D's rules: render targets and dynamic textures live in the default pool, and
  // compressed textures cannot be drawn into.
  if (renderTarget && (pool != D3DPOOL_DEFAULT || IsCompressedFormat(format))) {
    return D3DERR_INVALIDCALL;
  }
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  try {
    *texture = MakeTexture(width, height, levels, usage, format, pool);
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  return *texture ? D3D_OK : D3DERR_OUTOFVIDEOMEMORY;
}

HRESULT DeviceBase::CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage,
                                      D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DCubeTexture8** texture) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (edgeLength == 0 || edgeLength > caps_.MaxTextureWidth || !IsStorableFormat(format) ||
      (usage & D3DUSAGE_RENDERTARGET)) {
    return D3DERR_INVALIDCALL;
  }
  const uint32_t fullChain = FullChainLength(edgeLength, edgeLength);
  if (levels == 0) levels = fullChain;
  if (levels > fullChain) return D3DERR_INVALIDCALL;
  try {
    *texture = new CubeTexture(this, edgeLength, levels, usage, format, pool);
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  return D3D_OK;
}

HRESULT DeviceBase::CreateImageSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                                       IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (width == 0 || height == 0 || width > 16384 || height > 16384 ||
      !IsStorableFormat(format)) {
    return D3DERR_INVALIDCALL;
  }
  try {
    *surface = new MemorySurface(this, width, height, format);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT DeviceBase::SetViewport(const D3DVIEWPORT8* viewport) {
  if (!viewport || !renderTarget_) return D3DERR_INVALIDCALL;
  const uint64_t right = static_cast<uint64_t>(viewport->X) + viewport->Width;
  const uint64_t bottom = static_cast<uint64_t>(viewport->Y) + viewport->Height;
  if (viewport->Width == 0 || viewport->Height == 0 || right > renderTarget_->Width() ||
      bottom > renderTarget_->Height() || !(viewport->MinZ >= 0.0f) ||
      !(viewport->MaxZ <= 1.0f) || viewport->MinZ > viewport->MaxZ) {
    return D3DERR_INVALIDCALL;
  }
  state_.viewport = *viewport;
  return D3D_OK;
}

HRESULT DeviceBase::GetViewport(D3DVIEWPORT8* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  *viewport = state_.viewport;
  return D3D_OK;
}

namespace {

D3DMATRIX* TransformSlot(DeviceState& state, D3DTRANSFORMSTATETYPE type) {
  if (type == D3DTS_WORLD) return &state.world;
  if (type == D3DTS_VIEW) return &state.view;
  if (type == D3DTS_PROJECTION) return &state.projection;
  if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7) {
    return &state.textureTransforms[type - D3DTS_TEXTURE0];
  }
  return nullptr;
}

}  // namespace

HRESULT DeviceBase::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  D3DMATRIX* slot = TransformSlot(state_, type);
  if (!slot) {
    // The further world matrices of vertex blending are taken and not used.
    return (type > D3DTS_WORLD && type < 512) ? D3D_OK : D3DERR_INVALIDCALL;
  }
  *slot = *matrix;
  return D3D_OK;
}

HRESULT DeviceBase::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) {
  D3DMATRIX* slot = TransformSlot(state_, type);
  if (!matrix || !slot) return D3DERR_INVALIDCALL;
  *matrix = *slot;
  return D3D_OK;
}

HRESULT DeviceBase::SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) {
  if (state >= kD3DRenderStateCount) return D3DERR_INVALIDCALL;
  state_.renderStates[state] = value;
  return D3D_OK;
}

HRESULT DeviceBase::GetRenderState(D3DRENDERSTATETYPE state, uint32_t* value) {
  if (state >= kD3DRenderStateCount || !value) return D3DERR_INVALIDCALL;
  *value = state_.renderStates[state];
  return D3D_OK;
}

HRESULT DeviceBase::SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                         uint32_t value) {
  if (stage >= kD3DTextureStageCount || type >= kD3DTextureStageStateCount) {
    return D3DERR_INVALIDCALL;
  }
  state_.stageStates[stage][type] = value;
  return D3D_OK;
}

HRESULT DeviceBase::GetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                         uint32_t* value) {
  if (stage >= kD3DTextureStageCount || type >= kD3DTextureStageStateCount || !value) {
    return D3DERR_INVALIDCALL;
  }
  *value = state_.stageStates[stage][type];
  return D3D_OK;
}

HRESULT DeviceBase::SetTexture(uint32_t stage, IDirect3DBaseTexture8* texture) {
  if (stage >= kD3DTextureStageCount) return D3DERR_INVALIDCALL;
  if (texture) texture->AddRef();
  if (state_.textures[stage]) state_.textures[stage]->Release();
  state_.textures[stage] = texture;
  return D3D_OK;
}

HRESULT DeviceBase::GetTexture(uint32_t stage, IDirect3DBaseTexture8** texture) {
  if (stage >= kD3DTextureStageCount || !texture) return D3DERR_INVALIDCALL;
  *texture = state_.textures[stage];
  if (*texture) (*texture)->AddRef();
  return D3D_OK;
}

HRESULT DeviceBase::SetVertexShader(uint32_t handle) {
  state_.vertexShader = handle;
  return D3D_OK;
}

HRESULT DeviceBase::GetVertexShader(uint32_t* handle) {
  if (!handle) return D3DERR_INVALIDCALL;
  *handle = state_.vertexShader;
  return D3D_OK;
}

D3DCAPS8 DeviceBase::StandardCaps(uint32_t maxTextureSize) {
  D3DCAPS8 caps{};
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.Caps2 = D3DCAPS2_CANRENDERWINDOWED | D3DCAPS2_CANMANAGERESOURCE | D3DCAPS2_DYNAMICTEXTURES;
  caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  caps.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                 D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX |
                 D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_HWTRANSFORMANDLIGHT |
                 D3DDEVCAPS_HWRASTERIZATION;
  caps.ZCmpCaps = caps.AlphaCmpCaps = 0xFF;  // every comparison
  caps.SrcBlendCaps = caps.DestBlendCaps = 0x1FFF;  // every blend factor
  caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA |
                     D3DPTEXTURECAPS_CUBEMAP | D3DPTEXTURECAPS_MIPMAP;
  caps.TextureFilterCaps = caps.CubeTextureFilterCaps = 0x03030300;  // point and linear
  caps.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR |
                            D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_BORDER;
  caps.MaxTextureWidth = caps.MaxTextureHeight = maxTextureSize;
  caps.MaxTextureAspectRatio = maxTextureSize;
  caps.MaxAnisotropy = 1;
  caps.FVFCaps = kD3DBlendStageCount;  // texture coordinate sets
  caps.MaxTextureBlendStages = kD3DBlendStageCount;
  caps.MaxSimultaneousTextures = kD3DBlendStageCount;
  caps.MaxPrimitiveCount = 0xFFFFF;
  caps.MaxVertexIndex = 0xFFFFF;
  caps.MaxStreams = 1;
  caps.MaxStreamStride = 256;
  // The pipeline is the fixed-function one; the versions stand for what it can do.
  caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
  caps.PixelShaderVersion = D3DPS_VERSION(1, 1);
  return caps;
}

uint64_t DeviceBase::VertexCountFor(D3DPRIMITIVETYPE type, uint32_t primitiveCount) {
  const uint64_t n = primitiveCount;
  switch (type) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return n * 2;
    case D3DPT_LINESTRIP: return n + 1;
    case D3DPT_TRIANGLELIST: return n * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n + 2;
    default: return 0;
  }
}

uint32_t DeviceBase::VertexSize(uint32_t fvf) {
  uint32_t size;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case 0x2: size = 12; break;
    case 0x4: size = 16; break;
    case 0x6: size = 16; break;
    case 0x8: size = 20; break;
    case 0xA: size = 24; break;
    case 0xC: size = 28; break;
    case 0xE: size = 32; break;
    default: return 0;
  }
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_PSIZE) size += 4;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  const uint32_t sets = std::min<uint32_t>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8);
  for (uint32_t i = 0; i < sets; ++i) size += 4 * TexCoordFloats(fvf, i);
  return size;
}

uint32_t DeviceBase::TexCoordFloats(uint32_t fvf, uint32_t set) {
  static constexpr uint32_t kFloats[4] = {2, 3, 4, 1};
  return kFloats[(fvf >> (16 + 2 * set)) & 3];
}

bool DeviceBase::ValidParameters(const D3DPRESENT_PARAMETERS& parameters) {
  const D3DFORMAT format = parameters.BackBufferFormat;
  const bool formatOk = format == D3DFMT_UNKNOWN || format == D3DFMT_X8R8G8B8 ||
                        format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5 ||
                        format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5;
  // A full-screen device names its size; a windowed one may take the window's.
  const bool sizeOk = parameters.Windowed ||
                      (parameters.BackBufferWidth > 0 && parameters.BackBufferHeight > 0);
  return formatOk && sizeOk && parameters.BackBufferCount <= 3 &&
         parameters.BackBufferWidth <= 16384 && parameters.BackBufferHeight <= 16384;
}

void DeviceBase::InstallBackBuffer(Texture* backBuffer, const D3DPRESENT_PARAMETERS& parameters) {
  ReleaseBindings();
  if (backBuffer_) backBuffer_->Release();
  backBuffer_ = backBuffer;
  parameters_ = parameters;
  parameters_.BackBufferWidth = backBuffer->Width();
  parameters_.BackBufferHeight = backBuffer->Height();
  parameters_.BackBufferFormat = backBuffer->Format();
  backBuffer_->AddRef();
  renderTarget_ = backBuffer_;
  state_.SetDefaults(parameters.EnableAutoDepthStencil != 0, backBuffer->Width(),
                     backBuffer->Height());
  sceneDepth_ = 0;
  OnRenderTargetChanged();
}

std::vector<RECT> DeviceBase::ClearAreas(uint32_t count, const D3DRECT* rects) const {
  const D3DVIEWPORT8& vp = state_.viewport;
  const RECT viewport{static_cast<int32_t>(vp.X), static_cast<int32_t>(vp.Y),
                      static_cast<int32_t>(vp.X + vp.Width), static_cast<int32_t>(vp.Y + vp.Height)};
  std::vector<RECT> areas;
  if (count == 0 || !rects) {
    areas.push_back(viewport);
    return areas;
  }
  for (uint32_t i = 0; i < count; ++i) {
    RECT area{std::max(rects[i].x1, viewport.left), std::max(rects[i].y1, viewport.top),
              std::min(rects[i].x2, viewport.right), std::min(rects[i].y2, viewport.bottom)};
    if (area.left < area.right && area.top < area.bottom) areas.push_back(area);
  }
  return areas;
}

HRESULT DeviceBase::CheckDraw(D3DPRIMITIVETYPE type, uint32_t primitiveCount,
                              const void* vertices, uint32_t stride,
                              uint64_t* vertexCount) const {
  *vertexCount = VertexCountFor(type, primitiveCount);
  if (VertexCountFor(type, 1) == 0) return D3DERR_INVALIDCALL;
  // No primitives: nothing to draw, and nothing wrong.
  if (primitiveCount == 0) return D3D_OK;
  const uint32_t vertexSize = VertexSize(state_.vertexShader);
  if (!vertices || vertexSize == 0 || stride < vertexSize ||
      primitiveCount > caps_.MaxPrimitiveCount) {
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

HRESULT DeviceBase::CheckIndexedDraw(D3DPRIMITIVETYPE type, uint32_t minIndex,
                                     uint32_t vertexCount, uint32_t primitiveCount,
                                     const void* indices, D3DFORMAT indexFormat,
                                     const void* vertices, uint32_t stride,
                                     uint64_t* indexCount) const {
  const HRESULT hr = CheckDraw(type, primitiveCount, vertices, stride, indexCount);
  if (FAILED(hr) || *indexCount == 0) return hr;
  const uint64_t end = static_cast<uint64_t>(minIndex) + vertexCount;
  if (!indices || vertexCount == 0 || end > static_cast<uint64_t>(caps_.MaxVertexIndex) + 1 ||
      (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) {
    return D3DERR_INVALIDCALL;
  }
  // An index outside the vertices the caller named would read past its array.
  for (uint64_t i = 0; i < *indexCount; ++i) {
    const uint32_t index = IndexAt(indices, indexFormat, i);
    if (index < minIndex || index >= end) return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

HRESULT DeviceBase::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf,
                                       D3DPOOL pool, IDirect3DVertexBuffer8** buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  const uint32_t vertexSize = VertexSize(fvf);
  if (length == 0 || (fvf != 0 && length < vertexSize) || pool == D3DPOOL_SCRATCH) {
    return D3DERR_INVALIDCALL;
  }
  try {
    *buffer = new VertexBuffer(this, length, usage, fvf, pool);
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  return D3D_OK;
}

HRESULT DeviceBase::SetStreamSource(uint32_t stream, IDirect3DVertexBuffer8* buffer,
                                    uint32_t stride) {
  if (stream != 0) return D3DERR_INVALIDCALL;
  if (buffer) buffer->AddRef();
  if (state_.stream) state_.stream->Release();
  state_.stream = buffer;
  state_.streamStride = stride;
  return D3D_OK;
}

HRESULT DeviceBase::StreamVertices(D3DPRIMITIVETYPE type, uint32_t startVertex,
                                   uint32_t primitiveCount, const uint8_t** vertices,
                                   uint32_t* stride) const {
  *vertices = nullptr;
  *stride = state_.streamStride;
  const uint64_t count = VertexCountFor(type, primitiveCount);
  if (VertexCountFor(type, 1) == 0) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return D3D_OK;
  auto* buffer = static_cast<VertexBuffer*>(state_.stream);
  const uint32_t vertexSize = VertexSize(state_.vertexShader);
  if (!buffer || buffer->Locked() || vertexSize == 0 || *stride < vertexSize) {
    return D3DERR_INVALIDCALL;
  }
  const uint64_t end = (static_cast<uint64_t>(startVertex) + count - 1) * *stride + vertexSize;
  if (end > buffer->Length()) return D3DERR_INVALIDCALL;
  *vertices = buffer->Bytes() + static_cast<uint64_t>(startVertex) * *stride;
  return D3D_OK;
}

HRESULT DeviceBase::DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex,
                                  uint32_t primitiveCount) {
  const uint8_t* vertices = nullptr;
  uint32_t stride = 0;
  const HRESULT hr = StreamVertices(type, startVertex, primitiveCount, &vertices, &stride);
  if (FAILED(hr) || !vertices) return hr;
  return DrawPrimitiveUP(type, primitiveCount, vertices, stride);
}

uint32_t DeviceBase::IndexAt(const void* indices, D3DFORMAT indexFormat, uint64_t i) {
  const uint8_t* bytes = static_cast<const uint8_t*>(indices);
  if (indexFormat == D3DFMT_INDEX16) {
    uint16_t value;
    std::memcpy(&value, bytes + i * 2, 2);
    return value;
  }
  uint32_t value;
  std::memcpy(&value, bytes + i * 4, 4);
  return value;
}

}  // namespace d3d8
