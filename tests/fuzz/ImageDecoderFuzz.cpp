// Feeds arbitrary bytes to the D3DX image loaders (png, jpg, tga, bmp and dds, told apart
// by content) on a recording device: a file either becomes a texture or is refused with
// an error, and nothing is read or written out of bounds.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/d3d8/D3DX8.h"
#include "platform/d3d8/RecordingDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static d3d8::RecordingDevice* device = d3d8::RecordingDevice::Create();
  device->ClearCalls();
  const uint32_t length = static_cast<uint32_t>(size);

  IDirect3DTexture8* texture = nullptr;
  D3DXIMAGE_INFO info;
  if (SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(
          device, data, length, D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
          D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_FILTER_NONE, 0, &info, nullptr, &texture))) {
    // The texture has the file's size, cut to the device's largest texture.
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    D3DCAPS8 caps;
    device->GetDeviceCaps(&caps);
    if (desc.Width != std::min(info.Width, caps.MaxTextureWidth) ||
        desc.Height != std::min(info.Height, caps.MaxTextureHeight)) {
      __builtin_trap();
    }
    texture->Release();
  }
  IDirect3DCubeTexture8* cube = nullptr;
  if (SUCCEEDED(D3DXCreateCubeTextureFromFileInMemory(device, data, length, &cube))) cube->Release();
  return 0;
}
