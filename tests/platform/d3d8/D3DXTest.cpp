// The D3DX helpers: the half-size screenshot copy, BMP saving, render-to-surface, texture
// requirements, the matrices and the error texts.

#include <cmath>
#include <cstring>

#include "platform/d3d8/D3DX8.h"
#include "platform/d3d8/DxErr8.h"
#include "platform/d3d8/RecordingDevice.h"
#include "tests/platform/d3d8/D3DTestSupport.h"
#include "tests/support/TestEnv.h"

namespace d3dtest {
namespace {

uint32_t Pattern(uint32_t x, uint32_t y) {
  return 0xFF000000u | ((x * 4) << 16) | ((y * 4) << 8) | ((x + y) % 2 ? 200u : 100u);
}

class ScreenshotTest : public GlDeviceFixture {
 protected:
  void SetUp() override {
    GlDeviceFixture::SetUp();
    ASSERT_TRUE(Open(64, 48, 64, 48));
    // The pattern goes into the back buffer through a lock; a clear of one corner then
    // makes GL hold the newest picture, which the copy must read back.
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back_), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(back_->LockRect(&locked, nullptr, 0), D3D_OK);
    for (uint32_t y = 0; y < 48; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
      for (uint32_t x = 0; x < 64; ++x) row[x] = Pattern(x, y);
    }
    back_->UnlockRect();
    const D3DRECT corner{0, 0, 2, 2};
    device_->Clear(1, &corner, D3DCLEAR_TARGET, 0xFF103050, 1.0f, 0);
  }
  void TearDown() override {
    if (back_) back_->Release();
    GlDeviceFixture::TearDown();
  }
  IDirect3DSurface8* back_ = nullptr;
};

TEST_F(ScreenshotTest, HalfSizeCopyAveragesTwoByTwoBlocks) {
  IDirect3DSurface8* half = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(32, 24, D3DFMT_X8R8G8B8, &half), D3D_OK);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(half, nullptr, nullptr, back_, nullptr, nullptr,
                                       D3DX_FILTER_BOX, 0),
            D3D_OK);
  const std::vector<uint32_t> pixels = ReadSurface(half);
  half->Release();
  EXPECT_EQ(pixels[0], 0xFF103050u);
  for (uint32_t y = 0; y < 24; y += 5) {
    for (uint32_t x = 1; x < 32; x += 7) {
      const uint32_t expected = 0xFF000000u | ((8 * x + 2) << 16) | ((8 * y + 2) << 8) | 150u;
      EXPECT_EQ(pixels[y * 32 + x], expected) << x << "," << y;
    }
  }
}

TEST_F(ScreenshotTest, BmpIsWrittenBottomUpAndReadsBackTheSame) {
  const std::string path = testenv::MakeTempDir("shot") + "/screen.bmp";
  ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, back_, nullptr, nullptr), D3D_OK);
  const std::string bytes = testenv::ReadFile(path);
  ASSERT_EQ(bytes.size(), 54u + 64 * 48 * 3);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  int32_t height;
  uint16_t bits;
  std::memcpy(&height, bytes.data() + 22, 4);
  std::memcpy(&bits, bytes.data() + 28, 2);
  EXPECT_EQ(height, 48);  // positive: bottom-up rows
  EXPECT_EQ(bits, 24);

  SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
  ASSERT_NE(loaded, nullptr);
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  ASSERT_NE(argb, nullptr);
  auto at = [&](int x, int y) {
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                             y * argb->pitch)[x] | 0xFF000000u;
  };
  EXPECT_EQ(at(0, 0), 0xFF103050u);
  EXPECT_EQ(at(5, 0), Pattern(5, 0));
  EXPECT_EQ(at(63, 47), Pattern(63, 47));
  EXPECT_EQ(at(10, 40), Pattern(10, 40));
  SDL_FreeSurface(argb);

  EXPECT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_PNG, back_, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(D3DXSaveSurfaceToFileA("/nonexistent-folder/x.bmp", D3DXIFF_BMP, back_, nullptr,
                                   nullptr),
            E_FAIL);
}

