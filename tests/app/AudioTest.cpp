// The audio manager and the sound bank on the recording back end: which audio calls they
// make, with which volumes, and what they return.

#include "engine/app/Audio.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/app/AudioSet.h"
#include "engine/core/Random.h"
#include "engine/core/Script.h"
#include "platform/bass/Bass.h"
#include "platform/bass/RecordingBackend.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

using audio::Audio;
using audio::AudioSet;
using audio::SoundBankEntry;
using Strings = std::vector<std::string>;

constexpr uint32_t kModuleLoop = BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMPS | BASS_MUSIC_LOOP;
constexpr uint32_t kModuleOnce = BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMPS;

std::string Call(const std::string& function, const std::vector<int64_t>& args,
                 int64_t result) {
  bass::RecordingBackend::Call call;
  call.function = function;
  call.args = args;
  call.result = result;
  return call.ToString();
}

// Every test runs in a folder of its own, where the files it writes are read through the
// file system by their relative names; the audio library is the recording back end,
// started (unless the fixture says otherwise) with its start-up call cleared.
class AudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testenv::MakeTempDir("audio");
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    if (StartsBass()) {
      ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
      backend_.ClearCalls();
    }
  }
  void TearDown() override { ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0); }
  virtual bool StartsBass() const { return true; }

  // The bytes are the name unless given: the recording back end takes any bytes.
  static void Write(const std::string& name, const std::string& bytes = "") {
    ASSERT_TRUE(testenv::WriteFile(name, bytes.empty() ? name : bytes));
  }
  // The volume last set on a channel, as passed to the audio library (-1 when none).
  int64_t VolumeOf(uint32_t channel) const {
    const auto& calls = backend_.Calls();
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
      if (it->function == "BASS_ChannelSetAttributes" && it->args[0] == channel) return it->args[2];
    }
    return -1;
  }
  bool Plays(uint32_t channel) const {
    const auto* state = backend_.Channel(channel);
    return state && state->active == BASS_ACTIVE_PLAYING;
  }

  bass::RecordingBackend backend_;
  bass::ScopedBackend scope_{backend_};
  Audio audio_;
  std::string dir_;
};

class AudioInitTest : public AudioTest {
 protected:
  bool StartsBass() const override { return false; }
};

TEST_F(AudioTest, StartsWithItsDefaults) {
  EXPECT_EQ(audio_.GetSFXVolume(), 70);
  EXPECT_EQ(audio_.GetMusicVolume(), 70);
  EXPECT_EQ(audio_.GetMusicChannel(), 0u);
  EXPECT_FLOAT_EQ(audio_.GetMusicFactor(), 1.0f);
  EXPECT_EQ(audio_.GetSoundBank(), nullptr);
  EXPECT_EQ(audio_.PlaySound("click"), 0);  // no bank yet
  EXPECT_TRUE(backend_.Calls().empty());
}

// --- Samples ---

TEST_F(AudioTest, LoadSoundKeepsOneSamplePerName) {
  Write("sounds/click.ogg", "click bytes");
  Write("sounds/pop.ogg", "pop");
  const uint32_t click = audio_.LoadSound("sounds/click.ogg", true);
  ASSERT_NE(click, 0u);
  EXPECT_EQ(audio_.LoadSound("SOUNDS/Click.OGG", false), click);  // the first loop flag stays
  const uint32_t pop = audio_.LoadSound("sounds/pop.ogg", false);
  EXPECT_NE(pop, click);
  EXPECT_EQ(backend_.TraceOf("BASS_SampleLoad"), (Strings{"BASS_SampleLoad(1, 0, 11, 10, 4) = 1",
                                                          "BASS_SampleLoad(1, 0, 3, 10, 0) = 2"}));
  EXPECT_EQ(backend_.Calls()[0].data, "click bytes");
  ASSERT_NE(audio_.FindKey(click), nullptr);
  EXPECT_EQ(audio_.FindKey(click)->name, "sounds/click.ogg");
}

