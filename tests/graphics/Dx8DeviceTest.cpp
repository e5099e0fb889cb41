// The Direct3D 8 renderer's start, device, frame, device loss and screenshots, on the
// recording Direct3D object.

#include "platform/win32/Time.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {
namespace {

using d3d8::DeviceCall;
using d3d8::Direct3DCall;

class Dx8DeviceTest : public RecordingGraphicsTest {};

TEST_F(Dx8DeviceTest, InitWritesTheSystemReport) {
  LogCapture log;
  ASSERT_TRUE(graphics_->Init());
  EXPECT_TRUE(log.Contains("Initializing D3D8"));
  EXPECT_TRUE(log.Contains("D3D8 COM Object created"));
  EXPECT_TRUE(log.Contains("System has 1 devices"));
  EXPECT_TRUE(log.Contains(" - Description\t\t: Recording adapter"));
  EXPECT_TRUE(log.Contains(" - Driver Version\t: [1,1]"));
  EXPECT_TRUE(log.Contains(" - Device supports HAL"));
  EXPECT_TRUE(log.Contains(" - consider graphics card DX8 class."));
  EXPECT_TRUE(log.Contains(" - Max texture size : [4096x4096]"));
  EXPECT_TRUE(log.Contains(" - Pixel Shader 1.1 supported"));
  EXPECT_FALSE(log.Contains(" - Pixel Shader 1.2 supported"));
  EXPECT_TRUE(log.Contains(" - CPU Count  : "));
  EXPECT_TRUE(log.Contains(" MB"));
  EXPECT_TRUE(log.Contains("D3D8 Initialized successfully"));
  EXPECT_EQ(graphics_->cardClass, 2);
  EXPECT_FALSE(graphics_->SquareTexturesOnly());
  EXPECT_FALSE(graphics_->Prefer16Bit());
  // Every qualifying mode once per format: three modes, five formats.
  EXPECT_EQ(log.Count(" - [640 x 480 x 16] @ 60(D3DFMT_A1R5G5B5)"), 1u);
  EXPECT_EQ(log.Count(" - [1024 x 768 x 32] @ 60(D3DFMT_X8R8G8B8)"), 1u);
  EXPECT_EQ(log.Count(" - [800 x 600 x "), 5u);
  EXPECT_EQ(log.Count(" - ["), 15u);
}

TEST_F(Dx8DeviceTest, ReportClassesTheCardAndFiltersModes) {
  configure_ = [](d3d8::RecordingDirect3D* d3d) {
    d3d8::RecordingDirect3D::Adapter& adapter = d3d->adapters[0];
    adapter.caps.DevCaps &= ~D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    adapter.caps.MaxTextureAspectRatio = 1;
    adapter.hardware = false;
    adapter.modes = {D3DDISPLAYMODE{640, 480, 59, D3DFMT_X8R8G8B8},
                     D3DDISPLAYMODE{600, 480, 60, D3DFMT_X8R8G8B8}};
  };
  LogCapture log;
  ASSERT_TRUE(graphics_->Init());
  EXPECT_EQ(graphics_->cardClass, 0);
  EXPECT_TRUE(log.Contains(" - consider graphics card DX6 class."));
  EXPECT_FALSE(log.Contains(" - Device supports HAL"));
  EXPECT_EQ(graphics_->Adapter(), 0u);
  EXPECT_TRUE(graphics_->SquareTexturesOnly());
  EXPECT_EQ(log.Count(" - ["), 0u);
  // No mode qualifies: the list tells nothing, and the desktop (32 bits) decides.
  EXPECT_FALSE(graphics_->Prefer16Bit());
}

TEST_F(Dx8DeviceTest, InitFailsWithoutDirect3D) {
  d3d8::SetDirect3DFactory([](uint32_t) -> IDirect3D8* { return nullptr; });
  LogCapture log;
  EXPECT_FALSE(graphics_->Init());
  EXPECT_TRUE(log.Contains("Unable to co-initialise D3D.. "));
  EXPECT_TRUE(log.Contains("Unable to start DX8.. .is it installed ?"));
}

// No adapter gives its capabilities: the start fails (the application then ends through
// its failed-start path) instead of the process exiting from inside the renderer.
TEST_F(Dx8DeviceTest, InitFailsWhenNoAdapterGivesCapabilities) {
  configure_ = [](d3d8::RecordingDirect3D* d3d) {
    d3d->FailCalls(Direct3DCall::GetDeviceCaps, D3DERR_NOTAVAILABLE);
  };
  LogCapture log;
  EXPECT_FALSE(graphics_->Init());
  EXPECT_TRUE(log.Contains("Unable to retrieve graphics card capabilities"));
  EXPECT_TRUE(log.Contains("Can't find a valid adaptor!"));
  EXPECT_TRUE(log.Contains("DX Error: D3DERR_NOTAVAILABLE"));
  EXPECT_FALSE(log.Contains("D3D8 Initialized successfully"));
}

TEST_F(Dx8DeviceTest, DeviceCreationFallsBackToSoftwareVertexProcessing) {
  configure_ = [](d3d8::RecordingDirect3D* d3d) {
    d3d->FailCalls(Direct3DCall::CreateDevice, D3DERR_NOTAVAILABLE, 2);
  };
  LogCapture log;
  ASSERT_TRUE(StartDevice());
  std::vector<uint32_t> flags;
  for (const auto& call : direct3d_->Calls()) {
    if (call.call == Direct3DCall::CreateDevice) flags.push_back(call.flags);
  }
  EXPECT_EQ(flags, (std::vector<uint32_t>{D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                          D3DCREATE_MIXED_VERTEXPROCESSING,
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING}));
  EXPECT_TRUE(log.Contains("Trying to initialize mixed-mode HWTL card"));
  EXPECT_TRUE(log.Contains("Unable to create 3D Device"));
  EXPECT_TRUE(log.Contains("Initialized D3D Software T&L!"));
  EXPECT_EQ(graphics_->width, 800);
  EXPECT_FALSE(graphics_->DeviceLost());
  // The new device was cleared to black in a first frame.
  const auto clears = Device()->CallsOf(DeviceCall::Clear);
  ASSERT_EQ(clears.size(), 1u);
  EXPECT_EQ(clears[0]->color, 0u);
  EXPECT_EQ(graphics_->frameCount, 1u);
}

TEST_F(Dx8DeviceTest, DeviceCreationFailsWhenEveryKindFails) {
  configure_ = [](d3d8::RecordingDirect3D* d3d) {
    d3d->FailCalls(Direct3DCall::CreateDevice, D3DERR_NOTAVAILABLE);
  };
  ASSERT_TRUE(graphics_->Init());
  EXPECT_FALSE(graphics_->CreateDevice(800, 600, false, false));
  EXPECT_EQ(graphics_->Device(), nullptr);
  EXPECT_FALSE(graphics_->BeginFrame());
}

TEST_F(Dx8DeviceTest, PresentParametersForEachMode) {
  ASSERT_TRUE(StartDevice(800, 600, false));
  EXPECT_EQ(graphics_->PresentParameters().Windowed, 1);
  EXPECT_TRUE(graphics_->windowed);

  ASSERT_TRUE(graphics_->CreateDevice(800, 600, true, false));
  EXPECT_EQ(graphics_->PresentParameters().Windowed, 0);
  EXPECT_EQ(graphics_->PresentParameters().FullScreen_PresentationInterval,
            D3DPRESENT_INTERVAL_ONE);

  // Wide: full screen runs a windowed 960 x 600 back buffer.
  screen::g_wideScreen = true;
  uint32_t w = 0, h = 0;
  graphics_->DetectWidescreen(w, h);
  EXPECT_EQ(w, 960u);
  EXPECT_EQ(h, 600u);
  ASSERT_TRUE(graphics_->CreateDevice(w, h, true, false));
  EXPECT_EQ(graphics_->PresentParameters().Windowed, 1);
  EXPECT_EQ(graphics_->PresentParameters().BackBufferWidth, 960u);
  EXPECT_FALSE(graphics_->windowed);
  EXPECT_EQ(graphics_->width, 800);  // the play area stays 800 x 600
}

TEST_F(Dx8DeviceTest, FrameOffsetsAndViewport) {
  ASSERT_TRUE(StartDevice(800, 600, false));
  graphics_->storedOffsetX = 80;
  ASSERT_TRUE(graphics_->BeginFrame());
  EXPECT_EQ(screen::g_offsetX, 0);  // windowed: whatever is stored
  EXPECT_EQ(Device()->State().viewport.Width, 800u);
  graphics_->EndFrame();

  screen::g_wideScreen = true;
  ASSERT_TRUE(graphics_->CreateDevice(960, 600, true, false));
  Device()->ClearCalls();
  ASSERT_TRUE(graphics_->BeginFrame());
  EXPECT_EQ(screen::g_offsetX, 80);
  EXPECT_EQ(screen::g_offsetY, 0);
  EXPECT_EQ(Device()->State().viewport.Width, 960u);
  EXPECT_EQ(Device()->State().viewport.Height, 600u);
  graphics_->EndFrame();
  // The bars: two rectangles of 80 x 600, black, untextured.
  const auto draws = Device()->CallsOf(DeviceCall::DrawPrimitiveUP);
  ASSERT_EQ(draws.size(), 1u);
  const std::vector<ScreenVertex> bars = draws[0]->VerticesAs<ScreenVertex>();
  ASSERT_EQ(bars.size(), 12u);
  EXPECT_EQ(draws[0]->state->textures[0], nullptr);
  EXPECT_FLOAT_EQ(bars[1].x, 80);
  EXPECT_FLOAT_EQ(bars[2].y, 600);
  EXPECT_FLOAT_EQ(bars[6].x, 880);
  EXPECT_FLOAT_EQ(bars[7].x, 960);
  for (const ScreenVertex& v : bars) EXPECT_EQ(v.color, 0xFF000000u);
}

TEST_F(Dx8DeviceTest, NoBordersWithoutOffsets) {
  ASSERT_TRUE(StartDevice());
  ASSERT_TRUE(graphics_->BeginFrame());
  Device()->ClearCalls();
  graphics_->EndFrame();
  EXPECT_EQ(Device()->CountOf(DeviceCall::DrawPrimitiveUP), 0u);
  EXPECT_EQ(Device()->CountOf(DeviceCall::SetTexture), 0u);
}

TEST_F(Dx8DeviceTest, ResetDeviceSucceedsAtOnce) {
  ASSERT_TRUE(StartDevice());
  win32::FakeSleeper sleeper;
  EXPECT_TRUE(graphics_->ResetDevice(800, 600, false));
  EXPECT_FALSE(graphics_->DeviceLost());
  EXPECT_EQ(sleeper.Calls(), (std::vector<uint32_t>{100}));
  EXPECT_EQ(graphics_->width, 800);
}

TEST_F(Dx8DeviceTest, ResetDeviceGivesUpAfterTwentyRetries) {
  ASSERT_TRUE(StartDevice());
  win32::FakeSleeper sleeper;
  Device()->FailCalls(DeviceCall::Reset, D3DERR_DEVICELOST);
  Device()->FailCalls(DeviceCall::TestCooperativeLevel, D3DERR_DEVICENOTRESET);
  LogCapture log;
  EXPECT_FALSE(graphics_->ResetDevice(800, 600, false));
  EXPECT_TRUE(graphics_->DeviceLost());
  EXPECT_EQ(Device()->CountOf(DeviceCall::Reset), 21u);
  const std::vector<uint32_t> sleeps = sleeper.Calls();
  ASSERT_EQ(sleeps.size(), 21u);  // 100 ms, then 20 x 50 ms: about a second
  EXPECT_EQ(sleeps[1], 50u);
  EXPECT_EQ(log.Count("\t\tFailed to reinialize driver!"), 20u);
  EXPECT_TRUE(log.Contains("Unable to reset 3D Device.. try with delay [D3DERR_DEVICELOST]"));
  // Nothing is drawn while lost; each frame asks for a reset.
  Device()->ClearCalls();
  EXPECT_FALSE(graphics_->BeginFrame());
  EXPECT_EQ(Device()->CountOf(DeviceCall::BeginScene), 0u);
  EXPECT_GT(Device()->CountOf(DeviceCall::Reset), 0u);
  graphics_->SetViewport(Viewport{0, 0, 10, 10, 0, 1});
  EXPECT_EQ(Device()->CountOf(DeviceCall::SetViewport), 0u);
}

TEST_F(Dx8DeviceTest, ResetDeviceRecoversOnARetry) {
  ASSERT_TRUE(StartDevice());
  win32::FakeSleeper sleeper;
  Device()->FailCalls(DeviceCall::Reset, D3DERR_DEVICELOST, 3);
  Device()->FailCalls(DeviceCall::TestCooperativeLevel, D3DERR_DEVICENOTRESET);
  LogCapture log;
  EXPECT_TRUE(graphics_->ResetDevice(800, 600, false));
  EXPECT_FALSE(graphics_->DeviceLost());
  EXPECT_EQ(log.Count("\t\tFailed to reinialize driver!"), 2u);
  EXPECT_EQ(log.Count("\t\tDriver successfully initalized!"), 1u);
}

// A device that stays lost is not reported as reset: only a device that answers D3D_OK
// counts as usable again.
TEST_F(Dx8DeviceTest, ADeviceThatStaysLostIsNoSuccess) {
  ASSERT_TRUE(StartDevice());
  win32::FakeSleeper sleeper;
  Device()->FailCalls(DeviceCall::Reset, D3DERR_DEVICELOST, 1);
  Device()->FailCalls(DeviceCall::TestCooperativeLevel, D3DERR_DEVICELOST);
  LogCapture log;
  EXPECT_FALSE(graphics_->ResetDevice(800, 600, false));
  EXPECT_TRUE(graphics_->DeviceLost());
  EXPECT_FALSE(log.Contains("Device reset!"));

  // Once the device answers again it is usable.
  Device()->ClearFailures();
  Device()->FailCalls(DeviceCall::Reset, D3DERR_DEVICELOST, 1);
  EXPECT_TRUE(graphics_->ResetDevice(800, 600, false));
  EXPECT_TRUE(log.Contains("\t\tDevice reset!"));
}

TEST_F(Dx8DeviceTest, PresentOnALostDeviceResetsAndDoesNotIgnoreAFailure) {
  ASSERT_TRUE(StartDevice());
  win32::FakeSleeper sleeper;
  Device()->FailCalls(DeviceCall::Present, D3DERR_DEVICELOST, 1);
  Device()->FailCalls(DeviceCall::Reset, D3DERR_DEVICELOST, 1);
  EXPECT_TRUE(graphics_->Present());
  EXPECT_EQ(sleeper.Calls(), (std::vector<uint32_t>{100}));
  EXPECT_TRUE(graphics_->DeviceLost());
  // The next frame is skipped and resets with the size the device was made with.
  EXPECT_FALSE(graphics_->BeginFrame());
  const auto resets = Device()->CallsOf(DeviceCall::Reset);
  EXPECT_EQ(resets.back()->parameters.BackBufferWidth, 800u);
  EXPECT_FALSE(graphics_->DeviceLost());
  EXPECT_TRUE(graphics_->BeginFrame());
  graphics_->EndFrame();

  // A successful reset in Present needs nothing further.
  Device()->FailCalls(DeviceCall::Present, D3DERR_DEVICELOST, 1);
  EXPECT_TRUE(graphics_->Present());
  EXPECT_FALSE(graphics_->DeviceLost());
}

TEST_F(Dx8DeviceTest, LostDeviceResetsWithTheWideBackBuffer) {
  screen::g_wideScreen = true;
  ASSERT_TRUE(StartDevice(960, 600, true));
  win32::FakeSleeper sleeper;
  Device()->FailCalls(DeviceCall::BeginScene, D3DERR_DEVICELOST, 1);
  EXPECT_FALSE(graphics_->BeginFrame());
  EXPECT_TRUE(graphics_->DeviceLost());
  EXPECT_FALSE(graphics_->BeginFrame());
  const auto resets = Device()->CallsOf(DeviceCall::Reset);
  ASSERT_FALSE(resets.empty());
  EXPECT_EQ(resets.back()->parameters.BackBufferWidth, 960u);
  EXPECT_TRUE(graphics_->BeginFrame());
  EXPECT_EQ(screen::g_offsetX, 0);  // stored offsets were never set in this test
}

TEST_F(Dx8DeviceTest, ScreenshotWritesTheBackBuffer) {
  ASSERT_TRUE(StartDevice());
  const std::string name = testenv::MakeTempDir("shot") + "/shot001";
  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(0xFF336699, 0, 0, true, false, false);
  graphics_->TakeScreenshot(name, false);
  LogCapture log;
  graphics_->EndFrame();
  EXPECT_TRUE(graphics_->screenshotName.empty());
  EXPECT_TRUE(log.Contains("Saving screenshot at " + name + ".bmp"));
  Bitmap bitmap;
  ASSERT_TRUE(bitmap.Load(name + ".bmp"));
  EXPECT_EQ(bitmap.width, 800);
  EXPECT_EQ(bitmap.height, 600);
  EXPECT_EQ(bitmap.At(0, 0), 0xFF336699u);
  EXPECT_EQ(bitmap.At(799, 599), 0xFF336699u);
}

TEST_F(Dx8DeviceTest, AFailingScreenshotIsRetriedABoundedNumberOfTimes) {
  ASSERT_TRUE(StartDevice());
  const std::string folder = testenv::MakeTempDir("shot");

  // Two failed frames, then the third writes it.
  Device()->FailCalls(DeviceCall::GetBackBuffer, D3DERR_INVALIDCALL, 2);
  graphics_->TakeScreenshot(folder + "/late", false);
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_TRUE(graphics_->BeginFrame());
    graphics_->EndFrame();
    EXPECT_EQ(graphics_->screenshotName.empty(), frame == 2) << frame;
  }
  EXPECT_TRUE(testenv::FileExists(folder + "/late.bmp"));

