// The OpenGL device's programs made per fixed-function state against its general program
// (every stage setting a uniform): the stage states the engine, the board, the particles
// and the SWF handler draw with give the same pixels either way. Also: the alpha test is
// left out only where it cannot change a pixel, runs of triangle lists of one state go to
// GL as one draw in their order, and the streaming vertex buffer survives being filled.

#include <cstring>
#include <functional>
#include <string>

#include "platform/d3d8/D3DX8.h"
#include "tests/platform/d3d8/D3DTestSupport.h"

namespace d3dtest {
namespace {

constexpr uint32_t kWidth = 64;
constexpr uint32_t kHeight = 48;

// What a case draws with.
struct Textures {
  IDirect3DTexture8* gradient = nullptr;  // every alpha from 0 to 255, mixed colours
  IDirect3DTexture8* binary = nullptr;    // alpha 0 or 255 only
  IDirect3DTexture8* opaque = nullptr;    // X8R8G8B8
  IDirect3DTexture8* glyphs = nullptr;    // A8, as the SWF handler's glyph bitmaps
  IDirect3DTexture8* sheet = nullptr;     // A4R4G4B4, as the TrueType glyph sheet
  IDirect3DTexture8* second = nullptr;    // the second stage's picture
};

std::vector<uint32_t> TexelsOf(uint32_t side, const std::function<uint32_t(uint32_t, uint32_t)>& texel) {
  std::vector<uint32_t> pixels(side * side);
  for (uint32_t y = 0; y < side; ++y) {
    for (uint32_t x = 0; x < side; ++x) pixels[y * side + x] = texel(x, y);
  }
  return pixels;
}

uint32_t Colour(uint32_t x, uint32_t y) {
  return ((x * 37 + y * 11) & 0xFF) << 16 | ((x * 5 + y * 53) & 0xFF) << 8 | ((x * 97 + y * 29) & 0xFF);
}

class GlProgramCacheTest : public GlDeviceFixture {
 protected:
  void SetUp() override {
    GlDeviceFixture::SetUp();
    ASSERT_TRUE(Open(kWidth, kHeight, kWidth, kHeight, /*depthStencil=*/true));
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    textures_.gradient = MakeTexture(16, 16, D3DFMT_A8R8G8B8, TexelsOf(16, [](uint32_t x, uint32_t y) {
      return ((x * 16 + y) << 24) | Colour(x, y);
    }));
    textures_.binary = MakeTexture(16, 16, D3DFMT_A8R8G8B8, TexelsOf(16, [](uint32_t x, uint32_t y) {
      return (((x / 2 + y / 3) & 1) ? 0xFF000000u : 0u) | Colour(x, y);
    }));
    textures_.opaque = MakeTexture(16, 16, D3DFMT_X8R8G8B8, TexelsOf(16, Colour));
    textures_.glyphs = MakeTexture(16, 16, D3DFMT_A8, TexelsOf(16, [](uint32_t x, uint32_t y) {
      return ((x * 16 + (15 - y)) & 0xFF) << 24;
    }));
    textures_.sheet = MakeTexture(16, 16, D3DFMT_A4R4G4B4, TexelsOf(16, [](uint32_t x, uint32_t y) {
      return (((x + y) & 15) * 0x11u) << 24 | 0xFFFFFF;
    }));
    textures_.second = MakeTexture(4, 4, D3DFMT_A8R8G8B8, TexelsOf(4, [](uint32_t x, uint32_t y) {
      return 0xFF000000u | Colour(x * 4 + 1, y * 4 + 2);
    }));
    ASSERT_EQ(D3DXCreateTexture(device_, kWidth, kHeight, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                D3DPOOL_DEFAULT, &target_),
              D3D_OK);
    ASSERT_EQ(target_->GetSurfaceLevel(0, &targetSurface_), D3D_OK);
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backSurface_), D3D_OK);
  }
  void TearDown() override {
    if (device_) {
      device_->SetRenderTarget(backSurface_, nullptr);
      device_->SetTexture(0, nullptr);
      device_->SetTexture(1, nullptr);
      device_->SetStreamSource(0, nullptr, 0);
      for (IDirect3DTexture8* t : {textures_.gradient, textures_.binary, textures_.opaque,
                                   textures_.glyphs, textures_.sheet, textures_.second}) {
        if (t) t->Release();
      }
      if (targetSurface_) targetSurface_->Release();
      if (backSurface_) backSurface_->Release();
      if (target_) target_->Release();
      device_->EndScene();
    }
    GlDeviceFixture::TearDown();
  }

