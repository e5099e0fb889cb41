#pragma once

// Plain types, enumerations and constants of our Direct3D 8 stand-in. The numeric values are
// those of Direct3D 8, so that the renderer's tables and recorded calls read the same as on
// the original platform.

#include <cstdint>

#include "platform/d3d8/ComTypes.h"
#include "platform/win32/Handles.h"

typedef uint32_t D3DCOLOR;  // 0xAARRGGBB

constexpr uint32_t D3D_SDK_VERSION = 220;
constexpr uint32_t D3DADAPTER_DEFAULT = 0;

// ---- Result codes -------------------------------------------------------------------------
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = MakeHResult(0x88760818u);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = MakeHResult(0x88760819u);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLORARG = MakeHResult(0x8876081Au);
constexpr HRESULT D3DERR_UNSUPPORTEDALPHAOPERATION = MakeHResult(0x8876081Bu);
constexpr HRESULT D3DERR_UNSUPPORTEDALPHAARG = MakeHResult(0x8876081Cu);
constexpr HRESULT D3DERR_TOOMANYOPERATIONS = MakeHResult(0x8876081Du);
constexpr HRESULT D3DERR_CONFLICTINGTEXTUREFILTER = MakeHResult(0x8876081Eu);
constexpr HRESULT D3DERR_UNSUPPORTEDFACTORVALUE = MakeHResult(0x8876081Fu);
constexpr HRESULT D3DERR_CONFLICTINGRENDERSTATE = MakeHResult(0x88760821u);
constexpr HRESULT D3DERR_UNSUPPORTEDTEXTUREFILTER = MakeHResult(0x88760823u);
constexpr HRESULT D3DERR_CONFLICTINGTEXTUREPALETTE = MakeHResult(0x88760826u);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = MakeHResult(0x88760827u);
constexpr HRESULT D3DERR_NOTFOUND = MakeHResult(0x88760866u);
constexpr HRESULT D3DERR_MOREDATA = MakeHResult(0x88760867u);
constexpr HRESULT D3DERR_DEVICELOST = MakeHResult(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = MakeHResult(0x88760869u);
constexpr HRESULT D3DERR_NOTAVAILABLE = MakeHResult(0x8876086Au);
constexpr HRESULT D3DERR_INVALIDDEVICE = MakeHResult(0x8876086Bu);
constexpr HRESULT D3DERR_INVALIDCALL = MakeHResult(0x8876086Cu);
constexpr HRESULT D3DERR_DRIVERINVALIDCALL = MakeHResult(0x8876086Du);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MakeHResult(0x8876017Cu);

// ---- Formats ------------------------------------------------------------------------------
enum D3DFORMAT : uint32_t {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_R8G8B8 = 20,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_R5G6B5 = 23,
  D3DFMT_X1R5G5B5 = 24,
  D3DFMT_A1R5G5B5 = 25,
  D3DFMT_A4R4G4B4 = 26,
  D3DFMT_R3G3B2 = 27,
  D3DFMT_A8 = 28,
  D3DFMT_A8R3G3B2 = 29,
  D3DFMT_X4R4G4B4 = 30,
  D3DFMT_A8P8 = 40,
  D3DFMT_P8 = 41,
  D3DFMT_L8 = 50,
  D3DFMT_A8L8 = 51,
  D3DFMT_D16 = 80,
  D3DFMT_D24S8 = 75,
  D3DFMT_D24X8 = 77,
  D3DFMT_INDEX16 = 101,
  D3DFMT_INDEX32 = 102,
  D3DFMT_DXT1 = MAKEFOURCC('D', 'X', 'T', '1'),
  D3DFMT_DXT2 = MAKEFOURCC('D', 'X', 'T', '2'),
  D3DFMT_DXT3 = MAKEFOURCC('D', 'X', 'T', '3'),
  D3DFMT_DXT4 = MAKEFOURCC('D', 'X', 'T', '4'),
  D3DFMT_DXT5 = MAKEFOURCC('D', 'X', 'T', '5'),
};

enum D3DRESOURCETYPE : uint32_t {
  D3DRTYPE_SURFACE = 1,
  D3DRTYPE_VOLUME = 2,
  D3DRTYPE_TEXTURE = 3,
  D3DRTYPE_VOLUMETEXTURE = 4,
  D3DRTYPE_CUBETEXTURE = 5,
  D3DRTYPE_VERTEXBUFFER = 6,
  D3DRTYPE_INDEXBUFFER = 7,
};

enum D3DPOOL : uint32_t {
  D3DPOOL_DEFAULT = 0,
  D3DPOOL_MANAGED = 1,
  D3DPOOL_SYSTEMMEM = 2,
  D3DPOOL_SCRATCH = 3,
};

enum D3DMULTISAMPLE_TYPE : uint32_t { D3DMULTISAMPLE_NONE = 0 };

enum D3DDEVTYPE : uint32_t {
  D3DDEVTYPE_HAL = 1,
  D3DDEVTYPE_REF = 2,
  D3DDEVTYPE_SW = 3,
};

enum D3DSWAPEFFECT : uint32_t {
  D3DSWAPEFFECT_DISCARD = 1,
  D3DSWAPEFFECT_FLIP = 2,
  D3DSWAPEFFECT_COPY = 3,
  D3DSWAPEFFECT_COPY_VSYNC = 4,
};

enum D3DBACKBUFFER_TYPE : uint32_t { D3DBACKBUFFER_TYPE_MONO = 0 };

enum D3DCUBEMAP_FACES : uint32_t {
  D3DCUBEMAP_FACE_POSITIVE_X = 0,
  D3DCUBEMAP_FACE_NEGATIVE_X = 1,
  D3DCUBEMAP_FACE_POSITIVE_Y = 2,
  D3DCUBEMAP_FACE_NEGATIVE_Y = 3,
  D3DCUBEMAP_FACE_POSITIVE_Z = 4,
  D3DCUBEMAP_FACE_NEGATIVE_Z = 5,
};

// Usage flags.
constexpr uint32_t D3DUSAGE_RENDERTARGET = 0x1;
constexpr uint32_t D3DUSAGE_DEPTHSTENCIL = 0x2;
constexpr uint32_t D3DUSAGE_WRITEONLY = 0x8;
constexpr uint32_t D3DUSAGE_DYNAMIC = 0x200;

// Lock flags.
constexpr uint32_t D3DLOCK_READONLY = 0x10;
constexpr uint32_t D3DLOCK_NOSYSLOCK = 0x800;
constexpr uint32_t D3DLOCK_NOOVERWRITE = 0x1000;
constexpr uint32_t D3DLOCK_DISCARD = 0x2000;
constexpr uint32_t D3DLOCK_NO_DIRTY_UPDATE = 0x8000;

// Clear flags.
constexpr uint32_t D3DCLEAR_TARGET = 0x1;
constexpr uint32_t D3DCLEAR_ZBUFFER = 0x2;
constexpr uint32_t D3DCLEAR_STENCIL = 0x4;

// Behaviour flags of CreateDevice.
constexpr uint32_t D3DCREATE_FPU_PRESERVE = 0x2;
constexpr uint32_t D3DCREATE_MULTITHREADED = 0x4;
constexpr uint32_t D3DCREATE_PUREDEVICE = 0x10;
constexpr uint32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr uint32_t D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;
constexpr uint32_t D3DCREATE_MIXED_VERTEXPROCESSING = 0x80;

// Presentation intervals and flags.
constexpr uint32_t D3DPRESENT_RATE_DEFAULT = 0;
constexpr uint32_t D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr uint32_t D3DPRESENT_INTERVAL_ONE = 0x1;
constexpr uint32_t D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;
constexpr uint32_t D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x1;

// ---- Render states ------------------------------------------------------------------------
enum D3DRENDERSTATETYPE : uint32_t {
  D3DRS_ZENABLE = 7,
  D3DRS_FILLMODE = 8,
  D3DRS_SHADEMODE = 9,
  D3DRS_ZWRITEENABLE = 14,
  D3DRS_ALPHATESTENABLE = 15,
  D3DRS_LASTPIXEL = 16,
  D3DRS_SRCBLEND = 19,
  D3DRS_DESTBLEND = 20,
  D3DRS_CULLMODE = 22,
  D3DRS_ZFUNC = 23,
  D3DRS_ALPHAREF = 24,
  D3DRS_ALPHAFUNC = 25,
  D3DRS_DITHERENABLE = 26,
  D3DRS_ALPHABLENDENABLE = 27,
  D3DRS_FOGENABLE = 28,
  D3DRS_SPECULARENABLE = 29,
  D3DRS_ZVISIBLE = 30,
  D3DRS_FOGCOLOR = 34,
  D3DRS_STENCILENABLE = 52,
  D3DRS_STENCILFAIL = 53,
  D3DRS_STENCILZFAIL = 54,
  D3DRS_STENCILPASS = 55,
  D3DRS_STENCILFUNC = 56,
  D3DRS_STENCILREF = 57,
  D3DRS_STENCILMASK = 58,
  D3DRS_STENCILWRITEMASK = 59,
  D3DRS_TEXTUREFACTOR = 60,
  D3DRS_WRAP0 = 128,
  D3DRS_WRAP1 = 129,
  D3DRS_WRAP2 = 130,
  D3DRS_WRAP3 = 131,
  D3DRS_WRAP4 = 132,
  D3DRS_WRAP5 = 133,
  D3DRS_WRAP6 = 134,
  D3DRS_WRAP7 = 135,
  D3DRS_CLIPPING = 136,
  D3DRS_LIGHTING = 137,
  D3DRS_AMBIENT = 139,
  D3DRS_COLORVERTEX = 141,
  D3DRS_LOCALVIEWER = 142,
  D3DRS_NORMALIZENORMALS = 143,
  D3DRS_VERTEXBLEND = 151,
  D3DRS_CLIPPLANEENABLE = 152,
  D3DRS_POINTSIZE = 154,
  D3DRS_MULTISAMPLEANTIALIAS = 161,
  D3DRS_INDEXEDVERTEXBLENDENABLE = 167,
  D3DRS_COLORWRITEENABLE = 168,
  D3DRS_BLENDOP = 171,
};
constexpr uint32_t kD3DRenderStateCount = 256;  // every state value is below this

enum D3DFILLMODE : uint32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum D3DSHADEMODE : uint32_t { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2 };
enum D3DZBUFFERTYPE : uint32_t { D3DZB_FALSE = 0, D3DZB_TRUE = 1 };

enum D3DBLEND : uint32_t {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
  D3DBLEND_SRCALPHASAT = 11,
  D3DBLEND_BOTHSRCALPHA = 12,
  D3DBLEND_BOTHINVSRCALPHA = 13,
};

enum D3DBLENDOP : uint32_t {
  D3DBLENDOP_ADD = 1,
  D3DBLENDOP_SUBTRACT = 2,
  D3DBLENDOP_REVSUBTRACT = 3,
  D3DBLENDOP_MIN = 4,
  D3DBLENDOP_MAX = 5,
};

enum D3DCULL : uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };

enum D3DCMPFUNC : uint32_t {
  D3DCMP_NEVER = 1,
  D3DCMP_LESS = 2,
  D3DCMP_EQUAL = 3,
  D3DCMP_LESSEQUAL = 4,
  D3DCMP_GREATER = 5,
  D3DCMP_NOTEQUAL = 6,
  D3DCMP_GREATEREQUAL = 7,
  D3DCMP_ALWAYS = 8,
};

enum D3DSTENCILOP : uint32_t {
  D3DSTENCILOP_KEEP = 1,
  D3DSTENCILOP_ZERO = 2,
  D3DSTENCILOP_REPLACE = 3,
  D3DSTENCILOP_INCRSAT = 4,
  D3DSTENCILOP_DECRSAT = 5,
  D3DSTENCILOP_INVERT = 6,
  D3DSTENCILOP_INCR = 7,
  D3DSTENCILOP_DECR = 8,
};

enum D3DVERTEXBLENDFLAGS : uint32_t { D3DVBF_DISABLE = 0 };

constexpr uint32_t D3DCOLORWRITEENABLE_RED = 0x1;
constexpr uint32_t D3DCOLORWRITEENABLE_GREEN = 0x2;
constexpr uint32_t D3DCOLORWRITEENABLE_BLUE = 0x4;
constexpr uint32_t D3DCOLORWRITEENABLE_ALPHA = 0x8;

