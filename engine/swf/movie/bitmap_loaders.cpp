// The bitmap tags: JPEG with shared tables, JPEG with its own tables, JPEG with zlib
// alpha, and the lossless (zlib) forms. Sizes are checked against the image limit and
// the movie's budget of decoded bytes before anything is allocated.

#include <zlib.h>

#include <cstring>
#include <memory>
#include <vector>

#include "engine/swf/base/image.h"
#include "engine/swf/base/jpeg.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/stream.h"
#include "engine/swf/movie/bitmap_character.h"
#include "engine/swf/movie/tag_loaders.h"
#include "engine/swf/render/render_handler.h"

namespace swf {

namespace {

void add_empty_bitmap(movie_definition_sub* m, int character_id) {
  m->add_bitmap_character(character_id, new bitmap_character(render::create_bitmap_empty()));
}

void add_rgb_bitmap(movie_definition_sub* m, int character_id, std::unique_ptr<image_rgb> im) {
  m->add_bitmap_character(character_id, new bitmap_character(render::create_bitmap_rgb(im.get())));
}

void add_rgba_bitmap(movie_definition_sub* m, int character_id, std::unique_ptr<image_rgba> im) {
  m->add_bitmap_character(character_id, new bitmap_character(render::create_bitmap_rgba(im.get())));
}

// Charges an RGB image of the size against the movie's budget before it is decoded.
jpeg_size_check rgb_budget(movie_definition_sub* m) {
  return [m](int width, int height) {
    size_t pitch = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    return m->charge_decoded_bytes(pitch * static_cast<size_t>(height));
  };
}

}  // namespace

int inflate_wrapper(file_stream* in, void* buffer, int buffer_bytes) {
  z_stream d_stream;
  std::memset(&d_stream, 0, sizeof(d_stream));
  int err = inflateInit(&d_stream);
  if (err != Z_OK) {
    log_error("error: inflate_wrapper() inflateInit() returned %d\n", err);
    return 0;
  }
  d_stream.next_out = static_cast<Bytef*>(buffer);
  d_stream.avail_out = static_cast<uInt>(buffer_bytes);
  unsigned char input[4096];
  // Stops at the end of the zlib stream, the first error, the end of the tag's data or
  // a full buffer; what was not produced stays as the buffer held it.
  while (d_stream.avail_out > 0) {
    int got = in->read_bytes(input, sizeof(input));
    if (got <= 0) break;
    d_stream.next_in = input;
    d_stream.avail_in = static_cast<uInt>(got);
    err = inflate(&d_stream, Z_SYNC_FLUSH);
    if (err == Z_STREAM_END) break;
    if (err != Z_OK) {
      if (!(err == Z_BUF_ERROR && d_stream.avail_out == 0)) {
        log_error("error: inflate_wrapper() inflate() returned %d\n", err);
      }
      break;
    }
  }
  int produced = buffer_bytes - static_cast<int>(d_stream.avail_out);
  err = inflateEnd(&d_stream);
  if (err != Z_OK) log_error("error: inflate_wrapper() inflateEnd() return %d\n", err);
  return produced;
}

void jpeg_tables_loader(stream* in, int tag_type, movie_definition_sub* m) {
  jpeg_input* j_in = jpeg_input::create(in->get_tag_view());
  if (j_in) m->set_jpeg_loader(j_in);
}

void define_bits_jpeg_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  if (m->get_create_bitmaps() == 1) {
    add_empty_bitmap(m, character_id);
    return;
  }
  jpeg_input* j_in = m->get_jpeg_loader();
  if (!j_in) {
    log_error("error: DefineBits %d comes before any JPEGTables; skipped\n", character_id);
    return;
  }
  j_in->discard_partial_buffer();
  std::unique_ptr<image_rgb> im(read_jpeg(j_in, rgb_budget(m)));
  if (!im) return;
  add_rgb_bitmap(m, character_id, std::move(im));
}

void define_bits_jpeg2_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  if (m->get_create_bitmaps() == 1) {
    add_empty_bitmap(m, character_id);
    return;
  }
  std::unique_ptr<image_rgb> im(read_jpeg(in->get_tag_view(), rgb_budget(m)));
  if (!im) return;
  add_rgb_bitmap(m, character_id, std::move(im));
}

