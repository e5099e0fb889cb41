// The BASS sound handler: on the recording back end (the calls it makes for PCM, MP3 and
// unsupported sounds, voices, stop, delete, ids across handlers) and on the mixer, where
// a movie's StartSound is heard.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/swf/movie/movie_root.h"
#include "engine/swf/sound/sound_handler_bass.h"
#include "platform/bass/Mixer.h"
#include "platform/bass/RecordingBackend.h"
#include "tests/platform/bass/TestSounds.h"
#include "tests/swf/PlayerFixture.h"

namespace {

std::vector<int16_t> Tone(int frames, int rate) {
  std::vector<int16_t> samples(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) samples[i] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 440.0 * i / rate));
  return samples;
}

class SoundHandlerBassTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
  void TearDown() override { BASS_Free(); }
  int CreatePcm(const std::vector<int16_t>& samples, int rate, bool stereo = false) {
    return handler_.create_sound(const_cast<int16_t*>(samples.data()), static_cast<int>(samples.size() * 2),
                                 static_cast<int>(samples.size()), swf::sound_handler::FORMAT_NATIVE16, rate,
                                 stereo);
  }

  bass::RecordingBackend recorder_;
  bass::ScopedBackend scope_{recorder_};
  swf::sound_handler_bass handler_;
};

TEST_F(SoundHandlerBassTest, PcmIsMadeAtTheTagsRateWithEightVoices) {
  const std::vector<int16_t> samples = {1, -2, 3, -4};
  EXPECT_EQ(CreatePcm(samples, 22050), 0);
  EXPECT_EQ(recorder_.TraceOf("BASS_SampleCreate"),
            std::vector<std::string>{"BASS_SampleCreate(8, 22050, 1, 8, 0) = 1"});
  const auto* create = recorder_.LastOf("BASS_SampleCreate");
  ASSERT_EQ(create->data.size(), 8u);
  EXPECT_EQ(std::memcmp(create->data.data(), samples.data(), 8), 0);
  const HSAMPLE sample = handler_.sample_of(0);
  ASSERT_NE(sample, 0u);
  EXPECT_EQ(recorder_.SampleRate(sample), 22050u);
  EXPECT_EQ(CreatePcm(samples, 44100, true), 1);
  EXPECT_EQ(recorder_.SampleChannels(handler_.sample_of(1)), 2u);

  // Nine plays at once: eight voices sound, the ninth finds none and plays nothing.
  for (int i = 0; i < 9; ++i) handler_.play_sound(0, 0);
  EXPECT_EQ(recorder_.CountOf("BASS_SampleGetChannel"), 9u);
  EXPECT_EQ(recorder_.CountOf("BASS_ChannelPlay"), 8u);
  for (const std::string& play : recorder_.TraceOf("BASS_ChannelPlay")) {
    EXPECT_NE(play.find(", 1) = 1"), std::string::npos) << play;  // restarted
  }
}

TEST_F(SoundHandlerBassTest, StopKeepsTheSoundPlayableAndDeleteFreesIt) {
  const int id = CreatePcm(Tone(100, 22050), 22050);
  const HSAMPLE sample = handler_.sample_of(id);
  handler_.play_sound(id, 0);
  handler_.stop_sound(id);
  EXPECT_EQ(recorder_.TraceOf("BASS_SampleStop"),
            std::vector<std::string>{"BASS_SampleStop(" + std::to_string(sample) + ") = 1"});
  recorder_.ClearCalls();
  handler_.play_sound(id, 0);
  EXPECT_EQ(recorder_.CountOf("BASS_ChannelPlay"), 1u);

  handler_.delete_sound(id);
  EXPECT_FALSE(recorder_.HasSample(sample));
  EXPECT_EQ(handler_.sample_of(id), 0u);
  recorder_.ClearCalls();
  // A deleted id, and ids outside the array, reach nothing.
  for (int other : {id, -1, 7}) {
    handler_.play_sound(other, 0);
    handler_.stop_sound(other);
    handler_.delete_sound(other);
  }
  EXPECT_TRUE(recorder_.Calls().empty());
}

TEST_F(SoundHandlerBassTest, UnsupportedOrFailedSoundsLogTwoLinesAndKeepAnEmptySlot) {
  swftest::SwfLogCapture log;
  uint8_t bytes[8] = {};
  EXPECT_EQ(handler_.create_sound(bytes, 8, 8, swf::sound_handler::FORMAT_RAW, 11025, false), 0);
  EXPECT_EQ(log.Count("Unable to load sound\n"), 1u);
  EXPECT_TRUE(log.Contains("BASS Error Code "));
  recorder_.FailCalls("BASS_SampleLoad", BASS_ERROR_FILEFORM, 1);
  EXPECT_EQ(handler_.create_sound(bytes, 8, 8, swf::sound_handler::FORMAT_MP3, 11025, false), 1);
  EXPECT_EQ(log.Count("Unable to load sound\n"), 2u);
  EXPECT_EQ(log.Count("BASS Error Code 41\n"), 1u);
  EXPECT_EQ(recorder_.TraceOf("BASS_SampleLoad"), std::vector<std::string>{"BASS_SampleLoad(1, 0, 8, 8, 2) = 0"});
  recorder_.ClearCalls();
  handler_.play_sound(1, 0);
  EXPECT_TRUE(recorder_.Calls().empty());
  // Disabled: nothing is stored.
  handler_.m_enabled = false;
  EXPECT_EQ(handler_.create_sound(bytes, 8, 4, swf::sound_handler::FORMAT_NATIVE16, 11025, false), 0);
  EXPECT_EQ(handler_.sound_count(), 2);
}

