// SWF shapes: tesselating generated curve-heavy shapes at the tolerance of a 1:1 display
// (triangles a second), beside drawing the same shapes from their cached meshes into a
// render handler that does nothing. The shapes are written with our SWF writer and read
// by the player, as a movie would bring them. Prints how much cheaper a cache hit is.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/BenchPair.h"
#include "bench/BenchWarmUp.h"
#include "engine/swf/base/file_stream.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/render/render_handler.h"
#include "engine/swf/shape/shape.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

// Takes every call and does nothing.
class NullRenderHandler : public swf::render_handler {
 public:
  swf::bitmap_info* create_bitmap_empty() override { return new swf::bitmap_info; }
  swf::bitmap_info* create_bitmap_alpha(int, int, const uint8_t*) override { return new swf::bitmap_info; }
  swf::bitmap_info* create_bitmap_rgb(swf::image_rgb*) override { return new swf::bitmap_info; }
  swf::bitmap_info* create_bitmap_rgba(swf::image_rgba*) override { return new swf::bitmap_info; }
  void delete_bitmap(swf::bitmap_info*) override {}
  void begin_frame(swf::rgba, int, int, int, int, float, float, float, float) override {}
  void end_frame() override {}
  void set_matrix(const swf::matrix&) override {}
  void set_color_transform(const swf::cxform&) override {}
  void draw_triangle_strip(const int16_t* coords, int vertex_count) override {
    benchmark::DoNotOptimize(coords);
    vertices += vertex_count;
  }
  void draw_line_strip(const int16_t* coords, int vertex_count) override { benchmark::DoNotOptimize(coords); }
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

  long long vertices = 0;
};

// One movie file served from memory.
struct MemoryFile {
  std::vector<uint8_t> bytes;
  size_t position = 0;
};
MemoryFile g_file;

swf::file_stream* OpenMemoryFile(const char* path) {
  if (std::strcmp(path, "shapes.swf") != 0) return nullptr;
  g_file.position = 0;
  return new swf::file_stream(
      &g_file,
      [](void* dst, int bytes, void* data) {
        auto* f = static_cast<MemoryFile*>(data);
        size_t n = std::min(static_cast<size_t>(bytes), f->bytes.size() - f->position);
        std::memcpy(dst, f->bytes.data() + f->position, n);
        f->position += n;
        return static_cast<int>(n);
      },
      [](const void*, int, void*) { return 0; },
      [](int position, void* data) {
        auto* f = static_cast<MemoryFile*>(data);
        if (position < 0 || static_cast<size_t>(position) > f->bytes.size()) return 4;
        f->position = static_cast<size_t>(position);
        return 0;
      },
      [](void* data) {
        auto* f = static_cast<MemoryFile*>(data);
        f->position = f->bytes.size();
        return 0;
      },
      [](const void* data) { return static_cast<int>(static_cast<const MemoryFile*>(data)->position); },
      [](void* data) {
        auto* f = static_cast<MemoryFile*>(data);
        return f->position >= f->bytes.size();
      },
      [](void*) { return 0; });
}

// A flower of `petals` curved petals around (cx, cy), its petals reaching out to `outer`
// twips and its waist at `inner`, filled with `fill` and outlined.
std::vector<swfw::ShapeRecord> Flower(int cx, int cy, int inner, int outer, int petals, int fill) {
  std::vector<swfw::ShapeRecord> records;
  auto at = [&](double angle, int radius) {
    return std::make_pair(static_cast<int>(std::lround(cx + radius * std::cos(angle))),
                          static_cast<int>(std::lround(cy + radius * std::sin(angle))));
  };
  const double step = 2.0 * M_PI / petals;
  auto pen = at(0.0, inner);
  swfw::ShapeRecord start = swfw::ShapeRecord::Move(pen.first, pen.second);
  start.fill1 = fill;
  start.line = 1;
  records.push_back(start);
  for (int i = 0; i < petals; ++i) {
    auto control = at((i + 0.5) * step, outer);
    auto anchor = at((i + 1) * step, inner);
    records.push_back(swfw::ShapeRecord::Curve(control.first - pen.first, control.second - pen.second,
                                               anchor.first - control.first, anchor.second - control.second));
    pen = anchor;
  }
  return records;
}

