// The system report that starting the renderer writes to the log: adapters, the device's
// capabilities, the machine and the display modes. On this platform the adapter's values
// come from OpenGL and the machine's from the system.

#include <cstdio>

#include "engine/core/Log.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "engine/graphics/dx8/Dx8Window.h"
#include "platform/d3d8/SystemInfo.h"

namespace {

const char* YesNo(bool value) { return value ? "Yes" : "No"; }

uint32_t ShaderVersion(uint32_t version) { return version & 0xFFFF; }

std::string HighPart(uint64_t value) { return std::to_string(static_cast<uint32_t>(value >> 32)); }
std::string LowPart(uint64_t value) { return std::to_string(static_cast<uint32_t>(value)); }

struct ModeFormat {
  D3DFORMAT format;
  uint32_t bits;
  const char* name;
};

// The formats the display modes are listed for, in this order.
constexpr ModeFormat kModeFormats[] = {
    {D3DFMT_A1R5G5B5, 16, "D3DFMT_A1R5G5B5"}, {D3DFMT_R5G6B5, 16, "D3DFMT_R5G6B5"},
    {D3DFMT_X1R5G5B5, 16, "D3DFMT_X1R5G5B5"}, {D3DFMT_A8R8G8B8, 32, "D3DFMT_A8R8G8B8"},
    {D3DFMT_X8R8G8B8, 32, "D3DFMT_X8R8G8B8"},
};

}  // namespace

