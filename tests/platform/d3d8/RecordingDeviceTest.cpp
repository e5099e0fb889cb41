// The recording device and Direct3D object that engine tests run the renderer on, and the
// reference counting both devices share.

#include "platform/d3d8/D3DX8.h"
#include "platform/d3d8/RecordingDirect3D.h"
#include "platform/d3d8/SystemInfo.h"
#include "tests/platform/d3d8/D3DTestSupport.h"

namespace d3dtest {
namespace {

using d3d8::DeviceCall;

TEST(RecordingDeviceTest, RecordsStatesTexturesAndDrawsWithTheirVertices) {
  d3d8::RecordingDevice* device = d3d8::RecordingDevice::Create();
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  device->ClearCalls();

  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);
  device->SetRenderState(D3DRS_ALPHAREF, 16);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTexture(0, texture);
  device->SetVertexShader(kScreenFvf);
  const std::vector<ScreenVertex> quad = Quad(0, 0, 10, 10, 0xFFFF0000);
  device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof(ScreenVertex));
  device->SetTexture(0, nullptr);
  const uint16_t indices[3] = {0, 1, 2};
  device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, indices, D3DFMT_INDEX16,
                                 quad.data(), sizeof(ScreenVertex));
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);

  const std::vector<DeviceCall> expected = {
      DeviceCall::BeginScene,      DeviceCall::Clear,           DeviceCall::SetRenderState,
      DeviceCall::SetTextureStageState, DeviceCall::SetTexture, DeviceCall::SetVertexShader,
      DeviceCall::DrawPrimitiveUP, DeviceCall::SetTexture,      DeviceCall::DrawIndexedPrimitiveUP,
      DeviceCall::EndScene,        DeviceCall::Present};
  ASSERT_EQ(device->Calls().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(device->Calls()[i].call, expected[i]) << i;

  const d3d8::RecordedCall& state = device->Calls()[2];
  EXPECT_EQ(state.type, D3DRS_ALPHAREF);
  EXPECT_EQ(state.value, 16u);
  EXPECT_EQ(device->Calls()[1].color, 0xFF336699u);

  const auto draws = device->CallsOf(DeviceCall::DrawPrimitiveUP);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->primitiveCount, 2u);
  EXPECT_EQ(draws[0]->vertexCount, 6u);
  const std::vector<ScreenVertex> recorded = draws[0]->VerticesAs<ScreenVertex>();
  ASSERT_EQ(recorded.size(), 6u);
  EXPECT_FLOAT_EQ(recorded[2].x, 9.5f);
  EXPECT_EQ(recorded[2].color, 0xFFFF0000u);
  ASSERT_NE(draws[0]->state, nullptr);
  EXPECT_EQ(draws[0]->state->textures[0], texture);
  EXPECT_EQ(draws[0]->state->vertexShader, kScreenFvf);
  EXPECT_EQ(draws[0]->state->RenderState(D3DRS_ALPHAREF), 16u);

  const auto indexed = device->CallsOf(DeviceCall::DrawIndexedPrimitiveUP);
  ASSERT_EQ(indexed.size(), 1u);
  EXPECT_EQ(indexed[0]->indices, (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(indexed[0]->state->textures[0], nullptr);
  EXPECT_EQ(device->PresentCount(), 1);

  // A clear reaches the back buffer's memory, so screenshots of a recording device work.
  IDirect3DSurface8* back = nullptr;
  device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
  D3DLOCKED_RECT locked;
  back->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  EXPECT_EQ(*static_cast<uint32_t*>(locked.pBits), 0xFF336699u);
  back->UnlockRect();
  back->Release();

  texture->Release();
  EXPECT_EQ(device->Release(), 0u);
}

TEST(RecordingDeviceTest, ScriptedFailuresPlayALostDeviceAndItsReset) {
  d3d8::RecordingDevice* device = d3d8::RecordingDevice::Create();
  device->FailCalls(DeviceCall::Present, D3DERR_DEVICELOST, 1);
  device->FailCalls(DeviceCall::TestCooperativeLevel, D3DERR_DEVICENOTRESET, 2);
  device->FailCalls(DeviceCall::Reset, D3DERR_INVALIDCALL, 1);

  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);

  D3DPRESENT_PARAMETERS pp = device->PresentParameters();
  pp.BackBufferWidth = 960;
  EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->PresentParameters().BackBufferWidth, 800u);  // a failed reset changes nothing
  EXPECT_EQ(device->Reset(&pp), D3D_OK);
  EXPECT_EQ(device->PresentParameters().BackBufferWidth, 960u);
  EXPECT_EQ(device->Calls().back().parameters.BackBufferWidth, 960u);

  // Every call of a kind, until told otherwise; a failed state call changes nothing.
  device->FailCalls(DeviceCall::SetRenderState, D3DERR_DEVICELOST);
  EXPECT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3DERR_DEVICELOST);
  EXPECT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3DERR_DEVICELOST);
  EXPECT_EQ(device->State().RenderState(D3DRS_CULLMODE), static_cast<uint32_t>(D3DCULL_CCW));
  EXPECT_EQ(device->Calls().back().result, D3DERR_DEVICELOST);
  device->ClearFailures();
  EXPECT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
  EXPECT_EQ(device->State().RenderState(D3DRS_CULLMODE), static_cast<uint32_t>(D3DCULL_NONE));
  EXPECT_EQ(device->Release(), 0u);
}