// ---- Texture stages -----------------------------------------------------------------------
enum D3DTEXTURESTAGESTATETYPE : uint32_t {
  D3DTSS_COLOROP = 1,
  D3DTSS_COLORARG1 = 2,
  D3DTSS_COLORARG2 = 3,
  D3DTSS_ALPHAOP = 4,
  D3DTSS_ALPHAARG1 = 5,
  D3DTSS_ALPHAARG2 = 6,
  D3DTSS_TEXCOORDINDEX = 11,
  D3DTSS_ADDRESSU = 13,
  D3DTSS_ADDRESSV = 14,
  D3DTSS_BORDERCOLOR = 15,
  D3DTSS_MAGFILTER = 16,
  D3DTSS_MINFILTER = 17,
  D3DTSS_MIPFILTER = 18,
  D3DTSS_MIPMAPLODBIAS = 19,
  D3DTSS_MAXMIPLEVEL = 20,
  D3DTSS_MAXANISOTROPY = 21,
  D3DTSS_TEXTURETRANSFORMFLAGS = 24,
  D3DTSS_ADDRESSW = 25,
  D3DTSS_COLORARG0 = 26,
  D3DTSS_ALPHAARG0 = 27,
  D3DTSS_RESULTARG = 28,
};
constexpr uint32_t kD3DTextureStageStateCount = 32;  // every stage state value is below this
constexpr uint32_t kD3DTextureStageCount = 8;        // stages that hold state
constexpr uint32_t kD3DBlendStageCount = 2;          // stages the pipeline combines

