// Text through the font manager on OpenGL (headless unless SDL_VIDEODRIVER says
// otherwise): frames of 200 queued lines of 60 characters in a bitmap font and in a
// TrueType font, next to frames of 200 plain sprites drawn one call each and an empty
// frame; and the layout alone (measuring, nothing drawn). Prints the time per line.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchFrame.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Image.h"

namespace {

constexpr int kLines = 200;
constexpr int kLineLength = 60;
constexpr int kGlyphWidth = 7;
constexpr int kGlyphHeight = 12;
constexpr int kSheetWidth = 256;
constexpr int kSheetHeight = 64;
constexpr int kGlyphsPerRow = kSheetWidth / 8;

// A 256 x 64 TGA glyph sheet: every printable ASCII character a 7 x 12 block with a hole,
// on 8 x 12 cells.
std::string GlyphSheetTga() {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = static_cast<char>(kSheetWidth & 0xFF);
  bytes[13] = static_cast<char>(kSheetWidth >> 8);
  bytes[14] = static_cast<char>(kSheetHeight);
  bytes[16] = 32;
  bytes[17] = 0x28;
  for (int y = 0; y < kSheetHeight; ++y) {
    for (int x = 0; x < kSheetWidth; ++x) {
      const int cx = x % 8, cy = y % kGlyphHeight;
      const bool ink = y < 3 * kGlyphHeight && cx < kGlyphWidth && !(cx == 3 && cy > 2 && cy < 9);
      for (int channel = 0; channel < 4; ++channel) bytes.push_back(static_cast<char>(ink ? 0xFF : 0));
    }
  }
  return bytes;
}

// The description of that sheet: characters 32 to 126.
std::string BitmapFontLua() {
  std::string text = "Offset = 1\nImg = \"fonts/bench.tga\"\nFont = {\n";
  for (int code = 32; code < 127; ++code) {
    const int i = code - 32;
    const int x = (i % kGlyphsPerRow) * 8, y = (i / kGlyphsPerRow) * kGlyphHeight;
    text += "  { x = " + std::to_string(x) + ", y = " + std::to_string(y) + ", w = " +
            std::to_string(kGlyphWidth) + ", h = " + std::to_string(kGlyphHeight) +
            ", Offset = 1, GlyphID = " + std::to_string(code) + " },\n";
  }
  return text + "}\n";
}

struct Scene {
  BenchRenderer renderer;
  Graphics* graphics = nullptr;
  Font* bitmapFont = nullptr;
  Font* trueTypeFont = nullptr;
  std::unique_ptr<Image> sprite;
  std::vector<std::string> lines;
  std::string folder;
  bool ready = false;
};

Scene& GetScene() {
  static Scene scene = [] {
    Scene s;
    // The font files go into a folder of their own, which becomes the working folder.
    char pattern[] = "/tmp/pellavo-fontbench-XXXXXX";
    if (!mkdtemp(pattern)) return s;
    s.folder = pattern;
    if (chdir(s.folder.c_str()) != 0) return s;
    std::filesystem::create_directories("fonts");
    std::ofstream("fonts/bench.tga", std::ios::binary) << GlyphSheetTga();
    std::ofstream("fonts/bench.lua") << BitmapFontLua();

    if (!OpenBenchRenderer(s.renderer)) return s;
    s.graphics = s.renderer.graphics;
    FontManager& fonts = FontManager::Get();
    s.bitmapFont = fonts.InitBitmapFont("Bench", "fonts/bench.lua");
    s.trueTypeFont = fonts.CreateFont("BenchTT", "DejaVu Sans", 0, 12, 500, 0);
    s.sprite.reset(s.graphics->LoadImage("fonts/bench.tga"));

    const std::string words =
        "Link three blocks or more to clear them; cast spells with zen, meet each goal! ";
    for (int i = 0; i < kLines; ++i) {
      std::string line;
      for (int k = 0; k < kLineLength; ++k) line += words[(i * 7 + k) % words.size()];
      s.lines.push_back(line);
    }
    s.ready = s.bitmapFont && s.bitmapFont->GlyphCount() > 0 && s.trueTypeFont && s.sprite;
    return s;
  }();
  return scene;
}

// Microseconds per line (or sprite): the frame's time spread over its 200 items.
void SetPerItem(benchmark::State& state) {
  state.counters["us_per_item"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kLines * 1e-6,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

math::Vec2 LinePosition(int i) {
  return {static_cast<float>(i % 4) * 0.02f, static_cast<float>(i) * 2.9f / 600.0f};
}

void QueuedTextFrames(benchmark::State& state, Font* font) {
  Scene& scene = GetScene();
  FontManager& fonts = FontManager::Get();
  for (auto _ : state) {
    BeginBenchFrame(scene.graphics);
    for (int i = 0; i < kLines; ++i) fonts.PrintFont(font, LinePosition(i), scene.lines[i]);
    fonts.RenderText();
    EndBenchFrame(scene.graphics);
  }
  SetPerItem(state);
}

void BM_EmptyFrame(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.ready) return state.SkipWithError("no OpenGL renderer or font");
  for (auto _ : state) {
    BeginBenchFrame(scene.graphics);
    EndBenchFrame(scene.graphics);
  }
  SetPerItem(state);
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

void BM_BitmapFontLines(benchmark::State& state) {
  if (!GetScene().ready) return state.SkipWithError("no OpenGL renderer or font");
  QueuedTextFrames(state, GetScene().bitmapFont);
}
BENCHMARK(BM_BitmapFontLines)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

void BM_TrueTypeFontLines(benchmark::State& state) {
  if (!GetScene().ready) return state.SkipWithError("no OpenGL renderer or font");
  QueuedTextFrames(state, GetScene().trueTypeFont);
}
BENCHMARK(BM_TrueTypeFontLines)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

void BM_PlainSprites(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.ready) return state.SkipWithError("no OpenGL renderer or font");
  const math::Vec2 size(60 * 8 / 800.0f, kGlyphHeight / 600.0f);
  ScreenVertex quad[6];
  for (auto _ : state) {
    BeginBenchFrame(scene.graphics);
    for (int i = 0; i < kLines; ++i) {
      scene.graphics->SetTexture(0, scene.sprite.get());
      BuildScreenQuad(LinePosition(i), size, {0, 0}, {1, 1}, 0xFFFFFFFF, quad);
      scene.graphics->DrawArray(quad, 6, PT_Triangles);
    }
    EndBenchFrame(scene.graphics);
  }
  SetPerItem(state);
}
BENCHMARK(BM_PlainSprites)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUpSeconds);

// The layout and measuring of the 200 lines, nothing drawn.
void BM_BitmapFontLayoutOnly(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.ready) return state.SkipWithError("no OpenGL renderer or font");
  math::Vec2 position, size;
  for (auto _ : state) {
    for (int i = 0; i < kLines; ++i) {
      position = LinePosition(i);
      scene.bitmapFont->GetTextSize(scene.lines[i], {1, 1}, position, size, 0);
    }
    benchmark::DoNotOptimize(size);
  }
  SetPerItem(state);
}
BENCHMARK(BM_BitmapFontLayoutOnly)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(kWarmUpSeconds);

}  // namespace

int main(int argc, char** argv) {
  RunBenchmarksHeadless(argc, argv);
  Scene& scene = GetScene();
  FontManager::Get().Shutdown();
  scene.sprite.reset();
  CloseBenchRenderer(scene.renderer);
  if (!scene.folder.empty()) std::filesystem::remove_all(scene.folder);
  benchmark::Shutdown();
  return 0;
}
