// Movie images: the frame arithmetic and texture upload on a fake decoder, and real AVI
// files (made here with FFmpeg) through the Video for Windows path, on the recording
// device and drawn on OpenGL.

#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/MemoryManager.h"
#include "engine/graphics/AviImage.h"
#include "engine/graphics/dx8/Dx8AviImage.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/FakeMovieDecoder.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/platform/d3d8/SurfacePixels.h"
#include "tests/platform/vfw/AviWriter.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {
namespace {

using d3dtest::ReadTexture;

// What the texture shows of the fake movie's frame n at (x, y).
uint32_t FakeTexel(int32_t frame, int32_t x, int32_t y) {
  return 0xFF000000u | FakeMovieDecoder::Pixel(frame, x, y);
}

class MovieTest : public RecordingGraphicsTest {
 protected:
  void SetUp() override {
    RecordingGraphicsTest::SetUp();
    ASSERT_TRUE(StartDevice());
    // The fake decoder reads nothing, but the movie's name must still name a file.
    folder_ = testenv::MakeTempDir("movie");
    clip_ = folder_ + "/clip.avi";
    ASSERT_TRUE(testenv::WriteFile(clip_, "fake"));
  }

  // A movie on a fake decoder, loaded from clip_; record_ is what the decoder saw.
  std::unique_ptr<Dx8AviImage> Make(FakeMovieDecoder::Movie movie, bool expectLoaded = true) {
    auto decoder = std::make_unique<FakeMovieDecoder>(std::move(movie));
    record_ = decoder->record();
    auto image = std::make_unique<Dx8AviImage>(std::move(decoder));
    EXPECT_EQ(image->Load(clip_), expectLoaded);
    return image;
  }
  float FrameSeconds(const AviImage& movie) const {
    return static_cast<float>(movie.MillisecondsPerFrame()) * 0.001f;
  }

  std::string folder_;
  std::string clip_;
  std::shared_ptr<FakeMovieDecoder::Record> record_;
};

TEST_F(MovieTest, LoadOpensTheMovieAtFrameZeroWithABlackTexture) {
  auto movie = Make({});
  EXPECT_TRUE(movie->IsPlaying());
  EXPECT_EQ(movie->name, clip_);
  EXPECT_EQ(record_->openedPath, clip_);
  EXPECT_EQ(movie->width, 4u);
  EXPECT_EQ(movie->height, 3u);
  EXPECT_EQ(movie->FrameCount(), 10);
  EXPECT_EQ(movie->MillisecondsPerFrame(), 100);
  EXPECT_FLOAT_EQ(movie->TimeToNextFrame(), 0.1f);
  EXPECT_EQ(movie->currentFrame, 0);
  EXPECT_TRUE(movie->looping);
  EXPECT_FALSE(movie->paused);
  EXPECT_TRUE(record_->drawn.empty());  // frame 0 is not decoded at the start

  const auto created = Device()->CallsOf(d3d8::DeviceCall::CreateTexture);
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0]->width, 4u);
  EXPECT_EQ(created[0]->height, 3u);
  EXPECT_EQ(created[0]->levels, 1u);
  EXPECT_EQ(created[0]->usage, D3DUSAGE_DYNAMIC);
  EXPECT_EQ(created[0]->format, D3DFMT_R8G8B8);
  EXPECT_EQ(created[0]->pool, D3DPOOL_DEFAULT);
  for (uint32_t texel : ReadTexture(movie->Texture())) EXPECT_EQ(texel, 0xFF000000u);

  // A movie is no surface image, and reports its kind.
  EXPECT_EQ(movie->GetSurface(), nullptr);
  EXPECT_EQ(movie->GetType(), AviImage::kType);
  EXPECT_EQ(AviImage::kType, uint32_t('a') << 16 | uint32_t('v') << 8 | uint32_t('i'));
}

