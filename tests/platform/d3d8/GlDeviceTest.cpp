// Pixel checks of the OpenGL device, read back through the back buffer (or, for the
// letterbox, through the picture Present puts in the window).

#include <cstring>

#include "platform/d3d8/D3DX8.h"
#include "platform/d3d8/PresentTransform.h"
#include "tests/platform/d3d8/D3DTestSupport.h"

namespace d3dtest {
namespace {

class GlDeviceTest : public GlDeviceFixture {
 protected:
  void SetUp() override {
    GlDeviceFixture::SetUp();
    ASSERT_TRUE(Open(64, 48, 64, 48));
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
  }
  void TearDown() override {
    if (device_) device_->EndScene();
    GlDeviceFixture::TearDown();
  }
};

TEST_F(GlDeviceTest, ClearFillsTheViewportOrItsRectangles) {
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
  D3DVIEWPORT8 viewport{10, 5, 20, 10, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
  const D3DRECT rect{0, 0, 12, 7};  // cut by the viewport to [10, 12) x [5, 7)
  ASSERT_EQ(device_->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
  // No depth buffer was asked for.
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);

  const std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(Pixel(pixels, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Pixel(pixels, 9, 5), 0xFFFF0000u);
  EXPECT_EQ(Pixel(pixels, 10, 5), 0xFF00FF00u);
  EXPECT_EQ(Pixel(pixels, 11, 6), 0xFF00FF00u);
  EXPECT_EQ(Pixel(pixels, 12, 6), 0xFF0000FFu);
  EXPECT_EQ(Pixel(pixels, 29, 14), 0xFF0000FFu);
  EXPECT_EQ(Pixel(pixels, 30, 14), 0xFFFF0000u);
  EXPECT_EQ(Pixel(pixels, 29, 15), 0xFFFF0000u);
}

TEST_F(GlDeviceTest, ScreenVerticesLandOnTheirPixelsWithTheirColour) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  Default2DStates();
  DrawScreen(Quad(10, 5, 20, 15, 0xFF20C040));
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(Pixel(pixels, 10, 5), 0xFF20C040u);
  EXPECT_EQ(Pixel(pixels, 19, 14), 0xFF20C040u);
  EXPECT_EQ(Pixel(pixels, 9, 5), 0xFF000000u);
  EXPECT_EQ(Pixel(pixels, 20, 5), 0xFF000000u);
  EXPECT_EQ(Pixel(pixels, 10, 4), 0xFF000000u);
  EXPECT_EQ(Pixel(pixels, 10, 15), 0xFF000000u);
}

TEST_F(GlDeviceTest, AlphaTestGreaterThanSixteen) {
  struct Case {
    uint32_t alpha;
    bool drawn;
  };
  for (const Case& c : {Case{16, false}, Case{17, true}, Case{0, false}, Case{255, true}}) {
    SCOPED_TRACE(c.alpha);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Default2DStates();
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);  // what passes is drawn opaque
    DrawScreen(Quad(0, 0, 8, 8, (c.alpha << 24) | 0xFFFFFF));
    EXPECT_EQ(Pixel(ReadBackBuffer(), 4, 4), c.drawn ? 0xFFFFFFFFu : 0xFF000000u);
  }
}

TEST_F(GlDeviceTest, AlphaAndAdditiveBlending) {
  struct Case {
    const char* name;
    uint32_t source, dest;
    uint32_t background, color, expected;
  };
  const Case cases[] = {
      {"alpha", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0xFF0000FF, 0x80FF0000, 0xFF80007F},
      {"additive", D3DBLEND_ONE, D3DBLEND_ONE, 0xFF400000, 0xFF004020, 0xFF404020},
      {"additive saturates", D3DBLEND_ONE, D3DBLEND_ONE, 0xFFC00000, 0xFF800000, 0xFFFF0000},
      {"modulating", D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0xFF80FF40, 0xFF808080, 0xFF408020},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, c.background, 1.0f, 0);
    Default2DStates();
    device_->SetRenderState(D3DRS_SRCBLEND, c.source);
    device_->SetRenderState(D3DRS_DESTBLEND, c.dest);
    DrawScreen(Quad(0, 0, 8, 8, c.color));
    EXPECT_TRUE(ColorNear(Pixel(ReadBackBuffer(), 4, 4), c.expected));
  }
}

// A 2 x 2 texture of each format the renderer fills, drawn over a 20 x 20 quad with
// MODULATE(texture, diffuse); each texel covers one 10 x 10 quarter.
TEST_F(GlDeviceTest, ModulateWithTexturesOfEveryFormat) {
  struct Case {
    D3DFORMAT format;
    uint32_t texels[4];
    uint32_t diffuse;
    uint32_t background;
    uint32_t expected[4];
  };
  const Case cases[] = {
      {D3DFMT_A8R8G8B8, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, 0xFF808080, 0xFF000000,
       {0xFF800000, 0xFF008000, 0xFF000080, 0xFF808080}},
      // X8: the unused byte never makes a texel transparent.
      {D3DFMT_X8R8G8B8, {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF}, 0xFFFFFFFF, 0xFF000000,
       {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}},
      {D3DFMT_R5G6B5, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, 0xFFFFFFFF, 0xFF000000,
       {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}},
      {D3DFMT_R8G8B8, {0xFF102030, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, 0xFFFFFFFF, 0xFF000000,
       {0xFF102030, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}},
      // Sixteen alpha levels: 0x88 blends green over black at 136 / 255.
      {D3DFMT_A4R4G4B4, {0xFFFF0000, 0x8800FF00, 0x000000FF, 0xFFFFFFFF}, 0xFFFFFFFF, 0xFF000000,
       {0xFFFF0000, 0xFF008800, 0xFF000000, 0xFFFFFFFF}},
      {D3DFMT_A1R5G5B5, {0xFFFF0000, 0x0000FF00, 0xFF0000FF, 0xFFFFFFFF}, 0xFFFFFFFF, 0xFF000000,
       {0xFFFF0000, 0xFF000000, 0xFF0000FF, 0xFFFFFFFF}},
      // Alpha only: black with the texel's alpha.
      {D3DFMT_A8, {0xFF000000, 0x80000000, 0x10000000, 0x00000000}, 0xFFFFFFFF, 0xFFFFFFFF,
       {0xFF000000, 0xFF7F7F7F, 0xFFFFFFFF, 0xFFFFFFFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, c.background, 1.0f, 0);
    Default2DStates();
    IDirect3DTexture8* texture =
        MakeTexture(2, 2, c.format, std::vector<uint32_t>(c.texels, c.texels + 4));
    ASSERT_NE(texture, nullptr);
    device_->SetTexture(0, texture);
    DrawScreen(Quad(0, 0, 20, 20, c.diffuse));
    device_->SetTexture(0, nullptr);
    texture->Release();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    EXPECT_TRUE(ColorNear(Pixel(pixels, 5, 5), c.expected[0]));
    EXPECT_TRUE(ColorNear(Pixel(pixels, 15, 5), c.expected[1]));
    EXPECT_TRUE(ColorNear(Pixel(pixels, 5, 15), c.expected[2]));
    EXPECT_TRUE(ColorNear(Pixel(pixels, 15, 15), c.expected[3]));
  }
}

TEST_F(GlDeviceTest, CompressedTextureIsDecodedForDrawing) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  Default2DStates();
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 8);
  // Red and blue end points; texels 0..3 of the first row take indices 0 and 1, the
  // second row's 2 and 3 (the two mixes).
  const uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0x04, 0x0E, 0x00, 0x00};
  std::memcpy(locked.pBits, block, 8);
  texture->UnlockRect(0);
  device_->SetTexture(0, texture);
  DrawScreen(Quad(0, 0, 20, 20, 0xFFFFFFFF));
  device_->SetTexture(0, nullptr);
  texture->Release();
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_TRUE(ColorNear(Pixel(pixels, 5, 5), 0xFFFF0000));
  EXPECT_TRUE(ColorNear(Pixel(pixels, 15, 5), 0xFF0000FF));
  EXPECT_TRUE(ColorNear(Pixel(pixels, 5, 15), 0xFFAA0055));
  EXPECT_TRUE(ColorNear(Pixel(pixels, 15, 15), 0xFF5500AA));
}