TEST_F(AudioTest, FailedLoadsReturnZeroAndAreTriedAgain) {
  LogCapture log;
  EXPECT_EQ(audio_.LoadSound("sounds/none.ogg", false), 0u);
  EXPECT_TRUE(log.Contains("Couldn't find file sounds/none.ogg in archives")) << log.All();
  EXPECT_EQ(backend_.CountOf("BASS_SampleLoad"), 0u);

  Write("sounds/bad.ogg");
  backend_.FailCalls("BASS_SampleLoad", BASS_ERROR_FILEFORM, 1);
  EXPECT_EQ(audio_.LoadSound("sounds/bad.ogg", false), 0u);
  EXPECT_NE(audio_.LoadSound("sounds/bad.ogg", false), 0u);
  EXPECT_EQ(backend_.CountOf("BASS_SampleLoad"), 2u);
}

TEST_F(AudioTest, SoundEffectsPlayAtTheEffectVolumeTimesPointSixTimesTheFactor) {
  Write("sounds/click.ogg");
  const uint32_t click = audio_.LoadSound("sounds/click.ogg", false);
  const struct {
    int sfxVolume;
    float factor;
    int64_t channelVolume;
  } cases[] = {
      {70, 0.5f, 21}, {70, 1.0f, 42}, {100, 1.0f, 60}, {50, 1.0f, 30},
      {70, 0.1f, 4},  {100, 3.0f, 100},  // a factor above 1 stays on the scale
      {70, -1.0f, 0},
  };
  for (const auto& c : cases) {
    audio_.SetSFXVolume(c.sfxVolume);
    const uint32_t channel = audio_.PlaySample(click, c.factor);
    ASSERT_NE(channel, 0u) << c.sfxVolume << " x " << c.factor;
    EXPECT_EQ(backend_.LastOf("BASS_ChannelSetAttributes")->ToString(),
              Call("BASS_ChannelSetAttributes", {channel, -1, c.channelVolume, -101}, 1))
        << c.sfxVolume << " x " << c.factor;
    EXPECT_EQ(backend_.LastOf("BASS_ChannelPlay")->ToString(),
              Call("BASS_ChannelPlay", {channel, 1}, 1));
    audio_.StopSound(channel);
  }
}

TEST_F(AudioTest, SilencedUnknownOrBusyEffectsPlayNothing) {
  Write("sounds/click.ogg");
  const uint32_t click = audio_.LoadSound("sounds/click.ogg", false);
  const uint32_t playing = audio_.PlaySample(click, 1.0f);
  ASSERT_NE(playing, 0u);

  audio_.SetSFXVolume(0);
  backend_.ClearCalls();
  EXPECT_EQ(audio_.PlaySample(click, 1.0f), 0u);
  EXPECT_TRUE(backend_.Calls().empty());
  EXPECT_TRUE(Plays(playing));  // effects already playing go on

  audio_.SetSFXVolume(70);
  EXPECT_EQ(audio_.PlaySample(click + 1, 1.0f), 0u);
  EXPECT_EQ(audio_.PlaySample(0, 1.0f), 0u);

  // Ten playbacks of one sample at most.
  for (int i = 1; i < 10; ++i) EXPECT_NE(audio_.PlaySample(click, 1.0f), 0u) << i;
  EXPECT_EQ(audio_.PlaySample(click, 1.0f), 0u);
}

TEST_F(AudioTest, VolumesAreClampedToTheScale) {
  const struct {
    int set;
    int stored;
  } cases[] = {{150, 100}, {100, 100}, {0, 0}, {-5, 0}, {42, 42}};
  for (const auto& c : cases) {
    audio_.SetSFXVolume(c.set);
    audio_.SetMusicVolume(c.set);
    EXPECT_EQ(audio_.GetSFXVolume(), c.stored) << c.set;
    EXPECT_EQ(audio_.GetMusicVolume(), c.stored) << c.set;
  }

  Write("music/theme.ogg");
  audio_.SetMusicVolume(70);
  const uint32_t music = audio_.PlayMusic("music/theme.ogg", 2.0f, true);
  ASSERT_NE(music, 0u);
  EXPECT_EQ(VolumeOf(music), 100);  // 70 x 2 stays on the scale
  audio_.SetMusicVolume(1000);
  EXPECT_EQ(VolumeOf(music), 100);
  audio_.SetMusicVolume(30);
  EXPECT_EQ(VolumeOf(music), 60);
}

