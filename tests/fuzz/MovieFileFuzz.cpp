// Feeds arbitrary bytes to the movie image's video decoder as an AVI file on disk: the
// stream is opened, its frame decoder made, and its first, a middle and its last frame
// (and one past the end) decoded into the frame bitmap, whose every byte is read. A file
// is either read or refused, and nothing is read or written out of bounds.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/graphics/VfwMovieDecoder.h"
#include "tests/fuzz/FuzzFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FuzzFolder() + "/movie.avi";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  VfwMovieDecoder decoder;
  if (decoder.OpenStream(path)) {
    const int32_t count = decoder.FrameCount();
    decoder.SampleToTime(count);
    if (decoder.OpenFrames()) {
      for (int32_t index : {0, count / 2, count - 1, count}) {
        decoder.DrawFrame(index);
      }
      // The bitmap holds the whole frame rectangle.
      const uint8_t* bits = decoder.FrameBits();
      if (bits && decoder.Width() > 0 && decoder.Height() > 0) {
        uint32_t sum = 0;
        const size_t bytes = static_cast<size_t>(decoder.Width()) * static_cast<size_t>(decoder.Height()) * 4;
        for (size_t i = 0; i < bytes; ++i) sum += bits[i];
        if (sum == 0xFFFFFFFFu) std::abort();  // keeps the reads
      }
    }
  }
  decoder.Close();
  std::remove(path.c_str());
  return 0;
}
