#pragma once

// What the drawing benchmarks share: their window (the graphics tests' hidden window) and
// renderer, the bracket around each measured frame, the frame-rate counter, a TGA header
// for the images they make and the temporary folder they work in.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench/BenchWarmUp.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/ResMan.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "tests/graphics/TestWindow.h"

// Headless by default, on Mesa's software renderer, as the tests run; the environment may
// say otherwise.
inline void UseHeadlessDefaults() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
}

// A temporary folder for the files a benchmark makes: made and made the working folder
// when constructed; the working folder goes back and the folder is removed, with all in
// it, when destroyed.
class BenchFolder {
 public:
  explicit BenchFolder(const std::string& name) {
    std::string pattern = (std::filesystem::temp_directory_path() / ("pellavo_" + name + "_XXXXXX")).string();
    if (!mkdtemp(pattern.data())) return;
    path_ = pattern;
    std::error_code ec;
    previous_ = std::filesystem::current_path(ec);
    std::filesystem::current_path(path_, ec);
    ok_ = !ec;
  }
  ~BenchFolder() {
    std::error_code ec;
    if (!previous_.empty()) std::filesystem::current_path(previous_, ec);
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  // True when the folder was made and is the working folder.
  bool ok() const { return ok_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
  bool ok_ = false;
};

// The benchmark's window and an 800 x 600 OpenGL renderer on it.
struct BenchRenderer {
  HWND window = nullptr;
  Graphics* graphics = nullptr;
};

// False when either cannot be made (no OpenGL).
inline bool OpenBenchRenderer(BenchRenderer& renderer) {
  renderer.window = gfxtest::CreateTestWindow(800, 600);
  renderer.graphics = Dx8Graphics::Create();
  renderer.graphics->window = renderer.window;
  return renderer.window && renderer.graphics->Init() &&
         renderer.graphics->CreateDevice(800, 600, false, false);
}

// Releases the resources, the renderer and the window; the benchmark's own images go first.
inline void CloseBenchRenderer(BenchRenderer& renderer) {
  res::ResMan::Get().ReleaseAll();
  Graphics::SHUTDOWN();
  if (renderer.window) gfxtest::DestroyTestWindow(renderer.window);
  renderer = BenchRenderer();
}

// A cleared frame with the default 2-D states, as a game state's frame starts.
inline void BeginBenchFrame(Graphics* graphics) {
  graphics->BeginFrame();
  graphics->Clear(0xFF203040, 0, 0, true, false, false);
  graphics->ResetRenderStates();
}

inline void EndBenchFrame(Graphics* graphics) {
  graphics->EndFrame();
  graphics->Present();
}

// Reports the run's frames per second as the counter "fps".
inline void SetFrameRate(benchmark::State& state) {
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
}

// The 18-byte header of an uncompressed 32-bit TGA stored top row first; the caller
// appends width x height pixels as blue, green, red, alpha bytes.
inline std::string Tga32Header(int width, int height) {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = static_cast<char>(width);
  bytes[13] = static_cast<char>(width >> 8);
  bytes[14] = static_cast<char>(height);
  bytes[15] = static_cast<char>(height >> 8);
  bytes[16] = 32;
  bytes[17] = 0x28;
  return bytes;
}

// Measures frames that draw: each iteration is one cleared frame with draw() inside it.
// Skips the benchmark when there is no renderer.
template <typename Draw>
void RunBenchFrames(benchmark::State& state, Graphics* graphics, bool ready, Draw draw) {
  if (!ready) {
    state.SkipWithError("no OpenGL renderer");
    return;
  }
  for (auto _ : state) {
    BeginBenchFrame(graphics);
    draw();
    EndBenchFrame(graphics);
  }
  SetFrameRate(state);
}

// Runs the benchmarks of the program, headless by default on Mesa's software renderer as
// the tests run.
inline void RunBenchmarksHeadless(int& argc, char** argv) {
  UseHeadlessDefaults();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
}
