// The Direct3D render handler on the recording device: the device calls it makes for a
// frame, its texture formats and sizes, the shape buffer, fills and masks.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

#include "engine/swf/base/image.h"
#include "engine/swf/render/render_handler_d3d.h"
#include "platform/d3d8/RecordingDirect3D.h"
#include "tests/swf/support/SwfTestDoubles.h"

namespace {

using d3d8::DeviceCall;
using d3d8::RecordedCall;
using Vertex3 = std::array<float, 3>;
using Vertex5 = std::array<float, 5>;

class RenderHandlerD3DTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeDevice(); }
  void TearDown() override {
    handler_.reset();
    if (device_) device_->Release();
    if (direct3d_) direct3d_->Release();
  }
  void MakeDevice() {
    direct3d_ = new d3d8::RecordingDirect3D();
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.hDeviceWindow = &window_;
    pp.Windowed = 1;
    pp.EnableAutoDepthStencil = 1;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice8* made = nullptr;
    ASSERT_EQ(direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                      &made),
              D3D_OK);
    device_ = static_cast<d3d8::RecordingDevice*>(made);
  }
  swf::render_handler_d3d& Handler() {
    if (!handler_) handler_ = std::make_unique<swf::render_handler_d3d>(device_);
    return *handler_;
  }
  // The kind of every call after the first `from`, with the render and stage states named.
  std::vector<const RecordedCall*> Calls(DeviceCall kind) const { return device_->CallsOf(kind); }
  uint32_t LastRenderState(D3DRENDERSTATETYPE state) const {
    for (auto it = device_->Calls().rbegin(); it != device_->Calls().rend(); ++it) {
      if (it->call == DeviceCall::SetRenderState && it->type == state) return it->value;
    }
    return 0xDEADBEEF;
  }

  HWND__ window_{};
  d3d8::RecordingDirect3D* direct3d_ = nullptr;
  d3d8::RecordingDevice* device_ = nullptr;
  std::unique_ptr<swf::render_handler_d3d> handler_;
};

const int16_t kSquare[8] = {0, 0, 200, 0, 0, 200, 200, 200};

TEST_F(RenderHandlerD3DTest, FrameSavesAndRestoresTheViewportAndLeavesTheEngineStates) {
  const D3DVIEWPORT8 engine{0, 0, 800, 600, 0.0f, 1.0f};
  device_->SetViewport(&engine);
  Handler().begin_frame(swf::rgba(0, 0, 0, 0), 100, 50, 400, 300, 0, 8000, 0, 6000);
  const D3DVIEWPORT8& inside = device_->State().viewport;
  EXPECT_EQ(inside.X, 100u);
  EXPECT_EQ(inside.Y, 50u);
  EXPECT_EQ(inside.Width, 400u);
  EXPECT_EQ(inside.Height, 300u);
  // The projection maps the frame rectangle onto clip space, y down.
  EXPECT_FLOAT_EQ(device_->State().projection._11, 2.0f / 8000.0f);
  EXPECT_FLOAT_EQ(device_->State().projection._22, -2.0f / 6000.0f);
  EXPECT_FLOAT_EQ(device_->State().projection._41, -1.0f);
  EXPECT_FLOAT_EQ(device_->State().projection._42, 1.0f);
  EXPECT_EQ(device_->State().RenderState(D3DRS_CULLMODE), static_cast<uint32_t>(D3DCULL_NONE));
  EXPECT_EQ(device_->State().StageState(0, D3DTSS_COLOROP), static_cast<uint32_t>(D3DTOP_SELECTARG2));
  EXPECT_EQ(device_->CountOf(DeviceCall::Clear), 0u);  // alpha 0: no background
  swf::matrix m;
  m.m_[0][2] = 30;
  Handler().set_matrix(m);
  Handler().set_fill_color(0, swf::rgba(255, 0, 0, 255));
  Handler().draw_triangle_strip(kSquare, 4);
  Handler().end_frame();

  const d3d8::DeviceState& after = device_->State();
  EXPECT_EQ(std::memcmp(&after.viewport, &engine, sizeof engine), 0);
  EXPECT_FLOAT_EQ(after.world._41, 0.0f);
  EXPECT_FLOAT_EQ(after.view._41, 0.0f);
  EXPECT_FLOAT_EQ(after.view._42, 0.0f);
  EXPECT_EQ(after.StageState(0, D3DTSS_COLOROP), static_cast<uint32_t>(D3DTOP_MODULATE));
  EXPECT_EQ(after.StageState(0, D3DTSS_ALPHAOP), static_cast<uint32_t>(D3DTOP_SELECTARG1));
  EXPECT_EQ(after.StageState(0, D3DTSS_COLORARG2), D3DTA_CURRENT);
  EXPECT_EQ(after.StageState(0, D3DTSS_TEXCOORDINDEX), 0u);
  EXPECT_EQ(after.StageState(0, D3DTSS_TEXTURETRANSFORMFLAGS), static_cast<uint32_t>(D3DTTFF_DISABLE));
  EXPECT_EQ(after.RenderState(D3DRS_STENCILENABLE), 0u);

  // The strip went through the shape buffer with the current matrix as the world.
  const auto draws = Calls(DeviceCall::DrawPrimitive);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->primitive, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(draws[0]->primitiveCount, 2u);
  EXPECT_EQ(draws[0]->stride, 12u);
  EXPECT_FLOAT_EQ(draws[0]->state->world._41, 30.0f);
  EXPECT_EQ(draws[0]->state->RenderState(D3DRS_TEXTUREFACTOR), 0xFFFF0000u);
  const auto vertices = draws[0]->VerticesAs<Vertex3>();
  ASSERT_EQ(vertices.size(), 4u);
  EXPECT_FLOAT_EQ(vertices[3][0], 200.0f);
  EXPECT_FLOAT_EQ(vertices[3][2], 1.0f);
}