  // Stripes of colours and alphas to draw over, cleared (no program involved).
  void ClearBackground(bool stencil = false) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | (stencil ? D3DCLEAR_STENCIL : 0), 0x80406080, 1.0f, 0);
    const uint32_t colours[4] = {0xFFFF8000, 0x00000000, 0x40FFFFFF, 0xC0102030};
    for (int i = 0; i < 4; ++i) {
      const D3DRECT stripe{i * 16, 0, i * 16 + 8, static_cast<int32_t>(kHeight)};
      device_->Clear(1, &stripe, D3DCLEAR_TARGET, colours[i], 1.0f, 0);
    }
  }

  // A quad over the whole target whose corners have different colours and alphas, so
  // that interpolation gives every pixel its own.
  void DrawScreenQuad(uint32_t fvf = kScreenFvf) {
    std::vector<ScreenVertex> quad = Quad(0, 0, kWidth, kHeight, 0);
    const uint32_t corners[4] = {0x00FF2040, 0xFF30FF60, 0x804080FF, 0x11FFFFFF};
    // Quad's vertex order: bottom-left, top-left, bottom-right, top-right, bottom-right, top-left.
    const int corner[6] = {3, 0, 2, 1, 2, 0};
    for (int i = 0; i < 6; ++i) quad[i].color = corners[corner[i]];
    // The right edge four times further away: textures in perspective.
    for (ScreenVertex& v : quad) {
      if (v.u > 0.5f) v.rhw = 0.25f;
    }
    device_->SetVertexShader(fvf);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof(ScreenVertex)), D3D_OK);
  }

  // Both UV sets, as the renderer's two-stage draw uses them.
  void DrawScreenQuad2() {
    const ScreenVertex2 vertices[4] = {
        {-0.5f, -0.5f, 0, 1, 0x00FFFFFF, 0, 0, 0, 0},
        {63.5f, -0.5f, 0, 1, 0xFFFF8040, 1, 0, 1, 0},
        {-0.5f, 47.5f, 0, 1, 0x80FFFFFF, 0, 1, 0, 1},
        {63.5f, 47.5f, 0, 1, 0x40FFFFFF, 1, 1, 1, 1},
    };
    const uint16_t indices[6] = {0, 1, 3, 0, 3, 2};
    device_->SetVertexShader(kScreenFvf2);
    ASSERT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16,
                                              vertices, sizeof(ScreenVertex2)),
              D3D_OK);
  }

  // The draw queue's outlines.
  void DrawLines() {
    std::vector<ScreenVertex> lines;
    for (int i = 0; i < 12; ++i) {
      const float y = 2.0f + 3.5f * i;
      lines.push_back({1.0f, y, 0, 1, 0xFF000000u | Colour(i, 1), 0, 0});
      lines.push_back({62.0f, y + 5.0f, 0, 1, 0x30000000u | Colour(2, i), 0, 0});
    }
    device_->SetVertexShader(kScreenFvf);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_LINELIST, 12, lines.data(), sizeof(ScreenVertex)), D3D_OK);
  }

  // The SWF handler's frame: a stage of 64 x 48 pixels in twips through its projection and
  // view, and a shape's matrix as the world transform.
  void SwfFrameStates() {
    D3DMATRIX projection{}, view{}, world{};
    projection._11 = 2.0f / (kWidth * 20.0f);
    projection._22 = -2.0f / (kHeight * 20.0f);
    projection._33 = projection._44 = 1.0f;
    projection._41 = -1.0f;
    projection._42 = 1.0f;
    view._11 = view._22 = view._33 = view._44 = 1.0f;
    world._11 = 0.9f;
    world._12 = 0.2f;
    world._21 = -0.25f;
    world._22 = 0.8f;
    world._33 = world._44 = 1.0f;
    world._41 = 200.0f;
    world._42 = 60.0f;
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetTransform(D3DTS_WORLD, &world);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  }

  // A shape's triangle strip in twips (XYZ vertices at z 1, as the handler uploads them).
  void DrawSwfStrip() {
    const float strip[8][3] = {{-100, -50, 1}, {1100, 0, 1},  {0, 400, 1},   {1200, 350, 1},
                               {-50, 800, 1},  {1150, 700, 1}, {100, 1000, 1}, {1300, 1000, 1}};
    device_->SetVertexShader(D3DFVF_XYZ);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 6, strip, sizeof strip[0]), D3D_OK);
  }

  // The handler's bitmap quad (glyphs): XYZ with one UV set.
  void DrawSwfBitmapQuad() {
    const float quad[4][5] = {{50, 40, 1, 0, 0}, {900, 90, 1, 1, 0}, {20, 880, 1, 0, 1}, {870, 930, 1, 1, 1}};
    device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]), D3D_OK);
  }

  // The handler's mask: a strip marks the stencil without colour, and the strip drawn
  // again through it (without the shape's matrix) shows where the mask let it through.
  void DrawSwfMaskedStrip(uint32_t maskFactor, uint32_t fillFactor) {
    IDirect3DDevice8* d = device_;
    SwfFrameStates();
    d->SetRenderState(D3DRS_TEXTUREFACTOR, maskFactor);
    d->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d->SetRenderState(D3DRS_STENCILENABLE, 1);
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    d->SetRenderState(D3DRS_STENCILREF, 1);
    d->SetRenderState(D3DRS_STENCILMASK, 1);
    d->SetRenderState(D3DRS_STENCILWRITEMASK, 1);
    d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    DrawSwfStrip();
    d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    d->SetRenderState(D3DRS_TEXTUREFACTOR, fillFactor);
    D3DMATRIX identity{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    d->SetTransform(D3DTS_WORLD, &identity);
    DrawSwfStrip();
  }

  // A bitmap fill's coordinates: the camera-space position through a texture matrix.
  void SwfBitmapFill(IDirect3DTexture8* texture, uint32_t address) {
    SwfFrameStates();
    device_->SetTexture(0, texture);
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xC0FFE0A0);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSU, address);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSV, address);
    D3DMATRIX tex{};
    tex._11 = 1.0f / 700.0f;
    tex._21 = 0.0004f;
    tex._12 = -0.0003f;
    tex._22 = 1.0f / 500.0f;
    tex._41 = 0.1f;
    tex._42 = -0.05f;
    tex._44 = 1.0f;
    device_->SetTransform(D3DTS_TEXTURE0, &tex);
    device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
  }

  void Linear() {
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  }

  // The target after the case drew on the stripes, with the general program or not.
  std::vector<uint32_t> Render(const std::function<void()>& draw, bool general, bool alphaTarget) {
    Gl()->UseGeneralProgram(general);
    device_->SetRenderTarget(alphaTarget ? targetSurface_ : backSurface_, nullptr);
    ClearBackground(!alphaTarget);
    Default2DStates();
    draw();
    std::vector<uint32_t> pixels = alphaTarget ? ReadTexture(target_) : ReadBackBuffer();
    Gl()->UseGeneralProgram(false);
    return pixels;
  }

  Textures textures_;
  IDirect3DTexture8* target_ = nullptr;
  IDirect3DSurface8* targetSurface_ = nullptr;
  IDirect3DSurface8* backSurface_ = nullptr;
};