enum D3DTEXTUREOP : uint32_t {
  D3DTOP_DISABLE = 1,
  D3DTOP_SELECTARG1 = 2,
  D3DTOP_SELECTARG2 = 3,
  D3DTOP_MODULATE = 4,
  D3DTOP_MODULATE2X = 5,
  D3DTOP_MODULATE4X = 6,
  D3DTOP_ADD = 7,
  D3DTOP_ADDSIGNED = 8,
  D3DTOP_ADDSIGNED2X = 9,
  D3DTOP_SUBTRACT = 10,
  D3DTOP_ADDSMOOTH = 11,
  D3DTOP_BLENDDIFFUSEALPHA = 12,
  D3DTOP_BLENDTEXTUREALPHA = 13,
  D3DTOP_BLENDFACTORALPHA = 14,
  D3DTOP_BLENDTEXTUREALPHAPM = 15,
  D3DTOP_BLENDCURRENTALPHA = 16,
};

// Texture-stage arguments.
constexpr uint32_t D3DTA_SELECTMASK = 0x0000000F;
constexpr uint32_t D3DTA_DIFFUSE = 0x00000000;
constexpr uint32_t D3DTA_CURRENT = 0x00000001;
constexpr uint32_t D3DTA_TEXTURE = 0x00000002;
constexpr uint32_t D3DTA_TFACTOR = 0x00000003;
constexpr uint32_t D3DTA_SPECULAR = 0x00000004;
constexpr uint32_t D3DTA_COMPLEMENT = 0x00000010;
constexpr uint32_t D3DTA_ALPHAREPLICATE = 0x00000020;

enum D3DTEXTUREFILTERTYPE : uint32_t {
  D3DTEXF_NONE = 0,
  D3DTEXF_POINT = 1,
  D3DTEXF_LINEAR = 2,
  D3DTEXF_ANISOTROPIC = 3,
};

enum D3DTEXTUREADDRESS : uint32_t {
  D3DTADDRESS_WRAP = 1,
  D3DTADDRESS_MIRROR = 2,
  D3DTADDRESS_CLAMP = 3,
  D3DTADDRESS_BORDER = 4,
};

enum D3DTEXTURETRANSFORMFLAGS : uint32_t {
  D3DTTFF_DISABLE = 0,
  D3DTTFF_COUNT1 = 1,
  D3DTTFF_COUNT2 = 2,
  D3DTTFF_COUNT3 = 3,
  D3DTTFF_COUNT4 = 4,
  D3DTTFF_PROJECTED = 256,
};

