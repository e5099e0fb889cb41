// Runs each input as a .p2d particle file: load, emit in a rectangle and in bursts, tick
// and draw a few frames on a recording renderer, save, and load the saved file again.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "engine/part2d/Part2D.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

// Every group gets an image, so that the whole update and drawing path runs.
spritetest::SpriteRenderer& Renderer() {
  static spritetest::SpriteRenderer renderer;
  return renderer;
}

void Play(part2d::Part2D& system) {
  spritetest::SpriteRenderer& renderer = Renderer();
  system.origin = math::Vec2(0.5f, 0.5f);
  for (int frame = 0; frame < 8; ++frame) {
    system.EmitInRect(0.05f, math::Vec2(0.2f, 0.2f), math::Vec2(0.5f, 0.3f));
    if (frame % 3 == 0) system.Burst(4, math::Vec2(0.4f, 0.6f));
    system.Emit(math::Vec2(0.1f, 0.1f), math::Vec2(0.9f, 0.2f));
    system.Tick(frame == 5 ? 2.0f : 0.05f);
    system.Render(math::Vec2(0.01f, 0.02f));
    for (const FakeRenderer::Draw& draw : renderer.draws) {
      for (const ScreenVertex& v : draw.vertices) {
        // No NaN reaches a vertex.
        if (v.x != v.x || v.y != v.y) std::abort();
      }
    }
    renderer.draws.clear();
    renderer.calls.clear();
    renderer.renderStates.clear();
    renderer.textures.clear();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Files go to a folder of the process's own; the working folder stays as libFuzzer
  // left it, since it names its corpus by relative paths.
  static const std::string folder = [] {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("fuzz_p2d_" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path.string() + "/";
  }();
  const std::string input = folder + "input.p2d";
  const std::string saved = folder + "saved.p2d";
  if (FILE* file = std::fopen(input.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  part2d::Part2D system;
  if (!system.Load(input)) return 0;
  Play(system);
  if (!system.Save(saved)) return 0;
  part2d::Part2D again;
  if (!again.Load(saved)) std::abort();  // what we write we must read back
  if (again.GroupC() != system.GroupC()) std::abort();
  Play(again);
  return 0;
}
