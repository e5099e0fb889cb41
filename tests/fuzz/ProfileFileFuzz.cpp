// Feeds arbitrary bytes to the profile-file reader as a profile file, then uses and saves
// the store it loaded.
//
// The first input byte picks the file: odd, the rest of the input overwrites a valid
// record with three profiles at the offset that the next three bytes give (so that small
// inputs reach the checks behind a good header); even, the rest of the input is the whole
// file.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/GameRMS.h"
#include "tests/fuzz/FuzzFolder.h"

namespace {

const std::vector<uint8_t>& ValidImage() {
  static const std::vector<uint8_t> image = [] {
    GameRMS rms(FuzzFolder() + "/seed.rms");
    rms.Load();
    rms.AddProfile("Anna", "info", "paris");
    rms.AddProfile("let_me_play_on", "", "oslo");
    rms.AddProfile("Bo", "x", "");
    rms.SetProfile(1);
    rms.SetScore(7, 1234);
    return GameRMS::EncodeRecord(rms.GetRecord());
  }();
  return image;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::vector<uint8_t> file;
  if (data[0] & 1) {
    file = ValidImage();
    if (size >= 4) {
      const size_t offset = (data[1] | data[2] << 8 | data[3] << 16) % GameRMS::kRecordSize;
      const size_t length = std::min(size - 4, GameRMS::kRecordSize - offset);
      std::memcpy(file.data() + offset, data + 4, length);
    }
  } else {
    file.assign(data + 1, data + size);
  }

  const std::string path = FuzzFolder() + "/kx_fuzz.rms";
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) std::abort();
  if (!file.empty() && std::fwrite(file.data(), 1, file.size(), out) != file.size()) std::abort();
  std::fclose(out);

  // One store for every input: Load sets all of it, and large blocks made afresh for each
  // input would cost more than the reading itself.
  static GameRMS* const rms = new GameRMS(path);
  rms->Load();
  Check(rms->IsLoaded());
  const int32_t count = rms->GetProfileC();
  Check(count >= 0 && count <= GameRMS::kMaxProfiles);
  Check(rms->ProfileValid() == (rms->GetCurrentProfileRecord() != nullptr));
  for (int32_t i = -1; i <= count; ++i) {
    Check(rms->GetNameFromID(i).size() <= GameRMS::kTextSize);
    Check(rms->GetLocationFromID(i).size() <= GameRMS::kTextSize);
  }
  Check(rms->GetLanguage().size() <= GameRMS::kTextSize);
  Check(rms->GetName().size() <= GameRMS::kTextSize);
  rms->GetRank(0);
  rms->GetTrophyValue(999);
  rms->IsCheating();
  const float volume = rms->GetSoundVolume() + rms->GetMusicVolume();
  Check(volume == volume);

  // The record survives a second trip through the file image unchanged.
  const std::vector<uint8_t> image = GameRMS::EncodeRecord(rms->GetRecord());
  static GameRMS::Record* const again = new GameRMS::Record();
  Check(GameRMS::DecodeRecord(image.data(), image.size(), *again));
  Check(GameRMS::EncodeRecord(*again) == image);

  // Editing and saving the loaded store writes a whole record.
  rms->DeleteProfile(0);
  rms->AddProfile("Fuzz", "", "");
  rms->SetOpen(1999, 2);
  Check(rms->Save());
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) std::abort();
  std::fseek(in, 0, SEEK_END);
  Check(std::ftell(in) == static_cast<long>(GameRMS::kRecordSize));
  std::fclose(in);
  return 0;
}
