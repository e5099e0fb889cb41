// The music on the recording audio back end: which sample plays on the music channel
// after each call, and what happens when the test ends a channel as a finished sound
// would.

#include "game/shell/Music.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "engine/app/Audio.h"
#include "engine/core/Script.h"
#include "game/shell/Shell.h"
#include "platform/bass/Bass.h"
#include "platform/bass/RecordingBackend.h"
#include "platform/luaplus/LuaState.h"
#include "tests/support/TestEnv.h"

namespace {

class MusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testenv::MakeTempDir("music");
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    ASSERT_EQ(mkdir("sounds", 0755), 0);
    // The recording back end takes any bytes as a sample.
    for (int32_t i = 0; i < KivMusic::kThemeCount; ++i) WriteSound(KivMusic::ThemeFile(i));
    for (int32_t i = 0; i < KivMusic::kStingCount; ++i) WriteSound(KivMusic::StingFile(i));
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    audio::GetAudio().SetMusicVolume(70);
  }
  void TearDown() override {
    // The process-wide audio manager forgets this test's samples.
    audio::GetAudio().StopAll();
    audio::GetAudio().Clear();
    ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0);
  }

  static void WriteSound(const std::string& name) { ASSERT_TRUE(testenv::WriteFile(name, name)); }

  // The file whose sample plays on the music channel now ("" when nothing plays).
  std::string Playing() const {
    const uint32_t channel = music_.Channel();
    const bass::RecordingBackend::ChannelState* state = backend_.Channel(channel);
    if (channel == 0 || !state || state->active != BASS_ACTIVE_PLAYING) return "";
    for (const auto& item : audio::GetAudio()) {
      if (item.second->handle == state->sample) return item.second->name;
    }
    return "?";
  }
  // The channel ends as a finished sting would.
  void EndChannel() { backend_.SetActive(music_.Channel(), BASS_ACTIVE_STOPPED); }
  size_t Plays() const { return backend_.CountOf("BASS_ChannelPlay"); }

  bass::RecordingBackend backend_;
  bass::ScopedBackend scoped_{backend_};
  KivMusic music_;
  std::string dir_;
};

TEST_F(MusicTest, InitLoadsThemesLoopingAndStingsOnceAndStartsTheMainTheme) {
  music_.Init();
  EXPECT_EQ(music_.CurrentTheme(), 0);
  EXPECT_EQ(Playing(), "sounds/main_theme.ogg");
  const char* themes[] = {"main", "chinese", "japanese", "southeast", "celebration"};
  const char* stings[] = {"popup", "victory", "loss", "trophy"};
  for (int32_t i = 0; i < 5; ++i) {
    const audio::SampleEntry* entry = audio::GetAudio().FindKey(music_.ThemeSample(i));
    ASSERT_NE(entry, nullptr) << i;
    EXPECT_EQ(entry->name, std::string("sounds/") + themes[i] + "_theme.ogg");
  }
  for (int32_t i = 0; i < 4; ++i) {
    const audio::SampleEntry* entry = audio::GetAudio().FindKey(music_.StingSample(i));
    ASSERT_NE(entry, nullptr) << i;
    EXPECT_EQ(entry->name, std::string("sounds/") + stings[i] + "_sting.ogg");
  }
  // Loop flags as loaded: themes loop, stings play once.
  size_t looping = 0;
  for (const bass::RecordingBackend::Call& call : backend_.Calls()) {
    if (call.function != "BASS_SampleLoad") continue;
    const bool loops = (call.args[4] & BASS_SAMPLE_LOOP) != 0;
    EXPECT_EQ(loops, call.data.find("_theme.ogg") != std::string::npos) << call.data;
    looping += loops;
  }
  EXPECT_EQ(looping, 5u);
}

TEST_F(MusicTest, TheCurrentThemeIsNotRestartedWhateverTheCaseOfItsName) {
  music_.Init();
  music_.SetTheme("chinese", true);
  EXPECT_EQ(Playing(), "sounds/chinese_theme.ogg");
  const uint32_t channel = music_.Channel();
  const size_t plays = Plays();
  music_.SetTheme("Chinese", true);
  EXPECT_EQ(music_.Channel(), channel);
  EXPECT_EQ(Plays(), plays);
  music_.Update();
  EXPECT_EQ(Plays(), plays);
}