// --- Music ---

TEST_F(AudioTest, TheMusicThatPlaysKeepsItsChannelUnderItsNameInAnyCase) {
  Write("music/theme.ogg");
  const uint32_t music = audio_.PlayMusic("music/theme.ogg", 0.5f, true);
  ASSERT_NE(music, 0u);
  EXPECT_EQ(audio_.GetMusicChannel(), music);
  EXPECT_EQ(VolumeOf(music), 35);
  EXPECT_EQ(backend_.LastOf("BASS_SampleLoad")->args[4], int64_t(BASS_SAMPLE_LOOP));

  EXPECT_EQ(audio_.PlayMusic("MUSIC/Theme.OGG", 1.0f, true), music);
  EXPECT_EQ(backend_.CountOf("BASS_ChannelPlay"), 1u);  // not restarted
  EXPECT_FLOAT_EQ(audio_.GetMusicFactor(), 0.5f);       // nor the factor taken

  // An empty name changes nothing.
  EXPECT_EQ(audio_.PlayMusic("", 1.0f, true), 0u);
  EXPECT_EQ(audio_.GetMusicChannel(), music);
  EXPECT_TRUE(Plays(music));

  // Stopped, the same name starts again, from the sample that stayed loaded.
  audio_.StopAll();
  EXPECT_EQ(audio_.GetMusicChannel(), 0u);
  EXPECT_FALSE(Plays(music));
  const uint32_t again = audio_.PlayMusic("music/theme.ogg", 0.5f, true);
  EXPECT_NE(again, 0u);
  EXPECT_EQ(backend_.CountOf("BASS_ChannelPlay"), 2u);
  EXPECT_EQ(backend_.CountOf("BASS_SampleLoad"), 1u);

  // So does music that has ended by itself.
  backend_.SetActive(again, BASS_ACTIVE_STOPPED);
  EXPECT_NE(audio_.PlayMusic("music/theme.ogg", 0.5f, true), 0u);
  EXPECT_EQ(backend_.CountOf("BASS_ChannelPlay"), 3u);
}

TEST_F(AudioTest, SampledMusicKeepsAFloorOfFiveThatModulesIgnore) {
  for (const char* name : {"music/a.ogg", "music/b.ogg", "music/song.mod"}) Write(name);
  const uint32_t a = audio_.PlayMusic("music/a.ogg", 1.0f, true);
  ASSERT_NE(a, 0u);
  const uint32_t b = audio_.LoadSound("music/b.ogg", true);

  audio_.SetMusicVolume(5);
  EXPECT_EQ(VolumeOf(a), 5);
  backend_.ClearCalls();
  // Directly: the music that plays goes on; only the factor is taken.
  EXPECT_EQ(audio_.PlaySampleAsMusic(b, 0.5f), 0u);
  EXPECT_TRUE(backend_.Calls().empty());
  EXPECT_EQ(audio_.GetMusicChannel(), a);
  EXPECT_FLOAT_EQ(audio_.GetMusicFactor(), 0.5f);

  // By name ("OGG" in capitals is sampled music too): the music is stopped first.
  EXPECT_EQ(audio_.PlayMusic("music/b.OGG", 1.0f, true), 0u);
  EXPECT_FALSE(Plays(a));
  EXPECT_EQ(audio_.GetMusicChannel(), 0u);
  EXPECT_EQ(audio_.GetMusicName(), "music/b.OGG");
  EXPECT_EQ(backend_.CountOf("BASS_MusicLoad"), 0u);

  // A module starts at any volume.
  const uint32_t song = audio_.PlayMusic("music/song.mod", 1.0f, true);
  EXPECT_NE(song, 0u);
  EXPECT_TRUE(Plays(song));

  audio_.SetMusicVolume(6);
  const uint32_t channel = audio_.PlaySampleAsMusic(b, 1.0f);
  EXPECT_NE(channel, 0u);
  EXPECT_TRUE(Plays(channel));
  EXPECT_EQ(backend_.Channel(song), nullptr);  // the module was freed
}