TEST(RecordingDeviceTest, ResetReturnsEveryStateToItsDefault) {
  d3d8::RecordingDevice* device = d3d8::RecordingDevice::Create();
  IDirect3DTexture8* texture = nullptr;
  device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
  device->SetTexture(0, texture);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  D3DPRESENT_PARAMETERS pp = device->PresentParameters();
  ASSERT_EQ(device->Reset(&pp), D3D_OK);
  EXPECT_EQ(device->State().RenderState(D3DRS_ALPHABLENDENABLE), 0u);
  EXPECT_EQ(device->State().RenderState(D3DRS_LIGHTING), 1u);
  EXPECT_EQ(device->State().textures[0], nullptr);
  EXPECT_EQ(texture->Release(), 0u);  // the device let go of it
  EXPECT_EQ(device->Release(), 0u);
}

TEST(RecordingDeviceTest, DirectThreeDChecksOfTheCallsMade) {
  d3d8::RecordingDevice* device = d3d8::RecordingDevice::Create();
  IDirect3DTexture8* texture = nullptr;
  // Render targets live in the default pool and are never compressed; levels within the
  // chain; states within their ranges; draws with a vertex format.
  EXPECT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                  D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_DXT1, D3DPOOL_DEFAULT,
                                  &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(300), 1), D3DERR_INVALIDCALL);
  const D3DVIEWPORT8 tooBig{0, 0, 801, 600, 0, 1};
  EXPECT_EQ(device->SetViewport(&tooBig), D3DERR_INVALIDCALL);
  const ScreenVertex vertex{};
  device->SetVertexShader(0);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &vertex, sizeof vertex), D3DERR_INVALIDCALL);
  device->SetVertexShader(kScreenFvf);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &vertex, 20), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, 0, &vertex, sizeof vertex), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);  // no scene begun

  // Locks: one at a time, inside the level, on block bounds for DXT.
  ASSERT_EQ(device->CreateTexture(8, 8, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &texture), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 4u);
  D3DLOCKED_RECT locked;
  const RECT unaligned{2, 0, 6, 4};
  EXPECT_EQ(texture->LockRect(0, &locked, &unaligned, 0), D3DERR_INVALIDCALL);
  const RECT block{4, 4, 8, 8};
  ASSERT_EQ(texture->LockRect(0, &locked, &block, 0), D3D_OK);
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(locked.Pitch, 32);
  texture->UnlockRect(0);
  EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
  texture->Release();
  EXPECT_EQ(device->Release(), 0u);
}

TEST(ReferenceCountTest, SurfacesShareTheTexturesCountAndBindingsHoldOne) {
  d3d8::RecordingDevice* device = d3d8::RecordingDevice::Create();
  IDirect3DTexture8* texture = nullptr;
  device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
  IDirect3DSurface8* surface = nullptr;
  texture->GetSurfaceLevel(0, &surface);
  EXPECT_EQ(texture->AddRef(), 3u);
  EXPECT_EQ(surface->Release(), 2u);
  device->SetTexture(1, texture);
  EXPECT_EQ(texture->Release(), 2u);
  IDirect3DBaseTexture8* bound = nullptr;
  device->GetTexture(1, &bound);
  EXPECT_EQ(bound, texture);
  bound->Release();
  device->SetTexture(1, nullptr);
  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(device->Release(), 0u);
}