// D3DTSS_TEXCOORDINDEX: the set index in the low word, a generated source above it.
constexpr uint32_t D3DTSS_TCI_PASSTHRU = 0x00000;
constexpr uint32_t D3DTSS_TCI_CAMERASPACEPOSITION = 0x20000;

// ---- Transforms ---------------------------------------------------------------------------
enum D3DTRANSFORMSTATETYPE : uint32_t {
  D3DTS_VIEW = 2,
  D3DTS_PROJECTION = 3,
  D3DTS_TEXTURE0 = 16,
  D3DTS_TEXTURE1 = 17,
  D3DTS_TEXTURE2 = 18,
  D3DTS_TEXTURE3 = 19,
  D3DTS_TEXTURE4 = 20,
  D3DTS_TEXTURE5 = 21,
  D3DTS_TEXTURE6 = 22,
  D3DTS_TEXTURE7 = 23,
  D3DTS_WORLD = 256,
};

// ---- Primitives and vertex formats --------------------------------------------------------
enum D3DPRIMITIVETYPE : uint32_t {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};

constexpr uint32_t D3DFVF_POSITION_MASK = 0x00E;
constexpr uint32_t D3DFVF_XYZ = 0x002;
constexpr uint32_t D3DFVF_XYZRHW = 0x004;
constexpr uint32_t D3DFVF_NORMAL = 0x010;
constexpr uint32_t D3DFVF_PSIZE = 0x020;
constexpr uint32_t D3DFVF_DIFFUSE = 0x040;
constexpr uint32_t D3DFVF_SPECULAR = 0x080;
constexpr uint32_t D3DFVF_TEXCOUNT_MASK = 0xF00;
constexpr uint32_t D3DFVF_TEXCOUNT_SHIFT = 8;
constexpr uint32_t D3DFVF_TEX0 = 0x000;
constexpr uint32_t D3DFVF_TEX1 = 0x100;
constexpr uint32_t D3DFVF_TEX2 = 0x200;

// ---- Capabilities -------------------------------------------------------------------------
constexpr uint32_t D3DCAPS2_CANRENDERWINDOWED = 0x00080000;
constexpr uint32_t D3DCAPS2_CANMANAGERESOURCE = 0x10000000;
constexpr uint32_t D3DCAPS2_DYNAMICTEXTURES = 0x20000000;

constexpr uint32_t D3DDEVCAPS_EXECUTESYSTEMMEMORY = 0x00000010;
constexpr uint32_t D3DDEVCAPS_TLVERTEXSYSTEMMEMORY = 0x00000040;
constexpr uint32_t D3DDEVCAPS_TEXTUREVIDEOMEMORY = 0x00000200;
constexpr uint32_t D3DDEVCAPS_DRAWPRIMTLVERTEX = 0x00000400;
constexpr uint32_t D3DDEVCAPS_CANRENDERAFTERFLIP = 0x00000800;
constexpr uint32_t D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
constexpr uint32_t D3DDEVCAPS_HWRASTERIZATION = 0x00080000;

constexpr uint32_t D3DPTEXTURECAPS_PERSPECTIVE = 0x00000001;
constexpr uint32_t D3DPTEXTURECAPS_POW2 = 0x00000002;
constexpr uint32_t D3DPTEXTURECAPS_ALPHA = 0x00000004;
constexpr uint32_t D3DPTEXTURECAPS_SQUAREONLY = 0x00000020;
constexpr uint32_t D3DPTEXTURECAPS_NONPOW2CONDITIONAL = 0x00000100;
constexpr uint32_t D3DPTEXTURECAPS_CUBEMAP = 0x00000800;
constexpr uint32_t D3DPTEXTURECAPS_MIPMAP = 0x00004000;
constexpr uint32_t D3DPTEXTURECAPS_CUBEMAP_POW2 = 0x00020000;