// Steps of a fixed frame time: the frame shown after each step, whether the step reported
// the end, and the frames decoded.
TEST_F(MovieTest, FrameArithmetic) {
  struct Case {
    const char* what;
    int32_t frames;
    int32_t totalMilliseconds;
    bool looping;
    float step;  // seconds; 0: exactly one frame time
    std::vector<int32_t> shown;
    std::vector<bool> ended;
    std::vector<int32_t> decoded;
  };
  const Case cases[] = {
      {"steps of 0.22 s hold the last frame and report the end on every later step",
       10, 1000, false, 0.22f,
       {2, 4, 6, 8, 9, 9, 9},
       {false, false, false, false, true, true, true},
       {2, 4, 6, 8, 9, 9, 9}},
      {"a looping movie wraps to frame 0 in the step that passes the end, once a pass",
       4, 400, true, 0.0f,
       {1, 2, 3, 0, 1, 2, 3, 0},
       {false, false, false, true, false, false, false, true},
       {1, 2, 3, 0, 1, 2, 3, 0}},
      {"a long step skips the frames in between and decodes only the last",
       10, 300, false, 0.08f,
       {2, 5},
       {false, false},
       {2, 5}},
      {"a long step past the end of a movie that does not loop stops on the last frame",
       5, 150, false, 0.2f,
       {4},
       {true},
       {4}},
      {"a long step past the end of a looping movie goes on from frame 0",
       5, 150, true, 0.2f,
       {1},
       {true},
       {1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeMovieDecoder::Movie spec;
    spec.frames = c.frames;
    spec.totalMilliseconds = c.totalMilliseconds;
    auto movie = Make(spec);
    movie->looping = c.looping;
    const float step = c.step > 0 ? c.step : FrameSeconds(*movie);
    std::vector<int32_t> shown;
    std::vector<bool> ended;
    for (size_t i = 0; i < c.shown.size(); ++i) {
      ended.push_back(movie->Advance(step));
      shown.push_back(movie->currentFrame);
    }
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(ended, c.ended);
    EXPECT_EQ(record_->drawn, c.decoded);
  }
}

TEST_F(MovieTest, APausedMovieNeitherAdvancesNorCountsTime) {
  auto movie = Make({});
  movie->looping = false;
  EXPECT_FALSE(movie->Advance(0.23f));  // 0.1 - 0.23: frames 1 and 2, 0.07 s left
  EXPECT_EQ(movie->currentFrame, 2);
  movie->paused = true;
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(movie->Advance(1.0f));
  EXPECT_EQ(movie->currentFrame, 2);
  EXPECT_NEAR(movie->TimeToNextFrame(), 0.07f, 1e-5f);
  EXPECT_EQ(record_->drawn, (std::vector<int32_t>{2}));

  movie->paused = false;
  movie->Advance(0.05f);
  EXPECT_EQ(movie->currentFrame, 2);  // the paused second did not count
  movie->Advance(0.05f);
  EXPECT_EQ(movie->currentFrame, 3);

  movie->currentFrame = 0;  // the owner rewinds: the next frame shown is 1
  movie->Advance(0.1f);
  EXPECT_EQ(movie->currentFrame, 1);
}

TEST_F(MovieTest, AFrameThatCannotBeDecodedPausesTheMovie) {
  FakeMovieDecoder::Movie spec;
  spec.badFrames = {3};
  auto movie = Make(spec);
  const float step = FrameSeconds(*movie);
  movie->Advance(step);
  movie->Advance(step);
  LogCapture log;
  EXPECT_FALSE(movie->Advance(step));
  EXPECT_TRUE(movie->paused);
  EXPECT_TRUE(log.Contains("Illegal AVI frame found.. pausing movie  [MSG_WARNING]")) << log.All();
  // The texture keeps frame 2.
  EXPECT_EQ(ReadTexture(movie->Texture())[0], FakeTexel(2, 0, 0));
  EXPECT_FALSE(movie->Advance(step));  // stays paused until the owner clears the flag
  EXPECT_EQ(log.Count("Illegal AVI frame"), 1u);

  movie->paused = false;
  movie->Advance(step);
  EXPECT_EQ(movie->currentFrame, 4);
  EXPECT_EQ(record_->drawn, (std::vector<int32_t>{1, 2, 3, 4}));
}

// A frame time that rounds to 0 ms (a movie above 1000 frames a second) counts as 1 ms:
// a step then ends instead of stepping frames for ever.
TEST_F(MovieTest, AFrameTimeBelowOneMillisecondCountsAsOne) {
  FakeMovieDecoder::Movie spec;
  spec.frames = 10;
  spec.totalMilliseconds = 5;
  auto movie = Make(spec);
  EXPECT_EQ(movie->MillisecondsPerFrame(), 1);
  movie->looping = false;
  EXPECT_TRUE(movie->Advance(0.1f));
  EXPECT_EQ(movie->currentFrame, 9);
  EXPECT_FALSE(movie->Advance(std::numeric_limits<float>::quiet_NaN()));
  EXPECT_EQ(movie->currentFrame, 9);
}

TEST_F(MovieTest, FramesReachTheTextureTopRowFirstInItsFormat) {
  FakeMovieDecoder::Movie spec;
  spec.width = 5;  // 15-byte rows in the 24-bit texture against 20 in the bitmap
  spec.height = 3;
  auto movie = Make(spec);
  movie->Advance(0.23f);
  ASSERT_EQ(movie->currentFrame, 2);
  D3DSURFACE_DESC desc{};
  movie->Texture()->GetLevelDesc(0, &desc);
  const std::vector<uint32_t> texels = ReadTexture(movie->Texture());
  EXPECT_EQ(desc.Format, D3DFMT_R8G8B8);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 5; ++x) {
      EXPECT_EQ(texels[y * 5 + x], FakeTexel(2, x, y)) << x << ", " << y;
    }
  }
}