TEST_F(AudioTest, ModulesLoadWithPrescanAndRampingAndAreFreedWhenReplaced) {
  Write("music/song.mod", "module bytes");
  Write("music/other.xm");
  LogCapture log;
  const uint32_t song = audio_.PlayMusic("music/song.mod", 0.5f, true);
  ASSERT_NE(song, 0u);
  EXPECT_EQ(backend_.LastOf("BASS_MusicLoad")->ToString(),
            Call("BASS_MusicLoad", {1, 0, 12, kModuleLoop, 0}, song));
  EXPECT_EQ(backend_.LastOf("BASS_MusicLoad")->data, "module bytes");
  EXPECT_TRUE(log.Contains("Playing music music/song.mod  [MSG_COMMENT]")) << log.All();
  // The factor applies to a module as it does to sampled music.
  EXPECT_FLOAT_EQ(audio_.GetMusicFactor(), 0.5f);
  EXPECT_EQ(VolumeOf(song), 35);
  EXPECT_TRUE(Plays(song));

  const uint32_t other = audio_.PlayMusic("music/other.xm", 1.0f, false);
  ASSERT_NE(other, 0u);
  EXPECT_EQ(backend_.LastOf("BASS_MusicLoad")->args[3], kModuleOnce);
  EXPECT_EQ(backend_.LastOf("BASS_MusicFree")->ToString(), Call("BASS_MusicFree", {song}, 1));
  EXPECT_EQ(VolumeOf(other), 70);

  // Stopping frees the module too, and a CD track request does the same.
  audio_.StopAll();
  EXPECT_EQ(backend_.LastOf("BASS_MusicFree")->ToString(), Call("BASS_MusicFree", {other}, 1));
  EXPECT_EQ(audio_.GetMusicChannel(), 0u);
  const uint32_t third = audio_.PlayMusic("music/song.mod", 1.0f, true);
  audio_.PlayCD(2);
  EXPECT_EQ(backend_.Channel(third), nullptr);
  EXPECT_EQ(audio_.GetMusicChannel(), 0u);
}

TEST_F(AudioTest, MusicThatCannotLoadStopsTheOldAndReturnsZero) {
  Write("music/song.mod");
  Write("music/broken.it");
  const uint32_t song = audio_.PlayMusic("music/song.mod", 1.0f, true);
  LogCapture log;
  EXPECT_EQ(audio_.PlayMusic("music/none.it", 1.0f, true), 0u);
  EXPECT_EQ(backend_.Channel(song), nullptr);
  EXPECT_EQ(audio_.GetMusicName(), "music/none.it");
  backend_.FailCalls("BASS_MusicLoad", BASS_ERROR_FILEFORM);
  EXPECT_EQ(audio_.PlayMusic("music/broken.it", 1.0f, true), 0u);
  EXPECT_EQ(audio_.PlayMusic("music/none.ogg", 1.0f, true), 0u);
  EXPECT_EQ(audio_.GetMusicChannel(), 0u);
  EXPECT_FALSE(log.Contains("Playing music"));
}

// --- Segments ---