TEST(RenderToSurfaceTest, SwitchesTargetAndViewportAndPutsThemBack) {
  d3d8::RecordingDevice* device = d3d8::RecordingDevice::Create();
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device, 128, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R5G6B5,
                              D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8* surface = nullptr;
  target->GetSurfaceLevel(0, &surface);
  ID3DXRenderToSurface* rts = nullptr;
  ASSERT_EQ(D3DXCreateRenderToSurface(device, 128, 64, D3DFMT_R5G6B5, 0, D3DFMT_UNKNOWN, &rts),
            D3D_OK);
  const D3DVIEWPORT8 frame{0, 0, 800, 600, 0.0f, 1.0f};
  device->SetViewport(&frame);
  device->ClearCalls();

  ASSERT_EQ(rts->BeginScene(surface, nullptr), D3D_OK);
  EXPECT_EQ(rts->BeginScene(surface, nullptr), D3DERR_INVALIDCALL);  // not twice
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  ASSERT_EQ(rts->EndScene(), D3D_OK);

  const auto targets = device->CallsOf(d3d8::DeviceCall::SetRenderTarget);
  ASSERT_EQ(targets.size(), 2u);
  EXPECT_EQ(targets[0]->surface, surface);
  const auto viewports = device->CallsOf(d3d8::DeviceCall::SetViewport);
  ASSERT_EQ(viewports.size(), 2u);
  EXPECT_EQ(viewports[0]->viewport.Width, 128u);
  EXPECT_EQ(viewports[1]->viewport.Width, 800u);
  EXPECT_EQ(device->CountOf(d3d8::DeviceCall::BeginScene), 1u);
  EXPECT_EQ(device->CountOf(d3d8::DeviceCall::EndScene), 1u);

  // The clear landed in the target's memory, not in the back buffer.
  const std::vector<uint32_t> pixels = ReadSurface(surface);
  EXPECT_EQ(pixels[0], 0xFF00FF00u);
  IDirect3DSurface8* back = nullptr;
  device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
  EXPECT_EQ(ReadSurface(back)[0], 0xFF000000u);
  back->Release();

  // A surface of another size is refused.
  IDirect3DSurface8* other = nullptr;
  device->CreateImageSurface(16, 16, D3DFMT_R5G6B5, &other);
  EXPECT_EQ(rts->BeginScene(other, nullptr), D3DERR_INVALIDCALL);
  other->Release();

  rts->Release();
  surface->Release();
  EXPECT_EQ(target->Release(), 0u);
  EXPECT_EQ(device->Release(), 0u);
}

TEST(LoadSurfaceFromMemoryTest, StretchesA8R8G8B8AndA8AndRefusesShortRows) {
  d3d8::RecordingDevice* device = d3d8::RecordingDevice::Create();
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  IDirect3DSurface8* surface = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
  // Two pixels, red and blue, stretched over four: point filtering doubles each.
  const uint32_t argb[2] = {0xFFFF0000, 0xFF0000FF};
  const RECT two{0, 0, 2, 1};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, argb, D3DFMT_A8R8G8B8, 8, nullptr, &two,
                                      D3DX_FILTER_POINT, 0),
            D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  const uint32_t* row = static_cast<const uint32_t*>(locked.pBits);
  EXPECT_EQ(row[1], 0xFFFF0000u);
  EXPECT_EQ(row[2], 0xFF0000FFu);
  surface->UnlockRect();
  // Alpha bytes become black with that alpha.
  const uint8_t alpha[2] = {0x40, 0xC0};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, alpha, D3DFMT_A8, 2, nullptr, &two,
                                      D3DX_FILTER_POINT, 0),
            D3D_OK);
  ASSERT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const uint32_t*>(locked.pBits)[3], 0xC0000000u);
  surface->UnlockRect();
  // Rows shorter than the rectangle, no rectangle, or an empty one are refused.
  const RECT empty{1, 0, 1, 1};
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, argb, D3DFMT_A8R8G8B8, 4, nullptr, &two,
                                      D3DX_DEFAULT, 0),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, argb, D3DFMT_A8R8G8B8, 8, nullptr, nullptr,
                                      D3DX_DEFAULT, 0),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, argb, D3DFMT_A8R8G8B8, 8, nullptr, &empty,
                                      D3DX_DEFAULT, 0),
            D3DERR_INVALIDCALL);
  surface->Release();
  texture->Release();
  device->Release();
}

