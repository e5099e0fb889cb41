// The game's sound bank and music through the engine's audio manager on the real mixer,
// read from the packed kx.arc: every bank file loads as a sample, the sounds the engine
// plays by name sound, the menu segment starts the module, and the game's themes and
// stings play one after the other as the music object starts them. The mix is pulled
// by hand, so the result does not depend on timing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/Audio.h"
#include "engine/app/AudioSet.h"
#include "engine/core/VFS.h"
#include "game/shell/Music.h"
#include "platform/bass/Bass.h"
#include "platform/bass/Mixer.h"
#include "tests/platform/bass/MixerOutput.h"
#include "tests/support/TestEnv.h"

namespace {

int PeakOfRender(int frames) { return testsounds::Peak(testsounds::Render(frames)); }

class SoundBankTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string archive = std::string(PELLAVO_BINARY_DIR) + "/bin/kx.arc";
    ASSERT_TRUE(testenv::FileExists(archive));
    vfs::VFS::Instance().AddArchive(archive);
    bass::DefaultMixer().HoldDevice(true);
  }
  void TearDown() override {
    BASS_Free();
    bass::DefaultMixer().HoldDevice(false);
    vfs::VFS::Instance().RemoveArchives();
  }
};

TEST_F(SoundBankTest, TheGamesSoundsAndMenuMusicPlayFromTheArchive) {
  audio::Audio audio;
  audio.Init("sounds/soundbank.lua");
  const audio::AudioSet* bank = audio.GetSoundBank();
  ASSERT_NE(bank, nullptr);
  ASSERT_GT(bank->Size(), 0u);
  for (const auto& item : *bank) {
    for (const audio::SoundBankFile& file : item.second->files) {
      EXPECT_NE(file.sampleId, 0u) << item.second->name << ": " << file.file;
    }
  }
  EXPECT_EQ(PeakOfRender(1024), 0);

  for (const char* name : {"screen_shift", "button_press", "button_rollover", "textbox_new_text", "block_select"}) {
    const int channel = audio.PlaySound(name);
    ASSERT_GT(channel, 0) << name;
    EXPECT_GT(PeakOfRender(44100 / 20), 500) << name;
    audio.StopSound(uint32_t(channel));
  }

  audio.PlaySegment("menu");
  const uint32_t music = audio.GetMusicChannel();
  ASSERT_NE(music, 0u);
  EXPECT_TRUE(audio::IsChannelActive(music));
  EXPECT_GT(PeakOfRender(44100), 500);
}

TEST_F(SoundBankTest, TheMainThemePlaysAndAStingIsFollowedByTheThemeFromItsStart) {
  audio::GetAudio().Init("sounds/soundbank.lua");
  KivMusic music;
  music.Init();
  for (int32_t i = 0; i < KivMusic::kThemeCount; ++i) EXPECT_NE(music.ThemeSample(i), 0u) << i;
  for (int32_t i = 0; i < KivMusic::kStingCount; ++i) EXPECT_NE(music.StingSample(i), 0u) << i;
  ASSERT_NE(music.Channel(), 0u);
  EXPECT_GT(PeakOfRender(44100 / 2), 500);

  music.SetSting("victory");
  const uint32_t sting = music.Channel();
  ASSERT_NE(sting, 0u);
  // The sting lasts a few seconds and then ends by itself.
  int frames = 0;
  while (audio::IsChannelActive(sting) && frames < 44100 * 10) {
    PeakOfRender(4410);
    frames += 4410;
  }
  EXPECT_FALSE(audio::IsChannelActive(sting));
  EXPECT_GT(frames, 44100);
  music.Update();
  EXPECT_NE(music.Channel(), sting);
  EXPECT_TRUE(audio::IsChannelActive(music.Channel()));
  EXPECT_GT(PeakOfRender(44100 / 2), 500);
}

}  // namespace
