#include "platform/d3d8/GlDirect3D8.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/d3d8/DeviceBase.h"
#include "platform/d3d8/GlContext.h"
#include "platform/d3d8/GlDevice.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/PixelFormat.h"

namespace d3d8 {

namespace {

std::function<IDirect3D8*(uint32_t)>& Factory() {
  static std::function<IDirect3D8*(uint32_t)> factory;
  return factory;
}

GlInfo Probe() {
  GlInfo info;
  SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) {
    SetLastErrorDetail(std::string("SDL_CreateWindow: ") + SDL_GetError());
    return info;
  }
  {
    std::shared_ptr<GlContext> context = GlContext::Create(window);
    if (context) {
      auto text = [](GLenum name) {
        const GLubyte* value = glGetString(name);
        return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
      };
      info.vendor = text(GL_VENDOR);
      info.renderer = text(GL_RENDERER);
      info.version = text(GL_VERSION);
      GLint major = 0, minor = 0, maxSize = 0;
      glGetIntegerv(GL_MAJOR_VERSION, &major);
      glGetIntegerv(GL_MINOR_VERSION, &minor);
      glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
      info.major = major;
      info.minor = minor;
      info.maxTextureSize = static_cast<uint32_t>(std::clamp(maxSize, 0, 16384));
      info.available = (major > 3 || (major == 3 && minor >= 3)) && maxSize >= 1024;
      if (!info.available) SetLastErrorDetail("OpenGL " + info.version + " is older than 3.3");
    }
  }
  SDL_DestroyWindow(window);
  return info;
}

// The last "x.y" or "x.y.z" of a version text, as x << 16 | y << 8 | z.
uint32_t DriverVersionNumber(const std::string& text) {
  uint32_t result = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i])) ||
        (i > 0 && (std::isdigit(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '.'))) {
      continue;
    }
    unsigned x = 0, y = 0, z = 0;
    const int n = std::sscanf(text.c_str() + i, "%u.%u.%u", &x, &y, &z);
    if (n >= 2) result = ((x & 0xFFFF) << 16) | ((y & 0xFF) << 8) | (z & 0xFF);
  }
  return result;
}

// SDL's description of a display mode as Direct3D's; an unknown refresh rate is 60 Hz.
D3DDISPLAYMODE ModeOf(const SDL_DisplayMode& mode) {
  const int bits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
  return D3DDISPLAYMODE{static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h),
                        static_cast<uint32_t>(mode.refresh_rate > 0 ? mode.refresh_rate : 60),
                        bits == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8};
}

bool IsDisplayFormat(D3DFORMAT format) {
  return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

}  // namespace

void SetDirect3DFactory(std::function<IDirect3D8*(uint32_t sdkVersion)> factory) {
  Factory() = std::move(factory);
}

const GlInfo& QueryGlInfo() {
  static const GlInfo info = Probe();
  return info;
}

GlDirect3D8::GlDirect3D8(const GlInfo& info) : info_(info) {}

GlDirect3D8::~GlDirect3D8() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

uint32_t GlDirect3D8::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT GlDirect3D8::GetAdapterIdentifier(uint32_t adapter, uint32_t,
                                          D3DADAPTER_IDENTIFIER8* identifier) {
  if (adapter != 0 || !identifier) return D3DERR_INVALIDCALL;
  std::memset(identifier, 0, sizeof *identifier);
  const std::string driver = info_.vendor + " OpenGL " + info_.version;
  std::snprintf(identifier->Driver, sizeof identifier->Driver, "%s", driver.c_str());
  std::snprintf(identifier->Description, sizeof identifier->Description, "%s",
                info_.renderer.c_str());
  const uint64_t high = (static_cast<uint64_t>(info_.major) << 16) | static_cast<uint32_t>(info_.minor);
  identifier->DriverVersion = (high << 32) | DriverVersionNumber(info_.version);
  return D3D_OK;
}

uint32_t GlDirect3D8::GetAdapterModeCount(uint32_t adapter) {
  if (adapter != 0) return 0;
  return static_cast<uint32_t>(std::max(SDL_GetNumDisplayModes(0), 0));
}

