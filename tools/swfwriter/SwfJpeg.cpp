// JPEG streams for the bitmap tags, compressed with libjpeg.

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "tools/swfwriter/SwfWriter.h"

namespace swfw {

namespace {

struct Compressor {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;

  explicit Compressor(int quality) {
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 8;
    info.image_height = 8;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
  }
  ~Compressor() {
    jpeg_destroy_compress(&info);
    std::free(buffer);
  }
  void Compress(int width, int height, const std::vector<Color>& pixels, bool writeTables) {
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    jpeg_start_compress(&info, writeTables ? TRUE : FALSE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
      for (int x = 0; x < width; ++x) {
        const Color& c = pixels[static_cast<size_t>(info.next_scanline) * width + x];
        row[x * 3] = c.r;
        row[x * 3 + 1] = c.g;
        row[x * 3 + 2] = c.b;
      }
      JSAMPROW rows[1] = {row.data()};
      jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
  }
  Bytes Result() const { return Bytes(buffer, buffer + size); }
};

}  // namespace

Bytes EncodeJpeg(int width, int height, const std::vector<Color>& pixels, int quality) {
  Compressor c(quality);
  c.Compress(width, height, pixels, true);
  return c.Result();
}

Bytes EncodeJpegTables(int quality) {
  Compressor c(quality);
  jpeg_write_tables(&c.info);
  return c.Result();
}

Bytes EncodeJpegAbbreviated(int width, int height, const std::vector<Color>& pixels, int quality) {
  Compressor c(quality);
  c.Compress(width, height, pixels, false);
  return c.Result();
}

}  // namespace swfw