// The renderer's two-UV draw: stage 1 shows its texture where stage 0's result is
// transparent, and gives the result its own alpha.
TEST_F(GlDeviceTest, SecondStageBlendsByCurrentAlphaWithTheSecondUvSet) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  Default2DStates();
  IDirect3DTexture8* first = MakeTexture(2, 1, D3DFMT_A8R8G8B8, {0x00FFFFFF, 0xFFFF0000});
  IDirect3DTexture8* second = MakeTexture(1, 1, D3DFMT_A8R8G8B8, {0xFF00FF00});
  device_->SetTexture(0, first);
  device_->SetTexture(1, second);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  device_->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);

  const ScreenVertex2 vertices[4] = {
      {-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0, 0.5f, 0.5f},
      {19.5f, -0.5f, 0, 1, 0xFFFFFFFF, 1, 0, 0.5f, 0.5f},
      {-0.5f, 9.5f, 0, 1, 0xFFFFFFFF, 0, 1, 0.5f, 0.5f},
      {19.5f, 9.5f, 0, 1, 0xFFFFFFFF, 1, 1, 0.5f, 0.5f},
  };
  const uint16_t indices[6] = {0, 1, 3, 0, 3, 2};
  device_->SetVertexShader(kScreenFvf2);
  ASSERT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16,
                                            vertices, sizeof(ScreenVertex2)),
            D3D_OK);
  device_->SetTexture(0, nullptr);
  device_->SetTexture(1, nullptr);
  first->Release();
  second->Release();
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_TRUE(ColorNear(Pixel(pixels, 4, 4), 0xFF00FF00));
  EXPECT_TRUE(ColorNear(Pixel(pixels, 15, 4), 0xFFFF0000));
}