TEST(VertexBufferTest, DrawPrimitiveReadsTheBoundStreamInsideItsBuffer) {
  d3d8::RecordingDevice* device = d3d8::RecordingDevice::Create();
  IDirect3DVertexBuffer8* buffer = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(4 * 12, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DFVF_XYZ, D3DPOOL_DEFAULT,
                                       &buffer),
            D3D_OK);
  uint8_t* data = nullptr;
  ASSERT_EQ(buffer->Lock(0, 48, &data, D3DLOCK_DISCARD), D3D_OK);
  uint8_t* again = nullptr;
  EXPECT_EQ(buffer->Lock(0, 48, &again, 0), D3DERR_INVALIDCALL);  // already locked
  for (int i = 0; i < 12; ++i) {
    const float v = static_cast<float>(i);
    std::memcpy(data + 4 * i, &v, 4);
  }
  device->SetVertexShader(D3DFVF_XYZ);
  ASSERT_EQ(device->SetStreamSource(0, buffer, 12), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // still locked
  ASSERT_EQ(buffer->Unlock(), D3D_OK);
  EXPECT_EQ(buffer->Lock(40, 16, &again, 0), D3DERR_INVALIDCALL);  // past the end
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 1), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);  // five vertices of four
  EXPECT_EQ(device->SetStreamSource(1, buffer, 12), D3DERR_INVALIDCALL);
  const auto draws = device->CallsOf(d3d8::DeviceCall::DrawPrimitive);
  ASSERT_EQ(draws.size(), 3u);
  ASSERT_EQ(draws[1]->vertices.size(), 36u);
  float first;
  std::memcpy(&first, draws[1]->vertices.data(), 4);
  EXPECT_EQ(first, 3.0f);  // vertex 1 starts at float 3
  buffer->Release();  // the device keeps the stream's reference
  EXPECT_EQ(device->SetStreamSource(0, nullptr, 0), D3D_OK);
  device->Release();
}

TEST(TextureRequirementsTest, KeepSizesUnlessTheDeviceWantsPowersOfTwo) {
  d3d8::RecordingDevice* device = d3d8::RecordingDevice::Create();
  uint32_t w = 300, h = 200, levels = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  ASSERT_EQ(D3DXCheckTextureRequirements(device, &w, &h, &levels, 0, &format, D3DPOOL_MANAGED),
            D3D_OK);
  EXPECT_EQ(w, 300u);
  EXPECT_EQ(h, 200u);
  EXPECT_EQ(levels, 9u);
  EXPECT_EQ(format, D3DFMT_A8R8G8B8);
  w = h = D3DX_DEFAULT;
  format = D3DFMT_DXT1;
  D3DXCheckTextureRequirements(device, &w, &h, nullptr, D3DUSAGE_RENDERTARGET, &format,
                               D3DPOOL_DEFAULT);
  EXPECT_EQ(w, 256u);
  EXPECT_EQ(format, D3DFMT_A8R8G8B8);  // a compressed target cannot be drawn into
  device->Release();

  // A device that needs powers of two (as old cards did) gets them.
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 800;
  pp.BackBufferHeight = 600;
  D3DCAPS8 caps = d3d8::DeviceBase::StandardCaps(2048);
  caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
  auto* old = new d3d8::RecordingDevice(nullptr, 0, D3DDEVTYPE_HAL, caps, pp);
  w = 300;
  h = 200;
  D3DXCheckTextureRequirements(old, &w, &h, nullptr, 0, nullptr, D3DPOOL_DEFAULT);
  EXPECT_EQ(w, 512u);
  EXPECT_EQ(h, 256u);
  old->Release();
}