TEST_F(AudioTest, SegmentsJumpWithinTheModuleThatPlays) {
  for (const char* name : {"music/song.mod", "music/boss.mod"}) Write(name);
  Write("sounds/segments.lua",
        "AudioSegments = {\n"
        "  { Name = 'intro', File = 'music/song.mod', Order = 0, Row = 0, Bias = 0.5 },\n"
        "  { Name = 'chorus', File = 'music/song.mod', Order = 2, Row = 16 },\n"
        "  { Name = 'boss', File = 'music/boss.mod', Order = 1 },\n"
        "  { Name = 'INTRO', File = 'music/other.mod' },\n"
        "  'not a segment',\n"
        "}\n");
  audio_.LoadSegments("sounds/segments.lua");
  ASSERT_EQ(audio_.GetSegments().Size(), 3u);
  const audio::AudioSegment* intro = audio_.GetSegments().Find("Intro");
  ASSERT_NE(intro, nullptr);
  EXPECT_EQ(intro->File, "music/song.mod");  // the first of a name stays
  const audio::AudioSegment* boss = audio_.GetSegments().Find("boss");
  ASSERT_NE(boss, nullptr);
  EXPECT_EQ(boss->Row, 0);
  EXPECT_FLOAT_EQ(boss->Bias, 1.0f);

  audio_.PlaySegment("intro");
  const uint32_t song = audio_.GetMusicChannel();
  ASSERT_NE(song, 0u);
  EXPECT_EQ(backend_.LastOf("BASS_MusicLoad")->args[3], kModuleLoop);
  EXPECT_EQ(backend_.LastOf("BASS_ChannelSetPosition")->ToString(),
            Call("BASS_ChannelSetPosition", {song, 0x80000000}, 1));
  EXPECT_EQ(VolumeOf(song), 35);
  EXPECT_EQ(audio_.GetCurrentSegment(), "intro");

  // Another segment of the same module only moves its position.
  backend_.ClearCalls();
  audio_.PlaySegment("Chorus");
  EXPECT_EQ(backend_.TraceOf("BASS_ChannelSetPosition"),
            (Strings{Call("BASS_ChannelSetPosition", {song, 0x80000000 | (16 << 16) | 2}, 1)}));
  EXPECT_EQ(backend_.CountOf("BASS_MusicLoad"), 0u);
  EXPECT_EQ(backend_.CountOf("BASS_ChannelPlay"), 0u);
  EXPECT_EQ(audio_.GetCurrentSegment(), "Chorus");

  // The segment that plays and names that are no segment do nothing.
  backend_.ClearCalls();
  audio_.PlaySegment("CHORUS");
  audio_.PlaySegment("nowhere");
  EXPECT_EQ(backend_.CountOf("BASS_ChannelSetPosition"), 0u);
  EXPECT_EQ(backend_.CountOf("BASS_MusicLoad"), 0u);
  EXPECT_EQ(audio_.GetCurrentSegment(), "Chorus");

  // A segment of another module starts that module at its position.
  audio_.PlaySegment("boss");
  const uint32_t bossMusic = audio_.GetMusicChannel();
  EXPECT_NE(bossMusic, song);
  EXPECT_EQ(backend_.Channel(song), nullptr);
  EXPECT_EQ(backend_.LastOf("BASS_ChannelSetPosition")->ToString(),
            Call("BASS_ChannelSetPosition", {bossMusic, 0x80000001}, 1));

  // Once its music was stopped, the current segment starts again.
  audio_.StopAll();
  audio_.PlaySegment("boss");
  EXPECT_NE(audio_.GetMusicChannel(), 0u);
  EXPECT_TRUE(Plays(audio_.GetMusicChannel()));
}

TEST_F(AudioTest, ASegmentWhoseMusicDoesNotLoadKeepsTheCurrentName) {
  Write("music/song.mod");
  Write("sounds/segments.lua",
        "AudioSegments = { { Name = 'a', File = 'music/song.mod' },"
        "                  { Name = 'b', File = 'music/none.mod', Order = 3 } }");
  audio_.LoadSegments("sounds/segments.lua");
  audio_.PlaySegment("a");
  audio_.PlaySegment("b");
  EXPECT_EQ(audio_.GetCurrentSegment(), "a");
  EXPECT_EQ(backend_.CountOf("BASS_ChannelSetPosition"), 1u);
}

TEST_F(AudioTest, UnreadableSegmentTablesAreLogged) {
  Write("sounds/broken.lua", "AudioSegments = {");
  Write("sounds/other.lua", "AudioSegments = 'none'");
  for (const char* file : {"sounds/none.lua", "sounds/broken.lua"}) {
    LogCapture log;
    audio_.LoadSegments(file);
    EXPECT_TRUE(log.Contains(std::string("Unable to load audio segment file ") + file +
                             "!  [MSG_ERROR]"))
        << log.All();
  }
  LogCapture log;
  audio_.LoadSegments("sounds/other.lua");
  EXPECT_FALSE(log.Contains("[MSG_ERROR]")) << log.All();
  EXPECT_TRUE(audio_.GetSegments().Empty());
}