TEST(RecordingDirect3DTest, DeviceCreationFailuresAndTheirFallbacks) {
  auto* direct3d = new d3d8::RecordingDirect3D();
  d3d8::SetDirect3DFactory([direct3d](uint32_t) {
    direct3d->AddRef();
    return direct3d;
  });
  IDirect3D8* created = Direct3DCreate8(D3D_SDK_VERSION);
  EXPECT_EQ(created, direct3d);
  EXPECT_EQ(Direct3DCreate8(120), nullptr);  // only the SDK version of Direct3D 8

  D3DADAPTER_IDENTIFIER8 id;
  ASSERT_EQ(created->GetAdapterIdentifier(0, 0, &id), D3D_OK);
  EXPECT_STREQ(id.Description, "Recording adapter");
  EXPECT_EQ(created->GetAdapterModeCount(0), 3u);
  EXPECT_EQ(created->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_UNKNOWN, 1), D3D_OK);
  direct3d->adapters[0].hardware = false;
  EXPECT_EQ(created->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_UNKNOWN, 1),
            D3DERR_NOTAVAILABLE);

  // Hardware vertex processing fails, mixed succeeds.
  direct3d->FailCalls(d3d8::Direct3DCall::CreateDevice, D3DERR_NOTAVAILABLE, 1);
  HWND__ window;
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 960;
  pp.BackBufferHeight = 600;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.hDeviceWindow = &window;
  pp.Windowed = 1;
  IDirect3DDevice8* device = nullptr;
  EXPECT_EQ(created->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                  &pp, &device),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(device, nullptr);
  ASSERT_EQ(created->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_MIXED_VERTEXPROCESSING,
                                  &pp, &device),
            D3D_OK);
  EXPECT_EQ(direct3d->LastDevice(), device);
  const auto& calls = direct3d->Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2].flags, D3DCREATE_HARDWARE_VERTEXPROCESSING);
  EXPECT_EQ(calls.back().flags, D3DCREATE_MIXED_VERTEXPROCESSING);
  IDirect3D8* owner = nullptr;
  ASSERT_EQ(device->GetDirect3D(&owner), D3D_OK);
  EXPECT_EQ(owner, created);
  owner->Release();

  direct3d->FailCalls(d3d8::Direct3DCall::GetDeviceCaps, D3DERR_INVALIDDEVICE, 1);
  D3DCAPS8 caps;
  EXPECT_EQ(created->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3DERR_INVALIDDEVICE);
  EXPECT_EQ(created->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_NE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);

  EXPECT_EQ(device->Release(), 0u);
  d3d8::SetDirect3DFactory(nullptr);
  created->Release();
  EXPECT_EQ(direct3d->Release(), 0u);
}

// What the OpenGL Direct3D object reports for the system report.
TEST(GlDirect3DTest, AdapterAndCapabilitiesComeFromOpenGl) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
  IDirect3D8* direct3d = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(direct3d, nullptr) << d3d8::LastErrorDetail();
  EXPECT_EQ(direct3d->GetAdapterCount(), 1u);
  D3DADAPTER_IDENTIFIER8 id;
  ASSERT_EQ(direct3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
  EXPECT_NE(std::string(id.Description), "");
  EXPECT_NE(std::string(id.Driver).find("OpenGL"), std::string::npos);
  EXPECT_GE(id.DriverVersion >> 48, 3u);  // GL major version in the high word
  D3DCAPS8 caps;
  ASSERT_EQ(direct3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_GE(caps.MaxTextureWidth, 2048u);
  EXPECT_EQ(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY, 0u);
  EXPECT_EQ(direct3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_UNKNOWN, 1), D3D_OK);
  // Compressed formats are read from files but not offered.
  EXPECT_EQ(direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE,
                                        D3DFMT_DXT5),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE,
                                        D3DFMT_A8),
            D3D_OK);
  EXPECT_EQ(direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET,
                                        D3DRTYPE_SURFACE, D3DFMT_DXT5),
            D3DERR_NOTAVAILABLE);
  D3DDISPLAYMODE mode;
  EXPECT_EQ(direct3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_GT(mode.Width, 0u);
  EXPECT_EQ(direct3d->Release(), 0u);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(SystemInfoTest, ProcessorsAndMemoryAreReported) {
  const d3d8::SystemInfo info = d3d8::QuerySystemInfo();
  EXPECT_GE(info.processorCount, 1u);
  EXPECT_FALSE(info.osName.empty());
  EXPECT_GT(info.memory.totalPhysical, 0u);
  EXPECT_LE(info.memory.availablePhysical, info.memory.totalPhysical);
  // The report's megabytes: rounded up to a multiple of 16.
  EXPECT_EQ(d3d8::ReportMegabytes(1), 16u);
  EXPECT_EQ(d3d8::ReportMegabytes(16u << 20), 16u);
  EXPECT_EQ(d3d8::ReportMegabytes((16u << 20) + 1), 32u);
}

}  // namespace
}  // namespace d3dtest