constexpr uint32_t D3DPTADDRESSCAPS_WRAP = 0x1;
constexpr uint32_t D3DPTADDRESSCAPS_MIRROR = 0x2;
constexpr uint32_t D3DPTADDRESSCAPS_CLAMP = 0x4;
constexpr uint32_t D3DPTADDRESSCAPS_BORDER = 0x8;

constexpr uint32_t D3DVS_VERSION(uint32_t major, uint32_t minor) {
  return 0xFFFE0000u | (major << 8) | minor;
}
constexpr uint32_t D3DPS_VERSION(uint32_t major, uint32_t minor) {
  return 0xFFFF0000u | (major << 8) | minor;
}
constexpr uint32_t D3DSHADER_VERSION_MAJOR(uint32_t version) { return (version >> 8) & 0xFF; }
constexpr uint32_t D3DSHADER_VERSION_MINOR(uint32_t version) { return version & 0xFF; }

// ---- Structures ---------------------------------------------------------------------------
struct D3DVECTOR {
  float x, y, z;
};

// Row-major, row-vector matrix: a point is transformed as v * M, translation in _41.._43.
struct D3DMATRIX {
  union {
    struct {
      float _11, _12, _13, _14;
      float _21, _22, _23, _24;
      float _31, _32, _33, _34;
      float _41, _42, _43, _44;
    };
    float m[4][4];
  };
};

struct D3DVIEWPORT8 {
  uint32_t X;
  uint32_t Y;
  uint32_t Width;
  uint32_t Height;
  float MinZ;
  float MaxZ;
};

// A rectangle of Clear: x2 and y2 are exclusive.
struct D3DRECT {
  int32_t x1;
  int32_t y1;
  int32_t x2;
  int32_t y2;
};

struct D3DLOCKED_RECT {
  int32_t Pitch;
  void* pBits;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  uint32_t Usage;
  D3DPOOL Pool;
  uint32_t Size;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  uint32_t Width;
  uint32_t Height;
};

struct D3DDISPLAYMODE {
  uint32_t Width;
  uint32_t Height;
  uint32_t RefreshRate;
  D3DFORMAT Format;
};

struct D3DPRESENT_PARAMETERS {
  uint32_t BackBufferWidth;
  uint32_t BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  uint32_t BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  int32_t Windowed;
  int32_t EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  uint32_t Flags;
  uint32_t FullScreen_RefreshRateInHz;
  uint32_t FullScreen_PresentationInterval;
};

struct D3DADAPTER_IDENTIFIER8 {
  char Driver[512];
  char Description[512];
  // The driver version: HighPart in the upper 32 bits, LowPart in the lower.
  uint64_t DriverVersion;
  uint32_t VendorId;
  uint32_t DeviceId;
  uint32_t SubSysId;
  uint32_t Revision;
  uint8_t DeviceIdentifier[16];
  uint32_t WHQLLevel;
};

// The capabilities the renderer reads. Fields it never reads are left out.
struct D3DCAPS8 {
  D3DDEVTYPE DeviceType;
  uint32_t AdapterOrdinal;
  uint32_t Caps;
  uint32_t Caps2;
  uint32_t Caps3;
  uint32_t PresentationIntervals;
  uint32_t DevCaps;
  uint32_t PrimitiveMiscCaps;
  uint32_t RasterCaps;
  uint32_t ZCmpCaps;
  uint32_t SrcBlendCaps;
  uint32_t DestBlendCaps;
  uint32_t AlphaCmpCaps;
  uint32_t TextureCaps;
  uint32_t TextureFilterCaps;
  uint32_t CubeTextureFilterCaps;
  uint32_t TextureAddressCaps;
  uint32_t MaxTextureWidth;
  uint32_t MaxTextureHeight;
  uint32_t MaxTextureAspectRatio;
  uint32_t MaxAnisotropy;
  uint32_t StencilCaps;
  uint32_t FVFCaps;
  uint32_t TextureOpCaps;
  uint32_t MaxTextureBlendStages;
  uint32_t MaxSimultaneousTextures;
  uint32_t MaxPrimitiveCount;
  uint32_t MaxVertexIndex;
  uint32_t MaxStreams;
  uint32_t MaxStreamStride;
  uint32_t VertexShaderVersion;
  uint32_t PixelShaderVersion;
};