// --- The sound bank ---

TEST_F(AudioTest, TheSoundBankReadsEntriesFilesAndBiases) {
  for (const char* name : {"sounds/a.ogg", "sounds/b.ogg", "sounds/c.ogg", "sounds/d.ogg"}) {
    Write(name);
  }
  Write("sounds/soundbank.lua",
        "SoundBank = {\n"
        "  { Name = 'click', Files = { 'sounds/a.ogg', 'sounds/b.ogg', 'sounds/c.ogg', 'sounds/d.ogg' },\n"
        "    Bias = { 0, 2, 0.5 } },\n"
        "  { Name = 'CLICK', Files = { 'sounds/d.ogg' } },\n"
        "  { Name = 'mixed', Files = { 12, 'sounds/missing.ogg', 'sounds/a.ogg' },\n"
        "    Bias = { 0.3, 0.7, 'loud' } },\n"
        "  { Name = 'nofiles', Files = 'sounds/a.ogg' },\n"
        "  { Files = { 'sounds/a.ogg' } },\n"
        "  { Name = 'empty', Files = {} },\n"
        "  42,\n"
        "}\n");
  AudioSet bank(audio_);
  bank.Load("sounds/soundbank.lua");
  EXPECT_EQ(bank.Size(), 3u);

  const SoundBankEntry* click = bank.Find("Click");
  ASSERT_NE(click, nullptr);
  ASSERT_EQ(click->files.size(), 4u);
  const float clickFactors[] = {0.1f, 1.0f, 0.5f, 1.0f};  // clamped; 1 where Bias has none
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(click->files[i].factor, clickFactors[i]) << i;
    EXPECT_EQ(click->files[i].sampleId, audio_.LoadSound(click->files[i].file, false)) << i;
    EXPECT_NE(click->files[i].sampleId, 0u) << i;
  }
  EXPECT_EQ(click->name, "click");

  // Bias follows the index in Files; a file that does not load stays in the list.
  const SoundBankEntry* mixed = bank.Find("mixed");
  ASSERT_NE(mixed, nullptr);
  ASSERT_EQ(mixed->files.size(), 2u);
  EXPECT_EQ(mixed->files[0].file, "sounds/missing.ogg");
  EXPECT_EQ(mixed->files[0].sampleId, 0u);
  EXPECT_FLOAT_EQ(mixed->files[0].factor, 0.7f);
  EXPECT_EQ(mixed->files[1].sampleId, click->files[0].sampleId);
  EXPECT_FLOAT_EQ(mixed->files[1].factor, 1.0f);

  ASSERT_NE(bank.Find("empty"), nullptr);
  EXPECT_TRUE(bank.Find("empty")->files.empty());
  EXPECT_EQ(bank.Find("nofiles"), nullptr);

  // Each file once, without looping.
  EXPECT_EQ(backend_.CountOf("BASS_SampleLoad"), 4u);
  for (const auto& call : backend_.Calls()) {
    if (call.function == "BASS_SampleLoad") {
      EXPECT_EQ(call.args[4], 0);
    }
  }
}

TEST_F(AudioTest, TheSoundBankPicksAFileWithTheSeededGenerator) {
  for (const char* name : {"sounds/a.ogg", "sounds/b.ogg", "sounds/c.ogg"}) Write(name);
  Write("sounds/soundbank.lua",
        "SoundBank = { { Name = 'click', Files = { 'sounds/a.ogg', 'sounds/b.ogg', 'sounds/c.ogg' },"
        "                Bias = { 1, 0.5, 1 } } }");
  AudioSet bank(audio_);
  bank.Load("sounds/soundbank.lua");
  ASSERT_EQ(backend_.CountOf("BASS_SampleLoad"), 3u);  // samples 1, 2, 3 for a, b, c
  backend_.ClearCalls();

  // Seeded with 1 the generator gives 41, 18467, 6334, 26500, 19169: files 2, 2, 1, 1, 2.
  num::CSRand(1);
  for (int i = 0; i < 5; ++i) {
    const int channel = bank.Play("CLICK");
    ASSERT_GT(channel, 0) << i;
    audio_.StopSound(uint32_t(channel));
  }
  EXPECT_EQ(backend_.TraceOf("BASS_SampleGetChannel"),
            (Strings{"BASS_SampleGetChannel(3, 0) = 4", "BASS_SampleGetChannel(3, 0) = 4",
                     "BASS_SampleGetChannel(2, 0) = 5", "BASS_SampleGetChannel(2, 0) = 5",
                     "BASS_SampleGetChannel(3, 0) = 4"}));
  // The factor sets the volume, it does not weight the pick.
  EXPECT_EQ(VolumeOf(5), 21);
  EXPECT_EQ(VolumeOf(4), 42);
}

