#include "engine/swf/base/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

#include "engine/swf/base/file_stream.h"
#include "engine/swf/base/image.h"
#include "engine/swf/base/log.h"

namespace swf {

namespace {

constexpr int kSourceBufferSize = 4096;

// Source manager over a file_stream.
struct rw_source {
  jpeg_source_mgr m_pub;
  file_stream* m_in;
  bool m_start_of_file = true;
  JOCTET m_buffer[kSourceBufferSize];
};

struct error_manager {
  jpeg_error_mgr m_pub;
  std::jmp_buf m_jump;
};

void error_exit(j_common_ptr info) {
  error_manager* errors = reinterpret_cast<error_manager*>(info->err);
  std::longjmp(errors->m_jump, 1);
}

void silent_message(j_common_ptr, int) {}

void init_source(j_decompress_ptr info) { reinterpret_cast<rw_source*>(info->src)->m_start_of_file = true; }

boolean fill_input_buffer(j_decompress_ptr info) {
  rw_source* src = reinterpret_cast<rw_source*>(info->src);
  int got = src->m_in->read_bytes(src->m_buffer, kSourceBufferSize);
  if (got <= 0) {
    if (src->m_start_of_file) {
      // "empty jpeg source stream."
      info->err->msg_code = JERR_INPUT_EMPTY;
      info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    }
    src->m_buffer[0] = 0xFF;
    src->m_buffer[1] = JPEG_EOI;
    got = 2;
  }
  // Some SWF JPEG streams begin with an end-of-image marker before the start of image.
  if (src->m_start_of_file && got >= 4 && src->m_buffer[0] == 0xFF && src->m_buffer[1] == 0xD9 &&
      src->m_buffer[2] == 0xFF && src->m_buffer[3] == 0xD8) {
    src->m_buffer[1] = 0xD8;
    src->m_buffer[3] = 0xD9;
  }
  src->m_pub.next_input_byte = src->m_buffer;
  src->m_pub.bytes_in_buffer = static_cast<size_t>(got);
  src->m_start_of_file = false;
  return TRUE;
}

void skip_input_data(j_decompress_ptr info, long count) {
  rw_source* src = reinterpret_cast<rw_source*>(info->src);
  if (count <= 0) return;
  while (count > static_cast<long>(src->m_pub.bytes_in_buffer)) {
    count -= static_cast<long>(src->m_pub.bytes_in_buffer);
    fill_input_buffer(info);
  }
  src->m_pub.next_input_byte += count;
  src->m_pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void term_source(j_decompress_ptr) {}

void report_jpeg_error() { log_error("internal error in jpeglib\n"); }

class jpeg_input_impl : public jpeg_input {
 public:
  explicit jpeg_input_impl(file_stream* in) {
    std::memset(&m_info, 0, sizeof(m_info));
    m_info.err = jpeg_std_error(&m_errors.m_pub);
    m_errors.m_pub.error_exit = error_exit;
    m_errors.m_pub.emit_message = silent_message;
    jpeg_create_decompress(&m_info);
    m_source.m_in = in;
    m_source.m_pub.init_source = init_source;
    m_source.m_pub.fill_input_buffer = fill_input_buffer;
    m_source.m_pub.skip_input_data = skip_input_data;
    m_source.m_pub.resync_to_restart = jpeg_resync_to_restart;
    m_source.m_pub.term_source = term_source;
    m_source.m_pub.bytes_in_buffer = 0;
    m_source.m_pub.next_input_byte = nullptr;
    m_info.src = &m_source.m_pub;
  }

  ~jpeg_input_impl() override {
    finish_image();
    jpeg_destroy_decompress(&m_info);
  }

  bool read_tables() {
    if (setjmp(m_errors.m_jump)) return fail();
    m_image_header_read = jpeg_read_header(&m_info, FALSE) == JPEG_HEADER_OK;
    return true;
  }

  void discard_partial_buffer() override {
    m_source.m_pub.bytes_in_buffer = 0;
    m_source.m_pub.next_input_byte = m_source.m_buffer;
  }

  bool start_image() override {
    if (setjmp(m_errors.m_jump)) return fail();
    // The first header read (when the input was made) may already have reached the image
    // of a stream that carries its own tables.
    bool header_read = m_image_header_read;
    m_image_header_read = false;
    if (!header_read && jpeg_read_header(&m_info, TRUE) != JPEG_HEADER_OK) {
      jpeg_abort_decompress(&m_info);
      report_jpeg_error();
      return false;
    }
    if (!image_size_allowed(static_cast<int>(m_info.image_width), static_cast<int>(m_info.image_height))) {
      log_error("error: jpeg image of %u x %u pixels is too large; skipped\n", m_info.image_width,
                m_info.image_height);
      jpeg_abort_decompress(&m_info);
      return false;
    }
    m_info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&m_info);
    m_started = true;
    return true;
  }

  void finish_image() override {
    if (!m_started) return;
    if (setjmp(m_errors.m_jump)) {
      fail();
      return;
    }
    // A stream cut short still ends cleanly: the unread lines are skipped.
    jpeg_abort_decompress(&m_info);
    m_started = false;
  }

  int get_height() const override { return static_cast<int>(m_info.output_height); }
  int get_width() const override { return static_cast<int>(m_info.output_width); }

  bool read_scanline(uint8_t* rgb_row) override {
    if (!m_started) return false;
    if (setjmp(m_errors.m_jump)) return fail();
    JSAMPROW rows[1] = {rgb_row};
    return jpeg_read_scanlines(&m_info, rows, 1) == 1;
  }

 private:
  bool fail() {
    m_image_header_read = false;
    report_jpeg_error();
    jpeg_abort_decompress(&m_info);
    m_started = false;
    return false;
  }

  jpeg_decompress_struct m_info;
  error_manager m_errors;
  rw_source m_source;
  bool m_started = false;
  bool m_image_header_read = false;
};

// Reads every row of the started image; false when one fails.
template <class RowSink>
bool read_rows(jpeg_input* input, int width, int height, RowSink&& sink) {
  std::unique_ptr<uint8_t[]> row(new uint8_t[static_cast<size_t>(width) * 3 + 3]);
  for (int y = 0; y < height; ++y) {
    if (!input->read_scanline(row.get())) return false;
    sink(y, row.get());
  }
  return true;
}

}  // namespace

jpeg_input* jpeg_input::create(file_stream* source) {
  auto* input = new jpeg_input_impl(source);
  if (!input->read_tables()) {
    delete input;
    return nullptr;
  }
  return input;
}

image_rgb* read_jpeg(jpeg_input* input, const jpeg_size_check& allow) {
  if (!input || !input->start_image()) return nullptr;
  int width = input->get_width(), height = input->get_height();
  if (allow && !allow(width, height)) {
    input->finish_image();
    return nullptr;
  }
  image_rgb* image = create_image_rgb(width, height);
  if (!image) {
    input->finish_image();
    return nullptr;
  }
  bool ok = read_rows(input, width, height, [&](int y, const uint8_t* row) {
    std::memcpy(scanline(image, y), row, static_cast<size_t>(width) * 3);
  });
  input->finish_image();
  if (!ok) {
    delete image;
    return nullptr;
  }
  return image;
}

image_rgb* read_jpeg(file_stream* source, const jpeg_size_check& allow) {
  std::unique_ptr<jpeg_input> input(jpeg_input::create(source));
  return read_jpeg(input.get(), allow);
}

image_rgba* read_jpeg_with_alpha(file_stream* source, const jpeg_size_check& allow) {
  std::unique_ptr<jpeg_input> input(jpeg_input::create(source));
  if (!input || !input->start_image()) return nullptr;
  int width = input->get_width(), height = input->get_height();
  if (allow && !allow(width, height)) {
    input->finish_image();
    return nullptr;
  }
  image_rgba* image = create_image_rgba(width, height);
  if (!image) {
    input->finish_image();
    return nullptr;
  }
  bool ok = read_rows(input.get(), width, height, [&](int y, const uint8_t* row) {
    uint8_t* out = scanline(image, y);
    for (int x = 0; x < width; ++x) {
      out[x * 4] = row[x * 3];
      out[x * 4 + 1] = row[x * 3 + 1];
      out[x * 4 + 2] = row[x * 3 + 2];
      out[x * 4 + 3] = 255;
    }
  });
  input->finish_image();
  if (!ok) {
    delete image;
    return nullptr;
  }
  return image;
}

}  // namespace swf