bool Dx8Graphics::WriteSystemReport() {
  const uint32_t adapterCount = direct3d_->GetAdapterCount();
  LOG_LINE(MSG_INIT) << "System has " << adapterCount << " devices";
  bool selected = false;
  uint32_t selectedAdapter = 0;
  for (uint32_t i = 0; i < adapterCount; ++i) {
    D3DADAPTER_IDENTIFIER8 id{};
    direct3d_->GetAdapterIdentifier(i, 0, &id);
    LOG_LINE(MSG_INIT) << " Adapter : " << i;
    LOG_LINE(MSG_INIT) << " - Device Name\t\t: " << id.DeviceId;
    LOG_LINE(MSG_INIT) << " - Description\t\t: " << id.Description;
    LOG_LINE(MSG_INIT) << " - Driver\t\t\t: " << id.Driver;
    LOG_LINE(MSG_INIT) << " - Driver Version\t: [" << HighPart(id.DriverVersion) << ","
                       << LowPart(id.DriverVersion) << "]";
    LOG_LINE(MSG_INIT) << " - Vendor Info\t\t: [" << id.VendorId << ", " << id.DeviceId;
    if (SUCCEEDED(direct3d_->CheckDeviceType(i, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_UNKNOWN,
                                             1))) {
      if (!selected) {
        selected = true;
        selectedAdapter = i;
      }
      LOG_LINE(MSG_INIT) << " - Device supports HAL";
    }
  }
  adapter_ = selected ? selectedAdapter : 0;

  HRESULT hr = direct3d_->GetDeviceCaps(adapter_, D3DDEVTYPE_HAL, &caps_);
  if (FAILED(hr)) {
    LOG_LINE(MSG_ERROR) << "Unable to retrieve graphics card capabilities";
    LOG_LINE(MSG_ERROR) << "DX Error: " << DxErrorText(hr);
    adapter_ = 1;
    hr = direct3d_->GetDeviceCaps(adapter_, D3DDEVTYPE_HAL, &caps_);
    if (SUCCEEDED(hr)) return true;
    LOG_LINE(MSG_ERROR) << "Can't find a valid adaptor!";
    LOG_LINE(MSG_ERROR) << "DX Error: " << DxErrorText(hr);
    dx8::ShowFatalMessage("There was an error creating the 3D window. Now exiting.",
                          "Unable to create Game Window!");
    // The start fails here; the application ends through its own failed-start path, which
    // still runs the ordered shutdown and reports a failed start.
    return false;
  }

  const char* className;
  if (!(caps_.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT)) {
    cardClass = 0;
    className = "DX6";
  } else if (ShaderVersion(caps_.PixelShaderVersion) < 0x0101) {
    cardClass = 1;
    className = "DX7";
  } else {
    cardClass = 2;
    className = "DX8";
  }

  const uint32_t tc = caps_.TextureCaps;
  LOG_LINE(MSG_INIT) << "------------------------------------------";
  LOG_LINE(MSG_INIT) << "SYSTEM INFORMATION";
  LOG_LINE(MSG_INIT) << "------------------------------------------";
  LOG_LINE(MSG_INIT) << "Device info";
  LOG_LINE(MSG_INIT) << " - supports HW T&L : " << YesNo(caps_.DevCaps & 0x10000);
  LOG_LINE(MSG_INIT) << " - supports HW Rasterizing : " << YesNo(caps_.DevCaps & 0x80000);
  LOG_LINE(MSG_INIT) << " - consider graphics card " << className << " class.";
  LOG_LINE(MSG_INIT) << "Texture info";
  LOG_LINE(MSG_INIT) << " - Max texture size : [" << caps_.MaxTextureWidth << "x"
                     << caps_.MaxTextureHeight << "]";
  LOG_LINE(MSG_INIT) << " - Max texture aspect: " << caps_.MaxTextureAspectRatio;
  LOG_LINE(MSG_INIT) << " - supports Alpha : " << YesNo(tc & 0x4);
  LOG_LINE(MSG_INIT) << " - supports Cubemaps : " << YesNo(tc & 0x800);
  LOG_LINE(MSG_INIT) << " - supports Cubemaps only Pow2 : " << YesNo(tc & 0x20000);
  LOG_LINE(MSG_INIT) << " - supports Mipmaps : " << YesNo(tc & 0x4000);
  LOG_LINE(MSG_INIT) << " - supports Conditional non-Pow2 : " << YesNo(tc & 0x100);
  LOG_LINE(MSG_INIT) << " - supports Pow2 textures ONLY : " << YesNo(tc & 0x2);
  LOG_LINE(MSG_INIT) << " - supports only square textures : " << YesNo(tc & 0x20);
  LOG_LINE(MSG_INIT) << "Texture Adress info";
  LOG_LINE(MSG_INIT) << " - supports Clamping : " << YesNo(caps_.TextureAddressCaps & 0x4);
  LOG_LINE(MSG_INIT) << " - supports Wrapping : " << YesNo(caps_.TextureAddressCaps & 0x1);
  LOG_LINE(MSG_INIT) << "Vertex & Pixel Shaders";
  const uint32_t vs = ShaderVersion(caps_.VertexShaderVersion);
  if (vs < 0x0101) {
    LOG_LINE(MSG_INIT) << " - No Vertex Shader supported";
  } else {
    LOG_LINE(MSG_INIT) << " - Vertex Shader 1.1 supported";
    if (vs >= 0x0200) LOG_LINE(MSG_INIT) << " - Vertex Shader 2.0 supported";
    if (vs >= 0x0300) LOG_LINE(MSG_INIT) << " - Vertex Shader 3.0 supported";
  }
  const uint32_t ps = ShaderVersion(caps_.PixelShaderVersion);
  if (ps < 0x0101) {
    LOG_LINE(MSG_INIT) << " - No Pixel Shaders supported";
  } else {
    LOG_LINE(MSG_INIT) << " - Pixel Shader 1.1 supported";
    if (ps >= 0x0102) LOG_LINE(MSG_INIT) << " - Pixel Shader 1.2 supported";
    if (ps >= 0x0103) LOG_LINE(MSG_INIT) << " - Pixel Shader 1.3 supported";
    if (ps >= 0x0104) LOG_LINE(MSG_INIT) << " - Pixel Shader 1.4 supported";
    if (ps >= 0x0200) LOG_LINE(MSG_INIT) << " - Pixel Shader 2.0 supported";
    if (ps >= 0x0300) LOG_LINE(MSG_INIT) << " - Pixel Shader 3.0 supported";
  }
  LOG_LINE(MSG_INIT) << "Device info";
  LOG_LINE(MSG_INIT) << " - supports managed resources : " << YesNo(caps_.Caps2 & 0x10000000);
  LOG_LINE(MSG_INIT) << " - supports dynamic textures : " << YesNo(caps_.Caps2 & 0x20000000);

  D3DADAPTER_IDENTIFIER8 id{};
  direct3d_->GetAdapterIdentifier(adapter_, 0, &id);
  LOG_LINE(MSG_INIT) << "Adapter info";
  LOG_LINE(MSG_INIT) << " - Device\t\t: " << id.Description;
  LOG_LINE(MSG_INIT) << " - Driver\t\t: " << id.Driver << " [ " << LowPart(id.DriverVersion)
                     << ", " << HighPart(id.DriverVersion) << " ]";
  LOG_LINE(MSG_INIT) << " - Vendor ID\t: " << id.VendorId;
  LOG_LINE(MSG_INIT) << " - Device ID\t: " << id.DeviceId;

  const d3d8::SystemInfo system = d3d8::QuerySystemInfo();
  LOG_LINE(MSG_INIT) << "System Info";
  LOG_LINE(MSG_INIT) << " - Clockspeed : " << 0 << " mhz";
  LOG_LINE(MSG_INIT) << " - CPU Count  : " << system.processorCount;
  LOG_LINE(MSG_INIT) << " - CPU Type   : " << system.processorType;
  LOG_LINE(MSG_INIT) << " - OS Version : " << system.osName;
  LOG_LINE(MSG_INIT) << " - Network Enabled : " << YesNo(dx8::NetworkEnabled());
  const d3d8::MemoryInfo& memory = system.memory;
  auto megabytes = [](uint64_t bytes) {
    return std::to_string(d3d8::ReportMegabytes(bytes)) + " MB";
  };
  LOG_LINE(MSG_INIT) << " - Total Physical RAM\t\t: " << megabytes(memory.totalPhysical);
  LOG_LINE(MSG_INIT) << " - Free Physical RAM\t\t: " << megabytes(memory.availablePhysical);
  LOG_LINE(MSG_INIT) << " - Total Pagefile\t\t\t: " << megabytes(memory.totalPageFile);
  LOG_LINE(MSG_INIT) << " - Available Pagefile\t\t: " << megabytes(memory.availablePageFile);
  LOG_LINE(MSG_INIT) << " - Total Virtual RAM\t\t: " << megabytes(memory.totalVirtual);
  LOG_LINE(MSG_INIT) << " - Available Virtual RAM\t: " << megabytes(memory.availableVirtual);
  LOG_LINE(MSG_INIT) << "Viable Display Modes";

  // Every mode is listed once per format: the enumeration does not filter by format.
  bool anyListed = false;
  bool any32BitMode = false;
  const uint32_t modeCount = direct3d_->GetAdapterModeCount(adapter_);
  for (const ModeFormat& format : kModeFormats) {
    for (uint32_t m = 0; m < modeCount; ++m) {
      D3DDISPLAYMODE mode{};
      if (FAILED(direct3d_->EnumAdapterModes(adapter_, m, &mode))) continue;
      if (mode.Width < 640 || mode.Height < 480 || mode.RefreshRate < 60) continue;
      LOG_LINE(MSG_INIT) << " - [" << mode.Width << " x " << mode.Height << " x " << format.bits
                         << "] @ " << mode.RefreshRate << "(" << format.name << ")";
      anyListed = true;
      if (format.bits == 32) any32BitMode = true;
    }
  }
  // A display that lists no usable mode at all (a virtual or headless one) tells nothing
  // about the card: the desktop's depth decides alone, instead of a 16-bit back buffer
  // being chosen for want of a list.
  prefer16Bit_ = (anyListed && !any32BitMode) || dx8::DesktopBitsPerPixel() == 16;
  Log::Instance().showPrefix = true;
  squareTexturesOnly_ = caps_.MaxTextureAspectRatio == 1 || (tc & D3DPTEXTURECAPS_SQUAREONLY);
  return true;
}
