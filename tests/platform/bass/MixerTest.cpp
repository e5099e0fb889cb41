#include "platform/bass/Mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/bass/Bass.h"
#include "tests/platform/bass/MixerOutput.h"
#include "tests/platform/bass/TestSounds.h"
#include "tests/support/TestEnv.h"

namespace {

using testsounds::AllZero;
using testsounds::MakeWav16;
using testsounds::Peak;
using testsounds::Render;

constexpr int kRate = 44100;
constexpr uint32_t kModuleFlags = BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMPS | BASS_MUSIC_LOOP;

// Stereo 44100 Hz, so that the mixer takes the frames as they are.
std::string ConstantWav(int16_t value, int frames) {
  return MakeWav16(std::vector<int16_t>(size_t(frames) * 2, value), 2, kRate);
}

// Frame i holds the value i on both sides: positions can be read off the output.
std::string RampWav(int frames) {
  std::vector<int16_t> samples;
  for (int i = 0; i < frames; ++i) samples.insert(samples.end(), 2, int16_t(i));
  return MakeWav16(samples, 2, kRate);
}

// Each test runs on a freshly started mixer whose device is held, so that the test
// alone drives the mix through Render.
class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bass::DefaultMixer().HoldDevice(true);
    ASSERT_TRUE(BASS_Init(1, kRate, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
  }
  void TearDown() override {
    BASS_Free();
    bass::DefaultMixer().HoldDevice(false);
  }

  static HSAMPLE Load(const std::string& bytes, uint32_t flags = 0, uint32_t max = 10) {
    return BASS_SampleLoad(true, bytes.data(), 0, uint32_t(bytes.size()), max, flags);
  }
  static HMUSIC LoadMusic(const std::string& bytes, uint32_t flags = kModuleFlags) {
    return BASS_MusicLoad(true, bytes.data(), 0, uint32_t(bytes.size()), flags, 0);
  }
  // What the engine does for a sound effect: a channel, its volume, play from the start.
  static HCHANNEL PlayNew(HSAMPLE sample, int volume = 100) {
    HCHANNEL channel = BASS_SampleGetChannel(sample, false);
    if (channel != 0) {
      BASS_ChannelSetAttributes(channel, -1, volume, -101);
      BASS_ChannelPlay(channel, true);
    }
    return channel;
  }
};

TEST_F(MixerTest, OggSampleDecodesAtLoadAndPlaysToItsEnd) {
  // Mono at 22050 Hz: the load converts it to stereo at the mix rate.
  const std::string ogg =
      testsounds::EncodeOgg(testsounds::Sine(440, 0.25, 22050, 1, 0.5f), 1, 22050);
  ASSERT_GT(ogg.size(), 100u);
  const HSAMPLE sample = Load(ogg);
  ASSERT_NE(sample, 0u) << BASS_ErrorGetCode();

  const HCHANNEL channel = PlayNew(sample);
  ASSERT_NE(channel, 0u);
  EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_PLAYING);
  const std::vector<int16_t> start = Render(4410);
  EXPECT_GT(Peak(start, 0), 13000);  // 0.5 of full scale on both sides
  EXPECT_GT(Peak(start, 1), 13000);
  EXPECT_LT(Peak(start), 20000);

  int played = 4410;
  while (BASS_ChannelIsActive(channel) == BASS_ACTIVE_PLAYING && played < kRate) {
    Render(441);
    played += 441;
  }
  EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_STOPPED);
  EXPECT_NEAR(played, kRate / 4, 441);  // a quarter of a second, to the block
  EXPECT_TRUE(AllZero(Render(1024)));
}