TEST_F(MusicTest, AThemeChosenForLaterStartsWhenAStingHasEnded) {
  music_.Init();
  music_.SetTheme("japanese", false);
  EXPECT_EQ(music_.CurrentTheme(), 2);
  EXPECT_EQ(Playing(), "sounds/main_theme.ogg");
  music_.Update();
  EXPECT_EQ(Playing(), "sounds/main_theme.ogg");

  music_.SetSting("victory");
  EXPECT_EQ(Playing(), "sounds/victory_sting.ogg");
  EXPECT_EQ(music_.CurrentTheme(), 2);
  music_.Update();
  EXPECT_EQ(Playing(), "sounds/victory_sting.ogg");
  EndChannel();
  music_.Update();
  EXPECT_EQ(Playing(), "sounds/japanese_theme.ogg");
  EXPECT_EQ(backend_.LastOf("BASS_ChannelPlay")->args, (std::vector<int64_t>{music_.Channel(), 1}));

  // Resuming starts the current theme again from its beginning, even while it plays.
  const size_t plays = Plays();
  music_.ResumeCurrent();
  EXPECT_EQ(Playing(), "sounds/japanese_theme.ogg");
  EXPECT_EQ(Plays(), plays + 1);
}

TEST_F(MusicTest, UnknownNamesPlayThePopupStingAndTheMainTheme) {
  music_.Init();
  music_.SetSting("fanfare");
  EXPECT_EQ(Playing(), "sounds/popup_sting.ogg");
  music_.SetTheme("chinese", true);
  music_.SetTheme("polka", true);
  EXPECT_EQ(music_.CurrentTheme(), 0);
  EXPECT_EQ(Playing(), "sounds/main_theme.ogg");
  EXPECT_EQ(KivMusic::ThemeName(9), "main");
  EXPECT_EQ(KivMusic::StingName(-1), "popup");
  EXPECT_EQ(KivMusic::StingFromName("TROPHY"), 3);
}

TEST_F(MusicTest, NothingPlaysAtMusicVolumeFiveAndTheNextFrameStartsTheThemeOnceRaised) {
  audio::GetAudio().SetMusicVolume(5);
  music_.Init();
  EXPECT_EQ(music_.Channel(), 0u);
  music_.SetSting("victory");
  music_.Update();
  EXPECT_EQ(music_.Channel(), 0u);
  EXPECT_EQ(Plays(), 0u);

  audio::GetAudio().SetMusicVolume(6);
  music_.Update();
  EXPECT_EQ(Playing(), "sounds/main_theme.ogg");
}

TEST_F(MusicTest, UpdateBeforeInitStartsNothing) {
  music_.Update();
  music_.ResumeCurrent();
  EXPECT_EQ(music_.CurrentTheme(), -1);
  EXPECT_EQ(Plays(), 0u);
}

TEST_F(MusicTest, MissingFilesPlayNothingAndAreTriedAgainEachFrame) {
  ASSERT_EQ(unlink("sounds/main_theme.ogg"), 0);
  music_.Init();
  EXPECT_EQ(music_.ThemeSample(0), 0u);
  EXPECT_EQ(music_.Channel(), 0u);
  music_.Update();
  EXPECT_EQ(Plays(), 0u);
  music_.SetTheme("southeast", false);
  music_.Update();
  EXPECT_EQ(Playing(), "sounds/southeast_theme.ogg");
}

// What the menu screens and the trophy popup do to the music.
TEST_F(MusicTest, AMenuScreenBringsBackTheMainThemeAndTheTrophyPopupItsSting) {
  music_.EnterMenuScreen();  // before Init: -1 counts as another theme
  EXPECT_EQ(music_.CurrentTheme(), 0);
  music_.Init();
  music_.SetSting("loss");
  const size_t plays = Plays();
  music_.EnterMenuScreen();  // "main" is current: the sting goes on
  EXPECT_EQ(Plays(), plays);
  EXPECT_EQ(Playing(), "sounds/loss_sting.ogg");
  music_.SetTheme("celebration", true);
  music_.EnterMenuScreen();
  EXPECT_EQ(Playing(), "sounds/main_theme.ogg");
  music_.PlayTrophySting();
  EXPECT_EQ(Playing(), "sounds/trophy_sting.ogg");
  EXPECT_EQ(music_.CurrentTheme(), 0);
}

TEST_F(MusicTest, ScriptsDriveTheMusicAndAfterShutdownNothingStarts) {
  KivMusic& music = KivMusic::Instance();
  music.Init();
  LuaState* state = script::CreateLuaState();
  ASSERT_TRUE(RegisterShellScripts(state));
  ASSERT_EQ(state->DoString("GetMusic():SetTheme('southeast', false)\n"
                            "GetMusic():SetSting('victory')\n"),
            0);
  LuaState::Destroy(state);
  EXPECT_EQ(music.CurrentTheme(), 3);
  backend_.SetActive(music.Channel(), BASS_ACTIVE_STOPPED);
  music.Update();
  const bass::RecordingBackend::ChannelState* playing = backend_.Channel(music.Channel());
  ASSERT_NE(playing, nullptr);
  EXPECT_EQ(playing->active, BASS_ACTIVE_PLAYING);

  ShutdownShellObjects();
  const size_t plays = Plays();
  music.Update();
  music.ResumeCurrent();
  EXPECT_EQ(Plays(), plays);
  EXPECT_EQ(music.Channel(), 0u);
}

}  // namespace