TEST_F(AudioTest, SoundsThatCannotPlayReturnMinusOneOrZero) {
  Write("sounds/a.ogg");
  Write("sounds/soundbank.lua",
        "SoundBank = { { Name = 'click', Files = { 'sounds/a.ogg' } },"
        "              { Name = 'broken', Files = { 'sounds/missing.ogg' } },"
        "              { Name = 'empty', Files = { false } } }");
  AudioSet bank(audio_);
  bank.Load("sounds/soundbank.lua");
  backend_.ClearCalls();

  LogCapture log;
  EXPECT_EQ(bank.Play("nowhere"), -1);
  EXPECT_TRUE(log.Contains("SFX: Couldn't find sound file nowhere  [MSG_WARNING]")) << log.All();
  EXPECT_EQ(bank.Play("broken"), -1);
  EXPECT_TRUE(log.Contains(
      "SFX: error playing sample broken, couldn't find file sounds/missing.ogg  [MSG_WARNING]"))
      << log.All();
  // An entry without files has nothing to pick from.
  EXPECT_EQ(bank.Play("empty"), -1);
  EXPECT_TRUE(backend_.Calls().empty());

  audio_.SetSFXVolume(0);
  EXPECT_EQ(bank.Play("click"), 0);
  backend_.FailCalls("BASS_SampleGetChannel", BASS_ERROR_NOCHAN);
  audio_.SetSFXVolume(70);
  EXPECT_EQ(bank.Play("click"), 0);
}

TEST_F(AudioTest, AMissingOrBrokenSoundBankLeavesTheBankEmpty) {
  Write("sounds/broken.lua", "SoundBank = { { Name = ");
  Write("sounds/other.lua", "SoundBank = 3");
  for (const char* file : {"sounds/none.lua", "sounds/broken.lua"}) {
    LogCapture log;
    AudioSet bank(audio_);
    bank.Load(file);
    EXPECT_TRUE(bank.Empty());
    EXPECT_TRUE(log.Contains(std::string("Unable to load audio-set ") + file + "!  [MSG_ERROR]"))
        << log.All();
  }
  AudioSet bank(audio_);
  bank.Load("sounds/other.lua");
  EXPECT_TRUE(bank.Empty());
}

// --- Start-up and exit ---

void WriteGameData() {
  testenv::WriteFile("sounds/click.ogg", "click");
  testenv::WriteFile("music/song.mod", "song");
  testenv::WriteFile("sounds/soundbank.lua",
                     "SoundBank = { { Name = 'click', Files = { 'sounds/click.ogg' } } }");
  testenv::WriteFile("sounds/segments.lua",
                     "AudioSegments = { { Name = 'intro', File = 'music/song.mod', Order = 1 } }");
}

TEST_F(AudioInitTest, InitStartsTheLibraryAndLoadsTheBankAndTheSegments) {
  WriteGameData();
  audio_.Init("sounds/soundbank.lua");
  EXPECT_EQ(backend_.Calls().at(0).ToString(), "BASS_Init(1, 44100, 0, 0, 0) = 1");
  ASSERT_NE(audio_.GetSoundBank(), nullptr);
  EXPECT_EQ(audio_.GetSoundBank()->Size(), 1u);
  EXPECT_EQ(audio_.GetSegments().Size(), 1u);
  EXPECT_GT(audio_.PlaySound("click"), 0);
  EXPECT_EQ(audio_.PlaySound("nowhere"), -1);
  audio_.PlaySegment("intro");
  EXPECT_EQ(backend_.LastOf("BASS_ChannelSetPosition")->args[1], int64_t(BassMusicPosition(1, 0)));
}

