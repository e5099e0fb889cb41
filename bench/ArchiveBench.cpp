// Reading a large compressed archive entry through the file system against inflating the
// same bytes with zlib alone: what the archive adds (seek, read, checks, buffers) on top
// of zlib's own work. Prints the ratio of the two times at the end.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchWarmUp.h"
#include "engine/core/Archive.h"
#include "engine/core/VFS.h"

namespace {

constexpr size_t kEntrySize = 4u << 20;  // 4 MiB
const char kEntryName[] = "bench/level_data.lua";

// Script-like text: deflate shrinks it to roughly a quarter, as with the game's data.
std::string MakeContent() {
  static const char* const kWords[] = {"Block", "= {", "}", "Chain", "Zen", "0.25", "true",
                                       "Spell", "\n", "Dress", "Shop", "1024", "--", "Board"};
  std::string text;
  text.reserve(kEntrySize);
  uint32_t seed = 12345;
  while (text.size() < kEntrySize) {
    seed = seed * 1664525u + 1013904223u;
    text += kWords[(seed >> 16) % 14];
    text += ' ';
    if ((seed >> 8) % 5 == 0) text += std::to_string(seed % 100000);
  }
  text.resize(kEntrySize);
  return text;
}

struct Fixture {
  std::string folder;
  std::string content;
  std::string compressed;  // the entry's stored bytes, as the archive holds them
};

Fixture& GetFixture() {
  static Fixture fixture = [] {
    Fixture f;
    char pattern[] = "/tmp/pellavo-bench-XXXXXX";
    f.folder = mkdtemp(pattern) ? pattern : ".";
    f.content = MakeContent();
    std::string disk = f.folder + "/level_data.lua";
    FILE* out = std::fopen(disk.c_str(), "wb");
    std::fwrite(f.content.data(), 1, f.content.size(), out);
    std::fclose(out);

    vfs::Archive archive;
    archive.AddFile(disk, kEntryName);
    std::string path = f.folder + "/bench.arc";
    archive.SaveArchive(path);
    vfs::VFS::Instance().AddArchive(path);

    const vfs::ArchiveEntry& entry = *archive.Entries().begin()->second;
    f.compressed.resize(entry.storedSize);
    FILE* in = std::fopen(path.c_str(), "rb");
    std::fseek(in, entry.offset, SEEK_SET);
    if (std::fread(f.compressed.data(), 1, entry.storedSize, in) != entry.storedSize) f.compressed.clear();
    std::fclose(in);
    return f;
  }();
  return fixture;
}

void BM_VfsLoadFile(benchmark::State& state) {
  GetFixture();
  for (auto _ : state) {
    vfs::File file;
    if (!vfs::VFS::Instance().LoadFile(kEntryName, file)) state.SkipWithError("LoadFile failed");
    benchmark::DoNotOptimize(file.data.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kEntrySize);
}
BENCHMARK(BM_VfsLoadFile)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUpSeconds);

void BM_ZlibUncompress(benchmark::State& state) {
  const Fixture& fixture = GetFixture();
  for (auto _ : state) {
    std::unique_ptr<uint8_t[]> out(new uint8_t[kEntrySize]);
    uLongf size = kEntrySize;
    if (uncompress(out.get(), &size, reinterpret_cast<const Bytef*>(fixture.compressed.data()),
                   fixture.compressed.size()) != Z_OK) {
      state.SkipWithError("uncompress failed");
    }
    benchmark::DoNotOptimize(out.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kEntrySize);
}
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUpSeconds);

// Keeps each benchmark's time per iteration for the closing ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration) times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const Fixture& fixture = GetFixture();
  double vfs = reporter.times["BM_VfsLoadFile"];
  double zlib = reporter.times["BM_ZlibUncompress"];
  if (vfs > 0 && zlib > 0) {
    std::printf("entry: %zu bytes raw, %zu stored; VFS::LoadFile / zlib uncompress = %.3fx\n",
                fixture.content.size(), fixture.compressed.size(), vfs / zlib);
  }
  vfs::VFS::Instance().RemoveArchives();
  std::error_code ec;
  std::filesystem::remove_all(fixture.folder, ec);
  benchmark::Shutdown();
  return 0;
}