  // One that can never be written (its folder does not exist) is dropped.
  LogCapture log;
  graphics_->TakeScreenshot(folder + "/missing/never", true);
  for (uint32_t frame = 0; frame < Dx8Graphics::kScreenshotAttempts + 3; ++frame) {
    ASSERT_TRUE(graphics_->BeginFrame());
    graphics_->EndFrame();
  }
  EXPECT_TRUE(graphics_->screenshotName.empty());
  EXPECT_EQ(log.Count("Saving screenshot at"), Dx8Graphics::kScreenshotAttempts);
  EXPECT_EQ(log.Count("dropped after"), 1u);
}

TEST_F(Dx8DeviceTest, HalfSizeScreenshotOfTheWideBackBuffer) {
  screen::g_wideScreen = true;
  ASSERT_TRUE(StartDevice(960, 600, true));
  const std::string name = testenv::MakeTempDir("shot") + "/half";
  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(0xFFFFFFFF, 0, 0, true, false, false);
  graphics_->TakeScreenshot(name, true);
  graphics_->EndFrame();
  Bitmap bitmap;
  ASSERT_TRUE(bitmap.Load(name + ".bmp"));
  EXPECT_EQ(bitmap.width, 480);
  EXPECT_EQ(bitmap.height, 300);
  EXPECT_TRUE(graphics_->screenshotHalfSize);  // the flag keeps its value
}

}  // namespace
}  // namespace gfxtest
