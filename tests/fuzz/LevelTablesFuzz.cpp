// Runs each input as the level state's three tables, each through its own reader: as the
// goal table, the level table and the score table. Every goal read is then made into a
// goal object that counts a few chains and ticks, and every level asks for its generator,
// so that what a table holds reaches the code that uses it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "game/board/KivGoal.h"
#include "game/board/KivScore.h"
#include "game/board/LevelInfo.h"
#include "tests/fuzz/FuzzFolder.h"

namespace {

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
  std::fclose(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FuzzFolder() + "/table.lua";
  WriteInput(path, data, size);

  LevelInfo& info = LevelInfo::Instance();
  info.LoadGoals(path);
  info.LoadLevels(path);
  for (const auto& [key, goalData] : *info.Goals()) {
    std::unique_ptr<KivGoal> goal(KivGoal::FromName(goalData, nullptr));
    if (!goal) std::abort();
    goal->OnChain(7, 3);
    goal->OnChain(3, KivGoal::kAnyColour);
    goal->AddProgress(0.5f);
    goal->IsMet();
  }
  for (const auto& [key, level] : *info.Levels()) {
    std::unique_ptr<BlockGenerator> generator(LevelInfo::GetGenMode(level->genMode, nullptr, level->genSpeed));
    if (generator && !generator->IsPuzzle()) generator.reset();  // an automatic one needs a board
    if (generator) generator->Tick(0.1f);
    info.FindGoal(level->failure);
  }
  LevelInfo::Shutdown();

  KivScore::Instance().LoadFrom(path);
  for (int32_t row = 0; row < KivScore::kRows; ++row) KivScore::Instance().GetValue(row);
  return 0;
}
