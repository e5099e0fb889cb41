// The audio manager on the real mixer: a sound-bank sample decoded from Ogg Vorbis and a
// tracker module read from a data archive, played and jumped between segments, with the
// output rendered by hand so that the result does not depend on timing.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/Audio.h"
#include "engine/app/AudioSet.h"
#include "engine/core/Archive.h"
#include "engine/core/VFS.h"
#include "platform/bass/Bass.h"
#include "platform/bass/Mixer.h"
#include "tests/platform/bass/MixerOutput.h"
#include "tests/platform/bass/TestSounds.h"
#include "tests/support/TestEnv.h"

namespace {

constexpr int kRate = 44100;

int PeakOfRender(int frames) { return testsounds::Peak(testsounds::Render(frames)); }

class AudioMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testenv::MakeTempDir("mixer");
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    // The test alone pulls the mix, through Render.
    bass::DefaultMixer().HoldDevice(true);
  }
  void TearDown() override {
    BASS_Free();
    bass::DefaultMixer().HoldDevice(false);
    vfs::VFS::Instance().RemoveArchives();
    ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0);
  }

  std::string dir_;
};

TEST_F(AudioMixerTest, ASoundBankSampleAndModuleSegmentsSound) {
  // The sample and the tables on the disk; the module (a pattern of volume 0, then one of
  // full volume) inside a data archive.
  const std::string tone =
      testsounds::EncodeOgg(testsounds::Sine(440.0, 0.5, kRate, 1, 0.5f), 1, kRate);
  ASSERT_FALSE(tone.empty());
  ASSERT_TRUE(testenv::WriteFile("sounds/tone.ogg", tone));
  ASSERT_TRUE(testenv::WriteFile("sounds/soundbank.lua",
                                 "SoundBank = { { Name = 'tone', Files = { 'sounds/tone.ogg' } } }"));
  ASSERT_TRUE(testenv::WriteFile(
      "sounds/segments.lua",
      "AudioSegments = { { Name = 'quiet', File = 'music/song.mod', Order = 0 },\n"
      "                  { Name = 'loud', File = 'music/song.mod', Order = 1 } }"));
  ASSERT_TRUE(testenv::WriteFile("pack/song.mod", testsounds::MakeMod({0, 64}, {0, 1})));
  {
    vfs::Archive archive;
    ASSERT_TRUE(archive.AddFile("pack/song.mod", "music/song.mod"));
    ASSERT_TRUE(archive.SaveArchive("music.arc"));
  }
  ASSERT_EQ(std::remove("pack/song.mod"), 0);  // only the archive holds it now
  vfs::VFS::Instance().AddArchive("music.arc");
  ASSERT_EQ(vfs::VFS::Instance().ArchiveCount(), 1u);

  audio::Audio audio;
  audio.Init("sounds/soundbank.lua");
  ASSERT_NE(audio.GetSoundBank(), nullptr);
  ASSERT_EQ(audio.GetSoundBank()->Size(), 1u);
  ASSERT_EQ(audio.GetSegments().Size(), 2u);
  EXPECT_EQ(PeakOfRender(1024), 0);

  audio.PlaySegment("quiet");
  const uint32_t music = audio.GetMusicChannel();
  ASSERT_NE(music, 0u);
  EXPECT_TRUE(audio::IsChannelActive(music));
  EXPECT_LT(PeakOfRender(kRate / 4), 50);  // the pattern of volume 0

  // The jump stays within the module that plays.
  audio.PlaySegment("loud");
  EXPECT_EQ(audio.GetMusicChannel(), music);
  const int loud = PeakOfRender(kRate / 4);
  EXPECT_GT(loud, 1000);

  const int channel = audio.PlaySound("tone");
  ASSERT_GT(channel, 0);
  EXPECT_TRUE(audio::IsChannelActive(uint32_t(channel)));
  audio.StopAll();
  EXPECT_FALSE(audio::IsChannelActive(music));
  // The tone alone: 0.5 of full scale at 70 x 0.6 = 42 %.
  const int tonePeak = PeakOfRender(kRate / 10);
  EXPECT_GT(tonePeak, 5000);
  EXPECT_LT(tonePeak, 8000);

  // It ends after its half second.
  PeakOfRender(kRate / 2);
  EXPECT_FALSE(audio::IsChannelActive(uint32_t(channel)));
  EXPECT_EQ(PeakOfRender(1024), 0);
}

}  // namespace