TEST_F(MovieTest, BindTextureSetsTheFrameTexture) {
  auto movie = Make({});
  Device()->ClearCalls();
  EXPECT_TRUE(movie->BindTexture(1));
  const auto bound = Device()->CallsOf(d3d8::DeviceCall::SetTexture);
  ASSERT_EQ(bound.size(), 1u);
  EXPECT_EQ(bound[0]->stage, 1u);
  EXPECT_EQ(bound[0]->texture, movie->Texture());

  // The renderer's image bind reaches surfaces only: nothing for a movie.
  Device()->ClearCalls();
  EXPECT_TRUE(movie->SetTexture(0));
  EXPECT_EQ(Device()->CountOf(d3d8::DeviceCall::SetTexture), 0u);
}

// Movies in the renderer's list lose their textures before a device reset and get them
// back afterwards, filled with the frame they showed (a paused movie shows it at once).
TEST_F(MovieTest, TexturesAreReleasedAndRestoredAroundAReset) {
  AviImage* movie = Make({}).release();
  auto* dx8Movie = static_cast<Dx8AviImage*>(movie);
  graphics_->movies.push_back(movie);
  movie->Advance(0.23f);
  movie->paused = true;

  graphics_->ReleaseResources();
  EXPECT_EQ(dx8Movie->Texture(), nullptr);
  Device()->ClearCalls();
  EXPECT_TRUE(movie->BindTexture(0));
  EXPECT_EQ(Device()->CountOf(d3d8::DeviceCall::SetTexture), 0u);

  graphics_->RestoreResources();
  ASSERT_NE(dx8Movie->Texture(), nullptr);
  EXPECT_EQ(ReadTexture(dx8Movie->Texture())[4 + 1], FakeTexel(2, 1, 1));
  EXPECT_EQ(record_->drawn, (std::vector<int32_t>{2}));  // not decoded again

  graphics_->DestroyMovie(movie);
  EXPECT_TRUE(graphics_->movies.empty());
}