HRESULT GlDirect3D8::EnumAdapterModes(uint32_t adapter, uint32_t mode, D3DDISPLAYMODE* out) {
  SDL_DisplayMode sdlMode;
  if (adapter != 0 || !out || SDL_GetDisplayMode(0, static_cast<int>(mode), &sdlMode) != 0) {
    return D3DERR_INVALIDCALL;
  }
  *out = ModeOf(sdlMode);
  return D3D_OK;
}

HRESULT GlDirect3D8::GetAdapterDisplayMode(uint32_t adapter, D3DDISPLAYMODE* mode) {
  SDL_DisplayMode sdlMode;
  if (adapter != 0 || !mode || SDL_GetDesktopDisplayMode(0, &sdlMode) != 0) {
    return D3DERR_INVALIDCALL;
  }
  *mode = ModeOf(sdlMode);
  return D3D_OK;
}

HRESULT GlDirect3D8::CheckDeviceType(uint32_t adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                     D3DFORMAT backBufferFormat, int32_t) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (type == D3DDEVTYPE_SW || !IsDisplayFormat(displayFormat)) return D3DERR_NOTAVAILABLE;
  if (backBufferFormat != D3DFMT_UNKNOWN && !IsDisplayFormat(backBufferFormat) &&
      backBufferFormat != D3DFMT_A8R8G8B8 && backBufferFormat != D3DFMT_A1R5G5B5) {
    return D3DERR_NOTAVAILABLE;
  }
  return D3D_OK;
}

HRESULT GlDirect3D8::CheckDeviceFormat(uint32_t adapter, D3DDEVTYPE type, D3DFORMAT,
                                       uint32_t usage, D3DRESOURCETYPE,
                                       D3DFORMAT checkFormat) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (type == D3DDEVTYPE_SW) return D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_DEPTHSTENCIL) {
    return checkFormat == D3DFMT_D24S8 ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  if (!IsStorableFormat(checkFormat)) return D3DERR_NOTAVAILABLE;
  // Compressed textures are made and read (DDS files keep their DXT levels), but they are
  // not offered: callers that choose a format from these answers keep lossless ones.
  if (IsCompressedFormat(checkFormat)) return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT GlDirect3D8::GetDeviceCaps(uint32_t adapter, D3DDEVTYPE type, D3DCAPS8* caps) {
  if (adapter != 0 || !caps) return D3DERR_INVALIDCALL;
  if (type == D3DDEVTYPE_SW) return D3DERR_NOTAVAILABLE;
  *caps = DeviceBase::StandardCaps(info_.maxTextureSize);
  caps->DeviceType = type;
  caps->AdapterOrdinal = adapter;
  return D3D_OK;
}

HRESULT GlDirect3D8::CreateDevice(uint32_t adapter, D3DDEVTYPE type, HWND focusWindow,
                                  uint32_t, D3DPRESENT_PARAMETERS* parameters,
                                  IDirect3DDevice8** device) {
  if (device) *device = nullptr;
  if (adapter != 0 || !parameters || !device) return D3DERR_INVALIDCALL;
  if (type == D3DDEVTYPE_SW) return D3DERR_NOTAVAILABLE;
  D3DCAPS8 caps;
  GetDeviceCaps(adapter, type, &caps);
  return GlDevice::Create(this, adapter, type, caps, focusWindow, parameters, device);
}

}  // namespace d3d8

IDirect3D8* Direct3DCreate8(uint32_t sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) {
    d3d8::SetLastErrorDetail("wrong SDK version");
    return nullptr;
  }
  if (d3d8::Factory()) return d3d8::Factory()(sdkVersion);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    d3d8::SetLastErrorDetail(std::string("SDL_InitSubSystem: ") + SDL_GetError());
    return nullptr;
  }
  const d3d8::GlInfo& info = d3d8::QueryGlInfo();
  if (!info.available) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  return new d3d8::GlDirect3D8(info);
}
