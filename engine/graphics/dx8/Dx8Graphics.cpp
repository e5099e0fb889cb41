#include "engine/graphics/dx8/Dx8Graphics.h"

#include "engine/core/Log.h"
#include "engine/graphics/dx8/Dx8Surface.h"
#include "engine/graphics/dx8/Dx8Window.h"
#include "platform/d3d8/DxErr8.h"
#include "platform/win32/Time.h"

namespace {

// Attempts of ResetDevice after its first Reset failed, 50 ms apart.
constexpr int kResetRetries = 20;

}  // namespace

std::string DxErrorText(HRESULT hr) {
  const char* text = DXGetErrorString8A(hr);
  return text && *text ? std::string(text) : std::string("no error");
}

Graphics* Dx8Graphics::Create() {
  if (!GetGraphics()) {
    SetGraphics(new Dx8Graphics);
    Dx8Surface::RegisterImageTypes();
  }
  return GetGraphics();
}

Dx8Graphics* Dx8Graphics::Current() { return dynamic_cast<Dx8Graphics*>(GetGraphics()); }

IDirect3DDevice8* Dx8Graphics::CurrentDevice() {
  const Dx8Graphics* graphics = Current();
  return graphics ? graphics->Device() : nullptr;
}

Dx8Graphics::Dx8Graphics() = default;

Dx8Graphics::~Dx8Graphics() {
  if (device_) device_->Release();
  if (direct3d_) direct3d_->Release();
}

bool Dx8Graphics::Init() {
  LOG_LINE(MSG_INIT) << "Initializing D3D8";
  Release();  // a second start replaces the first one's objects instead of leaking them
  direct3d_ = Direct3DCreate8(D3D_SDK_VERSION);
  if (!direct3d_) {
    LOG_LINE(MSG_FATAL) << "Unable to co-initialise D3D.. ";
    LOG_LINE(MSG_FATAL) << "Unable to start DX8.. .is it installed ?";
    return false;
  }
  LOG_LINE(MSG_INIT) << "D3D8 COM Object created";
  if (!WriteSystemReport()) return false;
  LOG_LINE(MSG_INIT) << "D3D8 Initialized successfully";
  return true;
}

void Dx8Graphics::RegisterImageTypes() { Dx8Surface::RegisterImageTypes(); }

void Dx8Graphics::LogCreateFailure(HRESULT hr) {
  LOG_LINE(MSG_FATAL) << "Unable to create 3D Device";
  LOG_LINE(MSG_FATAL) << "Are you trying to create an unsupported mode ?";
  LOG_LINE(MSG_FATAL) << "DX Error: " << DxErrorText(hr);
}

bool Dx8Graphics::CreateDevice(uint32_t newWidth, uint32_t newHeight, bool fullscreen,
                               bool useReference) {
  if (!direct3d_) return false;
  windowed = !fullscreen;
  BuildPresentParameters(newWidth, newHeight, fullscreen);
  if (device_) {
    device_->Release();
    device_ = nullptr;
  }

  if (useReference) {
    LOG_LINE(MSG_COMMENT) << "Trying to initialize Reference Rasterizer";
    const HRESULT hr = direct3d_->CreateDevice(adapter_, D3DDEVTYPE_REF, window,
                                               D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                               &presentParameters_, &device_);
    if (FAILED(hr)) {
      LogCreateFailure(hr);
      return false;
    }
    LOG_LINE(MSG_INIT) << "Initialized Reference Rasterizer!";
  } else {
    if (caps_.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
      LOG_LINE(MSG_COMMENT) << "Trying to initialize full HWTL card";
      HRESULT hr = direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, window,
                                           D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                           &presentParameters_, &device_);
      if (SUCCEEDED(hr)) {
        LOG_LINE(MSG_INIT) << "Initialized D3D HWTL!";
      } else {
        LOG_LINE(MSG_COMMENT) << "Trying to initialize mixed-mode HWTL card";
        hr = direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_MIXED_VERTEXPROCESSING,
                                     &presentParameters_, &device_);
        if (SUCCEEDED(hr)) {
          LOG_LINE(MSG_INIT) << "Initialized D3D HWTL!";
        } else {
          LogCreateFailure(hr);
        }
      }
    }
    if (!device_) {
      LOG_LINE(MSG_COMMENT) << "Trying to initialize software T&L card";
      const HRESULT hr = direct3d_->CreateDevice(adapter_, D3DDEVTYPE_HAL, window,
                                                 D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                                 &presentParameters_, &device_);
      if (FAILED(hr)) {
        LogCreateFailure(hr);
        return false;
      }
      LOG_LINE(MSG_INIT) << "Initialized D3D Software T&L!";
    }
  }

  SetUpWindow(newWidth, newHeight, fullscreen);
  SetResolution(800, 600);
  dx8::ShowGameWindow(window);
  SetResolution(800, 600);
  deviceLost_ = false;

  if (BeginFrame()) {
    Clear(0, 0.0f, 0, true, false, false);
    EndFrame();
  }
  return true;
}