TEST_F(RenderHandlerD3DTest, BackgroundByAlpha) {
  Handler().begin_frame(swf::rgba(10, 20, 30, 255), 100, 50, 400, 300, 0, 8000, 0, 6000);
  Handler().end_frame();
  auto clears = Calls(DeviceCall::Clear);
  ASSERT_EQ(clears.size(), 1u);
  EXPECT_EQ(clears[0]->color, 0xFF0A141Eu);
  ASSERT_EQ(clears[0]->rects.size(), 1u);
  EXPECT_EQ(clears[0]->rects[0].x1, 100);
  EXPECT_EQ(clears[0]->rects[0].y1, 50);
  EXPECT_EQ(clears[0]->rects[0].x2, 500);
  EXPECT_EQ(clears[0]->rects[0].y2, 350);
  EXPECT_EQ(device_->CountOf(DeviceCall::DrawPrimitive), 0u);

  device_->ClearCalls();
  Handler().begin_frame(swf::rgba(10, 20, 30, 128), 0, 0, 400, 300, 0, 8000, 0, 6000);
  Handler().end_frame();
  EXPECT_EQ(device_->CountOf(DeviceCall::Clear), 0u);
  auto draws = Calls(DeviceCall::DrawPrimitive);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->state->RenderState(D3DRS_TEXTUREFACTOR), 0x800A141Eu);
  EXPECT_EQ(draws[0]->state->RenderState(D3DRS_ALPHABLENDENABLE), 1u);
}

TEST_F(RenderHandlerD3DTest, DegenerateStagesAndStripsDrawNothing) {
  struct Case {
    int vw, vh;
    float x1, y1;
  };
  Handler();
  for (const Case& c : {Case{0, 300, 8000, 6000}, Case{400, 0, 8000, 6000}, Case{400, 300, 0, 6000},
                        Case{400, 300, 8000, 0}}) {
    device_->ClearCalls();
    Handler().begin_frame(swf::rgba(1, 2, 3, 255), 0, 0, c.vw, c.vh, 0, c.x1, 0, c.y1);
    Handler().set_fill_color(0, swf::rgba(255, 0, 0, 255));
    Handler().draw_triangle_strip(kSquare, 4);
    Handler().end_frame();
    EXPECT_TRUE(device_->Calls().empty()) << c.vw << " " << c.vh << " " << c.x1 << " " << c.y1;
  }
  device_->ClearCalls();
  Handler().begin_frame(swf::rgba(0, 0, 0, 0), 0, 0, 400, 300, 0, 8000, 0, 6000);
  Handler().set_fill_color(0, swf::rgba(255, 0, 0, 255));
  Handler().set_line_color(swf::rgba(255, 0, 0, 255));
  Handler().draw_triangle_strip(kSquare, 2);
  Handler().draw_triangle_strip(kSquare, 0);
  Handler().draw_line_strip(kSquare, 1);
  Handler().draw_line_strip(kSquare, 2);
  Handler().end_frame();
  auto draws = Calls(DeviceCall::DrawPrimitive);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->primitive, D3DPT_LINESTRIP);
  EXPECT_EQ(draws[0]->primitiveCount, 1u);
}

