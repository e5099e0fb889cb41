#include "engine/swf/base/file_stream.h"

#include <cstdio>

namespace swf {

namespace {

file_opener_callback s_file_opener = nullptr;

int std_read(void* dst, int bytes, void* data) {
  return static_cast<int>(std::fread(dst, 1, static_cast<size_t>(bytes), static_cast<FILE*>(data)));
}
int std_write(const void* src, int bytes, void* data) {
  return static_cast<int>(std::fwrite(src, 1, static_cast<size_t>(bytes), static_cast<FILE*>(data)));
}
int std_seek(int position, void* data) {
  FILE* file = static_cast<FILE*>(data);
  std::clearerr(file);
  return std::fseek(file, position, SEEK_SET) == 0 ? file_stream::NO_ERROR : file_stream::SEEK_ERROR;
}
int std_seek_to_end(void* data) {
  return std::fseek(static_cast<FILE*>(data), 0, SEEK_END) == 0 ? file_stream::NO_ERROR
                                                                 : file_stream::SEEK_ERROR;
}
int std_tell(const void* data) {
  return static_cast<int>(std::ftell(static_cast<FILE*>(const_cast<void*>(data))));
}
bool std_get_eof(void* data) { return std::feof(static_cast<FILE*>(data)) != 0; }
int std_close(void* data) {
  return std::fclose(static_cast<FILE*>(data)) == 0 ? file_stream::NO_ERROR : file_stream::CLOSE_ERROR;
}

}  // namespace

file_stream::file_stream(void* data, read_func read, write_func write, seek_func seek,
                         seek_to_end_func seek_to_end, tell_func tell, get_eof_func get_eof,
                         close_func close)
    : m_data(data), m_read(read), m_write(write), m_seek(seek), m_seek_to_end(seek_to_end),
      m_tell(tell), m_get_eof(get_eof), m_close(close) {}

file_stream::file_stream(const char* path, const char* mode) {
  FILE* file = std::fopen(path, mode);
  if (!file) {
    m_error = OPEN_ERROR;
    return;
  }
  m_data = file;
  m_read = std_read;
  m_write = std_write;
  m_seek = std_seek;
  m_seek_to_end = std_seek_to_end;
  m_tell = std_tell;
  m_get_eof = std_get_eof;
  m_close = std_close;
}

file_stream::~file_stream() { close(); }

int file_stream::read_bytes(void* dst, int bytes) {
  if (!m_read || bytes <= 0) return 0;
  return m_read(dst, bytes, m_data);
}

int file_stream::write_bytes(const void* src, int bytes) {
  if (!m_write || bytes <= 0) return 0;
  return m_write(src, bytes, m_data);
}

int file_stream::set_position(int position) {
  if (!m_seek) return SEEK_ERROR;
  m_error = m_seek(position, m_data);
  return m_error;
}

int file_stream::go_to_end() {
  if (!m_seek_to_end) return SEEK_ERROR;
  m_error = m_seek_to_end(m_data);
  return m_error;
}

int file_stream::get_position() const { return m_tell ? m_tell(m_data) : 0; }

bool file_stream::get_eof() { return m_get_eof ? m_get_eof(m_data) : true; }

void file_stream::close() {
  if (m_close) m_error = m_close(m_data);
  m_data = nullptr;
  m_read = nullptr;
  m_write = nullptr;
  m_seek = nullptr;
  m_seek_to_end = nullptr;
  m_tell = nullptr;
  m_get_eof = nullptr;
  m_close = nullptr;
}

void register_file_opener_callback(file_opener_callback opener) { s_file_opener = opener; }
file_opener_callback get_file_opener_callback() { return s_file_opener; }

}  // namespace swf
