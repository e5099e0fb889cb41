// helpmovies: writes the level help's SWF movies into a folder beside the program.
//
//   helpmovies OUTDIR FONT.ttf
//
// Writes OUTDIR/chain.swf and OUTDIR/spells.swf; the build then writes their ".gsc"
// caches with swfcache.

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/helpmovies/HelpMovies.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: helpmovies OUTDIR FONT.ttf\n", stderr);
    return 2;
  }
  std::string error;
  const auto movies = helpmovies::MakeHelpMovies(argv[2], error);
  if (movies.empty()) {
    std::fprintf(stderr, "helpmovies: %s\n", error.c_str());
    return 1;
  }
  std::error_code ec;
  std::filesystem::create_directories(argv[1], ec);
  for (const auto& [name, bytes] : movies) {
    // The names carry their folder ("help/"); the output folder is that folder.
    const std::string file = std::string(argv[1]) + "/" + std::filesystem::path(name).filename().string();
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "helpmovies: cannot write %s\n", file.c_str());
      return 1;
    }
  }
  return 0;
}