TEST_F(MixerTest, WavAndMpegSamplesDecode) {
  std::vector<int16_t> sine;
  for (float v : testsounds::Sine(330, 0.4, kRate, 1, 0.5f)) sine.push_back(int16_t(v * 32767));
  std::vector<int16_t> sine8k;
  for (float v : testsounds::Sine(330, 0.4, 8000, 1, 0.5f)) sine8k.push_back(int16_t(v * 32767));
  const struct {
    const char* name;
    std::string bytes;
    bool exactLength;  // the encoder adds no delay or padding
  } cases[] = {
      {"wav, mono 8000 Hz", MakeWav16(sine8k, 1, 8000), true},
      {"mpeg layer II, mono 44100 Hz", testsounds::EncodeMp2(sine, kRate), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_GT(c.bytes.size(), 100u);
    const HSAMPLE sample = Load(c.bytes);
    ASSERT_NE(sample, 0u) << BASS_ErrorGetCode();
    const HCHANNEL channel = PlayNew(sample);
    ASSERT_NE(channel, 0u);
    const std::vector<int16_t> out = Render(kRate);
    EXPECT_GT(Peak(out, 0), 12000);
    EXPECT_GT(Peak(out, 1), 12000);
    // 0.4 s at the mix rate: the conversion keeps the whole sound, up to its last frames.
    size_t last = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      if (std::abs(int(out[i])) > 1000) last = i / 2;
    }
    if (c.exactLength) EXPECT_NEAR(double(last), 0.4 * kRate, 150.0);
    else EXPECT_GE(double(last), 0.4 * kRate - 150.0);
    BASS_ChannelStop(channel);
  }
}