// The first pixel where two pictures differ, for the failure message.
std::string FirstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return "sizes differ";
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    char text[96];
    std::snprintf(text, sizeof text, "at (%zu, %zu): %08X against %08X", i % kWidth, i / kWidth, a[i], b[i]);
    return text;
  }
  return "none";
}

TEST_F(GlProgramCacheTest, EveryStageStateInUseDrawsAsTheGeneralProgramDoes) {
  Textures& t = textures_;
  IDirect3DDevice8* d = device_;
  struct Case {
    const char* name;
    std::function<void()> draw;
    bool backBuffer = false;  // with its stencil, else the render target with alpha
  };
  const Case cases[] = {
      {"sprite", [&] { d->SetTexture(0, t.gradient); DrawScreenQuad(); }},
      {"sprite, filtered", [&] { Linear(); d->SetTexture(0, t.gradient); DrawScreenQuad(); }},
      {"sprite, mipmap filter", [&] {
         Linear();
         d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
         d->SetTexture(0, t.gradient);
         DrawScreenQuad();
       }},
      {"untextured quad", [&] { DrawScreenQuad(); }},
      {"additive sprite", [&] {
         d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
         d->SetTexture(0, t.gradient);
         DrawScreenQuad();
       }},
      {"particles", [&] {
         d->SetRenderState(D3DRS_ALPHAREF, 1);
         d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
         Linear();
         d->SetTexture(0, t.binary);
         DrawScreenQuad();
       }},
      {"alpha test off", [&] {
         d->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
         d->SetTexture(0, t.gradient);
         DrawScreenQuad();
       }},
      {"glyph sheet", [&] {
         d->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
         Linear();
         d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
         d->SetTexture(0, t.sheet);
         DrawScreenQuad();
       }},
      {"bitmap font", [&] { d->SetTexture(0, t.sheet); DrawScreenQuad(); }},
      {"opaque picture", [&] { d->SetTexture(0, t.opaque); DrawScreenQuad(); }},
      {"opaque picture, blending off", [&] {
         d->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
         d->SetTexture(0, t.opaque);
         DrawScreenQuad();
       }},
      {"binary alpha, point", [&] { d->SetTexture(0, t.binary); DrawScreenQuad(); }},
      {"binary alpha, blending off", [&] {
         d->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
         d->SetTexture(0, t.binary);
         DrawScreenQuad();
       }},
      {"draw queue lines", [&] {
         d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
         d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
         d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
         d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
         d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
         d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
         DrawLines();
       }},
      {"two UV sets", [&] {
         d->SetTexture(0, t.gradient);
         d->SetTexture(1, t.second);
         d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA);
         d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
         d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
         d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
         d->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
         d->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
         DrawScreenQuad2();
       }},
      {"Direct3D's default stages", [&] {
         d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
         d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
         d->SetTexture(0, t.gradient);
         DrawScreenQuad();
       }},
      {"SWF solid fill", [&] {
         SwfFrameStates();
         d->SetRenderState(D3DRS_TEXTUREFACTOR, 0x90FF8020);
         DrawSwfStrip();
       }},
      {"SWF solid fill, texture left bound", [&] {
         SwfFrameStates();
         d->SetTexture(0, t.gradient);
         d->SetRenderState(D3DRS_TEXTUREFACTOR, 0x0C20FF80);
         DrawSwfStrip();
       }},
      {"SWF additive pass", [&] {
         SwfFrameStates();
         d->SetRenderState(D3DRS_TEXTUREFACTOR, 0x40406080);
         d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
         d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
         DrawSwfStrip();
       }},
      {"SWF bitmap fill, wrapped", [&] { SwfBitmapFill(t.gradient, D3DTADDRESS_WRAP); DrawSwfStrip(); }},
      {"SWF bitmap fill, clamped and filtered", [&] {
         SwfBitmapFill(t.opaque, D3DTADDRESS_CLAMP);
         Linear();
         DrawSwfStrip();
       }},
      {"SWF glyph quad", [&] {
         SwfFrameStates();
         d->SetRenderState(D3DRS_TEXTUREFACTOR, 0xE0FF4080);
         d->SetTexture(0, t.glyphs);
         d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
         DrawSwfBitmapQuad();
       }},
      {"SWF mask", [&] { DrawSwfMaskedStrip(0xFFFFFFFF, 0xC080FF40); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint32_t> general = Render(c.draw, true, !c.backBuffer);
    const std::vector<uint32_t> keyed = Render(c.draw, false, !c.backBuffer);
    EXPECT_TRUE(general == keyed) << FirstDifference(keyed, general);
  }
}

// Every colour and alpha operation, with each argument source and modifier in turn, drawn
// by the program of its key and by the general one.
TEST_F(GlProgramCacheTest, EveryOperationAndArgumentDrawsAsTheGeneralProgramDoes) {
  const uint32_t args[][2] = {{D3DTA_TEXTURE, D3DTA_DIFFUSE},
                              {D3DTA_TFACTOR, D3DTA_CURRENT},
                              {D3DTA_SPECULAR, D3DTA_TEXTURE | D3DTA_COMPLEMENT},
                              {D3DTA_DIFFUSE | D3DTA_ALPHAREPLICATE, D3DTA_TFACTOR}};
  for (uint32_t op = D3DTOP_SELECTARG1; op <= D3DTOP_BLENDCURRENTALPHA + 1; ++op) {
    for (const auto& pair : args) {
      const uint32_t arg1 = pair[0];
      const uint32_t arg2 = pair[1];
      SCOPED_TRACE(testing::Message() << "operation " << op << ", arguments " << arg1 << ", " << arg2);
      const auto draw = [&] {
        device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xA0306090);
        device_->SetRenderState(D3DRS_ALPHAFUNC, op % 2 ? D3DCMP_GREATER : D3DCMP_LESSEQUAL);
        device_->SetRenderState(D3DRS_ALPHAREF, 0x60);
        device_->SetTexture(0, textures_.gradient);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, op);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, arg1);
        device_->SetTextureStageState(0, D3DTSS_COLORARG2, arg2);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, op == D3DTOP_MODULATE ? D3DTOP_DISABLE : op);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, arg2);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, arg1);
        // A second stage over the first, reading its result.
        device_->SetTexture(1, textures_.second);
        device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDTEXTUREALPHA + (op % 4));
        device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
        device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_ADDSMOOTH);
        device_->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
        device_->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_TFACTOR | D3DTA_COMPLEMENT);
        device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
        DrawScreenQuad();
      };
      const std::vector<uint32_t> general = Render(draw, true, true);
      const std::vector<uint32_t> keyed = Render(draw, false, true);
      EXPECT_TRUE(general == keyed) << FirstDifference(keyed, general);
    }
  }
  // One program per key: the sweep made programs, and drawing it again makes none.
  const size_t made = Gl()->KeyProgramCount();
  EXPECT_GT(made, 10u);
  EXPECT_LE(made, d3d8::GlContext::kMaxKeyPrograms);
}