TEST_F(RenderHandlerD3DTest, FormatsFollowTheDeviceAnswers) {
  // Compressed formats are never offered: R8G8B8, A8R8G8B8 and A8.
  EXPECT_EQ(Handler().rgb_format(), D3DFMT_R8G8B8);
  EXPECT_EQ(Handler().rgba_format(), D3DFMT_A8R8G8B8);
  EXPECT_EQ(Handler().alpha_format(), D3DFMT_A8);
  handler_.reset();
  direct3d_->unavailableFormats = {D3DFMT_R8G8B8, D3DFMT_A8};
  EXPECT_EQ(Handler().rgb_format(), D3DFMT_A8R8G8B8);
  EXPECT_EQ(Handler().alpha_format(), D3DFMT_A8L8);
  handler_.reset();
  direct3d_->unavailableFormats = {D3DFMT_A8, D3DFMT_A8L8, D3DFMT_A8P8};
  EXPECT_EQ(Handler().alpha_format(), D3DFMT_A8R8G8B8);
}

TEST_F(RenderHandlerD3DTest, ImagesAreStretchedOverPowerOfTwoTextures) {
  swf::image_rgb image(100, 30);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 100; ++x) {
      uint8_t* p = image.m_data + y * image.m_pitch + x * 3;
      p[0] = x < 50 ? 255 : 0;  // left half red, right half blue
      p[1] = 0;
      p[2] = x < 50 ? 0 : 255;
    }
  }
  swf::smart_ptr<swf::bitmap_info> bitmap(Handler().create_bitmap_rgb(&image));
  auto creates = Calls(DeviceCall::CreateTexture);
  ASSERT_EQ(creates.size(), 1u);
  EXPECT_EQ(creates[0]->width, 128u);
  EXPECT_EQ(creates[0]->height, 32u);
  EXPECT_EQ(creates[0]->levels, 1u);
  EXPECT_EQ(creates[0]->pool, D3DPOOL_MANAGED);
  IDirect3DTexture8* texture = Handler().texture_of(bitmap.get_ptr());
  ASSERT_NE(texture, nullptr);
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(0, &desc);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + 16 * locked.Pitch;
  const int bpp = desc.Format == D3DFMT_R8G8B8 ? 3 : 4;
  EXPECT_EQ(row[2], 255);                 // texel 0 red (B, G, R order)
  EXPECT_EQ(row[127 * bpp + 0], 255);     // the last texel is the image's last column: blue
  EXPECT_EQ(row[70 * bpp + 0], 255);      // 70 of 128 lies in the right half of the image
  texture->UnlockRect(0);

  const swf::image_rgb one(1, 1);
  swf::smart_ptr<swf::bitmap_info> small(Handler().create_bitmap_rgb(const_cast<swf::image_rgb*>(&one)));
  EXPECT_EQ(Calls(DeviceCall::CreateTexture).back()->width, 1u);
  EXPECT_EQ(Calls(DeviceCall::CreateTexture).back()->height, 1u);
}

TEST_F(RenderHandlerD3DTest, RgbaImagesAreUploadedWithoutChangingTheCallersImage) {
  swf::image_rgba image(2, 1);
  image.set_pixel(0, 0, 10, 20, 30, 40);
  image.set_pixel(1, 0, 50, 60, 70, 80);
  swf::smart_ptr<swf::bitmap_info> bitmap(Handler().create_bitmap_rgba(&image));
  EXPECT_EQ(image.m_data[0], 10);
  EXPECT_EQ(image.m_data[2], 30);
  IDirect3DTexture8* texture = Handler().texture_of(bitmap.get_ptr());
  ASSERT_NE(texture, nullptr);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  uint32_t texel;
  std::memcpy(&texel, locked.pBits, 4);
  EXPECT_EQ(texel, 0x280A141Eu);
  texture->UnlockRect(0);
}

