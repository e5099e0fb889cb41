#pragma once

#include <cstdint>
#include <functional>

namespace swf {

class file_stream;
struct image_rgb;
struct image_rgba;

// JPEG decoding over libjpeg with a source that reads a file_stream. A libjpeg error logs
// "internal error in jpeglib" and makes the call in progress fail (the input stays usable
// for a later image); nothing is thrown through libjpeg's C code.
class jpeg_input {
 public:
  // Reads the stream's header; a stream of tables only (JPEGTables) is accepted. Null
  // when even that fails.
  static jpeg_input* create(file_stream* source);
  virtual ~jpeg_input() = default;
  virtual void discard_partial_buffer() = 0;
  virtual bool start_image() = 0;
  virtual void finish_image() = 0;
  virtual int get_height() const = 0;
  virtual int get_width() const = 0;
  virtual bool read_scanline(uint8_t* rgb_row) = 0;
};

// Asked with the image's size once its header is read, before anything is decoded: false
// skips the image (the caller's budget of decoded bytes).
using jpeg_size_check = std::function<bool(int width, int height)>;

// Decode one image; null (with a log line) on a broken or oversized image, or when the
// size check refuses it.
image_rgb* read_jpeg(jpeg_input* input, const jpeg_size_check& allow = {});
image_rgb* read_jpeg(file_stream* source, const jpeg_size_check& allow = {});
image_rgba* read_jpeg_with_alpha(file_stream* source, const jpeg_size_check& allow = {});

}  // namespace swf
