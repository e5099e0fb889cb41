// Runs each input as the engine's small data tables from the archive, each through its
// own reader: as a sprite-sheet file (its strips made on a recording renderer, then
// ticked and looked up), as a number style (its glyphs laid out and measured for a few
// values), as the sound bank (its files loaded as samples on the recording audio back
// end and each entry played), and as a settings file (read, its values asked for, saved
// over itself, and read back with the same values). The files are written into a
// working folder of the run's own, where the file system finds them on the disk.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/Audio.h"
#include "engine/app/AudioSet.h"
#include "engine/core/ConfigFile.h"
#include "engine/graphics/Graphics.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UINumber.h"
#include "platform/bass/Bass.h"
#include "platform/bass/RecordingBackend.h"
#include "tests/fuzz/FuzzFolder.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

constexpr const char* kInput = "table.lua";

struct Stage {
  Stage() {
    if (chdir(FuzzFolder().c_str()) != 0) std::abort();
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) std::abort();
  }
  spritetest::SpriteRenderer renderer;
  bass::RecordingBackend backend;
  bass::ScopedBackend scope{backend};
  audio::Audio audio;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

void Sprites() {
  ui::SpriteSet& set = ui::GetSpriteSet();
  set.Load(kInput);
  for (const auto& [key, strip] : set) Check(strip != nullptr);
  set.Clear();
}

void Numbers() {
  ui::UINumber number;
  number.Load(kInput);
  std::vector<ScreenVertex> vertices(ui::UINumber::kMaxGlyphs * 6);
  for (int32_t value : {0, 7, -45, 1234567, INT32_MIN, INT32_MAX}) {
    const uint32_t count = number.BuildVertices(value, true, math::Vec2(0.5f, 0.5f), number.size, vertices.data());
    Check(count <= vertices.size());
    number.GetExtent(value, 1.5f, value > 0);
    number.Render(value, math::Vec2(0.1f, 0.1f), 1.0f, true);
  }
}

void Sounds(audio::Audio& audio) {
  audio::AudioSet bank(audio);
  bank.Load(kInput);
  for (const auto& [key, entry] : bank) {
    Check(entry->files.size() < 100000);
    bank.Play(entry->name);
  }
}

void Settings() {
  config::ConfigFile& settings = config::ConfigFile::Instance();
  if (settings.Load(kInput)) {
    const std::string server = settings.GetString("ScoreServer", "none");
    const int volume = settings.GetInt("MusicVolume", 3);
    settings.GetFloat("SoundVolume", 0.5f);
    settings.GetVector("Window", math::Vec3(1.0f, 2.0f, 3.0f));
    // Saved over the input (as the game saves its settings), it reads back the same.
    settings.Shutdown();
    if (settings.Load(kInput)) {
      Check(settings.GetString("ScoreServer", "none") == server);
      Check(settings.GetInt("MusicVolume", 3) == volume);
    }
  }
  settings.Shutdown();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Stage stage;
  std::FILE* file = std::fopen(kInput, "wb");
  if (!file) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  Sprites();
  Numbers();
  Sounds(stage.audio);
  stage.backend.ClearCalls();
  Settings();
  std::remove(kInput);
  return 0;
}
