// The particle effects of the content: each .p2d file of data/effects runs, names images
// that decode, and plays: emission in a rectangle, ticks and draws on a recording
// renderer, with the death rules and triggers feeding their secondary groups.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/core/Random.h"
#include "engine/core/VFS.h"
#include "engine/part2d/Part2D.h"
#include "platform/d3d8/ImageDecoder.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string kArchive = std::string(PELLAVO_BINARY_DIR) + "/bin/kx.arc";
const std::string kEffects = std::string(PELLAVO_SOURCE_DIR) + "/data/effects";

class EffectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testenv::FileExists(kArchive));
    vfs::VFS::Instance().AddArchive(kArchive);
    num::Random::Instance().Seed(5);
  }
  void TearDown() override { vfs::VFS::Instance().RemoveArchives(); }

  spritetest::SpriteRenderer renderer_;
};

bool Decodes(const std::string& name) {
  vfs::File file;
  if (!vfs::VFS::Instance().LoadFile(name, file)) return false;
  d3d8::DecodedImage image;
  return d3d8::DecodeImage(file.Chars(), file.size, &image) == D3D_OK && image.width > 0;
}

TEST_F(EffectsTest, EveryEffectRunsNamesImagesThatDecodeAndPlays) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(kEffects)) {
    if (entry.path().extension() != ".p2d") continue;
    ++files;
    const std::string name = "effects/" + entry.path().filename().string();
    SCOPED_TRACE(name);
    part2d::Part2D system;
    ASSERT_TRUE(system.Load(name));
    ASSERT_GT(system.GroupC(), 0);
    for (int32_t i = 0; i < system.GroupC(); ++i) {
      const part2d::PartGroup* group = system.GetGroup(i);
      EXPECT_TRUE(Decodes(group->GetImage())) << group->GetImage();
      EXPECT_FALSE(group->forces.empty() && group->partDie == nullptr && group->TriggerIndex < 0 &&
                   !group->IsSecondary && group->colorKeys.empty())
          << "group " << i << " does nothing of its own";
    }
    // An effect whose groups have no rate is fired in bursts along segments (popup edges).
    bool emitsAtARate = false;
    for (int32_t i = 0; i < system.GroupC(); ++i) emitsAtARate |= system.GetGroup(i)->GetGenRate() > 0.0f;
    // Three seconds of emission over the top of the screen at 60 frames a second.
    size_t draws = 0;
    for (int frame = 0; frame < 180; ++frame) {
      if (emitsAtARate) {
        system.EmitInRect(1.0f / 60, math::Vec2(0.3f, 0.2f), math::Vec2(0.4f, 0.1f));
      } else if (frame % 30 == 0) {
        system.Emit(math::Vec2(0.3f, 0.2f), math::Vec2(0.7f, 0.2f));
      }
      system.Tick(1.0f / 60);
      renderer_.draws.clear();
      system.Render(math::Vec2(0, 0));
      draws += renderer_.draws.size();
    }
    EXPECT_GT(draws, 0u);
    EXPECT_GT(system.GetGroup(0)->GetLiveCount(), 0);
    // Secondary groups are fed by dying particles only.
    for (int32_t i = 1; i < system.GroupC(); ++i) {
      const part2d::PartGroup* group = system.GetGroup(i);
      if (!group->IsSecondary) continue;
      int alive = 0;
      for (int32_t k = 0; k < group->GetMaxC(); ++k) alive += group->particles[k].alive;
      EXPECT_GT(alive + (group->GetLiveCount() > 0), 0) << "secondary group " << i << " never fed";
    }
  }
  EXPECT_GE(files, 2);
  for (const char* needed : {"petals.p2d", "sparkle.p2d", "popup_fx.p2d", "trophy.p2d"}) {
    EXPECT_TRUE(fs::exists(kEffects + "/" + needed)) << needed;
  }
}

}  // namespace