void Dx8Graphics::BuildPresentParameters(uint32_t newWidth, uint32_t newHeight, bool fullscreen) {
  if (direct3d_) direct3d_->GetAdapterDisplayMode(0, &displayMode_);
  presentParameters_ = D3DPRESENT_PARAMETERS{};
  presentParameters_.Windowed = fullscreen ? 0 : 1;
  presentParameters_.BackBufferWidth = newWidth;
  presentParameters_.BackBufferHeight = newHeight;
  presentParameters_.BackBufferFormat = prefer16Bit_ ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
  presentParameters_.BackBufferCount = 1;
  presentParameters_.MultiSampleType = D3DMULTISAMPLE_NONE;
  presentParameters_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  // The stencil of SWF masks; depth testing stays off in every state block.
  presentParameters_.EnableAutoDepthStencil = 1;
  presentParameters_.AutoDepthStencilFormat = D3DFMT_D24S8;
  presentParameters_.hDeviceWindow = window;
  presentParameters_.Flags = 0;
  if (fullscreen && !screen::g_wideScreen) {
    presentParameters_.Windowed = 0;
    presentParameters_.FullScreen_RefreshRateInHz = D3DPRESENT_RATE_DEFAULT;
    presentParameters_.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    const D3DFORMAT format = presentParameters_.BackBufferFormat;
    const HRESULT hr = direct3d_ ? direct3d_->CheckDeviceFormat(adapter_, D3DDEVTYPE_HAL, format,
                                                                D3DUSAGE_RENDERTARGET,
                                                                D3DRTYPE_SURFACE, format)
                                 : D3DERR_INVALIDCALL;
    if (FAILED(hr)) {
      LOG_LINE(MSG_FATAL) << "Error testing device format for fullscreen!";
      LOG_LINE(MSG_FATAL) << "DX Error: " << DxErrorText(hr);
    }
  } else {
    // Windowed, or full screen on a wide desktop: a window covering the desktop shows the
    // back buffer.
    presentParameters_.Windowed = 1;
    presentParameters_.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
  }
}

void Dx8Graphics::SetUpWindow(uint32_t newWidth, uint32_t newHeight, bool fullscreen) {
  dx8::SetUpWindow(window, newWidth, newHeight, fullscreen, screen::g_wideScreen);
}

void Dx8Graphics::DetectWidescreen(uint32_t& outWidth, uint32_t& outHeight) {
  LOG_LINE(MSG_COMMENT) << "Detecting Widescreen Res";
  outWidth = 960;
  outHeight = 600;
  LOG_LINE(MSG_COMMENT) << "Best Widescreen Res : " << outWidth << "x" << outHeight;
}