// The default alpha test (GREATER 16) is left out of the program where no pixel it drops
// would have changed the picture, and kept where one would.
TEST_F(GlProgramCacheTest, AlphaTestIsLeftOutOnlyWhereItCannotChangeAPixel) {
  IDirect3DDevice8* d = device_;
  struct Case {
    const char* name;
    std::function<void()> states;
    uint32_t diffuse;
    bool keepsTest;
  };
  const Case cases[] = {
      {"opaque picture, opaque colour", [&] { d->SetTexture(0, textures_.opaque); }, 0xFFFFFFFF, false},
      {"opaque picture, faded above the reference", [&] { d->SetTexture(0, textures_.opaque); }, 0x11FFFFFF, false},
      {"opaque picture, faded to the reference", [&] { d->SetTexture(0, textures_.opaque); }, 0x10FFFFFF, true},
      {"alpha 0 or 255, point sampled", [&] { d->SetTexture(0, textures_.binary); }, 0xFFFFFFFF, false},
      {"alpha 0 or 255, filtered", [&] { d->SetTexture(0, textures_.binary); Linear(); }, 0xFFFFFFFF, true},
      {"alpha 0 or 255, not blended", [&] {
         d->SetTexture(0, textures_.binary);
         d->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
       }, 0xFFFFFFFF, true},
      {"alpha 0 or 255, additive", [&] {
         d->SetTexture(0, textures_.binary);
         d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
       }, 0xFFFFFFFF, false},
      {"every alpha", [&] { d->SetTexture(0, textures_.gradient); }, 0xFFFFFFFF, true},
      {"no texture, opaque colour", [] {}, 0xFFFFFFFF, false},
      {"no texture, transparent colour", [] {}, 0x00FFFFFF, false},
      {"no texture, colour at the reference", [] {}, 0x10FFFFFF, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto draw = [&] {
      c.states();
      device_->SetVertexShader(kScreenFvf);
      std::vector<ScreenVertex> quad = Quad(0, 0, kWidth, kHeight, c.diffuse);
      ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof(ScreenVertex)), D3D_OK);
    };
    const std::vector<uint32_t> general = Render(draw, true, true);
    const std::vector<uint32_t> keyed = Render(draw, false, true);
    EXPECT_EQ(Gl()->LastKey().HasAlphaTest(), c.keepsTest);
    EXPECT_TRUE(general == keyed) << FirstDifference(keyed, general);
  }
}