TEST_F(MixerTest, BytesThatAreNoSoundFailCleanly) {
  const std::string ogg =
      testsounds::EncodeOgg(testsounds::Sine(440, 0.1, 22050, 1, 0.5f), 1, 22050);
  const std::string wav = ConstantWav(1000, 64);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"text", "This is not a sound file, only some words that fill its place."},
      {"zeros", std::string(4096, '\0')},
      {"ogg cut after its first page", ogg.substr(0, 60)},
      {"ogg page marker and garbage", "OggS" + std::string(200, 'x')},
      {"wav header without chunks", wav.substr(0, 12)},
      {"id3 tag and garbage", "ID3" + std::string(500, '\x7f')},
      {"a module title and nothing else", std::string("pellavo test") + std::string(40, '\0')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Load(c.bytes), 0u);
    EXPECT_TRUE(BASS_ErrorGetCode() == BASS_ERROR_FILEFORM ||
                BASS_ErrorGetCode() == BASS_ERROR_FORMAT)
        << BASS_ErrorGetCode();
    EXPECT_EQ(LoadMusic(c.bytes), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  }
  // Empty ranges and a max of 0 are refused before any decoding.
  EXPECT_EQ(BASS_SampleLoad(true, wav.data(), 0, 0, 10, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(BASS_SampleLoad(true, wav.data(), 0, uint32_t(wav.size()), 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_TRUE(AllZero(Render(512)));
}

TEST_F(MixerTest, SampleLoadsFromAFileAndFromAnOffset) {
  const std::string wav = ConstantWav(8000, 4096);
  const std::string path = testenv::MakeTempDir("bass") + "/tone.wav";
  ASSERT_TRUE(testenv::WriteFile(path, wav));
  EXPECT_NE(BASS_SampleLoad(false, path.c_str(), 0, 0, 10, 0), 0u) << BASS_ErrorGetCode();
  EXPECT_EQ(BASS_SampleLoad(false, (path + ".missing").c_str(), 0, 0, 10, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);

  const std::string padded = "padding!" + wav;
  const HSAMPLE sample =
      BASS_SampleLoad(true, padded.data(), 8, uint32_t(wav.size()), 10, BASS_SAMPLE_LOOP);
  ASSERT_NE(sample, 0u) << BASS_ErrorGetCode();
  PlayNew(sample);
  EXPECT_EQ(Peak(Render(256)), 8000);
}

TEST_F(MixerTest, VolumeIsLinearAndClampedToZeroToHundred) {
  const HSAMPLE sample = Load(ConstantWav(16000, 1024), BASS_SAMPLE_LOOP);
  ASSERT_NE(sample, 0u);
  const struct {
    int volume;
    int peak;
  } cases[] = {{100, 16000}, {50, 8000}, {21, 3360}, {0, 0}, {150, 16000}, {1000, 16000},
               {-1, 0},      {-20, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.volume);
    const HCHANNEL channel = PlayNew(sample, c.volume);
    ASSERT_NE(channel, 0u);
    EXPECT_NEAR(Peak(Render(256)), c.peak, 1);
    BASS_ChannelStop(channel);
  }
  // Pan keeps the volume on its side and lowers the other.
  const HCHANNEL channel = PlayNew(sample, 50);
  ASSERT_TRUE(BASS_ChannelSetAttributes(channel, -1, 50, -100));
  const std::vector<int16_t> left = Render(256);
  EXPECT_NEAR(Peak(left, 0), 8000, 1);
  EXPECT_EQ(Peak(left, 1), 0);
}

TEST_F(MixerTest, AnEleventhPlayOfASampleIsRefusedWhileTenPlay) {
  const HSAMPLE sample = Load(ConstantWav(1000, 1024), BASS_SAMPLE_LOOP, 10);
  ASSERT_NE(sample, 0u);
  std::vector<HCHANNEL> channels;
  for (int i = 0; i < 10; ++i) channels.push_back(PlayNew(sample, 100));
  EXPECT_EQ(std::count(channels.begin(), channels.end(), 0u), 0);
  std::vector<HCHANNEL> sorted = channels;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());

  EXPECT_EQ(BASS_SampleGetChannel(sample, false), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOCHAN);
  EXPECT_EQ(Peak(Render(256)), 10000);  // nothing was cut off
  for (HCHANNEL channel : channels) EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_PLAYING);

  // A stopped channel is handed out again under its handle...
  BASS_ChannelStop(channels[3]);
  EXPECT_EQ(BASS_SampleGetChannel(sample, false), channels[3]);
  ASSERT_TRUE(BASS_ChannelPlay(channels[3], true));
  // ...or, asked for a new one, under a new handle; the old one no longer reaches it.
  BASS_ChannelStop(channels[5]);
  const HCHANNEL fresh = BASS_SampleGetChannel(sample, true);
  EXPECT_NE(fresh, 0u);
  EXPECT_NE(fresh, channels[5]);
  EXPECT_FALSE(BASS_ChannelPlay(channels[5], true));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(MixerTest, ASampleThatRanOutFreesItsChannel) {
  const HSAMPLE sample = Load(ConstantWav(1000, 300), 0, 1);
  ASSERT_NE(sample, 0u);
  const HCHANNEL channel = PlayNew(sample);
  ASSERT_NE(channel, 0u);
  EXPECT_EQ(BASS_SampleGetChannel(sample, false), 0u);
  const std::vector<int16_t> out = Render(512);
  EXPECT_EQ(Peak(out, -1, 299), 1000);
  EXPECT_EQ(Peak(out, -1, 300), 0);
  EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(BASS_SampleGetChannel(sample, false), channel);
}

TEST_F(MixerTest, PlayRestartsOrResumesAndPositionsMove) {
  const HSAMPLE sample = Load(RampWav(10000));
  ASSERT_NE(sample, 0u);
  const HCHANNEL channel = PlayNew(sample);
  std::vector<int16_t> out = Render(100);
  EXPECT_EQ(out.front(), 0);
  EXPECT_EQ(out.back(), 99);

  ASSERT_TRUE(BASS_ChannelPlay(channel, true));  // from the start
  EXPECT_EQ(Render(10).front(), 0);
  ASSERT_TRUE(BASS_ChannelPlay(channel, false));  // goes on
  EXPECT_EQ(Render(10).front(), 10);
  ASSERT_TRUE(BASS_ChannelStop(channel));
  EXPECT_TRUE(AllZero(Render(10)));
  EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_STOPPED);
  ASSERT_TRUE(BASS_ChannelPlay(channel, false));  // resumes where it stopped
  EXPECT_EQ(Render(10).front(), 20);

  ASSERT_TRUE(BASS_ChannelSetPosition(channel, 5000 * 4));  // bytes of 16-bit stereo
  EXPECT_EQ(Render(10).front(), 5000);
  EXPECT_FALSE(BASS_ChannelSetPosition(channel, 10000 * 4));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
}

TEST_F(MixerTest, ModulePlaysJumpsToOrdersAndRowsAndStops) {
  // Patterns strike one note at volumes 64, 0 and 16; the orders play them in turn.
  const std::string mod = testsounds::MakeMod({64, 0, 16}, {0, 1, 2});
  ASSERT_EQ(mod.size(), 4188u);
  const HMUSIC music = LoadMusic(mod);
  ASSERT_NE(music, 0u) << BASS_ErrorGetCode();
  EXPECT_EQ(BASS_ChannelIsActive(music), BASS_ACTIVE_STOPPED);
  EXPECT_TRUE(AllZero(Render(1024)));

  ASSERT_TRUE(BASS_ChannelSetAttributes(music, -1, 100, -101));
  ASSERT_TRUE(BASS_ChannelPlay(music, true));
  EXPECT_EQ(BASS_ChannelIsActive(music), BASS_ACTIVE_PLAYING);
  const int loud = Peak(Render(8820));
  EXPECT_GT(loud, 2000);

  ASSERT_TRUE(BASS_ChannelSetPosition(music, BassMusicPosition(1, 0)));
  EXPECT_LT(Peak(Render(8820), -1, 1024), 50);  // the pattern of volume 0

  // Into the middle of the last pattern: the note struck at its row 0 sounds at once.
  ASSERT_TRUE(BASS_ChannelSetPosition(music, 0x80000000u | (16u << 16) | 2u));
  const int quiet = Peak(Render(8820));
  EXPECT_GT(quiet, 200);
  EXPECT_LT(quiet, loud / 2);

  EXPECT_FALSE(BASS_ChannelSetPosition(music, BassMusicPosition(3, 0)));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
  EXPECT_FALSE(BASS_ChannelSetPosition(music, BassMusicPosition(0, 64)));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);

  ASSERT_TRUE(BASS_ChannelStop(music));
  EXPECT_EQ(BASS_ChannelIsActive(music), BASS_ACTIVE_STOPPED);
  EXPECT_TRUE(AllZero(Render(4096)));
  ASSERT_TRUE(BASS_ChannelPlay(music, true));  // from order 0 again
  EXPECT_GT(Peak(Render(8820)), loud / 2);

  ASSERT_TRUE(BASS_ChannelSetAttributes(music, -1, 50, -101));
  const int half = Peak(Render(8820));
  EXPECT_NEAR(half, loud / 2, loud / 10);
}

TEST_F(MixerTest, MusicFreeReleasesOnlyMusics) {
  const HMUSIC music = LoadMusic(testsounds::MakeMod({64}, {0}));
  ASSERT_NE(music, 0u);
  const HSAMPLE sample = Load(ConstantWav(1000, 1024), BASS_SAMPLE_LOOP);
  const HCHANNEL channel = PlayNew(sample);
  ASSERT_TRUE(BASS_ChannelPlay(music, true));

  // On a sample channel it fails and the channel plays on.
  EXPECT_FALSE(BASS_MusicFree(channel));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_PLAYING);

  EXPECT_TRUE(BASS_MusicFree(music));
  EXPECT_EQ(BASS_ChannelIsActive(music), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_FALSE(BASS_MusicFree(music));
  EXPECT_EQ(Peak(Render(1024)), 1000);  // the sample alone

  EXPECT_TRUE(BASS_SampleFree(sample));
  EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_TRUE(AllZero(Render(1024)));
}

TEST_F(MixerTest, AModuleWithoutLoopEnds) {
  const HMUSIC music = LoadMusic(testsounds::MakeMod({64}, {0}), BASS_MUSIC_PRESCAN);
  ASSERT_NE(music, 0u);
  ASSERT_TRUE(BASS_ChannelPlay(music, true));
  // One pattern of 64 rows at speed 6 and 125 BPM lasts 7.68 s.
  for (int second = 0; second < 7; ++second) Render(kRate);
  EXPECT_EQ(BASS_ChannelIsActive(music), BASS_ACTIVE_PLAYING);
  for (int second = 7; second < 10; ++second) Render(kRate);
  EXPECT_EQ(BASS_ChannelIsActive(music), BASS_ACTIVE_STOPPED);
  EXPECT_TRUE(AllZero(Render(1024)));
  ASSERT_TRUE(BASS_ChannelPlay(music, false));  // after its end it starts over
  EXPECT_GT(Peak(Render(4410)), 2000);
}

TEST_F(MixerTest, GlobalPauseSilencesEverythingAndStartResumes) {
  const HSAMPLE ramp = Load(RampWav(10000));
  const HMUSIC music = LoadMusic(testsounds::MakeMod({64}, {0}));
  const HCHANNEL channel = PlayNew(ramp);
  ASSERT_TRUE(BASS_ChannelPlay(music, true));
  EXPECT_GT(Peak(Render(100)), 0);

  ASSERT_TRUE(BASS_Pause());
  EXPECT_TRUE(AllZero(Render(4410)));
  EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_PLAYING);  // paused, not stopped
  EXPECT_EQ(BASS_ChannelIsActive(music), BASS_ACTIVE_PLAYING);
  const HSAMPLE other = Load(ConstantWav(2000, 1024), BASS_SAMPLE_LOOP);
  const HCHANNEL late = PlayNew(other);  // played while paused: waits for the start
  EXPECT_TRUE(AllZero(Render(1024)));

  ASSERT_TRUE(BASS_ChannelStop(music));
  ASSERT_TRUE(BASS_Start());
  const std::vector<int16_t> out = Render(10);
  EXPECT_EQ(out.front(), 100 + 2000);  // the ramp goes on where the pause caught it
  EXPECT_EQ(BASS_ChannelIsActive(late), BASS_ACTIVE_PLAYING);
}