TEST_F(RenderHandlerD3DTest, FailedTexturesLogAndLeaveAnEmptySlot) {
  swftest::SwfLogCapture log;
  device_->FailCalls(DeviceCall::CreateTexture, D3DERR_OUTOFVIDEOMEMORY, 2);
  const uint8_t alpha[4] = {1, 2, 3, 4};
  swf::smart_ptr<swf::bitmap_info> bitmap(Handler().create_bitmap_alpha(2, 2, alpha));
  ASSERT_NE(bitmap.get_ptr(), nullptr);
  auto creates = Calls(DeviceCall::CreateTexture);
  ASSERT_EQ(creates.size(), 2u);
  EXPECT_EQ(creates[0]->format, D3DFMT_A8);
  EXPECT_EQ(creates[1]->format, D3DFMT_A8R8G8B8);  // the second try
  EXPECT_TRUE(log.Contains("error: can't create texture\n"));
  EXPECT_EQ(Handler().texture_of(bitmap.get_ptr()), nullptr);
  // Drawing it binds no texture.
  Handler().begin_frame(swf::rgba(0, 0, 0, 0), 0, 0, 400, 300, 0, 8000, 0, 6000);
  swf::rect r{0, 10, 0, 10};
  Handler().draw_bitmap_quad(swf::matrix::identity, bitmap.get_ptr(), r, r, swf::rgba());
  Handler().end_frame();
  auto draws = Calls(DeviceCall::DrawPrimitive);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->state->textures[0], nullptr);
}

TEST_F(RenderHandlerD3DTest, ABitmapLetGoFreesItsTextureAndItsSlot) {
  swf::image_rgb image(2, 2);
  swf::smart_ptr<swf::bitmap_info> kept(Handler().create_bitmap_rgb(&image));
  {
    swf::smart_ptr<swf::bitmap_info> gone(Handler().create_bitmap_rgb(&image));
    EXPECT_EQ(Handler().live_texture_count(), 2);
    Handler().set_fill_bitmap(0, gone.get_ptr(), swf::matrix::identity, swf::render_handler::WRAP_CLAMP);
  }
  EXPECT_EQ(Handler().live_texture_count(), 1);
  // The fill that named it draws without a texture.
  device_->ClearCalls();
  Handler().begin_frame(swf::rgba(0, 0, 0, 0), 0, 0, 400, 300, 0, 8000, 0, 6000);
  Handler().draw_triangle_strip(kSquare, 4);
  Handler().end_frame();
  auto draws = Calls(DeviceCall::DrawPrimitive);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->state->textures[0], nullptr);
  // Bitmaps made and let go one after another (a morph's gradient at each ratio) keep
  // one texture alive, in one slot.
  for (int i = 0; i < 100; ++i) swf::smart_ptr<swf::bitmap_info> passing(Handler().create_bitmap_rgb(&image));
  EXPECT_EQ(Handler().live_texture_count(), 1);
  EXPECT_NE(Handler().texture_of(kept.get_ptr()), nullptr);
}

TEST_F(RenderHandlerD3DTest, ShapeBufferGrowsToTheLargestStrip) {
  EXPECT_EQ(Handler().shape_buffer_capacity(), 128);
  std::vector<int16_t> strip(400);
  for (size_t i = 0; i < strip.size(); ++i) strip[i] = static_cast<int16_t>(i);
  device_->ClearCalls();
  Handler().begin_frame(swf::rgba(0, 0, 0, 0), 0, 0, 400, 300, 0, 8000, 0, 6000);
  Handler().set_fill_color(0, swf::rgba(255, 0, 0, 255));
  Handler().draw_triangle_strip(strip.data(), 200);
  Handler().draw_triangle_strip(strip.data(), 150);
  Handler().end_frame();
  EXPECT_EQ(Handler().shape_buffer_capacity(), 200);
  auto creates = Calls(DeviceCall::CreateVertexBuffer);
  ASSERT_EQ(creates.size(), 1u);  // grown once, then reused
  EXPECT_EQ(creates[0]->width, 200u * 12u);
  EXPECT_EQ(creates[0]->usage, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC);
  auto draws = Calls(DeviceCall::DrawPrimitive);
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0]->primitiveCount, 198u);
  EXPECT_EQ(draws[1]->primitiveCount, 148u);
  EXPECT_FLOAT_EQ(draws[0]->VerticesAs<Vertex3>()[199][1], 399.0f);
}

