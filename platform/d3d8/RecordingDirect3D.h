#pragma once

// A Direct3D object for engine tests: adapters, modes and capabilities that a test sets,
// devices that are RecordingDevices, and calls that can be told to fail (a device that
// cannot be made with hardware vertex processing, capabilities that cannot be read, ...).
// Put it behind Direct3DCreate8 with d3d8::SetDirect3DFactory.

#include <set>
#include <string>
#include <vector>

#include "platform/d3d8/CallFailures.h"
#include "platform/d3d8/RecordingDevice.h"

namespace d3d8 {

enum class Direct3DCall {
  GetAdapterIdentifier,
  CheckDeviceType,
  CheckDeviceFormat,
  GetDeviceCaps,
  GetAdapterDisplayMode,
  EnumAdapterModes,
  CreateDevice,
};

// One call of the Direct3D object: the adapter, the device type, and for CreateDevice the
// behaviour flags; for CheckDeviceType/CheckDeviceFormat the format checked.
struct RecordedDirect3DCall {
  Direct3DCall call;
  HRESULT result;
  uint32_t adapter;
  D3DDEVTYPE type;
  uint32_t flags;
  D3DFORMAT format;
};

class RecordingDirect3D final : public IDirect3D8 {
 public:
  struct Adapter {
    D3DADAPTER_IDENTIFIER8 identifier{};
    D3DCAPS8 caps{};
    std::vector<D3DDISPLAYMODE> modes;
    D3DDISPLAYMODE displayMode{};
    bool hardware = true;  // CheckDeviceType of the HAL device succeeds
  };

  // One adapter "Recording adapter" with StandardCaps(4096), the modes 640 x 480,
  // 800 x 600 and 1024 x 768 at 60 Hz, and a 1280 x 800 desktop. Starts with one reference.
  RecordingDirect3D();

  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override;

  uint32_t GetAdapterCount() override { return static_cast<uint32_t>(adapters.size()); }
  HRESULT GetAdapterIdentifier(uint32_t adapter, uint32_t flags,
                               D3DADAPTER_IDENTIFIER8* identifier) override;
  uint32_t GetAdapterModeCount(uint32_t adapter) override;
  HRESULT EnumAdapterModes(uint32_t adapter, uint32_t mode, D3DDISPLAYMODE* out) override;
  HRESULT GetAdapterDisplayMode(uint32_t adapter, D3DDISPLAYMODE* mode) override;
  HRESULT CheckDeviceType(uint32_t adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                          D3DFORMAT backBufferFormat, int32_t windowed) override;
  HRESULT CheckDeviceFormat(uint32_t adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                            uint32_t usage, D3DRESOURCETYPE resourceType,
                            D3DFORMAT checkFormat) override;
  HRESULT GetDeviceCaps(uint32_t adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
  HRESULT CreateDevice(uint32_t adapter, D3DDEVTYPE type, HWND focusWindow,
                       uint32_t behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                       IDirect3DDevice8** device) override;

  // The next `count` calls of that kind (every one when negative) fail with `result`.
  void FailCalls(Direct3DCall call, HRESULT result, int count = -1);
  const std::vector<RecordedDirect3DCall>& Calls() const { return calls_; }
  // The device made last (not referenced by this object), or null.
  RecordingDevice* LastDevice() const { return lastDevice_; }

  std::vector<Adapter> adapters;
  // Formats CheckDeviceFormat reports unavailable beside the compressed ones, which it
  // never offers (as the OpenGL layer does).
  std::set<D3DFORMAT> unavailableFormats;

  static Adapter StandardAdapter(const std::string& description);

 private:
  ~RecordingDirect3D() override = default;
  HRESULT Record(Direct3DCall call, HRESULT result, uint32_t adapter, D3DDEVTYPE type,
                 uint32_t flags, D3DFORMAT format);

  uint32_t refs_ = 1;
  CallFailures<Direct3DCall> failures_;
  std::vector<RecordedDirect3DCall> calls_;
  RecordingDevice* lastDevice_ = nullptr;
};

}  // namespace d3d8
