#include "platform/bass/RecordingBackend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/bass/Bass.h"
#include "platform/bass/Mixer.h"

namespace {

using Strings = std::vector<std::string>;

class RecordingBackendTest : public ::testing::Test {
 protected:
  bass::RecordingBackend recorder_;
  bass::ScopedBackend scope_{recorder_};
};

TEST_F(RecordingBackendTest, RecordsTheCallsOfAStartASoundAndAMusicSegment) {
  const std::string bytes = "sound bytes";
  ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  const HSAMPLE sample = BASS_SampleLoad(true, bytes.data(), 0, uint32_t(bytes.size()), 10, 4);
  const HCHANNEL channel = BASS_SampleGetChannel(sample, false);
  BASS_ChannelSetAttributes(channel, -1, 21, -101);
  BASS_ChannelPlay(channel, true);
  const HMUSIC music = BASS_MusicLoad(true, bytes.data(), 0, uint32_t(bytes.size()), 0x20404, 0);
  BASS_ChannelPlay(music, true);
  BASS_ChannelSetPosition(music, BassMusicPosition(2, 16));
  BASS_ChannelIsActive(music);
  BASS_Pause();
  BASS_Start();
  BASS_ChannelStop(music);
  BASS_MusicFree(channel);
  BASS_MusicFree(music);
  BASS_Free();

  EXPECT_EQ(recorder_.Trace(), (Strings{
                                   "BASS_Init(1, 44100, 0, 0, 0) = 1",
                                   "BASS_SampleLoad(1, 0, 11, 10, 4) = 1",
                                   "BASS_SampleGetChannel(1, 0) = 2",
                                   "BASS_ChannelSetAttributes(2, -1, 21, -101) = 1",
                                   "BASS_ChannelPlay(2, 1) = 1",
                                   "BASS_MusicLoad(1, 0, 11, 132100, 0) = 3",
                                   "BASS_ChannelPlay(3, 1) = 1",
                                   "BASS_ChannelSetPosition(3, 2148532226) = 1",
                                   "BASS_ChannelIsActive(3) = 1",
                                   "BASS_Pause() = 1",
                                   "BASS_Start() = 1",
                                   "BASS_ChannelStop(3) = 1",
                                   "BASS_MusicFree(2) = 0",
                                   "BASS_MusicFree(3) = 1",
                                   "BASS_Free() = 1",
                               }));
  EXPECT_EQ(recorder_.LastOf("BASS_SampleLoad")->data, bytes);
  EXPECT_EQ(recorder_.LastOf("BASS_ChannelSetPosition")->args[1], 0x80000000 | (16 << 16) | 2);
  EXPECT_EQ(recorder_.CountOf("BASS_ChannelPlay"), 2u);
}

TEST_F(RecordingBackendTest, KeepsChannelStateAndTakesResultsFromTheTest) {
  const std::string bytes = "x";
  ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  const HSAMPLE sample = BASS_SampleLoad(true, bytes.data(), 0, 1, 2, 0);
  const HCHANNEL first = BASS_SampleGetChannel(sample, false);
  BASS_ChannelSetAttributes(first, -1, 150, 30);
  BASS_ChannelPlay(first, true);
  ASSERT_NE(recorder_.Channel(first), nullptr);
  EXPECT_EQ(recorder_.Channel(first)->volume, 100);  // clamped as the mixer does
  EXPECT_EQ(recorder_.Channel(first)->pan, 30);
  EXPECT_EQ(BASS_ChannelIsActive(first), BASS_ACTIVE_PLAYING);

  // The test ends the sound; the channel is then handed out again.
  recorder_.SetActive(first, BASS_ACTIVE_STOPPED);
  EXPECT_EQ(BASS_ChannelIsActive(first), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(BASS_SampleGetChannel(sample, false), first);
  BASS_ChannelPlay(first, true);
  const HCHANNEL second = BASS_SampleGetChannel(sample, false);
  BASS_ChannelPlay(second, true);
  EXPECT_EQ(BASS_SampleGetChannel(sample, false), 0u);  // max 2, both playing
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOCHAN);

  // Forced failures: once, then the call works again.
  recorder_.FailCalls("BASS_SampleLoad", BASS_ERROR_FILEFORM, 1);
  EXPECT_EQ(BASS_SampleLoad(true, bytes.data(), 0, 1, 10, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  EXPECT_NE(BASS_SampleLoad(true, bytes.data(), 0, 1, 10, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
  recorder_.FailCalls("BASS_Init");
  BASS_Free();
  EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_FALSE(recorder_.IsInitialized());
  EXPECT_EQ(recorder_.TraceOf("BASS_Init").back(), "BASS_Init(1, 44100, 0, 0, 0) = 0");
}

TEST(ScopedBackendTest, RestoresTheMixerWhenTheScopeEnds) {
  {
    bass::RecordingBackend recorder;
    bass::ScopedBackend scope(recorder);
    EXPECT_EQ(&bass::CurrentBackend(), &recorder);
    BASS_Start();
    EXPECT_EQ(recorder.CountOf("BASS_Start"), 1u);
  }
  EXPECT_EQ(&bass::CurrentBackend(), static_cast<bass::Backend*>(&bass::DefaultMixer()));
}

}  // namespace