TEST_F(GlDeviceTest, IndexOutsideTheNamedVerticesIsRefused) {
  const ScreenVertex vertices[3] = {};
  const uint16_t indices[3] = {0, 1, 3};
  device_->SetVertexShader(kScreenFvf);
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, indices, D3DFMT_INDEX16,
                                            vertices, sizeof(ScreenVertex)),
            D3DERR_INVALIDCALL);
}

TEST_F(GlDeviceTest, RenderTargetIsDrawnIntoThenUsedAsATexture) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device_, 16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                              D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8* surface = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
  ID3DXRenderToSurface* rts = nullptr;
  ASSERT_EQ(D3DXCreateRenderToSurface(device_, 16, 16, D3DFMT_A8R8G8B8, 0, D3DFMT_UNKNOWN, &rts),
            D3D_OK);

  ASSERT_EQ(rts->BeginScene(surface, nullptr), D3D_OK);
  D3DVIEWPORT8 inside;
  device_->GetViewport(&inside);
  EXPECT_EQ(inside.Width, 16u);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  Default2DStates();
  DrawScreen(Quad(0, 0, 8, 16, 0xFFFF0000));
  ASSERT_EQ(rts->EndScene(), D3D_OK);
  D3DVIEWPORT8 after;
  device_->GetViewport(&after);
  EXPECT_EQ(after.Width, 64u);

  // The target's memory is read back for a lock.
  D3DLOCKED_RECT locked;
  ASSERT_EQ(target->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  uint32_t row[16];
  std::memcpy(row, locked.pBits, sizeof row);
  target->UnlockRect(0);
  EXPECT_EQ(row[0], 0xFFFF0000u);
  EXPECT_EQ(row[15], 0xFF0000FFu);

  EXPECT_EQ(Pixel(ReadBackBuffer(), 2, 2), 0xFF000000u);  // the back buffer was not touched
  Default2DStates();
  device_->SetTexture(0, target);
  DrawScreen(Quad(0, 0, 32, 32, 0xFFFFFFFF));
  device_->SetTexture(0, nullptr);
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(Pixel(pixels, 4, 20), 0xFFFF0000u);
  EXPECT_EQ(Pixel(pixels, 28, 20), 0xFF0000FFu);
  rts->Release();
  surface->Release();
  target->Release();
}