::testing::AssertionResult MatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      if (std::fabs(a(r, c) - b(r, c)) > 1e-4f) {
        return ::testing::AssertionFailure() << "element " << r << c << ": " << a(r, c)
                                             << " vs " << b(r, c);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(MatrixTest, PerspectiveAndLookAtMatchTheLeftHandedClosedForms) {
  D3DXMATRIX p;
  D3DXMatrixPerspectiveFovLH(&p, 60 * 0.017453292f, 800.0f / 600.0f, 1.0f, 5000.0f);
  const float y = 1.0f / std::tan(30 * 0.017453292f);
  const float q = 5000.0f / 4999.0f;
  EXPECT_TRUE(MatrixNear(p, D3DXMATRIX(y * 0.75f, 0, 0, 0, 0, y, 0, 0, 0, 0, q, 1, 0, 0, -q, 0)));

  D3DXMATRIX view;
  const D3DXVECTOR3 eye(1, 2, 3), at(4, 2, 3), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  // Looking along +x: world +x becomes view +z, world +z becomes view -x, the eye the origin.
  D3DXVECTOR3 out;
  const D3DXVECTOR3 ahead(5, 2, 3), side(1, 2, 4);
  D3DXVec3TransformCoord(&out, &eye, &view);
  EXPECT_NEAR(D3DXVec3Length(&out), 0.0f, 1e-5f);
  D3DXVec3TransformCoord(&out, &ahead, &view);
  EXPECT_NEAR(out.z, 4.0f, 1e-5f);
  D3DXVec3TransformCoord(&out, &side, &view);
  EXPECT_NEAR(out.x, -1.0f, 1e-5f);
}

TEST(MatrixTest, ProductsRotationsAndInverse) {
  D3DXMATRIX t, s, r, m, inverse, identity;
  D3DXMatrixIdentity(&identity);
  D3DXMatrixTranslation(&t, 1, 2, 3);
  D3DXMatrixScaling(&s, 2, 2, 2);
  D3DXMatrixMultiply(&m, &t, &s);  // translate first, then scale
  D3DXVECTOR3 out;
  const D3DXVECTOR3 origin(0, 0, 0), x(1, 0, 0);
  D3DXVec3TransformCoord(&out, &origin, &m);
  EXPECT_FLOAT_EQ(out.x, 2);
  EXPECT_FLOAT_EQ(out.z, 6);

  D3DXMatrixRotationY(&r, D3DX_PI / 2);
  D3DXVec3TransformCoord(&out, &x, &r);
  EXPECT_NEAR(out.z, -1.0f, 1e-6f);
  D3DXMatrixRotationZ(&r, D3DX_PI / 2);
  D3DXVec3TransformCoord(&out, &x, &r);
  EXPECT_NEAR(out.y, 1.0f, 1e-6f);
  const D3DXQUATERNION quarterX(std::sin(D3DX_PI / 4), 0, 0, std::cos(D3DX_PI / 4));
  D3DXMATRIX fromQuaternion, rotationX;
  D3DXMatrixRotationQuaternion(&fromQuaternion, &quarterX);
  D3DXMatrixRotationX(&rotationX, D3DX_PI / 2);
  EXPECT_TRUE(MatrixNear(fromQuaternion, rotationX));

  m = m * rotationX;
  float determinant = 0;
  ASSERT_NE(D3DXMatrixInverse(&inverse, &determinant, &m), nullptr);
  EXPECT_NEAR(determinant, 8.0f, 1e-4f);
  EXPECT_TRUE(MatrixNear(m * inverse, identity));
  D3DXMATRIX singular;
  D3DXMatrixScaling(&singular, 1, 0, 1);
  EXPECT_EQ(D3DXMatrixInverse(&inverse, nullptr, &singular), nullptr);
}

TEST(ErrorTextTest, NamesTheResults) {
  EXPECT_STREQ(DXGetErrorString8A(D3D_OK), "S_OK");
  EXPECT_STREQ(DXGetErrorString8A(D3DERR_DEVICELOST), "D3DERR_DEVICELOST");
  EXPECT_STREQ(DXGetErrorString8A(D3DERR_DEVICENOTRESET), "D3DERR_DEVICENOTRESET");
  EXPECT_STREQ(DXGetErrorString8A(D3DERR_INVALIDCALL), "D3DERR_INVALIDCALL");
  EXPECT_STREQ(DXGetErrorString8A(D3DXERR_INVALIDDATA), "D3DXERR_INVALIDDATA");
  EXPECT_STREQ(DXGetErrorString8A(E_OUTOFMEMORY), "E_OUTOFMEMORY");
  EXPECT_STREQ(DXGetErrorString8(MakeHResult(0x8007001Eu)), "DIERR_INPUTLOST");
  EXPECT_STREQ(DXGetErrorString8A(MakeHResult(0x81234567u)), "Unknown");
}

}  // namespace
}  // namespace d3dtest
