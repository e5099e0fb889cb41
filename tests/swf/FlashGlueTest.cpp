// The engine glue: the driver's hooks, movies read from the disk, their rectangles on the
// screen, looping, the end callback, pausing, fscommand, and a display-mode change
// while a movie plays (the driver rebuilt around the device's reset).

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/swf/FlashDriver.h"
#include "engine/swf/FlashMovie.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/render/render_handler.h"
#include "engine/swf/sound/sound_handler.h"
#include "platform/bass/RecordingBackend.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/swf/PlayerFixture.h"

namespace {

namespace fs = std::filesystem;
using swfw::Color;

// Two frames, a red square on the first, a green one on the second that stops the
// movie, at 12 frames a second.
swfw::Bytes TwoFrameMovie() {
  swfw::Movie movie;
  movie.frame = {0, 16000, 0, 12000};
  movie.Add(swfw::DefineShape(2, 1, swfw::RectangleShape(400, 400, Color{255, 0, 0, 255})))
      .Add(swfw::DefineShape(2, 2, swfw::RectangleShape(400, 400, Color{0, 255, 0, 255})))
      .Add(swftest::Place(1, 1))
      .ShowFrame()
      .Add(swfw::RemoveObject2(1))
      .Add(swftest::Place(2, 1))
      .Add(swfw::DoAction(swfw::Actions().Op("Stop").Build()))
      .ShowFrame()
      .End();
  return movie.Build();
}

// One frame: a square filled with a 2 x 2 bitmap, and a sound that starts.
swfw::Bytes BitmapAndSoundMovie() {
  swfw::LosslessImage image;
  image.format = 5;
  image.width = image.height = 2;
  image.pixels.assign(4, Color{0, 0, 255, 255});
  swfw::Shape shape = swfw::RectangleShape(400, 400, Color{});
  shape.fills[0].type = 0x41;  // clipped bitmap
  shape.fills[0].bitmapId = 1;
  shape.fills[0].matrix.hasScale = true;
  shape.fills[0].matrix.scaleX = shape.fills[0].matrix.scaleY = 20.0;
  swfw::SoundFormat format;
  format.rate = 2;
  const std::vector<int16_t> pcm(200, 1000);
  swfw::Movie movie;
  movie.frame = {0, 16000, 0, 12000};
  movie.Add(swfw::DefineBitsLossless(1, image, false))
      .Add(swfw::DefineShape(2, 2, shape))
      .Add(swfw::DefineSound(3, format, 200, swfw::PcmBytes(pcm)))
      .Add(swftest::Place(2, 1))
      .Add(swfw::StartSound(3, {}))
      .ShowFrame()
      .End();
  return movie.Build();
}

// Frames at 12 a second; the first starts a sound and counts its runs in "runs", and
// the last stops the movie when asked.
swfw::Bytes CountingMovie(int frames, bool stops) {
  swfw::SoundFormat format;
  format.rate = 2;
  const std::vector<int16_t> pcm(200, 1000);
  swfw::Actions count;
  count.Push({swfw::Actions::Str("runs"), swfw::Actions::Str("runs")}).Op("GetVariable").Op("Increment");
  count.Op("SetVariable");
  swfw::Movie movie;
  movie.frame = {0, 16000, 0, 12000};
  movie.Add(swfw::DefineSound(1, format, 200, swfw::PcmBytes(pcm)))
      .Add(swfw::StartSound(1, {}))
      .Add(swfw::DoAction(count.Build()));
  for (int f = 0; f < frames; ++f) {
    if (stops && f == frames - 1) movie.Add(swfw::DoAction(swfw::Actions().Op("Stop").Build()));
    movie.ShowFrame();
  }
  movie.End();
  return movie.Build();
}

class FlashGlueTest : public gfxtest::RecordingGraphicsTest {
 protected:
  void SetUp() override {
    gfxtest::RecordingGraphicsTest::SetUp();
    ASSERT_TRUE(StartDevice(800, 600));
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    folder_ = fs::temp_directory_path() / ("pellavo_flash_glue_" + std::to_string(getpid()));
    fs::create_directories(folder_ / "help");
    Write("help/loop.swf", TwoFrameMovie());
    Write("help/bitmap.swf", BitmapAndSoundMovie());
  }
  void TearDown() override {
    delete driver_;
    driver_ = nullptr;
    BASS_Free();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    gfxtest::RecordingGraphicsTest::TearDown();
  }
  void Write(const std::string& name, const swfw::Bytes& bytes) {
    std::ofstream out(folder_ / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
  std::unique_ptr<flash::FlashMovie> Load(const std::string& name) {
    auto movie = std::make_unique<flash::FlashMovie>();
    EXPECT_TRUE(movie->Load(PathOf(name)));
    return movie;
  }
  // The viewports the movie's frames set, as x y w h.
  std::vector<std::string> MovieViewports() const {
    std::vector<std::string> out;
    for (const d3d8::RecordedCall* call : Device()->CallsOf(d3d8::DeviceCall::SetViewport)) {
      const D3DVIEWPORT8& v = call->viewport;
      if (v.Width == 800 && v.Height == 600 && v.X == 0 && v.Y == 0) continue;  // the engine's, restored
      out.push_back(std::to_string(v.X) + " " + std::to_string(v.Y) + " " + std::to_string(v.Width) + " " +
                    std::to_string(v.Height));
    }
    return out;
  }

  bass::RecordingBackend recorder_;
  bass::ScopedBackend scope_{recorder_};
  fs::path folder_;
  flash::FlashDriver* driver_ = nullptr;
};

TEST_F(FlashGlueTest, DriverInstallsItsHooksAndRemovesThem) {
  driver_ = new flash::FlashDriver;
  EXPECT_EQ(swf::get_render_handler(), driver_->RenderHandler());
  EXPECT_EQ(swf::get_sound_handler(), driver_->SoundHandler());
  EXPECT_NE(swf::get_render_handler(), nullptr);
  LogCapture log;
  flash::FlashDriver::fs_callback(nullptr, "quit", "true");
  ASSERT_EQ(log.lines.size(), 3u);
  EXPECT_NE(log.lines[0].find("fs_callback: '"), std::string::npos);
  EXPECT_NE(log.lines[1].find("   Command  : quit"), std::string::npos);
  EXPECT_NE(log.lines[2].find("   Argument : true"), std::string::npos);
  flash::FlashDriver::log_callback(true, "a player error\n");
  flash::FlashDriver::log_callback(false, nullptr);
  EXPECT_EQ(log.lines.size(), 4u);
  EXPECT_EQ(log.Count("a player error"), 1u);
  delete driver_;
  driver_ = nullptr;
  EXPECT_EQ(swf::get_render_handler(), nullptr);
  EXPECT_EQ(swf::get_sound_handler(), nullptr);
}

TEST_F(FlashGlueTest, MoviesComeFromTheDiskWithTheNameFallback) {
  driver_ = new flash::FlashDriver;
  LogCapture log;
  flash::FlashMovie missing;
  EXPECT_FALSE(missing.Load(PathOf("help/none.swf")));
  EXPECT_EQ(log.Count("Can't create a movie from flash file " + PathOf("help/none.swf")), 1u);
  EXPECT_TRUE(missing.fileName.empty());
  missing.Advance(0.1f);
  missing.Display({0, 0}, {1, 1});
  missing.Reset();
  // A file without one whole frame has nothing to show and is refused the same way.
  const swfw::Bytes whole = TwoFrameMovie();
  Write("help/cut.swf", swfw::Bytes(whole.begin(), whole.begin() + 30));
  flash::FlashMovie cut;
  EXPECT_FALSE(cut.Load(PathOf("help/cut.swf")));
  EXPECT_EQ(log.Count("Can't create a movie from flash file " + PathOf("help/cut.swf")), 1u);
  // Backslashes and another case still find the file.
  flash::FlashMovie found;
  EXPECT_TRUE(found.Load(folder_.string() + "\\HELP\\Loop.swf"));
}

TEST_F(FlashGlueTest, RectanglesOnTheScreen) {
  driver_ = new flash::FlashDriver;
  auto movie = Load("help/loop.swf");
  struct Case {
    math::Vec2 p, s;
    const char* viewport;  // null: nothing drawn
  };
  const Case cases[] = {
      {{0.5f, 0.1f}, {0.5f, 0.25f}, "400 60 400 150"},  // p.x + s.x = 1 exactly
      {{0.5f, 0.1f}, {0.5001f, 0.25f}, nullptr},
      {{0.2f, -0.1f}, {0.3f, 0.3f}, nullptr},
      {{-0.01f, 0.1f}, {0.3f, 0.3f}, nullptr},
      {{0.1f, 0.5f}, {0.3f, 0.51f}, nullptr},
      {{0.0f, 0.0f}, {1.0f, 1.0f}, nullptr},  // the engine's own viewport: not listed
  };
  for (const Case& c : cases) {
    Device()->ClearCalls();
    movie->Display(c.p, c.s);
    const auto viewports = MovieViewports();
    if (c.viewport) {
      EXPECT_EQ(viewports, std::vector<std::string>{c.viewport}) << c.p.x << "," << c.p.y;
    } else {
      EXPECT_TRUE(viewports.empty()) << c.p.x << "," << c.p.y;
    }
  }
  // On a wider screen the play area's offsets move the movie.
  screen::g_offsetX = 80;
  graphics_->width = 960;
  Device()->ClearCalls();
  movie->Display({0.5f, 0.1f}, {0.25f, 0.25f});
  EXPECT_EQ(MovieViewports(), std::vector<std::string>{"560 60 240 150"});
  screen::g_offsetX = 0;
  graphics_->width = 800;
}

// Frames shown and sounds started, advance by advance, by movies that play on or stop on
// their last frame, looping or not: a looping movie starts again only once it has stopped
// on its last frame, which it shows, and never when it has one frame.
TEST_F(FlashGlueTest, LoopingTable) {
  driver_ = new flash::FlashDriver;
  struct Case {
    int frames;
    bool stops;  // its last frame stops it
    bool looping;
    std::vector<int> shown;  // the frame after each of six advances of one frame time
    size_t starts;           // times its first frame ran: its sound started, its count rose
  };
  const Case cases[] = {
      {1, false, true, {0, 0, 0, 0, 0, 0}, 1},
      {1, true, true, {0, 0, 0, 0, 0, 0}, 1},
      {1, true, false, {0, 0, 0, 0, 0, 0}, 1},
      {2, false, true, {1, 0, 1, 0, 1, 0}, 4},
      {2, true, true, {1, 0, 1, 0, 1, 0}, 4},
      {2, true, false, {1, 1, 1, 1, 1, 1}, 1},
      {3, false, true, {1, 2, 0, 1, 2, 0}, 3},
      {3, false, false, {1, 2, 0, 1, 2, 0}, 3},
      {3, true, true, {1, 2, 0, 1, 2, 0}, 3},
      {3, true, false, {1, 2, 2, 2, 2, 2}, 1},
  };
  for (const Case& c : cases) {
    const std::string name = std::to_string(c.frames) + (c.stops ? " frames, stopping" : " frames, playing") +
                             (c.looping ? ", looping" : ", not looping");
    Write("help/counting.swf", CountingMovie(c.frames, c.stops));
    swf::clear_library();
    recorder_.ClearCalls();
    auto movie = Load("help/counting.swf");
    movie->looping = c.looping;
    std::vector<int> shown;
    for (int i = 0; i < 6; ++i) {
      movie->Advance(1.0f / 12.0f);
      shown.push_back(movie->instance->get_current_frame());
    }
    EXPECT_EQ(shown, c.shown) << name;
    EXPECT_EQ(recorder_.CountOf("BASS_ChannelPlay"), c.starts) << name;
    EXPECT_EQ(std::string(movie->instance->get_variable("runs")), std::to_string(c.starts)) << name;
  }
}

// Advanced at the game's frame rate, a one-frame movie starts its sound once and runs its
// frame's actions once, however many game frames pass.
TEST_F(FlashGlueTest, OneFrameMovieStartsOnceAtTheGamesRate) {
  driver_ = new flash::FlashDriver;
  Write("help/one.swf", CountingMovie(1, false));
  auto movie = Load("help/one.swf");
  for (int i = 0; i < 600; ++i) movie->Advance(1.0f / 60.0f);
  EXPECT_EQ(recorder_.CountOf("BASS_ChannelPlay"), 1u);
  EXPECT_EQ(std::string(movie->instance->get_variable("runs")), "1");
}

TEST_F(FlashGlueTest, EndCallbackPausingAndReset) {
  driver_ = new flash::FlashDriver;
  auto movie = Load("help/loop.swf");
  static int ends = 0;
  static uint32_t lastValue = 0;
  ends = 0;
  movie->userValue = 7;
  movie->endCallback = [](flash::FlashMovie*, uint32_t value) {
    ++ends;
    lastValue = value;
  };
  // Looping: the end is called each time the movie stands on its second (last) frame.
  for (int i = 0; i < 6; ++i) movie->Advance(1.0f / 12.0f);
  EXPECT_EQ(ends, 3);
  EXPECT_EQ(lastValue, 7u);

  // Not looping: it stays on its last frame and calls the end on every advance.
  ends = 0;
  movie->looping = false;
  movie->Advance(1.0f / 12.0f);
  movie->Advance(1.0f / 12.0f);
  movie->Advance(1.0f / 12.0f);
  EXPECT_EQ(movie->instance->get_current_frame(), 1);
  EXPECT_EQ(ends, 3);

  // Paused: nothing moves and no end is called; Reset still restarts.
  ends = 0;
  movie->paused = true;
  movie->Advance(1.0f);
  EXPECT_EQ(movie->instance->get_current_frame(), 1);
  EXPECT_EQ(ends, 0);
  movie->Reset();
  EXPECT_EQ(movie->instance->get_current_frame(), 0);
}

TEST_F(FlashGlueTest, DisplayModeChangeRebuildsTheDriverWithoutStaleIds) {
  driver_ = new flash::FlashDriver;
  auto movie = Load("help/bitmap.swf");
  movie->Advance(0.01f);
  movie->Display({0.1f, 0.1f}, {0.5f, 0.5f});
  ASSERT_EQ(recorder_.CountOf("BASS_SampleCreate"), 1u);
  ASSERT_GE(recorder_.CountOf("BASS_ChannelPlay"), 1u);
  const HSAMPLE oldSample = static_cast<HSAMPLE>(recorder_.LastOf("BASS_SampleCreateDone")->result);
  ASSERT_EQ(Device()->CountOf(d3d8::DeviceCall::CreateTexture), 1u);

  // What a display-mode change does: the driver goes before the reset (freeing what its
  // handlers made), a new one comes after, and the widget reloads its movie.
  delete driver_;
  EXPECT_FALSE(recorder_.HasSample(oldSample));
  driver_ = new flash::FlashDriver;
  recorder_.ClearCalls();
  Device()->ClearCalls();
  movie.reset();
  EXPECT_EQ(recorder_.CountOf("BASS_SampleFree"), 0u);  // nothing of the new handler freed
  movie = Load("help/bitmap.swf");
  movie->Advance(0.01f);
  movie->Display({0.1f, 0.1f}, {0.5f, 0.5f});
  EXPECT_EQ(recorder_.CountOf("BASS_SampleCreate"), 1u);
  EXPECT_GE(recorder_.CountOf("BASS_ChannelPlay"), 1u);
  const auto creates = Device()->CallsOf(d3d8::DeviceCall::CreateTexture);
  ASSERT_EQ(creates.size(), 1u);
  bool drewTheNewTexture = false;
  for (const d3d8::RecordedCall* draw : Device()->CallsOf(d3d8::DeviceCall::DrawPrimitive)) {
    drewTheNewTexture |= draw->state->textures[0] != nullptr;
  }
  EXPECT_TRUE(drewTheNewTexture);
}

}  // namespace