// Pre-transformed vertices carry 1/w: a texture on a quad whose right edge is four times
// further away is interpolated in perspective, not linearly across the screen.
TEST_F(GlDeviceTest, ReciprocalWGivesPerspectiveCorrectTexturing) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  Default2DStates();
  std::vector<uint32_t> stripes(10);
  for (uint32_t i = 0; i < 10; ++i) stripes[i] = 0xFF000000u | ((i * 20 + 10) << 16);
  IDirect3DTexture8* texture = MakeTexture(10, 1, D3DFMT_A8R8G8B8, stripes);
  device_->SetTexture(0, texture);
  std::vector<ScreenVertex> quad = Quad(0, 0, 60, 10, 0xFFFFFFFF);
  for (ScreenVertex& v : quad) {
    if (v.u > 0.5f) v.rhw = 0.25f;
  }
  DrawScreen(quad);
  device_->SetTexture(0, nullptr);
  texture->Release();
  // At pixel 34 the screen fraction is 0.575: u is 0.25 in perspective (texel 2), where a
  // linear interpolation would give texel 5.
  EXPECT_EQ(Pixel(ReadBackBuffer(), 34, 5), stripes[2]);
}

// The 3-D path: world vertices through look-at and perspective matrices, Direct3D's
// y-up clip space and its culling of counter-clockwise triangles.
TEST_F(GlDeviceTest, WorldVerticesGoThroughTheTransformsAndAreCulledByWinding) {
  D3DXMATRIX view, projection, world;
  const D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 64.0f / 48.0f, 1.0f, 100.0f);
  D3DXMatrixIdentity(&world);
  // Upper half of the view, clockwise as the camera sees it.
  const WorldVertex quad[6] = {
      {-5, 5, 10, 0xFF00FF00, 0, 0}, {5, 5, 10, 0xFF00FF00, 0, 0}, {5, 0, 10, 0xFF00FF00, 0, 0},
      {-5, 5, 10, 0xFF00FF00, 0, 0}, {5, 0, 10, 0xFF00FF00, 0, 0}, {-5, 0, 10, 0xFF00FF00, 0, 0},
  };
  for (uint32_t cull : {D3DCULL_CCW, D3DCULL_CW}) {
    SCOPED_TRACE(cull);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Default2DStates();
    device_->SetRenderState(D3DRS_CULLMODE, cull);
    device_->SetTransform(D3DTS_WORLD, &world);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetVertexShader(kWorldFvf);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(WorldVertex)), D3D_OK);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    const uint32_t drawn = cull == D3DCULL_CCW ? 0xFF00FF00u : 0xFF000000u;
    // x from 32 - 5 / 13.3 * 32 = 20 to 44; y from 24 - 0.5 * 24 = 12 to 24.
    EXPECT_EQ(Pixel(pixels, 32, 18), drawn);
    EXPECT_EQ(Pixel(pixels, 21, 13), drawn);
    EXPECT_EQ(Pixel(pixels, 32, 30), 0xFF000000u);
    EXPECT_EQ(Pixel(pixels, 18, 18), 0xFF000000u);
    EXPECT_EQ(Pixel(pixels, 32, 10), 0xFF000000u);
  }
}