// Blending is left off where the source's alpha is exactly 1 at every pixel and blending
// would write it unchanged, or where no colour is written; elsewhere it stays. Either way
// the picture is the one the general program draws with blending as asked.
TEST_F(GlProgramCacheTest, BlendingIsLeftOffOnlyWhereItCannotChangeAPixel) {
  IDirect3DDevice8* d = device_;
  IDirect3DTexture8* opaqueWithAlpha = MakeTexture(16, 16, D3DFMT_A8R8G8B8, TexelsOf(16, [](uint32_t x, uint32_t y) {
    return 0xFF000000u | Colour(x, y);
  }));
  struct Case {
    const char* name;
    std::function<void()> draw;
    bool blended;
    bool backBuffer = false;
  };
  // Quads over the whole target with opaque colours of their own at each corner.
  const auto quad = [&](uint32_t alpha, float farRhw) {
    std::vector<ScreenVertex> vertices = Quad(0, 0, kWidth, kHeight, 0);
    const uint32_t corners[4] = {0x00FF2040, 0x0030FF60, 0x004080FF, 0x00FFFFFF};
    const int corner[6] = {3, 0, 2, 1, 2, 0};
    for (int i = 0; i < 6; ++i) {
      vertices[i].color = corners[corner[i]] | alpha << 24;
      if (vertices[i].u > 0.5f) vertices[i].rhw = farRhw;
    }
    DrawScreen(vertices);
  };
  const Case cases[] = {
      {"opaque picture, opaque colours", [&] { d->SetTexture(0, textures_.opaque); quad(0xFF, 1.0f); }, false},
      {"opaque picture, filtered", [&] { Linear(); d->SetTexture(0, textures_.opaque); quad(0xFF, 1.0f); }, false},
      {"picture with alpha, all opaque", [&] { d->SetTexture(0, opaqueWithAlpha); quad(0xFF, 1.0f); }, false},
      {"opaque picture, colours in perspective", [&] { d->SetTexture(0, textures_.opaque); quad(0xFF, 0.25f); }, true},
      {"opaque picture, colours almost opaque", [&] { d->SetTexture(0, textures_.opaque); quad(0xFE, 1.0f); }, true},
      {"alpha 0 or 255", [&] { d->SetTexture(0, textures_.binary); quad(0xFF, 1.0f); }, true},
      {"untextured, opaque colours", [&] { quad(0xFF, 1.0f); }, false},
      {"additive", [&] {
         d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
         d->SetTexture(0, textures_.opaque);
         quad(0xFF, 1.0f);
       }, true},
      {"premultiplied", [&] {
         d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
         d->SetTexture(0, textures_.opaque);
         quad(0xFF, 1.0f);
       }, false},
      {"destination colour", [&] {
         d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR);
         d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
         d->SetTexture(0, textures_.opaque);
         quad(0xFF, 1.0f);
       }, true},
      {"colour's alpha added", [&] {
         d->SetTexture(0, textures_.binary);
         d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_ADD);
         quad(0xFF, 1.0f);
       }, false},
      {"SWF solid fill", [&] {
         SwfFrameStates();
         d->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF20A0C0);
         DrawSwfStrip();
       }, false},
      {"SWF solid fill, faded", [&] {
         SwfFrameStates();
         d->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFE20A0C0);
         DrawSwfStrip();
       }, true},
      {"SWF bitmap fill of an opaque picture", [&] {
         SwfBitmapFill(textures_.opaque, D3DTADDRESS_WRAP);
         d->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFC0E0A0);
         DrawSwfStrip();
       }, false},
      {"SWF bitmap fill, bordered", [&] {
         SwfBitmapFill(textures_.opaque, D3DTADDRESS_BORDER);
         d->SetTextureStageState(0, D3DTSS_BORDERCOLOR, 0x80FFFFFF);
         d->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFC0E0A0);
         DrawSwfStrip();
       }, true},
      {"SWF mask", [&] {
         // The mask's pass writes no colour; what it lets through shows it was written.
         DrawSwfMaskedStrip(0x40FFFFFF, 0x80FF4020);
         d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
         DrawSwfStrip();
       }, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint32_t> general = Render(c.draw, true, !c.backBuffer);
    const std::vector<uint32_t> keyed = Render(c.draw, false, !c.backBuffer);
    EXPECT_EQ(Gl()->LastBlended(), c.blended);
    EXPECT_TRUE(general == keyed) << FirstDifference(keyed, general);
  }
  opaqueWithAlpha->Release();
}

