#include "engine/swf/base/stream.h"

#include <algorithm>
#include <cstring>

#include "engine/swf/base/swf_string.h"

namespace swf {

namespace {

constexpr int kReadAhead = 4096;

}  // namespace

stream::stream(file_stream* input) : m_input(input), m_buffer(kReadAhead) {
  m_position = input ? input->get_position() : 0;
  m_buffer_start = m_position;
}

stream::~stream() = default;

int stream::current_limit() const { return m_tag_stack.empty() ? m_end_limit : m_tag_stack.back(); }

void stream::set_error(int depth) {
  if (m_error_depth < 0 || depth < m_error_depth) m_error_depth = depth;
}

bool stream::read_raw_byte(uint8_t* byte) {
  if (m_error_depth >= 0 || m_position >= current_limit()) {
    set_error(get_tag_depth());
    *byte = 0;
    return false;
  }
  int offset = m_position - m_buffer_start;
  if (offset < 0 || offset >= m_buffer_length) {
    if (m_input_failed || !m_input) {
      set_error(0);
      *byte = 0;
      return false;
    }
    m_buffer_start = m_position;
    m_buffer_length = m_input->read_bytes(m_buffer.data(), kReadAhead);
    if (m_buffer_length <= 0) {
      // The file ends before its tags do.
      m_buffer_length = 0;
      m_input_failed = true;
      set_error(0);
      *byte = 0;
      return false;
    }
    offset = 0;
  }
  *byte = m_buffer[static_cast<size_t>(offset)];
  ++m_position;
  return true;
}

uint32_t stream::read_uint(int bits) {
  if (bits > 32) {
    set_error(get_tag_depth());
    return 0;
  }
  uint32_t value = 0;
  int needed = bits;
  while (needed > 0) {
    if (m_unused_bits == 0) {
      if (!read_raw_byte(&m_current_byte)) return 0;
      m_unused_bits = 8;
    }
    if (needed >= m_unused_bits) {
      value |= static_cast<uint32_t>(m_current_byte) << (needed - m_unused_bits);
      needed -= m_unused_bits;
      m_current_byte = 0;
      m_unused_bits = 0;
    } else {
      value |= static_cast<uint32_t>(m_current_byte) >> (m_unused_bits - needed);
      m_current_byte &= static_cast<uint8_t>((1 << (m_unused_bits - needed)) - 1);
      m_unused_bits = static_cast<uint8_t>(m_unused_bits - needed);
      needed = 0;
    }
  }
  return value;
}

int32_t stream::read_sint(int bits) {
  uint32_t value = read_uint(bits);
  if (bits > 0 && bits < 32 && (value & (1u << (bits - 1)))) value |= ~0u << bits;
  return static_cast<int32_t>(value);
}

uint8_t stream::read_u8() {
  align();
  uint8_t byte;
  read_raw_byte(&byte);
  return byte;
}

uint16_t stream::read_u16() {
  align();
  uint8_t bytes[2];
  read_raw_byte(&bytes[0]);
  read_raw_byte(&bytes[1]);
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t stream::read_u32() {
  align();
  uint8_t b[4];
  for (uint8_t& byte : b) read_raw_byte(&byte);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

float stream::read_float() {
  uint32_t bits = read_u32();
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

int stream::read_bytes(void* dst, int bytes) {
  align();
  uint8_t* out = static_cast<uint8_t*>(dst);
  int count = 0;
  while (count < bytes && get_bytes_left() > 0 && !has_error()) {
    int offset = m_position - m_buffer_start;
    if (offset >= 0 && offset < m_buffer_length) {
      int chunk = m_buffer_length - offset;
      if (chunk > bytes - count) chunk = bytes - count;
      if (chunk > get_bytes_left()) chunk = get_bytes_left();
      std::memcpy(out + count, m_buffer.data() + offset, static_cast<size_t>(chunk));
      count += chunk;
      m_position += chunk;
    } else if (!read_raw_byte(out + count)) {
      break;
    } else {
      ++count;
    }
  }
  return count;
}

char* stream::read_string() {
  align();
  std::vector<char> bytes;
  for (;;) {
    uint8_t byte;
    if (!read_raw_byte(&byte) || byte == 0) break;
    bytes.push_back(static_cast<char>(byte));
  }
  char* text = new char[bytes.size() + 1];
  if (!bytes.empty()) std::memcpy(text, bytes.data(), bytes.size());
  text[bytes.size()] = 0;
  return text;
}

char* stream::read_string_with_length() {
  int length = read_u8();
  if (length < 1) return nullptr;
  char* text = new char[static_cast<size_t>(length) + 1];
  int got = read_bytes(text, length);
  text[got] = 0;
  return text;
}

void stream::read_string(string* out) {
  char* text = read_string();
  *out = text;
  delete[] text;
}

void stream::set_position(int position) {
  align();
  if (position < 0 || position > current_limit()) {
    set_error(get_tag_depth());
    return;
  }
  if (position >= m_buffer_start && position <= m_buffer_start + m_buffer_length) {
    m_position = position;
    return;
  }
  if (!m_input || m_input->set_position(position) != file_stream::NO_ERROR) {
    set_error(0);
    return;
  }
  m_position = position;
  m_buffer_start = position;
  m_buffer_length = 0;
}

int stream::get_tag_end_position() const { return m_tag_stack.empty() ? m_end_limit : m_tag_stack.back(); }

int stream::get_bytes_left() const {
  int left = current_limit() - m_position;
  return left > 0 ? left : 0;
}

int stream::open_tag() {
  align();
  int enclosing_depth = get_tag_depth();
  uint16_t header = read_u16();
  int type = header >> 6;
  uint32_t length = header & 0x3F;
  if (length == 0x3F) length = read_u32();
  if (has_error()) {
    m_tag_stack.push_back(m_position);
    return -1;
  }
  // A length must fit the enclosing tag (or the file); a bad one ends the enclosing block.
  uint32_t room = static_cast<uint32_t>(get_bytes_left());
  if (length > room) {
    set_error(enclosing_depth);
    m_tag_stack.push_back(m_position);
    return -1;
  }
  m_tag_stack.push_back(m_position + static_cast<int>(length));
  return type;
}

bool stream::read_ahead_to_tag_end() {
  if (has_error()) return false;
  const int end = current_limit();
  int offset = m_position - m_buffer_start;
  if (offset < 0 || offset > m_buffer_length) return false;  // the buffer always holds the position
  // Keep the unread bytes at the front; the buffer grows only as the bytes come, so a
  // tag that claims more than the file holds costs no more than the file.
  int kept = m_buffer_length - offset;
  const int wanted = end - m_position;
  size_t room = std::max<size_t>(kReadAhead, static_cast<size_t>(std::max(kept, 0)));
  if (m_buffer.size() > 2 * std::max<size_t>(room, static_cast<size_t>(std::max(wanted, 0)))) {
    std::vector<uint8_t> smaller(room);
    std::memcpy(smaller.data(), m_buffer.data() + offset, static_cast<size_t>(kept));
    m_buffer.swap(smaller);
  } else if (offset > 0) {
    std::memmove(m_buffer.data(), m_buffer.data() + offset, static_cast<size_t>(kept));
  }
  m_buffer_start = m_position;
  m_buffer_length = kept;
  while (m_buffer_length < wanted) {
    if (m_input_failed || !m_input) return false;
    if (static_cast<size_t>(m_buffer_length) == m_buffer.size()) {
      m_buffer.resize(std::min(static_cast<size_t>(wanted), m_buffer.size() * 2));
    }
    int got = m_input->read_bytes(m_buffer.data() + m_buffer_length,
                                  static_cast<int>(m_buffer.size()) - m_buffer_length);
    if (got <= 0) {
      m_input_failed = true;
      return false;
    }
    m_buffer_length += got;
  }
  return true;
}

bool stream::open_block(int length) {
  align();
  if (length < 0 || length > get_bytes_left() || has_error()) {
    set_error(get_tag_depth());
    m_tag_stack.push_back(m_position);
    return false;
  }
  m_tag_stack.push_back(m_position + length);
  return true;
}

void stream::close_tag() {
  if (m_tag_stack.empty()) return;
  int end = m_tag_stack.back();
  m_tag_stack.pop_back();
  if (m_error_depth > get_tag_depth()) m_error_depth = -1;
  if (m_position != end && !m_input_failed) {
    bool keep_error = has_error();
    int depth = m_error_depth;
    m_error_depth = -1;
    set_position(end);
    if (keep_error) set_error(depth);
  }
  m_unused_bits = 0;
  m_current_byte = 0;
}

// The tag view's callbacks.
namespace {

int view_read(void* dst, int bytes, void* data) { return static_cast<stream*>(data)->read_bytes(dst, bytes); }
int view_write(const void*, int, void*) { return 0; }
int view_seek(int position, void* data) {
  stream* s = static_cast<stream*>(data);
  s->set_position(position);
  return s->get_position() == position ? file_stream::NO_ERROR : file_stream::SEEK_ERROR;
}
int view_seek_to_end(void* data) {
  stream* s = static_cast<stream*>(data);
  s->set_position(s->get_tag_end_position());
  return file_stream::NO_ERROR;
}
int view_tell(const void* data) { return static_cast<const stream*>(data)->get_position(); }
bool view_get_eof(void* data) {
  stream* s = static_cast<stream*>(data);
  return s->get_bytes_left() == 0 || s->has_error();
}
int view_close(void*) { return file_stream::NO_ERROR; }

}  // namespace

file_stream* stream::get_tag_view() {
  if (!m_tag_view) {
    m_tag_view = std::make_unique<file_stream>(this, view_read, view_write, view_seek, view_seek_to_end,
                                               view_tell, view_get_eof, view_close);
  }
  return m_tag_view.get();
}

}  // namespace swf