TEST_F(MixerTest, CallsFailWithTheirErrorCodes) {
  EXPECT_FALSE(BASS_Init(1, kRate, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);

  const HSAMPLE sample = Load(ConstantWav(1000, 64));
  const HCHANNEL channel = BASS_SampleGetChannel(sample, false);
  ASSERT_NE(channel, 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
  EXPECT_FALSE(BASS_ChannelPlay(12345, true));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(BASS_SampleGetChannel(channel, false), 0u);  // a channel is no sample
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_FALSE(BASS_ChannelSetAttributes(channel, 22050, 50, -101));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
  EXPECT_TRUE(BASS_ChannelSetAttributes(channel, 0, 50, -101));

  ASSERT_TRUE(BASS_Free());
  EXPECT_FALSE(BASS_Free());
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  for (bool ok : {BASS_ChannelPlay(channel, true), BASS_Pause(), BASS_Start()}) {
    EXPECT_FALSE(ok);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  }
  EXPECT_EQ(Load(ConstantWav(1000, 64)), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);

  // A new start does not bring old handles back.
  ASSERT_TRUE(BASS_Init(1, kRate, 0, nullptr, nullptr));
  EXPECT_FALSE(BASS_ChannelPlay(channel, true));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_FALSE(BASS_Init(-2, kRate, 0, nullptr, nullptr));
}

TEST_F(MixerTest, WithoutAnOutputDeviceTheMixerStillRuns) {
  ASSERT_TRUE(BASS_Free());
  ASSERT_TRUE(BASS_Init(0, 22050, 0, nullptr, nullptr));  // "no sound"
  EXPECT_FALSE(bass::DefaultMixer().HasDevice());
  EXPECT_EQ(bass::DefaultMixer().MixRate(), 22050);
  const HSAMPLE sample = Load(ConstantWav(4000, 1024));  // 44100 Hz, converted at load
  const HCHANNEL channel = PlayNew(sample);
  const std::vector<int16_t> out = Render(1024);
  EXPECT_NEAR(Peak(out, -1, 16), 4000, 60);  // the resampler rings a little at the edges
  EXPECT_EQ(Peak(out, -1, 530), 0);  // 1024 frames at 44100 Hz are 512 at 22050 Hz
  EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_STOPPED);
}

// The device path: SDL's audio thread (the dummy driver in tests) pulls the mix.
TEST_F(MixerTest, TheDeviceCallbackMixesAndThePauseSilencesIt) {
  bass::Mixer& mixer = bass::DefaultMixer();
  ASSERT_TRUE(mixer.HasDevice());
  const HSAMPLE sample = Load(ConstantWav(3000, 1024), BASS_SAMPLE_LOOP);
  PlayNew(sample);
  mixer.HoldDevice(false);

  // The audio thread pulls the mix in real time; a hang guard bounds the wait.
  auto waitFor = [&](auto done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done(mixer.DeviceOutput()) && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done(mixer.DeviceOutput());
  };
  EXPECT_TRUE(waitFor([](const bass::OutputStats& s) { return s.loudFrames > 0; }));
  EXPECT_EQ(mixer.DeviceOutput().peak, 3000);

  ASSERT_TRUE(BASS_Pause());
  mixer.Flush();
  mixer.ResetDeviceOutput();
  EXPECT_TRUE(waitFor([](const bass::OutputStats& s) { return s.frames >= 4096; }));
  EXPECT_EQ(mixer.DeviceOutput().loudFrames, 0u);

  ASSERT_TRUE(BASS_Start());
  EXPECT_TRUE(waitFor([](const bass::OutputStats& s) { return s.loudFrames > 0; }));
}

}  // namespace
