#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/swf/base/file_stream.h"

namespace swf {

class string;

// Reads the SWF tag stream: bit fields, little-endian integers, strings and nested tag
// headers. No read passes the end of the innermost open tag or of the file: such a read
// gives 0 and sets an error that ends every read loop of the block it belongs to (the
// error of a tag clears when that tag is closed; an error of the file itself stays).
class stream {
 public:
  explicit stream(file_stream* input);
  ~stream();
  stream(const stream&) = delete;
  stream& operator=(const stream&) = delete;

  void align() {
    m_unused_bits = 0;
    m_current_byte = 0;
  }
  // n bits, most significant first; n above 32 is refused (0 and an error).
  uint32_t read_uint(int bits);
  int32_t read_sint(int bits);
  uint8_t read_u8();
  uint16_t read_u16();
  uint32_t read_u32();
  int8_t read_s8() { return static_cast<int8_t>(read_u8()); }
  int16_t read_s16() { return static_cast<int16_t>(read_u16()); }
  int32_t read_s32() { return static_cast<int32_t>(read_u32()); }
  float read_float();
  // Bytes up to and including a NUL, stopping at the end of the tag (the result is always
  // NUL-terminated). The caller owns the array (delete[]).
  char* read_string();
  // A u8 length and that many bytes; null for length 0.
  char* read_string_with_length();
  // Convenience forms that fill a player string.
  void read_string(string* out);
  // Copies up to n bytes (aligned) and returns how many came; stops at the tag end.
  int read_bytes(void* dst, int bytes);

  int get_position() const { return m_position; }
  void set_position(int position);
  int get_tag_end_position() const;
  // Bytes left before the end of the innermost open tag (or of the file).
  int get_bytes_left() const;
  int get_tag_depth() const { return static_cast<int>(m_tag_stack.size()); }

  // Opens the next tag and returns its type (-1 when no valid header could be read).
  int open_tag();
  // Reads the rest of the innermost open tag ahead into memory; false when the input
  // ends before the tag does. Reads inside the tag then come from memory.
  bool read_ahead_to_tag_end();
  // Opens a block of the given length inside the current tag, closed with close_tag like
  // a tag (a JPEG followed by other data in one tag reads as such a block). False when
  // the length does not fit.
  bool open_block(int length);
  void close_tag();

  bool has_error() const { return m_error_depth >= 0; }
  // Marks the innermost block as failed: its read loops end, its enclosing ones go on.
  void fail_block() { set_error(get_tag_depth()); }
  // The end of the file as far as tags may reach (the movie reader sets it from the
  // header's file length).
  void set_end_limit(int position) { m_end_limit = position; }
  int get_end_limit() const { return m_end_limit; }

  // A file stream that reads through this stream, bounded by the innermost open tag: the
  // JPEG and zlib readers take their bytes from it.
  file_stream* get_tag_view();

 private:
  int current_limit() const;
  void set_error(int depth);
  bool read_raw_byte(uint8_t* byte);

  file_stream* m_input;
  uint8_t m_current_byte = 0;
  uint8_t m_unused_bits = 0;
  std::vector<int> m_tag_stack;
  int m_position = 0;
  int m_end_limit = 0x7FFFFFFF;
  int m_error_depth = -1;
  // Read-ahead: m_buffer holds the bytes from file position m_buffer_start on.
  std::vector<uint8_t> m_buffer;
  int m_buffer_start = 0;
  int m_buffer_length = 0;
  bool m_input_failed = false;
  std::unique_ptr<file_stream> m_tag_view;
};

}  // namespace swf
