#include "game/shell/Music.h"

#include "engine/app/Audio.h"
#include "engine/core/StringUtil.h"
#include "platform/bass/Bass.h"

namespace {

constexpr const char* kThemeNames[KivMusic::kThemeCount] = {"main", "chinese", "japanese", "southeast",
                                                            "celebration"};
constexpr const char* kStingNames[KivMusic::kStingCount] = {"popup", "victory", "loss", "trophy"};

template <size_t N>
int32_t IndexOf(const char* const (&names)[N], const std::string& name) {
  const std::string lower = ToLowerCase(name);
  for (size_t i = 0; i < N; ++i) {
    if (lower == names[i]) return static_cast<int32_t>(i);
  }
  return 0;
}

// Every piece of music plays at the music volume itself.
constexpr float kMusicFactor = 1.0f;

}  // namespace

KivMusic& KivMusic::Instance() {
  static KivMusic instance;
  return instance;
}

KivMusic* GetMusic() { return &KivMusic::Instance(); }

std::string KivMusic::ThemeName(int32_t index) {
  return kThemeNames[index >= 0 && index < kThemeCount ? index : 0];
}

std::string KivMusic::StingName(int32_t index) {
  return kStingNames[index >= 0 && index < kStingCount ? index : 0];
}

int32_t KivMusic::ThemeFromName(const std::string& name) { return IndexOf(kThemeNames, name); }
int32_t KivMusic::StingFromName(const std::string& name) { return IndexOf(kStingNames, name); }

uint32_t KivMusic::ThemeSample(int32_t index) const {
  return index >= 0 && index < kThemeCount ? themes_[index] : 0;
}

uint32_t KivMusic::StingSample(int32_t index) const {
  return index >= 0 && index < kStingCount ? stings_[index] : 0;
}

void KivMusic::Play(uint32_t sample) { channel_ = audio::GetAudio().PlaySampleAsMusic(sample, kMusicFactor); }

void KivMusic::Init() {
  audio::Audio& audio = audio::GetAudio();
  for (int32_t i = 0; i < kThemeCount; ++i) themes_[i] = audio.LoadSound(ThemeFile(i), true);
  for (int32_t i = 0; i < kStingCount; ++i) stings_[i] = audio.LoadSound(StingFile(i), false);
  Play(themes_[kMainTheme]);
  currentTheme_ = kMainTheme;
}

void KivMusic::Update() {
  if (channel_ != 0 && BASS_ChannelIsActive(channel_) == BASS_ACTIVE_PLAYING) return;
  if (currentTheme_ >= 0) Play(themes_[currentTheme_]);
}

void KivMusic::SetTheme(const std::string& name, bool playNow) {
  const int32_t index = ThemeFromName(name);
  if (index == currentTheme_) return;
  currentTheme_ = index;
  if (playNow) Play(themes_[index]);
}

void KivMusic::SetSting(const std::string& name) { Play(stings_[StingFromName(name)]); }

void KivMusic::ResumeCurrent() {
  if (currentTheme_ >= 0) Play(themes_[currentTheme_]);
}

void KivMusic::EnterMenuScreen() { SetTheme(ThemeName(kMainTheme), true); }

void KivMusic::PlayTrophySting() { Play(stings_[kTrophySting]); }

void KivMusic::Shutdown() {
  for (uint32_t& theme : themes_) theme = 0;
  for (uint32_t& sting : stings_) sting = 0;
  channel_ = 0;
  currentTheme_ = -1;
}