TEST_F(AudioInitTest, WithoutTheLibraryNothingLoadsOrPlays) {
  WriteGameData();
  backend_.FailCalls("BASS_Init", BASS_ERROR_DRIVER);
  LogCapture log;
  audio_.Init("sounds/soundbank.lua");
  EXPECT_TRUE(log.Contains("Unable to load BASS sound system!  [MSG_WARNING]")) << log.All();
  EXPECT_EQ(audio_.GetSoundBank(), nullptr);
  EXPECT_TRUE(audio_.GetSegments().Empty());
  EXPECT_EQ(audio_.PlaySound("click"), 0);
  EXPECT_EQ(audio_.LoadSound("sounds/click.ogg", false), 0u);
  EXPECT_EQ(audio_.PlayMusic("music/song.mod", 1.0f, true), 0u);
}

TEST_F(AudioInitTest, DestroyingTheManagerMakesNoAudioCall) {
  WriteGameData();
  auto audio = std::make_unique<Audio>();
  audio->Init("sounds/soundbank.lua");
  audio->PlaySound("click");
  audio->PlaySegment("intro");
  const size_t calls = backend_.Calls().size();
  audio.reset();
  EXPECT_EQ(backend_.Calls().size(), calls);
}

// --- Scripts ---

TEST_F(AudioInitTest, ScriptsReachTheProcessWideManager) {
  WriteGameData();
  testenv::WriteFile("music/theme.ogg", "theme");
  Audio& audio = audio::GetAudio();
  EXPECT_EQ(&audio, &Audio::Instance());
  audio.Init("sounds/soundbank.lua");
  LuaState* state = script::CreateLuaState();
  ASSERT_TRUE(audio::RegisterAudio(state));
  LogCapture log;
  const int status = state->DoString(
      "local a = GetAudio()\n"
      "a:SetSFXVolume(50)\n"
      "assert(a:GetSFXVolume() == 50)\n"
      "a:SetMusicVolume(150)\n"
      "assert(a:GetMusicVolume() == 100)\n"
      "Click = a:PlaySound('click')\n"
      "assert(Click > 0)\n"
      "assert(a:PlaySound('nowhere') == -1)\n"
      "Music = a:PlayMusic('music/theme.ogg', 0.5, true)\n"
      "assert(Music > 0)\n"
      "assert(a:PlayMusic('MUSIC/THEME.OGG', 1.0, true) == Music)\n"
      "a:StopSound(Click)\n"
      "a:PlaySegment('intro')\n"
      "Song = a:PlayMusic('music/song.mod', 1.0, false)\n"
      "a:StopAll()\n"
      "a:PlayCD(2)\n"
      "assert(not pcall(Audio))\n");
  EXPECT_EQ(status, 0) << log.All();
  const LuaObject globals = state->GetGlobals();
  const uint32_t click = uint32_t(globals["Click"].GetInteger());
  const uint32_t music = uint32_t(globals["Music"].GetInteger());
  LuaState::Destroy(state);

  EXPECT_EQ(VolumeOf(click), 30);
  EXPECT_EQ(VolumeOf(music), 50);
  ASSERT_NE(backend_.LastOf("BASS_ChannelStop"), nullptr);
  EXPECT_EQ(backend_.TraceOf("BASS_ChannelStop").at(0), Call("BASS_ChannelStop", {click}, 1));
  EXPECT_EQ(backend_.CountOf("BASS_ChannelSetPosition"), 1u);
  EXPECT_EQ(backend_.CountOf("BASS_MusicLoad"), 1u);  // the song went on under its name
  EXPECT_EQ(audio.GetMusicChannel(), 0u);
  EXPECT_EQ(backend_.LastOf("BASS_MusicFree")->result, 1);  // StopAll freed the module
  audio.SetSFXVolume(Audio::kDefaultVolume);
  audio.SetMusicVolume(Audio::kDefaultVolume);
}

}  // namespace