TEST_F(SoundHandlerBassTest, SamplesOfAnEarlierHandlerNeverReachItsSuccessor) {
  auto first = std::make_unique<swf::sound_handler_bass>();
  swf::set_sound_handler(first.get());
  const std::vector<int16_t> samples = {1, 2};
  const int id = first->create_sound(const_cast<int16_t*>(samples.data()), 4, 2,
                                     swf::sound_handler::FORMAT_NATIVE16, 22050, false);
  swf::smart_ptr<swf::sound_sample> old(new swf::sound_sample(id));
  EXPECT_EQ(old->get_sound_handler_id(), id);
  // The driver is rebuilt: a new handler whose id 0 is another sound.
  swf::set_sound_handler(nullptr);
  first.reset();
  auto second = std::make_unique<swf::sound_handler_bass>();
  swf::set_sound_handler(second.get());
  second->create_sound(const_cast<int16_t*>(samples.data()), 4, 2, swf::sound_handler::FORMAT_NATIVE16, 22050,
                       false);
  EXPECT_EQ(old->get_sound_handler_id(), -1);
  recorder_.ClearCalls();
  old = nullptr;  // its destructor must not free the successor's sound 0
  EXPECT_EQ(recorder_.CountOf("BASS_SampleFree"), 0u);
  EXPECT_NE(second->sample_of(0), 0u);
  swf::set_sound_handler(nullptr);
}

// On the mixer itself, with a held device: the handler's samples are heard.
class SoundHandlerMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bass::DefaultMixer().HoldDevice(true);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
    swf::set_sound_handler(&handler_);
  }
  void TearDown() override {
    swf::set_sound_handler(nullptr);
    BASS_Free();
    bass::DefaultMixer().HoldDevice(false);
  }
  // The largest absolute sample of the next frames of the mix.
  static int Peak(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    bass::DefaultMixer().Render(out.data(), frames);
    int peak = 0;
    for (int16_t v : out) peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
  }
  swf::sound_handler_bass handler_;
};

TEST_F(SoundHandlerMixerTest, MoviesStartSoundIsHeard) {
  swfw::SoundFormat format;
  format.format = 3;  // uncompressed 16-bit
  format.rate = 2;    // 22050 Hz
  const std::vector<int16_t> tone = Tone(4410, 22050);
  swfw::Movie movie;
  movie.Add(swfw::DefineSound(1, format, static_cast<uint32_t>(tone.size()), swfw::PcmBytes(tone)))
      .Add(swfw::StartSound(1, {}))
      .ShowFrame()
      .End();
  EXPECT_EQ(Peak(512), 0);
  swftest::Played played(movie.Build());
  played.root->advance(0.01f);
  EXPECT_GT(Peak(2048), 5000);
}

TEST_F(SoundHandlerMixerTest, SoundsShorterThanOneFrameAreRefused) {
  swftest::SwfLogCapture log;
  int16_t one = 1000;
  for (bool stereo : {true, false}) {
    const int id = handler_.create_sound(&one, stereo ? 2 : 1, 1, swf::sound_handler::FORMAT_NATIVE16, 22050, stereo);
    EXPECT_EQ(handler_.sample_of(id), 0u) << stereo;
  }
  EXPECT_EQ(log.Count("Unable to load sound\n"), 2u);
}

TEST_F(SoundHandlerMixerTest, Mp3DataAfterItsSeekCountIsFound) {
  const std::string mp3 = testsounds::EncodeMp3(Tone(22050, 22050), 22050);
  if (mp3.empty()) GTEST_SKIP() << "this build of libavcodec has no MP3 encoder";
  // An SWF MP3 sound begins with a two-byte seek count.
  std::vector<uint8_t> data = {0x40, 0x00};
  data.insert(data.end(), mp3.begin(), mp3.end());
  const int id = handler_.create_sound(data.data(), static_cast<int>(data.size()), 22050,
                                       swf::sound_handler::FORMAT_MP3, 22050, false);
  ASSERT_NE(handler_.sample_of(id), 0u) << BASS_ErrorGetCode();
  handler_.play_sound(id, 0);
  Peak(4096);  // the encoder's delay
  EXPECT_GT(Peak(4096), 3000);
}

}  // namespace