TEST_F(RenderHandlerD3DTest, AdditivePassOnlyAboveAnAddTermOfOne) {
  swf::image_rgb image(2, 2);
  swf::smart_ptr<swf::bitmap_info> bitmap(Handler().create_bitmap_rgb(&image));
  for (float add : {1.0f, 2.0f}) {
    device_->ClearCalls();
    Handler().begin_frame(swf::rgba(0, 0, 0, 0), 0, 0, 400, 300, 0, 8000, 0, 6000);
    swf::cxform cx;
    cx.m_[0][1] = add;
    Handler().set_color_transform(cx);
    Handler().set_fill_bitmap(0, bitmap.get_ptr(), swf::matrix::identity, swf::render_handler::WRAP_CLAMP);
    Handler().draw_triangle_strip(kSquare, 4);
    Handler().end_frame();
    auto draws = Calls(DeviceCall::DrawPrimitive);
    if (add == 1.0f) {
      ASSERT_EQ(draws.size(), 1u);
      EXPECT_EQ(draws[0]->state->StageState(0, D3DTSS_COLOROP), static_cast<uint32_t>(D3DTOP_MODULATE));
      EXPECT_EQ(draws[0]->state->StageState(0, D3DTSS_ADDRESSU), static_cast<uint32_t>(D3DTADDRESS_CLAMP));
      EXPECT_EQ(draws[0]->state->StageState(0, D3DTSS_TEXCOORDINDEX), D3DTSS_TCI_CAMERASPACEPOSITION);
      EXPECT_EQ(draws[0]->state->StageState(0, D3DTSS_TEXTURETRANSFORMFLAGS),
                static_cast<uint32_t>(D3DTTFF_COUNT2));
      EXPECT_FLOAT_EQ(draws[0]->state->textureTransforms[0]._11, 0.5f);  // 1 / image width
    } else {
      ASSERT_EQ(draws.size(), 2u);
      EXPECT_EQ(draws[1]->state->RenderState(D3DRS_SRCBLEND), static_cast<uint32_t>(D3DBLEND_ONE));
      EXPECT_EQ(draws[1]->state->RenderState(D3DRS_DESTBLEND), static_cast<uint32_t>(D3DBLEND_ONE));
      EXPECT_EQ(draws[1]->state->RenderState(D3DRS_TEXTUREFACTOR), 0x00020000u);
      EXPECT_EQ(LastRenderState(D3DRS_SRCBLEND), static_cast<uint32_t>(D3DBLEND_SRCALPHA));
      EXPECT_EQ(LastRenderState(D3DRS_DESTBLEND), static_cast<uint32_t>(D3DBLEND_INVSRCALPHA));
    }
  }
}

TEST_F(RenderHandlerD3DTest, MaskShapesWriteOnlyTheStencil) {
  Handler().begin_frame(swf::rgba(0, 0, 0, 0), 0, 0, 400, 300, 0, 8000, 0, 6000);
  Handler().set_fill_color(0, swf::rgba(255, 0, 0, 255));
  Handler().begin_mask();
  Handler().draw_triangle_strip(kSquare, 4);
  Handler().end_mask();
  Handler().draw_triangle_strip(kSquare, 4);
  Handler().disable_mask();
  Handler().end_frame();
  auto clears = Calls(DeviceCall::Clear);
  ASSERT_EQ(clears.size(), 1u);
  EXPECT_EQ(clears[0]->flags, D3DCLEAR_STENCIL);
  auto draws = Calls(DeviceCall::DrawPrimitive);
  ASSERT_EQ(draws.size(), 2u);
  const d3d8::DeviceState& mask = *draws[0]->state;
  EXPECT_EQ(mask.RenderState(D3DRS_STENCILENABLE), 1u);
  EXPECT_EQ(mask.RenderState(D3DRS_STENCILFUNC), static_cast<uint32_t>(D3DCMP_ALWAYS));
  EXPECT_EQ(mask.RenderState(D3DRS_STENCILPASS), static_cast<uint32_t>(D3DSTENCILOP_REPLACE));
  EXPECT_EQ(mask.RenderState(D3DRS_STENCILREF), 1u);
  EXPECT_EQ(mask.RenderState(D3DRS_COLORWRITEENABLE), 0u);
  const d3d8::DeviceState& masked = *draws[1]->state;
  EXPECT_EQ(masked.RenderState(D3DRS_STENCILFUNC), static_cast<uint32_t>(D3DCMP_EQUAL));
  EXPECT_EQ(masked.RenderState(D3DRS_STENCILPASS), static_cast<uint32_t>(D3DSTENCILOP_KEEP));
  EXPECT_EQ(masked.RenderState(D3DRS_COLORWRITEENABLE), 0xFu);
  EXPECT_EQ(device_->State().RenderState(D3DRS_STENCILENABLE), 0u);
}

