#pragma once

namespace swf {

// A byte stream over seven callbacks; the player reads movies, caches and JPEG data
// through it. Positions are 32-bit.
class file_stream {
 public:
  using read_func = int (*)(void* dst, int bytes, void* data);
  using write_func = int (*)(const void* src, int bytes, void* data);
  using seek_func = int (*)(int position, void* data);
  using seek_to_end_func = int (*)(void* data);
  using tell_func = int (*)(const void* data);
  using get_eof_func = bool (*)(void* data);
  using close_func = int (*)(void* data);

  enum error_code { NO_ERROR = 0, OPEN_ERROR = 1, SEEK_ERROR = 4, CLOSE_ERROR = 5 };

  file_stream(void* data, read_func read, write_func write, seek_func seek,
              seek_to_end_func seek_to_end, tell_func tell, get_eof_func get_eof, close_func close);
  // A standard file opened with fopen; failure leaves error OPEN_ERROR and no callbacks.
  file_stream(const char* path, const char* mode);
  ~file_stream();
  file_stream(const file_stream&) = delete;
  file_stream& operator=(const file_stream&) = delete;

  int read_bytes(void* dst, int bytes);
  int write_bytes(const void* src, int bytes);
  // Returns the error code (0 when the seek worked).
  int set_position(int position);
  int go_to_end();
  int get_position() const;
  bool get_eof();
  int get_error() const { return m_error; }
  // Calls the close callback when there is one and clears every field.
  void close();

 private:
  void* m_data = nullptr;
  read_func m_read = nullptr;
  write_func m_write = nullptr;
  seek_func m_seek = nullptr;
  seek_to_end_func m_seek_to_end = nullptr;
  tell_func m_tell = nullptr;
  get_eof_func m_get_eof = nullptr;
  close_func m_close = nullptr;
  int m_error = NO_ERROR;
};

// The player's file opener: returns a new stream for the path, or null. The engine
// installs one; tests install one over memory.
using file_opener_callback = file_stream* (*)(const char* path);
void register_file_opener_callback(file_opener_callback opener);
file_opener_callback get_file_opener_callback();

}  // namespace swf