void define_bits_jpeg3_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  if (m->get_create_bitmaps() == 1) {
    add_empty_bitmap(m, character_id);
    return;
  }
  uint32_t jpeg_size = in->read_u32();
  if (in->has_error() || jpeg_size > static_cast<uint32_t>(in->get_bytes_left())) {
    log_error("error: DefineBitsJPEG3 %d: jpeg size %u passes the end of the tag; skipped\n", character_id,
              jpeg_size);
    return;
  }
  // The JPEG reads as a block of its own, so its reader cannot run into the alpha data.
  std::unique_ptr<image_rgba> im;
  // The image and its alpha plane are charged before anything is decoded.
  auto budget = [m](int width, int height) {
    return m->charge_decoded_bytes(static_cast<size_t>(width) * static_cast<size_t>(height) * 5);
  };
  if (in->open_block(static_cast<int>(jpeg_size))) im.reset(read_jpeg_with_alpha(in->get_tag_view(), budget));
  in->close_tag();
  if (!im) return;
  size_t pixels = static_cast<size_t>(im->m_width) * im->m_height;
  std::vector<uint8_t> alpha(pixels, 255);
  inflate_wrapper(in->get_tag_view(), alpha.data(), static_cast<int>(pixels));
  for (int y = 0; y < im->m_height; ++y) {
    uint8_t* row = scanline(im.get(), y);
    for (int x = 0; x < im->m_width; ++x) row[x * 4 + 3] = alpha[static_cast<size_t>(y) * im->m_width + x];
  }
  add_rgba_bitmap(m, character_id, std::move(im));
}

void define_bits_lossless_2_loader(stream* in, int tag_type, movie_definition_sub* m) {
  int character_id = in->read_u16();
  int bitmap_format = in->read_u8();
  int width = in->read_u16();
  int height = in->read_u16();
  if (in->has_error()) return;
  if (m->get_create_bitmaps() == 1) {
    add_empty_bitmap(m, character_id);
    return;
  }
  if (!image_size_allowed(width, height)) {
    log_error("error: bitmap %d of %d x %d pixels is too large; skipped\n", character_id, width, height);
    return;
  }
  bool with_alpha = tag_type == 36;
  int bytes_per_entry = with_alpha ? 4 : 3;
  size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);

  // The inflated data block and its layout.
  int color_count = 0;
  size_t table_bytes = 0, row_bytes = 0;
  if (bitmap_format == 3) {
    color_count = in->read_u8() + 1;
    table_bytes = static_cast<size_t>(color_count) * bytes_per_entry;
    row_bytes = (w + 3) & ~size_t(3);
  } else if (bitmap_format == 4) {
    row_bytes = (w * 2 + 3) & ~size_t(3);
  } else if (bitmap_format == 5) {
    row_bytes = w * 4;
  }
  size_t data_bytes = table_bytes + row_bytes * h;
  size_t image_bytes = (with_alpha ? w * 4 : ((w * 3 + 3) & ~size_t(3))) * h;
  if (!m->charge_decoded_bytes(image_bytes + data_bytes)) return;

  std::unique_ptr<image_rgb> rgb;
  std::unique_ptr<image_rgba> rgba;
  if (with_alpha) {
    rgba.reset(create_image_rgba(width, height));
  } else {
    rgb.reset(create_image_rgb(width, height));
  }
  std::vector<uint8_t> data(data_bytes, 0);
  if (data_bytes > 0) inflate_wrapper(in->get_tag_view(), data.data(), static_cast<int>(data_bytes));

  for (size_t y = 0; y < h && data_bytes > 0; ++y) {
    uint8_t* out = with_alpha ? scanline(rgba.get(), static_cast<int>(y)) : scanline(rgb.get(), static_cast<int>(y));
    const uint8_t* row = data.data() + table_bytes + row_bytes * y;
    for (size_t x = 0; x < w; ++x) {
      uint8_t r = 0, g = 0, b = 0, a = 255;
      if (bitmap_format == 3) {
        int index = row[x];
        // An index past the colour table gives transparent black.
        if (index < color_count) {
          const uint8_t* entry = data.data() + static_cast<size_t>(index) * bytes_per_entry;
          r = entry[0], g = entry[1], b = entry[2];
          a = with_alpha ? entry[3] : 255;
        } else {
          a = 0;
        }
      } else if (bitmap_format == 4) {
        uint16_t v = static_cast<uint16_t>(row[x * 2] | (row[x * 2 + 1] << 8));
        r = static_cast<uint8_t>((v >> 8) & 0xF8);
        g = static_cast<uint8_t>((v >> 3) & 0xFC);
        b = static_cast<uint8_t>((v << 3) & 0xFF);
      } else {
        a = row[x * 4];
        r = row[x * 4 + 1], g = row[x * 4 + 2], b = row[x * 4 + 3];
      }
      if (with_alpha) {
        out[x * 4] = r, out[x * 4 + 1] = g, out[x * 4 + 2] = b, out[x * 4 + 3] = a;
      } else {
        out[x * 3] = r, out[x * 3 + 1] = g, out[x * 3 + 2] = b;
      }
    }
  }
  if (with_alpha) {
    add_rgba_bitmap(m, character_id, std::move(rgba));
  } else {
    add_rgb_bitmap(m, character_id, std::move(rgb));
  }
}

}  // namespace swf