// Clearing the stencil alone keeps the depth values the draws left, whether they differ
// from place to place or are the one value a clear gave them.
TEST_F(GlProgramCacheTest, StencilClearKeepsTheDepth) {
  IDirect3DDevice8* d = device_;
  Default2DStates();
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  d->SetRenderState(D3DRS_ZENABLE, 1);
  d->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  const auto drawAt = [&](float left, float right, float z, uint32_t colour) {
    std::vector<ScreenVertex> quad = Quad(left, 0, right, kHeight, colour);
    for (ScreenVertex& v : quad) v.z = z;
    DrawScreen(quad);
  };
  // Depth 0.3 on the left, 1 on the right.
  d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
  drawAt(0, kWidth / 2, 0.3f, 0xFFFF0000);
  d->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 1);
  d->SetRenderState(D3DRS_STENCILENABLE, 1);
  d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  d->SetRenderState(D3DRS_STENCILREF, 1);
  drawAt(0, kWidth, 0.5f, 0xFF00FF00);
  std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(Pixel(pixels, 4, 4), 0xFFFF0000u);           // behind the earlier quad
  EXPECT_EQ(Pixel(pixels, kWidth - 4, 4), 0xFF00FF00u);  // stencil 1 and nearer than 1

  // Depth 0.4 everywhere from a clear; the stencil cleared to 2 over it.
  d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.4f, 0);
  d->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 2);
  d->SetRenderState(D3DRS_STENCILREF, 2);
  drawAt(0, kWidth / 2, 0.5f, 0xFF0000FF);
  drawAt(kWidth / 2, kWidth, 0.35f, 0xFFFFFFFF);
  pixels = ReadBackBuffer();
  EXPECT_EQ(Pixel(pixels, 4, 4), 0xFFFF0000u);
  EXPECT_EQ(Pixel(pixels, kWidth - 4, 4), 0xFFFFFFFFu);
  d->SetRenderState(D3DRS_STENCILENABLE, 0);
  d->SetRenderState(D3DRS_ZENABLE, 0);
}

