// Loading a text-heavy movie (two fonts of 100 glyphs, static text, an edit text field
// and 40 curved shapes) and showing its first frame: once with nothing but the movie, so
// that every glyph is rasterised and packed and every shape tesselated, and once with the
// movie's ".gsc" cache beside it, which supplies the glyph textures and the meshes. The
// files are served from memory into a render handler that does nothing. Prints how much
// faster the cached load is.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchPair.h"
#include "bench/BenchWarmUp.h"
#include "engine/swf/base/file_stream.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/character.h"
#include "engine/swf/movie/cache_file.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/render/render_handler.h"
#include "tools/swfwriter/SwfTextMovies.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Takes every call and does nothing.
class NullRenderHandler : public swf::render_handler {
 public:
  swf::bitmap_info* create_bitmap_empty() override { return new swf::bitmap_info; }
  swf::bitmap_info* create_bitmap_alpha(int, int, const uint8_t* data) override {
    benchmark::DoNotOptimize(data);
    return new swf::bitmap_info;
  }
  swf::bitmap_info* create_bitmap_rgb(swf::image_rgb*) override { return new swf::bitmap_info; }
  swf::bitmap_info* create_bitmap_rgba(swf::image_rgba*) override { return new swf::bitmap_info; }
  void delete_bitmap(swf::bitmap_info*) override {}
  void begin_frame(swf::rgba, int, int, int, int, float, float, float, float) override {}
  void end_frame() override {}
  void set_matrix(const swf::matrix&) override {}
  void set_color_transform(const swf::cxform&) override {}
  void draw_triangle_strip(const int16_t* coords, int) override { benchmark::DoNotOptimize(coords); }
  void draw_line_strip(const int16_t* coords, int) override { benchmark::DoNotOptimize(coords); }
  void disable_fill(int) override {}
  void set_fill_color(int, swf::rgba) override {}
  void set_fill_bitmap(int, swf::bitmap_info*, const swf::matrix&, bitmap_wrap_mode) override {}
  void disable_line() override {}
  void set_line_color(swf::rgba) override {}
  void set_line_width(float) override {}
  void draw_bitmap_quad(const swf::matrix&, swf::bitmap_info*, const swf::rect&, const swf::rect&,
                        swf::rgba) override {}
  void set_antialiased(bool) override {}
  void begin_mask() override {}
  void end_mask() override {}
  void disable_mask() override {}
};

// Files served from memory by name; a write stream appends to its bytes.
struct MemoryFile {
  Bytes bytes;
  size_t position = 0;
};
std::map<std::string, MemoryFile>& Files() {
  static auto* files = new std::map<std::string, MemoryFile>;
  return *files;
}

swf::file_stream* StreamOver(MemoryFile* f) {
  return new swf::file_stream(
      f,
      [](void* dst, int bytes, void* data) {
        auto* m = static_cast<MemoryFile*>(data);
        size_t n = std::min(static_cast<size_t>(bytes), m->bytes.size() - m->position);
        std::memcpy(dst, m->bytes.data() + m->position, n);
        m->position += n;
        return static_cast<int>(n);
      },
      [](const void* src, int bytes, void* data) {
        auto* m = static_cast<MemoryFile*>(data);
        m->bytes.insert(m->bytes.end(), static_cast<const uint8_t*>(src), static_cast<const uint8_t*>(src) + bytes);
        m->position = m->bytes.size();
        return bytes;
      },
      [](int position, void* data) {
        auto* m = static_cast<MemoryFile*>(data);
        if (position < 0 || static_cast<size_t>(position) > m->bytes.size()) return 4;
        m->position = static_cast<size_t>(position);
        return 0;
      },
      [](void* data) {
        auto* m = static_cast<MemoryFile*>(data);
        m->position = m->bytes.size();
        return 0;
      },
      [](const void* data) { return static_cast<int>(static_cast<const MemoryFile*>(data)->position); },
      [](void* data) {
        auto* m = static_cast<MemoryFile*>(data);
        return m->position >= m->bytes.size();
      },
      [](void*) { return 0; });
}

swf::file_stream* OpenMemoryFile(const char* path) {
  auto it = Files().find(path);
  if (it == Files().end()) return nullptr;
  it->second.position = 0;
  return StreamOver(&it->second);
}

void Quiet(bool, const char*) {}

// Loads the movie and shows its first frame at 800 x 600; answers the definition.
swf::smart_ptr<swf::movie_def_impl> LoadAndShow() {
  swf::smart_ptr<swf::movie_def_impl> m(static_cast<swf::movie_def_impl*>(swf::create_movie("text.swf")));
  if (!m) return m;
  m->drop_ref();
  swf::movie_interface* root = m->create_instance();
  root->set_display_viewport(0, 0, 800, 600);
  root->advance(0.0f);
  root->display();
  root->drop_ref();
  return m;
}

void Setup() {
  static bool done = false;
  if (done) return;
  done = true;
  static NullRenderHandler handler;
  swf::set_render_handler(&handler);
  swf::register_log_callback(Quiet);
  swf::register_file_opener_callback(OpenMemoryFile);
  Files()["text.swf"].bytes = swfw::TextHeavyMovie(100, 40);
  // The cache, written from a load shown once, as tools/swfcache makes it.
  swf::smart_ptr<swf::movie_def_impl> m = LoadAndShow();
  MemoryFile cache;
  swf::file_stream* out = StreamOver(&cache);
  swf::cache_options options;
  m->output_cached_data(out, &options);
  delete out;
  std::printf("movie %zu bytes, cache %zu bytes\n", Files()["text.swf"].bytes.size(), cache.bytes.size());
  Files()["text.swf.gsc.kept"] = cache;
}


void Run(benchmark::State& state, bool cached) {
  Setup();
  if (cached) {
    Files()["text.swf.gsc"] = Files()["text.swf.gsc.kept"];
  } else {
    Files().erase("text.swf.gsc");
  }
  for (auto _ : state) {
    swf::smart_ptr<swf::movie_def_impl> m = LoadAndShow();
    benchmark::DoNotOptimize(m.get_ptr());
  }
}

void BM_LoadWithoutCache(benchmark::State& state) { Run(state, false); }
BENCHMARK(BM_LoadWithoutCache)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUpSeconds);

void BM_LoadWithCache(benchmark::State& state) { Run(state, true); }
BENCHMARK(BM_LoadWithCache)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUpSeconds);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  PairReporter reporter("BM_LoadWithoutCache", "BM_LoadWithCache", PairReporter::Clock::kReal);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (reporter.HasBoth()) {
    const double uncached = reporter.first_ns, cached = reporter.second_ns;
    std::printf("a load with its cache takes %.0f%% of the time of one without (%.2f ms against %.2f ms)\n",
                100.0 * cached / uncached, cached / 1e6, uncached / 1e6);
  }
  benchmark::Shutdown();
  return 0;
}