TEST_F(RenderHandlerD3DTest, GlyphQuadsTakeTheColoursAlpha) {
  const uint8_t alpha[4] = {255, 255, 255, 255};
  swf::smart_ptr<swf::bitmap_info> glyph(Handler().create_bitmap_alpha(2, 2, alpha));
  Handler().begin_frame(swf::rgba(0, 0, 0, 0), 0, 0, 400, 300, 0, 8000, 0, 6000);
  swf::matrix m;
  m.m_[0][0] = 2.0f;
  swf::rect coords{10, 20, 30, 50};
  swf::rect uv{0, 1, 0, 1};
  Handler().draw_bitmap_quad(m, glyph.get_ptr(), coords, uv, swf::rgba(0, 0, 255, 64));
  Handler().end_frame();
  auto draws = Calls(DeviceCall::DrawPrimitive);
  ASSERT_EQ(draws.size(), 1u);
  const d3d8::DeviceState& s = *draws[0]->state;
  EXPECT_EQ(s.RenderState(D3DRS_TEXTUREFACTOR), 0x400000FFu);
  EXPECT_EQ(s.StageState(0, D3DTSS_COLOROP), static_cast<uint32_t>(D3DTOP_SELECTARG2));
  EXPECT_EQ(s.StageState(0, D3DTSS_ALPHAOP), static_cast<uint32_t>(D3DTOP_MODULATE));
  EXPECT_NE(s.textures[0], nullptr);
  EXPECT_EQ(draws[0]->stride, 20u);
  const auto v = draws[0]->VerticesAs<Vertex5>();
  ASSERT_EQ(v.size(), 4u);
  EXPECT_FLOAT_EQ(v[0][0], 20.0f);  // x_min 10 scaled by 2
  EXPECT_FLOAT_EQ(v[1][0], 40.0f);
  EXPECT_FLOAT_EQ(v[2][1], 50.0f);
  EXPECT_FLOAT_EQ(v[3][0], 40.0f);  // the parallelogram's fourth corner
  EXPECT_FLOAT_EQ(v[3][1], 50.0f);
  EXPECT_FLOAT_EQ(v[3][3], 1.0f);
}

TEST_F(RenderHandlerD3DTest, BitmapsOfAnEarlierHandlerAreNeverUsed) {
  swf::image_rgb image(2, 2);
  swf::smart_ptr<swf::bitmap_info> old(Handler().create_bitmap_rgb(&image));
  ASSERT_NE(Handler().texture_of(old.get_ptr()), nullptr);
  const uint32_t first = Handler().generation();
  handler_.reset();  // the driver is rebuilt around a display reset
  swf::smart_ptr<swf::bitmap_info> fresh(Handler().create_bitmap_rgb(&image));
  EXPECT_NE(Handler().generation(), first);
  // Same slot index in the new table, but another handler's bitmap.
  EXPECT_EQ(Handler().texture_of(old.get_ptr()), nullptr);
  EXPECT_NE(Handler().texture_of(fresh.get_ptr()), nullptr);
  // Forwarders without a handler hand out placeholders.
  swf::set_render_handler(nullptr);
  swf::smart_ptr<swf::bitmap_info> placeholder(swf::render::create_bitmap_rgb(&image));
  EXPECT_NE(placeholder.get_ptr(), nullptr);
}

}  // namespace