bool Dx8Graphics::BeginFrame() {
  if (!device_) return false;
  if (deviceLost_) {
    // The size the device was made with: in full screen the back buffer is larger than the
    // play area, and a reset to 800 x 600 would shrink it.
    ResetDevice(presentParameters_.BackBufferWidth, presentParameters_.BackBufferHeight,
                !windowed);
    return false;
  }
  if (FAILED(device_->TestCooperativeLevel())) return false;
  if (windowed) {
    screen::g_offsetX = 0;
    screen::g_offsetY = 0;
  } else {
    screen::g_offsetX = storedOffsetX;
    screen::g_offsetY = storedOffsetY;
  }
  const Viewport viewport{0,
                          0,
                          static_cast<uint32_t>(width + 2 * screen::g_offsetX),
                          static_cast<uint32_t>(height + 2 * screen::g_offsetY),
                          0.0f,
                          1.0f};
  SetViewport(viewport);
  if (FAILED(device_->BeginScene())) {
    deviceLost_ = true;
    return false;
  }
  return true;
}

void Dx8Graphics::Clear(uint32_t color, float depth, uint32_t stencil, bool clearTarget, bool,
                        bool) {
  // The devices have no depth or stencil buffer: only the target is cleared.
  if (!device_ || !clearTarget) return;
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, color, depth, stencil);
}

void Dx8Graphics::EndFrame() {
  DrawBorders();
  if (device_) device_->EndScene();
  if (!screenshotName.empty() && !WriteScreenshot()) {
    if (++screenshotAttempts >= kScreenshotAttempts) {
      LOG_LINE(MSG_WARNING) << "Screenshot " << screenshotName << ".bmp dropped after "
                            << kScreenshotAttempts << " attempts";
      screenshotName.clear();
      screenshotAttempts = 0;
    }
  }
  ++frameCount;
}

bool Dx8Graphics::Present() {
  if (!device_) return true;
  const HRESULT hr = device_->Present(nullptr, nullptr, nullptr, nullptr);
  if (hr == D3DERR_DEVICELOST) {
    Sleep(100);
    const HRESULT reset = device_->Reset(&presentParameters_);
    // A failed reset leaves the device unusable: BeginFrame skips frames and resets again
    // until one succeeds, instead of drawing on a lost device.
    if (FAILED(reset)) {
      LOG_LINE(MSG_WARNING) << "Unable to reset 3D Device.. try with delay ["
                            << DxErrorText(reset) << "]";
      deviceLost_ = true;
    }
  }
  return true;
}

bool Dx8Graphics::ResetDevice(uint32_t newWidth, uint32_t newHeight, bool fullscreen) {
  if (!device_) return false;
  windowed = !fullscreen;
  BuildPresentParameters(newWidth, newHeight, fullscreen);
  Sleep(100);
  HRESULT hr = device_->Reset(&presentParameters_);
  if (SUCCEEDED(hr)) {
    deviceLost_ = false;
  } else {
    LOG_LINE(MSG_WARNING) << "Unable to reset 3D Device.. try with delay [" << DxErrorText(hr)
                          << "]";
    deviceLost_ = true;
    for (int attempt = 0; attempt < kResetRetries && deviceLost_; ++attempt) {
      Sleep(50);
      const HRESULT level = device_->TestCooperativeLevel();
      if (level == D3DERR_DEVICENOTRESET) {
        LOG_LINE(MSG_WARNING) << "Trying to re-initialize driver";
        hr = device_->Reset(&presentParameters_);
        if (FAILED(hr)) {
          LOG_LINE(MSG_WARNING) << "\t\tFailed to reinialize driver!";
        } else {
          deviceLost_ = false;
          LOG_LINE(MSG_WARNING) << "\t\tDriver successfully initalized!";
        }
      } else if (SUCCEEDED(level)) {
        // Only a device that answers D3D_OK is usable again; one that is still lost (or
        // failing otherwise) is waited for, not reported as reset.
        LOG_LINE(MSG_WARNING) << "\t\tDevice reset!";
        deviceLost_ = false;
      }
    }
  }
  if (deviceLost_) return false;
  SetUpWindow(newWidth, newHeight, fullscreen);
  SetResolution(800, 600);
  return true;
}

bool Dx8Graphics::ReleaseDevice() {
  if (device_) {
    device_->Release();
    device_ = nullptr;
  }
  return true;
}

bool Dx8Graphics::Release() {
  ReleaseDevice();
  if (direct3d_) {
    direct3d_->Release();
    direct3d_ = nullptr;
  }
  return true;
}
