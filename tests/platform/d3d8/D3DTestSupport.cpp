#include "tests/platform/d3d8/D3DTestSupport.h"

#include "platform/d3d8/PixelFormat.h"

namespace d3dtest {

std::vector<ScreenVertex> Quad(float left, float top, float right, float bottom, uint32_t color,
                               float u0, float v0, float u1, float v1) {
  const float l = left - 0.5f, t = top - 0.5f, r = right - 0.5f, b = bottom - 0.5f;
  return {{l, b, 0, 1, color, u0, v1}, {l, t, 0, 1, color, u0, v0}, {r, b, 0, 1, color, u1, v1},
          {r, t, 0, 1, color, u1, v0}, {r, b, 0, 1, color, u1, v1}, {l, t, 0, 1, color, u0, v0}};
}

void GlDeviceFixture::SetUp() { window_.sdl = nullptr; }

bool GlDeviceFixture::Open(int windowWidth, int windowHeight, uint32_t backWidth,
                           uint32_t backHeight, bool depthStencil) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    ADD_FAILURE() << "SDL video: " << SDL_GetError();
    return false;
  }
  window_.sdl = SDL_CreateWindow("test", 0, 0, windowWidth, windowHeight,
                                 SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window_.sdl) {
    ADD_FAILURE() << "window: " << SDL_GetError();
    return false;
  }
  direct3d_ = Direct3DCreate8(D3D_SDK_VERSION);
  if (!direct3d_) {
    ADD_FAILURE() << "Direct3DCreate8: " << d3d8::LastErrorDetail();
    return false;
  }
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = backWidth;
  pp.BackBufferHeight = backHeight;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.hDeviceWindow = &window_;
  pp.Windowed = 1;
  pp.EnableAutoDepthStencil = depthStencil ? 1 : 0;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  const HRESULT hr = direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_,
                                             D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_);
  if (FAILED(hr)) {
    ADD_FAILURE() << "CreateDevice: " << d3d8::LastErrorDetail();
    return false;
  }
  backWidth_ = backWidth;
  backHeight_ = backHeight;
  return true;
}

void GlDeviceFixture::TearDown() {
  if (device_) {
    EXPECT_EQ(device_->Release(), 0u);
  }
  if (direct3d_) {
    EXPECT_EQ(direct3d_->Release(), 0u);
  }
  if (window_.sdl) SDL_DestroyWindow(window_.sdl);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::vector<uint32_t> GlDeviceFixture::ReadBackBuffer() {
  IDirect3DSurface8* back = nullptr;
  if (FAILED(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) {
    ADD_FAILURE() << "GetBackBuffer";
    return {};
  }
  std::vector<uint32_t> pixels = ReadSurface(back);
  back->Release();
  return pixels;
}

void GlDeviceFixture::Default2DStates() {
  device_->SetRenderState(D3DRS_LIGHTING, 0);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
  device_->SetRenderState(D3DRS_ALPHAREF, 16);
  device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device_->SetRenderState(D3DRS_ZENABLE, 0);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device_->SetTexture(0, nullptr);
  device_->SetTexture(1, nullptr);
}

void GlDeviceFixture::DrawScreen(const std::vector<ScreenVertex>& vertices) {
  device_->SetVertexShader(kScreenFvf);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<uint32_t>(vertices.size() / 3),
                                     vertices.data(), sizeof(ScreenVertex)),
            D3D_OK);
}

IDirect3DTexture8* GlDeviceFixture::MakeTexture(uint32_t width, uint32_t height,
                                                D3DFORMAT format,
                                                const std::vector<uint32_t>& pixels) {
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
  if (!texture) return nullptr;
  D3DLOCKED_RECT locked;
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  d3d8::EncodePixels(format, pixels.data(), width, height, static_cast<uint8_t*>(locked.pBits),
                     static_cast<uint32_t>(locked.Pitch));
  EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
  return texture;
}


}  // namespace d3dtest