TEST_F(MovieTest, LoadFailuresLogAndLeaveAClosedMovie) {
  struct Case {
    const char* what;
    std::string name;  // "" : clip_
    FakeMovieDecoder::Movie movie;
    const char* logged;
  };
  FakeMovieDecoder::Movie noStream;
  noStream.streamOpens = false;
  FakeMovieDecoder::Movie noFrames;
  noFrames.frames = 0;
  FakeMovieDecoder::Movie noPicture;
  noPicture.width = 0;
  FakeMovieDecoder::Movie noDecoder;
  noDecoder.framesOpen = false;
  const std::string missing = folder_ + "/missing.avi";
  const Case cases[] = {
      {"a file that is not there", missing, {}, "Unable to find AVI "},
      {"no name", "-", {}, "Unable to find AVI   [MSG_WARNING]"},
      {"a file that is no movie", "", noStream, "Unable to load Video "},
      {"a stream without frames", "", noFrames, "Unable to load Video "},
      {"a stream without a picture", "", noPicture, "Unable to load Video "},
      {"frames that cannot be decoded", "", noDecoder, "Unable to open frame from "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = c.name == "-" ? "" : c.name.empty() ? clip_ : c.name;
    auto decoder = std::make_unique<FakeMovieDecoder>(c.movie);
    auto record = decoder->record();
    Dx8AviImage movie(std::move(decoder));
    LogCapture log;
    Device()->ClearCalls();
    EXPECT_FALSE(movie.Load(name));
    EXPECT_TRUE(log.Contains(std::string(c.logged) + name)) << log.All();
    EXPECT_FALSE(movie.IsPlaying());
    EXPECT_FALSE(record->open);
    EXPECT_EQ(movie.Texture(), nullptr);
    EXPECT_EQ(Device()->CountOf(d3d8::DeviceCall::CreateTexture), 0u);
    EXPECT_FALSE(movie.Update());
    EXPECT_FALSE(movie.Advance(1.0f));
    EXPECT_TRUE(record->drawn.empty());
    movie.RestoreTexture();  // a movie that never opened gets no texture
    EXPECT_EQ(movie.Texture(), nullptr);
  }
}

TEST_F(MovieTest, ATextureThatCannotBeMadeClosesTheMovie) {
  Device()->FailCalls(d3d8::DeviceCall::CreateTexture, D3DERR_OUTOFVIDEOMEMORY);
  LogCapture log;
  auto movie = Make({}, false);
  EXPECT_TRUE(log.Contains("Unable to create a 4 x 3 texture surface for the AVI file  [MSG_ERROR]"))
      << log.All();
  EXPECT_FALSE(record_->open);
  EXPECT_FALSE(movie->IsPlaying());
  EXPECT_EQ(movie->Texture(), nullptr);
  EXPECT_FALSE(movie->Advance(1.0f));
  EXPECT_TRUE(record_->drawn.empty());
}

// ---- Real AVI files through Video for Windows --------------------------------------------

constexpr int kWidth = 32;
constexpr int kHeight = 16;

// Each frame has four quarters of different colours (left/right, top/bottom), so that the
// frame, row and column order all show in the pixels.
uint32_t QuarterColour(int frame, int x, int y) {
  static const uint32_t kPalette[] = {0xE02010, 0x10C030, 0x2040E0, 0xE0E020, 0x20E0E0,
                                      0xE020E0, 0x808080, 0xF0A060, 0x60A0F0, 0x406020};
  const int quarter = (y < kHeight / 2 ? 0 : 2) + (x < kWidth / 2 ? 0 : 1);
  return kPalette[(frame * 3 + quarter) % 10];
}

std::string WriteMovie(const std::string& path, const char* codec, int frames = 6) {
  AviSpec spec;
  spec.codec = codec;
  spec.width = kWidth;
  spec.height = kHeight;
  spec.frames = frames;
  spec.rate = 10;
  spec.pixel = QuarterColour;
  EXPECT_TRUE(WriteAvi(path, spec)) << path;
  return path;
}

// The four quarters of frame n in a picture read by `at` (0xAARRGGBB), at points away
// from the quarters' edges, where lossy codecs blur.
void ExpectQuarters(int frame, int tolerance, int originX, int originY,
                    const std::function<uint32_t(int, int)>& at) {
  const int xs[] = {4, kWidth - 5};
  const int ys[] = {3, kHeight - 4};
  for (int y : ys) {
    for (int x : xs) {
      EXPECT_TRUE(ColorNear(at(originX + x, originY + y) | 0xFF000000u,
                            0xFF000000u | QuarterColour(frame, x, y), tolerance))
          << "frame " << frame << " at " << x << ", " << y;
    }
  }
}

class RealMovieTest : public RecordingGraphicsTest {
 protected:
  void SetUp() override {
    RecordingGraphicsTest::SetUp();
    ASSERT_TRUE(StartDevice());
    folder_ = testenv::MakeTempDir("avi");
  }
  std::string folder_;
};

TEST_F(RealMovieTest, LoadMovieDecodesFramesIntoTheTexture) {
  struct Case {
    const char* codec;
    int tolerance;
  };
  const Case cases[] = {{"rawvideo", 0}, {"mjpeg", 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codec);
    const std::string folder = testenv::MakeTempDir("clips");
    std::filesystem::create_directories(folder + "/Intro");
    WriteMovie(folder + "/Intro/" + c.codec + ".avi", c.codec);
    // Found on the disk by the name as a script would give it.
    const std::string name = folder + "\\intro\\" + c.codec + ".AVI";
    AviImage* movie = graphics_->LoadMovie(name);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(graphics_->movies, (std::vector<AviImage*>{movie}));
    ASSERT_TRUE(movie->IsPlaying());
    EXPECT_EQ(movie->name, name);
    EXPECT_EQ(movie->width, uint32_t(kWidth));
    EXPECT_EQ(movie->height, uint32_t(kHeight));
    EXPECT_EQ(movie->FrameCount(), 6);
    EXPECT_EQ(movie->MillisecondsPerFrame(), 100);
    auto* texture = static_cast<Dx8AviImage*>(movie)->Texture();
    ASSERT_NE(texture, nullptr);

    const float step = static_cast<float>(movie->MillisecondsPerFrame()) * 0.001f;
    for (int frame = 1; frame <= 6; ++frame) {
      const bool ended = movie->Advance(step);
      const int expected = frame % 6;  // looping: the sixth step wraps to frame 0
      ASSERT_EQ(movie->currentFrame, expected);
      EXPECT_EQ(ended, expected == 0);
      const std::vector<uint32_t> texels = ReadTexture(texture);
      ExpectQuarters(expected, c.tolerance, 0, 0,
                     [&](int x, int y) { return texels[y * kWidth + x]; });
    }
    graphics_->DestroyMovie(movie);
    EXPECT_TRUE(graphics_->movies.empty());
  }
}

TEST_F(RealMovieTest, MissingAndBrokenFilesFailCleanly) {
  testenv::WriteFile(folder_ + "/garbage.avi", std::string("RIFF\x10\0\0\0AVI garbage here", 24));
  ASSERT_TRUE(WriteAudioOnlyAvi(folder_ + "/sound.avi"));
  struct Case {
    const char* file;
    const char* logged;
  };
  const Case cases[] = {
      {"nothing.avi", "Unable to find AVI "},
      {"garbage.avi", "Unable to load Video "},
      {"sound.avi", "Unable to load Video "},  // no video stream
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string name = folder_ + "/" + c.file;
    LogCapture log;
    AviImage* movie = graphics_->LoadMovie(name);
    ASSERT_NE(movie, nullptr);  // kept in the list whatever the load gave
    EXPECT_EQ(graphics_->movies, (std::vector<AviImage*>{movie}));
    EXPECT_TRUE(log.Contains(std::string(c.logged) + name)) << log.All();
    EXPECT_FALSE(movie->IsPlaying());
    EXPECT_FALSE(movie->Advance(1.0f));
    Device()->ClearCalls();
    movie->BindTexture(0);
    EXPECT_EQ(Device()->CountOf(d3d8::DeviceCall::SetTexture), 0u);
    graphics_->ReleaseResources();
    graphics_->RestoreResources();
    EXPECT_EQ(Device()->CountOf(d3d8::DeviceCall::CreateTexture), 0u);
    graphics_->DestroyMovie(movie);

    // LoadImage deletes a movie that does not load.
    log.Clear();
    EXPECT_EQ(graphics_->LoadImage(name), nullptr);
    EXPECT_TRUE(log.Contains(std::string(c.logged) + name)) << log.All();
  }
}

TEST_F(RealMovieTest, AStreamWithoutFramesIsRefused) {
  AviSpec spec;
  spec.codec = "rawvideo";
  spec.frames = 0;
  spec.pixel = [](int, int, int) { return 0u; };
  const std::string name = folder_ + "/empty.avi";
  ASSERT_TRUE(WriteAvi(name, spec));
  LogCapture log;
  std::unique_ptr<Image> image(graphics_->LoadImage(name));
  EXPECT_EQ(image, nullptr);
  EXPECT_TRUE(log.Contains("Unable to load Video " + name)) << log.All();
}

// A movie made by LoadImage belongs to its caller: the renderer's reset and DestroyMovie
// leave it alone.
TEST_F(RealMovieTest, LoadImageMakesAMovieOutsideTheMovieList) {
  const std::string name = WriteMovie(folder_ + "/clip.avi", "rawvideo");
  std::unique_ptr<Image> image(graphics_->LoadImage(name));
  ASSERT_NE(image, nullptr);
  auto* movie = dynamic_cast<Dx8AviImage*>(image.get());
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->GetType(), AviImage::kType);
  EXPECT_TRUE(graphics_->movies.empty());
  IDirect3DTexture8* texture = movie->Texture();
  graphics_->ReleaseResources();
  EXPECT_EQ(movie->Texture(), texture);
  graphics_->DestroyMovie(movie);
  EXPECT_TRUE(movie->Advance(0.65f));  // still alive: six frames pass, the end with them
  EXPECT_EQ(movie->currentFrame, 0);
}