// A 800 x 600 pixel stage of 6 x 4 flowers of 24 petals each, three colours.
swf::smart_ptr<swf::shape_character> LoadShapes() {
  swfw::Shape shape;
  shape.bounds = {0, 16000, 0, 12000};
  for (swfw::Color c : {swfw::Color{220, 60, 90, 255}, swfw::Color{250, 200, 40, 255}, swfw::Color{90, 60, 200, 255}}) {
    swfw::FillStyle fill;
    fill.color = c;
    shape.fills.push_back(fill);
  }
  shape.lines = {swfw::LineStyle{20, swfw::Color{0, 0, 0, 255}}};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 6; ++column) {
      auto flower = Flower(1400 + column * 2640, 1500 + row * 3000, 500 + 40 * column, 1300 + 30 * row, 24,
                           1 + (row + column) % 3);
      shape.records.insert(shape.records.end(), flower.begin(), flower.end());
    }
  }
  swfw::Movie movie;
  movie.Add(swfw::DefineShape(swfw::kDefineShape3, 1, shape)).ShowFrame().End();
  g_file.bytes = movie.Build();
  swf::register_file_opener_callback(OpenMemoryFile);
  swf::smart_ptr<swf::movie_definition_sub> m(swf::create_movie("shapes.swf"));
  if (m) m->drop_ref();  // create_movie's reference is held here now
  static swf::smart_ptr<swf::movie_definition_sub> keep;
  keep = m;
  return m ? dynamic_cast<swf::shape_character*>(m->get_character_def(1)) : nullptr;
}

swf::shape_character* Shapes() {
  static swf::smart_ptr<swf::shape_character> shapes = LoadShapes();
  return shapes.get_ptr();
}

NullRenderHandler& Handler() {
  static NullRenderHandler* handler = [] {
    auto* h = new NullRenderHandler;
    swf::set_render_handler(h);
    return h;
  }();
  return *handler;
}

int TrianglesOf(const swf::shape_mesh& mesh) {
  int triangles = 0;
  for (const auto& strip : mesh.get_fill_strips()) {
    if (strip.size() >= 6) triangles += static_cast<int>(strip.size() / 2) - 2;
  }
  return triangles;
}

// At 1:1 the wanted tolerance is 20 twips (a pixel) and a mesh is made at 3/4 of it.
constexpr float kOneToOneTolerance = 0.75f * 20.0f * swf::kCurvePixelError;


void BM_TesselateAtOneToOne(benchmark::State& state) {
  Handler();
  swf::shape_character* shape = Shapes();
  if (!shape) {
    state.SkipWithError("the shape movie did not load");
    return;
  }
  long long triangles = 0;
  for (auto _ : state) {
    swf::shape_mesh mesh(shape, kOneToOneTolerance);
    mesh.display(swf::matrix::identity, swf::cxform::identity, shape->get_fill_styles(), shape->get_line_styles());
    triangles += TrianglesOf(mesh);
  }
  state.counters["triangles"] = static_cast<double>(triangles) / static_cast<double>(state.iterations());
  state.counters["triangles/s"] = benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TesselateAtOneToOne)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(kWarmUpSeconds);

void BM_DrawFromMeshCache(benchmark::State& state) {
  NullRenderHandler& handler = Handler();
  swf::shape_character* shape = Shapes();
  if (!shape) {
    state.SkipWithError("the shape movie did not load");
    return;
  }
  shape->display_with_mesh_cache(swf::matrix::identity, swf::cxform::identity, 1.0f, shape->get_fill_styles(),
                                 shape->get_line_styles());
  int builds = swf::shape_mesh::get_build_count();
  handler.vertices = 0;
  for (auto _ : state) {
    shape->display_with_mesh_cache(swf::matrix::identity, swf::cxform::identity, 1.0f, shape->get_fill_styles(),
                                   shape->get_line_styles());
  }
  if (swf::shape_mesh::get_build_count() != builds) state.SkipWithError("the cache was missed");
  state.counters["vertices"] = static_cast<double>(handler.vertices) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DrawFromMeshCache)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(kWarmUpSeconds);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  PairReporter reporter("BM_TesselateAtOneToOne", "BM_DrawFromMeshCache", PairReporter::Clock::kCpu);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (reporter.HasBoth()) {
    const double rebuild = reporter.first_ns, cached = reporter.second_ns;
    std::printf("a draw from the mesh cache costs 1/%.0f of a rebuild (%.1f us against %.1f us)\n",
                rebuild / cached, cached / 1000.0, rebuild / 1000.0);
  }
  benchmark::Shutdown();
  return 0;
}
