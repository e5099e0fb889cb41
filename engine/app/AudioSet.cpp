#include "engine/app/AudioSet.h"

#include <algorithm>

#include "engine/app/Audio.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "engine/core/Script.h"

namespace audio {

void AudioSet::Load(const std::string& fileName) {
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, fileName)) {
    LOG_LINE(MSG_ERROR) << "Unable to load audio-set " << fileName << "!";
    LuaState::Destroy(state);
    return;
  }
  const LuaObject bank = script::GetGlobal(state, "SoundBank");
  if (bank.IsTable()) {
    const int count = bank.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      const LuaObject element = bank[i];
      if (!element.IsTable()) continue;
      const std::string name = script::GetString(element, "Name", "");
      const LuaObject files = element["Files"];
      const LuaObject bias = element["Bias"];
      if (!files.IsTable() || name.empty()) continue;

      MEMORY_OWNER("AudioSet::Load");
      SoundBankEntry* entry = new SoundBankEntry;
      entry->name = name;
      const int fileCount = files.GetTableCount();
      for (int j = 1; j <= fileCount; ++j) {
        const LuaObject file = files[j];
        if (!file.IsString()) continue;
        SoundBankFile record;
        record.file = file.ToStdString();
        record.sampleId = audio_.LoadSound(record.file, false);
        if (bias.IsTable()) {
          const LuaObject factor = bias[j];
          if (factor.IsNumber()) record.factor = std::clamp(factor.GetFloat(), kMinFactor, kMaxFactor);
        }
        entry->files.push_back(std::move(record));
      }
      if (!Insert(name, entry)) delete entry;
    }
  }
  LuaState::Destroy(state);
}

int AudioSet::Play(const std::string& name) {
  const SoundBankEntry* entry = Find(name);
  if (!entry) {
    LOG_LINE(MSG_WARNING) << "SFX: Couldn't find sound file " << name;
    return -1;
  }
  // An entry whose files all were skipped has nothing to pick from; it fails as an unknown
  // name does instead of taking a remainder by zero.
  if (entry->files.empty()) {
    LOG_LINE(MSG_WARNING) << "SFX: sound " << name << " has no files";
    return -1;
  }
  const SoundBankFile& file = entry->files[size_t(num::CRand()) % entry->files.size()];
  if (file.sampleId == 0) {
    LOG_LINE(MSG_WARNING) << "SFX: error playing sample " << name << ", couldn't find file "
                          << file.file;
    return -1;
  }
  return int(audio_.PlaySample(file.sampleId, file.factor));
}

}  // namespace audio
