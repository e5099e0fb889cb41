// Runs each input as the game shell's Lua tables, each in throw-away states through its
// own reader: as "scripts/constants.lua" (the tuning constants), as "dev.lua" (the
// developer switch, read in cheat mode), as "scripts/trophies.lua" (the trophy table,
// whose records then go through the checks and look-ups), as "scripts/credits.lua" (the
// credit lines, each of which must come out bounded), and as "scripts/items.lua" and
// "hana/hana_setup.lua" at once (the clothes catalogue and the heroine it makes, who is
// then dressed, measured, ticked and cloned, and whose bonuses are collected). The files are written into a working folder of
// the run's own, where the file system finds them on the disk.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/shell/KivCreditsState.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivVars.h"

namespace {

const std::string& FuzzFolder();

void RemoveFuzzFolder() {
  std::remove((FuzzFolder() + "/" + KivVars::kConstantsFile).c_str());
  std::remove((FuzzFolder() + "/" + KivVars::kDevFile).c_str());
  std::remove((FuzzFolder() + "/" + KivTrophyData::kTrophyFile).c_str());
  std::remove((FuzzFolder() + "/" + KivCreditsState::kCreditsFile).c_str());
  std::remove((FuzzFolder() + "/" + KivDresses::kItemsFile).c_str());
  std::remove((FuzzFolder() + "/" + KivHana::kSetupFile).c_str());
  rmdir((FuzzFolder() + "/scripts").c_str());
  rmdir((FuzzFolder() + "/hana").c_str());
  rmdir(FuzzFolder().c_str());
}

const std::string& FuzzFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/pellavo_shell_fuzzXXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) std::abort();
    return std::string(made);
  }();
  return folder;
}

void WriteInput(const char* name, const uint8_t* data, size_t size) {
  std::FILE* out = std::fopen(name, "wb");
  if (!out) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
  std::fclose(out);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (chdir(FuzzFolder().c_str()) != 0 || mkdir("scripts", 0700) != 0 || mkdir("hana", 0700) != 0) {
    std::abort();
  }
  std::atexit(RemoveFuzzFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KivVars& vars = KivVars::Instance();
  WriteInput(KivVars::kConstantsFile, data, size);
  vars.LoadConstants();
  for (int32_t i = 0; i < KivVars::kConstantCount; ++i) vars.GetConstantByIndex(i);

  WriteInput(KivVars::kDevFile, data, size);
  vars.SetCheatMode(true);
  vars.LoadDevData();

  KivTrophyData& trophies = KivTrophyData::Instance();
  WriteInput(KivTrophyData::kTrophyFile, data, size);
  trophies.Load(KivTrophyData::kTrophyFile);
  trophies.ProfileChanged();
  const int32_t some = size > 0 ? static_cast<int32_t>(data[0]) * 7 - 300 : 0;
  trophies.OnMoveResolved(some, size > 1 ? data[1] : 0);
  trophies.OnZenMeterFilled();
  trophies.CheckTimeRemaining(some);
  trophies.CheckLevelsOpen();
  trophies.OnNewFashion(some, some / 3);
  for (const KivTrophyData::Record& record : trophies.Records()) {
    trophies.FindByIndex(record.index);
    trophies.FindByCondition(record.kind, &record);
  }

  WriteInput(KivCreditsState::kCreditsFile, data, size);
  std::vector<KivCreditsState::Line> lines;
  KivCreditsState::ReadCredits(KivCreditsState::kCreditsFile, &lines);
  if (lines.size() > static_cast<size_t>(KivCreditsState::kMaxLines)) __builtin_trap();
  for (const KivCreditsState::Line& line : lines) {
    if (line.text.size() > KivCreditsState::kMaxLineLength || line.style > KivCreditsState::kBig) __builtin_trap();
  }

  WriteInput(KivDresses::kItemsFile, data, size);
  WriteInput(KivHana::kSetupFile, data, size);
  KivDresses dresses;
  if (KivHana* hana = dresses.GetHana()) {
    hana->ReloadCurrent();
    for (const char* slot : {"head", "upper", "lower", ""}) hana->IsAvailable(slot);
    hana->SetScale(some * 0.01f);
    hana->GetSize();
    std::vector<KivDresses::Stat> stats;
    dresses.CollectStats(hana, stats);
    for (const auto& part : hana->Parts()) {
      dresses.Find(part->current);
      hana->SetNext(part->Name, part->pieces.back());
    }
    hana->Tick(0.1f);
    hana->Clone()->SetPieces(*hana);
  }
  return 0;
}
