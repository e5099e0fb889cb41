#include "platform/d3d8/RecordingDirect3D.h"

#include <cstring>

#include "platform/d3d8/PixelFormat.h"

namespace d3d8 {

RecordingDirect3D::Adapter RecordingDirect3D::StandardAdapter(const std::string& description) {
  Adapter adapter;
  std::strncpy(adapter.identifier.Driver, "recording", sizeof adapter.identifier.Driver - 1);
  std::strncpy(adapter.identifier.Description, description.c_str(),
               sizeof adapter.identifier.Description - 1);
  adapter.identifier.DriverVersion = (uint64_t{1} << 32) | 1;
  adapter.caps = DeviceBase::StandardCaps(4096);
  for (const auto& [w, h] : {std::pair{640u, 480u}, {800u, 600u}, {1024u, 768u}}) {
    adapter.modes.push_back(D3DDISPLAYMODE{w, h, 60, D3DFMT_X8R8G8B8});
  }
  adapter.displayMode = D3DDISPLAYMODE{1280, 800, 60, D3DFMT_X8R8G8B8};
  return adapter;
}

RecordingDirect3D::RecordingDirect3D() { adapters.push_back(StandardAdapter("Recording adapter")); }

uint32_t RecordingDirect3D::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

void RecordingDirect3D::FailCalls(Direct3DCall call, HRESULT result, int count) {
  failures_.Set(call, result, count);
}

HRESULT RecordingDirect3D::Record(Direct3DCall call, HRESULT result, uint32_t adapter,
                                  D3DDEVTYPE type, uint32_t flags, D3DFORMAT format) {
  calls_.push_back(RecordedDirect3DCall{call, result, adapter, type, flags, format});
  return result;
}

HRESULT RecordingDirect3D::GetAdapterIdentifier(uint32_t adapter, uint32_t,
                                                D3DADAPTER_IDENTIFIER8* identifier) {
  HRESULT hr;
  if (!failures_.Take(Direct3DCall::GetAdapterIdentifier, &hr)) {
    hr = D3DERR_INVALIDCALL;
    if (adapter < adapters.size() && identifier) {
      *identifier = adapters[adapter].identifier;
      hr = D3D_OK;
    }
  }
  return Record(Direct3DCall::GetAdapterIdentifier, hr, adapter, D3DDEVTYPE_HAL, 0,
                D3DFMT_UNKNOWN);
}

uint32_t RecordingDirect3D::GetAdapterModeCount(uint32_t adapter) {
  return adapter < adapters.size() ? static_cast<uint32_t>(adapters[adapter].modes.size()) : 0;
}

HRESULT RecordingDirect3D::EnumAdapterModes(uint32_t adapter, uint32_t mode,
                                            D3DDISPLAYMODE* out) {
  HRESULT hr;
  if (!failures_.Take(Direct3DCall::EnumAdapterModes, &hr)) {
    hr = D3DERR_INVALIDCALL;
    if (adapter < adapters.size() && mode < adapters[adapter].modes.size() && out) {
      *out = adapters[adapter].modes[mode];
      hr = D3D_OK;
    }
  }
  return Record(Direct3DCall::EnumAdapterModes, hr, adapter, D3DDEVTYPE_HAL, mode,
                D3DFMT_UNKNOWN);
}

HRESULT RecordingDirect3D::GetAdapterDisplayMode(uint32_t adapter, D3DDISPLAYMODE* mode) {
  HRESULT hr;
  if (!failures_.Take(Direct3DCall::GetAdapterDisplayMode, &hr)) {
    hr = D3DERR_INVALIDCALL;
    if (adapter < adapters.size() && mode) {
      *mode = adapters[adapter].displayMode;
      hr = D3D_OK;
    }
  }
  return Record(Direct3DCall::GetAdapterDisplayMode, hr, adapter, D3DDEVTYPE_HAL, 0,
                D3DFMT_UNKNOWN);
}

HRESULT RecordingDirect3D::CheckDeviceType(uint32_t adapter, D3DDEVTYPE type,
                                           D3DFORMAT displayFormat, D3DFORMAT, int32_t) {
  HRESULT hr;
  if (!failures_.Take(Direct3DCall::CheckDeviceType, &hr)) {
    hr = D3DERR_NOTAVAILABLE;
    if (adapter >= adapters.size()) {
      hr = D3DERR_INVALIDCALL;
    } else if (type != D3DDEVTYPE_HAL || adapters[adapter].hardware) {
      hr = D3D_OK;
    }
  }
  return Record(Direct3DCall::CheckDeviceType, hr, adapter, type, 0, displayFormat);
}

HRESULT RecordingDirect3D::CheckDeviceFormat(uint32_t adapter, D3DDEVTYPE type, D3DFORMAT,
                                             uint32_t usage, D3DRESOURCETYPE,
                                             D3DFORMAT checkFormat) {
  HRESULT hr;
  if (!failures_.Take(Direct3DCall::CheckDeviceFormat, &hr)) {
    hr = adapter >= adapters.size() ? D3DERR_INVALIDCALL
         : IsStorableFormat(checkFormat) && !IsCompressedFormat(checkFormat) &&
                 !unavailableFormats.count(checkFormat)
             ? D3D_OK
             : D3DERR_NOTAVAILABLE;
  }
  return Record(Direct3DCall::CheckDeviceFormat, hr, adapter, type, usage, checkFormat);
}

HRESULT RecordingDirect3D::GetDeviceCaps(uint32_t adapter, D3DDEVTYPE type, D3DCAPS8* caps) {
  HRESULT hr;
  if (!failures_.Take(Direct3DCall::GetDeviceCaps, &hr)) {
    hr = D3DERR_INVALIDCALL;
    if (adapter < adapters.size() && caps) {
      *caps = adapters[adapter].caps;
      caps->DeviceType = type;
      caps->AdapterOrdinal = adapter;
      hr = D3D_OK;
    }
  }
  return Record(Direct3DCall::GetDeviceCaps, hr, adapter, type, 0, D3DFMT_UNKNOWN);
}

HRESULT RecordingDirect3D::CreateDevice(uint32_t adapter, D3DDEVTYPE type, HWND focusWindow,
                                        uint32_t behaviorFlags,
                                        D3DPRESENT_PARAMETERS* parameters,
                                        IDirect3DDevice8** device) {
  if (device) *device = nullptr;
  HRESULT hr;
  if (!failures_.Take(Direct3DCall::CreateDevice, &hr)) {
    hr = D3DERR_INVALIDCALL;
    if (adapter < adapters.size() && parameters && device) {
      D3DPRESENT_PARAMETERS pp = *parameters;
      if (!pp.hDeviceWindow) pp.hDeviceWindow = focusWindow;
      D3DCAPS8 caps = adapters[adapter].caps;
      caps.DeviceType = type;
      caps.AdapterOrdinal = adapter;
      auto* made = new RecordingDevice(this, adapter, type, caps, pp);
      parameters->BackBufferWidth = made->PresentParameters().BackBufferWidth;
      parameters->BackBufferHeight = made->PresentParameters().BackBufferHeight;
      lastDevice_ = made;
      *device = made;
      hr = D3D_OK;
    }
  }
  return Record(Direct3DCall::CreateDevice, hr, adapter, type, behaviorFlags, D3DFMT_UNKNOWN);
}

}  // namespace d3d8