// A texture whose picture changes is read as it was when each draw was made.
TEST_F(GlProgramCacheTest, TextureChangedBetweenDrawsIsSeenOnlyByTheLaterOne) {
  ClearBackground();
  Default2DStates();
  IDirect3DTexture8* texture = MakeTexture(1, 1, D3DFMT_A8R8G8B8, {0xFFFF0000});
  device_->SetTexture(0, texture);
  DrawScreen(Quad(0, 0, 8, 8, 0xFFFFFFFF));
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  *static_cast<uint32_t*>(locked.pBits) = 0xFF00FF00;
  texture->UnlockRect(0);
  DrawScreen(Quad(8, 0, 16, 8, 0xFFFFFFFF));
  device_->SetTexture(0, nullptr);
  texture->Release();
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(Pixel(pixels, 4, 4), 0xFFFF0000u);
  EXPECT_EQ(Pixel(pixels, 12, 4), 0xFF00FF00u);
}

TEST_F(GlProgramCacheTest, RunsOfOneStateGoToGlAsOneDrawInTheirOrder) {
  ClearBackground();
  Default2DStates();
  IDirect3DTexture8* white = MakeTexture(1, 1, D3DFMT_X8R8G8B8, {0xFFFFFFFF});
  const d3d8::GlDevice::DrawCounts before = Gl()->Counts();
  // Overlapping quads of one texture and state, each bound again before its draw and
  // unbound after it, as the renderer does: one GL draw, the later quads on top.
  const uint32_t colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  for (int i = 0; i < 3; ++i) {
    device_->SetTexture(0, white);
    DrawScreen(Quad(4.0f * i, 0, 4.0f * i + 8, 8, colours[i]));
    device_->SetTexture(0, nullptr);
  }
  white->Release();
  // Another state (additive blending) splits the run; the state after it joins again.
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  DrawScreen(Quad(0, 10, 8, 18, 0xFF202020));
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  DrawScreen(Quad(0, 20, 8, 28, 0xFFFFFFFF));
  DrawScreen(Quad(8, 20, 16, 28, 0xFFFFFFFF));
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  const d3d8::GlDevice::DrawCounts after = Gl()->Counts();
  EXPECT_EQ(after.requested - before.requested, 6u);
  EXPECT_EQ(after.sent - before.sent, 3u);
  EXPECT_EQ(Pixel(pixels, 2, 4), 0xFFFF0000u);
  EXPECT_EQ(Pixel(pixels, 6, 4), 0xFF00FF00u);  // green over red
  EXPECT_EQ(Pixel(pixels, 10, 4), 0xFF0000FFu);  // blue over green
  EXPECT_EQ(Pixel(pixels, 12, 24), 0xFFFFFFFFu);
}

// Far more vertices than the streaming buffer holds, in draws of alternating states: the
// buffer is orphaned and written from its start again, and every draw keeps its vertices.
TEST_F(GlProgramCacheTest, StreamingBufferIsReusedWhenFull) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  Default2DStates();
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  std::vector<ScreenVertex> quads;
  for (int i = 0; i < 12000; ++i) {
    std::vector<ScreenVertex> quad = Quad(static_cast<float>(i % 64), 40, static_cast<float>(i % 64 + 1), 41,
                                          0xFF000000u | static_cast<uint32_t>(i));
    quads.insert(quads.end(), quad.begin(), quad.end());
  }
  for (int pass = 0; pass < 16; ++pass) {
    device_->SetRenderState(D3DRS_ALPHAREF, pass % 2 ? 16 : 17);  // a new state each pass
    DrawScreen(quads);
  }
  // The last quad of each column wins.
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  for (uint32_t x : {0u, 31u, 32u, 63u}) {
    const uint32_t last = x + (11999u - x) / 64u * 64u;
    EXPECT_EQ(Pixel(pixels, static_cast<int>(x), 40), 0xFF000000u | last) << x;
  }
}

}  // namespace
}  // namespace d3dtest
