// Writes the sample movies of the SWF writer into a folder: the seeds of the SWF fuzz
// target.  Usage: swfsamples <folder>

#include <cstdio>
#include <string>

#include "tools/swfwriter/SwfSampleMovies.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: swfsamples <folder>\n");
    return 2;
  }
  int written = 0;
  for (const auto& [name, bytes] : swfw::SampleMovies()) {
    std::string path = std::string(argv[1]) + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
      std::fprintf(stderr, "can't write %s\n", path.c_str());
      return 1;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
      std::fprintf(stderr, "can't write %s\n", path.c_str());
      return 1;
    }
    ++written;
  }
  std::printf("%d sample movies written\n", written);
  return 0;
}