TEST_F(GlDeviceTest, ResetRebuildsTheBackBufferAtTheNewSize) {
  device_->EndScene();
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 32;
  pp.BackBufferHeight = 16;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.hDeviceWindow = &window_;
  pp.Windowed = 1;
  ASSERT_EQ(device_->Reset(&pp), D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  IDirect3DSurface8* back = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  back->Release();
  EXPECT_EQ(desc.Width, 32u);
  EXPECT_EQ(desc.Height, 16u);

  // A reset it cannot do keeps the device as it was.
  D3DPRESENT_PARAMETERS bad = pp;
  bad.BackBufferFormat = D3DFMT_DXT1;
  EXPECT_EQ(device_->Reset(&bad), D3DERR_INVALIDCALL);

  backWidth_ = 32;
  backHeight_ = 16;
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 31, 15), 0xFF123456u);
}

// The back buffer is presented scaled uniformly and centred, with black bars.
class LetterboxTest : public GlDeviceFixture {};

TEST_F(LetterboxTest, BackBufferIsCentredBetweenBlackBars) {
  struct Case {
    int windowWidth, windowHeight;
    uint32_t backWidth, backHeight;
    int x, y, width, height;
  };
  const Case cases[] = {
      {1280, 600, 960, 600, 160, 0, 960, 600},  // wide back buffer, wider window
      {1280, 720, 800, 600, 160, 0, 960, 720},  // 4:3 into 16:9, scaled by 1.2
      {800, 800, 800, 600, 0, 100, 800, 600},   // bars above and below
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.windowWidth);
    ASSERT_TRUE(Open(c.windowWidth, c.windowHeight, c.backWidth, c.backHeight));
    device_->BeginScene();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    const D3DRECT top{0, 0, static_cast<int32_t>(c.backWidth), 10};
    device_->Clear(1, &top, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    device_->EndScene();
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    const d3d8::PresentTransform& t = Gl()->LastPresentTransform();
    EXPECT_EQ(t.x, c.x);
    EXPECT_EQ(t.y, c.y);
    EXPECT_EQ(t.width, c.width);
    EXPECT_EQ(t.height, c.height);
    float bx, by;
    EXPECT_TRUE(t.WindowToBackBuffer(c.x + c.width / 2.0f, c.y + c.height / 2.0f, &bx, &by));
    EXPECT_FLOAT_EQ(bx, c.backWidth / 2.0f);
    EXPECT_FLOAT_EQ(by, c.backHeight / 2.0f);
    EXPECT_FALSE(t.WindowToBackBuffer(c.x - 1.0f, c.y - 1.0f, &bx, &by));  // on a bar

    std::vector<uint32_t> window;
    int w = 0, h = 0;
    ASSERT_TRUE(Gl()->ComposeWindowImage(&window, &w, &h));
    ASSERT_EQ(w, c.windowWidth);
    auto at = [&](int x, int y) { return window[static_cast<size_t>(y) * w + x] | 0xFF000000u; };
    const int middleY = c.y + c.height / 2;
    const int middleX = c.x + c.width / 2;
    EXPECT_EQ(at(c.x + 2, middleY), 0xFFFFFFFFu);
    EXPECT_EQ(at(c.x + c.width - 3, middleY), 0xFFFFFFFFu);
    EXPECT_EQ(at(middleX, c.y + 2), 0xFFFF0000u);  // the top row stays on top
    EXPECT_EQ(at(middleX, c.y + c.height - 3), 0xFFFFFFFFu);
    if (c.x > 0) {
      EXPECT_EQ(at(0, middleY), 0xFF000000u);
      EXPECT_EQ(at(c.x - 1, middleY), 0xFF000000u);
      EXPECT_EQ(at(c.windowWidth - 1, middleY), 0xFF000000u);
    }
    if (c.y > 0) {
      EXPECT_EQ(at(middleX, 0), 0xFF000000u);
      EXPECT_EQ(at(middleX, c.windowHeight - 1), 0xFF000000u);
    }
    TearDown();
    device_ = nullptr;
    direct3d_ = nullptr;
    window_.sdl = nullptr;
  }
}

}  // namespace
}  // namespace d3dtest
