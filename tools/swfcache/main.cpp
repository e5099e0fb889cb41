// Loads a movie, shows its first frame once at the given size (default: the movie's own)
// so that its shapes are tesselated for that size, and writes the movie's cache file
// "<movie>.gsc" beside it.  Usage: swfcache <movie.swf> [width height]

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/swf/base/file_stream.h"
#include "engine/swf/base/log.h"
#include "engine/swf/movie/cache_file.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/movie_root.h"

namespace {

swf::file_stream* OpenForReading(const char* path) { return new swf::file_stream(path, "rb"); }

void PrintLog(bool, const char* text) { std::fputs(text, stderr); }

bool ParseSide(const char* text, int* out) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!end || *end != '\0' || v < 1 || v > 16384) return false;
  *out = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 0;
  int height = 0;
  if (!(argc == 2 || (argc == 4 && ParseSide(argv[2], &width) && ParseSide(argv[3], &height)))) {
    std::fprintf(stderr, "usage: swfcache <movie.swf> [width height]\n");
    return 2;
  }
  const std::string movie_path = argv[1];
  swf::register_log_callback(PrintLog);
  swf::register_file_opener_callback(OpenForReading);

  // A cache left from an earlier run would be read back instead of building afresh.
  const std::string cache_path = movie_path + ".gsc";
  std::remove(cache_path.c_str());

  swf::smart_ptr<swf::movie_def_impl> def(static_cast<swf::movie_def_impl*>(swf::create_movie(movie_path.c_str())));
  if (def) def->drop_ref();  // create_movie's reference is ours now
  if (!def || def->get_frame_count() == 0) {
    std::fprintf(stderr, "swfcache: can't read movie %s\n", movie_path.c_str());
    return 1;
  }
  if (width == 0) {
    width = static_cast<int>(def->get_width_pixels());
    height = static_cast<int>(def->get_height_pixels());
  }

  swf::smart_ptr<swf::movie_interface> root(def->create_instance());
  if (root) {
    root->drop_ref();
    root->set_display_viewport(0, 0, width, height);
    root->advance(0.0f);
    root->display();
  }

  swf::file_stream out(cache_path.c_str(), "wb");
  if (out.get_error() != swf::file_stream::NO_ERROR) {
    std::fprintf(stderr, "swfcache: can't write %s\n", cache_path.c_str());
    return 1;
  }
  swf::cache_options options;
  def->output_cached_data(&out, &options);
  out.close();
  if (out.get_error() != swf::file_stream::NO_ERROR) {
    std::fprintf(stderr, "swfcache: can't write %s\n", cache_path.c_str());
    std::remove(cache_path.c_str());
    return 1;
  }
  root = nullptr;
  def = nullptr;
  swf::clear_library();
  std::printf("%s written (%dx%d)\n", cache_path.c_str(), width, height);
  return 0;
}