// Movies made and destroyed again and again: each one's memory bitmap and device context
// go with it, so the blocks in use do not grow.
TEST_F(RealMovieTest, MoviesMadeAndDestroyedAgainAndAgain) {
  const std::string name = WriteMovie(folder_ + "/loop.avi", "mjpeg", 3);
  auto cycle = [&](int times) {
    for (int i = 0; i < times; ++i) {
      AviImage* movie = graphics_->LoadMovie(name);
      ASSERT_TRUE(movie->IsPlaying());
      movie->Advance(0.1f);
      graphics_->DestroyMovie(movie);
    }
    Device()->ClearCalls();  // the recording device keeps every call
  };
  cycle(3);
#if PELLAVO_TRACKING_MEMORY
  const uint64_t before = MemoryManager::GetStats().liveUnits;
#endif
  cycle(20);
  EXPECT_TRUE(graphics_->movies.empty());
#if PELLAVO_TRACKING_MEMORY
  EXPECT_EQ(MemoryManager::GetStats().liveUnits, before);
#endif
}

// ---- Drawn on OpenGL ---------------------------------------------------------------------

class GlMovieTest : public GlGraphicsTest {};

TEST_F(GlMovieTest, AMovieFrameIsDrawnUprightInItsColours) {
  ASSERT_TRUE(Start());
  const std::string name = WriteMovie(testenv::MakeTempDir("glavi") + "/clip.avi", "rawvideo");
  AviImage* movie = graphics_->LoadMovie(name);
  ASSERT_TRUE(movie->IsPlaying());
  movie->Advance(0.25f);
  ASSERT_EQ(movie->currentFrame, 2);

  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(0xFF000000, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  ScreenVertex v[6];
  PixelQuad(100, 50, 100 + kWidth, 50 + kHeight, 0xFFFFFFFF, v);
  movie->BindTexture(0);
  graphics_->DrawArray(v, 6, PT_Triangles);
  const Bitmap shot = EndFrameWithScreenshot();
  ExpectQuarters(2, 1, 100, 50, [&](int x, int y) { return shot.At(x, y); });
  graphics_->DestroyMovie(movie);
}

}  // namespace
}  // namespace gfxtest
