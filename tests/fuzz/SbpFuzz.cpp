// Runs arbitrary bytes as a biped animation (.sbp) file and plays a biped of it at several
// times, facing both ways, on the recording renderer.

#include <cstdint>
#include <cstdio>
#include <limits>

#include "engine/background/BipedAnim.h"
#include "tests/ui/SpriteTestSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static spritetest::SpriteRenderer renderer;
  FILE* file = std::fopen("fuzz_input.sbp", "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  bones::BipedAnimationSet set;
  set.AddAnimation("fuzz_input.sbp");
  const bones::BipedAnimation* animation = set.Find("fuzz_input");
  if (!animation) return 0;

  bones::Biped biped;
  biped.animation = animation;
  for (const auto& [key, bone] : animation->bones) {
    biped.parts.push_back(std::make_unique<bones::BipedPart>());
    biped.parts.back()->name = bone->Name;
    biped.parts.back()->bone = bone;
  }
  biped.InitParts();
  math::Vec2 min, max;
  biped.GetBounds(min, max);
  for (float time : {0.0f, 0.5f, 29.99f, 1e7f, -3.5f, std::numeric_limits<float>::infinity()}) {
    biped.time = time;
    biped.Render(math::Vec2(0.0f, 0.0f));
    biped.SetFacing(!biped.facing);
    biped.Tick(1.0f / 30.0f);
    biped.Render(math::Vec2(0.1f, 0.1f));
  }
  // The recording renderer keeps every call: forget this input's.
  renderer.calls.clear();
  renderer.draws.clear();
  renderer.textures.clear();
  renderer.renderStates.clear();
  renderer.stages.clear();
  renderer.transforms.clear();
  return 0;
}
